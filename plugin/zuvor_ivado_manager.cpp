#include "plugin/zuvor_ivado_manager.h"

#include "flutter/engine_method_result.h"
#include "flutter/plugin_registrar_windows.h"

namespace {
constexpr char kMethodChannel[] = "fernhold/swplay";
constexpr char kEventChannel[] = "fernhold/swplay/events";
constexpr char kPluginName[] = "fernhold_swplay";
}  // namespace

ZuvorIvadoManager::ZuvorIvadoManager() = default;

ZuvorIvadoManager::~ZuvorIvadoManager() {
  if (messenger_) {
    messenger_->SetMessageHandler(kMethodChannel, nullptr);
    messenger_->SetMessageHandler(kEventChannel, nullptr);
  }
}

void ZuvorIvadoManager::RegisterWithRegistrar(ZuvorIvadoManager* manager,
                                              flutter::PluginRegistry* registry) {
  if (!manager || !registry) return;
  FlutterDesktopPluginRegistrarRef ref = registry->GetRegistrarForPlugin(kPluginName);
  if (!ref) return;
  auto* registrar = flutter::PluginRegistrarManager::GetInstance()
                        ->GetRegistrar<flutter::PluginRegistrarWindows>(ref);
  manager->messenger_ = registrar->messenger();
  manager->codec_ = &flutter::StandardMethodCodec::GetInstance();
  manager->messenger_->SetMessageHandler(
      kMethodChannel, [manager](const uint8_t* message, size_t size, flutter::BinaryReply reply) {
        auto call = manager->codec_->DecodeMethodCall(message, size);
        if (!call) {
          reply(nullptr, 0);
          return;
        }
        manager->HandleMethodCall(
            *call, std::make_unique<flutter::EngineMethodResult<flutter::EncodableValue>>(
                       std::move(reply), manager->codec_));
      });
  manager->messenger_->SetMessageHandler(
      kEventChannel,
      [](const uint8_t*, size_t, flutter::BinaryReply reply) { reply(nullptr, 0); });
}

void ZuvorIvadoManager::HandleMethodCall(
    const flutter::MethodCall<flutter::EncodableValue>& call,
    std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result) {
  result->NotImplemented();
}
