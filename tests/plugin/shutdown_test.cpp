// Destroying the manager: sessions that outlive it (held by worker or window threads) become
// inert, their textures are unregistered while the engine is still there, and long waits end.
#include <gtest/gtest.h>

#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

// Session "t" shown in a texture that has announced a frame; the texture's id (-1 on failure).
int64_t ShowInTexture(PluginRig& rig) {
  rig.messenger.Listen();
  const int64_t id = TextureIdOf(rig.SwitchPlayMode("t", 2, Token("connect=0;fps=60")));
  const bool shown =
      rig.WaitEvents("t", "connected") && PumpUntil([&] { return rig.textures.marks(id) > 0; });
  return shown ? id : -1;
}

TEST(PluginShutdown, TexturesAreUnregisteredWhenTheManagerGoes) {
  PluginRig rig;
  const int64_t id = ShowInTexture(rig);
  ASSERT_GE(id, 1);
  auto session = rig.manager->FindInstance("t");
  rig.manager.reset();
  EXPECT_FALSE(rig.textures.registered(id));  // at once, not when the session goes
  EXPECT_EQ(SessionPeer::Texture(*session), nullptr);
  EXPECT_EQ(session->GetTextureId(), -1);
  EXPECT_FALSE(SessionPeer::IsConnected(*session));
  EXPECT_EQ(swsim_dangling_display_count(), 0);
  // Requests after the shutdown fail instead of starting anything.
  EXPECT_EQ(session->Initialize(), -1);
  EXPECT_EQ(session->Connect(1), -1);
  EXPECT_EQ(session->SwitchPlayMode(2, 2, 1, 1), -1);
}

TEST(PluginShutdown, ADisconnectedSessionGivesItsTextureBackWhileSomethingStillHoldsIt) {
  // A session that "disconnect" removed may live on in a worker or stop thread; the engine (and
  // its texture registrar) may be gone by the time that thread lets it go.
  PluginRig rig;
  const int64_t id = ShowInTexture(rig);
  ASSERT_GE(id, 1);
  auto held = rig.manager->FindInstance("t");
  rig.messenger.CallSwplay("disconnect", Args({{"padCode", EncodableValue("t")}}));
  EXPECT_FALSE(rig.textures.registered(id));
  EXPECT_EQ(SessionPeer::Texture(*held), nullptr);
  EXPECT_EQ(held->GetTextureId(), -1);
  EXPECT_EQ(swsim_dangling_display_count(), 0);
  rig.manager.reset();
  held.reset();
  EXPECT_EQ(rig.textures.unregistrations(), 1);
}

TEST(PluginShutdown, CallbacksOfSessionsThatOutliveTheManagerDoNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  rig.Initialize("a", Token("x"));
  rig.Initialize("b", Token("x"));
  rig.messenger.CallSwplay(
      "syncDevices",
      Args(
          {{"padCodes", EncodableValue(EncodableList{EncodableValue("a"), EncodableValue("b")})}}));
  auto a = rig.manager->FindInstance("a");
  const size_t events = rig.messenger.EventCount();
  // As a late library notification or window thread would, while the manager is being destroyed
  // (its queue and channel still there, listened to), and after.
  auto fire = [&] {
    a->callbacks.connected("a", 1, 2);
    a->callbacks.reconnecting("a", 1);
    a->callbacks.disconnected("a", 5);
    a->callbacks.key("a", 1, 30);
    a->callbacks.windowClosed("a");
  };
  bool firedDuringDestruction = false;
  rig.messenger.onHandlerRemoved = [&](const std::string& channel) {
    if (channel != "fernhold/swplay") return;
    fire();
    firedDuringDestruction = true;
  };
  rig.manager.reset();
  rig.messenger.onHandlerRemoved = nullptr;
  ASSERT_TRUE(firedDuringDestruction);
  fire();
  EXPECT_EQ(rig.messenger.EventCount(), events);
}

// On the production clock: the 8-second watchdog ends well before its time when the manager
// goes.
TEST(PluginShutdown, LongWaitsEndWhenTheManagerGoes) {
  PluginRig rig(/*withRegistrar=*/true, RigTime::kReal);
  rig.Initialize("s", Token("plan=silent"));
  const auto start = std::chrono::steady_clock::now();
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("s")}}));
  ASSERT_EQ(SessionPeer::RunningWorkers(), 1);  // the watchdog
  rig.manager.reset();
  ASSERT_TRUE(PumpUntil([] { return SessionPeer::RunningWorkers() == 0; }));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
}

}  // namespace
