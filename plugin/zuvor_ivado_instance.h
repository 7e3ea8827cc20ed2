// ZuvorIvadoInstance: one session with one cloud phone, named by its pad code.
//
// A session owns the streaming library's player and data source for its phone. It brings the
// connection up, watches the first connection with an 8-second watchdog and reconnections with a
// 15-second one, backs off 500, 1000 and 2000 ms before giving up with connectFailed or
// connectTimeout (196629), keeps the process-wide number of sessions connecting at once at 30 or
// less, shows the phone in a pop-out window or a Flutter texture, carries input and microphone
// audio to the phone and the phone's clipboard back to the PC. It reports through the
// ZuvorIvadoCallbacks the plug-in installs.
//
//   auto session = std::make_shared<ZuvorIvadoInstance>(config, services);
//   session->callbacks.connected = ...;          // before the session is shared
//   if (session->Initialize() == 0) session->Connect(1);
//   ...
//   session->Shutdown();                          // the owner is going away
//
// Always hold a session by shared pointer: every worker thread it starts (watchdog, reconnect,
// re-initialise, stop) holds one for its whole run.
//
// Workers belong to the request that started them ("connect", a mode switch; a stop or a
// disconnect is a request too) and, for a watchdog or a reconnection, to the connection attempt
// they follow. A newer request or attempt makes a worker stale: its wait ends early and it does
// nothing, so an old reconnection never drops the data source of a newer connection. Each data
// source has a listener of its own that knows the attempt it belongs to: a notification of an
// attempt that has ended (by its watchdog, a stop, a switch to casting nothing, the data source's
// replacement) is logged and ignored, so it never acts on a later attempt. A worker thread that
// cannot start is a failure: the request fails, or the session reports connectFailed.
//
// Thread-safety:
//   - `lock` (the library's re-entrant Mutex) guards every library call on the session and its
//     state. Lock order: the plug-in's session-map mutex first, then `lock`.
//   - Input and audio sends take `lock` with tryLock and drop their input when it is busy.
//   - Callbacks fire on the thread that raises them, sometimes with `lock` held; they must not
//     wait for another thread that needs `lock`, nor for the plug-in's session-map mutex (which
//     is taken before `lock`).
//   - Library objects are released only after `lock` is let go: a data source's destructor waits
//     for a notification in flight, which may itself be waiting for `lock`. For the same reason a
//     caller must not hold a lock that callbacks take (the plug-in's session-map mutex) while it
//     disconnects, shuts down or drops the last reference to a session.
//   - The pop-out window is reached through a link that its close callback empties; no thread
//     holding `lock` waits for a window thread (windows are made with no lock held, and every
//     native call on a window of another thread is asynchronous), so the window thread's
//     callbacks may always take `lock`.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flutter/texture_registrar.h"
#include "plugin/connection_attempt.h"
#include "plugin/phone_window_link.h"
#include "plugin/phone_window_port.h"
#include "plugin/remote_clipboard.h"
#include "plugin/session_clock.h"
#include "plugin/zuvor_ivado_callbacks.h"
#include "plugin/zuvor_ivado_config.h"
#include "plugin/zuvor_ivado_texture.h"
#include "swplay/swplay.h"

// What a session uses of its surroundings; all optional.
struct SessionServices {
  std::shared_ptr<SessionClock> clock;                    // null: real time, a clock of its own
  PhoneWindowFactory* windowFactory = nullptr;            // null: no pop-out windows
  flutter::TextureRegistrar* textureRegistrar = nullptr;  // null: textures get id -1
};

