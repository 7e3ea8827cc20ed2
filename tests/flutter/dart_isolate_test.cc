// The scripted Dart side against a fake engine: what it sends, what it prints.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "flutter/engine/dart_isolate.h"
#include "flutter/standard_message_codec.h"
#include "flutter/standard_method_codec.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::StandardMethodCodec;
using flutter::engine::DartIsolate;
using flutter::engine::ParseScenario;
using Bytes = std::vector<uint8_t>;

struct SentMessage {
  std::string channel;
  Bytes bytes;
  uint64_t reply_id;
};

// Records what the isolate does; waits are driven by its condition variable.
class FakeEngine : public DartIsolate::Host {
 public:
  void SendPlatformMessage(const std::string& channel, Bytes message, uint64_t reply_id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    sent_.push_back({channel, std::move(message), reply_id});
    changed_.notify_all();
  }
  void RespondToHost(uint64_t host_reply_id, Bytes response) override {
    std::lock_guard<std::mutex> lock(mutex_);
    responses_.emplace_back(host_reply_id, std::move(response));
    changed_.notify_all();
  }
  void RequestClose() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++close_requests_;
    changed_.notify_all();
  }

  void AddLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
    changed_.notify_all();
  }

  // Waits until the isolate has sent |count| messages; returns the one at |count - 1|.
  SentMessage WaitForSent(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    EXPECT_TRUE(changed_.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return sent_.size() >= count; }));
    return sent_.size() >= count ? sent_[count - 1] : SentMessage{};
  }

  bool WaitForLine(const std::string& line) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
      return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
    });
  }

  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  std::vector<SentMessage> sent() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
  }
  std::vector<std::pair<uint64_t, Bytes>> responses() {
    std::lock_guard<std::mutex> lock(mutex_);
    return responses_;
  }
  int close_requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return close_requests_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  std::vector<SentMessage> sent_;
  std::vector<std::pair<uint64_t, Bytes>> responses_;
  int close_requests_ = 0;
};

class DartIsolateTest : public ::testing::Test {
 protected:
  void Start(const std::optional<std::string>& script,
             std::vector<std::string> arguments = {}) {
    std::optional<flutter::engine::Scenario> scenario;
    if (script) scenario = ParseScenario(*script);
    isolate_ = std::make_unique<DartIsolate>(&engine_, std::move(scenario), "main",
                                             std::move(arguments),
                                             [this](const std::string& line) { engine_.AddLine(line); });
    isolate_->Start();
  }

  static Bytes Success(const EncodableValue& value) {
    return *StandardMethodCodec::GetInstance().EncodeSuccessEnvelope(&value);
  }

  FakeEngine engine_;
  std::unique_ptr<DartIsolate> isolate_;  // Stopped before |engine_| goes.
};

TEST_F(DartIsolateTest, PrintsEntryPointAndArgumentsFirst) {
  Start(std::nullopt, {"--pad", "two words", "\xC3\xA9"});
  ASSERT_TRUE(engine_.WaitForLine("[dart] no scenario"));
  const std::vector<std::string> lines = engine_.lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[dart] entrypoint main");
  EXPECT_EQ(lines[1], "[dart] args [\"--pad\", \"two words\", \"\xC3\xA9\"]");
}

