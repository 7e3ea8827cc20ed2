#include "tests/phone_window/phone_window_test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/synchronization/waitable_event.h"
#include "base/thread/thread_registry.h"
#include "phone_window/dui_video_view.h"
#include "phone_window/phone_window_factory.h"
#include "phone_window/window_thread_pool.h"
#include "tests/ui/test_support.h"
#include "ui/core/control.h"
#include "ui/core/global_manager.h"

namespace phonetest {

namespace {

constexpr auto kLongWait = std::chrono::seconds(30);

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string Hex(const char* text, int length) {
  std::string out;
  char byte[4];
  for (int i = 0; i < length; ++i) {
    std::snprintf(byte, sizeof(byte), "%02x", static_cast<unsigned char>(text[i]));
    out += byte;
  }
  return out;
}

INPUT KeyInput(WORD virtualKey, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// A mouse event at `screen`: the pointer moves there with it, then `flags` (buttons) apply. The
// absolute coordinates (0 to 65535 across the screen) are rounded up, so that the system's
// conversion back, which truncates, gives the very pixel.
INPUT MouseAt(POINT screen, DWORD flags) {
  const LONG width = ::GetSystemMetrics(SM_CXSCREEN);
  const LONG height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = (screen.x * 65536 + width - 1) / width;
  input.mi.dy = (screen.y * 65536 + height - 1) / height;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  return input;
}

}  // namespace

void StartUiOnce() {
  static const bool started = [] {
    ui::GlobalManager::Startup(
        ProgramFolder() + L"resources\\",
        [](const std::wstring& className) -> ui::Control* {
          if (className == L"DuiVideoView") return new ui::DuiVideoView();
          return nullptr;
        },
        false, L"themes\\default", L"lang\\zh_CN");
    return true;
  }();
  (void)started;
}

// ---------------------------------------------------------------------------------------------
// CallbackLog

PhoneWindowCallbacks CallbackLog::Make() {
  PhoneWindowCallbacks cb;
  auto named = [this](const char* name) { return [this, name] { Add(name); }; };
  cb.back = named("back");
  cb.home = named("home");
  cb.menu = named("menu");
  cb.screenshot = named("screenshot");
  cb.camera = named("camera");
  cb.volumeUp = named("volume up");
  cb.volumeDown = named("volume down");
  cb.keyboard = named("keyboard");
  cb.restart = named("restart");
  cb.close = named("close");
  cb.touch = [this](int action, int pointers, float, float, float) {
    Add("touch " + std::to_string(action) + " " + std::to_string(pointers));
  };
  cb.rotation = [this](int rotation) {
    Add("rotation " + std::to_string(rotation));
    if (window_) window_->ApplyRotation(rotation);  // on the window thread, as a session does
  };
  cb.picture = [this](const char* bytes, int length) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      picture_.assign(bytes, bytes + length);
    }
    Add("picture " + std::to_string(length));
  };
  cb.quality = [this](int quality) { Add("quality " + std::to_string(quality)); };
  cb.key = [this](int action, int code) {
    Add("key " + std::to_string(action) + " " + std::to_string(code));
  };
  cb.text = [this](const char* text, int length) {
    Add("text " + Hex(text, length - 1) + " len " + std::to_string(length));
  };
  cb.paste = [this](const char* text, int length) { Add("paste " + std::string(text, length)); };
  return cb;
}

void CallbackLog::Add(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back(line);
  cv_.notify_all();
}

std::vector<std::string> CallbackLog::Lines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

int CallbackLog::Count(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count(lines_.begin(), lines_.end(), line));
}

bool CallbackLog::WaitFor(const std::string& line, int times) {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, kLongWait, [&] {
    return std::count(lines_.begin(), lines_.end(), line) >= times;
  });
}

std::vector<std::string> CallbackLog::LinesFrom(size_t from) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (from >= lines_.size()) return {};
  return std::vector<std::string>(lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.end());
}

size_t CallbackLog::Size() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_.size();
}

std::vector<char> CallbackLog::LastPicture() {
  std::lock_guard<std::mutex> lock(mutex_);
  return picture_;
}

