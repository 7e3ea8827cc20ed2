// A task waiting in a message loop, and the order of the delayed ones.
//
// Thread safety: a plain value. It crosses threads only inside a loop's incoming queue, under
// that queue's lock.
#ifndef BASE_MESSAGE_LOOP_PENDING_TASK_H_
#define BASE_MESSAGE_LOOP_PENDING_TASK_H_

#include <functional>
#include <limits>
#include <utility>

#include "base/time/time_source.h"

namespace nbase {

// Work posted to a thread: takes no arguments, returns nothing.
using Task = std::function<void()>;

struct PendingTask {
  explicit PendingTask(Task t, TimeMicros run_time = 0, bool is_nestable = true)
      : delayed_run_time(run_time), nestable(is_nestable), task(std::move(t)) {}

  // When the task is due, on the clock of time_source.h; 0 = as soon as possible.
  TimeMicros delayed_run_time;
  // Arrival order among delayed tasks; assigned by the loop when the task enters its delayed heap.
  // Wraps from INT_MAX to INT_MIN (see NextSequenceNumber).
  int sequence_num = 0;
  // False: run only at the outermost run level (see MessageLoop).
  bool nestable;
  Task task;

  // Order of the delayed heap: earlier run time first; among equal run times, earlier arrival.
  // Sequence numbers compare as serial numbers (the signed distance a - b decides), so the order
  // survives the wrap as long as fewer than 2^31 delayed tasks wait at once.
  bool RunsBefore(const PendingTask& other) const {
    if (delayed_run_time != other.delayed_run_time)
      return delayed_run_time < other.delayed_run_time;
    return static_cast<unsigned>(sequence_num) - static_cast<unsigned>(other.sequence_num) >
           0x7FFFFFFFu;
  }
};

// The sequence number after |n|, wrapping without signed overflow.
constexpr int NextSequenceNumber(int n) {
  return n == std::numeric_limits<int>::max() ? std::numeric_limits<int>::min() : n + 1;
}

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_PENDING_TASK_H_
