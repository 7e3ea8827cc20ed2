// The window thread pool: its four threads, round-robin hand-over, cascade slots and placement,
// and creations that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/thread/thread_registry.h"
#include "phone_window/cascade.h"
#include "phone_window/window_thread_pool.h"

namespace {

// Counts the fake windows destroyed, from whatever thread.
class Tracker {
 public:
  void OnDestroyed() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++destroyed_;
    cv_.notify_all();
  }
  int destroyed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return destroyed_;
  }
  void OnClose() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++closes_;
  }
  int closes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return closes_;
  }
  bool WaitDestroyed(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(30), [&] { return destroyed_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int destroyed_ = 0;
  int closes_ = 0;
};

// A pooled window over a plain native window. Its final message frees its slot and deletes it,
// as the phone window's does.
class FakeWindow : public PooledWindow {
 public:
  enum class Fail { kNone, kNoNativeWindow, kCreateRefused };

  FakeWindow(WindowThreadPool* pool, Tracker* tracker, SIZE size, Fail fail)
      : pool_(pool), tracker_(tracker), size_(size), fail_(fail) {}
  ~FakeWindow() override { tracker_->OnDestroyed(); }

  HWND CreateNativeWindow(const std::wstring& name, DWORD style, DWORD exStyle,
                          bool layered) override {
    creator_thread = ::GetCurrentThreadId();
    this->name = name;
    this->style = style;
    this->exStyle = exStyle;
    this->layered = layered;
    if (fail_ == Fail::kNoNativeWindow) return nullptr;
    static const ATOM atom = [] {
      WNDCLASSW windowClass = {};
      windowClass.lpfnWndProc = &FakeWindow::WindowProc;
      windowClass.hInstance = ::GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"FernholdPoolTestWindow";
      return ::RegisterClassW(&windowClass);
    }();
    (void)atom;
    // A refused creation has deleted this object by the time the call returns: touch nothing.
    HWND created = ::CreateWindowExW(exStyle | (layered ? WS_EX_LAYERED : 0),
                                     L"FernholdPoolTestWindow", name.c_str(), style, 0, 0,
                                     size_.cx, size_.cy, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), this);
    if (created) hwnd = created;
    return created;
  }
  void SetTitle(const std::string& titleUtf8) override { title = titleUtf8; }
  void CenterNativeWindow() override {
    const RECT work = WorkArea(hwnd);
    ::SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - size_.cx) / 2,
                   work.top + (work.bottom - work.top - size_.cy) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ShowNativeWindow() override {
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    shown = true;
  }
  int GetCascadeSlot() const override { return slot_; }
  void SetCascadeSlot(int slot) override { slot_ = slot; }

  // Closes the window on its thread; the object goes with it.
  void Close() { ::PostMessageW(hwnd, WM_CLOSE, 0, 0); }

  static RECT WorkArea(HWND hwnd) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
  }
  RECT Rect() const {
    RECT rect = {};
    ::GetWindowRect(hwnd, &rect);
    return rect;
  }

  // Written on the pool thread before the creation returns.
  DWORD creator_thread = 0;
  std::wstring name;
  DWORD style = 0, exStyle = 0;
  bool layered = false;
  std::string title;
  bool shown = false;
  HWND hwnd = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FakeWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_CREATE && self->fail_ == Fail::kCreateRefused) return -1;
    if (self && message == WM_CLOSE) self->tracker_->OnClose();
    if (self && message == WM_NCDESTROY) {
      const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->pool_->ReleaseCascadeSlot(self->slot_);
      self->slot_ = -1;
      delete self;
      return result;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }

  WindowThreadPool* const pool_;
  Tracker* const tracker_;
  const SIZE size_;
  const Fail fail_;
  int slot_ = -1;
};

// The thread that runs a task posted to id; 0 when the post is refused.
DWORD ThreadOf(int id) {
  auto ranOn = std::make_shared<std::promise<DWORD>>();
  std::future<DWORD> result = ranOn->get_future();
  if (!nbase::ThreadRegistry::PostTask(id, [ranOn] { ranOn->set_value(::GetCurrentThreadId()); }))
    return 0;
  return result.wait_for(std::chrono::seconds(30)) == std::future_status::ready ? result.get() : 0;
}

