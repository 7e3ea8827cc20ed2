// Skinned windows over and over: 200 layered windows with a shadow opened, painted and closed
// give back their handles and memory, and mutated skins (byte flips, truncations, insertions,
// deletions of a realistic skin) go through real windows: each one builds and paints, or fails
// its creation with one report, and nothing crashes.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "tests/ui/skin_mutations.h"
#include "tests/ui/skin_window_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/core/global_manager.h"
#include "ui/core/string_helper.h"

namespace {

using uitest::SkinWindow;

constexpr DWORD kWaitMs = 20000;

struct ProcessUse {
  DWORD handles = 0;
  DWORD windows = 0;
  SIZE_T privateBytes = 0;
};

// The process's open kernel handles. Where GetProcessHandleCount counts none (Wine does not count
// them), the handle values in use are probed one by one.
DWORD CountHandles() {
  DWORD count = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) return count;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  ++*reinterpret_cast<DWORD*>(count);
  return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND hwnd, LPARAM count) {
  CountWindow(hwnd, count);
  ::EnumChildWindows(hwnd, &CountWindow, count);
  return TRUE;
}

// The windows of this thread with their children (tooltips and other owned windows are
// top-level windows of the thread). GetGuiResources, which would count every USER and GDI
// object, reads 0 under Wine.
DWORD CountThreadWindows() {
  DWORD count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindowAndChildren,
                      reinterpret_cast<LPARAM>(&count));
  return count;
}

ProcessUse MeasureProcess() {
  ProcessUse use;
  use.handles = CountHandles();
  use.windows = CountThreadWindows();
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (::GetProcessMemoryInfo(::GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters))) {
    // The same figure on Windows; Wine fills only the second.
    use.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  }
  return use;
}

// Runs what is queued for this thread (delayed clean-ups, timers due) until nothing is left.
void Drain() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// Creates the skin's window (the object is gone when it fails), paints it once and closes it.
// Returns whether it was created.
bool OpenPaintAndClose(const std::wstring& folder, const std::wstring& file, bool layered) {
  SkinWindow::Life life;
  auto* window = new SkinWindow(folder, file, &life);
  HWND hwnd = window->Create(nullptr, L"robust", WS_POPUP, 0, layered, RECT{20, 20, 120, 120});
  if (!hwnd) {
    EXPECT_TRUE(life.deleted);
    return false;
  }
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  // The first paint lays the tree out; a layered window gets it only when asked.
  ::InvalidateRect(hwnd, nullptr, FALSE);
  ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  EXPECT_FALSE(window->IsLayoutPending());
  ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(life.deleted);
  EXPECT_FALSE(::IsWindow(hwnd));
  Drain();
  return true;
}

class SkinWindowRobustnessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring include = dir_.File(L"row.xml");
    ASSERT_TRUE(uitest::WriteFileBytes(
        include, "<Window><Class name=\"row\" height=\"20\"/><HBox class=\"row\">"
                 "<Label text=\"r\"/><Button text=\"go\"/></HBox></Window>"));
    std::string includeUtf8;
    ui::StringHelper::WideToUtf8(include, &includeUtf8);
    seed_ = uitest::SeedSkin(includeUtf8);
    // The seed with the shadow of the window (the default image, from the skin's folder).
    ASSERT_TRUE(uitest::WriteSkin(L"robust", L"seed.xml", seed_));
    ASSERT_TRUE(uitest::WritePng(ui::GlobalManager::GetResourcePath() + L"robust\\close.png", 16,
                                 16, std::vector<DWORD>(16 * 16, 0xFFC0392B)));
  }

  uitest::TempDir dir_;
  std::string seed_;
};

TEST_F(SkinWindowRobustnessTest, TwoHundredWindowsOpenedAndClosedGiveBackHandlesAndMemory) {
  const int kWarmUp = 20;
  const int kWindows = 200;
  for (int i = 0; i < kWarmUp; ++i) ASSERT_TRUE(OpenPaintAndClose(L"robust", L"seed.xml", true));
  const ProcessUse before = MeasureProcess();
  for (int i = 0; i < kWindows; ++i) ASSERT_TRUE(OpenPaintAndClose(L"robust", L"seed.xml", true));
  const ProcessUse after = MeasureProcess();
  std::printf("after %d windows: handles %lu -> %lu, windows %lu -> %lu, "
              "private bytes %llu -> %llu\n",
              kWindows, static_cast<unsigned long>(before.handles),
              static_cast<unsigned long>(after.handles), static_cast<unsigned long>(before.windows),
              static_cast<unsigned long>(after.windows),
              static_cast<unsigned long long>(before.privateBytes),
              static_cast<unsigned long long>(after.privateBytes));
  ASSERT_GT(before.handles, 0u);
  ASSERT_GT(before.privateBytes, 0u);
  EXPECT_LE(after.handles, before.handles + before.handles / 20);
  EXPECT_LE(after.privateBytes, before.privateBytes + before.privateBytes / 20);
  EXPECT_EQ(after.windows, before.windows);

  // The windows are counted here: an open one shows.
  SkinWindow::Life life;
  auto* open = new SkinWindow(L"robust", L"seed.xml", &life);
  HWND hwnd = open->Create(nullptr, L"robust", WS_POPUP, 0, true, RECT{20, 20, 120, 120});
  ASSERT_TRUE(hwnd);
  EXPECT_GT(CountThreadWindows(), before.windows);
  ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(life.deleted);
}

TEST_F(SkinWindowRobustnessTest, MutatedSkinsBuildAndPaintOrFailWithOneReportEach) {
  const int kSkins = 1500;
  uitest::ReportedErrors reported;
  std::mt19937 random(20261209);
  int created = 0;
  const auto start = std::chrono::steady_clock::now();
  const std::wstring file = ui::GlobalManager::GetResourcePath() + L"robust\\mutated.xml";
  for (int round = 0; round < kSkins; ++round) {
    ASSERT_TRUE(uitest::WriteFileBytes(file, uitest::MutateSkin(seed_, random)));
    const size_t reportsBefore = reported.texts.size();
    const bool ok = OpenPaintAndClose(L"robust", L"mutated.xml", round % 2 == 0);
    created += ok ? 1 : 0;
    ASSERT_EQ(reported.texts.size(), reportsBefore + (ok ? 0 : 1)) << "round " << round;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d of %d mutated skins made a window (%.1f s)\n", created, kSkins, seconds);
  EXPECT_GT(created, kSkins / 20) << "many mutations still build";
  EXPECT_LT(created, kSkins) << "some do not";
}

}  // namespace
