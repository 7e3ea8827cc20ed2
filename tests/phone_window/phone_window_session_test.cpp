// The pop-out window with a real session: the plug-in's manager opens it through the window
// factory for "switchPlayMode" 1, and real clicks and keys in the window reach the simulated phone
// (its call log) and the Dart side (events). On a display of its own (Xvfb).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "phone_window/phone_window_factory.h"
#include "phone_window/window_thread_pool.h"
#include "phone_window/zuvor_ivado_window.h"
#include "plugin/zuvor_ivado_manager.h"
#include "tests/phone_window/phone_window_test_support.h"
#include "tests/plugin/plugin_test_support.h"

namespace {

using plugintest::CountCalls;
using plugintest::EncodableMap;
using plugintest::EncodableValue;
using plugintest::SdkCalls;

// The production factory, remembering the last window it made.
class RecordingFactory : public PhoneWindowFactory {
 public:
  PhoneWindow* OpenPhoneWindow(int themeMode, const std::string& titleUtf8,
                               PhoneWindowCallbacks callbacks) override {
    PhoneWindow* window = factory_.OpenPhoneWindow(themeMode, titleUtf8, std::move(callbacks));
    last.store(dynamic_cast<ZuvorIvadoWindow*>(window));
    return window;
  }
  std::atomic<ZuvorIvadoWindow*> last{nullptr};

 private:
  ZuvorIvadoWindowFactory factory_;
};

class PhoneWindowSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    phonetest::StartUiOnce();
    ZuvorIvadoManager::Options options;
    options.windowFactory = &factory_;
    manager_ = std::make_unique<ZuvorIvadoManager>(std::move(options));
    manager_->Register(&messenger_, nullptr);
    messenger_.Listen();
  }
  void TearDown() override {
    manager_.reset();
    plugintest::WaitForPluginThreads();
  }

  // "switchPlayMode" 1 for `pad`, waiting for the window and "connected".
  ZuvorIvadoWindow* OpenWindow(const std::string& pad, const std::string& token) {
    EncodableMap args{{EncodableValue("padCode"), EncodableValue(pad)},
                      {EncodableValue("mode"), EncodableValue(int32_t(1))},
                      {EncodableValue("themeMode"), EncodableValue(int32_t(1))},
                      {EncodableValue("serverToken"), EncodableValue(token)}};
    EXPECT_EQ(messenger_.CallSwplay("switchPlayMode", EncodableValue(args)).kind,
              plugintest::Reply::Kind::kSuccess);
    EXPECT_TRUE(WaitEvents(pad, "connected"));
    return factory_.last.load();
  }
  bool WaitEvents(const std::string& pad, const std::string& name, size_t count = 1) {
    return plugintest::PumpUntil([&] {
      size_t n = 0;
      for (const auto& e : messenger_.EventNames(pad)) n += e == name;
      return n >= count;
    });
  }
  // Pumps this (the platform) thread until the phone's log holds `count` lines starting `call`.
  bool WaitCalls(const std::string& token, const std::string& call, size_t count = 1) {
    return plugintest::PumpUntil([&] { return CountCalls(SdkCalls(token), call) >= count; });
  }
  // Waits until the phone's player renders into `display` (bound by setDisplay or
  // changeDisplay).
  bool WaitBound(const std::string& token, VideoDisplay* display) {
    const std::string id = "Display(D" + std::to_string(swsim_display_id(display)) + ")";
    return plugintest::PumpUntil([&] {
      for (const std::string& call : SdkCalls(token)) {
        if (call == "set" + id || call == "change" + id) return true;
      }
      return false;
    });
  }

  RecordingFactory factory_;
  plugintest::FakeMessenger messenger_;
  std::unique_ptr<ZuvorIvadoManager> manager_;
};

