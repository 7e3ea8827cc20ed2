// Test helpers around MicAudioCapture: a recorder for its callbacks and a capture of its log.
//
// Thread-safety: CallbackRecorder's callbacks run on the capture thread while the test thread
// waits and reads; everything is guarded by one mutex.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "mic/mic_audio_capture.h"

namespace mic_test {

class CallbackRecorder {
 public:
  struct Calls {
    std::vector<std::vector<std::uint8_t>> configs;
    std::vector<std::vector<std::uint8_t>> frames;
    std::string order;     // 'c' for a configuration, 'f' for a frame, in call order
    int malformed = 0;     // calls with both pairs set, or neither
    int failures = 0;
  };

  // Runs on the capture thread after the configuration was recorded.
  std::function<void()> afterConfig;

  MicAudioCapture::FrameCallback FrameCallback();
  MicAudioCapture::FailureCallback FailureCallback();

  Calls calls() const;
  bool WaitForFrames(std::size_t count, std::chrono::milliseconds timeout);
  bool WaitForFailure(std::chrono::milliseconds timeout);

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Calls calls_;
};

// Captures everything written to stdout while it lives (gtest's stdout capture).
class CapturedLog {
 public:
  CapturedLog() { testing::internal::CaptureStdout(); }
  ~CapturedLog() {
    if (!taken_) testing::internal::GetCapturedStdout();
  }
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  std::string Take() {
    taken_ = true;
    return testing::internal::GetCapturedStdout();
  }

 private:
  bool taken_ = false;
};

// Number of lines of `log` that contain `text`.
int CountLines(const std::string& log, const std::string& text);

// The level lines of `log` as {peak, total, silent}.
struct LevelLine {
  int peak;
  int total;
  int silent;
};
std::vector<LevelLine> LevelLines(const std::string& log);

}  // namespace mic_test
