// The simulated data source: scripted outcomes, notification threads and order, destruction
// while a notification runs, and the call log tests of the plug-in rely on.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "tests/swplay/swplay_test_support.h"

using swtest::Calls;
using swtest::RecordingListener;
using swtest::UniqueToken;

namespace {

// A listener that, when armed, holds the library's notification thread inside the next
// onReconnecting until released: whatever falls due meanwhile waits behind it, so the test's calls
// in between never race the notifications.
class HoldingListener : public RecordingListener {
 public:
  void onReconnecting(int attempt) override {
    RecordingListener::onReconnecting(attempt);
    std::unique_lock<std::mutex> lock(mutex_);
    if (!armed_) return;
    armed_ = false;
    held_ = true;
    cv_.notify_all();
    cv_.wait(lock, [&] { return !held_; });
  }
  void Arm() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = true;
  }
  bool WaitHeld() {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(30), [&] { return held_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
    cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool armed_ = false, held_ = false;
};

std::shared_ptr<SWDataSource> MakeSource(const std::string& token, SWDataSourceListener* l) {
  auto source = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), l);
  EXPECT_EQ(source->setServerToken(token.c_str(), "u", 0, nullptr, 0, nullptr), 0);
  return source;
}

TEST(SimDataSource, NotificationsComeInScriptOrderOnALibraryThread) {
  RecordingListener l;
  const std::string token = UniqueToken("connect=30;notices=2");
  auto source = MakeSource(token, &l);
  ASSERT_EQ(source->start(), 0);
  ASSERT_TRUE(l.WaitFor(3));
  EXPECT_EQ(l.Texts(), (std::vector<std::string>{"reconnecting 1", "reconnecting 2", "connected"}));
  for (const auto& n : l.Items()) EXPECT_NE(n.thread, std::this_thread::get_id());
}

TEST(SimDataSource, ZeroDelayStillNeverNotifiesInsideTheCall) {
  // Not on the caller's thread: the library's own thread may notify before start() returns,
  // but never from inside it.
  RecordingListener l;
  auto source = MakeSource(UniqueToken("connect=0"), &l);
  source->start();
  ASSERT_TRUE(l.WaitFor(1));
  EXPECT_NE(l.Items()[0].thread, std::this_thread::get_id());
}

TEST(SimDataSource, PlanGivesEachStartOfTheTokenItsOutcomeAcrossDataSources) {
  const std::string token = UniqueToken("connect=0;plan=fail:7,silent,ok");
  RecordingListener a, b, c;
  auto first = MakeSource(token, &a);
  first->start();
  ASSERT_TRUE(a.WaitFor(1));
  EXPECT_EQ(a.Texts(), std::vector<std::string>{"disconnected 7"});

  auto second = MakeSource(token, &b);
  second->start();  // silent
  auto third = MakeSource(token, &c);
  third->start();
  ASSERT_TRUE(c.WaitFor(1));
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"connected"});
  // The silent one never connects: a notification injected into connected sources misses it.
  EXPECT_EQ(swsim_inject(token.c_str(), "control=0:1:2"), 1);
  ASSERT_TRUE(c.WaitFor(2));
  EXPECT_TRUE(b.Texts().empty());
  EXPECT_EQ(swsim_start_count(token.c_str()), 3);
}

TEST(SimDataSource, DropOnlyHitsTheFirstKConnectionsOfTheToken) {
  const std::string token = UniqueToken("connect=0;drop=0:5:1");
  RecordingListener a, b;
  auto first = MakeSource(token, &a);
  first->start();
  ASSERT_TRUE(a.WaitFor(2));
  EXPECT_EQ(a.Texts(), (std::vector<std::string>{"connected", "disconnected 5"}));

  auto second = MakeSource(token, &b);
  second->start();
  ASSERT_TRUE(b.WaitFor(1));
  // A drop would have been due at once; a later sentinel proves none came.
  ASSERT_EQ(swsim_inject(token.c_str(), "control=30:1:2"), 1);
  ASSERT_TRUE(b.WaitFor(2));
  EXPECT_EQ(b.Texts(), (std::vector<std::string>{"connected", "control 1 2"}));
}

TEST(SimDataSource, AfterConnectItemsReachListenerAndPlayer) {
  const std::string token = UniqueToken("connect=0;clip=0:a\\u00e9;control=0:3:25;perror=0:9:boom");
  RecordingListener l;
  auto player = std::make_shared<SWPlayer>();
  player->setOnPlayerErrorListener(&l);
  auto source = MakeSource(token, &l);
  player->setDataSource(source);
  source->start();
  ASSERT_TRUE(l.WaitFor(4));
  EXPECT_EQ(l.Texts(),
            (std::vector<std::string>{"connected", "clipboard {\"content\":\"a\\u00e9\"}",
                                      "control 3 25", "error 9 boom"}));
}