class ZuvorIvadoInstance : public OnPlayerErrorListener,
                           public std::enable_shared_from_this<ZuvorIvadoInstance> {
 public:
  // At most this many sessions are connecting at once, process-wide.
  static constexpr int kMaxConnecting = ConnectingSlot::kLimit;
  // Code of connectTimeout after the last watchdog expiry.
  static constexpr int kConnectTimeoutCode = 196629;  // 0x30015
  // Where non-domestic sessions connect.
  static const char kConnectEndpoint[];

  ZuvorIvadoInstance(const ZuvorIvadoConfig& config, SessionServices services);
  // Stops everything the session started and deletes its texture (after unbinding it).
  ~ZuvorIvadoInstance() override;
  ZuvorIvadoInstance(const ZuvorIvadoInstance&) = delete;
  ZuvorIvadoInstance& operator=(const ZuvorIvadoInstance&) = delete;

  // Installed by the owner before the session is shared; read-only afterwards.
  ZuvorIvadoCallbacks callbacks;

  const std::string& padCode() const { return padCode_; }

  // ----- Lifecycle (platform thread unless said otherwise) -----

  // Prepares the player and a data source. A new request: an earlier stop no longer applies.
  // 0 on success (also when already initialised), else the library's result or -1.
  int Initialize();
  // Starts a connection with the screen-cast mode `playType`. A new request, like Initialize.
  // -1 when not initialised, 0 when already connected or when the attempt started.
  int Connect(int playType);
  // Restarts the player of a connected session: 0, else -1.
  int Play();
  // Ends the stream for good: stops and drops the player and the data source, gives the
  // texture back to the engine (deleted after unbinding) and asks the pop-out window to close.
  void Disconnect();
  // A new stop generation (for StopPlay), atomically.
  int64_t NextStopGeneration();
  // Any thread. Stops the stream when `generation` is 0 or still the latest; keeps the session
  // reusable by a later Initialize or Connect.
  void StopPlay(int64_t generation);
  // The owner is going away: callbacks must already be inert. Requests a stop, unbinds and
  // releases the library's objects, deletes the texture (unregistering it), asks the pop-out
  // window to close and ends every wait. Afterwards every request fails.
  void Shutdown();

  // ----- Display modes and window (platform thread) -----

  // Mode 0 none, 1 pop-out window, 2 texture. 0 or -1; -1 also when no pop-out window could be
  // opened (none was open and the factory made none), which changes nothing, and when the
  // connection the switch would start has no thread to run on (the display is switched, nothing
  // connects). Mode 0 ends the connection attempt; so does a switch while one is still connecting
  // (the switch starts its own).
  int SwitchPlayMode(int mode, int themeMode, int rotation, int playType);
  // The texture's id; -1 without one. Any thread.
  int64_t GetTextureId() const { return textureId_.load(); }
  // Replaces an open window of another theme by one in `mode`, at the same place and pinned as
  // it was (the old one stays when no new one can be made); without a window only remembers it.
  void SetThemeMode(int mode);
  void SetRotation(int rotation);
  // Casting mode 0 (nothing) ends the connection attempt.
  void SetScreenCast(int mode);
  void SetVideoQuality(int level);
  void FocusWindow();
  bool GetWindowRect(RECT* rect);
  bool GetTileSize(int* width, int* height);
  bool GetFrameInsets(int* left, int* top, int* right, int* bottom);
  void MoveWindowTo(int x, int y);
  bool HasWindow();

  // Synced mark (the pad code is in the plug-in's sync group). Any thread.
  void SetSynced(bool synced) { synced_.store(synced); }
  bool IsSynced() const { return synced_.load(); }
  // Display name (window title); an empty name keeps the old one.
  void SetName(const std::string& name);

  // ----- Input and audio (any thread; never wait) -----

  void SendKey(int action, int code);
  void SendText(const char* text, int length);
  void CopyToRemote(const char* text, int length);
  // fx, fy: fractions of the video frame. The pointer count is not used (one pointer is sent).
  // A touch other than a lift without finite fractions is dropped.
  void SendTouch(int action, int pointerCount, float fx, float fy);
  // Type 0 the encoder's AudioSpecificConfig, other types a coded frame. True when it was sent
  // (whatever the library answered), false when dropped.
  bool SendAudio(int type, const uint8_t* data, int length);
  // The one send that waits: the AudioSpecificConfig as SendAudio(0, ...) sends it, once `lock`
  // is free, however long it is busy. False when the session does not take audio (not connected
  // in the pop-out window). Call it holding no lock, on a thread nobody waits for.
  bool SendAudioConfigWhenFree(const uint8_t* config, int length);

  // ----- Player notification (a library thread) -----

  void onError(int code, const char* message) override;

 private:
  friend class ZuvorIvadoInstanceTestPeer;  // tests look at the state through it
  class Locked;
  class TryLocked;
  class SourceListener;

  bool SendAudioLocked(int type, const uint8_t* data, int length);
  // The request and connection attempt a worker belongs to.
  struct Ticket {
    uint64_t request;
    uint64_t attempt;
  };
  // The ticket of what runs now (request and attempt; atomics, no lock needed).
  Ticket CurrentTicket() const;
  bool IsCurrent(const Ticket& ticket) const;

  // Lifecycle steps; the caller holds `lock` unless the name says otherwise.
  int InitializeLocked();
  // Starts an attempt that holds `slot` (empty for "connect", which takes none).
  int ConnectLocked(int playType, ConnectingSlot slot);
  // A new request from the Dart side: stops asked for before it (stop generations) no longer
  // apply, and the session is no longer stopped.
  void SupersedeStopsLocked();
  // Workers started before now are stale: their waits end and they do nothing.
  void SupersedeWorkersLocked();
  // Begins an attempt holding `slot`, arms its watchdog and starts the library; -1 (nothing
  // started) without a player and data source or when the watchdog's thread cannot start.
  int StartPlayback(int watchdogSeconds, ConnectingSlot slot);
  void BindDisplayForMode();
  void OnConnectTimeout();
  // A reconnection after `delayMs`; when no thread can wait for it, the session fails instead.
  void ScheduleReconnect(int delayMs);
  void Reconnect();
  // The session gives up: the attempt ends, the player stops and lets go of its display, a new
  // Initialize is needed, and connectFailed(`code`) is fired.
  void FailLocked(int code);
  // Ends the attempt after stopping the library's casting and playing.
  void StopAttemptLocked();
  // A new data source, with a listener of its own, its id, types and server token; the token's
  // result.
  int MakeDataSource();
  // Drops the data source (released once `lock` is let go).
  void RetireDataSource();
  // Play parameters, the level table and `videoLevel` on the data source, which then goes to
  // the player.
  void ConfigurePlayback(int videoLevel);
  // Requests a stop: ends the waits, stops casting and playing, leaves the connecting count.
  void RequestStopLocked();
  // screenCast(0) and the player's stop, when the player has a data source.
  void StopCastingLocked();
  void StopStreamLocked();
  void ReleaseLibraryObjectsLocked();
  // Requests a stop, ends the waits, stops and releases the library's objects, clears the state
  // and hands over the texture, for the caller to delete once `lock` is let go.
  std::unique_ptr<ZuvorIvadoTexture> TearDownLocked();
  // Worker bodies (no lock held on entry); each does nothing once `ticket` is stale.
  void RunWatchdog(Ticket ticket, int seconds);
  void RunReconnect(Ticket ticket, int delayMs);
  void ReinitializeAndConnect(Ticket ticket, int playType);

  // Notifications of a data source, with the attempt its listener belongs to (library threads).
  void OnAttemptConnected(uint64_t attempt);
  void OnAttemptReconnecting(uint64_t attempt, int count);
  void OnAttemptDisconnected(uint64_t attempt, int errorCode);
  // Whether `attempt` is the current one (lock held); logs `notification` as ignored if not.
  bool IsOngoingLocked(uint64_t attempt, const char* notification);
  // The phone's notifications, whichever of its data sources brings them.
  void OnControlVideo(int value, int fps);
  void OnPhoneClipboard(const char* data, int length);

  // Display steps (lock held unless said otherwise).
  int SwitchToWindow(int themeMode, int rotation, int playType);  // no lock held
  // Ends an attempt still connecting and starts ReinitializeAndConnect with `playType` on a
  // worker; -1 when it cannot start.
  int StartReinitializeLocked(int playType);
  void SetPlayType(int type);
  // Makes a window through the factory; no lock held (it waits for the window thread).
  std::shared_ptr<PhoneWindowLink> OpenWindowUnlocked(PhoneWindowFactory* factory, int themeMode,
                                                      const std::string& title);
  // Makes `link` the session's window (lock held); false when it cannot be.
  bool InstallWindow(const std::shared_ptr<PhoneWindowLink>& link);
  std::string WindowTitle() const;
  PhoneWindowCallbacks MakeWindowCallbacks(const std::shared_ptr<PhoneWindowLink>& link);
  void OnWindowClosed(const std::shared_ptr<PhoneWindowLink>& link);
  void OnWindowKeyButton(int code);
  // The session's window: whether it is open, its native handle and video control (or null).
  bool WindowOpen();
  HWND WindowHandle();
  VideoDisplay* WindowDisplay();
  // Runs `f(window)` when the session's window is open.
  template <typename F>
  void WithOpenWindow(F&& f) {
    if (!window_) return;
    window_->With([&](PhoneWindow* window) {
      if (window) f(*window);
    });
  }
  // How a display is put in: bound before the player starts (a start casts the screen itself),
  // or changed while playing (the screen cast first).
  enum class Binding { kBeforeStart, kWhilePlaying };
  // The three steps that show the stream in the window's video control, or in the texture: the
  // video level, the screen cast while playing, the display.
  void ShowInWindow(Binding binding);
  void ShowInTexture(Binding binding);
  void ChangeDisplay(VideoDisplay* display);
  void BindDisplay(VideoDisplay* display);
  void UnbindIfBound(VideoDisplay* gone);
  std::shared_ptr<DataSource> PlayerSource();

  // Waits for a connecting slot in 100 ms steps; an empty one when a stop came first or `ticket`
  // went stale.
  ConnectingSlot AwaitConnectingSlot(const Ticket& ticket);
  // Sessions between the start of a counted attempt and its outcome, process-wide.
  static int ConnectingCount();
  // Worker threads of all sessions still running.
  static int RunningWorkers();

  // Waits `duration` on the clock; false when `ticket` went stale first.
  bool WaitFor(WaitKind kind, std::chrono::milliseconds duration, const Ticket& ticket);
  // Starts a detached worker holding a reference to this session; false when none could start.
  bool StartWorker(std::function<void(ZuvorIvadoInstance&)> body);
  // Keeps a library object alive until `lock` is let go by its outermost holder.
  void Retire(std::shared_ptr<void> object);

  void Log(const std::string& text) const;
  // Calls one of `callbacks` unless it is empty.
  template <typename Callback, typename... Args>
  static void Fire(const Callback& callback, Args&&... args) {
    if (callback) callback(std::forward<Args>(args)...);
  }

  const std::string padCode_;
  const std::shared_ptr<SessionClock> clock_;

  // The library's re-entrant lock; guards the fields below up to the atomics.
  mutable Mutex lock_;
  ZuvorIvadoConfig config_;
  PhoneWindowFactory* windowFactory_;
  flutter::TextureRegistrar* textureRegistrar_;
  int displayMode_ = 0;
  bool initialized_ = false;
  int retryCount_ = 0;
  int screenCastMode_ = 1;
  ConnectionAttempt attempt_;  // connected while its attempt is
  std::shared_ptr<SWPlayer> player_;
  std::shared_ptr<SWDataSource> dataSource_;
  std::shared_ptr<SourceListener> sourceListener_;  // dataSource_'s; lives as long as it
  std::shared_ptr<PhoneWindowLink> window_;  // the open pop-out window, or null
  std::unique_ptr<ZuvorIvadoTexture> texture_;
  VideoDisplay* boundDisplay_ = nullptr;  // what the player renders into, as far as we set it
  VideoLevel videoLevels_[4];
  int videoLevel_ = 0;
  int16_t videoWidth_ = 432;
  int16_t videoHeight_ = 768;
  int rotation_ = 1;
  int themeMode_ = 2;
  bool micConfigSent_ = false;
  int audioFrameCount_ = 0;
  int lockDepth_ = 0;
  std::vector<std::shared_ptr<void>> retired_;
  bool shutDown_ = false;

  // The phone's clipboard texts on their way to the PC's (a lock of its own).
  remote_clipboard::Writer clipboard_{clock_};

  std::atomic<bool> stopRequested_{false};
  std::atomic<int64_t> stopGeneration_{0};
  // Written with `lock` held; read without it by the waits of stale workers.
  std::atomic<uint64_t> requestGeneration_{0};
  std::atomic<bool> synced_{false};
  std::atomic<bool> hostKeyboard_{true};
  std::atomic<int64_t> textureId_{-1};
};
