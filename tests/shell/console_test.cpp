// The debug console: a console of the process's own that the standard streams are routed to.
//
// Once the streams go to the console, this test's own report goes there too; the test runner
// still gets the result from the exit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "shell/console.h"

namespace {

// The text of the first `rows` rows of the process's console screen buffer.
std::wstring ConsoleText(int rows) {
  HANDLE screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
  if (screen == INVALID_HANDLE_VALUE) return std::wstring();
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ::GetConsoleScreenBufferInfo(screen, &info);
  std::wstring text(static_cast<size_t>(info.dwSize.X) * rows, L' ');
  DWORD read = 0;
  ::ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), {0, 0},
                                &read);
  ::CloseHandle(screen);
  text.resize(read);
  return text;
}

TEST(AttachDebugConsole, RoutesStandardOutputAndErrorToANewConsole) {
  ::FreeConsole();
  ASSERT_EQ(::GetConsoleWindow(), nullptr);
  AttachDebugConsole();

  std::fputs("written to standard output\n", stdout);
  std::fflush(stdout);
  std::fputs("written to standard error\n", stderr);
  std::fflush(stderr);
  const std::wstring text = ConsoleText(10);
  EXPECT_NE(text.find(L"written to standard output"), std::wstring::npos);
  EXPECT_NE(text.find(L"written to standard error"), std::wstring::npos);
  ::FreeConsole();
}

}  // namespace
