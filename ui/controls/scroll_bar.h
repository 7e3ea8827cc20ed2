// ScrollBar: the scroll-bar control. Two arrow buttons, a thumb with a rail grip drawn on it, and a
// background, each with an image per state; a 64-bit range and position.
//
// A bar that belongs to a ui::ScrollableBox (its owner) scrolls the owner: its buttons step the
// owner a line, its rail a page, its thumb drags the owner's position. A bar without an owner
// scrolls only its own position (a button by the line size, the rail by the bar's length).
//
//   auto* bar = new ui::ScrollBar();
//   bar->SetAttribute(L"range", L"1000");
//   bar->SetAttribute(L"thumbnormalimage", L"file='thumb.png' corner='4,4,4,4'");
//   box->Add(bar);                            // markup class "ScrollBar"
//
// Holding a button steps once at the press, then once every 50 ms from 300 ms on; holding the
// rail pages the same way toward the pointer; dragging the thumb moves the position on the same
// 50 ms ticks. The repeat ends at the release, and also when the window no longer holds the
// mouse capture the press took (another window took it, or the press never went through the
// window's capture), and when the bar is disabled, hidden or handed to another owner.
//
// A range of 0 hides the bar. Negative ranges count as 0; the position is kept in [0, range].
//
// Thread affinity: the thread of the owning window; the repeat timer runs there, bound to the
// bar's repeat flag, so no tick reaches a bar that was destroyed.
#ifndef UI_CONTROLS_SCROLL_BAR_H_
#define UI_CONTROLS_SCROLL_BAR_H_

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/core/control.h"
#include "ui/core/state_image_map.h"

namespace ui {

class ScrollableBox;

class ScrollBar : public Control {
 public:
  // The thickness a new bar has (its fixed width, or height once horizontal), in pixels.
  static constexpr int kDefaultThickness = 16;
  // The auto-repeat timer's period, and the tick of the first repeat (300 ms after the press).
  static constexpr UINT kRepeatIntervalMs = 50;
  static constexpr int kFirstRepeatTick = 6;

  // The parts that have images of their own.
  enum Part { kPartBk = 0, kPartButton1, kPartButton2, kPartThumb, kPartRail, kPartCount };

  ScrollBar();
  ~ScrollBar() override;

  // ----- Overrides -----------------------------------------------------------------------------
  // Places the bar, then its buttons, thumb and rail grip (even when the rectangle is unchanged).
  void SetPos(RECT rect) override;
  // An owned bar floats over its owner, which places it: showing or hiding it lays out only the
  // bar. An unowned bar re-arranges its ancestors like any control.
  void SetVisible(bool visible) override;
  // Disabling stops a running repeat; the parts follow the bar's state.
  void SetEnabled(bool enabled) override;
  // The owner takes the focus for its bar.
  void SetFocus() override;
  bool HasHotState() const override { return true; }
  // An owned bar lies over its owner's content without scrolling with it: points and repaints
  // are shifted only by the boxes around the owner.
  bool IsPointInside(POINT point) const override;
  void Invalidate() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void ClearImageCache() override;
  void HandleEvent(const EventArgs& args) override;
  bool MouseEnter(const EventArgs& args) override;
  bool MouseLeave(const EventArgs& args) override;
  bool ButtonUp(const EventArgs& args) override;
  // The bar's look: background, buttons, thumb and rail grip (after the colour steps every control
  // has, in place of the control's own state images).
  void PaintStateImage(IRenderContext* context) override;

  // ----- Owner ---------------------------------------------------------------------------------
  ScrollableBox* GetOwner() const { return owner_; }
  // Set by the box that makes the bar; a new owner (or none) ends a running repeat.
  void SetOwner(ScrollableBox* owner);

  // ----- Range and position --------------------------------------------------------------------
  bool IsHorizontal() const { return horizontal_; }
  // A bar turned horizontal without a height of its own becomes kDefaultThickness high (and 0
  // wide); turned vertical without a width, kDefaultThickness wide. The owner (or, without one,
  // the ancestors) then re-arrange.
  void SetHorizontal(bool horizontal);
  int64_t GetScrollRange() const { return range_; }
  // Negative counts as 0; the position is lowered into the range. 0 hides the bar; a range on a
  // hidden bar without auto-hide shows it (through its fades).
  void SetScrollRange(int64_t range);
  int64_t GetScrollPos() const { return position_; }
  // Clamped to [0, range].
  void SetScrollPos(int64_t position);
  // The step of the buttons of a bar without owner. Values below 1 are refused.
  int GetLineSize() const { return line_size_; }
  void SetLineSize(int lineSize);
  int GetThumbMinLength() const { return thumb_min_length_; }
  void SetThumbMinLength(int length);
  bool IsShowButton1() const { return show_button1_; }
  void SetShowButton1(bool show);
  bool IsShowButton2() const { return show_button2_; }
  void SetShowButton2(bool show);
  // Auto-hide: the owner shows the bar only while the pointer is over the owner.
  bool IsAutoHideScroll() const { return auto_hide_; }
  void SetAutoHideScroll(bool autoHide) { auto_hide_ = autoHide; }

