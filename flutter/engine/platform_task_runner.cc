#include "flutter/engine/platform_task_runner.h"

#include <exception>
#include <string>
#include <utility>

#include "flutter/engine/engine_output.h"
#include "flutter/engine/this_module.h"

namespace flutter {
namespace engine {

namespace {

constexpr wchar_t kWindowClass[] = L"FlutterDesktopPlatformTaskWindow";
constexpr UINT kWorkMessage = WM_APP + 0x3f1;

// Runs one task. Tasks are host callbacks run from a window procedure: an exception must not
// unwind through the system's dispatch code, and must not end the tasks queued behind it.
void RunGuarded(const PlatformTaskRunner::Task& task) noexcept {
  try {
    task();
  } catch (const std::exception& error) {
    WriteEngineNotice(std::string("error: a task on the platform thread threw: ") + error.what());
  } catch (...) {
    WriteEngineNotice("error: a task on the platform thread threw an exception of unknown type");
  }
}

}  // namespace

PlatformTaskRunner::PlatformTaskRunner() : thread_id_(GetCurrentThreadId()) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = ThisModule();
  window_class.lpszClassName = kWindowClass;
  // A second registration in the same process fails harmlessly.
  RegisterClassExW(&window_class);
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            ThisModule(), this);
  if (!window_) {
    WriteEngineNotice("error: cannot create the platform task window (error " +
                      std::to_string(GetLastError()) + ")");
  }
}

PlatformTaskRunner::~PlatformTaskRunner() {
  *alive_ = false;
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  // A pending work message went with the window.
}

void PlatformTaskRunner::PostTask(Task task) {
  std::lock_guard<std::mutex> lock(mutex_);
  tasks_.push_back(std::move(task));
  RequestWorkLocked();
}

bool PlatformTaskRunner::RunsTasksOnCurrentThread() const {
  return GetCurrentThreadId() == thread_id_;
}

void PlatformTaskRunner::RequestWorkLocked() {
  if (work_pending_ || !window_) return;
  if (PostMessageW(window_, kWorkMessage, 0, 0)) work_pending_ = true;
}

size_t PlatformTaskRunner::RunPendingTasks() {
  if (running_) return 0;
  std::deque<Task> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(tasks_);
  }
  const std::shared_ptr<bool> alive = alive_;
  size_t count = 0;
  while (!batch.empty()) {
    Task task = std::move(batch.front());
    batch.pop_front();
    running_ = true;
    RunGuarded(task);
    if (!*alive) return count + 1;
    running_ = false;
    ++count;
  }
  // Tasks posted meanwhile, and any left by a nested dispatch, get a fresh work message.
  std::lock_guard<std::mutex> lock(mutex_);
  if (!tasks_.empty()) RequestWorkLocked();
  return count;
}

LRESULT CALLBACK PlatformTaskRunner::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                                LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == kWorkMessage) {
    auto* self = reinterpret_cast<PlatformTaskRunner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
      {
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->work_pending_ = false;
      }
      self->RunPendingTasks();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace engine
}  // namespace flutter
