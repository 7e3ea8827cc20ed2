// Helpers for tests of the simulated streaming library: a listener and a display that record
// what reaches them, with waits on conditions (never fixed sleeps).
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "swplay/swplay.h"
#include "swplay/swplay_sim.h"

namespace swtest {

// A token no other test (or parallel test process) uses.
inline std::string UniqueToken(const std::string& script) {
  static std::atomic<int> counter{0};
  return "t" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter) + ";" +
         script;
}

struct Notification {
  std::string text;
  std::thread::id thread;
};

class RecordingListener : public SWDataSourceListener, public OnPlayerErrorListener {
 public:
  void onConnected() override { Add("connected"); }
  void onReconnecting(int attempt) override { Add("reconnecting " + std::to_string(attempt)); }
  void onDisconnected(int code) override { Add("disconnected " + std::to_string(code)); }
  void onControlVideo(int value, int fps) override {
    Add("control " + std::to_string(value) + " " + std::to_string(fps));
  }
  void onRecvClipboard(const char* data, int length) override {
    Add("clipboard " + std::string(data, data + length));
  }
  void onError(int code, const char* message) override {
    Add("error " + std::to_string(code) + " " + (message ? message : "(null)"));
  }

  // Waits until at least `count` notifications arrived; false on timeout.
  bool WaitFor(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] { return items_.size() >= count; });
  }

  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& n : items_) out.push_back(n.text);
    return out;
  }

  std::vector<Notification> Items() {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
  }

 protected:
  virtual void Add(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back({std::move(text), std::this_thread::get_id()});
    cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Notification> items_;
};

// A display that copies every frame it gets.
class CapturingDisplay : public VideoDisplayWinBase {
 public:
  void onFrameReady() override {
    if (inFrame) inFrame();
    lockFrameBuffer();
    std::vector<uint8_t> copy;
    int w = frameWidth(), h = frameHeight();
    if (frameData() && w > 0 && h > 0) copy.assign(frameData(), frameData() + size_t(w) * h * 4);
    unlockFrameBuffer();
    std::lock_guard<std::mutex> lock(mutex_);
    last_ = std::move(copy);
    width_ = w;
    height_ = h;
    ++frames_;
    renderThread_ = std::this_thread::get_id();
    cv_.notify_all();
  }

  bool WaitFrames(int count, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] { return frames_ >= count; });
  }

  int frames() {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
  }

  // B, G, R, A word of pixel (x, y) of the last frame.
  uint32_t Pixel(int x, int y) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint8_t* p = last_.data() + (size_t(y) * width_ + x) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  }

  int width() {
    std::lock_guard<std::mutex> lock(mutex_);
    return width_;
  }
  int height() {
    std::lock_guard<std::mutex> lock(mutex_);
    return height_;
  }
  std::thread::id renderThread() {
    std::lock_guard<std::mutex> lock(mutex_);
    return renderThread_;
  }

  // Runs at the start of every onFrameReady, on the render thread.
  std::function<void()> inFrame;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<uint8_t> last_;
  int width_ = 0, height_ = 0, frames_ = 0;
  std::thread::id renderThread_;
};

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const auto& l : lines) {
    if (l == line) return true;
  }
  return false;
}

// Lines of a token log without the notifications and object prefixes.
inline std::vector<std::string> Calls(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines) {
    auto space = l.find(' ');
    std::string body = space == std::string::npos ? l : l.substr(space + 1);
    if (body.rfind("=> ", 0) != 0) out.push_back(body);
  }
  return out;
}

}  // namespace swtest
