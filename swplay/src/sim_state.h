// Process-wide state of the simulated library: id counters, start counts per token, the call
// log, live-object counts and the registry of data sources by token.
//
// Thread-safety: every member may be called from any thread; one internal mutex guards the log
// and the registries (never held while calling out).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace swplay_internal {

struct SourceCore;

class SimState {
 public:
  // Never destroyed: library threads may still log while the process exits.
  static SimState& Get();

  unsigned NextSourceId() { return ++lastSourceId_; }
  unsigned NextPlayerId() { return ++lastPlayerId_; }
  unsigned NextDisplayId() { return ++lastDisplayId_; }

  // Counts one start() with `token`; returns its 1-based number.
  int CountStart(const std::string& token);
  int StartCount(const std::string& token);
  // Counts one connection made with `token`; returns its 1-based number.
  int CountConnection(const std::string& token);

  void Record(char kind, unsigned id, std::string text);
  void SetSourceToken(unsigned sourceId, const std::string& token,
                      const std::weak_ptr<SourceCore>& core);
  void BindPlayer(unsigned playerId, unsigned sourceId);

  std::string TokenLog(const std::string& token);
  std::string ObjectLog(char kind, unsigned id);
  std::string SourceIds(const std::string& token);
  std::vector<std::shared_ptr<SourceCore>> LiveSources(const std::string& token);
  std::string Summary();

  // Test pauses of operations (swsim_pause): a call of a paused operation waits while it is.
  void Pause(const std::string& token, const std::string& operation);
  void Resume(const std::string& token);
  void WaitWhilePaused(const std::string& token, const std::string& operation);
  // The data source `id` while it lives, or null.
  std::shared_ptr<SourceCore> Source(unsigned id);
  // Prints the summary to standard output, unless nothing was recorded since the last print.
  void PrintSummary();
  // A data source went; when it was the last one while the runtime is up, prints the summary.
  void SourceGone();

  std::atomic<int> liveSources{0};
  std::atomic<int> livePlayers{0};
  std::atomic<int> liveThreads{0};
  std::atomic<int> danglingDisplays{0};
  std::atomic<int> pendingNotifications{0};  // scheduled on a data source's strand, not yet done
  std::atomic<bool> runtimeUp{false};  // between SWRuntime::init and deinit

 private:
  SimState() = default;

  struct Entry {
    char kind;
    unsigned id;
    std::string text;
  };

  std::atomic<unsigned> lastSourceId_{0};
  std::atomic<unsigned> lastPlayerId_{0};
  std::atomic<unsigned> lastDisplayId_{0};

  std::mutex mutex_;
  std::deque<Entry> entries_;
  uint64_t recorded_ = 0;                        // entries ever recorded
  std::map<unsigned, std::vector<int>> counts_;  // per data source, for the summary
  std::map<std::string, int> starts_;
  std::map<std::string, int> connections_;
  std::map<std::string, std::vector<unsigned>> sourcesByToken_;
  std::map<unsigned, std::weak_ptr<SourceCore>> cores_;
  std::set<std::pair<unsigned, unsigned>> playerSource_;  // (player, source)
  uint64_t recordedAtLastPrint_ = 0;

  std::mutex pauseMutex_;  // guards paused_ only; never held with mutex_
  std::condition_variable resumed_;
  std::set<std::pair<std::string, std::string>> paused_;  // (token, operation)

  std::string SummaryLocked();
};

// Formatting of call arguments for the log.
std::string LogText(const char* text);                  // "null" or quoted
std::string LogText(const char* text, int length);      // exactly `length` bytes, quoted
std::string LogBytes(const uint8_t* data, int length);  // "null" or "N bytes <hex|fnv>"

}  // namespace swplay_internal
