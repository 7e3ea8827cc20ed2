#include "mic/aac_encoder.h"

#include <aacenc_lib.h>

#include <string>

#include "mic/mic_log.h"
#include "mic/pcm_conversion.h"

namespace mic {
namespace {

constexpr UINT kAllModules = 0;
constexpr UINT kMonoChannels = 1;
constexpr UINT kAacLc = 2;
constexpr UINT kMono = 1;
constexpr UINT kBitRate = 48000;
constexpr UINT kConstantBitRate = 0;
constexpr UINT kRawAccessUnits = 0;

}  // namespace

AacEncoder::~AacEncoder() { Close(); }

bool AacEncoder::Open() {
  Close();
  if (aacEncOpen(&handle_, kAllModules, kMonoChannels) != AACENC_OK) {
    MicLog("aacEncOpen failed");
    return false;
  }
  const struct {
    AACENC_PARAM param;
    UINT value;
  } settings[] = {
      {AACENC_AOT, kAacLc},
      {AACENC_SAMPLERATE, kEncoderSampleRate},
      {AACENC_CHANNELMODE, kMono},
      {AACENC_BITRATE, kBitRate},
      {AACENC_BITRATEMODE, kConstantBitRate},
      {AACENC_TRANSMUX, kRawAccessUnits},
  };
  for (const auto& setting : settings) {
    if (aacEncoder_SetParam(handle_, setting.param, setting.value) != AACENC_OK) {
      MicLog("aacEncoder_SetParam failed");
      return false;
    }
  }
  if (aacEncEncode(handle_, nullptr, nullptr, nullptr, nullptr) != AACENC_OK) {
    MicLog("aacEncEncode(init) failed");
    return false;
  }
  AACENC_InfoStruct info{};
  if (aacEncInfo(handle_, &info) != AACENC_OK) {
    MicLog("aacEncInfo failed");
    return false;
  }
  const UINT configSize = info.confSize < sizeof(info.confBuf) ? info.confSize : sizeof(info.confBuf);
  config_.assign(info.confBuf, info.confBuf + configSize);
  frameLength_ = static_cast<int>(info.frameLength);
  MicLog("encoder ready: " + std::to_string(kEncoderSampleRate) + "Hz mono, cfg=" +
         std::to_string(config_.size()) + " bytes, frame=" + std::to_string(frameLength_) +
         " samples");
  return true;
}

void AacEncoder::Close() {
  if (handle_ != nullptr) aacEncClose(&handle_);
  handle_ = nullptr;
  config_.clear();
  frameLength_ = 1024;
}

unsigned AacEncoder::Encode(const std::int16_t* samples, int count, std::uint8_t* out,
                            int outCapacity, int* outBytes) {
  *outBytes = 0;
  if (handle_ == nullptr) return AACENC_INVALID_HANDLE;

  void* inBuffer = const_cast<std::int16_t*>(samples);
  INT inIdentifier = IN_AUDIO_DATA;
  INT inSize = count * static_cast<INT>(sizeof(std::int16_t));
  INT inElementSize = sizeof(std::int16_t);
  AACENC_BufDesc input{1, &inBuffer, &inIdentifier, &inSize, &inElementSize};

  void* outBuffer = out;
  INT outIdentifier = OUT_BITSTREAM_DATA;
  INT outSize = outCapacity;
  INT outElementSize = 1;
  AACENC_BufDesc output{1, &outBuffer, &outIdentifier, &outSize, &outElementSize};

  AACENC_InArgs inArgs{};
  inArgs.numInSamples = count;
  AACENC_OutArgs outArgs{};
  const AACENC_ERROR error = aacEncEncode(handle_, &input, &output, &inArgs, &outArgs);
  if (error != AACENC_OK) return error;
  *outBytes = outArgs.numOutBytes;
  return AACENC_OK;
}

}  // namespace mic
