// ZuvorIvadoInstanceTestPeer: what tests read of a session's inner state, and a hold of its lock.
//
// The session's public interface has no getters for tests; this friend reads the state under the
// session's lock, as the session itself does.
//
//   using Peer = ZuvorIvadoInstanceTestPeer;
//   EXPECT_TRUE(Peer::IsConnected(*session));
//   Peer::WithLock(*session, [&] { session->StopPlay(0); session->Initialize(); });
#pragma once

#include <cstdint>
#include <memory>

#include "plugin/zuvor_ivado_instance.h"
#include "plugin/zuvor_ivado_instance_lock.h"
#include "swplay/swplay_sim.h"

class ZuvorIvadoInstanceTestPeer {
 public:
  using Session = ZuvorIvadoInstance;

  static bool IsConnected(Session& s) {
    Session::Locked locked(s);
    return s.attempt_.connected();
  }
  static bool IsInitialized(Session& s) { return Read(s, s.initialized_); }
  static int DisplayMode(Session& s) { return Read(s, s.displayMode_); }
  static int VideoWidth(Session& s) { return Read(s, s.videoWidth_); }
  static int VideoHeight(Session& s) { return Read(s, s.videoHeight_); }
  static bool HoldsConnectingUnit(Session& s) {
    Session::Locked locked(s);
    return s.attempt_.holdsSlot();
  }
  static int64_t StopGeneration(Session& s) { return s.stopGeneration_.load(); }
  // The texture, or null; valid while the session keeps it (until Shutdown or destruction).
  static ZuvorIvadoTexture* Texture(Session& s) {
    Session::Locked locked(s);
    return s.texture_.get();
  }
  // The native handle of the session's pop-out window, or null.
  static HWND WindowHandle(Session& s) {
    Session::Locked locked(s);
    return s.WindowHandle();
  }
  // Threads waiting for the session's lock.
  static int LockWaiters(Session& s) { return swsim_lock_waiters(&s.lock_); }
  // Whether the session's state agrees with the library's: it is connected exactly when its
  // player is started with a connected, casting data source.
  static bool AgreesWithLibrary(Session& s) {
    Session::Locked locked(s);
    return s.attempt_.connected() == (swsim_player_streaming(s.player_.get()) == 1);
  }
  // Sessions holding a connecting unit, process-wide.
  static int ConnectingCount() { return Session::ConnectingCount(); }
  // Worker threads of all sessions still running.
  static int RunningWorkers() { return Session::RunningWorkers(); }

  // Runs `f` with the session's lock held (it is re-entrant: `f` may call the session). Library
  // notifications and workers of the session wait meanwhile.
  template <typename F>
  static void WithLock(Session& s, F&& f) {
    Session::Locked locked(s);
    f();
  }

 private:
  template <typename T>
  static T Read(Session& s, const T& field) {
    Session::Locked locked(s);
    return field;
  }
};

// The shorter name the tests use.
using SessionPeer = ZuvorIvadoInstanceTestPeer;