TEST_F(DartIsolateTest, CallsCarryTheirArgumentsAndEveryReplyKindIsPrinted) {
  Start(
      "call app/one first {\"padCode\": \"P1\", \"level\": 3L, \"f\": 0.5}\n"
      "call app/one second\n"
      "call app/two third [1]\n"
      "wait reply\n"
      "echo after replies\n");
  engine_.WaitForSent(3);
  const std::vector<SentMessage> sent = engine_.sent();
  auto call = StandardMethodCodec::GetInstance().DecodeMethodCall(sent[0].bytes);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(sent[0].channel, "app/one");
  EXPECT_EQ(call->method_name(), "first");
  EXPECT_EQ(*call->arguments(), EncodableValue(EncodableMap{
                                    {EncodableValue("padCode"), EncodableValue("P1")},
                                    {EncodableValue("level"), EncodableValue(int64_t{3})},
                                    {EncodableValue("f"), EncodableValue(0.5)}}));
  EXPECT_EQ(sent[2].channel, "app/two");

  // Answered out of order; each reply names the line of its call.
  isolate_->DeliverReply(sent[2].reply_id, {});
  const EncodableValue details(7);
  isolate_->DeliverReply(
      sent[1].reply_id,
      *StandardMethodCodec::GetInstance().EncodeErrorEnvelope("-1", "Missing", &details));
  isolate_->DeliverReply(sent[0].reply_id, Success(EncodableValue("ok")));
  const std::vector<std::string> expected_tail = {
      "[dart] reply 3 app/two third notImplemented",
      "[dart] reply 2 app/one second error \"-1\" \"Missing\" 7",
      "[dart] reply 1 app/one first success \"ok\"",
      "[dart] echo after replies",
      "[dart] done",
  };
  ASSERT_TRUE(engine_.WaitForLine("[dart] done"));
  const std::vector<std::string> all = engine_.lines();
  ASSERT_GE(all.size(), expected_tail.size());
  EXPECT_EQ(std::vector<std::string>(all.end() - expected_tail.size(), all.end()), expected_tail);
}

TEST_F(DartIsolateTest, RawMessagesAndTheirReplies) {
  Start(
      "sendbytes raw/in 01 02 ff\n"
      "send raw/in {\"a\": [1]}\n"
      "sendbytes raw/in 07\n"
      "wait reply\n");
  engine_.WaitForSent(3);
  const std::vector<SentMessage> sent = engine_.sent();
  EXPECT_EQ(sent[0].bytes, (Bytes{1, 2, 0xff}));
  EXPECT_EQ(*flutter::StandardMessageCodec::GetInstance().DecodeMessage(sent[1].bytes),
            EncodableValue(EncodableMap{{EncodableValue("a"),
                                         EncodableValue(flutter::EncodableList{EncodableValue(1)})}}));
  isolate_->DeliverReply(sent[0].reply_id, {});
  isolate_->DeliverReply(sent[1].reply_id,
                         *flutter::StandardMessageCodec::GetInstance().EncodeMessage(
                             EncodableValue(true)));
  isolate_->DeliverReply(sent[2].reply_id, Bytes{0xee});
  ASSERT_TRUE(engine_.WaitForLine("[dart] done"));
  const std::vector<std::string> lines = engine_.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[dart] reply 1 raw/in - empty"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[dart] reply 2 raw/in - value true"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[dart] reply 3 raw/in - bytes ee"),
            lines.end());
}

TEST_F(DartIsolateTest, ListenedChannelsPrintEventsAndWaitsTakeThemInOrder) {
  Start(
      "listen ev/stream {\"mode\": 1}\n"
      "wait event ev/stream 10000 \"event\": \"connected\"\n"
      "echo saw connected\n"
      "wait event ev/stream 10000 \"event\": \"connected\"\n"
      "echo saw second connected\n"
      "cancel ev/stream\n"
      "wait reply\n"
      "echo cancelled\n");
  const SentMessage listen = engine_.WaitForSent(1);
  auto call = StandardMethodCodec::GetInstance().DecodeMethodCall(listen.bytes);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->method_name(), "listen");

  auto event = [](const char* name) {
    return Success(EncodableValue(EncodableMap{{EncodableValue("event"), EncodableValue(name)}}));
  };
  // Events before the listen reply are taken too, as on the Dart side.
  isolate_->DeliverMessage("ev/stream", event("connected"), 0);
  isolate_->DeliverMessage("ev/stream", event("disconnected"), 0);
  isolate_->DeliverMessage("ev/stream",
                           *StandardMethodCodec::GetInstance().EncodeErrorEnvelope("E", "bad"), 0);
  isolate_->DeliverMessage("ev/stream", Bytes{9, 9}, 0);
  isolate_->DeliverReply(listen.reply_id, Success(EncodableValue()));
  ASSERT_TRUE(engine_.WaitForLine("[dart] echo saw connected"));
  // The second wait needs a second "connected": the first was taken.
  isolate_->DeliverMessage("ev/stream", event("connected"), 0);
  ASSERT_TRUE(engine_.WaitForLine("[dart] echo saw second connected"));

  const SentMessage cancel = engine_.WaitForSent(2);
  // After "cancel" the channel is no longer listened to; a message asking for a reply still
  // gets an (empty) one.
  isolate_->DeliverMessage("ev/stream", event("late"), 42);
  isolate_->DeliverReply(cancel.reply_id, Success(EncodableValue()));
  ASSERT_TRUE(engine_.WaitForLine("[dart] echo cancelled"));

  const std::vector<std::string> lines = engine_.lines();
  const std::vector<std::string> events = [&] {
    std::vector<std::string> out;
    for (const auto& line : lines) {
      if (line.rfind("[dart] event", 0) == 0 || line.rfind("[dart] unhandled", 0) == 0) {
        out.push_back(line);
      }
    }
    return out;
  }();
  const std::vector<std::string> expected = {
      "[dart] event ev/stream {\"event\": \"connected\"}",
      "[dart] event ev/stream {\"event\": \"disconnected\"}",
      "[dart] event-error ev/stream \"E\" \"bad\" null",
      "[dart] event-undecodable ev/stream 0909",
      "[dart] event ev/stream {\"event\": \"connected\"}",
      "[dart] unhandled ev/stream 16 bytes",
  };
  EXPECT_EQ(events, expected);
  const auto responses = engine_.responses();
  ASSERT_EQ(responses.size(), 1u);
  EXPECT_EQ(responses[0].first, 42u);
  EXPECT_TRUE(responses[0].second.empty());
}

