#include "plugin/session_clock.h"

namespace {
class RealTimeClock : public SessionClock {
 public:
  std::chrono::nanoseconds RealDelay(WaitKind, std::chrono::milliseconds nominal) override {
    return nominal;
  }
};
}  // namespace

std::shared_ptr<SessionClock> SessionClock::RealTime() {
  static const std::shared_ptr<SessionClock> clock = std::make_shared<RealTimeClock>();
  return clock;
}
