// MicAudioCapture against Wine's real WASAPI. tools/pulse/with-sound-server runs each case beside
// a private sound server whose default source carries a 1 kHz tone; a case named
// "...WithoutSoundServer" runs with no server at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "aac_decoding.h"
#include "capture_probe.h"
#include "mic/mic_audio_capture.h"
#include "tone_analysis.h"

namespace {

using mic_test::CallbackRecorder;
using mic_test::CapturedLog;
using namespace std::chrono_literals;

constexpr auto kLongWait = 60s;  // only reached when something is broken

// The real devices with a start time-out far beyond need: a busy machine may take seconds to set
// a device up, and these cases test the capture, not the time-out.
MicCaptureSettings PatientSettings() {
  MicCaptureSettings settings;
  settings.startTimeout = kLongWait;
  return settings;
}

std::string SoundServer() {
  const char* value = std::getenv("FERNHOLD_SOUND_SERVER");
  return value != nullptr ? value : "";
}

double ToneHz() {
  const char* value = std::getenv("FERNHOLD_TONE_HZ");
  return value != nullptr ? std::atof(value) : 0.0;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

std::vector<std::int16_t> DecodeFrames(const std::vector<std::vector<std::uint8_t>>& frames) {
  std::vector<std::uint8_t> adts;
  for (const auto& frame : frames) {
    const std::vector<std::uint8_t> framed = mic_test::AdtsFrame(frame);
    adts.insert(adts.end(), framed.begin(), framed.end());
  }
  std::vector<std::int16_t> pcm;
  std::string error;
  EXPECT_TRUE(mic_test::DecodeAdtsWithFfmpeg(adts, &pcm, &error)) << error;
  return pcm;
}

TEST(MicDeviceCapture, CapturesTheToneOfTheDefaultMicrophoneAsAacLc) {
  ASSERT_EQ(SoundServer(), "running") << "run through tools/pulse/with-sound-server";
  const double toneHz = ToneHz();
  ASSERT_GT(toneHz, 0.0);

  CallbackRecorder recorder;
  CapturedLog log;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), PatientSettings());
  ASSERT_TRUE(capture.Start()) << log.Take();
  // 75 frames: 1.6 s of audio.
  const bool enough = recorder.WaitForFrames(75, kLongWait);
  capture.Stop();
  const std::string text = log.Take();
  ASSERT_TRUE(enough) << text;

  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] capture ready: 48000Hz mono 16-bit"), 1) << text;
  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] encoder ready: 48000Hz mono, cfg=2 bytes, frame=1024 samples"), 1);
  const CallbackRecorder::Calls calls = recorder.calls();
  ASSERT_EQ(calls.configs.size(), 1u);
  EXPECT_EQ(calls.configs[0], (std::vector<std::uint8_t>{0x11, 0x88}));
  EXPECT_EQ(calls.order.front(), 'c');
  EXPECT_EQ(calls.malformed, 0);
  EXPECT_EQ(calls.failures, 0);

  // Decoded by ffmpeg, the steady part (past the stream's start-up) is the tone.
  const std::vector<std::int16_t> decoded = DecodeFrames(calls.frames);
  ASSERT_GE(decoded.size(), 70u * 1024);
  const std::vector<std::int16_t> steady(decoded.begin() + 12 * 1024, decoded.end() - 2048);
  // Frequency and SNR are taken per 200 ms window, each against its own best-fitting sine, and
  // judged by their medians: a test process starved of CPU on a busy machine can overrun the
  // device buffer once, and that one gap in the tone says nothing about the capture's own path.
  std::vector<double> frequencies;
  std::vector<double> snrs;
  for (std::size_t at = 0; at + 9600 <= steady.size(); at += 9600) {
    const std::vector<std::int16_t> window(steady.begin() + at, steady.begin() + at + 9600);
    frequencies.push_back(mic_test::EstimateFrequency(window, 48000.0));
    snrs.push_back(mic_test::SineSnrDb(window, 48000.0, toneHz));
  }
  ASSERT_GE(snrs.size(), 5u);
  std::printf("captured tone per 200 ms window:");
  for (std::size_t i = 0; i < snrs.size(); ++i) std::printf(" %.2f Hz/%.1f dB", frequencies[i], snrs[i]);
  std::printf("\n");
  EXPECT_NEAR(Median(frequencies), toneHz, 1.0);
  EXPECT_GE(Median(snrs), 30.0);
}

TEST(MicDeviceCapture, RestartsOnTheSameObject) {
  ASSERT_EQ(SoundServer(), "running") << "run through tools/pulse/with-sound-server";
  CallbackRecorder recorder;
  CapturedLog log;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), PatientSettings());
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_TRUE(capture.Start());
    ASSERT_TRUE(recorder.WaitForFrames(10u * run, kLongWait));
    capture.Stop();
    EXPECT_FALSE(capture.IsRunning());
  }
  const std::string text = log.Take();
  EXPECT_EQ(mic_test::CountLines(text, "capture ready"), 2) << text;
  EXPECT_EQ(recorder.calls().configs.size(), 2u);
  EXPECT_EQ(recorder.calls().failures, 0);
}

TEST(MicDeviceCapture, StartFailsAtItsFailingStepWithoutSoundServer) {
  ASSERT_EQ(SoundServer(), "none") << "run through tools/pulse/with-sound-server";
  CallbackRecorder recorder;
  CapturedLog log;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), PatientSettings());
  const bool ok = capture.Start();
  capture.Stop();
  const std::string text = log.Take();

  EXPECT_FALSE(ok);
  EXPECT_TRUE(FAILED(capture.lastResult()));
  // The set-up itself failed, naming its step, rather than the wait running out. With Wine's
  // driver pinned to PulseAudio and no server, the device enumerator cannot be created; with a
  // driver that loads but finds no device, the default endpoint is missing.
  const int enumeratorFailed =
      mic_test::CountLines(text, "[MicAudioCapture] CoCreateInstance(MMDeviceEnumerator) failed: 0x");
  const int endpointMissing =
      mic_test::CountLines(text, "[MicAudioCapture] GetDefaultAudioEndpoint failed: 0x80070490");
  EXPECT_EQ(enumeratorFailed + endpointMissing, 1) << text;
  EXPECT_EQ(mic_test::CountLines(text, "timed out"), 0);
  EXPECT_EQ(mic_test::CountLines(text, "encoder ready"), 0);
  EXPECT_EQ(recorder.calls().failures, 0);
  EXPECT_TRUE(recorder.calls().configs.empty());
}

}  // namespace
