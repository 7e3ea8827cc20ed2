#include "mic/mic_log.h"

#include <cstdio>
#include <iostream>

namespace mic {

void MicLog(const std::string& message) {
  std::string line;
  line.reserve(message.size() + 20);
  line.append("[MicAudioCapture] ").append(message).push_back('\n');
  std::cout.write(line.data(), static_cast<std::streamsize>(line.size()));
  std::cout.flush();
}

std::string HexCode(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(code));
  return text;
}

}  // namespace mic
