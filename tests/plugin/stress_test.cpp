// Many sessions at once: 100 simulated phones connect, drop, reconnect and stop at random while
// the Dart side keeps calling methods and input arrives from other threads. Every event raised
// must reach the Dart side once and in order per session; once the storm has passed, every
// session's state must agree with the library's; nothing may deadlock; the connecting count must
// come back to 0; and destroying the manager in the middle must end cleanly. Also the detached
// threads underneath: under load, every one started runs its task exactly once.
#include <gtest/gtest.h>

#include <random>

#include "plugin/detached_thread.h"

#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

constexpr int kSessions = 100;

std::string PadOf(const EncodableValue& data) {
  const auto* map = std::get_if<EncodableMap>(&data);
  if (!map) return std::string();
  auto it = map->find(EncodableValue("padCode"));
  return it == map->end() ? std::string() : std::get<std::string>(it->second);
}

// Every event as it was queued, per pad.
class RaisedEvents {
 public:
  void Add(const ZuvorIvadoEvent& e) {
    std::lock_guard<std::mutex> lock(mutex_);
    byPad_[PadOf(e.data)].push_back(e);
    ++total_;
  }
  std::map<std::string, std::vector<ZuvorIvadoEvent>> byPad() {
    std::lock_guard<std::mutex> lock(mutex_);
    return byPad_;
  }
  size_t total() {
    std::lock_guard<std::mutex> lock(mutex_);
    return total_;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::vector<ZuvorIvadoEvent>> byPad_;
  size_t total_ = 0;
};

// A random script for one phone: sometimes quick, sometimes slow, silent, failing or dropping.
std::string RandomScript(std::mt19937& random) {
  std::string script = "fps=5;connect=" + std::to_string(random() % 40);
  switch (random() % 5) {
    case 0:
      script += ";plan=silent,ok";
      break;
    case 1:
      script += ";plan=fail:3,ok";
      break;
    case 2:
      script += ";drop=" + std::to_string(50 + random() % 200) + ":4:3";
      break;
    case 3:
      script += ";plan=ok,fail:5,silent";
      break;
    default:
      break;
  }
  // Half the phones deliver what was on its way when an attempt ended, as a real library may.
  if (random() % 2) script += ";linger=1";
  return script;
}

// The Dart side: random method calls on random pads, pumping in between.
class DartSide {
 public:
  DartSide(PluginRig& rig, std::vector<std::string> tokens, unsigned seed)
      : rig_(rig), tokens_(std::move(tokens)), random_(seed) {}

  void Step() {
    const int i = static_cast<int>(random_() % kSessions);
    const std::string pad = "pad" + std::to_string(i);
    const EncodableValue padArgs = Args({{"padCode", EncodableValue(pad)}});
    switch (random_() % 10) {
      case 0:
      case 1:
        rig_.messenger.CallSwplay(
            "initialize",
            Args({{"padCode", EncodableValue(pad)}, {"serverToken", EncodableValue(tokens_[i])}}));
        rig_.messenger.CallSwplay("connect", padArgs);
        break;
      case 2:
        rig_.messenger.CallSwplay("connect", padArgs);
        break;
      case 3:
        rig_.messenger.CallSwplay("stopPlay", padArgs);
        break;
      case 4:
        rig_.SwitchPlayMode(pad, 2, tokens_[i]);
        break;
      case 5:
        rig_.SwitchPlayMode(pad, 0, tokens_[i]);
        break;
      case 6:
        rig_.messenger.CallSwplay("setVideoQuality",
                                  Args({{"padCode", EncodableValue(pad)},
                                        {"level", EncodableValue(int32_t(random_() % 5))}}));
        rig_.messenger.CallSwplay("setRotation",
                                  Args({{"padCode", EncodableValue(pad)},
                                        {"rotation", EncodableValue(int32_t(1 + random_() % 2))}}));
        break;
      case 7:
        if (random_() % 4 == 0) rig_.messenger.CallSwplay("disconnect", padArgs);
        break;
      case 8:
        rig_.messenger.CallSwplay("play", padArgs);
        rig_.messenger.CallSwplay("tileWindows");
        break;
      default:
        if (random_() % 20 == 0)
          rig_.messenger.Cancel();
        else
          rig_.messenger.Listen();
        break;
    }
  }

