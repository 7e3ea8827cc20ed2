// The real fernhold_pc_client.exe, started as a separate process: single instance, exit codes,
// the app channel, the command line reaching the Dart side, quit-on-close, the executable's
// resources, and a screenshot of the running window.
//
// These cases share the program's single-instance mutex and window class, so they run one at a
// time in a Wine prefix of their own.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <chrono>
#include <string>
#include <vector>

#include "tests/shell/client_process.h"
#include "tests/support/screen_capture.h"

namespace {

using namespace std::chrono_literals;

constexpr wchar_t kClassName[] = L"FERNHOLD_PC_CLIENT_MAIN_WINDOW";
constexpr wchar_t kMutexName[] = L"Local\\FernholdPcClient_SingleInstanceMutex";
constexpr auto kStartTimeout = 60s;  // only reached when something is broken

ClientProcess::Environment With(ClientProcess::Environment environment, const wchar_t* name,
                                const wchar_t* value) {
  environment[name] = value;
  return environment;
}

bool AnyWindowOfClass() { return ::FindWindowW(kClassName, nullptr) != nullptr; }

TEST(ClientExe, ShutdownOnTheAppChannelEndsTheProcessWithZero) {
  ScenarioFile scenario(
      "call fernhold/app getPlatformVersion\n"
      "wait reply\n"
      "call fernhold/app shutdown\n"
      "wait reply\n"
      "wait 120000\n"
      "echo still running\n");
  ClientProcess client({}, scenario.Environment());
  ASSERT_TRUE(client.started());
  const auto exit_code = client.WaitForExit(kStartTimeout);
  ASSERT_TRUE(exit_code.has_value()) << client.Output();
  EXPECT_EQ(*exit_code, 0u);
  const std::string output = client.Output();
  EXPECT_NE(output.find("[dart] args []"), std::string::npos) << "no arguments, no list entries";
  EXPECT_NE(output.find("[dart] reply 1 fernhold/app getPlatformVersion notImplemented"),
            std::string::npos)
      << output;
  EXPECT_EQ(output.find("still running"), std::string::npos) << output;
  // The reply, if the Dart side got to print it before the end, was a success without a value.
  const std::size_t reply = output.find("[dart] reply 3 fernhold/app shutdown");
  if (reply != std::string::npos) {
    const std::string success = "[dart] reply 3 fernhold/app shutdown success null";
    EXPECT_EQ(output.compare(reply, success.size(), success), 0) << output;
  }
}

TEST(ClientExe, UnknownAppMethodsAreNotImplemented) {
  ScenarioFile scenario(
      "call fernhold/app restart\n"
      "wait reply\n"
      "call fernhold/app shutdown2 {\"force\": true}\n"
      "wait reply\n"
      "call fernhold/app shutdown\n");
  ClientProcess client({}, scenario.Environment());
  const auto exit_code = client.WaitForExit(kStartTimeout);
  ASSERT_TRUE(exit_code.has_value());
  EXPECT_EQ(*exit_code, 0u);
  const std::string output = client.Output();
  EXPECT_NE(output.find("[dart] reply 1 fernhold/app restart notImplemented"), std::string::npos)
      << output;
  EXPECT_NE(output.find("[dart] reply 3 fernhold/app shutdown2 notImplemented"), std::string::npos)
      << output;
}

TEST(ClientExe, CommandLineArgumentsReachTheDartEntryPointInUtf8) {
  ScenarioFile scenario("call fernhold/app shutdown\n");
  const std::wstring unpaired = std::wstring(L"x") + static_cast<wchar_t>(0xD800) + L"y";
  ClientProcess client({L"--route=/phones", L"two words", unpaired, L"\u4e91\u624b\u673a"},
                       scenario.Environment());
  ASSERT_TRUE(client.WaitForOutput("[dart] args", kStartTimeout)) << client.Output();
  EXPECT_NE(client.Output().find("[dart] args [\"--route=/phones\", \"two words\", \"\", "
                                 "\"\xE4\xBA\x91\xE6\x89\x8B\xE6\x9C\xBA\"]"),
            std::string::npos)
      << client.Output();
  EXPECT_EQ(client.WaitForExit(kStartTimeout), std::optional<DWORD>(0));
}

TEST(ClientExe, SecondStartRestoresTheMinimisedFirstAndExitsZero) {
  ScenarioFile first_scenario("wait 60000\n");
  ClientProcess first({}, first_scenario.Environment());
  HWND window = first.WaitForWindow(kClassName, kStartTimeout, /*visible=*/true);
  ASSERT_NE(window, nullptr) << first.Output();

  // The user minimises it.
  ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(PollUntil([&] { return ::IsIconic(window) != FALSE; }, kStartTimeout));

  ScenarioFile second_scenario("echo second engine ran\nwait 60000\n");
  ClientProcess second({}, second_scenario.Environment());
  EXPECT_EQ(second.WaitForExit(kStartTimeout), std::optional<DWORD>(0));
  EXPECT_EQ(second.Output().find("[dart]"), std::string::npos)
      << "the second instance must not start an engine: " << second.Output();
  EXPECT_EQ(second.WaitForWindow(kClassName, 0ms), nullptr);

  EXPECT_TRUE(PollUntil([&] { return ::IsIconic(window) == FALSE; }, kStartTimeout));
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetForegroundWindow(), window);