class WindowThreadPoolTest : public ::testing::Test {
 protected:
  // A created window, or null when the creation failed.
  FakeWindow* Create(SIZE size = {200, 150}, FakeWindow::Fail fail = FakeWindow::Fail::kNone) {
    auto* window = new FakeWindow(&pool_, &tracker_, size, fail);
    if (!pool_.CreateWindowOnUiThread(window, "Phone 7")) return nullptr;
    open_.push_back(window);
    return window;
  }
  void Close(FakeWindow* window) {
    const int before = tracker_.destroyed();
    open_.erase(std::find(open_.begin(), open_.end(), window));
    window->Close();
    ASSERT_TRUE(tracker_.WaitDestroyed(before + 1));
  }
  void TearDown() override {
    while (!open_.empty()) Close(open_.back());
    pool_.Shutdown();
  }

  Tracker tracker_;  // Outlives the pool's threads.
  WindowThreadPool pool_;
  std::vector<FakeWindow*> open_;
};

TEST_F(WindowThreadPoolTest, TheFirstWindowStartsFourThreadsAndWindowsGoRoundRobin) {
  for (int id = kFirstWindowThreadId; id < kFirstWindowThreadId + 4; ++id)
    EXPECT_EQ(ThreadOf(id), 0u) << id;

  std::vector<FakeWindow*> windows;
  for (int i = 0; i < 5; ++i) {
    windows.push_back(Create());
    ASSERT_NE(windows.back(), nullptr);
  }
  std::set<DWORD> threads;
  for (int i = 0; i < 5; ++i) {
    const DWORD expected = ThreadOf(kFirstWindowThreadId + i % 4);
    ASSERT_NE(expected, 0u);
    EXPECT_EQ(windows[i]->creator_thread, expected) << "window " << i;
    threads.insert(expected);
  }
  EXPECT_EQ(threads.size(), 4u);
  EXPECT_EQ(threads.count(::GetCurrentThreadId()), 0u);
  EXPECT_EQ(ThreadOf(kFirstWindowThreadId + 4), 0u);

  const FakeWindow& first = *windows[0];
  EXPECT_EQ(first.name, L"FernholdZuvorIvadoControl");
  EXPECT_EQ(first.style, 0x800E0000u);
  EXPECT_EQ(first.exStyle, 0x00040000u);
  EXPECT_TRUE(first.layered);
  EXPECT_EQ(first.title, "Phone 7");
  EXPECT_TRUE(first.shown);
}

TEST_F(WindowThreadPoolTest, CascadeSlotsCountUpAndFreedSlotsComeBackSmallestFirst) {
  for (int expected = 0; expected < 10; ++expected) EXPECT_EQ(pool_.AcquireCascadeSlot(), expected);
  EXPECT_EQ(pool_.AcquireCascadeSlot(), 0);  // The eleventh window starts over.

  pool_.ReleaseCascadeSlot(7);
  pool_.ReleaseCascadeSlot(3);
  pool_.ReleaseCascadeSlot(3);   // Free once.
  pool_.ReleaseCascadeSlot(-1);  // No slot.
  EXPECT_EQ(pool_.AcquireCascadeSlot(), 3);
  EXPECT_EQ(pool_.AcquireCascadeSlot(), 7);
  EXPECT_EQ(pool_.AcquireCascadeSlot(), 1);
}

TEST_F(WindowThreadPoolTest, AClosedWindowsSlotGoesToTheNextWindow) {
  FakeWindow* a = Create();
  FakeWindow* b = Create();
  FakeWindow* c = Create();
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->GetCascadeSlot(), 0);
  EXPECT_EQ(b->GetCascadeSlot(), 1);
  EXPECT_EQ(c->GetCascadeSlot(), 2);
  Close(b);
  FakeWindow* d = Create();
  FakeWindow* e = Create();
  ASSERT_TRUE(d && e);
  EXPECT_EQ(d->GetCascadeSlot(), 1);
  EXPECT_EQ(e->GetCascadeSlot(), 3);
}

TEST_F(WindowThreadPoolTest, WindowsAreCentredAndShifted28PixelsPerSlot) {
  FakeWindow* windows[3];
  for (FakeWindow*& window : windows) {
    window = Create();
    ASSERT_NE(window, nullptr);
  }
  const RECT work = FakeWindow::WorkArea(windows[0]->hwnd);
  const RECT centred = windows[0]->Rect();
  EXPECT_EQ(centred.left, work.left + (work.right - work.left - 200) / 2);
  EXPECT_EQ(centred.top, work.top + (work.bottom - work.top - 150) / 2);
  for (int slot = 1; slot < 3; ++slot) {
    const RECT rect = windows[slot]->Rect();
    EXPECT_EQ(rect.left, centred.left + 28 * slot);
    EXPECT_EQ(rect.top, centred.top + 28 * slot);
    EXPECT_EQ(rect.right - rect.left, 200);
  }
}

