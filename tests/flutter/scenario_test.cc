// Parsing of scenario scripts, including how bad lines are reported.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <variant>

#include "flutter/engine/scenario.h"
#include "flutter/standard_message_codec.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using namespace flutter::engine;

TEST(ScenarioTest, ParsesEveryCommand) {
  const Scenario scenario = ParseScenario(
      "\xEF\xBB\xBF# comment\r\n"
      "listen fernhold/swplay/events\r\n"
      "\n"
      "call fernhold/swplay connect {\"padCode\": \"P1\", \"playType\": 2L}\n"
      "  call fernhold/swplay tileWindows\n"
      "send test/raw [1, 2]\n"
      "sendbytes test/raw 0a ff\n"
      "wait 250\n"
      "wait reply\n"
      "wait reply 500\n"
      "wait event fernhold/swplay/events 3000 \"event\": \"connected\"\n"
      "wait event fernhold/swplay/events\n"
      "echo checkpoint one\n"
      "cancel fernhold/swplay/events\n"
      "close\n");
  ASSERT_TRUE(scenario.ok()) << scenario.errors[0];
  ASSERT_EQ(scenario.commands.size(), 13u);

  EXPECT_EQ(scenario.commands[0].line, 2);
  const auto& listen = std::get<StreamCommand>(scenario.commands[0].body);
  EXPECT_TRUE(listen.listen);
  EXPECT_EQ(listen.channel, "fernhold/swplay/events");
  EXPECT_TRUE(listen.arguments.IsNull());

  EXPECT_EQ(scenario.commands[1].line, 4);
  const auto& call = std::get<CallCommand>(scenario.commands[1].body);
  EXPECT_EQ(call.channel, "fernhold/swplay");
  EXPECT_EQ(call.method, "connect");
  EXPECT_EQ(call.arguments, EncodableValue(EncodableMap{
                                {EncodableValue("padCode"), EncodableValue("P1")},
                                {EncodableValue("playType"), EncodableValue(int64_t{2})}}));
  EXPECT_TRUE(std::get<CallCommand>(scenario.commands[2].body).arguments.IsNull());

  const auto& send = std::get<SendCommand>(scenario.commands[3].body);
  EXPECT_EQ(*flutter::StandardMessageCodec::GetInstance().DecodeMessage(send.message),
            EncodableValue(flutter::EncodableList{EncodableValue(1), EncodableValue(2)}));
  EXPECT_EQ(std::get<SendCommand>(scenario.commands[4].body).message,
            (std::vector<uint8_t>{0x0a, 0xff}));

  EXPECT_EQ(std::get<WaitTimeCommand>(scenario.commands[5].body).milliseconds, 250);
  EXPECT_EQ(std::get<WaitReplyCommand>(scenario.commands[6].body).timeout_ms,
            Scenario::kDefaultTimeoutMs);
  EXPECT_EQ(std::get<WaitReplyCommand>(scenario.commands[7].body).timeout_ms, 500);
  const auto& wait_event = std::get<WaitEventCommand>(scenario.commands[8].body);
  EXPECT_EQ(wait_event.timeout_ms, 3000);
  EXPECT_EQ(wait_event.contains, "\"event\": \"connected\"");
  EXPECT_EQ(std::get<WaitEventCommand>(scenario.commands[9].body).contains, "");
  EXPECT_EQ(std::get<EchoCommand>(scenario.commands[10].body).text, "checkpoint one");
  EXPECT_FALSE(std::get<StreamCommand>(scenario.commands[11].body).listen);
  EXPECT_TRUE(std::holds_alternative<CloseCommand>(scenario.commands[12].body));
}

TEST(ScenarioTest, EveryBadLineIsReportedWithItsNumber) {
  const Scenario scenario = ParseScenario(
      "call fernhold/swplay connect\n"
      "jump somewhere\n"
      "call fernhold/swplay\n"
      "call fernhold/swplay connect {\"padCode\": }\n"
      "wait soon\n"
      "sendbytes x 0g\n"
      "sendbytes x abc\n"
      "send x\n"
      "listen\n"
      "wait reply -5\n"
      "close now\n"
      "wait -1\n");
  EXPECT_FALSE(scenario.ok());
  const std::vector<std::string> expected = {
      "line 2: unknown command \"jump\"",
      "line 3: \"call\" needs a method name",
      "line 4: column 13: unexpected character '}'",
      "line 5: \"wait\" takes milliseconds, \"reply\" or \"event\"",
      "line 6: 'g' is not a hex digit",
      "line 7: odd number of hex digits",
      "line 8: \"send\" needs a message",
      "line 9: \"listen\" needs a channel name",
      "line 10: \"wait reply\" takes only a timeout in milliseconds",
      "line 11: \"close\" takes no arguments",
      "line 12: \"wait\" takes milliseconds, \"reply\" or \"event\"",
  };
  EXPECT_EQ(scenario.errors, expected);
}

TEST(ScenarioTest, ArbitraryBytesNeverCrashTheParser) {
  std::mt19937 random(1234);
  const std::string alphabet = "call wait event {}[]\":,0123456789Lu8f\\x\n\r\t #";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = random() % 200;
    for (int i = 0; i < length; ++i) {
      text += (round % 2) ? static_cast<char>(random() % 256)
                          : alphabet[random() % alphabet.size()];
    }
    const Scenario scenario = ParseScenario(text);
    // Each line either parses or is reported, never both.
    for (const std::string& error : scenario.errors) EXPECT_EQ(error.rfind("line ", 0), 0u);
  }
}

}  // namespace
