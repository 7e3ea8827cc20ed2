// Prints the cost of a full repaint of a real 720x1280 window holding a 40-control tree, through
// the window's paint cycle (the tree painted into the window's surface, then copied to the
// screen), beside a plain copy of a 720x1280 bitmap to the same window: BitBlt for an ordinary
// window, UpdateLayeredWindow for a layered one.
#include <windows.h>

#include <cstdio>

#include "tests/ui/bench_support.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 1280;

class BenchWindow : public ui::Window {
 public:
  explicit BenchWindow(ui::Control* root) : root_(root) {}
  std::wstring GetWindowClassName() const override { return L"FernholdBenchWindow"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) {
      Init(GetHWND());
      AttachRoot(root_);
      return 0;
    }
    return ui::Window::HandleMessage(message, wParam, lParam);
  }

 private:
  ui::Control* root_;
};

void Bench(const std::wstring& folder, bool layered) {
  BenchWindow window(uibench::BuildPhoneTree(folder));
  HWND hwnd = window.Create(nullptr, L"bench", WS_POPUP, 0, layered, RECT{0, 0, kWidth, kHeight});
  if (!hwnd) {
    std::printf("window could not be created\n");
    return;
  }
  window.SetShadowAttached(false);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ::InvalidateRect(hwnd, nullptr, FALSE);
  ::SendMessageW(hwnd, WM_PAINT, 0, 0);  // The first paint lays the tree out.
  uibench::Pump();

  // Everything invalid, then one paint cycle: what a full repaint costs.
  const double repaint = uibench::TimeMs([&] {
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  });

  // Of that, painting the tree into the window's surface.
  const RECT all = {0, 0, kWidth, kHeight};
  const double tree = uibench::TimeMs(
      [&] { window.GetRoot()->PaintWithClip(window.GetRenderContext(), all); });

  const double copy = uibench::PlainCopyMs(hwnd, kWidth, kHeight, layered);

  const char* kind = layered ? "layered" : "ordinary";
  const char* plain = layered ? "UpdateLayeredWindow" : "BitBlt";
  std::printf("%s window %dx%d, %d controls:\n", kind, kWidth, kHeight,
              uibench::CountControls(window.GetRoot()));
  std::printf("  full repaint (paint cycle):   %8.3f ms\n", repaint);
  std::printf("    of it, the tree's drawing:  %8.3f ms\n", tree);
  std::printf("  plain %-20s   %8.3f ms\n", plain, copy);
  std::printf("  repaint / plain copy:         %8.1fx\n", copy > 0 ? repaint / copy : 0.0);
  ::DestroyWindow(hwnd);
  uibench::Pump();
}

}  // namespace

int main() {
  const std::wstring temp = uibench::StartLibrary();
  uibench::PreparePhoneTree(temp);
  Bench(temp, false);
  Bench(temp, true);
  ui::GlobalManager::Shutdown();
  return 0;
}
