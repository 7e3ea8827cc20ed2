#include "base/message_loop/ui_message_loop_win.h"

#include <utility>

namespace nbase {

std::unique_ptr<UIMessageLoop> UIMessageLoop::Create() {
  return Create(WinUIMessagePump::Create());
}

std::unique_ptr<UIMessageLoop> UIMessageLoop::Create(std::shared_ptr<WinUIMessagePump> pump) {
  if (!pump) return nullptr;
  return std::unique_ptr<UIMessageLoop>(new UIMessageLoop(std::move(pump)));
}

UIMessageLoop* UIMessageLoop::Current() {
  return dynamic_cast<UIMessageLoop*>(MessageLoop::Current());
}

UIMessageLoop::UIMessageLoop(std::shared_ptr<WinUIMessagePump> pump)
    : MessageLoop(MessageLoopType::kUI, pump), pump_(pump.get()) {}

void UIMessageLoop::RunInternal() {
  if (Dispatcher* dispatcher = run_state()->dispatcher) {
    pump_->RunWithDispatcher(this, dispatcher);
  } else {
    MessageLoop::RunInternal();
  }
}

}  // namespace nbase
