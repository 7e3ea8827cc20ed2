#include "base/thread/framework_thread.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop.h"
#include "base/message_loop/message_loop_proxy.h"
#include "base/synchronization/waitable_event.h"
#include "base/thread/thread_registry.h"
#include "tests/base/foreign_pump_window_class.h"
#include "tests/base/test_thread.h"

namespace nbase {

// Readable names for test listings ("UI" rather than the enum's bytes).
void PrintTo(MessageLoopType type, std::ostream* os) {
  switch (type) {
    case MessageLoopType::kDefault:
      *os << "Default";
      return;
    case MessageLoopType::kUI:
      *os << "UI";
      return;
    case MessageLoopType::kIO:
      *os << "IO";
      return;
    case MessageLoopType::kCustom:
      *os << "Custom";
      return;
  }
  *os << "Unknown";
}

}  // namespace nbase

namespace {

using nbase::FrameworkThread;
using nbase::MessageLoop;
using nbase::MessageLoopType;
using nbase::WaitableEvent;
using nbase_test::HookedThread;

constexpr WaitableEvent::ResetPolicy kManual = WaitableEvent::ResetPolicy::kManual;

// Runs |task| on |thread| and waits until it ran.
void RunOn(FrameworkThread* thread, std::function<void()> task) {
  WaitableEvent done(kManual, false);
  ASSERT_TRUE(thread->message_loop_proxy()->PostTask([&] {
    task();
    done.Signal();
  }));
  ASSERT_TRUE(done.TimedWait(30000));
}

class PlainLoopFactory : public nbase::CustomMessageLoopFactory {
 public:
  std::unique_ptr<MessageLoop> CreateMessageLoop() override {
    return std::make_unique<MessageLoop>();
  }
};

class NullLoopFactory : public nbase::CustomMessageLoopFactory {
 public:
  std::unique_ptr<MessageLoop> CreateMessageLoop() override { return nullptr; }
};

class FrameworkThreadLoopTypeTest : public testing::TestWithParam<MessageLoopType> {};

TEST_P(FrameworkThreadLoopTypeTest, StartsStopsAndRestarts) {
  const MessageLoopType type = GetParam();
  HookedThread thread;
  int inits = 0;
  int cleanups = 0;
  DWORD init_thread = 0;
  bool loop_alive_in_cleanup = false;
  thread.on_init = [&] {
    ++inits;
    init_thread = GetCurrentThreadId();
    ASSERT_NE(MessageLoop::Current(), nullptr);
  };
  thread.on_cleanup = [&] {
    ++cleanups;
    loop_alive_in_cleanup = MessageLoop::Current() != nullptr;
  };

  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    if (type == MessageLoopType::kCustom)
      thread.SetCustomMessageLoopFactory(std::make_shared<PlainLoopFactory>());
    ASSERT_TRUE(thread.StartWithLoop(type));
    EXPECT_EQ(inits, round);  // Init ran before the start returned
    EXPECT_NE(init_thread, GetCurrentThreadId());
    EXPECT_EQ(init_thread, thread.thread_id());
    ASSERT_NE(thread.message_loop(), nullptr);
    const MessageLoopType expected = type == MessageLoopType::kCustom ? MessageLoopType::kDefault
                                                                      : type;
    EXPECT_EQ(thread.message_loop()->type(), expected);
    EXPECT_FALSE(thread.StartWithLoop(type));  // already running: no second thread

    DWORD task_thread = 0;
    RunOn(&thread, [&] { task_thread = GetCurrentThreadId(); });
    EXPECT_EQ(task_thread, init_thread);

    std::shared_ptr<nbase::MessageLoopProxy> proxy = thread.message_loop_proxy();
    thread.Stop();
    EXPECT_EQ(cleanups, round);
    EXPECT_TRUE(loop_alive_in_cleanup);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.message_loop(), nullptr);
    EXPECT_EQ(thread.thread_id(), 0u);
    EXPECT_FALSE(proxy->PostTask([] {}));  // the stopped thread's loop refuses posts
  }
}

