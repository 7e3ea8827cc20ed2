// End to end: the program runs the demo that `make run` shows (shell/data, copied beside this
// test as "plugin_demo_scenario.txt" by the build), in which the scripted Dart side connects four
// simulated phones in Flutter textures and then two in pop-out windows. While each group plays,
// the screen is captured and must show its phones upright: four in the Flutter view, then one in
// each pop-out window. The captures are kept as "plugin_demo_screenshot.bmp" and
// "plugin_demo_popout_screenshot.bmp" beside the test for people to look at. The test runs on an
// X display of its own, so no other test's window covers the program's.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/screen_capture.h"

namespace {

using test_support::CaptureScreen;
using test_support::SaveBitmap;
using test_support::ScreenCapture;

std::wstring ModuleDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Areas of one colour, found on a coarse grid: their number and bounding boxes.
std::vector<RECT> Blobs(const ScreenCapture& c, uint32_t color, int step = 4, int minCells = 40) {
  const int gw = c.width / step, gh = c.height / step;
  std::vector<int> label(size_t(gw) * gh, 0);
  std::vector<RECT> blobs;
  for (int gy = 0; gy < gh; ++gy) {
    for (int gx = 0; gx < gw; ++gx) {
      if (label[size_t(gy) * gw + gx] || c.Rgb(gx * step, gy * step) != color) continue;
      RECT box{gx, gy, gx, gy};
      int cells = 0;
      std::vector<std::pair<int, int>> todo = {{gx, gy}};
      label[size_t(gy) * gw + gx] = 1;
      while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        ++cells;
        box.left = std::min<LONG>(box.left, x);
        box.right = std::max<LONG>(box.right, x);
        box.top = std::min<LONG>(box.top, y);
        box.bottom = std::max<LONG>(box.bottom, y);
        const int nx[4] = {x + 1, x - 1, x, x}, ny[4] = {y, y, y + 1, y - 1};
        for (int k = 0; k < 4; ++k) {
          if (nx[k] < 0 || ny[k] < 0 || nx[k] >= gw || ny[k] >= gh) continue;
          int& l = label[size_t(ny[k]) * gw + nx[k]];
          if (!l && c.Rgb(nx[k] * step, ny[k] * step) == color) {
            l = 1;
            todo.push_back({nx[k], ny[k]});
          }
        }
      }
      if (cells >= minCells) {
        blobs.push_back(RECT{box.left * step, box.top * step, box.right * step, box.bottom * step});
      }
    }
  }
  return blobs;
}

