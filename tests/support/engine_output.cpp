#include "tests/support/engine_output.h"

#include <algorithm>

#include "flutter/engine/flutter_windows_testing.h"
#include "tests/support/message_pump.h"

namespace test_support {

OutputRecorder::OutputRecorder() : thread_id_(::GetCurrentThreadId()) {
  FlutterDesktopSetOutputCallbackForTesting(&OutputRecorder::OnLine, this);
}

OutputRecorder::~OutputRecorder() { FlutterDesktopSetOutputCallbackForTesting(nullptr, nullptr); }

void OutputRecorder::OnLine(const char* line, void* user_data) {
  auto* self = static_cast<OutputRecorder*>(user_data);
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->lines_.emplace_back(line);
  }
  ::PostThreadMessageW(self->thread_id_, WM_NULL, 0, 0);
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
  return PumpMessagesUntil([&] { return Has(line); }, timeout);
}

ScopedScenario::ScopedScenario(const std::string& text)
    : file_(text), environment_(L"FERNHOLD_FLUTTER_SCENARIO", file_.path()) {}

}  // namespace test_support
