#include "shell/flutter_window.h"

#include <optional>
#include <utility>

#include "phone_window/phone_window_factory.h"
#include "shell/outside_plugins.h"
#include "shell/startup_timeline.h"

FlutterWindow::FlutterWindow(const flutter::DartProject& project,
                             std::chrono::milliseconds showFallbackDelay)
    : project_(project),
      show_fallback_delay_(showFallbackDelay),
      window_factory_(std::make_unique<ZuvorIvadoWindowFactory>()) {}

FlutterWindow::~FlutterWindow() { ReleaseEngine(); }

bool FlutterWindow::Show() {
  MarkStartup("window shown");
  if (HWND window = GetHandle()) {
    ::KillTimer(window, kShowFallbackTimerId);
  }
  return Win32Window::Show();
}

bool FlutterWindow::OnCreate() {
  if (!Win32Window::OnCreate()) {
    return false;
  }

  MarkStartup("top-level window created");
  const RECT frame = GetClientArea();
  ReleaseEngine();
  flutter_controller_ = std::make_unique<flutter::FlutterViewController>(
      frame.right - frame.left, frame.bottom - frame.top, project_);
  if (!flutter_controller_->engine() || !flutter_controller_->view()) {
    return false;
  }
  flutter::FlutterEngine* engine = flutter_controller_->engine();
  MarkStartup("engine and view started");

  RegisterOutsidePlugins(engine);
  SetContent(flutter_controller_->view()->GetNativeWindow());

  ZuvorIvadoManager::Options options;
  options.windowFactory = window_factory_.get();
  plugin_ = std::make_unique<ZuvorIvadoManager>(std::move(options));
  ZuvorIvadoManager::RegisterWithRegistrar(plugin_.get(), engine);
  MarkStartup("plug-ins registered");

  app_channel_ = std::make_unique<AppChannel>(engine->messenger());

  // The engine runs the callback on this thread after it has produced the next frame; the
  // controller, and with it the callback, goes before this object does.
  engine->SetNextFrameCallback([this]() { Show(); });

  // Ask for a frame even when the Dart side has nothing new to draw, so that the window appears
  // without waiting for the fallback timer.
  flutter_controller_->ForceRedraw();

  ::SetTimer(GetHandle(), kShowFallbackTimerId,
             static_cast<UINT>(show_fallback_delay_.count()), nullptr);
  return true;
}

void FlutterWindow::OnDestroy() {
  ReleaseEngine();
  Win32Window::OnDestroy();
}

LRESULT FlutterWindow::MessageHandler(HWND window, UINT message, WPARAM wparam,
                                      LPARAM lparam) noexcept {
  if (message == WM_GETMINMAXINFO) {
    LimitMaximisedToWorkArea(reinterpret_cast<MINMAXINFO*>(lparam));
  }

  // The Flutter view may need to see and handle top-level window messages (for example to follow
  // DPI or activation changes).
  if (flutter_controller_) {
    const std::optional<LRESULT> result =
        flutter_controller_->HandleTopLevelWindowProc(window, message, wparam, lparam);
    if (result) {
      return *result;
    }
  }

  switch (message) {
    case WM_FONTCHANGE:
      if (flutter_controller_ && flutter_controller_->engine()) {
        flutter_controller_->engine()->ReloadSystemFonts();
      }
      break;
    case WM_TIMER:
      if (wparam == kShowFallbackTimerId) {
        Show();
        return 0;
      }
      break;
  }
  return Win32Window::MessageHandler(window, message, wparam, lparam);
}

void FlutterWindow::ReleaseEngine() {
  // Each of these removes its handlers from the engine's messenger as it goes, so it must go
  // while the engine, owned by the controller, still exists.
  app_channel_.reset();
  plugin_.reset();
  flutter_controller_.reset();
}

void FlutterWindow::LimitMaximisedToWorkArea(MINMAXINFO* info) const {
  HMONITOR monitor = ::MonitorFromWindow(GetHandle(), MONITOR_DEFAULTTONEAREST);
  MONITORINFO monitor_info{};
  monitor_info.cbSize = sizeof(monitor_info);
  if (!::GetMonitorInfoW(monitor, &monitor_info)) {
    return;
  }
  // The maximised position is relative to the monitor, as the system applies it.
  const RECT& work = monitor_info.rcWork;
  const RECT& whole = monitor_info.rcMonitor;
  info->ptMaxPosition.x = work.left - whole.left;
  info->ptMaxPosition.y = work.top - whole.top;
  info->ptMaxSize.x = work.right - work.left;
  info->ptMaxSize.y = work.bottom - work.top;
}
