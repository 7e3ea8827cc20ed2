#include "flutter/flutter_view_controller.h"

#include <iostream>

namespace flutter {

FlutterViewController::FlutterViewController(int width, int height, const DartProject& project)
    : engine_(std::make_shared<FlutterEngine>(project)) {
  if (!engine_->has_engine()) {
    engine_.reset();
    return;
  }
  controller_ = FlutterDesktopViewControllerCreate(width, height, engine_->engine());
  if (!controller_) {
    // The engine stayed with its wrapper, which shuts it down when destroyed.
    std::cerr << "Failed to create view controller." << std::endl;
    return;
  }
  engine_->RelinquishEngine();
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
