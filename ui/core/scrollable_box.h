// ScrollableBox: a box whose content may be larger than the box itself.
//
// The children are laid out on a content area as tall (and wide) as they need; the box shows a
// vertical and a horizontal ui::ScrollBar on demand, and paints and hit-tests its children shifted
// by the scroll position. It scrolls by keys (arrows a line, page up and down a page, home and
// end), the mouse wheel (one unit per notch), touch or pen drags (the content follows the finger),
// its bars and calls. List boxes, rich edits, trees and virtual lists derive from it.
//
//   auto* list = new ui::ScrollableBox(new ui::VLayout());
//   list->SetAttribute(L"vscrollbar", L"true");
//   list->SetAttribute(L"holdend", L"true");     // a log view: stay at the end as rows arrive
//   for (...) list->Add(MakeRow());
//   list->AttachEvent(ui::kEventScrollChange, OnScrolled);
//
// Positions: GetScrollPos is (x, y) in pixels of content hidden to the left and above; each axis
// is 0 while its bar is missing or has no range. Children keep content coordinates: a child at
// y 400 in a box scrolled by 300 shows 100 pixels below the box's top.
//
// Smooth scrolling: line steps through keys, the wheel and the bars are animated; a step made
// while an earlier one runs extends that one's target, so quick steps add up. Scrolling to the end
// with the End key jumps there and slides the last stretch in through the render offset. Every
// change of the position raises kEventScrollChange on the box.
//
// Bars: owned by the box, floating over the content by default ("scrollbarfloat"); with auto-hide
// (the bar's default) they show while the pointer is over the box.
//
// Thread affinity: the thread of the owning window; animation steps come from the timer service
// there, bound to the box's weak flag.
#ifndef UI_CORE_SCROLLABLE_BOX_H_
#define UI_CORE_SCROLLABLE_BOX_H_

#include <windows.h>

#include <memory>
#include <string>

#include "ui/core/animation_player.h"
#include "ui/core/box.h"
#include "ui/core/scroll_arithmetic.h"

namespace ui {

class ScrollBar;

class ScrollableBox : public Box {
 public:
  // Takes ownership of layout; null gives the plain layout.
  explicit ScrollableBox(Layout* layout = nullptr);
  ~ScrollableBox() override;

  // ----- Overrides -----------------------------------------------------------------------------
  // The bars get the window with this box as their parent, then the children and the box.
  void SetWindowAndParent(Window* window, Box* parent, bool init) override;
  // Lays the children out on the content area, fits both bars to it, and keeps the view at the
  // end when "holdend" is on and it was there.
  void SetPos(RECT rect) override;
  void SetMouseEnabled(bool enabled) override;
  // The bars first (they lie over the content), then the children at the scrolled point.
  Control* FindControl(FindControlProc proc, void* data, UINT flags) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // The children shifted by the scroll position (clipped to the padding when the box clips), then
  // the bars on top.
  void PaintChildren(IRenderContext* context, const RECT& area) override;
  void ClearImageCache() override;
  void HandleEvent(const EventArgs& args) override;
  // Shows the auto-hide bars that have a range.
  bool MouseEnter(const EventArgs& args) override;
  // Hides them again once the pointer is outside the box (not when it moves onto a bar).
  bool MouseLeave(const EventArgs& args) override;
  // The scroll position, except for float children and the bars, which stay in place over the
  // content.
  SIZE GetChildScrollOffset(const PlaceHolder* child) const override;

  // ----- Scrolling -----------------------------------------------------------------------------
  virtual SIZE GetScrollPos() const;
  virtual SIZE GetScrollRange() const;
  // Clamps to the ranges (a y outside its range also stops a smooth scroll), then, when anything
  // moved, repaints and raises kEventScrollChange.
  virtual void SetScrollPos(SIZE position);
  virtual void SetScrollPosY(int y);
  virtual void SetScrollPosX(int x);
  // One line (delta -1, or any negative delta) or delta pixels, at most one unit; nothing at the
  // end already. animated: a smooth scroll that extends one already running.
  virtual void LineUp(int delta, bool animated);
  virtual void LineDown(int delta, bool animated);
  virtual void LineLeft(int delta);
  virtual void LineRight(int delta);
  // One view less the padding (and a horizontal bar with a range, vertically).
  virtual void PageUp();
  virtual void PageDown();
  virtual void HomeUp();
  // To the end of the vertical range. arrange: lay out first (the content may just have grown);
  // animated: the content slides the last stretch into place.
  virtual void EndDown(bool arrange, bool animated);
  virtual void PageLeft();
  virtual void PageRight();
  virtual void HomeLeft();
  virtual void EndRight();
  // The content follows a drag: up by pixels (toward the start) or down (toward the end).
  virtual void ScrollUpBy(int pixels);
  virtual void ScrollDownBy(int pixels);
  // Makes or deletes the bars (a new bar is hidden, without range, with the global class
  // "vscrollbar" or "hscrollbar"), then re-arranges.
  virtual void EnableScrollBar(bool vertical, bool horizontal);
  virtual ScrollBar* GetVScrollBar() const { return vbar_.get(); }
  virtual ScrollBar* GetHScrollBar() const { return hbar_.get(); }
  // Fits a bar to content of the required length in rect (the box's rectangle), and lays the
  // content out again when that changed the bar.
  virtual void ProcessVScrollBar(RECT rect, int requiredHeight);
  virtual void ProcessHScrollBar(RECT rect, int requiredWidth);
  // The size the children take when laid out in rect (the box less its padding); (0, 0) without
  // children. Unless the bars float, a bar with a range takes its thickness off rect first.
  virtual SIZE CalcRequiredSize(const RECT& rect);

