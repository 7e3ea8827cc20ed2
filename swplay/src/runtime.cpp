#include <cstdio>

#include "swplay/src/sim_state.h"
#include "swplay/sw_runtime.h"

using swplay_internal::SimState;

SWRuntime* SWRuntime::getInstance() {
  // Never destroyed: callers may reach it from threads still running at process exit.
  static SWRuntime* runtime = new SWRuntime();
  return runtime;
}

int SWRuntime::init(int flags, void* reserved) {
  SimState::Get().Record(
      'R', 0, "init(" + std::to_string(flags) + ", " + (reserved ? "set" : "null") + ")");
  SimState::Get().runtimeUp = true;
  return 0;
}

void SWRuntime::deinit() {
  SimState::Get().Record('R', 0, "deinit()");
  SimState::Get().runtimeUp = false;
  // The simulated library reports what the phones went through, for the demo's console.
  SimState::Get().PrintSummary();
}

unsigned SWRuntime::obtainID() { return SimState::Get().NextSourceId(); }
