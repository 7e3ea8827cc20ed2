// Scoped holds of a session's library lock (private to the session's own files).
//
// Library objects retired while the lock is held are released when the outermost hold ends,
// after the lock is let go: releasing a data source waits for its notification in flight, which
// may be waiting for this very lock.
#pragma once

#include <memory>
#include <vector>

#include "plugin/zuvor_ivado_instance.h"

class ZuvorIvadoInstance::Locked {
 public:
  explicit Locked(ZuvorIvadoInstance& session) : session_(session) {
    session_.lock_.lock();
    ++session_.lockDepth_;
  }
  ~Locked() {
    std::vector<std::shared_ptr<void>> release;
    if (--session_.lockDepth_ == 0) release.swap(session_.retired_);
    session_.lock_.unlock();
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  ZuvorIvadoInstance& session_;
};

// Takes the lock only when it is free (or already held by this thread); never waits.
class ZuvorIvadoInstance::TryLocked {
 public:
  explicit TryLocked(ZuvorIvadoInstance& session)
      : session_(session), held_(session.lock_.tryLock() == 0) {
    if (held_) ++session_.lockDepth_;
  }
  ~TryLocked() {
    if (!held_) return;
    std::vector<std::shared_ptr<void>> release;
    if (--session_.lockDepth_ == 0) release.swap(session_.retired_);
    session_.lock_.unlock();
  }
  TryLocked(const TryLocked&) = delete;
  TryLocked& operator=(const TryLocked&) = delete;

  explicit operator bool() const { return held_; }

 private:
  ZuvorIvadoInstance& session_;
  const bool held_;
};

// A pop-out window as its callbacks and the session see it. The callbacks are made before the
// window exists, so they reach it through this link, which the session fills once the factory
// returns. The window's close callback empties it (under the link's mutex) before the window goes
// away, so a call made through With never reaches a window that is gone.
struct ZuvorIvadoInstance::WindowLink {
  // Runs `f(window)` with the window kept alive; `window` is null when there is none (yet or any
  // more). `f` must not wait for the window thread.
  template <typename F>
  decltype(auto) With(F&& f) {
    std::lock_guard<std::mutex> lock(mutex);
    return f(window);
  }
  // Fills the link; false (and nothing kept) when the window closed already.
  bool Attach(PhoneWindow* w) {
    std::lock_guard<std::mutex> lock(mutex);
    if (closed) return false;
    window = w;
    return true;
  }
  // The close callback: empties the link and returns what it held.
  PhoneWindow* Detach() {
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
    PhoneWindow* w = window;
    window = nullptr;
    return w;
  }
  // Asks the window to close and forgets it.
  void CloseWindow() {
    std::lock_guard<std::mutex> lock(mutex);
    if (window) window->Close();
    window = nullptr;
    closed = true;
  }

  std::mutex mutex;
  PhoneWindow* window = nullptr;
  bool closed = false;
};
