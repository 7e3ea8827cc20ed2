#include "swplay/src/sim_state.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <sstream>

namespace swplay_internal {

SimState& SimState::Get() {
  static SimState* state = new SimState();
  return *state;
}

int SimState::CountStart(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ++starts_[token];
}

int SimState::StartCount(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = starts_.find(token);
  return it == starts_.end() ? 0 : it->second;
}

int SimState::CountConnection(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ++connections_[token];
}

namespace {

// What the summary counts per data source, by the start of a log line.
const char* const kCounted[] = {
    "start(",           "=> onConnected", "=> onDisconnected", "sendTouchEvent(", "sendKeyEvent(",
    "sendInputString(", "copyToRemote(",  "sendPicture(",      "sendAudio(",      "onTouchEvent(",
};
constexpr size_t kCountedKinds = sizeof(kCounted) / sizeof(kCounted[0]);

// The log keeps the latest entries only, so a long run does not grow without bound; tests read
// far fewer. The summary's counts are kept apart and never dropped.
constexpr size_t kMaxEntries = 400000;
constexpr size_t kDropAtOnce = 100000;

}  // namespace

void SimState::Record(char kind, unsigned id, std::string text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (kind == 'S') {
    auto& counts = counts_[id];
    counts.resize(kCountedKinds);
    for (size_t i = 0; i < kCountedKinds; ++i) {
      if (text.compare(0, std::char_traits<char>::length(kCounted[i]), kCounted[i]) == 0) {
        ++counts[i];
      }
    }
  }
  entries_.push_back(Entry{kind, id, std::move(text)});
  ++recorded_;
  if (entries_.size() > kMaxEntries) {
    entries_.erase(entries_.begin(), entries_.begin() + kDropAtOnce);
  }
}

void SimState::Pause(const std::string& token, const std::string& operation) {
  std::lock_guard<std::mutex> lock(pauseMutex_);
  paused_.insert({token, operation});
}

void SimState::Resume(const std::string& token) {
  std::lock_guard<std::mutex> lock(pauseMutex_);
  for (auto it = paused_.begin(); it != paused_.end();) {
    it = it->first == token ? paused_.erase(it) : std::next(it);
  }
  resumed_.notify_all();
}

void SimState::WaitWhilePaused(const std::string& token, const std::string& operation) {
  std::unique_lock<std::mutex> lock(pauseMutex_);
  resumed_.wait(lock, [&] { return paused_.count({token, operation}) == 0; });
}

std::shared_ptr<SourceCore> SimState::Source(unsigned id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = cores_.find(id);
  return it == cores_.end() ? nullptr : it->second.lock();
}

void SimState::SetSourceToken(unsigned sourceId, const std::string& token,
                              const std::weak_ptr<SourceCore>& core) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& ids = sourcesByToken_[token];
  if (std::find(ids.begin(), ids.end(), sourceId) == ids.end()) ids.push_back(sourceId);
  cores_[sourceId] = core;
}

void SimState::BindPlayer(unsigned playerId, unsigned sourceId) {
  std::lock_guard<std::mutex> lock(mutex_);
  playerSource_.insert({playerId, sourceId});
}

std::string SimState::TokenLog(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::set<unsigned> sources, players;
  auto it = sourcesByToken_.find(token);
  if (it != sourcesByToken_.end()) sources.insert(it->second.begin(), it->second.end());
  for (const auto& ps : playerSource_) {
    if (sources.count(ps.second)) players.insert(ps.first);
  }
  std::string out;
  for (const Entry& e : entries_) {
    if ((e.kind == 'S' && sources.count(e.id)) || (e.kind == 'P' && players.count(e.id))) {
      out += e.kind;
      out += std::to_string(e.id);
      out += ' ';
      out += e.text;
      out += '\n';
    }
  }
  return out;
}

std::string SimState::ObjectLog(char kind, unsigned id) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string out;
  for (const Entry& e : entries_) {
    if (e.kind == kind && e.id == id) {
      out += e.text;
      out += '\n';
    }
  }
  return out;
}

std::string SimState::SourceIds(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string out;
  auto it = sourcesByToken_.find(token);
  if (it == sourcesByToken_.end()) return out;
  for (unsigned id : it->second) {
    if (!out.empty()) out += ',';
    out += std::to_string(id);
  }
  return out;
}

std::vector<std::shared_ptr<SourceCore>> SimState::LiveSources(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::shared_ptr<SourceCore>> out;
  auto it = sourcesByToken_.find(token);
  if (it == sourcesByToken_.end()) return out;
  for (unsigned id : it->second) {
    auto c = cores_.find(id);
    if (c == cores_.end()) continue;
    if (auto core = c->second.lock()) out.push_back(std::move(core));
  }
  return out;
}

std::string SimState::Summary() {
  std::lock_guard<std::mutex> lock(mutex_);
  return SummaryLocked();
}

void SimState::PrintSummary() {
  std::string summary;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (recorded_ == recordedAtLastPrint_) return;
    recordedAtLastPrint_ = recorded_;
    summary = SummaryLocked();
  }
  std::fputs(summary.c_str(), stdout);
  std::fflush(stdout);
}

void SimState::SourceGone() {
  if (--liveSources == 0 && runtimeUp) PrintSummary();
}

std::string SimState::SummaryLocked() {
  // Per token: what its phones went through.
  std::map<std::string, std::vector<int>> counts;
  for (const auto& t : sourcesByToken_) {
    auto& total = counts[t.first];
    total.resize(kCountedKinds);
    for (unsigned id : t.second) {
      auto c = counts_.find(id);
      if (c == counts_.end()) continue;
      for (size_t i = 0; i < kCountedKinds; ++i) total[i] += c->second[i];
    }
  }
  std::ostringstream out;
  out << "[swplay] simulated phones: " << sourcesByToken_.size() << " tokens, "
      << lastSourceId_.load() << " data sources, " << lastPlayerId_.load() << " players\n";
  for (const auto& t : counts) {
    std::string label = t.first.substr(0, t.first.find(';'));
    out << "[swplay]   " << (label.empty() ? t.first : label) << ": starts " << t.second[0]
        << ", connected " << t.second[1] << ", dropped " << t.second[2] << ", touches "
        << t.second[3] + t.second[9] << ", keys " << t.second[4] << ", texts " << t.second[5]
        << ", clipboard " << t.second[6] << ", pictures " << t.second[7] << ", audio "
        << t.second[8] << "\n";
  }
  return out.str();
}

std::string LogText(const char* text) {
  if (!text) return "null";
  return LogText(text, static_cast<int>(std::char_traits<char>::length(text)));
}

std::string LogText(const char* text, int length) {
  if (!text) return "null";
  std::string out = "\"";
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof(buf), "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);  // UTF-8 bytes pass through
    }
  }
  out += '"';
  return out;
}

std::string LogBytes(const uint8_t* data, int length) {
  if (!data) return "null";
  std::string out = std::to_string(length) + " bytes";
  if (length <= 0) return out;
  char buf[16];
  if (length <= 32) {
    out += ' ';
    for (int i = 0; i < length; ++i) {
      std::snprintf(buf, sizeof(buf), "%02x", data[i]);
      out += buf;
    }
  } else {
    uint32_t h = 2166136261u;  // FNV-1a
    for (int i = 0; i < length; ++i) h = (h ^ data[i]) * 16777619u;
    std::snprintf(buf, sizeof(buf), " fnv=%08x", h);
    out += buf;
  }
  return out;
}

}  // namespace swplay_internal
