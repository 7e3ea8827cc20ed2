// Re-entrant lock and monotonic clock of the streaming library.
//
// `Mutex` is what callers use to serialise their own calls into one data source and player: the
// thread that holds it may take it again (each lock needs its unlock). `tryLock` never waits, so
// input paths can drop their input instead of queueing behind a slow connection step.
//
//   Mutex m;
//   if (m.tryLock() == 0) {   // 0: acquired
//     ...
//     m.unlock();
//   }
//
// Thread-safety: every operation may be called from any thread.
#pragma once

#include <cstdint>

#include "swplay/swplay_export.h"

class SWPLAY_API Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock();
  // Returns 0 when the lock was acquired (also when this thread holds it already), else non-zero.
  int tryLock();
  void unlock();

 private:
  // Storage of the platform's re-entrant lock; kept opaque so this header needs no Windows headers.
  alignas(8) unsigned char storage_[40];
};

// Milliseconds of a monotonic clock with an arbitrary origin.
SWPLAY_API int64_t get_time_now_ms();
