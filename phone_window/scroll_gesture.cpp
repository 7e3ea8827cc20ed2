#include "phone_window/scroll_gesture.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "ui/core/timer_manager.h"

namespace {

void DebugLog(const char* format, ...) {
  char line[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  ::OutputDebugStringA(line);
}

}  // namespace

ScrollGesture::ScrollGesture(TouchSink sink) : sink_(std::move(sink)) {}

bool ScrollGesture::ReadWheelNotch(HWND window, WPARAM wParam, LPARAM lParam,
                                   WheelNotch* notch) {
  if (!::IsWindow(window)) return false;
  // The message carries screen coordinates.
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(window, &point);
  notch->point = point;
  notch->delta = GET_WHEEL_DELTA_WPARAM(wParam);
  notch->scrollUp = notch->delta > 0;
  DebugLog("[Fernhold] WM_MOUSEWHEEL delta=%d pt=(%d,%d)\n", notch->delta, point.x, point.y);
  return true;
}

void ScrollGesture::Swipe(float px, float py, bool scrollUp) {
  px = std::clamp(px, kStartMin, kStartMax);
  py = std::clamp(py, kStartMin, kStartMax);
  const float endY = std::clamp(scrollUp ? py + kSwipeLength : py - kSwipeLength, kEndMin, kEndMax);
  const int sequence = ++sequence_;
  DebugLog("[Fernhold] scrollGesture scrollUp=%d px=%.3f py=%.3f endY=%.3f\n", scrollUp ? 1 : 0,
           px, py, endY);

  // Everything is scheduled before the down is sent: a swipe whose up could not be scheduled
  // would leave the phone's finger down.
  ui::TimerManager* timers = ui::TimerManager::GetInstance();
  bool scheduled = true;
  for (int i = 1; i <= kMoveSteps && scheduled; ++i) {
    const float y = (endY - py) * static_cast<float>(i) * 0.125f + py;
    scheduled = timers->AddCancelableTimer(
        flag_.GetWeakFlag(), [this, sequence, px, y] { Move(sequence, px, y); }, kStepMs * i, 1);
  }
  scheduled = scheduled && timers->AddCancelableTimer(
                               flag_.GetWeakFlag(), [this, sequence] { Up(sequence); }, kUpMs, 1);
  if (!scheduled) {
    flag_.Cancel();  // what was scheduled; an older swipe was superseded anyway
    return;
  }
  sink_(kTouchDown, px, py);
}

void ScrollGesture::Move(int sequence, float fx, float fy) {
  if (sequence != sequence_) return;
  DebugLog("[Fernhold] scrollGesture MOVE seq=%d y=%.3f\n", sequence, fy);
  sink_(kTouchMove, fx, fy);
}

void ScrollGesture::Up(int sequence) {
  if (sequence != sequence_) return;
  DebugLog("[Fernhold] scrollGesture UP\n");
  sink_(kTouchUp, 0.0f, 0.0f);
}
