// One fdk-aac encoder instance set up for the microphone: AAC-LC, 48000 Hz, mono, 48 kbit/s at a
// constant rate, raw access units (no transport framing).
//
//   mic::AacEncoder encoder;
//   if (encoder.Open()) {
//     send(encoder.audioSpecificConfig());                  // 0x11 0x88
//     int bytes = 0;
//     if (encoder.Encode(pcm, encoder.frameLength(), out, sizeof(out), &bytes) == 0 && bytes > 0)
//       send(out, bytes);                                    // one access unit
//   }
//
// The encoder delays its output by its look-ahead: the first calls may produce no bytes.
// fdk-aac's own types stay inside aac_encoder.cpp.
//
// Thread-safety: none; one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

struct AACENCODER;

namespace mic {

class AacEncoder {
 public:
  AacEncoder() = default;
  ~AacEncoder();
  AacEncoder(const AacEncoder&) = delete;
  AacEncoder& operator=(const AacEncoder&) = delete;

  // Opens and configures the encoder, closing one opened before. Logs the first failing step
  // ("aacEncOpen", "aacEncoder_SetParam", "aacEncEncode(init)", "aacEncInfo") and returns false;
  // the handle of a failed set-up stays open until Close() or destruction.
  bool Open();
  void Close();
  bool isOpen() const { return handle_ != nullptr; }

  // Encodes `count` samples of 48000 Hz mono PCM into `out`; `*outBytes` gets the bytes written
  // (0 while the encoder fills its look-ahead). Returns fdk-aac's error code: 0 for success.
  // Without an open encoder it returns the library's invalid-handle code.
  unsigned Encode(const std::int16_t* samples, int count, std::uint8_t* out, int outCapacity,
                  int* outBytes);

  // The AudioSpecificConfig and the samples per frame of the open encoder (empty and 1024 before
  // a successful Open()).
  const std::vector<std::uint8_t>& audioSpecificConfig() const { return config_; }
  int frameLength() const { return frameLength_; }

 private:
  AACENCODER* handle_ = nullptr;  // owned; closed by Close()
  std::vector<std::uint8_t> config_;
  int frameLength_ = 1024;
};

}  // namespace mic
