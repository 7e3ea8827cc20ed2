// The pop-out window side of a session, through fake windows: closing, theme switches, the
// window's callbacks, the sync group, and tiling.
#include <gtest/gtest.h>

#include "plugin/window_tiling.h"
#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

TEST(PluginWindow, ClosingTheWindowStopsTheStreamAndUnbindsItsDisplay) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;fps=60");
  const int dangling = swsim_dangling_display_count();
  FakePhoneWindow* window = OpenWindow(rig, "w", token);
  auto* display = static_cast<CountingDisplay*>(window->GetVideoDisplay());
  ASSERT_TRUE(PumpUntil([&] { return display->frames() > 2; }));
  const std::string displayName = "D" + std::to_string(swsim_display_id(display));
  window->UserClose();
  ASSERT_TRUE(rig.WaitEvents("w", "windowClosed"));
  auto session = rig.manager->FindInstance("w");
  EXPECT_FALSE(session->HasWindow());
  EXPECT_FALSE(SessionPeer::IsConnected(*session));
  EXPECT_EQ(swsim_dangling_display_count(), dangling);
  const auto calls = SdkCalls(token);
  EXPECT_EQ(CountCalls(calls, "setDisplay(null)"), 1u);
  EXPECT_EQ(CountCalls(calls, "screenCast(0)"), 1u);
  // Connecting again renders into nothing that is gone.
  EXPECT_EQ(rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue("w")}})).kind,
            Reply::Kind::kSuccess);
  ASSERT_TRUE(rig.WaitEvents("w", "connected", 2));
  EXPECT_EQ(swsim_dangling_display_count(), dangling);
}

TEST(PluginWindow, ClosingTheWindowOfASessionWithATextureMovesTheVideoThere) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;fps=60");
  rig.SwitchPlayMode("x", 2, token);
  ASSERT_TRUE(rig.WaitEvents("x", "connected"));
  rig.SwitchPlayMode("x", 1);
  auto session = rig.manager->FindInstance("x");
  ASSERT_EQ(SessionPeer::DisplayMode(*session), 1);
  rig.windows.last()->UserClose();
  ASSERT_TRUE(rig.WaitEvents("x", "windowClosed"));
  EXPECT_EQ(SessionPeer::DisplayMode(*session), 2);
  EXPECT_TRUE(SessionPeer::IsConnected(*session));
  const uint64_t published = SessionPeer::Texture(*session)->publishedFrames();
  ASSERT_TRUE(PumpUntil([&] { return SessionPeer::Texture(*session)->publishedFrames() > published + 2; }));
  const auto calls = SdkCalls(token);
  EXPECT_EQ(calls.back().rfind(
                "changeDisplay(D" + std::to_string(swsim_display_id(SessionPeer::Texture(*session))), 0),
            0u);
}

// Whether `upper` lies above `lower` in the z-order.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

TEST(PluginWindow, ASecondSwitchToTheWindowReusesItAndBringsItForward) {
  PluginRig rig;
  rig.messenger.Listen();
  FakePhoneWindow* window = OpenWindow(rig, "r", Token("connect=0"));
  FakePhoneWindow* other = OpenWindow(rig, "s", Token("connect=0"));
  // Each switch raises its window asynchronously: the second raise is the last to take effect.
  ASSERT_TRUE(PumpUntil([&] { return IsAbove(other->GetHandle(), window->GetHandle()); }));
  rig.messenger.CallSwplay("switchPlayMode", Args({{"padCode", EncodableValue("r")},
                                                   {"mode", EncodableValue(1)},
                                                   {"rotation", EncodableValue(2)}}));
  EXPECT_EQ(rig.windows.opened(), 2);
  EXPECT_EQ(window->postedRotation, 2);
  // The window is raised without waiting for its thread (the z-order change is asynchronous by
  // contract): wait for it to take effect.
  EXPECT_TRUE(PumpUntil([&] { return IsAbove(window->GetHandle(), other->GetHandle()); }));
  EXPECT_EQ(rig.messenger.EventNames("r"), (std::vector<std::string>{"connected", "connected"}));
}

