// C interface of plug-in registrars: the per-plug-in handle through which a plug-in reaches the
// engine's messenger and texture registrar.
//
// The engine makes one registrar per plug-in name and keeps it until it shuts down; asking twice
// for the same name gives the same registrar. All calls belong on the platform thread.
#ifndef FLUTTER_FLUTTER_PLUGIN_REGISTRAR_H_
#define FLUTTER_FLUTTER_PLUGIN_REGISTRAR_H_

#include <flutter_export.h>
#include <flutter_messenger.h>
#include <flutter_texture_registrar.h>

#if defined(__cplusplus)
extern "C" {
#endif

typedef struct FlutterDesktopPluginRegistrar* FlutterDesktopPluginRegistrarRef;

// Called when the engine shuts down, before its messenger stops working.
typedef void (*FlutterDesktopOnPluginRegistrarDestroyed)(FlutterDesktopPluginRegistrarRef);

FLUTTER_EXPORT FlutterDesktopMessengerRef
FlutterDesktopPluginRegistrarGetMessenger(FlutterDesktopPluginRegistrarRef registrar);

FLUTTER_EXPORT FlutterDesktopTextureRegistrarRef
FlutterDesktopRegistrarGetTextureRegistrar(FlutterDesktopPluginRegistrarRef registrar);

FLUTTER_EXPORT void FlutterDesktopPluginRegistrarSetDestructionHandler(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopOnPluginRegistrarDestroyed callback);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_FLUTTER_PLUGIN_REGISTRAR_H_
