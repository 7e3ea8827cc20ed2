// Conversion of captured packets to 48000 Hz mono 16-bit, the reading of device formats, and the
// cutting of the result into encoder frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "fake_audio_endpoint.h"
#include "mic/capture_format.h"
#include "mic/frame_slicer.h"
#include "mic/pcm_conversion.h"
#include "tone_analysis.h"

namespace {

using mic::PcmLayout;
using mic::ResampleState;
using mic::SampleEncoding;

PcmLayout Layout(std::uint32_t rate, std::uint16_t channels, SampleEncoding encoding) {
  PcmLayout layout;
  layout.sampleRate = rate;
  layout.channels = channels;
  layout.encoding = encoding;
  layout.blockAlign = static_cast<std::uint16_t>(channels * mic::BytesPerSample(encoding));
  return layout;
}

template <typename T>
std::vector<std::uint8_t> Bytes(const std::vector<T>& values) {
  std::vector<std::uint8_t> bytes(values.size() * sizeof(T));
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

std::vector<std::uint8_t> Pcm24(const std::vector<std::int32_t>& values) {
  std::vector<std::uint8_t> bytes;
  for (std::int32_t v : values) {
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((v >> 16) & 0xFF));
  }
  return bytes;
}

std::vector<std::int16_t> ConvertWhole(const PcmLayout& layout, const std::vector<std::uint8_t>& bytes,
                                       bool silent = false) {
  ResampleState state;
  std::vector<std::int16_t> out;
  mic::AppendAsMono48k(layout, bytes.data(), bytes.size() / layout.blockAlign, silent, state, out);
  return out;
}

// Converts the same stream in packets of random sizes.
std::vector<std::int16_t> ConvertInPackets(const PcmLayout& layout, const std::vector<std::uint8_t>& bytes,
                                           unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> size(1, 700);
  ResampleState state;
  std::vector<std::int16_t> out;
  const std::size_t frames = bytes.size() / layout.blockAlign;
  for (std::size_t at = 0; at < frames;) {
    const std::size_t n = std::min(size(random), frames - at);
    mic::AppendAsMono48k(layout, bytes.data() + at * layout.blockAlign, n, false, state, out);
    at += n;
  }
  return out;
}

TEST(SampleConversion, ScalesEachEncodingAndTruncatesTowardZero) {
  // 16-bit: value / 32768 * 32767, truncated.
  EXPECT_EQ(ConvertWhole(Layout(48000, 1, SampleEncoding::kPcm16),
                         Bytes<std::int16_t>({32767, -32768, 16384, -16384, 1, -1, 0})),
            (std::vector<std::int16_t>{32766, -32767, 16383, -16383, 0, 0, 0}));

  // 24-bit: sign taken from bit 23, value / 2^23 * 32767.
  EXPECT_EQ(ConvertWhole(Layout(48000, 1, SampleEncoding::kPcm24),
                         Pcm24({0x7FFFFF, -0x800000, 0x400000, -0x400000, 0x000100, -0x000100})),
            (std::vector<std::int16_t>{32766, -32767, 16383, -16383, 0, 0}));

  // Float: as is, with values beyond full scale clamped and NaN read as silence.
  EXPECT_EQ(ConvertWhole(Layout(48000, 1, SampleEncoding::kFloat32),
                         Bytes<float>({1.0f, -1.0f, 0.5f, -0.25f, 1.5f, -3.0f,
                                       std::numeric_limits<float>::infinity(),
                                       std::numeric_limits<float>::quiet_NaN()})),
            (std::vector<std::int16_t>{32767, -32767, 16383, -8191, 32767, -32767, 32767, 0}));
}

TEST(SampleConversion, MixesChannelsToTheirMean) {
  // Stereo 16-bit: (L + R) / 2.
  EXPECT_EQ(ConvertWhole(Layout(48000, 2, SampleEncoding::kPcm16),
                         Bytes<std::int16_t>({16384, 0, 16384, -16384, -32768, -32768})),
            (std::vector<std::int16_t>{8191, 0, -32767}));
  // Clamping applies per sample, before the mean: (1.0 + 0.0) / 2, not (2.0 + 0.0) / 2.
  EXPECT_EQ(ConvertWhole(Layout(48000, 2, SampleEncoding::kFloat32), Bytes<float>({2.0f, 0.0f})),
            (std::vector<std::int16_t>{16383}));
  // Six 24-bit channels.
  EXPECT_EQ(ConvertWhole(Layout(48000, 6, SampleEncoding::kPcm24),
                         Pcm24({0x600000, 0x600000, 0, 0, 0, 0})),
            (std::vector<std::int16_t>{static_cast<std::int16_t>(0x600000 * 2 / 6.0 / 8388608.0 * 32767)}));
}

TEST(SampleConversion, WiderFrameStrideSkipsPadding) {
  PcmLayout layout = Layout(48000, 1, SampleEncoding::kPcm16);
  layout.blockAlign = 4;  // each frame followed by two bytes the conversion must not read
  EXPECT_EQ(ConvertWhole(layout, Bytes<std::int16_t>({16384, 32767, -16384, 32767})),
            (std::vector<std::int16_t>{16383, -16383}));
}

TEST(Resampling, RampAt16kHzIsInterpolatedAtThirds) {
  // A ramp survives linear interpolation exactly: output n lies at source position n / 3.
  std::vector<std::int16_t> ramp(160);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::int16_t>(i * 96);
  const std::vector<std::int16_t> out = ConvertWhole(Layout(16000, 1, SampleEncoding::kPcm16), Bytes(ramp));
  // The last source frame has no successor yet: positions 159 1/3 and 159 2/3 wait for it.
  ASSERT_EQ(out.size(), 3u * 159 + 1);
  for (std::size_t n = 0; n < out.size(); ++n) {
    const double expected = (n / 3.0) * 96 / 32768.0 * 32767.0;
    EXPECT_NEAR(out[n], expected, 1.0) << "output " << n;
  }
}

TEST(Resampling, SineAt44100HzKeepsItsPitchAndLength) {
  const std::vector<std::int16_t> source = mic_test::MakeSine(1000.0, 44100.0, 1.0, 20000.0);
  const PcmLayout layout = Layout(44100, 1, SampleEncoding::kPcm16);
  const std::vector<std::int16_t> out = ConvertWhole(layout, Bytes(source));
  // 44100 source frames are 48000 output samples, less the one waiting for the next frame.
  EXPECT_EQ(out.size(), 47999u);
  EXPECT_NEAR(mic_test::EstimateFrequency(out, 48000.0), 1000.0, 0.5);
  EXPECT_GT(mic_test::SineSnrDb(out, 48000.0, 1000.0), 30.0);
}

TEST(Resampling, PacketBoundariesLeaveNoTrace) {
  // The interpolation position carries over: any split of the stream gives the same samples.
  const std::vector<std::int16_t> sine = mic_test::MakeSine(997.0, 44100.0, 0.5, 12000.0);
  for (std::uint32_t rate : {44100u, 16000u, 96000u, 48000u}) {
    SCOPED_TRACE(rate);
    const PcmLayout layout = Layout(rate, 1, SampleEncoding::kPcm16);
    const std::vector<std::int16_t> whole = ConvertWhole(layout, Bytes(sine));
    EXPECT_EQ(ConvertInPackets(layout, Bytes(sine), rate), whole);
  }
}

TEST(Resampling, OutputCountFollowsTheRateOverManyPackets) {
  // 10 ms packets, as devices deliver them: 100 packets make one second of 48000 samples.
  for (std::uint32_t rate : {44100u, 16000u, 32000u, 96000u}) {
    SCOPED_TRACE(rate);
    const PcmLayout layout = Layout(rate, 2, SampleEncoding::kFloat32);
    const std::size_t packetFrames = rate / 100;
    const std::vector<float> packet(packetFrames * 2, 0.25f);
    ResampleState state;
    std::vector<std::int16_t> out;
    for (int i = 0; i < 100; ++i) {
      mic::AppendAsMono48k(layout, reinterpret_cast<const std::uint8_t*>(packet.data()), packetFrames,
                           false, state, out);
    }
    // Less the samples between the last source frame and the next, which wait for it.
    EXPECT_GE(out.size(), 48000u - 48000u / rate);
    EXPECT_LE(out.size(), 48000u);
    EXPECT_EQ(out.back(), 8191);
  }
}

TEST(Resampling, SilenceGoesThroughTheResamplerLikeSound) {
  // A silent packet is read as zeros, never from its (absent) data, and yields 48000/rate
  // samples per source frame like sound does.
  for (std::uint32_t rate : {16000u, 44100u, 48000u}) {
    SCOPED_TRACE(rate);
    const PcmLayout layout = Layout(rate, 2, SampleEncoding::kFloat32);
    const std::size_t packetFrames = rate / 100;
    const std::vector<float> loud(packetFrames * 2, 0.5f);
    ResampleState silentState;
    ResampleState loudState;
    std::vector<std::int16_t> silent;
    std::vector<std::int16_t> sound;
    for (int i = 0; i < 10; ++i) {
      mic::AppendAsMono48k(layout, nullptr, packetFrames, true, silentState, silent);
      mic::AppendAsMono48k(layout, reinterpret_cast<const std::uint8_t*>(loud.data()), packetFrames,
                           false, loudState, sound);
    }
    EXPECT_EQ(silent.size(), sound.size());
    EXPECT_NEAR(static_cast<double>(silent.size()), 4800.0, 2.0);
    EXPECT_EQ(std::count(silent.begin(), silent.end(), 0), static_cast<long>(silent.size()));
  }
}

TEST(Resampling, SilenceBetweenSoundsInterpolatesAcrossTheBoundary) {
  // Sound, then a silent packet: the first output of the silent packet at 16 kHz lies between
  // the last loud frame and the first zero.
  const PcmLayout layout = Layout(16000, 1, SampleEncoding::kPcm16);
  const std::vector<std::int16_t> loud(4, 16384);
  ResampleState state;
  std::vector<std::int16_t> out;
  mic::AppendAsMono48k(layout, Bytes(loud).data(), loud.size(), false, state, out);
  ASSERT_EQ(out.size(), 10u);  // positions 0 .. 3
  mic::AppendAsMono48k(layout, nullptr, 4, true, state, out);
  ASSERT_EQ(out.size(), 22u);
  EXPECT_EQ(out[10], static_cast<std::int16_t>(0.5 * 2 / 3 * 32767));  // position 3 1/3
  EXPECT_EQ(out[11], static_cast<std::int16_t>(0.5 * 1 / 3 * 32767));  // position 3 2/3
  EXPECT_EQ(out[12], 0);
}

TEST(SampleConversion, RefusesLayoutsItCannotReadSafely) {
  std::vector<std::int16_t> out;
  ResampleState state;
  const std::vector<std::int16_t> data(8, 1000);
  PcmLayout tooNarrow = Layout(48000, 2, SampleEncoding::kPcm16);
  tooNarrow.blockAlign = 2;
  mic::AppendAsMono48k(tooNarrow, Bytes(data).data(), 4, false, state, out);
  mic::AppendAsMono48k(Layout(0, 1, SampleEncoding::kPcm16), Bytes(data).data(), 4, false, state, out);
  mic::AppendAsMono48k(Layout(48000, 0, SampleEncoding::kPcm16), Bytes(data).data(), 4, false, state, out);
  mic::AppendAsMono48k(Layout(48000, 1, SampleEncoding::kPcm16), nullptr, 4, false, state, out);
  EXPECT_TRUE(out.empty());
}

TEST(DeviceFormat, ReadsTheFormatsTheCaptureConverts) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    SampleEncoding encoding;
    std::uint32_t rate;
    std::uint16_t channels;
    bool encoderLayout;
  };
  const Case cases[] = {
      {mic_test::PlainFormat(WAVE_FORMAT_PCM, 48000, 1, 16), SampleEncoding::kPcm16, 48000, 1, true},
      {mic_test::PlainFormat(WAVE_FORMAT_PCM, 44100, 2, 16), SampleEncoding::kPcm16, 44100, 2, false},
      {mic_test::PlainFormat(WAVE_FORMAT_PCM, 96000, 2, 24), SampleEncoding::kPcm24, 96000, 2, false},
      {mic_test::PlainFormat(WAVE_FORMAT_IEEE_FLOAT, 44100, 2, 32), SampleEncoding::kFloat32, 44100, 2, false},
      {mic_test::ExtensibleFloatFormat(48000, 2), SampleEncoding::kFloat32, 48000, 2, false},
      // Mono 48000 Hz float needs converting too: copying its bytes as 16-bit samples would be noise.
      {mic_test::PlainFormat(WAVE_FORMAT_IEEE_FLOAT, 48000, 1, 32), SampleEncoding::kFloat32, 48000, 1, false},
      // So does mono 48000 Hz 16-bit whose frames are padded: a copy would read the padding.
      {[] {
         std::vector<std::uint8_t> bytes = mic_test::PlainFormat(WAVE_FORMAT_PCM, 48000, 1, 16);
         reinterpret_cast<WAVEFORMATEX*>(bytes.data())->nBlockAlign = 4;
         return bytes;
       }(),
       SampleEncoding::kPcm16, 48000, 1, false},
  };
  for (const Case& c : cases) {
    const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(c.bytes.data());
    SCOPED_TRACE(mic::DescribeWaveFormat(format));
    const std::optional<PcmLayout> layout = mic::LayoutFromWaveFormat(format, c.bytes.size());
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->encoding, c.encoding);
    EXPECT_EQ(layout->sampleRate, c.rate);
    EXPECT_EQ(layout->channels, c.channels);
    EXPECT_EQ(layout->blockAlign, format.nBlockAlign);
    EXPECT_EQ(mic::IsEncoderLayout(*layout), c.encoderLayout);
  }
}

