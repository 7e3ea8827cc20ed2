// Engine: one engine instance behind the C interface: the platform task runner, the messenger's
// routing between host handlers and the scripted Dart side, the plug-in registrars, the texture
// registry with its raster thread, the frame bookkeeping and the view it draws into.
//
// Thread affinity: the platform thread is the thread that constructs the engine; construct, run,
// destroy and use it there, except for the calls marked "any thread".
//
// Message routing:
//   Dart -> host: the isolate's message is posted to the platform task runner; the task calls the
//   channel's host callback (or answers empty when there is none) with a response handle. The
//   handle is an id, answered exactly once (SendResponse, any thread) back to the isolate; when
//   the callback throws before answering, the engine answers empty for it.
//   host -> Dart: queued straight into the isolate; its answer is posted to the platform thread
//   and handed to the reply callback there. Answers still owed at shutdown are given as empty.
#ifndef FLUTTER_ENGINE_ENGINE_H_
#define FLUTTER_ENGINE_ENGINE_H_

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "flutter/engine/dart_isolate.h"
#include "flutter/engine/engine_options.h"
#include "flutter/engine/platform_task_runner.h"
#include "flutter/engine/texture_registry.h"
#include <flutter_windows.h>

namespace flutter {
namespace engine {
class Engine;
}  // namespace engine
}  // namespace flutter

// The C handles' objects. Messenger and texture registrar outlive their engine (see engine.cc).
struct FlutterDesktopMessenger {
  std::atomic<int> references{1};
  std::recursive_mutex mutex;             // Held by Lock/Unlock and by every call into the engine.
  flutter::engine::Engine* engine = nullptr;  // Null once the engine has shut down.
};

// Drops one reference; the last one frees the messenger.
inline void ReleaseMessenger(FlutterDesktopMessenger* messenger) {
  if (messenger && messenger->references.fetch_sub(1) == 1) delete messenger;
}

struct FlutterDesktopTextureRegistrar {
  std::mutex mutex;
  std::shared_ptr<flutter::engine::TextureRegistry> registry;  // Null once the engine is gone.
};

struct FlutterDesktopPluginRegistrar {
  flutter::engine::Engine* engine = nullptr;  // Not owned; the engine owns the registrar.
  std::string name;
  FlutterDesktopOnPluginRegistrarDestroyed destruction_handler = nullptr;
};

namespace flutter {
namespace engine {

class ViewWindow;

class Engine : public DartIsolate::Host {
 public:
  Engine(const FlutterDesktopEngineProperties& properties, EngineOptions options);
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Whether the engine could set itself up (its platform task window exists).
  bool valid() const { return runner_->valid(); }

  const EngineOptions& options() const { return options_; }

  // Starts the scripted Dart side. False when already running or the assets folder is missing.
  bool Run(const char* entry_point);
  bool running() const { return isolate_ != nullptr; }

  // Runs pending platform-thread work.
  void ProcessMessages() { runner_->RunPendingTasks(); }

  void ReloadSystemFonts();

  FlutterDesktopPluginRegistrarRef GetRegistrar(const char* plugin_name);
  FlutterDesktopMessengerRef messenger() const { return messenger_; }
  FlutterDesktopTextureRegistrarRef texture_registrar() const { return texture_handle_; }
  TextureRegistry* texture_registry() const { return textures_.get(); }

  void SetNextFrameCallback(VoidCallback callback, void* user_data);

  // The view the engine draws into; set by its view controller (null when headless).
  void SetView(ViewWindow* view);
  ViewWindow* view() const { return view_; }

  // Asks the raster thread for a frame (ForceRedraw, view resize).
  void RequestFrame();

  bool HandleTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                LRESULT* result);
  // Top-level window delegates are kept per registrar: plug-ins share one callback function
  // (the client wrapper's) and tell their delegates apart by |user_data| and |registrar|. A
  // registrar has at most one entry per callback; adding again replaces its user data.
  void AddWindowProcDelegate(FlutterDesktopPluginRegistrarRef registrar,
                             FlutterDesktopWindowProcCallback delegate, void* user_data);
  void RemoveWindowProcDelegate(FlutterDesktopPluginRegistrarRef registrar,
                                FlutterDesktopWindowProcCallback delegate);

