// SessionClock: the time that a session's worker threads wait.
//
// Sessions wait for their connect watchdogs, reconnect back-offs, connecting-slot polls,
// re-initialisation spacing and microphone configuration retries. Each wait asks the clock how
// long it really lasts; the production clock answers the nominal delay, a test clock may shorten
// it and record what was asked.
//
//   class FastClock : public SessionClock {
//     std::chrono::nanoseconds RealDelay(WaitKind, std::chrono::milliseconds ms) override {
//       return ms / 100;
//     }
//   };
//
// Thread-safety: RealDelay is called from any worker thread, concurrently.
#pragma once

#include <chrono>
#include <memory>

enum class WaitKind {
  kWatchdog,       // connect watchdog (8 s first connection, 15 s reconnections)
  kBackoff,        // before a reconnection (500, 1000, 2000 ms)
  kSlotPoll,       // waiting for a free connecting slot (100 ms steps)
  kReinitSpacing,  // between initialisation attempts (1 s)
  kConfigRetry,    // between microphone configuration deliveries (50 ms)
};

class SessionClock {
 public:
  virtual ~SessionClock() = default;
  // How long a wait of `nominal` really lasts.
  virtual std::chrono::nanoseconds RealDelay(WaitKind kind, std::chrono::milliseconds nominal) = 0;

  // The production clock: every wait lasts its nominal time.
  static std::shared_ptr<SessionClock> RealTime();
};
