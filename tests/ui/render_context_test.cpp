// Pixel tests of the render layer: everything is painted into the context's own 32-bit bitmap
// and read back, no window needed. GDI+ writes premultiplied ARGB; GDI paths (StretchBlt) leave
// alpha 0, so those checks compare RGB.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "tests/ui/test_support.h"
#include "ui/core/global_manager.h"
#include "ui/render/auto_clip.h"
#include "ui/render/render_interfaces.h"

namespace {

using uitest::CountRgb;
using uitest::PixelAt;
using uitest::RgbAt;

constexpr DWORD kRed = 0xFFFF0000;
constexpr DWORD kGreen = 0xFF00FF00;
constexpr DWORD kBlue = 0xFF0000FF;

class RenderContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    factory_ = ui::GlobalManager::GetRenderFactory();
    ASSERT_NE(factory_, nullptr);
    ctx_ = factory_->CreateRenderContext();
    ASSERT_TRUE(ctx_->Resize(200, 150));
    ctx_->Clear();
  }

  // A context whose pixels are given, detached as an HBITMAP owned by the test.
  HBITMAP MakeSourceBitmap(int width, int height, const std::function<DWORD(int, int)>& argb) {
    auto source = factory_->CreateRenderContext();
    source->Resize(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const DWORD c = argb(x, y);
        BYTE* p = source->GetBits() + (static_cast<size_t>(y) * width + x) * 4;
        p[0] = c & 0xFF;
        p[1] = (c >> 8) & 0xFF;
        p[2] = (c >> 16) & 0xFF;
        p[3] = (c >> 24) & 0xFF;
      }
    }
    HBITMAP bitmap = source->DetachBitmap();
    owned_.push_back(bitmap);
    return bitmap;
  }

  void TearDown() override {
    for (HBITMAP bitmap : owned_) ::DeleteObject(bitmap);
  }

  ui::IRenderFactory* factory_ = nullptr;
  std::unique_ptr<ui::IRenderContext> ctx_;
  std::vector<HBITMAP> owned_;
};

// --- Surface -------------------------------------------------------------------------------

TEST_F(RenderContextTest, ResizeKeepsPixelsAtSameSizeAndReallocatesOtherwise) {
  ctx_->FillRect(RECT{0, 0, 200, 150}, kRed);
  EXPECT_FALSE(ctx_->Resize(200, 150));
  EXPECT_EQ(PixelAt(ctx_.get(), 10, 10), kRed);

  EXPECT_TRUE(ctx_->Resize(64, 32));
  EXPECT_EQ(ctx_->GetWidth(), 64);
  EXPECT_EQ(ctx_->GetHeight(), 32);
  ASSERT_NE(ctx_->GetBits(), nullptr);
  // The whole width x height x 4 bytes are writable.
  ctx_->GetBits()[64 * 32 * 4 - 1] = 0x5A;
  EXPECT_EQ(ctx_->GetBits()[64 * 32 * 4 - 1], 0x5A);
}

TEST_F(RenderContextTest, TopDownSurfaceHasRowZeroAtTheTop) {
  ctx_->FillRect(RECT{0, 0, 200, 1}, kGreen);
  EXPECT_EQ(PixelAt(ctx_.get(), 5, 0), kGreen);
  EXPECT_EQ(PixelAt(ctx_.get(), 5, 149), 0u);
}

TEST_F(RenderContextTest, EmptyOrInvalidSizesGiveNoPixels) {
  auto bitmap = factory_->CreateBitmap();
  EXPECT_FALSE(bitmap->Init(nullptr, 10, 10, true));
  EXPECT_FALSE(bitmap->Init(ctx_->GetDC(), 0, 10, true));
  EXPECT_EQ(bitmap->GetBits(), nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 0);
  bitmap->Clear();  // Nothing to clear, nothing to crash.
  bitmap->ClearAlpha(RECT{0, 0, 5, 5}, 0);

  EXPECT_FALSE(ctx_->Resize(0, 0));
  EXPECT_EQ(ctx_->GetBits(), nullptr);
}

