// Prints what a virtual list's scrolling costs as its row count grows from 1,000 to 1,000,000:
//   - a scroll step of one row (30 pixels, the pool placed again only when it no longer covers
//     the view), a step with the repaint of the 400 x 600 view, a page step (every control placed
//     and filled) and a jump to a far row, each with its repaint;
//   - the process's committed bytes and the number of item controls before and after scrolling
//     from the top to the bottom in one-row steps (a million steps for a million rows), and how
//     many controls the provider was asked for.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/ui/bench_support.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using uibench::TimeMs;

constexpr int kRowHeight = 30;
constexpr int kPool = 30;
constexpr RECT kView = {0, 0, 400, 600};

class Rows : public ui::IVirtualListProvider {
 public:
  explicit Rows(int count) : count_(count) {}
  ui::Control* CreateElement() override {
    ++created;
    auto* row = new ui::ListContainerElement();
    row->SetFixedHeight(kRowHeight);
    row->SetStateTextColor(ui::kControlStateNormal, L"bench_dark");
    return row;
  }
  void FillElement(ui::Control* control, int index) override {
    auto* row = static_cast<ui::ListContainerElement*>(control);
    row->SetText(L"Row " + std::to_wstring(index));
    row->SetBkColor(index % 2 ? L"bench_light" : L"bench_white");
  }
  int GetElementCount() override { return count_; }

  int created = 0;

 private:
  int count_;
};

// The process's committed bytes (Wine reports no private usage, but counts the commit charge).
double CommittedMegabytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage / (1024.0 * 1024.0);
}

struct Figures {
  double stepMs = 0;
  double stepPaintMs = 0;
};

Figures BenchRows(int count, ui::IRenderContext* canvas) {
  ui::Window window;
  window.Init(nullptr);
  auto* list = new ui::VirtualListBox();
  list->SetAttribute(L"vscrollbarstyle", L"autohidescroll=\"false\" bkcolor=\"bench_dark\"");
  window.AttachRoot(list);
  Rows rows(count);
  list->SetDataProvider(&rows);
  list->SetElementHeight(kRowHeight);
  list->InitElement(kPool);
  list->SetPos(kView);
  const int range = list->GetScrollRange().cy;
  const auto stepBy = [&](int pixels) {
    const int y = list->GetScrollPos().cy;
    list->SetScrollPosY(y + pixels > range ? 0 : y + pixels);
  };

  const double stepMs = TimeMs([&] { stepBy(kRowHeight); });
  const double stepPaintMs = TimeMs([&] {
    stepBy(kRowHeight);
    list->PaintWithClip(canvas, kView);
  });
  const double pagePaintMs = TimeMs([&] {
    stepBy(kView.bottom - kView.top);
    list->PaintWithClip(canvas, kView);
  });
  int target = 0;
  const double jumpPaintMs = TimeMs([&] {
    target = (target + count / 2 + 7) % count;
    list->SetScrollPosY(target * kRowHeight);
    list->PaintWithClip(canvas, kView);
  });

  // Top to bottom, one row at a time.
  list->SetScrollPosY(0);
  const int controlsBefore = list->GetCount();
  const double before = CommittedMegabytes();
  const double start = uibench::NowMs();
  for (int y = 0; y < range; y += kRowHeight) list->SetScrollPosY(y);
  list->SetScrollPosY(range);
  const double throughMs = uibench::NowMs() - start;
  const double after = CommittedMegabytes();

  const double stepsThrough = range / kRowHeight + 1.0;
  std::printf("  %9d %10.4f %11.3f %11.3f %11.3f %9.1f %8.2f %9.1f %9.3f %5d %5d %5d\n", count,
              stepMs, stepPaintMs, pagePaintMs, jumpPaintMs, throughMs,
              throughMs * 1000 / stepsThrough, before, after - before, controlsBefore,
              list->GetCount(), rows.created);
  return Figures{stepMs, stepPaintMs};
}

}  // namespace

int main() {
  const std::wstring temp = uibench::StartLibrary();
  ui::GlobalManager::AddTextColor(L"bench_white", 0xFFFFFFFF);
  ui::GlobalManager::AddTextColor(L"bench_light", 0xFFF0F0F0);
  ui::GlobalManager::AddTextColor(L"bench_dark", 0xFF404040);
  std::unique_ptr<ui::IRenderContext> canvas =
      ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  canvas->Resize(kView.right, kView.bottom, true);

  std::printf("virtual list of %d-pixel text rows, a pool of %d, a %ldx%ld view (ms; steps best "
              "of three rounds)\n",
              kRowHeight, kPool, kView.right, kView.bottom);
  std::printf("  %9s %10s %11s %11s %11s %9s %8s %9s %9s %5s %5s %5s\n", "rows", "row step",
              "step+paint", "page+paint", "jump+paint", "top->end", "us/step", "MB before",
              "MB grown", "pool", "after", "made");
  const Figures small = BenchRows(1000, canvas.get());
  BenchRows(100000, canvas.get());
  const Figures large = BenchRows(1000000, canvas.get());
  std::printf("growth from 1,000 to 1,000,000 rows (x1000): row step x%.2f, step + paint x%.2f\n",
              large.stepMs / small.stepMs, large.stepPaintMs / small.stepPaintMs);
  canvas.reset();
  ui::GlobalManager::Shutdown();
  return 0;
}
