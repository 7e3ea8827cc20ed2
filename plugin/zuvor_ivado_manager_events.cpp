// Events towards the Dart side: the event channel "fernhold/swplay/events", and the session
// callbacks that raise "connected", "disconnected", "connectFailed", "connectTimeout",
// "reconnecting", "screenshot" and "windowClosed".
#include <utility>

#include "plugin/zuvor_ivado_manager.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

}  // namespace

void ZuvorIvadoManager::HandleEventChannelMessage(const uint8_t* message, size_t size,
                                                  flutter::BinaryReply reply) {
  ArmWaker();
  events_.HandleChannelMessage(message, size, std::move(reply));
}

void ZuvorIvadoManager::QueueEvent(const std::string& name, EncodableMap data) {
  if (!events_.attached()) return;  // not registered: nobody could ever receive it
  events_.Append(ZuvorIvadoEvent{name, EncodableValue(std::move(data))});
  if (OnPlatformThread()) {
    FlushEvents();
  } else if (waker_) {
    waker_->Wake();
  }
}

void ZuvorIvadoManager::FlushEvents() { events_.Flush(); }

void ZuvorIvadoManager::SetEventObserverForTesting(
    std::function<void(const ZuvorIvadoEvent&)> observer) {
  events_.SetObserverForTesting(std::move(observer));
}

void ZuvorIvadoManager::InstallEventCallbacks(ZuvorIvadoCallbacks& cb) {
  // Every callback passes the gate before it touches the manager; once the destructor has closed
  // the gate they do nothing, so the plain back pointer is never used after destruction.
  const std::shared_ptr<CallbackGate> gate = gate_;
  ZuvorIvadoManager* const self = this;

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
}
