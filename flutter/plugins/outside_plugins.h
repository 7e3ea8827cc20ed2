// Registration entry points of the outside plug-in libraries that the host registers at start-up,
// and a query of what was registered.
//
// On this build one library stands in for all of them: each entry point only records the registrar
// it was given, in call order, and prints one line to standard output:
//   [plugins] registered <plug-in name>
// where <plug-in name> is the entry point's name without "RegisterWithRegistrar".
//
// Thread affinity: the host's platform thread (registration happens there). The query functions
// may be called on any thread.
#ifndef FLUTTER_PLUGINS_OUTSIDE_PLUGINS_H_
#define FLUTTER_PLUGINS_OUTSIDE_PLUGINS_H_

#include <stddef.h>

#include "flutter/flutter_plugin_registrar.h"

#ifdef OUTSIDE_PLUGINS_LIBRARY
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

// Number of registrations so far (a plug-in registered twice counts twice).
OUTSIDE_PLUGIN_EXPORT size_t OutsidePluginsRegistrationCount(void);

// The plug-in name of registration |index| (in call order), or null past the end. The string
// lives until process exit.
OUTSIDE_PLUGIN_EXPORT const char* OutsidePluginsRegistrationName(size_t index);

// The registrar given to registration |index|, or null past the end.
OUTSIDE_PLUGIN_EXPORT FlutterDesktopPluginRegistrarRef
OutsidePluginsRegistrationRegistrar(size_t index);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_PLUGINS_OUTSIDE_PLUGINS_H_
