// The virtual list: its placement as plain numbers (the worked case of 1000 rows of 30 pixels, a
// pool of 20 and a 300-pixel view), then the list itself in a window without a native one: the
// pool placed and filled as it scrolls, Refresh as the rows change, the keys, what a provider or
// caller may pass that must not loop or crash, and a million rows scrolled from top to bottom.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/list_container_element.h"
#include "ui/controls/virtual_list_arithmetic.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"

namespace {

using ui::Control;
using ui::VirtualListBox;
using ui::VirtualListGeometry;
using ui::VirtualPlacement;
using ui::VirtualSlot;

// ---------------------------------------------------------------------------------------------
// Placement arithmetic

VirtualListGeometry Worked(int scroll) { return VirtualListGeometry{20, 1000, 30, 300, scroll}; }

TEST(VirtualListArithmeticTest, TheWorkedCasePlacesRowsWhereTheViewIs) {
  EXPECT_EQ(ui::VirtualContentHeight(1000, 30), 30000);  // A range of 30000 - 300 = 29700.

  // Scrolled to 3000, downward: control i holds row 100 + i at 3000 + 30 i.
  std::vector<VirtualSlot> slots;
  ui::PlaceVirtualDownward(Worked(3000), &slots);
  ASSERT_EQ(slots.size(), 20u);
  EXPECT_EQ(slots[0].top, 3000);
  EXPECT_EQ(slots[0].row, 100);
  EXPECT_EQ(slots[19].top, 3570);
  EXPECT_EQ(slots[19].row, 119);

  // Full at 0: no row lies above the first, so control 0 holds it and the others the rows
  // below.
  ui::PlaceVirtualFull(Worked(0), &slots);
  ASSERT_EQ(slots.size(), 20u);
  EXPECT_EQ(slots[0].top, 0);
  EXPECT_EQ(slots[0].row, 0);
  EXPECT_EQ(slots[19].top, 570);
  EXPECT_EQ(slots[19].row, 19);

  // Full at 2990 (row 99 at 2970): rows 90 to 109, row 99 in control 9.
  ui::PlaceVirtualFull(Worked(2990), &slots);
  EXPECT_EQ(slots[9].top, 2970);
  EXPECT_EQ(slots[9].row, 99);
  EXPECT_EQ(slots[0].row, 90);
  EXPECT_EQ(slots[19].row, 109);

  // At the end, the controls past the last row keep what they showed.
  ui::PlaceVirtualDownward(Worked(29700), &slots);
  EXPECT_EQ(slots[0].row, 990);
  EXPECT_EQ(slots[9].row, 999);
  EXPECT_EQ(slots[10].row, -1);
}

TEST(VirtualListArithmeticTest, AFullPlacementCoversTheViewWithRowsThatExist) {
  // Four controls, rows of 10 and a 15-pixel view at 8: the view shows 8 to 23, rows 0 to 2.
  std::vector<VirtualSlot> slots;
  ui::PlaceVirtualFull(VirtualListGeometry{4, 100, 10, 15, 8}, &slots);
  ASSERT_EQ(slots.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(slots[i].row, i) << "control " << i;
    EXPECT_EQ(slots[i].top, 10 * i) << "control " << i;
  }
  // At the end no control stands past the last row.
  ui::PlaceVirtualFull(Worked(29700), &slots);
  EXPECT_EQ(slots[0].row, 980);
  EXPECT_EQ(slots[10].row, 990);
  EXPECT_EQ(slots[10].top, 29700);
  EXPECT_EQ(slots[19].row, 999);
}

TEST(VirtualListArithmeticTest, ThePoolMovesOnlyWhenItNoLongerCoversTheView) {
  // A pool over [-270, 330) covers the view down to 30.
  EXPECT_EQ(ui::ChooseVirtualPlacement(Worked(30), 0, -270, 330), VirtualPlacement::kNone);
  EXPECT_EQ(ui::ChooseVirtualPlacement(Worked(31), 0, -270, 330), VirtualPlacement::kDownward);
  // After the downward placement at 3000 it spans [3000, 3600): down to 3300 is covered.
  EXPECT_EQ(ui::ChooseVirtualPlacement(Worked(3300), 3000, 3000, 3600), VirtualPlacement::kNone);
  EXPECT_EQ(ui::ChooseVirtualPlacement(Worked(3000), 3300, 3000, 3600), VirtualPlacement::kNone);
  EXPECT_EQ(ui::ChooseVirtualPlacement(Worked(2990), 3000, 3000, 3600), VirtualPlacement::kFull);
  // The view pulled back above the pool while the position grew since the last scroll (the
  // content shrank under it): the pool must follow.
  EXPECT_EQ(ui::ChooseVirtualPlacement(Worked(900), 500, 2730, 3330), VirtualPlacement::kFull);
}

TEST(VirtualListArithmeticTest, NothingIsPlacedWithoutRowsHeightOrViewAndNothingOverflows) {
  std::vector<VirtualSlot> slots = {VirtualSlot{}};
  for (const VirtualListGeometry& view :
       {VirtualListGeometry{20, 1000, 0, 300, 3000}, VirtualListGeometry{20, 1000, -30, 300, 0},
        VirtualListGeometry{0, 1000, 30, 300, 0}, VirtualListGeometry{20, 20, 30, 300, 0},
        VirtualListGeometry{20, -5, 30, 300, 0}, VirtualListGeometry{20, 1000, 30, 0, 0}}) {
    EXPECT_FALSE(ui::IsVirtualPlacementNeeded(view));
    EXPECT_EQ(ui::ChooseVirtualPlacement(view, 0, 0, 0), VirtualPlacement::kNone);
    ui::PlaceVirtualDownward(view, &slots);
    EXPECT_TRUE(slots.empty());
    ui::PlaceVirtualFull(view, &slots);
    EXPECT_TRUE(slots.empty());
  }
  EXPECT_EQ(ui::VirtualContentHeight(1000, 0), 0);
  EXPECT_EQ(ui::VirtualContentHeight(-1, 30), 0);

  // Rows beyond the tallest content are not reachable; nothing wraps.
  EXPECT_EQ(ui::VirtualContentHeight(INT_MAX, INT_MAX), 0);  // Not even one row fits.
  EXPECT_EQ(ui::VirtualReachableRows(INT_MAX, 1000), ui::kMaxVirtualContentHeight / 1000);
  EXPECT_LE(ui::VirtualContentHeight(INT_MAX, 1000), ui::kMaxVirtualContentHeight);
  ui::PlaceVirtualDownward(VirtualListGeometry{4, INT_MAX, 1000, 300, INT_MAX}, &slots);
  ASSERT_EQ(slots.size(), 4u);
  EXPECT_EQ(slots[0].top, int64_t{INT_MAX} / 1000 * 1000);
  EXPECT_EQ(slots[0].row, -1);  // Past the reachable rows.

  // A pool no taller than the view starts with the first row in control 0.
  ui::PlaceVirtualFull(VirtualListGeometry{5, 1000, 30, 300, 60}, &slots);
  ASSERT_EQ(slots.size(), 5u);
  EXPECT_EQ(slots[0].row, 2);
  EXPECT_EQ(slots[0].top, 60);
}

// ---------------------------------------------------------------------------------------------
// The list

// Rows of 30 pixels; every fill is counted, and each control shows "row <n>".
class Rows : public ui::IVirtualListProvider {
 public:
  explicit Rows(int count) : count(count) {}
  Control* CreateElement() override {
    ++created;
    auto* item = new ui::ListContainerElement();
    item->SetFixedHeight(30);
    return item;
  }
  void FillElement(Control* control, int index) override {
    ++fills;
    static_cast<ui::ListContainerElement*>(control)->SetText(L"row " + std::to_wstring(index));
  }
  int GetElementCount() override { return count; }

