// The application's control factory: the controls of the skin markup that the UI library does
// not know itself.
//
//   ui::GlobalManager::Startup(root, CreateAppControl, false, theme, language);
//   // markup <DuiVideoView name="video_view"/> now yields a ui::DuiVideoView
//
// Thread affinity: the thread that builds the window (a window thread).
#ifndef SHELL_APP_CONTROL_FACTORY_H_
#define SHELL_APP_CONTROL_FACTORY_H_

#include <string>

namespace ui {
class Control;
}

// A new ui::DuiVideoView for exactly "DuiVideoView" (letter case counts), else null. The caller
// (the UI library) owns what it gets.
ui::Control* CreateAppControl(const std::wstring& className);

#endif  // SHELL_APP_CONTROL_FACTORY_H_
