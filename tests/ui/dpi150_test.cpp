// Runs in a prefix whose screen reports 144 DPI: start-up makes the process DPI aware and the
// library scales by 150 % for real, in markup sizes and image corners alike.
#include <gtest/gtest.h>

#include "tests/ui/control_test_support.h"
#include "tests/ui/skin_window_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/label.h"
#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/image_attribute.h"
#include "ui/core/layout.h"
#include "ui/core/shadow_box.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
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

TEST(Dpi150Test, MarkupSizesOfBoxesAndControlsAreScaledBeforeTheyAreLaidOut) {
  ui::DpiManager* dpi = ui::DpiManager::GetInstance();
  dpi->SetAdaptDPI(true);
  dpi->SetScaleFromDpi(ui::DpiManager::GetMainMonitorDpi());
  ASSERT_EQ(dpi->GetScale(), 150);

  ui::VBox column;
  column.SetAttribute(L"padding", L"4,4,4,4");
  column.SetAttribute(L"childmargin", L"2");
  auto* header = new ui::Control();
  header->SetAttribute(L"height", L"20");
  header->SetAttribute(L"margin", L"2,2,2,2");
  auto* body = new ui::Control();
  body->SetAttribute(L"minheight", L"10");
  auto* tiles = new ui::TileBox();
  tiles->SetAttribute(L"height", L"40");
  tiles->SetAttribute(L"itemsize", L"40,20");
  auto* tile = new ui::Control();
  tile->SetAttribute(L"width", L"40");
  tile->SetAttribute(L"height", L"20");
  tiles->Add(tile);
  tiles->Add(new ui::Control());
  column.Add(header);
  column.Add(body);
  column.Add(tiles);
  column.SetPos(RECT{0, 0, 300, 300});

  // Padding 6, child margin 3, header 30 high inside margins of 3.
  const RECT h = header->GetPos();
  EXPECT_EQ(h.left, 9);
  EXPECT_EQ(h.top, 9);
  EXPECT_EQ(h.bottom, 39);
  EXPECT_EQ(h.right, 291);
  EXPECT_EQ(body->GetMinHeight(), 15);
  // The body stretches over what is left: 288 - (36 + 60 + 2 gaps of 3).
  const RECT b = body->GetPos();
  EXPECT_EQ(b.top, 45);
  EXPECT_EQ(b.bottom - b.top, 288 - 36 - 60 - 6);
  // Tiles of 60: 288 / 60 = 4 columns of 72; the 60 x 30 tile is centred in its cell.
  const RECT t = tile->GetPos();
  EXPECT_EQ(t.right - t.left, 60);
  EXPECT_EQ(t.bottom - t.top, 30);
  EXPECT_EQ(t.left, 6 + (72 - 60) / 2);
  EXPECT_EQ(tiles->GetItemAt(1)->GetPos().left, 6 + 72);
}

TEST(Dpi150Test, SkinsAreScaledFromGlobalFontsToWindowAndControlSizes) {
  uitest::TempDir root;
  ASSERT_TRUE(::CreateDirectoryW(root.File(L"themes").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(root.File(L"themes\\default").c_str(), nullptr));
  ASSERT_TRUE(uitest::WriteFileBytes(root.File(L"themes\\default\\global.xml"),
                                     "<Global><Font id=\"body\" name=\"Tahoma\" size=\"12\" "
                                     "default=\"true\"/></Global>"));
  ui::GlobalManager::Startup(root.path(), nullptr, true, L"themes\\default", L"lang\\en");
  ASSERT_EQ(ui::DpiManager::GetInstance()->GetScale(), 150);
  ui::FontInfo font;
  ASSERT_TRUE(ui::GlobalManager::GetFontInfo(L"body", &font));
  EXPECT_EQ(font.size, 18);

  ui::Window window;
  window.Init(uitest::MakeTestWindow());
  ui::WindowBuilder builder;
  window.AttachRoot(builder.Create(
      L"<Window size=\"300,200\" caption=\"0,0,0,36\" mininfo=\"100,100\">"
      L"<VBox><Label name=\"l\" width=\"80\" textpadding=\"2,2,2,2\"/></VBox></Window>",
      nullptr, &window, nullptr));
  // 300 x 200 and the shadow of 14 on each side, all at 150 %.
  RECT bounds = {};
  ::GetWindowRect(window.GetHWND(), &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 450 + 42);
  EXPECT_EQ(bounds.bottom - bounds.top, 300 + 42);
  EXPECT_EQ(window.GetCaptionRect().bottom, 54);
  EXPECT_EQ(window.GetMinInfo().cx, 150);
  auto* label = dynamic_cast<ui::Label*>(window.FindControl(L"l"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetFixedWidth(), 120);
  EXPECT_EQ(label->GetTextPadding().right, 3);
}

TEST(Dpi150Test, ASkinnedWindowIsBuiltAndLaidOutAtOneAndAHalfTimesItsMarkup) {
  uitest::TempDir root;
  ui::GlobalManager::Startup(root.path(), nullptr, true, L"themes\\default", L"lang\\en");
  ASSERT_EQ(ui::DpiManager::GetInstance()->GetScale(), 150);
  ASSERT_TRUE(uitest::WriteSkin(L"dpi", L"dpi.xml",
                                "<Window size=\"200,120\" caption=\"0,0,0,20\" "
                                "sizebox=\"4,4,4,4\" roundcorner=\"4,4\">"
                                "<VBox width=\"200\" height=\"120\" bkcolor=\"white\" "
                                "padding=\"10,10,10,10\">"
                                "<Button name=\"b\" width=\"60\" height=\"30\"/>"
                                "</VBox></Window>"));
  auto* window = new uitest::SkinWindow(L"dpi", L"dpi.xml", nullptr);
  HWND hwnd = window->CreateShown(RECT{50, 50, 100, 100}, true);
  ASSERT_TRUE(hwnd);
  // 300 x 180 inside a shadow of 21 on each side.
  RECT bounds = {};
  ::GetWindowRect(hwnd, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 342);
  EXPECT_EQ(bounds.bottom - bounds.top, 222);
  EXPECT_EQ(window->GetShadowBox()->GetFixedWidth(), 342);
  EXPECT_EQ(window->GetShadowBox()->GetLayout()->GetPadding().left, 21);
  EXPECT_EQ(window->GetRoundCorner().cx, 6);
  ui::Control* button = window->FindControl(L"b");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetPos().left, 21 + 15);
  EXPECT_EQ(button->GetPos().right - button->GetPos().left, 90);
  EXPECT_EQ(button->GetPos().bottom - button->GetPos().top, 45);
  EXPECT_EQ(window->GetRenderContext()->GetWidth(), 342);

  // Hit-testing in physical pixels: the size box as given, the caption scaled to 30.
  auto hitTest = [&](int x, int y) {
    POINT screen = {x, y};
    ::ClientToScreen(hwnd, &screen);
    return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  };
  EXPECT_EQ(hitTest(22, 100), HTLEFT);
  EXPECT_EQ(hitTest(26, 100), HTCLIENT);
  EXPECT_EQ(hitTest(200, 48), HTCAPTION);
  EXPECT_EQ(hitTest(200, 52), HTCLIENT);
  EXPECT_EQ(hitTest(50, 48), HTCLIENT) << "over the button";
  ::DestroyWindow(hwnd);
}

}  // namespace
