// Method dispatch of "fernhold/swplay": decoding, argument getters, replies with their exact
// codes and messages, and handler wiring.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

void ExpectError(const Reply& reply, const std::string& code, const std::string& message) {
  EXPECT_EQ(reply.kind, Reply::Kind::kError);
  EXPECT_EQ(reply.code, code);
  EXPECT_EQ(reply.message, message);
  EXPECT_FALSE(reply.hasDetails);
}

TEST(PluginDispatch, RegistrationInstallsAndDestructionRemovesBothHandlers) {
  FakeMessenger messenger;
  {
    ZuvorIvadoManager manager;
    manager.Register(&messenger, nullptr);
    EXPECT_TRUE(messenger.HasHandler("fernhold/swplay"));
    EXPECT_TRUE(messenger.HasHandler("fernhold/swplay/events"));
  }
  EXPECT_FALSE(messenger.HasHandler("fernhold/swplay"));
  EXPECT_FALSE(messenger.HasHandler("fernhold/swplay/events"));
}

TEST(PluginDispatch, UndecodableBytesGetAnEmptyReplyAndRunNoHandler) {
  PluginRig rig;
  bool replied = false;
  auto answer = rig.messenger.Deliver("fernhold/swplay", {0xFF, 0x01, 0x02}, &replied);
  EXPECT_TRUE(replied);
  EXPECT_TRUE(answer.empty());
  answer = rig.messenger.Deliver("fernhold/swplay/events", {0x07}, &replied);
  EXPECT_TRUE(replied);
  EXPECT_TRUE(answer.empty());
}

TEST(PluginDispatch, UnknownMethodsAreNotImplementedAndNamesAreExact) {
  PluginRig rig;
  EXPECT_EQ(rig.messenger.CallSwplay("noSuchMethod").kind, Reply::Kind::kEmpty);
  EXPECT_EQ(rig.messenger.CallSwplay("Connect").kind, Reply::Kind::kEmpty);
  EXPECT_EQ(rig.messenger.CallSwplay("connect ").kind, Reply::Kind::kEmpty);
  EXPECT_EQ(rig.messenger.Call("fernhold/swplay/events", "subscribe").kind, Reply::Kind::kEmpty);
}

TEST(PluginDispatch, ArgumentsThatAreNotAMapReadAsEmpty) {
  PluginRig rig;
  ExpectError(rig.messenger.CallSwplay("connect", EncodableValue(std::string("p1"))), "-1",
              "Missing required param: padCode");
  ExpectError(rig.messenger.CallSwplay("connect", EncodableValue(EncodableList{})), "-1",
              "Missing required param: padCode");
  ExpectError(rig.messenger.CallSwplay("initialize"), "-1",
              "Missing required params (padCode, serverToken)");
}

TEST(PluginDispatch, RequiredArgumentErrors) {
  PluginRig rig;
  ExpectError(rig.messenger.CallSwplay("initialize", Args({{"padCode", EncodableValue("p1")}})),
              "-1", "Missing required params (padCode, serverToken)");
  EXPECT_EQ(rig.manager->FindInstance("p1"), nullptr);  // nothing made
  ExpectError(rig.messenger.CallSwplay("initialize", Args({{"serverToken", EncodableValue("t")}})),
              "-1", "Missing required params (padCode, serverToken)");
  ExpectError(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("p1")}})), "-2",
              "Instance not found. Call initialize first.");
  ExpectError(rig.messenger.CallSwplay("play", Args({{"padCode", EncodableValue("p1")}})), "-1",
              "Instance not found");
  ExpectError(rig.messenger.CallSwplay("play"), "-1", "Instance not found");
  ExpectError(rig.messenger.CallSwplay("switchPlayMode", Args({{"mode", EncodableValue(2)}})), "-1",
              "Missing required param: padCode");
  ExpectError(rig.messenger.CallSwplay("focusWindow"), "-1", "Missing required param: padCode");
}

TEST(PluginDispatch, MethodsWithoutErrorsSucceedForUnknownPads) {
  PluginRig rig;
  const EncodableValue unknown = Args({{"padCode", EncodableValue("nobody")}});
  for (const char* method : {"stopPlay", "disconnect", "setScreenCast", "focusWindow",
                             "setRotation", "setVideoQuality"}) {
    SCOPED_TRACE(method);
    EXPECT_EQ(rig.messenger.CallSwplay(method, unknown).kind, Reply::Kind::kSuccess);
  }
  for (const char* method : {"stopPlay", "disconnect", "tileWindows", "setThemeMode", "syncDevices",
                             "setVoiceEnabled"}) {
    SCOPED_TRACE(method);
    EXPECT_EQ(rig.messenger.CallSwplay(method).kind, Reply::Kind::kSuccess);
  }
}

