// Independent check of the encoder's output: raw AAC-LC access units are framed as ADTS and
// decoded by the system's ffmpeg, run as a Unix program from inside Wine.
//
// The decoded PCM comes back over a loopback TCP connection that the Unix side writes and then
// closes, so the end of the data is the end of the decode: no polling, no shared file names.
//
// Thread-safety: free functions; each call uses its own temporary file and socket.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mic_test {

// One access unit with a 7-byte ADTS header: MPEG-4 AAC-LC, 48000 Hz (index 3), mono, no CRC.
std::vector<std::uint8_t> AdtsFrame(const std::vector<std::uint8_t>& accessUnit);

// Decodes a stream of ADTS frames to 48000 Hz mono 16-bit samples with ffmpeg. False, with a
// reason in *error, when ffmpeg cannot be run or decodes nothing.
bool DecodeAdtsWithFfmpeg(const std::vector<std::uint8_t>& adts, std::vector<std::int16_t>* pcm,
                          std::string* error);

}  // namespace mic_test
