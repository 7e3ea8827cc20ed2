// The exported C interface of the engine library.

#include <windows.h>

#include <memory>

#include "flutter/engine/engine.h"
#include "flutter/engine/engine_options.h"
#include "flutter/engine/engine_output.h"
#include "flutter/engine/view_window.h"
#include <flutter_windows.h>
#include "flutter/engine/flutter_windows_testing.h"

using flutter::engine::Engine;
using flutter::engine::EngineOptions;
using flutter::engine::ViewWindow;
using flutter::engine::WriteEngineNotice;

struct FlutterDesktopEngine final : Engine {
  using Engine::Engine;
};

struct FlutterDesktopView final : ViewWindow {
  using ViewWindow::ViewWindow;
};

struct FlutterDesktopViewControllerState {
  std::unique_ptr<FlutterDesktopEngine> engine;
  std::unique_ptr<FlutterDesktopView> view;

  ~FlutterDesktopViewControllerState() {
    if (engine) engine->SetView(nullptr);
    view.reset();    // The window goes while the engine it paints from still exists.
    engine.reset();
  }
};

namespace {

// Runs |action| on the messenger's engine while holding off its shutdown; |fallback| when gone.
template <typename Action, typename Result>
Result WithMessengerEngine(FlutterDesktopMessengerRef messenger, Result fallback, Action action) {
  if (!messenger) return fallback;
  std::lock_guard<std::recursive_mutex> lock(messenger->mutex);
  if (!messenger->engine) return fallback;
  return action(messenger->engine);
}

std::shared_ptr<flutter::engine::TextureRegistry> RegistryOf(
    FlutterDesktopTextureRegistrarRef texture_registrar) {
  if (!texture_registrar) return nullptr;
  std::lock_guard<std::mutex> lock(texture_registrar->mutex);
  return texture_registrar->registry;
}

UINT SystemDpiForMonitor(HMONITOR monitor) {
  // shcore's GetDpiForMonitor exists from Windows 8.1 on.
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  if (HMODULE shcore = LoadLibraryW(L"shcore.dll")) {
    auto get_dpi = reinterpret_cast<GetDpiForMonitorFunction>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    UINT x = 0;
    UINT y = 0;
    const bool ok = get_dpi && monitor && SUCCEEDED(get_dpi(monitor, 0 /* effective */, &x, &y));
    FreeLibrary(shcore);
    if (ok && x > 0) return x;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

// ----- View controller -----

FlutterDesktopViewControllerRef FlutterDesktopViewControllerCreate(int width, int height,
                                                                   FlutterDesktopEngineRef engine) {
  // Taken in every case: a failure below shuts the engine down with |owned|.
  std::unique_ptr<FlutterDesktopEngine> owned(engine);
  if (!owned) return nullptr;
  if (owned->options().failure == EngineOptions::Failure::kView) {
    WriteEngineNotice("view creation refused (FERNHOLD_FLUTTER_FAIL=view)");
    return nullptr;
  }
  auto view = std::make_unique<FlutterDesktopView>(width, height, owned->texture_registry(),
                                                   [engine] { engine->RequestFrame(); });
  if (!view->hwnd()) {
    WriteEngineNotice("error: cannot create the view window (error " +
                      std::to_string(GetLastError()) + ")");
    return nullptr;
  }
  if (!owned->running() && !owned->Run(nullptr)) return nullptr;
  auto controller = std::make_unique<FlutterDesktopViewControllerState>();
  owned->SetView(view.get());
  controller->view = std::move(view);
  controller->engine = std::move(owned);
  return controller.release();
}

void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller) {
  delete controller;
}

FlutterDesktopEngineRef FlutterDesktopViewControllerGetEngine(
    FlutterDesktopViewControllerRef controller) {
  return controller ? controller->engine.get() : nullptr;
}

FlutterDesktopViewRef FlutterDesktopViewControllerGetView(
    FlutterDesktopViewControllerRef controller) {
  return controller ? controller->view.get() : nullptr;
}

void FlutterDesktopViewControllerForceRedraw(FlutterDesktopViewControllerRef controller) {
  if (controller) controller->engine->RequestFrame();
}

bool FlutterDesktopViewControllerHandleTopLevelWindowProc(FlutterDesktopViewControllerRef controller,
                                                          HWND hwnd, UINT message, WPARAM wparam,
                                                          LPARAM lparam, LRESULT* result) {
  if (!controller || !result) return false;
  return controller->engine->HandleTopLevelWindowProc(hwnd, message, wparam, lparam, result);
}

// ----- Engine -----

FlutterDesktopEngineRef FlutterDesktopEngineCreate(
    const FlutterDesktopEngineProperties* engine_properties) {
  if (!engine_properties || !engine_properties->assets_path) return nullptr;
  EngineOptions options = EngineOptions::FromEnvironment();
  if (options.failure == EngineOptions::Failure::kEngine) {
    WriteEngineNotice("engine creation refused (FERNHOLD_FLUTTER_FAIL=engine)");
    return nullptr;
  }
  auto engine = std::make_unique<FlutterDesktopEngine>(*engine_properties, std::move(options));
  if (!engine->valid()) return nullptr;
  return engine.release();
}

bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine) {
  if (!engine) return false;
  delete engine;
  return true;
}

bool FlutterDesktopEngineRun(FlutterDesktopEngineRef engine, const char* entry_point) {
  return engine && engine->Run(entry_point);
}

uint64_t FlutterDesktopEngineProcessMessages(FlutterDesktopEngineRef engine) {
  if (engine) engine->ProcessMessages();
  return 0;
}

void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine) {
  if (engine) engine->ReloadSystemFonts();
}