INSTANTIATE_TEST_SUITE_P(AllLoopTypes, FrameworkThreadLoopTypeTest,
                         testing::Values(MessageLoopType::kDefault, MessageLoopType::kUI,
                                         MessageLoopType::kIO, MessageLoopType::kCustom),
                         [](const testing::TestParamInfo<MessageLoopType>& info) {
                           return testing::PrintToString(info.param);
                         });

TEST(FrameworkThreadTest, StopWithoutStartReturnsAndTasksQueuedBeforeStopStillRun) {
  HookedThread thread;
  thread.Stop();  // never started: nothing to do
  EXPECT_FALSE(thread.IsRunning());

  std::vector<int> ran;
  bool quit_properly = false;
  thread.on_cleanup = [&] { quit_properly = FrameworkThread::IsQuitProperly(); };
  ASSERT_TRUE(thread.Start());
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(thread.message_loop_proxy()->PostTask([&ran, i] { ran.push_back(i); }));
  thread.Stop();
  ASSERT_EQ(ran.size(), 100u);
  EXPECT_EQ(ran.back(), 99);
  EXPECT_TRUE(quit_properly);  // ended by the quit task
}

TEST(FrameworkThreadTest, StopOnTheThreadItselfOnlyAsksTheLoopToQuit) {
  HookedThread thread;
  WaitableEvent cleaned_up(kManual, false);
  thread.on_cleanup = [&] { cleaned_up.Signal(); };
  ASSERT_TRUE(thread.StartWithLoop(MessageLoopType::kUI));
  std::vector<std::string> log;
  WaitableEvent both_posted(kManual, false);
  ASSERT_TRUE(thread.message_loop_proxy()->PostTask([&] {
    both_posted.Wait();  // the second task is queued before the stop
    thread.Stop();       // must not wait for its own handle
    log.push_back("Stop returned on the thread");
  }));
  const bool posted = thread.message_loop_proxy()->PostTask([&] { log.push_back("queued task"); });
  both_posted.Signal();
  ASSERT_TRUE(posted);
  ASSERT_TRUE(cleaned_up.TimedWait(30000));  // the loop ended by itself
  EXPECT_TRUE(thread.IsRunning());           // not collected yet
  thread.Stop();
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(log, (std::vector<std::string>{"Stop returned on the thread", "queued task"}));
}

TEST(FrameworkThreadTest, AThreadDeletedByItsOwnTaskWindsDownWithoutTheObject) {
  struct Outcome {
    bool cleanup_called = false;
    WaitableEvent loop_destroyed{kManual, false};
  } outcome;
  struct LoopWatcher : MessageLoop::DestructionObserver {
    WaitableEvent* destroyed;
    void WillDestroyCurrentMessageLoop() override { destroyed->Signal(); }
  } watcher;
  watcher.destroyed = &outcome.loop_destroyed;

  auto* thread = new HookedThread("self-deleting thread");
  thread->on_init = [&watcher] {
    MessageLoop::Current()->AddDestructionObserver(&watcher);
    ASSERT_TRUE(nbase::ThreadRegistry::RegisterThread(4242));  // never unregistered
  };
  thread->on_cleanup = [&outcome] { outcome.cleanup_called = true; };
  ASSERT_TRUE(thread->StartWithLoop(MessageLoopType::kUI));
  HANDLE os_thread = OpenThread(SYNCHRONIZE, FALSE, thread->thread_id());
  ASSERT_NE(os_thread, nullptr);

  ASSERT_TRUE(nbase::ThreadRegistry::PostTask(4242, [thread] { delete thread; }));
  EXPECT_EQ(WaitForSingleObject(os_thread, 30000), WAIT_OBJECT_0);  // the thread ended
  CloseHandle(os_thread);
  EXPECT_TRUE(outcome.loop_destroyed.IsSignaled());
  EXPECT_FALSE(outcome.cleanup_called);  // the subclass was gone before the loop returned
  EXPECT_EQ(nbase::ThreadRegistry::GetMessageLoopProxy(4242), nullptr);
}

