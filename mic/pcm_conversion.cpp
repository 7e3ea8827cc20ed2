#include "mic/pcm_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mic {
namespace {

double ReadSample(SampleEncoding encoding, const std::uint8_t* p) {
  switch (encoding) {
    case SampleEncoding::kPcm16: {
      const auto value = static_cast<std::int16_t>(p[0] | (p[1] << 8));
      return value / 32768.0;
    }
    case SampleEncoding::kPcm24: {
      std::int32_t value = p[0] | (p[1] << 8) | (p[2] << 16);
      if (value & 0x800000) value -= 0x1000000;
      return value / 8388608.0;
    }
    case SampleEncoding::kFloat32: {
      float value;
      std::memcpy(&value, p, sizeof(value));
      if (std::isnan(value)) return 0.0;
      return std::clamp(static_cast<double>(value), -1.0, 1.0);
    }
  }
  return 0.0;
}

double FrameMean(const PcmLayout& layout, const std::uint8_t* frame) {
  const std::size_t step = BytesPerSample(layout.encoding);
  double sum = 0.0;
  for (std::uint16_t c = 0; c < layout.channels; ++c) sum += ReadSample(layout.encoding, frame + c * step);
  return sum / layout.channels;
}

std::int16_t ToEncoderSample(double value) {
  // Every value is within [-1, 1] already; the clamp only guards the conversion.
  return static_cast<std::int16_t>(std::clamp(value, -1.0, 1.0) * 32767.0);
}

}  // namespace

std::size_t BytesPerSample(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::kPcm16: return 2;
    case SampleEncoding::kPcm24: return 3;
    case SampleEncoding::kFloat32: return 4;
  }
  return 0;
}

bool IsEncoderLayout(const PcmLayout& layout) {
  return layout.sampleRate == kEncoderSampleRate && layout.channels == 1 &&
         layout.encoding == SampleEncoding::kPcm16 && layout.blockAlign == 2;
}

void AppendAsMono48k(const PcmLayout& layout, const std::uint8_t* data, std::size_t frames,
                     bool silent, ResampleState& state, std::vector<std::int16_t>& out) {
  if (frames == 0 || layout.sampleRate == 0 || layout.channels == 0 ||
      layout.blockAlign < layout.channels * BytesPerSample(layout.encoding) ||
      (!silent && data == nullptr)) {
    return;
  }

  // Source frames are numbered over the whole stream; this packet holds [first, last]. The frame
  // before `first` survives only as state.lastValue, which is all the interpolation needs of it.
  const std::uint64_t first = state.sourceFrames;
  const std::uint64_t last = first + frames - 1;
  const auto valueAt = [&](std::uint64_t index) {
    if (index < first) return state.lastValue;
    if (silent) return 0.0;
    return FrameMean(layout, data + (index - first) * layout.blockAlign);
  };

  // Output sample n sits at source position n * rate / 48000, kept as an exact fraction so
  // that rounding never accumulates.
  const std::uint64_t rate = layout.sampleRate;
  out.reserve(out.size() + frames * kEncoderSampleRate / rate + 2);
  for (;;) {
    const std::uint64_t position = state.outputSamples * rate;
    const std::uint64_t index = position / kEncoderSampleRate;
    const std::uint64_t fraction = position % kEncoderSampleRate;
    const bool needsNext = fraction != 0;
    if (index + (needsNext ? 1 : 0) > last) break;
    double value = valueAt(index);
    if (needsNext) value += (valueAt(index + 1) - value) * (static_cast<double>(fraction) / kEncoderSampleRate);
    out.push_back(ToEncoderSample(value));
    ++state.outputSamples;
  }
  state.lastValue = valueAt(last);
  state.sourceFrames += frames;
}

}  // namespace mic
