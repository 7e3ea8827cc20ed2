// Prints the cost of the control tree's two hot paths:
//   - arranging a VBox and a TileBox (microseconds per pass, and how it grows from 100 to 10,000
//     children: per-child cost should stay flat), and
//   - painting a 40-control window tree into a 720x1280 memory bitmap, beside a plain BitBlt of
//     the same size, with a table of where the paint's time goes by drawing call.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/bench_support.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/layout_arithmetic.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using uibench::BuildPhoneTree;
using uibench::CountControls;
using uibench::NowMs;
using uibench::PreparePhoneTree;
using uibench::TimeMs;

// ---------------------------------------------------------------------------------------------
// Arrange

ui::Control* Row(int height) {
  auto* row = new ui::Control();
  row->SetFixedHeight(height);
  return row;
}

void BenchArrange() {
  std::printf("arrange (one pass, every child moves)\n");
  std::printf("  %-22s %9s %9s %12s\n", "tree", "children", "us/pass", "ns/child");
  auto run = [](const char* name, ui::Box* root, int count) {
    ui::Window window;  // Children get their position-change events, as in a window.
    for (int i = 0; i < count; ++i) root->Add(Row(20));
    window.AttachRoot(root);
    int width = 720;
    const double ms = TimeMs([&] {
      width = width == 720 ? 719 : 720;  // A new width moves every child.
      root->SetPos(RECT{0, 0, width, 1280});
    });
    std::printf("  %-22s %9d %9.1f %12.1f\n", name, count, ms * 1000, ms * 1e6 / count);
  };
  for (int count : {100, 1000, 10000}) run("VBox", new ui::VBox(), count);
  // The arithmetic alone, for the same stacks: no controls touched.
  for (int count : {100, 1000, 10000}) {
    std::vector<ui::LayoutItem> items(count);
    ui::FixedSizer sizer(std::vector<SIZE>(count, SIZE{ui::kSizeStretch, 20}));
    std::vector<ui::ItemPlacement> placed;
    int width = 720;
    const double ms = TimeMs([&] {
      width = width == 720 ? 719 : 720;
      ui::ArrangeStack(ui::LayoutAxis::kVertical, items, sizer, RECT{0, 0, width, 1280}, 0,
                       &placed);
    });
    std::printf("  %-22s %9d %9.1f %12.1f\n", "VBox arithmetic only", count, ms * 1000,
                ms * 1e6 / count);
  }
  for (int count : {100, 900, 10000}) {
    auto* tiles = new ui::TileBox();
    tiles->SetAttribute(L"columns", L"30");
    run(count == 900 ? "TileBox 30x30" : "TileBox, 30 columns", tiles, count);
  }
}

// ---------------------------------------------------------------------------------------------
// Paint: a render context that times every call it forwards.

class TimingContext : public ui::IRenderContext {
 public:
  explicit TimingContext(ui::IRenderContext* inner) : inner_(inner) {}

  struct Entry {
    int calls = 0;
    double ms = 0;
  };
  std::map<std::string, Entry> table;

  template <typename F>
  auto Timed(const char* name, F&& call) {
    const double start = NowMs();
    auto result = call();
    Entry& entry = table[name];
    ++entry.calls;
    entry.ms += NowMs() - start;
    return result;
  }

