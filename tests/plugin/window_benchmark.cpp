// Pop-out windows playing: 4, 8 and 16 real windows, each showing a simulated phone at 30 frames
// a second through the plug-in, as the program runs them. Prints, per count, the process's CPU
// time per window, the window threads' CPU time per window, the paints per second of each window
// and the window threads' CPU time per paint (the cost of painting one frame, with the message
// handling around it).
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "phone_window/phone_window_factory.h"
#include "phone_window/window_thread_pool.h"
#include "shell/main_thread.h"
#include "tests/plugin/plugin_test_support.h"
#include "tests/plugin/real_window_rig.h"

using namespace plugintest;

namespace {

constexpr auto kMeasure = std::chrono::seconds(5);

std::atomic<long> g_paints{0};

// Counts the paint messages the window threads take from their queues.
LRESULT CALLBACK CountPaints(int code, WPARAM wparam, LPARAM lparam) {
  const MSG* message = reinterpret_cast<const MSG*>(lparam);
  if (code == HC_ACTION && wparam == PM_REMOVE && message->message == WM_PAINT) ++g_paints;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

double Seconds(const FILETIME& kernel, const FILETIME& user) {
  auto ticks = [](const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
}

double ProcessCpu() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return Seconds(kernel, user);
}

double ThreadsCpu(const std::vector<HANDLE>& threads) {
  double total = 0;
  for (HANDLE thread : threads) {
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) total += Seconds(kernel, user);
  }
  return total;
}

void Run(int count) {
  FakeMessenger messenger;
  FakeTextureRegistrar textures;
  ZuvorIvadoWindowFactory windows;
  ZuvorIvadoManager::Options options;
  options.windowFactory = &windows;
  auto manager = std::make_unique<ZuvorIvadoManager>(std::move(options));
  manager->Register(&messenger, &textures);
  messenger.Listen();

  std::vector<std::string> pads;
  for (int i = 0; i < count; ++i) {
    const std::string pad = "bench" + std::to_string(count) + "-" + std::to_string(i);
    messenger.CallSwplay("switchPlayMode",
                         Args({{"padCode", EncodableValue(pad)},
                               {"serverToken", EncodableValue(Token("connect=0;fps=30"))},
                               {"mode", EncodableValue(1)}}));
    pads.push_back(pad);
  }
  const bool up = PumpUntil([&] {
    for (const auto& pad : pads) {
      if (messenger.EventNames(pad).empty()) return false;
    }
    return true;
  });
  const std::set<HWND> shown = PhoneWindows();
  std::map<DWORD, HANDLE> threads;
  std::vector<HHOOK> hooks;
  for (HWND window : shown) {
    const DWORD id = GetWindowThreadProcessId(window, nullptr);
    if (threads.count(id)) continue;
    threads[id] = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
    hooks.push_back(SetWindowsHookExW(WH_GETMESSAGE, CountPaints, nullptr, id));
  }
  std::vector<HANDLE> threadHandles;
  for (auto& entry : threads) threadHandles.push_back(entry.second);

  // Settle, then measure while this thread keeps pumping as the platform thread does.
  PumpUntil([] { return false; }, std::chrono::seconds(1));
  const double cpu0 = ProcessCpu(), threads0 = ThreadsCpu(threadHandles);
  const long paints0 = g_paints.load();
  const auto start = std::chrono::steady_clock::now();
  PumpUntil([] { return false; }, kMeasure);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = ProcessCpu() - cpu0, windowCpu = ThreadsCpu(threadHandles) - threads0;
  const long paints = g_paints.load() - paints0;

  std::printf(
      "%2d windows (%zu shown, %zu threads%s): process CPU %.1f %% of a core per window; window "
      "threads %.1f %% per window; %.1f paints/s per window; %.2f ms window-thread CPU per paint\n",
      count, shown.size(), threads.size(), up ? "" : ", NOT ALL CONNECTED",
      100.0 * cpu / wall / count, 100.0 * windowCpu / wall / count, paints / wall / count,
      paints > 0 ? 1000.0 * windowCpu / paints : 0.0);
  std::fflush(stdout);

  for (HHOOK hook : hooks) UnhookWindowsHookEx(hook);
  for (HANDLE thread : threadHandles) CloseHandle(thread);
  for (const auto& pad : pads) {
    messenger.CallSwplay("disconnect", Args({{"padCode", EncodableValue(pad)}}));
  }
  manager.reset();
  WaitForPhoneWindowsAtMost(0);
  WaitForPluginThreads(std::chrono::seconds(60));
}

}  // namespace

int main() {
  MainThread mainThread;  // the UI library and the streaming runtime, as the program has them
  mainThread.StartWithLoop(nbase::MessageLoopType::kUI);
  const double idle0 = ProcessCpu();
  PumpUntil([] { return false; }, std::chrono::seconds(1));
  std::printf("pop-out windows at 30 fps; idle process before: %.1f %% of a core\n",
              100.0 * (ProcessCpu() - idle0));
  for (int count : {4, 8, 16}) Run(count);
  ShutdownWindowThreads();
  mainThread.Stop();
  return 0;
}
