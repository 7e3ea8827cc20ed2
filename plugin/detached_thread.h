// StartDetachedThread: runs a task on a thread of its own that nobody joins.
//
// The plug-in's short-lived threads (a session's watchdog, reconnection and re-initialisation
// workers, the microphone configuration deliveries, the stops) hold what they need themselves and
// end on their own; their owners count them.
//
//   if (!StartDetachedThread([session] { session->StopPlay(0); })) Log("no thread");
//
// The thread is created detached rather than detached after its start: with this toolchain's
// threads library, detaching a std::thread right after creating it lost threads under load (one
// created now and then never ran its task, so a watchdog or a stop silently never happened).
//
// Thread-safety: may be called from any thread.
#pragma once

#include <functional>

// Starts `task` on a new detached thread, which owns it. False when no thread could be started;
// `task` is then destroyed on the calling thread.
bool StartDetachedThread(std::function<void()> task);

// Tests: while one lives (process-wide), StartDetachedThread starts nothing and returns false,
// as when the system has no thread left to give.
class RefuseDetachedThreadsForTesting {
 public:
  RefuseDetachedThreadsForTesting();
  ~RefuseDetachedThreadsForTesting();
  RefuseDetachedThreadsForTesting(const RefuseDetachedThreadsForTesting&) = delete;
  RefuseDetachedThreadsForTesting& operator=(const RefuseDetachedThreadsForTesting&) = delete;
};
