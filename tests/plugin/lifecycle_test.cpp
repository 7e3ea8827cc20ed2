// Session lifecycle through the channel: the calls into the library per display mode, the
// watchdog and back-off sequence, drops and failures, stop generations, the connecting-slot cap
// and the reuse of a stopped session.
#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/detached_thread.h"
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

using std::chrono::milliseconds;

bool Logged(char kind, unsigned id, const std::string& line) {
  const auto lines = swsim::ObjectLog(kind, id);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
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
  const unsigned display = swsim_display_id(SessionPeer::Texture(*session));
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
      "P changeDisplay(D" + std::to_string(swsim_display_id(SessionPeer::Texture(*session))) + ")"};
  EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()), switched);
  EXPECT_EQ(SessionPeer::DisplayMode(*session), 2);
}

TEST(PluginLifecycle, WatchdogExpiriesBackOffThenTimeOut) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("plan=silent");
  rig.Initialize("s1", token);
  ASSERT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("s1")}})).kind,
            Reply::Kind::kSuccess);
  // A millisecond before its end the watchdog still waits; nothing has been reported.
  ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(7999)));
  EXPECT_EQ(rig.clock->Pending(WaitKind::kWatchdog), 1);
  FlushEvents(rig);
  EXPECT_TRUE(rig.messenger.EventNames("s1").empty());
  rig.clock->Advance(milliseconds(1));
  ASSERT_TRUE(rig.WaitEvents("s1", "reconnecting"));
  for (int backoff : {500, 1000, 2000}) {
    ASSERT_TRUE(rig.Expire(WaitKind::kBackoff, milliseconds(backoff)));
    ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(15000)));
  }
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
  EXPECT_FALSE(SessionPeer::IsInitialized(*session));
  EXPECT_EQ(swsim_start_count(token.c_str()), 4);
  EXPECT_EQ(swsim::SourceIds(token).size(), 4u);  // each reconnection makes a new data source
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
  EXPECT_FALSE(SessionPeer::HoldsConnectingUnit(*session));
}

TEST(PluginLifecycle, DropWhileConnectedReportsThenReconnectsAfterHalfASecond) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;drop=20:9:1");
  rig.Initialize("d1", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("d1")}}));
  ASSERT_TRUE(rig.WaitEvents("d1", "reconnecting"));
  ASSERT_TRUE(rig.Expire(WaitKind::kBackoff, milliseconds(500)));
  ASSERT_TRUE(rig.WaitEvents("d1", "connected", 2));
  EXPECT_EQ(rig.messenger.EventNames("d1"),
            (std::vector<std::string>{"connected", "disconnected", "reconnecting", "connected"}));
  EXPECT_EQ(ErrcodeOf(rig.messenger.Events()[1]), 9);
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kBackoff), std::vector<int>{500});
  EXPECT_EQ(swsim::SourceIds(token).size(), 2u);
  EXPECT_TRUE(SessionPeer::IsConnected(*rig.manager->FindInstance("d1")));
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
}

// On the production clock: the reconnection waits its half second of real time.
TEST(PluginLifecycle, OnRealTimeADropReconnectsAfterHalfASecond) {
  PluginRig rig(/*withRegistrar=*/true, RigTime::kReal);
  std::mutex mutex;
  std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> raised;
  rig.manager->SetEventObserverForTesting([&](const ZuvorIvadoEvent& e) {
    std::lock_guard<std::mutex> lock(mutex);
    raised.emplace_back(e.name, std::chrono::steady_clock::now());
  });
  rig.messenger.Listen();
  rig.Initialize("rt", Token("connect=0;drop=0:9:1"));
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("rt")}}));
  ASSERT_TRUE(rig.WaitEvents("rt", "connected", 2));
  rig.manager->SetEventObserverForTesting(nullptr);
  ASSERT_EQ(raised.size(), 4u);
  EXPECT_EQ(raised[1].first, "disconnected");
  EXPECT_EQ(raised[3].first, "connected");
  EXPECT_GE(raised[3].second - raised[1].second, milliseconds(500));
}

