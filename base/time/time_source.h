// The base library's clock: microseconds on a millisecond counter, corrected for roll-over.
//
// Every loop, pump and proxy of the process reads the same clock, so a delayed task posted on one
// thread is due at the same instant seen from another. The millisecond counter (timeGetTime by
// default) wraps every 49.7 days; each reading smaller than the previous one adds 2^32 ms, so the
// clock never goes back:
//
//   now = (roll-over count + counter reading) x 1000   [microseconds]
//
// Thread safety: NowMicroseconds() may be called from any thread. The counter is read under the
// time source's lock (TimeSourceLock), so two threads can never see readings in one order and
// apply them in the other (which would count a false roll-over). That lock is never held while
// another lock is taken.
#ifndef BASE_TIME_TIME_SOURCE_H_
#define BASE_TIME_TIME_SOURCE_H_

#include <cstdint>
#include <functional>

#include "base/synchronization/lock.h"

namespace nbase {

// Microseconds, the unit of every run time and delay in the base library.
using TimeMicros = std::int64_t;

// The lock of a clock's roll-over state: held for one reading only, and a leaf (nothing else is
// locked while it is held), so it may be taken under any other lock.
using TimeSourceLock = Lock;

class TimeSource {
 public:
  // A 32-bit millisecond counter that may wrap.
  using MillisecondCounter = std::function<std::uint32_t()>;

  explicit TimeSource(MillisecondCounter counter);
  TimeSource(const TimeSource&) = delete;
  TimeSource& operator=(const TimeSource&) = delete;

  // The current time; never smaller than a value returned before.
  TimeMicros NowMicroseconds();

 private:
  const MillisecondCounter counter_;
  TimeSourceLock lock_;  // guards the two fields below
  std::uint32_t last_reading_ = 0;
  std::int64_t rollover_ms_ = 0;
};

// The process clock: the default time source, or the one a test installed.
TimeMicros TimeNow();

// Makes TimeNow() read |source| for the lifetime of this object, so that tests can drive delayed
// tasks deterministically. Install it before starting loops that must see it and destroy it after
// they are gone; overrides do not nest.
class ScopedTimeSourceOverride {
 public:
  explicit ScopedTimeSourceOverride(TimeSource* source);
  ~ScopedTimeSourceOverride();
  ScopedTimeSourceOverride(const ScopedTimeSourceOverride&) = delete;
  ScopedTimeSourceOverride& operator=(const ScopedTimeSourceOverride&) = delete;
};

namespace internal {
// The operating system's millisecond counter (time_source_win.cc).
std::uint32_t SystemMillisecondCounter();
}  // namespace internal

}  // namespace nbase

#endif  // BASE_TIME_TIME_SOURCE_H_