TEST_F(RenderContextTest, CloneCopiesThePixelsAndDetachHandsOverTheSurface) {
  ctx_->FillRect(RECT{20, 20, 40, 40}, kBlue);
  std::unique_ptr<ui::IRenderContext> copy = ctx_->Clone();
  ASSERT_EQ(copy->GetWidth(), 200);
  EXPECT_EQ(RgbAt(copy.get(), 30, 30), kBlue & 0xFFFFFF);
  EXPECT_EQ(RgbAt(copy.get(), 10, 10), 0u);

  HBITMAP detached = ctx_->DetachBitmap();
  ASSERT_NE(detached, nullptr);
  EXPECT_EQ(ctx_->GetBits(), nullptr);
  EXPECT_EQ(ctx_->DetachBitmap(), nullptr);
  BITMAP info = {};
  EXPECT_EQ(::GetObjectW(detached, sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(info.bmWidth, 200);
  ::DeleteObject(detached);
}

TEST_F(RenderContextTest, BitBltReportsSuccessAndFailureAsHresults) {
  auto source = factory_->CreateRenderContext();
  ASSERT_TRUE(source->Resize(10, 10));
  source->FillRect(RECT{0, 0, 10, 10}, kGreen);
  EXPECT_EQ(ctx_->BitBlt(5, 5, 10, 10, source->GetDC()), S_OK);
  EXPECT_EQ(RgbAt(ctx_.get(), 7, 7), kGreen & 0xFFFFFF);

  // A handle that is no DC: GDI's FALSE must not come back as S_OK (which is 0, like FALSE).
  const HDC notADc = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x7FFF0));
  EXPECT_TRUE(FAILED(ctx_->BitBlt(0, 0, 10, 10, notADc)));
  EXPECT_EQ(RgbAt(ctx_.get(), 2, 2), 0u);
}

// --- Alpha handling of layered painting ----------------------------------------------------

TEST_F(RenderContextTest, ClearAlphaSetsEveryByteInsideTheClippedRectangle) {
  ctx_->FillRect(RECT{0, 0, 200, 150}, kRed);
  ctx_->ClearAlpha(RECT{-10, -10, 5, 5}, 0);
  EXPECT_EQ(PixelAt(ctx_.get(), 0, 0), 0u);
  EXPECT_EQ(PixelAt(ctx_.get(), 4, 4), 0u);
  EXPECT_EQ(PixelAt(ctx_.get(), 5, 5), kRed);

  ctx_->ClearAlpha(RECT{190, 140, 300, 300}, 14);
  EXPECT_EQ(PixelAt(ctx_.get(), 199, 149), 0x0E0E0E0Eu);

  ctx_->ClearAlpha(RECT{300, 300, 400, 400}, 0);  // Wholly outside: nothing.
  EXPECT_EQ(PixelAt(ctx_.get(), 100, 100), kRed);
}

TEST_F(RenderContextTest, RestoreAlphaMakesPaintedPixelsOpaqueAndLeavesPaddingCorners) {
  ctx_->ClearAlpha(RECT{0, 0, 200, 150}, 14);
  ctx_->FillRect(RECT{50, 50, 60, 60}, kGreen);  // Painting changed these pixels' alpha.
  const RECT padding = {10, 10, 10, 10};
  ctx_->RestoreAlpha(RECT{0, 0, 200, 150}, padding, 14);
  EXPECT_EQ(PixelAt(ctx_.get(), 100, 100) >> 24, 0u);   // Still 14: untouched, transparent.
  EXPECT_EQ(PixelAt(ctx_.get(), 55, 55) >> 24, 255u);   // Painted: opaque.
  EXPECT_EQ(PixelAt(ctx_.get(), 5, 5) >> 24, 14u);      // Top-left padding corner untouched.
  EXPECT_EQ(PixelAt(ctx_.get(), 195, 145) >> 24, 14u);  // Bottom-right corner untouched.
  EXPECT_EQ(PixelAt(ctx_.get(), 5, 70) >> 24, 0u);      // Left strip, not a corner.

  ctx_->RestoreAlpha(RECT{0, 0, 200, 150}, padding, 0);
  EXPECT_EQ(PixelAt(ctx_.get(), 100, 100) >> 24, 255u);  // Alpha 0: every covered pixel opaque.
}

// --- Fills, lines and shapes ---------------------------------------------------------------

