#include "flutter/flutter_view_controller.h"

#include <iostream>

namespace flutter {

FlutterViewController::FlutterViewController(int width, int height, const DartProject& project)
    : engine_(std::make_shared<FlutterEngine>(project)) {
  if (!engine_->has_engine()) {
    engine_.reset();
    return;
  }
  // The C controller takes the engine whether it succeeds or not.
  controller_ = FlutterDesktopViewControllerCreate(width, height, engine_->RelinquishEngine());
  if (!controller_) {
    // The engine has been destroyed with the failed controller: its wrapper must not hand it out.
    std::cerr << "Failed to create view controller." << std::endl;
    engine_.reset();
    return;
  }
  engine_->has_been_run_ = true;
  view_ = std::make_unique<FlutterView>(FlutterDesktopViewControllerGetView(controller_));
}

FlutterViewController::~FlutterViewController() {
  if (controller_) {
    FlutterDesktopViewControllerDestroy(controller_);
    controller_ = nullptr;
  }
}

void FlutterViewController::ForceRedraw() {
  if (controller_) FlutterDesktopViewControllerForceRedraw(controller_);
}

std::optional<LRESULT> FlutterViewController::HandleTopLevelWindowProc(HWND hwnd, UINT message,
                                                                       WPARAM wparam,
                                                                       LPARAM lparam) {
  if (!controller_) return std::nullopt;
  LRESULT result = 0;
  if (FlutterDesktopViewControllerHandleTopLevelWindowProc(controller_, hwnd, message, wparam,
                                                           lparam, &result)) {
    return result;
  }
  return std::nullopt;
}

}  // namespace flutter
