// Voice: the microphone runs exactly while voice is on and a pop-out window is open; frames and
// the encoder configuration go to the phones; failures become "voiceStopped".
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

// The configuration deliveries and stops run on the manager's own threads; the sessions' workers
// (watchdogs on the test's clock) are left waiting.
bool WaitForDeliveries() {
  return PumpUntil([] { return ZuvorIvadoManager::RunningThreads() == 0; });
}

Reply SetVoice(PluginRig& rig, bool on) {
  return rig.messenger.CallSwplay("setVoiceEnabled", Args({{"enabled", EncodableValue(on)}}));
}

// Keeps a session busy: a thread of its own holds the session's lock (inside the window's size
// query) until Release.
class BusySession {
 public:
  BusySession(FakePhoneWindow& window, std::shared_ptr<ZuvorIvadoInstance> session)
      : window_(window), released_(release_.get_future().share()) {
    window_.onTileSize = [this] {
      if (held_.exchange(true)) return;
      holding_.set_value();
      released_.wait();
    };
    thread_ = std::thread([session] {
      int width = 0, height = 0;
      session->GetTileSize(&width, &height);
    });
    holding_.get_future().wait();
  }
  ~BusySession() { Release(); }
  BusySession(const BusySession&) = delete;
  BusySession& operator=(const BusySession&) = delete;

  void Release() {
    if (!thread_.joinable()) return;
    release_.set_value();
    thread_.join();
    window_.onTileSize = nullptr;
  }

 private:
  FakePhoneWindow& window_;
  std::promise<void> holding_;
  std::promise<void> release_;
  std::shared_future<void> released_;
  std::atomic<bool> held_{false};
  std::thread thread_;
};

TEST(PluginVoice, TheMicrophoneRunsOnlyWhileVoiceIsOnAndAWindowIsOpen) {
  PluginRig rig;
  rig.messenger.Listen();
  EXPECT_EQ(SetVoice(rig, true).kind, Reply::Kind::kSuccess);
  ASSERT_NE(rig.mic, nullptr);
  EXPECT_FALSE(rig.mic->running);  // no window yet
  FakePhoneWindow* window = OpenWindow(rig, "v", Token("connect=0"));
  EXPECT_TRUE(rig.mic->running);
  window->UserClose();
  ASSERT_TRUE(rig.WaitEvents("v", "windowClosed"));
  ASSERT_TRUE(PumpUntil([&] { return !rig.mic->running; }));  // applied on the platform thread
  OpenWindow(rig, "v", Token("connect=0"));
  EXPECT_TRUE(rig.mic->running);
  EXPECT_EQ(SetVoice(rig, false).kind, Reply::Kind::kSuccess);
  EXPECT_FALSE(rig.mic->running);
  EXPECT_EQ(SetVoice(rig, true).kind, Reply::Kind::kSuccess);
  EXPECT_TRUE(rig.mic->running);
  rig.messenger.CallSwplay("disconnect", Args({{"padCode", EncodableValue("v")}}));
  EXPECT_FALSE(rig.mic->running);  // the only window's session is gone
}

TEST(PluginVoice, AMicrophoneThatCannotStartSwitchesVoiceOff) {
  PluginRig rig;
  rig.micCanStart = false;
  rig.messenger.Listen();
  OpenWindow(rig, "v", Token("connect=0"));
  const Reply reply = SetVoice(rig, true);
  EXPECT_EQ(reply.kind, Reply::Kind::kError);
  EXPECT_EQ(reply.code, "-1");
  EXPECT_EQ(reply.message, "Mic capture failed to start");
  const auto events = rig.messenger.Events();
  ASSERT_EQ(events.back().name, "voiceStopped");
  EXPECT_TRUE(std::get<EncodableMap>(events.back().data).empty());
  // Voice is off: opening another window does not try again.
  const int starts = rig.mic->starts;
  OpenWindow(rig, "w", Token("connect=0"));
  EXPECT_EQ(rig.mic->starts, starts);
}

TEST(PluginVoice, ACaptureThatFailsReportsVoiceStopped) {
  PluginRig rig;
  rig.messenger.Listen();
  OpenWindow(rig, "v", Token("connect=0"));
  SetVoice(rig, true);
  ASSERT_TRUE(rig.mic->running);
  std::thread([&] {
    rig.mic->running = false;
    rig.mic->onFailure();
  }).join();
  ASSERT_TRUE(PumpUntil([&] { return rig.messenger.EventNames().back() == "voiceStopped"; }));
  const int starts = rig.mic->starts;
  OpenWindow(rig, "w", Token("connect=0"));
  EXPECT_EQ(rig.mic->starts, starts);  // voice was switched off
}

