#include "base/thread/thread.h"

#include <windows.h>
#include <process.h>

#include "base/strings/utf8_conversion.h"

namespace nbase {
namespace {

int WindowsPriority(int priority) {
  switch (priority) {
    case 1:
      return THREAD_PRIORITY_LOWEST;
    case 2:
      return THREAD_PRIORITY_BELOW_NORMAL;
    case 3:
      return THREAD_PRIORITY_HIGHEST;
    case 4:
      return THREAD_PRIORITY_TIME_CRITICAL;
    default:
      return THREAD_PRIORITY_BELOW_NORMAL;
  }
}

}  // namespace

Thread::~Thread() { Join(); }

bool Thread::IsCurrentThread() const {
  const std::uint32_t id = thread_id();
  return id != 0 && id == CurrentThreadId();
}

std::uint32_t Thread::CurrentThreadId() { return GetCurrentThreadId(); }

void Thread::SetCurrentThreadName(const std::string& utf8_name) {
  // Windows 10 1607 and later; looked up at run time and skipped where missing.
  using SetThreadDescriptionFunction = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  static const auto set_description = reinterpret_cast<SetThreadDescriptionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                             "SetThreadDescription")));
  if (set_description) set_description(GetCurrentThread(), UTF8ToUTF16(utf8_name).c_str());
}

bool Thread::Create() {
  if (handle_) return false;
  unsigned id = 0;
  // Started suspended so that the priority holds from the thread's first instruction.
  const uintptr_t handle =
      _beginthreadex(nullptr, 0, &Thread::ThreadMain, this, CREATE_SUSPENDED, &id);
  if (handle == 0 || handle == 1) return false;  // 1: the value some run-times use for failure
  handle_ = reinterpret_cast<void*>(handle);
  thread_id_.store(id, std::memory_order_release);
  if (priority_ > 0) SetThreadPriority(handle_, WindowsPriority(priority_));
  if (ResumeThread(handle_) == static_cast<DWORD>(-1)) {
    TerminateThread(handle_, 0);  // it never ran a line of ours
    CloseHandle(handle_);
    handle_ = nullptr;
    ClearThreadId();
    return false;
  }
  return true;
}

void Thread::Join() {
  if (!handle_) return;
  if (!IsCurrentThread() && WaitForSingleObject(handle_, INFINITE) != WAIT_OBJECT_0) {
    // Only an unusable handle gets here; make sure no thread of ours outlives the object.
    TerminateThread(handle_, 0);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  if (!IsCurrentThread()) ClearThreadId();
}

unsigned __stdcall Thread::ThreadMain(void* thread) noexcept {
  auto* self = static_cast<Thread*>(thread);
  // Create stored the id before it resumed this thread.
  self->Run();  // may end with the object already destroyed (see FrameworkThread): touch nothing
  return 0;
}

}  // namespace nbase
