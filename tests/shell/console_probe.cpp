// A GUI program (like the client) for the console tests, started by them as a child process.
//
//   console_probe attach <tag>   AttachParentOrDebugConsole, then writes "probe stdout <tag>" and
//                                "probe stderr <tag>". Exit code: kHasConsole when the process has
//                                a console then, plus kSeesOwnOutput when its console shows both
//                                lines.
//   console_probe route <tag>    With no console, RouteStreamToConsole(stdout), then writes
//                                "probe stdout <tag>". Exit code: 1 when the routing claimed
//                                success, else 0.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "shell/console.h"
#include "tests/shell/console_probe.h"

namespace {

bool HasConsole() {
  HANDLE screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
  if (screen == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(screen);
  return true;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return console_probe::kUsage;
  const std::string mode = argv[1];
  const std::string out = std::string("probe stdout ") + argv[2];
  const std::string err = std::string("probe stderr ") + argv[2];
  if (mode == "attach") {
    AttachParentOrDebugConsole();
    std::fprintf(stdout, "%s\n", out.c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", err.c_str());
    std::fflush(stderr);
    int result = 0;
    if (HasConsole()) result |= console_probe::kHasConsole;
    const std::wstring shown = console_probe::ConsoleText(20);
    if (shown.find(Widen(out)) != std::wstring::npos && shown.find(Widen(err)) != std::wstring::npos)
      result |= console_probe::kSeesOwnOutput;
    return result;
  }
  if (mode == "route") {
    ::FreeConsole();
    const bool routed = RouteStreamToConsole(stdout, 1);
    std::fprintf(stdout, "%s\n", out.c_str());
    std::fflush(stdout);
    return routed ? 1 : 0;
  }
  return console_probe::kUsage;
}