TEST(SimDataSource, PlayerErrorWithoutTextGivesNull) {
  const std::string token = UniqueToken("connect=0;perror=0:4");
  RecordingListener l;
  auto player = std::make_shared<SWPlayer>();
  player->setOnPlayerErrorListener(&l);
  auto source = MakeSource(token, &l);
  player->setDataSource(source);
  source->start();
  ASSERT_TRUE(l.WaitFor(2));
  EXPECT_EQ(l.Texts()[1], "error 4 (null)");
}

TEST(SimDataSource, InjectedClipboardBytesArriveUnchanged) {
  const std::string token = UniqueToken("connect=0");
  RecordingListener l;
  auto source = MakeSource(token, &l);
  source->start();
  ASSERT_TRUE(l.WaitFor(1));
  ASSERT_EQ(swsim_inject(token.c_str(), "cliphex=0:7b22636f6e74656e74223a2200"), 1);
  ASSERT_TRUE(l.WaitFor(2));
  EXPECT_EQ(l.Texts()[1], std::string("clipboard {\"content\":\"") + '\0');
}

TEST(SimDataSource, StoppingTheCastVoidsAPendingConnection) {
  const std::string token = UniqueToken("connect=60;notices=1");
  HoldingListener l;
  auto source = MakeSource(token, &l);
  l.Arm();
  source->start();
  ASSERT_TRUE(l.WaitHeld());  // the first start's connection is still to come
  source->screenCast(0);
  source->start();
  l.Release();
  ASSERT_TRUE(l.WaitFor(3));
  ASSERT_EQ(swsim_inject(token.c_str(), "control=80:1:1"), 1);
  ASSERT_TRUE(l.WaitFor(4));
  EXPECT_EQ(l.Texts(), (std::vector<std::string>{"reconnecting 1", "reconnecting 1", "connected",
                                                 "control 1 1"}));
}

TEST(SimDataSource, LingeringNotificationsOutliveAStopButNotANewStart) {
  const std::string token = UniqueToken("connect=60;notices=1;linger=1");
  HoldingListener l;
  auto source = MakeSource(token, &l);
  l.Arm();
  source->start();
  ASSERT_TRUE(l.WaitHeld());
  source->screenCast(0);
  l.Release();
  ASSERT_TRUE(l.WaitFor(2));  // the connection raised before the stop still arrives
  l.Arm();
  source->start();
  ASSERT_TRUE(l.WaitHeld());
  source->screenCast(0);
  source->start();  // the stopped start's connection is void now; this start's comes
  l.Release();
  ASSERT_TRUE(l.WaitFor(5));
  ASSERT_EQ(swsim_inject(token.c_str(), "control=80:1:1"), 1);
  ASSERT_TRUE(l.WaitFor(6));
  EXPECT_EQ(l.Texts(),
            (std::vector<std::string>{"reconnecting 1", "connected", "reconnecting 1",
                                      "reconnecting 1", "connected", "control 1 1"}));
}

TEST(SimDataSource, DestructorWaitsForANotificationInFlight) {
  // Each side takes a number as it finishes: the notification must finish first.
  std::atomic<int> order{0};
  struct Listener : SWDataSourceListener {
    explicit Listener(std::atomic<int>& order) : order(order) {}
    std::atomic<int>& order;
    std::mutex m;
    std::condition_variable cv;
    bool entered = false, release = false;
    int finished = 0;
    void onConnected() override {
      std::unique_lock<std::mutex> lock(m);
      entered = true;
      cv.notify_all();
      cv.wait(lock, [&] { return release; });
      finished = ++order;
    }
  } l(order);
  const std::string token = UniqueToken("connect=0");
  auto source = MakeSource(token, &l);
  source->start();
  {
    std::unique_lock<std::mutex> lock(l.m);
    ASSERT_TRUE(l.cv.wait_for(lock, std::chrono::seconds(30), [&] { return l.entered; }));
  }
  int destroyed = 0;
  std::thread destroyer([&] {
    source.reset();
    destroyed = ++order;
  });
  // Released once the destructor has begun.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!swtest::Contains(Calls(swsim::TokenLog(token)), "~SWDataSource()") &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  {
    std::lock_guard<std::mutex> lock(l.m);
    l.release = true;
    l.cv.notify_all();
  }
  destroyer.join();
  EXPECT_EQ(l.finished, 1);
  EXPECT_EQ(destroyed, 2);
}

TEST(SimDataSource, DestroyingFromInsideItsOwnNotificationIsSafe) {
  const int before = swsim_live_count('S');
  struct Listener : RecordingListener {
    std::shared_ptr<SWDataSource> self;
    void onDisconnected(int code) override {
      self.reset();  // last reference: destroyed on its own notification thread
      RecordingListener::onDisconnected(code);
    }
  } l;
  const std::string token = UniqueToken("connect=0;drop=0:3");
  l.self = MakeSource(token, &l);
  l.self->start();
  ASSERT_TRUE(l.WaitFor(2));
  EXPECT_EQ(swsim_live_count('S'), before);
}

