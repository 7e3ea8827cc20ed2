// The session lifecycle methods of "fernhold/swplay": "initialize", "connect", "play",
// "switchPlayMode", "stopPlay" and "disconnect".
#include <utility>

#include "plugin/method_args.h"
#include "plugin/zuvor_ivado_manager.h"

namespace {

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

}  // namespace

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
  const bool found = WithSession(pad, [&](ZuvorIvadoInstance& session) {
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
  const bool found = WithSession(pad, [&](ZuvorIvadoInstance& session) {
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
  if (mode < 0 || mode > 2) {
    // Not a mode (0 none, 1 pop-out window, 2 texture): the session's own answer, and no
    // session is made or renamed for it.
    result->Error("-1", "Failed to switch play mode");
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
    if (!StartDetached([session, generation] { session->StopPlay(generation); })) {
      result->Error("-1", "Failed to stop play");
      return;
    }
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
