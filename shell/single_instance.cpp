#include "shell/single_instance.h"

SingleInstanceMutex::SingleInstanceMutex(const wchar_t* name) {
  handle_ = ::CreateMutexW(nullptr, TRUE, name);
  if (handle_ != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    another_instance_running_ = true;
    Release();
  }
}

SingleInstanceMutex::~SingleInstanceMutex() { Release(); }

void SingleInstanceMutex::Release() {
  if (handle_ != nullptr) {
    ::CloseHandle(handle_);
    handle_ = nullptr;
  }
}

bool BringWindowOfClassToFront(const wchar_t* class_name) {
  HWND window = ::FindWindowW(class_name, nullptr);
  if (window == nullptr) {
    return false;
  }
  ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  // SetForegroundWindow is refused to a process that is not in the foreground; sharing the input
  // state of the current foreground thread for the call lifts that restriction.
  const DWORD foreground_thread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
  const DWORD target_thread = ::GetWindowThreadProcessId(window, nullptr);
  if (foreground_thread != 0 && foreground_thread != target_thread) {
    ::AttachThreadInput(foreground_thread, target_thread, TRUE);
    ::SetForegroundWindow(window);
    ::AttachThreadInput(foreground_thread, target_thread, FALSE);
  } else {
    ::SetForegroundWindow(window);
  }
  return true;
}
