// TouchEventListener: what the pop-out phone window hears of the touches its video control sends.
//
// The video control (ui::DuiVideoView) turns the mouse into touches on the phone and tells its
// listener about each one, with the position as fractions of the video, so that the window can
// repeat the touch on the other phones of a sync group.
//
//   class PhoneWindow : public ui::TouchEventListener {
//     void OnTouch(int action, int pointerCount, float fx, float fy, float pressure) override;
//   };
//   videoView->Connect(phoneWindow);
//
// Actions: 0 down, 2 move, 1 up (an up carries fx = fy = 0). Pressure is always 0.
//
// Thread affinity: called on the thread of the window that owns the video control.
#ifndef PHONE_WINDOW_TOUCH_EVENT_LISTENER_H_
#define PHONE_WINDOW_TOUCH_EVENT_LISTENER_H_

namespace ui {

class TouchEventListener {
 public:
  virtual ~TouchEventListener() = default;
  virtual void OnTouch(int action, int pointerCount, float fx, float fy, float pressure) = 0;
};

}  // namespace ui

#endif  // PHONE_WINDOW_TOUCH_EVENT_LISTENER_H_
