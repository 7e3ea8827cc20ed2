// Helpers for tests that run the engine in the test process.
//
// The test's main thread is the engine's platform thread: tests create the engine there and pump
// its messages with PumpUntil while they wait for what the scripted Dart side prints.
#ifndef TESTS_FLUTTER_TEST_SUPPORT_H_
#define TESTS_FLUTTER_TEST_SUPPORT_H_

#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace flutter_test_support {

// Collects the engine's output lines ("[dart] ...", "[engine] ...") for the lifetime of the object
// and wakes the constructing thread's message pump whenever one arrives.
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

// Dispatches the calling thread's messages until |done| holds or |timeout| passes. Returns |done|.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Dispatches the calling thread's messages for |duration| (for checking that nothing happens).
void PumpFor(std::chrono::milliseconds duration);

// Sets an environment variable for the lifetime of the object, restoring the old value after.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  bool had_value_ = false;
  std::wstring old_value_;
};

// A scenario written to a file of its own and selected through FERNHOLD_FLUTTER_SCENARIO.
class ScopedScenario {
 public:
  explicit ScopedScenario(const std::string& text);
  ~ScopedScenario();
  ScopedScenario(const ScopedScenario&) = delete;
  ScopedScenario& operator=(const ScopedScenario&) = delete;

 private:
  std::wstring path_;
  ScopedEnvironment environment_;
};

// A unique path in the temporary folder (the file is created empty).
std::wstring UniqueTempPath();

}  // namespace flutter_test_support

#endif  // TESTS_FLUTTER_TEST_SUPPORT_H_
