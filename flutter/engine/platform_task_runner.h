// PlatformTaskRunner: runs tasks on the platform thread from its message loop.
//
// A message-only window on the platform thread receives one private "work" message whenever tasks
// are waiting; whatever loop the thread runs (the host's GetMessage loop, a modal loop) dispatches
// it. At most one work message is pending at a time, so posting many tasks never floods the queue.
//
// Tasks never nest: a work message dispatched by a loop running inside a task (a modal dialog, a
// nested message pump) leaves the tasks for the outer run to pick up afterwards. So a message
// handler never sees another message arrive inside itself.
//
// A task may destroy the runner (for instance by shutting the engine down from a message
// handler); the rest of its batch is then dropped. A task that throws is reported as an engine
// notice and the tasks after it still run: no exception leaves the runner.
//
// Thread affinity: constructed and destroyed on the platform thread. PostTask may be called on any
// thread, until destruction starts.
#ifndef FLUTTER_ENGINE_PLATFORM_TASK_RUNNER_H_
#define FLUTTER_ENGINE_PLATFORM_TASK_RUNNER_H_

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace flutter {
namespace engine {

class PlatformTaskRunner {
 public:
  using Task = std::function<void()>;

  PlatformTaskRunner();
  // Drops tasks not yet run.
  ~PlatformTaskRunner();
  PlatformTaskRunner(const PlatformTaskRunner&) = delete;
  PlatformTaskRunner& operator=(const PlatformTaskRunner&) = delete;

  // Queues |task| to run on the platform thread. Any thread.
  void PostTask(Task task);

  // Whether the caller is on the platform thread.
  bool RunsTasksOnCurrentThread() const;

  // Runs the tasks queued now (not ones they post). Platform thread only; does nothing when called
  // from inside a task. Returns the number run.
  size_t RunPendingTasks();

  // Whether a window could be made; without one, tasks run only through RunPendingTasks.
  bool valid() const { return window_ != nullptr; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  // Posts the work message unless one is pending. Called with |mutex_| held.
  void RequestWorkLocked();

  const DWORD thread_id_;
  HWND window_ = nullptr;  // Owned; message-only.

  std::mutex mutex_;
  std::deque<Task> tasks_;   // Guarded by |mutex_|.
  bool work_pending_ = false;  // A work message is in the queue; guarded by |mutex_|.

  bool running_ = false;  // A task is running; platform thread only.

  // Cleared by the destructor, so a run that outlives the runner stops touching it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_PLATFORM_TASK_RUNNER_H_
