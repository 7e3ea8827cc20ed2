// Test doubles and helpers for the cloud-phone plug-in: the engine's messenger and texture
// registrar, a clock the test drives, pop-out windows, and a platform-thread message pump.
//
// The test's own thread plays the engine's platform thread: it registers the manager, calls the
// channel handlers and pumps messages while it waits.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/standard_method_codec.h"
#include "flutter/texture_registrar.h"
#include "plugin/phone_window_port.h"
#include "plugin/session_clock.h"
#include "plugin/zuvor_ivado_manager.h"
#include "swplay/swplay.h"
#include "swplay/swplay_sim.h"
#include "tests/plugin/driven_clock.h"
#include "tests/plugin/session_test_peer.h"

namespace plugintest {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;

// A token no other test process uses, with a script for the simulated phone.
std::string Token(const std::string& script);

// Pumps the calling thread's messages until `done` holds or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));
// Pumps what is posted to the calling thread now, without waiting.
void PumpPending();
// Pumps until no session worker and no detached thread of the plug-in runs any more.
bool WaitForPluginThreads(std::chrono::milliseconds timeout = std::chrono::seconds(30));

// One answer of a method call.
struct Reply {
  enum class Kind { kNone, kSuccess, kError, kNotImplemented, kEmpty } kind = Kind::kNone;
  EncodableValue value;  // success value
  std::string code, message;
  bool hasDetails = false;
};

struct SentEvent {
  std::string name;
  EncodableValue data;
  std::thread::id thread;
};

// The engine's messenger: handlers by channel, sends recorded.
class FakeMessenger : public flutter::BinaryMessenger {
 public:
  void Send(const std::string& channel, const uint8_t* message, size_t size,
            flutter::BinaryReply reply) const override;
  void SetMessageHandler(const std::string& channel,
                         flutter::BinaryMessageHandler handler) override;

  bool HasHandler(const std::string& channel) const;
  // Runs on the thread that removes a channel's handler (the manager's destructor), after it.
  std::function<void(const std::string& channel)> onHandlerRemoved;
  // Delivers raw bytes to the channel's handler and returns the raw reply (empty when none).
  std::vector<uint8_t> Deliver(const std::string& channel, const std::vector<uint8_t>& bytes,
                               bool* replied = nullptr);
  // Encodes and delivers a method call; decodes the answer.
  Reply Call(const std::string& channel, const std::string& method,
             const EncodableValue& arguments = EncodableValue());
  Reply CallSwplay(const std::string& method, const EncodableValue& arguments = EncodableValue()) {
    return Call("fernhold/swplay", method, arguments);
  }
  Reply Listen() { return Call("fernhold/swplay/events", "listen"); }
  Reply Cancel() { return Call("fernhold/swplay/events", "cancel"); }

  // Events sent so far on "fernhold/swplay/events", decoded.
  std::vector<SentEvent> Events() const;
  size_t EventCount() const;
  // Channels of everything sent and replied, in order ("reply:<channel>" for replies).
  std::vector<std::string> Timeline() const;
  // Names of events for `padCode` (or all, when empty), in order.
  std::vector<std::string> EventNames(const std::string& padCode = std::string()) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, flutter::BinaryMessageHandler> handlers_;
  mutable std::vector<std::pair<std::string, std::vector<uint8_t>>> sent_;
  mutable std::vector<std::thread::id> sentThreads_;
};

// The engine's texture registrar. Fetch plays the raster thread.
class FakeTextureRegistrar : public flutter::TextureRegistrar {
 public:
  int64_t RegisterTexture(flutter::TextureVariant* texture) override;
  bool MarkTextureFrameAvailable(int64_t id) override;
  void UnregisterTexture(int64_t id, std::function<void()> callback) override;
  bool UnregisterTexture(int64_t id) override;

  // Copies the texture's current frame like the engine does; false when it gave none.
  struct Frame {
    std::vector<uint8_t> pixels;
    size_t width = 0, height = 0;
  };
  bool Fetch(int64_t id, Frame* frame, bool release = true);
  // Releases a buffer a Fetch kept; the bytes of that buffer as they are now.
  void ReleaseHeld();
  std::vector<uint8_t> HeldBytesNow() const;

  int marks(int64_t id) const;
  bool registered(int64_t id) const;
  int unregistrations() const;
  // Textures registered and not yet unregistered.
  size_t registeredCount() const;
  // Makes the next registration fail (-1).
  void RefuseNext() { refuseNext_ = true; }

 private:
  mutable std::mutex mutex_;
  std::map<int64_t, flutter::TextureVariant*> textures_;
  std::map<int64_t, int> marks_;
  int64_t nextId_ = 1;
  int unregistrations_ = 0;
  bool refuseNext_ = false;
  const FlutterDesktopPixelBuffer* held_ = nullptr;
};

// A display standing in for a pop-out window's video control.
class CountingDisplay : public VideoDisplayWinBase {
 public:
  void onFrameReady() override { frames_.fetch_add(1); }
  int frames() const { return frames_.load(); }

 private:
  std::atomic<int> frames_{0};
};

// A pop-out window: a real hidden native window (for handles and rectangles) owned by the test
// thread, with a video display and the callbacks the session gave.
class FakePhoneWindow : public PhoneWindow {
 public:
  FakePhoneWindow(int themeMode, std::string title, PhoneWindowCallbacks callbacks);
  ~FakePhoneWindow() override;

  HWND GetHandle() const override { return handle_; }
  VideoDisplay* GetVideoDisplay() override { return display_.get(); }
  void ApplyRotation(int rotation) override { appliedRotation = rotation; }
  void PostRotation(int rotation) override { postedRotation = rotation; }
  void SetPinned(bool pinned) override { pinned_ = pinned; }
  bool IsPinned() const override { return pinned_; }
  bool GetTileSize(int* width, int* height) override;
  bool GetFrameInsets(int* left, int* top, int* right, int* bottom) override;
  void Close() override { closeRequested = true; }

