#include "flutter/engine/dart_isolate.h"

#include <memory>
#include <utility>

#include "flutter/engine/value_text.h"
#include "flutter/method_result_functions.h"
#include "flutter/standard_message_codec.h"
#include "flutter/standard_method_codec.h"

namespace flutter {
namespace engine {

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0xf];
  }
  return out;
}

// Describes a method reply or an event envelope: "success <v>", "error <c> <m> <d>",
// "notImplemented" (empty), or "undecodable <hex>".
std::string DescribeEnvelope(const std::vector<uint8_t>& bytes) {
  std::string outcome;
  MethodResultFunctions<EncodableValue> result(
      [&outcome](const EncodableValue* value) {
        outcome = "success " + (value ? FormatValue(*value) : std::string("null"));
      },
      [&outcome](const std::string& code, const std::string& message,
                 const EncodableValue* details) {
        outcome = "error " + QuoteString(code) + " " + QuoteString(message) + " " +
                  (details ? FormatValue(*details) : std::string("null"));
      },
      [&outcome] { outcome = "notImplemented"; });
  if (!StandardMethodCodec::GetInstance().DecodeAndProcessResponseEnvelope(bytes.data(),
                                                                           bytes.size(), &result)) {
    return "undecodable " + Hex(bytes);
  }
  return outcome;
}

}  // namespace

DartIsolate::DartIsolate(Host* host, std::optional<Scenario> scenario, std::string entrypoint,
                         std::vector<std::string> arguments, LineSink sink)
    : host_(host),
      scenario_(std::move(scenario)),
      entrypoint_(std::move(entrypoint)),
      arguments_(std::move(arguments)),
      sink_(std::move(sink)) {}

DartIsolate::~DartIsolate() { Stop(); }

void DartIsolate::Start() {
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void DartIsolate::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  incoming_ready_.notify_all();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void DartIsolate::DeliverMessage(const std::string& channel, std::vector<uint8_t> message,
                                 uint64_t host_reply_id) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    incoming_.push_back(Incoming{false, host_reply_id, channel, std::move(message)});
  }
  incoming_ready_.notify_all();
}

void DartIsolate::DeliverReply(uint64_t reply_id, std::vector<uint8_t> response) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    incoming_.push_back(Incoming{true, reply_id, std::string(), std::move(response)});
  }
  incoming_ready_.notify_all();
}

void DartIsolate::Print(const std::string& text) {
  if (sink_) sink_("[dart] " + text);
}

void DartIsolate::Run() {
  Print("entrypoint " + entrypoint_);
  EncodableList arguments;
  for (const std::string& argument : arguments_) arguments.emplace_back(argument);
  Print("args " + FormatValue(EncodableValue(arguments)));

  if (!scenario_) {
    Print("no scenario");
  } else if (!scenario_->ok()) {
    for (const std::string& error : scenario_->errors) Print("scenario error " + error);
    Print("scenario rejected");
  } else {
    for (const ScenarioCommand& command : scenario_->commands) {
      if (!Execute(command)) return;
    }
    Print("done");
  }
  // Keep answering and printing what the host sends until the engine stops.
  Pump(std::nullopt, nullptr);
}

