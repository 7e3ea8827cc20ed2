// ScrollGesture: one notch of the mouse wheel over the phone's video becomes a short swipe.
//
// The phone has no wheel, so each notch is played to it as a touch that goes down where the
// pointer is, moves 0.15 of the video's height in eight steps and goes up:
//
//   time (ms)   0      16    32   ...  128    144
//   touch       down   move  move ...  move   up
//
// Scrolling up (wheel turned away from the user) swipes downward, as a finger does to scroll a
// page up. The start is kept 0.05 inside the video's edges and the end 0.02 inside them. A newer
// notch takes over: the moves and the up of the swipe it interrupts are not sent.
//
//   ScrollGesture gesture_([this](int action, float fx, float fy) {
//     video_->SendTouch(action, fx, fy);
//   });
//   ...
//   WheelNotch notch;                                   // on WM_MOUSEWHEEL
//   if (ScrollGesture::ReadWheelNotch(hwnd, wParam, lParam, &notch)) {
//     float px = 0.5f, py = 0.5f;
//     if (video_->toTouchPercent(notch.point.x, notch.point.y, px, py))
//       gesture_.Swipe(px, py, notch.scrollUp);
//   }
//
// The steps run on the UI timer service of the thread that starts the swipe (ui::TimerManager),
// bound to the gesture's own weak flag: nothing is sent once the gesture is destroyed.
//
// Thread affinity: the window's thread. The touch sink is called there, from Swipe and from the
// thread's timer polls.
#ifndef PHONE_WINDOW_SCROLL_GESTURE_H_
#define PHONE_WINDOW_SCROLL_GESTURE_H_

#include <windows.h>

#include <functional>

#include "base/callback/weak_callback.h"

// A WM_MOUSEWHEEL message, read.
struct WheelNotch {
  POINT point = {0, 0};  // Client coordinates of the window the message came to.
  int delta = 0;         // Positive when the wheel was turned away from the user.
  bool scrollUp = false;
};

class ScrollGesture {
 public:
  // Touch actions.
  static constexpr int kTouchDown = 0;
  static constexpr int kTouchUp = 1;
  static constexpr int kTouchMove = 2;

  static constexpr int kMoveSteps = 8;
  static constexpr UINT kStepMs = 16;  // Move i is sent 16 x i ms after the down.
  static constexpr UINT kUpMs = 144;
  static constexpr float kSwipeLength = 0.15f;
  // Limits of the start point and of the end, as fractions of the video.
  static constexpr float kStartMin = 0.05f;
  static constexpr float kStartMax = 0.95f;
  static constexpr float kEndMin = 0.02f;
  static constexpr float kEndMax = 0.98f;

  // Receives the swipe's touches as fractions of the video; an up carries (0, 0).
  using TouchSink = std::function<void(int action, float fx, float fy)>;

  explicit ScrollGesture(TouchSink sink);
  ScrollGesture(const ScrollGesture&) = delete;
  ScrollGesture& operator=(const ScrollGesture&) = delete;

  // Reads a WM_MOUSEWHEEL for `window` and logs it; false (nothing logged) without a native window.
  static bool ReadWheelNotch(HWND window, WPARAM wParam, LPARAM lParam, WheelNotch* notch);

  // Sends the down at once and schedules the moves and the up; px and py are where the pointer is
  // over the video (fractions). Any swipe still under way sends nothing more.
  void Swipe(float px, float py, bool scrollUp);

  // How many swipes were started.
  int sequence() const { return sequence_; }

 private:
  void Move(int sequence, float fx, float fy);
  void Up(int sequence);

  TouchSink sink_;
  int sequence_ = 0;
  // Guards the scheduled steps; last, so it is released before anything they use.
  nbase::WeakCallbackFlag flag_;
};

#endif  // PHONE_WINDOW_SCROLL_GESTURE_H_
