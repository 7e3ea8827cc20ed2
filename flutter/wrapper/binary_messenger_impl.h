// BinaryMessengerImpl: the BinaryMessenger over the engine's C messenger.
//
// Thread affinity: the platform thread, like the C messenger. Replies handed to handlers may be
// called on any thread and after the engine is gone (they are then dropped).
#ifndef FLUTTER_WRAPPER_BINARY_MESSENGER_IMPL_H_
#define FLUTTER_WRAPPER_BINARY_MESSENGER_IMPL_H_

#include <map>
#include <memory>
#include <string>

#include "flutter/binary_messenger.h"
#include <flutter_messenger.h>

namespace flutter {

class BinaryMessengerImpl : public BinaryMessenger {
 public:
  // Takes a reference to |core_messenger| for as long as this object and its replies live.
  explicit BinaryMessengerImpl(FlutterDesktopMessengerRef core_messenger);
  ~BinaryMessengerImpl() override;
  BinaryMessengerImpl(const BinaryMessengerImpl&) = delete;
  BinaryMessengerImpl& operator=(const BinaryMessengerImpl&) = delete;

  // BinaryMessenger:
  void Send(const std::string& channel, const uint8_t* message, size_t message_size,
            BinaryReply reply) const override;
  void SetMessageHandler(const std::string& channel, BinaryMessageHandler handler) override;

 private:
  static void ForwardToHandler(FlutterDesktopMessengerRef messenger,
                               const FlutterDesktopMessage* message, void* user_data);

  // Shared with every reply callable, so a late reply still has a live messenger object.
  std::shared_ptr<FlutterDesktopMessenger> messenger_;

  // Installed handlers by channel. The engine holds pointers to the mapped values, which std::map
  // keeps stable until the entry is erased.
  struct HandlerEntry {
    std::shared_ptr<FlutterDesktopMessenger> messenger;
    BinaryMessageHandler handler;
  };
  std::map<std::string, HandlerEntry> handlers_;
};

}  // namespace flutter

#endif  // FLUTTER_WRAPPER_BINARY_MESSENGER_IMPL_H_