TEST(PluginWindow, AWindowThatCannotOpenFailsTheSwitchAndChangesNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  rig.windows.RefuseNext();  // as a window whose skin does not load
  const Reply failed = rig.SwitchPlayMode("n", 1, token);
  EXPECT_EQ(failed.kind, Reply::Kind::kError);
  EXPECT_EQ(failed.code, "-1");
  EXPECT_EQ(failed.message, "Failed to switch play mode");
  auto session = rig.manager->FindInstance("n");
  ASSERT_TRUE(session);
  EXPECT_EQ(SessionPeer::DisplayMode(*session), 0);
  ASSERT_TRUE(WaitForPluginThreads());
  EXPECT_EQ(swsim_start_count(token.c_str()), 0);  // no connection started for it
  // The next try opens the window and connects.
  EXPECT_EQ(rig.SwitchPlayMode("n", 1).kind, Reply::Kind::kSuccess);
  ASSERT_TRUE(rig.WaitEvents("n", "connected"));
  EXPECT_TRUE(session->HasWindow());
}

TEST(PluginWindow, ADisconnectClosesTheWindowAndItsLateClicksDoNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  rig.messenger.CallSwplay(
      "syncDevices",
      Args({{"padCodes", EncodableValue(EncodableList{EncodableValue("d"), EncodableValue("e")})}}));
  const std::string te = Token("connect=0");
  FakePhoneWindow* window = OpenWindow(rig, "d", Token("connect=0"));
  OpenWindow(rig, "e", te);
  // Something still holds the session, as a worker thread may.
  auto session = rig.manager->FindInstance("d");
  rig.messenger.CallSwplay("disconnect", Args({{"padCode", EncodableValue("d")}}));
  EXPECT_TRUE(window->closeRequested);
  EXPECT_FALSE(session->HasWindow());
  // Clicks the window sent before it closed reach neither the phone group nor the Dart side.
  window->OnWindowThread([](PhoneWindowCallbacks& cb) {
    cb.back();
    cb.key(1, 30);
    cb.text("t", 1);
    cb.touch(0, 1, 0.5f, 0.5f, 0.0f);
    cb.screenshot();
  });
  window->UserClose();
  FlushEvents(rig);
  EXPECT_EQ(rig.messenger.EventNames("d"), std::vector<std::string>{"connected"});
  const auto callsE = SdkCalls(te);
  EXPECT_EQ(CountCalls(callsE, "send"), 0u);
  EXPECT_EQ(CountCalls(callsE, "copyToRemote"), 0u);
}

TEST(PluginWindow, ASecondSwitchToTheWindowWithAnotherThemeReplacesIt) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  FakePhoneWindow* first = OpenWindow(rig, "r", token);
  ASSERT_EQ(first->themeMode, 2);
  rig.messenger.CallSwplay("switchPlayMode", Args({{"padCode", EncodableValue("r")},
                                                   {"mode", EncodableValue(1)},
                                                   {"themeMode", EncodableValue(1)}}));
  ASSERT_EQ(rig.windows.opened(), 2);
  FakePhoneWindow* second = rig.windows.last();
  EXPECT_EQ(second->themeMode, 1);
  EXPECT_TRUE(first->closeRequested);
  EXPECT_EQ(SdkCalls(token).back(),
            "changeDisplay(D" + std::to_string(swsim_display_id(second->GetVideoDisplay())) + ")");
  // The theme now shown is the one recorded: switching back is not skipped.
  rig.messenger.CallSwplay("setThemeMode", Args({{"themeMode", EncodableValue(2)}}));
  ASSERT_EQ(rig.windows.opened(), 3);
  EXPECT_EQ(rig.windows.last()->themeMode, 2);
  EXPECT_EQ(rig.messenger.EventNames("r"), (std::vector<std::string>{"connected", "connected"}));
}