  // Stops a smooth line scroll where it is (a list does on a press).
  void StopScrollAnimation();
  bool IsScrollAnimating() const { return scroll_animation_.IsPlaying(); }

  // ----- Settings ------------------------------------------------------------------------------
  int GetVerScrollUnit() const { return ver_scroll_unit_; }
  void SetVerScrollUnit(int unit) { ver_scroll_unit_ = unit; }
  int GetHorScrollUnit() const { return hor_scroll_unit_; }
  void SetHorScrollUnit(int unit) { hor_scroll_unit_ = unit; }
  bool IsHoldEnd() const { return hold_end_; }
  void SetHoldEnd(bool holdEnd) { hold_end_ = holdEnd; }
  bool IsScrollBarFloat() const { return scroll_bar_float_; }
  void SetScrollBarFloat(bool isFloat) { scroll_bar_float_ = isFloat; }
  // Stored for skins that set it; nothing reads it.
  bool IsDefaultDisplayScrollbar() const { return default_display_scroll_bar_; }
  void SetDefaultDisplayScrollbar(bool display) { default_display_scroll_bar_ = display; }
  // The bars lie inside the box shrunk by this (physical pixels).
  RECT GetScrollBarPadding() const { return scroll_bar_padding_; }
  void SetScrollBarPadding(const RECT& padding) { scroll_bar_padding_ = padding; }

 private:
  // What fitting a bar did.
  enum class BarChange {
    kNone,      // Nothing that the layout depends on.
    kAppeared,  // The content overflowed a bar without range: it has one now.
    kChanged,   // Its range or position changed.
  };

  // Lays out the content in rect and fits the bars (SetPos's work after placing the box): as
  // long as fitting changes a bar, the content is laid out and the bars fitted again, up to a
  // few times (a layout whose size changes every time it is asked would never settle).
  // afterNewBar: a bar has just appeared (its range then follows the content either way).
  void LayOutContent(const RECT& rect, bool afterNewBar = false);
  // Fits the bar of axis, if any, to content required pixels long in rect (the box's rectangle).
  // The box may be gone when this returns (a handler of the bar's move).
  BarChange FitBar(ScrollAxis axis, const RECT& rect, int required, bool afterNewBar);
  // FitBar, then the layout again when the bar changed (ProcessVScrollBar, ProcessHScrollBar).
  void FitBarAndLayOut(ScrollAxis axis, const RECT& rect, int required);
  ScrollBar* GetBar(ScrollAxis axis) const;
  // Scrolls one page (less the padding and a bar lying across) along axis, direction -1 toward
  // the start or 1 toward the end.
  void ScrollPage(ScrollAxis axis, int direction);
  std::unique_ptr<ScrollBar> MakeBar(bool horizontal);
  void DropBar(std::unique_ptr<ScrollBar>* bar);
  // Loads the background images of the children that show and lets the others go.
  void UpdateChildImages(bool forward);
  void StartSmoothScroll(int from, int to);
  bool HasVRange() const;
  bool HasHRange() const;
  // Handles the keys, wheel and drags of one axis; false for events it leaves alone.
  bool HandleVerticalInput(const EventArgs& args);
  bool HandleHorizontalInput(const EventArgs& args);

  std::unique_ptr<ScrollBar> vbar_;
  std::unique_ptr<ScrollBar> hbar_;
  int ver_scroll_unit_ = kDefaultScrollUnit;
  int hor_scroll_unit_ = kDefaultScrollUnit;
  bool hold_end_ = false;
  bool scroll_bar_float_ = true;
  bool default_display_scroll_bar_ = true;
  RECT scroll_bar_padding_ = {0, 0, 0, 0};
  POINT last_drag_point_ = {-1, -1};
  AnimationPlayer scroll_animation_;
  AnimationPlayer end_animation_;
};

}  // namespace ui

#endif  // UI_CORE_SCROLLABLE_BOX_H_
