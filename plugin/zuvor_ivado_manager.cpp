#include "plugin/zuvor_ivado_manager.h"

#include <chrono>
#include <utility>

#include "flutter/engine_method_result.h"
#include "flutter/plugin_registrar_windows.h"
#include "plugin/default_mic_capture.h"
#include "plugin/detached_thread.h"
#include "plugin/method_args.h"
#include "plugin/plugin_log.h"
#include "plugin/window_tiling.h"

namespace {

constexpr char kMethodChannel[] = "fernhold/swplay";
constexpr char kEventChannel[] = "fernhold/swplay/events";
constexpr char kPluginName[] = "fernhold_swplay";

constexpr int kMicConfigAttempts = 40;
constexpr auto kMicConfigRetry = std::chrono::milliseconds(50);

std::atomic<int> g_detached{0};

using flutter::EncodableMap;
using flutter::EncodableValue;
using method_args::GetBool;
using method_args::GetInt;
using method_args::GetString;

ZuvorIvadoConfig ReadConfig(const EncodableMap& args) {
  ZuvorIvadoConfig config;
  config.padCode = GetString(args, "padCode");
  config.name = GetString(args, "name");
  config.serverToken = GetString(args, "serverToken");
  config.uuid = GetString(args, "uuid");
  config.userId = GetInt(args, "userId", 0);
  config.appId = GetString(args, "appId");
  config.carrierType = GetInt(args, "carrierType", 0);
  config.domestic = GetBool(args, "domestic", false);
  return config;
}

void Log(const std::string& text) { PluginLog("[ZuvorIvadoManager] " + text); }

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
  platformThread_ = std::this_thread::get_id();
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
  FlushEvents();
  const auto* map = call.arguments() ? std::get_if<EncodableMap>(call.arguments()) : nullptr;
  const EncodableMap args = map ? *map : EncodableMap();
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

// ----- Events -----

void ZuvorIvadoManager::HandleEventChannelMessage(const uint8_t* message, size_t size,
                                                  flutter::BinaryReply reply) {
  auto call = codec_ ? codec_->DecodeMethodCall(message, size) : nullptr;
  if (!call) {
    reply(nullptr, 0);
    return;
  }
  const std::string& method = call->method_name();
  if (method == "listen") {
    listening_ = true;
    FlushEvents();  // everything raised before the subscription goes out before its answer
  } else if (method == "cancel") {
    listening_ = false;  // the queue is kept until the next "listen"
  } else {
    reply(nullptr, 0);
    return;
  }
  auto envelope = codec_->EncodeSuccessEnvelope();
  reply(envelope->data(), envelope->size());
}

void ZuvorIvadoManager::QueueEvent(const std::string& name, EncodableMap data) {
  if (!messenger_) return;  // not registered: nobody could ever receive it
  {
    std::lock_guard<std::mutex> lock(eventMutex_);
    eventQueue_.push_back(ZuvorIvadoEvent{name, EncodableValue(std::move(data))});
    if (eventObserver_) eventObserver_(eventQueue_.back());
  }
  if (OnPlatformThread()) {
    FlushEvents();
  } else if (waker_) {
    waker_->Wake();
  }
}

void ZuvorIvadoManager::SetEventObserverForTesting(
    std::function<void(const ZuvorIvadoEvent&)> observer) {
  std::lock_guard<std::mutex> lock(eventMutex_);
  eventObserver_ = std::move(observer);
}

void ZuvorIvadoManager::FlushEvents() {
  if (!listening_ || !messenger_ || !codec_) return;
  std::deque<ZuvorIvadoEvent> taken;
  {
    std::lock_guard<std::mutex> lock(eventMutex_);
    taken.swap(eventQueue_);
  }
  for (ZuvorIvadoEvent& event : taken) {
    const EncodableValue wrapped(EncodableMap{{EncodableValue("event"), EncodableValue(event.name)},
                                              {EncodableValue("data"), std::move(event.data)}});
    auto bytes = codec_->EncodeSuccessEnvelope(&wrapped);
    messenger_->Send(kEventChannel, bytes->data(), bytes->size());
  }
}

bool ZuvorIvadoManager::OnPlatformThread() const {
  return std::this_thread::get_id() == platformThread_;
}

// ----- Sessions -----

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
  InstallCallbacks(*session);
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

bool ZuvorIvadoManager::WithSessionLocked(const std::string& padCode,
                                          const std::function<void(ZuvorIvadoInstance&)>& call) {
  std::lock_guard<std::mutex> lock(sessionMutex_);
  auto it = sessions_.find(padCode);
  if (it == sessions_.end()) return false;
  call(*it->second);
  return true;
}

std::vector<std::shared_ptr<ZuvorIvadoInstance>> ZuvorIvadoManager::Sessions() {
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> sessions;
  std::lock_guard<std::mutex> lock(sessionMutex_);
  for (auto& entry : sessions_) sessions.push_back(entry.second);
  return sessions;
}

void ZuvorIvadoManager::InstallCallbacks(ZuvorIvadoInstance& session) {
  // Every callback passes the gate before it touches the manager; once the destructor has closed
  // the gate they do nothing, so the plain back pointer is never used after destruction.
  const std::shared_ptr<CallbackGate> gate = gate_;
  ZuvorIvadoManager* const self = this;
  ZuvorIvadoCallbacks& cb = session.callbacks;

  cb.windowClosed = [gate, self](const std::string& pad) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->QueueEvent("windowClosed", {{EncodableValue("padCode"), EncodableValue(pad)}});
    // The microphone belongs to the platform thread; this runs on the window's thread.
    self->syncVoicePending_ = true;
    if (self->waker_) self->waker_->Wake();
  };
  cb.screenshot = [gate, self](const std::string& pad, const std::string& path) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->QueueEvent("screenshot", {{EncodableValue("padCode"), EncodableValue(pad)},
                                    {EncodableValue("filePath"), EncodableValue(path)}});
  };
  cb.connected = [gate, self](const std::string& pad, int width, int height) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->QueueEvent("connected", {{EncodableValue("padCode"), EncodableValue(pad)},
                                   {EncodableValue("width"), EncodableValue(int32_t(width))},
                                   {EncodableValue("height"), EncodableValue(int32_t(height))}});
    if (self->voiceEnabled_) self->DeliverMicConfig(pad);
  };
  auto codeEvent = [gate, self](const char* name) {
    return [gate, self, name](const std::string& pad, int code) {
      CallbackGate::Pass pass(*gate);
      if (!pass) return;
      self->QueueEvent(name, {{EncodableValue("padCode"), EncodableValue(pad)},
                              {EncodableValue("errcode"), EncodableValue(int32_t(code))}});
    };
  };
  cb.disconnected = codeEvent("disconnected");
  cb.connectFailed = codeEvent("connectFailed");
  cb.connectTimeout = codeEvent("connectTimeout");
  cb.reconnecting = [gate, self](const std::string& pad, int attempt) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->QueueEvent("reconnecting",
                     {{EncodableValue("padCode"), EncodableValue(pad)},
                      {EncodableValue("attempt"), EncodableValue(int32_t(attempt))}});
  };
  cb.touch = [gate, self](const std::string& pad, int action, int count, float fx, float fy,
                          float pressure) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->ForwardToGroup(pad, [&](ZuvorIvadoInstance& s) { s.SendTouch(action, count, fx, fy); });
  };
  cb.key = [gate, self](const std::string& pad, int action, int code) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->ForwardToGroup(pad, [&](ZuvorIvadoInstance& s) { s.SendKey(action, code); });
  };
  cb.text = [gate, self](const std::string& pad, const char* text, int length) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->ForwardToGroup(pad, [&](ZuvorIvadoInstance& s) { s.SendText(text, length); });
  };
  cb.clipboard = [gate, self](const std::string& pad, const char* text, int length) {
    CallbackGate::Pass pass(*gate);
    if (!pass) return;
    self->ForwardToGroup(pad, [&](ZuvorIvadoInstance& s) { s.CopyToRemote(text, length); });
  };
}

