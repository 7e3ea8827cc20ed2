// Stand-in for the outside plug-in libraries: every registration entry point records the registrar
// it got and announces itself on standard output.

#include "flutter/plugins/outside_plugins.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Registration {
  const char* name;  // A string literal.
  FlutterDesktopPluginRegistrarRef registrar;
};

struct Registrations {
  std::mutex mutex;
  std::vector<Registration> list;
};

Registrations& AllRegistrations() {
  static Registrations registrations;
  return registrations;
}

void Record(const char* name, FlutterDesktopPluginRegistrarRef registrar) {
  Registrations& registrations = AllRegistrations();
  std::lock_guard<std::mutex> lock(registrations.mutex);
  registrations.list.push_back({name, registrar});
  std::printf("[plugins] registered %s\n", name);
  std::fflush(stdout);
}

}  // namespace

#define DEFINE_OUTSIDE_PLUGIN(plugin_name)                                               \
  void plugin_name##RegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) { \
    Record(#plugin_name, registrar);                                                    \
  }

DEFINE_OUTSIDE_PLUGIN(ConnectivityPlusWindowsPlugin)
DEFINE_OUTSIDE_PLUGIN(FileSelectorWindows)
DEFINE_OUTSIDE_PLUGIN(FlutterLocalizationPluginCApi)
DEFINE_OUTSIDE_PLUGIN(FlutterSecureStorageWindowsPlugin)
DEFINE_OUTSIDE_PLUGIN(PermissionHandlerWindowsPlugin)
DEFINE_OUTSIDE_PLUGIN(ScreenRetrieverWindowsPluginCApi)
DEFINE_OUTSIDE_PLUGIN(TrayManagerPlugin)
DEFINE_OUTSIDE_PLUGIN(UrlLauncherWindows)
DEFINE_OUTSIDE_PLUGIN(WindowManagerPlugin)

size_t OutsidePluginsRegistrationCount(void) {
  Registrations& registrations = AllRegistrations();
  std::lock_guard<std::mutex> lock(registrations.mutex);
  return registrations.list.size();
}

const char* OutsidePluginsRegistrationName(size_t index) {
  Registrations& registrations = AllRegistrations();
  std::lock_guard<std::mutex> lock(registrations.mutex);
  return index < registrations.list.size() ? registrations.list[index].name : nullptr;
}

FlutterDesktopPluginRegistrarRef OutsidePluginsRegistrationRegistrar(size_t index) {
  Registrations& registrations = AllRegistrations();
  std::lock_guard<std::mutex> lock(registrations.mutex);
  return index < registrations.list.size() ? registrations.list[index].registrar : nullptr;
}
