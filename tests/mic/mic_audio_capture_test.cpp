// MicAudioCapture's capture thread against scripted WASAPI objects: the set-up and its fallbacks,
// the start handshake, the run's end, and the COM objects' lifetime.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <future>
#include <memory>

#include "capture_probe.h"
#include "fake_audio_endpoint.h"
#include "mic/capture_format.h"
#include "mic/mic_audio_capture.h"
#include "tone_analysis.h"

namespace {

using mic_test::CallbackRecorder;
using mic_test::CapturedLog;
using mic_test::FakeAudioEndpoint;
using mic_test::FakePacket;
using namespace std::chrono_literals;

constexpr auto kWait = 60s;  // only reached when something is broken

// A start time-out far beyond need, so that only the test of the time-out ever meets one.
MicCaptureSettings FakeSettings(const std::shared_ptr<FakeAudioEndpoint>& endpoint) {
  MicCaptureSettings settings;
  settings.createEnumerator = endpoint->Factory();
  settings.initializeRetryDelay = 1ms;
  settings.startTimeout = kWait;
  return settings;
}

FakePacket Pcm16Packet(const std::vector<std::int16_t>& samples) {
  FakePacket packet;
  packet.bytes.resize(samples.size() * 2);
  std::memcpy(packet.bytes.data(), samples.data(), packet.bytes.size());
  packet.frames = static_cast<UINT32>(samples.size());
  return packet;
}

FakePacket FloatPacket(const std::vector<float>& interleaved, int channels) {
  FakePacket packet;
  packet.bytes.resize(interleaved.size() * 4);
  std::memcpy(packet.bytes.data(), interleaved.data(), packet.bytes.size());
  packet.frames = static_cast<UINT32>(interleaved.size() / channels);
  return packet;
}

FakePacket SilentPacket(UINT32 frames) {
  FakePacket packet;
  packet.frames = frames;
  packet.silent = true;
  return packet;
}

void AddNativePackets(FakeAudioEndpoint& endpoint, int count, int frames) {
  const std::vector<std::int16_t> tone = mic_test::MakeSine(1000.0, 48000.0, count * frames / 48000.0, 10000.0);
  for (int i = 0; i < count; ++i) {
    endpoint.AddPacket(Pcm16Packet(std::vector<std::int16_t>(tone.begin() + i * frames, tone.begin() + (i + 1) * frames)));
  }
}

// Every object was let go, on the capture thread, inside its COM apartment, with no stream left
// running.
void ExpectReleasedOnCaptureThread(const FakeAudioEndpoint& endpoint) {
  const FakeAudioEndpoint::Record record = endpoint.record();
  EXPECT_EQ(record.liveObjects, 0);
  EXPECT_EQ(record.releasesOnCreatorThread, 0);
  EXPECT_EQ(record.releasesOutsideApartment, 0);
  EXPECT_EQ(record.clientsReleasedRunning, 0);
}

std::vector<std::uint8_t> EncoderFormatBytes() {
  return mic_test::WaveFormatBytes(mic::EncoderWaveFormat());
}

// Captures from `endpoint` until every queued packet was read, then stops. The callbacks go to
// `recorder`; `log` gets what the capture wrote meanwhile.
void CaptureUntilDrained(const std::shared_ptr<FakeAudioEndpoint>& endpoint, CallbackRecorder& recorder,
                         std::string* log) {
  CapturedLog captured;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), FakeSettings(endpoint));
  ASSERT_TRUE(capture.Start()) << captured.Take();
  ASSERT_TRUE(endpoint->WaitUntilDrained(kWait)) << captured.Take();
  capture.Stop();
  *log = captured.Take();
}

