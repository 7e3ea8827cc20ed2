// Robustness with real pop-out windows: two hundred windows open, play and close across the four
// window threads while their phones connect and drop, and the plug-in's methods drive them
// meanwhile. Nothing may crash or hang, and once a round has ended the process holds no more
// handles or private memory than after the warm-up (within 5 %). And no method of the plug-in
// waits for a window thread: they all return while every window thread is busy.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "base/thread/thread_registry.h"
#include "phone_window/window_thread_pool.h"
#include "tests/plugin/real_window_rig.h"

using namespace plugintest;

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new RealWindowEnvironment);

struct Usage {
  DWORD handles = 0;
  SIZE_T privateBytes = 0;
  SIZE_T heapInUse = 0;  // bytes of the process's heaps that are allocated
  SIZE_T heapFree = 0;   // committed bytes of the process's heaps that are free for reuse
};

// Handles and private bytes as the system reports them; counted by hand where it reports none
// (Wine leaves both at 0): the valid handle values, and the committed private pages.
DWORD CountHandles() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
  DWORD flags = 0;
  for (uintptr_t value = 4; value < 4 * 65536; value += 4) {
    count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
  }
  return count;
}

SIZE_T CountPrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (GetProcessMemoryInfo(GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters)) &&
      counters.PrivateUsage > 0) {
    return counters.PrivateUsage;
  }
  SIZE_T bytes = 0;
  MEMORY_BASIC_INFORMATION info{};
  for (const char* at = nullptr; VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
       at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) bytes += info.RegionSize;
  }
  return bytes;
}

// The process's heaps: bytes allocated, and bytes committed but free.
void CountHeapBytes(SIZE_T* inUse, SIZE_T* free) {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  *inUse = 0;
  *free = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
        *inUse += entry.cbData;
      } else if (!(entry.wFlags & (PROCESS_HEAP_REGION | PROCESS_HEAP_UNCOMMITTED_RANGE))) {
        *free += entry.cbData;
      }
    }
    HeapUnlock(heap);
  }
}

Usage MeasureUsage() {
  Usage usage{CountHandles(), CountPrivateBytes()};
  CountHeapBytes(&usage.heapInUse, &usage.heapFree);
  return usage;
}

// Within 5 % of `base`.
bool Within5Percent(SIZE_T value, SIZE_T base) { return value <= base + base / 20; }

EncodableValue PadArgs(const std::string& pad) { return Args({{"padCode", EncodableValue(pad)}}); }

constexpr int kRounds = 8;
constexpr int kWindowsPerRound = 20;
constexpr int kWarmUpRounds = 4;

TEST(PluginWindowRobustness, TwoHundredWindowsComeAndGoWithoutLeaksOrHangs) {
  RealWindowRig rig;
  std::set<DWORD> windowThreads;
  int opened = 0;
  Usage warm;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<std::string> pads;
    std::vector<bool> drops;
    for (int i = 0; i < kWindowsPerRound; ++i) {
      const std::string pad = "r" + std::to_string(round) + "p" + std::to_string(i);
      // Phones connect after 0 to 45 ms; every third drops once 100 ms after connecting and is
      // reconnected by its session.
      const bool drop = i % 3 == 0;
      std::string script = "connect=" + std::to_string((i * 17) % 50) + ";fps=30";
      if (drop) script += ";drop=100:9:1";
      const Reply reply = rig.OpenWindow(pad, Token(script), i % 2 ? 1 : 2);
      ASSERT_EQ(reply.kind, Reply::Kind::kSuccess) << pad << " " << reply.message;
      pads.push_back(pad);
      drops.push_back(drop);
      ++opened;
    }
    for (HWND window : PhoneWindows()) windowThreads.insert(GetWindowThreadProcessId(window, nullptr));
    for (size_t i = 0; i < pads.size(); ++i) {
      ASSERT_TRUE(rig.WaitEvents(pads[i], "connected", drops[i] ? 2 : 1)) << pads[i];
    }
    // The methods that reach the windows, while they play.
    rig.messenger.CallSwplay("tileWindows");
    rig.messenger.CallSwplay("focusWindow", PadArgs(pads[1]));
    rig.messenger.CallSwplay("setRotation", Args({{"padCode", EncodableValue(pads[2])},
                                                  {"rotation", EncodableValue(2)}}));
    rig.messenger.CallSwplay("setVideoQuality", Args({{"padCode", EncodableValue(pads[3])},
                                                      {"level", EncodableValue(3)}}));
    if (round % 2 == 1) {
      // Replaces every window by one of the other theme.
      rig.messenger.CallSwplay("setThemeMode",
                               Args({{"themeMode", EncodableValue(round % 2 ? 1 : 2)}}));
      opened += kWindowsPerRound;
    }
    // Half the windows are closed by the user, the other half go with their disconnected phone.
    for (int i = 0; i < kWindowsPerRound; i += 2) {
      auto session = rig.manager->FindInstance(pads[i]);
      ASSERT_TRUE(session);
      const HWND window = SessionPeer::WindowHandle(*session);
      ASSERT_TRUE(window) << pads[i];
      ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0)) << pads[i] << " " << GetLastError();
    }
    for (int i = 0; i < kWindowsPerRound; i += 2) {
      ASSERT_TRUE(rig.WaitEvents(pads[i], "windowClosed")) << pads[i];
    }
    for (const std::string& pad : pads) rig.messenger.CallSwplay("disconnect", PadArgs(pad));
    ASSERT_TRUE(WaitForPhoneWindowsAtMost(0));
    ASSERT_TRUE(WaitForPluginThreads(std::chrono::seconds(60)));
    PumpPending();
    if (round == kWarmUpRounds - 1) warm = MeasureUsage();
  }
  const Usage end = MeasureUsage();
  std::printf(
      "windows opened %d on %zu threads; after the warm-up and at the end: handles %lu -> %lu, "
      "private bytes %zu -> %zu, heap bytes in use %zu -> %zu, free %zu -> %zu\n",
      opened, windowThreads.size(), warm.handles, end.handles, warm.privateBytes,
      end.privateBytes, warm.heapInUse, end.heapInUse, warm.heapFree, end.heapFree);
  EXPECT_GE(opened, 200);
  EXPECT_EQ(windowThreads.size(), 4u);
  ASSERT_GT(warm.handles, 0u);
  ASSERT_GT(warm.privateBytes, 0u);
  EXPECT_TRUE(Within5Percent(end.handles, warm.handles));
  // A heap keeps the pages it grew by at a busy moment (frames in flight while the machine
  // stalls) as free blocks for reuse; those hold nothing, so they are not counted as held.
  EXPECT_TRUE(Within5Percent(end.privateBytes - end.heapFree, warm.privateBytes - warm.heapFree));
  // The heap bytes in use are printed, not checked: the test's own fakes (the messenger's record
  // of every event, the simulated library's call log of every phone) grow with every window.
}

