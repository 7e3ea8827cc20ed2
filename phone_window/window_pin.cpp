#include "phone_window/window_pin.h"

#include <vector>

namespace window_pin {
namespace {

// The z-order change on the window's own thread. Wine places a window that is made topmost right
// below the pop-ups it owns that lie above it (a tooltip shown once and hidden again) and takes
// the topmost state from the window that then follows it, so the request is lost. Asked again
// while those pop-ups are owned by nobody, it holds; they are given back to the window at once.
void SetTopmostHere(HWND window, HWND after, UINT flags) {
  ::SetWindowPos(window, after, 0, 0, 0, 0, flags);
  if (IsTopmost(window) == (after == HWND_TOPMOST)) return;
  std::vector<HWND> owned;
  for (HWND above = ::GetTopWindow(nullptr); above && above != window;
       above = ::GetWindow(above, GW_HWNDNEXT)) {
    if (::GetWindow(above, GW_OWNER) == window) owned.push_back(above);
  }
  for (HWND popup : owned) ::SetWindowLongPtrW(popup, GWLP_HWNDPARENT, 0);
  ::SetWindowPos(window, after, 0, 0, 0, 0, flags);
  for (HWND popup : owned) {
    ::SetWindowLongPtrW(popup, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window));
  }
}

}  // namespace

bool SetPinned(HWND window, bool pinned) {
  if (!::IsWindow(window)) return false;
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  HWND after = pinned ? HWND_TOPMOST : HWND_NOTOPMOST;
  if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
    SetTopmostHere(window, after, flags);
  } else {
    // A synchronous change of another thread's window waits for that thread, which may be
    // waiting in a callback for the caller.
    ::SetWindowPos(window, after, 0, 0, 0, 0, flags | SWP_ASYNCWINDOWPOS);
  }
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