  // ----- Messenger (called with the messenger's mutex held) -----
  bool Send(const char* channel, const uint8_t* message, size_t message_size,
            FlutterDesktopBinaryReply reply, void* user_data);
  // Any thread.
  void SendResponse(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data,
                    size_t data_length);
  void SetCallback(const char* channel, FlutterDesktopMessageCallback callback, void* user_data);

  // ----- DartIsolate::Host (isolate thread) -----
  void SendPlatformMessage(const std::string& channel, std::vector<uint8_t> message,
                           uint64_t reply_id) override;
  void RespondToHost(uint64_t host_reply_id, std::vector<uint8_t> response) override;
  void RequestClose() override;

 private:
  struct Handler {
    FlutterDesktopMessageCallback callback = nullptr;
    void* user_data = nullptr;
  };
  struct PendingReply {
    FlutterDesktopBinaryReply callback = nullptr;
    void* user_data = nullptr;
  };
  struct WindowProcDelegate {
    FlutterDesktopPluginRegistrarRef registrar = nullptr;
    FlutterDesktopWindowProcCallback callback = nullptr;
    void* user_data = nullptr;
  };

  std::vector<WindowProcDelegate>::iterator FindWindowProcDelegate(
      FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate);

  // Platform thread: hands one Dart message to its host callback.
  void DispatchToHost(const std::string& channel, const std::vector<uint8_t>& message,
                      uint64_t dart_reply_id);
  // Removes an open response; its Dart reply id, or nullopt when it was answered or is unknown.
  std::optional<uint64_t> TakeOpenResponse(uint64_t response_id);
  // Answers the Dart side's message with an empty response unless it has been answered.
  void SendEmptyResponseIfOpen(uint64_t response_id);
  // Platform thread: hands the Dart answer to the host's reply callback.
  void DeliverReplyToHost(uint64_t host_reply_id, const std::vector<uint8_t>& response);
  // Raster thread: a frame was produced.
  void OnRasterFrame();
  // Platform thread: repaints and runs the next-frame callback.
  void OnFrameProduced();

  // Cleared first by the destructor, so that code running a host callback that may destroy the
  // engine (a message handler that then throws, a window-procedure delegate) can tell afterwards.
  const std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

  const EngineOptions options_;
  std::wstring assets_path_;
  std::wstring icu_data_path_;
  std::wstring aot_library_path_;
  std::string entrypoint_;
  std::vector<std::string> arguments_;

  std::unique_ptr<PlatformTaskRunner> runner_;
  FlutterDesktopMessengerRef messenger_ = nullptr;  // One reference held.
  FlutterDesktopTextureRegistrar* texture_handle_ = nullptr;  // Process lifetime; see engine.cc.
  std::shared_ptr<TextureRegistry> textures_;
  std::map<std::string, std::unique_ptr<FlutterDesktopPluginRegistrar>> registrars_;

  std::mutex handlers_mutex_;
  std::map<std::string, Handler> handlers_;  // Guarded by |handlers_mutex_|.

  std::mutex responses_mutex_;
  uint64_t next_response_id_ = 1;                  // Guarded by |responses_mutex_|.
  std::map<uint64_t, uint64_t> open_responses_;    // response id -> Dart reply id; same guard.

  std::mutex replies_mutex_;
  uint64_t next_host_reply_id_ = 1;                // Guarded by |replies_mutex_|.
  std::map<uint64_t, PendingReply> host_replies_;  // Guarded by |replies_mutex_|.

  std::mutex warned_mutex_;
  std::set<std::string> warned_channels_;  // Off-thread sends already reported.

  std::vector<WindowProcDelegate> window_proc_delegates_;  // Platform thread only.

  ViewWindow* view_ = nullptr;  // Not owned; its view controller destroys it.
  VoidCallback next_frame_callback_ = nullptr;
  void* next_frame_user_data_ = nullptr;
  std::atomic<bool> frame_task_posted_{false};

  // Last: stopped first, while everything it calls into still exists. Set by Run under the
  // messenger's lock, since sends from other threads read it under that lock.
  std::unique_ptr<DartIsolate> isolate_;
};

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_ENGINE_H_