TEST_F(RenderContextTest, FillRectWithFadeScalesOnlyTheAlpha) {
  ctx_->FillRect(RECT{0, 0, 10, 10}, kRed, 255);
  EXPECT_EQ(PixelAt(ctx_.get(), 5, 5), kRed);

  ctx_->FillRect(RECT{20, 0, 30, 10}, kRed, 128);
  const DWORD faded = PixelAt(ctx_.get(), 25, 5);
  EXPECT_EQ(faded >> 24, 128u);
  // Premultiplied: red 255 at alpha 128 is stored as about 128; green and blue stay 0.
  EXPECT_NEAR(static_cast<int>((faded >> 16) & 0xFF), 128, 1);
  EXPECT_EQ(faded & 0xFFFF, 0u);

  ui::GlobalManager::AddTextColor(L"render_test_blue", kBlue);
  ctx_->FillRect(RECT{40, 0, 50, 10}, std::wstring(L"render_test_blue"));
  EXPECT_EQ(PixelAt(ctx_.get(), 45, 5), kBlue);
  ctx_->FillRect(RECT{60, 0, 70, 10}, std::wstring());  // No name: nothing.
  EXPECT_EQ(PixelAt(ctx_.get(), 65, 5), 0u);
}

TEST_F(RenderContextTest, OnePixelLinesAndBordersStayInsideTheirRectangle) {
  // A border of width 1 around the control (10, 10, 20, 20) is drawn one pixel short on the
  // right and bottom, so it stays inside the control's exclusive edge.
  ctx_->DrawRect(RECT{10, 10, 19, 19}, 1, kRed);
  EXPECT_EQ(PixelAt(ctx_.get(), 10, 10), kRed);
  EXPECT_EQ(PixelAt(ctx_.get(), 19, 15), kRed);
  EXPECT_EQ(PixelAt(ctx_.get(), 15, 19), kRed);
  EXPECT_EQ(PixelAt(ctx_.get(), 20, 15), 0u);
  EXPECT_EQ(PixelAt(ctx_.get(), 15, 20), 0u);
  EXPECT_EQ(PixelAt(ctx_.get(), 15, 15), 0u);  // Outline only.

  ctx_->DrawLine(RECT{30, 40, 59, 40}, 1, kGreen);  // Read as (x1, y1, x2, y2).
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{0, 40, 200, 41}, kGreen), 30);
  EXPECT_EQ(PixelAt(ctx_.get(), 45, 39), 0u);
  EXPECT_EQ(PixelAt(ctx_.get(), 45, 41), 0u);

  ctx_->DrawLine(RECT{100, 0, 100, 100}, 3, kBlue);  // Width 3 covers three columns.
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{90, 50, 110, 51}, kBlue), 3);
}

TEST_F(RenderContextTest, RoundRectangleCutsItsCorners) {
  ctx_->DrawRoundRect(RECT{20, 20, 120, 100}, SIZE{20, 20}, 2, kRed);
  auto painted = [&](int x, int y) { return (PixelAt(ctx_.get(), x, y) >> 24) > 64; };
  EXPECT_TRUE(painted(70, 20));   // Middle of the top edge.
  EXPECT_TRUE(painted(120, 60));  // Middle of the right edge.
  EXPECT_TRUE(painted(70, 100));  // Bottom edge.
  EXPECT_FALSE(painted(20, 20));  // The corner itself is cut off.
  EXPECT_FALSE(painted(120, 100));
  EXPECT_FALSE(painted(70, 60));  // Outline only.
}

TEST_F(RenderContextTest, EllipsesAndPathsFillTheirShapes) {
  ctx_->FillEllipse(RECT{0, 0, 40, 40}, kGreen);
  EXPECT_EQ(PixelAt(ctx_.get(), 20, 20), kGreen);
  EXPECT_EQ(PixelAt(ctx_.get(), 1, 1), 0u);

  auto path = factory_->CreatePath();
  const POINT triangle[] = {{100, 10}, {140, 10}, {100, 50}};
  path->AddPolygon(triangle, 3);
  EXPECT_TRUE(path->ContainsPoint(105, 15));
  EXPECT_FALSE(path->ContainsPoint(135, 45));
  const RECT bounds = path->GetBounds(nullptr);
  EXPECT_EQ(bounds.left, 100);
  EXPECT_EQ(bounds.right, 140);
  auto brush = factory_->CreateBrush(kBlue);
  ctx_->FillPath(path.get(), brush.get());
  EXPECT_EQ(PixelAt(ctx_.get(), 105, 15), kBlue);
  EXPECT_EQ(PixelAt(ctx_.get(), 135, 45), 0u);

  auto matrix = factory_->CreateMatrix();
  matrix->Translate(0, 60);
  path->Transform(matrix.get());
  EXPECT_TRUE(path->ContainsPoint(105, 75));
}

