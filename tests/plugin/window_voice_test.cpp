// Voice end to end: the PC's real microphone (Wine's capture from a private sound server playing a
// tone) runs while a real pop-out window is open, and its AAC frames reach the phones; it stops
// when the last window closes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "plugin/default_mic_capture.h"
#include "tests/plugin/real_window_rig.h"

using namespace plugintest;

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new RealWindowEnvironment);

struct MicCounts {
  std::atomic<int> starts{0}, stops{0}, frames{0};
  std::atomic<bool> running{false};
};

// The default microphone, with its starts, stops and coded frames counted.
class WatchedMic : public MicCapture {
 public:
  WatchedMic(FrameCallback onFrame, FailureCallback onFailure, std::shared_ptr<MicCounts> counts)
      : counts_(counts),
        inner_(MakeDefaultMicCapture(
            [onFrame = std::move(onFrame), counts](const uint8_t* config, int configLength,
                                                   const uint8_t* frame, int frameLength) {
              if (frame && frameLength > 0) ++counts->frames;
              onFrame(config, configLength, frame, frameLength);
            },
            std::move(onFailure))) {}

  bool Start() override {
    ++counts_->starts;
    counts_->running = inner_->Start();
    return counts_->running;
  }
  void Stop() override {
    inner_->Stop();  // waits for the capture thread
    counts_->running = false;
    ++counts_->stops;
  }
  bool IsRunning() const override { return inner_->IsRunning(); }

 private:
  const std::shared_ptr<MicCounts> counts_;
  const std::unique_ptr<MicCapture> inner_;
};

HWND OnlyNewWindow(const std::set<HWND>& before) {
  HWND found = nullptr;
  for (HWND w : PhoneWindows()) {
    if (!before.count(w)) found = w;
  }
  return found;
}

// Closes `window` as its close button would and waits until the plug-in has handled it: the
// event is out, the window gone and what its close posted to this thread (the voice check) done.
void CloseAsUser(RealWindowRig& rig, const std::string& pad, HWND window) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(rig.WaitEvents(pad, "windowClosed"));
  ASSERT_TRUE(PumpUntil([&] { return PhoneWindows().count(window) == 0; }));
  PumpPending();
}

size_t AudioFrames(const std::string& token) { return CountCalls(SdkCalls(token), "sendAudio(1, "); }

TEST(PluginWindowVoice, TheMicrophoneRunsWhileAPopOutWindowIsOpen) {
  ASSERT_STREQ(std::getenv("FERNHOLD_SOUND_SERVER"), "running");
  auto counts = std::make_shared<MicCounts>();
  RealWindowRig rig([counts](MicCapture::FrameCallback onFrame, MicCapture::FailureCallback onFailure) {
    return std::make_unique<WatchedMic>(std::move(onFrame), std::move(onFailure), counts);
  });
  EXPECT_EQ(rig.messenger.CallSwplay("setVoiceEnabled", Args({{"enabled", EncodableValue(true)}})).kind,
            Reply::Kind::kSuccess);
  EXPECT_EQ(counts->starts, 0);  // no window yet

  // The first window starts the capture; the phone gets the encoder's configuration (AAC-LC,
  // 48 kHz, mono) and then frames.
  const std::string ta = Token("connect=0"), tb = Token("connect=0");
  std::set<HWND> before = PhoneWindows();
  ASSERT_EQ(rig.OpenWindow("voice-a", ta, 1).kind, Reply::Kind::kSuccess);
  const HWND a = OnlyNewWindow(before);
  ASSERT_TRUE(a);
  EXPECT_TRUE(counts->running);
  ASSERT_TRUE(rig.WaitEvents("voice-a", "connected"));
  ASSERT_TRUE(PumpUntil([&] { return AudioFrames(ta) >= 20; }));
  // (It may go twice: with the capture's first delivery and again on "connected".)
  const auto calls = SdkCalls(ta);
  EXPECT_GE(CountCalls(calls, "sendAudio(0, 2 bytes 1188)"), 1u);
  EXPECT_EQ(CountCalls(calls, "sendAudio(0, "), CountCalls(calls, "sendAudio(0, 2 bytes 1188)"));

  // A second window shares the running capture.
  before = PhoneWindows();
  ASSERT_EQ(rig.OpenWindow("voice-b", tb, 2).kind, Reply::Kind::kSuccess);
  const HWND b = OnlyNewWindow(before);
  ASSERT_TRUE(b);
  ASSERT_TRUE(rig.WaitEvents("voice-b", "connected"));
  ASSERT_TRUE(PumpUntil([&] { return AudioFrames(tb) >= 10; }));
  EXPECT_EQ(counts->starts, 1);

  // The user closes the first window: the capture goes on for the second. The voice check runs
  // on this thread right after the close's event is delivered.
  CloseAsUser(rig, "voice-a", a);
  EXPECT_EQ(counts->stops, 0);
  const size_t framesB = AudioFrames(tb);
  ASSERT_TRUE(PumpUntil([&] { return AudioFrames(tb) >= framesB + 10; }));

  // Closing the last window stops the capture (its thread has ended when Stop returns): nothing
  // more is captured. Voice stays switched on, so this is no "voiceStopped".
  CloseAsUser(rig, "voice-b", b);
  EXPECT_EQ(counts->stops, 1);
  EXPECT_FALSE(counts->running);
  const int captured = counts->frames;
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(counts->frames, captured);
  rig.messenger.CallSwplay("flushEventsForTesting");
  for (const auto& event : rig.messenger.Events()) EXPECT_NE(event.name, "voiceStopped");

  // A window opened again starts it again.
  ASSERT_EQ(rig.OpenWindow("voice-a", ta, 1).kind, Reply::Kind::kSuccess);
  EXPECT_EQ(counts->starts, 2);
  EXPECT_TRUE(counts->running);
}

}  // namespace
