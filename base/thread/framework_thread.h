// A named thread that runs a message loop of a chosen type.
//
// Every long-lived thread of the program that runs tasks is a FrameworkThread. Start() builds the
// loop on the new thread, runs the owner's Init() there and returns only afterwards; the loop then
// runs until Stop() (or StopSoon() on the thread itself) asks it to quit, after which Cleanup()
// runs on the thread, while the loop still exists, and the loop is deleted.
//
//   class MiscThread : public nbase::FrameworkThread {
//    public:
//     MiscThread() : FrameworkThread("Global Misc Thread") {}
//     ~MiscThread() override { Stop(); }   // before this class's parts are gone
//    private:
//     void Init() override { nbase::ThreadRegistry::RegisterThread(1); }
//     void Cleanup() override { nbase::ThreadRegistry::UnregisterThread(); }
//   };
//   MiscThread misc;
//   misc.Start();                                  // Init has run when this returns
//   nbase::ThreadRegistry::PostTask(1, [] { ... });
//   misc.Stop();                                   // Cleanup has run when this returns
//
// A subclass should call Stop() in its own destructor: the base destructor stops the thread too,
// but by then the subclass's Cleanup() override is gone and the base's (empty) one runs instead.
//
// States: constructed -> running (Start returned true) -> stopped (Stop returned). A stopped
// thread may be started again. A loop may also end on its own (a UI loop that gets WM_QUIT);
// Stop() is still needed, and safe, to collect the thread.
//
// Thread safety: Start, StartWithLoop, Stop and the destructor belong to the owner's thread, with
// one exception: Stop() or the destructor called on the thread itself (from one of its tasks)
// only asks the loop to quit and returns; the body then finishes without touching the object.
// Init, Cleanup and StopSoon run on the thread itself. message_loop() is meaningful on the thread
// itself or while the owner knows the thread runs.
#ifndef BASE_THREAD_FRAMEWORK_THREAD_H_
#define BASE_THREAD_FRAMEWORK_THREAD_H_

#include <atomic>
#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "base/message_loop/message_loop.h"
#include "base/synchronization/waitable_event.h"
#include "base/thread/thread.h"

namespace nbase {

class Dispatcher;
class MessageLoopProxy;

// Supplies the loop of a thread started with MessageLoopType::kCustom.
class CustomMessageLoopFactory {
 public:
  virtual ~CustomMessageLoopFactory() = default;
  // Called on the new thread; the loop made becomes that thread's current loop. Null fails the
  // start.
  virtual std::unique_ptr<MessageLoop> CreateMessageLoop() = 0;
};

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
 public:
  explicit FrameworkThread(std::string name);
  ~FrameworkThread() override;

  // StartWithLoop(MessageLoopType::kDefault).
  bool Start();

  // Starts the thread with a loop of |type|; |dispatcher| (UI loops only) handles the outermost
  // run level's messages. Returns after Init() ran on the new thread. False when the thread is
  // already running, cannot be created, or its loop cannot be made (for a UI loop: its message
  // window; for kCustom: no factory or a null loop); nothing is left running then.
  bool StartWithLoop(MessageLoopType type, Dispatcher* dispatcher = nullptr);

  // Asks the loop to quit (after the tasks already queued) and waits without a time limit for
  // the thread to end. Does nothing when not running. On the thread itself, only asks.
  void Stop();

  // The quit task: ends the innermost run level once the loop is idle and marks the thread as
  // quitting properly. Thread itself only.
  void StopSoon();

  // Sets the calling thread's quit-properly flag; nothing when the caller is not a framework
  // thread.
  static void SetQuitProperly(bool quit_properly);
  // The calling thread's quit-properly flag: false at the start of the body, set by StopSoon (so
  // by Stop) and SetQuitProperly. False for threads that are not framework threads.
  static bool IsQuitProperly();

  // The loop factory for MessageLoopType::kCustom. Set before starting; released when the body
  // ends.
  void SetCustomMessageLoopFactory(std::shared_ptr<CustomMessageLoopFactory> factory) {
    custom_factory_ = std::move(factory);
  }

  // The thread's loop; null before the body made it and after the body deleted it.
  MessageLoop* message_loop() const { return message_loop_.load(std::memory_order_acquire); }

  // The proxy of the running thread's loop; null when not running. Owner's thread.
  std::shared_ptr<MessageLoopProxy> message_loop_proxy() const { return proxy_; }

  bool IsRunning() const { return running_; }
  const std::string& thread_name() const { return name_; }

 protected:
  // Runs on the new thread after its loop exists, before Start returns.
  virtual void Init() {}
  // Runs on the thread after its loop returned, while the loop still exists.
  virtual void Cleanup() {}

 private:
  // Thread: the body.
  void Run() final;

  std::unique_ptr<MessageLoop> CreateLoop();
  // Posts the quit task into the calling thread's current loop.
  static void PostQuitToCurrentLoop();

  // Owner's thread.
  bool running_ = false;
  bool stopping_ = false;
  MessageLoopType loop_type_ = MessageLoopType::kDefault;
  Dispatcher* dispatcher_ = nullptr;
  std::shared_ptr<CustomMessageLoopFactory> custom_factory_;
  std::shared_ptr<MessageLoopProxy> proxy_;

  // Written by the body before it signals start_event_, read by the starter after the wait.
  bool start_succeeded_ = false;
  std::shared_ptr<MessageLoopProxy> started_proxy_;

  // Owned by the body; published here for message_loop().
  std::atomic<MessageLoop*> message_loop_{nullptr};
  WaitableEvent start_event_;  // automatic; the body signals it once Init ran (or failed)
  const std::string name_;
};

}  // namespace nbase

#endif  // BASE_THREAD_FRAMEWORK_THREAD_H_
