// The process-wide registry of framework threads by integer id.
//
// Threads register themselves from their Init() (ids 0 and 1 for the application's threads, 1000
// to 1003 for the window thread pool), after which any thread can post to them by id without
// holding a pointer to them.
//
//   nbase::ThreadRegistry::PostTask(1000, [] { ... });   // false: no such thread, or it stopped
//
// Registrations are counted: a thread that registers its id twice must unregister twice. A thread
// holds one id at a time. When a thread's body ends, whatever registration it left is dropped
// before its loop is deleted, so the registry never names a thread that is gone.
//
// Thread safety: every function may be called from any thread; RegisterThread and
// UnregisterThread act on the calling thread. One lock guards the map; it is never held while a
// task is posted.
#ifndef BASE_THREAD_THREAD_REGISTRY_H_
#define BASE_THREAD_THREAD_REGISTRY_H_

#include <memory>

#include "base/message_loop/pending_task.h"

namespace nbase {

class MessageLoopProxy;

namespace internal {
struct ThreadTlsData;
}  // namespace internal

class ThreadRegistry {
 public:
  ThreadRegistry() = delete;

  // Registers the calling framework thread under |id|. False when |id| is negative, the caller
  // is not a running framework thread, |id| belongs to another thread, or the caller already
  // holds a different id. Registering the same id again only raises the count.
  static bool RegisterThread(int id);

  // Undoes one RegisterThread of the calling thread; the id is released when the count reaches 0.
  // False when the caller holds no registration.
  static bool UnregisterThread();

  // The proxy of the loop of the thread registered under |id|; null when none is.
  static std::shared_ptr<MessageLoopProxy> GetMessageLoopProxy(int id);

  // Posts |task| to the thread registered under |id|. True when it was queued; false, with the
  // task destroyed, when no thread holds |id| or its loop is already gone.
  static bool PostTask(int id, Task task);

  // As PostTask, |delay| in microseconds.
  static bool PostDelayedTask(int id, Task task, TimeMicros delay);

 private:
  friend class FrameworkThread;

  // Removes whatever registration |data|'s thread still holds (its body is ending).
  static void DropRegistration(internal::ThreadTlsData* data);
};

}  // namespace nbase

#endif  // BASE_THREAD_THREAD_REGISTRY_H_
