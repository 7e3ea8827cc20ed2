#include "base/message_loop/message_pump_win.h"

#include <mutex>

#include "base/module/module_win.h"
#include "base/synchronization/lock.h"

namespace nbase {
namespace {

constexpr wchar_t kWindowClassName[] = L"CorvaneMessagePumpWindow";
// The wake-up message, posted to the pump window with the pump as wParam.
constexpr UINT kMsgHaveWork = WM_USER + 1;
// Code passed to CallMsgFilter so that message hooks can tell the pump's loop from others.
constexpr int kMessageFilterCode = 0x5001;
// Shortest delayed-work timer period; SetTimer cannot do better anyway.
constexpr UINT kMinimumTimerMs = 10;

// The pump window class is registered while any pump uses it, and unregistered after the last
// pump let it go. Pumps come and go on several threads at once (the application's UI thread and
// the window thread pool), so registration and use are counted under one lock: a class can
// never be unregistered between another pump's registration and its window's creation.
struct WindowClassUsers {
  Lock lock;
  int count = 0;
  bool registered_here = false;  // false when someone else's class of that name was found
};

WindowClassUsers& ClassUsers() {
  // Never destroyed: pumps of threads stopped by static destructors still release the class.
  static WindowClassUsers* const users = new WindowClassUsers;
  return *users;
}

bool AcquireWindowClass(WNDPROC window_proc) {
  WindowClassUsers& users = ClassUsers();
  std::lock_guard<Lock> hold(users.lock);
  if (users.count == 0) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetCurrentModuleHandle();
    window_class.lpszClassName = kWindowClassName;
    if (RegisterClassExW(&window_class)) {
      users.registered_here = true;
    } else if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      // Registered already (not by a pump of this library: it keeps count). Not an error; the
      // window checks below that it really is a pump window.
      users.registered_here = false;
    } else {
      return false;
    }
  }
  ++users.count;
  return true;
}

void ReleaseWindowClass() {
  WindowClassUsers& users = ClassUsers();
  std::lock_guard<Lock> hold(users.lock);
  if (--users.count > 0) return;
  if (users.registered_here) UnregisterClassW(kWindowClassName, GetCurrentModuleHandle());
  users.registered_here = false;
}

}  // namespace

// --- WinMessagePump ---------------------------------------------------------------------------

void WinMessagePump::Run(Delegate* delegate) { RunWithDispatcher(delegate, nullptr); }

void WinMessagePump::RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher) {
  RunState state{state_ ? state_->depth + 1 : 1, false, delegate, dispatcher, state_};
  state_ = &state;
  struct Restore {
    WinMessagePump* pump;
    ~Restore() { pump->state_ = pump->state_->previous; }
  } restore{this};
  DoRunLoop();
}

void WinMessagePump::Quit() {
  if (state_) state_->should_quit = true;
}

DWORD WinMessagePump::GetCurrentDelay() const {
  if (delayed_work_time_ == 0) return INFINITE;
  return WaitMillisecondsUntil(delayed_work_time_, TimeNow());
}

// --- WinUIMessagePump -------------------------------------------------------------------------

std::shared_ptr<WinUIMessagePump> WinUIMessagePump::Create(PostMessageFunction post_message) {
  std::shared_ptr<WinUIMessagePump> pump(new WinUIMessagePump(post_message));
  if (!pump->CreateMessageWindow()) return nullptr;
  return pump;
}

WinUIMessagePump::~WinUIMessagePump() {
  if (message_window_) {
    KillTimer(message_window_, reinterpret_cast<UINT_PTR>(this));
    DestroyWindow(message_window_);
  }
  if (holds_window_class_) ReleaseWindowClass();
}

bool WinUIMessagePump::CreateMessageWindow() {
  if (!AcquireWindowClass(&WindowProc)) return false;
  holds_window_class_ = true;
  message_window_ = CreateWindowExW(0, kWindowClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, GetCurrentModuleHandle(), this);
  if (!message_window_) return false;
  // A window of a foreign class of the same name would never hand the wake-ups to this pump
  // when a modal loop runs.
  if (GetWindowLongPtrW(message_window_, GWLP_USERDATA) != reinterpret_cast<LONG_PTR>(this)) {
    DestroyWindow(message_window_);
    message_window_ = nullptr;
    return false;
  }
  return true;
}

