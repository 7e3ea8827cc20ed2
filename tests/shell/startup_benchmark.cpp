// Prints how long fernhold_pc_client.exe takes from process start to its window being shown, over
// several runs: with frames (shown at the first frame) and without (shown by the fallback timer),
// and beside it the same for a window-only program (startup_reference.exe), what any program pays
// here to show its first window. Then where the time goes with frames: the program's own start-up
// timeline (FERNHOLD_STARTUP_TIMELINE, see shell/startup_timeline.h), the median moment of each
// milestone and the share of each step, beside this program's view of the process start and of
// the window appearing.
//
// Run from the folder of the program (`make bench` does). A run whose window does not appear
// within 30 s is reported as failed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/shell/client_process.h"

namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::duration<double, std::milli>;

// A program to start and the class of the window it shows.
struct Program {
  const wchar_t* file;
  const wchar_t* window_class;
  bool client;  // the client: its output is read for the timeline
};
constexpr Program kClient{L"fernhold_pc_client.exe", L"FERNHOLD_PC_CLIENT_MAIN_WINDOW", true};
constexpr Program kReference{L"startup_reference.exe", L"FERNHOLD_STARTUP_REFERENCE", false};
constexpr int kRuns = 7;
constexpr double kGoalMs = 150;  // median, process start to shown with the first frame, idle

struct Run {
  bool ok = false;
  double to_process_ms = 0;  // CreateProcess returned
  double to_shown_ms = 0;    // the window became visible
  // The program's milestones in the order it printed them: name, milliseconds since its process
  // was created.
  std::vector<std::pair<std::string, double>> milestones;
};

// The "[start-up] <ms> ms <milestone>" lines of `output`, the first of each milestone.
std::vector<std::pair<std::string, double>> Milestones(const std::string& output) {
  std::vector<std::pair<std::string, double>> milestones;
  const std::string tag = "[start-up] ";
  for (size_t at = output.find(tag); at != std::string::npos; at = output.find(tag, at + 1)) {
    const size_t end = output.find('\n', at);
    const std::string line = output.substr(at + tag.size(), end - at - tag.size());
    double ms = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%lf ms %n", &ms, &consumed) != 1 || consumed == 0) continue;
    std::string name = line.substr(consumed);
    while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) name.pop_back();
    const bool seen = std::any_of(milestones.begin(), milestones.end(),
                                  [&](const auto& milestone) { return milestone.first == name; });
    if (!seen) milestones.emplace_back(name, ms);
  }
  return milestones;
}

