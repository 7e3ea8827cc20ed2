// Running the calling thread's message loop in tests, while waiting for something that is
// delivered through it (engine tasks, window messages, timers).
//
// Thread affinity: the calling thread's own queue.
#ifndef TESTS_SUPPORT_MESSAGE_PUMP_H_
#define TESTS_SUPPORT_MESSAGE_PUMP_H_

#include <chrono>
#include <functional>

namespace test_support {

// Dispatches the calling thread's messages until |done| holds or |timeout| passes, waiting on the
// queue rather than in sleeps. Returns the last result of |done|.
bool PumpMessagesUntil(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Dispatches the calling thread's messages for |duration| (for checking that something does NOT
// happen within a time).
void PumpMessagesFor(std::chrono::milliseconds duration);

// Removes every message waiting in the calling thread's queue without dispatching it.
void DrainThreadQueue();

}  // namespace test_support

#endif  // TESTS_SUPPORT_MESSAGE_PUMP_H_
