// The per-thread task loop.
//
// Every framework thread (thread/framework_thread.h) runs one MessageLoop. The loop keeps the
// tasks posted to its thread, immediate and delayed, and hands them to its pump one at a time
// with observer notifications; it supports nested run levels, non-nestable tasks and quitting
// when idle. Other threads post through the loop's MessageLoopProxy, which refuses posts once the
// loop is gone; code on the loop's own thread may post to the loop directly.
//
//   nbase::MessageLoop loop;                       // current loop of this thread from now on
//   loop.PostDelayedTask([] { ... }, 10 * 1000);   // in 10 ms
//   loop.PostTask([&loop] { loop.Quit(); });
//   loop.Run();                                    // returns once idle after the quit
//
// Ordering guarantees:
//   - immediate tasks run in the order they were posted (first in, first out);
//   - delayed tasks run by run time, and in arrival order among equal run times;
//   - a non-nestable task runs only at the outermost run level (depth 1), after that level's
//     immediate and due delayed work;
//   - Quit() takes effect once the loop is idle: every immediate task queued before it and every
//     delayed task already due still runs; delayed tasks not yet due are dropped with the loop.
//   - while a task runs, no other task runs on this loop (a nested run level inside a task runs
//     nothing unless a ScopedNestableTaskAllower says so).
//
// Destruction deletes every task still queued without running it, including tasks that the
// destructors of those tasks post, then tells the destruction observers and detaches the proxy.
//
// Thread safety: a loop is created, run and destroyed on one thread; everything but
// AddToIncomingQueue and the posting calls belongs to that thread. The posting calls are safe
// from any thread that knows the loop outlives the call; everyone else posts through the proxy.
#ifndef BASE_MESSAGE_LOOP_MESSAGE_LOOP_H_
#define BASE_MESSAGE_LOOP_MESSAGE_LOOP_H_

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "base/message_loop/message_pump.h"
#include "base/message_loop/observer_list.h"
#include "base/message_loop/pending_task.h"
#include "base/synchronization/lock.h"
#include "base/time/time_source.h"

namespace nbase {

class MessageLoopProxy;

// The kinds of loop a framework thread can run. kCustom is a loop made by the thread owner's
// factory; the loop itself then reports the kind it is.
enum class MessageLoopType : std::uint32_t {
  kDefault = 0,  // DefaultMessagePump: sleeps on an event
  kUI = 1,       // WinUIMessagePump: runs the thread's Windows messages
  kIO = 2,       // WinIOMessagePump: waits on a completion port
  kCustom = 3,
};

class MessageLoop : public MessagePump::Delegate {
 public:
  // Told before and after each task, on the loop's thread.
  class TaskObserver {
   public:
    virtual void WillProcessTask(const PendingTask& task) = 0;
    virtual void DidProcessTask(const PendingTask& task) = 0;

   protected:
    virtual ~TaskObserver() = default;
  };

  // Told once, on the loop's thread, when the loop is about to go (its queues are already empty;
  // posting through the proxy still succeeds but the tasks are deleted unrun).
  class DestructionObserver {
   public:
    virtual void WillDestroyCurrentMessageLoop() = 0;

   protected:
    virtual ~DestructionObserver() = default;
  };

  // Lets tasks run in a nested run level started from inside a task.
  class ScopedNestableTaskAllower {
   public:
    explicit ScopedNestableTaskAllower(MessageLoop* loop);
    ~ScopedNestableTaskAllower();
    ScopedNestableTaskAllower(const ScopedNestableTaskAllower&) = delete;
    ScopedNestableTaskAllower& operator=(const ScopedNestableTaskAllower&) = delete;

   private:
    MessageLoop* const loop_;
    const bool previous_;
  };

  // A default loop (DefaultMessagePump), made the calling thread's current loop.
  MessageLoop();
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The calling thread's loop; null when it has none.
  static MessageLoop* Current();

  MessageLoopType type() const { return type_; }

