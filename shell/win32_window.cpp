#include "shell/win32_window.h"

#include <flutter_windows.h>

#include "shell/resource.h"
#include "shell/window_theme.h"

namespace {

// Process-wide state of the window class. Touched only on the main thread.
int g_live_window_count = 0;
bool g_class_registered = false;

void RegisterWindowClassOnce(WNDPROC procedure) {
  if (g_class_registered) {
    return;
  }
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP_ICON));
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  // The system deletes a class brush when the class is unregistered.
  window_class.hbrBackground = ::CreateSolidBrush(kMainWindowBackground);
  window_class.lpszClassName = kMainWindowClassName;
  if (::RegisterClassExW(&window_class) == 0) {
    // Already registered (by an earlier window of this process): that class serves as well.
    ::DeleteObject(window_class.hbrBackground);
  }
  g_class_registered = true;
}

void UnregisterWindowClassIfUnused() {
  // Fails while a window of the class is still being destroyed (Destroy runs again from its
  // WM_DESTROY); the outer call, after DestroyWindow has returned, then succeeds.
  if (g_live_window_count == 0 && g_class_registered &&
      ::UnregisterClassW(kMainWindowClassName, ::GetModuleHandleW(nullptr))) {
    g_class_registered = false;
  }
}

int Scale(int logical, double scale) { return static_cast<int>(logical * scale); }

// EnableNonClientDpiScaling exists from Windows 10 1607 on; look it up and skip it elsewhere.
void EnableFullDpiSupportIfAvailable(HWND window) {
  HMODULE user32 = ::LoadLibraryA("User32.dll");
  if (user32 == nullptr) {
    return;
  }
  using EnableNonClientDpiScalingFunction = BOOL(WINAPI*)(HWND);
  auto enable = reinterpret_cast<EnableNonClientDpiScalingFunction>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "EnableNonClientDpiScaling")));
  if (enable != nullptr) {
    enable(window);
  }
  ::FreeLibrary(user32);
}

}  // namespace

Win32Window::Win32Window() { ++g_live_window_count; }

Win32Window::~Win32Window() {
  --g_live_window_count;
  Destroy();
}

bool Win32Window::Create(const std::wstring& title, const Point& origin, const Size& size) {
  if (window_handle_ != nullptr) {
    Destroy();
  }

  RegisterWindowClassOnce(&Win32Window::WndProc);

  const POINT target_point = {static_cast<LONG>(origin.x), static_cast<LONG>(origin.y)};
  HMONITOR monitor = ::MonitorFromPoint(target_point, MONITOR_DEFAULTTONEAREST);
  const UINT dpi = FlutterDesktopGetDpiForMonitor(monitor);
  const double scale = dpi / 96.0;

  HWND window = ::CreateWindowExW(0, kMainWindowClassName, title.c_str(), kMainWindowStyle,
                                  Scale(origin.x, scale), Scale(origin.y, scale),
                                  Scale(size.width, scale), Scale(size.height, scale), nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), this);
  if (window == nullptr) {
    return false;
  }
  UpdateTheme(window);
  return OnCreate();
}

bool Win32Window::Show() { return ::ShowWindow(window_handle_, SW_SHOWNORMAL) != FALSE; }

void Win32Window::Destroy() {
  OnDestroy();
  if (window_handle_ != nullptr) {
    HWND window = window_handle_;
    window_handle_ = nullptr;
    ::DestroyWindow(window);
  }
  UnregisterWindowClassIfUnused();
}

void Win32Window::SetContent(HWND content) {
  child_content_ = content;
  ::SetParent(content, window_handle_);
  ResizeContentToClientArea();
  ::SetFocus(child_content_);
}

RECT Win32Window::GetClientArea() const {
  RECT frame{};
  ::GetClientRect(window_handle_, &frame);
  return frame;
}

void Win32Window::UpdateTheme(HWND window) { ApplyAppThemeToTitleBar(window); }

LRESULT CALLBACK Win32Window::WndProc(HWND window, UINT message, WPARAM wparam,
                                      LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    auto* create_struct = reinterpret_cast<CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create_struct->lpCreateParams));
    EnableFullDpiSupportIfAvailable(window);
    static_cast<Win32Window*>(create_struct->lpCreateParams)->window_handle_ = window;
  } else if (Win32Window* that = GetThisFromHandle(window)) {
    return that->MessageHandler(window, message, wparam, lparam);
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

Win32Window* Win32Window::GetThisFromHandle(HWND window) noexcept {
  return reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT Win32Window::MessageHandler(HWND window, UINT message, WPARAM wparam,
                                    LPARAM lparam) noexcept {
  switch (message) {
    case WM_DESTROY:
      window_handle_ = nullptr;
      Destroy();
      if (quit_when_closed_) {
        ::PostQuitMessage(0);
      }
      return 0;

    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }

    case WM_SIZE:
      ResizeContentToClientArea();
      return 0;

    case WM_ACTIVATE:
      if (child_content_ != nullptr) {
        ::SetFocus(child_content_);
      }
      return 0;

    case WM_DWMCOLORIZATIONCOLORCHANGED:
      UpdateTheme(window);
      return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

bool Win32Window::OnCreate() { return true; }

void Win32Window::OnDestroy() {}

void Win32Window::ResizeContentToClientArea() {
  if (child_content_ == nullptr) {
    return;
  }
  const RECT frame = GetClientArea();
  ::MoveWindow(child_content_, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, TRUE);
}
