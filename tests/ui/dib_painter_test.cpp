// The render context's drawing on its own pixels (fills, straight lines, outlines, blended image
// pieces) and its clips kept out of the DC until GDI needs them: the pixels must be those GDI+
// and AlphaBlend give, inside every clip set.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/core/global_manager.h"
#include "ui/core/image.h"
#include "ui/render/auto_clip.h"
#include "ui/render/dib_painter.h"

namespace {

using uitest::CountRgb;
using uitest::PixelAt;
using uitest::RgbAt;

constexpr DWORD kRed = 0xFFFF0000;

// The painted columns of row y between x0 and x1 as a string of '#' and '.'.
std::string RowOf(ui::IRenderContext* ctx, int y, int x0, int x1) {
  std::string row;
  for (int x = x0; x < x1; ++x) row += (PixelAt(ctx, x, y) >> 24) ? '#' : '.';
  return row;
}

TEST(DibPainterTest, WideLinesAndOutlinesCoverWhatAGdiPlusPenCovers) {
  auto ctx = uitest::MakeCanvas(40, 40);
  // A pen of width w on coordinate c covers [c - w / 2, c - w / 2 + w) across the line.
  ctx->DrawLine(RECT{20, 5, 20, 12}, 2, kRed);
  EXPECT_EQ(RowOf(ctx.get(), 8, 17, 23), "..##..");
  EXPECT_EQ(PixelAt(ctx.get(), 19, 11), kRed);
  EXPECT_EQ(PixelAt(ctx.get(), 19, 12), 0u);  // A wide line ends before its second point.
  ctx->DrawLine(RECT{30, 5, 30, 12}, 4, kRed);
  EXPECT_EQ(RowOf(ctx.get(), 8, 27, 33), ".####.");

  ctx->Clear();
  ctx->DrawRect(RECT{5, 5, 15, 12}, 3, kRed);
  EXPECT_EQ(RowOf(ctx.get(), 8, 3, 18), ".###.......###.");
  EXPECT_EQ(RowOf(ctx.get(), 4, 3, 18), ".#############.");
  EXPECT_EQ(PixelAt(ctx.get(), 10, 13), kRed);
  EXPECT_EQ(PixelAt(ctx.get(), 10, 14), 0u);
  EXPECT_FALSE(ctx->GetBits() == nullptr);
}

TEST(DibPainterTest, ATranslucentOutlineIsLaidOnceEvenAtItsCorners) {
  auto ctx = uitest::MakeCanvas(40, 40);
  ctx->DrawRect(RECT{5, 5, 20, 20}, 4, 0x80FF0000);
  const DWORD corner = PixelAt(ctx.get(), 4, 4);
  const DWORD edge = PixelAt(ctx.get(), 12, 4);
  EXPECT_EQ(corner, edge);
  EXPECT_EQ(corner >> 24, 0x80u);
  EXPECT_NEAR(static_cast<int>((corner >> 16) & 0xFF), 0x80, 1);  // Premultiplied.
}

TEST(DibPainterTest, TranslucentFillsBlendSourceOver) {
  auto ctx = uitest::MakeCanvas(10, 10);
  ctx->FillRect(RECT{0, 0, 10, 10}, 0xFF0000FF);
  ctx->FillRect(RECT{0, 0, 10, 10}, 0x80FF0000);
  const DWORD mixed = PixelAt(ctx.get(), 5, 5);
  EXPECT_EQ(mixed >> 24, 0xFFu);
  EXPECT_NEAR(static_cast<int>((mixed >> 16) & 0xFF), 128, 1);
  EXPECT_NEAR(static_cast<int>(mixed & 0xFF), 127, 1);
  ctx->FillRect(RECT{0, 0, 10, 10}, 0x00FFFFFF);  // Fully transparent: nothing.
  EXPECT_EQ(PixelAt(ctx.get(), 5, 5), mixed);
}

TEST(DibPainterTest, ImagePiecesBlendWithTheirAlphaAndStretchByNearestPixel) {
  auto source = uitest::MakeCanvas(2, 1);
  source->FillRect(RECT{0, 0, 1, 1}, kRed);
  source->FillRect(RECT{1, 0, 2, 1}, 0x800000FF);  // Half-transparent blue.
  HBITMAP bitmap = source->DetachBitmap();
  ui::DibSource pixels;
  ASSERT_TRUE(ui::DibSource::FromBitmap(bitmap, &pixels));

  auto ctx = uitest::MakeCanvas(20, 4);
  ctx->FillRect(RECT{0, 0, 20, 4}, 0xFF00FF00);
  ctx->DrawImage(RECT{0, 0, 20, 4}, bitmap, true, RECT{0, 0, 8, 2}, RECT{0, 0, 2, 1},
                 RECT{0, 0, 0, 0});
  EXPECT_EQ(RgbAt(ctx.get(), 0, 0), 0xFF0000u);
  EXPECT_EQ(RgbAt(ctx.get(), 3, 1), 0xFF0000u);  // The first source pixel covers 4 columns.
  const DWORD half = RgbAt(ctx.get(), 4, 0);
  EXPECT_NEAR(static_cast<int>(half & 0xFF), 128, 1);         // Blue laid over ...
  EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 127, 1);  // ... half of the green.
  EXPECT_EQ(RgbAt(ctx.get(), 8, 0), 0x00FF00u);
  EXPECT_EQ(RgbAt(ctx.get(), 0, 2), 0x00FF00u);

