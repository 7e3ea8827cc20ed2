// A window-only program: the start-up benchmark's reference for what any program pays under the
// same system to show its first window. It registers a class, creates a top-level window of the
// client's style and size, hidden, and shows it at once; it ends when the window is closed. It
// loads nothing beyond what its window needs and draws nothing of its own.
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"FERNHOLD_STARTUP_REFERENCE";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = ::CreateSolidBrush(RGB(15, 23, 42));
  window_class.lpszClassName = kClassName;
  if (::RegisterClassExW(&window_class) == 0) return 1;
  HWND window = ::CreateWindowExW(
      0, kClassName, L"reference", WS_POPUP | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
      WS_MAXIMIZEBOX, 10, 10, 1280, 720, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ::ShowWindow(window, SW_SHOWNORMAL);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
