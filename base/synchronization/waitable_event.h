// An event object threads can wait on: the start handshake of a framework thread, the sleep of
// the default message pump, and tests that wait for work done on another thread.
//
//   nbase::WaitableEvent done(nbase::WaitableEvent::ResetPolicy::kManual, false);
//   proxy->PostTask([&done] { ...; done.Signal(); });
//   done.Wait();
//
// Thread safety: every operation may be called from any thread. Signal() and a successful wait
// order memory like a lock release and acquire.
#ifndef BASE_SYNCHRONIZATION_WAITABLE_EVENT_H_
#define BASE_SYNCHRONIZATION_WAITABLE_EVENT_H_

#include <cstdint>

namespace nbase {

class WaitableEvent {
 public:
  enum class ResetPolicy {
    kManual,     // stays signalled until Reset()
    kAutomatic,  // a successful wait un-signals it, releasing one waiter
  };

  WaitableEvent(ResetPolicy policy, bool initially_signaled);
  ~WaitableEvent();
  WaitableEvent(const WaitableEvent&) = delete;
  WaitableEvent& operator=(const WaitableEvent&) = delete;

  void Signal();
  void Reset();

  // Waits without a time limit.
  void Wait();

  // Waits at most |milliseconds|; returns whether the event was signalled.
  bool TimedWait(std::uint32_t milliseconds);

  // Whether the event is signalled now (consumes the signal of an automatic event).
  bool IsSignaled() { return TimedWait(0); }

  // The Win32 event handle (HANDLE), for waits on several objects. Owned by this object.
  void* handle() const { return handle_; }

 private:
  void* handle_;  // HANDLE; never null (creation failure is fatal, see waitable_event_win.cc)
};

}  // namespace nbase

#endif  // BASE_SYNCHRONIZATION_WAITABLE_EVENT_H_
