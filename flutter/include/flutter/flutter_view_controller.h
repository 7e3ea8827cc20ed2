// FlutterViewController: an engine running in a view, for embedding in a host window.
//
//   controller_ = std::make_unique<flutter::FlutterViewController>(width, height, project);
//   if (!controller_->engine() || !controller_->view()) return false;
//   SetChildContent(controller_->view()->GetNativeWindow());
//
// Thread affinity: the constructing thread becomes the engine's platform thread; use the
// controller there only, and destroy it there (destruction shuts the engine down).
#ifndef FLUTTER_FLUTTER_VIEW_CONTROLLER_H_
#define FLUTTER_FLUTTER_VIEW_CONTROLLER_H_

#include <windows.h>

#include <memory>
#include <optional>

#include "flutter/dart_project.h"
#include "flutter/flutter_engine.h"
#include "flutter/flutter_view.h"
#include <flutter_windows.h>

namespace flutter {

class FlutterViewController {
 public:
  // Creates an engine for |project| and runs it in a view of |width| x |height| physical pixels.
  // On failure engine() and view() are null (a view that cannot be made takes its engine with
  // it); the reason is logged.
  FlutterViewController(int width, int height, const DartProject& project);
  virtual ~FlutterViewController();
  FlutterViewController(const FlutterViewController&) = delete;
  FlutterViewController& operator=(const FlutterViewController&) = delete;

  // Null when the engine or the view could not be made.
  FlutterEngine* engine() const { return engine_.get(); }

  // Null when the view could not be made.
  FlutterView* view() const { return view_.get(); }

  // Asks for a new frame even when nothing changed.
  void ForceRedraw();

  // Offers a message of the host's top-level window to the engine and its plug-ins; a value when
  // one of them handled it.
  std::optional<LRESULT> HandleTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                                  LPARAM lparam);

 private:
  std::shared_ptr<FlutterEngine> engine_;
  FlutterDesktopViewControllerRef controller_ = nullptr;  // Owned; destroyed first.
  std::unique_ptr<FlutterView> view_;
};

}  // namespace flutter

#endif  // FLUTTER_FLUTTER_VIEW_CONTROLLER_H_