TEST_F(DartIsolateTest, AnEventPassedOverByOneWaitStillSatisfiesALaterOne) {
  // Events from several phones interleave: the order of the waits need not be the order of the
  // events.
  Start(
      "listen ev/mixed\n"
      "wait reply\n"
      "wait event ev/mixed 2000 connected\n"
      "wait event ev/mixed 2000 reconnecting\n"
      "wait event ev/mixed 2000 reconnecting\n"
      "echo end\n");
  const SentMessage listen = engine_.WaitForSent(1);
  for (const char* name : {"reconnecting", "connected"}) {
    isolate_->DeliverMessage("ev/mixed", Success(EncodableValue(name)), 0);
  }
  isolate_->DeliverReply(listen.reply_id, Success(EncodableValue()));
  ASSERT_TRUE(engine_.WaitForLine("[dart] done"));
  const std::vector<std::string> lines = engine_.lines();
  // The first "reconnecting" wait takes the event the "connected" wait passed over; the second
  // finds none left, since each event satisfies one wait only.
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.find("timeout") != std::string::npos; }),
            1);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "[dart] timeout line 5: wait event ev/mixed reconnecting"),
            lines.end());
}

TEST_F(DartIsolateTest, WaitsThatTimeOutAreReportedAndTheScenarioGoesOn) {
  Start(
      "call app/x never\n"
      "wait reply 30\n"
      "wait event nowhere 30\n"
      "close\n");
  ASSERT_TRUE(engine_.WaitForLine("[dart] done"));
  const std::vector<std::string> lines = engine_.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[dart] timeout line 2: wait reply"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[dart] timeout line 3: wait event nowhere"),
            lines.end());
  EXPECT_EQ(engine_.close_requests(), 1);
}

TEST_F(DartIsolateTest, ARejectedScenarioSendsNothing) {
  Start("call app/x ok\nbogus\ncall app/x m {\n");
  ASSERT_TRUE(engine_.WaitForLine("[dart] scenario rejected"));
  const std::vector<std::string> lines = engine_.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "[dart] scenario error line 2: unknown command \"bogus\""),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "[dart] scenario error line 3: column 2: a value is missing"),
            lines.end());
  EXPECT_TRUE(engine_.sent().empty());
}

TEST_F(DartIsolateTest, StopEndsALongWait) {
  Start("wait 600000\n");
  ASSERT_TRUE(engine_.WaitForLine("[dart] args []"));
  const auto started = std::chrono::steady_clock::now();
  isolate_->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  const std::vector<std::string> lines = engine_.lines();
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "[dart] done"), lines.end());
}

}  // namespace
