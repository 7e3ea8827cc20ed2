#include "phone_window/window_thread_pool.h"

#include <cwchar>

#include "base/synchronization/waitable_event.h"
#include "base/thread/thread_registry.h"
#include "phone_window/cascade.h"

const char kWindowThreadName[] = "ZuvorIvadoWindowUI";
const wchar_t kPhoneWindowClassName[] = L"FernholdZuvorIvadoControl";

namespace {

std::shared_ptr<nbase::WaitableEvent> MakeDoneEvent() {
  return std::make_shared<nbase::WaitableEvent>(nbase::WaitableEvent::ResetPolicy::kManual, false);
}

// One hand-over of a window to a pool thread, shared by the waiting caller and the task.
struct CreationRequest {
  std::shared_ptr<nbase::WaitableEvent> done = MakeDoneEvent();
  bool ran = false;      // Written by the task before done is signalled.
  bool created = false;  // Likewise.
};

// Signals `done` when the last copy of a task goes, whether it ran or a stopping loop deleted it
// unrun: the caller never waits for a task that will not run.
class SignalOnRelease {
 public:
  explicit SignalOnRelease(std::shared_ptr<nbase::WaitableEvent> done) : done_(std::move(done)) {}
  ~SignalOnRelease() { done_->Signal(); }
  SignalOnRelease(const SignalOnRelease&) = delete;
  SignalOnRelease& operator=(const SignalOnRelease&) = delete;

 private:
  std::shared_ptr<nbase::WaitableEvent> done_;
};

// Makes the window's DPI awareness the thread's for one scope (creation steps that measure and
// place the window then work in the window's own pixels).
class ScopedThreadDpiContext {
 public:
  explicit ScopedThreadDpiContext(HWND hwnd) {
    if (DPI_AWARENESS_CONTEXT context = ::GetWindowDpiAwarenessContext(hwnd))
      previous_ = ::SetThreadDpiAwarenessContext(context);
  }
  ~ScopedThreadDpiContext() {
    if (previous_) ::SetThreadDpiAwarenessContext(previous_);
  }
  ScopedThreadDpiContext(const ScopedThreadDpiContext&) = delete;
  ScopedThreadDpiContext& operator=(const ScopedThreadDpiContext&) = delete;