 private:
  PluginRig& rig_;
  const std::vector<std::string> tokens_;
  std::mt19937 random_;
};

// Work the Dart side's steps hand to other threads: each step grants a few more actions, so how
// much happens depends on the number of steps, not on how fast the machine is.
class Allowance {
 public:
  void Grant(int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    granted_ += count;
    cv_.notify_all();
  }
  // Waits for one action; false once closed.
  bool Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [&] { return closed_ || granted_ > 0; });
    if (closed_) return false;
    --granted_;
    return true;
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int granted_ = 0;
  bool closed_ = false;
};

// Input from window threads: direct sends and sync-group forwards, on sessions held by pointer.
class InputThreads {
 public:
  static constexpr int kThreads = 3;

  explicit InputThreads(std::vector<std::shared_ptr<ZuvorIvadoInstance>> sessions)
      : sessions_(std::move(sessions)) {
    for (int t = 0; t < kThreads; ++t) {
      threads_.emplace_back([this, t] {
        std::mt19937 random(1000 + t);
        while (allowance_.Take()) {
          auto& s = *sessions_[random() % sessions_.size()];
          switch (random() % 4) {
            case 0:
              s.SendKey(3, 158);
              break;
            case 1:
              s.SendTouch(0, 1, 0.5f, 0.5f);
              break;
            case 2:
              if (s.callbacks.key) s.callbacks.key(s.padCode(), 1, 30);
              break;
            default:
              s.SendAudio(1, reinterpret_cast<const uint8_t*>("x"), 1);
              break;
          }
        }
      });
    }
  }
  ~InputThreads() { Stop(); }
  // `count` more inputs, spread over the threads.
  void Grant(int count) { allowance_.Grant(count); }
  void Stop() {
    allowance_.Close();
    for (auto& t : threads_) {
      if (t.joinable()) t.join();
    }
  }

 private:
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> sessions_;
  Allowance allowance_;
  std::vector<std::thread> threads_;
};

// Tokens, first sessions, and drops injected from another thread.
struct Stress {
  explicit Stress(PluginRig& rig, unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < kSessions; ++i) tokens.push_back(Token(RandomScript(random)));
    rig.manager->SetEventObserverForTesting([this](const ZuvorIvadoEvent& e) { raised.Add(e); });
    rig.messenger.CallSwplay(
        "syncDevices", Args({{"padCodes", EncodableValue(EncodableList{EncodableValue("pad1"),
                                                                       EncodableValue("pad2"),
                                                                       EncodableValue("pad3")})}}));
    for (int i = 0; i < kSessions; ++i) {
      const std::string pad = "pad" + std::to_string(i);
      rig.Initialize(pad, tokens[i]);
      rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue(pad)}}));
      sessions.push_back(rig.manager->FindInstance(pad));
    }
    dropper = std::thread([this] {
      std::mt19937 r(7);
      while (drops.Take()) swsim_inject(tokens[r() % tokens.size()].c_str(), "drop=0:6");
    });
  }
  ~Stress() { StopDrops(); }
  void StopDrops() {
    drops.Close();
    if (dropper.joinable()) dropper.join();
  }

  std::vector<std::string> tokens;
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> sessions;
  RaisedEvents raised;
  Allowance drops;
  std::thread dropper;
};

// `steps` method calls of the Dart side; after each, a drop and a few inputs from the other
// threads, 100 ms of the sessions' time, and what was posted to the platform thread.
void RunSteps(PluginRig& rig, Stress& stress, InputThreads& input, DartSide& dart, int steps) {
  for (int i = 0; i < steps; ++i) {
    dart.Step();
    stress.drops.Grant(1);
    input.Grant(10);
    rig.clock->Advance(std::chrono::milliseconds(100));
    PumpPending();
  }
}