TEST_F(RenderContextTest, PenKeepsItsSettingsAcrossClone) {
  auto pen = factory_->CreatePen(kRed, 3);
  pen->SetDashStyle(1);
  pen->SetColor(kGreen);
  auto copy = pen->Clone();
  EXPECT_EQ(copy->GetWidth(), 3);
  EXPECT_EQ(copy->GetDashStyle(), 1);
  EXPECT_EQ(copy->GetColor(), kGreen);
  ctx_->DrawLine(copy.get(), 10, 75, 190, 75);
  EXPECT_GT(CountRgb(ctx_.get(), RECT{0, 73, 200, 78}, kGreen & 0xFFFFFF), 0);
}

// --- Clipping ------------------------------------------------------------------------------

TEST_F(RenderContextTest, ClipIsInLogicalCoordinatesAfterTheWindowOriginMoves) {
  const POINT old = ctx_->SetWindowOrg(POINT{10, 5});
  EXPECT_EQ(old.x, 0);
  EXPECT_EQ(ctx_->GetWindowOrg().x, 10);
  {
    ui::AutoClip clip(ctx_.get(), RECT{20, 20, 40, 40});
    ctx_->FillRect(RECT{0, 0, 300, 300}, kRed);
  }
  ctx_->SetWindowOrg(old);
  // Logical (20, 20, 40, 40) is device (10, 15, 30, 35).
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{0, 0, 200, 150}, kRed & 0xFFFFFF), 20 * 20);
  EXPECT_EQ(RgbAt(ctx_.get(), 10, 15), kRed & 0xFFFFFF);
  EXPECT_EQ(RgbAt(ctx_.get(), 29, 34), kRed & 0xFFFFFF);
  EXPECT_EQ(RgbAt(ctx_.get(), 30, 35), 0u);

  const POINT before = ctx_->OffsetWindowOrg(POINT{-5, -5});
  EXPECT_EQ(before.x, 0);
  EXPECT_EQ(ctx_->GetWindowOrg().y, -5);
}

TEST_F(RenderContextTest, AutomaticClipsNestAndUnwindInOrder) {
  {
    ui::AutoClip outer(ctx_.get(), RECT{0, 0, 50, 50});
    {
      ui::AutoClip inner(ctx_.get(), RECT{25, 25, 100, 100});
      ctx_->FillRect(RECT{0, 0, 200, 150}, kRed);
    }
    ctx_->FillRect(RECT{0, 0, 10, 200}, kGreen);  // Only the outer clip applies again.
  }
  ctx_->FillRect(RECT{190, 0, 200, 150}, kBlue);  // No clip left.
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{0, 0, 200, 150}, kRed & 0xFFFFFF), 25 * 25);
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{0, 0, 200, 150}, kGreen & 0xFFFFFF), 10 * 50);
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{0, 0, 200, 150}, kBlue & 0xFFFFFF), 10 * 150);

  ctx_->SetRoundClip(RECT{100, 50, 150, 100}, 20, 20);
  ctx_->FillRect(RECT{0, 0, 200, 150}, kGreen);
  ctx_->ClearClip();
  EXPECT_EQ(RgbAt(ctx_.get(), 125, 75), kGreen & 0xFFFFFF);
  EXPECT_EQ(RgbAt(ctx_.get(), 100, 50), 0u);  // Rounded corner clipped away.
}

// --- Images: nine-grid and tiling ----------------------------------------------------------

// A 30x30 source: corners red, edges green, middle blue (10-pixel borders).
DWORD NineGridColor(int x, int y) {
  const bool edgeX = x < 10 || x >= 20;
  const bool edgeY = y < 10 || y >= 20;
  if (edgeX && edgeY) return kRed;
  if (edgeX || edgeY) return kGreen;
  return kBlue;
}

