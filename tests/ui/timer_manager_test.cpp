// Timer service. Each test runs on a fresh UI thread, so it starts with a service of its own and
// an empty heap. Most tests drive the service's clock by hand and run its polls themselves, so
// what is due when never depends on the machine's speed; the rest pump the thread's messages
// until the real wake-ups have done their work, with deadlines far beyond need.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/callback/weak_callback.h"
#include "tests/ui/test_support.h"
#include "ui/core/performance_clock.h"
#include "ui/core/timer_manager.h"

namespace {

using ui::TimerManager;
using uitest::PumpFor;
using uitest::PumpUntil;

constexpr DWORD kLongWaitMs = 30000;  // only reached when something is broken

struct Owner : nbase::SupportWeakCallback {};

// Runs body on a fresh UI thread, so it starts with a service of its own and an empty heap.
void OnFreshThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

// The calling thread's service on a clock that only the test moves.
class ManualClock {
 public:
  ManualClock() : timers_(TimerManager::GetInstance()) {}

  TimerManager* timers() const { return timers_; }
  // Moves the clock, then polls as a wake-up would.
  void AdvanceAndPoll(int ms) {
    clock_.AdvanceMs(ms);
    timers_->Poll();
  }

 private:
  ui::ManualClock clock_;
  TimerManager* const timers_;
};

TEST(TimerManagerTest, RepeatCountsOneThreeAndForever) {
  OnFreshThread([] {
    ManualClock clock;
    Owner owner;
    nbase::WeakCallbackFlag foreverFlag;
    int once = 0, thrice = 0, forever = 0;
    TimerManager* timers = clock.timers();
    ASSERT_TRUE(timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++once; }, 10, 1));
    ASSERT_TRUE(timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++thrice; }, 10, 3));
    ASSERT_TRUE(timers->AddCancelableTimer(foreverFlag.GetWeakFlag(), [&] { ++forever; }, 10,
                                           TimerManager::kRepeatForever));
    clock.AdvanceAndPoll(9);
    EXPECT_EQ(once + thrice + forever, 0);  // nothing is due a millisecond early
    for (int period = 1; period <= 6; ++period) {
      clock.AdvanceAndPoll(period == 1 ? 1 : 10);
      EXPECT_EQ(once, 1);
      EXPECT_EQ(thrice, std::min(period, 3));
      EXPECT_EQ(forever, period);
    }
    EXPECT_EQ(timers->GetPendingCount(), 1u);

    foreverFlag.Cancel();  // retires the endless timer
    clock.AdvanceAndPoll(10);
    EXPECT_EQ(forever, 6);
    EXPECT_EQ(timers->GetPendingCount(), 0u);
    EXPECT_EQ(timers->GetWakeUpPeriod(), 0u);  // nothing pending: the multimedia timer stops
  });
}

TEST(TimerManagerTest, ALatePollRunsATimerOnceAndCountsTheNextPeriodFromThatPoll) {
  OnFreshThread([] {
    ManualClock clock;
    Owner owner;
    int runs = 0;
    clock.timers()->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++runs; }, 10,
                                       TimerManager::kRepeatForever);
    clock.AdvanceAndPoll(35);  // three periods late
    EXPECT_EQ(runs, 1);
    clock.AdvanceAndPoll(9);
    EXPECT_EQ(runs, 1);
    clock.AdvanceAndPoll(1);
    EXPECT_EQ(runs, 2);
  });
}

TEST(TimerManagerTest, TimerOfADestroyedOwnerNeverRuns) {
  OnFreshThread([] {
    ManualClock clock;
    bool ran = false;
    {
      Owner owner;
      clock.timers()->AddCancelableTimer(owner.GetWeakFlag(), [&] { ran = true; }, 20, 1);
    }
    EXPECT_EQ(clock.timers()->GetPendingCount(), 1u);
    clock.AdvanceAndPoll(20);
    EXPECT_FALSE(ran);
    EXPECT_EQ(clock.timers()->GetPendingCount(), 0u);  // removed at its due time
  });
}