  int count;
  int created = 0;
  int fills = 0;
};

constexpr RECT kView = {0, 0, 200, 300};

class VirtualListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Init(nullptr);
    list_ = new VirtualListBox();
    list_->SetAttribute(L"vscrollbar", L"true");
    window_.AttachRoot(list_);
  }

  void Start(Rows* rows, int pool) {
    list_->SetDataProvider(rows);
    list_->SetElementHeight(30);
    list_->InitElement(pool);
    list_->SetPos(kView);
  }

  std::wstring Text(int control) const {
    auto* item = dynamic_cast<ui::ListContainerElement*>(list_->GetItemAt(control));
    return item ? item->GetText() : L"(none)";
  }
  // Below the top of the content.
  int Top(int control) const { return list_->GetItemAt(control)->GetPos().top - kView.top; }

  // The control that shows the top of the view, and its text.
  std::wstring TextAtViewTop() const {
    const int y = kView.top + list_->GetScrollPos().cy;
    for (int i = 0; i < list_->GetCount(); ++i) {
      const RECT pos = list_->GetItemAt(i)->GetPos();
      if (pos.top <= y && y < pos.bottom) return Text(i);
    }
    return L"(none)";
  }

  ui::Window window_;
  VirtualListBox* list_ = nullptr;
};

