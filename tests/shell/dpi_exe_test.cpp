// The real program on a 144 DPI (150 %) desktop: the window is created at 10,10 1280x720 logical
// pixels scaled to physical ones. The prefix of this test sets the DPI and a virtual desktop large
// enough to hold the 1920x1080 window.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/shell/client_process.h"

namespace {

using namespace std::chrono_literals;

constexpr wchar_t kClassName[] = L"FERNHOLD_PC_CLIENT_MAIN_WINDOW";

class ScenarioFile {
 public:
  explicit ScenarioFile(const std::string& text) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"fernhold-dpi-test-" + std::to_wstring(::GetCurrentProcessId()) +
            L"-" + std::to_wstring(++counter) + L".txt";
    std::ofstream(std::filesystem::path(path_), std::ios::binary) << text;
  }
  ~ScenarioFile() { ::DeleteFileW(path_.c_str()); }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

RECT WindowRectOfClient(const ClientProcess::Environment& environment) {
  ClientProcess client({}, environment);
  RECT rect{};
  HWND window = client.WaitForWindow(kClassName, 30s, /*visible=*/true);
  EXPECT_NE(window, nullptr) << client.Output();
  if (window != nullptr) {
    ::GetWindowRect(window, &rect);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  EXPECT_EQ(client.WaitForExit(30s), std::optional<DWORD>(0));
  return rect;
}

TEST(ClientExeDpi, WindowIsScaledToTheMonitorDpi) {
  // Physical coordinates, whatever this test process's own awareness would make of them.
  ::SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  ScenarioFile scenario("wait 60000\n");

  // The prefix's own 144 DPI, as the system reports it.
  const RECT at_144 = WindowRectOfClient({{L"FERNHOLD_FLUTTER_SCENARIO", scenario.path()}});
  EXPECT_EQ(at_144.left, 15);
  EXPECT_EQ(at_144.top, 15);
  EXPECT_EQ(at_144.right - at_144.left, 1920);
  EXPECT_EQ(at_144.bottom - at_144.top, 1080);

  // 120 DPI, as the engine reports it on request.
  const RECT at_120 = WindowRectOfClient(
      {{L"FERNHOLD_FLUTTER_SCENARIO", scenario.path()}, {L"FERNHOLD_FLUTTER_DPI", L"120"}});
  EXPECT_EQ(at_120.left, 12);
  EXPECT_EQ(at_120.top, 12);
  EXPECT_EQ(at_120.right - at_120.left, 1600);
  EXPECT_EQ(at_120.bottom - at_120.top, 900);
}

}  // namespace
