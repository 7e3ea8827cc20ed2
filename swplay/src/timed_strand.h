// A thread that runs posted tasks one at a time, each at or after its due time; tasks due at the
// same time run in the order they were posted.
//
// The thread starts with the first post. `Shutdown` drops the tasks not yet run and waits for
// the one running, unless it is called from that task, in which case the thread ends as soon as
// the task returns.
//
// Thread-safety: every member may be called from any thread. Hold it by shared pointer: a
// thread left running by a Shutdown from inside a task keeps the strand alive until it ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace swplay_internal {

class TimedStrand : public std::enable_shared_from_this<TimedStrand> {
 public:
  TimedStrand() = default;
  ~TimedStrand();
  TimedStrand(const TimedStrand&) = delete;
  TimedStrand& operator=(const TimedStrand&) = delete;

  // Runs `task` on the strand's thread `delayMs` from now. False after Shutdown.
  bool Post(int delayMs, std::function<void()> task);
  // Every task still waiting for its time is due now, in the order it would have run; returns
  // how many there were.
  int RunAllNow();
  void Shutdown();

 private:
  using Clock = std::chrono::steady_clock;
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  // Key: due time, then posting order.
  std::map<std::pair<Clock::time_point, uint64_t>, std::function<void()>> tasks_;
  uint64_t posted_ = 0;
  bool shutDown_ = false;
  std::thread thread_;
};

}  // namespace swplay_internal
