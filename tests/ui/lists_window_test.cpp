// A tree, a child box and a virtual list built from markup into a real window: a node collapsed and
// expanded by clicks, the tree scrolled by the wheel over one of its nodes, the child box's content
// from its own file on the screen, and the virtual list of 100,000 rows scrolled by the wheel with
// its pool of controls; screenshots along the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/controls/child_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/tree_node.h"
#include "ui/controls/tree_view.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/global_manager.h"
#include "ui/core/window_builder.h"

namespace {

using uitest::PumpUntil;
using uitest::ScreenRgb;
using uitest::TestWindow;
using uitest::ToScreen;
using uitest::Wheel;

constexpr DWORD kWaitMs = 20000;
constexpr int kRowHeight = 24;
const RECT kRect = {100, 100, 580, 400};

void StyleRow(ui::ListContainerElement* row, const std::wstring& text) {
  row->SetText(text);
  row->SetFixedHeight(kRowHeight);
  row->SetStateTextColor(ui::kControlStateNormal, L"lw_black");
  row->SetSelectedStateColor(ui::kControlStateNormal, L"lw_selected");
  row->SetTextPadding(RECT{6, 0, 0, 0});
}

ui::TreeNode* AddNode(ui::TreeNode* parent, const std::wstring& text) {
  auto* node = new ui::TreeNode();
  StyleRow(node, text);
  EXPECT_TRUE(parent->AddChildNode(node));
  return node;
}

// 100,000 rows "Row n" on alternating backgrounds.
class Rows : public ui::IVirtualListProvider {
 public:
  ui::Control* CreateElement() override {
    ++created;
    auto* row = new ui::ListContainerElement();
    StyleRow(row, L"");
    return row;
  }
  void FillElement(ui::Control* control, int index) override {
    auto* row = static_cast<ui::ListContainerElement*>(control);
    row->SetText(L"Row " + std::to_wstring(index));
    row->SetBkColor(index % 2 ? L"lw_odd" : L"lw_even");
  }
  int GetElementCount() override { return 100000; }

  int created = 0;
};

// The text of the pool control at the top of the list's view.
std::wstring TextAtViewTop(ui::VirtualListBox* list) {
  const int y = list->GetPos().top + list->GetScrollPos().cy;
  for (int i = 0; i < list->GetCount(); ++i) {
    auto* row = static_cast<ui::ListContainerElement*>(list->GetItemAt(i));
    if (row->GetPos().top <= y && y < row->GetPos().bottom) return row->GetText();
  }
  return L"(none)";
}

TEST(ListsWindowTest, ATreeAChildBoxAndAVirtualListInARealWindow) {
  uitest::TempDir dir;
  ui::GlobalManager::AddTextColor(L"lw_white", 0xFFFFFFFF);
  ui::GlobalManager::AddTextColor(L"lw_black", 0xFF000000);
  ui::GlobalManager::AddTextColor(L"lw_tree", 0xFFEAF2F8);
  ui::GlobalManager::AddTextColor(L"lw_selected", 0xFF9CC3E6);
  ui::GlobalManager::AddTextColor(L"lw_panel", 0xFF3FA34D);
  ui::GlobalManager::AddTextColor(L"lw_even", 0xFFFFF4D6);
  ui::GlobalManager::AddTextColor(L"lw_odd", 0xFFF5D99A);
  const std::wstring panelFile = dir.File(L"panel.xml");
  ASSERT_TRUE(uitest::WriteFileBytes(
      panelFile,
      "<Window><VBox name=\"panel\" bkcolor=\"lw_panel\" padding=\"8,8,8,8\">"
      "<Label name=\"panelTitle\" text=\"From panel.xml\" normaltextcolor=\"lw_white\" "
      "width=\"stretch\" height=\"24\"/></VBox></Window>"));

  const std::wstring markup =
      L"<Window><HBox bkcolor=\"lw_white\" childmargin=\"10\">"
      L"<TreeView name=\"tree\" width=\"150\" indent=\"16\" vscrollbar=\"true\" "
      L"bkcolor=\"lw_tree\"/>"
      L"<ChildBox name=\"child\" width=\"140\" height=\"120\" xmlfile=\"" + panelFile + L"\"/>"
      L"<VirtualListBox name=\"list\" width=\"170\" vscrollbar=\"true\"/>"
      L"</HBox></Window>";
  ui::WindowBuilder builder;
  ui::Control* root = builder.Create(markup.c_str(), nullptr, nullptr, nullptr);
  ASSERT_NE(root, nullptr);
  auto* tree = dynamic_cast<ui::TreeView*>(static_cast<ui::Box*>(root)->GetItemAt(0));
  auto* list = dynamic_cast<ui::VirtualListBox*>(static_cast<ui::Box*>(root)->GetItemAt(2));
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(list, nullptr);

  // The tree: two groups, then enough nodes for it to scroll; a click on a node toggles it.
  ui::TreeNode* fruit = AddNode(tree->GetRootNode(), L"Fruit");
  ui::TreeNode* apple = AddNode(fruit, L"Apple");
  AddNode(fruit, L"Pear");
  AddNode(apple, L"Golden");
  ui::TreeNode* vegetables = AddNode(tree->GetRootNode(), L"Vegetables");
  AddNode(vegetables, L"Leek");
  for (int i = 0; i < 12; ++i) AddNode(tree->GetRootNode(), L"Item " + std::to_wstring(i));
  for (int i = 0; i < tree->GetCount(); ++i) {
    auto* node = static_cast<ui::TreeNode*>(tree->GetItemAt(i));
    node->AttachClick([node](const ui::EventArgs& args) { return node->OnItemExpand(args); });
  }

  Rows rows;
  list->SetDataProvider(&rows);
  list->SetElementHeight(kRowHeight);
  list->InitElement(20);

  uitest::MoveMouse(POINT{kRect.right + 200, kRect.bottom + 200});  // Away from the window.
  auto* window = new TestWindow(root);
  const HWND hwnd = window->CreateShown(kRect);
  ASSERT_TRUE(hwnd);
  ASSERT_EQ(vegetables->GetPos().top, 4 * kRowHeight);
  uitest::SaveScreenPng(kRect, L"lists_window_start.png");

  // The child box's content, from its own file, in the window and on the screen.
  auto* child = dynamic_cast<ui::ChildBox*>(window->FindControl(L"child"));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->GetCount(), 1);
  ui::Control* title = window->FindControl(L"panelTitle");
  ASSERT_NE(title, nullptr);
  const RECT panel = child->GetPos();
  EXPECT_EQ(ScreenRgb(ToScreen(hwnd, POINT{panel.left + 3, panel.bottom - 3})), 0x3FA34Du);

