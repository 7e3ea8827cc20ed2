// Conversion of captured audio packets to the encoder's input: 48000 Hz, mono, 16-bit.
//
// A device delivers packets in its own layout (rate, channel count, sample encoding). Each frame
// becomes the mean of its channels as a float in [-1, 1]; the stream is resampled to 48000 Hz by
// linear interpolation; each value times 32767, truncated toward zero, is one output sample.
//
// The resampler runs over the whole stream, not packet by packet: the interpolation position and
// the last sample of the previous packet carry over in a ResampleState, so packet boundaries
// leave no seams and the output count never drifts (over a stream of N source frames it is
// N * 48000 / rate, less the few samples still waiting). An output sample that needs a source
// frame not yet captured waits for the next packet, so the output lags the input by less than
// one source frame.
//
//   mic::ResampleState state;
//   std::vector<int16_t> pcm;
//   mic::AppendAsMono48k(layout, data, frames, /*silent=*/false, state, pcm);
//
// Everything here is pure: no I/O, no hidden state. Thread-safety: none needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mic {

inline constexpr std::uint32_t kEncoderSampleRate = 48000;

enum class SampleEncoding {
  kPcm16,    // signed 16-bit little-endian, scaled by 2^-15
  kPcm24,    // signed 24-bit little-endian packed in 3 bytes, scaled by 2^-23
  kFloat32,  // IEEE float, full scale 1.0; values beyond it are clamped, NaN reads as 0
};

// Layout of the frames of one captured packet.
struct PcmLayout {
  std::uint32_t sampleRate = kEncoderSampleRate;
  std::uint16_t channels = 1;
  SampleEncoding encoding = SampleEncoding::kPcm16;
  // Bytes from one frame to the next; at least channels * bytes per sample.
  std::uint16_t blockAlign = 2;
};

// Bytes of one sample of `encoding`.
std::size_t BytesPerSample(SampleEncoding encoding);

// True for the layout the encoder takes as it is (48000 Hz, mono, 16-bit PCM, frames packed without
// padding): packets in it are copied, not converted.
bool IsEncoderLayout(const PcmLayout& layout);

// Where the stream's resampling stands between packets. Value-initialise for a new stream.
struct ResampleState {
  std::uint64_t sourceFrames = 0;   // source frames seen so far
  std::uint64_t outputSamples = 0;  // output samples produced so far
  double lastValue = 0.0;           // mono value of the last source frame seen
};

// Converts `frames` frames at `data` (laid out as `layout`) and appends the result to `out`.
// A silent packet counts as that many frames of zeros and `data` is not read (it may be null);
// at a rate other than 48000 Hz it goes through the resampler like sound. `layout` must have a
// non-zero rate and channel count and a block align of at least one frame, and `data` must hold
// frames * blockAlign bytes.
void AppendAsMono48k(const PcmLayout& layout, const std::uint8_t* data, std::size_t frames,
                     bool silent, ResampleState& state, std::vector<std::int16_t>& out);

}  // namespace mic
