// Registration entry points of the outside plug-in libraries that the host registers at start-up.
//
// Each plug-in is a library of its own (file names in flutter/CMakeLists.txt, as the host's
// installation has them) exporting one entry point, named after the plug-in with
// "RegisterWithRegistrar" appended. On this build each stand-in only records the registrar it was
// given (flutter/plugins/registration_record.h) and prints one line to standard output:
//   [plugins] registered <plug-in name>
//
// Thread affinity: the host's platform thread (registration happens there).
#ifndef FLUTTER_PLUGINS_OUTSIDE_PLUGINS_H_
#define FLUTTER_PLUGINS_OUTSIDE_PLUGINS_H_

#include <flutter_plugin_registrar.h>

// Each plug-in library defines OUTSIDE_PLUGIN_NAME and exports its own entry point.
#ifdef OUTSIDE_PLUGIN_NAME
#define OUTSIDE_PLUGIN_EXPORT __declspec(dllexport)
#else
#define OUTSIDE_PLUGIN_EXPORT __declspec(dllimport)
#endif

#if defined(__cplusplus)
extern "C" {
#endif

OUTSIDE_PLUGIN_EXPORT void ConnectivityPlusWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void FileSelectorWindowsRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void FlutterLocalizationPluginCApiRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void FlutterSecureStorageWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void PermissionHandlerWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void ScreenRetrieverWindowsPluginCApiRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void TrayManagerPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void UrlLauncherWindowsRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
OUTSIDE_PLUGIN_EXPORT void WindowManagerPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_PLUGINS_OUTSIDE_PLUGINS_H_
