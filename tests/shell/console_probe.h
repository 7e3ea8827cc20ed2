// What console_probe.exe (console_probe.cpp) shares with the tests that start it: its exit codes,
// and reading a console's screen.
#ifndef TESTS_SHELL_CONSOLE_PROBE_H_
#define TESTS_SHELL_CONSOLE_PROBE_H_

#include <windows.h>

#include <string>

namespace console_probe {

constexpr int kHasConsole = 1;     // the probe had a console after attaching
constexpr int kSeesOwnOutput = 2;  // its console showed both lines it wrote
constexpr int kUsage = 64;         // wrong arguments

// The text of the first `rows` rows of the process's console screen buffer; empty without a
// console.
inline std::wstring ConsoleText(int rows) {
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

}  // namespace console_probe

#endif  // TESTS_SHELL_CONSOLE_PROBE_H_
