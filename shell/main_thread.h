// The application's two framework threads.
//
// MainThread is the process-wide thread (registry id 0) that brings up what the program needs
// beside the engine: "Global Misc Thread" (id 1, a default loop), the UI library of the pop-out
// windows (skins under "resources\" beside the executable, theme "themes\default", language
// "lang\zh_CN", the application's control factory) and the streaming SDK's runtime. wWinMain
// starts it once the top-level window and its channels exist, and stops it after the platform
// thread's message loop ended:
//
//   MainThread main_thread;                          // one, for the whole process
//   main_thread.StartWithLoop(nbase::MessageLoopType::kUI);   // returns after Init() ran
//   ... platform thread's message loop ...
//   main_thread.Stop();                              // Cleanup() has run when this returns
//
// MiscThread is a plain framework thread that registers itself under an id its creator gives it;
// its Init() and Cleanup() are also what the pop-out window threads do.
//
// Order: Init registers id 0, starts the misc thread, starts the UI library, initialises the SDK
// runtime. Cleanup shuts the UI library down, stops the misc thread, marks the quit as proper,
// unregisters id 0 and de-initialises the SDK runtime. Failures of the UI library's start and of
// the runtime's initialisation are not fatal: start-up goes on.
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

// What MainThread brings up beside its threads. MakeAppServices() gives the program's; tests
// give one that records the calls. Every call runs on MainThread.
class MainThreadServices {
 public:
  virtual ~MainThreadServices() = default;
  virtual void StartUi() = 0;
  virtual void InitSdkRuntime() = 0;
  virtual void ShutdownUi() = 0;
  virtual void DeinitSdkRuntime() = 0;
};

// The UI library with the program's resource root, theme, language and CreateAppControl, and the
// streaming SDK's runtime.
std::unique_ptr<MainThreadServices> MakeAppServices();

class MainThread : public nbase::FrameworkThread {
 public:
  static constexpr int kMainThreadId = 0;
  static constexpr int kMiscThreadId = 1;

  // With the program's services.
  MainThread();
  explicit MainThread(std::unique_ptr<MainThreadServices> services);
  ~MainThread() override;

 protected:
  // Registers as id 0, starts the misc thread, starts the UI library, initialises the SDK
  // runtime.
  void Init() override;
  // Shuts the UI library down, stops the misc thread, marks the quit as proper, unregisters,
  // de-initialises the SDK runtime.
  void Cleanup() override;

 private:
  const std::unique_ptr<MainThreadServices> services_;
  // Created and started by Init(); stopped and deleted by Cleanup(). Null in between runs.
  std::unique_ptr<MiscThread> misc_thread_;
};

#endif  // SHELL_MAIN_THREAD_H_
