// Combo without a native window: its list (items, selection, attributes), the quiet SelectItem,
// the text it shows, and where the drop-down goes. The popup itself is tested in real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/combo.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::Combo;

// Pixels of rect that are clearly red (text is smoothed, so few are exactly the colour).
int CountReddish(ui::IRenderContext* context, const RECT& rect) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      const DWORD rgb = uitest::RgbAt(context, x, y);
      if (((rgb >> 16) & 0xFF) > 150 && ((rgb >> 8) & 0xFF) < 100 && (rgb & 0xFF) < 100) ++count;
    }
  }
  return count;
}
using ui::EventArgs;
using ui::ListContainerElement;

class ComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Init(nullptr);
    root_ = new ui::VBox();
    window_.AttachRoot(root_);
    combo_ = new Combo();
    combo_->SetFixedHeight(30);
    root_->Add(combo_);
    combo_->AttachEvent(ui::kEventSelect, [this](const EventArgs&) {
      ++selects_;
      return true;
    });
  }

  ListContainerElement* AddItem(const std::wstring& text) {
    auto* item = new ListContainerElement();
    item->SetText(text);
    item->SetFixedHeight(30);
    EXPECT_TRUE(combo_->Add(item));
    return item;
  }

  ui::Window window_;
  ui::Box* root_ = nullptr;
  Combo* combo_ = nullptr;
  int selects_ = 0;
};

TEST_F(ComboTest, ChildOperationsActOnTheDropDownList) {
  ui::ListBox* list = combo_->GetListBox();
  auto* item = new ListContainerElement();
  item->SetReceivePointer(false);
  ASSERT_TRUE(combo_->Add(item));
  EXPECT_TRUE(item->IsReceivePointer()) << "a tap presses it";
  AddItem(L"two");
  AddItem(L"three");
  EXPECT_EQ(combo_->GetCount(), 3);
  EXPECT_EQ(list->GetCount(), 3);
  EXPECT_EQ(item->GetOwner(), list);
  EXPECT_EQ(combo_->GetItemAt(0), nullptr) << "the combo itself has no children";
  EXPECT_FALSE(combo_->Add(nullptr)) << "refused by the list, not reported as added";

  ASSERT_TRUE(combo_->SelectItem(2));
  ASSERT_TRUE(combo_->RemoveAt(0));
  EXPECT_EQ(combo_->GetCurSel(), 1) << "the selection stays with its item";
  EXPECT_FALSE(combo_->Remove(combo_));
  combo_->RemoveAll();
  EXPECT_EQ(combo_->GetCount(), 0);
  EXPECT_EQ(combo_->GetCurSel(), -1);
}

TEST_F(ComboTest, SelectItemIsQuietAndReturnsWhatTheListDid) {
  AddItem(L"auto");
  AddItem(L"hd")->SetEnabled(false);
  AddItem(L"sd");
  ui::ListBox* list = combo_->GetListBox();
  int listSelects = 0;
  list->AttachEvent(ui::kEventSelect, [&listSelects](const EventArgs&) {
    ++listSelects;
    return true;
  });

  EXPECT_TRUE(combo_->SelectItem(2));
  EXPECT_EQ(combo_->GetCurSel(), 2);
  EXPECT_EQ(list->GetCurSel(), 2);
  EXPECT_FALSE(combo_->SelectItem(2)) << "already selected";
  EXPECT_FALSE(combo_->SelectItem(-1));
  EXPECT_FALSE(combo_->SelectItem(3));
  EXPECT_EQ(combo_->GetCurSel(), 2);

  EXPECT_FALSE(combo_->SelectItem(1)) << "the list refuses a disabled item";
  EXPECT_EQ(combo_->GetCurSel(), -1) << "and is left with no selection, as is the combo";
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_EQ(selects_ + listSelects, 0) << "no event either way";
}

TEST_F(ComboTest, AttributesSizeTheDropBoxAndStyleTheList) {
  EXPECT_EQ(combo_->GetDropBoxSize().cx, 0);
  EXPECT_EQ(combo_->GetDropBoxSize().cy, 150);
  ui::ListBox* list = combo_->GetListBox();
  ASSERT_NE(list->GetVScrollBar(), nullptr);
  EXPECT_EQ(list->GetLayout()->GetPadding().top, 1);
  EXPECT_EQ(list->GetBorderSizes().left, 1);

  combo_->SetAttribute(L"dropboxsize", L"200,300");
  EXPECT_EQ(combo_->GetDropBoxSize().cx, 200);
  EXPECT_EQ(combo_->GetDropBoxSize().cy, 300);
  combo_->SetAttribute(L"popuptop", L"true");
  EXPECT_TRUE(combo_->IsPopupTop());
  combo_->SetAttribute(L"vscrollbar", L"false");
  EXPECT_NE(list->GetVScrollBar(), nullptr) << "the list keeps its bar";
  combo_->SetAttribute(L"dropbox", L"bkcolor=\"white\" scrollselect=\"true\"");
  EXPECT_EQ(list->GetBkColor(), L"white");
  EXPECT_TRUE(list->IsScrollSelect());
  EXPECT_EQ(combo_->GetDropBoxAttributeList(), L"bkcolor=\"white\" scrollselect=\"true\"");
}

