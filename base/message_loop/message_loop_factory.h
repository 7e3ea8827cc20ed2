// Makes the message loop of a given type on the calling thread.
//
// Thread safety: call on the thread that will run the loop; the new loop becomes its current loop.
#ifndef BASE_MESSAGE_LOOP_MESSAGE_LOOP_FACTORY_H_
#define BASE_MESSAGE_LOOP_MESSAGE_LOOP_FACTORY_H_

#include <memory>

#include "base/message_loop/message_loop.h"

namespace nbase {

// A default, UI or I/O loop; null for kCustom, or when the pump's window or port cannot be made.
std::unique_ptr<MessageLoop> CreateMessageLoop(MessageLoopType type);

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_MESSAGE_LOOP_FACTORY_H_