FlutterDesktopPluginRegistrarRef FlutterDesktopEngineGetPluginRegistrar(
    FlutterDesktopEngineRef engine, const char* plugin_name) {
  return engine ? engine->GetRegistrar(plugin_name) : nullptr;
}

FlutterDesktopMessengerRef FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine) {
  return engine ? engine->messenger() : nullptr;
}

FlutterDesktopTextureRegistrarRef FlutterDesktopEngineGetTextureRegistrar(
    FlutterDesktopEngineRef engine) {
  return engine ? engine->texture_registrar() : nullptr;
}

void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef engine, VoidCallback callback,
                                              void* user_data) {
  if (engine) engine->SetNextFrameCallback(callback, user_data);
}

// ----- View -----

HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view) { return view ? view->hwnd() : nullptr; }

// ----- Plug-in registrar -----

FlutterDesktopMessengerRef FlutterDesktopPluginRegistrarGetMessenger(
    FlutterDesktopPluginRegistrarRef registrar) {
  return registrar ? registrar->engine->messenger() : nullptr;
}

FlutterDesktopTextureRegistrarRef FlutterDesktopRegistrarGetTextureRegistrar(
    FlutterDesktopPluginRegistrarRef registrar) {
  return registrar ? registrar->engine->texture_registrar() : nullptr;
}

void FlutterDesktopPluginRegistrarSetDestructionHandler(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopOnPluginRegistrarDestroyed callback) {
  if (registrar) registrar->destruction_handler = callback;
}

FlutterDesktopViewRef FlutterDesktopPluginRegistrarGetView(
    FlutterDesktopPluginRegistrarRef registrar) {
  // Every view an engine is given is a FlutterDesktopView (FlutterDesktopViewControllerCreate).
  return registrar ? static_cast<FlutterDesktopView*>(registrar->engine->view()) : nullptr;
}

void FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate,
    void* user_data) {
  if (registrar && delegate) {
    registrar->engine->AddWindowProcDelegate(registrar, delegate, user_data);
  }
}

void FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate) {
  if (registrar) registrar->engine->RemoveWindowProcDelegate(registrar, delegate);
}

// ----- Messenger -----

bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger, const char* channel,
                                 const uint8_t* message, size_t message_size) {
  return WithMessengerEngine(messenger, false, [&](Engine* engine) {
    return engine->Send(channel, message, message_size, nullptr, nullptr);
  });
}

bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger,
                                          const char* channel, const uint8_t* message,
                                          size_t message_size, FlutterDesktopBinaryReply reply,
                                          void* user_data) {
  return WithMessengerEngine(messenger, false, [&](Engine* engine) {
    return engine->Send(channel, message, message_size, reply, user_data);
  });
}

void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef messenger,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t data_length) {
  WithMessengerEngine(messenger, true, [&](Engine* engine) {
    engine->SendResponse(handle, data, data_length);
    return true;
  });
}

void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger, const char* channel,
                                        FlutterDesktopMessageCallback callback, void* user_data) {
  WithMessengerEngine(messenger, true, [&](Engine* engine) {
    engine->SetCallback(channel, callback, user_data);
    return true;
  });
}

FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger) {
  if (messenger) messenger->references.fetch_add(1);
  return messenger;
}

void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger) {
  ReleaseMessenger(messenger);
}

bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger) {
  return WithMessengerEngine(messenger, false, [](Engine*) { return true; });
}

FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger) {
  if (messenger) messenger->mutex.lock();
  return messenger;
}

void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger) {
  if (messenger) messenger->mutex.unlock();
}

// ----- Textures -----

int64_t FlutterDesktopTextureRegistrarRegisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar, const FlutterDesktopTextureInfo* info) {
  if (!info || info->type != kFlutterDesktopPixelBufferTexture) return -1;
  auto registry = RegistryOf(texture_registrar);
  if (!registry) return -1;
  return registry->Register(info->pixel_buffer_config.callback,
                            info->pixel_buffer_config.user_data);
}

void FlutterDesktopTextureRegistrarUnregisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id,
    void (*callback)(void* user_data), void* user_data) {
  if (auto registry = RegistryOf(texture_registrar)) {
    registry->Unregister(texture_id, callback, user_data);
  } else if (callback) {
    callback(user_data);  // The engine is gone: nothing runs any more.
  }
}

bool FlutterDesktopTextureRegistrarMarkExternalTextureFrameAvailable(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id) {
  auto registry = RegistryOf(texture_registrar);
  return registry && registry->MarkFrameAvailable(texture_id);
}

// ----- Utilities -----

UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor) {
  const EngineOptions options = EngineOptions::FromEnvironment();
  if (options.dpi_override) return options.dpi_override;
  return SystemDpiForMonitor(monitor);
}

UINT FlutterDesktopGetDpiForHWND(HWND hwnd) {
  const EngineOptions options = EngineOptions::FromEnvironment();
  if (options.dpi_override) return options.dpi_override;
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  auto get_dpi = reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi && hwnd) {
    if (const UINT dpi = get_dpi(hwnd)) return dpi;
  }
  return SystemDpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

void FlutterDesktopResyncOutputStreams() { flutter::engine::ResyncOutputStreams(); }

// ----- Testing -----

void FlutterDesktopSetOutputCallbackForTesting(FlutterDesktopOutputCallback callback,
                                               void* user_data) {
  flutter::engine::SetOutputCallback(callback, user_data);
}
