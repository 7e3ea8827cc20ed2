#include "base/time/time_source.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace nbase {
namespace {

constexpr std::int64_t kCounterSpanMs = std::int64_t{1} << 32;

std::atomic<TimeSource*> g_override{nullptr};

TimeSource& DefaultTimeSource() {
  // Never destroyed: loops on threads that outlive static destruction still read the clock.
  static TimeSource* const source = new TimeSource(&internal::SystemMillisecondCounter);
  return *source;
}

}  // namespace

TimeSource::TimeSource(MillisecondCounter counter) : counter_(std::move(counter)) {}

TimeMicros TimeSource::NowMicroseconds() {
  std::lock_guard<TimeSourceLock> hold(lock_);
  const std::uint32_t reading = counter_();
  if (reading < last_reading_) rollover_ms_ += kCounterSpanMs;
  last_reading_ = reading;
  return (rollover_ms_ + reading) * 1000;
}

TimeMicros TimeNow() {
  TimeSource* source = g_override.load(std::memory_order_acquire);
  return (source ? *source : DefaultTimeSource()).NowMicroseconds();
}

ScopedTimeSourceOverride::ScopedTimeSourceOverride(TimeSource* source) {
  g_override.store(source, std::memory_order_release);
}

ScopedTimeSourceOverride::~ScopedTimeSourceOverride() {
  g_override.store(nullptr, std::memory_order_release);
}

}  // namespace nbase
