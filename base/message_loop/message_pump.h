// What a message loop sleeps in.
//
// A pump drives its delegate (the MessageLoop) through DoWork, DoDelayedWork and DoIdleWork,
// sleeps when none of them did anything, and is woken by ScheduleWork (a task arrived) and
// ScheduleDelayedWork (a new earliest delayed task). Three pumps exist:
//   DefaultMessagePump  sleeps on an event (default_message_pump.h);
//   WinUIMessagePump    sleeps in the thread's Windows message queue, for threads that own
//                       windows (message_pump_win.h);
//   WinIOMessagePump    sleeps on an I/O completion port (io_message_pump_win.h).
//
// Thread safety: ScheduleWork may be called from any thread. Everything else, including
// ScheduleDelayedWork, runs on the pump's own thread.
#ifndef BASE_MESSAGE_LOOP_MESSAGE_PUMP_H_
#define BASE_MESSAGE_LOOP_MESSAGE_PUMP_H_

#include <cstdint>

#include "base/time/time_source.h"

namespace nbase {

// Handles the Windows messages of a UI run level in place of TranslateMessage/DispatchMessage
// (message_pump_win.h). Declared here so that portable code can pass it through.
class Dispatcher;

class MessagePump {
 public:
  // Implemented by MessageLoop. Each operation returns whether it did work; all run on the pump's
  // thread.
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // Runs one immediate task.
    virtual bool DoWork() = 0;
    // Runs one due delayed task. Sets |*next_delayed_work_time| to the run time of the earliest
    // delayed task still waiting, or 0 when none waits.
    virtual bool DoDelayedWork(TimeMicros* next_delayed_work_time) = 0;
    // Runs deferred non-nestable work, or asks the pump to Quit when the run level should end.
    virtual bool DoIdleWork() = 0;
  };

  MessagePump() = default;
  virtual ~MessagePump() = default;
  MessagePump(const MessagePump&) = delete;
  MessagePump& operator=(const MessagePump&) = delete;

  // Runs until Quit() is called from within one of the delegate's operations. May nest.
  virtual void Run(Delegate* delegate) = 0;
  // Ends the innermost Run once the current delegate operation returns.
  virtual void Quit() = 0;
  // Wakes the pump to call DoWork. Any thread.
  virtual void ScheduleWork() = 0;
  // The earliest delayed task is now due at |delayed_work_time|; wake up for it.
  virtual void ScheduleDelayedWork(const TimeMicros& delayed_work_time) = 0;
};

// Milliseconds to sleep until |run_time| seen at |now|: rounded up, never negative, and below
// INFINITE (at most 2^32 - 2) however far away |run_time| is.
std::uint32_t WaitMillisecondsUntil(TimeMicros run_time, TimeMicros now);

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_MESSAGE_PUMP_H_
