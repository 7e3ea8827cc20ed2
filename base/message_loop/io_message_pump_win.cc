#include "base/message_loop/io_message_pump_win.h"

namespace nbase {

std::shared_ptr<WinIOMessagePump> WinIOMessagePump::Create() {
  std::shared_ptr<WinIOMessagePump> pump(new WinIOMessagePump());
  pump->port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
  if (!pump->port_) return nullptr;
  return pump;
}

WinIOMessagePump::~WinIOMessagePump() {
  if (port_) CloseHandle(port_);
}

void WinIOMessagePump::ScheduleWork() {
  if (have_work_.exchange(1) != 0) return;  // a wake-up is already in flight
  const auto self = reinterpret_cast<ULONG_PTR>(this);
  if (PostQueuedCompletionStatus(port_, 0, self, reinterpret_cast<OVERLAPPED*>(this))) return;
  have_work_.store(0);  // as in the UI pump: never leave the flag set without a wake-up
}

void WinIOMessagePump::ScheduleDelayedWork(const TimeMicros& delayed_work_time) {
  // Only the pump's own thread calls this, and it is not asleep: it computes its next wait from
  // this time before sleeping.
  delayed_work_time_ = delayed_work_time;
}

bool WinIOMessagePump::RegisterIOHandler(HANDLE file, IOHandler* handler) {
  return CreateIoCompletionPort(file, port_, reinterpret_cast<ULONG_PTR>(handler), 1) == port_;
}

void WinIOMessagePump::DoRunLoop() {
  for (;;) {
    bool more_work_is_plausible = state_->delegate->DoWork();
    if (state_->should_quit) break;

    more_work_is_plausible |= WaitForIOCompletion(0);
    if (state_->should_quit) break;

    more_work_is_plausible |= state_->delegate->DoDelayedWork(&delayed_work_time_);
    if (state_->should_quit) break;
    if (more_work_is_plausible) continue;

    more_work_is_plausible = state_->delegate->DoIdleWork();
    if (state_->should_quit) break;
    if (more_work_is_plausible) continue;

    WaitForWork();
  }
}

void WinIOMessagePump::WaitForWork() { WaitForIOCompletion(GetCurrentDelay()); }

bool WinIOMessagePump::WaitForIOCompletion(DWORD timeout) {
  DWORD bytes_transferred = 0;
  ULONG_PTR key = 0;
  OVERLAPPED* overlapped = nullptr;
  DWORD error = ERROR_SUCCESS;
  if (!GetQueuedCompletionStatus(port_, &bytes_transferred, &key, &overlapped, timeout)) {
    if (!overlapped) return false;  // time-out, or the port failed: nothing was dequeued
    error = GetLastError();         // a failed operation's completion
  }
  if (key == reinterpret_cast<ULONG_PTR>(this) &&
      overlapped == reinterpret_cast<OVERLAPPED*>(this)) {
    have_work_.store(0);  // our wake-up: the loop's DoWork follows
    return true;
  }
  auto* handler = reinterpret_cast<IOHandler*>(key);
  if (!handler || !overlapped) return true;  // a packet nobody registered for
  auto* context = CONTAINING_RECORD(overlapped, IOContext, overlapped);
  observers_.ForEach([](IOObserver& observer) { observer.WillProcessIOEvent(); });
  handler->OnIOCompleted(context, bytes_transferred, error);
  observers_.ForEach([](IOObserver& observer) { observer.DidProcessIOEvent(); });
  return true;
}

}  // namespace nbase
