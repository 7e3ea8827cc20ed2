// Session lifecycle through the channel: the calls into the library per display mode, the
// watchdog and back-off sequence, drops and failures, stop generations, the connecting-slot cap
// and the reuse of a stopped session.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

// The token's log as "<P|S> <call>" lines, notifications left out.
std::vector<std::string> KindCalls(const std::string& token) {
  std::vector<std::string> out;
  for (const std::string& line : swsim::TokenLog(token)) {
    const size_t space = line.find(' ');
    const std::string body = line.substr(space + 1);
    if (body.rfind("=> ", 0) == 0) continue;
    out.push_back(std::string(1, line[0]) + " " + body);
  }
  return out;
}

int ErrcodeOf(const SentEvent& e) {
  return std::get<int32_t>(std::get<EncodableMap>(e.data).at(EncodableValue("errcode")));
}

const std::string kLevels =
    "[{10,720,1280,20,15,4096,80,1,1,100,50},{10,576,1024,20,15,2048,80,2,2,100,50},"
    "{10,432,768,20,15,1024,80,3,3,100,50},{10,288,512,8,1,512,32,4,4,100,50}]";

std::vector<std::string> InitializeCalls(const std::string& token, unsigned sourceId) {
  return {"S SWDataSource(" + std::to_string(sourceId) + ", listener)",
          "S setBusinessType(1)",
          "S setInstanceType(1)",
          "S setServerToken(\"" + token + "\", \"\", 0, null, 0, \"" +
              ZuvorIvadoInstance::kConnectEndpoint + "\")",
          "S setPlayParams(\"\", 10, 720, 1280, 20, 15, 4096, 80, 1, 1, 3, 2, 0)",
          "S setVideoLevels(" + kLevels + ", 4)"};
}

TEST(PluginLifecycle, TextureModeCallsTheLibraryInOrder) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  rig.SwitchPlayMode("t1", 2, token);
  ASSERT_TRUE(rig.WaitEvents("t1", "connected"));
  auto session = rig.manager->FindInstance("t1");
  const unsigned display = swsim_display_id(session->texture());
  const auto ids = swsim::SourceIds(token);
  ASSERT_EQ(ids.size(), 1u);

  std::vector<std::string> expected = {"P SWPlayer()", "P enableHWaccel()",
                                       "P setOnPlayerErrorListener(listener)"};
  for (auto& c : InitializeCalls(token, ids[0])) expected.push_back(c);
  for (const char* c : {"S setVideoLevel(0)", "S setReconnectable(true)"}) expected.push_back(c);
  expected.push_back("P setDataSource(S" + std::to_string(ids[0]) + ")");
  expected.push_back("S setVideoLevel(10, 0, 144, 256, 0, 30, 3)");
  expected.push_back("P setDisplay(D" + std::to_string(display) + ")");
  for (const char* c : {"S screenCast(1)", "P start()", "S start()"}) expected.push_back(c);
  EXPECT_EQ(KindCalls(token), expected);
}

TEST(PluginLifecycle, WindowModeBindsTheVideoControlAndCastsThePlayType) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  rig.SwitchPlayMode("w1", 1, token);
  ASSERT_TRUE(rig.WaitEvents("w1", "connected"));
  ASSERT_EQ(rig.windows.opened(), 1);
  FakePhoneWindow* window = rig.windows.last();
  EXPECT_EQ(window->title, "w1");  // no name: the pad code
  EXPECT_EQ(window->themeMode, 2);
  const unsigned display = swsim_display_id(window->GetVideoDisplay());
  auto calls = KindCalls(token);
  // After initialisation: levels, level 1, the window's display, the play type 3 cast, start.
  const std::vector<std::string> tail = {"S setVideoLevels(" + kLevels + ", 4)",
                                         "S setVideoLevel(1)",
                                         "P setDisplay(D" + std::to_string(display) + ")",
                                         "S screenCast(3)",
                                         "P start()",
                                         "S start()"};
  ASSERT_GE(calls.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(calls.end() - tail.size(), calls.end()), tail);
  ASSERT_TRUE(PumpUntil(
      [&] { return static_cast<CountingDisplay*>(window->GetVideoDisplay())->frames() > 0; }));

  // Switching to the texture while connected: changeDisplay, and "connected" again at once.
  rig.SwitchPlayMode("w1", 2);
  EXPECT_EQ(rig.messenger.EventNames("w1"), (std::vector<std::string>{"connected", "connected"}));
  auto session = rig.manager->FindInstance("w1");
  calls = KindCalls(token);
  const std::vector<std::string> switched = {
      "S setVideoLevel(10, 0, 144, 256, 0, 30, 3)", "S screenCast(1)",
      "P changeDisplay(D" + std::to_string(swsim_display_id(session->texture())) + ")"};
  EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()), switched);
  EXPECT_EQ(session->DisplayMode(), 2);
}

