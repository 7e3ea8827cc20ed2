// BinaryMessenger: named channels of raw bytes between the host and the Dart side.
//
// Thread affinity: use a messenger on the engine's platform thread. Handlers run there, from the
// thread's message loop, one at a time, never nested inside Send or a reply. A BinaryReply may be
// called once, on any thread.
#ifndef FLUTTER_BINARY_MESSENGER_H_
#define FLUTTER_BINARY_MESSENGER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace flutter {

// Answers one message. Call it exactly once; null and 0 send an empty reply.
typedef std::function<void(const uint8_t* reply, size_t reply_size)> BinaryReply;

// Handles one message on a channel. |message| is valid for the duration of the call only.
typedef std::function<void(const uint8_t* message, size_t message_size, BinaryReply reply)>
    BinaryMessageHandler;

class BinaryMessenger {
 public:
  virtual ~BinaryMessenger() = default;

  // Sends |message| on |channel|. |reply|, when given, is called once on the platform thread with
  // the answer (empty when the Dart side has no handler for the channel).
  virtual void Send(const std::string& channel, const uint8_t* message, size_t message_size,
                    BinaryReply reply = nullptr) const = 0;

  // Installs |handler| for |channel|, replacing any earlier one; an empty handler removes it.
  virtual void SetMessageHandler(const std::string& channel, BinaryMessageHandler handler) = 0;
};

}  // namespace flutter

#endif  // FLUTTER_BINARY_MESSENGER_H_