  // A click on Fruit collapses it: its subtree leaves the layout, Vegetables moves up below it.
  const POINT fruitPoint = {20, kRowHeight / 2};
  uitest::Click(ToScreen(hwnd, fruitPoint));
  ASSERT_TRUE(PumpUntil([&] { return !fruit->IsExpanded(); }, kWaitMs));
  ASSERT_TRUE(PumpUntil([&] { return vegetables->GetPos().top == kRowHeight; }, kWaitMs));
  EXPECT_FALSE(apple->IsVisible());
  EXPECT_EQ(tree->GetCurSel(), 0);  // The click selected it too.
  uitest::MoveMouse(POINT{kRect.right + 200, kRect.bottom + 200});
  ASSERT_TRUE(PumpUntil(
      [&] { return ScreenRgb(ToScreen(hwnd, POINT{140, kRowHeight / 2})) == 0x9CC3E6u; },
      kWaitMs));
  uitest::SaveScreenPng(kRect, L"lists_window_collapsed.png");
  // Away from the first click, so the two are not taken for a double click.
  uitest::Click(ToScreen(hwnd, POINT{fruitPoint.x + 40, fruitPoint.y}));
  ASSERT_TRUE(PumpUntil([&] { return vegetables->GetPos().top == 4 * kRowHeight; }, kWaitMs));
  EXPECT_TRUE(apple->IsVisible());

  // The wheel over a node scrolls the tree: the node hands it to the tree view.
  uitest::MoveMouse(ToScreen(hwnd, POINT{40, 5 * kRowHeight + 5}));
  Wheel(-WHEEL_DELTA);
  ASSERT_TRUE(PumpUntil([&] { return tree->GetScrollPos().cy > 0; }, kWaitMs));

  // The wheel over the virtual list: it scrolls through its rows with the same twenty controls.
  const RECT listPos = list->GetPos();
  uitest::MoveMouse(ToScreen(hwnd, POINT{listPos.left + 40, listPos.top + 60}));
  for (int notch = 0; notch < 6; ++notch) Wheel(-WHEEL_DELTA);
  ASSERT_TRUE(PumpUntil(
      [&] { return list->GetScrollPos().cy > 0 && !list->IsScrollAnimating(); }, kWaitMs));
  const int scrolled = list->GetScrollPos().cy;
  EXPECT_EQ(TextAtViewTop(list), L"Row " + std::to_wstring(scrolled / kRowHeight));
  list->SendEvent(ui::kEventKeyDown, VK_END, 0, VK_END);
  const int end = list->GetScrollRange().cy;
  EXPECT_EQ(end, 100000 * kRowHeight - (listPos.bottom - listPos.top));
  EXPECT_EQ(TextAtViewTop(list), L"Row " + std::to_wstring(end / kRowHeight));
  list->SetScrollPosY(scrolled);
  EXPECT_EQ(rows.created, 20);
  EXPECT_EQ(list->GetCount(), 20);
  uitest::MoveMouse(POINT{kRect.right + 200, kRect.bottom + 200});
  // The second row shown, on its own background colour (odd rows darker).
  const int secondRow = scrolled / kRowHeight + 1;
  const int secondTop = secondRow * kRowHeight - scrolled;  // In the view.
  const DWORD expected = secondRow % 2 ? 0xF5D99Au : 0xFFF4D6u;
  const POINT probe = {listPos.right - 30, listPos.top + secondTop + kRowHeight / 2};
  ASSERT_TRUE(PumpUntil([&] { return ScreenRgb(ToScreen(hwnd, probe)) == expected; }, kWaitMs));
  EXPECT_NE(ScreenRgb(ToScreen(hwnd, POINT{probe.x, probe.y + kRowHeight})), expected);
  uitest::SaveScreenPng(kRect, L"lists_window_scrolled.png");
  delete window;
}

}  // namespace
