// TimerManager: one-shot and repeating callbacks for the UI library, bound to weak flags.
//
// Animations, delayed window closing, animated images, scroll-bar auto-repeat, the caret and the
// pop-out window's gestures ask for timers here. A timer is never cancelled by id: it is bound to
// a weak flag, and resetting or destroying the flag's owner silently retires it.
//
//   ui::TimerManager::GetInstance()->AddCancelableTimer(
//       fade_flag_.GetWeakFlag(), [this] { Step(); }, 16, ui::TimerManager::kRepeatForever);
//   ...
//   fade_flag_.Cancel();  // no further Step()
//
// Timing uses the performance counter; waking uses one multimedia timer that posts a message to
// a hidden message-only window: a 16 ms periodic timer while the next timer is less than a second
// away, else one periodic timer of the remaining time (clamped to what the system accepts), and
// none while no timer is pending. When the process has no multimedia timer left, a window timer
// of the same period takes its place. At most one poll message waits in the thread's queue: a
// tick finds the one already posted and posts no other, so a thread kept busy for long does not
// find its queue full of wake-ups (a full queue would refuse every other post to the thread).
//
// Thread affinity: there is one service per UI thread. GetInstance() returns the calling thread's
// service (made on first use, destroyed when the thread ends), and its callbacks run on that
// thread, from its message loop. So a window, its controls and its timers are only ever touched
// on the window's own thread, and an owner destroyed there between polls is never called. The
// thread must run a Windows message loop that dispatches what it takes from the queue: a poll
// message taken out and dropped would leave the service waiting for it. A service refuses timers
// added from another thread.
#ifndef UI_CORE_TIMER_MANAGER_H_
#define UI_CORE_TIMER_MANAGER_H_

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "base/callback/weak_callback.h"

namespace ui {

class TimerManager {
 public:
  static constexpr int kRepeatForever = -1;
  // Posted by the multimedia timer to the timer window.
  static constexpr UINT kPollMessage = 0x2B0F;
  // The wake-up period while a timer is due within a second.
  static constexpr UINT kFastPeriodMs = 16;
  // Id of the window timer that stands in for the multimedia timer when none is left.
  static constexpr UINT_PTR kWindowTimerId = 1;

  // The calling thread's service, created (with its window) on first use and deleted when the
  // thread ends.
  static TimerManager* GetInstance();

  ~TimerManager();
  TimerManager(const TimerManager&) = delete;
  TimerManager& operator=(const TimerManager&) = delete;

  // Runs callback after elapseMs, repeatCount times (kRepeatForever until the flag dies), on this
  // thread, as long as flag is alive. Repeats are counted from the poll that ran the previous
  // one. False when called on a thread that does not own this service, for an empty callback,
  // and when the service has no window (it could not be made), so the timer could never run.
  bool AddCancelableTimer(const std::weak_ptr<nbase::WeakFlag>& flag,
                          std::function<void()> callback, UINT elapseMs, int repeatCount);

  // Runs every due timer once, re-queues repeating ones and re-arms the wake-up: what the poll
  // message does. Does nothing on a thread that does not own this service.
  void Poll();
  // Posts the poll message to the service's window unless one is already waiting there. The
  // wake-up timer calls it on the system's timer thread; any thread may.
  void RequestPoll();

  // The wake-up's current period in ms, 0 when none runs.
  UINT GetWakeUpPeriod() const { return wake_period_ms_; }
  size_t GetPendingCount() const { return heap_.size(); }

 private:
  struct Timer {
    std::function<void()> callback;
    LONGLONG period = 0;  // Performance-counter ticks.
    int repeatCount = 0;  // kRepeatForever = forever.
    LONGLONG due = 0;     // Performance-counter value.
    std::weak_ptr<nbase::WeakFlag> flag;
  };
  // Orders the heap so that the earliest due time is at the front.
  struct LaterDue {
    bool operator()(const Timer& a, const Timer& b) const { return a.due > b.due; }
  };

  TimerManager();
  bool CreateTimerWindow();
  // Both are entered from the system. noexcept: a callback's exception ends the process where it
  // was thrown instead of unwinding through the system's dispatch frames.
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  static void CALLBACK OnMultimediaTimer(UINT id, UINT message, DWORD_PTR user, DWORD_PTR,
                                         DWORD_PTR) noexcept;

  // The fast period while the earliest timer is due within a second, else one period of the
  // remaining time plus 2 ms (clamped to the largest period the system accepts); none when empty.
  void ArmWakeUp(LONGLONG now);
  // A periodic wake-up of periodMs (clamped): the multimedia timer, or a window timer when the
  // system has no multimedia timer left. False when neither can be had.
  bool StartWakeUp(UINT periodMs);
  void StopWakeUp();
  LONGLONG Now() const;

  DWORD owner_thread_ = 0;
  LONGLONG frequency_ = 1;
  HWND window_ = nullptr;  // Owned message-only window.
  UINT timer_id_ = 0;      // Multimedia timer, 0 when none.
  // Period of the running wake-up, 0 when none runs: the multimedia timer when timer_id_ is not 0,
  // else the window timer kWindowTimerId.
  UINT wake_period_ms_ = 0;
  UINT max_period_ms_ = 0;  // Largest period timeSetEvent accepts here.
  std::vector<Timer> heap_;
  // Set while a poll message waits in the queue: from the post until its handling starts. Read
  // and written by the system's timer thread too.
  std::atomic<bool> poll_posted_{false};
};

}  // namespace ui

#endif  // UI_CORE_TIMER_MANAGER_H_
