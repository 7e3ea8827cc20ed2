// What one simulated phone does, parsed from its server token (syntax in swplay/swplay_sim.h).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace swplay_internal {

struct Outcome {
  enum class Kind { kConnect, kSilent, kFail };
  Kind kind = Kind::kConnect;
  int code = 0;  // kFail only
};

// A notification scheduled relative to the moment a connection comes up.
struct TimedItem {
  enum class Kind { kDrop, kClipboard, kControl, kPlayerError, kNotices };
  Kind kind = Kind::kDrop;
  int delayMs = 0;
  int a = 0;             // drop code / control value / error code / notice count
  int b = 0;             // control fps
  int limit = -1;        // drop: only the first `limit` connections (-1 every one)
  bool hasText = false;  // player error: text given
  std::string text;      // clipboard bytes / error text
};

struct Script {
  int connectDelayMs = 100;
  std::vector<Outcome> plan;  // empty: always connect
  int notices = 0;
  std::vector<TimedItem> afterConnect;
  int forcedWidth = 0, forcedHeight = 0;  // size=
  int nativeWidth = 432, nativeHeight = 768;
  int fps = 30;
  bool linger = false;  // notifications already on their way survive a stop
  int tokenResult = 0, audioResult = 0, changeResult = 0;
  int levelResult = 0;
  bool levelHasSize = false;
  int levelWidth = 0, levelHeight = 0;
  std::map<std::string, int> blockMs;  // operation name -> sleep

  // The outcome of the `attempt`-th start (1-based) of this token.
  Outcome OutcomeFor(int attempt) const;
  int BlockFor(const char* operation) const;
};

Script ParseScript(const std::string& token);
// Parses one timed item ("drop=0:7", "clip=10:hi"...); false when it is not one.
bool ParseTimedItem(const std::string& item, TimedItem* out);

}  // namespace swplay_internal
