// PlatformThreadWaker: runs a callable on the thread that made it, when asked from any thread.
//
// It owns a message-only window on its owner thread, made by Arm. Wake posts one message to it
// (never more than one pending: a flag stays set from the post until the owner thread takes the
// message), and the owner thread's message loop then runs the callable. Nested message loops
// (modal dialogs, window moves) dispatch it too; it never runs inside the caller of Wake. A wake
// before the first Arm does nothing: the window is made only once something can ask for wakes, so
// that an owner that never needs one (or not yet, during a program's start) does not pay for it.
//
//   PlatformThreadWaker waker([this] { FlushEvents(); });   // on the platform thread
//   waker.Arm();                                            // ditto, before wakes matter
//   ... on any thread:
//   waker.Wake();
//
// Thread-safety: construct, arm and destroy on the owner thread, which must run a message loop.
// Wake may be called from any thread, also while the waker is being destroyed (the post then
// fails quietly).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

class PlatformThreadWaker {
 public:
  explicit PlatformThreadWaker(std::function<void()> onWake);
  ~PlatformThreadWaker();
  PlatformThreadWaker(const PlatformThreadWaker&) = delete;
  PlatformThreadWaker& operator=(const PlatformThreadWaker&) = delete;

  // Makes the window, once; later calls do nothing. Owner thread only.
  void Arm();

  // Does nothing before Arm, or when the window could not be made.
  void Wake();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept;

  const std::function<void()> onWake_;
  std::atomic<bool> pending_{false};  // a wake message is posted and not yet taken
  bool armed_ = false;                // owner thread only
  std::atomic<HWND> window_{nullptr};  // set once by Arm, read by Wake on any thread
};