TEST(PluginVoice, FramesAndConfigurationReachThePhonesThatShowAWindow) {
  LogCapture log;
  PluginRig rig;
  rig.messenger.Listen();
  const std::string windowToken = Token("connect=0");
  const std::string textureToken = Token("connect=0");
  OpenWindow(rig, "win", windowToken);
  rig.SwitchPlayMode("tex", 2, textureToken);
  ASSERT_TRUE(rig.WaitEvents("tex", "connected"));
  SetVoice(rig, true);
  const uint8_t config[2] = {0x11, 0x88};
  const uint8_t frame[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  std::thread capture([&] {
    rig.mic->onFrame(config, 2, nullptr, 0);
    for (int i = 0; i < 100; ++i) rig.mic->onFrame(nullptr, 0, frame, 4);
  });
  capture.join();
  EXPECT_EQ(CountCalls(SdkCalls(windowToken), "sendAudio(0, 2 bytes 1188)"), 1u);
  EXPECT_EQ(CountCalls(SdkCalls(windowToken), "sendAudio(1, 4 bytes deadbeef)"), 100u);
  EXPECT_EQ(CountCalls(SdkCalls(textureToken), "sendAudio("), 0u);
  // The texture session takes no audio: its delivery ends at once, it waits for nothing.
  ASSERT_TRUE(WaitForDeliveries());
  EXPECT_EQ(CountCalls(SdkCalls(textureToken), "sendAudio("), 0u);
  // Deliveries are counted per session: 200 here (100 frames x 2 sessions).
  EXPECT_EQ(log.Count("[ZuvorIvadoManager] mic frames dispatched: 1 (targets=2)"), 1u);
  EXPECT_EQ(log.Count("[ZuvorIvadoManager] mic frames dispatched: 100 (targets=2)"), 1u);
  EXPECT_EQ(log.Count("[ZuvorIvadoManager] mic frames dispatched: 200 (targets=2)"), 1u);
}

TEST(PluginVoice, APhoneConnectingLaterGetsTheSavedConfiguration) {
  PluginRig rig;
  rig.messenger.Listen();
  OpenWindow(rig, "first", Token("connect=0"));
  SetVoice(rig, true);
  const uint8_t config[2] = {0x12, 0x10};
  std::thread([&] { rig.mic->onFrame(config, 2, nullptr, 0); }).join();
  const std::string later = Token("connect=0");
  OpenWindow(rig, "later", later);
  ASSERT_TRUE(
      PumpUntil([&] { return CountCalls(SdkCalls(later), "sendAudio(0, 2 bytes 1210)") == 1; }));
  ASSERT_TRUE(PumpUntil([] { return ZuvorIvadoManager::RunningThreads() == 0; }));
}

TEST(PluginVoice, DisconnectWhileAConnectionNoticeWaitsDoesNotDeadlock) {
  // With voice on, "connected" delivers the microphone configuration, which needs the session
  // map. The notice is held up behind the session's busy lock while "disconnect" releases the
  // session's data source, which waits for that very notice.
  PluginRig rig;
  rig.messenger.Listen();
  SetVoice(rig, true);
  const std::string token = Token("connect=50;block=setVideoLevel:400");
  rig.Initialize("d", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("d")}}));
  auto session = rig.manager->FindInstance("d");
  std::thread busy([&] { session->SetVideoQuality(1); });
  ASSERT_TRUE(PumpUntil([&] {
    size_t notices = 0;
    for (const auto& line : swsim::TokenLog(token))
      notices += line.find("=> onConnected") != std::string::npos;
    return notices == 1;
  }));
  EXPECT_EQ(rig.messenger.CallSwplay("disconnect", Args({{"padCode", EncodableValue("d")}})).kind,
            Reply::Kind::kSuccess);
  busy.join();
  EXPECT_EQ(rig.manager->FindInstance("d"), nullptr);
  EXPECT_FALSE(SessionPeer::IsConnected(*session));
}