// ---------------------------------------------------------------------------------------------
// OpenWindow

OpenWindow::OpenWindow(int themeMode, const std::string& title) {
  StartUiOnce();
  ZuvorIvadoWindowFactory factory;
  PhoneWindow* window = factory.OpenPhoneWindow(themeMode, title, log_.Make());
  window_ = dynamic_cast<ZuvorIvadoWindow*>(window);
  if (window_) {
    log_.SetWindow(window_);
    hwnd_ = window_->GetHandle();
    alive_ = window_->GetWeakFlag();
  }
}

OpenWindow::~OpenWindow() {
  rig_.reset();  // unbinds the video control before it goes
  if (!window_) return;
  // A window the test closed itself is gone already.
  if (!alive_.expired()) window_->Close();
  WaitUntil([&] { return alive_.expired() && !::IsWindow(hwnd_); });
}

void OpenWindow::Play(const std::string& script) {
  rig_ = std::make_unique<videotest::StreamRig>(script);
  rig_->Play(window_->GetVideoDisplay());
}

void OpenWindow::RunOnWindowThread(const std::function<void()>& work) {
  phonetest::RunOnWindowThread(hwnd_, work);
}

RECT OpenWindow::ScreenRectOf(const std::wstring& name) {
  return phonetest::ScreenRectOf(window_, name);
}

void RunOnWindowThread(HWND hwnd, const std::function<void()>& work) {
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  auto done = std::make_shared<nbase::WaitableEvent>(nbase::WaitableEvent::ResetPolicy::kManual,
                                                     false);
  // The pool's threads are known by id only; the one that owns the window does the work.
  for (int id = kFirstWindowThreadId; id < kFirstWindowThreadId + kWindowThreadCount; ++id) {
    nbase::ThreadRegistry::PostTask(id, [thread, work, done] {
      if (::GetCurrentThreadId() != thread) return;
      work();
      done->Signal();
    });
  }
  done->Wait();
}

RECT ScreenRectOf(ZuvorIvadoWindow* window, const std::wstring& name) {
  RECT rect = {0, 0, 0, 0};
  HWND hwnd = window->GetHandle();
  RunOnWindowThread(hwnd, [&] {
    if (ui::Control* control = window->FindControl(name)) rect = control->GetPos();
  });
  POINT origin = {0, 0};
  ::ClientToScreen(hwnd, &origin);
  ::OffsetRect(&rect, origin.x, origin.y);
  return rect;
}

SIZE OpenWindow::ClientSize() {
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(hwnd_, &client);
  return SIZE{client.right - client.left, client.bottom - client.top};
}

RECT OpenWindow::WindowRect() {
  RECT rect = {0, 0, 0, 0};
  ::GetWindowRect(hwnd_, &rect);
  return rect;
}

// ---------------------------------------------------------------------------------------------
// Input and pictures

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void KeyDown(WORD virtualKey) {
  INPUT input = KeyInput(virtualKey, false);
  ::SendInput(1, &input, sizeof(input));
}

void KeyUp(WORD virtualKey) {
  INPUT input = KeyInput(virtualKey, true);
  ::SendInput(1, &input, sizeof(input));
}

void PressKey(WORD virtualKey) {
  INPUT inputs[] = {KeyInput(virtualKey, false), KeyInput(virtualKey, true)};
  ::SendInput(2, inputs, sizeof(INPUT));
}

void PressWithCtrl(WORD virtualKey) {
  INPUT inputs[] = {KeyInput(VK_CONTROL, false), KeyInput(virtualKey, false),
                    KeyInput(virtualKey, true), KeyInput(VK_CONTROL, true)};
  ::SendInput(4, inputs, sizeof(INPUT));
}

