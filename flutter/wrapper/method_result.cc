// Shared pieces of the method-result classes.

#include <iostream>

#include "flutter/engine_method_result.h"
#include "flutter/method_result.h"

namespace flutter {
namespace internal {

void LogDuplicateMethodResult(const char* kind) {
  std::cerr << "Error: a method call was already answered; ignoring a second reply (" << kind
            << "). Call exactly one of Success, Error or NotImplemented, once." << std::endl;
}

ReplyManager::ReplyManager(BinaryReply reply_handler) : reply_handler_(std::move(reply_handler)) {}

ReplyManager::~ReplyManager() {
  if (reply_handler_) {
    std::cerr << "Warning: a method call was dropped without a reply; answering it as not "
                 "implemented."
              << std::endl;
    SendResponseData(nullptr);
  }
}

void ReplyManager::SendResponseData(const std::vector<uint8_t>* data) {
  if (!reply_handler_) {
    LogDuplicateMethodResult("response data");
    return;
  }
  // Moved out first, so a handler that fails or re-enters cannot reply twice.
  BinaryReply reply = std::move(reply_handler_);
  reply_handler_ = nullptr;
  if (data && !data->empty()) {
    reply(data->data(), data->size());
  } else {
    reply(nullptr, 0);
  }
}

}  // namespace internal
}  // namespace flutter
