// A clock the test moves by hand, installed as the process clock for the test's lifetime.
#ifndef TESTS_BASE_TEST_CLOCK_H_
#define TESTS_BASE_TEST_CLOCK_H_

#include <atomic>
#include <cstdint>

#include "base/time/time_source.h"

namespace nbase_test {

class ManualClock {
 public:
  explicit ManualClock(std::uint32_t start_ms = 1000)
      : ms_(start_ms), source_([this] { return ms_.load(); }), install_(&source_) {}

  void AdvanceMs(std::uint32_t ms) { ms_ += ms; }
  nbase::TimeMicros Now() { return source_.NowMicroseconds(); }

 private:
  std::atomic<std::uint32_t> ms_;
  nbase::TimeSource source_;
  nbase::ScopedTimeSourceOverride install_;
};

}  // namespace nbase_test

#endif  // TESTS_BASE_TEST_CLOCK_H_
