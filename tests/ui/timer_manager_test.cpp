// Timer service: every test pumps its own thread's messages until a deadline; callbacks run from
// that pumping, on the thread that added the timer.
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
  constexpr int kRounds = 10;
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
    std::atomic<bool> go{false};
    auto uiThread = [&](Result* result) {
      Owner owner;
      result->addedOn = ::GetCurrentThreadId();
      ready.ArriveAndWait();
      while (!go) std::this_thread::yield();  // Released all at once, not one by one.
      result->service = TimerManager::GetInstance();
      result->service->AddCancelableTimer(
          owner.GetWeakFlag(), [result] { result->ranOn = ::GetCurrentThreadId(); }, 20, 1);
      PumpUntil([result] { return result->ranOn != 0; }, 3000);
      finished.ArriveAndWait();
      released.ArriveAndWait();
    };
    std::vector<std::thread> threads;
    for (Result& result : results) threads.emplace_back(uiThread, &result);
    ready.ArriveAndWait();
    go = true;
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
    EXPECT_TRUE(PumpUntil([&] { return ran == 3; }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return timers->GetWakeUpPeriod() == 0; }, 1000));
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
        PumpFor(1000);
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
