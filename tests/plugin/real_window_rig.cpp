#include "tests/plugin/real_window_rig.h"

#include <utility>

#include "phone_window/window_thread_pool.h"
#include "shell/main_thread.h"

namespace plugintest {

struct RealWindowEnvironment::Threads {
  MainThread main;  // the UI library and the streaming runtime, as the program has them
};

RealWindowEnvironment::RealWindowEnvironment() = default;
RealWindowEnvironment::~RealWindowEnvironment() = default;

void RealWindowEnvironment::SetUp() {
  threads_ = std::make_unique<Threads>();
  threads_->main.StartWithLoop(nbase::MessageLoopType::kUI);
}

void RealWindowEnvironment::TearDown() {
  // As the program exits: the window threads end before the UI library they paint with.
  ShutdownWindowThreads();
  threads_->main.Stop();
  threads_.reset();
}

RealWindowRig::RealWindowRig(ZuvorIvadoManager::MicFactory micFactory) {
  ZuvorIvadoManager::Options options;
  options.windowFactory = &windows;
  options.micFactory = std::move(micFactory);
  manager = std::make_unique<ZuvorIvadoManager>(std::move(options));
  manager->Register(&messenger, &textures);
  messenger.Listen();
}

RealWindowRig::~RealWindowRig() {
  manager.reset();
  EXPECT_TRUE(WaitForPhoneWindowsAtMost(0));
  EXPECT_TRUE(WaitForPluginThreads(std::chrono::seconds(60)));
}

Reply RealWindowRig::OpenWindow(const std::string& pad, const std::string& token, int themeMode) {
  return messenger.CallSwplay("switchPlayMode", Args({{"padCode", EncodableValue(pad)},
                                                      {"name", EncodableValue(pad)},
                                                      {"serverToken", EncodableValue(token)},
                                                      {"mode", EncodableValue(1)},
                                                      {"themeMode", EncodableValue(themeMode)}}));
}

size_t RealWindowRig::CountEvents(const std::string& pad, const std::string& name) const {
  size_t n = 0;
  for (const auto& e : messenger.EventNames(pad)) n += e == name;
  return n;
}

bool RealWindowRig::WaitEvents(const std::string& pad, const std::string& name, size_t count,
                               std::chrono::milliseconds timeout) {
  return PumpUntil([&] { return CountEvents(pad, name) >= count; }, timeout);
}

std::set<HWND> PhoneWindows() {
  struct Search {
    DWORD process;
    std::set<HWND> found;
  } search{GetCurrentProcessId(), {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (process == s->process && std::wstring(name) == kPhoneWindowClassName) {
          s->found.insert(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WaitForPhoneWindowsAtMost(size_t count, std::chrono::milliseconds timeout) {
  return PumpUntil([&] { return PhoneWindows().size() <= count; }, timeout);
}

}  // namespace plugintest
