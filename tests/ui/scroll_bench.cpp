// Prints the cost of a long scrollable list, the base of the list boxes' interactivity:
//   - laying out a ScrollableBox of fixed-height rows (the whole list moves: ms per pass), and
//   - one scroll step (a wheel notch, 30 pixels, without the smooth animation) followed by the
//     repaint of the whole 400 x 600 view, the work a wheel notch or a scroll-into-view costs,
// for 100 to 10,000 rows, with the cost per row so that the growth shows. Then the same for a
// ListBox of text items: a layout pass, a wheel notch that moves the selection ("scrollselect":
// unselect, select, scroll into view, events) and a repaint, and selecting a far item (a jump to
// bring it into view) and a repaint.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/ui/bench_support.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/global_manager.h"
#include "ui/core/scrollable_box.h"
#include "ui/core/stack_layout.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using uibench::TimeMs;

constexpr int kRowHeight = 30;
constexpr RECT kView = {0, 0, 400, 600};

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

struct ListBoxFigures {
  double layoutMs = 0;
  double wheelPaintMs = 0;
  double jumpPaintMs = 0;
};

ListBoxFigures BenchListBox(int rows, ui::IRenderContext* canvas) {
  ui::Window window;
  window.Init(nullptr);
  auto* list = new ui::ListBox(new ui::VLayout());
  list->SetAttribute(L"vscrollbarstyle", L"autohidescroll=\"false\" bkcolor=\"bench_bar\"");
  list->SetAttribute(L"scrollselect", L"true");
  list->SetBkColor(L"bench_white");
  for (int i = 0; i < rows; ++i) {
    auto* row = new ui::ListContainerElement();
    row->SetFixedHeight(kRowHeight);
    row->SetText(L"Row " + std::to_wstring(i));
    row->SetStateTextColor(ui::kControlStateNormal, L"bench_dark");
    row->SetSelectedStateColor(ui::kControlStateNormal, L"bench_light");
    list->Add(row);
  }
  window.AttachRoot(list);
  list->SetPos(kView);

  int width = kView.right;
  const double layoutMs = TimeMs([&] {
    width = width == kView.right ? kView.right - 1 : kView.right;
    list->SetPos(RECT{kView.left, kView.top, width, kView.bottom});
  });
  list->SetPos(kView);

  const double paintMs = TimeMs([&] { list->PaintWithClip(canvas, kView); });
  // A wheel notch down selects the next item (from the last one, back to the first).
  list->SelectItem(0, false, false);
  const double wheelPaintMs = TimeMs([&] {
    if (list->GetCurSel() == rows - 1) list->SelectItem(0, false, false);
    list->SendEvent(ui::kEventScrollWheel, static_cast<WPARAM>(static_cast<INT_PTR>(-120)));
    list->PaintWithClip(canvas, kView);
  });
  int target = 0;
  const double jumpPaintMs = TimeMs([&] {
    target = (target + rows / 2 + 7) % rows;
    list->SelectItem(target, false, true);
    list->PaintWithClip(canvas, kView);
  });
  std::printf("  %7d %10.3f %10.3f %12.3f %12.3f\n", rows, layoutMs, paintMs, wheelPaintMs,
              jumpPaintMs);
  return ListBoxFigures{layoutMs, wheelPaintMs, jumpPaintMs};
}

}  // namespace

int main() {
  const std::wstring temp = uibench::StartLibrary();
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

  std::printf("\nlist box of %d-pixel text items, scrollselect on (ms; best of three rounds)\n",
              kRowHeight);
  std::printf("  %7s %10s %10s %12s %12s\n", "items", "layout", "paint", "wheel+paint",
              "jump+paint");
  const ListBoxFigures few = BenchListBox(100, canvas.get());
  BenchListBox(1000, canvas.get());
  const ListBoxFigures many = BenchListBox(10000, canvas.get());
  std::printf("growth from 100 to 10,000 items (x100): layout x%.1f, wheel + paint x%.1f, "
              "jump + paint x%.1f\n",
              many.layoutMs / few.layoutMs, many.wheelPaintMs / few.wheelPaintMs,
              many.jumpPaintMs / few.jumpPaintMs);
  canvas.reset();
  ui::GlobalManager::Shutdown();
  return 0;
}