void ZuvorIvadoManager::ForwardToGroup(const std::string& origin,
                                       const std::function<void(ZuvorIvadoInstance&)>& send) {
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> targets;
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    for (const std::string& pad : syncSet_) {
      if (pad == origin) continue;
      auto it = sessions_.find(pad);
      if (it != sessions_.end()) targets.push_back(it->second);
    }
  }
  for (auto& target : targets) send(*target);
}

// ----- Session lifecycle methods -----

void ZuvorIvadoManager::OnInitialize(const Args& args, Result result) {
  const ZuvorIvadoConfig config = ReadConfig(args);
  if (config.padCode.empty() || config.serverToken.empty()) {
    result->Error("-1", "Missing required params (padCode, serverToken)");
    return;
  }
  std::shared_ptr<ZuvorIvadoInstance> session = GetOrCreateInstance(config);
  session->SetName(config.name);
  const int code = session->Initialize();
  if (code == 0) {
    result->Success();
  } else {
    result->Error(std::to_string(code), "Failed to initialize");
  }
}

void ZuvorIvadoManager::OnConnect(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const int playType = GetInt(args, "playType", 1);
  if (pad.empty()) {
    result->Error("-1", "Missing required param: padCode");
    return;
  }
  const bool found = WithSessionLocked(pad, [&](ZuvorIvadoInstance& session) {
    const int code = session.Connect(playType);
    if (code == 0) {
      result->Success();
    } else {
      result->Error(std::to_string(code), "Failed to connect");
    }
  });
  if (!found) result->Error("-2", "Instance not found. Call initialize first.");
}

