#include "flutter/plugin_registrar_windows.h"

namespace flutter {

PluginRegistrarWindows::PluginRegistrarWindows(FlutterDesktopPluginRegistrarRef core_registrar)
    : PluginRegistrar(core_registrar) {
  if (FlutterDesktopViewRef view = FlutterDesktopPluginRegistrarGetView(core_registrar)) {
    view_ = std::make_unique<FlutterView>(view);
  }
}

PluginRegistrarWindows::~PluginRegistrarWindows() {
  // Plug-ins may unregister delegates while they are destroyed, so they go first.
  ClearPlugins();
  if (!window_proc_delegates_.empty()) {
    FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(registrar(),
                                                                      OnTopLevelWindowProc);
  }
}

int PluginRegistrarWindows::RegisterTopLevelWindowProcDelegate(WindowProcDelegate delegate) {
  if (window_proc_delegates_.empty()) {
    FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(
        registrar(), OnTopLevelWindowProc, this);
  }
  const int id = next_delegate_id_++;
  window_proc_delegates_.emplace(id, std::move(delegate));
  return id;
}

void PluginRegistrarWindows::UnregisterTopLevelWindowProcDelegate(int proc_id) {
  if (window_proc_delegates_.erase(proc_id) > 0 && window_proc_delegates_.empty()) {
    FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(registrar(),
                                                                      OnTopLevelWindowProc);
  }
}

bool PluginRegistrarWindows::OnTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                                  LPARAM lparam, void* user_data,
                                                  LRESULT* result) {
  auto* self = static_cast<PluginRegistrarWindows*>(user_data);
  // A copy: a delegate may unregister itself or others while it runs.
  const std::map<int, WindowProcDelegate> delegates = self->window_proc_delegates_;
  for (const auto& [id, delegate] : delegates) {
    if (std::optional<LRESULT> handled = delegate(hwnd, message, wparam, lparam)) {
      *result = *handled;
      return true;
    }
  }
  return false;
}

}  // namespace flutter