TEST(PluginWindow, ThemeSwitchReplacesTheWindowAndClosingTheOldOneStopsNothing) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;fps=60");
  const int dangling = swsim_dangling_display_count();
  FakePhoneWindow* old = OpenWindow(rig, "t", token);
  old->SetPinned(true);
  rig.messenger.CallSwplay("setThemeMode", Args({{"themeMode", EncodableValue(1)}}));
  ASSERT_EQ(rig.windows.opened(), 2);
  FakePhoneWindow* fresh = rig.windows.last();
  EXPECT_EQ(fresh->themeMode, 1);
  EXPECT_TRUE(old->closeRequested);
  EXPECT_TRUE(fresh->IsPinned());  // the old one was pinned
  const auto calls = SdkCalls(token);
  EXPECT_EQ(calls.back(),
            "changeDisplay(D" + std::to_string(swsim_display_id(fresh->GetVideoDisplay())) + ")");
  // The old window now really closes: no event, no stop (its close handling has run when
  // UserClose returns; a method call delivers what it queued).
  old->UserClose();
  FlushEvents(rig);
  EXPECT_EQ(rig.messenger.EventNames("t"), std::vector<std::string>{"connected"});
  auto session = rig.manager->FindInstance("t");
  EXPECT_TRUE(SessionPeer::IsConnected(*session));
  EXPECT_TRUE(session->HasWindow());
  auto* display = static_cast<CountingDisplay*>(fresh->GetVideoDisplay());
  const int frames = display->frames();
  ASSERT_TRUE(PumpUntil([&] { return display->frames() > frames + 2; }));
  EXPECT_EQ(swsim_dangling_display_count(), dangling);
  // The same theme again changes nothing.
  rig.messenger.CallSwplay("setThemeMode", Args({{"themeMode", EncodableValue(1)}}));
  EXPECT_EQ(rig.windows.opened(), 2);
}

TEST(PluginWindow, AThemeSwitchThatCannotOpenANewWindowKeepsTheOldOne) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0;fps=60");
  FakePhoneWindow* old = OpenWindow(rig, "t", token);
  auto* display = static_cast<CountingDisplay*>(old->GetVideoDisplay());
  rig.windows.RefuseNext();
  rig.messenger.CallSwplay("setThemeMode", Args({{"themeMode", EncodableValue(1)}}));
  EXPECT_FALSE(old->closeRequested);
  auto session = rig.manager->FindInstance("t");
  EXPECT_TRUE(session->HasWindow());
  const int frames = display->frames();
  ASSERT_TRUE(PumpUntil([&] { return display->frames() > frames + 2; }));  // still showing
  // The theme it did not get is not recorded: asking again makes the window.
  rig.messenger.CallSwplay("setThemeMode", Args({{"themeMode", EncodableValue(1)}}));
  ASSERT_EQ(rig.windows.opened(), 2);
  EXPECT_EQ(rig.windows.last()->themeMode, 1);
  EXPECT_TRUE(old->closeRequested);
}

TEST(PluginWindow, ToolbarAndInputCallbacksReachThePhone) {
  PluginRig rig;
  rig.messenger.Listen();
  const std::string token = Token("connect=0");
  FakePhoneWindow* window = OpenWindow(rig, "c", token);
  window->OnWindowThread([](PhoneWindowCallbacks& cb) {
    cb.back();
    cb.home();
    cb.menu();
    cb.volumeUp();
    cb.volumeDown();
    cb.restart();
    cb.key(1, 30);
    cb.text("ab", 2);
    cb.paste("cd", 2);
    cb.picture("\x89PNG", 4);
    cb.quality(2);
    cb.rotation(2);
    cb.screenshot();
    cb.camera();
  });
  const auto calls = SdkCalls(token);
  std::vector<std::string> sent;
  for (const auto& c : calls) {
    if (c.rfind("send", 0) == 0 || c.rfind("copyToRemote", 0) == 0) sent.push_back(c);
  }
  EXPECT_EQ(sent, (std::vector<std::string>{
                      "sendKeyEvent(3, 158)", "sendKeyEvent(3, 172)", "sendKeyEvent(3, 139)",
                      "sendKeyEvent(3, 115)", "sendKeyEvent(3, 114)", "sendKeyEvent(3, 356)",
                      "sendKeyEvent(1, 30)", "sendInputString(\"ab\", 2)",
                      "copyToRemote(\"cd\", 2, true)", "sendPicture(4 bytes 89504e47)"}));
  EXPECT_EQ(calls.back(), "setVideoLevel(2)");
  EXPECT_EQ(window->appliedRotation, 2);
  rig.messenger.CallSwplay("setVideoQuality",
                           Args({{"padCode", EncodableValue("c")}, {"level", EncodableValue(3)}}));
  EXPECT_EQ(SdkCalls(token).back(), "setVideoLevel(3)");
  ASSERT_TRUE(rig.WaitEvents("c", "screenshot"));
  const auto& data = std::get<EncodableMap>(rig.messenger.Events().back().data);
  EXPECT_EQ(std::get<std::string>(data.at(EncodableValue("filePath"))), "");
}

