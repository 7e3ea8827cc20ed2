// Process entry of fernhold_pc_client.exe.
//
// Start-up order matters: the single-instance check comes before anything visible; the engine,
// its window and every channel exist before the application threads start; the message loop of
// this thread (the engine's platform thread) runs until the top-level window is destroyed.
#include <windows.h>

#include <objbase.h>

#include "flutter/dart_project.h"
#include "phone_window/window_thread_pool.h"
#include "shell/command_line.h"
#include "shell/console.h"
#include "shell/flutter_window.h"
#include "shell/main_thread.h"
#include "shell/single_instance.h"
#include "shell/startup_timeline.h"
#include "shell/win32_window.h"

namespace {

constexpr wchar_t kWindowTitle[] = L"fernhold_pc_client";
constexpr Win32Window::Point kWindowOrigin{10, 10};  // Logical pixels.
constexpr Win32Window::Size kWindowSize{1280, 720};  // Logical pixels.

// The application thread that hosts the UI library, the SDK runtime and the misc thread; one
// per process.
MainThread g_main_thread;

constexpr int kExitSuccess = 0;
constexpr int kExitWindowFailed = 1;

void RunMessageLoop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE previous_instance, wchar_t* command_line,
                      int show_command) {
  MarkStartup("entry");
  SingleInstanceMutex single_instance(kSingleInstanceMutexName);
  if (single_instance.another_instance_running()) {
    BringWindowOfClassToFront(kMainWindowClassName);
    return kExitSuccess;
  }

  AttachParentOrDebugConsole();

  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  flutter::DartProject project(L"data");
  project.set_dart_entrypoint_arguments(CommandLineArgumentsUtf8());

  auto window = std::make_unique<FlutterWindow>(project);
  if (!window->Create(kWindowTitle, kWindowOrigin, kWindowSize)) {
    ::CoUninitialize();
    window.reset();
    return kExitWindowFailed;
  }
  window->SetQuitWhenClosed(true);
  MarkStartup("window and channels created");

  // The application threads start once the window and its channels exist; the start returns
  // after their initialisation ran, so the SDK runtime is up before any message is handled.
  g_main_thread.StartWithLoop(nbase::MessageLoopType::kUI);
  MarkStartup("application threads started");
  RunMessageLoop();
  // The pop-out window threads end before the UI library they paint with is shut down.
  ShutdownWindowThreads();
  g_main_thread.Stop();

  ::CoUninitialize();
  single_instance.Release();
  window.reset();
  return kExitSuccess;
}
