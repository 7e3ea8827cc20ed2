// PluginRegistry: where plug-ins get their registrars, by plug-in name. The engine is one.
#ifndef FLUTTER_PLUGIN_REGISTRY_H_
#define FLUTTER_PLUGIN_REGISTRY_H_

#include <string>

#include <flutter_plugin_registrar.h>

namespace flutter {

class PluginRegistry {
 public:
  PluginRegistry() = default;
  virtual ~PluginRegistry() = default;
  PluginRegistry(const PluginRegistry&) = delete;
  PluginRegistry& operator=(const PluginRegistry&) = delete;

  // The registrar for |plugin_name|; the same name always gives the same registrar. Null when the
  // engine is not running.
  virtual FlutterDesktopPluginRegistrarRef GetRegistrarForPlugin(
      const std::string& plugin_name) = 0;
};

}  // namespace flutter

#endif  // FLUTTER_PLUGIN_REGISTRY_H_
