#include "flutter/plugin_registrar.h"

#include <utility>

#include "flutter/wrapper/binary_messenger_impl.h"
#include "flutter/wrapper/texture_registrar_impl.h"

namespace flutter {

// ----- PluginRegistrar -----

PluginRegistrar::PluginRegistrar(FlutterDesktopPluginRegistrarRef registrar)
    : registrar_(registrar),
      messenger_(std::make_unique<BinaryMessengerImpl>(
          FlutterDesktopPluginRegistrarGetMessenger(registrar))),
      texture_registrar_(std::make_unique<TextureRegistrarImpl>(
          FlutterDesktopRegistrarGetTextureRegistrar(registrar))) {}

PluginRegistrar::~PluginRegistrar() {
  // Plug-ins may still use the messenger and texture registrar while they are destroyed.
  ClearPlugins();
}

void PluginRegistrar::AddPlugin(std::unique_ptr<Plugin> plugin) {
  plugins_.insert(std::move(plugin));
}

void PluginRegistrar::ClearPlugins() { plugins_.clear(); }

// ----- PluginRegistrarManager -----

PluginRegistrarManager* PluginRegistrarManager::GetInstance() {
  static PluginRegistrarManager* const instance = new PluginRegistrarManager();
  return instance;
}

void PluginRegistrarManager::OnRegistrarDestroyed(FlutterDesktopPluginRegistrarRef registrar) {
  GetInstance()->registrars_.erase(registrar);
}

}  // namespace flutter