TEST(PluginWindow, TheKeyboardButtonTogglesHostKeyboardStartingFromOn) {
  LogCapture log;
  {
    PluginRig rig;
    rig.messenger.Listen();
    FakePhoneWindow* window = OpenWindow(rig, "k", Token("connect=0"));
    window->OnWindowThread([](PhoneWindowCallbacks& cb) {
      cb.keyboard();
      cb.keyboard();
    });
  }
  EXPECT_EQ(
      log.LinesStartingWith("onEnableHostKeyboard"),
      (std::vector<std::string>{"onEnableHostKeyboard active=0", "onEnableHostKeyboard active=1"}));
}

TEST(PluginWindow, SyncedPhonesRepeatInputButNeverBackToTheOrigin) {
  PluginRig rig;
  rig.messenger.Listen();
  rig.messenger.CallSwplay(
      "syncDevices",
      Args({{"padCodes", EncodableValue(EncodableList{EncodableValue("a"), EncodableValue("b"),
                                                      EncodableValue("ghost")})}}));
  const std::string ta = Token("connect=0"), tb = Token("connect=0"), tc = Token("connect=0");
  FakePhoneWindow* a = OpenWindow(rig, "a", ta);
  OpenWindow(rig, "b", tb);
  OpenWindow(rig, "c", tc);
  EXPECT_TRUE(a->IsPinned());  // synced windows open pinned
  EXPECT_FALSE(rig.windows.last()->IsPinned());
  a->OnWindowThread([](PhoneWindowCallbacks& cb) {
    cb.back();
    cb.key(1, 30);
    cb.text("t", 1);
    cb.paste("p", 1);
    cb.touch(0, 1, 0.5f, 0.5f, 0.0f);
  });
  const std::vector<std::string> expectedB = {
      "sendKeyEvent(3, 158)", "sendKeyEvent(1, 30)", "sendInputString(\"t\", 1)",
      "copyToRemote(\"p\", 1, true)", "sendTouchEvent(0, 1, 216, 384, 0)"};
  std::vector<std::string> sentB;
  for (const auto& c : SdkCalls(tb)) {
    if (c.rfind("send", 0) == 0 || c.rfind("copyToRemote", 0) == 0) sentB.push_back(c);
  }
  EXPECT_EQ(sentB, expectedB);
  const auto callsA = SdkCalls(ta);
  EXPECT_EQ(CountCalls(callsA, "sendKeyEvent("), 2u);    // its own, once each
  EXPECT_EQ(CountCalls(callsA, "sendTouchEvent("), 0u);  // its touches go through its display
  EXPECT_EQ(CountCalls(SdkCalls(tc), "send"), 0u);
}

