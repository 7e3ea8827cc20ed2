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