TEST(SimDataSource, CallLogKeepsArgumentsNullsTablesAndPayloads) {
  const std::string token = UniqueToken("log");
  RecordingListener l;
  auto source = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), &l);
  source->setServerToken(token.c_str(), "uuid-1", 7, nullptr, 2, nullptr);
  VideoLevel levels[2] = {{{10, 720, 1280, 20, 15, 4096, 80, 1, 1, 100, 50}},
                          {{10, 288, 512, 8, 1, 512, 32, 4, 4, 100, 50}}};
  source->setVideoLevels(levels, 2);
  source->setVideoLevel(10, 0, 144, 256, 0, 30, 3);
  const uint8_t small[3] = {0x0a, 0x0b, 0x0c};
  source->sendAudio(0, small, 3);
  std::vector<uint8_t> big(100, 0x5a);
  source->sendPicture(big.data(), 100);
  source->sendInputString("a\"b", 3);
  source->copyToRemote("xyz", 2, true);
  source->sendTouchEvent(1, 1, -1, -1, 0.0f);
  source->sendKeyEvent(3, 158);

  auto calls = Calls(swsim::TokenLog(token));
  ASSERT_EQ(calls.size(), 10u);
  EXPECT_EQ(calls[0].rfind("SWDataSource(", 0), 0u);
  EXPECT_EQ(calls[1], "setServerToken(\"" + token + "\", \"uuid-1\", 7, null, 2, null)");
  EXPECT_EQ(calls[2],
            "setVideoLevels([{10,720,1280,20,15,4096,80,1,1,100,50},"
            "{10,288,512,8,1,512,32,4,4,100,50}], 2)");
  EXPECT_EQ(calls[3], "setVideoLevel(10, 0, 144, 256, 0, 30, 3)");
  EXPECT_EQ(calls[4], "sendAudio(0, 3 bytes 0a0b0c)");
  EXPECT_EQ(calls[5].rfind("sendPicture(100 bytes fnv=", 0), 0u);
  EXPECT_EQ(calls[6], "sendInputString(\"a\\\"b\", 3)");
  EXPECT_EQ(calls[7], "copyToRemote(\"xy\", 2, true)");
  EXPECT_EQ(calls[8], "sendTouchEvent(1, 1, -1, -1, 0)");
  EXPECT_EQ(calls[9], "sendKeyEvent(3, 158)");
}

TEST(SimDataSource, ScriptedResultsAreReturned) {
  RecordingListener l;
  auto source = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), &l);
  const std::string token = UniqueToken("token=-5;audio=3;level=0:640:360");
  EXPECT_EQ(source->setServerToken(token.c_str(), "", 0, nullptr, 0, nullptr), -5);
  EXPECT_EQ(source->sendAudio(1, nullptr, 0), 3);
  VideoLevel level = {{2, 432, 768, 20, 15, 1024, 45, 3, 3, 0, 0}};
  EXPECT_EQ(source->getVideoLevelResult(&level), 0);
  EXPECT_EQ(level.width(), 640);
  EXPECT_EQ(level.height(), 360);

  auto refused = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), &l);
  const std::string token2 = UniqueToken("level=2:1:1");
  refused->setServerToken(token2.c_str(), "", 0, nullptr, 0, nullptr);
  VideoLevel kept = {{2, 432, 768, 20, 15, 1024, 45, 3, 3, 0, 0}};
  EXPECT_EQ(refused->getVideoLevelResult(&kept), 2);
  EXPECT_EQ(kept.width(), 1);  // written even when refused: callers must check the result
}

TEST(SimDataSource, BlockedOperationHoldsItsCaller) {
  RecordingListener l;
  auto source = MakeSource(UniqueToken("block=screenCast:1000"), &l);
  const auto start = std::chrono::steady_clock::now();
  source->screenCast(1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  const auto start2 = std::chrono::steady_clock::now();
  source->setVideoLevel(1);  // not scripted: no wait
  EXPECT_LT(std::chrono::steady_clock::now() - start2, std::chrono::milliseconds(1000));
}

TEST(SimDataSource, MalformedScriptItemsKeepTheDefaults) {
  RecordingListener l;
  const std::string token = UniqueToken("connect=abc;plan=ok,bogus;fps=-3;drop=x:y;size=0x5");
  auto source = MakeSource(token, &l);
  source->start();
  ASSERT_TRUE(l.WaitFor(1));
  EXPECT_EQ(l.Texts(), std::vector<std::string>{"connected"});
}

}  // namespace
