// The encoder half of MicAudioCapture, driven directly with no capture running: set-up, the level
// meter, error handling, and a round trip through an independent decoder.
#include <gtest/gtest.h>

#include <algorithm>

#include "aac_decoding.h"
#include "capture_probe.h"
#include "mic/mic_audio_capture.h"
#include "tone_analysis.h"

namespace {

using mic_test::CallbackRecorder;
using mic_test::CapturedLog;

TEST(AacEncoding, SetUpGivesTheLcConfigurationAndTheFrameLength) {
  MicAudioCapture capture(nullptr, nullptr);
  CapturedLog log;
  ASSERT_TRUE(capture.OpenEncoder());
  // AAC-LC (object type 2), 48000 Hz (index 3), one channel.
  EXPECT_EQ(capture.audioSpecificConfig(), (std::vector<std::uint8_t>{0x11, 0x88}));
  EXPECT_EQ(capture.frameLength(), 1024);
  EXPECT_EQ(log.Take(), "[MicAudioCapture] encoder ready: 48000Hz mono, cfg=2 bytes, frame=1024 samples\n");

  capture.CloseEncoder();
  EXPECT_TRUE(capture.audioSpecificConfig().empty());
  // Opening again after a close gives a working encoder again.
  ASSERT_TRUE(capture.OpenEncoder());
  EXPECT_EQ(capture.audioSpecificConfig().size(), 2u);
}

TEST(AacEncoding, LogsTheLevelEveryFiftiethFrameAndRestartsThePeak) {
  CallbackRecorder recorder;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback());
  ASSERT_TRUE(capture.OpenEncoder());

  // Frame k peaks at 20000 - 100 k, so a peak carried over from the first fifty frames would show
  // in the second line.
  CapturedLog log;
  std::vector<std::int16_t> frame(1024, 0);
  for (int k = 0; k < 100; ++k) {
    frame[k % 1024] = static_cast<std::int16_t>(k % 2 == 0 ? 20000 - 100 * k : -(20000 - 100 * k));
    ASSERT_TRUE(capture.EncodeFrame(frame.data(), 1024));
    frame[k % 1024] = 0;
  }
  const std::string text = log.Take();
  const std::vector<mic_test::LevelLine> levels = mic_test::LevelLines(text);
  ASSERT_EQ(levels.size(), 2u) << text;
  EXPECT_EQ(levels[0].peak, 20000);
  EXPECT_EQ(levels[1].peak, 15000);
  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] level: peak=20000/32767, buffers total=0 silent=0"), 1);

  // Coded frames reach the callback as frames only; the encoder's look-ahead may hold back the
  // first ones.
  const CallbackRecorder::Calls calls = recorder.calls();
  EXPECT_EQ(calls.malformed, 0);
  EXPECT_TRUE(calls.configs.empty());
  EXPECT_GE(calls.frames.size(), 97u);
  EXPECT_LE(calls.frames.size(), 100u);
}

TEST(AacEncoding, EncodingWithoutAnOpenEncoderFailsAndSaysSo) {
  CallbackRecorder recorder;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback());
  const std::vector<std::int16_t> frame(1024, 100);
  CapturedLog log;
  EXPECT_FALSE(capture.EncodeFrame(frame.data(), 1024));
  EXPECT_EQ(log.Take(), "[MicAudioCapture] aacEncEncode failed: 0x20\n");
  EXPECT_TRUE(recorder.calls().frames.empty());
}

TEST(AacEncoding, FramesDecodeBackToTheToneWithAnIndependentDecoder) {
  CallbackRecorder recorder;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback());
  ASSERT_TRUE(capture.OpenEncoder());
  const std::vector<std::int16_t> tone = mic_test::MakeSine(1000.0, 48000.0, 60 * 1024 / 48000.0, 16000.0);
  for (std::size_t at = 0; at + 1024 <= tone.size(); at += 1024) {
    ASSERT_TRUE(capture.EncodeFrame(tone.data() + at, 1024));
  }

  std::vector<std::uint8_t> adts;
  for (const auto& frame : recorder.calls().frames) {
    const std::vector<std::uint8_t> framed = mic_test::AdtsFrame(frame);
    adts.insert(adts.end(), framed.begin(), framed.end());
  }
  std::vector<std::int16_t> decoded;
  std::string error;
  ASSERT_TRUE(mic_test::DecodeAdtsWithFfmpeg(adts, &decoded, &error)) << error;
  ASSERT_GE(decoded.size(), 50u * 1024);
  // Leave out the decoder's priming at the start and the encoder's flush at the end.
  const std::vector<std::int16_t> steady(decoded.begin() + 4096, decoded.end() - 2048);
  EXPECT_NEAR(mic_test::EstimateFrequency(steady, 48000.0), 1000.0, 1.0);
  EXPECT_GE(mic_test::SineSnrDb(steady, 48000.0, 1000.0), 30.0);
  EXPECT_GT(*std::max_element(steady.begin(), steady.end()), 12000);
}

}  // namespace
