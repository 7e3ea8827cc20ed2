// C interface of the engine's binary messenger: named channels carrying byte messages between the
// host and the Dart side.
//
// Thread affinity:
//   - Message callbacks run on the platform thread (the thread that created the engine), from its
//     message loop, one at a time and never nested inside a send or a response.
//   - Send and SendWithReply belong on the platform thread; the engine logs a warning when they
//     are called elsewhere but still delivers the message.
//   - SendResponse may be called on any thread, exactly once per received message. A message
//     callback that throws before responding gets an empty response from the engine, which
//     reports the exception and goes on.
//   - AddRef, Release, IsAvailable, Lock and Unlock may be called on any thread.
//
// Lifetime: the messenger outlives the engine while references are held. Once the engine has shut
// down, IsAvailable returns false and every send or response is ignored, so a reply that arrives
// late (for instance from a worker thread) is harmless.
#ifndef FLUTTER_FLUTTER_MESSENGER_H_
#define FLUTTER_FLUTTER_MESSENGER_H_

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include <flutter_export.h>

#if defined(__cplusplus)
extern "C" {
#endif

typedef struct FlutterDesktopMessenger* FlutterDesktopMessengerRef;

// Identifies one message that awaits a response. Owned by the engine; valid until the response
// has been sent (or the engine has shut down).
typedef struct FlutterDesktopMessageResponseHandle FlutterDesktopMessageResponseHandle;

// A response to a sent message. |data| is null and |data_size| 0 when the receiver had no handler
// or answered with an empty reply.
typedef void (*FlutterDesktopBinaryReply)(const uint8_t* data, size_t data_size, void* user_data);

// One incoming message. The pointers are valid for the duration of the callback only.
typedef struct {
  size_t struct_size;
  const char* channel;
  const uint8_t* message;
  size_t message_size;
  const FlutterDesktopMessageResponseHandle* response_handle;
} FlutterDesktopMessage;

typedef void (*FlutterDesktopMessageCallback)(FlutterDesktopMessengerRef messenger,
                                              const FlutterDesktopMessage* message,
                                              void* user_data);

// Sends a message without expecting a reply. Returns false when the engine is gone.
FLUTTER_EXPORT bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger,
                                                const char* channel, const uint8_t* message,
                                                size_t message_size);

// Sends a message; |reply| is called exactly once on the platform thread with the answer. If the
// engine shuts down before the answer comes, |reply| is called with an empty answer during the
// shutdown, so that whatever |user_data| holds can always be released. Returns false (and never
// calls |reply|) when the message could not be sent.
FLUTTER_EXPORT bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger,
                                                         const char* channel,
                                                         const uint8_t* message,
                                                         size_t message_size,
                                                         FlutterDesktopBinaryReply reply,
                                                         void* user_data);

// Answers a received message. A second response for the same handle, or a handle the engine does
// not know, is refused and logged.
FLUTTER_EXPORT void FlutterDesktopMessengerSendResponse(
    FlutterDesktopMessengerRef messenger, const FlutterDesktopMessageResponseHandle* handle,
    const uint8_t* data, size_t data_length);

// Installs the callback for |channel|, replacing any earlier one; a null callback removes it. A
// null callback with a non-null |user_data| removes the callback only when it was installed with
// that same |user_data| (so an owner cannot remove a callback that someone else set since).
// Messages that arrive on a channel without a callback are answered with an empty reply.
FLUTTER_EXPORT void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger,
                                                       const char* channel,
                                                       FlutterDesktopMessageCallback callback,
                                                       void* user_data);

// Reference counting of the messenger object itself (not of the engine).
FLUTTER_EXPORT FlutterDesktopMessengerRef
FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger);
FLUTTER_EXPORT void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger);

// True while the engine behind the messenger is running. Call under Lock when the answer is used
// to decide whether to send.
FLUTTER_EXPORT bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger);

// Holds off engine shutdown while a caller checks IsAvailable and sends. Returns |messenger|.
FLUTTER_EXPORT FlutterDesktopMessengerRef
FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger);
FLUTTER_EXPORT void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_FLUTTER_MESSENGER_H_