// One busy phone must not stall the others: a method that waits for a session's lock has let go
// of the session map, which other threads (input forwarding, microphone frames) need meanwhile.
TEST(PluginDispatch, AMethodWaitingForABusySessionHoldsNoSessionMap) {
  PluginRig rig;
  rig.Initialize("busy", Token("x"));
  auto session = rig.manager->FindInstance("busy");
  for (const char* method :
       {"setRotation", "setScreenCast", "focusWindow", "tileWindows", "play", "connect"}) {
    SCOPED_TRACE(method);
    std::future<std::shared_ptr<ZuvorIvadoInstance>> lookup;  // let go after the lock
    bool lookedUp = false;
    SessionLockHolder busy(*session, [&] {
      if (SessionPeer::LockWaiters(*session) == 0) return false;  // the method waits from now on
      lookup = std::async(std::launch::async, [&] { return rig.manager->FindInstance("busy"); });
      lookedUp = lookup.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
      return true;
    });
    rig.messenger.CallSwplay(method, Args({{"padCode", EncodableValue("busy")}}));
    EXPECT_TRUE(busy.ReleasedInTime());
    EXPECT_TRUE(lookedUp);
  }
}

TEST(PluginDispatch, LibraryResultsBecomeDecimalCodes) {
  PluginRig rig;
  const std::string refused = Token("token=-5");
  ExpectError(rig.Initialize("p1", refused), "-5", "Failed to initialize");
  // The session exists but is not initialised: connect fails with the session's -1.
  ExpectError(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("p1")}})), "-1",
              "Failed to connect");
  ExpectError(rig.messenger.CallSwplay("play", Args({{"padCode", EncodableValue("p1")}})), "-1",
              "Failed to play");
  ExpectError(rig.SwitchPlayMode("p1", 7), "-1", "Failed to switch play mode");
  EXPECT_EQ(rig.Initialize("p2", Token("ok")).kind, Reply::Kind::kSuccess);
}

TEST(PluginDispatch, WrongTypesFallBackToDefaults) {
  PluginRig rig;
  const std::string token = Token("connect=0");
  ASSERT_EQ(rig.Initialize("p1", token).kind, Reply::Kind::kSuccess);
  // playType as a 64-bit integer or a double counts as absent: the default 1 is cast.
  EXPECT_EQ(rig.messenger
                .CallSwplay("connect", Args({{"padCode", EncodableValue("p1")},
                                             {"playType", EncodableValue(int64_t(5))}}))
                .kind,
            Reply::Kind::kSuccess);
  ASSERT_TRUE(PumpUntil([&] { return CountCalls(SdkCalls(token), "screenCast(") >= 1; }));
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(1)"), 1u);

  // userId given as a string and domestic as an int read as their defaults.
  const std::string token2 = Token("x");
  rig.messenger.CallSwplay("initialize", Args({{"padCode", EncodableValue("p2")},
                                               {"serverToken", EncodableValue(token2)},
                                               {"userId", EncodableValue("42")},
                                               {"carrierType", EncodableValue(3.0)},
                                               {"domestic", EncodableValue(1)},
                                               {"appId", EncodableValue("app")}}));
  const auto calls = SdkCalls(token2);
  EXPECT_TRUE(std::count(calls.begin(), calls.end(),
                         "setServerToken(\"" + token2 + "\", \"\", 0, \"app\", 0, \"" +
                             ZuvorIvadoInstance::kConnectEndpoint + "\")") == 1);
}

TEST(PluginDispatch, EmptyAppIdAndDomesticPassNulls) {
  PluginRig rig;
  const std::string token = Token("x");
  rig.messenger.CallSwplay("initialize", Args({{"padCode", EncodableValue("p1")},
                                               {"serverToken", EncodableValue(token)},
                                               {"uuid", EncodableValue("u")},
                                               {"userId", EncodableValue(9)},
                                               {"carrierType", EncodableValue(2)},
                                               {"domestic", EncodableValue(true)}}));
  const auto calls = SdkCalls(token);
  EXPECT_EQ(CountCalls(calls, "setServerToken(\"" + token + "\", \"u\", 9, null, 2, null)"), 1u);
}

TEST(PluginDispatch, SwitchPlayModeDefaultsAndTextureIds) {
  PluginRig rig;
  // Only the pad code: mode 0, success without a value, session made.
  Reply reply =
      rig.messenger.CallSwplay("switchPlayMode", Args({{"padCode", EncodableValue("a")}}));
  EXPECT_EQ(reply.kind, Reply::Kind::kSuccess);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(reply.value));
  ASSERT_NE(rig.manager->FindInstance("a"), nullptr);
  EXPECT_EQ(SessionPeer::DisplayMode(*rig.manager->FindInstance("a")), 0);

  // Mode 2: {"textureId": 64-bit id}, the same id the second time.
  const EncodableValue mode2 =
      Args({{"padCode", EncodableValue("a")}, {"mode", EncodableValue(2)}});
  reply = rig.messenger.CallSwplay("switchPlayMode", mode2);
  ASSERT_EQ(reply.kind, Reply::Kind::kSuccess);
  const auto& map = std::get<EncodableMap>(reply.value);
  const auto id = std::get<int64_t>(map.at(EncodableValue("textureId")));
  EXPECT_GE(id, 1);
  reply = rig.messenger.CallSwplay("switchPlayMode", mode2);
  EXPECT_EQ(TextureIdOf(reply), id);

  // A refused registration is an error.
  rig.textures.RefuseNext();
  ExpectError(rig.SwitchPlayMode("b", 2), "-1", "Failed to switch play mode");
}

