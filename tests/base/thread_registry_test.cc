#include "base/thread/thread_registry.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop.h"
#include "base/message_loop/message_loop_proxy.h"
#include "base/synchronization/waitable_event.h"
#include "tests/base/test_thread.h"

namespace {

using nbase::FrameworkThread;
using nbase::MessageLoopType;
using nbase::ThreadRegistry;
using nbase::WaitableEvent;
using nbase_test::HookedThread;

constexpr WaitableEvent::ResetPolicy kManual = WaitableEvent::ResetPolicy::kManual;

// Runs |task| on the thread registered as |id| and waits for it; false when the post is refused.
bool RunById(int id, std::function<void()> task) {
  auto done = std::make_shared<WaitableEvent>(kManual, false);
  if (!ThreadRegistry::PostTask(id, [task, done] {
        task();
        done->Signal();
      })) {
    return false;
  }
  return done->TimedWait(30000);
}

TEST(ThreadRegistryTest, RegistrationsAreCountedPerThread) {
  HookedThread thread;
  thread.on_init = [] {
    EXPECT_TRUE(ThreadRegistry::RegisterThread(5));
    EXPECT_TRUE(ThreadRegistry::RegisterThread(5));
  };
  ASSERT_TRUE(thread.Start());

  bool unregistered = false;
  ASSERT_TRUE(RunById(5, [&] { unregistered = ThreadRegistry::UnregisterThread(); }));
  EXPECT_TRUE(unregistered);
  ASSERT_TRUE(RunById(5, [&] { unregistered = ThreadRegistry::UnregisterThread(); }));  // still 5
  EXPECT_TRUE(unregistered);
  EXPECT_FALSE(ThreadRegistry::PostTask(5, [] {}));  // the second unregistration released 5
  EXPECT_EQ(ThreadRegistry::GetMessageLoopProxy(5), nullptr);

  bool extra = true;
  ASSERT_TRUE(thread.message_loop_proxy()->PostTask(
      [&] { extra = ThreadRegistry::UnregisterThread(); }));
  thread.Stop();
  EXPECT_FALSE(extra);  // nothing left to unregister
}

TEST(ThreadRegistryTest, RegistrationsThatWouldConfuseTheMapAreRefused) {
  EXPECT_FALSE(ThreadRegistry::RegisterThread(3));  // the test's thread is no framework thread
  EXPECT_FALSE(ThreadRegistry::UnregisterThread());

  HookedThread first;
  HookedThread second;
  std::vector<bool> results;
  first.on_init = [&] {
    results.push_back(ThreadRegistry::RegisterThread(-1));
    results.push_back(ThreadRegistry::RegisterThread(6));
    // A second id would outlive the first one's count: refused.
    results.push_back(ThreadRegistry::RegisterThread(7));
  };
  second.on_init = [&] {
    results.push_back(ThreadRegistry::RegisterThread(6));  // held by |first|
    results.push_back(ThreadRegistry::RegisterThread(7));
  };
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(results, (std::vector<bool>{false, true, false, false, true}));

  DWORD ran_on_6 = 0;
  DWORD ran_on_7 = 0;
  ASSERT_TRUE(RunById(6, [&] { ran_on_6 = GetCurrentThreadId(); }));
  ASSERT_TRUE(RunById(7, [&] { ran_on_7 = GetCurrentThreadId(); }));
  EXPECT_EQ(ran_on_6, first.thread_id());
  EXPECT_EQ(ran_on_7, second.thread_id());

  // Once |first| let 6 go, it may take 7's neighbour 8.
  bool moved = false;
  ASSERT_TRUE(RunById(6, [&] {
    moved = ThreadRegistry::UnregisterThread() && ThreadRegistry::RegisterThread(8);
  }));
  EXPECT_TRUE(moved);
  EXPECT_FALSE(ThreadRegistry::PostTask(6, [] {}));
  ASSERT_TRUE(RunById(8, [] {}));
}

TEST(ThreadRegistryTest, PostByIdRunsOnThatThreadAfterEarlierTasks) {
  HookedThread thread;
  thread.on_init = [] { ASSERT_TRUE(ThreadRegistry::RegisterThread(11)); };
  thread.on_cleanup = [] { ThreadRegistry::UnregisterThread(); };
  ASSERT_TRUE(thread.StartWithLoop(MessageLoopType::kUI));

  std::vector<std::string> order;
  DWORD ran_on = 0;
  WaitableEvent gate(kManual, false);
  ASSERT_TRUE(thread.message_loop_proxy()->PostTask([&] {
    gate.Wait();  // hold the thread so that both posts below queue up behind this one
    order.push_back("posted through the proxy");
  }));
  ASSERT_TRUE(ThreadRegistry::PostTask(11, [&] {
    ran_on = GetCurrentThreadId();
    order.push_back("posted by id");
  }));
  gate.Signal();
  ASSERT_TRUE(RunById(11, [] {}));
  EXPECT_EQ(order, (std::vector<std::string>{"posted through the proxy", "posted by id"}));
  EXPECT_EQ(ran_on, thread.thread_id());

  EXPECT_FALSE(ThreadRegistry::PostTask(11, nbase::Task()));  // refused by the proxy: false
}

TEST(ThreadRegistryTest, ARegistrationLeftByCleanupIsDroppedWhenTheThreadEnds) {
  HookedThread forgetful;
  forgetful.on_init = [] { ASSERT_TRUE(ThreadRegistry::RegisterThread(9)); };  // no Cleanup
  ASSERT_TRUE(forgetful.Start());
  std::shared_ptr<nbase::MessageLoopProxy> proxy = ThreadRegistry::GetMessageLoopProxy(9);
  ASSERT_NE(proxy, nullptr);
  forgetful.Stop();
  EXPECT_EQ(ThreadRegistry::GetMessageLoopProxy(9), nullptr);
  EXPECT_FALSE(ThreadRegistry::PostTask(9, [] {}));
  EXPECT_FALSE(proxy->PostTask([] {}));  // a proxy handed out earlier refuses too

  HookedThread successor;
  bool registered = false;
  successor.on_init = [&] { registered = ThreadRegistry::RegisterThread(9); };
  ASSERT_TRUE(successor.Start());
  EXPECT_TRUE(registered);
  successor.Stop();
}

// The application's own arrangement: a UI thread (id 0) that starts a default thread (id 1) from
// its Init and stops it from its Cleanup.
class OuterThread : public FrameworkThread {
 public:
  OuterThread() : FrameworkThread("outer") {}
  ~OuterThread() override { Stop(); }

