// Scenario: the script that the scripted Dart side runs in place of a Dart program.
//
// One command per line; blank lines and lines starting with '#' are skipped. The format is
// described in flutter/SCENARIO.md. Parsing checks the whole script first and reports every bad
// line with its line number; a script with errors is not run at all.
#ifndef FLUTTER_ENGINE_SCENARIO_H_
#define FLUTTER_ENGINE_SCENARIO_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "flutter/encodable_value.h"

namespace flutter {
namespace engine {

// call <channel> <method> [<arguments>]
struct CallCommand {
  std::string channel;
  std::string method;
  EncodableValue arguments;  // null when none given
};

// send <channel> <value>  |  sendbytes <channel> <hex>
struct SendCommand {
  std::string channel;
  std::vector<uint8_t> message;  // already encoded
};

// listen <channel> [<arguments>]  |  cancel <channel> [<arguments>]
struct StreamCommand {
  std::string channel;
  bool listen = true;  // false: cancel
  EncodableValue arguments;
};

// wait <ms>
struct WaitTimeCommand {
  int milliseconds = 0;
};

// wait reply [<timeout ms>]
struct WaitReplyCommand {
  int timeout_ms = 0;
};

// wait event <channel> [<timeout ms>] [<text>]
struct WaitEventCommand {
  std::string channel;
  int timeout_ms = 0;
  std::string contains;  // empty: any event
};

// echo <text>
struct EchoCommand {
  std::string text;
};

// close
struct CloseCommand {};

struct ScenarioCommand {
  int line = 0;
  std::variant<CallCommand, SendCommand, StreamCommand, WaitTimeCommand, WaitReplyCommand,
               WaitEventCommand, EchoCommand, CloseCommand>
      body;
};

struct Scenario {
  static constexpr int kDefaultTimeoutMs = 10000;

  std::vector<ScenarioCommand> commands;
  // "line <n>: <message>", in line order. Non-empty means the script must not run.
  std::vector<std::string> errors;

  bool ok() const { return errors.empty(); }
};

// Parses a whole script (UTF-8, with or without a byte-order mark; CRLF or LF line ends).
Scenario ParseScenario(std::string_view text);

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_SCENARIO_H_
