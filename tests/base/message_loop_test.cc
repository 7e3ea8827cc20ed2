#include "base/message_loop/message_loop.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop_proxy.h"
#include "base/synchronization/waitable_event.h"
#include "tests/base/test_clock.h"

namespace {

using nbase::MessageLoop;

constexpr nbase::TimeMicros kMs = 1000;

// Runs |loop| until everything immediate and everything due has run.
void RunUntilIdle(MessageLoop* loop) {
  loop->PostTask([loop] { loop->Quit(); });
  loop->Run();
}

// Records its destruction; optionally posts a task carrying another tracker from its destructor.
class Tracker {
 public:
  Tracker(std::vector<std::string>* log, std::string name, int chain = 0)
      : log_(log), name_(std::move(name)), chain_(chain) {}
  ~Tracker() {
    log_->push_back("~" + name_);
    if (chain_ > 0) {
      auto next = std::make_shared<Tracker>(log_, name_ + "+", chain_ - 1);
      auto* log = log_;
      MessageLoop::Current()->PostTask([next, log] { log->push_back("ran " + next->name_); });
    }
  }

 private:
  std::vector<std::string>* log_;
  std::string name_;
  int chain_;
};

class MessageLoopTest : public testing::Test {
 protected:
  nbase_test::ManualClock clock_;
  MessageLoop loop_;
  std::vector<std::string> log_;

  nbase::Task Log(std::string entry) {
    return [this, entry] { log_.push_back(entry); };
  }
};

TEST_F(MessageLoopTest, ImmediateTasksRunFirstInFirstOut) {
  for (int i = 0; i < 5; ++i) loop_.PostTask(Log(std::to_string(i)));
  loop_.PostTask([this] { loop_.PostTask(Log("posted by a task")); });
  loop_.PostTask(Log("5"));
  RunUntilIdle(&loop_);
  EXPECT_EQ(log_, (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "posted by a task"}));
}

TEST_F(MessageLoopTest, DelayedTasksRunByTimeThenArrival) {
  loop_.PostDelayedTask(Log("30"), 30 * kMs);
  loop_.PostDelayedTask(Log("10 first"), 10 * kMs);
  loop_.PostDelayedTask(Log("20"), 20 * kMs);
  loop_.PostDelayedTask(Log("10 second"), 10 * kMs);  // same run time: arrival decides
  loop_.PostNonNestableDelayedTask(Log("10 third"), 10 * kMs);

  RunUntilIdle(&loop_);
  EXPECT_TRUE(log_.empty());  // nothing is due yet

  clock_.AdvanceMs(20);
  RunUntilIdle(&loop_);
  EXPECT_EQ(log_, (std::vector<std::string>{"10 first", "10 second", "10 third", "20"}));

  clock_.AdvanceMs(10);
  RunUntilIdle(&loop_);
  EXPECT_EQ(log_.back(), "30");
}

TEST_F(MessageLoopTest, ZeroDelayIsImmediateEvenBehindADueDelayedTask) {
  loop_.PostDelayedTask(Log("10 ms, posted first"), 10 * kMs);
  clock_.AdvanceMs(20);  // the 10 ms task is overdue when the next one is posted
  loop_.PostDelayedTask(Log("0 delay"), 0);
  RunUntilIdle(&loop_);
  EXPECT_EQ(log_, (std::vector<std::string>{"0 delay", "10 ms, posted first"}));

  log_.clear();
  loop_.PostDelayedTask(Log("10 ms"), 10 * kMs);
  clock_.AdvanceMs(20);
  loop_.PostDelayedTask(Log("negative delay"), -5 * kMs);
  RunUntilIdle(&loop_);
  EXPECT_EQ(log_, (std::vector<std::string>{"negative delay", "10 ms"}));
}

TEST_F(MessageLoopTest, SequenceNumbersWrapWithoutBreakingArrivalOrder) {
  loop_.SetNextSequenceNumberForTesting(INT_MAX - 1);
  for (int i = 0; i < 4; ++i) loop_.PostDelayedTask(Log(std::to_string(i)), 5 * kMs);
  clock_.AdvanceMs(5);
  RunUntilIdle(&loop_);
  EXPECT_EQ(log_, (std::vector<std::string>{"0", "1", "2", "3"}));
}

