// What the stand-in engine prints, observed in the test process: the scripted Dart side's
// "[dart] ..." lines and the engine's "[engine] ..." notices, and the scenario it runs.
//
//   test_support::OutputRecorder output;               // before the engine starts
//   test_support::ScopedScenario scenario("call app/ch ping\nwait reply\necho end\n");
//   ... create and run the engine on this thread ...
//   ASSERT_TRUE(output.WaitFor("[dart] echo end"));    // pumps this thread's messages
//
// Thread affinity: lines arrive on the engine's threads and are locked; WaitFor pumps the
// messages of the thread that made the recorder, which must be the engine's platform thread.
#ifndef TESTS_SUPPORT_ENGINE_OUTPUT_H_
#define TESTS_SUPPORT_ENGINE_OUTPUT_H_

#include <windows.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_file.h"

namespace test_support {

// Collects the engine's output lines for the lifetime of the object and wakes the constructing
// thread's message pump whenever one arrives. One recorder at a time per process.
class OutputRecorder {
 public:
  OutputRecorder();
  ~OutputRecorder();
  OutputRecorder(const OutputRecorder&) = delete;
  OutputRecorder& operator=(const OutputRecorder&) = delete;

  std::vector<std::string> Lines() const;

  // Lines that start with |prefix|.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;

  // Whether a line equal to |line| was seen.
  bool Has(const std::string& line) const;

  // Number of lines containing |text|.
  size_t CountContaining(const std::string& text) const;

  // Pumps the calling thread's messages until a line equal to |line| arrives. False on timeout.
  bool WaitFor(const std::string& line,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  static void OnLine(const char* line, void* user_data);

  const DWORD thread_id_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// A scenario for the scripted Dart side, written to a file of its own and selected through
// FERNHOLD_FLUTTER_SCENARIO for the engines started while the object lives.
class ScopedScenario {
 public:
  explicit ScopedScenario(const std::string& text);

 private:
  TempFile file_;
  ScopedEnvironment environment_;
};

}  // namespace test_support

#endif  // TESTS_SUPPORT_ENGINE_OUTPUT_H_