TEST(PluginLifecycle, FailureBeforeConnectingGivesUpAfterThreeRetriesAndStaysQuiet) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;plan=fail:7");
  rig.Initialize("f1", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("f1")}}));
  for (int backoff : {500, 1000, 2000}) {
    ASSERT_TRUE(rig.Expire(WaitKind::kBackoff, milliseconds(backoff)));
  }
  ASSERT_TRUE(rig.WaitEvents("f1", "connectFailed"));
  // The watchdog of each attempt ended with it, having reported nothing.
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::RunningWorkers() == 0; }));
  FlushEvents(rig);
  EXPECT_EQ(
      rig.messenger.EventNames("f1"),
      (std::vector<std::string>{"reconnecting", "reconnecting", "reconnecting", "connectFailed"}));
  EXPECT_EQ(ErrcodeOf(rig.messenger.Events().back()), 7);
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kBackoff), (std::vector<int>{500, 1000, 2000}));
  auto session = rig.manager->FindInstance("f1");
  EXPECT_FALSE(SessionPeer::IsInitialized(*session));
  // The last call into the library (destructors of retired data sources aside) unbinds the display.
  auto calls = SdkCalls(token);
  calls.erase(std::remove(calls.begin(), calls.end(), "~SWDataSource()"), calls.end());
  EXPECT_EQ(calls.back(), "setDisplay(null)");
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
}

TEST(PluginLifecycle, OnlyTheLatestStopActs) {
  PluginRig rig;
  const std::string token = Token("x");
  rig.Initialize("g1", token);
  auto session = rig.manager->FindInstance("g1");
  // Both stops take their generation while the session's lock is busy; their threads wait.
  std::atomic<bool> bothAsked{false};
  SessionLockHolder busy(*session, [&] { return bothAsked.load(); });
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("g1")}}));
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("g1")}}));
  bothAsked = true;
  ASSERT_TRUE(busy.ReleasedInTime());
  ASSERT_TRUE(PumpUntil([] { return ZuvorIvadoManager::RunningThreads() == 0; }));
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(0)"), 1u);
}

TEST(PluginLifecycle, AStopTakenBeforeAModeSwitchDoesNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  rig.Initialize("g2", token);
  auto session = rig.manager->FindInstance("g2");
  // The stop's thread waits for the busy lock; the mode switch takes the next generation, then
  // waits for the lock too.
  const int64_t before = SessionPeer::StopGeneration(*session);
  SessionLockHolder busy(*session,
                         [&] { return SessionPeer::StopGeneration(*session) >= before + 2; });
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("g2")}}));
  rig.SwitchPlayMode("g2", 2);
  ASSERT_TRUE(busy.ReleasedInTime());
  ASSERT_TRUE(rig.WaitEvents("g2", "connected"));
  ASSERT_TRUE(PumpUntil([] { return ZuvorIvadoManager::RunningThreads() == 0; }));
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(0)"), 0u);
  EXPECT_TRUE(SessionPeer::IsConnected(*session));
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
  ASSERT_TRUE(PumpUntil([&] { return !SessionPeer::IsConnected(*session); }));
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r1")}})).kind,
            Reply::Kind::kSuccess);
  ASSERT_TRUE(rig.WaitEvents("r1", "connected", 2));

  // Timed out (initialised no more): "initialize" and "connect" bring it back.
  const std::string token2 = Token("plan=silent,silent,silent,silent,ok;connect=0");
  rig.Initialize("r2", token2);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r2")}}));
  // r1's watchdog waits too (and does nothing when it expires: r1 is connected).
  ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(8000), /*count=*/2));
  for (int backoff : {500, 1000, 2000}) {
    ASSERT_TRUE(rig.Expire(WaitKind::kBackoff, milliseconds(backoff)));
    ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(15000)));
  }
  ASSERT_TRUE(rig.WaitEvents("r2", "connectTimeout"));
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r2")}})).code,
            "-1");  // not initialised
  EXPECT_EQ(rig.Initialize("r2", token2).kind, Reply::Kind::kSuccess);
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("r2")}})).kind,
            Reply::Kind::kSuccess);
  ASSERT_TRUE(rig.WaitEvents("r2", "connected"));
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
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