TEST(MicCapture, DeviceTakingTheEncoderFormatIsCopiedWithoutConversion) {
  auto endpoint = FakeAudioEndpoint::Create();
  // 100 packets of 512 samples, 40 of them flagged silent; the others carry a tone peaking at
  // exactly 10000, which conversion would turn into 9999.
  const std::vector<std::int16_t> tone = mic_test::MakeSine(1000.0, 48000.0, 100 * 512 / 48000.0, 10000.0);
  for (int i = 0; i < 100; ++i) {
    if (i % 5 < 2) {
      endpoint->AddPacket(SilentPacket(512));
    } else {
      endpoint->AddPacket(Pcm16Packet(std::vector<std::int16_t>(tone.begin() + i * 512, tone.begin() + (i + 1) * 512)));
    }
  }
  CallbackRecorder recorder;
  CapturedLog log;
  {
    MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), FakeSettings(endpoint));
    ASSERT_TRUE(capture.Start());
    EXPECT_TRUE(capture.IsRunning());
    EXPECT_TRUE(capture.Start());  // already running: no second set-up
    ASSERT_TRUE(endpoint->WaitUntilDrained(kWait));
    capture.Stop();
    EXPECT_FALSE(capture.IsRunning());
  }
  const std::string text = log.Take();

  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] capture ready: 48000Hz mono 16-bit"), 1) << text;
  EXPECT_EQ(mic_test::CountLines(text, "falling back"), 0);
  const auto levels = mic_test::LevelLines(text);
  ASSERT_EQ(levels.size(), 1u) << text;
  EXPECT_EQ(levels[0].peak, 10000);
  EXPECT_EQ(levels[0].total, 100);
  EXPECT_EQ(levels[0].silent, 40);

  const CallbackRecorder::Calls calls = recorder.calls();
  EXPECT_EQ(calls.malformed, 0);
  ASSERT_EQ(calls.configs.size(), 1u);
  EXPECT_EQ(calls.configs[0], (std::vector<std::uint8_t>{0x11, 0x88}));
  EXPECT_EQ(calls.order.front(), 'c');
  EXPECT_GE(calls.frames.size(), 47u);
  EXPECT_EQ(calls.failures, 0);

  const FakeAudioEndpoint::Record record = endpoint->record();
  EXPECT_EQ(record.activateCalls, 1);
  ASSERT_EQ(record.initializeCalls, 1);
  EXPECT_EQ(record.initializeFormats[0], EncoderFormatBytes());
  EXPECT_EQ(record.startCalls, 1);
  EXPECT_EQ(record.stopCalls, 1);
  ExpectReleasedOnCaptureThread(*endpoint);
}

TEST(MicCapture, RefusedEncoderFormatFallsBackToTheMixFormatAndConverts) {
  auto endpoint = FakeAudioEndpoint::Create();
  endpoint->acceptsEncoderFormat = false;
  endpoint->mixFormat = mic_test::ExtensibleFloatFormat(44100, 2);
  // 120 packets of 10 ms of a 1 kHz tone at half scale on both channels.
  constexpr double kPi = 3.14159265358979323846;
  for (int p = 0; p < 120; ++p) {
    std::vector<float> interleaved;
    for (int i = 0; i < 441; ++i) {
      const float v = static_cast<float>(0.5 * std::sin(2 * kPi * 1000.0 * (p * 441 + i) / 44100.0));
      interleaved.push_back(v);
      interleaved.push_back(v);
    }
    endpoint->AddPacket(FloatPacket(interleaved, 2));
  }
  CallbackRecorder recorder;
  std::string text;
  ASSERT_NO_FATAL_FAILURE(CaptureUntilDrained(endpoint, recorder, &text));

  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] Initialize(requested) failed: 0x88890008, falling back to mix format"), 1) << text;
  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] capture via mix format: 44100Hz 2ch 32bit, resample=yes"), 1);
  EXPECT_EQ(mic_test::CountLines(text, "capture ready"), 0);
  // 52920 source frames become 57600 samples: 56 frames, one level line showing half scale.
  const auto levels = mic_test::LevelLines(text);
  ASSERT_EQ(levels.size(), 1u) << text;
  EXPECT_GE(levels[0].peak, 16370);
  EXPECT_LE(levels[0].peak, 16383);
  EXPECT_EQ(levels[0].total, 120);

  // Three attempts with the requested format, each on a new client, then a new client for the
  // mix format, initialised with the device's bytes, extension included.
  const FakeAudioEndpoint::Record record = endpoint->record();
  EXPECT_EQ(record.activateCalls, 4);
  ASSERT_EQ(record.initializeCalls, 4);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(record.initializeFormats[i], EncoderFormatBytes());
  EXPECT_EQ(record.initializeFormats[3], endpoint->mixFormat);
  EXPECT_EQ(record.initializeFormats[3].size(), sizeof(WAVEFORMATEXTENSIBLE));
  EXPECT_EQ(recorder.calls().failures, 0);
  ExpectReleasedOnCaptureThread(*endpoint);
}