// Holds every window thread in a task of its own until Release (or a long deadline), as a window
// callback waiting for a busy session would.
class WindowThreadsHeld {
 public:
  WindowThreadsHeld() {
    for (int id = kFirstWindowThreadId; id < kFirstWindowThreadId + kWindowThreadCount; ++id) {
      nbase::ThreadRegistry::PostTask(id, [this] {
        std::unique_lock<std::mutex> lock(mutex_);
        ++held_;
        changed_.notify_all();
        if (!changed_.wait_for(lock, std::chrono::seconds(60), [this] { return released_; })) {
          timedOut_ = true;
        }
      });
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(60), [this] { return held_ == kWindowThreadCount; });
  }
  ~WindowThreadsHeld() { Release(); }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  // False when a call waited for a window thread until the deadline let it go.
  bool ReleasedInTime() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !timedOut_;
  }
  int held() {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int held_ = 0;
  bool released_ = false;
  bool timedOut_ = false;
};

TEST(PluginWindowRobustness, WindowMethodsNeverWaitForABusyWindowThread) {
  RealWindowRig rig;
  std::vector<std::string> pads;
  for (int i = 0; i < kWindowThreadCount; ++i) {
    pads.push_back("busy" + std::to_string(i));
    ASSERT_EQ(rig.OpenWindow(pads.back(), Token("connect=0;fps=30")).kind, Reply::Kind::kSuccess);
    ASSERT_TRUE(rig.WaitEvents(pads.back(), "connected"));
  }
  {
    // Every window thread is stuck; the platform thread drives the windows meanwhile. A call
    // that waited for a window thread would hold this thread until the deadline.
    WindowThreadsHeld held;
    ASSERT_EQ(held.held(), kWindowThreadCount);
    rig.messenger.CallSwplay("focusWindow", PadArgs(pads[0]));
    rig.messenger.CallSwplay("tileWindows");
    rig.messenger.CallSwplay("setRotation", Args({{"padCode", EncodableValue(pads[1])},
                                                  {"rotation", EncodableValue(2)}}));
    rig.messenger.CallSwplay("setVideoQuality", Args({{"padCode", EncodableValue(pads[2])},
                                                      {"level", EncodableValue(2)}}));
    rig.messenger.CallSwplay("setScreenCast", PadArgs(pads[2]));
    rig.messenger.CallSwplay("setVoiceEnabled", Args({{"enabled", EncodableValue(false)}}));
    // A second switch to the window brings it forward.
    rig.messenger.CallSwplay("switchPlayMode", Args({{"padCode", EncodableValue(pads[3])},
                                                     {"mode", EncodableValue(1)}}));
    rig.messenger.CallSwplay("stopPlay", PadArgs(pads[1]));
    rig.messenger.CallSwplay("disconnect", PadArgs(pads[0]));
    EXPECT_TRUE(held.ReleasedInTime());
  }
  // Once the threads run again, the disconnected phone's window closes.
  ASSERT_TRUE(WaitForPhoneWindowsAtMost(kWindowThreadCount - 1));
}

}  // namespace
