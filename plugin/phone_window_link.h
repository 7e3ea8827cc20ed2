// PhoneWindowLink: how a session and its pop-out window's callbacks reach the window.
//
// The window's callbacks are made before the window exists, so they reach it through this link,
// which the session fills once the factory returns. The window's close callback empties it before
// the window goes away, so a call made through the link never reaches a window that is gone.
//
//   auto link = std::make_shared<PhoneWindowLink>();
//   PhoneWindow* window = factory->OpenPhoneWindow(theme, title, CallbacksUsing(link));
//   if (window && link->Attach(window)) ...;
//   HWND handle = link->Handle();   // null once the window closed
//
// Thread-safety: every member may be called from any thread. Calls into the window are made with
// the link's mutex held and, as PhoneWindow requires, never wait for the window thread (which
// takes the mutex when the window closes).
#pragma once

#include <windows.h>

#include <mutex>

#include "plugin/phone_window_port.h"

class PhoneWindowLink {
 public:
  // Runs `f(window)` with the window kept alive; `window` is null when there is none (yet or any
  // more). `f` must not wait for the window thread.
  template <typename F>
  decltype(auto) With(F&& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return f(window_);
  }

  // Fills the link; false (and nothing kept) when the window closed already.
  bool Attach(PhoneWindow* window) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    window_ = window;
    return true;
  }

  // The close callback: empties the link and returns what it held.
  PhoneWindow* Detach() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    PhoneWindow* window = window_;
    window_ = nullptr;
    return window;
  }

  // Asks the window to close and forgets it.
  void CloseWindow() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_) window_->Close();
    window_ = nullptr;
    closed_ = true;
  }

  bool IsOpen() {
    return With([](PhoneWindow* window) { return window != nullptr; });
  }
  // The native window, or null.
  HWND Handle() {
    return With([](PhoneWindow* window) { return window ? window->GetHandle() : nullptr; });
  }
  // The window's video control, or null.
  VideoDisplay* Display() {
    return With([](PhoneWindow* window) { return window ? window->GetVideoDisplay() : nullptr; });
  }

 private:
  std::mutex mutex_;
  PhoneWindow* window_ = nullptr;
  bool closed_ = false;
};
