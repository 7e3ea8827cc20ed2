// The Flutter host window against the stand-in engine in this process: engine and view set-up,
// plug-in registration, when the window shows, the app channel as the scripted Dart side sees it,
// maximising, font changes and the order of teardown.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <outside_plugins/outside_plugins.h>

#include "flutter/dart_project.h"
#include "flutter/plugins/registration_record.h"
#include "shell/flutter_window.h"
#include "tests/support/engine_output.h"
#include "tests/support/message_pump.h"
#include "tests/support/scoped_environment.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using test_support::DrainThreadQueue;
using test_support::OutputRecorder;
using test_support::PumpMessagesUntil;
using test_support::ScopedEnvironment;
using test_support::ScopedScenario;

constexpr auto kLongWait = 60s;  // only reached when something is broken

// The project beside the test program; each test picks its scenario with a ScopedScenario.
flutter::DartProject Project() { return flutter::DartProject(L"data"); }

// Handles every message waiting in this thread's queue: whatever they would do is done then.
void HandleQueuedMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// Records how and when the window is shown.
class ObservedFlutterWindow : public FlutterWindow {
 public:
  using FlutterWindow::controller;
  using FlutterWindow::FlutterWindow;

  bool Show() override {
    ++shows;
    shown_by_timer = timer_running_handler;
    return FlutterWindow::Show();
  }

  int shows = 0;
  int fallback_timer_fires = 0;
  bool shown_by_timer = false;

 protected:
  LRESULT MessageHandler(HWND window, UINT message, WPARAM wparam,
                         LPARAM lparam) noexcept override {
    const bool fallback = message == WM_TIMER && wparam == kShowFallbackTimerId;
    if (fallback) ++fallback_timer_fires;
    timer_running_handler = fallback;
    const LRESULT result = FlutterWindow::MessageHandler(window, message, wparam, lparam);
    timer_running_handler = false;
    return result;
  }

 private:
  bool timer_running_handler = false;
};

constexpr char kIdleScenario[] = "wait 60000\n";

TEST(FlutterWindow, EmbedsTheEngineViewOverItsClientArea) {
  ScopedScenario scenario(kIdleScenario);
  ObservedFlutterWindow window(Project());
  ASSERT_TRUE(window.Create(L"flutter", {10, 10}, {640, 360}));
  ASSERT_NE(window.controller(), nullptr);
  ASSERT_NE(window.controller()->view(), nullptr);
  EXPECT_FALSE(::IsWindowVisible(window.GetHandle())) << "hidden until the first frame";

  HWND view = window.controller()->view()->GetNativeWindow();
  EXPECT_EQ(::GetAncestor(view, GA_PARENT), window.GetHandle());
  RECT view_client{};
  ::GetClientRect(view, &view_client);
  const RECT client = window.GetClientArea();
  EXPECT_EQ(view_client.right, client.right);
  EXPECT_EQ(view_client.bottom, client.bottom);
}

TEST(FlutterWindow, RegistersTheNineOutsidePluginsInOrderWithTheirOwnRegistrars) {
  ScopedScenario scenario(kIdleScenario);
  const size_t before = OutsidePluginsRegistrationCount();
  ObservedFlutterWindow window(Project());
  ASSERT_TRUE(window.Create(L"plugins", {10, 10}, {320, 200}));

  ASSERT_EQ(OutsidePluginsRegistrationCount() - before, 9u);
  std::vector<std::string> names;
  std::vector<FlutterDesktopPluginRegistrarRef> registrars;
  for (size_t i = before; i < before + 9; ++i) {
    names.emplace_back(OutsidePluginsRegistrationName(i));
    registrars.push_back(OutsidePluginsRegistrationRegistrar(i));
  }
  EXPECT_THAT(names,
              ElementsAre("ConnectivityPlusWindowsPlugin", "FileSelectorWindows",
                          "FlutterLocalizationPluginCApi", "FlutterSecureStorageWindowsPlugin",
                          "PermissionHandlerWindowsPlugin", "ScreenRetrieverWindowsPluginCApi",
                          "TrayManagerPlugin", "UrlLauncherWindows", "WindowManagerPlugin"));
  for (size_t i = 0; i < registrars.size(); ++i) {
    EXPECT_NE(registrars[i], nullptr) << names[i];
    // Each one is the engine's registrar for that plug-in's name.
    EXPECT_EQ(registrars[i], window.controller()->engine()->GetRegistrarForPlugin(names[i]))
        << names[i];
  }
}

