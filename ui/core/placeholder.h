// PlaceHolder: the geometric core of every element of a native window.
//
// A place holder knows its window and parent box, the size it asks for (fixed, stretch or auto,
// with limits), how it aligns, whether it floats, where it was placed, whether it is visible, and
// the two flags that drive re-layout: need-estimate (the cached size must be measured again) and
// need-arrange (the position must be computed again). ui::Control adds everything interactive.
//
//   control->SetFixedWidth(120);          // DPI-scaled, asks the ancestors to re-arrange
//   control->SetFixedHeight(ui::kSizeAuto);
//   ...                                   // the window's next layout pass places it
//   RECT where = control->GetPos();
//
// Units: sizes, limits and rectangles are physical pixels, rectangles in window client
// coordinates. Setters that take markup-sized values scale them by the DPI manager when asked.
//
// Re-layout: ArrangeAncestor marks this control and asks the nearest ancestor whose size does not
// depend on its children to ArrangeSelf; ArrangeSelf marks it and tells the window that a layout
// pass is due before the next paint. Nothing is laid out at once.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CORE_PLACEHOLDER_H_
#define UI_CORE_PLACEHOLDER_H_

#include <windows.h>

#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/core/control_types.h"

namespace ui {

class Box;
class IRenderContext;
class Window;

class PlaceHolder : public virtual nbase::SupportWeakCallback {
 public:
  PlaceHolder() = default;
  ~PlaceHolder() override;
  PlaceHolder(const PlaceHolder&) = delete;
  PlaceHolder& operator=(const PlaceHolder&) = delete;

  // The name the window's find-by-name looks up (markup "name"). A control of a window's tree
  // that is renamed is found by its new name from then on, and no longer by the old one.
  const std::wstring& GetName() const { return name_; }
  std::string GetUTF8Name() const;
  void SetName(const std::wstring& name);

  virtual Window* GetWindow() const { return window_; }
  // Replaces the owning window only.
  virtual void SetWindow(Window* window) { window_ = window; }
  // Stores both; with init and a parent, runs Init.
  virtual void SetWindowAndParent(Window* window, Box* parent, bool init);
  Box* GetParent() const { return parent_; }
  // Runs DoInit; called when the control is attached to a parent in a window.
  virtual void Init();
  // Where derived classes build what they need once attached. Nothing in the base.
  virtual void DoInit() {}

  // Its own visibility and the one its ancestors impose.
  virtual bool IsVisible() const { return visible_ && intern_visible_; }
  bool IsInternVisible() const { return intern_visible_; }

  // Fixed sizes: kSizeStretch, kSizeAuto or pixels. Values below kSizeAuto are ignored; a
  // positive value is DPI-scaled when dpiScale. A new width re-arranges the ancestors when arrange
  // is true and otherwise only marks the size for measuring; a new height always re-arranges.
  int GetFixedWidth() const { return fixed_width_; }
  int GetFixedHeight() const { return fixed_height_; }
  void SetFixedWidth(int width, bool arrange = true, bool dpiScale = true);
  void SetFixedHeight(int height, bool dpiScale = true);
  // Limits. A positive value is DPI-scaled; a change re-arranges (a float control itself, else its
  // ancestors). Negative minimums are ignored.
  int GetMinWidth() const { return min_width_; }
  int GetMinHeight() const { return min_height_; }
  void SetMinWidth(int width);
  void SetMinHeight(int height);
  int GetMaxWidth() const { return max_width_; }
  int GetMaxHeight() const { return max_height_; }
  void SetMaxWidth(int width);
  void SetMaxHeight(int height);

  // Alignment inside the space a layout gives (no re-layout by itself).
  int GetHorAlignType() const { return hor_align_; }
  void SetHorAlignType(HorAlignType align) { hor_align_ = align; }
  int GetVerAlignType() const { return ver_align_; }
  void SetVerAlignType(VerAlignType align) { ver_align_ = align; }
  // A float control is placed by its own alignment and margin in the whole of its parent instead
  // of taking part in the parent's flow.
  bool IsFloat() const { return float_; }
  void SetFloat(bool isFloat);

  bool IsNeedEstimate() const { return need_estimate_; }
  void SetNeedEstimate(bool needEstimate) { need_estimate_ = needEstimate; }
  bool IsNeedArrange() const { return need_arrange_; }

  // The size the control wants in the available space: the fixed sizes as they are (so stretch
  // and auto come back unchanged) unless a derived class measures content.
  virtual SIZE EstimateSize(SIZE available);
  // The position. Without withShadow, and when the window has its shadow attached, it is moved
  // by minus the shadow's left and top width (window coordinates without the shadow border).
  virtual RECT GetPos(bool withShadow = true) const;
  // Stores the rectangle (right and bottom never left of or above left and top).
  virtual void SetPos(RECT rect);
  // Re-arranges the ancestors when a side is auto, else only this control.
  virtual void Arrange();
  virtual void ArrangeAncestor();
  // Repaints the position in the window (scrolled by the enclosing scrolling box). Nothing while
  // not visible or without a window.
  virtual void Invalidate();
  // Marks this control for measuring and arranging and tells the window a layout pass is due.
  virtual void ArrangeSelf();

  // Content to window: how far the boxes this control lies in have scrolled it, summed over all
  // of them (Box::GetChildScrollOffset); a point of the window plus this is a point in the
  // coordinates of the position. (0, 0) when nothing around it scrolls.
  SIZE GetScrollOffset() const;
  // rect, in the coordinates of this control's position, in window client coordinates.
  RECT ToWindowRect(RECT rect) const;

  // Markup "cache": the control paints itself into a bitmap of its own, redrawn only when dirty.
  bool IsUseCache() const { return use_cache_; }
  void SetUseCache(bool useCache) { use_cache_ = useCache; }
  bool IsCacheDirty() const { return cache_dirty_; }
  void SetCacheDirty(bool dirty) { cache_dirty_ = dirty; }

 protected:
  friend class Box;  // A box detaches the children it lets go of.

  std::wstring name_;
  Window* window_ = nullptr;  // Not owned.
  Box* parent_ = nullptr;     // Not owned; the parent owns this control.
  int fixed_width_ = kSizeStretch;
  int fixed_height_ = kSizeStretch;
  int min_width_ = -1;
  int min_height_ = -1;
  int max_width_ = kMaxControlSize;
  int max_height_ = kMaxControlSize;
  RECT rect_ = {0, 0, 0, 0};
  int hor_align_ = kHorAlignLeft;
  int ver_align_ = kVerAlignTop;
  bool float_ = false;
  bool need_estimate_ = true;
  bool visible_ = true;
  bool intern_visible_ = true;
  bool need_arrange_ = true;
  bool use_cache_ = false;
  bool cache_dirty_ = false;
  // The "cache" bitmap, made at the first cached paint.
  std::unique_ptr<IRenderContext> cache_render_context_;
};

}  // namespace ui

#endif  // UI_CORE_PLACEHOLDER_H_
