// Log lines of the microphone capture.
//
// Every line goes to the standard output with the "[MicAudioCapture] " prefix, written as one
// piece so that lines from the capture thread and the caller's thread never interleave. Output
// reaches a console only when one is attached.
//
// Thread-safety: callable from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace mic {

// Writes "[MicAudioCapture] " + message and a line break, then flushes.
void MicLog(const std::string& message);

// "0x" followed by `code` in upper-case hexadecimal without padding: 0x80070490, 0x20.
std::string HexCode(std::uint32_t code);

}  // namespace mic
