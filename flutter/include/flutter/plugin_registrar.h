// PluginRegistrar: the C++ face of one plug-in's registrar, owning the wrappers of the engine's
// messenger and texture registrar and, optionally, the plug-in objects themselves.
//
//   auto* registrar = flutter::PluginRegistrarManager::GetInstance()
//                         ->GetRegistrar<flutter::PluginRegistrarWindows>(registrar_ref);
//   registrar->AddPlugin(std::make_unique<MyPlugin>(registrar));
//
// Thread affinity: the platform thread.
//
// Lifetime: registrars made through PluginRegistrarManager are destroyed when the engine shuts
// down, before its messenger stops working; their plug-ins are destroyed first.
#ifndef FLUTTER_PLUGIN_REGISTRAR_H_
#define FLUTTER_PLUGIN_REGISTRAR_H_

#include <map>
#include <memory>
#include <set>

#include "flutter/binary_messenger.h"
#include <flutter_plugin_registrar.h>
#include "flutter/texture_registrar.h"

namespace flutter {

// Base of plug-in objects that a registrar owns.
class Plugin {
 public:
  virtual ~Plugin() = default;
};

class PluginRegistrar {
 public:
  // |core_registrar| is not owned.
  explicit PluginRegistrar(FlutterDesktopPluginRegistrarRef core_registrar);
  virtual ~PluginRegistrar();
  PluginRegistrar(const PluginRegistrar&) = delete;
  PluginRegistrar& operator=(const PluginRegistrar&) = delete;

  // Owned by the registrar.
  BinaryMessenger* messenger() { return messenger_.get(); }
  TextureRegistrar* texture_registrar() { return texture_registrar_.get(); }

  // Keeps |plugin| alive as long as the registrar.
  void AddPlugin(std::unique_ptr<Plugin> plugin);

 protected:
  FlutterDesktopPluginRegistrarRef registrar() const { return registrar_; }

  // Destroys the plug-ins now; for subclasses whose members the plug-ins may still use.
  void ClearPlugins();

 private:
  FlutterDesktopPluginRegistrarRef registrar_;  // Not owned.
  std::unique_ptr<BinaryMessenger> messenger_;
  std::unique_ptr<TextureRegistrar> texture_registrar_;
  // Last member: plug-ins go before the messenger and texture registrar they may use.
  std::set<std::unique_ptr<Plugin>> plugins_;
};

// Keeps one C++ registrar per engine registrar, and drops it when the engine shuts down.
class PluginRegistrarManager {
 public:
  static PluginRegistrarManager* GetInstance();

  PluginRegistrarManager(const PluginRegistrarManager&) = delete;
  PluginRegistrarManager& operator=(const PluginRegistrarManager&) = delete;

  // The registrar of type T for |registrar_ref|, made on first use.
  template <class T>
  T* GetRegistrar(FlutterDesktopPluginRegistrarRef registrar_ref) {
    auto it = registrars_.find(registrar_ref);
    if (it != registrars_.end()) {
      return static_cast<T*>(it->second.get());
    }
    auto registrar = std::make_unique<T>(registrar_ref);
    T* raw = registrar.get();
    registrars_.emplace(registrar_ref, std::move(registrar));
    FlutterDesktopPluginRegistrarSetDestructionHandler(registrar_ref, OnRegistrarDestroyed);
    return raw;
  }

  // Destroys every registrar now (for tests).
  void Reset() { registrars_.clear(); }

 private:
  PluginRegistrarManager() = default;

  static void OnRegistrarDestroyed(FlutterDesktopPluginRegistrarRef registrar);

  std::map<FlutterDesktopPluginRegistrarRef, std::unique_ptr<PluginRegistrar>> registrars_;
};

}  // namespace flutter

#endif  // FLUTTER_PLUGIN_REGISTRAR_H_
