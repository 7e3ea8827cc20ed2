// ZuvorIvadoManager: the cloud-phone plug-in object.
//
// The host's top-level window makes one in FlutterWindow::OnCreate and registers it with the
// engine; it answers the method channel "fernhold/swplay" and feeds the event channel
// "fernhold/swplay/events". Destroy it before the engine: the destructor removes both channel
// handlers.
//
//   auto plugin = std::make_unique<ZuvorIvadoManager>();
//   ZuvorIvadoManager::RegisterWithRegistrar(plugin.get(), engine);  // engine: a PluginRegistry
//   ...
//   plugin.reset();  // before the view controller that owns the engine
//
// Thread-safety: construct, register, call and destroy on the engine's platform thread.
#pragma once

#include <memory>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/method_call.h"
#include "flutter/method_result.h"
#include "flutter/plugin_registry.h"
#include "flutter/standard_method_codec.h"

class ZuvorIvadoManager {
 public:
  ZuvorIvadoManager();
  // Removes the handlers of "fernhold/swplay" and "fernhold/swplay/events".
  ~ZuvorIvadoManager();
  ZuvorIvadoManager(const ZuvorIvadoManager&) = delete;
  ZuvorIvadoManager& operator=(const ZuvorIvadoManager&) = delete;

  // Installs the channel handlers on the engine behind `registry` (the plug-in name is
  // "fernhold_swplay"). A null manager or registry does nothing.
  static void RegisterWithRegistrar(ZuvorIvadoManager* manager, flutter::PluginRegistry* registry);

  // Answers one decoded call of "fernhold/swplay"; replies exactly once.
  void HandleMethodCall(const flutter::MethodCall<flutter::EncodableValue>& call,
                        std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result);

 private:
  flutter::BinaryMessenger* messenger_ = nullptr;  // not owned; null before registration
  const flutter::StandardMethodCodec* codec_ = nullptr;
};
