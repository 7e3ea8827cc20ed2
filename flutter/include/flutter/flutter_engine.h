// FlutterEngine: one running Dart program with its messenger and plug-in registrars.
//
// A host normally lets FlutterViewController make and run the engine; a headless host runs it
// itself:
//
//   flutter::FlutterEngine engine(project);
//   if (!engine.Run()) return false;
//   flutter::MethodChannel<> channel(engine.messenger(), "x", &codec);
//
// Thread affinity: the thread that constructs the engine is its platform thread; use the engine
// there only. Messages, replies and the next-frame callback are delivered there from the thread's
// message loop.
#ifndef FLUTTER_FLUTTER_ENGINE_H_
#define FLUTTER_FLUTTER_ENGINE_H_

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "flutter/binary_messenger.h"
#include "flutter/dart_project.h"
#include <flutter_windows.h>
#include "flutter/plugin_registry.h"

namespace flutter {

class FlutterEngine : public PluginRegistry {
 public:
  // Creates the engine without running it. When the engine library refuses the project, the object
  // exists but has no engine: Run fails and messenger() is null.
  explicit FlutterEngine(const DartProject& project);
  ~FlutterEngine() override;
  FlutterEngine(const FlutterEngine&) = delete;
  FlutterEngine& operator=(const FlutterEngine&) = delete;

  // Starts the project's entry point (or |entry_point|). False when already run or failed.
  bool Run();
  bool Run(const char* entry_point);

  // Shuts the engine down now, if this object still owns it.
  void ShutDown();

  // Runs pending platform-thread work; for hosts without a message loop. Returns the time until
  // the engine next needs a call.
  std::chrono::nanoseconds ProcessMessages();

  // Makes the engine re-read the installed fonts.
  void ReloadSystemFonts();

  // PluginRegistry:
  FlutterDesktopPluginRegistrarRef GetRegistrarForPlugin(const std::string& plugin_name) override;

  // The engine's messenger (owned by this object); null when there is no engine.
  BinaryMessenger* messenger() { return messenger_.get(); }

  // |callback| runs once on the platform thread after the next frame.
  void SetNextFrameCallback(std::function<void()> callback);

 private:
  friend class FlutterViewController;

  // Whether the engine library accepted the project.
  bool has_engine() const { return engine_ != nullptr; }

  // The C engine, still owned by this object.
  FlutterDesktopEngineRef engine() const { return engine_; }

  // Hands ownership of the C engine to a view controller; this object keeps using it.
  FlutterDesktopEngineRef RelinquishEngine();

  static void OnNextFrame(void* user_data);

  FlutterDesktopEngineRef engine_ = nullptr;
  std::unique_ptr<BinaryMessenger> messenger_;
  bool owns_engine_ = true;
  bool has_been_run_ = false;
  std::function<void()> next_frame_callback_;
};

}  // namespace flutter

#endif  // FLUTTER_FLUTTER_ENGINE_H_
