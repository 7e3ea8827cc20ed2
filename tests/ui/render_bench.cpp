// Prints the cost of one full 720x1280 repaint through the render context (background fill,
// nine-grid image, one line of text) beside a plain BitBlt of the same size, in the same run;
// the goal is at most 10 times the BitBlt.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "tests/ui/bench_support.h"
#include "ui/core/global_manager.h"
#include "ui/render/render_interfaces.h"

using uibench::NowMs;

int main() {
  const std::wstring temp = uibench::StartLibrary();
  ui::FontInfo font;
  font.faceName = L"Segoe UI";
  font.size = 16;
  font.font = ::CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            font.faceName.c_str());
  ui::GlobalManager::AddFont(L"bench", font);
  ui::GlobalManager::SetDefaultFontId(L"bench");

  constexpr int kWidth = 720, kHeight = 1280, kRounds = 100;
  constexpr double kMaxRatio = 10;  // Goal: a full repaint costs at most 10 plain copies.
  ui::IRenderFactory* factory = ui::GlobalManager::GetRenderFactory();
  auto skin = factory->CreateRenderContext();
  skin->Resize(64, 64);
  skin->FillRect(RECT{0, 0, 64, 64}, 0xFF2060A0);
  skin->FillRect(RECT{16, 16, 48, 48}, 0xC0FFFFFF);
  HBITMAP skinBitmap = skin->DetachBitmap();

  auto target = factory->CreateRenderContext();
  target->Resize(kWidth, kHeight);
  auto source = factory->CreateRenderContext();
  source->Resize(kWidth, kHeight);
  const RECT all = {0, 0, kWidth, kHeight};

  // Warm-up, then the measured rounds.
  for (int pass = 0; pass < 2; ++pass) {
    const int rounds = pass == 0 ? 5 : kRounds;
    double start = NowMs();
    for (int i = 0; i < rounds; ++i) {
      target->FillRect(all, 0xFFF4F4F4);
      target->DrawImage(all, skinBitmap, true, RECT{20, 20, kWidth - 20, kHeight - 20},
                        RECT{0, 0, 64, 64}, RECT{16, 16, 16, 16});
      target->DrawText(RECT{40, 40, kWidth - 40, 80}, L"Cloud phone 01 - 720 x 1280", 0xFF202020,
                       L"", DT_SINGLELINE | DT_VCENTER);
    }
    const double repaint = (NowMs() - start) / rounds;
    start = NowMs();
    for (int i = 0; i < rounds; ++i)
      target->BitBlt(0, 0, kWidth, kHeight, source->GetDC(), 0, 0, SRCCOPY);
    const double blit = (NowMs() - start) / rounds;
    if (pass == 1) {
      std::printf("render context full repaint 720x1280: %.3f ms/frame\n", repaint);
      std::printf("plain BitBlt 720x1280:                %.3f ms/frame\n", blit);
      const double ratio = blit > 0 ? repaint / blit : 0.0;
      std::printf("repaint / BitBlt:                     %.1fx\n", ratio);
      std::printf("BENCH | render context full repaint 720x1280 / plain BitBlt | %.1fx | <= %.0fx | %s\n",
                  ratio, kMaxRatio, blit > 0 && ratio <= kMaxRatio ? "met" : "missed");
    }
  }
  ::DeleteObject(skinBitmap);
  target.reset();
  source.reset();
  skin.reset();
  ui::GlobalManager::Shutdown();
  return 0;
}
