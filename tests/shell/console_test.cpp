// Consoles: the debug console of the process's own, and how a GUI program started from a console
// (or under a debugger, or with nothing) finds its output a place.
//
// AttachDebugConsole runs in this process: once the streams go to the console, this test's own
// report goes there too; the test runner still gets the result from the exit code. The attach
// cases start console_probe.exe, a GUI program like the client, as a child of this process with
// or without a console of this process's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <string>

#include "shell/console.h"
#include "tests/shell/console_probe.h"

namespace {

using console_probe::ConsoleText;
using console_probe::kHasConsole;
using console_probe::kSeesOwnOutput;

constexpr DWORD kLongWaitMs = 60000;  // only reached when something is broken

// A console's text for a failure message (what the tests write there is ASCII).
std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

bool Contains(const std::wstring& text, const wchar_t* part) {
  return text.find(part) != std::wstring::npos;
}

// A console of this process's own for the test's lifetime; none before and after.
class ScopedOwnConsole {
 public:
  ScopedOwnConsole() {
    ::FreeConsole();
    created_ = ::AllocConsole() != FALSE;
  }
  ~ScopedOwnConsole() { ::FreeConsole(); }
  bool created() const { return created_; }

 private:
  bool created_ = false;
};

enum class ChildStreams { kNone, kPipe };  // no standard handles, or output and error to a pipe
enum class Debugger { kNone, kThisProcess };

struct ProbeRun {
  DWORD exitCode = ~0u;
  std::string output;    // what came through the pipe
  DWORD startError = 0;  // GetLastError of a CreateProcess that failed
};

// For the checks of a run's exit code: a probe that could not start says why.
std::ostream& operator<<(std::ostream& out, const ProbeRun& run) {
  return out << "exit code " << run.exitCode << ", start error " << run.startError
             << ", output \"" << run.output << "\"";
}

// Serves the debug events of the child until it exits; on the thread that started it.
void DebugUntilExit(DWORD processId) {
  DEBUG_EVENT event{};
  while (::WaitForDebugEvent(&event, kLongWaitMs)) {
    DWORD status = DBG_CONTINUE;
    if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
        event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
      status = DBG_EXCEPTION_NOT_HANDLED;
    } else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
      ::CloseHandle(event.u.CreateProcessInfo.hFile);
    } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
      ::CloseHandle(event.u.LoadDll.hFile);
    }
    const bool exited = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT &&
                        event.dwProcessId == processId;
    ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    if (exited) return;
  }
}

// Runs console_probe.exe (beside this program) with `arguments` and waits for its end.
ProbeRun RunProbe(const std::wstring& arguments, ChildStreams streams, Debugger debugger) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring program(path);
  program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"console_probe.exe";
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;

  ProbeRun run;
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;  // all null unless a pipe is given below
  if (streams == ChildStreams::kPipe) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return run;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
  }
  PROCESS_INFORMATION process{};
  const DWORD flags = debugger == Debugger::kThisProcess ? DEBUG_ONLY_THIS_PROCESS : 0;
  const BOOL started =
      ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                       streams == ChildStreams::kPipe, flags, nullptr, nullptr, &startup, &process);
  if (!started) run.startError = ::GetLastError();
  if (writeEnd) ::CloseHandle(writeEnd);
  if (started) {
    if (debugger == Debugger::kThisProcess) DebugUntilExit(process.dwProcessId);
    if (::WaitForSingleObject(process.hProcess, kLongWaitMs) == WAIT_OBJECT_0)
      ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  if (readEnd) {
    char buffer[512];
    DWORD read = 0;
    while (started && ::ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
      run.output.append(buffer, read);
    ::CloseHandle(readEnd);
  }
  return run;
}

TEST(AttachDebugConsole, RoutesStandardOutputAndErrorToANewConsole) {
  ::FreeConsole();
  ASSERT_EQ(::GetConsoleWindow(), nullptr);
  // The test's own report goes where its streams went before: a failure below would otherwise be
  // written to the console it checks, and the runner would see none of it.
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOutput = _dup(1);
  const int savedError = _dup(2);
  ASSERT_GE(savedOutput, 0);
  ASSERT_GE(savedError, 0);
  AttachDebugConsole();

  std::fputs("written to standard output\n", stdout);
  std::fflush(stdout);
  std::fputs("written to standard error\n", stderr);
  std::fflush(stderr);
  const std::wstring text = ConsoleText(10);
  ::FreeConsole();
  _dup2(savedOutput, 1);
  _dup2(savedError, 2);
  _close(savedOutput);
  _close(savedError);
  std::clearerr(stdout);
  std::clearerr(stderr);

  EXPECT_NE(text.find(L"written to standard output"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(L"written to standard error"), std::wstring::npos) << Narrow(text);
}

TEST(AttachParentOrDebugConsole, StartedFromAConsoleItsOutputGoesToThatConsole) {
  ScopedOwnConsole console;
  ASSERT_TRUE(console.created());
  const ProbeRun run = RunProbe(L"attach from-console", ChildStreams::kNone, Debugger::kNone);
  EXPECT_EQ(run.exitCode, DWORD{kHasConsole | kSeesOwnOutput}) << run;
  const std::wstring text = ConsoleText(25);
  EXPECT_TRUE(Contains(text, L"probe stdout from-console")) << "standard output went nowhere";
  EXPECT_TRUE(Contains(text, L"probe stderr from-console")) << "standard error went nowhere";
}

TEST(AttachParentOrDebugConsole, StreamsTheParentRedirectedStayRedirected) {
  ScopedOwnConsole console;
  ASSERT_TRUE(console.created());
  const ProbeRun run = RunProbe(L"attach redirected", ChildStreams::kPipe, Debugger::kNone);
  EXPECT_EQ(run.exitCode & kHasConsole, DWORD{kHasConsole}) << run;
  EXPECT_NE(run.output.find("probe stdout redirected"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("probe stderr redirected"), std::string::npos) << run.output;
  EXPECT_FALSE(Contains(ConsoleText(25), L"redirected"));
}

TEST(AttachParentOrDebugConsole, WithoutAConsoleOrADebuggerNoConsoleIsOpened) {
  ::FreeConsole();
  const ProbeRun run = RunProbe(L"attach alone", ChildStreams::kNone, Debugger::kNone);
  EXPECT_EQ(run.exitCode, 0u) << run;
}

TEST(AttachParentOrDebugConsole, UnderADebuggerWithoutAConsoleItOpensItsOwn) {
  ::FreeConsole();
  const ProbeRun run = RunProbe(L"attach debugged", ChildStreams::kNone, Debugger::kThisProcess);
  EXPECT_EQ(run.exitCode, DWORD{kHasConsole | kSeesOwnOutput}) << run;
}

TEST(RouteStreamToConsole, WithoutAConsoleTheStreamStaysWhereItWent) {
  // Re-opening the stream before knowing the console can be opened would close it for good.
  ::FreeConsole();  // none to hand down either
  const ProbeRun run = RunProbe(L"route kept", ChildStreams::kPipe, Debugger::kNone);
  EXPECT_EQ(run.exitCode, 0u) << "there is no console to route to; " << run;
  EXPECT_NE(run.output.find("probe stdout kept"), std::string::npos) << run.output;
}

}  // namespace
