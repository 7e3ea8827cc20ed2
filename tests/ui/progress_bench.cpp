// Prints what a progress bar, a slider and a circle progress cost per paint into a memory bitmap
// (a window repaints them at every value change), and what one drag step of a slider costs.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "tests/ui/bench_support.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/progress.h"
#include "ui/controls/slider.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using uibench::TimeMs;

void BenchPaint() {
  ui::GlobalManager::AddTextColor(L"bench_fill", 0xFF2E5C8A);
  ui::GlobalManager::AddTextColor(L"bench_track", 0xFFCCCCCC);
  ui::GlobalManager::AddTextColor(L"bench_end", 0xFF3FA34D);
  ui::Window window;
  auto* root = new ui::Box();
  window.AttachRoot(root);
  auto place = [root](ui::Control* control, const RECT& pos) {
    root->Add(control);
    control->SetPos(pos);
    control->SetAttribute(L"value", L"60");
    return control;
  };
  ui::Control* bar = place(new ui::Progress(), RECT{0, 0, 200, 12});
  bar->SetAttribute(L"progresscolor", L"bench_fill");
  bar->SetAttribute(L"bkcolor", L"bench_track");
  ui::Control* slider = place(new ui::Slider(), RECT{0, 0, 200, 20});
  slider->SetAttribute(L"progresscolor", L"bench_fill");
  slider->SetAttribute(L"progressbarpadding", L"0,7,0,7");
  ui::Control* solid = place(new ui::CircleProgress(), RECT{0, 0, 120, 120});
  solid->SetAttribute(L"circlewidth", L"8");
  solid->SetAttribute(L"bgcolor", L"bench_track");
  solid->SetAttribute(L"fgcolor", L"bench_fill");
  ui::Control* gradient = place(new ui::CircleProgress(), RECT{0, 0, 120, 120});
  gradient->SetAttribute(L"circlewidth", L"8");
  gradient->SetAttribute(L"bgcolor", L"bench_track");
  gradient->SetAttribute(L"fgcolor", L"bench_fill");
  gradient->SetAttribute(L"gradientcolor", L"bench_end");

  std::unique_ptr<ui::IRenderContext> canvas =
      ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  canvas->Resize(200, 120, true);
  std::printf("paint into a 200x120 memory bitmap\n");
  std::printf("  %-40s %9s\n", "control", "us/paint");
  auto run = [&canvas](const char* name, ui::Control* control) {
    const double ms = TimeMs([&] { control->Paint(canvas.get(), RECT{0, 0, 200, 120}); });
    std::printf("  %-40s %9.1f\n", name, ms * 1000);
  };
  run("Progress 200x12, colour fill", bar);
  run("Slider 200x20, colour fill, padded", slider);
  run("CircleProgress 120x120, solid arc", solid);
  run("CircleProgress 120x120, gradient arc", gradient);

  // A drag step: the pointer's move reaching the slider sets the value from the point.
  auto* dragged = static_cast<ui::Slider*>(slider);
  dragged->SendEvent(ui::kEventButtonDown, 0, 0, 0, POINT{120, 10});
  int x = 40;
  const double ms = TimeMs([&] {
    x = x == 40 ? 160 : 40;
    dragged->SendEvent(ui::kEventMouseMove, 0, 0, 0, POINT{x, 10});
  });
  std::printf("  %-40s %9.3f\n", "Slider drag step (us/move)", ms * 1000);
  dragged->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{x, 10});
}

}  // namespace

int main() {
  const std::wstring temp = uibench::StartLibrary();
  BenchPaint();
  ui::GlobalManager::Shutdown();
  return 0;
}
