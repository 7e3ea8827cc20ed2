// Slider: a progress bar with a thumb that the user drags, clicks or moves with the wheel.
//
// The thumb runs over the whole control, from the left end (min) to the right end (max), or from
// the bottom (min) to the top (max) when vertical; the bar (colour and progress image) can be inset
// by a padding, and its fill reaches the middle of the thumb. The thumb has an image per state:
// pushed while dragged, hot while the pointer is over it, disabled on a disabled slider, each
// falling back to the normal image.
//
//   auto* volume = new ui::Slider();
//   volume->SetAttribute(L"width", L"200");
//   volume->SetAttribute(L"thumbnormalimage", L"file='thumb.png'");
//   volume->SetAttribute(L"thumbsize", L"16,16");
//   volume->AttachEvent(ui::kEventValueChange, [volume](const ui::EventArgs&) {
//     SetVolume(volume->GetValue());
//     return true;
//   });
//   box->Add(volume);                         // markup class "Slider"
//
// Input: a press on the thumb starts a drag (a press elsewhere does not); while dragging the value
// follows the pointer without events; the release sets the value from its point and sends one
// ui::kEventValueChange (51, "valuechange"), also after a press on the bar beside the thumb. A
// wheel notch moves the value by the step, held within the range, and sends the event when the
// value changed. A disabled slider takes no presses and leaves the wheel to its parent. Points
// are taken with the scroll position of the boxes around the slider. The event goes out through
// the window (none without one), with the new value in GetValue.
//
// Markup attributes: "step", "thumbnormalimage", "thumbhotimage", "thumbpushedimage",
// "thumbdisabledimage", "thumbsize" (width,height; DPI-scaled; negative sizes are refused),
// "progressbarpadding" (left,top,right,bottom; DPI-scaled); anything else goes to ui::Progress.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_SLIDER_H_
#define UI_CONTROLS_SLIDER_H_

#include <windows.h>

#include <string>

#include "ui/controls/progress.h"
#include "ui/core/state_image_map.h"

namespace ui {

class Slider : public Progress {
 public:
  static constexpr int kDefaultThumbSize = 10;

  Slider();

  // ----- Overrides -----------------------------------------------------------------------------
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Also releases the thumb images' decoded pictures.
  void ClearImageCache() override;
  void HandleEvent(const EventArgs& args) override;
  // The thumb is no longer hot when the pointer leaves the slider.
  bool MouseLeave(const EventArgs& args) override;
  // The bar inside the padding, then the thumb.
  void PaintStateImage(IRenderContext* context) override;
  // The fill up to the middle of the thumb, over the current position.
  RECT GetProgressPos() override;

  // ----- Slider --------------------------------------------------------------------------------
  // The value change of one wheel notch.
  int GetChangeStep() const { return step_; }
  void SetChangeStep(int step) { step_ = step; }
  // Physical pixels. A negative side is refused.
  SIZE GetThumbSize() const { return thumb_size_; }
  void SetThumbSize(SIZE size);
  // The thumb's rectangle at the current value (window client coordinates).
  RECT GetThumbRect() const;
  // Physical pixels. A change re-arranges the ancestors of an auto-sized slider, else repaints.
  RECT GetProgressBarPadding() const { return bar_padding_; }
  void SetProgressBarPadding(const RECT& padding);
  std::wstring GetThumbStateImage(ControlStateType state) const;
  void SetThumbStateImage(ControlStateType state, const std::wstring& imageString);
  // Hot while the pointer is over the thumb and no drag runs.
  ControlStateType GetThumbState() const { return thumb_state_; }

 private:
  // The event's point in the slider's coordinates (shifted by the scroll position around it).
  POINT EventPoint(const EventArgs& args) const;
  double ValueAt(POINT point) const;
  void Press(const EventArgs& args);
  void Move(const EventArgs& args);
  void Release(const EventArgs& args);
  void Wheel(const EventArgs& args);
  void SetThumbState(ControlStateType state);
  // Sends kEventValueChange through the window; false when the slider was destroyed by a handler.
  bool SendValueChange();
  // Draws the thumb image of state; false when it drew nothing.
  bool DrawThumb(IRenderContext* context, ControlStateType state);

  int step_ = 1;
  SIZE thumb_size_ = {kDefaultThumbSize, kDefaultThumbSize};
  StateImage thumb_images_;
  RECT bar_padding_ = {0, 0, 0, 0};
  ControlStateType thumb_state_ = kControlStateNormal;
  // Built at each paint for the thumb.
  std::wstring thumb_modify_;
};

}  // namespace ui

#endif  // UI_CONTROLS_SLIDER_H_