// Lets what is under way end: the sessions' time runs on in long steps until no worker or thread
// of the plug-in runs and no notification of the library is on its way.
bool Settle(PluginRig& rig) {
  return PumpUntil(
      [&] {
        if (SessionPeer::RunningWorkers() == 0 && ZuvorIvadoManager::RunningThreads() == 0 &&
            swsim_live_count('N') == 0) {
          return true;
        }
        rig.clock->Advance(std::chrono::seconds(20));
        return false;
      },
      std::chrono::seconds(120));
}

TEST(PluginStress, HundredSessionsLoseNoEventAndReturnEveryConnectingSlot) {
  PluginRig rig;
  rig.messenger.Listen();
  Stress stress(rig, 42);
  InputThreads input(stress.sessions);
  DartSide dart(rig, stress.tokens, 4242);
  RunSteps(rig, stress, input, dart, 800);
  stress.StopDrops();
  input.Stop();

  // Each session, the first of its pad and the one in the map now, is connected exactly when the
  // library plays a connected, casting data source for it.
  ASSERT_TRUE(Settle(rig)) << "workers " << SessionPeer::RunningWorkers() << ", notices "
                           << swsim_live_count('N');
  std::vector<std::shared_ptr<ZuvorIvadoInstance>> all = stress.sessions;
  for (int i = 0; i < kSessions; ++i) {
    if (auto current = rig.manager->FindInstance("pad" + std::to_string(i))) all.push_back(current);
  }
  std::vector<std::string> disagreeing;
  size_t connectedNow = 0;
  for (auto& session : all) {
    if (!SessionPeer::AgreesWithLibrary(*session)) disagreeing.push_back(session->padCode());
    connectedNow += SessionPeer::IsConnected(*session);
  }
  EXPECT_TRUE(disagreeing.empty())
      << disagreeing.size() << " disagree, the first " << disagreeing.front();
  EXPECT_GT(connectedNow, 10u) << "too few connected to prove anything";

  // Quiesce: stop every phone, let the workers end, then deliver what is queued.
  rig.messenger.Listen();
  for (int i = 0; i < kSessions; ++i) {
    rig.messenger.CallSwplay("disconnect",
                             Args({{"padCode", EncodableValue("pad" + std::to_string(i))}}));
  }
  ASSERT_TRUE(WaitForPluginThreads(std::chrono::seconds(30)))
      << "workers " << SessionPeer::RunningWorkers() << ", threads "
      << ZuvorIvadoManager::RunningThreads();
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
  FlushEvents(rig);

  // Delivered == raised, per pad, in order, nothing twice.
  std::map<std::string, std::vector<std::pair<std::string, EncodableValue>>> delivered;
  for (const SentEvent& e : rig.messenger.Events())
    delivered[PadOf(e.data)].push_back({e.name, e.data});
  const auto raised = stress.raised.byPad();
  ASSERT_GT(stress.raised.total(), 1000u) << "too little happened to prove anything";
  size_t connected = 0, reconnecting = 0;
  for (const auto& pad : raised) {
    const auto& got = delivered[pad.first];
    ASSERT_EQ(got.size(), pad.second.size()) << pad.first;
    for (size_t k = 0; k < got.size(); ++k) {
      ASSERT_EQ(got[k].first, pad.second[k].name) << pad.first << " #" << k;
      ASSERT_TRUE(got[k].second == pad.second[k].data) << pad.first << " #" << k;
      connected += got[k].first == "connected";
      reconnecting += got[k].first == "reconnecting";
    }
  }
  EXPECT_EQ(delivered.size(), raised.size());
  EXPECT_GT(connected, 300u);
  EXPECT_GT(reconnecting, 300u);
  EXPECT_EQ(swsim_dangling_display_count(), 0);
  rig.manager->SetEventObserverForTesting(nullptr);
}

