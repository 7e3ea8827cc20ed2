// Measurements of a captured sine tone.
//
// Thread-safety: pure functions.
#pragma once

#include <cstdint>
#include <vector>

namespace mic_test {

// The tone's frequency from its upward zero crossings (interpolated between samples): the number
// of whole periods between the first and the last crossing over the time between them. 0 when
// there are fewer than two crossings.
double EstimateFrequency(const std::vector<std::int16_t>& samples, double sampleRate);

// Signal-to-noise ratio in dB of `samples` against the best-fitting sine of `frequency`: the
// amplitude and lag (phase, continuous) that leave the least residual, an offset included.
double SineSnrDb(const std::vector<std::int16_t>& samples, double sampleRate, double frequency);

// `seconds` of a sine at `frequency`, amplitude `amplitude` (in samples), starting at phase 0.
std::vector<std::int16_t> MakeSine(double frequency, double sampleRate, double seconds, double amplitude);

}  // namespace mic_test
