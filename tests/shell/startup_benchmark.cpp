// Prints how long fernhold_pc_client.exe takes from process start to its window being shown, over
// several runs: with frames (shown at the first frame) and without (shown by the fallback timer).
//
// Run from the folder of the program (`make bench` does). A run whose window does not appear
// within 30 s is reported as failed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/shell/client_process.h"

namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr wchar_t kClassName[] = L"FERNHOLD_PC_CLIENT_MAIN_WINDOW";
constexpr int kRuns = 7;

struct Run {
  bool ok = false;
  double to_process_ms = 0;  // CreateProcess returned
  double to_dart_ms = 0;     // the scripted Dart side started
  double to_shown_ms = 0;    // the window became visible
};

Run MeasureOnce(const ClientProcess::Environment& environment) {
  Run run;
  const auto before = std::chrono::steady_clock::now();
  ClientProcess client({}, environment);
  if (!client.started()) return run;
  run.to_process_ms = Milliseconds(client.start_time() - before).count();

  HWND window = nullptr;
  const bool shown = PollUntil(
      [&] {
        if (window == nullptr) window = client.WaitForWindow(kClassName, 0ms);
        return window != nullptr && ::IsWindowVisible(window);
      },
      30s);
  const auto shown_at = std::chrono::steady_clock::now();
  if (!shown) return run;
  run.to_shown_ms = Milliseconds(shown_at - before).count();
  client.WaitForOutput("[dart] entrypoint", 5s);
  run.ok = true;

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  if (client.WaitForExit(30s) != std::optional<DWORD>(0)) run.ok = false;
  return run;
}

void Report(const char* name, const ClientProcess::Environment& environment) {
  std::vector<double> shown;
  std::vector<double> spawn;
  int failures = 0;
  MeasureOnce(environment);  // Warm-up: loads Wine's and the program's files into the cache.
  for (int i = 0; i < kRuns; ++i) {
    const Run run = MeasureOnce(environment);
    if (!run.ok) {
      ++failures;
      continue;
    }
    shown.push_back(run.to_shown_ms);
    spawn.push_back(run.to_process_ms);
  }
  if (shown.empty()) {
    std::printf("  %-34s all %d runs failed\n", name, kRuns);
    return;
  }
  std::sort(shown.begin(), shown.end());
  std::sort(spawn.begin(), spawn.end());
  std::printf("  %-34s start->shown min %7.1f ms  median %7.1f ms  max %7.1f ms"
              "  (CreateProcess median %.1f ms, %zu runs, %d failed)\n",
              name, shown.front(), shown[shown.size() / 2], shown.back(), spawn[spawn.size() / 2],
              shown.size(), failures);
}

}  // namespace

int main() {
  // An idle scripted Dart side, so every run ends by closing the window.
  const ScenarioFile scenario("wait 60000\n");

  std::printf("fernhold_pc_client start-up (process start to top-level window shown):\n");
  Report("first frame", scenario.Environment());
  ClientProcess::Environment no_frame = scenario.Environment();
  no_frame[L"FERNHOLD_FLUTTER_NO_FRAME"] = L"1";
  Report("no frame (2000 ms fallback timer)", no_frame);
  return 0;
}