TEST_F(MessageLoopTest, QuitLetsQueuedAndDueTasksRunButNotLaterOnes) {
  loop_.PostDelayedTask(Log("due"), 5 * kMs);
  loop_.PostDelayedTask(Log("not due"), 50 * kMs);
  loop_.PostTask([this] { loop_.Quit(); });
  loop_.PostTask(Log("queued 1"));
  loop_.PostTask(Log("queued 2"));
  loop_.PostNonNestableTask(Log("non-nestable"));
  clock_.AdvanceMs(5);
  loop_.Run();
  // The pump alternates immediate and delayed work; non-nestable work waits for idleness.
  ASSERT_EQ(log_.size(), 4u);
  EXPECT_NE(std::find(log_.begin(), log_.end(), "due"), log_.end());
  EXPECT_LT(std::find(log_.begin(), log_.end(), "queued 1"),
            std::find(log_.begin(), log_.end(), "queued 2"));
  EXPECT_EQ(log_.back(), "non-nestable");
}

TEST_F(MessageLoopTest, HugeDelaysSaturateInsteadOfComingDueAtOnce) {
  loop_.PostDelayedTask(Log("never"), INT64_MAX);
  loop_.PostDelayedTask(Log("almost never"), INT64_MAX - 1);
  clock_.AdvanceMs(1000);
  RunUntilIdle(&loop_);
  EXPECT_TRUE(log_.empty());
}

TEST_F(MessageLoopTest, NonNestableTasksWaitForTheOutermostLevel) {
  loop_.PostTask([this] {
    MessageLoop::ScopedNestableTaskAllower allow(&loop_);
    loop_.PostNonNestableTask(
        [this] { log_.push_back("non-nestable at depth " + std::to_string(loop_.run_depth())); });
    loop_.PostTask(
        [this] { log_.push_back("nestable at depth " + std::to_string(loop_.run_depth())); });
    loop_.PostTask([this] { loop_.Quit(); });
    loop_.Run();
    log_.push_back("nested level returned");
    loop_.Quit();  // back at depth 1: ends the outer level once idle
  });
  loop_.Run();
  EXPECT_EQ(log_, (std::vector<std::string>{"nestable at depth 2", "nested level returned",
                                            "non-nestable at depth 1"}));
}

TEST_F(MessageLoopTest, ObserversSeeEveryTaskAndTheLoopsEnd) {
  struct Observer : MessageLoop::TaskObserver, MessageLoop::DestructionObserver {
    std::vector<std::string>* log;
    void WillProcessTask(const nbase::PendingTask&) override { log->push_back("will"); }
    void DidProcessTask(const nbase::PendingTask&) override { log->push_back("did"); }
    void WillDestroyCurrentMessageLoop() override { log->push_back("destroying"); }
  } observer;
  observer.log = &log_;

  auto loop = std::make_unique<MessageLoop>();
  loop->AddTaskObserver(&observer);
  loop->AddDestructionObserver(&observer);
  loop->PostTask(Log("task"));
  loop->PostTask([&] { loop->RemoveTaskObserver(&observer); });  // removed mid-notification
  loop->PostTask(Log("unobserved"));
  RunUntilIdle(loop.get());
  loop.reset();
  EXPECT_EQ(log_, (std::vector<std::string>{"will", "task", "did", "will", "unobserved",
                                            "destroying"}));
}

TEST(MessageLoopDestructionTest, DeletesEveryTaskUnrunIncludingThosePostedByDestructors) {
  std::vector<std::string> log;
  {
    nbase_test::ManualClock clock;
    MessageLoop loop;
    auto immediate = std::make_shared<Tracker>(&log, "immediate", 2);
    auto delayed = std::make_shared<Tracker>(&log, "delayed");
    auto non_nestable = std::make_shared<Tracker>(&log, "non-nestable");
    loop.PostTask([immediate, &log] { log.push_back("ran immediate"); });
    loop.PostDelayedTask([delayed, &log] { log.push_back("ran delayed"); }, 10 * kMs);
    loop.PostNonNestableTask([non_nestable, &log] { log.push_back("ran non-nestable"); });
    immediate.reset();
    delayed.reset();
    non_nestable.reset();
    EXPECT_TRUE(log.empty());
  }
  EXPECT_EQ(log.size(), 5u);
  for (const std::string& entry : log) EXPECT_EQ(entry.rfind("~", 0), 0u) << entry;
  EXPECT_NE(std::find(log.begin(), log.end(), "~immediate++"), log.end());
  EXPECT_EQ(MessageLoop::Current(), nullptr);
}

