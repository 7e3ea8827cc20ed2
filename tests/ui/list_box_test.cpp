// ListBox and its items: the one selection through keys, the wheel and clicks, and how it is kept
// when items are removed, hidden, moved and inserted; scrolling the selection into view and an
// item to the top; items in option groups; the markup names. Events are sent the way a window
// sends them, in a window without a native one.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/option.h"
#include "ui/core/stack_layout.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"

namespace {

using ui::Control;
using ui::EventArgs;
using ui::ListBox;
using ui::ListContainerElement;

constexpr int kRowHeight = 30;

// A list of rows "r0".."r<n-1>", 30 high, in a 200 x 100 view; the log records the list's select
// events as "select <new> <previous>" and the rows' unselect events as "unselect <name>".
class ListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Init(nullptr);
    list_ = new ListBox(new ui::VLayout());
    list_->SetAttribute(L"vscrollbar", L"true");
    window_.AttachRoot(list_);
    list_->AttachEvent(ui::kEventSelect, [this](const EventArgs& args) {
      log_.push_back(L"select " + std::to_wstring(static_cast<int>(args.wParam)) + L" " +
                     std::to_wstring(static_cast<int>(args.lParam)));
      return true;
    });
  }

  ListContainerElement* Row(int i) {
    return dynamic_cast<ListContainerElement*>(list_->GetItemAt(i));
  }

  void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
      auto* row = new ListContainerElement();
      row->SetName(L"r" + std::to_wstring(list_->GetCount()));
      row->SetFixedHeight(kRowHeight);
      row->AttachEvent(ui::kEventUnSelect, [this, row](const EventArgs&) {
        log_.push_back(L"unselect " + row->GetName());
        return true;
      });
      ASSERT_TRUE(list_->Add(row));
    }
  }

  void Layout() {
    window_.SetLayoutPending(true);
    window_.ArrangeRoot(RECT{0, 0, 200, 100});
  }

  // A key down as the window sends it: to the focus control, else to the list.
  void Key(WORD key) {
    Control* target = window_.GetFocus() ? window_.GetFocus() : list_;
    target->SendEvent(ui::kEventKeyDown, key, 0, key);
  }
  void Wheel(int delta) {
    list_->SendEvent(ui::kEventScrollWheel, static_cast<WPARAM>(static_cast<INT_PTR>(delta)));
  }

  // Every row's index is its position and its owner the list.
  void ExpectNumbered() {
    for (int i = 0; i < list_->GetCount(); ++i) {
      if (ListContainerElement* row = Row(i)) {
        EXPECT_EQ(row->GetIndex(), i) << "row " << i;
        EXPECT_EQ(row->GetOwner(), list_) << "row " << i;
      }
    }
  }

  // The selected flags, as a string of 0 and 1.
  std::string Flags() {
    std::string flags;
    for (int i = 0; i < list_->GetCount(); ++i) flags += Row(i) && Row(i)->IsSelected() ? '1' : '0';
    return flags;
  }

  ui::Window window_;
  ListBox* list_ = nullptr;
  std::vector<std::wstring> log_;
};

using Log = std::vector<std::wstring>;

// ----- Keys and wheel ------------------------------------------------------------------------

TEST_F(ListBoxTest, ArrowsHomeAndEndMoveOverVisibleEnabledItemsOnly) {
  AddRows(6);
  Row(2)->SetEnabled(false);
  Row(4)->SetVisible(false);
  Layout();

  Key(VK_DOWN);  // No selection: the first item.
  EXPECT_EQ(list_->GetCurSel(), 0);
  EXPECT_EQ(window_.GetFocus(), Row(0)) << "keys select with the focus";
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(list_->GetCurSel(), 3) << "the disabled item is skipped";
  Key(VK_DOWN);
  EXPECT_EQ(list_->GetCurSel(), 5) << "the hidden item is skipped";
  EXPECT_EQ(Flags(), "000001");

  // Down on the last one: the search past the end is clamped, so it is selected again.
  log_.clear();
  Key(VK_DOWN);
  EXPECT_EQ(list_->GetCurSel(), 5);
  EXPECT_EQ(log_, (Log{L"unselect r5", L"select 5 5"}));

  Key(VK_UP);
  EXPECT_EQ(list_->GetCurSel(), 3);
  Key(VK_HOME);
  EXPECT_EQ(list_->GetCurSel(), 0);
  Key(VK_END);
  EXPECT_EQ(list_->GetCurSel(), 5);
  EXPECT_EQ(Flags(), "000001");
}

