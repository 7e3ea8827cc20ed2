// Images: attribute strings, decoding PNG and animated GIF files the tests write, the shared
// cache with its weak entries, frame intervals, and drawing through a render context.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/ui/test_support.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/image.h"
#include "ui/core/image_attribute.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::Image;
using ui::ImageAttribute;
using ui::ImageInfo;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// --- Attribute strings ---------------------------------------------------------------------

TEST(ImageAttributeTest, BareStringIsAFileNameWithDefaults) {
  ImageAttribute a;
  a.SetImageString(L"../public/bk/bk_shadow.png");
  EXPECT_EQ(a.file, L"../public/bk/bk_shadow.png");
  EXPECT_TRUE(SameRect(a.dest, RECT{-1, -1, -1, -1}));
  EXPECT_TRUE(SameRect(a.corner, RECT{0, 0, 0, 0}));
  EXPECT_EQ(a.fade, 255);
  EXPECT_EQ(a.playCount, -1);
  EXPECT_FALSE(a.xTiled);
}

TEST(ImageAttributeTest, ShadowStringAndEveryKey) {
  ImageAttribute a;
  a.SetImageString(L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'");
  EXPECT_EQ(a.file, L"../public/bk/bk_shadow.png");
  EXPECT_TRUE(SameRect(a.corner, RECT{30, 30, 30, 30}));
  EXPECT_EQ(a.fade, 255);

  a.SetImageString(L"res='x.png' source='1,2,3,4' fade='128' xtiled='true' ytiled='yes' "
                   L"playcount='2' unknown='9'");
  EXPECT_EQ(a.file, L"x.png");
  EXPECT_TRUE(SameRect(a.source, RECT{1, 2, 3, 4}));
  EXPECT_EQ(a.fade, 128);
  EXPECT_TRUE(a.xTiled);
  EXPECT_FALSE(a.yTiled);  // Only "true" is true.
  EXPECT_EQ(a.playCount, 2);
}

TEST(ImageAttributeTest, PairsAreJoinedBySingleBlanksAndQuotesMustClose) {
  ImageAttribute a;
  a.SetImageString(L"file='a.png',fade='10'");  // A comma ends the list.
  EXPECT_EQ(a.file, L"a.png");
  EXPECT_EQ(a.fade, 255);
  a.SetImageString(L"file='a.png'\tfade='10'");  // So does a tab.
  EXPECT_EQ(a.fade, 255);
  a.SetImageString(L"file='a.png'  fade='10'");  // Two blanks go on.
  EXPECT_EQ(a.fade, 10);
  a.SetImageString(L"  file = 'a.png' fade='20");  // Unterminated value: dropped, parse ends.
  EXPECT_EQ(a.file, L"a.png");
  EXPECT_EQ(a.fade, 255);
  a.SetImageString(L"file='' fade='30'");  // Empty value ignored, parse goes on.
  EXPECT_EQ(a.file, L"file='' fade='30'");
  EXPECT_EQ(a.fade, 30);
  a.SetImageString(L"file=\"a.png\"");  // Double quotes are not image quotes.
  EXPECT_EQ(a.file, L"file=\"a.png\"");
}

TEST(ImageAttributeTest, FadeIsClampedAndShortListsReadZero) {
  ImageAttribute a;
  a.SetImageString(L"file='a.png' fade='300'");
  EXPECT_EQ(a.fade, 255);
  a.SetImageString(L"file='a.png' fade='-5'");
  EXPECT_EQ(a.fade, 0);
  a.SetImageString(L"file='a.png' corner='1,2'");
  EXPECT_TRUE(SameRect(a.corner, RECT{1, 2, 0, 0}));
  a.SetImageString(L"file='a.png' corner='7,'");
  EXPECT_TRUE(SameRect(a.corner, RECT{7, 0, 0, 0}));
}

TEST(ImageAttributeTest, DestIsDpiScaledUnlessSwitchedOff) {
  ui::DpiManager* dpi = ui::DpiManager::GetInstance();
  dpi->SetAdaptDPI(true);
  dpi->SetScale(150);
  ImageAttribute a;
  a.SetImageString(L"file='a.png' dest='10,10,30,20'");
  EXPECT_TRUE(SameRect(a.dest, RECT{15, 15, 45, 30}));
  a.SetImageString(L"file='a.png' destscale='false' dest='10,10,30,20'");
  EXPECT_TRUE(SameRect(a.dest, RECT{10, 10, 30, 20}));
  a.Parse(L"dest='10,10,30,20'");  // The switch lasts for one parse only.
  EXPECT_TRUE(SameRect(a.dest, RECT{15, 15, 45, 30}));
  dpi->SetScale(100);
  dpi->SetAdaptDPI(false);
}

// --- Decoding and caching ------------------------------------------------------------------

class ImageFileTest : public ::testing::Test {
 protected:
  std::wstring WriteSolidPng(const std::wstring& name, DWORD argb, int w = 8, int h = 8) {
    const std::wstring path = dir_.File(name);
    EXPECT_TRUE(uitest::WritePng(path, w, h, std::vector<DWORD>(static_cast<size_t>(w) * h, argb)));
    return path;
  }
  uitest::TempDir dir_;
};

TEST_F(ImageFileTest, PngLoadsWithSizeAndAlphaFlag) {
  auto opaque = ImageInfo::LoadFromFile(WriteSolidPng(L"opaque.png", 0xFF336699, 12, 7));
  ASSERT_NE(opaque, nullptr);
  EXPECT_EQ(opaque->GetWidth(), 12);
  EXPECT_EQ(opaque->GetHeight(), 7);
  EXPECT_EQ(opaque->GetFrameCount(), 1u);
  EXPECT_FALSE(opaque->HasFrameDelays());
  EXPECT_FALSE(opaque->IsAlpha());  // 32-bit ARGB, but every pixel opaque.

  std::vector<DWORD> pixels(64, 0xFF336699);
  pixels[10] = 0x80336699;
  ASSERT_TRUE(uitest::WritePng(dir_.File(L"translucent.png"), 8, 8, pixels));
  auto translucent = ImageInfo::LoadFromFile(dir_.File(L"translucent.png"));
  ASSERT_NE(translucent, nullptr);
  EXPECT_TRUE(translucent->IsAlpha());

  ASSERT_TRUE(uitest::WriteFileBytes(dir_.File(L"broken.png"), "not an image"));
  EXPECT_EQ(ImageInfo::LoadFromFile(dir_.File(L"broken.png")), nullptr);
  EXPECT_EQ(ImageInfo::LoadFromFile(dir_.File(L"missing.png")), nullptr);
}

TEST_F(ImageFileTest, AnimatedGifKeepsEveryFrameAndItsDelay) {
  const std::wstring path = dir_.File(L"anim.gif");
  ASSERT_TRUE(uitest::WriteAnimatedGif(path, 4, 4, {0xFF0000, 0x00FF00, 0x0000FF},
                                       {0, 2, 3, 4, 5, 8}));
  Image image;
  image.SetImageString(path);
  ASSERT_TRUE(image.Load(L""));
  const auto& info = image.GetImageInfo();
  ASSERT_EQ(info->GetFrameCount(), 6u);
  ASSERT_TRUE(info->HasFrameDelays());
  const int expected[] = {100, 100, 50, 50, 50, 80};
  for (int frame = 0; frame < 6; ++frame) {
    image.SetCurrentFrame(frame);
    EXPECT_EQ(image.GetFrameInterval(), expected[frame]) << "frame " << frame;
  }
  image.SetCurrentFrame(6);  // Past the last frame.
  EXPECT_EQ(image.GetFrameInterval(), 0);

  // Each frame is its own bitmap with its own colour.
  auto ctx = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  ctx->Resize(4, 4);
  for (int frame = 0; frame < 3; ++frame) {
    image.SetCurrentFrame(frame);
    ASSERT_TRUE(image.Draw(ctx.get(), RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4}, L"", -1, L""));
    const DWORD expectedRgb[] = {0xFF0000, 0x00FF00, 0x0000FF};
    EXPECT_EQ(uitest::RgbAt(ctx.get(), 2, 2), expectedRgb[frame]);
  }
}

