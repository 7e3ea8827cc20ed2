// "global.xml" is built with the window builder into a throw-away window; both join the library
// with the window layer. Until then the theme's global fonts, colours and classes are registered
// by whoever builds skins, through the GlobalManager setters.
#include "ui/core/global_manager.h"

namespace ui {

void GlobalManager::LoadGlobalResource() {}

}  // namespace ui
