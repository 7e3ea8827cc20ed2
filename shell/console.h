// Where the process's standard streams go. The program is a GUI executable, so by default its log
// output (the plug-in's stream logs, the engine's messages) goes nowhere; these routines give it a
// console when one makes sense.
//
//   AttachParentOrDebugConsole();  // first thing in wWinMain
//   std::printf("[Fernhold] started\n");  // in the terminal the program was started from
//
// The C runtime of a GUI program binds its standard streams when the process starts: to what the
// parent handed down (a file, a pipe), or to nothing. A console attached later is not seen by
// them until they are re-opened on it, which these routines do for the streams that lead nowhere.
//
// Thread-safety: main thread, at start-up, before other threads write to the streams.
#ifndef SHELL_CONSOLE_H_
#define SHELL_CONSOLE_H_

#include <cstdio>

// Attaches to the console of the parent process (started from a terminal) and re-opens on it the
// standard output and error streams that lead nowhere; streams the parent redirected stay where
// they go. When there is no parent console and a debugger is present, opens a console of its own
// (AttachDebugConsole). Otherwise output stays unattached. Failures are ignored.
void AttachParentOrDebugConsole();

// Opens a new console and routes the standard output and error streams, including the engine's,
// to it. Does nothing when a console cannot be opened.
void AttachDebugConsole();

// Points `stream` (standard output or error, whose descriptor is `descriptor`, 1 or 2) at the
// process's console. The console is opened before anything of the stream is let go, so without a
// console to write to the stream stays as it was and false comes back.
bool RouteStreamToConsole(FILE* stream, int descriptor);

#endif  // SHELL_CONSOLE_H_
