// "global.xml": the theme's process-wide fonts, text colours and classes, built at start-up with
// the window builder into a throw-away window.
#include "ui/core/global_manager.h"

#include <memory>

#include "ui/core/control.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"

namespace ui {

void GlobalManager::LoadGlobalResource() {
  Window window;  // Never gets a native window: only "Global" resources take effect.
  WindowBuilder builder;
  // A "global.xml" that also holds controls makes them for nobody: they go at once.
  std::unique_ptr<Control> controls(builder.Create(L"global.xml", nullptr, &window, nullptr));
}

}  // namespace ui