TEST(ImageInfoTest, FrameDelaysShorterThanTheFrameCountReadZero) {
  const UINT raw[] = {7, 9};
  EXPECT_EQ(ImageInfo::ReadFrameDelays(raw, sizeof(raw), 4), (std::vector<UINT>{7, 9, 0, 0}));
  EXPECT_EQ(ImageInfo::ReadFrameDelays(raw, 6, 3), (std::vector<UINT>{7, 0, 0}));
  EXPECT_EQ(ImageInfo::ReadFrameDelays(nullptr, 8, 2), (std::vector<UINT>{0, 0}));
  EXPECT_EQ(ImageInfo::ReadFrameDelays(raw, sizeof(raw), 1), (std::vector<UINT>{7}));
}

TEST_F(ImageFileTest, CachedImageIsSharedAndDroppedWithItsLastHolder) {
  const std::wstring path = WriteSolidPng(L"shared.png", 0xFF00FF00);
  std::wstring forward = path;
  for (wchar_t& c : forward)
    if (c == L'\\') c = L'/';
  {
    Image first;
    Image second;
    first.SetImageString(L"file='" + path + L"'");
    second.SetImageString(forward);
    ASSERT_TRUE(first.Load(L""));
    ASSERT_TRUE(second.Load(L""));
    EXPECT_EQ(first.GetImageInfo(), second.GetImageInfo());  // One decoded image.
    EXPECT_TRUE(first.GetImageInfo()->IsCached());
    EXPECT_EQ(ui::GlobalManager::GetImage(forward), first.GetImageInfo());
    first.ClearCache();
    EXPECT_NE(ui::GlobalManager::GetImage(path), nullptr);  // The second still holds it.
  }
  EXPECT_EQ(ui::GlobalManager::GetImage(path), nullptr);
}