TEST_F(RenderContextTest, NineGridKeepsCornersAndStretchesEdgesAndMiddle) {
  HBITMAP source = MakeSourceBitmap(30, 30, NineGridColor);
  const RECT all = {0, 0, 200, 150};
  ctx_->DrawImage(all, source, false, RECT{10, 10, 110, 90}, RECT{0, 0, 30, 30},
                  RECT{10, 10, 10, 10});
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{10, 10, 20, 20}, kRed), 100);     // Top-left corner.
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{100, 80, 110, 90}, kRed), 100);   // Bottom-right corner.
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{20, 10, 100, 20}, kGreen), 800);  // Top edge stretched.
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{10, 20, 20, 80}, kGreen), 600);   // Left edge.
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{20, 20, 100, 80}, kBlue), 80 * 60);
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{110, 0, 200, 150}, 0), 90 * 150);  // Nothing outside.
}

TEST_F(RenderContextTest, NineGridWithoutCornersIsOneStretchedBlit) {
  HBITMAP source = MakeSourceBitmap(30, 30, NineGridColor);
  ctx_->DrawImage(RECT{0, 0, 200, 150}, source, false, RECT{0, 0, 60, 60}, RECT{0, 0, 30, 30},
                  RECT{0, 0, 0, 0});
  // Doubled as a whole (halftone smooths the seams between the source's regions).
  EXPECT_GE(CountRgb(ctx_.get(), RECT{0, 0, 20, 20}, kRed), 19 * 19);
  EXPECT_GE(CountRgb(ctx_.get(), RECT{20, 20, 40, 40}, kBlue), 19 * 19);
  EXPECT_EQ(RgbAt(ctx_.get(), 30, 5), kGreen & 0xFFFFFF);
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{60, 0, 200, 150}, 0), 140 * 150);
}

TEST_F(RenderContextTest, OpaqueImagesTakeStretchBltOnlyWhenScaled) {
  // A source pixel of alpha 0 is added to what is below by AlphaBlend (premultiplied), but
  // replaces it under StretchBlt: green below shows which path a piece took.
  HBITMAP source = MakeSourceBitmap(10, 10, [](int, int) { return 0x00FF0000u; });
  ctx_->FillRect(RECT{0, 0, 200, 150}, kGreen);
  ctx_->DrawImage(RECT{0, 0, 200, 150}, source, false, RECT{0, 0, 20, 20}, RECT{0, 0, 10, 10},
                  RECT{0, 0, 0, 0});
  EXPECT_EQ(RgbAt(ctx_.get(), 10, 10), 0xFF0000u);  // Scaled: StretchBlt replaced the green.
  ctx_->DrawImage(RECT{0, 0, 200, 150}, source, false, RECT{50, 0, 60, 10}, RECT{0, 0, 10, 10},
                  RECT{0, 0, 0, 0});
  EXPECT_EQ(RgbAt(ctx_.get(), 55, 5), 0xFFFF00u);  // Same size: AlphaBlend over the green.
  ctx_->SetRenderTransparent(true);
  ctx_->DrawImage(RECT{0, 0, 200, 150}, source, false, RECT{100, 0, 120, 20}, RECT{0, 0, 10, 10},
                  RECT{0, 0, 0, 0});
  EXPECT_EQ(RgbAt(ctx_.get(), 110, 10), 0xFFFF00u);  // Transparent rendering always blends.
}

TEST_F(RenderContextTest, CornersThatLeaveNoMiddleDrawNoMiddle) {
  HBITMAP source = MakeSourceBitmap(30, 30, NineGridColor);
  for (bool tiled : {false, true}) {
    ctx_->Clear();
    ctx_->DrawImage(RECT{0, 0, 200, 150}, source, true, RECT{0, 0, 100, 100}, RECT{0, 0, 30, 30},
                    RECT{15, 15, 15, 15}, 255, tiled, tiled);
    EXPECT_EQ(PixelAt(ctx_.get(), 50, 50), 0u) << "tiled " << tiled;
    EXPECT_EQ(RgbAt(ctx_.get(), 5, 5), kRed & 0xFFFFFF) << "tiled " << tiled;
  }
}

