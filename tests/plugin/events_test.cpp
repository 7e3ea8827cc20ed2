// The event channel: the queue while nobody listens, listen/cancel, order, and that events are
// sent only on the platform thread.
#include <gtest/gtest.h>

#include <thread>

#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

EncodableMap Data(const std::string& pad, int n) {
  return EncodableMap{{EncodableValue("padCode"), EncodableValue(pad)},
                      {EncodableValue("attempt"), EncodableValue(int32_t(n))}};
}

int AttemptOf(const SentEvent& e) {
  const auto& map = std::get<EncodableMap>(e.data);
  return std::get<int32_t>(map.at(EncodableValue("attempt")));
}

TEST(PluginEvents, EventsBeforeListenArriveInOrderRightAfterListenBeforeItsReply) {
  PluginRig rig;
  for (int i = 1; i <= 3; ++i) rig.manager->QueueEvent("reconnecting", Data("a", i));
  EXPECT_EQ(rig.messenger.EventCount(), 0u);
  const Reply reply = rig.messenger.Listen();
  EXPECT_EQ(reply.kind, Reply::Kind::kSuccess);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(reply.value));
  EXPECT_EQ(rig.messenger.Timeline(),
            (std::vector<std::string>{"fernhold/swplay/events", "fernhold/swplay/events",
                                      "fernhold/swplay/events", "reply:fernhold/swplay/events"}));
  const auto events = rig.messenger.Events();
  ASSERT_EQ(events.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(events[i].name, "reconnecting");
    EXPECT_EQ(AttemptOf(events[i]), i + 1);
  }
}

TEST(PluginEvents, CancelKeepsTheQueueForTheNextListenWithoutLossOrDuplicates) {
  PluginRig rig;
  rig.messenger.Listen();
  rig.manager->QueueEvent("reconnecting", Data("a", 1));
  EXPECT_EQ(rig.messenger.EventCount(), 1u);  // platform thread, listening: sent at once
  EXPECT_EQ(rig.messenger.Cancel().kind, Reply::Kind::kSuccess);
  rig.manager->QueueEvent("reconnecting", Data("a", 2));
  rig.manager->QueueEvent("reconnecting", Data("a", 3));
  // Method calls flush, but not while cancelled.
  rig.messenger.CallSwplay("tileWindows");
  EXPECT_EQ(rig.messenger.EventCount(), 1u);
  rig.messenger.Listen();
  const auto events = rig.messenger.Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(AttemptOf(events[1]), 2);
  EXPECT_EQ(AttemptOf(events[2]), 3);
  rig.messenger.Listen();  // a second listen sends nothing again
  EXPECT_EQ(rig.messenger.EventCount(), 3u);
}

TEST(PluginEvents, EventsFromOtherThreadsAreSentOnThePlatformThreadInOrder) {
  PluginRig rig;
  rig.messenger.Listen();
  constexpr int kThreads = 4, kEach = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 1; i <= kEach; ++i) {
        rig.manager->QueueEvent("reconnecting", Data("pad" + std::to_string(t), i));
      }
    });
  }
  for (auto& t : threads) t.join();
  // Nothing is sent from those threads; the platform thread's message loop flushes.
  ASSERT_TRUE(PumpUntil([&] { return rig.messenger.EventCount() == kThreads * kEach; }));
  std::map<std::string, int> last;
  for (const SentEvent& e : rig.messenger.Events()) {
    EXPECT_EQ(e.thread, std::this_thread::get_id());
    const auto& pad =
        std::get<std::string>(std::get<EncodableMap>(e.data).at(EncodableValue("padCode")));
    EXPECT_EQ(AttemptOf(e), last[pad] + 1) << pad;  // in order per raising thread
    last[pad] = AttemptOf(e);
  }
}

TEST(PluginEvents, AnyMethodCallFlushesFirstAlsoAnUnknownOne) {
  PluginRig rig;
  rig.messenger.Listen();
  std::thread([&] { rig.manager->QueueEvent("reconnecting", Data("a", 1)); }).join();
  // No pumping: the flush comes from the call itself.
  EXPECT_EQ(rig.messenger.CallSwplay("noSuchMethod").kind, Reply::Kind::kEmpty);
  EXPECT_EQ(rig.messenger.EventCount(), 1u);
}

TEST(PluginEvents, VoiceStoppedCarriesAnEmptyMap) {
  PluginRig rig;
  rig.messenger.Listen();
  rig.manager->QueueEvent("voiceStopped", EncodableMap());
  const auto events = rig.messenger.Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].name, "voiceStopped");
  const auto* map = std::get_if<EncodableMap>(&events[0].data);
  ASSERT_NE(map, nullptr);
  EXPECT_TRUE(map->empty());
}

TEST(PluginEvents, EventsBeforeRegistrationAreDropped) {
  FakeMessenger messenger;
  ZuvorIvadoManager manager;
  manager.QueueEvent("reconnecting", Data("a", 1));
  manager.Register(&messenger, nullptr);
  messenger.Listen();
  EXPECT_EQ(messenger.EventCount(), 0u);
}

TEST(PluginEvents, SessionEventsCarryTheirFields) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  rig.Initialize("p1", token);
  rig.messenger.CallSwplay(
      "connect", EncodableValue(EncodableMap{{EncodableValue("padCode"), EncodableValue("p1")}}));
  ASSERT_TRUE(rig.WaitEvents("p1", "connected"));
  const auto events = rig.messenger.Events();
  const auto& map = std::get<EncodableMap>(events.back().data);
  EXPECT_EQ(map.size(), 3u);
  EXPECT_EQ(std::get<int32_t>(map.at(EncodableValue("width"))), 432);
  EXPECT_EQ(std::get<int32_t>(map.at(EncodableValue("height"))), 768);
}

}  // namespace
