// PerformanceClock: the clock that the UI library's timers and animations run on.
//
// Timers fall due, and animations advance, by the high-resolution performance counter. A test
// drives that clock instead: while a ManualClock lives on a thread, the thread's timers and
// animations read it, and it stands still until the test advances it.
//
//   ui::ManualClock clock;           // this thread's timers and animations now follow it
//   player.Play();
//   clock.AdvanceMs(125);            // the next timer poll steps the player to 125 ms
//
// Thread affinity: Now() may be called on any thread and reads that thread's clock. A ManualClock
// belongs to the thread that made it and is destroyed there; clocks made on one thread nest.
#ifndef UI_CORE_PERFORMANCE_CLOCK_H_
#define UI_CORE_PERFORMANCE_CLOCK_H_

#include <windows.h>

namespace ui {

class PerformanceClock {
 public:
  PerformanceClock() = delete;

  // The counter reading (QueryPerformanceCounter), or the calling thread's ManualClock.
  static LONGLONG Now();
  // Counter ticks per second; the same for a ManualClock.
  static LONGLONG Frequency();
};

class ManualClock {
 public:
  // Starts at the counter's current reading.
  ManualClock();
  ~ManualClock();
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;

  // Moves the clock forward (negative values are ignored: the clock never runs backward).
  void AdvanceMs(int ms);
  LONGLONG Now() const { return now_; }

 private:
  LONGLONG now_ = 0;
  ManualClock* previous_ = nullptr;  // The clock this one hides, restored on destruction.
};

}  // namespace ui

#endif  // UI_CORE_PERFORMANCE_CLOCK_H_
