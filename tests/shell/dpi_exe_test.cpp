// The real program on a 144 DPI (150 %) desktop, the DPI coming from the system as the prefix of
// this test sets it: the window opens at 10,10 logical pixels scaled to 15,15 physical, and larger
// than its 1280x720 logical size. (The exact 1920x1080 asked for is checked in-process: the test
// display is smaller, and the system fits a window to the screen.)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "tests/shell/client_process.h"

namespace {

using namespace std::chrono_literals;

constexpr wchar_t kClassName[] = L"FERNHOLD_PC_CLIENT_MAIN_WINDOW";

RECT WindowRectOfClient(const ClientProcess::Environment& environment) {
  ClientProcess client({}, environment);
  RECT rect{};
  HWND window = client.WaitForWindow(kClassName, 60s, /*visible=*/true);
  EXPECT_NE(window, nullptr) << client.Output();
  if (window != nullptr) {
    ::GetWindowRect(window, &rect);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  EXPECT_EQ(client.WaitForExit(60s), std::optional<DWORD>(0));
  return rect;
}

TEST(ClientExeDpi, WindowIsScaledToTheSystemDpi) {
  // Physical coordinates, whatever this test process's own awareness would make of them.
  ::SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  ScenarioFile scenario("wait 60000\n");

  const RECT rect = WindowRectOfClient(scenario.Environment());
  EXPECT_EQ(rect.left, 15);
  EXPECT_EQ(rect.top, 15);
  const int screen_width = ::GetSystemMetricsForDpi(SM_CXSCREEN, 144);
  EXPECT_GT(rect.right - rect.left, 1280) << "scaled beyond the logical width";
  EXPECT_GE(rect.right - rect.left, std::min(1920, screen_width - 15));
  EXPECT_GT(rect.bottom - rect.top, 720) << "scaled beyond the logical height";
}

}  // namespace
