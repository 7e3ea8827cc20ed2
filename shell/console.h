// Where the process's standard streams go. The program is a GUI executable, so by default its log
// output (the plug-in's stream logs, the engine's messages) goes nowhere; these routines give it a
// console when one makes sense.
//
// Thread-safety: main thread, at start-up, before other threads write to the streams.
#ifndef SHELL_CONSOLE_H_
#define SHELL_CONSOLE_H_

// Attaches to the console of the parent process (started from a terminal); when there is none and
// a debugger is present, opens a console of its own. Otherwise output stays unattached. Failures
// are ignored.
void AttachParentOrDebugConsole();

// Opens a new console and routes the standard output and error streams, including the engine's,
// to it. Does nothing when a console cannot be opened.
void AttachDebugConsole();

#endif  // SHELL_CONSOLE_H_