void ZuvorIvadoManager::OnPlay(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const bool found = WithSessionLocked(pad, [&](ZuvorIvadoInstance& session) {
    const int code = session.Play();
    if (code == 0) {
      result->Success();
    } else {
      result->Error(std::to_string(code), "Failed to play");
    }
  });
  if (!found) result->Error("-1", "Instance not found");
}

void ZuvorIvadoManager::OnSwitchPlayMode(const Args& args, Result result) {
  const ZuvorIvadoConfig config = ReadConfig(args);
  const int mode = GetInt(args, "mode", 0);
  const int themeMode = GetInt(args, "themeMode", 2);
  const int rotation = GetInt(args, "rotation", 1);
  const int playType = GetInt(args, "playType", 3);
  if (config.padCode.empty()) {
    result->Error("-1", "Missing required param: padCode");
    return;
  }
  std::shared_ptr<ZuvorIvadoInstance> session = GetOrCreateInstance(config);
  session->SetName(config.name);
  const int code = session->SwitchPlayMode(mode, themeMode, rotation, playType);
  if (code != 0) {
    result->Error(std::to_string(code), "Failed to switch play mode");
    return;
  }
  SyncVoice();
  if (mode == 2) {
    result->Success(EncodableValue(EncodableMap{
        {EncodableValue("textureId"), EncodableValue(int64_t(session->GetTextureId()))}}));
  } else {
    result->Success();
  }
}

void ZuvorIvadoManager::OnStopPlay(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  std::shared_ptr<ZuvorIvadoInstance> session = FindInstance(pad);
  if (session) {
    const int64_t generation = session->NextStopGeneration();
    // The stop may wait for a busy session lock: never on the platform thread.
    StartDetached([session, generation] { session->StopPlay(generation); });
  }
  result->Success();
}

void ZuvorIvadoManager::OnDisconnect(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  std::shared_ptr<ZuvorIvadoInstance> removed;
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    auto it = sessions_.find(pad);
    if (it != sessions_.end()) {
      removed = std::move(it->second);
      sessions_.erase(it);
    }
  }
  // Disconnected outside the map mutex: it releases the session's library objects, and releasing
  // a data source waits for its notification in flight, whose callback may need the map mutex
  // (the microphone configuration delivery of "connected").
  if (removed) removed->Disconnect();
  removed.reset();
  SyncVoice();
  result->Success();
}

