// The record of outside plug-in registrations, shared by the stand-in plug-in libraries: each of
// them reports its registration here, and tests read back what was registered, in call order.
//
// Thread affinity: any thread; the record is locked.
#ifndef FLUTTER_PLUGINS_REGISTRATION_RECORD_H_
#define FLUTTER_PLUGINS_REGISTRATION_RECORD_H_

#include <stddef.h>

#include <flutter_plugin_registrar.h>

#ifdef OUTSIDE_PLUGIN_RECORD_LIBRARY
#define OUTSIDE_PLUGIN_RECORD_EXPORT __declspec(dllexport)
#else
#define OUTSIDE_PLUGIN_RECORD_EXPORT __declspec(dllimport)
#endif

#if defined(__cplusplus)
extern "C" {
#endif

// Appends one registration and prints "[plugins] registered <plugin_name>" to standard output
// (buffered: the line goes out with the next flush).
// |plugin_name| must live until process exit (a string literal).
OUTSIDE_PLUGIN_RECORD_EXPORT void OutsidePluginsRecordRegistration(
    const char* plugin_name, FlutterDesktopPluginRegistrarRef registrar);

// Number of registrations so far (a plug-in registered twice counts twice).
OUTSIDE_PLUGIN_RECORD_EXPORT size_t OutsidePluginsRegistrationCount(void);

// The plug-in name of registration |index| (in call order), or null past the end.
OUTSIDE_PLUGIN_RECORD_EXPORT const char* OutsidePluginsRegistrationName(size_t index);

// The registrar given to registration |index|, or null past the end.
OUTSIDE_PLUGIN_RECORD_EXPORT FlutterDesktopPluginRegistrarRef
OutsidePluginsRegistrationRegistrar(size_t index);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_PLUGINS_REGISTRATION_RECORD_H_
