// Cross-thread task posting: post-to-run latency and throughput of MessageLoopProxy::PostTask to a
// UI loop and to a default loop, against a raw PostThreadMessage to a plain GetMessage loop
// measured in the same run. Prints figures and ratios; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "base/message_loop/message_loop_proxy.h"
#include "base/synchronization/waitable_event.h"
#include "base/thread/framework_thread.h"

namespace {

constexpr int kLatencyRounds = 3000;
constexpr int kThroughputTasks = 200000;
constexpr UINT kPing = WM_APP + 1;
constexpr UINT kCount = WM_APP + 2;

using nbase::WaitableEvent;

std::int64_t Ticks() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double TicksToMicros(std::int64_t ticks) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(ticks) * 1e6 / frequency;
}

struct Figures {
  double median_us = 0;
  double p99_us = 0;
  double tasks_per_second = 0;
};

// A way to have |work| run on the target thread.
using Poster = std::function<void(std::function<void()> work)>;

Figures Measure(const Poster& post) {
  Figures figures;
  WaitableEvent ran(WaitableEvent::ResetPolicy::kAutomatic, false);
  std::vector<double> latencies;
  latencies.reserve(kLatencyRounds);
  for (int i = 0; i < kLatencyRounds; ++i) {
    std::int64_t run_at = 0;
    const std::int64_t posted_at = Ticks();
    post([&] {
      run_at = Ticks();
      ran.Signal();
    });
    ran.Wait();
    latencies.push_back(TicksToMicros(run_at - posted_at));
  }
  std::sort(latencies.begin(), latencies.end());
  figures.median_us = latencies[latencies.size() / 2];
  figures.p99_us = latencies[latencies.size() * 99 / 100];

  std::atomic<int> count{0};
  const std::int64_t start = Ticks();
  for (int i = 0; i < kThroughputTasks; ++i) {
    post([&] {
      if (++count == kThroughputTasks) ran.Signal();
    });
  }
  ran.Wait();
  figures.tasks_per_second = kThroughputTasks / (TicksToMicros(Ticks() - start) / 1e6);
  return figures;
}

// A plain thread running GetMessage; each message carries a heap-allocated closure, as a task
// does, so both sides pay for the same allocation.
class RawMessageThread {
 public:
  RawMessageThread() {
    WaitableEvent ready(WaitableEvent::ResetPolicy::kManual, false);
    thread_ = std::thread([this, &ready] {
      MSG message;
      PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // make the queue
      id_ = GetCurrentThreadId();
      ready.Signal();
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == kPing || message.message == kCount) {
          std::unique_ptr<std::function<void()>> work(
              reinterpret_cast<std::function<void()>*>(message.lParam));
          (*work)();
        }
      }
    });
    ready.Wait();
  }
  ~RawMessageThread() {
    PostThreadMessageW(id_, WM_QUIT, 0, 0);
    thread_.join();
  }

  void Post(std::function<void()> work) {
    auto* boxed = new std::function<void()>(std::move(work));
    while (!PostThreadMessageW(id_, kPing, 0, reinterpret_cast<LPARAM>(boxed))) {
      Sleep(0);  // the queue is full: let the receiver catch up
    }
  }

 private:
  std::thread thread_;
  DWORD id_ = 0;
};

void Print(const char* name, const Figures& f, const Figures& raw) {
  std::printf("%-30s %10.1f %10.1f %14.0f %12.2f %12.2f\n", name, f.median_us, f.p99_us,
              f.tasks_per_second, f.median_us / raw.median_us,
              f.tasks_per_second / raw.tasks_per_second);
}

}  // namespace

int main() {
  nbase::FrameworkThread ui_thread("benchmark UI");
  nbase::FrameworkThread default_thread("benchmark default");
  if (!ui_thread.StartWithLoop(nbase::MessageLoopType::kUI) || !default_thread.Start()) {
    std::printf("could not start the benchmark threads\n");
    return 1;
  }
  auto ui = ui_thread.message_loop_proxy();
  auto plain = default_thread.message_loop_proxy();
  RawMessageThread raw_thread;

  // Warm up every path once (first allocations, page faults, lazy Wine set-up).
  const Poster raw_post = [&](std::function<void()> w) { raw_thread.Post(std::move(w)); };
  const Poster ui_post = [&](std::function<void()> w) { (void)ui->PostTask(std::move(w)); };
  const Poster plain_post = [&](std::function<void()> w) { (void)plain->PostTask(std::move(w)); };
  Measure(raw_post);
  Measure(ui_post);
  Measure(plain_post);

  const Figures raw = Measure(raw_post);
  const Figures ui_figures = Measure(ui_post);
  const Figures plain_figures = Measure(plain_post);

  std::printf("cross-thread post-to-run: %d latency rounds, %d tasks for throughput\n",
              kLatencyRounds, kThroughputTasks);
  std::printf("%-30s %10s %10s %14s %12s %12s\n", "path", "median us", "p99 us", "tasks/s",
              "latency x", "throughput x");
  Print("raw PostThreadMessage", raw, raw);
  Print("PostTask to UI loop", ui_figures, raw);
  Print("PostTask to default loop", plain_figures, raw);
  std::printf("(ratios are against the raw PostThreadMessage round trip of the same run)\n");
  return 0;
}
