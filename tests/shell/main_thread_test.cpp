// MainThread brings up the misc thread and the SDK runtime, and takes both down again.
#include "shell/main_thread.h"

#include <windows.h>

#include <future>
#include <string>

#include <gtest/gtest.h>

#include "base/thread/thread_registry.h"
#include "swplay/swplay_sim.h"

namespace {

// The thread that runs a task posted to |id|, or 0 when the post is refused or it never runs.
DWORD ThreadRunningTasksOf(int id) {
  auto ran_on = std::make_shared<std::promise<DWORD>>();
  std::future<DWORD> result = ran_on->get_future();
  if (!nbase::ThreadRegistry::PostTask(id, [ran_on] { ran_on->set_value(::GetCurrentThreadId()); }))
    return 0;
  if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) return 0;
  return result.get();
}

std::string RuntimeLog() { return swsim_object_log('R', 0); }

TEST(MainThread, RunsTheMiscThreadAndTheSdkRuntimeWhileStarted) {
  const std::string log_before = RuntimeLog();
  {
    MainThread main_thread;
    ASSERT_TRUE(main_thread.StartWithLoop(nbase::MessageLoopType::kUI));

    // Init has run by the time the start returns: both ids are registered and the runtime is up.
    const std::string started_log = RuntimeLog().substr(log_before.size());
    EXPECT_EQ(started_log, "init(0, null)\n");

    const DWORD main_id = ThreadRunningTasksOf(MainThread::kMainThreadId);
    const DWORD misc_id = ThreadRunningTasksOf(MainThread::kMiscThreadId);
    EXPECT_EQ(main_id, main_thread.thread_id());
    ASSERT_NE(misc_id, 0u);
    EXPECT_NE(misc_id, main_id);
    EXPECT_NE(misc_id, ::GetCurrentThreadId());

    main_thread.Stop();
    EXPECT_EQ(RuntimeLog().substr(log_before.size()), "init(0, null)\ndeinit()\n");

    // Neither thread is reachable by id once MainThread has stopped.
    EXPECT_FALSE(nbase::ThreadRegistry::PostTask(MainThread::kMainThreadId, [] {}));
    EXPECT_FALSE(nbase::ThreadRegistry::PostTask(MainThread::kMiscThreadId, [] {}));
  }
}

TEST(MainThread, CanBeStartedAgainAfterAStop) {
  MainThread main_thread;
  ASSERT_TRUE(main_thread.StartWithLoop(nbase::MessageLoopType::kUI));
  main_thread.Stop();
  ASSERT_TRUE(main_thread.StartWithLoop(nbase::MessageLoopType::kUI));
  EXPECT_NE(ThreadRunningTasksOf(MainThread::kMiscThreadId), 0u);
  // The destructor stops it, Cleanup included.
}

TEST(MiscThread, IsReachableByItsIdOnlyWhileRunning) {
  MiscThread misc("Test Misc Thread", 1042);
  EXPECT_FALSE(nbase::ThreadRegistry::PostTask(1042, [] {}));
  ASSERT_TRUE(misc.Start());
  EXPECT_EQ(ThreadRunningTasksOf(1042), misc.thread_id());
  misc.Stop();
  EXPECT_FALSE(nbase::ThreadRegistry::PostTask(1042, [] {}));
}

}  // namespace
