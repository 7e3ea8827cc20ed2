#include "shell/app_control_factory.h"

#include "phone_window/dui_video_view.h"

ui::Control* CreateAppControl(const std::wstring& className) {
  if (className == L"DuiVideoView") return new ui::DuiVideoView();
  return nullptr;
}
