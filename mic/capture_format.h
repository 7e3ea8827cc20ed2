// Reading a device's WAVEFORMATEX (plain or extensible) as a PcmLayout.
//
// The capture converts 16-bit PCM, packed 24-bit PCM and 32-bit float, in any channel count and
// at any rate. Everything else (8-bit, 32-bit integer, 64-bit float, compressed formats, zero
// rates or channels, a block align too small for one frame, a truncated extension) is refused,
// so a device can never make the conversion read past a packet.
//
// Thread-safety: pure functions.
#pragma once

#include <windows.h>
#include <mmreg.h>

#include <cstddef>
#include <optional>
#include <string>

#include "mic/pcm_conversion.h"

namespace mic {

// The layout `format` describes, or nothing when the capture cannot convert it. `formatBytes` is
// how many bytes `format` points at (a WAVEFORMATEX followed by cbSize extension bytes).
std::optional<PcmLayout> LayoutFromWaveFormat(const WAVEFORMATEX& format, std::size_t formatBytes);

// "tag 0xFFFE, 2ch, 32bit, 44100Hz": the fields a log line needs to explain a refusal.
std::string DescribeWaveFormat(const WAVEFORMATEX& format);

// The format the capture asks a device for first: PCM, 48000 Hz, mono, 16-bit.
WAVEFORMATEX EncoderWaveFormat();

}  // namespace mic
