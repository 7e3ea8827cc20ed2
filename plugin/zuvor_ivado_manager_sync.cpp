// The sync group: "syncDevices" names the phones whose input is repeated on each other, and the
// forwarders a session calls with its own window input pass it on to the group's other phones.
#include <variant>

#include "plugin/method_args.h"
#include "plugin/zuvor_ivado_manager.h"

void ZuvorIvadoManager::OnSyncDevices(const Args& args, Result result) {
  const flutter::EncodableValue* value = method_args::Find(args, "padCodes");
  const auto* list = value ? std::get_if<flutter::EncodableList>(value) : nullptr;
  if (list) {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    for (auto& entry : sessions_) entry.second->SetSynced(false);
    syncSet_.clear();
    for (const flutter::EncodableValue& element : *list) {
      const auto* pad = std::get_if<std::string>(&element);
      if (!pad) continue;
      syncSet_.insert(*pad);
      auto it = sessions_.find(*pad);
      if (it != sessions_.end()) it->second->SetSynced(true);
    }
  }
  result->Success();
}

void ZuvorIvadoManager::InstallForwarders(ZuvorIvadoCallbacks& cb) {
  // As with the event callbacks: every forwarder passes the gate before it touches the manager.
  const std::shared_ptr<CallbackGate> gate = gate_;
  ZuvorIvadoManager* const self = this;
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