TEST(FlutterWindow, ShowsAtTheFirstFrameAndStopsTheFallbackTimer) {
  ScopedScenario scenario(kIdleScenario);
  // However long a busy machine takes for the first frame, the frame comes first.
  ObservedFlutterWindow window(Project(), std::chrono::hours(1));
  ASSERT_TRUE(window.Create(L"first frame", {10, 10}, {320, 200}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return ::IsWindowVisible(window.GetHandle()) != FALSE; }, kLongWait));
  EXPECT_EQ(window.shows, 1);
  EXPECT_FALSE(window.shown_by_timer);
  EXPECT_EQ(window.fallback_timer_fires, 0);
  // The timer is gone, so it can never show the window a second time.
  EXPECT_FALSE(::KillTimer(window.GetHandle(), FlutterWindow::kShowFallbackTimerId));
}

TEST(FlutterWindow, ShowsFromTheFallbackTimerWhenNoFrameComes) {
  // The real 2 s delay: a timer message is never early, however busy the machine.
  ScopedEnvironment no_frame(L"FERNHOLD_FLUTTER_NO_FRAME", L"1");
  ScopedScenario scenario(kIdleScenario);
  ObservedFlutterWindow window(Project());
  const auto created = std::chrono::steady_clock::now();
  ASSERT_TRUE(window.Create(L"no frame", {10, 10}, {320, 200}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return ::IsWindowVisible(window.GetHandle()) != FALSE; }, kLongWait));
  const auto waited = std::chrono::steady_clock::now() - created;

  EXPECT_EQ(window.shows, 1);
  EXPECT_TRUE(window.shown_by_timer);
  EXPECT_EQ(window.fallback_timer_fires, 1);
  // A timer message is never early, so the window cannot have been shown before the delay.
  EXPECT_GE(waited, FlutterWindow::kShowFallbackDelay - 50ms);
  EXPECT_FALSE(::KillTimer(window.GetHandle(), FlutterWindow::kShowFallbackTimerId))
      << "the timer must stop once it has shown the window";
}

TEST(FlutterWindow, CreateFailsWhenTheControllerHasNoEngineOrNoView) {
  for (const wchar_t* failure : {L"engine", L"view"}) {
    ScopedEnvironment fail(L"FERNHOLD_FLUTTER_FAIL", failure);
    ScopedScenario scenario(kIdleScenario);
    const size_t plugins_before = OutsidePluginsRegistrationCount();
    ObservedFlutterWindow window(Project());
    EXPECT_FALSE(window.Create(L"fails", {10, 10}, {320, 200}));
    EXPECT_EQ(OutsidePluginsRegistrationCount(), plugins_before)
        << "nothing is registered without an engine and a view";
    HandleQueuedMessages();
    EXPECT_EQ(window.shows, 0);
    EXPECT_FALSE(::IsWindowVisible(window.GetHandle()));
  }
}

TEST(FlutterWindow, RegistersTheCloudPhonePluginChannels) {
  OutputRecorder output;
  ScopedScenario scenario(
      "call fernhold/swplay connect {}\n"
      "wait reply\n"
      "call fernhold/swplay noSuchMethod\n"
      "wait reply\n"
      "echo finished\n"
      "wait 60000\n");
  ObservedFlutterWindow window(Project());
  ASSERT_TRUE(window.Create(L"plug-in", {10, 10}, {320, 200}));
  ASSERT_TRUE(output.WaitFor("[dart] echo finished", kLongWait));
  const std::vector<std::string> replies = output.LinesStartingWith("[dart] reply");
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].rfind("[dart] reply 1 fernhold/swplay connect error \"-1\"", 0), 0u)
      << replies[0];
  EXPECT_EQ(replies[1], "[dart] reply 3 fernhold/swplay noSuchMethod notImplemented");
}

