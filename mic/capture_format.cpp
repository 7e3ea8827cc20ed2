#include "mic/capture_format.h"

#include <cstdio>
#include <cstring>

namespace mic {
namespace {

// KSDATAFORMAT_SUBTYPE_PCM and KSDATAFORMAT_SUBTYPE_IEEE_FLOAT: the format tag in Data1 of the
// common base GUID. Compared field by field to avoid pulling in the kernel-streaming GUID library.
bool IsSubFormat(const GUID& guid, unsigned long tag) {
  static constexpr unsigned char kTail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  return guid.Data1 == tag && guid.Data2 == 0x0000 && guid.Data3 == 0x0010 &&
         std::memcmp(guid.Data4, kTail, sizeof(kTail)) == 0;
}

}  // namespace

std::optional<PcmLayout> LayoutFromWaveFormat(const WAVEFORMATEX& format, std::size_t formatBytes) {
  if (formatBytes < sizeof(WAVEFORMATEX) || formatBytes < sizeof(WAVEFORMATEX) + format.cbSize) {
    return std::nullopt;
  }
  WORD tag = format.wFormatTag;
  if (tag == WAVE_FORMAT_EXTENSIBLE) {
    if (format.cbSize < sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)) return std::nullopt;
    WAVEFORMATEXTENSIBLE extensible;
    std::memcpy(&extensible, &format, sizeof(extensible));
    if (IsSubFormat(extensible.SubFormat, WAVE_FORMAT_PCM)) {
      tag = WAVE_FORMAT_PCM;
    } else if (IsSubFormat(extensible.SubFormat, WAVE_FORMAT_IEEE_FLOAT)) {
      tag = WAVE_FORMAT_IEEE_FLOAT;
    } else {
      return std::nullopt;
    }
  }

  PcmLayout layout;
  if (tag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32) {
    layout.encoding = SampleEncoding::kFloat32;
  } else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16) {
    layout.encoding = SampleEncoding::kPcm16;
  } else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 24) {
    layout.encoding = SampleEncoding::kPcm24;
  } else {
    return std::nullopt;
  }
  if (format.nSamplesPerSec == 0 || format.nChannels == 0 ||
      format.nBlockAlign < format.nChannels * BytesPerSample(layout.encoding)) {
    return std::nullopt;
  }
  layout.sampleRate = format.nSamplesPerSec;
  layout.channels = format.nChannels;
  layout.blockAlign = format.nBlockAlign;
  return layout;
}

std::string DescribeWaveFormat(const WAVEFORMATEX& format) {
  char text[96];
  std::snprintf(text, sizeof(text), "tag 0x%X, %uch, %ubit, %luHz", format.wFormatTag,
                format.nChannels, format.wBitsPerSample, static_cast<unsigned long>(format.nSamplesPerSec));
  return text;
}

WAVEFORMATEX EncoderWaveFormat() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = kEncoderSampleRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 2;
  format.nAvgBytesPerSec = kEncoderSampleRate * 2;
  format.cbSize = 0;
  return format;
}

}  // namespace mic