TEST_F(PhoneWindowSessionTest, ClicksAndKeysInTheWindowReachThePhone) {
  const std::string token = plugintest::Token("connect=0;fps=30");
  ZuvorIvadoWindow* window = OpenWindow("p1", token);
  ASSERT_NE(window, nullptr);
  // The session renders into the window's video control.
  EXPECT_TRUE(WaitBound(token, window->GetVideoDisplay()));

  const struct {
    const wchar_t* button;
    int code;
  } keys[] = {{L"btn_back", 158},      {L"btn_home", 172},        {L"btn_menu", 139},
              {L"btn_volume_up", 115}, {L"btn_volume_down", 114}, {L"btn_restart", 356}};
  for (const auto& key : keys) {
    phonetest::ClickControl(window, key.button);
    EXPECT_TRUE(WaitCalls(token, "sendKeyEvent(3, " + std::to_string(key.code) + ")"))
        << key.code;
  }
  phonetest::ClickControl(window, L"btn_screenshot");
  EXPECT_TRUE(WaitEvents("p1", "screenshot"));
  phonetest::ClickControl(window, L"btn_quality");
  EXPECT_TRUE(WaitCalls(token, "setVideoLevel(1)"));

  // A click on the video is a touch on the phone; it also gives the window the keyboard.
  phonetest::ClickCentre(phonetest::ScreenRectOf(window, L"video_view"));
  EXPECT_TRUE(WaitCalls(token, "onTouchEvent(1, 1"));
  ASSERT_TRUE(plugintest::PumpUntil([&] { return ::GetForegroundWindow() == window->GetHandle(); }));
  phonetest::PressKey('A');
  EXPECT_TRUE(WaitCalls(token, "sendInputString(\"a"));
  phonetest::PressKey(VK_RETURN);
  EXPECT_TRUE(WaitCalls(token, "sendKeyEvent(3, 28)"));

  // The window's close button: the Dart side hears of it, and the stream stops and lets go of
  // the video control before the window goes.
  const int dangling = swsim_dangling_display_count();
  HWND hwnd = window->GetHandle();
  phonetest::ClickControl(window, L"closebtn");
  EXPECT_TRUE(WaitEvents("p1", "windowClosed"));
  EXPECT_TRUE(plugintest::PumpUntil([&] { return !::IsWindow(hwnd); }));
  const auto calls = SdkCalls(token);
  EXPECT_EQ(CountCalls(calls, "setDisplay(null)"), 1u);
  EXPECT_EQ(CountCalls(calls, "screenCast(0)"), 1u);
  EXPECT_EQ(swsim_dangling_display_count(), dangling);
  EXPECT_FALSE(manager_->FindInstance("p1")->HasWindow());
}

TEST_F(PhoneWindowSessionTest, AThemeSwitchReplacesTheWindowWhereItWas) {
  const std::string token = plugintest::Token("connect=0;fps=30");
  ZuvorIvadoWindow* light = OpenWindow("p2", token);
  ASSERT_NE(light, nullptr);
  EXPECT_TRUE(light->IsLightTheme());
  HWND first = light->GetHandle();
  RECT before = {};
  ::GetWindowRect(first, &before);

  EncodableMap args{{EncodableValue("themeMode"), EncodableValue(int32_t(2))}};
  EXPECT_EQ(messenger_.CallSwplay("setThemeMode", EncodableValue(args)).kind,
            plugintest::Reply::Kind::kSuccess);
  ASSERT_TRUE(plugintest::PumpUntil([&] { return !::IsWindow(first); }));
  ZuvorIvadoWindow* dark = factory_.last.load();
  ASSERT_NE(dark->GetHandle(), first);
  EXPECT_FALSE(dark->IsLightTheme());
  RECT after = {};
  EXPECT_TRUE(plugintest::PumpUntil([&] {
    ::GetWindowRect(dark->GetHandle(), &after);
    return after.left == before.left && after.top == before.top;
  }));
  // The old window's close stopped nothing: the phone plays on in the new one.
  EXPECT_TRUE(WaitBound(token, dark->GetVideoDisplay()));
  EXPECT_EQ(CountCalls(SdkCalls(token), "screenCast(0)"), 0u);
  EXPECT_TRUE(manager_->FindInstance("p2")->HasWindow());
}

}  // namespace