TEST(FlutterWindow, MaximisingFillsTheWorkAreaOfTheMonitor) {
  ScopedScenario scenario(kIdleScenario);
  ObservedFlutterWindow window(Project());
  ASSERT_TRUE(window.Create(L"maximise", {10, 10}, {320, 200}));
  HWND handle = window.GetHandle();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST), &monitor));
  const RECT work = monitor.rcWork;

  // What the window tells the system about maximising.
  MINMAXINFO info{};
  info.ptMaxPosition = {-7, -7};
  info.ptMaxSize = {99999, 99999};
  info.ptMaxTrackSize = {4000, 4000};
  ::SendMessageW(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMaxPosition.x, work.left - monitor.rcMonitor.left);
  EXPECT_EQ(info.ptMaxPosition.y, work.top - monitor.rcMonitor.top);
  EXPECT_EQ(info.ptMaxSize.x, work.right - work.left);
  EXPECT_EQ(info.ptMaxSize.y, work.bottom - work.top);
  EXPECT_EQ(info.ptMaxTrackSize.x, 4000) << "only the maximised placement is changed";

  // And what the system makes of it, once the window has shown itself (its first show is a
  // normal one, which would undo an earlier maximise).
  ASSERT_TRUE(PumpMessagesUntil([&] { return ::IsWindowVisible(handle) != FALSE; }, kLongWait));
  ::ShowWindow(handle, SW_MAXIMIZE);
  ASSERT_TRUE(PumpMessagesUntil([&] { return ::IsZoomed(handle) != FALSE; }, kLongWait));
  RECT rect{};
  ::GetWindowRect(handle, &rect);
  EXPECT_EQ(rect.left, work.left);
  EXPECT_EQ(rect.top, work.top);
  EXPECT_EQ(rect.right, work.right);
  EXPECT_EQ(rect.bottom, work.bottom);
}

TEST(FlutterWindow, FontChangeMakesTheEngineReloadFonts) {
  OutputRecorder output;
  ScopedScenario scenario(kIdleScenario);
  ObservedFlutterWindow window(Project());
  ASSERT_TRUE(window.Create(L"fonts", {10, 10}, {320, 200}));
  EXPECT_EQ(output.CountContaining("system fonts reloaded"), 0u);
  ::SendMessageW(window.GetHandle(), WM_FONTCHANGE, 0, 0);
  EXPECT_TRUE(output.WaitFor("[engine] system fonts reloaded", kLongWait));
}

TEST(FlutterWindow, ClosingReleasesTheAppChannelBeforeTheEngineAndQuits) {
  ScopedScenario scenario(kIdleScenario);
  ObservedFlutterWindow window(Project());
  ASSERT_TRUE(window.Create(L"teardown", {10, 10}, {320, 200}));
  window.SetQuitWhenClosed(true);
  DrainThreadQueue();
  HWND view = window.controller()->view()->GetNativeWindow();

  // Stand in for the app channel's handler with one that notes whether the engine still existed
  // when the handler was let go of.
  struct ReleaseProbe {
    ObservedFlutterWindow* window;
    int* released;
    bool* engine_alive_at_release;
    ~ReleaseProbe() {
      ++*released;
      *engine_alive_at_release = window->controller() != nullptr;
    }
  };
  int released = 0;
  bool engine_alive_at_release = false;
  std::shared_ptr<ReleaseProbe> probe(new ReleaseProbe{&window, &released, &engine_alive_at_release});
  window.controller()->engine()->messenger()->SetMessageHandler(
      "fernhold/app", [probe](const uint8_t*, size_t, flutter::BinaryReply reply) { reply(nullptr, 0); });
  probe.reset();
  ASSERT_EQ(released, 0);

  ::SendMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(released, 1);
  EXPECT_TRUE(engine_alive_at_release) << "the app channel must let go before the engine goes";
  EXPECT_EQ(window.controller(), nullptr);
  EXPECT_FALSE(::IsWindow(view));
  EXPECT_EQ(window.GetHandle(), nullptr);
  MSG quit;
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(FlutterWindow, DartSideCloseRequestQuitsWhenQuitOnCloseIsSet) {
  ScopedScenario scenario("wait 100\nclose\nwait 60000\n");
  ObservedFlutterWindow window(Project());
  ASSERT_TRUE(window.Create(L"close", {10, 10}, {320, 200}));
  window.SetQuitWhenClosed(true);
  bool quit = false;
  MSG message;
  const auto deadline = std::chrono::steady_clock::now() + kLongWait;
  while (!quit && std::chrono::steady_clock::now() < deadline) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        break;
      }
      ::DispatchMessageW(&message);
    }
  }
  EXPECT_TRUE(quit);
  EXPECT_EQ(window.GetHandle(), nullptr);
  EXPECT_EQ(window.controller(), nullptr);
}

}  // namespace
