// A session's connection attempt, and the process-wide connecting slots it may hold.
//
// At most ConnectingSlot::kLimit sessions connect at once, process-wide. A worker that starts a
// connection (a reconnection, a re-initialisation) first takes a slot; the attempt it starts
// holds that slot until the attempt's outcome. An attempt runs from the start of the session's
// data source until it connects, and stays the session's current one until it ends: a watchdog
// expiry, a failure or a drop, a stop, a switch to casting nothing, the data source's replacement
// or the session's end. Ending it is one call, which gives the slot back, clears the connected
// state and makes the attempt's watchdog and the notifications of its data source stale: both
// carry the attempt's number and act only while it is current.
//
//   ConnectingSlot slot = ConnectingSlot::TryTake();  // empty when kLimit are taken
//   ...
//   const uint64_t number = attempt.Begin(std::move(slot));  // session lock held
//   listener.SetAttempt(number);                              // then the data source starts
//   ...
//   if (attempt.IsCurrent(number)) attempt.Connected();       // the slot goes back
//   ...
//   attempt.End();                                            // stale from here on
//
// Thread-safety: ConnectingSlot may be used on any thread (one owner at a time). A
// ConnectionAttempt is changed and queried under its session's lock, except number(), which may
// be read without it (a worker's wait asks whether an attempt began or ended since it looked).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "plugin/session_clock.h"

// One unit of the process-wide count of sessions connecting at once; given back when released
// or destroyed. Movable, not copyable.
class ConnectingSlot {
 public:
  static constexpr int kLimit = 30;

  ConnectingSlot() = default;  // holds nothing
  ConnectingSlot(ConnectingSlot&& other) noexcept;
  ConnectingSlot& operator=(ConnectingSlot&& other) noexcept;
  ~ConnectingSlot() { Release(); }
  ConnectingSlot(const ConnectingSlot&) = delete;
  ConnectingSlot& operator=(const ConnectingSlot&) = delete;

  // A unit, or an empty slot when kLimit are taken.
  static ConnectingSlot TryTake();
  // Units held now, process-wide.
  static int InUse();

  explicit operator bool() const { return held_; }
  void Release();

 private:
  bool held_ = false;
};

class ConnectionAttempt {
 public:
  // `clock` is the one the session's workers wait on: a watchdog's wait ends with its attempt.
  explicit ConnectionAttempt(std::shared_ptr<SessionClock> clock) : clock_(std::move(clock)) {}
  ConnectionAttempt(const ConnectionAttempt&) = delete;
  ConnectionAttempt& operator=(const ConnectionAttempt&) = delete;

  // Ends the current attempt, if any, and begins the next, holding `slot` (empty for an attempt
  // that takes none) until its outcome. Returns its number (never 0), which its watchdog and its
  // data source's listener carry.
  uint64_t Begin(ConnectingSlot slot);
  // The current attempt connected: its slot goes back; it stays current until it ends.
  void Connected();
  // Ends the current attempt (nothing when there is none): its slot goes back, it is no longer
  // connected, and what carries its number is stale. Waits on the clock are woken.
  void End();

  // Whether attempt `number` began and has not ended.
  bool IsCurrent(uint64_t number) const { return live_ && number_.load() == number; }
  bool live() const { return live_; }
  bool connected() const { return live_ && connected_; }
  bool holdsSlot() const { return static_cast<bool>(slot_); }
  // Changes at every Begin and End. Any thread.
  uint64_t number() const { return number_.load(); }

 private:
  const std::shared_ptr<SessionClock> clock_;
  std::atomic<uint64_t> number_{0};
  bool live_ = false;
  bool connected_ = false;
  ConnectingSlot slot_;
};
