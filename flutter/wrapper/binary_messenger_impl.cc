#include "flutter/wrapper/binary_messenger_impl.h"

#include <iostream>
#include <utility>

namespace flutter {

namespace {

void ForwardReply(const uint8_t* data, size_t data_size, void* user_data) {
  std::unique_ptr<BinaryReply> reply(static_cast<BinaryReply*>(user_data));
  if (*reply) (*reply)(data, data_size);
}

}  // namespace

BinaryMessengerImpl::BinaryMessengerImpl(FlutterDesktopMessengerRef core_messenger)
    : messenger_(FlutterDesktopMessengerAddRef(core_messenger),
                 [](FlutterDesktopMessengerRef m) { FlutterDesktopMessengerRelease(m); }) {}

BinaryMessengerImpl::~BinaryMessengerImpl() {
  // The engine must not call into handlers that are about to be destroyed. Passing the entry
  // removes only callbacks this object installed, not ones another messenger object set since.
  for (auto& [channel, entry] : handlers_) {
    FlutterDesktopMessengerSetCallback(messenger_.get(), channel.c_str(), nullptr, &entry);
  }
}

void BinaryMessengerImpl::Send(const std::string& channel, const uint8_t* message,
                               size_t message_size, BinaryReply reply) const {
  if (!reply) {
    FlutterDesktopMessengerSend(messenger_.get(), channel.c_str(), message, message_size);
    return;
  }
  auto captured = std::make_unique<BinaryReply>(std::move(reply));
  if (FlutterDesktopMessengerSendWithReply(messenger_.get(), channel.c_str(), message,
                                           message_size, ForwardReply, captured.get())) {
    captured.release();  // ForwardReply owns it now; the engine always calls it once.
  } else {
    std::cerr << "Failed to send a message on channel " << channel << std::endl;
  }
}

void BinaryMessengerImpl::SetMessageHandler(const std::string& channel,
                                            BinaryMessageHandler handler) {
  if (!handler) {
    FlutterDesktopMessengerSetCallback(messenger_.get(), channel.c_str(), nullptr, nullptr);
    handlers_.erase(channel);
    return;
  }
  HandlerEntry& entry = handlers_[channel];
  entry.messenger = messenger_;
  entry.handler = std::move(handler);
  FlutterDesktopMessengerSetCallback(messenger_.get(), channel.c_str(), ForwardToHandler, &entry);
}

void BinaryMessengerImpl::ForwardToHandler(FlutterDesktopMessengerRef messenger,
                                           const FlutterDesktopMessage* message,
                                           void* user_data) {
  const auto* entry = static_cast<const HandlerEntry*>(user_data);
  // A copy: the handler may replace or remove itself while it runs.
  BinaryMessageHandler handler = entry->handler;
  std::shared_ptr<FlutterDesktopMessenger> keep_alive = entry->messenger;
  const FlutterDesktopMessageResponseHandle* response_handle = message->response_handle;
  BinaryReply reply = [keep_alive, response_handle](const uint8_t* reply, size_t reply_size) {
    FlutterDesktopMessengerSendResponse(keep_alive.get(), response_handle, reply, reply_size);
  };
  handler(message->message, message->message_size, std::move(reply));
}

}  // namespace flutter
