// Helpers of the pop-out window's tests: the UI library started on the program's own resources, a
// log of what reaches the window's callbacks, windows opened through the factory with a simulated
// phone playing into them, work run on a window's own thread, and real keyboard input.
#ifndef TESTS_PHONE_WINDOW_PHONE_WINDOW_TEST_SUPPORT_H_
#define TESTS_PHONE_WINDOW_PHONE_WINDOW_TEST_SUPPORT_H_

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "phone_window/zuvor_ivado_window.h"
#include "plugin/phone_window_port.h"
#include "tests/phone_window/video_test_support.h"
#include "tests/support/screen_capture.h"

namespace phonetest {

// Starts the UI library once per process on "resources\" beside the test program, with the
// application's control factory (DuiVideoView).
void StartUiOnce();

// Every callback call of one window, as text lines ("back", "rotation 2", "key 1 29",
// "text 61 len 2", "paste héllo", "picture 12", "close", "touch 0"...).
class CallbackLog {
 public:
  // Callbacks that log. The rotation callback also turns the window, as a session does.
  PhoneWindowCallbacks Make();

  // The window the rotation callback turns; set once it exists.
  void SetWindow(ZuvorIvadoWindow* window) { window_ = window; }

  std::vector<std::string> Lines();
  int Count(const std::string& line);
  // Waits (tens of seconds) until `line` was logged `times` times in all.
  bool WaitFor(const std::string& line, int times = 1);
  // The lines logged from `from` on.
  std::vector<std::string> LinesFrom(size_t from);
  size_t Size();
  std::vector<char> LastPicture();

 private:
  void Add(const std::string& line);

  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<std::string> lines_;
  std::vector<char> picture_;
  ZuvorIvadoWindow* window_ = nullptr;
};

// One pop-out window made by the factory, with its log and (when asked) a phone playing into it.
class OpenWindow {
 public:
  OpenWindow(int themeMode, const std::string& title);
  // Stops the phone, closes the window and waits until it is gone.
  ~OpenWindow();

  // Plays a simulated phone (script as for the stand-in library) into the video control.
  void Play(const std::string& script = "connect=0;fps=30");

  ZuvorIvadoWindow* window() const { return window_; }
  HWND hwnd() const { return hwnd_; }
  CallbackLog& log() { return log_; }
  videotest::StreamRig* rig() { return rig_.get(); }

  // The control's rectangle in screen pixels (read on the window's thread).
  RECT ScreenRectOf(const std::wstring& name);
  RECT VideoScreenRect() { return ScreenRectOf(L"video_view"); }
  SIZE ClientSize();
  RECT WindowRect();
  // Runs `work` on the window's thread and waits for it.
  void RunOnWindowThread(const std::function<void()>& work);

 private:
  CallbackLog log_;
  ZuvorIvadoWindow* window_ = nullptr;
  HWND hwnd_ = nullptr;
  std::weak_ptr<nbase::WeakFlag> alive_;  // Expires when the window object is deleted.
  std::unique_ptr<videotest::StreamRig> rig_;
};

// Runs `work` on the thread of window `hwnd` (a pool thread) and waits for it.
void RunOnWindowThread(HWND hwnd, const std::function<void()>& work);
// The rectangle of the window's control `name` in screen pixels (read on the window's thread).
RECT ScreenRectOf(ZuvorIvadoWindow* window, const std::wstring& name);

// Waits (tens of seconds) for `done`, checking every few milliseconds.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000);

// Real keyboard input (with scan codes, as a keyboard gives them).
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
void PressKey(WORD virtualKey);
void PressWithCtrl(WORD virtualKey);
// A character typed as Unicode input (one WM_CHAR per UTF-16 unit).
void TypeUnicode(const std::wstring& text);
// Moves the pointer to `screen` and waits until it is there.
void MovePointer(POINT screen);
// Moves the pointer off every window (a window under it takes the focus, and so the front).
void ParkPointer();
// Clicks the window's control `name`: moves the pointer over it, waits until the window has seen
// it there (the previous control's tooltip is gone), then presses and releases. Successive clicks
// alternate 8 pixels left and right of the centre, so that two on one control are no double click.
void ClickControl(ZuvorIvadoWindow* window, const std::wstring& name);
// Moves the pointer and clicks the left button at the centre of rect.
void ClickCentre(const RECT& screenRect);
// Turns the wheel one notch over `screen` (up = away from the user).
void Wheel(POINT screen, bool up);

// Saves a capture as PNG in the working folder.
void SavePng(const test_support::ScreenCapture& capture, const std::wstring& name);

// Where the simulated phone's panel and its lines (stream id, frame counter) lie in a video of w x h shown
// upright, relative to the video's top-left corner; turned when `turned` (the video is then h
// high and w wide as shown, the phone's screen being portrait).
struct PanelLines {
  RECT id;
  RECT counter;
  RECT panel;  // The white panel that holds both.
};
PanelLines PanelLinesOf(int shownWidth, int shownHeight, bool turned);

// Pixels of `rect` (capture coordinates) that differ between a and b.
int Differences(const test_support::ScreenCapture& a, const test_support::ScreenCapture& b,
                const RECT& rect);

}  // namespace phonetest

#endif  // TESTS_PHONE_WINDOW_PHONE_WINDOW_TEST_SUPPORT_H_
