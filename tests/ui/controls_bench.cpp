// Prints the cost of the control tree's two hot paths:
//   - arranging a VBox and a TileBox (microseconds per pass, and how it grows from 100 to 10,000
//     children: per-child cost should stay flat), and
//   - painting a 40-control window tree into a 720x1280 memory bitmap, beside a plain BitBlt of
//     the same size, with a table of where the paint's time goes by drawing call.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/layout_arithmetic.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

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
// minRuns), and the best of three such rounds, so a busy machine's pauses count less.
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

bool WritePng(const std::wstring& path, int size, const std::function<DWORD(int, int)>& pixel) {
  std::vector<DWORD> argb(static_cast<size_t>(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) argb[y * size + x] = pixel(x, y);
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromScan0(size, size, size * 4, PixelFormat32bppARGB,
                                reinterpret_cast<BYTE*>(argb.data()), &bitmap) != Ok)
    return false;
  UINT count = 0, bytes = 0;
  GdipGetImageEncodersSize(&count, &bytes);
  std::vector<BYTE> buffer(bytes);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  GdipGetImageEncoders(count, bytes, codecs);
  bool saved = false;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      saved = GdipSaveImageToFile(bitmap, path.c_str(), &codecs[i].Clsid, nullptr) == Ok;
      break;
    }
  }
  GdipDisposeImage(bitmap);
  return saved;
}

ui::Control* Leaf(int width, int height) {
  auto* control = new ui::Control();
  control->SetFixedWidth(width);
  control->SetFixedHeight(height);
  return control;
}

// A pop-out phone window's kind of tree, 40 controls: a title bar of buttons, a dark video area
// with a centred icon, a side panel of rows, and a bottom tool bar. Colours, images (nine-grid,
// with alpha) and square borders; rounded borders and text still draw through GDI+, and their
// cost per call is printed apart.
ui::Box* BuildPhoneTree(const std::wstring& button, const std::wstring& icon) {
  auto* root = new ui::VBox();
  root->SetAttribute(L"bkcolor", L"bench_window");
  auto* title = new ui::HBox();
  title->SetAttribute(L"height", L"48");
  title->SetAttribute(L"bkcolor", L"bench_bar");
  title->SetAttribute(L"padding", L"8,8,8,8");
  title->SetAttribute(L"childmargin", L"4");
  title->SetAttribute(L"bottombordersize", L"1");
  title->SetAttribute(L"bordercolor", L"bench_line");
  root->Add(title);
  title->Add(Leaf(ui::kSizeStretch, ui::kSizeStretch));  // The caption's space.
  for (int i = 0; i < 8; ++i) {
    ui::Control* b = Leaf(32, 32);
    b->SetAttribute(L"normalimage", L"file='" + button + L"' corner='4,4,4,4'");
    b->SetAttribute(L"hotcolor", L"bench_hover");
    title->Add(b);
  }
  auto* middle = new ui::HBox();
  root->Add(middle);
  auto* video = new ui::Box();
  video->SetAttribute(L"bkcolor", L"bench_video");
  video->SetAttribute(L"bordersize", L"1");
  video->SetAttribute(L"bordercolor", L"bench_line");
  middle->Add(video);
  ui::Control* logo = Leaf(64, 64);
  logo->SetAttribute(L"halign", L"center");
  logo->SetAttribute(L"valign", L"center");
  logo->SetAttribute(L"bkimage", L"file='" + icon + L"'");
  video->Add(logo);
  auto* side = new ui::VBox();
  side->SetAttribute(L"width", L"160");
  side->SetAttribute(L"bkcolor", L"bench_bar");
  middle->Add(side);
  for (int i = 0; i < 14; ++i) {
    ui::Control* rowControl = Leaf(ui::kSizeStretch, 40);
    rowControl->SetAttribute(L"bkcolor", i % 2 ? L"bench_row" : L"bench_row_alt");
    rowControl->SetAttribute(L"bottombordersize", L"1");
    rowControl->SetAttribute(L"bordercolor", L"bench_line");
    side->Add(rowControl);
  }
  auto* bottom = new ui::HBox();
  bottom->SetAttribute(L"height", L"56");
  bottom->SetAttribute(L"bkcolor", L"bench_bar");
  bottom->SetAttribute(L"padding", L"12,12,12,12");
  bottom->SetAttribute(L"childmargin", L"12");
  root->Add(bottom);
  for (int i = 0; i < 10; ++i) {
    ui::Control* tool = Leaf(32, 32);
    tool->SetAttribute(L"normalimage", L"file='" + button + L"' corner='4,4,4,4'");
    tool->SetAttribute(L"bordersize", L"1");
    tool->SetAttribute(L"bordercolor", L"bench_line");
    bottom->Add(tool);
  }
  return root;
}

int CountControls(ui::Control* control) {
  auto* box = dynamic_cast<ui::Box*>(control);
  int count = 1;
  for (int i = 0; box && i < box->GetCount(); ++i) count += CountControls(box->GetItemAt(i));
  return count;
}

void BenchPaint(const std::wstring& folder) {
  const std::wstring button = folder + L"bench_button.png";
  const std::wstring icon = folder + L"bench_icon.png";
  WritePng(button, 32, [](int x, int y) {
    const bool edge = x < 4 || y < 4 || x >= 28 || y >= 28;
    return edge ? 0x80FFFFFFu : 0xFF3070B0u;
  });
  WritePng(icon, 64, [](int x, int y) {
    const int dx = x - 32, dy = y - 32;
    return dx * dx + dy * dy < 900 ? 0xFFE0E0E0u : 0x00000000u;
  });
  ui::GlobalManager::AddTextColor(L"bench_window", 0xFFF4F4F4);
  ui::GlobalManager::AddTextColor(L"bench_bar", 0xFF2A2D33);
  ui::GlobalManager::AddTextColor(L"bench_line", 0xFF44474F);
  ui::GlobalManager::AddTextColor(L"bench_hover", 0xFF3A3F48);
  ui::GlobalManager::AddTextColor(L"bench_video", 0xFF000000);
  ui::GlobalManager::AddTextColor(L"bench_row", 0xFF30343B);
  ui::GlobalManager::AddTextColor(L"bench_row_alt", 0xFF2C3036);

  constexpr int kWidth = 720, kHeight = 1280;
  const RECT all = {0, 0, kWidth, kHeight};
  ui::IRenderFactory* factory = ui::GlobalManager::GetRenderFactory();
  auto canvas = factory->CreateRenderContext();
  canvas->Resize(kWidth, kHeight);
  auto source = factory->CreateRenderContext();
  source->Resize(kWidth, kHeight);

  ui::Window window;
  ui::Box* root = BuildPhoneTree(button, icon);
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
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  ui::GlobalManager::Startup(temp, nullptr, false, L"themes\\default", L"lang\\en");
  BenchArrange();
  BenchPaint(temp);
  ui::GlobalManager::Shutdown();
  return 0;
}
