// C interface of the engine library (flutter_windows.dll) for Windows hosts.
//
// A host describes its Dart project with FlutterDesktopEngineProperties, creates an engine, and
// either runs it headless or hands it to a view controller, which runs it and gives it a child
// window (the view) to draw into. The thread that creates the engine is its platform thread: every
// call below belongs on that thread unless its comment says otherwise, and the engine delivers
// messages, replies and frame callbacks there, from the thread's message loop.
//
// Typical use:
//   FlutterDesktopEngineRef engine = FlutterDesktopEngineCreate(&properties);
//   FlutterDesktopViewControllerRef controller =
//       FlutterDesktopViewControllerCreate(width, height, engine);   // takes the engine
//   if (!controller) return;                                // the engine is gone too
//   SetParent(FlutterDesktopViewGetHWND(FlutterDesktopViewControllerGetView(controller)), host);
//   ... run the message loop ...
//   FlutterDesktopViewControllerDestroy(controller);        // destroys the engine too
#ifndef FLUTTER_FLUTTER_WINDOWS_H_
#define FLUTTER_FLUTTER_WINDOWS_H_

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#include <flutter_export.h>
#include <flutter_messenger.h>
#include <flutter_plugin_registrar.h>
#include <flutter_texture_registrar.h>

#if defined(__cplusplus)
extern "C" {
#endif

typedef struct FlutterDesktopViewControllerState* FlutterDesktopViewControllerRef;
typedef struct FlutterDesktopView* FlutterDesktopViewRef;
typedef struct FlutterDesktopEngine* FlutterDesktopEngineRef;

// Where the Dart project lives. Relative paths are resolved against the folder of the running
// executable, not the current directory. Strings are copied by FlutterDesktopEngineCreate.
typedef struct {
  const wchar_t* assets_path;       // "<project>\flutter_assets"; must exist
  const wchar_t* icu_data_path;     // "<project>\icudtl.dat"
  const wchar_t* aot_library_path;  // "<project>\app.so"
  const char* dart_entrypoint;      // null or empty: "main"
  int dart_entrypoint_argc;         // arguments passed to the Dart entry point, UTF-8
  const char** dart_entrypoint_argv;
} FlutterDesktopEngineProperties;

// ----- View controller -----

// Creates a view of |width| x |height| physical pixels and runs |engine| in it. Takes ownership of
// |engine| in every case: on success the controller owns it (FlutterDesktopViewControllerDestroy
// destroys it); on failure null is returned and the engine has already been destroyed, so the
// caller must not use or destroy it again.
FLUTTER_EXPORT FlutterDesktopViewControllerRef
FlutterDesktopViewControllerCreate(int width, int height, FlutterDesktopEngineRef engine);

// Destroys the view and shuts the engine down.
FLUTTER_EXPORT void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller);

FLUTTER_EXPORT FlutterDesktopEngineRef
FlutterDesktopViewControllerGetEngine(FlutterDesktopViewControllerRef controller);

FLUTTER_EXPORT FlutterDesktopViewRef
FlutterDesktopViewControllerGetView(FlutterDesktopViewControllerRef controller);

// Asks for a new frame even when nothing changed.
FLUTTER_EXPORT void FlutterDesktopViewControllerForceRedraw(
    FlutterDesktopViewControllerRef controller);

// Offers a message of the host's top-level window to the engine and its plug-ins. Returns true and
// sets |result| when one of them handled it.
FLUTTER_EXPORT bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller, HWND hwnd, UINT message, WPARAM wparam,
    LPARAM lparam, LRESULT* result);

// ----- Engine -----

// Creates an engine (not yet running). Returns null when the properties are unusable.
FLUTTER_EXPORT FlutterDesktopEngineRef
FlutterDesktopEngineCreate(const FlutterDesktopEngineProperties* engine_properties);

// Shuts the engine down and frees it. Returns false for a null engine.
FLUTTER_EXPORT bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine);

// Starts the Dart side at |entry_point| (null: the properties' entry point, else "main"). Returns
// false when the project cannot be found or the engine already runs.
FLUTTER_EXPORT bool FlutterDesktopEngineRun(FlutterDesktopEngineRef engine,
                                            const char* entry_point);

// Runs what the engine has pending for the platform thread; for hosts that do not pump window
// messages. Returns the nanoseconds until the engine next needs a call (0 when unknown).
FLUTTER_EXPORT uint64_t FlutterDesktopEngineProcessMessages(FlutterDesktopEngineRef engine);

// Makes the engine re-read the installed fonts (after WM_FONTCHANGE).
FLUTTER_EXPORT void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine);

// The registrar for the plug-in named |plugin_name|; the same name always gives the same one.
FLUTTER_EXPORT FlutterDesktopPluginRegistrarRef
FlutterDesktopEngineGetPluginRegistrar(FlutterDesktopEngineRef engine, const char* plugin_name);

FLUTTER_EXPORT FlutterDesktopMessengerRef
FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine);

FLUTTER_EXPORT FlutterDesktopTextureRegistrarRef
FlutterDesktopEngineGetTextureRegistrar(FlutterDesktopEngineRef engine);

typedef void (*VoidCallback)(void* user_data);

// |callback| runs once, on the platform thread, after the next frame has been produced. A later
// call replaces a callback that has not run yet.
FLUTTER_EXPORT void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef engine,
                                                             VoidCallback callback,
                                                             void* user_data);

// ----- View -----

// The view's child window; the host re-parents it into its own window.
FLUTTER_EXPORT HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view);

// ----- Plug-in registrar additions for Windows -----

// The view of the registrar's engine, or null when it runs headless.
FLUTTER_EXPORT FlutterDesktopViewRef
FlutterDesktopPluginRegistrarGetView(FlutterDesktopPluginRegistrarRef registrar);

// A delegate offered every message of the host's top-level window (see
// FlutterDesktopViewControllerHandleTopLevelWindowProc). Returns true and sets |result| when it
// handled the message; the first delegate that does so wins. Delegates are kept per registrar:
// registering the same callback again through one registrar replaces that registrar's entry, and
// unregistering removes only the entry of the registrar given.
typedef bool (*FlutterDesktopWindowProcCallback)(HWND hwnd, UINT message, WPARAM wparam,
                                                 LPARAM lparam, void* user_data,
                                                 LRESULT* result);

FLUTTER_EXPORT void FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate,
    void* user_data);

FLUTTER_EXPORT void FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate);

// ----- Utilities (any thread) -----

// DPI of a window or a monitor; 96 means 100 %.
FLUTTER_EXPORT UINT FlutterDesktopGetDpiForHWND(HWND hwnd);
FLUTTER_EXPORT UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor);

// Makes the engine's output follow the process's standard streams after the host has re-opened
// them (for instance onto a newly allocated console).
FLUTTER_EXPORT void FlutterDesktopResyncOutputStreams();

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_FLUTTER_WINDOWS_H_
