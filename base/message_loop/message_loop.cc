#include "base/message_loop/message_loop.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <utility>

#include "base/message_loop/default_message_pump.h"
#include "base/message_loop/message_loop_proxy.h"

namespace nbase {
namespace {

// The loop of each thread. A plain pointer: trivially destructible, so it is safe to read while
// other threads' static destructors run.
thread_local MessageLoop* t_current_loop = nullptr;

// The delayed heap keeps the task that RunsBefore all others at its front.
bool RunsLater(const PendingTask& a, const PendingTask& b) { return b.RunsBefore(a); }

// Destroys every task of |queue| after emptying it, so that a destructor that posts to the loop
// finds consistent queues.
template <typename Queue>
bool DestroyAll(Queue* queue) {
  Queue doomed;
  doomed.swap(*queue);
  return !doomed.empty();
}

// More than this many passes means task destructors keep posting tasks whose destructors post.
constexpr int kMaxDeletionPasses = 100;

}  // namespace

MessageLoop::ScopedNestableTaskAllower::ScopedNestableTaskAllower(MessageLoop* loop)
    : loop_(loop), previous_(loop->NestableTasksAllowed()) {
  loop_->SetNestableTasksAllowed(true);
}

MessageLoop::ScopedNestableTaskAllower::~ScopedNestableTaskAllower() {
  loop_->SetNestableTasksAllowed(previous_);
}

MessageLoop::MessageLoop()
    : MessageLoop(MessageLoopType::kDefault, std::make_shared<DefaultMessagePump>()) {}

MessageLoop::MessageLoop(MessageLoopType type, std::shared_ptr<MessagePump> pump)
    : type_(type), pump_(std::move(pump)), proxy_(MessageLoopProxy::Create(this)) {
  t_current_loop = this;
}

MessageLoop::~MessageLoop() {
  // 1. Delete what is queued, without running it. Deleting a task may post new ones (its
  //    destructor may hold an object that posts on destruction), so repeat until a pass finds
  //    nothing.
  for (int pass = 0; pass < kMaxDeletionPasses; ++pass) {
    ReloadWorkQueue();
    if (!DeletePendingTasks()) break;
  }

  // 2. Tell the destruction observers.
  destruction_observers_.ForEach(
      [](DestructionObserver& observer) { observer.WillDestroyCurrentMessageLoop(); });

  // 3. Refuse posts from now on. Posts that slipped in between the last pass and the detach are
  //    deleted here; their destructors can no longer reach this loop.
  proxy_->DetachFromLoop();
  proxy_.reset();
  if (t_current_loop == this) t_current_loop = nullptr;
  ReloadWorkQueue();
  DeletePendingTasks();
}

MessageLoop* MessageLoop::Current() { return t_current_loop; }

void MessageLoop::PostTask(Task task) { PostTaskWithDelay(std::move(task), 0, true); }

void MessageLoop::PostDelayedTask(Task task, TimeMicros delay) {
  PostTaskWithDelay(std::move(task), delay, true);
}

void MessageLoop::PostNonNestableTask(Task task) { PostTaskWithDelay(std::move(task), 0, false); }

void MessageLoop::PostNonNestableDelayedTask(Task task, TimeMicros delay) {
  PostTaskWithDelay(std::move(task), delay, false);
}

void MessageLoop::PostTaskWithDelay(Task task, TimeMicros delay, bool nestable) {
  if (!task) return;
  TimeMicros run_time = 0;
  if (delay > 0) {
    // A huge delay saturates instead of overflowing into the past.
    const TimeMicros now = TimeNow();
    run_time = delay > std::numeric_limits<TimeMicros>::max() - now
                   ? std::numeric_limits<TimeMicros>::max()
                   : now + delay;
  }
  AddToIncomingQueue(PendingTask(std::move(task), run_time, nestable));
}

void MessageLoop::AddToIncomingQueue(PendingTask task) {
  if (!task.task) return;
  std::shared_ptr<MessagePump> pump;
  {
    std::lock_guard<Lock> hold(incoming_queue_lock_);
    const bool was_empty = incoming_queue_.empty();
    incoming_queue_.push_back(std::move(task));
    // A non-empty queue means a wake-up is already due: the loop empties the queue only as a
    // whole, after the wake-up that the first task of the batch asked for.
    if (!was_empty) return;
    pump = pump_;
  }
  pump->ScheduleWork();
}

void MessageLoop::Run(Dispatcher* dispatcher) {
  RunState state{run_state_ ? run_state_->depth + 1 : 1, false, dispatcher, run_state_};
  run_state_ = &state;
  struct Restore {
    MessageLoop* loop;
    ~Restore() { loop->run_state_ = loop->run_state_->previous; }
  } restore{this};
  RunInternal();
}

void MessageLoop::RunInternal() { pump_->Run(this); }

void MessageLoop::Quit() {
  if (run_state_) run_state_->quit = true;
}

void MessageLoop::SetNestableTasksAllowed(bool allowed) {
  if (nestable_tasks_allowed_ == allowed) return;
  nestable_tasks_allowed_ = allowed;
  // Tasks may have arrived while they were not allowed; make sure the pump looks again.
  if (allowed) pump_->ScheduleWork();
}

void MessageLoop::AddTaskObserver(TaskObserver* observer) {
  task_observers_.AddObserver(observer);
}

void MessageLoop::RemoveTaskObserver(TaskObserver* observer) {
  task_observers_.RemoveObserver(observer);
}

void MessageLoop::AddDestructionObserver(DestructionObserver* observer) {
  destruction_observers_.AddObserver(observer);
}

void MessageLoop::RemoveDestructionObserver(DestructionObserver* observer) {
  destruction_observers_.RemoveObserver(observer);
}

bool MessageLoop::DoWork() {
  if (!nestable_tasks_allowed_) return false;  // a task is running on this thread
  for (;;) {
    if (work_queue_.empty()) {
      ReloadWorkQueue();
      if (work_queue_.empty()) return false;
    }
    while (!work_queue_.empty()) {
      PendingTask pending_task = std::move(work_queue_.front());
      work_queue_.pop_front();
      if (pending_task.delayed_run_time != 0) {
        AddToDelayedWorkQueue(std::move(pending_task));
      } else if (DeferOrRunPendingTask(std::move(pending_task))) {
        return true;
      }
    }
  }
}

bool MessageLoop::DoDelayedWork(TimeMicros* next_delayed_work_time) {
  if (!nestable_tasks_allowed_ || delayed_work_queue_.empty()) {
    recent_time_ = 0;
    *next_delayed_work_time = 0;
    return false;
  }
  const TimeMicros next_run_time = delayed_work_queue_.front().delayed_run_time;
  if (next_run_time > recent_time_) {
    recent_time_ = TimeNow();  // read the clock only when the cached reading is too old
    if (next_run_time > recent_time_) {
      *next_delayed_work_time = next_run_time;
      return false;
    }
  }
  std::pop_heap(delayed_work_queue_.begin(), delayed_work_queue_.end(), RunsLater);
  PendingTask pending_task = std::move(delayed_work_queue_.back());
  delayed_work_queue_.pop_back();
  *next_delayed_work_time =
      delayed_work_queue_.empty() ? 0 : delayed_work_queue_.front().delayed_run_time;
  return DeferOrRunPendingTask(std::move(pending_task));
}

bool MessageLoop::DoIdleWork() {
  if (run_state_->depth == 1 && !deferred_non_nestable_work_queue_.empty()) {
    PendingTask pending_task = std::move(deferred_non_nestable_work_queue_.front());
    deferred_non_nestable_work_queue_.pop_front();
    RunTask(pending_task);
    return true;
  }
  if (run_state_->quit) pump_->Quit();
  return false;
}

void MessageLoop::RunTask(const PendingTask& pending_task) {
  nestable_tasks_allowed_ = false;
  task_observers_.ForEach(
      [&pending_task](TaskObserver& observer) { observer.WillProcessTask(pending_task); });
  pending_task.task();
  task_observers_.ForEach(
      [&pending_task](TaskObserver& observer) { observer.DidProcessTask(pending_task); });
  nestable_tasks_allowed_ = true;
}

bool MessageLoop::DeferOrRunPendingTask(PendingTask pending_task) {
  if (pending_task.nestable || run_state_->depth == 1) {
    RunTask(pending_task);
    return true;
  }
  deferred_non_nestable_work_queue_.push_back(std::move(pending_task));
  return false;
}

void MessageLoop::AddToDelayedWorkQueue(PendingTask pending_task) {
  const int sequence_num = next_sequence_num_;
  next_sequence_num_ = NextSequenceNumber(next_sequence_num_);
  pending_task.sequence_num = sequence_num;
  const TimeMicros run_time = pending_task.delayed_run_time;
  delayed_work_queue_.push_back(std::move(pending_task));
  std::push_heap(delayed_work_queue_.begin(), delayed_work_queue_.end(), RunsLater);
  const PendingTask& top = delayed_work_queue_.front();
  if (top.sequence_num == sequence_num && top.delayed_run_time == run_time)
    pump_->ScheduleDelayedWork(run_time);
}

void MessageLoop::ReloadWorkQueue() {
  if (!work_queue_.empty()) return;
  std::lock_guard<Lock> hold(incoming_queue_lock_);
  incoming_queue_.swap(work_queue_);
}

bool MessageLoop::DeletePendingTasks() {
  bool found = DestroyAll(&work_queue_);
  found |= DestroyAll(&deferred_non_nestable_work_queue_);
  found |= DestroyAll(&delayed_work_queue_);
  return found;
}

}  // namespace nbase