TEST_F(VirtualListTest, TheWorkedCaseScrollsThePoolWithTheView) {
  Rows rows(1000);
  Start(&rows, 20);
  EXPECT_EQ(list_->GetCount(), 20);
  EXPECT_EQ(rows.created, 20);
  EXPECT_EQ(list_->GetScrollRange().cy, 29700);
  // The first placement is full: control 0 holds row 0 at the top.
  EXPECT_EQ(Top(0), 0);
  EXPECT_EQ(Text(0), L"row 0");
  EXPECT_EQ(TextAtViewTop(), L"row 0");

  // Less than the pool's slack: nothing moves, nothing is filled.
  const int fills = rows.fills;
  list_->SetScrollPosY(300);
  EXPECT_EQ(rows.fills, fills);
  EXPECT_EQ(Top(0), 0);

  list_->SetScrollPosY(3000);
  EXPECT_EQ(Top(0), 3000);
  EXPECT_EQ(Text(0), L"row 100");
  EXPECT_EQ(Text(19), L"row 119");

  // Back up a little: a full placement keeps rows above the view.
  list_->SetScrollPosY(2990);
  EXPECT_EQ(Text(9), L"row 99");
  EXPECT_EQ(Top(9), 2970);
  EXPECT_EQ(Text(0), L"row 90");

  // End and Home keys go to the ends; the arrows leave the selection alone.
  list_->SendEvent(ui::kEventKeyDown, VK_END, 0, VK_END);
  EXPECT_EQ(list_->GetScrollPos().cy, 29700);
  EXPECT_EQ(TextAtViewTop(), L"row 990");
  list_->SelectItem(5, false, false);
  list_->SendEvent(ui::kEventKeyDown, VK_DOWN, 0, VK_DOWN);
  list_->SendEvent(ui::kEventKeyUp, VK_DOWN, 0, VK_DOWN);
  EXPECT_EQ(list_->GetCurSel(), 5);
  EXPECT_EQ(list_->GetScrollPos().cy, 29700);
  list_->SendEvent(ui::kEventKeyDown, VK_HOME, 0, VK_HOME);
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
  EXPECT_EQ(TextAtViewTop(), L"row 0");
  EXPECT_EQ(rows.created, 20);

  // A new size places the pool anew.
  list_->SetPos(RECT{0, 0, 200, 240});
  EXPECT_EQ(list_->GetScrollRange().cy, 30000 - 240);
  EXPECT_EQ(TextAtViewTop(), L"row 0");
}

TEST_F(VirtualListTest, RefreshFollowsTheRows) {
  Rows rows(1000);
  Start(&rows, 20);
  list_->SetScrollPosY(3000);

  // From 1000 rows to 5: five controls left, rows 0 to 4, laid out from the top.
  rows.count = 5;
  list_->Refresh();
  window_.SetLayoutPending(true);
  window_.ArrangeRoot(kView);
  ASSERT_EQ(list_->GetCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Text(i), L"row " + std::to_wstring(i));
    EXPECT_EQ(Top(i), 30 * i);
  }
  EXPECT_EQ(list_->GetScrollPos().cy, 0);

  // Back to many rows: the pool grows to its maximum and shows where the view is.
  rows.count = 500;
  list_->Refresh();
  EXPECT_EQ(list_->GetCount(), 20);
  EXPECT_EQ(TextAtViewTop(), L"row 0");
  window_.SetLayoutPending(true);
  window_.ArrangeRoot(kView);
  EXPECT_EQ(list_->GetScrollRange().cy, 500 * 30 - 300);

  // Scrolled far, then fewer rows than the position: the next layout pass pulls the view back
  // and the pool follows it.
  list_->SetScrollPosY(500);
  list_->SetScrollPosY(3000);
  rows.count = 40;
  list_->Refresh();
  window_.SetLayoutPending(true);
  window_.ArrangeRoot(kView);
  EXPECT_EQ(list_->GetScrollPos().cy, 40 * 30 - 300);
  EXPECT_EQ(TextAtViewTop(), L"row 30");

  // No rows: no controls.
  rows.count = 0;
  list_->Refresh();
  EXPECT_EQ(list_->GetCount(), 0);

  // The same rows with new data: every shown control is filled again.
  rows.count = 1000;
  list_->Refresh();
  list_->SetScrollPosY(600);
  const int fills = rows.fills;
  list_->Refresh();
  EXPECT_EQ(rows.fills - fills, 20);
  EXPECT_EQ(TextAtViewTop(), L"row 20");
}