TEST(PluginStress, DestroyingTheManagerInTheMiddleEndsCleanly) {
  auto rig = std::make_unique<PluginRig>();
  rig->messenger.Listen();
  auto stress = std::make_unique<Stress>(*rig, 77);
  InputThreads input(stress->sessions);  // keeps running through the destruction
  DartSide dart(*rig, stress->tokens, 7777);
  RunSteps(*rig, *stress, input, dart, 300);

  ASSERT_GT(rig->textures.registeredCount(), 0u) << "no texture to unregister";
  input.Grant(3000);     // input keeps coming during the destruction
  rig->manager.reset();  // in the middle of it all
  // Every texture went back to the engine with the manager.
  EXPECT_EQ(rig->textures.registeredCount(), 0u);
  // Sessions live on in worker and input threads, inert: nothing more is sent, though library
  // notifications and workers still reach them.
  const size_t eventsAfter = rig->messenger.EventCount();
  ASSERT_TRUE(WaitForPluginThreads(std::chrono::seconds(30)))
      << "workers " << SessionPeer::RunningWorkers() << ", threads "
      << ZuvorIvadoManager::RunningThreads();
  EXPECT_EQ(SessionPeer::ConnectingCount(), 0);
  EXPECT_EQ(rig->messenger.EventCount(), eventsAfter);
  EXPECT_FALSE(rig->messenger.HasHandler("fernhold/swplay"));
  EXPECT_EQ(swsim_dangling_display_count(), 0);
  input.Stop();
  stress->StopDrops();
  for (auto& s : stress->sessions) EXPECT_FALSE(SessionPeer::IsConnected(*s));
  stress.reset();  // the last references to the sessions
  EXPECT_EQ(swsim_live_count('S'), 0);
  EXPECT_EQ(swsim_live_count('P'), 0);
  rig.reset();
}

// Workers start workers and end at once (a reconnection arms a watchdog), while other threads are
// created and joined around them: every task must run exactly once.
TEST(DetachedThread, EveryTaskRunsOnceAlsoInChainsOfShortThreads) {
  constexpr int kChains = 32, kLinks = 32;
  struct Chains {
    std::mutex mutex;
    std::condition_variable done;
    int runs[kChains][kLinks] = {};
    int total = 0;
    std::atomic<int> refused{0};
    void Start(int chain, int link) {
      const bool started = StartDetachedThread([this, chain, link] { Run(chain, link); });
      if (!started) refused.fetch_add(1);
    }
    void Run(int chain, int link) {
      if (link + 1 < kLinks) Start(chain, link + 1);
      std::thread([] {}).join();  // as a data source's notification thread is let go
      std::lock_guard<std::mutex> lock(mutex);
      ++runs[chain][link];
      ++total;
      done.notify_all();
    }
  } chains;
  const std::thread::id self = std::this_thread::get_id();
  std::thread::id ranOn = self;
  {
    std::mutex mutex;
    std::condition_variable ran;
    bool finished = false;
    ASSERT_TRUE(StartDetachedThread([&] {
      std::lock_guard<std::mutex> lock(mutex);
      ranOn = std::this_thread::get_id();
      finished = true;
      ran.notify_all();
    }));
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(ran.wait_for(lock, std::chrono::seconds(10), [&] { return finished; }));
  }
  EXPECT_NE(ranOn, self);

  for (int chain = 0; chain < kChains; ++chain) chains.Start(chain, 0);
  std::unique_lock<std::mutex> lock(chains.mutex);
  chains.done.wait_for(lock, std::chrono::seconds(60),
                       [&] { return chains.total == kChains * kLinks; });
  EXPECT_EQ(chains.refused.load(), 0);
  EXPECT_EQ(chains.total, kChains * kLinks);
  for (int chain = 0; chain < kChains; ++chain) {
    for (int link = 0; link < kLinks; ++link) {
      ASSERT_EQ(chains.runs[chain][link], 1) << "chain " << chain << " link " << link;
    }
  }
}

}  // namespace