TEST(PluginDispatch, AModeSwitchThatFailsChangesNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  OpenWindow(rig, "w", token);
  auto session = rig.manager->FindInstance("w");
  // Audio goes only to a connected session shown in its pop-out window.
  const uint8_t config[2] = {0x11, 0x88};
  ASSERT_TRUE(session->SendAudio(0, config, 2));
  // A stop is on its way: its generation is taken, its thread has not run yet.
  const int64_t pending = session->NextStopGeneration();

  ExpectError(rig.SwitchPlayMode("w", 5), "-1", "Failed to switch play mode");
  rig.textures.RefuseNext();
  ExpectError(rig.SwitchPlayMode("w", 2), "-1", "Failed to switch play mode");
  EXPECT_TRUE(session->SendAudio(0, config, 2));  // still in the window
  EXPECT_EQ(session->GetTextureId(), -1);
  // No session is made for a mode that does not exist.
  ExpectError(rig.SwitchPlayMode("new", -1), "-1", "Failed to switch play mode");
  EXPECT_EQ(rig.manager->FindInstance("new"), nullptr);

  // The stop still applies.
  session->StopPlay(pending);
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(0)"), 1u);
  EXPECT_FALSE(session->SendAudio(0, config, 2));
}

TEST(PluginDispatch, WithoutTextureRegistrarTheTextureIdIsMinusOne) {
  PluginRig rig(/*withRegistrar=*/false);
  Reply reply = rig.SwitchPlayMode("a", 2);
  ASSERT_EQ(reply.kind, Reply::Kind::kSuccess);
  EXPECT_EQ(TextureIdOf(reply), -1);
}

TEST(PluginDispatch, SyncDevicesTakesStringsAndKeepsTheGroupWhenListMissing) {
  PluginRig rig;
  rig.Initialize("a", Token("x"));
  rig.Initialize("b", Token("x"));
  rig.Initialize("c", Token("x"));
  rig.messenger.CallSwplay(
      "syncDevices",
      Args({{"padCodes", EncodableValue(EncodableList{EncodableValue("a"), EncodableValue(5),
                                                      EncodableValue("b")})}}));
  EXPECT_TRUE(rig.manager->FindInstance("a")->IsSynced());
  EXPECT_TRUE(rig.manager->FindInstance("b")->IsSynced());
  EXPECT_FALSE(rig.manager->FindInstance("c")->IsSynced());
  rig.messenger.CallSwplay("syncDevices");  // no list: unchanged
  rig.messenger.CallSwplay("syncDevices", Args({{"padCodes", EncodableValue("a")}}));  // not a list
  EXPECT_TRUE(rig.manager->FindInstance("b")->IsSynced());
  // A session made later for a pad in the group is marked at creation.
  rig.messenger.CallSwplay(
      "syncDevices", Args({{"padCodes", EncodableValue(EncodableList{EncodableValue("d")})}}));
  EXPECT_FALSE(rig.manager->FindInstance("a")->IsSynced());
  rig.Initialize("d", Token("x"));
  EXPECT_TRUE(rig.manager->FindInstance("d")->IsSynced());
}

TEST(PluginDispatch, InitializeKeepsTheFirstConfigurationButTakesANewName) {
  PluginRig rig;
  const std::string first = Token("one");
  rig.Initialize("p", first);
  auto session = rig.manager->FindInstance("p");
  rig.messenger.CallSwplay("initialize", Args({{"padCode", EncodableValue("p")},
                                               {"serverToken", EncodableValue(Token("two"))},
                                               {"name", EncodableValue("Phone P")}}));
  EXPECT_EQ(rig.manager->FindInstance("p"), session);
  EXPECT_EQ(swsim::SourceIds(first).size(), 1u);  // already initialised: nothing new made
}

TEST(PluginDispatch, DisconnectRemovesTheSession) {
  PluginRig rig;
  rig.Initialize("p", Token("x"));
  EXPECT_EQ(rig.messenger.CallSwplay("disconnect", Args({{"padCode", EncodableValue("p")}})).kind,
            Reply::Kind::kSuccess);
  EXPECT_EQ(rig.manager->FindInstance("p"), nullptr);
  ExpectError(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("p")}})), "-2",
              "Instance not found. Call initialize first.");
}

}  // namespace
