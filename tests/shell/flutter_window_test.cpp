// The Flutter host window against the stand-in engine in this process: engine and view set-up,
// plug-in registration, when the window shows, the app channel as the scripted Dart side sees it,
// maximising, font changes and the order of teardown.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "flutter/dart_project.h"
#include "flutter/flutter_windows_testing.h"
#include "flutter/plugins/outside_plugins.h"
#include "flutter/plugins/registration_record.h"
#include "shell/flutter_window.h"
#include "tests/shell/test_support.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

// A project folder of its own with the given scenario, removed afterwards.
class ScenarioProject {
 public:
  explicit ScenarioProject(const std::string& scenario) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"fernhold-shell-test-" +
              std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    ::CreateDirectoryW((folder_ + L"\\flutter_assets").c_str(), nullptr);
    std::ofstream(std::filesystem::path(folder_ + L"\\flutter_assets\\scenario.txt"), std::ios::binary) << scenario;
  }
  ~ScenarioProject() {
    ::DeleteFileW((folder_ + L"\\flutter_assets\\scenario.txt").c_str());
    ::RemoveDirectoryW((folder_ + L"\\flutter_assets").c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }
  flutter::DartProject project() const { return flutter::DartProject(folder_); }

 private:
  std::wstring folder_;
};

// Collects the engine's output lines (written on the engine's threads).
class OutputLines {
 public:
  OutputLines() { FlutterDesktopSetOutputCallbackForTesting(&OutputLines::Receive, this); }
  ~OutputLines() { FlutterDesktopSetOutputCallbackForTesting(nullptr, nullptr); }

  bool Contains(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& line : lines_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  std::vector<std::string> Matching(const std::string& prefix) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> found;
    for (const std::string& line : lines_) {
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
  }
  // Pumps the calling thread's messages (the engine delivers there) until a line holds `text`.
  bool WaitFor(const std::string& text, std::chrono::milliseconds timeout = 10s) {
    return PumpMessagesUntil([&] { return Contains(text); }, timeout);
  }

 private:
  static void Receive(const char* line, void* user_data) {
    auto* self = static_cast<OutputLines*>(user_data);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->lines_.emplace_back(line);
  }
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
    ::SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, nullptr); }

 private:
  const wchar_t* name_;
};

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
  ScenarioProject data(kIdleScenario);
  ObservedFlutterWindow window(data.project());
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
  ScenarioProject data(kIdleScenario);
  const size_t before = OutsidePluginsRegistrationCount();
  ObservedFlutterWindow window(data.project());
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
  ScenarioProject data(kIdleScenario);
  ObservedFlutterWindow window(data.project());
  ASSERT_TRUE(window.Create(L"first frame", {10, 10}, {320, 200}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return ::IsWindowVisible(window.GetHandle()) != FALSE; }, 10s));
  EXPECT_EQ(window.shows, 1);
  EXPECT_FALSE(window.shown_by_timer);
  EXPECT_EQ(window.fallback_timer_fires, 0);
  // The timer is gone, so it can never show the window a second time.
  EXPECT_FALSE(::KillTimer(window.GetHandle(), FlutterWindow::kShowFallbackTimerId));
}

TEST(FlutterWindow, ShowsFromTheFallbackTimerWhenNoFrameComes) {
  ScopedEnvironment no_frame(L"FERNHOLD_FLUTTER_NO_FRAME", L"1");
  ScenarioProject data(kIdleScenario);
  ObservedFlutterWindow window(data.project());
  const auto created = std::chrono::steady_clock::now();
  ASSERT_TRUE(window.Create(L"no frame", {10, 10}, {320, 200}));
  ASSERT_TRUE(PumpMessagesUntil([&] { return ::IsWindowVisible(window.GetHandle()) != FALSE; }, 10s));
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
    ScenarioProject data(kIdleScenario);
    const size_t plugins_before = OutsidePluginsRegistrationCount();
    ObservedFlutterWindow window(data.project());
    EXPECT_FALSE(window.Create(L"fails", {10, 10}, {320, 200}));
    EXPECT_EQ(OutsidePluginsRegistrationCount(), plugins_before)
        << "nothing is registered without an engine and a view";
    PumpMessagesFor(50ms);
    EXPECT_EQ(window.shows, 0);
    EXPECT_FALSE(::IsWindowVisible(window.GetHandle()));
  }
}

TEST(FlutterWindow, RegistersTheCloudPhonePluginChannels) {
  OutputLines output;
  ScenarioProject data(
      "call fernhold/swplay connect {}\n"
      "wait reply\n"
      "call fernhold/swplay noSuchMethod\n"
      "wait reply\n"
      "echo finished\n"
      "wait 60000\n");
  ObservedFlutterWindow window(data.project());
  ASSERT_TRUE(window.Create(L"plug-in", {10, 10}, {320, 200}));
  ASSERT_TRUE(output.WaitFor("[dart] echo finished"));
  const std::vector<std::string> replies = output.Matching("[dart] reply");
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].rfind("[dart] reply 1 fernhold/swplay connect error \"-1\"", 0), 0u)
      << replies[0];
  EXPECT_EQ(replies[1], "[dart] reply 3 fernhold/swplay noSuchMethod notImplemented");
}

TEST(FlutterWindow, MaximisingFillsTheWorkAreaOfTheMonitor) {
  ScenarioProject data(kIdleScenario);
  ObservedFlutterWindow window(data.project());
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

  // And what the system makes of it.
  ::ShowWindow(handle, SW_MAXIMIZE);
  PumpMessagesUntil([&] { return ::IsZoomed(handle) != FALSE; }, 5s);
  RECT rect{};
  ::GetWindowRect(handle, &rect);
  EXPECT_EQ(rect.left, work.left);
  EXPECT_EQ(rect.top, work.top);
  EXPECT_EQ(rect.right, work.right);
  EXPECT_EQ(rect.bottom, work.bottom);
}

TEST(FlutterWindow, FontChangeMakesTheEngineReloadFonts) {
  OutputLines output;
  ScenarioProject data(kIdleScenario);
  ObservedFlutterWindow window(data.project());
  ASSERT_TRUE(window.Create(L"fonts", {10, 10}, {320, 200}));
  EXPECT_FALSE(output.Contains("system fonts reloaded"));
  ::SendMessageW(window.GetHandle(), WM_FONTCHANGE, 0, 0);
  EXPECT_TRUE(output.WaitFor("system fonts reloaded", 5s));
}

TEST(FlutterWindow, ClosingReleasesTheAppChannelBeforeTheEngineAndQuits) {
  ScenarioProject data(kIdleScenario);
  ObservedFlutterWindow window(data.project());
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
  ScenarioProject data("wait 100\nclose\nwait 60000\n");
  ObservedFlutterWindow window(data.project());
  ASSERT_TRUE(window.Create(L"close", {10, 10}, {320, 200}));
  window.SetQuitWhenClosed(true);
  bool quit = false;
  MSG message;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
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
