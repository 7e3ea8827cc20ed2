// Input and audio towards the phone (scaling, tryLock drops, the audio rules) and what the phone
// sends back (video size, clipboard).
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>

#include "plugin/remote_clipboard.h"
#include "tests/plugin/plugin_test_support.h"
#include "tests/support/system_clipboard.h"

using namespace plugintest;

namespace {

// The clipboard's text, waiting up to a second for another program to let it go; empty when none
// did.
std::wstring ReadClipboard() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (auto text = test_support::ReadClipboardText()) return *text;
    Sleep(20);
  }
  return {};
}

// Extracts from exactly the bytes of `message` (no terminator after them).
std::string Extract(const std::string& message) {
  std::vector<char> exact(message.begin(), message.end());
  return remote_clipboard::ExtractContent(exact.empty() ? nullptr : exact.data(),
                                          static_cast<int>(exact.size()));
}

TEST(PluginInput, TouchesAreScaledToTheFrameAndLiftsGoToMinusOne) {
  PluginRig rig;
  const std::string token = Token("connect=0");
  auto session = ConnectedSession(rig, "t", token);
  session->SendTouch(0, 3, 0.5f, 0.25f);
  session->SendTouch(2, 1, 0.9999f, 0.0f);  // truncated toward zero
  session->SendTouch(1, 1, 0.5f, 0.5f);
  session->SetVideoQuality(4);  // 288 x 512
  session->SendTouch(2, 1, 0.5f, 0.5f);
  session->SetVideoQuality(0);  // sent as is; the size stays
  session->SendTouch(2, 1, 0.5f, 0.5f);
  const auto calls = SdkCalls(token);
  std::vector<std::string> touches;
  for (const auto& c : calls) {
    if (c.rfind("sendTouchEvent(", 0) == 0 || c.rfind("setVideoLevel(", 0) == 0) {
      touches.push_back(c);
    }
  }
  const std::vector<std::string> expected = {"setVideoLevel(0)",  // initialisation
                                             "sendTouchEvent(0, 1, 216, 192, 0)",
                                             "sendTouchEvent(2, 1, 431, 0, 0)",
                                             "sendTouchEvent(1, 1, -1, -1, 0)",
                                             "setVideoLevel(4)",
                                             "sendTouchEvent(2, 1, 144, 256, 0)",
                                             "setVideoLevel(0)",
                                             "sendTouchEvent(2, 1, 144, 256, 0)"};
  EXPECT_EQ(touches, expected);
}

TEST(PluginInput, TouchesWithoutAPositionAreDroppedButLiftsStillGo) {
  // A video control of no size gives fractions that are not numbers; a far drag, huge ones.
  PluginRig rig;
  const std::string token = Token("connect=0");
  auto session = ConnectedSession(rig, "n", token);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  session->SendTouch(0, 1, nan, 0.5f);
  session->SendTouch(2, 1, 0.5f, -inf);
  session->SendTouch(2, 1, 1e30f, -1e30f);  // clamped to the int range
  session->SendTouch(1, 1, nan, nan);       // a lift carries no position: it still goes
  std::vector<std::string> touches;
  for (const auto& c : SdkCalls(token)) {
    if (c.rfind("sendTouchEvent(", 0) == 0) touches.push_back(c);
  }
  EXPECT_EQ(touches, (std::vector<std::string>{"sendTouchEvent(2, 1, 2147483647, -2147483648, 0)",
                                               "sendTouchEvent(1, 1, -1, -1, 0)"}));
}

TEST(PluginInput, KeysTextAndClipboardReachThePhoneOnlyWhenConnected) {
  PluginRig rig;
  const std::string token = Token("connect=0");
  rig.Initialize("k", token);
  auto session = rig.manager->FindInstance("k");
  session->SendKey(3, 158);  // not connected: dropped
  session->SendText("x", 1);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("k")}}));
  ASSERT_TRUE(PumpUntil([&] { return SessionPeer::IsConnected(*session); }));
  session->SendKey(1, 30);
  session->SendText("h\xC3\xA9", 3);
  session->CopyToRemote("clip", 4);
  const auto calls = SdkCalls(token);
  EXPECT_EQ(CountCalls(calls, "sendKeyEvent("), 1u);
  EXPECT_EQ(CountCalls(calls, "sendKeyEvent(1, 30)"), 1u);
  EXPECT_EQ(CountCalls(calls, "sendInputString(\"h\xC3\xA9\", 3)"), 1u);
  EXPECT_EQ(CountCalls(calls, "sendInputString("), 1u);
  EXPECT_EQ(CountCalls(calls, "copyToRemote(\"clip\", 4, true)"), 1u);
}

