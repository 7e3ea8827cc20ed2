#include "capture_probe.h"

#include <cstdio>
#include <sstream>

namespace mic_test {

MicAudioCapture::FrameCallback CallbackRecorder::FrameCallback() {
  return [this](const std::uint8_t* config, int configLength, const std::uint8_t* frame, int frameLength) {
    const bool hasConfig = config != nullptr && configLength > 0;
    const bool hasFrame = frame != nullptr && frameLength > 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (hasConfig == hasFrame || (hasConfig && frameLength != 0) || (hasFrame && configLength != 0)) {
        ++calls_.malformed;
      } else if (hasConfig) {
        calls_.configs.emplace_back(config, config + configLength);
        calls_.order.push_back('c');
      } else {
        calls_.frames.emplace_back(frame, frame + frameLength);
        calls_.order.push_back('f');
      }
      changed_.notify_all();
    }
    if (hasConfig && afterConfig) afterConfig();
  };
}

MicAudioCapture::FailureCallback CallbackRecorder::FailureCallback() {
  return [this] {
    std::lock_guard<std::mutex> lock(mutex_);
    ++calls_.failures;
    changed_.notify_all();
  };
}

CallbackRecorder::Calls CallbackRecorder::calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

bool CallbackRecorder::WaitForFrames(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return calls_.frames.size() >= count; });
}

bool CallbackRecorder::WaitForFailure(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return calls_.failures > 0; });
}

int CountLines(const std::string& log, const std::string& text) {
  std::istringstream lines(log);
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

std::vector<LevelLine> LevelLines(const std::string& log) {
  std::istringstream lines(log);
  std::vector<LevelLine> result;
  for (std::string line; std::getline(lines, line);) {
    LevelLine level{};
    if (std::sscanf(line.c_str(), "[MicAudioCapture] level: peak=%d/32767, buffers total=%d silent=%d",
                    &level.peak, &level.total, &level.silent) == 3) {
      result.push_back(level);
    }
  }
  return result;
}

}  // namespace mic_test
