// The top-level window that hosts the Flutter engine.
//
// On creation it starts the engine's view controller at the size of its client area, registers the
// outside plug-ins and the cloud-phone plug-in, embeds the Flutter view as its content, opens the
// app channel "fernhold/app" (AppChannel), and shows itself at the first rendered frame, or after
// kShowFallbackDelay (2 s) when the engine produces no frame, whichever comes first.
//
// Teardown is in reverse: everything that holds the engine's messenger (the app channel, then the
// plug-in, whose destructor removes its channel handlers) goes before the view controller, which
// owns the engine.
//
//   FlutterWindow window(project);
//   if (!window.Create(L"fernhold_pc_client", {10, 10}, {1280, 720})) return 1;
//   window.SetQuitWhenClosed(true);
//
// Thread-safety: created, used and destroyed on the process main thread, which is the engine's
// platform thread.
#ifndef SHELL_FLUTTER_WINDOW_H_
#define SHELL_FLUTTER_WINDOW_H_

#include <windows.h>

#include <chrono>
#include <memory>

#include "flutter/dart_project.h"
#include "flutter/flutter_view_controller.h"
#include "plugin/phone_window_port.h"
#include "plugin/zuvor_ivado_manager.h"
#include "shell/app_channel.h"
#include "shell/win32_window.h"

class FlutterWindow : public Win32Window {
 public:
  // The timer that shows the window when no frame arrives in time.
  static constexpr UINT_PTR kShowFallbackTimerId = 1;
  static constexpr std::chrono::milliseconds kShowFallbackDelay{2000};

  // `project` is copied; the engine is started by Create. `showFallbackDelay` is how long the
  // window waits for a first frame before it shows itself anyway.
  explicit FlutterWindow(const flutter::DartProject& project,
                         std::chrono::milliseconds showFallbackDelay = kShowFallbackDelay);
  ~FlutterWindow() override;

  // Win32Window:
  // Stops the fallback timer, then shows the window. Called by the first frame or by the timer;
  // the later of the two finds the window already shown.
  bool Show() override;

 protected:
  // Win32Window:
  bool OnCreate() override;
  void OnDestroy() override;
  LRESULT MessageHandler(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept override;

  // The view controller, or null before creation and after destruction.
  flutter::FlutterViewController* controller() const { return flutter_controller_.get(); }

 private:
  // Releases the engine's users, then the engine: app channel, plug-in, view controller.
  void ReleaseEngine();

  // Makes a maximised window fill the work area of its monitor, not the whole monitor.
  void LimitMaximisedToWorkArea(MINMAXINFO* info) const;

  flutter::DartProject project_;
  const std::chrono::milliseconds show_fallback_delay_;

  // Makes the plug-in's pop-out phone windows; outlives the plug-in and every session.
  const std::unique_ptr<PhoneWindowFactory> window_factory_;
  // Declared in the order of creation; ReleaseEngine destroys them in reverse.
  std::unique_ptr<flutter::FlutterViewController> flutter_controller_;  // Owns the engine.
  std::unique_ptr<ZuvorIvadoManager> plugin_;  // Its channel handlers live on the engine.
  std::unique_ptr<AppChannel> app_channel_;    // Its handler lives on the engine.
};

#endif  // SHELL_FLUTTER_WINDOW_H_
