// DartIsolate: the scripted Dart side, run on a thread of its own in place of a Dart program.
//
// It runs a Scenario: method calls and raw messages on named channels, listens on event channels,
// waits. It prints one line per happening, so that a run can be checked from its output:
//
//   [dart] entrypoint <name>
//   [dart] args <list of strings>
//   [dart] reply <line> <channel> <method> success <value>
//   [dart] reply <line> <channel> <method> error <code> <message> <details>
//   [dart] reply <line> <channel> <method> notImplemented
//   [dart] event <channel> <value>
//   ...
// (the full list is in flutter/SCENARIO.md). <line> is the scenario line of the call.
//
// Like a Dart isolate, everything it does happens on its own thread; the host reaches it only
// through the thread-safe Deliver* calls, which queue work for that thread.
#ifndef FLUTTER_ENGINE_DART_ISOLATE_H_
#define FLUTTER_ENGINE_DART_ISOLATE_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "flutter/engine/scenario.h"

namespace flutter {
namespace engine {

class DartIsolate {
 public:
  // What the isolate needs from the engine. Called on the isolate's thread.
  class Host {
   public:
    virtual ~Host() = default;
    // Sends a message to the host; its answer comes back through DeliverReply(|reply_id|).
    virtual void SendPlatformMessage(const std::string& channel, std::vector<uint8_t> message,
                                     uint64_t reply_id) = 0;
    // Answers the host's message |host_reply_id| (never 0).
    virtual void RespondToHost(uint64_t host_reply_id, std::vector<uint8_t> response) = 0;
    // Asks the host's top-level window to close, as the user would.
    virtual void RequestClose() = 0;
  };

  // Receives every output line (without line end). Called on the isolate's thread.
  using LineSink = std::function<void(const std::string& line)>;

  // |host| is not owned and must outlive the isolate. A null |scenario| means there is none.
  DartIsolate(Host* host, std::optional<Scenario> scenario, std::string entrypoint,
              std::vector<std::string> arguments, LineSink sink);
  // Stops the thread.
  ~DartIsolate();
  DartIsolate(const DartIsolate&) = delete;
  DartIsolate& operator=(const DartIsolate&) = delete;

  void Start();

  // Ends the scenario wherever it is and joins the thread. Idempotent.
  void Stop();

  // A message from the host; |host_reply_id| 0 means the host expects no answer. Any thread.
  void DeliverMessage(const std::string& channel, std::vector<uint8_t> message,
                      uint64_t host_reply_id);

  // The host's answer to the isolate's message |reply_id|. Any thread.
  void DeliverReply(uint64_t reply_id, std::vector<uint8_t> response);

 private:
  using Clock = std::chrono::steady_clock;

  struct Incoming {
    bool is_reply = false;
    uint64_t id = 0;  // reply: our reply id; message: the host's reply id
    std::string channel;
    std::vector<uint8_t> bytes;
  };

  struct PendingCall {
    int line = 0;
    std::string channel;
    std::string method;  // empty for a raw message
  };

  struct Event {
    std::string text;    // printed form
    bool taken = false;  // satisfied a wait already
  };

  struct Stream {
    bool listening = false;
    std::vector<Event> events;  // every event received, in order
  };

  void Run();
  // Runs one command; false when the isolate is stopping.
  bool Execute(const ScenarioCommand& command);
  void SendCall(int line, const std::string& channel, const std::string& method,
                const EncodableValue& arguments);
  void SendRaw(int line, const std::string& channel, std::vector<uint8_t> message);

  // Handles incoming work until |done| holds (true), |deadline| passes or the isolate stops
  // (false). With no |done| it runs until the deadline or the stop.
  bool Pump(std::optional<Clock::time_point> deadline, const std::function<bool()>& done);

  void HandleReply(const Incoming& reply);
  void HandleMessage(const Incoming& message);
  // Takes the first event on |channel| that contains |text| and no wait has taken yet.
  bool TakeEvent(const std::string& channel, const std::string& text);

  void Print(const std::string& text);

  Host* host_;  // Not owned.
  std::optional<Scenario> scenario_;
  std::string entrypoint_;
  std::vector<std::string> arguments_;
  LineSink sink_;

  std::mutex mutex_;
  std::condition_variable incoming_ready_;
  std::deque<Incoming> incoming_;  // Guarded by |mutex_|.
  bool stopping_ = false;          // Guarded by |mutex_|.

  // Isolate thread only.
  uint64_t next_reply_id_ = 1;
  std::map<uint64_t, PendingCall> pending_;
  std::map<std::string, Stream> streams_;

  std::thread thread_;
};

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_DART_ISOLATE_H_
