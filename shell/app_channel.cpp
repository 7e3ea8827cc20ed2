#include "shell/app_channel.h"

#include <utility>

#include "flutter/standard_method_codec.h"

AppChannel::AppChannel(flutter::BinaryMessenger* messenger, ProcessTerminator terminate)
    : terminate_(std::move(terminate)),
      channel_(std::make_unique<flutter::MethodChannel<flutter::EncodableValue>>(
          messenger, kAppChannelName, &flutter::StandardMethodCodec::GetInstance())) {
  // The handler captures `this`: it is removed in the destructor, before `this` goes.
  channel_->SetMethodCallHandler(
      [this](const flutter::MethodCall<flutter::EncodableValue>& call,
             std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result) {
        HandleMethodCall(call, std::move(result));
      });
}

AppChannel::~AppChannel() {
  // Destroying a MethodChannel leaves its handler registered; clear it explicitly so the engine
  // never calls into a destroyed object.
  channel_->SetMethodCallHandler(nullptr);
}

void AppChannel::TerminateCurrentProcess(UINT exit_code) {
  ::TerminateProcess(::GetCurrentProcess(), exit_code);
}

void AppChannel::HandleMethodCall(
    const flutter::MethodCall<flutter::EncodableValue>& call,
    std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result) {
  if (call.method_name() == "shutdown") {
    result->Success();
    terminate_(0);
    return;
  }
  result->NotImplemented();
}
