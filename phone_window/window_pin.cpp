#include "phone_window/window_pin.h"

namespace window_pin {

bool SetPinned(HWND window, bool pinned) {
  if (!::IsWindow(window)) return false;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  // A synchronous change of another thread's window waits for that thread, which may be waiting
  // in a callback for the caller.
  if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) {
    flags |= SWP_ASYNCWINDOWPOS;
  }
  ::SetWindowPos(window, pinned ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  return ::PostMessageW(window, kPinStateMessage, pinned ? 1 : 0, 0) != 0;
}

bool IsTopmost(HWND window) {
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool PostRotation(HWND window, int rotation) {
  if (!::IsWindow(window)) return false;
  return ::PostMessageW(window, kRotationMessage, static_cast<WPARAM>(rotation), 0) != 0;
}

}  // namespace window_pin