// A drop leaves a reconnection waiting out its back-off; the Dart side then asks for a new
// connection of its own, whose attempt stays silent. The old reconnection must not act
// afterwards: it would drop the new attempt's data source and start again.
TEST(PluginLifecycle, AReconnectionPendingFromBeforeANewConnectDoesNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;plan=ok,silent;drop=0:9:1");
  rig.Initialize("n", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("n")}}));
  ASSERT_TRUE(rig.WaitEvents("n", "reconnecting"));
  ASSERT_TRUE(PumpUntil([&] { return rig.clock->Pending(WaitKind::kBackoff) == 1; }));
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("n")}}));
  rig.clock->Advance(milliseconds(500));  // the back-off's end, had it still been waiting
  // Only the new attempt's watchdog is left.
  ASSERT_TRUE(PumpUntil([&] {
    return SessionPeer::RunningWorkers() == 1 && rig.clock->Pending(WaitKind::kWatchdog) == 1;
  }));
  EXPECT_EQ(swsim_start_count(token.c_str()), 2);
  EXPECT_EQ(swsim::SourceIds(token).size(), 1u);  // the data source was kept
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kWatchdog), (std::vector<int>{8000, 8000}));
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
}

// The same with a mode switch: its re-initialisation worker starts the attempt and holds the
// session's connecting unit; the old reconnection neither starts anything nor takes a unit.
TEST(PluginLifecycle, AReconnectionPendingFromBeforeAModeSwitchDoesNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;plan=ok,silent;drop=0:9:1");
  rig.Initialize("u", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("u")}}));
  ASSERT_TRUE(rig.WaitEvents("u", "reconnecting"));
  ASSERT_TRUE(PumpUntil([&] { return rig.clock->Pending(WaitKind::kBackoff) == 1; }));
  rig.SwitchPlayMode("u", 2);
  ASSERT_TRUE(PumpUntil([&] { return swsim_start_count(token.c_str()) == 2; }));
  rig.clock->Advance(milliseconds(500));
  ASSERT_TRUE(PumpUntil([&] {
    return SessionPeer::RunningWorkers() == 1 && rig.clock->Pending(WaitKind::kWatchdog) == 1;
  }));
  EXPECT_EQ(swsim_start_count(token.c_str()), 2);
  EXPECT_EQ(swsim::SourceIds(token).size(), 1u);
  EXPECT_EQ(SessionPeer::ConnectingCount(), 1);
  EXPECT_TRUE(SessionPeer::HoldsConnectingUnit(*rig.manager->FindInstance("u")));
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("u")}}));
  ASSERT_TRUE(WaitForPluginThreads());
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
}

// A stop or a disconnect ends the watchdog of the attempt it stopped, even when the session is
// initialised again before the watchdog thread gets the lock.
TEST(PluginLifecycle, AStopOrDisconnectEndsTheWatchdog) {
  PluginRig rig;
  rig.messenger.Listen();
  for (const bool disconnect : {false, true}) {
    SCOPED_TRACE(disconnect ? "disconnect" : "stop");
    const std::string pad = disconnect ? "wd" : "ws";
    rig.Initialize(pad, Token("plan=silent"));
    rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue(pad)}}));
    ASSERT_TRUE(PumpUntil([&] { return rig.clock->Pending(WaitKind::kWatchdog) == 1; }));
    auto session = rig.manager->FindInstance(pad);
    SessionPeer::WithLock(*session, [&] {
      if (disconnect) {
        session->Disconnect();
      } else {
        session->StopPlay(0);
      }
      EXPECT_EQ(session->Initialize(), 0);
    });
    ASSERT_TRUE(PumpUntil([] { return SessionPeer::RunningWorkers() == 0; }));
    FlushEvents(rig);
    EXPECT_TRUE(rig.messenger.EventNames(pad).empty());
    EXPECT_EQ(rig.clock->Pending(WaitKind::kBackoff), 0);
    EXPECT_FALSE(SessionPeer::HoldsConnectingUnit(*session));
  }
}

// ----- Notifications of attempts that have ended -----