TEST(DeviceFormat, RefusesFormatsItCannotConvertOrThatLie) {
  std::vector<std::vector<std::uint8_t>> refused = {
      mic_test::PlainFormat(WAVE_FORMAT_PCM, 44100, 2, 8),
      mic_test::PlainFormat(WAVE_FORMAT_PCM, 44100, 2, 32),
      mic_test::PlainFormat(WAVE_FORMAT_IEEE_FLOAT, 44100, 2, 64),
      mic_test::PlainFormat(0x0055 /* MPEG layer 3 */, 44100, 2, 16),
      mic_test::PlainFormat(WAVE_FORMAT_PCM, 0, 2, 16),
      mic_test::PlainFormat(WAVE_FORMAT_PCM, 44100, 0, 16),
  };
  std::vector<std::uint8_t> shortBlock = mic_test::PlainFormat(WAVE_FORMAT_PCM, 44100, 2, 16);
  reinterpret_cast<WAVEFORMATEX*>(shortBlock.data())->nBlockAlign = 2;
  refused.push_back(shortBlock);
  std::vector<std::uint8_t> unknownSubFormat = mic_test::ExtensibleFloatFormat(48000, 2);
  reinterpret_cast<WAVEFORMATEXTENSIBLE*>(unknownSubFormat.data())->SubFormat.Data1 = 0x55;
  refused.push_back(unknownSubFormat);
  std::vector<std::uint8_t> truncatedExtension = mic_test::PlainFormat(WAVE_FORMAT_EXTENSIBLE, 48000, 2, 32);
  refused.push_back(truncatedExtension);  // extensible tag but cbSize 0

  for (const auto& bytes : refused) {
    const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(bytes.data());
    SCOPED_TRACE(mic::DescribeWaveFormat(format));
    EXPECT_FALSE(mic::LayoutFromWaveFormat(format, bytes.size()).has_value());
  }

  // The extension must lie within the bytes the device handed over.
  const std::vector<std::uint8_t> extensible = mic_test::ExtensibleFloatFormat(48000, 2);
  EXPECT_FALSE(mic::LayoutFromWaveFormat(*reinterpret_cast<const WAVEFORMATEX*>(extensible.data()),
                                         extensible.size() - 1)
                   .has_value());
}

