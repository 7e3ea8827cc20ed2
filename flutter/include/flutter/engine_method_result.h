// EngineMethodResult: the MethodResult that answers a method call received from the engine, by
// encoding the reply with the channel's codec and sending it back.
//
// If the result is destroyed without a reply, an empty reply ("not implemented") is sent and a
// warning logged, so the Dart side never waits forever.
#ifndef FLUTTER_ENGINE_METHOD_RESULT_H_
#define FLUTTER_ENGINE_METHOD_RESULT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/method_codec.h"
#include "flutter/method_result.h"

namespace flutter {

namespace internal {

// Holds the reply callable of one message and makes sure it is called exactly once.
class ReplyManager {
 public:
  explicit ReplyManager(BinaryReply reply_handler);
  ~ReplyManager();
  ReplyManager(const ReplyManager&) = delete;
  ReplyManager& operator=(const ReplyManager&) = delete;

  // Sends |data|, or an empty reply when |data| is null. Only the first call sends.
  void SendResponseData(const std::vector<uint8_t>* data);

 private:
  BinaryReply reply_handler_;
};

}  // namespace internal

template <typename T>
class EngineMethodResult : public MethodResult<T> {
 public:
  // |codec| is not owned and must outlive the result (the shared codecs live until exit).
  EngineMethodResult(BinaryReply reply_handler, const MethodCodec<T>* codec)
      : reply_manager_(std::make_unique<internal::ReplyManager>(std::move(reply_handler))),
        codec_(codec) {}

 protected:
  void SuccessInternal(const T* result) override {
    std::unique_ptr<std::vector<uint8_t>> data = codec_->EncodeSuccessEnvelope(result);
    reply_manager_->SendResponseData(data.get());
  }

  void ErrorInternal(const std::string& error_code, const std::string& error_message,
                     const T* error_details) override {
    std::unique_ptr<std::vector<uint8_t>> data =
        codec_->EncodeErrorEnvelope(error_code, error_message, error_details);
    reply_manager_->SendResponseData(data.get());
  }

  void NotImplementedInternal() override { reply_manager_->SendResponseData(nullptr); }

 private:
  std::unique_ptr<internal::ReplyManager> reply_manager_;
  const MethodCodec<T>* codec_;  // Not owned.
};

}  // namespace flutter

#endif  // FLUTTER_ENGINE_METHOD_RESULT_H_