TEST_F(ListBoxTest, UpWithoutSelectionSelectsTheFirstSelectableItem) {
  AddRows(3);
  Row(0)->SetEnabled(false);
  Layout();
  Key(VK_UP);
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_EQ(log_, (Log{L"select 1 -1"}));
}

TEST_F(ListBoxTest, AKeyOrWheelStepWithNowhereToGoKeepsTheSelection) {
  AddRows(4);
  Row(2)->SetEnabled(false);
  Row(3)->SetEnabled(false);
  list_->SetScrollSelect(true);
  Layout();
  ASSERT_TRUE(list_->SelectItem(1, false, false));
  log_.clear();

  Key(VK_DOWN);
  Key(VK_END);
  Wheel(-120);
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_EQ(Flags(), "0100");
  EXPECT_TRUE(log_.empty()) << "no unselect, no select";
}

TEST_F(ListBoxTest, TheWheelSelectsWithScrollSelectAndScrollsWithout) {
  AddRows(8);
  Layout();
  ASSERT_TRUE(list_->SelectItem(2, false, false));

  list_->SetAttribute(L"scrollselect", L"true");
  Wheel(-120);
  EXPECT_EQ(list_->GetCurSel(), 3) << "down a notch: the next item";
  Wheel(120);
  Wheel(120);
  EXPECT_EQ(list_->GetCurSel(), 1);

  list_->SetAttribute(L"scrollselect", L"false");
  Wheel(-120);
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_TRUE(list_->IsScrollAnimating()) << "the content scrolls instead";
  // A press on the list stops the scroll where it is.
  list_->SendEvent(ui::kEventButtonDown);
  EXPECT_FALSE(list_->IsScrollAnimating());
}

// ----- Selecting -----------------------------------------------------------------------------

TEST_F(ListBoxTest, OnlyVisibleEnabledItemsAreSelectedAndARefusalLeavesNone) {
  AddRows(3);
  auto* header = new ui::Control();  // A child that is not an item.
  header->SetFixedHeight(10);
  list_->Add(header);
  Row(1)->SetEnabled(false);
  Layout();
  ASSERT_TRUE(list_->SelectItem(0, false, true));
  EXPECT_EQ(Flags(), "1000");

  for (int index : {1, 3, 4, -1}) {
    log_.clear();
    EXPECT_FALSE(list_->SelectItem(index, false, true)) << index;
    EXPECT_EQ(list_->GetCurSel(), -1);
    EXPECT_EQ(Flags(), "0000");
    ASSERT_TRUE(list_->SelectItem(0, false, false));
  }
}

TEST_F(ListBoxTest, AClickOnAnItemSelectsItThroughTheList) {
  AddRows(3);
  Layout();
  ListContainerElement* row = Row(2);
  const RECT pos = row->GetPos();
  const POINT inside = {pos.left + 5, pos.top + 5};
  row->SendEvent(ui::kEventButtonDown, 0, 0, 0, inside);
  row->SendEvent(ui::kEventButtonUp, 0, 0, 0, inside);
  EXPECT_EQ(list_->GetCurSel(), 2);
  EXPECT_EQ(log_, (Log{L"select 2 -1"}));
  EXPECT_NE(window_.GetFocus(), row) << "a click selects without moving the focus";

  // Deselecting an item directly does nothing: the list keeps its one selection.
  row->SetSelected(false, true);
  EXPECT_TRUE(row->IsSelected());
  EXPECT_EQ(list_->GetCurSel(), 2);
}

TEST_F(ListBoxTest, ReturnAndTheContextMenuRaiseTheItemsEvents) {
  AddRows(2);
  Layout();
  Log events;
  ListContainerElement* row = Row(1);
  for (int type : {ui::kEventReturn, ui::kEventMenu}) {
    row->AttachEvent(type, [&events, type](const EventArgs&) {
      events.push_back(type == ui::kEventReturn ? L"return" : L"menu");
      return true;
    });
  }
  row->SendEvent(ui::kEventKeyDown, VK_RETURN, 0, VK_RETURN);
  EXPECT_EQ(list_->GetCurSel(), -1) << "Return on an item does not select it";
  row->SendEvent(ui::kEventInternalMenu);
  EXPECT_EQ(list_->GetCurSel(), 1) << "the context menu selects the item first";
  EXPECT_EQ(events, (Log{L"return", L"menu"}));
}

// ----- Removal -------------------------------------------------------------------------------

