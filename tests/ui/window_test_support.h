// Helpers of the window tests: a window made the way skinned windows are made, controls that log
// what reaches them, and real input through SendInput.
//
// The window tests run on an X display and in a Wine prefix of their own, one case at a time:
// they move the real pointer and type on the real keyboard.
#ifndef TESTS_UI_WINDOW_TEST_SUPPORT_H_
#define TESTS_UI_WINDOW_TEST_SUPPORT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "ui/core/box.h"
#include "ui/core/control.h"
#include "ui/core/window.h"

namespace uitest {

// A top-level window over ui::Window: its WM_CREATE attaches the native window (Init) and the
// root it was given, as the skinned window base does.
class TestWindow : public ui::Window {
 public:
  explicit TestWindow(ui::Control* root = nullptr) : pending_root_(root) {}
  ~TestWindow() override;

  std::wstring GetWindowClassName() const override { return L"FernholdWindowTest"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnLastMessage(HWND hwnd) override;

  // Creates a WS_POPUP window at rect (screen pixels), shows it, brings it to the front with
  // the keyboard focus and lets its first paint run. Null when any of it fails.
  HWND CreateShown(const RECT& rect, bool layered = false);

  int last_messages = 0;
  HWND handle_at_last_message = reinterpret_cast<HWND>(1);  // GetHWND() inside OnLastMessage.

 private:
  ui::Control* pending_root_;
};

// A control that logs every event type that reaches its default handling (internal ones too),
// clicks when activated, and is a tab stop only when asked.
class LoggingControl : public ui::Control {
 public:
  explicit LoggingControl(const std::wstring& name = L"", bool tabStop = false);
  void HandleEvent(const ui::EventArgs& args) override;
  void Activate() override;
  bool IsTabStop() const override { return tab_stop_; }

  int Count(int type) const;
  // The types seen, without the position changes and cursor queries that come and go.
  std::vector<int> Significant() const;
  void Clear() { events.clear(); }

  std::vector<ui::EventArgs> events;
  int clicks = 0;

 private:
  bool tab_stop_;
};

// A box that is never a tab stop (a plain box is one).
class RootBox : public ui::HBox {
 public:
  bool IsTabStop() const override { return false; }
};

// A fixed-size control of root placed at (x, y) inside it by its margin.
template <typename T>
T* Place(ui::Box* root, T* control, int x, int y, int width, int height) {
  control->SetFixedWidth(width);
  control->SetFixedHeight(height);
  control->SetMargin(RECT{x, y, 0, 0});
  control->SetFloat(true);
  root->Add(control);
  return control;
}

// Real input. Points are in screen pixels.
POINT ToScreen(HWND hwnd, POINT client);
// Moves the pointer and waits until the system has it there.
bool MoveMouse(POINT screen);
void MouseButton(bool right, bool down);
void Click(POINT screen, bool right = false);
void PressKey(WORD virtualKey, bool shift = false);
// One wheel notch is WHEEL_DELTA; negative scrolls down.
void Wheel(int delta);

// The screen's pixel at a point as 0xRRGGBB (0xFFFFFFFF when it cannot be read).
DWORD ScreenRgb(POINT screen);

// The visible tooltip window owned by owner, or null.
HWND FindVisibleToolTip(HWND owner);

// Writes the screen under rect as a PNG into the test's working folder and prints where.
bool SaveScreenPng(const RECT& rect, const std::wstring& name);
// The same for frames captured of rect over time, side by side, first on the left.
bool SaveFramesPng(const std::vector<test_support::ScreenCapture>& frames, const RECT& rect,
                   const std::wstring& name);

}  // namespace uitest

#endif  // TESTS_UI_WINDOW_TEST_SUPPORT_H_