TEST(MessageLoopProxyTest, PostsAreRefusedOnceTheLoopIsGone) {
  auto loop = std::make_unique<MessageLoop>();
  std::shared_ptr<nbase::MessageLoopProxy> proxy = loop->message_loop_proxy();
  EXPECT_TRUE(proxy->BelongsToCurrentThread());
  EXPECT_FALSE(proxy->PostTask(nullptr));  // an empty task is never queued

  int runs = 0;
  EXPECT_TRUE(proxy->PostTask([&runs] { ++runs; }));
  RunUntilIdle(loop.get());
  EXPECT_EQ(runs, 1);

  loop.reset();
  auto token = std::make_shared<int>(0);
  EXPECT_FALSE(proxy->PostTask([token, &runs] { ++runs; }));
  EXPECT_FALSE(proxy->PostDelayedTask([&runs] { ++runs; }, 1));
  EXPECT_FALSE(proxy->PostNonNestableTask([&runs] { ++runs; }));
  EXPECT_FALSE(proxy->PostNonNestableDelayedTask([&runs] { ++runs; }, 1));
  EXPECT_FALSE(proxy->BelongsToCurrentThread());
  EXPECT_EQ(token.use_count(), 1);  // the refused task was destroyed, not kept
  EXPECT_EQ(runs, 1);
}

TEST(MessageLoopProxyTest, CrossThreadPostsWakeASleepingLoopAndKeepTheirOrder) {
  MessageLoop loop;
  std::shared_ptr<nbase::MessageLoopProxy> proxy = loop.message_loop_proxy();
  std::vector<int> seen;
  bool belongs_elsewhere = true;
  std::thread poster([&] {
    belongs_elsewhere = proxy->BelongsToCurrentThread();
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(proxy->PostTask([&seen, i] { seen.push_back(i); }));
    ASSERT_TRUE(proxy->PostTask([&loop] { loop.Quit(); }));
  });
  loop.Run();  // sleeps until the poster's tasks arrive
  poster.join();
  EXPECT_FALSE(belongs_elsewhere);
  ASSERT_EQ(seen.size(), 1000u);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
}

TEST(MessageLoopProxyTest, RealDelaysAreNeverServedEarly) {
  MessageLoop loop;
  const nbase::TimeMicros posted = nbase::TimeNow();
  nbase::TimeMicros ran = 0;
  ASSERT_TRUE(loop.message_loop_proxy()->PostDelayedTask(
      [&] {
        ran = nbase::TimeNow();
        loop.Quit();
      },
      30 * kMs));
  loop.Run();  // the default pump sleeps on its event with a time-out
  EXPECT_GE(ran - posted, 30 * kMs);
}

TEST(MessageLoopProxyTest, ReplyRunsOnThePostingThreadAfterTheTask) {
  MessageLoop loop;
  nbase::WaitableEvent target_ready(nbase::WaitableEvent::ResetPolicy::kManual, false);
  std::shared_ptr<nbase::MessageLoopProxy> target;
  std::thread target_thread([&] {
    MessageLoop target_loop;
    target = target_loop.message_loop_proxy();
    target_ready.Signal();
    target_loop.Run();
  });
  target_ready.Wait();

  std::vector<std::string> log;
  const std::thread::id main_id = std::this_thread::get_id();
  std::thread::id task_thread;
  std::thread::id reply_thread;
  ASSERT_TRUE(target->PostTaskAndReply(
      [&] {
        task_thread = std::this_thread::get_id();
        log.push_back("task");
      },
      [&] {
        reply_thread = std::this_thread::get_id();
        log.push_back("reply");
        loop.Quit();
      }));
  loop.Run();
  ASSERT_TRUE(target->PostTask([] { MessageLoop::Current()->Quit(); }));
  target_thread.join();
  EXPECT_EQ(log, (std::vector<std::string>{"task", "reply"}));
  EXPECT_NE(task_thread, main_id);
  EXPECT_EQ(reply_thread, main_id);
}

}  // namespace
