#include "base/message_loop/message_loop_factory.h"

#include "base/message_loop/io_message_loop_win.h"
#include "base/message_loop/ui_message_loop_win.h"

namespace nbase {

std::unique_ptr<MessageLoop> CreateMessageLoop(MessageLoopType type) {
  switch (type) {
    case MessageLoopType::kDefault:
      return std::make_unique<MessageLoop>();
    case MessageLoopType::kUI:
      return UIMessageLoop::Create();
    case MessageLoopType::kIO:
      return IOMessageLoop::Create();
    case MessageLoopType::kCustom:
      break;
  }
  return nullptr;
}

}  // namespace nbase
