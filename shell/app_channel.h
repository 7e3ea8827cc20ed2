// The app channel "fernhold/app": how the Dart side asks the host process itself for things.
//
// Methods (standard method codec, arguments ignored):
//   "shutdown"  replies success with no value, then ends the process at once with exit code 0.
//               Nothing is torn down: the Dart side has already saved what it needs.
//   any other   replies not-implemented.
//
// The channel's handler lives on the engine's messenger, so the AppChannel must be destroyed while
// the engine still exists: its destructor removes the handler, and after that nothing here touches
// the messenger again.
//
//   auto channel = std::make_unique<AppChannel>(engine->messenger());
//   ...
//   channel.reset();  // before the engine goes
//
// Thread-safety: created, called and destroyed on the platform thread (the process main thread),
// where the engine delivers method calls.
#ifndef SHELL_APP_CHANNEL_H_
#define SHELL_APP_CHANNEL_H_

#include <windows.h>

#include <functional>
#include <memory>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/method_channel.h"

inline constexpr char kAppChannelName[] = "fernhold/app";

class AppChannel {
 public:
  // Ends the process with an exit code. The default terminates the current process.
  using ProcessTerminator = std::function<void(UINT exit_code)>;

  // Installs the handler on `messenger`, which must outlive this object. `terminate` is what
  // "shutdown" calls after its reply has been handed to the engine.
  explicit AppChannel(flutter::BinaryMessenger* messenger,
                      ProcessTerminator terminate = &AppChannel::TerminateCurrentProcess);

  // Removes the handler from the messenger.
  ~AppChannel();

  AppChannel(const AppChannel&) = delete;
  AppChannel& operator=(const AppChannel&) = delete;

  // TerminateProcess of the current process with `exit_code`.
  static void TerminateCurrentProcess(UINT exit_code);

 private:
  void HandleMethodCall(const flutter::MethodCall<flutter::EncodableValue>& call,
                        std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result);

  ProcessTerminator terminate_;
  std::unique_ptr<flutter::MethodChannel<flutter::EncodableValue>> channel_;
};

#endif  // SHELL_APP_CHANNEL_H_
