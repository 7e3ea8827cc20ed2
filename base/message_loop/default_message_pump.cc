#include "base/message_loop/default_message_pump.h"

namespace nbase {

DefaultMessagePump::DefaultMessagePump()
    : event_(WaitableEvent::ResetPolicy::kAutomatic, false) {}

void DefaultMessagePump::Run(Delegate* delegate) {
  for (;;) {
    bool did_work = delegate->DoWork();
    if (should_quit_) break;
    did_work |= delegate->DoDelayedWork(&delayed_work_time_);
    if (should_quit_) break;
    if (did_work) continue;

    did_work = delegate->DoIdleWork();
    if (should_quit_) break;
    if (did_work) continue;

    if (delayed_work_time_ == 0) {
      event_.Wait();
      continue;
    }
    const std::uint32_t wait = WaitMillisecondsUntil(delayed_work_time_, TimeNow());
    if (wait > 0) {
      event_.TimedWait(wait);
    } else {
      delayed_work_time_ = 0;  // already due: DoDelayedWork sets it again
    }
  }
  should_quit_ = false;
}

void DefaultMessagePump::Quit() { should_quit_ = true; }

void DefaultMessagePump::ScheduleWork() { event_.Signal(); }

void DefaultMessagePump::ScheduleDelayedWork(const TimeMicros& delayed_work_time) {
  delayed_work_time_ = delayed_work_time;
}

}  // namespace nbase
