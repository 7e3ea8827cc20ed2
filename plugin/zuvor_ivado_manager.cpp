// The plug-in object's core: construction and teardown, registration with the engine, the
// dispatch of "fernhold/swplay" calls, the session map and the plug-in's detached threads.
#include "plugin/zuvor_ivado_manager.h"

#include <utility>

#include "flutter/engine_method_result.h"
#include "flutter/plugin_registrar_windows.h"
#include "plugin/detached_thread.h"
#include "plugin/plugin_log.h"

namespace {

constexpr char kMethodChannel[] = "fernhold/swplay";
constexpr char kEventChannel[] = "fernhold/swplay/events";
constexpr char kPluginName[] = "fernhold_swplay";

std::atomic<int> g_detached{0};

using flutter::EncodableMap;
using flutter::EncodableValue;

}  // namespace

ZuvorIvadoManager::ZuvorIvadoManager() : ZuvorIvadoManager(Options{}) {}

ZuvorIvadoManager::ZuvorIvadoManager(Options options) : options_(std::move(options)) {}

ZuvorIvadoManager::~ZuvorIvadoManager() {
  // 1. Callbacks become inert; those in flight finish first. No lock is held here, and no
  //    callback waits for this thread.
  gate_->Close();
  // 2. Every session stops; textures are unregistered while the engine still exists. Worker
  //    threads may keep their sessions alive, but reach nothing of this manager any more.
  for (auto& session : Sessions()) session->Shutdown();
  // 3. The channels.
  if (messenger_) {
    messenger_->SetMessageHandler(kMethodChannel, nullptr);
    messenger_->SetMessageHandler(kEventChannel, nullptr);
  }
  // 4. The microphone (its destructor stops it) and the platform-thread waker.
  mic_.reset();
  waker_.reset();
  // 5. The manager's references to the sessions go outside the map mutex (see the lock rules).
  std::map<std::string, std::shared_ptr<ZuvorIvadoInstance>> dropped;
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    savedMicConfig_.clear();
    syncSet_.clear();
    dropped.swap(sessions_);
  }
}

// ----- Registration and dispatch -----

void ZuvorIvadoManager::RegisterWithRegistrar(ZuvorIvadoManager* manager,
                                              flutter::PluginRegistry* registry) {
  if (!manager || !registry) return;
  FlutterDesktopPluginRegistrarRef ref = registry->GetRegistrarForPlugin(kPluginName);
  if (!ref) return;
  auto* registrar =
      flutter::PluginRegistrarManager::GetInstance()->GetRegistrar<flutter::PluginRegistrarWindows>(
          ref);
  manager->Register(registrar->messenger(), registrar->texture_registrar());
}

void ZuvorIvadoManager::Register(flutter::BinaryMessenger* messenger,
                                 flutter::TextureRegistrar* textures) {
  if (!messenger || messenger_) return;
  messenger_ = messenger;
  textureRegistrar_ = textures;
  codec_ = &flutter::StandardMethodCodec::GetInstance();
  events_.Attach(messenger_, codec_);
  platformThread_ = std::this_thread::get_id();
  // Armed by the first message on either channel (ArmWaker).
  waker_ = std::make_unique<PlatformThreadWaker>([this] {
    FlushEvents();
    if (syncVoicePending_.exchange(false)) SyncVoice();
  });
  // The handlers hold a plain back pointer: the destructor removes them before this object goes.
  messenger_->SetMessageHandler(
      kMethodChannel, [this](const uint8_t* message, size_t size, flutter::BinaryReply reply) {
        auto call = codec_->DecodeMethodCall(message, size);
        if (!call) {
          reply(nullptr, 0);
          return;
        }
        HandleMethodCall(*call, std::make_unique<flutter::EngineMethodResult<EncodableValue>>(
                                    std::move(reply), codec_));
      });
  messenger_->SetMessageHandler(
      kEventChannel, [this](const uint8_t* message, size_t size, flutter::BinaryReply reply) {
        HandleEventChannelMessage(message, size, std::move(reply));
      });
}

