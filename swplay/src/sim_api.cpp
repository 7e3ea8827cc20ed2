// The exported hooks of swplay/swplay_sim.h.
#include <string>

#include "swplay/src/sim_objects.h"
#include "swplay/src/sim_state.h"
#include "swplay/swplay_sim.h"

using swplay_internal::SimState;

namespace {
// Text handed out by the hooks stays valid until the next hook call on the same thread.
const char* Hold(std::string text) {
  thread_local std::string held;
  held = std::move(text);
  return held.c_str();
}
}  // namespace

const char* swsim_token_log(const char* token) {
  return Hold(SimState::Get().TokenLog(token ? token : ""));
}

const char* swsim_object_log(char kind, unsigned id) {
  return Hold(SimState::Get().ObjectLog(kind, id));
}

const char* swsim_source_ids(const char* token) {
  return Hold(SimState::Get().SourceIds(token ? token : ""));
}

int swsim_start_count(const char* token) { return SimState::Get().StartCount(token ? token : ""); }

unsigned swsim_display_id(const VideoDisplay* display) {
  return swplay_internal::DisplayAccess::Id(display);
}

int swsim_live_count(char kind) {
  SimState& s = SimState::Get();
  switch (kind) {
    case 'S':
      return s.liveSources.load();
    case 'P':
      return s.livePlayers.load();
    case 'T':
      return s.liveThreads.load();
    case 'N':
      return s.pendingNotifications.load();
    default:
      return -1;
  }
}

int swsim_dangling_display_count() { return SimState::Get().danglingDisplays.load(); }

int swsim_inject(const char* token, const char* item) {
  swplay_internal::TimedItem parsed;
  if (!token || !item || !swplay_internal::ParseTimedItem(item, &parsed)) return 0;
  int count = 0;
  for (const auto& core : SimState::Get().LiveSources(token)) {
    if (core->Schedule(parsed)) ++count;
  }
  return count;
}

int swsim_deliver_now(unsigned id) {
  std::shared_ptr<swplay_internal::SourceCore> core = SimState::Get().Source(id);
  return core ? core->DeliverNow() : 0;
}

void swsim_pause(const char* token, const char* operation) {
  if (token && operation) SimState::Get().Pause(token, operation);
}

void swsim_resume(const char* token) {
  if (token) SimState::Get().Resume(token);
}

int swsim_player_streaming(const SWPlayer* player) {
  return swplay_internal::PlayerAccess::Streaming(player) ? 1 : 0;
}

const char* swsim_summary() { return Hold(SimState::Get().Summary()); }