// ----- Device, window and theme methods -----

void ZuvorIvadoManager::OnSyncDevices(const Args& args, Result result) {
  const EncodableValue* value = method_args::Find(args, "padCodes");
  const auto* list = value ? std::get_if<flutter::EncodableList>(value) : nullptr;
  if (list) {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    for (auto& entry : sessions_) entry.second->SetSynced(false);
    syncSet_.clear();
    for (const EncodableValue& element : *list) {
      const auto* pad = std::get_if<std::string>(&element);
      if (!pad) continue;
      syncSet_.insert(*pad);
      auto it = sessions_.find(*pad);
      if (it != sessions_.end()) it->second->SetSynced(true);
    }
  }
  result->Success();
}

void ZuvorIvadoManager::OnSetScreenCast(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const int playType = GetInt(args, "playType", 1);
  WithSessionLocked(pad, [&](ZuvorIvadoInstance& session) { session.SetScreenCast(playType); });
  result->Success();
}

void ZuvorIvadoManager::OnFocusWindow(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  if (pad.empty()) {
    result->Error("-1", "Missing required param: padCode");
    return;
  }
  WithSessionLocked(pad, [&](ZuvorIvadoInstance& session) { session.FocusWindow(); });
  result->Success();
}

void ZuvorIvadoManager::OnTileWindows(Result result) {
  std::vector<TileEntry> entries;
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> owners;
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    for (auto& item : sessions_) {
      ZuvorIvadoInstance& session = *item.second;
      TileEntry entry;
      if (!session.GetWindowRect(&entry.window)) continue;
      if (!session.GetTileSize(&entry.tileWidth, &entry.tileHeight)) {
        entry.tileWidth = entry.window.right - entry.window.left;
        entry.tileHeight = entry.window.bottom - entry.window.top;
      }
      int left = 0, top = 0, right = 0, bottom = 0;
      if (session.GetFrameInsets(&left, &top, &right, &bottom)) {
        entry.insets = RECT{left, top, right, bottom};
      }
      entry.tag = static_cast<int>(owners.size());
      owners.push_back(item.second);
      entries.push_back(entry);
    }
  }
  if (!entries.empty()) {
    SortForTiling(entries);
    RECT workArea{0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const std::vector<POINT> cells = ComputeTiles(entries, workArea);
    for (size_t i = 0; i < entries.size(); ++i) {
      owners[entries[i].tag]->MoveWindowTo(cells[i].x, cells[i].y);
    }
  }
  result->Success();
}

void ZuvorIvadoManager::OnSetThemeMode(const Args& args, Result result) {
  const int themeMode = GetInt(args, "themeMode", 2);
  for (auto& session : Sessions()) session->SetThemeMode(themeMode);
  result->Success();
}

void ZuvorIvadoManager::OnSetRotation(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const int rotation = GetInt(args, "rotation", 1);
  WithSessionLocked(pad, [&](ZuvorIvadoInstance& session) { session.SetRotation(rotation); });
  result->Success();
}

void ZuvorIvadoManager::OnSetVideoQuality(const Args& args, Result result) {
  const std::string pad = GetString(args, "padCode");
  const int level = GetInt(args, "level", 0);
  WithSessionLocked(pad, [&](ZuvorIvadoInstance& session) { session.SetVideoQuality(level); });
  result->Success();
}

// ----- Voice -----

