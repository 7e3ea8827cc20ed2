#include "base/message_loop/io_message_loop_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop_proxy.h"
#include "base/synchronization/waitable_event.h"
#include "tests/base/test_clock.h"
#include "tests/base/test_thread.h"

namespace {

using nbase::WaitableEvent;
using nbase::WinIOMessagePump;

constexpr WaitableEvent::ResetPolicy kManual = WaitableEvent::ResetPolicy::kManual;

constexpr int kLongWaitMs = 30000;  // only reached when something is broken

class IOThreadTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(thread_.StartWithLoop(nbase::MessageLoopType::kIO)); }

  nbase_test::ManualClock clock_;  // outlives the thread, which reads it
  nbase_test::HookedThread thread_{"io thread"};
};

TEST_F(IOThreadTest, PostedAndDelayedTasksWakeTheCompletionPort) {
  std::vector<std::string> log;
  WaitableEvent immediates_ran(kManual, false);
  WaitableEvent done(kManual, false);
  auto proxy = thread_.message_loop_proxy();
  ASSERT_TRUE(proxy->PostDelayedTask(
      [&] {
        log.push_back("delayed");
        done.Signal();
      },
      20 * 1000));
  ASSERT_TRUE(proxy->PostTask([&] { log.push_back("immediate 1"); }));
  ASSERT_TRUE(proxy->PostTask([&] {
    log.push_back("immediate 2");
    immediates_ran.Signal();
  }));
  ASSERT_TRUE(immediates_ran.TimedWait(kLongWaitMs));
  // The delayed task is not due before the clock moves; the port's time-out then finds it due.
  clock_.AdvanceMs(20);
  ASSERT_TRUE(done.TimedWait(kLongWaitMs));
  EXPECT_EQ(log, (std::vector<std::string>{"immediate 1", "immediate 2", "delayed"}));
}

TEST_F(IOThreadTest, OverlappedCompletionsReachTheirHandlerOnTheLoopThread) {
  struct Writer : WinIOMessagePump::IOHandler {
    WaitableEvent completed{kManual, false};
    DWORD bytes = 0;
    DWORD error = 1;
    DWORD thread = 0;
    WinIOMessagePump::IOContext* context = nullptr;
    void OnIOCompleted(WinIOMessagePump::IOContext* c, DWORD b, DWORD e) override {
      context = c;
      bytes = b;
      error = e;
      thread = GetCurrentThreadId();
      completed.Signal();
    }
  } writer;

  wchar_t folder[MAX_PATH];
  wchar_t path[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  ASSERT_NE(GetTempFileNameW(folder, L"nbs", 0, path), 0u);  // unique per process and call
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_FLAG_OVERLAPPED | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);

  WinIOMessagePump::IOContext context{};
  context.handler = &writer;
  const std::string data(4096, 'x');
  WaitableEvent started(kManual, false);
  bool registered = false;
  ASSERT_TRUE(thread_.message_loop_proxy()->PostTask([&] {
    registered = nbase::IOMessageLoop::Current()->RegisterIOHandler(file, &writer);
    if (!WriteFile(file, data.data(), static_cast<DWORD>(data.size()), nullptr,
                   &context.overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
      registered = false;
    }
    started.Signal();
  }));
  ASSERT_TRUE(started.TimedWait(kLongWaitMs));
  ASSERT_TRUE(registered);
  ASSERT_TRUE(writer.completed.TimedWait(kLongWaitMs));
  EXPECT_EQ(writer.context, &context);
  EXPECT_EQ(writer.bytes, 4096u);
  EXPECT_EQ(writer.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(writer.thread, thread_.thread_id());
  thread_.Stop();
  CloseHandle(file);
}

}  // namespace
