#include "tests/ui/bench_support.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/render/render_interfaces.h"

namespace uibench {

std::wstring StartLibrary() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  ui::GlobalManager::Startup(temp, nullptr, false, L"themes\\default", L"lang\\en");
  return temp;
}

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

bool WriteSquarePng(const std::wstring& path, int size,
                    const std::function<DWORD(int, int)>& pixel) {
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

}  // namespace

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

double TimeMs(const std::function<void()>& body, double budgetMs, int minRuns) {
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

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

double PlainCopyMs(HWND hwnd, int width, int height, bool layered) {
  std::unique_ptr<ui::IRenderContext> source =
      ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  source->Resize(width, height);
  if (layered) {
    POINT origin = {0, 0};
    SIZE size = {width, height};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return TimeMs([&] {
      ::UpdateLayeredWindow(hwnd, nullptr, &origin, &size, source->GetDC(), &origin, 0, &blend,
                            ULW_ALPHA);
    });
  }
  HDC windowDc = ::GetDC(hwnd);
  const double copy = TimeMs([&] {
    ::BitBlt(windowDc, 0, 0, width, height, source->GetDC(), 0, 0, SRCCOPY);
    ::GdiFlush();
  });
  ::ReleaseDC(hwnd, windowDc);
  return copy;
}

void PreparePhoneTree(const std::wstring& folder) {
  WriteSquarePng(folder + L"bench_button.png", 32, [](int x, int y) {
    const bool edge = x < 4 || y < 4 || x >= 28 || y >= 28;
    return edge ? 0x80FFFFFFu : 0xFF3070B0u;
  });
  WriteSquarePng(folder + L"bench_icon.png", 64, [](int x, int y) {
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
}

ui::Box* BuildPhoneTree(const std::wstring& folder) {
  const std::wstring button = folder + L"bench_button.png";
  const std::wstring icon = folder + L"bench_icon.png";
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

}  // namespace uibench