TEST(MicCapture, MonoFloatMixFormatAt48kHzIsConvertedNotCopied) {
  auto endpoint = FakeAudioEndpoint::Create();
  endpoint->acceptsEncoderFormat = false;
  endpoint->mixFormat = mic_test::PlainFormat(WAVE_FORMAT_IEEE_FLOAT, 48000, 1, 32);
  for (int p = 0; p < 60; ++p) endpoint->AddPacket(FloatPacket(std::vector<float>(1024, 0.25f), 1));
  CallbackRecorder recorder;
  std::string text;
  ASSERT_NO_FATAL_FAILURE(CaptureUntilDrained(endpoint, recorder, &text));

  EXPECT_EQ(mic_test::CountLines(text, "capture via mix format: 48000Hz 1ch 32bit, resample=yes"), 1) << text;
  // 0.25 of full scale is 8191; the float's bytes read as 16-bit samples would peak at 16000.
  const auto levels = mic_test::LevelLines(text);
  ASSERT_EQ(levels.size(), 1u) << text;
  EXPECT_EQ(levels[0].peak, 8191);
  EXPECT_EQ(levels[0].total, 60);
}

TEST(MicCapture, PaddedMono16BitMixFormatIsConvertedNotCopied) {
  // 48000 Hz mono 16-bit, but each frame padded to four bytes: copying the packet as it is would
  // read every padding word as a sample.
  auto endpoint = FakeAudioEndpoint::Create();
  endpoint->acceptsEncoderFormat = false;
  endpoint->mixFormat = mic_test::PlainFormat(WAVE_FORMAT_PCM, 48000, 1, 16);
  auto& mix = *reinterpret_cast<WAVEFORMATEX*>(endpoint->mixFormat.data());
  mix.nBlockAlign = 4;
  mix.nAvgBytesPerSec = 48000 * 4;
  const std::vector<std::int16_t> tone = mic_test::MakeSine(1000.0, 48000.0, 60 * 1024 / 48000.0, 10000.0);
  for (int p = 0; p < 60; ++p) {
    std::vector<std::int16_t> padded;
    for (int i = 0; i < 1024; ++i) {
      padded.push_back(tone[static_cast<std::size_t>(p * 1024 + i)]);
      padded.push_back(32767);
    }
    FakePacket packet = Pcm16Packet(padded);
    packet.frames = 1024;
    endpoint->AddPacket(packet);
  }
  CallbackRecorder recorder;
  std::string text;
  ASSERT_NO_FATAL_FAILURE(CaptureUntilDrained(endpoint, recorder, &text));

  EXPECT_EQ(mic_test::CountLines(text, "capture via mix format: 48000Hz 1ch 16bit, resample=yes"), 1) << text;
  const auto levels = mic_test::LevelLines(text);
  ASSERT_EQ(levels.size(), 1u) << text;
  EXPECT_EQ(levels[0].peak, 9999);  // the tone's 10000, converted; never the padding's 32767
}

TEST(MicCapture, SilentPacketsAt16kHzFillTimeLikeSound) {
  auto endpoint = FakeAudioEndpoint::Create();
  endpoint->acceptsEncoderFormat = false;
  endpoint->mixFormat = mic_test::PlainFormat(WAVE_FORMAT_PCM, 16000, 1, 16);
  // 110 silent packets of 10 ms are 1.1 s: 52800 samples at 48000 Hz, 51 frames. Silence taken
  // one sample per source frame would make only 17 frames and no level line.
  for (int p = 0; p < 110; ++p) endpoint->AddPacket(SilentPacket(160));
  CallbackRecorder recorder;
  std::string text;
  ASSERT_NO_FATAL_FAILURE(CaptureUntilDrained(endpoint, recorder, &text));

  const auto levels = mic_test::LevelLines(text);
  ASSERT_EQ(levels.size(), 1u) << text;
  EXPECT_EQ(levels[0].peak, 0);
  EXPECT_EQ(levels[0].total, 110);
  EXPECT_EQ(levels[0].silent, 110);
  EXPECT_GE(recorder.calls().frames.size(), 48u);
}

