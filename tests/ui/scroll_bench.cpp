// Prints the cost of a long scrollable list, the base of the list boxes' interactivity:
//   - laying out a ScrollableBox of fixed-height rows (the whole list moves: ms per pass), and
//   - one scroll step (a wheel notch, 30 pixels, without the smooth animation) followed by the
//     repaint of the whole 400 x 600 view, the work a wheel notch or a scroll-into-view costs,
// for 100 to 10,000 rows, with the cost per row so that the growth shows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "ui/controls/scroll_bar.h"
#include "ui/core/global_manager.h"
#include "ui/core/scrollable_box.h"
#include "ui/core/stack_layout.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

constexpr int kRowHeight = 30;
constexpr RECT kView = {0, 0, 400, 600};

double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart * 1000.0 / frequency.QuadPart;
}

// Milliseconds per run of body: a warm-up, then as many runs as fit in about budgetMs (at least
// minRuns), the best of three such rounds, so a busy machine's pauses count less.
double TimeMs(const std::function<void()>& body, double budgetMs = 300, int minRuns = 5) {
  body();
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    int runs = 0;
    const double start = NowMs();
    double elapsed = 0;
    while (runs < minRuns || elapsed < budgetMs / 3) {
      body();
      ++runs;
      elapsed = NowMs() - start;
    }
    best = std::min(best, elapsed / runs);
  }
  return best;
}

struct ListFigures {
  double layoutMs = 0;
  double stepPaintMs = 0;
};

ListFigures BenchList(int rows, ui::IRenderContext* canvas) {
  ui::Window window;  // Rows get their position-change events, as in a window.
  auto* list = new ui::ScrollableBox(new ui::VLayout());
  list->SetAttribute(L"vscrollbarstyle", L"autohidescroll=\"false\" bkcolor=\"bench_bar\"");
  list->SetBkColor(L"bench_white");
  const wchar_t* colors[] = {L"bench_light", L"bench_dark"};
  for (int i = 0; i < rows; ++i) {
    auto* row = new ui::Control();
    row->SetFixedHeight(kRowHeight);
    row->SetBkColor(colors[i % 2]);
    row->SetBorderColor(L"bench_dark");
    row->SetBorderSize(1);
    list->Add(row);
  }
  window.AttachRoot(list);
  list->SetPos(kView);

  int width = kView.right;
  const double layoutMs = TimeMs([&] {
    width = width == kView.right ? kView.right - 1 : kView.right;  // Every row moves.
    list->SetPos(RECT{kView.left, kView.top, width, kView.bottom});
  });
  list->SetPos(kView);

  const int range = list->GetScrollRange().cy;
  const double stepMs = TimeMs([&] {
    const int y = list->GetScrollPos().cy;
    list->SetScrollPosY(y + kRowHeight > range ? 0 : y + kRowHeight);
  });
  const double paintMs = TimeMs([&] { list->PaintWithClip(canvas, kView); });
  const double stepPaintMs = TimeMs([&] {
    const int y = list->GetScrollPos().cy;
    list->SetScrollPosY(y + kRowHeight > range ? 0 : y + kRowHeight);
    list->PaintWithClip(canvas, kView);
  });
  // Scrolling a far row into view: a jump across the list, then the repaint.
  int target = 0;
  const double jumpMs = TimeMs([&] {
    target = (target + rows / 2 + 7) % rows;
    list->SetScrollPosY(target * kRowHeight);
    list->PaintWithClip(canvas, kView);
  });
  std::printf("  %7d %10.3f %11.4f %10.3f %13.3f %12.3f %10.1f\n", rows, layoutMs, stepMs,
              paintMs, stepPaintMs, jumpMs, stepPaintMs * 1e6 / rows);
  return ListFigures{layoutMs, stepPaintMs};
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  ui::GlobalManager::Startup(temp, nullptr, false, L"themes\\default", L"lang\\en");
  ui::GlobalManager::AddTextColor(L"bench_white", 0xFFFFFFFF);
  ui::GlobalManager::AddTextColor(L"bench_light", 0xFFF0F0F0);
  ui::GlobalManager::AddTextColor(L"bench_dark", 0xFF404040);
  ui::GlobalManager::AddTextColor(L"bench_bar", 0xFF909090);
  std::unique_ptr<ui::IRenderContext> canvas =
      ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  canvas->Resize(kView.right, kView.bottom, true);

  std::printf("scrollable list of %d-pixel rows in a %ldx%ld view (ms; best of three rounds)\n",
              kRowHeight, kView.right, kView.bottom);
  std::printf("  %7s %10s %11s %10s %13s %12s %10s\n", "rows", "layout", "scroll step", "paint",
              "step+paint", "jump+paint", "ns/row");
  const ListFigures small = BenchList(100, canvas.get());
  BenchList(1000, canvas.get());
  const ListFigures large = BenchList(10000, canvas.get());
  std::printf("growth from 100 to 10,000 rows (x100): layout x%.1f, scroll step + paint x%.1f\n",
              large.layoutMs / small.layoutMs, large.stepPaintMs / small.stepPaintMs);
  canvas.reset();
  ui::GlobalManager::Shutdown();
  return 0;
}
