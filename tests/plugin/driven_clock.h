// DrivenClock: a session clock whose time moves only when the test moves it.
//
// A wait made on it ends once the test has advanced the clock past the wait's end (measured from
// when the wait began), or when it is interrupted. So a test decides which watchdog, back-off or
// poll ends when, and the sequence of events does not depend on how fast the machine is:
//
//   rig.Connect(...);                                        // arms the 8 s watchdog
//   ASSERT_TRUE(PumpUntil([&] { return clock->Pending(WaitKind::kWatchdog) == 1; }));
//   clock->Advance(std::chrono::seconds(8));                 // the watchdog expires, now
//
// Every wait begun is recorded (kind and duration), in order.
//
// Thread-safety: every member may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "plugin/session_clock.h"

class DrivenClock : public SessionClock {
 public:
  bool Wait(WaitKind kind, std::chrono::milliseconds duration,
            const std::function<bool()>& interrupted) override;
  void Wake() override;

  // Moves the time on by `step`; the waits whose end it reaches return true.
  void Advance(std::chrono::milliseconds step);
  // Waits of `kind` begun, neither ended nor interrupted.
  int Pending(WaitKind kind) const;
  // Every wait begun so far, in order: its kind and duration in milliseconds.
  std::vector<std::pair<WaitKind, int>> Waits() const;
  // Durations of the waits of `kind` only, in order.
  std::vector<int> WaitsOf(WaitKind kind) const;
  // The test is over: time runs freely, every wait (also a later one) ends at once.
  void RunFree();

 private:
  // One wait in progress, on its thread's stack. Each has a condition of its own, so moving the
  // time wakes only the waits it ends (a hundred sessions wait at once in the stress tests).
  struct Waiter {
    WaitKind kind;
    std::chrono::milliseconds end;
    const std::function<bool()>* interrupted;
    std::condition_variable wake;
  };

  mutable std::mutex mutex_;
  std::chrono::milliseconds now_{0};
  bool free_ = false;
  uint64_t lastId_ = 0;
  std::map<uint64_t, Waiter*> waiting_;
  std::vector<std::pair<WaitKind, int>> begun_;
};
