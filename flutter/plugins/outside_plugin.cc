// One stand-in outside plug-in library. The build compiles this file once per plug-in, with
// OUTSIDE_PLUGIN_NAME set to the plug-in's name, into a library of the plug-in's own file name;
// its one entry point records the registrar it got.

#include <outside_plugins/outside_plugins.h>

#include "flutter/plugins/registration_record.h"

#ifndef OUTSIDE_PLUGIN_NAME
#error "OUTSIDE_PLUGIN_NAME names the plug-in this library stands in for"
#endif

#define OUTSIDE_PLUGIN_TEXT(name) #name
#define OUTSIDE_PLUGIN_STRING(name) OUTSIDE_PLUGIN_TEXT(name)
#define OUTSIDE_PLUGIN_JOIN(name, suffix) name##suffix
#define OUTSIDE_PLUGIN_ENTRY_POINT(name) OUTSIDE_PLUGIN_JOIN(name, RegisterWithRegistrar)

void OUTSIDE_PLUGIN_ENTRY_POINT(OUTSIDE_PLUGIN_NAME)(FlutterDesktopPluginRegistrarRef registrar) {
  OutsidePluginsRecordRegistration(OUTSIDE_PLUGIN_STRING(OUTSIDE_PLUGIN_NAME), registrar);
}
