// A plug-in whose sessions open real pop-out phone windows, as the program's do.
//
// RealWindowEnvironment brings the UI library and the streaming library's runtime up the way the
// program does (MainThread, with the program's resources beside the test) and, at the end, shuts
// the window thread pool down before the UI library, as the program exits. The pool never starts
// again once shut down, so a test program has one environment:
//
//   const auto* env = ::testing::AddGlobalTestEnvironment(new plugintest::RealWindowEnvironment);
//
// RealWindowRig is a registered manager with ZuvorIvadoWindowFactory on the test thread, which
// plays the engine's platform thread (it pumps while it waits). Its sessions run on real time.
#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "phone_window/phone_window_factory.h"
#include "tests/plugin/plugin_test_support.h"

namespace plugintest {

class RealWindowEnvironment : public ::testing::Environment {
 public:
  RealWindowEnvironment();
  ~RealWindowEnvironment() override;
  void SetUp() override;
  void TearDown() override;

 private:
  struct Threads;
  std::unique_ptr<Threads> threads_;
};

struct RealWindowRig {
  // `micFactory` empty: the PC's default microphone.
  explicit RealWindowRig(ZuvorIvadoManager::MicFactory micFactory = {});
  // Destroys the manager (its windows are asked to close) and waits until every pop-out window of
  // the process is gone.
  ~RealWindowRig();

  // "switchPlayMode" to a pop-out window for `pad`, made with `token`; its reply.
  Reply OpenWindow(const std::string& pad, const std::string& token, int themeMode = 2);
  // Waits (pumping) until `count` events named `name` arrived for `pad`.
  bool WaitEvents(const std::string& pad, const std::string& name, size_t count = 1,
                  std::chrono::milliseconds timeout = std::chrono::seconds(60));
  size_t CountEvents(const std::string& pad, const std::string& name) const;

  FakeMessenger messenger;
  FakeTextureRegistrar textures;
  ZuvorIvadoWindowFactory windows;
  std::unique_ptr<ZuvorIvadoManager> manager;
};

// The pop-out phone windows of this process that exist now.
std::set<HWND> PhoneWindows();
// Waits (pumping) until at most `count` pop-out windows exist.
bool WaitForPhoneWindowsAtMost(size_t count,
                               std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace plugintest