TEST_F(RenderContextTest, TilingCutsTheLastTileInsteadOfScalingIt) {
  // 50-pixel-wide source, 10-pixel side corners: a 30-pixel middle whose columns are told apart
  // by their blue value. Destination middle 100 wide: four columns, the last 10 wide.
  HBITMAP source = MakeSourceBitmap(50, 10, [](int x, int) {
    return 0xFF000000u | static_cast<DWORD>(x * 5);
  });
  ctx_->DrawImage(RECT{0, 0, 200, 150}, source, true, RECT{0, 0, 120, 10}, RECT{0, 0, 50, 10},
                  RECT{10, 0, 10, 0}, 255, true, false);
  for (int column = 0; column < 4; ++column) {
    const int left = 10 + column * 30;
    EXPECT_EQ(RgbAt(ctx_.get(), left, 5), 10u * 5) << "column " << column;
  }
  for (int k = 0; k < 10; ++k) EXPECT_EQ(RgbAt(ctx_.get(), 100 + k, 5), (10u + k) * 5);
  EXPECT_EQ(RgbAt(ctx_.get(), 110, 5), 40u * 5);  // The right corner follows unscaled.
}

TEST_F(RenderContextTest, ImageOutsideThePaintRectangleDrawsNothing) {
  HBITMAP source = MakeSourceBitmap(10, 10, [](int, int) { return kRed; });
  ctx_->DrawImage(RECT{100, 100, 110, 110}, source, true, RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10},
                  RECT{0, 0, 0, 0});
  ctx_->DrawImage(RECT{0, 0, 200, 150}, nullptr, true, RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10},
                  RECT{0, 0, 0, 0});
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{0, 0, 200, 150}, 0), 200 * 150);
}

// --- Text ----------------------------------------------------------------------------------

TEST_F(RenderContextTest, TextIsDrawnWithAlphaAtMost254) {
  ctx_->DrawText(RECT{0, 0, 200, 40}, L"Hamburgefonstiv", 0xFF000000, L"",
                 DT_SINGLELINE | DT_VCENTER);
  int maxAlpha = 0;
  int inked = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 200; ++x) {
      const int alpha = static_cast<int>(PixelAt(ctx_.get(), x, y) >> 24);
      maxAlpha = std::max(maxAlpha, alpha);
      if (alpha > 0) ++inked;
    }
  }
  EXPECT_GT(inked, 50);
  EXPECT_GT(maxAlpha, 200);
  EXPECT_LE(maxAlpha, 254);
  EXPECT_EQ(PixelAt(ctx_.get(), 100, 2), 0u);  // Vertically centred: the top rows stay empty.

  ctx_->Clear();
  ctx_->DrawText(RECT{0, 0, 200, 40}, L"", 0xFF000000, L"", DT_SINGLELINE);
  EXPECT_EQ(CountRgb(ctx_.get(), RECT{0, 0, 200, 40}, 0), 200 * 40);
}

TEST_F(RenderContextTest, RightAlignedTextEndsNearTheRightEdge) {
  ctx_->DrawText(RECT{0, 0, 200, 30}, L"MMM", 0xFF000000, L"", DT_SINGLELINE | DT_RIGHT);
  int leftmost = 200;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x)
      if (PixelAt(ctx_.get(), x, y) >> 24) leftmost = std::min(leftmost, x);
  EXPECT_GT(leftmost, 120);
}

