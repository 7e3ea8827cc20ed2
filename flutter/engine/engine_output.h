// The engine's line output: what the scripted Dart side prints and the engine's own notices.
//
// Every line goes to standard output, flushed at once, so a run can be checked from its output.
// When the environment variable FERNHOLD_FLUTTER_OUTPUT names a file, lines are appended there as
// well. Tests in the same process can observe lines through a callback.
//
// Thread-safety: every function may be called on any thread; lines never interleave.
#ifndef FLUTTER_ENGINE_ENGINE_OUTPUT_H_
#define FLUTTER_ENGINE_ENGINE_OUTPUT_H_

#include <string>

namespace flutter {
namespace engine {

// Writes |line| (without its line end).
void WriteOutputLine(const std::string& line);

// Writes an engine notice "[engine] <text>" to standard error and, as a line, to the callback.
void WriteEngineNotice(const std::string& text);

using OutputCallback = void (*)(const char* line, void* user_data);

// Installs (or, with null, removes) the process-wide observer of output lines.
void SetOutputCallback(OutputCallback callback, void* user_data);

// Re-attaches the output to the process's current standard streams.
void ResyncOutputStreams();

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_ENGINE_OUTPUT_H_
