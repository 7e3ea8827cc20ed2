// Starts the real fernhold_pc_client.exe (from the folder of the running test program) and watches
// it from outside: its standard output, its top-level window and its exit code. (Another program
// of that folder can be watched the same way.)
//
//   ClientProcess client({L"--route=home"}, {{L"SOME_SWITCH", L"1"}});
//   ASSERT_TRUE(client.WaitForOutput("[dart] started", 10s));
//   HWND window = client.WaitForWindow(10s);
//   EXPECT_EQ(client.WaitForExit(10s), 0);
//
// Thread-safety: one test thread uses the object; a reader thread of its own collects the output.
#ifndef TESTS_SHELL_CLIENT_PROCESS_H_
#define TESTS_SHELL_CLIENT_PROCESS_H_

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_file.h"

// The folder of the running test program, with a trailing backslash.
std::wstring TestProgramFolder();

class ClientProcess {
 public:
  using Environment = std::map<std::wstring, std::wstring>;

  // Starts the client with `arguments` (each quoted as needed) and the test's environment plus
  // `extra_environment`. `started()` is false when CreateProcess failed. `program` names another
  // executable of the test program's folder to start instead.
  explicit ClientProcess(const std::vector<std::wstring>& arguments = {},
                         const Environment& extra_environment = {},
                         const wchar_t* program = L"fernhold_pc_client.exe");

  // Kills the process when it still runs, and joins the reader.
  ~ClientProcess();

  ClientProcess(const ClientProcess&) = delete;
  ClientProcess& operator=(const ClientProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  HANDLE process_handle() const { return process_; }
  DWORD process_id() const { return process_id_; }

  // The moment CreateProcess returned.
  std::chrono::steady_clock::time_point start_time() const { return start_time_; }

  // Waits until the output holds `text`. Returns false on timeout or when the output ended first.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);

  // Everything the process wrote so far.
  std::string Output();

  // Waits for the exit; nullopt on timeout.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout);

  // The top-level window of `class_name` that belongs to this process, once it exists (and, with
  // `visible`, once it is shown); null on timeout.
  HWND WaitForWindow(const wchar_t* class_name, std::chrono::milliseconds timeout,
                     bool visible = false);

 private:
  void ReadOutput();

  HANDLE process_ = nullptr;      // Owned.
  HANDLE output_read_ = nullptr;  // Owned: the read end of the child's stdout and stderr.
  DWORD process_id_ = 0;
  std::chrono::steady_clock::time_point start_time_;

  std::mutex mutex_;
  std::condition_variable output_changed_;
  std::string output_;       // Guarded by mutex_.
  bool output_ended_ = false;  // Guarded by mutex_.
  std::thread reader_;
};

// A scenario for the scripted Dart side of one run of the client, in a file of its own.
class ScenarioFile {
 public:
  explicit ScenarioFile(const std::string& text) : file_(text) {}

  // The environment that makes the client's engine run this scenario.
  ClientProcess::Environment Environment() const {
    return {{L"FERNHOLD_FLUTTER_SCENARIO", file_.path()}};
  }

 private:
  test_support::TempFile file_;
};

// Polls `condition` (a cheap query of another process's state, which offers nothing to wait on)
// every few milliseconds until it holds or `timeout` passes. Returns its last result.
template <typename Condition>
bool PollUntil(Condition condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return condition();
    }
    ::Sleep(5);
  }
  return true;
}

#endif  // TESTS_SHELL_CLIENT_PROCESS_H_