// A real library may deliver a notification it raised before a stop after the stop: the
// script's "linger" lets the simulated one do so. The stop ended the attempt, so the notice is
// ignored and "connect" starts afresh.
TEST(PluginLifecycle, AConnectionThatComesUpAfterAStopIsIgnored) {
  PluginRig rig;
  LogCapture log;
  rig.messenger.Listen();
  const std::string token = Token("connect=50;linger=1");
  rig.Initialize("l", token);
  auto session = rig.manager->FindInstance("l");
  SessionPeer::WithLock(*session, [&] {
    EXPECT_EQ(session->Connect(1), 0);  // the library's notice comes later or waits for the lock
    session->StopPlay(0);
  });
  ASSERT_TRUE(PumpUntil([&] {
    return log.Count("[ZuvorIvadoInstance] onConnected of an ended attempt ignored: l") == 1;
  }));
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::RunningWorkers() == 0; }));
  FlushEvents(rig);
  EXPECT_TRUE(rig.messenger.EventNames("l").empty());
  EXPECT_FALSE(SessionPeer::IsConnected(*session));
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(0)"), 1u);
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("l")}}));
  ASSERT_TRUE(rig.WaitEvents("l", "connected"));
}

TEST(PluginLifecycle, ADropThatArrivesAfterAStopIsIgnored) {
  PluginRig rig;
  LogCapture log;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;linger=1");
  rig.Initialize("k", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("k")}}));
  ASSERT_TRUE(rig.WaitEvents("k", "connected"));
  auto session = rig.manager->FindInstance("k");
  SessionPeer::WithLock(*session, [&] {
    EXPECT_EQ(swsim_inject(token.c_str(), "drop=50:9"), 1);  // later, or waiting for the lock
    session->StopPlay(0);
  });
  ASSERT_TRUE(PumpUntil([&] {
    return log.Count("[ZuvorIvadoInstance] onDisconnected of an ended attempt ignored: k") == 1;
  }));
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::RunningWorkers() == 0; }));
  FlushEvents(rig);
  EXPECT_EQ(rig.messenger.EventNames("k"), std::vector<std::string>{"connected"});
  EXPECT_TRUE(rig.clock->WaitsOf(WaitKind::kBackoff).empty());
  EXPECT_TRUE(SessionPeer::IsInitialized(*session));
}

// A real library may deliver a notification after the attempt it belongs to has ended ("linger");
// with so long a connect delay the test says when it comes (swsim_deliver_now).
const char kLateNotices[] = "connect=600000;linger=1;";

// The watchdog gave the first attempt up, and its reconnection waits out the back-off, when that
// attempt's "connected" comes: it is ignored, and the reconnection connects the phone.
TEST(PluginLifecycle, AConnectionNoticeAfterTheWatchdogGaveUpIsIgnored) {
  PluginRig rig;
  LogCapture log;
  rig.messenger.Listen();
  const std::string token = Token(kLateNotices);
  rig.Initialize("w", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("w")}}));
  ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(8000)));
  ASSERT_TRUE(rig.WaitEvents("w", "reconnecting"));
  const unsigned first = swsim::SourceIds(token).at(0);
  ASSERT_EQ(swsim_deliver_now(first), 1);
  ASSERT_TRUE(PumpUntil([&] { return Logged('S', first, "=> onConnected()"); }));
  // The reconnection retires the first data source, whose destruction waits for its notice.
  ASSERT_TRUE(rig.Expire(WaitKind::kBackoff, milliseconds(500)));
  ASSERT_TRUE(PumpUntil([&] {
    return (swsim::SourceIds(token).size() == 2 && swsim_live_count('S') == 1) ||
           rig.messenger.EventNames("w").size() > 1;
  }));
  FlushEvents(rig);
  EXPECT_EQ(rig.messenger.EventNames("w"), std::vector<std::string>{"reconnecting"});
  EXPECT_EQ(log.Count("[ZuvorIvadoInstance] onConnected of an ended attempt ignored: w"), 1u);
  const unsigned second = swsim::SourceIds(token).at(1);
  ASSERT_EQ(swsim_deliver_now(second), 1);
  ASSERT_TRUE(rig.WaitEvents("w", "connected"));
  auto session = rig.manager->FindInstance("w");
  EXPECT_TRUE(SessionPeer::IsConnected(*session));
  EXPECT_TRUE(SessionPeer::AgreesWithLibrary(*session));
}

