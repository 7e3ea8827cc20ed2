#include "shell/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "shell/utf16_to_utf8.h"

namespace {

struct LocalFreeDeleter {
  void operator()(wchar_t** argv) const { ::LocalFree(argv); }
};

}  // namespace

std::vector<std::string> CommandLineArgumentsUtf8() {
  return CommandLineArgumentsUtf8(::GetCommandLineW());
}

std::vector<std::string> CommandLineArgumentsUtf8(const wchar_t* command_line) {
  std::vector<std::string> arguments;
  if (command_line == nullptr) {
    return arguments;
  }
  int argc = 0;
  std::unique_ptr<wchar_t*, LocalFreeDeleter> argv(::CommandLineToArgvW(command_line, &argc));
  if (!argv) {
    return arguments;
  }
  // Index 0 is the program name, which the Dart side does not get.
  for (int i = 1; i < argc; ++i) {
    arguments.push_back(Utf16ToUtf8(argv.get()[i]));
  }
  return arguments;
}