bool DartIsolate::Execute(const ScenarioCommand& command) {
  const int line = command.line;
  auto deadline_after = [](int ms) { return Clock::now() + std::chrono::milliseconds(ms); };

  if (const auto* call = std::get_if<CallCommand>(&command.body)) {
    SendCall(line, call->channel, call->method, call->arguments);
  } else if (const auto* send = std::get_if<SendCommand>(&command.body)) {
    SendRaw(line, send->channel, send->message);
  } else if (const auto* stream = std::get_if<StreamCommand>(&command.body)) {
    // As on the Dart side: start taking events before asking for them, stop before cancelling.
    streams_[stream->channel].listening = stream->listen;
    SendCall(line, stream->channel, stream->listen ? "listen" : "cancel", stream->arguments);
  } else if (const auto* wait = std::get_if<WaitTimeCommand>(&command.body)) {
    Pump(deadline_after(wait->milliseconds), nullptr);
  } else if (const auto* wait_reply = std::get_if<WaitReplyCommand>(&command.body)) {
    if (!Pump(deadline_after(wait_reply->timeout_ms), [this] { return pending_.empty(); })) {
      Print("timeout line " + std::to_string(line) + ": wait reply");
    }
  } else if (const auto* wait_event = std::get_if<WaitEventCommand>(&command.body)) {
    if (!Pump(deadline_after(wait_event->timeout_ms),
              [this, wait_event] { return TakeEvent(wait_event->channel, wait_event->contains); })) {
      Print("timeout line " + std::to_string(line) + ": wait event " + wait_event->channel +
            (wait_event->contains.empty() ? "" : " " + wait_event->contains));
    }
  } else if (const auto* echo = std::get_if<EchoCommand>(&command.body)) {
    Print("echo " + echo->text);
  } else if (std::holds_alternative<CloseCommand>(command.body)) {
    host_->RequestClose();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  return !stopping_;
}

void DartIsolate::SendCall(int line, const std::string& channel, const std::string& method,
                           const EncodableValue& arguments) {
  MethodCall<EncodableValue> call(method, std::make_unique<EncodableValue>(arguments));
  std::unique_ptr<std::vector<uint8_t>> message =
      StandardMethodCodec::GetInstance().EncodeMethodCall(call);
  const uint64_t id = next_reply_id_++;
  pending_[id] = PendingCall{line, channel, method};
  host_->SendPlatformMessage(channel, std::move(*message), id);
}

void DartIsolate::SendRaw(int line, const std::string& channel, std::vector<uint8_t> message) {
  const uint64_t id = next_reply_id_++;
  pending_[id] = PendingCall{line, channel, std::string()};
  host_->SendPlatformMessage(channel, std::move(message), id);
}

bool DartIsolate::Pump(std::optional<Clock::time_point> deadline,
                       const std::function<bool()>& done) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    while (!incoming_.empty()) {
      Incoming item = std::move(incoming_.front());
      incoming_.pop_front();
      lock.unlock();
      if (item.is_reply) {
        HandleReply(item);
      } else {
        HandleMessage(item);
      }
      lock.lock();
    }
    if (stopping_) return false;
    if (done && done()) return true;
    if (!deadline) {
      incoming_ready_.wait(lock);
    } else if (incoming_ready_.wait_until(lock, *deadline) == std::cv_status::timeout &&
               incoming_.empty()) {
      return done && done();
    }
  }
}

void DartIsolate::HandleReply(const Incoming& reply) {
  auto it = pending_.find(reply.id);
  if (it == pending_.end()) {
    Print("unexpected reply " + Hex(reply.bytes));
    return;
  }
  const PendingCall call = std::move(it->second);
  pending_.erase(it);
  std::string text =
      "reply " + std::to_string(call.line) + " " + call.channel + " " +
      (call.method.empty() ? std::string("-") : call.method) + " ";
  if (!call.method.empty()) {
    text += DescribeEnvelope(reply.bytes);
  } else if (reply.bytes.empty()) {
    text += "empty";
  } else if (auto value = StandardMessageCodec::GetInstance().DecodeMessage(reply.bytes)) {
    text += "value " + FormatValue(*value);
  } else {
    text += "bytes " + Hex(reply.bytes);
  }
  Print(text);
}

void DartIsolate::HandleMessage(const Incoming& message) {
  auto it = streams_.find(message.channel);
  if (it != streams_.end() && it->second.listening) {
    std::string event;
    if (message.bytes.empty()) {
      event = "event-end " + message.channel;
    } else {
      const std::string outcome = DescribeEnvelope(message.bytes);
      if (outcome.rfind("success ", 0) == 0) {
        event = "event " + message.channel + " " + outcome.substr(8);
      } else if (outcome.rfind("error ", 0) == 0) {
        event = "event-error " + message.channel + " " + outcome.substr(6);
      } else {
        event = "event-undecodable " + message.channel + " " + Hex(message.bytes);
      }
    }
    it->second.events.push_back(Event{event});
    Print(event);
  } else {
    Print("unhandled " + message.channel + " " + std::to_string(message.bytes.size()) +
          " bytes");
  }
  // The Dart side answers every message; nothing to say is an empty answer.
  if (message.id != 0) host_->RespondToHost(message.id, {});
}

bool DartIsolate::TakeEvent(const std::string& channel, const std::string& text) {
  auto it = streams_.find(channel);
  if (it == streams_.end()) return false;
  for (Event& event : it->second.events) {
    if (!event.taken && event.text.find(text) != std::string::npos) {
      event.taken = true;
      return true;
    }
  }
  return false;
}

}  // namespace engine
}  // namespace flutter
