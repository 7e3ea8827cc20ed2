// Runs in a prefix whose screen reports 144 DPI: start-up makes the process DPI aware and the
// library scales by 150 % for real, in markup sizes and image corners alike.
#include <gtest/gtest.h>

#include "tests/ui/test_support.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/image_attribute.h"
#include "ui/render/render_interfaces.h"

namespace {

TEST(Dpi150Test, StartupAdaptsToTheScreenDpi) {
  EXPECT_EQ(ui::DpiManager::GetMainMonitorDpi(), 144u);
  uitest::TempDir root;
  ui::GlobalManager::Startup(root.path(), nullptr, true, L"themes\\default", L"lang\\en");
  ui::DpiManager* dpi = ui::DpiManager::GetInstance();
  EXPECT_TRUE(dpi->IsAdaptDPI());
  EXPECT_EQ(dpi->GetScale(), 150);
  RECT r = {10, 10, 30, 20};
  dpi->ScaleRect(r);
  EXPECT_EQ(r.left, 15);
  EXPECT_EQ(r.right, 45);

  ui::ImageAttribute shadow;
  shadow.SetImageString(L"file='s.png' corner='10,10,10,10' dest='0,0,20,20'");
  EXPECT_EQ(shadow.dest.right, 30);
  EXPECT_EQ(shadow.corner.left, 10);  // Corners stay in source pixels.

  // A nine-grid's corners are drawn 1.5 times as large: a 10-pixel red corner covers 15.
  auto factory = ui::GlobalManager::GetRenderFactory();
  auto source = factory->CreateRenderContext();
  source->Resize(30, 30);
  source->FillRect(RECT{0, 0, 30, 30}, 0xFF0000FF);
  source->FillRect(RECT{0, 0, 10, 10}, 0xFFFF0000);
  HBITMAP bitmap = source->DetachBitmap();
  auto ctx = factory->CreateRenderContext();
  ctx->Resize(100, 100);
  ctx->DrawImage(RECT{0, 0, 100, 100}, bitmap, true, RECT{0, 0, 100, 100}, RECT{0, 0, 30, 30},
                 RECT{10, 10, 10, 10});
  EXPECT_EQ(uitest::RgbAt(ctx.get(), 14, 14), 0xFF0000u);
  EXPECT_EQ(uitest::RgbAt(ctx.get(), 16, 16), 0x0000FFu);
  ::DeleteObject(bitmap);
}

}  // namespace
