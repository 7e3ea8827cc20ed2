#include "base/message_loop/message_pump.h"

namespace nbase {

std::uint32_t WaitMillisecondsUntil(TimeMicros run_time, TimeMicros now) {
  constexpr std::uint64_t kLongestWait = 0xFFFFFFFEull;  // one below INFINITE
  if (run_time <= now) return 0;
  // Unsigned: the true distance always fits, whatever the signs of the two times.
  const std::uint64_t remaining =
      static_cast<std::uint64_t>(run_time) - static_cast<std::uint64_t>(now);
  const std::uint64_t milliseconds = remaining / 1000 + (remaining % 1000 != 0 ? 1 : 0);
  return static_cast<std::uint32_t>(milliseconds < kLongestWait ? milliseconds : kLongestWait);
}

}  // namespace nbase