LRESULT CALLBACK WinUIMessagePump::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (auto* pump =
                 reinterpret_cast<WinUIMessagePump*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
    // The pump comes from the window's own data, never from the message's parameters, which
    // any process may forge.
    switch (message) {
      case kMsgHaveWork:
        pump->HandleWorkMessage();
        break;
      case WM_TIMER:
        pump->HandleTimerMessage();
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void WinUIMessagePump::ScheduleWork() {
  if (have_work_.exchange(1) != 0) return;  // a wake-up is already in flight
  if (post_message_(message_window_, kMsgHaveWork, reinterpret_cast<WPARAM>(this), 0)) return;
  // The post failed (the thread's queue is full). Leaving the flag set would block every later
  // wake-up for good; the thread is busy with its full queue and asks the loop for work after
  // each message it processes, and the next post tries again.
  have_work_.store(0);
}

void WinUIMessagePump::ScheduleDelayedWork(const TimeMicros& delayed_work_time) {
  // The timer only matters while a modal loop owns the thread; the pump's own loop wakes up for
  // delayed work through its wait's time-out.
  delayed_work_time_ = delayed_work_time;
  DWORD period = kMinimumTimerMs;
  if (delayed_work_time != 0) {
    const DWORD delay = GetCurrentDelay();
    period = delay < kMinimumTimerMs ? kMinimumTimerMs
                                     : (delay > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : delay);
  }
  SetTimer(message_window_, reinterpret_cast<UINT_PTR>(this), period, nullptr);
}

void WinUIMessagePump::DoRunLoop() {
  for (;;) {
    bool more_work_is_plausible = ProcessNextWindowsMessage();
    if (state_->should_quit) break;

    more_work_is_plausible |= state_->delegate->DoWork();
    if (state_->should_quit) break;

    more_work_is_plausible |= state_->delegate->DoDelayedWork(&delayed_work_time_);
    // Delayed work all done: the modal-loop timer has nothing left to serve.
    if (more_work_is_plausible && delayed_work_time_ == 0)
      KillTimer(message_window_, reinterpret_cast<UINT_PTR>(this));
    if (state_->should_quit) break;
    if (more_work_is_plausible) continue;

    more_work_is_plausible = state_->delegate->DoIdleWork();
    if (state_->should_quit) break;
    if (more_work_is_plausible) continue;

    WaitForWork();
  }
}

void WinUIMessagePump::WaitForWork() {
  const DWORD result =
      MsgWaitForMultipleObjectsEx(0, nullptr, GetCurrentDelay(), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (result != WAIT_OBJECT_0) return;
  // Windows may report mouse input that a peek then does not find (it was consumed by a child
  // window's thread, for instance). Waiting again at once would spin; wait for a real message.
  const DWORD queue_status = GetQueueStatus(QS_MOUSE);
  MSG message;
  if ((HIWORD(queue_status) & QS_MOUSE) &&
      !PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE)) {
    WaitMessage();
  }
}

void WinUIMessagePump::HandleWorkMessage() {
  // Outside a run level (a window of this thread pumped by someone else before Run or after it)
  // there is nobody to run the work; the next Run picks it up.
  if (!state_) {
    have_work_.store(0);
    return;
  }
  ProcessPumpReplacementMessage();
  if (state_->delegate->DoWork()) ScheduleWork();
}

void WinUIMessagePump::HandleTimerMessage() {
  KillTimer(message_window_, reinterpret_cast<UINT_PTR>(this));
  if (!state_) return;
  state_->delegate->DoDelayedWork(&delayed_work_time_);
  if (delayed_work_time_ != 0) ScheduleDelayedWork(delayed_work_time_);
}

bool WinUIMessagePump::ProcessNextWindowsMessage() {
  // A message sent from another thread is delivered inside PeekMessage and never returned by it;
  // it still counts as work done.
  const bool sent_messages_in_queue =
      (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
  MSG message;
  if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return ProcessMessageHelper(message);
  return sent_messages_in_queue;
}

bool WinUIMessagePump::ProcessMessageHelper(const MSG& message) {
  if (message.message == WM_QUIT) {
    // Post it again so that the enclosing levels, and any native loop around them, end too.
    state_->should_quit = true;
    PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (IsWakeUp(message)) return ProcessPumpReplacementMessage();
  if (CallMsgFilterW(const_cast<MSG*>(&message), kMessageFilterCode)) return true;

  observers_.ForEach([&message](UIObserver& observer) { observer.WillProcessMessage(message); });
  if (state_->dispatcher) {
    if (!state_->dispatcher->Dispatch(message)) state_->should_quit = true;
  } else {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  observers_.ForEach([&message](UIObserver& observer) { observer.DidProcessMessage(message); });
  return true;
}

bool WinUIMessagePump::ProcessPumpReplacementMessage() {
  // The wake-up took the place of a message in the queue; process the next one in its stead, so
  // that a stream of wake-ups cannot starve input. The flag is cleared only after the removal:
  // a wake-up posted from here on is a new one.
  MSG message;
  const bool have_message = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE;
  have_work_.store(0);
  if (!have_message) return false;
  // The wake-up was consumed before its work was done; keep one in flight in case the message
  // below starts a modal loop that only the window procedure can serve.
  ScheduleWork();
  if (IsWakeUp(message)) return true;
  return ProcessMessageHelper(message);
}

bool WinUIMessagePump::IsWakeUp(const MSG& message) const {
  return message.message == kMsgHaveWork && message.hwnd == message_window_;
}

}  // namespace nbase