void TypeUnicode(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (wchar_t unit : text) {
    for (bool up : {false, true}) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = unit;
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(input);
    }
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MovePointer(POINT screen) {
  INPUT input = MouseAt(screen, 0);
  ::SendInput(1, &input, sizeof(input));
  WaitUntil([&] {
    POINT at = {};
    ::GetCursorPos(&at);
    return at.x == screen.x && at.y == screen.y;
  });
}

void ParkPointer() { MovePointer(POINT{2, 2}); }

namespace {

// A left click at `screen`. The press and the release carry the position themselves: on a busy
// machine the display server's motion event of an earlier move can arrive late and put the
// pointer back where it was a moment before, and a bare press would land there (on the previous
// control, or as a double click on it).
void PressLeftButton(POINT screen) {
  INPUT inputs[2] = {MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP)};
  ::SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace

void ClickControl(ZuvorIvadoWindow* window, const std::wstring& name) {
  static int clicks = 0;
  const auto hovered = [&] {
    bool over = false;
    RunOnWindowThread(window->GetHandle(), [&] {
      ui::Control* control = window->FindControl(name);
      over = control && window->GetHoverControl() == control;
    });
    return over;
  };
  // The control is looked up again for each try: a window that was just turned or resized may
  // still be laying its toolbar out, and the display server may still have its window where it
  // was; each try is a real move (8 pixels to the other side of the centre).
  POINT at = {0, 0};
  bool over = false;
  for (int attempt = 0; attempt < 30 && !over; ++attempt) {
    const RECT rect = ScreenRectOf(window, name);
    at = POINT{(rect.left + rect.right) / 2 + (++clicks % 2 ? -8 : 8),
               (rect.top + rect.bottom) / 2};
    MovePointer(at);
    over = WaitUntil(hovered, 1000);
  }
  if (!over) {
    RECT frame = {0, 0, 0, 0};
    ::GetWindowRect(window->GetHandle(), &frame);
    std::fprintf(stderr,
                 "ClickControl: %ls never under the pointer at (%ld, %ld); window (%ld, %ld, %ld, "
                 "%ld)\n",
                 name.c_str(), at.x, at.y, frame.left, frame.top, frame.right, frame.bottom);
  }
  PressLeftButton(at);
}

void ClickCentre(const RECT& screenRect) {
  const POINT centre = {(screenRect.left + screenRect.right) / 2,
                        (screenRect.top + screenRect.bottom) / 2};
  MovePointer(centre);
  PressLeftButton(centre);
}

void Wheel(POINT screen, bool up) {
  MovePointer(screen);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.mouseData = static_cast<DWORD>(up ? WHEEL_DELTA : -WHEEL_DELTA);
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  ::SendInput(1, &input, sizeof(input));
}

void SavePng(const test_support::ScreenCapture& capture, const std::wstring& name) {
  std::vector<DWORD> argb(capture.pixels.size());
  for (size_t i = 0; i < argb.size(); ++i) argb[i] = capture.pixels[i] | 0xFF000000;
  uitest::WritePng(name, capture.width, capture.height, argb);
}

PanelLines PanelLinesOf(int shownWidth, int shownHeight, bool turned) {
  // The phone's screen is portrait: as the stand-in library paints it.
  const int w = turned ? shownHeight : shownWidth;
  const int h = turned ? shownWidth : shownHeight;
  const int scale = std::max(1, std::min(w, h) / 48);
  const int lineHeight = 6 * scale;
  const int panelWidth = std::min(w, 42 * scale);
  const int panelLeft = (w - panelWidth) / 2;
  const int panelTop = h / 2 - lineHeight - scale;
  const RECT id = {panelLeft + scale, panelTop + scale, panelLeft + panelWidth - scale,
                   panelTop + 6 * scale};
  const RECT counter = {id.left, id.top + lineHeight, id.right, id.bottom + lineHeight};
  const RECT panel = {panelLeft, panelTop, panelLeft + panelWidth, panelTop + 2 * lineHeight + scale};
  if (!turned) return {id, counter, panel};
  // A quarter turn counter-clockwise: (x, y) of the phone shows at (y, w - 1 - x).
  auto turn = [w](const RECT& r) { return RECT{r.top, w - r.right, r.bottom, w - r.left}; };
  return {turn(id), turn(counter), turn(panel)};
}

int Differences(const test_support::ScreenCapture& a, const test_support::ScreenCapture& b,
                const RECT& rect) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) count += a.Rgb(x, y) != b.Rgb(x, y);
  return count;
}

}  // namespace phonetest
