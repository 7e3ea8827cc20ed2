// FlutterView: the engine's view, a child window that the host embeds in its own window.
#ifndef FLUTTER_FLUTTER_VIEW_H_
#define FLUTTER_FLUTTER_VIEW_H_

#include <windows.h>

#include <flutter_windows.h>

namespace flutter {

class FlutterView {
 public:
  // |view| is not owned; its controller destroys it.
  explicit FlutterView(FlutterDesktopViewRef view) : view_(view) {}
  virtual ~FlutterView() = default;
  FlutterView(const FlutterView&) = delete;
  FlutterView& operator=(const FlutterView&) = delete;

  // The view's child window; null once it is destroyed.
  HWND GetNativeWindow() const { return FlutterDesktopViewGetHWND(view_); }

 private:
  FlutterDesktopViewRef view_;  // Not owned.
};

}  // namespace flutter

#endif  // FLUTTER_FLUTTER_VIEW_H_
