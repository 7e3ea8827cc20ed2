#include "shell/outside_plugins.h"

#include <outside_plugins/outside_plugins.h>

namespace {

struct OutsidePlugin {
  const char* name;
  void (*register_with_registrar)(FlutterDesktopPluginRegistrarRef registrar);
};

}  // namespace

void RegisterOutsidePlugins(flutter::PluginRegistry* registry) {
  // Not constexpr: the entry points are imported, so their addresses are known only at run time.
  const OutsidePlugin plugins[] = {
      {"ConnectivityPlusWindowsPlugin", &ConnectivityPlusWindowsPluginRegisterWithRegistrar},
      {"FileSelectorWindows", &FileSelectorWindowsRegisterWithRegistrar},
      {"FlutterLocalizationPluginCApi", &FlutterLocalizationPluginCApiRegisterWithRegistrar},
      {"FlutterSecureStorageWindowsPlugin",
       &FlutterSecureStorageWindowsPluginRegisterWithRegistrar},
      {"PermissionHandlerWindowsPlugin", &PermissionHandlerWindowsPluginRegisterWithRegistrar},
      {"ScreenRetrieverWindowsPluginCApi", &ScreenRetrieverWindowsPluginCApiRegisterWithRegistrar},
      {"TrayManagerPlugin", &TrayManagerPluginRegisterWithRegistrar},
      {"UrlLauncherWindows", &UrlLauncherWindowsRegisterWithRegistrar},
      {"WindowManagerPlugin", &WindowManagerPluginRegisterWithRegistrar},
  };
  for (const OutsidePlugin& plugin : plugins) {
    plugin.register_with_registrar(registry->GetRegistrarForPlugin(plugin.name));
  }
}