void ZuvorIvadoManager::HandleMethodCall(const flutter::MethodCall<EncodableValue>& call,
                                         Result result) {
  ArmWaker();
  FlushEvents();
  const auto* map = call.arguments() ? std::get_if<EncodableMap>(call.arguments()) : nullptr;
  const Args args = map ? *map : Args();
  const std::string& method = call.method_name();
  if (method == "initialize") return OnInitialize(args, std::move(result));
  if (method == "connect") return OnConnect(args, std::move(result));
  if (method == "play") return OnPlay(args, std::move(result));
  if (method == "switchPlayMode") return OnSwitchPlayMode(args, std::move(result));
  if (method == "stopPlay") return OnStopPlay(args, std::move(result));
  if (method == "disconnect") return OnDisconnect(args, std::move(result));
  if (method == "syncDevices") return OnSyncDevices(args, std::move(result));
  if (method == "setScreenCast") return OnSetScreenCast(args, std::move(result));
  if (method == "focusWindow") return OnFocusWindow(args, std::move(result));
  if (method == "tileWindows") return OnTileWindows(std::move(result));
  if (method == "setThemeMode") return OnSetThemeMode(args, std::move(result));
  if (method == "setRotation") return OnSetRotation(args, std::move(result));
  if (method == "setVideoQuality") return OnSetVideoQuality(args, std::move(result));
  if (method == "setVoiceEnabled") return OnSetVoiceEnabled(args, std::move(result));
  result->NotImplemented();
}

void ZuvorIvadoManager::ArmWaker() {
  // Until the Dart side's first message nothing can need a wake: events wait for "listen", which
  // flushes them, and sessions, windows and the microphone (the other threads that raise events
  // or ask for a voice check) come from method calls. So the waker's window is made here rather
  // than at registration, off the way to the first frame.
  if (waker_) waker_->Arm();
}

bool ZuvorIvadoManager::OnPlatformThread() const {
  return std::this_thread::get_id() == platformThread_;
}

// ----- Session map -----

std::shared_ptr<ZuvorIvadoInstance> ZuvorIvadoManager::GetOrCreateInstance(
    const ZuvorIvadoConfig& config) {
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    auto it = sessions_.find(config.padCode);
    if (it != sessions_.end()) return it->second;
  }
  SessionServices services;
  services.clock = options_.clock;
  services.windowFactory = options_.windowFactory;
  services.textureRegistrar = textureRegistrar_;
  auto session = std::make_shared<ZuvorIvadoInstance>(config, services);
  InstallEventCallbacks(session->callbacks);
  InstallForwarders(session->callbacks);
  std::shared_ptr<ZuvorIvadoInstance> replaced;  // released outside the map mutex
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    std::shared_ptr<ZuvorIvadoInstance>& entry = sessions_[config.padCode];
    replaced = std::move(entry);
    entry = session;
    if (syncSet_.count(config.padCode)) session->SetSynced(true);
  }
  return session;
}

std::shared_ptr<ZuvorIvadoInstance> ZuvorIvadoManager::FindInstance(const std::string& padCode) {
  std::lock_guard<std::mutex> lock(sessionMutex_);
  auto it = sessions_.find(padCode);
  return it == sessions_.end() ? nullptr : it->second;
}

bool ZuvorIvadoManager::WithSession(const std::string& padCode,
                                    const std::function<void(ZuvorIvadoInstance&)>& call) {
  std::shared_ptr<ZuvorIvadoInstance> session = FindInstance(padCode);
  if (!session) return false;
  call(*session);
  // The reference goes here, outside the map mutex: a session that "disconnect" removed
  // meanwhile is released now (see the lock rules).
  session.reset();
  return true;
}

std::vector<std::shared_ptr<ZuvorIvadoInstance>> ZuvorIvadoManager::Sessions() {
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> sessions;
  std::lock_guard<std::mutex> lock(sessionMutex_);
  for (auto& entry : sessions_) sessions.push_back(entry.second);
  return sessions;
}

// ----- Threads and log -----

bool ZuvorIvadoManager::StartDetached(std::function<void()> body) {
  g_detached.fetch_add(1);
  const bool started = StartDetachedThread([body = std::move(body)] {
    body();
    g_detached.fetch_sub(1);
  });
  if (!started) {
    g_detached.fetch_sub(1);
    Log("cannot start a thread");
  }
  return started;
}

int ZuvorIvadoManager::RunningThreads() { return g_detached.load(); }

void ZuvorIvadoManager::Log(const std::string& text) { PluginLog("[ZuvorIvadoManager] " + text); }
