#include "base/time/time_source.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_pump.h"
#include "tests/base/test_clock.h"

namespace {

TEST(TimeSourceTest, RollOverOfTheMillisecondCounterStaysMonotonic) {
  const std::vector<std::uint32_t> readings = {0xFFFFFF00u, 0xFFFFFFFFu, 0x00000005u,
                                               0x00000005u, 0x7FFFFFFFu, 0x00000001u};
  std::size_t next = 0;
  nbase::TimeSource source([&] { return readings[next++]; });

  const std::int64_t span_us = (std::int64_t{1} << 32) * 1000;
  EXPECT_EQ(source.NowMicroseconds(), std::int64_t{0xFFFFFF00} * 1000);
  EXPECT_EQ(source.NowMicroseconds(), std::int64_t{0xFFFFFFFF} * 1000);
  EXPECT_EQ(source.NowMicroseconds(), span_us + 5000);   // wrapped: one roll-over counted
  EXPECT_EQ(source.NowMicroseconds(), span_us + 5000);   // equal reading: no roll-over
  EXPECT_EQ(source.NowMicroseconds(), span_us + std::int64_t{0x7FFFFFFF} * 1000);
  EXPECT_EQ(source.NowMicroseconds(), 2 * span_us + 1000);  // second wrap
}

TEST(TimeSourceTest, OverrideReplacesTheProcessClockForItsLifetime) {
  const nbase::TimeMicros before = nbase::TimeNow();
  {
    nbase_test::ManualClock clock(7);
    EXPECT_EQ(nbase::TimeNow(), 7000);
    clock.AdvanceMs(3);
    EXPECT_EQ(nbase::TimeNow(), 10000);
  }
  EXPECT_GE(nbase::TimeNow(), before);
}

TEST(TimeSourceTest, WaitsRoundUpAndStayBelowInfinite) {
  EXPECT_EQ(nbase::WaitMillisecondsUntil(5000, 5000), 0u);
  EXPECT_EQ(nbase::WaitMillisecondsUntil(4000, 5000), 0u);  // already due
  EXPECT_EQ(nbase::WaitMillisecondsUntil(5001, 5000), 1u);  // 1 us still needs 1 ms
  EXPECT_EQ(nbase::WaitMillisecondsUntil(7000, 5000), 2u);
  EXPECT_EQ(nbase::WaitMillisecondsUntil(7001, 5000), 3u);
  const std::int64_t far = std::int64_t{0xFFFFFFFF} * 1000 + 5000;
  EXPECT_EQ(nbase::WaitMillisecondsUntil(far, 5000), 0xFFFFFFFEu);
  EXPECT_EQ(nbase::WaitMillisecondsUntil(INT64_MAX, -5), 0xFFFFFFFEu);  // no overflow
}

}  // namespace