TEST(PluginVoice, TheConnectedCallbackNeverWaitsForTheSessionMap) {
  // "connected" may be raised with its session's lock held (a re-initialisation that finds the
  // session connected already); with voice on it hands the microphone configuration on. The lock
  // order puts the session map before a session's lock, so a callback that waited for the map
  // could deadlock with a thread that holds it. Here the test holds the map while another thread
  // raises "connected".
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  OpenWindow(rig, "a", token);
  SetVoice(rig, true);
  const uint8_t config[2] = {0x11, 0x88};
  std::thread([&] { rig.mic->onFrame(config, 2, nullptr, 0); }).join();
  auto session = rig.manager->FindInstance("a");

  bool returnedWhileMapHeld = false;
  std::future<void> raised;
  {
    std::unique_lock<std::mutex> map = rig.manager->LockSessionMapForTesting();
    raised = std::async(std::launch::async, [&] { session->callbacks.connected("a", 432, 768); });
    returnedWhileMapHeld = raised.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  }
  raised.wait();
  EXPECT_TRUE(returnedWhileMapHeld);
  // The configuration still reaches the phone: once from the capture, once for the new connection.
  EXPECT_TRUE(
      PumpUntil([&] { return CountCalls(SdkCalls(token), "sendAudio(0, 2 bytes 1188)") == 2; }));
}

TEST(PluginVoice, TheVoiceCheckLetsGoOfTheSessionMapBeforeAskingTheSessions) {
  // The voice check asks each session whether its window is open, which waits for a session
  // that is busy. Everything else that needs the session map (input forwarding, frame dispatch,
  // the platform thread's handlers) must not wait with it.
  PluginRig rig;
  rig.messenger.Listen();
  FakePhoneWindow* window = OpenWindow(rig, "a", Token("connect=0"));
  ASSERT_EQ(SetVoice(rig, true).kind, Reply::Kind::kSuccess);
  ASSERT_TRUE(WaitForDeliveries());
  auto session = rig.manager->FindInstance("a");
  BusySession busy(*window, session);

  const long references = session.use_count();
  std::thread check([&] { rig.manager->SyncVoice(); });
  // Definite point: the check holds its snapshot of the sessions and asks the busy one.
  EXPECT_TRUE(PumpUntil([&] { return session.use_count() > references; }));
  auto lookup = std::async(std::launch::async, [&] { return rig.manager->FindInstance("a"); });
  EXPECT_EQ(lookup.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  busy.Release();
  check.join();
  EXPECT_EQ(lookup.get(), session);
  EXPECT_TRUE(rig.mic->running);
}

TEST(PluginVoice, TheConfigurationWaitsForABusySessionHoweverLong) {
  // A phone that (re)connects while its session is busy gets the configuration once the session
  // is free, however long that takes: without it the phone's voice stays silent.
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  FakePhoneWindow* window = OpenWindow(rig, "a", token);
  SetVoice(rig, true);
  const uint8_t config[2] = {0x11, 0x88};
  std::thread([&] { rig.mic->onFrame(config, 2, nullptr, 0); }).join();
  ASSERT_EQ(CountCalls(SdkCalls(token), "sendAudio(0, 2 bytes 1188)"), 1u);
  ASSERT_TRUE(WaitForDeliveries());
  auto session = rig.manager->FindInstance("a");
  BusySession busy(*window, session);

  const long references = session.use_count();
  session->callbacks.connected("a", 432, 768);
  // Definite point: the delivery holds the session and waits for it (a delivery that gave up
  // would have ended instead).
  EXPECT_TRUE(PumpUntil([&] {
    return session.use_count() > references || ZuvorIvadoManager::RunningThreads() == 0;
  }));
  EXPECT_EQ(CountCalls(SdkCalls(token), "sendAudio(0, 2 bytes 1188)"), 1u);
  busy.Release();
  EXPECT_TRUE(
      PumpUntil([&] { return CountCalls(SdkCalls(token), "sendAudio(0, 2 bytes 1188)") == 2; }));
  EXPECT_TRUE(WaitForDeliveries());
}

TEST(PluginVoice, NoConfigurationGoesWhileVoiceIsOff) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  OpenWindow(rig, "a", token);
  SetVoice(rig, true);
  const uint8_t config[2] = {0x11, 0x88};
  std::thread([&] { rig.mic->onFrame(config, 2, nullptr, 0); }).join();
  // The deliveries started while voice was on land first; there may be more than one (a busy
  // session or a late "connected" each start one of their own).
  ASSERT_TRUE(WaitForDeliveries());
  const size_t delivered = CountCalls(SdkCalls(token), "sendAudio(0, 2 bytes 1188)");
  EXPECT_GE(delivered, 1u);
  SetVoice(rig, false);
  auto session = rig.manager->FindInstance("a");
  session->callbacks.connected("a", 432, 768);
  rig.manager->DeliverMicConfig("a");
  ASSERT_TRUE(WaitForDeliveries());
  EXPECT_EQ(CountCalls(SdkCalls(token), "sendAudio(0, 2 bytes 1188)"), delivered);
}

}  // namespace