TEST_F(WindowThreadPoolTest, AWindowTheShiftWouldPushOffTheWorkAreaStaysCentred) {
  FakeWindow* first = Create();
  ASSERT_NE(first, nullptr);
  const RECT work = FakeWindow::WorkArea(first->hwnd);
  const SIZE large = {work.right - work.left - 20, 200};  // 10 pixels to spare on the right.
  FakeWindow* wide = Create(large);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->GetCascadeSlot(), 1);
  const RECT rect = wide->Rect();
  EXPECT_EQ(rect.left, work.left + 10);
  EXPECT_EQ(rect.top, work.top + (work.bottom - work.top - 200) / 2);
}

TEST_F(WindowThreadPoolTest, AWindowThatCannotBeMadeIsDeletedOnceAndFreesItsSlot) {
  // No native window at all: the pool deletes the object.
  EXPECT_EQ(Create({200, 150}, FakeWindow::Fail::kNoNativeWindow), nullptr);
  EXPECT_EQ(tracker_.destroyed(), 1);
  // The native window refused its creation: its final message deleted it; nobody else does.
  EXPECT_EQ(Create({200, 150}, FakeWindow::Fail::kCreateRefused), nullptr);
  EXPECT_EQ(tracker_.destroyed(), 2);

  FakeWindow* next = Create();
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->GetCascadeSlot(), 0);
  EXPECT_TRUE(next->shown);
}

TEST_F(WindowThreadPoolTest, AfterShutdownACreationFailsAtOnceAndDeletesTheWindow) {
  FakeWindow* window = Create();
  ASSERT_NE(window, nullptr);
  Close(window);
  pool_.Shutdown();
  for (int id = kFirstWindowThreadId; id < kFirstWindowThreadId + 4; ++id)
    EXPECT_EQ(ThreadOf(id), 0u) << id;

  const int destroyed = tracker_.destroyed();
  EXPECT_EQ(Create(), nullptr);  // Returns: no thread takes the task, nobody waits for one.
  EXPECT_EQ(tracker_.destroyed(), destroyed + 1);
  EXPECT_EQ(pool_.AcquireCascadeSlot(), 0);  // Its slot came back.
}

TEST_F(WindowThreadPoolTest, ShutdownClosesTheOpenWindowsBeforeItsThreadsEnd) {
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(pool_.CreateWindowOnUiThread(new FakeWindow(&pool_, &tracker_, {200, 150},
                                                            FakeWindow::Fail::kNone),
                                             "Left open"));
  }
  pool_.Shutdown();
  EXPECT_EQ(tracker_.closes(), 2);
  EXPECT_EQ(tracker_.destroyed(), 2);
}

TEST(CascadePosition, ShiftsBySlotWhileTheWindowStaysInTheWorkArea) {
  const RECT work = {0, 0, 1000, 800};
  const RECT window = {400, 300, 600, 500};
  EXPECT_FALSE(CascadePosition(0, window, work).has_value());
  EXPECT_FALSE(CascadePosition(-1, window, work).has_value());
  const std::optional<POINT> one = CascadePosition(1, window, work);
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->x, 428);
  EXPECT_EQ(one->y, 328);
  const std::optional<POINT> nine = CascadePosition(9, window, work);
  ASSERT_TRUE(nine.has_value());
  EXPECT_EQ(nine->x, 652);
  EXPECT_EQ(nine->y, 552);

  // Touching the right or bottom edge still fits; one pixel more does not.
  EXPECT_TRUE(CascadePosition(1, RECT{0, 0, 972, 100}, work).has_value());
  EXPECT_FALSE(CascadePosition(1, RECT{0, 0, 973, 100}, work).has_value());
  EXPECT_TRUE(CascadePosition(2, RECT{0, 0, 100, 744}, work).has_value());
  EXPECT_FALSE(CascadePosition(2, RECT{0, 0, 100, 745}, work).has_value());
}

}  // namespace