TEST_F(ListBoxTest, RemovingTheSelectedItemSelectsTheOneThatTookItsPlace) {
  AddRows(5);
  Layout();
  ASSERT_TRUE(list_->SelectItem(3, false, false));
  log_.clear();
  ASSERT_TRUE(list_->RemoveAt(3));
  EXPECT_EQ(list_->GetCurSel(), 3);
  EXPECT_EQ(Row(3)->GetName(), L"r4");
  EXPECT_TRUE(Row(3)->IsSelected());
  // The list steps back one first, so the item before is told it is unselected.
  EXPECT_EQ(log_, (Log{L"unselect r2", L"select 3 2"}));
  ExpectNumbered();
}

TEST_F(ListBoxTest, RemovingTheSelectedItemFallsBackToTheNearestSelectableBefore) {
  AddRows(5);
  Row(4)->SetEnabled(false);
  Row(2)->SetEnabled(false);
  Layout();
  ASSERT_TRUE(list_->SelectItem(3, false, false));
  ASSERT_TRUE(list_->Remove(Row(3)));
  EXPECT_EQ(list_->GetCurSel(), 1) << "r4 (now 3) and r2 are disabled";
  EXPECT_EQ(Row(1)->GetName(), L"r1");

  // Without neighbour selection the list is left with none.
  list_->SelectNextWhenActiveRemoved(false);
  ASSERT_TRUE(list_->RemoveAt(1));
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_EQ(Flags(), "000");
}

TEST_F(ListBoxTest, RemovingOtherItemsKeepsTheSameItemSelected) {
  AddRows(5);
  Layout();
  ASSERT_TRUE(list_->SelectItem(3, false, false));
  ASSERT_TRUE(list_->RemoveAt(0));
  ASSERT_TRUE(list_->RemoveAt(3));  // After it.
  EXPECT_EQ(list_->GetCurSel(), 2);
  EXPECT_EQ(Row(2)->GetName(), L"r3");
  ExpectNumbered();
  EXPECT_FALSE(list_->RemoveAt(3));
  EXPECT_FALSE(list_->RemoveAt(-1));

  // An item let go without being deleted belongs to no list any more.
  list_->SetAutoDestroy(false);
  ListContainerElement* row = Row(0);
  ASSERT_TRUE(list_->Remove(row));
  EXPECT_EQ(row->GetOwner(), nullptr);
  EXPECT_EQ(row->GetIndex(), -1);
  EXPECT_FALSE(list_->Remove(row));
  delete row;

  list_->SetAutoDestroy(true);
  list_->RemoveAll();
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_EQ(list_->GetCount(), 0);
}

TEST_F(ListBoxTest, AnItemDeletedDirectlyLeavesIndicesAndSelectionRight) {
  AddRows(5);
  Layout();
  ASSERT_TRUE(list_->SelectItem(3, false, false));
  delete Row(1);  // Not through the list: the box lets it go all the same.
  ExpectNumbered();
  EXPECT_EQ(list_->GetCurSel(), 2);
  EXPECT_EQ(Row(2)->GetName(), L"r3");
  Row(3)->Activate();  // A click on r4 selects r4, not a neighbour.
  EXPECT_EQ(list_->GetCurSel(), 3);
  EXPECT_EQ(Flags(), "0001");

  delete Row(3);  // The selected one: nothing is left selected.
  EXPECT_EQ(list_->GetCurSel(), -1);
  ExpectNumbered();
  EXPECT_EQ(Flags(), "000");
}

TEST_F(ListBoxTest, AnItemLetGoWithoutDeletionLeavesItsSelectionBehind) {
  AddRows(3);
  Layout();
  list_->SetAutoDestroy(false);
  ASSERT_TRUE(list_->SelectItem(1, false, false));
  ListContainerElement* row = Row(1);
  ASSERT_TRUE(list_->Remove(row));
  EXPECT_FALSE(row->IsSelected());
  ASSERT_TRUE(list_->Add(row));  // Back: one row looks selected, the one the list selected.
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_EQ(Flags(), "010");
  row->SetVisible(false);
  EXPECT_EQ(list_->GetCurSel(), 1) << "hiding another row keeps the selection";

  const std::vector<ListContainerElement*> rows = {Row(0), Row(1), Row(2)};
  list_->RemoveAll();
  EXPECT_FALSE(rows[1]->IsSelected());
  for (ListContainerElement* gone : rows) delete gone;
}

// ----- Hiding --------------------------------------------------------------------------------

