#include "flutter/plugin_registrar.h"

#include <utility>

#include "flutter/plugin_registrar_windows.h"
#include "flutter/wrapper/binary_messenger_impl.h"
#include "flutter/wrapper/texture_registrar_impl.h"

namespace flutter {

// ----- PluginRegistrar -----

PluginRegistrar::PluginRegistrar(FlutterDesktopPluginRegistrarRef registrar)
    : registrar_(registrar),
      messenger_(std::make_unique<BinaryMessengerImpl>(
          FlutterDesktopPluginRegistrarGetMessenger(registrar))),
      texture_registrar_(std::make_unique<TextureRegistrarImpl>(
          FlutterDesktopRegistrarGetTextureRegistrar(registrar))) {}

PluginRegistrar::~PluginRegistrar() {
  // Plug-ins may still use the messenger and texture registrar while they are destroyed.
  ClearPlugins();
}

void PluginRegistrar::AddPlugin(std::unique_ptr<Plugin> plugin) {
  plugins_.insert(std::move(plugin));
}

void PluginRegistrar::ClearPlugins() { plugins_.clear(); }

// ----- PluginRegistrarManager -----

PluginRegistrarManager* PluginRegistrarManager::GetInstance() {
  static PluginRegistrarManager* const instance = new PluginRegistrarManager();
  return instance;
}

void PluginRegistrarManager::OnRegistrarDestroyed(FlutterDesktopPluginRegistrarRef registrar) {
  GetInstance()->registrars_.erase(registrar);
}

// ----- PluginRegistrarWindows -----

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
