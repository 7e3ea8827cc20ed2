// StandardMethodCodec: method calls and reply envelopes in the standard codec's format.
//
//   method call:      <string name> <arguments value>
//   success envelope: 0x00 <value>
//   error envelope:   0x01 <string code> <string message or null> <details>
//                     (an optional fourth value, a stack trace string or null, is accepted)
//   not implemented:  no bytes
//
// Calls and envelopes with bytes left over are rejected, as the Dart side rejects them.
//
// Thread-safety: instances are immutable; GetInstance() may be used from any thread.
#ifndef FLUTTER_STANDARD_METHOD_CODEC_H_
#define FLUTTER_STANDARD_METHOD_CODEC_H_

#include <memory>
#include <string>
#include <vector>

#include "flutter/encodable_value.h"
#include "flutter/method_call.h"
#include "flutter/method_codec.h"
#include "flutter/standard_codec_serializer.h"

namespace flutter {

class StandardMethodCodec : public MethodCodec<EncodableValue> {
 public:
  // The shared codec for |serializer| (null: the standard serializer). Lives until process exit.
  static const StandardMethodCodec& GetInstance(
      const StandardCodecSerializer* serializer = nullptr);

  ~StandardMethodCodec() override;

 protected:
  std::unique_ptr<MethodCall<EncodableValue>> DecodeMethodCallInternal(
      const uint8_t* message, size_t message_size) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeMethodCallInternal(
      const MethodCall<EncodableValue>& method_call) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeSuccessEnvelopeInternal(
      const EncodableValue* result) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeErrorEnvelopeInternal(
      const std::string& error_code, const std::string& error_message,
      const EncodableValue* error_details) const override;
  bool DecodeAndProcessResponseEnvelopeInternal(
      const uint8_t* response, size_t response_size,
      MethodResult<EncodableValue>* result) const override;

 private:
  explicit StandardMethodCodec(const StandardCodecSerializer* serializer);

  const StandardCodecSerializer* serializer_;  // Not owned; process lifetime.
};

}  // namespace flutter

#endif  // FLUTTER_STANDARD_METHOD_CODEC_H_