void ZuvorIvadoManager::OnSetVoiceEnabled(const Args& args, Result result) {
  const bool enabled = GetBool(args, "enabled", false);
  voiceEnabled_ = enabled;
  if (enabled && !mic_) {
    const std::shared_ptr<CallbackGate> gate = gate_;
    ZuvorIvadoManager* const self = this;
    auto onFrame = [gate, self](const uint8_t* config, int configLength, const uint8_t* frame,
                                int frameLength) {
      CallbackGate::Pass pass(*gate);
      if (pass) self->DispatchMicFrames(config, configLength, frame, frameLength);
    };
    auto onFailure = [gate, self] {
      CallbackGate::Pass pass(*gate);
      if (pass) self->OnMicFailure();
    };
    mic_ = options_.micFactory ? options_.micFactory(std::move(onFrame), std::move(onFailure))
                               : MakeDefaultMicCapture(std::move(onFrame), std::move(onFailure));
  }
  if (SyncVoice()) {
    result->Success();
  } else {
    voiceEnabled_ = false;
    result->Error("-1", "Mic capture failed to start");
  }
}

bool ZuvorIvadoManager::SyncVoice() {
  if (!mic_) return true;
  bool anyWindow = false;
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    for (auto& entry : sessions_) {
      if (entry.second->HasWindow()) {
        anyWindow = true;
        break;
      }
    }
  }
  if (!voiceEnabled_ || !anyWindow) {
    if (mic_->IsRunning()) mic_->Stop();
    return true;
  }
  if (mic_->IsRunning() || mic_->Start()) return true;
  voiceEnabled_ = false;
  QueueEvent("voiceStopped", EncodableMap());
  return false;
}

void ZuvorIvadoManager::OnMicFailure() {
  voiceEnabled_ = false;
  QueueEvent("voiceStopped", EncodableMap());
}

void ZuvorIvadoManager::DispatchMicFrames(const uint8_t* config, int configLength,
                                          const uint8_t* frame, int frameLength) {
  const bool hasConfig = config && configLength > 0;
  const bool hasFrame = frame && frameLength > 0;
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> targets;
  {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    if (hasConfig) savedMicConfig_.assign(config, config + configLength);
    for (auto& entry : sessions_) targets.push_back(entry.second);
  }
  for (auto& session : targets) {
    if (hasConfig && !session->SendAudio(0, config, configLength)) {
      DeliverMicConfig(session->padCode());
    }
    if (hasFrame) {
      const int count = ++micDeliveries_;
      if (count == 1 || count % 100 == 0) {
        Log("mic frames dispatched: " + std::to_string(count) +
            " (targets=" + std::to_string(targets.size()) + ")");
      }
      session->SendAudio(1, frame, frameLength);
    }
  }
}

void ZuvorIvadoManager::DeliverMicConfig(const std::string& padCode) {
  // The "connected" callback calls this, sometimes with its session's lock held; the platform
  // thread takes the session map before a session's lock. So nothing here waits for the map on
  // the calling thread: even the copy of the saved configuration is made on the delivery thread.
  const std::shared_ptr<CallbackGate> gate = gate_;
  const std::shared_ptr<SessionClock> clock =
      options_.clock ? options_.clock : SessionClock::MakeRealTime();
  ZuvorIvadoManager* const self = this;
  StartDetached([gate, clock, self, padCode] {
    std::vector<uint8_t> config;
    {
      CallbackGate::Pass pass(*gate);
      if (!pass) return;
      std::lock_guard<std::mutex> lock(self->sessionMutex_);
      config = self->savedMicConfig_;
    }
    if (config.empty()) return;
    for (int attempt = 0; attempt < kMicConfigAttempts; ++attempt) {
      {
        // One try at a time inside the gate: the manager may go between tries.
        CallbackGate::Pass pass(*gate);
        if (!pass) return;
        std::lock_guard<std::mutex> lock(self->sessionMutex_);
        auto it = self->sessions_.find(padCode);
        if (it == self->sessions_.end()) return;
        if (it->second->SendAudio(0, config.data(), static_cast<int>(config.size()))) return;
      }
      if (attempt + 1 < kMicConfigAttempts) {
        clock->Wait(WaitKind::kConfigRetry, kMicConfigRetry, [] { return false; });
      }
    }
    Log("mic cfg delivery TIMEOUT: " + padCode);
  });
}

// ----- Threads -----

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