TEST(PluginInput, InputIsDroppedWhileTheSessionLockIsBusy) {
  PluginRig rig;
  const std::string token = Token("connect=0");
  auto session = ConnectedSession(rig, "b", token);
  // Another thread holds the session's lock until this thread has sent its input: a send that
  // waited for the lock would keep it held until its deadline.
  std::atomic<bool> sent{false};
  SessionLockHolder busy(*session, [&] { return sent.load(); });
  session->SendKey(3, 172);
  session->SendTouch(0, 1, 0.1f, 0.1f);
  EXPECT_FALSE(session->SendAudio(0, reinterpret_cast<const uint8_t*>("\x11\x88"), 2));
  sent = true;
  EXPECT_TRUE(busy.ReleasedInTime());
  session->SendKey(3, 139);
  const auto calls = SdkCalls(token);
  EXPECT_EQ(CountCalls(calls, "sendKeyEvent("), 1u);
  EXPECT_EQ(CountCalls(calls, "sendKeyEvent(3, 139)"), 1u);
  EXPECT_EQ(CountCalls(calls, "sendTouchEvent("), 0u);
}

TEST(PluginInput, AudioNeedsTheWindowModeAndAConfigurationFirst) {
  LogCapture log;
  {
    PluginRig rig;
    rig.messenger.Listen();
    const std::string token = Token("connect=0");
    OpenWindow(rig, "m", token);
    ASSERT_TRUE(rig.WaitEvents("m", "connected"));
    auto session = rig.manager->FindInstance("m");
    const uint8_t config[2] = {0x11, 0x88};
    const uint8_t frame[3] = {1, 2, 3};
    EXPECT_FALSE(session->SendAudio(1, frame, 3));  // no configuration since the start
    EXPECT_TRUE(session->SendAudio(0, config, 2));
    for (int i = 0; i < 249; ++i) EXPECT_TRUE(session->SendAudio(1, frame, 3));
    const auto calls = SdkCalls(token);
    EXPECT_EQ(CountCalls(calls, "sendAudio(0, 2 bytes 1188)"), 1u);
    EXPECT_EQ(CountCalls(calls, "sendAudio(1, 3 bytes 010203)"), 249u);

    // In texture mode the phone takes no microphone audio.
    rig.SwitchPlayMode("m", 2);
    EXPECT_FALSE(session->SendAudio(0, config, 2));
  }
  EXPECT_EQ(log.LinesStartingWith("[ZuvorIvadoInstance] sendAudio m "),
            (std::vector<std::string>{"[ZuvorIvadoInstance] sendAudio m frame#1 len=2 ret=0",
                                      "[ZuvorIvadoInstance] sendAudio m frame#100 len=3 ret=0",
                                      "[ZuvorIvadoInstance] sendAudio m frame#200 len=3 ret=0"}));
  EXPECT_EQ(log.Count("[ZuvorIvadoInstance] mic cfg delivered: m (2 bytes)"), 1u);
}

TEST(PluginInput, FailedAudioSendsAreAllLogged) {
  LogCapture log;
  {
    PluginRig rig;
    rig.messenger.Listen();
    OpenWindow(rig, "e", Token("connect=0;audio=-3"));
    ASSERT_TRUE(rig.WaitEvents("e", "connected"));
    auto session = rig.manager->FindInstance("e");
    const uint8_t bytes[1] = {9};
    EXPECT_TRUE(session->SendAudio(0, bytes, 1));  // tried: true whatever the library says
    EXPECT_TRUE(session->SendAudio(1, bytes, 1));
    EXPECT_TRUE(session->SendAudio(1, bytes, 1));
  }
  size_t failures = 0;
  for (const auto& line : log.Lines()) failures += line.find("ret=-3") != std::string::npos;
  EXPECT_EQ(failures, 3u);
}

TEST(PluginInput, ControlNoticeTakesTheSizeOnlyWhenTheLevelIsGranted) {
  PluginRig rig;
  const std::string granted = Token("connect=0;level=0:640:360");
  auto a = ConnectedSession(rig, "g", granted);
  ASSERT_EQ(swsim_inject(granted.c_str(), "control=0:2:30"), 1);
  ASSERT_TRUE(PumpUntil([&] { return SessionPeer::VideoWidth(*a) == 640; }));
  EXPECT_EQ(SessionPeer::VideoHeight(*a), 360);
  EXPECT_EQ(CountCalls(SdkCalls(granted), "getVideoLevelResult({2,432,768,20,15,1024,45,3,3,0,0})"),
            1u);

  const std::string refused = Token("connect=0;level=5:640:360");
  auto b = ConnectedSession(rig, "r", refused);
  ASSERT_EQ(swsim_inject(refused.c_str(), "control=0:2:30"), 1);
  ASSERT_TRUE(
      PumpUntil([&] { return CountCalls(SdkCalls(refused), "getVideoLevelResult(") == 1; }));
  // The notice holds the session's lock until it is done, and the peer reads under it.
  EXPECT_EQ(SessionPeer::VideoWidth(*b), 432);
  EXPECT_EQ(SessionPeer::VideoHeight(*b), 768);
}