 private:
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// ControlWindowUiThread

ControlWindowUiThread::ControlWindowUiThread(std::string name, int id)
    : FrameworkThread(std::move(name)), id_(id) {}

ControlWindowUiThread::~ControlWindowUiThread() {
  // Stop here, while this class's Cleanup() is still the one that runs.
  Stop();
}

void ControlWindowUiThread::Init() { nbase::ThreadRegistry::RegisterThread(id_); }

void ControlWindowUiThread::Cleanup() { nbase::ThreadRegistry::UnregisterThread(); }

// ---------------------------------------------------------------------------------------------
// WindowThreadPool

WindowThreadPool::~WindowThreadPool() { Shutdown(); }

WindowThreadPool& WindowThreadPool::Get() {
  static WindowThreadPool* const pool = new WindowThreadPool;
  return *pool;
}

void WindowThreadPool::StartThreadsOnce() {
  std::lock_guard<std::mutex> lock(pool_mutex_);
  if (shut_down_ || !threads_.empty()) return;
  for (int i = 0; i < kWindowThreadCount; ++i) {
    auto thread =
        std::make_unique<ControlWindowUiThread>(kWindowThreadName, kFirstWindowThreadId + i);
    // A thread that does not start holds no id: creations sent to it fail at once.
    thread->StartWithLoop(nbase::MessageLoopType::kUI);
    threads_.push_back(std::move(thread));
  }
}

void WindowThreadPool::Shutdown() {
  std::vector<std::unique_ptr<ControlWindowUiThread>> threads;
  {
    std::lock_guard<std::mutex> lock(pool_mutex_);
    shut_down_ = true;
    threads.swap(threads_);
  }
  // The windows close on their threads, with their close handling, while those still run: a
  // thread that ends with a window open takes it along without a message.
  for (const auto& thread : threads) CloseWindowsOf(thread->id());
  // Each waits for its thread; a creation queued there is dropped, which releases its caller.
  threads.clear();
}

void WindowThreadPool::CloseWindowsOf(int threadId) {
  const std::shared_ptr<nbase::WaitableEvent> done = MakeDoneEvent();
  auto signal = std::make_shared<SignalOnRelease>(done);
  nbase::ThreadRegistry::PostTask(threadId, [signal] { CloseWindowsOnThisThread(); });
  signal.reset();
  done->Wait();
}

void WindowThreadPool::CloseWindowsOnThisThread() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        // The pool's windows carry the name it gave them (other windows of the thread, such as
        // its input method window, are not the pool's to close).
        wchar_t name[64] = {};
        ::GetWindowTextW(hwnd, name, 64);
        if (std::wcscmp(name, kPhoneWindowClassName) == 0) {
          reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  for (HWND hwnd : windows) {
    if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    // One that stays open after its close handling goes all the same.
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }
}

int WindowThreadPool::AcquireCascadeSlot() {
  std::lock_guard<std::mutex> lock(cascade_mutex_);
  if (!free_slots_.empty()) {
    const int slot = *free_slots_.begin();
    free_slots_.erase(free_slots_.begin());
    return slot;
  }
  const int slot = cascade_counter_ % kCascadeSlotCount;
  cascade_counter_ = (cascade_counter_ + 1) % kCascadeSlotCount;
  return slot;
}

void WindowThreadPool::ReleaseCascadeSlot(int slot) {
  if (slot < 0) return;
  std::lock_guard<std::mutex> lock(cascade_mutex_);
  free_slots_.insert(slot);
}

bool WindowThreadPool::CreateWindowOnUiThread(PooledWindow* window,
                                              const std::string& titleUtf8) {
  if (!window) return false;
  StartThreadsOnce();

  const uint32_t turn = round_robin_.fetch_add(1, std::memory_order_relaxed);
  const int threadId = kFirstWindowThreadId + static_cast<int>(turn % kWindowThreadCount);
  window->SetCascadeSlot(AcquireCascadeSlot());
  // Taken here, where the window was made: the task tells from it whether a failed creation
  // already deleted the window.
  const std::weak_ptr<nbase::WeakFlag> alive = window->GetWeakFlag();

  auto request = std::make_shared<CreationRequest>();
  auto signal = std::make_shared<SignalOnRelease>(request->done);
  // A refused post (no thread holds the id any more) destroys the task at once; then the
  // reset below drops the last holder of the signal, and the wait returns at once.
  nbase::ThreadRegistry::PostTask(threadId, [this, window, titleUtf8, alive, request, signal] {
    CreateOnThisThread(window, titleUtf8, alive, &request->created);
    request->ran = true;
    request->done->Signal();
  });
  signal.reset();
  request->done->Wait();

  if (request->created) return true;
  // Never handed over (no thread took the task): the window is still the caller's to delete.
  if (!request->ran) Discard(window);
  return false;
}

void WindowThreadPool::CreateOnThisThread(PooledWindow* window, const std::string& titleUtf8,
                                          const std::weak_ptr<nbase::WeakFlag>& alive,
                                          bool* created) {
  HWND hwnd =
      window->CreateNativeWindow(kPhoneWindowClassName, kPhoneWindowStyle, kPhoneWindowExStyle,
                                 /*layered=*/true);
  if (!hwnd) {
    // Its final message may have deleted it already (and freed its slot).
    if (!alive.expired()) Discard(window);
    *created = false;
    return;
  }
  {
    ScopedThreadDpiContext dpi(hwnd);
    window->SetTitle(titleUtf8);
    window->CenterNativeWindow();
    CascadeWindow(hwnd, window->GetCascadeSlot());
    window->ShowNativeWindow();
  }
  // A window that closed itself while being shown is gone for the caller as well.
  *created = !alive.expired();
}

void WindowThreadPool::Discard(PooledWindow* window) {
  ReleaseCascadeSlot(window->GetCascadeSlot());
  window->SetCascadeSlot(-1);
  delete window;
}

// ---------------------------------------------------------------------------------------------
// The process's pool

bool CreateWindowOnUiThread(PooledWindow* window, const std::string& titleUtf8) {
  return WindowThreadPool::Get().CreateWindowOnUiThread(window, titleUtf8);
}

void ReleaseCascadeSlot(int slot) { WindowThreadPool::Get().ReleaseCascadeSlot(slot); }

void ShutdownWindowThreads() { WindowThreadPool::Get().Shutdown(); }