  // Posting. |delay| is in microseconds; a delay of 0 or less makes an immediate task. An empty
  // task is ignored. See the thread-safety note above.
  void PostTask(Task task);
  void PostDelayedTask(Task task, TimeMicros delay);
  void PostNonNestableTask(Task task);
  void PostNonNestableDelayedTask(Task task, TimeMicros delay);

  // Appends |task| to the incoming queue and wakes the pump when the queue was empty. Any thread
  // (see the thread-safety note above).
  void AddToIncomingQueue(PendingTask task);

  // Runs a run level until Quit() is honoured. |dispatcher| (UI loops, outermost level) handles the
  // level's Windows messages instead of TranslateMessage/DispatchMessage.
  void Run(Dispatcher* dispatcher = nullptr);

  // Ends the innermost run level once the loop is idle (see the ordering guarantees). Does nothing
  // when no level runs. Loop thread only.
  void Quit();

  // 0 when not running, 1 for the outermost run level, 2 and more when nested.
  int run_depth() const { return run_state_ ? run_state_->depth : 0; }

  void SetNestableTasksAllowed(bool allowed);
  bool NestableTasksAllowed() const { return nestable_tasks_allowed_; }

  // Observers are not owned and must be removed before they die. Loop thread only.
  void AddTaskObserver(TaskObserver* observer);
  void RemoveTaskObserver(TaskObserver* observer);
  void AddDestructionObserver(DestructionObserver* observer);
  void RemoveDestructionObserver(DestructionObserver* observer);

  // The thread-safe handle through which other threads post to this loop. Outlives the loop.
  const std::shared_ptr<MessageLoopProxy>& message_loop_proxy() const { return proxy_; }

  // Sets the sequence number the next delayed task gets, to exercise its wrap.
  void SetNextSequenceNumberForTesting(int sequence_num) { next_sequence_num_ = sequence_num; }

 protected:
  // One per run level, on the stack of the code running the level; chained to the enclosing one.
  struct RunState {
    int depth;
    bool quit;
    Dispatcher* dispatcher;
    RunState* previous;
  };

  // For loops with another pump; |pump| must not be null. Makes the loop current.
  MessageLoop(MessageLoopType type, std::shared_ptr<MessagePump> pump);

  // Runs the pump for the current run level. A UI loop overrides it to hand the dispatcher over.
  virtual void RunInternal();

  const RunState* run_state() const { return run_state_; }

 private:
  // MessagePump::Delegate:
  bool DoWork() override;
  bool DoDelayedWork(TimeMicros* next_delayed_work_time) override;
  bool DoIdleWork() override;

  void RunTask(const PendingTask& pending_task);
  // Runs |pending_task| when the current level may run it, else defers it; returns whether it ran.
  bool DeferOrRunPendingTask(PendingTask pending_task);
  void AddToDelayedWorkQueue(PendingTask pending_task);
  // Moves the whole incoming queue into the (empty) work queue: one lock per batch.
  void ReloadWorkQueue();
  // Deletes every queued task unrun; returns whether there was any.
  bool DeletePendingTasks();
  void PostTaskWithDelay(Task task, TimeMicros delay, bool nestable);

  const MessageLoopType type_;
  RunState* run_state_ = nullptr;  // innermost run level; null when not running
  std::shared_ptr<MessagePump> pump_;
  // False while a task runs, so that nested run levels run no task by default.
  bool nestable_tasks_allowed_ = true;

  Lock incoming_queue_lock_;
  std::deque<PendingTask> incoming_queue_;  // guarded by incoming_queue_lock_; any thread

  // Loop thread only from here on.
  std::deque<PendingTask> work_queue_;
  std::deque<PendingTask> deferred_non_nestable_work_queue_;
  std::vector<PendingTask> delayed_work_queue_;  // a heap whose front RunsBefore all others
  int next_sequence_num_ = 0;
  TimeMicros recent_time_ = 0;  // cached clock reading, 0 = not read since the heap emptied

  ObserverList<TaskObserver> task_observers_;
  ObserverList<DestructionObserver> destruction_observers_;

  // Detached and released by the destructor; others may keep their references.
  std::shared_ptr<MessageLoopProxy> proxy_;
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_MESSAGE_LOOP_H_
