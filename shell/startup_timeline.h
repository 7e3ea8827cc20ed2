// The start-up timeline: the moments the program passes on its way from process start to its
// first frame, for finding where start-up time goes.
//
// When the environment variable FERNHOLD_STARTUP_TIMELINE is set (to anything), each mark prints
// one line to standard output, in milliseconds since the process was created:
//
//   [start-up] 41.7 ms top-level window
//
// Otherwise a mark does nothing beyond reading a flag. The start-up benchmark sets the variable
// and gathers the lines of many runs into a timeline.
//
// Thread-safety: MarkStartup may be called from any thread.
#ifndef SHELL_STARTUP_TIMELINE_H_
#define SHELL_STARTUP_TIMELINE_H_

// Prints `milestone` with the time since process creation, when the timeline is wanted.
void MarkStartup(const char* milestone);

#endif  // SHELL_STARTUP_TIMELINE_H_
