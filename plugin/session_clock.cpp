#include "plugin/session_clock.h"

#include <condition_variable>
#include <mutex>

namespace {

class RealTimeClock : public SessionClock {
 public:
  bool Wait(WaitKind, std::chrono::milliseconds duration,
            const std::function<bool()>& interrupted) override {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, duration, interrupted);
  }

  void Wake() override {
    // Taking the lock orders this after a waiter's check of its predicate: it either sees the
    // change or is already waiting when notified.
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
};

}  // namespace

std::shared_ptr<SessionClock> SessionClock::MakeRealTime() {
  return std::make_shared<RealTimeClock>();
}
