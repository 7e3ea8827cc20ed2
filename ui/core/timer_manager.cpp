#include "ui/core/timer_manager.h"

#include <mmsystem.h>

#include <algorithm>
#include <mutex>

#include "ui/core/performance_clock.h"

namespace ui {

namespace {

const wchar_t kTimerWindowClass[] = L"UI_ANIMATION_TIMERMANAGER_H_";

// Each UI thread's service lives in a fiber-local slot whose callback deletes it, with its window,
// on that thread when the thread ends. (A C++ thread_local with a destructor is not used: with
// this toolchain's emulated TLS its storage can be freed before the destructor runs.)
void NTAPI DestroyThreadService(void* service) {
  delete static_cast<TimerManager*>(service);
}

DWORD ServiceSlot() {
  static const DWORD slot = ::FlsAlloc(&DestroyThreadService);
  return slot;
}

}  // namespace

TimerManager* TimerManager::GetInstance() {
  const DWORD slot = ServiceSlot();
  if (slot == FLS_OUT_OF_INDEXES) return nullptr;
  auto* service = static_cast<TimerManager*>(::FlsGetValue(slot));
  if (!service) {
    service = new TimerManager();
    ::FlsSetValue(slot, service);
  }
  return service;
}

TimerManager::TimerManager()
    : owner_thread_(::GetCurrentThreadId()), frequency_(PerformanceClock::Frequency()) {
  TIMECAPS caps = {};
  max_period_ms_ = ::timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR && caps.wPeriodMax
                       ? caps.wPeriodMax
                       : 65535;
  CreateTimerWindow();
}

TimerManager::~TimerManager() {
  StopWakeUp();
  if (window_) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

bool TimerManager::CreateTimerWindow() {
  // Every UI thread registers the same class and makes a window of it. Both steps run under one
  // process-wide lock: a registration that finds the class "already exists" may otherwise come
  // back while another thread's registration of it is still under way (Wine), and the window
  // made right after it fails for want of the class.
  static std::mutex classMutex;
  std::lock_guard<std::mutex> lock(classMutex);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &TimerManager::WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kTimerWindowClass;
  if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  window_ = ::CreateWindowExW(0, kTimerWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, nullptr);
  if (!window_) return false;
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

LRESULT CALLBACK TimerManager::WindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
  const bool windowTimer = message == WM_TIMER && wParam == kWindowTimerId;
  if (message == kPollMessage || windowTimer) {
    if (auto* self = reinterpret_cast<TimerManager*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
      // The queue holds no poll message now: a tick from here on posts the next one.
      if (message == kPollMessage) self->poll_posted_ = false;
      self->Poll();
    }
    return windowTimer ? 0 : 1;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK TimerManager::OnMultimediaTimer(UINT, UINT, DWORD_PTR user, DWORD_PTR,
                                              DWORD_PTR) noexcept {
  // Runs on the system's timer thread. The timer is killed synchronously before the service goes,
  // so the service outlives every call.
  reinterpret_cast<TimerManager*>(user)->RequestPoll();
}

void TimerManager::RequestPoll() {
  if (poll_posted_.exchange(true)) return;  // one is waiting already
  // A refused post (a full queue) leaves none waiting: the next tick tries again.
  if (!::PostMessageW(window_, kPollMessage, 0, 0)) poll_posted_ = false;
}

LONGLONG TimerManager::Now() const {
  // The performance counter, or the clock a test drives on this thread.
  return PerformanceClock::Now();
}

bool TimerManager::StartWakeUp(UINT periodMs) {
  const UINT period = std::min(periodMs, max_period_ms_);
  if (wake_period_ms_ == period) return true;
  StopWakeUp();
  timer_id_ = ::timeSetEvent(period, 1, &TimerManager::OnMultimediaTimer,
                             reinterpret_cast<DWORD_PTR>(this),
                             TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  // The system hands out few multimedia timers (Wine: 16 a process). When none is left, a window
  // timer of the same period wakes the service instead: coarser, but the timers still run.
  if (timer_id_ == 0 && ::SetTimer(window_, kWindowTimerId, period, nullptr) == 0) return false;
  wake_period_ms_ = period;
  return true;
}

void TimerManager::ArmWakeUp(LONGLONG now) {
  if (heap_.empty()) {
    StopWakeUp();
    return;
  }
  const LONGLONG remaining = heap_.front().due - now;
  if (remaining < frequency_) {
    StartWakeUp(kFastPeriodMs);
    return;
  }
  const LONGLONG ms = remaining * 1000 / frequency_ + 2;
  StartWakeUp(static_cast<UINT>(std::min<LONGLONG>(ms, max_period_ms_)));
}

void TimerManager::StopWakeUp() {
  if (timer_id_ != 0) {
    ::timeKillEvent(timer_id_);
  } else if (wake_period_ms_ != 0) {
    ::KillTimer(window_, kWindowTimerId);
  }
  timer_id_ = 0;
  wake_period_ms_ = 0;
}

bool TimerManager::AddCancelableTimer(const std::weak_ptr<nbase::WeakFlag>& flag,
                                      std::function<void()> callback, UINT elapseMs,
                                      int repeatCount) {
  // Without its window the service could never wake up to run the timer.
  if (::GetCurrentThreadId() != owner_thread_ || !callback || !window_) return false;
  Timer timer;
  timer.callback = std::move(callback);
  timer.period = static_cast<LONGLONG>(elapseMs) * frequency_ / 1000;
  timer.repeatCount = repeatCount;
  timer.due = Now() + timer.period;
  timer.flag = flag;
  if (!StartWakeUp(kFastPeriodMs)) return false;
  heap_.push_back(std::move(timer));
  std::push_heap(heap_.begin(), heap_.end(), LaterDue());
  return true;
}

void TimerManager::Poll() {
  if (::GetCurrentThreadId() != owner_thread_) return;
  const LONGLONG now = Now();
  std::vector<Timer> due;
  std::vector<Timer> requeue;
  while (!heap_.empty() && heap_.front().due - now <= 0) {
    std::pop_heap(heap_.begin(), heap_.end(), LaterDue());
    Timer timer = std::move(heap_.back());
    heap_.pop_back();
    if (timer.flag.expired()) continue;
    due.push_back(timer);
    if (timer.repeatCount == kRepeatForever || timer.repeatCount > 1) {
      if (timer.repeatCount > 1) --timer.repeatCount;
      timer.due = now + timer.period;
      // Re-queued after the scan: a period of 0 would otherwise be due again at once, forever.
      requeue.push_back(std::move(timer));
    }
  }
  for (Timer& timer : requeue) {
    heap_.push_back(std::move(timer));
    std::push_heap(heap_.begin(), heap_.end(), LaterDue());
  }
  ArmWakeUp(now);

  for (Timer& timer : due) {
    // An earlier callback of this poll may have destroyed this timer's owner.
    if (timer.flag.expired()) continue;
    timer.callback();
  }
}

}  // namespace ui
