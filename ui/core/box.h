// Box: the container control. It owns an ordered list of children and a layout that measures and
// places them; HBox, VBox and TileBox are boxes made with the horizontal, vertical and tile
// layouts, and a plain Box places every child on its own in the whole box.
//
//   auto* toolbar = new ui::HBox();
//   toolbar->SetAttribute(L"childmargin", L"4");      // layout attributes go to the layout
//   toolbar->Add(new ui::Control());                  // the box owns the child from here
//   toolbar->AttachBubbledEvent(ui::kEventClick, OnToolbarClick);
//
// Children: Add and AddAt take ownership; a child that already has a parent (or is the root of a
// window, or would make the tree a loop) is refused. Remove and RemoveAll let children go: with
// auto-destroy (the default) they are deleted, and with delayed-destroy (also the default) the
// window deletes them after the current message, so a child may remove itself from its own event
// handler; without auto-destroy they are only detached and may be added elsewhere.
//
// Events: besides the handlers every control has, a box has bubbled handlers. They run for the
// events of its children that the children's default handling passes up, and for its own.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CORE_BOX_H_
#define UI_CORE_BOX_H_

#include <memory>
#include <vector>

#include "ui/core/control.h"
#include "ui/core/layout.h"

namespace ui {

class Box : public Control {
 public:
  // Takes ownership of layout; null gives the plain layout.
  explicit Box(Layout* layout = nullptr);
  ~Box() override;

  // ----- Overrides -----------------------------------------------------------------------------
  // The children first, then the box.
  void SetWindowAndParent(Window* window, Box* parent, bool init) override;
  // An auto side is the children's size (cached while nothing changed).
  SIZE EstimateSize(SIZE available) override;
  // Places the box, then its children inside the padding.
  void SetPos(RECT rect) override;
  void SetInternVisible(bool visible) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  // Hit tests look into the children only with mouse-child on and only where the padding lets the
  // children show (float children everywhere), each child at the point moved by
  // GetChildScrollOffset; kFindTopFirst tries the top child first.
  Control* FindControl(FindControlProc proc, void* data, UINT flags) override;
  void DispatchEvent(const EventArgs& args) override;
  // The layout's attributes, "mousechild", then those of every control.
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Each visible child in list order (later children on top).
  void PaintChildren(IRenderContext* context, const RECT& area) override;
  void LoadBkImage() override;
  void UnloadBkImage() override;
  void ClearImageCache() override;

  // ----- Children ------------------------------------------------------------------------------
  // The index of a child that a list may select (a visible, enabled ui::ListContainerElement),
  // searching from index clamped to the children: forward toward the end (-1 when there is
  // none), or backward toward the start and then, finding none, forward from the first child.
  // -1 without children.
  virtual int FindSelectable(int index, bool forward) const;
  // Null when index is out of range.
  virtual Control* GetItemAt(int index) const;
  // -1 when control is not a child.
  virtual int GetItemIndex(Control* control) const;
  // Moves a child to index (0 to count - 1); false for other indices and for non-children.
  virtual bool SetItemIndex(Control* control, int index);
  virtual int GetCount() const { return static_cast<int>(items_.size()); }
  virtual bool Add(Control* control);
  // index 0 to count; false, with nothing taken, for null, other indices and refused controls.
  virtual bool AddAt(Control* control, int index);
  virtual bool Remove(Control* control);
  virtual bool RemoveAt(int index);
  virtual void RemoveAll();
  virtual bool IsAutoDestroy() const { return auto_destroy_; }
  virtual void SetAutoDestroy(bool autoDestroy) { auto_destroy_ = autoDestroy; }
  virtual bool IsDelayedDestroy() const { return delayed_destroy_; }
  virtual void SetDelayedDestroy(bool delayed) { delayed_destroy_ = delayed; }
  virtual bool IsMouseChildEnabled() const { return mouse_child_enabled_; }
  virtual void SetMouseChildEnabled(bool enabled) { mouse_child_enabled_ = enabled; }
  virtual Layout* GetLayout() const { return layout_.get(); }
  // Takes ownership and deletes the old layout; null is refused (false) and the old one stays.
  virtual bool SetLayout(Layout* layout);
  // The position shrunk by the layout's padding.
  virtual RECT GetPaddingPos() const;

  // The shift from this box's coordinates into those of child (one of its own): a point of the
  // box plus the shift is the same point for the child, so a child at y 400 of a box scrolled by
  // 300 shows at the box's y 100. (0, 0) for a box that does not scroll (the scrollable box
  // overrides it). Hit testing, painting, repainting and PlaceHolder::GetScrollOffset all take
  // the shift from here. The content scrolls as one: every child that is not float has the same
  // shift, which painting asks for once.
  virtual SIZE GetChildScrollOffset(const PlaceHolder* child) const { return SIZE{0, 0}; }

  // Changes whenever a child is added, removed or moved (layouts stop placing a stale list).
  unsigned GetChildListVersion() const { return child_list_version_; }

  // Bubbled handlers attached in code, run before those from markup.
  void AttachBubbledEvent(int type, EventCallback callback);
  void AttachMarkupBubbledEvent(int type, EventCallback callback);

 protected:
  // The children in list order, for boxes that lay out or paint them in their own way.
  const std::vector<Control*>& GetItems() const { return items_; }
  // A child deleted directly (not through Remove) has just left the list from index; boxes that
  // keep indices of their children bring them up to date here. The child is being destroyed:
  // only its index is left to go by.
  virtual void OnChildDeleted(int index) {}

 private:
  friend class Control;  // A child deleted directly takes itself off the list.

  // Takes a child that is being deleted out of the list (no re-layout).
  void ForgetChild(Control* child);
  // Lets a child that has left the list go: deleted (now, or by the window after the current
  // message) with auto-destroy, else detached from this box and its window.
  void ReleaseChild(Control* child);

  EventMap markup_bubbled_events_;
  std::unique_ptr<Layout> layout_;
  bool auto_destroy_ = true;
  bool delayed_destroy_ = true;
  bool mouse_child_enabled_ = true;
  std::vector<Control*> items_;  // Owned.
  unsigned child_list_version_ = 0;
  EventMap code_bubbled_events_;
};

// A box whose children are stacked left to right.
class HBox : public Box {
 public:
  HBox();
};

// A box whose children are stacked top to bottom.
class VBox : public Box {
 public:
  VBox();
};

// A box whose children are laid out in rows of cells.
class TileBox : public Box {
 public:
  TileBox();
};

}  // namespace ui

#endif  // UI_CORE_BOX_H_