  // The first instance is undisturbed and still ends normally when its window is closed.
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(kStartTimeout), std::optional<DWORD>(0));
}

TEST(ClientExe, SecondStartWithoutAWindowExitsZeroAndChangesNothing) {
  // This test takes the first instance's place: it holds the mutex but has no window.
  HANDLE mutex = ::CreateMutexW(nullptr, TRUE, kMutexName);
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS))
      << "an instance from an earlier case is still running";

  ScenarioFile scenario("echo engine ran\nwait 60000\n");
  ClientProcess second({}, scenario.Environment());
  EXPECT_EQ(second.WaitForExit(kStartTimeout), std::optional<DWORD>(0));
  EXPECT_EQ(second.Output().find("[dart]"), std::string::npos) << second.Output();
  EXPECT_EQ(second.Output().find("[plugins]"), std::string::npos) << second.Output();
  EXPECT_FALSE(AnyWindowOfClass());

  // The mutex is still this process's: the second start did not take it over.
  EXPECT_EQ(::WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  ::ReleaseMutex(mutex);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

TEST(ClientExe, ControllerFailureExitsOneWithoutRunning) {
  for (const wchar_t* failure : {L"engine", L"view"}) {
    ScenarioFile scenario("echo engine ran\nwait 60000\n");
    ClientProcess client({}, With(scenario.Environment(), L"FERNHOLD_FLUTTER_FAIL", failure));
    // Without a message loop the process ends by itself, long before the scenario would.
    EXPECT_EQ(client.WaitForExit(kStartTimeout), std::optional<DWORD>(1)) << client.Output();
    EXPECT_EQ(client.Output().find("engine ran"), std::string::npos) << client.Output();
    EXPECT_FALSE(AnyWindowOfClass());
  }
  // The failed runs left no mutex behind: a normal start works.
  ScenarioFile scenario("call fernhold/app shutdown\n");
  ClientProcess client({}, scenario.Environment());
  ASSERT_TRUE(client.WaitForOutput("[dart] entrypoint", kStartTimeout));
  EXPECT_EQ(client.WaitForExit(kStartTimeout), std::optional<DWORD>(0));
}

TEST(ClientExe, ClosingTheWindowQuitsWithZero) {
  // The Dart side asks the window to close as the user would; the process then leaves its
  // message loop and tears down normally.
  ScenarioFile scenario("wait 200\necho closing\nclose\nwait 60000\n");
  ClientProcess client({}, scenario.Environment());
  EXPECT_EQ(client.WaitForExit(kStartTimeout), std::optional<DWORD>(0)) << client.Output();
  EXPECT_NE(client.Output().find("[dart] echo closing"), std::string::npos);
  EXPECT_FALSE(AnyWindowOfClass());
}

TEST(ClientExe, ScreenshotOfTheRunningWindow) {
  // One phone in a Flutter texture that never connects: the engine's view shows that texture's
  // tile, which only an embedded view can paint (the window's own background is the view's
  // background colour too, so it would prove nothing).
  ScenarioFile scenario(
      "call fernhold/swplay switchPlayMode {\"padCode\": \"SHOT\", \"serverToken\": "
      "\"shot;plan=silent\", \"mode\": 2}\n"
      "wait reply\n"
      "echo texture registered\n"
      "wait 60000\n");
  ClientProcess client({}, scenario.Environment());
  HWND window = client.WaitForWindow(kClassName, kStartTimeout, /*visible=*/true);
  ASSERT_NE(window, nullptr) << client.Output();
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  RECT rect{};
  ::GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 10);
  EXPECT_EQ(rect.right - rect.left, 1280);
  EXPECT_EQ(rect.bottom - rect.top, 720);

  ASSERT_TRUE(client.WaitForOutput("[dart] echo texture registered", kStartTimeout))
      << client.Output();
  EXPECT_NE(client.Output().find("switchPlayMode success {\"textureId\": 1L}"), std::string::npos)
      << client.Output();

  // The one texture's tile fills the client area but for a gap at the edges, in the colour of a
  // tile without a frame yet; its label sits in the top-left corner. Windows of other tests on
  // the same display may pass over it for a moment: look again then.
  const COLORREF tile = RGB(30, 41, 59);
  test_support::ScreenCapture capture;
  const bool painted = PollUntil(
      [&] {
        capture = test_support::CaptureScreen(rect);
        const int points[][2] = {{capture.width / 2, capture.height / 2},
                                 {capture.width - 20, 20},
                                 {20, capture.height - 20},
                                 {capture.width - 20, capture.height - 20}};
        for (const auto& point : points) {
          if (capture.ColorRef(point[0], point[1]) != tile) return false;
        }
        return true;
      },
      10s);
  test_support::SaveBitmap(capture, TestProgramFolder() + L"..\\shell_window_screenshot.bmp");
  EXPECT_TRUE(painted) << "the window does not show the engine's view with the texture's tile";

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(client.WaitForExit(kStartTimeout), std::optional<DWORD>(0));
}