TEST(TimerManagerTest, AnEarlierCallbackOfThePollCanRetireALaterTimer) {
  OnFreshThread([] {
    // Both are due in the same poll, and each cancels the other: exactly one may run.
    ManualClock clock;
    nbase::WeakCallbackFlag first, second;
    int ran = 0;
    TimerManager* timers = clock.timers();
    timers->AddCancelableTimer(first.GetWeakFlag(), [&] { ++ran; second.Cancel(); }, 0, 1);
    timers->AddCancelableTimer(second.GetWeakFlag(), [&] { ++ran; first.Cancel(); }, 0, 1);
    clock.AdvanceAndPoll(0);
    EXPECT_EQ(ran, 1);
    clock.AdvanceAndPoll(10);
    EXPECT_EQ(ran, 1);
  });
}

TEST(TimerManagerTest, CallbacksMayAddTimersWhichWaitForALaterPoll) {
  OnFreshThread([] {
    ManualClock clock;
    Owner owner;
    int chain = 0;
    std::function<void()> step = [&] {
      if (++chain < 5) TimerManager::GetInstance()->AddCancelableTimer(owner.GetWeakFlag(), step, 0, 1);
    };
    clock.timers()->AddCancelableTimer(owner.GetWeakFlag(), step, 5, 1);
    for (int poll = 1; poll <= 6; ++poll) {
      clock.AdvanceAndPoll(5);
      EXPECT_EQ(chain, std::min(poll, 5));  // one link per poll, even at a period of 0
    }
    EXPECT_EQ(clock.timers()->GetPendingCount(), 0u);
  });
}

TEST(TimerManagerTest, ZeroPeriodRepeatingTimerRunsOncePerPoll) {
  OnFreshThread([] {
    ManualClock clock;
    nbase::WeakCallbackFlag flag;
    int runs = 0;
    clock.timers()->AddCancelableTimer(flag.GetWeakFlag(), [&] { ++runs; }, 0,
                                       TimerManager::kRepeatForever);
    // A poll that re-ran a zero-period timer at once would never return.
    clock.AdvanceAndPoll(0);
    EXPECT_EQ(runs, 1);
    clock.AdvanceAndPoll(0);
    EXPECT_EQ(runs, 2);
  });
}

TEST(TimerManagerTest, DistantTimersWakeOnceNearTheirDueTime) {
  OnFreshThread([] {
    ManualClock clock;
    Owner owner;
    bool ran = false;
    TimerManager* timers = clock.timers();
    timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ran = true; }, 5000, 1);
    EXPECT_EQ(timers->GetWakeUpPeriod(), TimerManager::kFastPeriodMs);
    // The first poll finds the timer 5 s away and switches to one slow wake-up.
    clock.AdvanceAndPoll(0);
    EXPECT_EQ(timers->GetWakeUpPeriod(), 5002u);
    clock.AdvanceAndPoll(4001);  // 999 ms left: back to the fast period
    EXPECT_EQ(timers->GetWakeUpPeriod(), TimerManager::kFastPeriodMs);
    EXPECT_FALSE(ran);
    clock.AdvanceAndPoll(999);
    EXPECT_TRUE(ran);
    EXPECT_EQ(timers->GetWakeUpPeriod(), 0u);
  });
}

TEST(TimerManagerTest, SlowWakeUpBeyondTheSystemLimitIsClampedNotLost) {
  TIMECAPS caps = {};
  ASSERT_EQ(::timeGetDevCaps(&caps, sizeof(caps)), static_cast<MMRESULT>(TIMERR_NOERROR));
  OnFreshThread([&caps] {
    ManualClock clock;
    Owner owner;
    const UINT elapse = 2000000;  // beyond what timeSetEvent accepts on Windows and Wine
    clock.timers()->AddCancelableTimer(owner.GetWeakFlag(), [] {}, elapse, 1);
    clock.AdvanceAndPoll(0);
    EXPECT_EQ(clock.timers()->GetWakeUpPeriod(), std::min<UINT>(caps.wPeriodMax, elapse + 2));
    EXPECT_EQ(clock.timers()->GetPendingCount(), 1u);
  });
}

