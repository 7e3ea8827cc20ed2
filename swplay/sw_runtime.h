// The library's process-wide runtime.
//
// `init` once at start-up before streams are used, `deinit` once at shut-down; `obtainID` gives
// each new data source its id.
//
//   SWRuntime::getInstance()->init(0, nullptr);
//   ...
//   SWRuntime::getInstance()->deinit();
//
// Thread-safety: every operation may be called from any thread.
#pragma once

#include "swplay/swplay_export.h"

class SWPLAY_API SWRuntime {
 public:
  // The single runtime; never null.
  static SWRuntime* getInstance();

  // 0 on success. `flags` 0 and `reserved` null are the defaults.
  int init(int flags, void* reserved);
  void deinit();
  // A new id for a data source, never 0, never repeated in the process.
  unsigned obtainID();

 private:
  SWRuntime() = default;
};
