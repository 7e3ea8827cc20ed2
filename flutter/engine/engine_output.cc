#include "flutter/engine/engine_output.h"

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <mutex>

namespace flutter {
namespace engine {

namespace {

struct OutputState {
  std::mutex mutex;
  OutputCallback callback = nullptr;
  void* user_data = nullptr;
  bool file_checked = false;
  FILE* file = nullptr;  // Owned; closed at exit.

  ~OutputState() {
    if (file) std::fclose(file);
  }
};

OutputState& State() {
  static OutputState state;
  return state;
}

// Opens the copy file named by the environment on first use. Called under the state's mutex.
FILE* CopyFile(OutputState& state) {
  if (!state.file_checked) {
    state.file_checked = true;
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(L"FERNHOLD_FLUTTER_OUTPUT", path, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) state.file = _wfopen(path, L"ab");
  }
  return state.file;
}

}  // namespace

void WriteOutputLine(const std::string& line) {
  OutputState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  if (FILE* file = CopyFile(state)) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fflush(file);
  }
  if (state.callback) state.callback(line.c_str(), state.user_data);
}

void WriteEngineNotice(const std::string& text) {
  const std::string line = "[engine] " + text;
  OutputState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  if (state.callback) state.callback(line.c_str(), state.user_data);
}

void SetOutputCallback(OutputCallback callback, void* user_data) {
  OutputState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.callback = callback;
  state.user_data = user_data;
}

void ResyncOutputStreams() {
  OutputState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  // The C runtime (and with it stdout and stderr) is shared with the host, so the host's
  // re-opening of the streams already holds for the engine's writes; its own C++ streams only
  // need to forget failures from the time there was nowhere to write.
  std::ios::sync_with_stdio();
  std::cout.clear();
  std::cerr.clear();
  std::clog.clear();
}

}  // namespace engine
}  // namespace flutter