// Handles the poll messages waiting in this thread's queue (one taken out unhandled would leave
// the service believing it still waits there) and counts them.
int HandlePollMessages() {
  int count = 0;
  MSG message;
  while (::PeekMessageW(&message, nullptr, TimerManager::kPollMessage, TimerManager::kPollMessage,
                        PM_REMOVE)) {
    ::DispatchMessageW(&message);
    ++count;
  }
  return count;
}

TEST(TimerManagerTest, ABusyThreadGetsOnePollMessageHoweverManyTicksPass) {
  OnFreshThread([] {
    Owner owner;
    int ran = 0;
    TimerManager* timers = TimerManager::GetInstance();
    ASSERT_TRUE(timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++ran; }, 0, 2));
    const DWORD uiThread = ::GetCurrentThreadId();
    // More ticks than a Windows queue holds messages (10,000), while this thread pumps nothing.
    bool otherPostWent = false;
    std::thread ticks([&] {
      for (int i = 0; i < 12000; ++i) timers->RequestPoll();
      otherPostWent = ::PostThreadMessageW(uiThread, WM_APP, 0, 0) != FALSE;
    });
    ticks.join();
    EXPECT_TRUE(otherPostWent) << "the thread's queue filled up with wake-ups";
    MSG other;
    EXPECT_TRUE(::PeekMessageW(&other, nullptr, WM_APP, WM_APP, PM_REMOVE));
    // The multimedia timer's own ticks share the one message, which polls.
    EXPECT_EQ(HandlePollMessages(), 1);
    EXPECT_EQ(ran, 1);

    // Once the message has been handled, the next tick posts a new one.
    timers->RequestPoll();
    timers->RequestPoll();
    EXPECT_EQ(HandlePollMessages(), 1);
    EXPECT_EQ(ran, 2);
  });
}

TEST(TimerManagerTest, RealTimersRunFromTheWakeUpsAndThenStopThem) {
  OnFreshThread([] {
    Owner owner;
    int ran = 0;
    TimerManager* timers = TimerManager::GetInstance();
    ASSERT_TRUE(timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++ran; }, 10, 3));
    EXPECT_TRUE(PumpUntil([&] { return ran == 3; }, kLongWaitMs));
    EXPECT_TRUE(PumpUntil([&] { return timers->GetWakeUpPeriod() == 0; }, kLongWaitMs));
    EXPECT_EQ(ran, 3);
  });
}