TEST(FrameworkThreadTest, AUILoopEndingOnItsOwnDoesNotRaceWithStop) {
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    HookedThread thread;
    int cleanups = 0;
    bool quit_properly = true;
    thread.on_cleanup = [&] {
      ++cleanups;
      quit_properly = FrameworkThread::IsQuitProperly();
    };
    ASSERT_TRUE(thread.StartWithLoop(MessageLoopType::kUI));
    ASSERT_TRUE(thread.message_loop_proxy()->PostTask([] { PostQuitMessage(0); }));
    if (round % 2 == 0) {
      // Let the loop end first, then stop: the quit task is refused by the detached proxy.
      HANDLE os_thread = OpenThread(SYNCHRONIZE, FALSE, thread.thread_id());
      ASSERT_NE(os_thread, nullptr);
      EXPECT_EQ(WaitForSingleObject(os_thread, 30000), WAIT_OBJECT_0);
      CloseHandle(os_thread);
    }
    thread.Stop();  // odd rounds race the WM_QUIT with the quit task
    EXPECT_EQ(cleanups, 1);
    if (round % 2 == 0) {
      EXPECT_FALSE(quit_properly);  // WM_QUIT, not Stop, ended it
    }
    EXPECT_EQ(thread.message_loop(), nullptr);
  }
}

TEST(FrameworkThreadTest, ALoopThatCannotBeMadeFailsTheStart) {
  HookedThread thread;
  bool init_ran = false;
  thread.on_init = [&] { init_ran = true; };
  EXPECT_FALSE(thread.StartWithLoop(MessageLoopType::kCustom));  // no factory
  thread.SetCustomMessageLoopFactory(std::make_shared<NullLoopFactory>());
  EXPECT_FALSE(thread.StartWithLoop(MessageLoopType::kCustom));

  {
    // A foreign class under the pump window's name: the pump could never be woken.
    nbase_test::ForeignPumpWindowClass foreign;
    ASSERT_TRUE(foreign.registered());
    EXPECT_FALSE(thread.StartWithLoop(MessageLoopType::kUI));
  }

  EXPECT_FALSE(init_ran);
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.thread_id(), 0u);
  ASSERT_TRUE(thread.StartWithLoop(MessageLoopType::kUI));  // nothing was left behind
  EXPECT_TRUE(init_ran);
}

TEST(FrameworkThreadTest, FiveUIThreadsShareThePumpWindowClass) {
  std::vector<std::unique_ptr<HookedThread>> threads;
  for (int i = 0; i < 5; ++i) {
    threads.push_back(std::make_unique<HookedThread>("ui " + std::to_string(i)));
    ASSERT_TRUE(threads.back()->StartWithLoop(MessageLoopType::kUI)) << i;
  }
  std::atomic<int> runs{0};
  for (auto& thread : threads) RunOn(thread.get(), [&runs] { ++runs; });
  EXPECT_EQ(runs, 5);
  threads.erase(threads.begin() + 1);  // one pump goes; the others keep the class
  for (auto& thread : threads) RunOn(thread.get(), [&runs] { ++runs; });
  EXPECT_EQ(runs, 9);
  threads.clear();  // the last pump unregisters the class; the next one registers it anew
  HookedThread again;
  ASSERT_TRUE(again.StartWithLoop(MessageLoopType::kUI));
  RunOn(&again, [&runs] { ++runs; });
  EXPECT_EQ(runs, 10);
}

TEST(FrameworkThreadTest, PriorityIsAppliedToTheNewThread) {
  HookedThread thread;
  int priority = 0;
  thread.on_init = [&] { priority = GetThreadPriority(GetCurrentThread()); };
  thread.set_thread_priority(2);
  ASSERT_TRUE(thread.Start());
  EXPECT_EQ(priority, THREAD_PRIORITY_BELOW_NORMAL);
}

TEST(FrameworkThreadTest, QuitProperlyBelongsToFrameworkThreadsOnly) {
  FrameworkThread::SetQuitProperly(true);  // the test's thread is not one: ignored
  EXPECT_FALSE(FrameworkThread::IsQuitProperly());
  HookedThread thread;
  bool before = true;
  bool after = false;
  thread.on_init = [&] {
    before = FrameworkThread::IsQuitProperly();
    FrameworkThread::SetQuitProperly(true);
    after = FrameworkThread::IsQuitProperly();
  };
  ASSERT_TRUE(thread.Start());
  EXPECT_FALSE(before);
  EXPECT_TRUE(after);
}

}  // namespace
