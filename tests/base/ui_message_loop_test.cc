#include "base/message_loop/ui_message_loop_win.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop_proxy.h"
#include "base/synchronization/waitable_event.h"
#include "tests/base/foreign_pump_window_class.h"
#include "tests/base/test_clock.h"

namespace {

using nbase::MessageLoop;
using nbase::UIMessageLoop;

constexpr nbase::TimeMicros kMs = 1000;
constexpr UINT kWakeUpMessage = WM_USER + 1;

// A message-only window whose procedure the test supplies; the class is private to this process.
class TestWindow {
 public:
  using Handler = std::function<void(UINT message)>;

  explicit TestWindow(Handler handler) : handler_(std::move(handler)) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &TestWindow::Proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"NbaseUiLoopTestWindow";
    RegisterClassExW(&window_class);  // a second registration fails harmlessly
    window_ = CreateWindowExW(0, L"NbaseUiLoopTestWindow", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, GetModuleHandleW(nullptr), this);
  }
  ~TestWindow() { DestroyWindow(window_); }

  HWND hwnd() const { return window_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(
                            reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    } else if (auto* self =
                   reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
      if (message >= WM_APP) self->handler_(message);
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  Handler handler_;
  HWND window_ = nullptr;
};

class UIMessageLoopTest : public testing::Test {
 protected:
  void SetUp() override {
    loop_ = UIMessageLoop::Create();
    ASSERT_NE(loop_, nullptr);
  }

  void TearDown() override {
    loop_.reset();
    // A WM_QUIT re-posted by the pump must not leak into the next test of this process.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  std::unique_ptr<UIMessageLoop> loop_;
  std::vector<std::string> log_;
};

TEST_F(UIMessageLoopTest, AModalLoopInsideAWindowMessageStillRunsPostedAndDelayedTasks) {
  // The delayed task comes due only once the cross-thread task has run, however slowly the
  // poster thread gets going: the test's clock moves then, not before.
  nbase_test::ManualClock clock;
  bool in_modal_loop = false;
  bool modal_done = false;
  std::thread poster;
  auto record = [&](const std::string& what) {
    log_.push_back(what + (in_modal_loop ? " in modal loop" : " outside"));
  };
  TestWindow window([&](UINT message) {
    if (message != WM_APP) return;
    // Stands for a menu, a message box or a window move: a native loop the pump does not own.
    in_modal_loop = true;
    loop_->PostTask([&] { record("same-thread task"); });
    poster = std::thread([&, proxy = loop_->message_loop_proxy()] {
      (void)proxy->PostTask([&] {
        record("cross-thread task");
        clock.AdvanceMs(20);
      });
    });
    loop_->PostDelayedTask(
        [&] {
          record("delayed task");
          modal_done = true;
          PostMessageW(nullptr, WM_NULL, 0, 0);  // wake the native loop so it sees the flag
        },
        20 * kMs);
    MSG msg;
    while (!modal_done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    in_modal_loop = false;
    loop_->PostTask([&] { loop_->Quit(); });
  });
  ASSERT_NE(window.hwnd(), nullptr);
  PostMessageW(window.hwnd(), WM_APP, 0, 0);
  loop_->Run();
  poster.join();

  EXPECT_EQ(log_, (std::vector<std::string>{"same-thread task in modal loop",
                                            "cross-thread task in modal loop",
                                            "delayed task in modal loop"}));
}

TEST_F(UIMessageLoopTest, ATaskThrowingFromTheWindowProcedureEndsTheProcess) {
  // A modal loop dispatches the pump's wake-up, so the task runs inside the pump's window
  // procedure. An exception must not unwind through the system's dispatch frames (and the modal
  // loop's state) back into the caller: it ends the process where it was thrown.
  TestWindow window([&](UINT message) {
    if (message != WM_APP) return;
    loop_->PostTask([] { throw std::runtime_error("task failed"); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  });
  ASSERT_NE(window.hwnd(), nullptr);
  PostMessageW(window.hwnd(), WM_APP, 0, 0);
  EXPECT_DEATH(loop_->Run(), "");
}

TEST_F(UIMessageLoopTest, ManyPostsToABusyThreadLeaveOneWakeUpMessage) {
  std::shared_ptr<nbase::MessageLoopProxy> proxy = loop_->message_loop_proxy();
  const HWND pump_window = loop_->pump()->message_window();
  int runs = 0;
  int wake_ups = -1;
  loop_->PostTask([&] {
    std::thread poster([&] {
      for (int i = 0; i < 1000; ++i) ASSERT_TRUE(proxy->PostTask([&runs] { ++runs; }));
      ASSERT_TRUE(proxy->PostTask([&] { loop_->Quit(); }));
    });
    poster.join();  // this thread stays busy while every post arrives
    MSG message;
    wake_ups = 0;
    while (PeekMessageW(&message, pump_window, kWakeUpMessage, kWakeUpMessage, PM_REMOVE))
      ++wake_ups;
    // Put back the one wake-up the pump counts on.
    PostMessageW(pump_window, kWakeUpMessage, 0, 0);
  });
  loop_->Run();
  EXPECT_EQ(wake_ups, 1);
  EXPECT_EQ(runs, 1000);
}

TEST_F(UIMessageLoopTest, WmQuitInANestedLevelEndsTheOuterLevelToo) {
  loop_->PostTask([&] {
    MessageLoop::ScopedNestableTaskAllower allow(loop_.get());
    loop_->PostTask([] { PostQuitMessage(7); });
    loop_->Run();
    log_.push_back("nested level ended");
  });
  loop_->Run();  // no Quit() anywhere: only the WM_QUIT can end this level
  log_.push_back("outer level ended");
  EXPECT_EQ(log_, (std::vector<std::string>{"nested level ended", "outer level ended"}));
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);  // still there for any native loop around this one
}

TEST_F(UIMessageLoopTest, ADispatcherAndObserversSeeTheMessagesOfTheOuterLevel) {
  struct Recorder : nbase::Dispatcher, nbase::WinUIMessagePump::UIObserver {
    std::vector<std::string>* log;
    bool Dispatch(const MSG& message) override {
      log->push_back("dispatch " + std::to_string(message.message - WM_APP));
      return message.message != WM_APP + 2;  // false ends the level
    }
    void WillProcessMessage(const MSG& message) override {
      log->push_back("will " + std::to_string(message.message - WM_APP));
    }
    void DidProcessMessage(const MSG& message) override {
      log->push_back("did " + std::to_string(message.message - WM_APP));
    }
  } recorder;
  recorder.log = &log_;
  bool window_procedure_called = false;
  TestWindow window([&](UINT) { window_procedure_called = true; });
  loop_->AddUIObserver(&recorder);
  PostMessageW(window.hwnd(), WM_APP + 1, 0, 0);
  PostMessageW(window.hwnd(), WM_APP + 2, 0, 0);
  loop_->Run(&recorder);
  loop_->RemoveUIObserver(&recorder);
  EXPECT_FALSE(window_procedure_called);
  EXPECT_EQ(log_, (std::vector<std::string>{"will 1", "dispatch 1", "did 1", "will 2",
                                            "dispatch 2", "did 2"}));
}

TEST_F(UIMessageLoopTest, AShortDelayedTaskRunsWithoutOtherMessages) {
  const nbase::TimeMicros posted = nbase::TimeNow();
  nbase::TimeMicros ran = 0;
  loop_->PostDelayedTask(
      [&] {
        ran = nbase::TimeNow();
        loop_->Quit();
      },
      3 * kMs);
  loop_->Run();
  EXPECT_GE(ran - posted, 3 * kMs);
}

// A queue that refuses the first wake-up post, as a full Windows queue would.
std::atomic<int> g_refusals_left{0};
BOOL WINAPI RefusingPostMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_refusals_left.fetch_sub(1) > 0) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
  }
  return PostMessageW(window, message, wparam, lparam);
}

int CountWakeUps(HWND pump_window) {
  int count = 0;
  MSG message;
  while (PeekMessageW(&message, pump_window, kWakeUpMessage, kWakeUpMessage, PM_REMOVE)) ++count;
  return count;
}

TEST(WinUIMessagePumpTest, WakeUpsFromManyThreadsCoalesceIntoOneMessage) {
  auto pump = nbase::WinUIMessagePump::Create();
  ASSERT_NE(pump, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&pump] {
      for (int i = 0; i < 250; ++i) pump->ScheduleWork();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(CountWakeUps(pump->message_window()), 1);
}

TEST(WinUIMessagePumpTest, ARefusedWakeUpDoesNotBlockLaterOnes) {
  auto pump = nbase::WinUIMessagePump::Create(&RefusingPostMessage);
  ASSERT_NE(pump, nullptr);
  g_refusals_left = 1;
  pump->ScheduleWork();  // refused, as by a full queue
  EXPECT_EQ(CountWakeUps(pump->message_window()), 0);
  pump->ScheduleWork();  // must try again rather than trust a wake-up that was never sent
  EXPECT_EQ(CountWakeUps(pump->message_window()), 1);
}

TEST(UIMessageLoopWindowClassTest, AForeignClassOfThePumpWindowsNameFailsTheLoop) {
  nbase_test::ForeignPumpWindowClass foreign;
  ASSERT_TRUE(foreign.registered());
  EXPECT_EQ(UIMessageLoop::Create(), nullptr);  // its window would never get the wake-ups
  ASSERT_TRUE(foreign.Unregister());

  auto loop = UIMessageLoop::Create();
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(UIMessageLoop::Current(), loop.get());
}

}  // namespace
