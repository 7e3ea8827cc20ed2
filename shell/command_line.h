// The process command line as the Dart entry point receives it: every argument after the program
// name, each converted to UTF-8 on its own.
//
// An argument that cannot be converted (it holds an unpaired surrogate) becomes an empty string at
// its position, so the positions of the arguments after it are kept.
//
//   project.set_dart_entrypoint_arguments(CommandLineArgumentsUtf8());
//
// Thread-safety: pure functions over the process command line; callable from any thread.
#ifndef SHELL_COMMAND_LINE_H_
#define SHELL_COMMAND_LINE_H_

#include <string>
#include <vector>

// Splits GetCommandLineW() and returns the arguments after the program name. Empty when the
// command line cannot be split.
std::vector<std::string> CommandLineArgumentsUtf8();

// The same rules over a given command line (the program name first, split as the system splits
// it). Lets callers and tests work on a command line other than the process's own.
std::vector<std::string> CommandLineArgumentsUtf8(const wchar_t* command_line);

#endif  // SHELL_COMMAND_LINE_H_
