// SessionClock: the time that the plug-in's worker threads wait.
//
// Sessions wait for their connect watchdogs, reconnect back-offs, connecting-slot polls,
// re-initialisation spacing and clipboard retries; the plug-in waits between microphone
// configuration deliveries. Every such wait goes through a clock. The production clock waits
// real time; a test clock lets a wait end only when the test moves its time past the wait's end,
// so a test decides exactly which wait ends when, however fast the machine is.
//
//   auto clock = SessionClock::MakeRealTime();
//   // Worker: wait 500 ms unless the request it belongs to is replaced first.
//   if (!clock->Wait(WaitKind::kBackoff, std::chrono::milliseconds(500),
//                    [&] { return generation.load() != mine; })) {
//     return;  // replaced
//   }
//   // Owner, after replacing the request:
//   generation.fetch_add(1);
//   clock->Wake();
//
// Thread-safety: Wait and Wake may be called from any thread, concurrently. A wait's
// `interrupted` predicate runs with the clock's internal lock held: it must only read (atomics),
// never take a lock or call back into the clock.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

enum class WaitKind {
  kWatchdog,       // connect watchdog (8 s first connection, 15 s reconnections)
  kBackoff,        // before a reconnection (500, 1000, 2000 ms)
  kSlotPoll,       // waiting for a free connecting slot (100 ms steps)
  kReinitSpacing,  // between initialisation attempts (1 s)
  kClipboardRetry,  // before the phone's clipboard text is put on a busy clipboard again (20 ms)
};

class SessionClock {
 public:
  virtual ~SessionClock() = default;

  // Blocks until `duration` has passed on this clock, or until `interrupted()` holds: it is
  // checked at the start and again after every Wake. True when the whole time passed; false when
  // interrupted.
  virtual bool Wait(WaitKind kind, std::chrono::milliseconds duration,
                    const std::function<bool()>& interrupted) = 0;
  // Makes every wait in progress check its `interrupted` again. Call it after changing what the
  // predicates read.
  virtual void Wake() = 0;

  // A real-time clock of its own: its Wake reaches only the waits made on it.
  static std::shared_ptr<SessionClock> MakeRealTime();
};
