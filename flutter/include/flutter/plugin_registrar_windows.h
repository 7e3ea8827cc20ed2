// PluginRegistrarWindows: a PluginRegistrar with the Windows additions: the view and delegates for
// the host's top-level window messages.
//
// Thread affinity: the platform thread. Delegates run there, inside the host's window procedure.
#ifndef FLUTTER_PLUGIN_REGISTRAR_WINDOWS_H_
#define FLUTTER_PLUGIN_REGISTRAR_WINDOWS_H_

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "flutter/flutter_view.h"
#include <flutter_windows.h>
#include "flutter/plugin_registrar.h"

namespace flutter {

// Offered each message of the host's top-level window; returns a result to handle it.
using WindowProcDelegate = std::function<std::optional<LRESULT>(HWND hwnd, UINT message,
                                                                WPARAM wparam, LPARAM lparam)>;

class PluginRegistrarWindows : public PluginRegistrar {
 public:
  // |core_registrar| is not owned.
  explicit PluginRegistrarWindows(FlutterDesktopPluginRegistrarRef core_registrar);
  ~PluginRegistrarWindows() override;

  // The engine's view; null when the engine runs headless.
  FlutterView* GetView() { return view_.get(); }

  // Returns an id for UnregisterTopLevelWindowProcDelegate.
  int RegisterTopLevelWindowProcDelegate(WindowProcDelegate delegate);
  void UnregisterTopLevelWindowProcDelegate(int proc_id);

 private:
  static bool OnTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                   void* user_data, LRESULT* result);

  std::unique_ptr<FlutterView> view_;
  std::map<int, WindowProcDelegate> window_proc_delegates_;
  int next_delegate_id_ = 1;
};

}  // namespace flutter

#endif  // FLUTTER_PLUGIN_REGISTRAR_WINDOWS_H_
