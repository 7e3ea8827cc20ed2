// The application's two framework threads.
//
// MainThread is the process-wide thread (registry id 0) that brings up what the program needs
// beside the engine: "Global Misc Thread" (id 1, a default loop) and the streaming SDK's runtime.
// wWinMain starts it once the top-level window and its channels exist, and stops it after the
// platform thread's message loop ended:
//
//   MainThread main_thread;                          // one, for the whole process
//   main_thread.StartWithLoop(nbase::MessageLoopType::kUI);   // returns after Init() ran
//   ... platform thread's message loop ...
//   main_thread.Stop();                              // Cleanup() has run when this returns
//
// MiscThread is a plain framework thread that registers itself under an id its creator gives it;
// its Init() and Cleanup() are also what the pop-out window threads do.
//
// Thread affinity: Init() and Cleanup() run on the thread itself; Start/Stop belong to the
// owner's thread (the process main thread).
#ifndef SHELL_MAIN_THREAD_H_
#define SHELL_MAIN_THREAD_H_

#include <memory>
#include <string>

#include "base/thread/framework_thread.h"

class MiscThread : public nbase::FrameworkThread {
 public:
  MiscThread(std::string name, int id);
  ~MiscThread() override;

  int id() const { return id_; }

 protected:
  // Registers the calling thread under id().
  void Init() override;
  // Drops that registration.
  void Cleanup() override;

 private:
  const int id_;
};

class MainThread : public nbase::FrameworkThread {
 public:
  static constexpr int kMainThreadId = 0;
  static constexpr int kMiscThreadId = 1;

  MainThread();
  ~MainThread() override;

 protected:
  // Registers as id 0, starts the misc thread, initialises the SDK runtime.
  void Init() override;
  // Stops the misc thread, marks the quit as proper, unregisters, de-initialises the SDK runtime.
  void Cleanup() override;

 private:
  // Created and started by Init(); stopped and deleted by Cleanup(). Null in between runs.
  std::unique_ptr<MiscThread> misc_thread_;
};

#endif  // SHELL_MAIN_THREAD_H_
