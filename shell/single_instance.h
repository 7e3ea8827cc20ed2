// One running instance per user session.
//
// The first instance holds a named mutex for its whole life. A later start sees the mutex exist,
// brings the first instance's top-level window to the front (restoring it when minimised) and
// leaves.
//
//   SingleInstanceMutex guard(kSingleInstanceMutexName);
//   if (guard.another_instance_running()) {
//     BringWindowOfClassToFront(kMainWindowClassName);
//     return 0;
//   }
//
// Thread-safety: main thread only. The mutex is owned by the thread that created it.
#ifndef SHELL_SINGLE_INSTANCE_H_
#define SHELL_SINGLE_INSTANCE_H_

#include <windows.h>

inline constexpr wchar_t kSingleInstanceMutexName[] = L"Local\\FernholdPcClient_SingleInstanceMutex";

// Owns the named single-instance mutex. When creation fails the process simply runs unguarded:
// neither "first" nor "second" is reported as an error.
class SingleInstanceMutex {
 public:
  // Creates (or opens) the mutex, initially owned by the calling thread when it is new. When it
  // already existed the handle is closed at once, so a second instance holds nothing.
  explicit SingleInstanceMutex(const wchar_t* name);
  ~SingleInstanceMutex();

  SingleInstanceMutex(const SingleInstanceMutex&) = delete;
  SingleInstanceMutex& operator=(const SingleInstanceMutex&) = delete;

  // True when the mutex existed before this object tried to create it.
  bool another_instance_running() const { return another_instance_running_; }

  // True while this process holds the mutex handle.
  bool held() const { return handle_ != nullptr; }

  // Closes the handle (a no-op when none is held). The system releases an owned mutex with it.
  void Release();

 private:
  HANDLE handle_ = nullptr;
  bool another_instance_running_ = false;
};

// Finds the top-level window of `class_name` (any title) and brings it to the front: restored when
// minimised, else shown, then put on top of the Z order and made the foreground window (borrowing
// the foreground thread's input state, which is what allows a background process to do that).
// Returns false when there is no such window.
bool BringWindowOfClassToFront(const wchar_t* class_name);

#endif  // SHELL_SINGLE_INSTANCE_H_