TEST(PluginWindow, FocusRotationAndTilingDriveTheWindows) {
  PluginRig rig;
  rig.messenger.Listen();
  std::vector<FakePhoneWindow*> windows;
  for (int i = 0; i < 4; ++i) {
    windows.push_back(OpenWindow(rig, "tile" + std::to_string(i), Token("connect=0")));
    // Distinct positions, in reverse order of creation.
    SetWindowPos(windows.back()->GetHandle(), nullptr, 500 - i * 100, 300, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  rig.messenger.CallSwplay(
      "setRotation", Args({{"padCode", EncodableValue("tile0")}, {"rotation", EncodableValue(2)}}));
  EXPECT_EQ(windows[0]->postedRotation, 2);
  EXPECT_EQ(
      rig.messenger.CallSwplay("focusWindow", Args({{"padCode", EncodableValue("tile1")}})).kind,
      Reply::Kind::kSuccess);

  ASSERT_EQ(rig.messenger.CallSwplay("tileWindows").kind, Reply::Kind::kSuccess);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int columns = std::min(4, std::max(1, int(work.right - work.left) / 386));
  // Left to right by position: tile3 (x 200), tile2, tile1, tile0.
  for (int order = 0; order < 4; ++order) {
    FakePhoneWindow* w = windows[3 - order];
    PumpUntil(
        [&] {
          RECT r{};
          GetWindowRect(w->GetHandle(), &r);
          return r.left != 500 - (3 - order) * 100 || r.top != 300;
        },
        std::chrono::milliseconds(500));
    RECT r{};
    GetWindowRect(w->GetHandle(), &r);
    EXPECT_EQ(r.left, work.left + (order % columns) * 386 - 7) << order;
    EXPECT_EQ(r.top, work.top + (order / columns) * 700) << order;
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 700);
  }
}

// ----- The tiling arithmetic -----

std::vector<TileEntry> Windows(int count) {
  std::vector<TileEntry> entries(count);
  for (int i = 0; i < count; ++i) {
    entries[i].window = RECT{i * 10, 0, i * 10 + 400, 700};
    entries[i].tileWidth = 400;
    entries[i].tileHeight = 700;
    entries[i].insets = RECT{7, 0, 7, 0};
  }
  return entries;
}

TEST(WindowTiling, FourWindowsSitSideBySideOnAWideWorkArea) {
  const auto cells = ComputeTiles(Windows(4), RECT{0, 0, 1920, 1040});
  ASSERT_EQ(cells.size(), 4u);
  const int xs[] = {0, 386, 772, 1158};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(cells[i].x, xs[i]);
    EXPECT_EQ(cells[i].y, 0);
  }
}

TEST(WindowTiling, FiveWindowsOnANarrowWorkAreaMakeTwoColumnsAndThreeRows) {
  const auto cells = ComputeTiles(Windows(5), RECT{100, 50, 1100, 1000});
  const POINT expected[] = {{100, 50}, {486, 50}, {100, 750}, {486, 750}, {100, 1450}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(cells[i].x, expected[i].x) << i;
    EXPECT_EQ(cells[i].y, expected[i].y) << i;
  }
}

TEST(WindowTiling, UnevenCellsTakeTheLargestPerColumnAndRowAndTinyOnesCountAsOne) {
  std::vector<TileEntry> entries = Windows(3);
  entries[1].tileWidth = 600;   // widest: 586
  entries[2].tileHeight = 900;  // tallest in row 1
  entries[0].tileWidth = 10;    // 10 - 14 < 2: counts as 1
  const auto cells = ComputeTiles(entries, RECT{0, 0, 1200, 1000});
  // columns = 1200 / 586 = 2: [0, 1] then [2].
  EXPECT_EQ(cells[1].x, 386);  // column 0 is as wide as entry 2 (386), not entry 0
  EXPECT_EQ(cells[2].x, 0);
  EXPECT_EQ(cells[2].y, 700);
  // A work area narrower than one cell still gives one column.
  const auto narrow = ComputeTiles(Windows(2), RECT{0, 0, 100, 100});
  EXPECT_EQ(narrow[1].x, 0);
  EXPECT_EQ(narrow[1].y, 700);
}

TEST(WindowTiling, SortingGoesByTopThenLeft) {
  std::vector<TileEntry> entries = Windows(3);
  entries[0].window = RECT{500, 10, 900, 710};
  entries[0].tag = 0;
  entries[1].window = RECT{100, 10, 500, 710};
  entries[1].tag = 1;
  entries[2].window = RECT{900, 0, 1300, 700};
  entries[2].tag = 2;
  SortForTiling(entries);
  EXPECT_EQ(entries[0].tag, 2);
  EXPECT_EQ(entries[1].tag, 1);
  EXPECT_EQ(entries[2].tag, 0);
}

}  // namespace