TEST_F(ListBoxTest, HidingTheSelectedItemLeavesNoSelection) {
  AddRows(3);
  Layout();
  ASSERT_TRUE(list_->SelectItem(1, false, false));
  Row(0)->SetFadeVisible(false);
  EXPECT_EQ(list_->GetCurSel(), 1) << "another item hides";
  log_.clear();
  Row(1)->SetFadeVisible(false);
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(Row(1)->IsSelected());
  EXPECT_EQ(log_, (Log{L"unselect r1"}));
  Key(VK_DOWN);
  EXPECT_EQ(list_->GetCurSel(), 2) << "hidden items are skipped";
}

TEST_F(ListBoxTest, TheSelectionGoesWhenItsItemIsHiddenFadedOutOrDisabledOnItsOwn) {
  ui::ManualClock clock;  // The fade runs on it.
  AddRows(4);
  Row(2)->SetAttribute(L"fadealpha", L"true");
  Layout();
  ASSERT_TRUE(list_->SelectItem(0, false, false));
  Row(0)->SetVisible(false);  // What the markup "visible" does.
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(Row(0)->IsSelected());

  ASSERT_TRUE(list_->SelectItem(1, false, false));
  Row(1)->SetEnabled(false);
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(Row(1)->IsSelected());

  ASSERT_TRUE(list_->SelectItem(2, false, false));
  Row(2)->SetFadeVisible(false);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 300));
  ASSERT_FALSE(Row(2)->IsVisible());
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(Row(2)->IsSelected());

  // A list disabled as a whole keeps its selection for when it comes back.
  ASSERT_TRUE(list_->SelectItem(3, false, false));
  list_->SetEnabled(false);
  list_->SetEnabled(true);
  EXPECT_EQ(list_->GetCurSel(), 3);
}

// ----- Moving and inserting ------------------------------------------------------------------

TEST_F(ListBoxTest, MovingItemsKeepsTheSelectionWithItsItem) {
  AddRows(4);
  Layout();
  ASSERT_TRUE(list_->SelectItem(0, false, false));
  ASSERT_TRUE(list_->SetItemIndex(Row(0), 2));
  EXPECT_EQ(list_->GetCurSel(), 2);
  EXPECT_EQ(Row(2)->GetName(), L"r0");
  ExpectNumbered();

  // Another item moved across it shifts it.
  ASSERT_TRUE(list_->SetItemIndex(Row(3), 0));
  EXPECT_EQ(list_->GetCurSel(), 3);
  EXPECT_EQ(Row(3)->GetName(), L"r0");
  ExpectNumbered();

  EXPECT_TRUE(list_->SetItemIndex(Row(1), 1)) << "already there";
  EXPECT_FALSE(list_->SetItemIndex(Row(1), -1)) << "a negative index is refused";
  EXPECT_FALSE(list_->SetItemIndex(Row(1), 4));
  ui::Control stranger;
  EXPECT_FALSE(list_->SetItemIndex(&stranger, 0));
  EXPECT_EQ(list_->GetCurSel(), 3);
  ExpectNumbered();
}

TEST_F(ListBoxTest, InsertingBeforeTheSelectionRenumbersAndKeepsIt) {
  AddRows(3);
  Layout();
  ASSERT_TRUE(list_->SelectItem(1, false, false));
  auto* row = new ListContainerElement();
  ASSERT_TRUE(list_->AddAt(row, 0));
  EXPECT_EQ(list_->GetCurSel(), 2);
  EXPECT_EQ(Row(2)->GetName(), L"r1");
  ExpectNumbered();

  // A refused item keeps the owner it has.
  ListBox other;
  auto* foreign = new ListContainerElement();
  ASSERT_TRUE(other.Add(foreign));
  EXPECT_FALSE(list_->AddAt(foreign, 0));
  EXPECT_EQ(foreign->GetOwner(), &other);
  EXPECT_EQ(foreign->GetIndex(), 0);
}

// ----- Scrolling -----------------------------------------------------------------------------

TEST_F(ListBoxTest, TheSelectedItemIsScrolledIntoView) {
  AddRows(10);  // 300 pixels in a 100-pixel view.
  Layout();
  ASSERT_EQ(list_->GetScrollRange().cy, 200);
  ASSERT_TRUE(list_->SelectItem(6, false, false));
  EXPECT_EQ(list_->GetScrollPos().cy, 110) << "its bottom (210) at the view's bottom";
  ASSERT_TRUE(list_->SelectItem(5, false, false));
  EXPECT_EQ(list_->GetScrollPos().cy, 110) << "in view already";
  ASSERT_TRUE(list_->SelectItem(1, false, false));
  EXPECT_EQ(list_->GetScrollPos().cy, 30) << "its top at the view's top";
  Key(VK_END);
  EXPECT_EQ(list_->GetScrollPos().cy, 200);
}