  HDC GetDC() override { return inner_->GetDC(); }
  bool Resize(int w, int h, bool topDown) override { return inner_->Resize(w, h, topDown); }
  void Clear() override { inner_->Clear(); }
  std::unique_ptr<IRenderContext> Clone() override { return inner_->Clone(); }
  HBITMAP DetachBitmap() override { return inner_->DetachBitmap(); }
  BYTE* GetBits() override { return inner_->GetBits(); }
  int GetWidth() override { return inner_->GetWidth(); }
  int GetHeight() override { return inner_->GetHeight(); }
  void ClearAlpha(const RECT& r, int a) override { inner_->ClearAlpha(r, a); }
  void RestoreAlpha(const RECT& r, const RECT& p, int a) override { inner_->RestoreAlpha(r, p, a); }
  bool IsRenderTransparent() const override { return inner_->IsRenderTransparent(); }
  bool SetRenderTransparent(bool t) override { return inner_->SetRenderTransparent(t); }
  void Save() override { inner_->Save(); }
  void Restore() override { inner_->Restore(); }
  POINT OffsetWindowOrg(POINT p) override { return Timed("OffsetWindowOrg", [&] { return inner_->OffsetWindowOrg(p); }); }
  POINT SetWindowOrg(POINT p) override { return Timed("SetWindowOrg", [&] { return inner_->SetWindowOrg(p); }); }
  POINT GetWindowOrg() const override { return inner_->GetWindowOrg(); }
  void SetClip(const RECT& r) override { Timed("SetClip", [&] { inner_->SetClip(r); return 0; }); }
  void SetRoundClip(const RECT& r, int w, int h) override {
    Timed("SetRoundClip", [&] { inner_->SetRoundClip(r, w, h); return 0; });
  }
  void ClearClip() override { Timed("ClearClip", [&] { inner_->ClearClip(); return 0; }); }
  HRESULT BitBlt(int x, int y, int cx, int cy, HDC s, int sx, int sy, DWORD rop) override {
    return Timed("BitBlt", [&] { return inner_->BitBlt(x, y, cx, cy, s, sx, sy, rop); });
  }
  bool AlphaBlend(int x, int y, int cx, int cy, HDC s, int sx, int sy, int scx, int scy,
                  BYTE a) override {
    return Timed("AlphaBlend", [&] { return inner_->AlphaBlend(x, y, cx, cy, s, sx, sy, scx, scy, a); });
  }
  void DrawImage(const RECT& p, HBITMAP b, bool alpha, const RECT& d, const RECT& s,
                 const RECT& c, BYTE f, bool xt, bool yt) override {
    Timed("DrawImage", [&] { inner_->DrawImage(p, b, alpha, d, s, c, f, xt, yt); return 0; });
  }
  void FillRect(const RECT& r, const std::wstring& name, BYTE f) override {
    Timed("FillRect (name)", [&] { inner_->FillRect(r, name, f); return 0; });
  }
  void FillRect(const RECT& r, DWORD argb, BYTE f) override {
    Timed("FillRect", [&] { inner_->FillRect(r, argb, f); return 0; });
  }
  void DrawLine(const ui::IPen* pen, int x1, int y1, int x2, int y2) override {
    Timed("DrawLine (pen)", [&] { inner_->DrawLine(pen, x1, y1, x2, y2); return 0; });
  }
  void DrawLine(const RECT& p, int w, DWORD argb) override {
    Timed("DrawLine", [&] { inner_->DrawLine(p, w, argb); return 0; });
  }
  void DrawBezier(const ui::IPen* pen, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                  int y4) override {
    inner_->DrawBezier(pen, x1, y1, x2, y2, x3, y3, x4, y4);
  }
  void DrawRect(const RECT& r, int w, DWORD argb) override {
    Timed("DrawRect", [&] { inner_->DrawRect(r, w, argb); return 0; });
  }
  void DrawRoundRect(const RECT& r, const SIZE& s, int w, DWORD argb) override {
    Timed("DrawRoundRect", [&] { inner_->DrawRoundRect(r, s, w, argb); return 0; });
  }
  void DrawText(const RECT& r, const std::wstring& t, DWORD argb, const std::wstring& f,
                UINT flags, BYTE fade, bool limit) override {
    Timed("DrawText", [&] { inner_->DrawText(r, t, argb, f, flags, fade, limit); return 0; });
  }
  void DrawEllipse(const RECT& r, int w, DWORD argb) override { inner_->DrawEllipse(r, w, argb); }
  void FillEllipse(const RECT& r, DWORD argb) override { inner_->FillEllipse(r, argb); }
  RECT MeasureText(const std::wstring& t, const std::wstring& f, UINT flags, int w) override {
    return inner_->MeasureText(t, f, flags, w);
  }
  void DrawPath(const ui::IPath* p, const ui::IPen* pen) override { inner_->DrawPath(p, pen); }
  void FillPath(const ui::IPath* p, const ui::IBrush* b) override { inner_->FillPath(p, b); }

 private:
  ui::IRenderContext* inner_;
};

void BenchPaint(const std::wstring& folder) {
  PreparePhoneTree(folder);

  constexpr int kWidth = 720, kHeight = 1280;
  const RECT all = {0, 0, kWidth, kHeight};
  ui::IRenderFactory* factory = ui::GlobalManager::GetRenderFactory();
  auto canvas = factory->CreateRenderContext();
  canvas->Resize(kWidth, kHeight);
  auto source = factory->CreateRenderContext();
  source->Resize(kWidth, kHeight);

  ui::Window window;
  ui::Box* root = BuildPhoneTree(folder);
  window.AttachRoot(root);
  window.ArrangeRoot(all);
  root->PaintWithClip(canvas.get(), all);  // Loads the images.

  const double paint = TimeMs([&] { root->PaintWithClip(canvas.get(), all); });
  const double blit = TimeMs([&] { canvas->BitBlt(0, 0, kWidth, kHeight, source->GetDC(), 0, 0, SRCCOPY); });
  std::printf("paint of a %d-control tree into %dx%d: %.3f ms\n", CountControls(root), kWidth,
              kHeight, paint);
  std::printf("plain BitBlt %dx%d:                  %.3f ms\n", kWidth, kHeight, blit);
  std::printf("paint / BitBlt:                          %.1fx\n", blit > 0 ? paint / blit : 0.0);

  // Where the time goes: the same paint through a context that times each call.
  TimingContext timing(canvas.get());
  const int rounds = 20;
  const double start = NowMs();
  for (int i = 0; i < rounds; ++i) root->PaintWithClip(&timing, all);
  const double total = (NowMs() - start) / rounds;
  double drawing = 0;
  std::printf("where one paint's %.3f ms go:\n", total);
  for (const auto& [name, entry] : timing.table) {
    std::printf("  %-18s %4d calls %8.3f ms\n", name.c_str(), entry.calls / rounds,
                entry.ms / rounds);
    drawing += entry.ms / rounds;
  }
  std::printf("  %-18s            %8.3f ms\n", "(tree walk, rest)", total - drawing);

  const double round = TimeMs([&] {
    canvas->DrawRoundRect(RECT{100, 100, 132, 132}, SIZE{4, 4}, 1, 0xFF44474F);
  });
  const double text = TimeMs([&] {
    canvas->DrawText(RECT{100, 100, 400, 130}, L"Cloud phone 01", 0xFFE0E0E0, L"",
                     DT_SINGLELINE | DT_VCENTER);
  });
  std::printf("left on GDI+, per call: rounded border %.3f ms, one line of text %.3f ms\n", round,
              text);
}

}  // namespace

int main() {
  const std::wstring temp = uibench::StartLibrary();
  BenchArrange();
  BenchPaint(temp);
  ui::GlobalManager::Shutdown();
  return 0;
}
