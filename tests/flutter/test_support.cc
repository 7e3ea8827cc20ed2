#include "tests/flutter/test_support.h"

#include <algorithm>

#include "flutter/flutter_windows_testing.h"

namespace flutter_test_support {

OutputRecorder::OutputRecorder() : thread_id_(GetCurrentThreadId()) {
  FlutterDesktopSetOutputCallbackForTesting(&OutputRecorder::OnLine, this);
}

OutputRecorder::~OutputRecorder() { FlutterDesktopSetOutputCallbackForTesting(nullptr, nullptr); }

void OutputRecorder::OnLine(const char* line, void* user_data) {
  auto* self = static_cast<OutputRecorder*>(user_data);
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->lines_.emplace_back(line);
  }
  PostThreadMessageW(self->thread_id_, WM_NULL, 0, 0);
}

std::vector<std::string> OutputRecorder::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::vector<std::string> OutputRecorder::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& line : Lines()) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

bool OutputRecorder::Has(const std::string& line) const {
  const std::vector<std::string> lines = Lines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t OutputRecorder::CountContaining(const std::string& text) const {
  const std::vector<std::string> lines = Lines();
  return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(text) != std::string::npos;
  });
}

bool OutputRecorder::WaitFor(const std::string& line, std::chrono::milliseconds timeout) {
  return PumpUntil([&] { return Has(line); }, timeout);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

void PumpFor(std::chrono::milliseconds duration) {
  PumpUntil([] { return false; }, duration);
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value)
    : name_(name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size > 0) {
    std::wstring old(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, old.data(), size);
    old.resize(length);
    had_value_ = true;
    old_value_ = old;
  }
  SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableW(name_.c_str(), had_value_ ? old_value_.c_str() : nullptr);
}

std::wstring UniqueTempPath() {
  wchar_t folder[MAX_PATH];
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"fls", 0, path);
  return path;
}

namespace {

std::wstring WriteTempFile(const std::string& text) {
  const std::wstring path = UniqueTempPath();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }
  return path;
}

}  // namespace

ScopedScenario::ScopedScenario(const std::string& text)
    : path_(WriteTempFile(text)), environment_(L"FERNHOLD_FLUTTER_SCENARIO", path_) {}

ScopedScenario::~ScopedScenario() { DeleteFileW(path_.c_str()); }

}  // namespace flutter_test_support