TEST_F(ListBoxTest, ScrollItemToTopAndTheTopItem) {
  AddRows(10);
  Layout();
  EXPECT_TRUE(list_->ScrollItemToTop(L"r5"));
  EXPECT_EQ(list_->GetScrollPos().cy, 150);
  EXPECT_EQ(list_->GetTopItem(), Row(4)) << "r4 ends on the top line";
  list_->SetScrollPosY(160);
  EXPECT_EQ(list_->GetTopItem(), Row(5));
  EXPECT_FALSE(list_->ScrollItemToTop(L"nobody"));
  EXPECT_TRUE(list_->ScrollItemToTop(L"r9"));
  EXPECT_EQ(list_->GetScrollPos().cy, 200) << "clamped to the range";

  list_->RemoveAll();
  AddRows(2);  // Fits: nothing scrolls.
  Layout();
  EXPECT_FALSE(list_->ScrollItemToTop(L"r1"));
}

// ----- Option groups and markup --------------------------------------------------------------

TEST_F(ListBoxTest, AnItemInAnOptionGroupClearsTheGroupOverACopyOfIt) {
  AddRows(2);
  list_->SetDelayedDestroy(false);  // Removed options are deleted at once.
  std::vector<ui::Option*> options;
  for (int i = 0; i < 3; ++i) {
    auto* option = new ui::Option();
    option->SetFixedHeight(10);
    list_->Add(option);
    option->SetGroup(L"g");
    options.push_back(option);
  }
  Row(0)->SetGroup(L"g");
  Layout();
  options[0]->SetSelected(true, false);
  // Unselecting the first option deletes the second, a later member of the group.
  bool deleted = false;
  options[0]->AttachEvent(ui::kEventUnSelect, [this, &options, &deleted](const EventArgs&) {
    if (!deleted) deleted = list_->Remove(options[1]);
    return true;
  });

  ASSERT_TRUE(list_->SelectItem(0, false, true));
  EXPECT_FALSE(options[0]->IsSelected());
  EXPECT_EQ(list_->GetCount(), 4);
  EXPECT_EQ(window_.GetOptionGroup(L"g")->size(), 3u);
  EXPECT_TRUE(Row(0)->IsSelected());

  // An option of the group selected on its own does not unselect the item: only its list does.
  options[2]->SetSelected(true, false);
  EXPECT_TRUE(Row(0)->IsSelected());
  EXPECT_EQ(list_->GetCurSel(), 0);
}

TEST(ListBoxMarkupTest, TheListNamesMakeListsWithTheirLayoutsAndItemsJoinThem) {
  ui::Window window;
  window.Init(nullptr);
  ui::WindowBuilder builder;
  Control* root = builder.Create(
      L"<Window><VBox>"
      L"  <VListBox name=\"list\" scrollselect=\"true\">"
      L"    <ListContainerElement name=\"a\" height=\"20\"/>"
      L"    <ListContainerElement name=\"b\" height=\"20\"/>"
      L"  </VListBox>"
      L"  <HListBox name=\"h\"/><TileListBox name=\"t\"/><ListBox name=\"p\"/>"
      L"</VBox></Window>",
      nullptr, &window, nullptr);
  ASSERT_NE(root, nullptr);
  ASSERT_TRUE(window.AttachRoot(root));
  auto* list = dynamic_cast<ListBox*>(window.FindControl(L"list"));
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->IsScrollSelect());
  EXPECT_NE(dynamic_cast<ui::VLayout*>(list->GetLayout()), nullptr);
  auto* horizontal = dynamic_cast<ListBox*>(window.FindControl(L"h"));
  ASSERT_NE(horizontal, nullptr);
  EXPECT_NE(dynamic_cast<ui::HLayout*>(horizontal->GetLayout()), nullptr);
  EXPECT_NE(dynamic_cast<ListBox*>(window.FindControl(L"t")), nullptr);
  EXPECT_NE(dynamic_cast<ListBox*>(window.FindControl(L"p")), nullptr);
  auto* b = dynamic_cast<ListContainerElement*>(window.FindControl(L"b"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetOwner(), list);
  EXPECT_EQ(b->GetIndex(), 1);
  EXPECT_EQ(b->GetTextStyle(), ListContainerElement::kItemTextStyle);
}

}  // namespace
