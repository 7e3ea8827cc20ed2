// ListBox: a scrollable list of items with one selection.
//
// The items are ui::ListContainerElement children; the list is their owner and keeps each one's
// index equal to its position. Other controls may stand between them (headers, separators) but
// are never selected. The selection moves by clicks on items, by the arrow, Home and End keys
// (over the visible, enabled items only), by the wheel when "scrollselect" is on (otherwise the
// wheel scrolls), and by calls; the selected item is scrolled into view. Every change raises
// kEventSelect on the list (wParam the new index, lParam the previous one) after the item that
// lost the selection got kEventUnSelect.
//
//   auto* list = new ui::ListBox(new ui::VLayout());       // markup: <VListBox .../>
//   list->SetAttribute(L"vscrollbar", L"true");
//   for (const wchar_t* text : {L"Auto", L"HD", L"SD"}) {
//     auto* row = new ui::ListContainerElement();
//     row->SetText(text);
//     row->SetFixedHeight(30);
//     list->Add(row);
//   }
//   list->AttachEvent(ui::kEventSelect, OnQualityPicked);
//   list->SelectItem(0, false, false);                    // quietly
//
// Keeping the selection: removing the selected item selects its neighbour (the item that took
// its place, else the nearest selectable one before it) and says so with kEventSelect; removing
// an item before it, or moving items, keeps the same item selected at its new index; hiding or
// disabling the selected item leaves no selection. An item deleted directly (not through the
// list) is handled like a removal, except that its going leaves no selection and raises no
// event. An item let go without being deleted leaves unselected. A key or wheel step that finds
// no item to go to keeps the selection as it is.
//
// Markup names: "ListBox" (children overlap, the plain layout), "HListBox", "VListBox" and
// "TileListBox" (horizontal, vertical and tile layouts). Attribute: "scrollselect"; everything else
// is the scrollable box's.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_LIST_BOX_H_
#define UI_CONTROLS_LIST_BOX_H_

#include <string>

#include "ui/controls/list_owner.h"
#include "ui/core/scrollable_box.h"

namespace ui {

class ListContainerElement;

class ListBox : public ScrollableBox, public IListOwner {
 public:
  // Takes ownership of layout; null gives the plain layout.
  explicit ListBox(Layout* layout = nullptr);

  // ----- Overrides -----------------------------------------------------------------------------
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void HandleEvent(const EventArgs& args) override;
  // The box's dispatch; it is also how items hand their events to the list.
  void DispatchEvent(const EventArgs& args) override;
  // Pushed and mouse-focused when enabled; a smooth scroll stops in any case.
  bool ButtonDown(const EventArgs& args) override;
  // Negative indices and indices past the last are refused (false). The items between the old
  // and the new place are renumbered and the selection stays with its item.
  bool SetItemIndex(Control* control, int index) override;
  // An item added anywhere gets this list as owner and its index; the items after it are
  // renumbered and the selection stays with its item.
  bool AddAt(Control* control, int index) override;
  // RemoveAt of the control's index; false for a control that is not a child.
  bool Remove(Control* control) override;
  // False when there is no child at index or the box refuses. See the header for the selection.
  bool RemoveAt(int index) override;
  // No selection, then every child goes.
  void RemoveAll() override;

  // ----- IListOwner ----------------------------------------------------------------------------
  int GetCurSel() const override { return current_selection_; }
  bool SelectItem(int index, bool takeFocus, bool trigger) override;
  // Scrolls the least distance that brings rect (content coordinates) inside the view; a rect in
  // view already is passed on to the list this list is an item of, if any.
  void EnsureVisible(const RECT& rect) override;
  void StopScroll() override;

  // ----- List ----------------------------------------------------------------------------------
  // Scrolls the first child named name to the top of the view; false when there is none, when
  // nothing scrolls vertically, or when it lies above the content's top.
  virtual bool ScrollItemToTop(const std::wstring& name);
  // The first visible, non-float child whose bottom is at or below the top of the view; null
  // when none.
  virtual Control* GetTopItem() const;

  bool IsScrollSelect() const { return scroll_select_; }
  void SetScrollSelect(bool scrollSelect) { scroll_select_ = scrollSelect; }
  // Whether removing the selected item selects a neighbour (on by default) or leaves none.
  bool IsSelectNextWhenActiveRemoved() const { return select_neighbour_on_remove_; }
  void SelectNextWhenActiveRemoved(bool selectNeighbour) {
    select_neighbour_on_remove_ = selectNeighbour;
  }

 protected:
  // The items after it are renumbered; the selection follows its item, and is gone with it.
  void OnChildDeleted(int index) override;

 private:
  // Sets owner and index of the items from first to last (inclusive, clamped to the children).
  void Renumber(int first, int last);
  // The selection step of a key or the wheel: the selection stays when target is -1.
  void StepTo(int target);

  bool scroll_select_ = false;
  int current_selection_ = -1;
  bool select_neighbour_on_remove_ = true;
};

}  // namespace ui

#endif  // UI_CONTROLS_LIST_BOX_H_