  ctx->DrawImage(RECT{0, 0, 20, 4}, bitmap, true, RECT{10, 0, 12, 1}, RECT{0, 0, 2, 1},
                 RECT{0, 0, 0, 0}, 128);  // A fade halves the red too.
  EXPECT_NEAR(static_cast<int>((RgbAt(ctx.get(), 10, 0) >> 16) & 0xFF), 128, 1);
  ::DeleteObject(bitmap);
}

TEST(DibPainterTest, ImagesOfEitherRowOrderAndDecodedImagesAreDrawnTheRightWayUp) {
  std::vector<HBITMAP> sources;
  for (bool topDown : {true, false}) {
    auto source = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
    source->Resize(4, 4, topDown);
    source->FillRect(RECT{0, 0, 4, 4}, 0xFF0000FF);
    source->FillRect(RECT{0, 0, 4, 1}, kRed);  // The top row.
    sources.push_back(source->DetachBitmap());
  }
  uitest::TempDir dir;
  std::vector<DWORD> png(16, 0xFF0000FF);
  for (int x = 0; x < 4; ++x) png[x] = kRed;
  ASSERT_TRUE(uitest::WritePng(dir.File(L"top.png"), 4, 4, png));
  std::unique_ptr<ui::ImageInfo> decoded = ui::ImageInfo::LoadFromFile(dir.File(L"top.png"));
  ASSERT_NE(decoded, nullptr);
  sources.push_back(decoded->GetHBitmap(0));

  for (size_t i = 0; i < sources.size(); ++i) {
    auto ctx = uitest::MakeCanvas(8, 8);
    for (int pass = 0; pass < 2; ++pass) {  // The second draw uses what the first found out.
      ctx->Clear();
      ctx->DrawImage(RECT{0, 0, 8, 8}, sources[i], true, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4},
                     RECT{0, 0, 0, 0});
      EXPECT_EQ(RgbAt(ctx.get(), 1, 0), 0xFF0000u) << "source " << i;
      EXPECT_EQ(RgbAt(ctx.get(), 1, 3), 0x0000FFu) << "source " << i;
    }
  }
  ::DeleteObject(sources[0]);
  ::DeleteObject(sources[1]);
}

TEST(DibPainterTest, ClipsHoldAcrossOriginMovesAndReachTheDcWhenGdiDraws) {
  auto ctx = uitest::MakeCanvas(50, 50);
  {
    ui::AutoClip outer(ctx.get(), RECT{10, 10, 40, 40});
    const POINT old = ctx->OffsetWindowOrg(POINT{5, 5});  // The clip stays where it was set.
    ui::AutoClip inner(ctx.get(), RECT{0, 0, 20, 100});   // (-5..15) on the surface.
    ctx->FillRect(RECT{-100, -100, 100, 100}, kRed);
    EXPECT_EQ(CountRgb(ctx.get(), RECT{0, 0, 50, 50}, kRed & 0xFFFFFF), 5 * 30);
    EXPECT_EQ(PixelAt(ctx.get(), 14, 39), kRed);
    EXPECT_EQ(PixelAt(ctx.get(), 15, 10), 0u);

    // A caller drawing on the DC with GDI gets the same clips.
    ctx->Clear();
    HBRUSH brush = ::CreateSolidBrush(RGB(0, 0, 255));
    RECT all = {-100, -100, 100, 100};
    ::FillRect(ctx->GetDC(), &all, brush);
    ::DeleteObject(brush);
    EXPECT_EQ(CountRgb(ctx.get(), RECT{0, 0, 50, 50}, 0x0000FF), 5 * 30);
    ctx->SetWindowOrg(old);
  }
  EXPECT_EQ(ctx->GetWindowOrg().x, 0);
  ctx->Clear();
  ctx->FillRect(RECT{0, 0, 50, 50}, kRed);  // Both clips are gone.
  EXPECT_EQ(CountRgb(ctx.get(), RECT{0, 0, 50, 50}, kRed & 0xFFFFFF), 50 * 50);

  // A rounded clip inside a rectangular one: the corner stays clear.
  ctx->Clear();
  {
    ui::AutoClip outer(ctx.get(), RECT{0, 0, 40, 40});
    ui::AutoClip round(ctx.get(), RECT{0, 0, 40, 40}, 20, 20);
    ctx->FillRect(RECT{0, 0, 50, 50}, kRed);
  }
  EXPECT_EQ(PixelAt(ctx.get(), 0, 0), 0u);
  EXPECT_EQ(PixelAt(ctx.get(), 20, 20), kRed);
  EXPECT_EQ(PixelAt(ctx.get(), 45, 20), 0u);
}

}  // namespace
