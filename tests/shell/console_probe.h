// Exit codes of console_probe.exe (console_probe.cpp), shared with the tests that start it.
#ifndef TESTS_SHELL_CONSOLE_PROBE_H_
#define TESTS_SHELL_CONSOLE_PROBE_H_

namespace console_probe {

constexpr int kHasConsole = 1;     // the probe had a console after attaching
constexpr int kSeesOwnOutput = 2;  // its console showed both lines it wrote
constexpr int kUsage = 64;         // wrong arguments

}  // namespace console_probe

#endif  // TESTS_SHELL_CONSOLE_PROBE_H_
