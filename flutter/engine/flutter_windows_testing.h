// Test hooks of the engine library. Hosts do not use these; tests that run the engine in their own
// process use them to observe what the scripted Dart side prints.
#ifndef FLUTTER_FLUTTER_WINDOWS_TESTING_H_
#define FLUTTER_FLUTTER_WINDOWS_TESTING_H_

#include <flutter_export.h>

#if defined(__cplusplus)
extern "C" {
#endif

// Receives every output line (the "[dart] ..." and "[engine] ..." lines), without line end, on the
// thread that produced it. The line is valid for the duration of the call.
typedef void (*FlutterDesktopOutputCallback)(const char* line, void* user_data);

// Installs the process-wide observer; null removes it. Lines still go to standard output.
FLUTTER_EXPORT void FlutterDesktopSetOutputCallbackForTesting(FlutterDesktopOutputCallback callback,
                                                              void* user_data);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_FLUTTER_WINDOWS_TESTING_H_
