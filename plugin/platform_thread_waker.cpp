#include "plugin/platform_thread_waker.h"

namespace {

constexpr wchar_t kClassName[] = L"FernholdPlatformThreadWaker";
constexpr UINT kWakeMessage = WM_APP + 0x51;

bool RegisterWindowClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window once `this` is stored
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  // Registered once per process; a second registration fails harmlessly.
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

PlatformThreadWaker::PlatformThreadWaker(std::function<void()> onWake)
    : onWake_(std::move(onWake)) {}

PlatformThreadWaker::~PlatformThreadWaker() {
  HWND window = window_.exchange(nullptr);
  if (!window) return;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);  // drops a wake message still queued
}

void PlatformThreadWaker::Arm() {
  if (armed_) return;
  armed_ = true;
  static const bool registered = RegisterWindowClass();
  if (!registered) return;
  HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) return;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
  window_ = window;  // published once it is ready for wakes
}

void PlatformThreadWaker::Wake() {
  HWND window = window_.load();
  if (!window) return;
  if (pending_.exchange(true)) return;  // one is on its way
  if (!PostMessageW(window, kWakeMessage, 0, 0)) pending_ = false;
}

LRESULT CALLBACK PlatformThreadWaker::WindowProc(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam) noexcept {
  if (message == kWakeMessage) {
    auto* self = reinterpret_cast<PlatformThreadWaker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
      // Cleared before running, so a wake asked for during the run posts again.
      self->pending_ = false;
      if (self->onWake_) self->onWake_();
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
