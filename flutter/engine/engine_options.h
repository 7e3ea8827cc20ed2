// EngineOptions: test controls of the engine, read from the environment when an engine is made.
// Plain values; FromEnvironment may be called on any thread.
//
//   FERNHOLD_FLUTTER_FAIL=engine     FlutterDesktopEngineCreate fails (a controller gets no engine)
//   FERNHOLD_FLUTTER_FAIL=view       FlutterDesktopViewControllerCreate fails (no view)
//   FERNHOLD_FLUTTER_NO_FRAME=1      the view never produces a frame; next-frame callbacks never run
//   FERNHOLD_FLUTTER_DPI=<n>         FlutterDesktopGetDpiForMonitor/ForHWND return n
//   FERNHOLD_FLUTTER_SCENARIO=<path> the scenario to run instead of <assets>\scenario.txt
//   FERNHOLD_FLUTTER_OUTPUT=<path>   output lines are also appended to this file
#ifndef FLUTTER_ENGINE_ENGINE_OPTIONS_H_
#define FLUTTER_ENGINE_ENGINE_OPTIONS_H_

#include <windows.h>

#include <string>

namespace flutter {
namespace engine {

struct EngineOptions {
  enum class Failure { kNone, kEngine, kView };

  Failure failure = Failure::kNone;
  bool produce_frames = true;
  UINT dpi_override = 0;       // 0: ask the system
  std::wstring scenario_path;  // empty: the project's own

  static EngineOptions FromEnvironment();
};

// The value of environment variable |name|, or empty.
std::wstring GetEnvironment(const wchar_t* name);

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_ENGINE_OPTIONS_H_
