#include "shell/console.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <iostream>

#include <flutter_windows.h>

namespace {

// True when `stream` writes to nothing: a GUI program started without standard handles has its
// streams on descriptors without a handle, or on none at all. A file, pipe or console the parent
// handed down is somewhere.
bool LeadsNowhere(FILE* stream) {
  const int descriptor = _fileno(stream);
  if (descriptor < 0) return true;
  const intptr_t handle = _get_osfhandle(descriptor);
  return handle == 0 || handle == -1 || handle == -2;
}

// Makes `stream` write through `descriptor` when the runtime started it on none (a GUI program
// started without standard handles). Such a stream wrote nowhere, so nothing is lost if it fails.
bool BindToDescriptor(FILE* stream, int descriptor) {
  if (_fileno(stream) == descriptor) return true;
#ifdef _UCRT
  return std::freopen("CONOUT$", "w", stream) != nullptr;
#else
  // msvcrt refuses to re-open a stream without a descriptor (freopen has none to close); its FILE
  // is laid out openly, so the stream is given the descriptor directly.
  _lock_file(stream);
  stream->_file = descriptor;
  _unlock_file(stream);
  return true;
#endif
}

// The C++ streams and the engine follow the C runtime's streams.
void ResyncStreams() {
  std::ios::sync_with_stdio();
  FlutterDesktopResyncOutputStreams();
}

}  // namespace

bool RouteStreamToConsole(FILE* stream, int descriptor) {
  // The device is opened first; re-opening the stream straight away (freopen) would close it
  // before knowing whether the console can be opened at all.
  HANDLE device = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  const int console = _open_osfhandle(reinterpret_cast<intptr_t>(device), _O_TEXT);
  if (console < 0) {
    ::CloseHandle(device);
    return false;
  }
  std::fflush(stream);
  const bool moved = _dup2(console, descriptor) == 0;
  _close(console);
  if (!moved) return false;
  if (!BindToDescriptor(stream, descriptor)) return false;
  std::clearerr(stream);
  return true;
}

void AttachParentOrDebugConsole() {
  // A process that already has its parent's console (Wine hands it to GUI children as well) is
  // refused with ERROR_ACCESS_DENIED: it is attached all the same.
  if (::AttachConsole(ATTACH_PARENT_PROCESS) || ::GetLastError() == ERROR_ACCESS_DENIED) {
    // Streams the parent redirected (to a file or a pipe) stay there.
    bool routed = false;
    if (LeadsNowhere(stdout)) routed |= RouteStreamToConsole(stdout, 1);
    if (LeadsNowhere(stderr)) routed |= RouteStreamToConsole(stderr, 2);
    if (routed) ResyncStreams();
    return;
  }
  if (::IsDebuggerPresent()) AttachDebugConsole();
}

void AttachDebugConsole() {
  if (!::AllocConsole()) return;
  const bool output = RouteStreamToConsole(stdout, 1);
  // Standard error follows standard output when the console cannot be opened for it.
  if (!RouteStreamToConsole(stderr, 2) && output) _dup2(1, 2);
  ResyncStreams();
}