Run MeasureOnce(const Program& program, const ClientProcess::Environment& environment) {
  Run run;
  const auto before = std::chrono::steady_clock::now();
  ClientProcess client({}, environment, program.file);
  if (!client.started()) return run;
  run.to_process_ms = Milliseconds(client.start_time() - before).count();

  HWND window = nullptr;
  const bool shown = PollUntil(
      [&] {
        if (window == nullptr) window = client.WaitForWindow(program.window_class, 0ms);
        return window != nullptr && ::IsWindowVisible(window);
      },
      30s);
  const auto shown_at = std::chrono::steady_clock::now();
  if (!shown) return run;
  run.to_shown_ms = Milliseconds(shown_at - before).count();
  if (program.client) {
    client.WaitForOutput("[dart] entrypoint", 5s);
    client.WaitForOutput("window shown", 5s);
    run.milestones = Milestones(client.Output());
  }
  run.ok = true;

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  if (client.WaitForExit(30s) != std::optional<DWORD>(0)) run.ok = false;
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs `program` kRuns times (after one warm-up run) and prints the spread of start to shown.
// Returns the runs that succeeded.
std::vector<Run> Report(const char* name, const Program& program,
                        const ClientProcess::Environment& environment) {
  std::vector<Run> runs;
  int failures = 0;
  // Warm-up: loads Wine's and the program's files into the cache.
  MeasureOnce(program, environment);
  for (int i = 0; i < kRuns; ++i) {
    Run run = MeasureOnce(program, environment);
    if (!run.ok) {
      ++failures;
      continue;
    }
    runs.push_back(std::move(run));
  }
  if (runs.empty()) {
    std::printf("  %-34s all %d runs failed\n", name, kRuns);
    return runs;
  }
  std::vector<double> shown;
  std::vector<double> spawn;
  for (const Run& run : runs) {
    shown.push_back(run.to_shown_ms);
    spawn.push_back(run.to_process_ms);
  }
  std::printf("  %-34s start->shown min %7.1f ms  median %7.1f ms  max %7.1f ms"
              "  (CreateProcess median %.1f ms, %zu runs, %d failed)\n",
              name, *std::min_element(shown.begin(), shown.end()), Median(shown),
              *std::max_element(shown.begin(), shown.end()), Median(spawn), runs.size(),
              failures);
  return runs;
}

// The timeline of the runs: each milestone's median moment since process creation, the step from
// the milestone before it and that step's share of the median time to shown.
void PrintTimeline(const std::vector<Run>& runs) {
  std::vector<std::string> names;  // in the order the program passes them
  std::map<std::string, std::vector<double>> moments;
  for (const Run& run : runs) {
    for (const auto& [name, ms] : run.milestones) {
      if (moments.find(name) == moments.end()) names.push_back(name);
      moments[name].push_back(ms);
    }
  }
  std::vector<double> seen;
  std::vector<double> spawn;
  for (const Run& run : runs) {
    seen.push_back(run.to_shown_ms - run.to_process_ms);
    spawn.push_back(run.to_process_ms);
  }
  const double seen_ms = Median(seen);
  std::printf("where the time goes with the first frame (medians of %zu runs, ms since the "
              "program's process was created):\n",
              runs.size());
  std::printf("  %-44s %8s %8s %6s\n", "milestone", "at", "step", "share");
  auto row = [&](const std::string& name, double at, double step) {
    std::printf("  %-44s %8.1f %8.1f %5.0f%%\n", name.c_str(), at, step, 100 * step / seen_ms);
  };
  double previous = 0;
  for (const std::string& name : names) {
    const double at = Median(moments[name]);
    row(name + (name == "entry" ? " (DLLs loaded, runtime set up)" : ""), at, at - previous);
    previous = at;
  }
  row("seen shown here (polled every 5 ms)", seen_ms, seen_ms - previous);
  std::printf("  (before all this: CreateProcess, median %.1f ms)\n", Median(spawn));
}

}  // namespace

int main() {
  // An idle scripted Dart side, so every run ends by closing the window.
  const ScenarioFile scenario("wait 60000\n");
  ClientProcess::Environment with_frames = scenario.Environment();
  with_frames[L"FERNHOLD_STARTUP_TIMELINE"] = L"1";

  std::printf("fernhold_pc_client start-up (process start to top-level window shown):\n");
  const std::vector<Run> runs = Report("first frame", kClient, with_frames);
  const std::vector<Run> reference = Report("window-only program (reference)", kReference, {});
  ClientProcess::Environment no_frame = with_frames;
  no_frame[L"FERNHOLD_FLUTTER_NO_FRAME"] = L"1";
  Report("no frame (2000 ms fallback timer)", kClient, no_frame);
  if (runs.empty()) return 1;

  PrintTimeline(runs);
  const auto median_shown = [](const std::vector<Run>& of) {
    std::vector<double> shown;
    for (const Run& run : of) shown.push_back(run.to_shown_ms);
    return Median(shown);
  };
  const double median = median_shown(runs);
  if (!reference.empty()) {
    std::printf("the client's median start->shown is %.1f ms above the window-only program's\n",
                median - median_shown(reference));
  }
  std::printf("BENCH | start-up to window shown with the first frame, median | %.1f ms | "
              "<= %.0f ms (idle machine) | %s\n",
              median, kGoalMs, median <= kGoalMs ? "met" : "missed");
  return 0;
}