TEST(PluginLifecycle, WatchdogExpiriesBackOffThenTimeOut) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("plan=silent");
  rig.Initialize("s1", token);
  ASSERT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("s1")}})).kind,
            Reply::Kind::kSuccess);
  ASSERT_TRUE(rig.WaitEvents("s1", "connectTimeout"));
  EXPECT_EQ(
      rig.messenger.EventNames("s1"),
      (std::vector<std::string>{"reconnecting", "reconnecting", "reconnecting", "connectTimeout"}));
  const auto events = rig.messenger.Events();
  EXPECT_EQ(ErrcodeOf(events.back()), 196629);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(
        std::get<int32_t>(std::get<EncodableMap>(events[i].data).at(EncodableValue("attempt"))),
        i + 1);
  }
  std::vector<std::pair<WaitKind, int>> sequence;
  for (const auto& w : rig.clock->Waits()) {
    if (w.first == WaitKind::kWatchdog || w.first == WaitKind::kBackoff) sequence.push_back(w);
  }
  const std::vector<std::pair<WaitKind, int>> expected = {
      {WaitKind::kWatchdog, 8000}, {WaitKind::kBackoff, 500},    {WaitKind::kWatchdog, 15000},
      {WaitKind::kBackoff, 1000},  {WaitKind::kWatchdog, 15000}, {WaitKind::kBackoff, 2000},
      {WaitKind::kWatchdog, 15000}};
  EXPECT_EQ(sequence, expected);
  auto session = rig.manager->FindInstance("s1");
  EXPECT_FALSE(session->IsInitialized());
  EXPECT_EQ(swsim_start_count(token.c_str()), 4);
  EXPECT_EQ(swsim::SourceIds(token).size(), 4u);  // each reconnection makes a new data source
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 0);
  EXPECT_FALSE(session->HoldsConnectingUnit());
}

TEST(PluginLifecycle, DropWhileConnectedReportsThenReconnectsAfterHalfASecond) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;drop=20:9:1");
  rig.Initialize("d1", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("d1")}}));
  ASSERT_TRUE(rig.WaitEvents("d1", "connected", 2));
  EXPECT_EQ(rig.messenger.EventNames("d1"),
            (std::vector<std::string>{"connected", "disconnected", "reconnecting", "connected"}));
  EXPECT_EQ(ErrcodeOf(rig.messenger.Events()[1]), 9);
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kBackoff), std::vector<int>{500});
  EXPECT_EQ(swsim::SourceIds(token).size(), 2u);
  EXPECT_TRUE(rig.manager->FindInstance("d1")->IsConnected());
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 0);
}

TEST(PluginLifecycle, FailureBeforeConnectingGivesUpAfterThreeRetriesAndStaysQuiet) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;plan=fail:7");
  rig.Initialize("f1", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("f1")}}));
  ASSERT_TRUE(rig.WaitEvents("f1", "connectFailed"));
  // Long enough for every watchdog armed on the way to expire (150 ms each here).
  PumpFor(std::chrono::milliseconds(400));
  EXPECT_EQ(
      rig.messenger.EventNames("f1"),
      (std::vector<std::string>{"reconnecting", "reconnecting", "reconnecting", "connectFailed"}));
  EXPECT_EQ(ErrcodeOf(rig.messenger.Events().back()), 7);
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kBackoff), (std::vector<int>{500, 1000, 2000}));
  auto session = rig.manager->FindInstance("f1");
  EXPECT_FALSE(session->IsInitialized());
  // The last call into the library (destructors of retired data sources aside) unbinds the display.
  auto calls = SdkCalls(token);
  calls.erase(std::remove(calls.begin(), calls.end(), "~SWDataSource()"), calls.end());
  EXPECT_EQ(calls.back(), "setDisplay(null)");
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 0);
}

TEST(PluginLifecycle, OnlyTheLatestStopActs) {
  PluginRig rig;
  const std::string token = Token("block=setVideoLevel:300");
  rig.Initialize("g1", token);
  auto session = rig.manager->FindInstance("g1");
  // Hold the session's lock busy inside a slow library call.
  std::thread busy([&] { session->SetVideoQuality(1); });
  ASSERT_TRUE(PumpUntil([&] { return CountCalls(SdkCalls(token), "setVideoLevel(1)") == 1; }));
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("g1")}}));
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("g1")}}));
  busy.join();
  ASSERT_TRUE(PumpUntil([] { return ZuvorIvadoManager::RunningThreads() == 0; }));
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(0)"), 1u);
}

TEST(PluginLifecycle, AStopTakenBeforeAModeSwitchDoesNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;block=setVideoLevel:300");
  rig.Initialize("g2", token);
  auto session = rig.manager->FindInstance("g2");
  std::thread busy([&] { session->SetVideoQuality(1); });
  ASSERT_TRUE(PumpUntil([&] { return CountCalls(SdkCalls(token), "setVideoLevel(1)") == 1; }));
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("g2")}}));
  rig.SwitchPlayMode("g2", 2);
  busy.join();
  ASSERT_TRUE(rig.WaitEvents("g2", "connected"));
  ASSERT_TRUE(PumpUntil([] { return ZuvorIvadoManager::RunningThreads() == 0; }));
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(0)"), 0u);
  EXPECT_TRUE(session->IsConnected());
}

