// Timer service: every test pumps its own thread's messages until a deadline; callbacks run from
// that pumping, on the thread that added the timer.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "base/callback/weak_callback.h"
#include "tests/ui/test_support.h"
#include "ui/core/timer_manager.h"

namespace {

using ui::TimerManager;
using uitest::PumpFor;
using uitest::PumpUntil;

struct Owner : nbase::SupportWeakCallback {};

TEST(TimerManagerTest, RepeatCountsOneThreeAndForever) {
  Owner owner;
  nbase::WeakCallbackFlag foreverFlag;
  int once = 0, thrice = 0, forever = 0;
  TimerManager* timers = TimerManager::GetInstance();
  ASSERT_TRUE(timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++once; }, 10, 1));
  ASSERT_TRUE(timers->AddCancelableTimer(owner.GetWeakFlag(), [&] { ++thrice; }, 10, 3));
  ASSERT_TRUE(timers->AddCancelableTimer(foreverFlag.GetWeakFlag(), [&] { ++forever; }, 10,
                                         TimerManager::kRepeatForever));
  EXPECT_TRUE(PumpUntil([&] { return thrice == 3 && forever >= 6; }, 5000));
  PumpFor(100);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(thrice, 3);
  EXPECT_GE(forever, 6);

  foreverFlag.Cancel();  // Retires the endless timer.
  const int stoppedAt = forever;
  PumpFor(100);
  EXPECT_EQ(forever, stoppedAt);
  EXPECT_TRUE(PumpUntil([&] { return timers->GetPendingCount() == 0; }, 1000));
  EXPECT_EQ(timers->GetWakeUpPeriod(), 0u);  // Nothing pending: the multimedia timer stops.
}

TEST(TimerManagerTest, TimerOfADestroyedOwnerNeverRuns) {
  bool ran = false;
  bool later = false;
  {
    Owner owner;
    TimerManager::GetInstance()->AddCancelableTimer(owner.GetWeakFlag(), [&] { ran = true; }, 20,
                                                    1);
  }
  Owner survivor;
  TimerManager::GetInstance()->AddCancelableTimer(survivor.GetWeakFlag(), [&] { later = true; },
                                                  60, 1);
  EXPECT_TRUE(PumpUntil([&] { return later; }, 3000));
  EXPECT_FALSE(ran);
  EXPECT_EQ(TimerManager::GetInstance()->GetPendingCount(), 0u);
}

TEST(TimerManagerTest, AnEarlierCallbackOfThePollCanRetireALaterTimer) {
  // Both are due in the same poll, and each cancels the other: exactly one may run.
  nbase::WeakCallbackFlag first, second;
  int ran = 0;
  TimerManager* timers = TimerManager::GetInstance();
  timers->AddCancelableTimer(first.GetWeakFlag(), [&] { ++ran; second.Cancel(); }, 0, 1);
  timers->AddCancelableTimer(second.GetWeakFlag(), [&] { ++ran; first.Cancel(); }, 0, 1);
  EXPECT_TRUE(PumpUntil([&] { return ran > 0; }, 2000));
  PumpFor(100);
  EXPECT_EQ(ran, 1);
}

TEST(TimerManagerTest, CallbacksMayAddTimers) {
  Owner owner;
  int chain = 0;
  std::function<void()> step = [&] {
    if (++chain < 5)
      TimerManager::GetInstance()->AddCancelableTimer(owner.GetWeakFlag(), step, 5, 1);
  };
  TimerManager::GetInstance()->AddCancelableTimer(owner.GetWeakFlag(), step, 5, 1);
  EXPECT_TRUE(PumpUntil([&] { return chain == 5; }, 3000));
}

TEST(TimerManagerTest, ZeroPeriodRepeatingTimerRunsOncePerPoll) {
  nbase::WeakCallbackFlag flag;
  int runs = 0;
  TimerManager::GetInstance()->AddCancelableTimer(flag.GetWeakFlag(), [&] { ++runs; }, 0,
                                                  TimerManager::kRepeatForever);
  // A poll that re-ran a zero-period timer at once would never return to this loop.
  EXPECT_TRUE(PumpUntil([&] { return runs >= 3; }, 3000));
  flag.Cancel();
  EXPECT_LT(runs, 1000);
}

// Runs body on a fresh UI thread, so it starts with a service of its own and an empty heap.
void OnFreshThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

TEST(TimerManagerTest, DistantTimersWakeOnceNearTheirDueTime) {
  OnFreshThread([] {
    Owner owner;
    TimerManager* timers = TimerManager::GetInstance();
    timers->AddCancelableTimer(owner.GetWeakFlag(), [] {}, 5000, 1);
    EXPECT_EQ(timers->GetWakeUpPeriod(), TimerManager::kFastPeriodMs);
    // The first poll finds the timer about 5 s away and switches to one slow wake-up.
    ASSERT_TRUE(PumpUntil([&] { return timers->GetWakeUpPeriod() != TimerManager::kFastPeriodMs; },
                          2000));
    EXPECT_GE(timers->GetWakeUpPeriod(), 4000u);  // The first poll may come late under load.
    EXPECT_LE(timers->GetWakeUpPeriod(), 5002u);
  });
}

TEST(TimerManagerTest, SlowWakeUpBeyondTheSystemLimitIsClampedNotLost) {
  TIMECAPS caps = {};
  ASSERT_EQ(::timeGetDevCaps(&caps, sizeof(caps)), static_cast<MMRESULT>(TIMERR_NOERROR));
  OnFreshThread([&caps] {
    Owner owner;
    TimerManager* timers = TimerManager::GetInstance();
    const UINT elapse = 2000000;  // Beyond what timeSetEvent accepts on Windows and Wine.
    timers->AddCancelableTimer(owner.GetWeakFlag(), [] {}, elapse, 1);
    ASSERT_TRUE(PumpUntil([&] { return timers->GetWakeUpPeriod() != TimerManager::kFastPeriodMs; },
                          2000));
    EXPECT_EQ(timers->GetWakeUpPeriod(), std::min<UINT>(caps.wPeriodMax, elapse + 2));
    EXPECT_EQ(timers->GetPendingCount(), 1u);
  });
}

TEST(TimerManagerTest, EachUiThreadRunsItsOwnTimers) {
  // Two UI threads, each with its own service and message loop: a callback runs on the thread
  // that added it, never on the other.
  struct Result {
    DWORD addedOn = 0;
    std::atomic<DWORD> ranOn{0};
    TimerManager* service = nullptr;
  };
  Result results[2];
  auto uiThread = [](Result* result) {
    Owner owner;
    result->addedOn = ::GetCurrentThreadId();
    result->service = TimerManager::GetInstance();
    result->service->AddCancelableTimer(
        owner.GetWeakFlag(), [result] { result->ranOn = ::GetCurrentThreadId(); }, 20, 1);
    PumpUntil([result] { return result->ranOn != 0; }, 3000);
  };
  std::thread a(uiThread, &results[0]);
  std::thread b(uiThread, &results[1]);
  a.join();
  b.join();
  EXPECT_NE(results[0].service, results[1].service);
  EXPECT_NE(results[0].service, TimerManager::GetInstance());
  for (const Result& r : results) EXPECT_EQ(r.ranOn.load(), r.addedOn);
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