// The moving white bar may cut a quadrant in two: areas in the same columns with only a narrow
// gap between them are one.
std::vector<RECT> MergeAcrossBar(std::vector<RECT> blobs) {
  std::sort(blobs.begin(), blobs.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
  std::vector<RECT> merged;
  for (const RECT& b : blobs) {
    bool joined = false;
    for (RECT& m : merged) {
      if (std::abs(m.left - b.left) <= 8 && std::abs(m.right - b.right) <= 8 &&
          b.top - m.bottom <= 24) {
        m.bottom = std::max(m.bottom, b.bottom);
        joined = true;
        break;
      }
    }
    if (!joined) merged.push_back(b);
  }
  return merged;
}

// Waits (up to 15 s) until the scripted Dart side wrote `line` to its output file.
bool WaitForLine(const std::wstring& output, const std::string& line) {
  for (int i = 0; i < 300; ++i) {
    if (ReadFile(output).find(line) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Screen rectangles of the visible pop-out phone windows (of any process on this display).
std::vector<RECT> PhoneWindows() {
  std::vector<RECT> found;
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        RECT rect{};
        if (std::wstring(name) == L"FernholdZuvorIvadoControl" && IsWindowVisible(window) &&
            GetWindowRect(window, &rect)) {
          reinterpret_cast<std::vector<RECT>*>(param)->push_back(rect);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}

constexpr uint32_t kQuadrantColors[] = {0xE03020u, 0x20B040u, 0x3050E0u, 0xE0C020u};

// Whether each window shows a phone: the four quadrants of its picture lie inside it.
bool EveryWindowShowsItsPhone(const ScreenCapture& shot, const std::vector<RECT>& windows) {
  for (uint32_t color : kQuadrantColors) {
    const auto areas = MergeAcrossBar(Blobs(shot, color));
    for (const RECT& window : windows) {
      if (std::none_of(areas.begin(), areas.end(),
                       [&](const RECT& area) { return Inside(area, window); }))
        return false;
    }
  }
  return true;
}

// The demo's own scenario, with its pop-out windows held up for 10 s instead of a moment: on a busy
// machine their first pictures can come later than the moment. Empty when the demo has no such
// hold any more.
std::wstring ScenarioWithPopOutsHeld(const std::wstring& dir) {
  std::string text = ReadFile(dir + L"plugin_demo_scenario.txt");
  const std::string hold = "echo demo: pop-out phones up\nwait ";
  const size_t at = text.find(hold);
  if (at == std::string::npos) return L"";
  const size_t from = at + hold.size();
  text.replace(from, text.find('\n', from) - from, "10000");
  const std::wstring path = dir + L"plugin_demo_scenario_held.txt";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return L"";
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size() ? path : L"";
}

TEST(PluginDemo, SimulatedPhonesPlayInTheFlutterViewAndInPopOutWindows) {
  const std::wstring dir = ModuleDirectory();
  const std::wstring output = dir + L"plugin_demo_output.txt";
  DeleteFileW(output.c_str());
  SetEnvironmentVariableW(L"FERNHOLD_FLUTTER_OUTPUT", output.c_str());
  const std::wstring scenario = ScenarioWithPopOutsHeld(dir);
  ASSERT_FALSE(scenario.empty());
  SetEnvironmentVariableW(L"FERNHOLD_FLUTTER_SCENARIO", scenario.c_str());

  std::wstring command = L"\"" + dir + L"fernhold_pc_client.exe\"";
  // The program's standard output (the library's "[swplay]" summary) goes to a file.
  const std::wstring consolePath = dir + L"plugin_demo_stdout.txt";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE stdoutFile = CreateFileW(consolePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(stdoutFile, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = stdoutFile;
  startup.hStdError = stdoutFile;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      dir.c_str(), &startup, &process);
  CloseHandle(stdoutFile);
  ASSERT_TRUE(started) << GetLastError();
  // However the test ends, the program does not outlive it.
  std::unique_ptr<void, void (*)(void*)> guard(process.hProcess, [](void* handle) {
    if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) TerminateProcess(handle, 1);
    CloseHandle(handle);
  });

  // The phones are up once the scripted Dart side says so; then the picture settles a moment.
  const bool up = WaitForLine(output, "[dart] echo demo: phones up");
  ASSERT_TRUE(up) << ReadFile(output);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const ScreenCapture shot = CaptureScreen();
  SaveBitmap(shot, dir + L"plugin_demo_screenshot.bmp");

  // Then two phones in pop-out windows, tiled from the top left.
  ASSERT_TRUE(WaitForLine(output, "[dart] echo demo: pop-out phones up")) << ReadFile(output);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  std::vector<RECT> popOuts = PhoneWindows();
  ScreenCapture popOutShot = CaptureScreen();
  // The pictures come on the windows' own threads: on a busy machine the screen is taken again
  // until both windows show their phone, for as long as the windows are held up.
  for (int i = 0; i < 200 && !EveryWindowShowsItsPhone(popOutShot, popOuts); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::vector<RECT> windows = PhoneWindows();
    ScreenCapture shot = CaptureScreen();
    if (windows.size() != 2 || PhoneWindows().size() != 2) break;
    popOuts = windows;
    popOutShot = std::move(shot);
  }
  SaveBitmap(popOutShot, dir + L"plugin_demo_popout_screenshot.bmp");

  CloseHandle(process.hThread);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);

  // Four upright phones: per phone a red area with a green one to its right and a blue one
  // below, each a quadrant of the phone's picture.
  const auto red = MergeAcrossBar(Blobs(shot, 0xE03020));
  const auto green = MergeAcrossBar(Blobs(shot, 0x20B040));
  const auto blue = MergeAcrossBar(Blobs(shot, 0x3050E0));
  const auto yellow = MergeAcrossBar(Blobs(shot, 0xE0C020));
  ASSERT_EQ(red.size(), 4u);
  EXPECT_EQ(green.size(), 4u);
  EXPECT_EQ(blue.size(), 4u);
  EXPECT_EQ(yellow.size(), 4u);
  for (const RECT& r : red) {
    bool greenRight = false, blueBelow = false;
    for (const RECT& g : green) greenRight |= g.left > r.right - 8 && std::abs(g.top - r.top) <= 8;
    for (const RECT& b : blue) blueBelow |= b.top > r.top + 20 && std::abs(b.left - r.left) <= 8;
    EXPECT_TRUE(greenRight && blueBelow) << "phone at " << r.left << "," << r.top;
    EXPECT_GT(r.bottom - r.top, r.right - r.left) << "a quadrant of a portrait phone is taller";
  }

  // Each pop-out window shows its phone: the four quadrants of its picture lie inside it.
  ASSERT_EQ(popOuts.size(), 2u);
  for (uint32_t color : kQuadrantColors) {
    const auto areas = MergeAcrossBar(Blobs(popOutShot, color));
    for (const RECT& window : popOuts) {
      const bool shown = std::any_of(areas.begin(), areas.end(),
                                     [&](const RECT& area) { return Inside(area, window); });
      EXPECT_TRUE(shown) << std::hex << color << std::dec << " in window at " << window.left
                         << "," << window.top;
    }
  }
  // Tiled side by side from the top left of the work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(popOuts[0].top, popOuts[1].top);
  EXPECT_LT(std::min(popOuts[0].left, popOuts[1].left), work.left + 8);

  // What the Dart side saw: every phone connected, phone 3 dropped and came back, the error reply
  // for a pad without a session, and the way to the shutdown (exit code 0 above).
  const std::string lines = ReadFile(output);
  EXPECT_EQ(CountOf(lines, "\"event\": \"connected\""), 7u) << lines;
  EXPECT_EQ(
      CountOf(
          lines,
          "{\"data\": {\"errcode\": 7, \"padCode\": \"PHONE-3\"}, \"event\": \"disconnected\"}"),
      1u);
  EXPECT_EQ(
      CountOf(
          lines,
          "{\"data\": {\"attempt\": 1, \"padCode\": \"PHONE-3\"}, \"event\": \"reconnecting\"}"),
      1u);
  EXPECT_EQ(CountOf(lines, "connect error \"-2\" \"Instance not found. Call initialize first.\""),
            1u);
  // "shutdown" ends the process at once, so its own reply may never reach the file.
  EXPECT_EQ(CountOf(lines, "[dart] echo demo: shutting down"), 1u);

  // The simulated library's summary, printed whenever the last phone was closed: after the
  // texture phones, and again (counting all) after the pop-out ones.
  const std::string console = ReadFile(consolePath);
  EXPECT_EQ(CountOf(console, "[swplay] simulated phones: 4 tokens, 5 data sources, 4 players"), 1u)
      << console;
  EXPECT_EQ(CountOf(console, "[swplay] simulated phones: 6 tokens, 7 data sources, 6 players"), 1u);
  EXPECT_EQ(CountOf(console, "[swplay]   phone-3: starts 2, connected 2, dropped 1,"), 2u);
  EXPECT_EQ(CountOf(console, "[swplay]   phone-1: starts 1, connected 1, dropped 0,"), 2u);
  EXPECT_EQ(CountOf(console, "[swplay]   phone-6: starts 1, connected 1, dropped 0,"), 1u);
}

}  // namespace
