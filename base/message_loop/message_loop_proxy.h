// The thread-safe handle through which any thread posts to one message loop.
//
// Every MessageLoop makes one proxy; the thread registry hands proxies out by thread id. A proxy
// may outlive its loop: the loop detaches it on destruction, after which every post is refused
// (returns false and destroys the task on the calling thread).
//
//   std::shared_ptr<nbase::MessageLoopProxy> ui = nbase::ThreadRegistry::GetMessageLoopProxy(0);
//   if (ui) ui->PostDelayedTask([] { ... }, 500 * 1000);   // 500 ms, in microseconds
//
// Guarantees:
//   - a post that returns true has queued its task; the task later runs on the loop's thread, or
//     is destroyed there unrun if the loop is destroyed first (or if the loop quit before a
//     delayed task was due);
//   - tasks posted from one thread run in posting order (delayed ones by run time, then order);
//   - a post never races with the loop's destruction: posts hold the proxy's lock, which the
//     loop's detach also takes.
//
// Lifetime: shared. The loop holds a reference until its destruction has detached the proxy, so a
// proxy never dies while its loop lives; the last reference, wherever it is dropped, deletes an
// already detached proxy.
//
// Thread safety: every operation may be called from any thread. Lock order: the proxy's lock, then
// the loop's queue lock; the clock is read in between and holds its lock only for the reading.
#ifndef BASE_MESSAGE_LOOP_MESSAGE_LOOP_PROXY_H_
#define BASE_MESSAGE_LOOP_MESSAGE_LOOP_PROXY_H_

#include <memory>

#include "base/message_loop/pending_task.h"
#include "base/synchronization/lock.h"
#include "base/time/time_source.h"

namespace nbase {

class MessageLoop;

class MessageLoopProxy {
 public:
  ~MessageLoopProxy();
  MessageLoopProxy(const MessageLoopProxy&) = delete;
  MessageLoopProxy& operator=(const MessageLoopProxy&) = delete;

  // Each returns true when the task was queued, false when the loop is gone or |task| is empty.
  // |delay| is in microseconds; 0 or less posts an immediate task.
  [[nodiscard]] bool PostTask(Task task);
  [[nodiscard]] bool PostDelayedTask(Task task, TimeMicros delay);
  [[nodiscard]] bool PostNonNestableTask(Task task);
  [[nodiscard]] bool PostNonNestableDelayedTask(Task task, TimeMicros delay);

  // Runs |task| on this proxy's loop, then |reply| on the calling thread's loop. False when the
  // caller has no loop or this loop is gone. If the caller's loop is gone by the time |task| has
  // run, |reply| is destroyed unrun on this proxy's thread.
  [[nodiscard]] bool PostTaskAndReply(Task task, Task reply);

  // True when the loop is alive and is the calling thread's current loop.
  bool BelongsToCurrentThread() const;

 private:
  friend class MessageLoop;

  // Made by the loop's constructor.
  static std::shared_ptr<MessageLoopProxy> Create(MessageLoop* loop);

  explicit MessageLoopProxy(MessageLoop* loop);

  // Called by the loop's destructor, on the loop's thread: refuse every post from now on.
  void DetachFromLoop();

  bool PostTaskHelper(Task task, TimeMicros delay, bool nestable);

  mutable Lock lock_;
  MessageLoop* target_loop_;  // guarded by lock_; null once detached
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_MESSAGE_LOOP_PROXY_H_
