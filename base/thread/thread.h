// An operating-system thread that runs one virtual function.
//
// The base of FrameworkThread (framework_thread.h), which is what the rest of the program uses.
// Thread owns the thread handle: Create() starts the thread running Run(), Join() waits for it to
// end. The destructor joins a thread still running, except on that thread itself, where waiting
// would never end: there it only lets go of the handle.
//
// Thread safety: Create, Join and the destructor belong to the owner's thread; thread_id() and
// IsCurrentThread() may be called from any thread.
#ifndef BASE_THREAD_THREAD_H_
#define BASE_THREAD_THREAD_H_

#include <atomic>
#include <cstdint>
#include <string>

namespace nbase {

class Thread {
 public:
  Thread() = default;
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // The operating-system id of the running thread; 0 while none runs.
  std::uint32_t thread_id() const { return thread_id_.load(std::memory_order_acquire); }

  // True when called on this object's running thread.
  bool IsCurrentThread() const;

  // Priority applied by the next Create(): 0 leaves the default; 1 lowest, 2 below normal,
  // 3 highest, 4 time critical.
  void set_thread_priority(int priority) { priority_ = priority; }
  int thread_priority() const { return priority_; }

  // The calling thread's operating-system id.
  static std::uint32_t CurrentThreadId();

  // Names the calling thread for debuggers, where the system supports thread descriptions.
  static void SetCurrentThreadName(const std::string& utf8_name);

 protected:
  // The thread's body. Runs on the new thread; the thread ends when it returns.
  virtual void Run() {}

  // Starts a thread running Run(). False, with nothing started, when the thread cannot be made.
  bool Create();

  // Waits without a time limit for the thread to end, then closes its handle. On the thread
  // itself it only closes the handle. Does nothing when no thread was created.
  void Join();

  bool HasThreadHandle() const { return handle_ != nullptr; }

  // Forgets the id once the body is done with it (called by the body itself).
  void ClearThreadId() { thread_id_.store(0, std::memory_order_release); }

 private:
  // The run-time's thread entry. noexcept: an exception escaping the body ends the process here
  // rather than unwinding into the run-time's frames.
  static unsigned __stdcall ThreadMain(void* thread) noexcept;

  void* handle_ = nullptr;                 // HANDLE, owned; null while no thread exists
  std::atomic<std::uint32_t> thread_id_{0};
  int priority_ = 0;
};

}  // namespace nbase

#endif  // BASE_THREAD_THREAD_H_
