// The message loop of threads that own windows: a MessageLoop over a WinUIMessagePump.
//
//   std::unique_ptr<nbase::UIMessageLoop> loop = nbase::UIMessageLoop::Create();
//   if (!loop) return false;   // no message window: the thread could never be woken
//   loop->Run();
//
// Thread safety: as MessageLoop; created, run and destroyed on its thread.
#ifndef BASE_MESSAGE_LOOP_UI_MESSAGE_LOOP_WIN_H_
#define BASE_MESSAGE_LOOP_UI_MESSAGE_LOOP_WIN_H_

#include <memory>

#include "base/message_loop/message_loop.h"
#include "base/message_loop/message_pump_win.h"

namespace nbase {

class UIMessageLoop final : public MessageLoop {
 public:
  // Makes a UI loop the calling thread's current loop; null when the pump's message window
  // cannot be created.
  static std::unique_ptr<UIMessageLoop> Create();
  // Makes a UI loop over |pump| (made on this thread); null when |pump| is null.
  static std::unique_ptr<UIMessageLoop> Create(std::shared_ptr<WinUIMessagePump> pump);

  // The calling thread's loop when it is a UI loop, else null.
  static UIMessageLoop* Current();

  void AddUIObserver(WinUIMessagePump::UIObserver* observer) { pump_->AddObserver(observer); }
  void RemoveUIObserver(WinUIMessagePump::UIObserver* observer) {
    pump_->RemoveObserver(observer);
  }

  WinUIMessagePump* pump() const { return pump_; }

 private:
  explicit UIMessageLoop(std::shared_ptr<WinUIMessagePump> pump);

  // MessageLoop: a run level with a dispatcher hands it to the pump.
  void RunInternal() override;

  WinUIMessagePump* const pump_;  // owned by the base's shared pump
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_UI_MESSAGE_LOOP_WIN_H_
