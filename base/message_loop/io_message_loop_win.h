// The message loop of threads that serve overlapped I/O: a MessageLoop over a WinIOMessagePump.
//
// Thread safety: as MessageLoop; created, run and destroyed on its thread.
#ifndef BASE_MESSAGE_LOOP_IO_MESSAGE_LOOP_WIN_H_
#define BASE_MESSAGE_LOOP_IO_MESSAGE_LOOP_WIN_H_

#include <memory>

#include "base/message_loop/io_message_pump_win.h"
#include "base/message_loop/message_loop.h"

namespace nbase {

class IOMessageLoop final : public MessageLoop {
 public:
  // Makes an I/O loop the calling thread's current loop; null when the completion port cannot be
  // created.
  static std::unique_ptr<IOMessageLoop> Create();

  // The calling thread's loop when it is an I/O loop, else null.
  static IOMessageLoop* Current();

  bool RegisterIOHandler(HANDLE file, WinIOMessagePump::IOHandler* handler) {
    return pump_->RegisterIOHandler(file, handler);
  }

  WinIOMessagePump* pump() const { return pump_; }

 private:
  explicit IOMessageLoop(std::shared_ptr<WinIOMessagePump> pump);

  WinIOMessagePump* const pump_;  // owned by the base's shared pump
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_IO_MESSAGE_LOOP_WIN_H_