TEST_F(VirtualListTest, WhatACallerOrProviderPassesNeverLoopsOrCrashes) {
  // No provider: no rows, nothing made or placed.
  list_->SetElementHeight(30);
  list_->InitElement(20);
  list_->Refresh();
  list_->SetPos(kView);
  list_->SetScrollPosY(100);
  EXPECT_EQ(list_->GetCount(), 0);

  // Heights below 1 are refused; until one is set the content has no height.
  Rows rows(1000);
  VirtualListBox* unset = new VirtualListBox();
  unset->SetAttribute(L"vscrollbar", L"true");
  unset->SetDataProvider(&rows);
  unset->SetElementHeight(0);
  unset->SetElementHeight(-30);
  EXPECT_EQ(unset->GetElementHeight(), 0);
  unset->InitElement(10);
  unset->SetPos(kView);
  unset->SetScrollPosY(500);
  unset->Refresh();
  EXPECT_EQ(unset->GetCount(), 10);
  EXPECT_EQ(unset->GetScrollRange().cy, 0);
  unset->SetElementHeight(30);
  EXPECT_EQ(unset->GetElementHeight(), 30);
  delete unset;

  // A negative gap and a negative pool size.
  list_->SetAttribute(L"childmargin", L"-40");
  list_->SetDataProvider(&rows);
  list_->InitElement(-3);
  EXPECT_EQ(list_->GetCount(), 0);
  rows.count = 3;
  list_->InitElement(20);
  list_->SetPos(RECT{0, 0, 200, 301});
  EXPECT_EQ(list_->GetCount(), 3);

  // Initialising again makes one pool, not a second beside the first.
  list_->InitElement(20);
  EXPECT_EQ(list_->GetCount(), 3);

  // A provider that gives nothing, or the same control again, ends the filling.
  class Stingy : public Rows {
   public:
    Stingy() : Rows(1000) {}
    // One new control, then the same one again and null in turn.
    Control* CreateElement() override {
      ++calls;
      if (calls == 1) first = Rows::CreateElement();
      return calls % 2 == 1 && calls > 1 ? nullptr : first;
    }
    Control* first = nullptr;
    int calls = 0;
  } stingy;
  list_->SetDataProvider(&stingy);
  list_->InitElement(20);  // The second call gives the first control again.
  EXPECT_EQ(list_->GetCount(), 1);
  list_->Refresh();  // Gets null.
  list_->Refresh();  // Gets the control already in the list.
  EXPECT_EQ(list_->GetCount(), 1);
  EXPECT_EQ(stingy.calls, 4);

  // A negative count is no rows.
  rows.count = -7;
  list_->SetDataProvider(&rows);
  EXPECT_EQ(list_->GetElementCount(), 0);
  list_->Refresh();
  EXPECT_EQ(list_->GetCount(), 0);
  list_->SetDataProvider(nullptr);
}

TEST_F(VirtualListTest, AMillionRowsScrollWithTheSamePoolFromTopToBottom) {
  Rows rows(1000000);
  Start(&rows, 20);
  const int range = list_->GetScrollRange().cy;
  ASSERT_EQ(range, 30000000 - 300);
  std::vector<Control*> pool;
  for (int i = 0; i < list_->GetCount(); ++i) pool.push_back(list_->GetItemAt(i));

  // Steps of an odd length land on every offset within a row; each shows the right row on top.
  int checked = 0;
  for (int y = 0; y < range; y += 997) {
    list_->SetScrollPosY(y);
    if (TextAtViewTop() != L"row " + std::to_wstring(y / 30)) {
      ADD_FAILURE() << "at " << y << ": " << TextAtViewTop();
      break;
    }
    ++checked;
  }
  list_->SetScrollPosY(range);
  EXPECT_EQ(TextAtViewTop(), L"row 999990");
  const RECT last = list_->GetItemAt(list_->GetCount() - 1)->GetPos();
  EXPECT_GE(last.bottom, kView.top + 30000000);
  EXPECT_GT(checked, 30000);

  // The same twenty controls all the way.
  EXPECT_EQ(rows.created, 20);
  ASSERT_EQ(list_->GetCount(), 20);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(list_->GetItemAt(i), pool[i]);
}

TEST(VirtualListMarkupTest, MarkupMakesAVirtualListWithItsLayout) {
  ui::WindowBuilder builder;
  std::unique_ptr<Control> made(builder.Create(
      L"<Window><VirtualListBox vscrollbar=\"true\" scrollselect=\"true\"/></Window>", nullptr,
      nullptr, nullptr));
  auto* list = dynamic_cast<VirtualListBox*>(made.get());
  ASSERT_NE(list, nullptr);
  EXPECT_NE(dynamic_cast<ui::VirtualLayout*>(list->GetLayout()), nullptr);
  EXPECT_NE(list->GetVScrollBar(), nullptr);
  EXPECT_TRUE(list->IsScrollSelect());
}

}  // namespace
