// The window thread pool: four threads on which the pop-out phone windows live.
//
// Every pop-out window is created, driven and closed on one of four "ZuvorIvadoWindowUI" threads
// (registry ids 1000 to 1003), which start with the first window and run until the process
// shuts the pool down. Windows go to the threads round-robin in creation order, across all
// sessions. The caller constructs the window on its own thread and hands it over with
// CreateWindowOnUiThread, which returns once the window is shown (or could not be made).
//
//   auto* window = new PhoneWindow(theme);                     // a PooledWindow
//   if (!CreateWindowOnUiThread(window, "Phone 7")) window = nullptr;   // gone: forget it
//   ...
//   ShutdownWindowThreads();   // at exit, before the UI library is shut down: open windows
//                              // close first (their close callbacks run), then the threads end
//
// Each window also gets a cascade slot (0 to 9, freed slots first, smallest first) that places
// it 28 pixels per slot below and right of the centre; its final message gives the slot back
// (ReleaseCascadeSlot).
//
// Thread-safety: CreateWindowOnUiThread may be called from any thread but a pool thread (it
// waits for one) and never waits for the caller's thread. ReleaseCascadeSlot may be called from
// any thread. Shutdown belongs to the thread that created the first window (the platform
// thread); it waits for every pool thread to end.
//
// Lifetime: the process's pool is made at first use and never destroyed, like the thread
// registry, so a window's final message that comes late at exit still finds it; its threads
// stop at ShutdownWindowThreads, before the static objects they use go.
#ifndef PHONE_WINDOW_WINDOW_THREAD_POOL_H_
#define PHONE_WINDOW_WINDOW_THREAD_POOL_H_

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/thread/framework_thread.h"
#include "phone_window/pooled_window.h"

// Registry ids kFirstWindowThreadId .. kFirstWindowThreadId + kWindowThreadCount - 1.
constexpr int kFirstWindowThreadId = 1000;
constexpr int kWindowThreadCount = 4;
extern const char kWindowThreadName[];  // "ZuvorIvadoWindowUI"

// Class name of every pop-out phone window, also its native window's title text.
extern const wchar_t kPhoneWindowClassName[];  // "FernholdZuvorIvadoControl"
constexpr DWORD kPhoneWindowStyle = WS_POPUP | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr DWORD kPhoneWindowExStyle = WS_EX_APPWINDOW;  // Created layered.

// Cascade slots 0 .. kCascadeSlotCount - 1.
constexpr int kCascadeSlotCount = 10;

// A pool thread: a Windows-message loop registered under its id while it runs.
class ControlWindowUiThread : public nbase::FrameworkThread {
 public:
  ControlWindowUiThread(std::string name, int id);
  ~ControlWindowUiThread() override;

  int id() const { return id_; }

 protected:
  void Init() override;
  void Cleanup() override;

 private:
  const int id_;
};

class WindowThreadPool {
 public:
  WindowThreadPool() = default;
  // Shuts the pool down.
  ~WindowThreadPool();
  WindowThreadPool(const WindowThreadPool&) = delete;
  WindowThreadPool& operator=(const WindowThreadPool&) = delete;

  // The process's pool.
  static WindowThreadPool& Get();

  // Starts the threads when none were started yet, takes the next thread and a cascade slot,
  // and has the window created there: native window, title, centred, cascaded, shown and
  // focused. Waits until that is done and returns true. False when the window could not be made
  // or no thread took the task (the pool was shut down): the window object is then gone
  // (deleted by the pool, or by its own final message) and must be forgotten.
  bool CreateWindowOnUiThread(PooledWindow* window, const std::string& titleUtf8);

  // Closes the windows still open (WM_CLOSE on their own thread, so their close handling runs),
  // then stops and deletes the threads, waiting for each. Later creations fail at once.
  void Shutdown();

  // The smallest freed slot, else the next of 0 .. 9 in turn.
  int AcquireCascadeSlot();
  // Frees slot (nothing for a negative one; a slot already free stays once).
  void ReleaseCascadeSlot(int slot);

 private:
  // Starts the four threads once; false after Shutdown or when a thread did not start.
  void StartThreadsOnce();
  // Runs on the pool thread.
  void CreateOnThisThread(PooledWindow* window, const std::string& titleUtf8,
                          const std::weak_ptr<nbase::WeakFlag>& alive, bool* created);
  // Frees the window's slot and deletes it (a window that was never shown).
  void Discard(PooledWindow* window);
  // Runs CloseWindowsOnThisThread on the pool thread threadId and waits for it (not at all when
  // that thread no longer runs).
  void CloseWindowsOf(int threadId);
  static void CloseWindowsOnThisThread();

  std::mutex pool_mutex_;  // Guards the two below.
  std::vector<std::unique_ptr<ControlWindowUiThread>> threads_;
  bool shut_down_ = false;

  std::atomic<uint32_t> round_robin_{0};

  std::mutex cascade_mutex_;  // Guards the two below.
  std::set<int> free_slots_;
  int cascade_counter_ = 0;
};

// The process's pool (WindowThreadPool::Get()).
bool CreateWindowOnUiThread(PooledWindow* window, const std::string& titleUtf8);
void ReleaseCascadeSlot(int slot);
void ShutdownWindowThreads();

#endif  // PHONE_WINDOW_WINDOW_THREAD_POOL_H_
