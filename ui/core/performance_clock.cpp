#include "ui/core/performance_clock.h"

namespace ui {

namespace {

// A plain pointer (no destructor), which the toolchain's emulated thread-local storage handles.
thread_local ManualClock* t_manual_clock = nullptr;

LONGLONG CounterNow() {
  LARGE_INTEGER now = {};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

LONGLONG PerformanceClock::Now() {
  return t_manual_clock ? t_manual_clock->Now() : CounterNow();
}

LONGLONG PerformanceClock::Frequency() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER value = {};
    ::QueryPerformanceFrequency(&value);
    return value.QuadPart > 0 ? value.QuadPart : 1;
  }();
  return frequency;
}

ManualClock::ManualClock() : now_(PerformanceClock::Now()), previous_(t_manual_clock) {
  t_manual_clock = this;
}

ManualClock::~ManualClock() { t_manual_clock = previous_; }

void ManualClock::AdvanceMs(int ms) {
  if (ms > 0) now_ += static_cast<LONGLONG>(ms) * PerformanceClock::Frequency() / 1000;
}

}  // namespace ui
