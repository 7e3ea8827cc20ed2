// DPI scaling at 100, 125 and 150 percent (the real 150 % path runs in ui_dpi150_tests).
#include <gtest/gtest.h>

#include "ui/core/dpi_manager.h"

namespace {

class DpiManagerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    dpi_->SetScale(100);
    dpi_->SetAdaptDPI(false);
  }
  RECT Scaled(RECT r) {
    dpi_->ScaleRect(r);
    return r;
  }
  ui::DpiManager* dpi_ = ui::DpiManager::GetInstance();
};

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(DpiManagerTest, NothingChangesAt100PercentOrWhenNotAdapting) {
  dpi_->SetAdaptDPI(true);
  dpi_->SetScale(100);
  EXPECT_TRUE(Same(Scaled(RECT{1, 2, 30, 40}), RECT{1, 2, 30, 40}));
  dpi_->SetAdaptDPI(false);
  dpi_->SetScale(150);
  EXPECT_TRUE(Same(Scaled(RECT{1, 2, 30, 40}), RECT{1, 2, 30, 40}));
  EXPECT_EQ(dpi_->ScaleInt(20), 20);
}

TEST_F(DpiManagerTest, SizeIsScaledIndependentlyOfPosition) {
  dpi_->SetAdaptDPI(true);
  dpi_->SetScale(125);
  EXPECT_TRUE(Same(Scaled(RECT{1, 1, 4, 4}), RECT{1, 1, 5, 5}));
  // The same 3-pixel size elsewhere scales to the same 4 pixels.
  const RECT moved = Scaled(RECT{7, 7, 10, 10});
  EXPECT_EQ(moved.right - moved.left, 4);
  EXPECT_EQ(dpi_->ScaleInt(12), 15);

  dpi_->SetScale(150);
  EXPECT_TRUE(Same(Scaled(RECT{10, 10, 30, 20}), RECT{15, 15, 45, 30}));
  SIZE size = {30, 30};
  dpi_->ScaleSize(size);
  EXPECT_EQ(size.cx, 45);

  dpi_->SetScaleFromDpi(144);
  EXPECT_EQ(dpi_->GetScale(), 150);
  dpi_->SetScaleFromDpi(120);
  EXPECT_EQ(dpi_->GetScale(), 125);
}

}  // namespace
