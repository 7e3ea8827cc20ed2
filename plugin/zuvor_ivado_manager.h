// ZuvorIvadoManager: the cloud-phone plug-in object.
//
// The host's top-level window makes one in FlutterWindow::OnCreate and registers it with the
// engine. It answers the method channel "fernhold/swplay" (initialize, connect, play,
// switchPlayMode, stopPlay, disconnect, syncDevices, setScreenCast, focusWindow, tileWindows,
// setThemeMode, setRotation, setVideoQuality, setVoiceEnabled), owns the sessions keyed by pad
// code, the sync group and the microphone capture, and feeds the event channel
// "fernhold/swplay/events".
//
//   auto plugin = std::make_unique<ZuvorIvadoManager>();
//   ZuvorIvadoManager::RegisterWithRegistrar(plugin.get(), engine);  // engine: a PluginRegistry
//   ...
//   plugin.reset();  // before the view controller that owns the engine
//
// Events: raised on any thread (library threads, session workers, the capture thread), queued in
// order, and sent only on the platform thread while the Dart side listens; events raised while
// nobody listens wait in the queue. An event raised on another thread reaches the platform thread
// through a message-only window the manager creates there at registration: one posted message
// (never more than one pending) makes the platform thread's message loop flush the queue. The
// engine's own message delivery is not needed for this, and the flush never runs nested inside a
// send.
//
// Shutdown: the destructor first closes the gate that every session callback passes, waiting for
// callbacks in flight, so later callbacks (from worker threads that still hold a session) do
// nothing; then it shuts every session down (stops requested, textures unregistered while the
// engine still exists), removes both channel handlers and stops the microphone.
//
// Thread-safety: construct, register, call the handlers and destroy on the engine's platform
// thread. QueueEvent, DispatchMicFrames and DeliverMicConfig may be called from any thread.
// Lock order: the session-map mutex before a session's lock; the event-queue mutex is never held
// together with either. Nothing waits for a session's lock with the session-map mutex held: a
// busy session (a slow library call) would stall everything else that needs the map (other
// methods, input forwarding, microphone frames). No session is disconnected or destroyed while
// the session-map mutex is held: that releases library objects, which wait for their
// notifications in flight, whose callbacks may take the session-map mutex.
//
// The class is spread over one file per idea: zuvor_ivado_manager.cpp (registration, dispatch,
// the session map, detached threads), _sessions.cpp (the session lifecycle methods),
// _windows.cpp (window and display methods, tiling), _sync.cpp (the sync group and its
// forwarders), _events.cpp (the event channel and the events sessions raise), _voice.cpp (the
// microphone and its configuration).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/method_call.h"
#include "flutter/method_result.h"
#include "flutter/plugin_registry.h"
#include "flutter/standard_method_codec.h"
#include "flutter/texture_registrar.h"
#include "plugin/callback_gate.h"
#include "plugin/event_queue.h"
#include "plugin/mic_capture.h"
#include "plugin/phone_window_port.h"
#include "plugin/platform_thread_waker.h"
#include "plugin/session_clock.h"
#include "plugin/zuvor_ivado_config.h"
#include "plugin/zuvor_ivado_event.h"
#include "plugin/zuvor_ivado_instance.h"

class ZuvorIvadoManager {
 public:
  using MicFactory = std::function<std::unique_ptr<MicCapture>(MicCapture::FrameCallback,
                                                               MicCapture::FailureCallback)>;

  // What the manager hands to its sessions and uses itself; the defaults are the production ones.
  struct Options {
    std::shared_ptr<SessionClock> clock;          // null: real time
    PhoneWindowFactory* windowFactory = nullptr;  // null: no pop-out windows
    MicFactory micFactory;                        // empty: the PC's default microphone
  };

  ZuvorIvadoManager();
  explicit ZuvorIvadoManager(Options options);
  // See "Shutdown" above.
  ~ZuvorIvadoManager();
  ZuvorIvadoManager(const ZuvorIvadoManager&) = delete;
  ZuvorIvadoManager& operator=(const ZuvorIvadoManager&) = delete;

  // Installs the channel handlers on the engine behind `registry`, through the registrar of the
  // plug-in "fernhold_swplay". A null manager or registry does nothing.
  static void RegisterWithRegistrar(ZuvorIvadoManager* manager, flutter::PluginRegistry* registry);

  // The same with the engine's parts given directly (hosts that hold them, and tests). Both are
  // kept, not owned; `textures` may be null (textures then get id -1). Call once.
  void Register(flutter::BinaryMessenger* messenger, flutter::TextureRegistrar* textures);

  // Answers one decoded call of "fernhold/swplay" (flushing queued events first); replies once.
  void HandleMethodCall(const flutter::MethodCall<flutter::EncodableValue>& call,
                        std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result);

  // Raw handler of "fernhold/swplay/events": "listen" and "cancel".
  void HandleEventChannelMessage(const uint8_t* message, size_t size, flutter::BinaryReply reply);