TEST_F(ComboTest, MarkupCombosFillTheirListAndItsItemsMeasureInTheWindow) {
  ui::WindowBuilder builder;
  builder.Create(
      L"<Window><Combo name=\"quality\" height=\"30\" dropboxsize=\"0,100\">"
      L"  <ListContainerElement name=\"q0\" text=\"Auto\" height=\"30\"/>"
      L"  <ListContainerElement name=\"q1\" text=\"HD\" height=\"auto\"/>"
      L"</Combo></Window>",
      nullptr, &window_, root_);
  auto* combo = dynamic_cast<Combo*>(window_.FindControl(L"quality"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetCount(), 2);
  EXPECT_EQ(combo->GetDropBoxSize().cy, 100);
  auto* autoSized = dynamic_cast<ListContainerElement*>(combo->GetListBox()->GetItemAt(1));
  ASSERT_NE(autoSized, nullptr);
  EXPECT_EQ(autoSized->GetWindow(), &window_) << "the closed list lives in the combo's window";
  EXPECT_GT(autoSized->EstimateText(SIZE{200, 100}).cy, 0) << "so its text can be measured";
}

TEST_F(ComboTest, TheSelectedItemsTextIsDrawnInTheCombo) {
  ui::GlobalManager::AddTextColor(L"combo_text", 0xFFFF0000);
  AddItem(L"first");
  ListContainerElement* second = AddItem(L"MMMM");
  second->SetStateTextColor(ui::kControlStateNormal, L"combo_text");
  window_.SetLayoutPending(true);
  window_.ArrangeRoot(RECT{0, 0, 200, 200});
  const RECT pos = combo_->GetPos();
  ASSERT_EQ(pos.bottom - pos.top, 30);

  auto canvas = uitest::MakeCanvas(200, 200);
  combo_->Paint(canvas.get(), RECT{0, 0, 200, 200});
  EXPECT_EQ(CountReddish(canvas.get(), pos), 0) << "nothing selected";
  ASSERT_TRUE(combo_->SelectItem(1));
  combo_->Paint(canvas.get(), RECT{0, 0, 200, 200});
  EXPECT_GT(CountReddish(canvas.get(), pos), 20) << "the item's text colour";
  // Hidden, the item is no longer the selection, and the combo shows nothing.
  second->SetVisible(false);
  EXPECT_EQ(combo_->GetCurSel(), -1);
  canvas = uitest::MakeCanvas(200, 200);
  combo_->Paint(canvas.get(), RECT{0, 0, 200, 200});
  EXPECT_EQ(CountReddish(canvas.get(), pos), 0) << "a hidden item's text";
  second->SetVisible(true);
  ASSERT_TRUE(combo_->SelectItem(1)) << "selectable again";

  // An item without text (an icon, say) is drawn itself, where the combo is.
  auto* plain = new ListContainerElement();
  plain->SetFixedHeight(30);
  plain->SetBkColor(L"combo_text");
  ASSERT_TRUE(combo_->Add(plain));
  ASSERT_TRUE(combo_->SelectItem(2));
  canvas = uitest::MakeCanvas(200, 200);
  combo_->Paint(canvas.get(), RECT{0, 0, 200, 200});
  EXPECT_EQ(CountReddish(canvas.get(), pos), (pos.right - pos.left) * 30);
}

// ----- Placement -----------------------------------------------------------------------------

TEST(ComboPlacementTest, BelowWithAOnePixelGapOrAboveWhenThereIsNoRoom) {
  const RECT work = {0, 0, 1280, 984};
  const RECT combo = {100, 200, 260, 230};
  // Four items of 30 and the border: 122 high, as wide as the combo.
  RECT popup = Combo::PlaceDropDown(combo, 160, 122, work, false);
  EXPECT_EQ(popup.left, 100);
  EXPECT_EQ(popup.top, 231);
  EXPECT_EQ(popup.right, 260);
  EXPECT_EQ(popup.bottom, 353);

  popup = Combo::PlaceDropDown(combo, 160, 122, work, true);
  EXPECT_EQ(popup.top, 78) << "popuptop";
  EXPECT_EQ(popup.bottom, 200);

  const RECT low = {100, 850, 260, 880};
  EXPECT_EQ(Combo::PlaceDropDown(low, 160, 103, work, false).top, 881) << "ends at 984: fits";
  EXPECT_EQ(Combo::PlaceDropDown(low, 160, 104, work, false).bottom, 850) << "one more: above";
}

}  // namespace
