// Registration of the outside plug-ins: the nine plug-in libraries beside the executable that the
// Dart side uses for connectivity, file selection, localisation, secure storage, permissions,
// screens, the tray, URL launching and window management.
//
// Each plug-in is a library of its own beside the executable and gets the engine's registrar for
// its own name. The order is fixed: alphabetical by plug-in name.
//
// Thread-safety: the platform thread, once the engine runs.
#ifndef SHELL_OUTSIDE_PLUGINS_H_
#define SHELL_OUTSIDE_PLUGINS_H_

#include "flutter/plugin_registry.h"

// Registers the nine outside plug-ins with `registry`, in their fixed order.
void RegisterOutsidePlugins(flutter::PluginRegistry* registry);

#endif  // SHELL_OUTSIDE_PLUGINS_H_
