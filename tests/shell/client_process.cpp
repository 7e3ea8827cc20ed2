#include "tests/shell/client_process.h"

#include <algorithm>

namespace {

// Quotes one argument the way CommandLineToArgvW splits it back.
std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

// The current environment with `extra` added or replacing, as a CreateProcessW block.
std::wstring EnvironmentBlock(const ClientProcess::Environment& extra) {
  std::map<std::wstring, std::wstring> variables;
  wchar_t* current = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    const std::size_t equals = text.find(L'=', 1);  // Entries such as "=C:=C:\" start with '='.
    if (equals != std::wstring::npos) {
      variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
  }
  ::FreeEnvironmentStringsW(current);
  for (const auto& [name, value] : extra) {
    variables[name] = value;
  }
  std::wstring block;
  for (const auto& [name, value] : variables) {
    block += name + L"=" + value;
    block += L'\0';
  }
  block += L'\0';
  return block;
}

}  // namespace

std::wstring TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

ClientProcess::ClientProcess(const std::vector<std::wstring>& arguments,
                             const Environment& extra_environment, const wchar_t* program_name) {
  const std::wstring folder = TestProgramFolder();
  const std::wstring program = folder + program_name;
  std::wstring command_line = QuoteArgument(program);
  for (const std::wstring& argument : arguments) {
    command_line += L" " + QuoteArgument(argument);
  }
  std::wstring environment = EnvironmentBlock(extra_environment);

  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE output_write = nullptr;
  if (!::CreatePipe(&output_read_, &output_write, &inheritable, 0)) {
    return;
  }
  ::SetHandleInformation(output_read_, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output_write;
  startup.hStdError = output_write;
  PROCESS_INFORMATION info{};
  const BOOL created = ::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT, environment.data(),
                                        folder.c_str(), &startup, &info);
  start_time_ = std::chrono::steady_clock::now();
  ::CloseHandle(output_write);  // The child holds its own copy; EOF comes when it exits.
  if (!created) {
    return;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;
  reader_ = std::thread([this] { ReadOutput(); });
}

ClientProcess::~ClientProcess() {
  if (process_ != nullptr) {
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_, 255);
      ::WaitForSingleObject(process_, INFINITE);
    }
  }
  if (reader_.joinable()) {
    reader_.join();
  }
  if (process_ != nullptr) {
    ::CloseHandle(process_);
  }
  if (output_read_ != nullptr) {
    ::CloseHandle(output_read_);
  }
}

void ClientProcess::ReadOutput() {
  // The end of the pipe cannot mark the end of the output: a helper process that Wine starts on
  // the client's behalf (the desktop process, for one) may inherit the client's output handle and
  // keep the pipe open for good. So read what is there until the client has exited and the pipe
  // is drained.
  char buffer[4096];
  for (;;) {
    DWORD available = 0;
    if (!::PeekNamedPipe(output_read_, nullptr, 0, nullptr, &available, nullptr)) {
      break;  // Every writer is gone.
    }
    if (available == 0) {
      if (::WaitForSingleObject(process_, 10) == WAIT_OBJECT_0 &&
          ::PeekNamedPipe(output_read_, nullptr, 0, nullptr, &available, nullptr) &&
          available == 0) {
        break;
      }
      continue;
    }
    DWORD read = 0;
    if (!::ReadFile(output_read_, buffer, std::min<DWORD>(available, sizeof(buffer)), &read,
                    nullptr) ||
        read == 0) {
      break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    output_.append(buffer, read);
    output_changed_.notify_all();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  output_ended_ = true;
  output_changed_.notify_all();
}

bool ClientProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  output_changed_.wait_for(lock, timeout, [&] {
    return output_.find(text) != std::string::npos || output_ended_;
  });
  return output_.find(text) != std::string::npos;
}

std::string ClientProcess::Output() {
  std::lock_guard<std::mutex> lock(mutex_);
  return output_;
}

std::optional<DWORD> ClientProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (process_ == nullptr ||
      ::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  // Let the reader see the end of the output too.
  std::unique_lock<std::mutex> lock(mutex_);
  output_changed_.wait_for(lock, std::chrono::seconds(60), [&] { return output_ended_; });
  return code;
}

HWND ClientProcess::WaitForWindow(const wchar_t* class_name, std::chrono::milliseconds timeout,
                                  bool visible) {
  HWND found = nullptr;
  PollUntil(
      [&] {
        found = nullptr;
        for (HWND window = ::FindWindowExW(nullptr, nullptr, class_name, nullptr); window != nullptr;
             window = ::FindWindowExW(nullptr, window, class_name, nullptr)) {
          DWORD owner = 0;
          ::GetWindowThreadProcessId(window, &owner);
          if (owner == process_id_ && (!visible || ::IsWindowVisible(window))) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeout);
  return found;
}
