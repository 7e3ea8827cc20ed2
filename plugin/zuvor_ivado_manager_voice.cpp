// Voice: "setVoiceEnabled", the rule that runs the microphone exactly while voice is on and a
// pop-out window is open, and the delivery of the microphone's frames and configuration to the
// phones.
#include <utility>

#include "plugin/default_mic_capture.h"
#include "plugin/method_args.h"
#include "plugin/zuvor_ivado_manager.h"

void ZuvorIvadoManager::OnSetVoiceEnabled(const Args& args, Result result) {
  const bool enabled = method_args::GetBool(args, "enabled", false);
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
  // Each session is asked after the map mutex is let go: asking waits for the session's lock,
  // which a slow library call may hold, and nothing that waits for the map should wait for it.
  bool anyWindow = false;
  for (auto& session : Sessions()) {
    if (session->HasWindow()) {
      anyWindow = true;
      break;
    }
  }
  if (!voiceEnabled_ || !anyWindow) {
    if (mic_->IsRunning()) mic_->Stop();
    return true;
  }
  if (mic_->IsRunning() || mic_->Start()) return true;
  voiceEnabled_ = false;
  QueueEvent("voiceStopped", flutter::EncodableMap());
  return false;
}

void ZuvorIvadoManager::OnMicFailure() {
  voiceEnabled_ = false;
  QueueEvent("voiceStopped", flutter::EncodableMap());
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
  // thread takes the session map before a session's lock. So nothing here waits on the calling
  // thread: even the copy of the saved configuration is made on the delivery thread.
  const std::shared_ptr<CallbackGate> gate = gate_;
  ZuvorIvadoManager* const self = this;
  StartDetached([gate, self, padCode] {
    std::shared_ptr<ZuvorIvadoInstance> session;
    std::vector<uint8_t> config;
    {
      CallbackGate::Pass pass(*gate);
      if (!pass || !self->voiceEnabled_) return;
      std::lock_guard<std::mutex> lock(self->sessionMutex_);
      auto it = self->sessions_.find(padCode);
      if (it == self->sessions_.end()) return;
      session = it->second;
      config = self->savedMicConfig_;
    }
    // The session may be busy for long (a connection step, a slow library call): the delivery
    // waits for it, holding neither the gate nor the map, so it stalls nobody and the manager
    // may go meanwhile. A session that does not take audio now gets the configuration at its
    // next "connected".
    if (!config.empty()) {
      session->SendAudioConfigWhenFree(config.data(), static_cast<int>(config.size()));
    }
  });
}