TEST(RemoteClipboard, ContentIsDecodedWithItsEscapes) {
  EXPECT_EQ(Extract(R"({"content":"a\u00e9\ud83d\ude00"})"), "a\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(Extract(R"({"type":1, "content" :  "q\"w\\\/\n\tz"})"), "q\"w\\/\n\tz");
  EXPECT_EQ(Extract(R"({"content":"A\u00C9"})"), "A\xC3\x89");        // upper-case hex
  EXPECT_EQ(Extract(R"({"content":"x\u0001\u001fy\rz"})"), "xy\rz");  // control bytes go
  EXPECT_EQ(Extract(R"({"content":"open ended)"), "open ended");
}

TEST(RemoteClipboard, ContentIsReadAsAMemberNotAsText) {
  EXPECT_EQ(Extract(R"({"x":"content","type":"text","content":"hello"})"), "hello");
  EXPECT_EQ(Extract(R"({"a":{"content":"inner"},"b":[1,"content",{}],"content":"outer"})"),
            "outer");
  EXPECT_EQ(Extract(R"({"x":"content":"no"})"), "");   // not a member
  EXPECT_EQ(Extract(R"(["content","no"])"), "");       // not an object
}

TEST(RemoteClipboard, MalformedInputGivesNothingForTheBadPartAndNeverReadsPastTheEnd) {
  EXPECT_EQ(Extract(R"({"content":"x\ud83d"})"), "x");       // high surrogate alone
  EXPECT_EQ(Extract(R"({"content":"x\ude00y"})"), "xy");     // low surrogate alone
  EXPECT_EQ(Extract(R"({"content":"\ud83d\u0041"})"), "A");  // high then no low
  EXPECT_EQ(Extract(R"({"content":"ab\u00)"), "ab");         // cut inside the digits
  EXPECT_EQ(Extract(R"({"content":"ab\ud83d\ude)"), "ab");   // cut inside the pair
  EXPECT_EQ(Extract(R"({"content":"ab\)"), "ab");            // lone backslash at the end
  EXPECT_EQ(Extract(R"({"content":"a\u00g1b"})"), "ag1b");   // not hexadecimal: "\u00" goes
  // The character after the digits stays whole: here a tab and U+FE79 (3 bytes).
  EXPECT_EQ(Extract("{\"content\":\"\\u0\t\xEF\xB9\xB9\"}"), "\t\xEF\xB9\xB9");
  EXPECT_EQ(Extract(R"({"content":"a\u1","x":"y"})"), "a");  // the closing quote still ends it
  EXPECT_EQ(Extract(R"({"text":"no content key"})"), "");
  EXPECT_EQ(Extract(R"({"content" "missing colon"})"), "");
  EXPECT_EQ(Extract(R"({"content": 5, "x":"y"})"), "");
  EXPECT_EQ(Extract(R"({"content":)"), "");
  EXPECT_EQ(remote_clipboard::ExtractContent(nullptr, 40), "");
  EXPECT_EQ(Extract(R"("content")"), "");  // 9 bytes, nothing after the key
  EXPECT_EQ(Extract("{\"c\":1}"), "");     // 8 bytes or less
}

// One test for everything that uses the system clipboard, so parallel test processes of this
// suite never race for it.
TEST(RemoteClipboard, TextReachesThePcClipboard) {
  // The system's clipboard may be busy for a moment: a few tries.
  ASSERT_TRUE(PumpUntil([] { return remote_clipboard::TryPutText(L"first"); }));
  EXPECT_EQ(ReadClipboard(), L"first");
  ASSERT_TRUE(PumpUntil([] { return remote_clipboard::TryPutText(L""); }));
  EXPECT_EQ(ReadClipboard(), L"");

  PluginRig rig;
  const std::string token = Token("connect=0;clip=0:hi\\u00e9\\ud83d\\ude00");
  ConnectedSession(rig, "c", token);
  // The system clipboard can be slow on a busy machine: a generous limit.
  ASSERT_TRUE(
      PumpUntil([] { return ReadClipboard() == L"hi\u00e9\U0001F600"; }, std::chrono::seconds(60)));
  // A message without the content key changes nothing. Notices come one at a time in order: once
  // the session has handled a later video notice, the clipboard message has been handled too.
  ASSERT_EQ(swsim_inject(token.c_str(), "cliphex=0:7b2274657874223a2278227d"), 1);
  ASSERT_EQ(swsim_inject(token.c_str(), "control=0:1:1"), 1);
  ASSERT_TRUE(PumpUntil([&] { return CountCalls(SdkCalls(token), "getVideoLevelResult(") == 1; }));
  EXPECT_EQ(ReadClipboard(), L"hi\u00e9\U0001F600");

  // Another program holds the clipboard: the text is tried again on the session's clock, off the
  // library's thread, whose next notice is handled meanwhile.
  HWND holder = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(OpenClipboard(holder));
  ASSERT_EQ(swsim_inject(token.c_str(), "clip=0:later"), 1);
  ASSERT_EQ(swsim_inject(token.c_str(), "control=0:1:1"), 1);
  const bool noticed =
      PumpUntil([&] { return CountCalls(SdkCalls(token), "getVideoLevelResult(") == 2; });
  CloseClipboard();
  DestroyWindow(holder);
  ASSERT_TRUE(noticed);
  EXPECT_TRUE(PumpUntil(
      [&] {
        rig.clock->Advance(std::chrono::milliseconds(20));
        return ReadClipboard() == L"later";
      },
      std::chrono::seconds(60)));
}

}  // namespace