// The first attempt times out; its reconnection is held inside the new data source's start (so
// with the session's lock held) while the retired data source's `notice` arrives, then goes on.
// Returns once the retired data source is gone: its destruction waits for the notice.
void RetireWithANoticeOnItsWay(PluginRig& rig, const std::string& pad, const std::string& token,
                               const std::string& notice) {
  rig.Initialize(pad, token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue(pad)}}));
  ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(8000)));
  ASSERT_TRUE(rig.WaitEvents(pad, "reconnecting"));
  swsim_pause(token.c_str(), "start");
  ASSERT_TRUE(rig.Expire(WaitKind::kBackoff, milliseconds(500)));
  std::vector<unsigned> ids;
  ASSERT_TRUE(PumpUntil([&] {
    ids = swsim::SourceIds(token);
    return ids.size() == 2 && Logged('S', ids[1], "start()");
  }));
  ASSERT_EQ(swsim_deliver_now(ids[0]), 1);
  ASSERT_TRUE(PumpUntil([&] { return Logged('S', ids[0], "=> " + notice); }));
  swsim_resume(token.c_str());
  ASSERT_TRUE(PumpUntil([] { return swsim_live_count('S') == 1; }));
}

// The retired data source's "connected" must not complete the new attempt, which its watchdog
// still watches.
TEST(PluginLifecycle, ARetiredDataSourcesConnectionNoticeLeavesTheNewAttemptAlone) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token(std::string(kLateNotices) + "plan=ok,silent");
  ASSERT_NO_FATAL_FAILURE(RetireWithANoticeOnItsWay(rig, "r", token, "onConnected()"));
  FlushEvents(rig);
  EXPECT_EQ(rig.messenger.EventNames("r"), std::vector<std::string>{"reconnecting"});
  auto session = rig.manager->FindInstance("r");
  EXPECT_FALSE(SessionPeer::IsConnected(*session));
  EXPECT_TRUE(SessionPeer::HoldsConnectingUnit(*session));
  ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(15000)));
  EXPECT_TRUE(rig.WaitEvents("r", "reconnecting", 2));
}

// The retired data source's failure must not end the new attempt, which then connects.
TEST(PluginLifecycle, ARetiredDataSourcesFailureLeavesTheNewAttemptAlone) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token(std::string(kLateNotices) + "plan=fail:7,ok");
  ASSERT_NO_FATAL_FAILURE(RetireWithANoticeOnItsWay(rig, "f", token, "onDisconnected(7)"));
  FlushEvents(rig);
  EXPECT_EQ(rig.messenger.EventNames("f"), std::vector<std::string>{"reconnecting"});
  EXPECT_EQ(rig.clock->Pending(WaitKind::kBackoff), 0);
  ASSERT_EQ(swsim_deliver_now(swsim::SourceIds(token).at(1)), 1);
  ASSERT_TRUE(rig.WaitEvents("f", "connected"));
  EXPECT_EQ(rig.messenger.EventNames("f"), (std::vector<std::string>{"reconnecting", "connected"}));
  EXPECT_TRUE(SessionPeer::AgreesWithLibrary(*rig.manager->FindInstance("f")));
}

// After "connectTimeout" the last data source's failure comes late: the session has given up
// already and reports no second outcome.
TEST(PluginLifecycle, AFailureNoticeAfterTheTimeoutReportsNothingMore) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token(std::string(kLateNotices) + "plan=fail:7");
  rig.Initialize("t", token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("t")}}));
  ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(8000)));
  for (int backoff : {500, 1000, 2000}) {
    ASSERT_TRUE(rig.Expire(WaitKind::kBackoff, milliseconds(backoff)));
    ASSERT_TRUE(rig.Expire(WaitKind::kWatchdog, milliseconds(15000)));
  }
  ASSERT_TRUE(rig.WaitEvents("t", "connectTimeout"));
  const unsigned last = swsim::SourceIds(token).back();
  ASSERT_EQ(swsim_deliver_now(last), 1);
  ASSERT_TRUE(PumpUntil([&] { return Logged('S', last, "=> onDisconnected(7)"); }));
  // The disconnect releases the data source, whose destruction waits for the notice.
  rig.messenger.CallSwplay("disconnect", Args({{"padCode", EncodableValue("t")}}));
  FlushEvents(rig);
  EXPECT_EQ(
      rig.messenger.EventNames("t"),
      (std::vector<std::string>{"reconnecting", "reconnecting", "reconnecting", "connectTimeout"}));
}

