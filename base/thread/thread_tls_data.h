// Per-thread record of a running framework thread (internal to the base library).
//
// The body of FrameworkThread keeps one on its stack for as long as it runs and makes it
// reachable from the thread through ThreadTlsData::Current(). The thread registry keeps the
// thread's registration in it, so a registration is tied to the running body, not to the
// FrameworkThread object (which may be destroyed while its body still winds down).
//
// Thread safety: touched only on its own thread, except that the registry compares record
// addresses under its lock.
#ifndef BASE_THREAD_THREAD_TLS_DATA_H_
#define BASE_THREAD_THREAD_TLS_DATA_H_

namespace nbase {

class FrameworkThread;

namespace internal {

struct ThreadTlsData {
  explicit ThreadTlsData(FrameworkThread* owning_thread) : owner(owning_thread) {}

  // The record of the calling thread; null when it is not running a framework thread's body.
  static ThreadTlsData* Current();

  // The object whose body runs; null once the object was destroyed on its own thread.
  FrameworkThread* owner;
  // Set when the thread was asked to quit (StopSoon) or said it quits properly.
  bool quit_properly = false;
  // How many RegisterThread calls are not yet matched by UnregisterThread.
  int registration_count = 0;
  // The registered id; -1 while not registered.
  int registry_id = -1;
};

// Makes |data| the calling thread's record for the scope's lifetime.
class ScopedThreadTlsData {
 public:
  explicit ScopedThreadTlsData(ThreadTlsData* data);
  ~ScopedThreadTlsData();
  ScopedThreadTlsData(const ScopedThreadTlsData&) = delete;
  ScopedThreadTlsData& operator=(const ScopedThreadTlsData&) = delete;
};

}  // namespace internal
}  // namespace nbase

#endif  // BASE_THREAD_THREAD_TLS_DATA_H_
