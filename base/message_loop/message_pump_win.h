// The Windows-message pump, for threads that own windows.
//
// A UI thread sleeps in its Windows message queue, so tasks must arrive as messages too. Rather
// than one message per task, the pump keeps at most ONE wake-up message (WM_USER + 1 to its
// message-only window) in flight, guarded by an atomic have-work flag: posts from other threads
// never flood the queue, and input keeps its place. The wake-up drives tasks in two ways:
//   - in the pump's own loop (DoRunLoop), which after every message also asks the loop for work;
//   - through the window procedure, when a modal loop (a menu, a message box, a window being
//     moved) dispatches the pump's messages: the wake-up then runs one task and re-posts itself,
//     and a window timer (SetTimer, at least 10 ms) serves delayed tasks. So posted and delayed
//     tasks keep running while a modal loop owns the thread.
//
// WinMessagePump holds what the UI and completion-port pumps share: the run levels, the delayed
// work time and the have-work flag.
//
// Thread safety: ScheduleWork may be called from any thread; everything else, construction and
// destruction included, belongs to the pump's thread (the window belongs to it).
#ifndef BASE_MESSAGE_LOOP_MESSAGE_PUMP_WIN_H_
#define BASE_MESSAGE_LOOP_MESSAGE_PUMP_WIN_H_

#include <windows.h>

#include <atomic>
#include <memory>

#include "base/message_loop/message_pump.h"
#include "base/message_loop/observer_list.h"

namespace nbase {

// Handles the Windows messages of a UI run level in place of TranslateMessage/DispatchMessage.
class Dispatcher {
 public:
  // Returns false to end the run level.
  virtual bool Dispatch(const MSG& message) = 0;

 protected:
  virtual ~Dispatcher() = default;
};

class WinMessagePump : public MessagePump {
 public:
  // MessagePump:
  void Run(Delegate* delegate) override;
  void Quit() override;

  // Runs a level whose messages go to |dispatcher| (null: translate and dispatch them).
  void RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher);

 protected:
  // One per run level, on the stack of RunWithDispatcher; chained to the enclosing one.
  struct RunState {
    int depth;
    bool should_quit;
    Delegate* delegate;
    Dispatcher* dispatcher;
    RunState* previous;
  };

  WinMessagePump() = default;

  // Runs the current level until its should_quit is set.
  virtual void DoRunLoop() = 0;

  // Milliseconds until the earliest delayed task (0 when due), INFINITE when there is none.
  DWORD GetCurrentDelay() const;

  // Innermost run level; null when the pump is not running.
  RunState* state_ = nullptr;
  // Run time of the earliest delayed task, 0 = none.
  TimeMicros delayed_work_time_ = 0;
  // 1 while a wake-up (message or completion packet) is in flight; changed only by exchange and
  // store, from any thread.
  std::atomic<LONG> have_work_{0};
};

class WinUIMessagePump final : public WinMessagePump {
 public:
  // Told before and after each message the pump dispatches (not its own wake-ups), on the pump's
  // thread.
  class UIObserver {
   public:
    virtual void WillProcessMessage(const MSG& message) = 0;
    virtual void DidProcessMessage(const MSG& message) = 0;

   protected:
    virtual ~UIObserver() = default;
  };

  // How wake-ups are posted; PostMessageW unless a test needs a queue that refuses posts.
  using PostMessageFunction = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

  // Creates the pump and its message-only window on the calling thread; null when the window
  // cannot be created (a pump without its window could never be woken).
  static std::shared_ptr<WinUIMessagePump> Create(PostMessageFunction post_message = &PostMessageW);
  ~WinUIMessagePump() override;

  // MessagePump:
  void ScheduleWork() override;
  void ScheduleDelayedWork(const TimeMicros& delayed_work_time) override;

  void AddObserver(UIObserver* observer) { observers_.AddObserver(observer); }
  void RemoveObserver(UIObserver* observer) { observers_.RemoveObserver(observer); }

  // The message-only window the wake-ups and the delayed-work timer are sent to.
  HWND message_window() const { return message_window_; }

 private:
  explicit WinUIMessagePump(PostMessageFunction post_message) : post_message_(post_message) {}
  bool CreateMessageWindow();

  // noexcept: tasks run in here when a modal loop dispatches the wake-up, and an exception must
  // end the process where it was thrown, not unwind through the system's dispatch frames.
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept;

  // WinMessagePump:
  void DoRunLoop() override;

  void WaitForWork();
  // The wake-up reached the window procedure (a modal loop dispatched it): run one task.
  void HandleWorkMessage();
  // The delayed-work timer fired: run one due delayed task and re-arm the timer.
  void HandleTimerMessage();
  // Removes and processes one message; returns whether more work is plausible.
  bool ProcessNextWindowsMessage();
  bool ProcessMessageHelper(const MSG& message);
  // Takes the place of a consumed wake-up with the next queued message, keeping a wake-up in
  // flight for the work still queued.
  bool ProcessPumpReplacementMessage();
  bool IsWakeUp(const MSG& message) const;

  const PostMessageFunction post_message_;
  HWND message_window_ = nullptr;  // owned: destroyed by the destructor
  bool holds_window_class_ = false;
  ObserverList<UIObserver> observers_;
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_MESSAGE_PUMP_WIN_H_
