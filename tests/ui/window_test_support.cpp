#include "tests/ui/window_test_support.h"

#include <commctrl.h>

#include <cstdio>

#include "tests/support/screen_capture.h"
#include "tests/ui/test_support.h"
#include "ui/render/render_interfaces.h"

namespace uitest {

// ---------------------------------------------------------------------------------------------
// TestWindow

TestWindow::~TestWindow() { delete pending_root_; }

LRESULT TestWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    Init(GetHWND());
    ui::Control* root = pending_root_;
    pending_root_ = nullptr;
    if (root) AttachRoot(root);
    return 0;
  }
  return ui::Window::HandleMessage(message, wParam, lParam);
}

void TestWindow::OnLastMessage(HWND hwnd) {
  ++last_messages;
  handle_at_last_message = GetHWND();
  ui::Window::OnLastMessage(hwnd);
}

HWND TestWindow::CreateShown(const RECT& rect, bool layered) {
  HWND hwnd = Create(nullptr, L"window test", WS_POPUP, 0, layered, rect);
  if (!hwnd) return nullptr;
  return ShowInFront(this, layered) ? hwnd : nullptr;
}

// ---------------------------------------------------------------------------------------------
// LoggingControl

LoggingControl::LoggingControl(const std::wstring& name, bool tabStop) : tab_stop_(tabStop) {
  SetName(name);
}

void LoggingControl::HandleEvent(const ui::EventArgs& args) {
  events.push_back(args);
  ui::Control::HandleEvent(args);
}

void LoggingControl::Activate() {
  ++clicks;
  SendEvent(ui::kEventClick);
}

int LoggingControl::Count(int type) const {
  int count = 0;
  for (const ui::EventArgs& args : events) count += args.type == type ? 1 : 0;
  return count;
}

std::vector<int> LoggingControl::Significant() const {
  std::vector<int> types;
  for (const ui::EventArgs& args : events) {
    if (args.type == ui::kEventPositionChange || args.type == ui::kEventSetCursor ||
        args.type == ui::kEventMouseMove || args.type == ui::kEventMouseHover)
      continue;
    types.push_back(args.type);
  }
  return types;
}

// ---------------------------------------------------------------------------------------------
// Input

POINT ToScreen(HWND hwnd, POINT client) {
  ::ClientToScreen(hwnd, &client);
  return client;
}

bool MoveMouse(POINT screen) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = ::MulDiv(screen.x, 65535, width - 1);
  input.mi.dy = ::MulDiv(screen.y, 65535, height - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof(input));
  return PumpUntil(
      [&] {
        POINT at = {};
        ::GetCursorPos(&at);
        return at.x == screen.x && at.y == screen.y;
      },
      20000);
}

void MouseButton(bool right, bool down) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = right ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                           : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  ::SendInput(1, &input, sizeof(input));
}

void Click(POINT screen, bool right) {
  MoveMouse(screen);
  MouseButton(right, true);
  MouseButton(right, false);
}

void PressKey(WORD virtualKey, bool shift) {
  std::vector<INPUT> inputs;
  auto key = [&inputs](WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (shift) key(VK_SHIFT, false);
  key(virtualKey, false);
  key(virtualKey, true);
  if (shift) key(VK_SHIFT, true);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Wheel(int delta) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  input.mi.mouseData = static_cast<DWORD>(delta);
  ::SendInput(1, &input, sizeof(input));
}

DWORD ScreenRgb(POINT screen) {
  const test_support::ScreenCapture capture =
      test_support::CaptureScreen(RECT{screen.x, screen.y, screen.x + 1, screen.y + 1});
  return capture.width == 1 ? capture.Rgb(0, 0) : 0xFFFFFFFFu;
}

HWND FindVisibleToolTip(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search = {owner, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        ::GetClassNameW(hwnd, name, 64);
        if (_wcsicmp(name, TOOLTIPS_CLASSW) == 0 && ::GetWindow(hwnd, GW_OWNER) == s->owner &&
            ::IsWindowVisible(hwnd)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SaveScreenPng(const RECT& rect, const std::wstring& name) {
  return SaveFramesPng({test_support::CaptureScreen(rect)}, rect, name);
}

bool SaveFramesPng(const std::vector<test_support::ScreenCapture>& frames, const RECT& rect,
                   const std::wstring& name) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  std::vector<DWORD> strip(static_cast<size_t>(width) * frames.size() * height);
  for (size_t f = 0; f < frames.size(); ++f) {
    for (int y = 0; y < height && y < frames[f].height; ++y) {
      for (int x = 0; x < width && x < frames[f].width; ++x)
        strip[y * width * frames.size() + f * width + x] = 0xFF000000u | frames[f].Rgb(x, y);
    }
  }
  wchar_t folder[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"\\" + name;
  const bool saved = WritePng(path, width * static_cast<int>(frames.size()), height, strip);
  std::printf("screenshot: %ls (%s)\n", path.c_str(), saved ? "written" : "NOT written");
  return saved;
}

}  // namespace uitest
