#include "shell/console.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <iostream>

#include <flutter_windows.h>

namespace {

// Points `stream` at the console; when that fails, makes `descriptor` a copy of standard output.
void RouteToConsole(FILE* stream, int descriptor) {
  if (std::freopen("CONOUT$", "w", stream) == nullptr) {
    _dup2(_fileno(stdout), descriptor);
  }
}

}  // namespace

void AttachParentOrDebugConsole() {
  if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::IsDebuggerPresent()) {
    AttachDebugConsole();
  }
}

void AttachDebugConsole() {
  if (!::AllocConsole()) {
    return;
  }
  RouteToConsole(stdout, 1);
  RouteToConsole(stderr, 2);
  std::ios::sync_with_stdio();
  FlutterDesktopResyncOutputStreams();
}
