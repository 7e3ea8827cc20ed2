// The app channel over a messenger that records what the channel does with it: the replies it
// sends, and that it lets go of the messenger when it is destroyed.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/method_call.h"
#include "flutter/method_result_functions.h"
#include "flutter/standard_method_codec.h"
#include "shell/app_channel.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

// Records handlers by channel. Once "shut down" (the engine gone), any use is a fault.
class RecordingMessenger : public flutter::BinaryMessenger {
 public:
  void Send(const std::string& channel, const uint8_t* message, size_t message_size,
            flutter::BinaryReply reply) const override {
    EXPECT_FALSE(shut_down) << "message sent on " << channel << " after the engine went away";
  }

  void SetMessageHandler(const std::string& channel,
                         flutter::BinaryMessageHandler handler) override {
    EXPECT_FALSE(shut_down) << "handler of " << channel << " changed after the engine went away";
    if (handler) {
      handlers[channel] = std::move(handler);
    } else {
      handlers.erase(channel);
    }
  }

  // What the Dart side would get back for `method` on `channel`: nullopt when no reply came.
  std::optional<std::vector<uint8_t>> Call(const std::string& channel, const std::string& method,
                                           std::unique_ptr<EncodableValue> arguments = nullptr) {
    auto it = handlers.find(channel);
    if (it == handlers.end()) {
      return std::nullopt;
    }
    const auto& codec = flutter::StandardMethodCodec::GetInstance();
    flutter::MethodCall<EncodableValue> call(method, std::move(arguments));
    const std::unique_ptr<std::vector<uint8_t>> bytes = codec.EncodeMethodCall(call);
    std::optional<std::vector<uint8_t>> answer;
    int replies = 0;
    it->second(bytes->data(), bytes->size(), [&](const uint8_t* reply, size_t size) {
      ++replies;
      answer = std::vector<uint8_t>(reply, reply + size);
    });
    EXPECT_LE(replies, 1) << "more than one reply to " << method;
    return answer;
  }

  std::map<std::string, flutter::BinaryMessageHandler> handlers;
  bool shut_down = false;
};

enum class ReplyKind { kSuccess, kError, kNotImplemented, kUndecodable };

struct DecodedReply {
  ReplyKind kind = ReplyKind::kUndecodable;
  bool has_value = false;
};

DecodedReply Decode(const std::vector<uint8_t>& bytes) {
  DecodedReply decoded;
  flutter::MethodResultFunctions<EncodableValue> result(
      [&](const EncodableValue* value) {
        decoded.kind = ReplyKind::kSuccess;
        decoded.has_value = value != nullptr && !value->IsNull();
      },
      [&](const std::string&, const std::string&, const EncodableValue*) {
        decoded.kind = ReplyKind::kError;
      },
      [&] { decoded.kind = ReplyKind::kNotImplemented; });
  flutter::StandardMethodCodec::GetInstance().DecodeAndProcessResponseEnvelope(
      bytes.data(), bytes.size(), &result);
  return decoded;
}

TEST(AppChannel, ShutdownRepliesSuccessWithoutValueBeforeEndingTheProcessWithZero) {
  RecordingMessenger messenger;
  std::vector<std::string> order;
  std::optional<UINT> exit_code;
  AppChannel channel(&messenger, [&](UINT code) {
    order.push_back("terminate");
    exit_code = code;
  });

  // Wrap the handler so the moment of the reply lands in `order` too.
  flutter::BinaryMessageHandler original = messenger.handlers.at(kAppChannelName);
  messenger.handlers[kAppChannelName] = [&](const uint8_t* message, size_t size,
                                           flutter::BinaryReply reply) {
    original(message, size, [&, reply](const uint8_t* bytes, size_t length) {
      order.push_back("reply");
      reply(bytes, length);
    });
  };

  const auto reply = messenger.Call(kAppChannelName, "shutdown",
                                    std::make_unique<EncodableValue>(EncodableMap{}));
  ASSERT_TRUE(reply.has_value());
  const DecodedReply decoded = Decode(*reply);
  EXPECT_EQ(decoded.kind, ReplyKind::kSuccess);
  EXPECT_FALSE(decoded.has_value);
  ASSERT_TRUE(exit_code.has_value());
  EXPECT_EQ(*exit_code, 0u);
  EXPECT_EQ(order, (std::vector<std::string>{"reply", "terminate"}));
}

TEST(AppChannel, OtherMethodsAreNotImplementedAndEndNothing) {
  RecordingMessenger messenger;
  int terminations = 0;
  AppChannel channel(&messenger, [&](UINT) { ++terminations; });

  for (const char* method : {"Shutdown", "shutdown ", "", "restart", "getVersion"}) {
    const auto reply = messenger.Call(kAppChannelName, method);
    ASSERT_TRUE(reply.has_value()) << method;
    EXPECT_TRUE(reply->empty()) << "not-implemented is the empty reply: " << method;
    EXPECT_EQ(Decode(*reply).kind, ReplyKind::kNotImplemented) << method;
  }
  EXPECT_EQ(terminations, 0);
}

TEST(AppChannel, UndecodableMessageGetsAnEmptyReplyAndRunsNothing) {
  RecordingMessenger messenger;
  int terminations = 0;
  AppChannel channel(&messenger, [&](UINT) { ++terminations; });

  const std::vector<uint8_t> garbage = {0x07, 0xFF, 0x01};
  std::optional<std::vector<uint8_t>> answer;
  messenger.handlers.at(kAppChannelName)(garbage.data(), garbage.size(),
                                         [&](const uint8_t* bytes, size_t size) {
                                           answer = std::vector<uint8_t>(bytes, bytes + size);
                                         });
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(answer->empty());
  EXPECT_EQ(terminations, 0);
}

TEST(AppChannel, LetsGoOfTheMessengerWhenDestroyed) {
  RecordingMessenger messenger;
  {
    AppChannel channel(&messenger, [](UINT) {});
    EXPECT_EQ(messenger.handlers.count(kAppChannelName), 1u);
  }
  EXPECT_EQ(messenger.handlers.count(kAppChannelName), 0u)
      << "a destroyed channel must not leave a handler that calls into it";
  // From here the engine may go; the messenger's own checks flag any later use.
  messenger.shut_down = true;
}

}  // namespace