  // Appends an event; sends it at once on the platform thread, else soon there. Dropped before
  // registration. Any thread.
  void QueueEvent(const std::string& name, flutter::EncodableMap data);
  // Sends what is queued while the Dart side listens. Platform thread.
  void FlushEvents();

  // The session of `config.padCode`, made (with the plug-in's callbacks) when there is none.
  std::shared_ptr<ZuvorIvadoInstance> GetOrCreateInstance(const ZuvorIvadoConfig& config);
  // The session of `padCode`, or null.
  std::shared_ptr<ZuvorIvadoInstance> FindInstance(const std::string& padCode);

  // Runs the microphone exactly while voice is enabled and a pop-out window is open. False when
  // it should run but cannot start (voice is then switched off and "voiceStopped" queued).
  bool SyncVoice();
  // Capture thread: hands a configuration or a frame to every session.
  void DispatchMicFrames(const uint8_t* config, int configLength, const uint8_t* frame,
                         int frameLength);
  // Delivers the saved microphone configuration to `padCode` on a thread of its own, as soon as
  // the session is free, while voice is on and the session is in the map. Never waits for a lock
  // on the calling thread, which may hold a session's lock.
  void DeliverMicConfig(const std::string& padCode);

  // Detached threads of all managers still running (configuration delivery, stops).
  static int RunningThreads();
  // Tests: sees every event as it is queued, in queue order, on the raising thread (under the
  // event-queue mutex: it must not call back into the manager).
  void SetEventObserverForTesting(std::function<void(const ZuvorIvadoEvent&)> observer);
  // Tests: holds the session-map mutex until the returned lock goes.
  std::unique_lock<std::mutex> LockSessionMapForTesting() {
    return std::unique_lock<std::mutex>(sessionMutex_);
  }

 private:
  using Result = std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>>;
  using Args = flutter::EncodableMap;

  // Method handlers (platform thread); each replies exactly once.
  void OnInitialize(const Args& args, Result result);
  void OnConnect(const Args& args, Result result);
  void OnPlay(const Args& args, Result result);
  void OnSwitchPlayMode(const Args& args, Result result);
  void OnStopPlay(const Args& args, Result result);
  void OnDisconnect(const Args& args, Result result);
  void OnSyncDevices(const Args& args, Result result);
  void OnSetScreenCast(const Args& args, Result result);
  void OnFocusWindow(const Args& args, Result result);
  void OnTileWindows(Result result);
  void OnSetThemeMode(const Args& args, Result result);
  void OnSetRotation(const Args& args, Result result);
  void OnSetVideoQuality(const Args& args, Result result);
  void OnSetVoiceEnabled(const Args& args, Result result);

  // Calls `call` on the session of `padCode`, after letting go of the session-map mutex (the
  // session may be busy); false when there is none. Platform thread.
  bool WithSession(const std::string& padCode,
                   const std::function<void(ZuvorIvadoInstance&)>& call);
  // References to every session, taken under the session-map mutex; the caller drops them
  // without it.
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> Sessions();

  // Session callbacks bound to this manager through the gate: the events a session raises, and
  // the forwarders of its window input to the sync group.
  void InstallEventCallbacks(ZuvorIvadoCallbacks& callbacks);
  void InstallForwarders(ZuvorIvadoCallbacks& callbacks);
  // Calls `send` on every other session of the sync group, after letting go of the map mutex.
  void ForwardToGroup(const std::string& origin,
                      const std::function<void(ZuvorIvadoInstance&)>& send);
  void OnMicFailure();
  // Makes the waker's window at the Dart side's first message (platform thread).
  void ArmWaker();
  bool OnPlatformThread() const;
  // Starts a detached thread; false (logged) when none could start.
  static bool StartDetached(std::function<void()> body);
  // One "[ZuvorIvadoManager] " line of the plug-in's log.
  static void Log(const std::string& text);

  // Shared with the callbacks handed to sessions and the capture, so they never reach a
  // destroyed manager.
  const std::shared_ptr<CallbackGate> gate_ = std::make_shared<CallbackGate>();
  const Options options_;

  std::mutex sessionMutex_;  // guards the session map, the sync set and the saved configuration
  EventQueue events_;        // its own mutex is never held together with sessionMutex_
  flutter::TextureRegistrar* textureRegistrar_ = nullptr;  // not owned
  flutter::BinaryMessenger* messenger_ = nullptr;          // not owned; null before registration
  const flutter::StandardMethodCodec* codec_ = nullptr;
  std::thread::id platformThread_;
  std::map<std::string, std::shared_ptr<ZuvorIvadoInstance>> sessions_;
  std::set<std::string> syncSet_;
  std::unique_ptr<MicCapture> mic_;
  std::vector<uint8_t> savedMicConfig_;
  std::atomic<bool> voiceEnabled_{false};
  std::atomic<int> micDeliveries_{0};
  // A voice check asked for off the platform thread (a window closed), to run there.
  std::atomic<bool> syncVoicePending_{false};

  // Brings flushes of events raised on other threads to the platform thread. Last member: it is
  // destroyed first, so no flush runs on a half-destroyed manager.
  std::unique_ptr<PlatformThreadWaker> waker_;
};
