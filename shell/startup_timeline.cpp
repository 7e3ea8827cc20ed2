#include "shell/startup_timeline.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

constexpr wchar_t kTimelineVariable[] = L"FERNHOLD_STARTUP_TIMELINE";

bool TimelineWanted() {
  static const bool wanted = ::GetEnvironmentVariableW(kTimelineVariable, nullptr, 0) > 0;
  return wanted;
}

uint64_t Ticks(const FILETIME& time) {  // 100-nanosecond units
  return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

double MillisecondsSinceProcessCreation() {
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  ::GetSystemTimePreciseAsFileTime(&now);
  return static_cast<double>(Ticks(now) - Ticks(created)) / 1e4;
}

}  // namespace

void MarkStartup(const char* milestone) {
  if (!TimelineWanted()) return;
  // One write for the whole line: printf may write an unbuffered stream piece by piece, and other
  // threads (the engine's) write to the same output meanwhile.
  char line[160];
  const int length = std::snprintf(line, sizeof(line), "[start-up] %.1f ms %s\n",
                                   MillisecondsSinceProcessCreation(), milestone);
  if (length <= 0) return;
  std::fwrite(line, 1, std::min<size_t>(length, sizeof(line) - 1), stdout);
  std::fflush(stdout);
}