  DWORD inner_thread_id = 0;

 private:
  void Init() override {
    ThreadRegistry::RegisterThread(0);
    inner_ = std::make_unique<HookedThread>("inner");
    inner_->on_init = [] { ThreadRegistry::RegisterThread(1); };
    inner_->on_cleanup = [] { ThreadRegistry::UnregisterThread(); };
    inner_->Start();
    inner_thread_id = inner_->thread_id();
  }
  void Cleanup() override {
    if (inner_ && inner_->IsRunning()) inner_->Stop();
    inner_.reset();
    SetQuitProperly(true);
    ThreadRegistry::UnregisterThread();
  }

  std::unique_ptr<HookedThread> inner_;
};

TEST(ThreadRegistryTest, NestedApplicationThreadsComeAndGoWithTheirIds) {
  OuterThread outer;
  ASSERT_TRUE(outer.StartWithLoop(MessageLoopType::kUI));
  DWORD ran_on_1 = 0;
  DWORD ran_on_0 = 0;
  ASSERT_TRUE(RunById(1, [&] { ran_on_1 = GetCurrentThreadId(); }));
  ASSERT_TRUE(RunById(0, [&] { ran_on_0 = GetCurrentThreadId(); }));
  EXPECT_EQ(ran_on_1, outer.inner_thread_id);
  EXPECT_EQ(ran_on_0, outer.thread_id());

  outer.Stop();
  EXPECT_FALSE(ThreadRegistry::PostTask(0, [] {}));
  EXPECT_FALSE(ThreadRegistry::PostTask(1, [] {}));
}

}  // namespace