TEST(MicCapture, FailingSetUpStepIsLoggedAndStartReturnsFalse) {
  struct Case {
    const char* line;
    HRESULT expectedResult;
    std::function<void(FakeAudioEndpoint&)> script;
  };
  const Case cases[] = {
      {"CoCreateInstance(MMDeviceEnumerator) failed: 0x80040154", REGDB_E_CLASSNOTREG,
       [](FakeAudioEndpoint& e) { e.enumeratorResult = REGDB_E_CLASSNOTREG; }},
      {"GetDefaultAudioEndpoint failed: 0x80070490", HRESULT_FROM_WIN32(ERROR_NOT_FOUND),
       [](FakeAudioEndpoint& e) { e.endpointResult = HRESULT_FROM_WIN32(ERROR_NOT_FOUND); }},
      {"Activate(IAudioClient) failed: 0x80070005", E_ACCESSDENIED,
       [](FakeAudioEndpoint& e) { e.activateResult = E_ACCESSDENIED; }},
      {"GetMixFormat failed: 0x8007000E", E_OUTOFMEMORY,
       [](FakeAudioEndpoint& e) {
         e.acceptsEncoderFormat = false;
         e.mixFormatResult = E_OUTOFMEMORY;
       }},
      {"CheckMixFormat failed: 0x88890008 (tag 0x1, 2ch, 8bit, 44100Hz)", AUDCLNT_E_UNSUPPORTED_FORMAT,
       [](FakeAudioEndpoint& e) {
         e.acceptsEncoderFormat = false;
         e.mixFormat = mic_test::PlainFormat(WAVE_FORMAT_PCM, 44100, 2, 8);
       }},
      {"Initialize(mix format) failed: 0x8889000A", AUDCLNT_E_DEVICE_IN_USE,
       [](FakeAudioEndpoint& e) {
         e.acceptsEncoderFormat = false;
         e.mixFormat = mic_test::ExtensibleFloatFormat(48000, 2);
         e.mixInitializeResult = AUDCLNT_E_DEVICE_IN_USE;
       }},
      {"GetService(IAudioCaptureClient) failed: 0x88890003", AUDCLNT_E_WRONG_ENDPOINT_TYPE,
       [](FakeAudioEndpoint& e) { e.serviceResult = AUDCLNT_E_WRONG_ENDPOINT_TYPE; }},
      {"IAudioClient::Start failed: 0x8889000A", AUDCLNT_E_DEVICE_IN_USE,
       [](FakeAudioEndpoint& e) { e.startResult = AUDCLNT_E_DEVICE_IN_USE; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    auto endpoint = FakeAudioEndpoint::Create();
    c.script(*endpoint);
    AddNativePackets(*endpoint, 4, 480);
    CallbackRecorder recorder;
    CapturedLog log;
    {
      MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), FakeSettings(endpoint));
      EXPECT_FALSE(capture.Start());
      EXPECT_FALSE(capture.IsRunning());
      EXPECT_EQ(capture.lastResult(), c.expectedResult);
    }
    const std::string text = log.Take();
    EXPECT_EQ(mic_test::CountLines(text, std::string("[MicAudioCapture] ") + c.line), 1) << text;
    EXPECT_EQ(mic_test::CountLines(text, "encoder ready"), 0);
    const CallbackRecorder::Calls calls = recorder.calls();
    EXPECT_TRUE(calls.configs.empty());
    EXPECT_TRUE(calls.frames.empty());
    EXPECT_EQ(calls.failures, 0);
    EXPECT_EQ(endpoint->record().getBufferCalls, 0);
    ExpectReleasedOnCaptureThread(*endpoint);
  }
}

TEST(MicCapture, SetUpFinishingAfterStartGaveUpNeitherCapturesNorCallsBack) {
  auto endpoint = FakeAudioEndpoint::Create();
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  endpoint->onActivate = [released] { released.wait(); };
  AddNativePackets(*endpoint, 60, 1024);
  MicCaptureSettings settings = FakeSettings(endpoint);
  settings.startTimeout = 100ms;

  CallbackRecorder recorder;
  CapturedLog log;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), settings);
  EXPECT_FALSE(capture.Start());  // the set-up is held up in Activate
  EXPECT_FALSE(capture.IsRunning());
  release.set_value();

  // The next Start waits for the abandoned run to wind down (replacing a live std::thread would
  // end the process), then sets up afresh.
  ASSERT_TRUE(capture.Start());
  ASSERT_TRUE(endpoint->WaitUntilDrained(kWait));
  capture.Stop();
  const std::string text = log.Take();

  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] start timed out after 100 ms"), 1) << text;
  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] set-up cancelled"), 1);
  const CallbackRecorder::Calls calls = recorder.calls();
  EXPECT_EQ(calls.configs.size(), 1u);  // from the second run only
  EXPECT_EQ(calls.order.front(), 'c');
  EXPECT_EQ(calls.failures, 0);
  const FakeAudioEndpoint::Record record = endpoint->record();
  EXPECT_EQ(record.activateCalls, 2);
  EXPECT_EQ(record.initializeCalls, 1);  // the abandoned run stopped before Initialize
  EXPECT_EQ(record.startCalls, 1);
  ExpectReleasedOnCaptureThread(*endpoint);
}