// Casting nothing ("switchPlayMode" 0, "setScreenCast" 0) ends a connecting attempt: its
// connecting slot goes back and no watchdog is left.
TEST(PluginLifecycle, CastingNothingEndsAConnectingAttemptAndGivesItsSlotBack) {
  for (const bool screenCast : {false, true}) {
    SCOPED_TRACE(screenCast ? "setScreenCast" : "switchPlayMode");
    PluginRig rig;
    const std::string pad = screenCast ? "c" : "m";
    rig.SwitchPlayMode(pad, 2, Token("plan=silent"));
    ASSERT_TRUE(PumpUntil([&] {
      return SessionPeer::ConnectingCount() == 1 && rig.clock->Pending(WaitKind::kWatchdog) == 1;
    }));
    if (screenCast) {
      rig.messenger.CallSwplay("setScreenCast", Args({{"padCode", EncodableValue(pad)},
                                                      {"playType", EncodableValue(0)}}));
    } else {
      rig.SwitchPlayMode(pad, 0);
    }
    ASSERT_TRUE(WaitForPluginThreads());
    EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
  }
}

// A worker thread that cannot start is a failure, reported as one: a connection whose watchdog
// cannot run is not started, a back-off without its reconnection gives up, and neither a mode
// switch nor a stop whose thread cannot run is answered as done.
TEST(PluginLifecycle, ThreadsThatCannotStartAreReportedAsFailures) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("plan=silent");
  rig.Initialize("t", token);
  const EncodableValue pad = Args({{"padCode", EncodableValue("t")}});
  {
    RefuseDetachedThreadsForTesting refuse;
    const Reply connect = rig.messenger.CallSwplay("connect", pad);
    EXPECT_EQ(connect.kind, Reply::Kind::kError);
    EXPECT_EQ(connect.code, "-1");
    EXPECT_EQ(rig.SwitchPlayMode("t", 2).kind, Reply::Kind::kError);
    EXPECT_EQ(rig.messenger.CallSwplay("stopPlay", pad).kind, Reply::Kind::kError);
  }
  EXPECT_EQ(swsim_start_count(token.c_str()), 0);
  ASSERT_EQ(rig.messenger.CallSwplay("connect", pad).kind, Reply::Kind::kSuccess);
  ASSERT_TRUE(PumpUntil([&] { return rig.clock->Pending(WaitKind::kWatchdog) == 1; }));
  {
    RefuseDetachedThreadsForTesting refuse;
    rig.clock->Advance(milliseconds(8000));
    ASSERT_TRUE(rig.WaitEvents("t", "connectFailed"));
  }
  EXPECT_EQ(rig.messenger.EventNames("t"),
            (std::vector<std::string>{"reconnecting", "connectFailed"}));
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
}

TEST(PluginLifecycle, ThirtyFirstConnectionWaitsForASlotAndEndsWhenStopped) {
  PluginRig rig;
  // The first 30 attempts stay connecting: their watchdogs never expire here.
  std::vector<std::string> tokens;
  for (int i = 0; i < 30; ++i) {
    tokens.push_back(Token("plan=silent"));
    rig.SwitchPlayMode("cap" + std::to_string(i), 2, tokens.back());
  }
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::ConnectingCount() == 30; }));
  const std::string last = Token("plan=silent");
  rig.SwitchPlayMode("cap30", 2, last);
  // It polls in 100 ms steps and starts nothing.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.Expire(WaitKind::kSlotPoll, milliseconds(100)));
  ASSERT_TRUE(PumpUntil([&] { return rig.clock->Pending(WaitKind::kSlotPoll) == 1; }));
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kSlotPoll), (std::vector<int>{100, 100, 100, 100}));
  EXPECT_EQ(SessionPeer::ConnectingCount(), 30);
  EXPECT_EQ(swsim_start_count(last.c_str()), 0);
  EXPECT_FALSE(SessionPeer::HoldsConnectingUnit(*rig.manager->FindInstance("cap30")));

  // Stopped, it gives up at once; the thirty watchdogs are left.
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::RunningWorkers() == 31; }));
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("cap30")}}));
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::RunningWorkers() == 30; }));
  EXPECT_EQ(rig.clock->WaitsOf(WaitKind::kSlotPoll).size(), 4u);
  EXPECT_EQ(swsim_start_count(last.c_str()), 0);

  // Stopping one of the thirty gives its unit back.
  rig.messenger.CallSwplay("stopPlay", Args({{"padCode", EncodableValue("cap0")}}));
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::ConnectingCount() == 29; }));
  rig.manager.reset();
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
}

}  // namespace