  // The user closes the window: the close callback runs on a thread of its own (the window's),
  // then the display goes, as a real window's video control does.
  void UserClose();
  // Runs a callback slot on a thread of its own, as the window thread would.
  void OnWindowThread(const std::function<void(PhoneWindowCallbacks&)>& call);

  const int themeMode;
  const std::string title;
  PhoneWindowCallbacks callbacks;
  std::atomic<bool> closeRequested{false};
  std::atomic<int> postedRotation{0};
  std::atomic<int> appliedRotation{0};
  int tileWidth = 400, tileHeight = 700;
  RECT insets{7, 0, 7, 0};
  bool hasTileSize = true;
  // Runs inside GetTileSize, on the caller's thread (tiling asks with the session map held).
  std::function<void()> onTileSize;

 private:
  HWND handle_ = nullptr;
  std::unique_ptr<CountingDisplay> display_;
  std::atomic<bool> pinned_{false};
};

class FakeWindowFactory : public PhoneWindowFactory {
 public:
  PhoneWindow* OpenPhoneWindow(int themeMode, const std::string& titleUtf8,
                               PhoneWindowCallbacks callbacks) override;
  std::vector<FakePhoneWindow*> windows() const;
  FakePhoneWindow* last() const;
  int opened() const;
  // Makes the next window fail to open (null).
  void RefuseNext() { refuseNext_ = true; }

 private:
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<FakePhoneWindow>> windows_;
  std::atomic<bool> refuseNext_{false};
};

// Holds a session's lock on a thread of its own, as a slow library call would, until `releaseWhen`
// holds (checked every millisecond) or a long deadline passes.
class SessionLockHolder {
 public:
  // Returns once the lock is held.
  SessionLockHolder(ZuvorIvadoInstance& session, std::function<bool()> releaseWhen);
  // Waits until the lock was let go.
  ~SessionLockHolder();
  // False when the deadline ended the hold (something waited for the lock meanwhile).
  bool ReleasedInTime();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool held_ = false;
  bool inTime_ = false;
  std::thread thread_;
};

// A microphone that starts when told to and delivers what the test gives it.
class FakeMic : public MicCapture {
 public:
  FakeMic(MicCapture::FrameCallback onFrame, MicCapture::FailureCallback onFailure)
      : onFrame(std::move(onFrame)), onFailure(std::move(onFailure)) {}
  bool Start() override {
    ++starts;
    running = canStart;
    return running;
  }
  void Stop() override {
    ++stops;
    running = false;
  }
  bool IsRunning() const override { return running; }

  MicCapture::FrameCallback onFrame;
  MicCapture::FailureCallback onFailure;
  bool canStart = true;
  std::atomic<bool> running{false};
  int starts = 0, stops = 0;
};

// What the sessions of a rig wait on: `clock`, which the test drives (at the end of the test time
// runs freely), or real time (the production clock; `clock` is then not used).
enum class RigTime { kDriven, kReal };

// A registered manager with its fakes, on the test thread.
struct PluginRig {
  explicit PluginRig(bool withRegistrar = true, RigTime time = RigTime::kDriven);
  ~PluginRig();

  // "initialize" of `pad` with `token`; its reply.
  Reply Initialize(const std::string& pad, const std::string& token);
  // "switchPlayMode" of `pad` to `mode`, with `token` as the server token unless it is empty.
  Reply SwitchPlayMode(const std::string& pad, int mode, const std::string& token = std::string());
  // Waits (pumping) until `count` events named `name` arrived for `pad`.
  bool WaitEvents(const std::string& pad, const std::string& name, size_t count = 1,
                  std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // Waits (pumping) until `count` waits of `kind` are pending on the clock, then moves the clock
  // on by `step`; false when they never came.
  bool Expire(WaitKind kind, std::chrono::milliseconds step, int count = 1);

  FakeMessenger messenger;
  FakeTextureRegistrar textures;
  std::shared_ptr<DrivenClock> clock;
  FakeWindowFactory windows;
  FakeMic* mic = nullptr;  // owned by the manager once voice was enabled
  bool micCanStart = true;
  std::unique_ptr<ZuvorIvadoManager> manager;
};

// Delivers the events queued so far: every method call flushes the queue first.
void FlushEvents(PluginRig& rig);

// Lines of a token's log with object prefixes and notifications removed.
std::vector<std::string> SdkCalls(const std::string& token);
size_t CountCalls(const std::vector<std::string>& calls, const std::string& prefix);

// A method call's argument map: Args({{"padCode", EncodableValue("p1")}, ...}).
EncodableValue Args(std::initializer_list<std::pair<const char*, EncodableValue>> items);
// The "textureId" of a successful "switchPlayMode" to mode 2.
int64_t TextureIdOf(const Reply& reply);

// "switchPlayMode" to a pop-out window for `pad` (made with `token`), waiting for "connected";
// the window it opened.
FakePhoneWindow* OpenWindow(PluginRig& rig, const std::string& pad, const std::string& token);
// Listens, initialises `pad` with `token` and connects it (no display), waiting for "connected".
std::shared_ptr<ZuvorIvadoInstance> ConnectedSession(PluginRig& rig, const std::string& pad,
                                                     const std::string& token);

// The plug-in's log lines, collected for the life of the object (from any thread).
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> Lines() const;
  // Lines that start with `prefix`, in order.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
  size_t Count(const std::string& line) const;

 private:
  std::function<void(const std::string&)> previous_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace plugintest