// Lets a group of threads pass only together.
class Barrier {
 public:
  explicit Barrier(int count) : waiting_(count) {}
  void ArriveAndWait() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (--waiting_ == 0) {
      all_here_.notify_all();
      return;
    }
    all_here_.wait(lock, [this] { return waiting_ == 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable all_here_;
  int waiting_;
};

TEST(TimerManagerTest, EachUiThreadRunsItsOwnTimers) {
  // Many UI threads make their services at the same moment, each with its own window and message
  // loop: every callback runs, on the thread that added it. The threads stay alive until all have
  // checked in, so no two services can share an address by turns. Each round starts with the
  // window class unregistered again (the round's windows are gone with their threads), so every
  // round races the class's first registration.
  constexpr int kThreads = 16;
  constexpr int kRounds = 5;
  struct Result {
    DWORD addedOn = 0;
    std::atomic<DWORD> ranOn{0};
    TimerManager* service = nullptr;
  };
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    Result results[kThreads];
    const bool lastRound = round == kRounds - 1;
    Barrier ready(kThreads + 1);
    Barrier finished(kThreads + 1);
    Barrier released(kThreads + 1);
    auto uiThread = [&](Result* result) {
      Owner owner;
      result->addedOn = ::GetCurrentThreadId();
      ready.ArriveAndWait();  // released all at once, not one by one
      result->service = TimerManager::GetInstance();
      result->service->AddCancelableTimer(
          owner.GetWeakFlag(), [result] { result->ranOn = ::GetCurrentThreadId(); }, 20, 1);
      PumpUntil([result] { return result->ranOn != 0; }, kLongWaitMs);
      finished.ArriveAndWait();
      released.ArriveAndWait();
    };
    std::vector<std::thread> threads;
    for (Result& result : results) threads.emplace_back(uiThread, &result);
    ready.ArriveAndWait();
    finished.ArriveAndWait();
    // While every thread and its service still live: this thread's service is yet another one.
    // (Made in the last round only: its window keeps the class registered from then on.)
    if (lastRound) {
      for (const Result& r : results) EXPECT_NE(r.service, TimerManager::GetInstance());
    }
    released.ArriveAndWait();
    for (std::thread& thread : threads) thread.join();

    std::set<TimerManager*> services;
    for (const Result& r : results) {
      services.insert(r.service);
      EXPECT_EQ(r.ranOn.load(), r.addedOn);
    }
    EXPECT_EQ(services.size(), static_cast<size_t>(kThreads));
    ::UnregisterClassW(L"UI_ANIMATION_TIMERMANAGER_H_", ::GetModuleHandleW(nullptr));
  }
}

void CALLBACK IgnoreMultimediaTimer(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

TEST(TimerManagerTest, TimersRunWhenNoMultimediaTimerIsLeft) {
  // The system hands out a limited number of multimedia timers per process (Wine: 16). With all
  // of them taken by others, a service must still wake up for its timers.
  std::vector<UINT> taken;
  for (int i = 0; i < 256; ++i) {
    const UINT id = ::timeSetEvent(1000, 1, &IgnoreMultimediaTimer, 0, TIME_PERIODIC);
    if (id == 0) break;
    taken.push_back(id);
  }
  OnFreshThread([] {
    Owner owner;
    int ran = 0;
    TimerManager* timers = TimerManager::GetInstance();
    ASSERT_TRUE(timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++ran; }, 20, 3));
    EXPECT_EQ(timers->GetWakeUpPeriod(), TimerManager::kFastPeriodMs);
    EXPECT_TRUE(PumpUntil([&] { return ran == 3; }, kLongWaitMs));
    EXPECT_TRUE(PumpUntil([&] { return timers->GetWakeUpPeriod() == 0; }, kLongWaitMs));
  });
  for (UINT id : taken) ::timeKillEvent(id);
}

TEST(TimerManagerTest, ACallbackThrowingFromTheTimerWindowEndsTheProcess) {
  // Callbacks run inside the timer window's procedure: an exception must not unwind through the
  // system's dispatch frames into whatever loop dispatched the poll.
  Owner owner;
  EXPECT_DEATH(
      {
        TimerManager::GetInstance()->AddCancelableTimer(
            owner.GetWeakFlag(), [] { throw std::runtime_error("callback failed"); }, 1, 1);
        PumpFor(kLongWaitMs);  // ends much sooner: the first poll throws
      },
      "");
}

TEST(TimerManagerTest, AServiceRefusesTimersFromAnotherThread) {
  TimerManager* mine = TimerManager::GetInstance();
  Owner owner;
  bool added = true;
  std::thread other([&] { added = mine->AddCancelableTimer(owner.GetWeakFlag(), [] {}, 1, 1); });
  other.join();
  EXPECT_FALSE(added);
  EXPECT_FALSE(mine->AddCancelableTimer(owner.GetWeakFlag(), nullptr, 1, 1));
}

}  // namespace