  // ----- Parts ---------------------------------------------------------------------------------
  RECT GetButton1Rect() const { return button1_rect_; }
  RECT GetButton2Rect() const { return button2_rect_; }
  RECT GetThumbRect() const { return thumb_rect_; }
  ControlStateType GetButton1State() const { return button1_state_; }
  ControlStateType GetButton2State() const { return button2_state_; }
  ControlStateType GetThumbState() const { return thumb_state_; }
  // Whether the auto-repeat timer runs (from a press to its end).
  bool IsRepeating() const { return repeat_flag_.HasUsed(); }

  // One state image of one part; each repaints the bar.
  void SetPartStateImage(Part part, ControlStateType state, const std::wstring& imageString);
  std::wstring GetPartStateImage(Part part, ControlStateType state) const;

 private:
  // What the press that runs the repeat landed on.
  enum class Pressed { kNone, kButton1, kButton2, kThumb, kRail };

  // The thickness the parts are laid out with: the fixed size across the bar, or the bar's own
  // breadth when that is stretch or auto.
  int Thickness() const;
  // The scroll position the bar's rectangle is shifted by in the window: that of the boxes around
  // its owner, or, without one, of the boxes around the bar.
  SIZE BarScrollOffset() const;
  // A window point in the bar's coordinates.
  POINT ToBar(POINT point) const;
  // The coordinate along the bar.
  LONG Along(POINT point) const { return horizontal_ ? point.x : point.y; }
  LONG ThumbStart() const { return horizontal_ ? thumb_rect_.left : thumb_rect_.top; }
  LONG ThumbEnd() const { return horizontal_ ? thumb_rect_.right : thumb_rect_.bottom; }
  int Length() const;

  void Press(const EventArgs& args);
  void Drag(const EventArgs& args);
  void Release(const EventArgs& args);
  // A tick of the auto-repeat timer.
  void RepeatStep();
  void StopRepeat();
  // Ends a press that lost its capture: the timer stops and every pushed part lets go.
  void AbandonPress();
  // Whether a repeat may go on: enabled, visible, and the window still holds the capture.
  bool StillHeld() const;
  // One line or page back or forward: through the owner, else on the bar's own position. Each
  // returns false when the bar was destroyed on the way.
  bool LineBack();
  bool LineForward();
  bool PageBack();
  bool PageForward();
  // Moves to position along the bar's axis (through the owner when there is one).
  bool ScrollTo(int64_t position);
  // Hands an event to the owner, or without one to the control's default handling.
  void ToOwner(const EventArgs& args);
  void SetPartStates(ControlStateType state);
  void PaintPart(IRenderContext* context, Part part, ControlStateType partState,
                 const RECT& rect);

  bool horizontal_ = false;
  bool show_button1_ = true;
  bool show_button2_ = true;
  bool auto_hide_ = true;
  int64_t range_ = 100;
  int64_t position_ = 0;
  int line_size_ = 8;
  int thumb_min_length_ = 30;
  int64_t drag_start_position_ = 0;
  int64_t drag_delta_ = 0;
  int repeat_ticks_ = 0;
  Pressed pressed_ = Pressed::kNone;
  ScrollableBox* owner_ = nullptr;  // Not owned: the owner owns the bar.
  POINT drag_start_point_ = {0, 0};
  RECT button1_rect_ = {0, 0, 0, 0};
  RECT button2_rect_ = {0, 0, 0, 0};
  RECT thumb_rect_ = {0, 0, 0, 0};
  ControlStateType button1_state_ = kControlStateNormal;
  ControlStateType button2_state_ = kControlStateNormal;
  ControlStateType thumb_state_ = kControlStateNormal;
  StateImage images_[kPartCount];
  // The auto-repeat timer is bound to it; cancelling it stops the timer.
  nbase::WeakCallbackFlag repeat_flag_;
};

}  // namespace ui

#endif  // UI_CONTROLS_SCROLL_BAR_H_
