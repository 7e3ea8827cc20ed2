#include "base/message_loop/io_message_loop_win.h"

#include <utility>

namespace nbase {

std::unique_ptr<IOMessageLoop> IOMessageLoop::Create() {
  std::shared_ptr<WinIOMessagePump> pump = WinIOMessagePump::Create();
  if (!pump) return nullptr;
  return std::unique_ptr<IOMessageLoop>(new IOMessageLoop(std::move(pump)));
}

IOMessageLoop* IOMessageLoop::Current() {
  return dynamic_cast<IOMessageLoop*>(MessageLoop::Current());
}

IOMessageLoop::IOMessageLoop(std::shared_ptr<WinIOMessagePump> pump)
    : MessageLoop(MessageLoopType::kIO, pump), pump_(pump.get()) {}

}  // namespace nbase