// The executable's resources, read without running it.
class ExecutableResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryExW((TestProgramFolder() + L"fernhold_pc_client.exe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }

  std::string Resource(const wchar_t* type, int id) {
    HRSRC found = ::FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return std::string();
    const void* bytes = ::LockResource(::LoadResource(module_, found));
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

TEST_F(ExecutableResources, IconGroupsHoldSmallAndLargeImages) {
  for (int id : {101, 102}) {
    const std::string group = Resource(RT_GROUP_ICON, id);
    ASSERT_GE(group.size(), 6u) << id;
    const int count = static_cast<unsigned char>(group[4]) | (static_cast<unsigned char>(group[5]) << 8);
    EXPECT_GE(count, 4) << id;
    HICON small_icon = static_cast<HICON>(::LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                      16, 16, 0));
    HICON big_icon = static_cast<HICON>(::LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                    32, 32, 0));
    EXPECT_NE(small_icon, nullptr) << id;
    EXPECT_NE(big_icon, nullptr) << id;
    if (small_icon) ::DestroyIcon(small_icon);
    if (big_icon) ::DestroyIcon(big_icon);
  }
}

TEST_F(ExecutableResources, ManifestAsksForCommonControlsSixPerMonitorV2AndAsInvoker) {
  const std::string manifest = Resource(RT_MANIFEST, 1);
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2<"), std::string::npos);
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos)
      << "Windows 10 compatibility";
}

TEST_F(ExecutableResources, VersionInfoNamesTheProgram) {
  const std::wstring path = TestProgramFolder() + L"fernhold_pc_client.exe";
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
  wchar_t* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\StringFileInfo\\040904b0\\OriginalFilename",
                               reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, L"fernhold_pc_client.exe");
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
}

}  // namespace
