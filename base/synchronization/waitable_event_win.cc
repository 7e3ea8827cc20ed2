#include "base/synchronization/waitable_event.h"

#include <windows.h>

#include <cstdlib>

namespace nbase {

WaitableEvent::WaitableEvent(ResetPolicy policy, bool initially_signaled)
    : handle_(CreateEventW(nullptr, policy == ResetPolicy::kManual, initially_signaled, nullptr)) {
  // Without its event a thread could neither start nor sleep; running on would turn the failure
  // into a hang or a busy loop somewhere far away, so stop here.
  if (!handle_) std::abort();
}

WaitableEvent::~WaitableEvent() { CloseHandle(handle_); }

void WaitableEvent::Signal() { SetEvent(handle_); }

void WaitableEvent::Reset() { ResetEvent(handle_); }

void WaitableEvent::Wait() { WaitForSingleObject(handle_, INFINITE); }

bool WaitableEvent::TimedWait(std::uint32_t milliseconds) {
  return WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0;
}

}  // namespace nbase
