#include "flutter/engine/scenario.h"

#include <charconv>
#include <memory>
#include <utility>

#include "flutter/engine/value_text.h"
#include "flutter/standard_message_codec.h"

namespace flutter {
namespace engine {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads blank-separated words off the front of one line.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  std::string_view NextWord() {
    SkipBlanks();
    const size_t start = pos_;
    while (pos_ < line_.size() && !IsBlank(line_[pos_])) ++pos_;
    return line_.substr(start, pos_ - start);
  }

  // The next word without consuming it.
  std::string_view PeekWord() {
    const size_t saved = pos_;
    std::string_view word = NextWord();
    pos_ = saved;
    return word;
  }

  // Everything left, without surrounding blanks.
  std::string_view Rest() {
    SkipBlanks();
    size_t end = line_.size();
    while (end > pos_ && IsBlank(line_[end - 1])) --end;
    std::string_view rest = line_.substr(pos_, end - pos_);
    pos_ = line_.size();
    return rest;
  }

  bool AtEnd() {
    SkipBlanks();
    return pos_ >= line_.size();
  }

 private:
  void SkipBlanks() {
    while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
  }

  std::string_view line_;
  size_t pos_ = 0;
};

std::optional<int> ParseMilliseconds(std::string_view word) {
  int value = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || value < 0) return std::nullopt;
  return value;
}

bool IsMilliseconds(std::string_view word) {
  return !word.empty() && ParseMilliseconds(word).has_value();
}

std::optional<std::vector<uint8_t>> ParseHex(std::string_view text, std::string* error) {
  std::vector<uint8_t> bytes;
  int pending = -1;
  for (const char c : text) {
    if (IsBlank(c)) continue;
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) {
      *error = std::string("'") + c + "' is not a hex digit";
      return std::nullopt;
    }
    if (pending < 0) {
      pending = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(pending * 16 + digit));
      pending = -1;
    }
  }
  if (pending >= 0) {
    *error = "odd number of hex digits";
    return std::nullopt;
  }
  return bytes;
}

// Parses an optional trailing value; an empty rest gives null.
std::optional<EncodableValue> OptionalValue(LineReader* reader, std::string* error) {
  const std::string_view rest = reader->Rest();
  if (rest.empty()) return EncodableValue();
  return ParseWholeValue(rest, error);
}

using CommandBody = decltype(ScenarioCommand::body);

std::optional<CommandBody> ParseCommand(std::string_view line, std::string* error) {
  LineReader reader(line);
  const std::string_view command = reader.NextWord();

  auto need_channel = [&](std::string* channel) {
    *channel = std::string(reader.NextWord());
    if (channel->empty()) *error = "\"" + std::string(command) + "\" needs a channel name";
    return !channel->empty();
  };

  if (command == "call") {
    CallCommand call;
    if (!need_channel(&call.channel)) return std::nullopt;
    call.method = std::string(reader.NextWord());
    if (call.method.empty()) {
      *error = "\"call\" needs a method name";
      return std::nullopt;
    }
    std::optional<EncodableValue> arguments = OptionalValue(&reader, error);
    if (!arguments) return std::nullopt;
    call.arguments = std::move(*arguments);
    return call;
  }
  if (command == "send" || command == "sendbytes") {
    SendCommand send;
    if (!need_channel(&send.channel)) return std::nullopt;
    const std::string_view rest = reader.Rest();
    if (rest.empty()) {
      *error = "\"" + std::string(command) + "\" needs a message";
      return std::nullopt;
    }
    if (command == "sendbytes") {
      std::optional<std::vector<uint8_t>> bytes = ParseHex(rest, error);
      if (!bytes) return std::nullopt;
      send.message = std::move(*bytes);
    } else {
      std::optional<EncodableValue> value = ParseWholeValue(rest, error);
      if (!value) return std::nullopt;
      send.message = *StandardMessageCodec::GetInstance().EncodeMessage(*value);
    }
    return send;
  }
  if (command == "listen" || command == "cancel") {
    StreamCommand stream;
    stream.listen = command == "listen";
    if (!need_channel(&stream.channel)) return std::nullopt;
    std::optional<EncodableValue> arguments = OptionalValue(&reader, error);
    if (!arguments) return std::nullopt;
    stream.arguments = std::move(*arguments);
    return stream;
  }
  if (command == "wait") {
    const std::string_view what = reader.NextWord();
    if (what == "reply") {
      WaitReplyCommand wait{Scenario::kDefaultTimeoutMs};
      if (!reader.AtEnd()) {
        std::optional<int> timeout = ParseMilliseconds(reader.NextWord());
        if (!timeout || !reader.AtEnd()) {
          *error = "\"wait reply\" takes only a timeout in milliseconds";
          return std::nullopt;
        }
        wait.timeout_ms = *timeout;
      }
      return wait;
    }
    if (what == "event") {
      WaitEventCommand wait;
      wait.timeout_ms = Scenario::kDefaultTimeoutMs;
      if (!need_channel(&wait.channel)) return std::nullopt;
      if (IsMilliseconds(reader.PeekWord())) wait.timeout_ms = *ParseMilliseconds(reader.NextWord());
      wait.contains = std::string(reader.Rest());
      return wait;
    }
    std::optional<int> milliseconds = ParseMilliseconds(what);
    if (!milliseconds || !reader.AtEnd()) {
      *error = "\"wait\" takes milliseconds, \"reply\" or \"event\"";
      return std::nullopt;
    }
    return WaitTimeCommand{*milliseconds};
  }
  if (command == "echo") {
    return EchoCommand{std::string(reader.Rest())};
  }
  if (command == "close") {
    if (!reader.AtEnd()) {
      *error = "\"close\" takes no arguments";
      return std::nullopt;
    }
    return CloseCommand{};
  }
  *error = "unknown command \"" + std::string(command) + "\"";
  return std::nullopt;
}

}  // namespace

Scenario ParseScenario(std::string_view text) {
  Scenario scenario;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int line_number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;

    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size() || line[first] == '#') continue;

    std::string error;
    std::optional<CommandBody> body = ParseCommand(line, &error);
    if (!body) {
      scenario.errors.push_back("line " + std::to_string(line_number) + ": " + error);
      continue;
    }
    scenario.commands.push_back(ScenarioCommand{line_number, std::move(*body)});
  }
  return scenario;
}

}  // namespace engine
}  // namespace flutter