TEST_F(ImageFileTest, ADyingImageLeavesANewerEntryOfItsPathAlone) {
  const std::wstring path = WriteSolidPng(L"replaced.png", 0xFF0000FF);
  std::shared_ptr<ImageInfo> older =
      ui::GlobalManager::AddImageCached(ImageInfo::LoadFromFile(path));
  std::shared_ptr<ImageInfo> newer =
      ui::GlobalManager::AddImageCached(ImageInfo::LoadFromFile(path));
  ASSERT_NE(older, nullptr);
  ASSERT_NE(newer, older);
  older.reset();  // Its deleter must not erase the entry that now refers to the newer image.
  EXPECT_EQ(ui::GlobalManager::GetImage(path), newer);
  newer.reset();
  EXPECT_EQ(ui::GlobalManager::GetImage(path), nullptr);
}

TEST_F(ImageFileTest, DrawPlacesTheImageAtDestWithModifyAndFade) {
  Image image;
  image.SetImageString(L"file='" + WriteSolidPng(L"draw.png", 0xFFFF0000, 10, 10) +
                       L"' dest='5,5,15,15'");
  auto ctx = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  ctx->Resize(60, 40);
  const RECT control = {20, 10, 60, 40};
  ASSERT_TRUE(image.Draw(ctx.get(), RECT{0, 0, 60, 40}, control, L"", -1, L""));
  EXPECT_EQ(uitest::PixelAt(ctx.get(), 30, 20), 0xFFFF0000u);  // dest offset by the control.
  EXPECT_EQ(uitest::PixelAt(ctx.get(), 24, 14), 0u);

  ctx->Clear();
  ASSERT_TRUE(image.Draw(ctx.get(), RECT{0, 0, 60, 40}, control, L"dest='0,0,10,10'", 128, L""));
  EXPECT_EQ(uitest::PixelAt(ctx.get(), 25, 15) >> 24, 128u);  // Modified dest, faded.
  EXPECT_EQ(image.GetAttribute().dest.left, 5);               // The modify lasted one draw.

  ctx->Clear();
  ASSERT_TRUE(image.Draw(ctx.get(), RECT{0, 0, 60, 40}, control, L"", 999, L""));
  EXPECT_EQ(uitest::PixelAt(ctx.get(), 30, 20) >> 24, 255u);  // Override clamped to 255.
}

TEST_F(ImageFileTest, AnImageThatCannotLoadBecomesUnset) {
  Image image;
  image.SetImageString(L"file='" + dir_.File(L"absent.png") + L"'");
  EXPECT_TRUE(image.IsSet());
  auto ctx = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  ctx->Resize(10, 10);
  EXPECT_FALSE(image.Draw(ctx.get(), RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10}, L"", -1, L""));
  EXPECT_FALSE(image.IsSet());
  EXPECT_TRUE(image.GetAttribute().file.empty());
}

TEST_F(ImageFileTest, RelativeNamesResolveBelowTheResourceFolders) {
  const std::wstring root = ui::GlobalManager::GetResourcePath();
  EXPECT_EQ(ui::ResolveImagePath(L"../public/bk/a.png", L"fernhold/"),
            root + L"fernhold\\..\\public\\bk\\a.png");
  EXPECT_EQ(ui::ResolveImagePath(L"C:/skins//b.png", L"ignored\\"), L"C:\\skins\\b.png");
}

TEST_F(ImageFileTest, OneCachedImageDrawsCorrectlyFromSeveralThreadsAtOnce) {
  // A bitmap can be selected into one DC at a time; drawing is serialised per image, so every
  // draw of every thread lands.
  const std::wstring path = WriteSolidPng(L"threads.png", 0xFF00FF00, 16, 16);
  std::shared_ptr<ImageInfo> held = ui::LoadCachedImage(ui::ResolveImagePath(path, L""));
  ASSERT_NE(held, nullptr);
  std::atomic<int> misses{0};
  auto painter = [&] {
    auto ctx = ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
    ctx->Resize(16, 16);
    Image image;
    image.SetImageString(path);
    for (int i = 0; i < 300; ++i) {
      ctx->Clear();
      image.Draw(ctx.get(), RECT{0, 0, 16, 16}, RECT{0, 0, 16, 16}, L"", -1, L"");
      if (uitest::PixelAt(ctx.get(), 8, 8) != 0xFF00FF00u) ++misses;
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(painter);
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(misses.load(), 0);
}

}  // namespace