// A text drawn again is laid over the pixels from what it left the time before: the pixels must
// be those GDI+ gives when it draws the text there, on translucent surfaces, under clips, at
// another place and with the window origin moved.
TEST_F(RenderContextTest, TextDrawnAgainGivesThePixelsOfDrawingItAfresh) {
  struct Case {
    const wchar_t* text;
    UINT flags;
    DWORD argb;
    BYTE fade;
    RECT layout;  // Drawn here first, then 13 right and 7 down.
    RECT clip;
    POINT origin;
  };
  const Case cases[] = {
      {L"Hamburgefonstiv", DT_SINGLELINE | DT_VCENTER, 0xFF000000, 255, {4, 4, 190, 40},
       {0, 0, 200, 150}, {0, 0}},
      {L"Row 12 of the list, cut short", DT_END_ELLIPSIS | DT_NOCLIP | DT_SINGLELINE, 0x80204080,
       200, {10, 30, 90, 44}, {0, 0, 200, 150}, {0, 0}},
      {L"A longer text that wraps onto three lines", 0, 0xFFC02020, 255, {20, 20, 90, 60},
       {30, 25, 80, 70}, {-5, 8}},
      {L"Overflows its box", DT_NOCLIP | DT_CENTER | DT_VCENTER, 0xFF102030, 255,
       {40, 60, 80, 66}, {0, 0, 200, 150}, {3, -2}},
  };
  auto background = [](ui::IRenderContext* context) {
    BYTE* bits = context->GetBits();
    for (int i = 0; i < 200 * 150; ++i) {
      const BYTE alpha = static_cast<BYTE>(i % 200 + 40);  // premultiplied, mostly translucent
      bits[i * 4] = alpha / 2;
      bits[i * 4 + 1] = alpha / 3;
      bits[i * 4 + 2] = static_cast<BYTE>(alpha * (i / 200) / 150);
      bits[i * 4 + 3] = alpha;
    }
  };
  auto draw = [&](ui::IRenderContext* context, const Case& c, int dx, int dy) {
    background(context);
    const POINT old = context->OffsetWindowOrg(c.origin);
    {
      ui::AutoClip clip(context, c.clip);
      RECT at = c.layout;
      ::OffsetRect(&at, dx, dy);
      context->DrawText(at, c.text, c.argb, L"", c.flags, c.fade);
    }
    context->SetWindowOrg(old);
    const BYTE* bits = context->GetBits();
    return std::vector<BYTE>(bits, bits + 200 * 150 * 4);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text);
    auto fresh = factory_->CreateRenderContext();
    ASSERT_TRUE(fresh->Resize(200, 150));
    const std::vector<BYTE> drawn = draw(fresh.get(), c, 13, 7);
    EXPECT_NE(drawn, draw(fresh.get(), c, 200, 200)) << "the text shows";

    auto reused = factory_->CreateRenderContext();
    ASSERT_TRUE(reused->Resize(200, 150));
    draw(reused.get(), c, 0, 0);
    EXPECT_EQ(draw(reused.get(), c, 13, 7), drawn) << "the second time";
    EXPECT_EQ(draw(reused.get(), c, 13, 7), drawn) << "the third time (its pixels kept)";
    EXPECT_EQ(draw(reused.get(), c, 13, 7), drawn) << "the fourth time (from its pixels)";
  }
}

TEST_F(RenderContextTest, MeasureTextGrowsWithTheTextAndKeepsOneLineHeight) {
  const RECT empty = ctx_->MeasureText(L"", L"", DT_SINGLELINE);
  EXPECT_LE(empty.right - empty.left, 1);
  EXPECT_LE(empty.bottom - empty.top, 1);

  const RECT shortText = ctx_->MeasureText(L"Hi", L"", DT_SINGLELINE);
  const RECT longText = ctx_->MeasureText(L"Hi there, a longer line", L"", DT_SINGLELINE);
  EXPECT_GT(longText.right, shortText.right + 50);
  EXPECT_EQ(shortText.bottom, longText.bottom);
  EXPECT_GE(shortText.bottom, 12);  // A 14-pixel font.

  const RECT bounded = ctx_->MeasureText(L"Hi there, a longer line", L"", DT_SINGLELINE, 60);
  EXPECT_LE(bounded.right, 61);
  EXPECT_EQ(bounded.bottom - bounded.top, shortText.bottom - shortText.top);

  const RECT wrapped = ctx_->MeasureText(L"Hi there, a longer line", L"", 0, 60);
  EXPECT_GT(wrapped.bottom, shortText.bottom);  // Multi-line text wraps within the width.
}

TEST_F(RenderContextTest, SavedPictureOfAComposedScene) {
  HBITMAP source = MakeSourceBitmap(30, 30, NineGridColor);
  ctx_->FillRect(RECT{0, 0, 200, 150}, 0xFFF0F0F0);
  ctx_->DrawImage(RECT{0, 0, 200, 150}, source, false, RECT{10, 10, 190, 80}, RECT{0, 0, 30, 30},
                  RECT{10, 10, 10, 10});
  ctx_->DrawRoundRect(RECT{10, 90, 190, 140}, SIZE{16, 16}, 2, 0xFF3060C0);
  ctx_->DrawText(RECT{10, 90, 190, 140}, L"Fernhold render", 0xFF202020, L"",
                 DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"fernhold-ui-render-scene.png";
  EXPECT_TRUE(uitest::SaveContextPng(ctx_.get(), path));
  EXPECT_EQ(RgbAt(ctx_.get(), 100, 45), kBlue & 0xFFFFFF);
}

}  // namespace