TEST(PluginLifecycle, StoppedOrTimedOutSessionsConnectAgain) {
  PluginRig rig;
  rig.messenger.Listen();
  // Stopped by stopPlay: "connect" starts a new request.
  const std::string token = Token("connect=0");
  rig.Initialize("r1", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r1")}}));
  ASSERT_TRUE(rig.WaitEvents("r1", "connected"));
  auto session = rig.manager->FindInstance("r1");
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("r1")}}));
  ASSERT_TRUE(PumpUntil([&] { return !session->IsConnected(); }));
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r1")}})).kind,
            Reply::Kind::kSuccess);
  ASSERT_TRUE(rig.WaitEvents("r1", "connected", 2));

  // Timed out (initialised no more): "initialize" and "connect" bring it back.
  const std::string token2 = Token("plan=silent,silent,silent,silent,ok;connect=0");
  rig.Initialize("r2", token2);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r2")}}));
  ASSERT_TRUE(rig.WaitEvents("r2", "connectTimeout"));
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r2")}})).code,
            "-1");  // not initialised
  EXPECT_EQ(rig.Initialize("r2", token2).kind, Reply::Kind::kSuccess);
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r2")}})).kind,
            Reply::Kind::kSuccess);
  ASSERT_TRUE(rig.WaitEvents("r2", "connected"));
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 0);
}

TEST(PluginLifecycle, ConnectWhileConnectedStartsNothingAndPlayRestartsThePlayer) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  rig.Initialize("c1", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("c1")}}));
  ASSERT_TRUE(rig.WaitEvents("c1", "connected"));
  const size_t starts = CountCalls(SdkCalls(token), "start()");
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("c1")}})).kind,
            Reply::Kind::kSuccess);
  EXPECT_EQ(CountCalls(SdkCalls(token), "start()"), starts);
  EXPECT_EQ(rig.messenger.CallSwplay("play", Args({{"padCode", EncodableValue("c1")}})).kind,
            Reply::Kind::kSuccess);
  EXPECT_EQ(CountCalls(SdkCalls(token), "start()"), starts + 1);
}

TEST(PluginLifecycle, TwoWorkersOfOneSessionHoldOneConnectingUnit) {
  PluginRig rig;
  rig.messenger.Listen();
  // A drop leaves a reconnection pending (real-time back-off) while a mode switch starts
  // another attempt: both workers want a connecting unit for the same session.
  rig.clock->SetDivisor(WaitKind::kBackoff, 1);
  rig.clock->SetDivisor(WaitKind::kWatchdog, 1);
  const std::string token = Token("connect=0;plan=ok,silent;drop=0:9:1");
  rig.Initialize("u", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("u")}}));
  ASSERT_TRUE(rig.WaitEvents("u", "reconnecting"));
  rig.SwitchPlayMode("u", 2);
  ASSERT_TRUE(PumpUntil([&] { return swsim_start_count(token.c_str()) >= 3; }));
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 1);
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("u")}}));
  ASSERT_TRUE(WaitForPluginThreads());
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 0);
}

TEST(PluginLifecycle, ThirtyFirstConnectionWaitsForASlotAndEndsWhenStopped) {
  PluginRig rig;
  // Watchdogs at real time keep the first 30 attempts connecting for the whole test.
  rig.clock->SetDivisor(WaitKind::kWatchdog, 1);
  std::vector<std::string> tokens;
  for (int i = 0; i < 30; ++i) {
    tokens.push_back(Token("plan=silent"));
    rig.SwitchPlayMode("cap" + std::to_string(i), 2, tokens.back());
  }
  ASSERT_TRUE(PumpUntil([] { return ZuvorIvadoInstance::ConnectingCount() == 30; }));
  const std::string last = Token("plan=silent");
  rig.SwitchPlayMode("cap30", 2, last);
  // It polls in 100 ms steps and starts nothing.
  ASSERT_TRUE(PumpUntil([&] { return rig.clock->WaitsOf(WaitKind::kSlotPoll).size() >= 3; }));
  for (int poll : rig.clock->WaitsOf(WaitKind::kSlotPoll)) EXPECT_EQ(poll, 100);
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 30);
  EXPECT_EQ(swsim_start_count(last.c_str()), 0);
  EXPECT_FALSE(rig.manager->FindInstance("cap30")->HoldsConnectingUnit());

  // Stopped, it gives up at once.
  const int workers = ZuvorIvadoInstance::RunningWorkers();
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("cap30")}}));
  ASSERT_TRUE(PumpUntil([&] { return ZuvorIvadoInstance::RunningWorkers() < workers; }));
  const size_t polls = rig.clock->WaitsOf(WaitKind::kSlotPoll).size();
  PumpFor(std::chrono::milliseconds(50));
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kSlotPoll).size(), polls);
  EXPECT_EQ(swsim_start_count(last.c_str()), 0);

  // Stopping one of the thirty gives its unit back.
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("cap0")}}));
  ASSERT_TRUE(PumpUntil([] { return ZuvorIvadoInstance::ConnectingCount() == 29; }));
  rig.manager.reset();
  EXPECT_EQ(ZuvorIvadoInstance::ConnectingCount(), 0);
}

}  // namespace