TEST(FrameSlicing, CutsWholeFramesAndKeepsTheRemainderInOrder) {
  std::vector<std::int16_t> pending(3000);
  for (std::size_t i = 0; i < pending.size(); ++i) pending[i] = static_cast<std::int16_t>(i);
  std::vector<std::int16_t> firstSamples;
  const std::atomic<bool> stop{false};
  const bool ok = mic::EncodeWholeFrames(pending, 1024, stop, [&](const std::int16_t* frame, std::size_t n) {
    EXPECT_EQ(n, 1024u);
    firstSamples.push_back(frame[0]);
    return true;
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(firstSamples, (std::vector<std::int16_t>{0, 1024}));
  ASSERT_EQ(pending.size(), 952u);
  EXPECT_EQ(pending.front(), 2048);
  EXPECT_EQ(pending.back(), 2999);
}

TEST(FrameSlicing, StopsAtARefusedFrameOrAStopRequest) {
  std::vector<std::int16_t> pending(5000, 7);
  int calls = 0;
  std::atomic<bool> stop{false};
  EXPECT_FALSE(mic::EncodeWholeFrames(pending, 1024, stop, [&](const std::int16_t*, std::size_t) {
    return ++calls < 2;
  }));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(pending.size(), 5000u - 2048u);

  stop = true;
  EXPECT_TRUE(mic::EncodeWholeFrames(pending, 1024, stop, [&](const std::int16_t*, std::size_t) {
    ++calls;
    return true;
  }));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(pending.size(), 5000u - 2048u);
}

}  // namespace