TEST(MicCapture, ReadFailureEndsTheRunWithOneFailureCallbackAndAllowsARestart) {
  struct Case {
    const char* line;
    HRESULT FakeAudioEndpoint::*failure;
  };
  const Case cases[] = {
      {"[MicAudioCapture] GetNextPacketSize failed: 0x88890004", &FakeAudioEndpoint::nextPacketFailure},
      {"[MicAudioCapture] GetBuffer failed: 0x88890004", &FakeAudioEndpoint::getBufferFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    auto endpoint = FakeAudioEndpoint::Create();
    AddNativePackets(*endpoint, 10, 512);
    (*endpoint).*c.failure = AUDCLNT_E_DEVICE_INVALIDATED;
    CallbackRecorder recorder;
    CapturedLog log;
    MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), FakeSettings(endpoint));
    ASSERT_TRUE(capture.Start());
    ASSERT_TRUE(recorder.WaitForFailure(kWait));
    EXPECT_FALSE(capture.IsRunning());
    EXPECT_EQ(capture.lastResult(), AUDCLNT_E_DEVICE_INVALIDATED);

    // The device is back: the same object starts again.
    (*endpoint).*c.failure = S_OK;
    AddNativePackets(*endpoint, 10, 512);
    ASSERT_TRUE(capture.Start());
    ASSERT_TRUE(endpoint->WaitUntilDrained(kWait));
    capture.Stop();
    const std::string text = log.Take();

    EXPECT_EQ(mic_test::CountLines(text, c.line), 1) << text;
    const CallbackRecorder::Calls calls = recorder.calls();
    EXPECT_EQ(calls.failures, 1);
    EXPECT_EQ(calls.configs.size(), 2u);
    EXPECT_EQ(endpoint->record().startCalls, 2);
    EXPECT_EQ(endpoint->record().stopCalls, 2);
    ExpectReleasedOnCaptureThread(*endpoint);
  }
}

TEST(MicCapture, DeadEncoderEndsTheRunAsAFailure) {
  auto endpoint = FakeAudioEndpoint::Create();
  AddNativePackets(*endpoint, 20, 1024);
  CallbackRecorder recorder;
  CapturedLog log;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), FakeSettings(endpoint));
  // On the capture thread, right after the configuration: every later encode fails.
  recorder.afterConfig = [&capture] { capture.CloseEncoder(); };
  ASSERT_TRUE(capture.Start());
  ASSERT_TRUE(recorder.WaitForFailure(kWait));
  EXPECT_FALSE(capture.IsRunning());
  capture.Stop();
  const std::string text = log.Take();

  EXPECT_EQ(mic_test::CountLines(text, "[MicAudioCapture] aacEncEncode failed: 0x20"), 1) << text;
  const CallbackRecorder::Calls calls = recorder.calls();
  EXPECT_TRUE(calls.frames.empty());
  EXPECT_EQ(calls.failures, 1);
  ExpectReleasedOnCaptureThread(*endpoint);
}

TEST(MicCapture, StopAndStartFromACallbackLeaveTheCaptureRunning) {
  auto endpoint = FakeAudioEndpoint::Create();
  AddNativePackets(*endpoint, 20, 1024);
  CallbackRecorder recorder;
  MicAudioCapture capture(recorder.FrameCallback(), recorder.FailureCallback(), FakeSettings(endpoint));
  bool startFromCallback = false;
  recorder.afterConfig = [&] {
    capture.Stop();
    startFromCallback = capture.Start();
  };
  ASSERT_TRUE(capture.Start());
  ASSERT_TRUE(endpoint->WaitUntilDrained(kWait));
  EXPECT_TRUE(capture.IsRunning());
  capture.Stop();
  EXPECT_TRUE(startFromCallback);
  EXPECT_GE(recorder.calls().frames.size(), 15u);
  EXPECT_EQ(recorder.calls().failures, 0);
}

TEST(MicCapture, DestroyingARunningCaptureStopsTheStreamAndReleasesTheDevice) {
  auto endpoint = FakeAudioEndpoint::Create();
  AddNativePackets(*endpoint, 5, 1024);
  CallbackRecorder recorder;
  auto capture = std::make_unique<MicAudioCapture>(recorder.FrameCallback(), recorder.FailureCallback(),
                                                   FakeSettings(endpoint));
  ASSERT_TRUE(capture->Start());
  ASSERT_TRUE(endpoint->WaitUntilDrained(kWait));
  capture.reset();
  EXPECT_EQ(endpoint->record().stopCalls, 1);
  EXPECT_EQ(recorder.calls().failures, 0);
  ExpectReleasedOnCaptureThread(*endpoint);
}

}  // namespace
