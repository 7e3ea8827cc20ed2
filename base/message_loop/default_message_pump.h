// The pump of threads that own no windows: it sleeps on an event.
//
// Thread safety: ScheduleWork may be called from any thread (it signals the event); Run, Quit and
// ScheduleDelayedWork belong to the pump's thread.
#ifndef BASE_MESSAGE_LOOP_DEFAULT_MESSAGE_PUMP_H_
#define BASE_MESSAGE_LOOP_DEFAULT_MESSAGE_PUMP_H_

#include "base/message_loop/message_pump.h"
#include "base/synchronization/waitable_event.h"

namespace nbase {

class DefaultMessagePump final : public MessagePump {
 public:
  DefaultMessagePump();

  void Run(Delegate* delegate) override;
  void Quit() override;
  void ScheduleWork() override;
  void ScheduleDelayedWork(const TimeMicros& delayed_work_time) override;

 private:
  // Signalled by ScheduleWork; a wait consumes the signal.
  WaitableEvent event_;
  // Set by Quit, cleared when the innermost Run returns.
  bool should_quit_ = false;
  // Run time of the earliest delayed task, 0 = none.
  TimeMicros delayed_work_time_ = 0;
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_DEFAULT_MESSAGE_PUMP_H_
