// The tree view and its nodes: nodes entering the list in tree order with their depth and indent,
// visibility under collapsed nodes (layout, keys and expansion events included), the links that
// are refused, removal and deletion that leave no node behind or pointing at a deleted one, the
// box operations that leave the list alone while the controls handed to them are kept and freed,
// and the boxes a tree view's nodes and root node belong to in a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/test_support.h"
#include "ui/controls/tree_node.h"
#include "ui/controls/tree_view.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"

namespace {

using ui::Control;
using ui::TreeNode;
using ui::TreeView;

int g_nodes_deleted = 0;
int g_controls_deleted = 0;

// A node 20 high that counts its deletion.
class Node : public TreeNode {
 public:
  explicit Node(const std::wstring& name) {
    SetName(name);
    SetFixedHeight(20);
  }
  ~Node() override { ++g_nodes_deleted; }
};

class Counted : public Control {
 public:
  ~Counted() override { ++g_controls_deleted; }
};

// The names of the list's items in list order.
std::vector<std::wstring> ListNames(const TreeView& tree) {
  std::vector<std::wstring> names;
  for (int i = 0; i < tree.GetCount(); ++i) names.push_back(tree.GetItemAt(i)->GetName());
  return names;
}

using Names = std::vector<std::wstring>;

TEST(TreeViewTest, NodesEnterTheListInTreeOrderWithTheirDepthAndIndent) {
  TreeView tree;
  tree.SetAttribute(L"indent", L"10");
  TreeNode* root = tree.GetRootNode();
  auto* a = new Node(L"a");
  auto* b = new Node(L"b");
  ASSERT_TRUE(root->AddChildNode(a));
  ASSERT_TRUE(root->AddChildNode(b));
  auto* a1 = new Node(L"a1");
  ASSERT_TRUE(a->AddChildNode(a1));
  ASSERT_TRUE(a->AddChildNode(new Node(L"a2")));
  ASSERT_TRUE(a->AddChildNodeAt(new Node(L"a0"), 0));
  ASSERT_TRUE(root->AddChildNodeAt(new Node(L"c"), 1));
  // A subtree linked before it joins the tree enters with it, in order.
  auto* x = new Node(L"x");
  auto* x1 = new Node(L"x1");
  ASSERT_TRUE(x->AddChildNode(x1));
  ASSERT_TRUE(x1->AddChildNode(new Node(L"x11")));
  ASSERT_TRUE(x->AddChildNode(new Node(L"x2")));
  EXPECT_EQ(x1->GetTreeView(), nullptr);
  ASSERT_TRUE(a1->AddChildNode(x));

  EXPECT_EQ(ListNames(tree), (Names{L"a", L"a0", L"a1", L"x", L"x1", L"x11", L"x2", L"a2", L"c",
                                    L"b"}));
  EXPECT_EQ(root->GetDepth(), -1);
  EXPECT_EQ(a->GetDepth(), 0);
  EXPECT_EQ(x->GetDepth(), 2);
  EXPECT_EQ(x1->GetDepth(), 3);
  EXPECT_EQ(x1->GetTreeView(), &tree);
  EXPECT_EQ(x1->GetParentNode(), x);
  EXPECT_EQ(a->GetChildNodeIndex(a1), 1);
  for (int i = 0; i < tree.GetCount(); ++i) {
    auto* node = dynamic_cast<TreeNode*>(tree.GetItemAt(i));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetOwner(), &tree);
    EXPECT_EQ(node->GetIndex(), i);
    EXPECT_TRUE(node->IsInList());
    EXPECT_EQ(node->GetMargin().left, 10 * node->GetDepth()) << node->GetName();
  }
  // A new indent indents every node again, on top of its own margin.
  x1->SetMargin(RECT{x1->GetMargin().left + 3, 0, 0, 0}, false);
  tree.SetIndent(4);
  EXPECT_EQ(x1->GetMargin().left, 15);
  EXPECT_EQ(a->GetMargin().left, 0);
  tree.SetAttribute(L"scrollselect", L"true");
  EXPECT_TRUE(tree.IsScrollSelect());
}

TEST(TreeViewTest, ANodeUnderACollapsedNodeIsHiddenFromLayoutKeysAndPaint) {
  ui::Window window;
  window.Init(nullptr);
  auto* tree = new TreeView();
  window.AttachRoot(tree);
  auto* a = new Node(L"a");
  auto* a1 = new Node(L"a1");
  auto* a11 = new Node(L"a11");
  auto* b = new Node(L"b");
  tree->GetRootNode()->AddChildNode(a);
  tree->GetRootNode()->AddChildNode(b);
  a->AddChildNode(a1);
  a1->AddChildNode(a11);
  window.SetLayoutPending(true);
  window.ArrangeRoot(RECT{0, 0, 200, 200});
  EXPECT_EQ(b->GetPos().top, 60);

  // Collapsing a through its expansion handler, as a click on it would: its subtree hides, its
  // own flags stay set, and b moves up.
  ui::EventArgs click;
  click.type = ui::kEventClick;
  click.sender = a;
  EXPECT_TRUE(a->OnItemExpand(click));
  EXPECT_FALSE(a->IsExpanded());
  EXPECT_FALSE(a1->IsVisible());
  EXPECT_FALSE(a11->IsVisible());
  EXPECT_TRUE(a->IsVisible());
  EXPECT_TRUE(window.IsLayoutPending());
  window.ArrangeRoot(RECT{0, 0, 200, 200});
  EXPECT_EQ(b->GetPos().top, 20);

  // The list's keys skip the hidden nodes.
  tree->SelectItem(0, false, false);
  tree->SendEvent(ui::kEventKeyDown, VK_DOWN, 0, VK_DOWN);
  EXPECT_EQ(tree->GetCurSel(), 3);

  // A collapsed node inside keeps its subtree hidden when the outer one expands again; a handler
  // sent from a control that is no node toggles the node that carries it.
  a1->SetExpand(false);
  ui::EventArgs fromButton;
  fromButton.sender = tree;  // Not a node.
  EXPECT_TRUE(a->OnItemExpand(fromButton));
  EXPECT_TRUE(a->IsExpanded());
  EXPECT_TRUE(a1->IsVisible());
  EXPECT_FALSE(a11->IsVisible());

  // Intern visibility reaches a node's own children by its own flags, not by the collapse.
  auto* icon = new Control();
  a11->Add(icon);
  a11->SetInternVisible(true);
  EXPECT_TRUE(icon->IsInternVisible());
  tree->SetVisible(false);
  EXPECT_FALSE(icon->IsInternVisible());
}

TEST(TreeViewTest, LinksThatWouldBreakTheTreeAreRefused) {
  TreeView tree;
  TreeView other;
  auto* a = new Node(L"a");
  auto* a1 = new Node(L"a1");
  tree.GetRootNode()->AddChildNode(a);
  a->AddChildNode(a1);
  auto* loose = new Node(L"loose");
  ui::VBox box;
  auto* boxed = new Node(L"boxed");
  box.Add(boxed);

  EXPECT_FALSE(a->AddChildNode(nullptr));
  EXPECT_FALSE(a->AddChildNode(a));                          // Itself.
  EXPECT_FALSE(a1->AddChildNode(a));                         // Its ancestor.
  EXPECT_FALSE(tree.GetRootNode()->AddChildNode(a1));        // Linked already.
  EXPECT_FALSE(a->AddChildNode(boxed));                      // Another box's.
  EXPECT_FALSE(a->AddChildNode(other.GetRootNode()));        // A tree view's root.
  EXPECT_FALSE(a->AddChildNodeAt(loose, 2));                 // Past the end.
  EXPECT_FALSE(a->AddChildNodeAt(loose, -1));
  // A subtree with a node that another box holds is refused whole.
  loose->AddChildNode(new Node(L"inner"));
  auto* held = new Node(L"held");
  ASSERT_TRUE(loose->GetChildNode(0)->AddChildNode(held));
  ui::VBox holder;
  holder.Add(held);
  EXPECT_FALSE(a->AddChildNode(loose));
  EXPECT_EQ(ListNames(tree), (Names{L"a", L"a1"}));
  EXPECT_EQ(a->GetChildNodeCount(), 1);
  holder.Remove(held);  // Deleted; its parent node forgets it.
  EXPECT_EQ(loose->GetChildNode(0)->GetChildNodeCount(), 0);
  EXPECT_TRUE(a->AddChildNode(loose));
  EXPECT_EQ(ListNames(tree), (Names{L"a", L"a1", L"loose", L"inner"}));
}

TEST(TreeViewTest, RemovedAndDeletedNodesLeaveNothingBehind) {
  g_nodes_deleted = 0;
  {
    TreeView tree;
    auto* a = new Node(L"a");
    auto* a1 = new Node(L"a1");
    auto* b = new Node(L"b");
    tree.GetRootNode()->AddChildNode(a);
    tree.GetRootNode()->AddChildNode(b);
    a->AddChildNode(a1);
    a1->AddChildNode(new Node(L"a11"));
    a->AddChildNode(new Node(L"a2"));
    tree.SelectItem(2, false, false);  // a11.

    // Removing a node deletes it with its subtree; the selection goes to the node after them.
    EXPECT_TRUE(tree.GetRootNode()->RemoveChildNode(a));
    EXPECT_EQ(g_nodes_deleted, 4);
    EXPECT_EQ(ListNames(tree), (Names{L"b"}));
    EXPECT_EQ(tree.GetCurSel(), 0);
    EXPECT_FALSE(tree.GetRootNode()->RemoveChildNode(a1));  // Not a child (and gone).

    // Deleting a node directly unlinks it both ways.
    auto* b1 = new Node(L"b1");
    auto* b11 = new Node(L"b11");
    b->AddChildNode(b1);
    b1->AddChildNode(b11);
    delete b1;
    EXPECT_EQ(b->GetChildNodeCount(), 0);
    EXPECT_EQ(b11->GetParentNode(), nullptr);
    EXPECT_TRUE(b11->IsVisible());
    EXPECT_EQ(ListNames(tree), (Names{L"b", L"b11"}));

    // Without auto-destroy the list would only let them go: they are deleted all the same.
    tree.SetAutoDestroy(false);
    b->AddChildNode(new Node(L"b2"));
    g_nodes_deleted = 0;
    b->RemoveAllChildNodes();
    EXPECT_EQ(g_nodes_deleted, 1);
    g_nodes_deleted = 0;
    tree.SetAutoDestroy(true);  // A box without it lets its children go even as it goes.
  }
  EXPECT_EQ(g_nodes_deleted, 2);  // b and b11, with the tree view.

  // A subtree that never joined a tree goes with its top node, however deep.
  g_nodes_deleted = 0;
  auto* top = new Node(L"top");
  std::vector<Node*> chain = {top};
  for (int i = 0; i < 10000; ++i) {
    chain.push_back(new Node(L"deep"));
    ASSERT_TRUE(chain[chain.size() - 2]->AddChildNode(chain.back()));
  }
  top->AddChildNode(new Node(L"side"));
  delete top;
  EXPECT_EQ(g_nodes_deleted, 10002);
}

TEST(TreeViewTest, TheBoxOperationsLeaveTheListAloneAndKeepWhatTheyAreHanded) {
  g_controls_deleted = 0;
  auto window = std::make_unique<ui::Window>();
  window->Init(nullptr);
  ui::WindowBuilder builder;
  ui::Control* made = builder.Create(
      L"<Window><VBox><TreeView name=\"tree\" indent=\"12\" vscrollbar=\"true\">"
      L"<Counted/><TreeNode name=\"marked\" text=\"x\"><Counted/></TreeNode><Counted/>"
      L"</TreeView></VBox></Window>",
      [](const std::wstring& name) -> Control* {
        return name == L"Counted" ? new Counted() : nullptr;
      },
      window.get(), nullptr);
  ASSERT_NE(made, nullptr);
  window->AttachRoot(made);
  auto* tree = dynamic_cast<TreeView*>(window->FindControl(L"tree"));
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->GetCount(), 0);
  EXPECT_EQ(tree->GetIndent(), 12);
  EXPECT_EQ(window->FindControl(L"marked"), nullptr);  // Kept, not in the window.

  auto* node = new Node(L"n");
  tree->GetRootNode()->AddChildNode(node);
  auto* loose = new Counted();
  EXPECT_TRUE(tree->Add(loose));
  EXPECT_TRUE(tree->AddAt(nullptr, 0));
  EXPECT_TRUE(tree->Remove(node));
  EXPECT_TRUE(tree->RemoveAt(0));
  tree->RemoveAll();
  EXPECT_EQ(ListNames(*tree), (Names{L"n"}));
  // A kept control is nobody else's to take.
  ui::VBox box;
  EXPECT_FALSE(box.Add(loose));
  EXPECT_EQ(loose->GetParent(), tree);
  EXPECT_EQ(loose->GetWindow(), nullptr);

  // Whatever the tree view kept goes with it: two controls from markup, one inside a kept node,
  // one handed in code.
  EXPECT_EQ(g_controls_deleted, 0);
  window.reset();
  EXPECT_EQ(g_controls_deleted, 4);
}

TEST(TreeViewTest, NodesBelongToTheTreeViewAndTheRootNodeFollowsIt) {
  ui::Window window;
  window.Init(nullptr);
  auto* outer = new ui::VBox();
  window.AttachRoot(outer);
  auto* tree = new TreeView();
  tree->SetAttribute(L"vscrollbar", L"true");
  auto* a = new Node(L"a");
  auto* a1 = new Node(L"a1");
  tree->GetRootNode()->AddChildNode(a);
  a->AddChildNode(a1);
  for (int i = 0; i < 20; ++i) tree->GetRootNode()->AddChildNode(new Node(L"n"));
  ASSERT_TRUE(outer->Add(tree));
  window.SetLayoutPending(true);
  window.ArrangeRoot(RECT{0, 0, 200, 100});

  // Attached (and attached again, as a window's root is), a node's box is the tree view, so what
  // it does not handle goes to the tree view: a page key scrolls it.
  tree->SetWindowAndParent(&window, outer, true);
  EXPECT_EQ(a1->GetParent(), tree);
  EXPECT_EQ(a->GetParent(), tree);
  EXPECT_EQ(tree->GetRootNode()->GetParent(), outer);
  EXPECT_EQ(tree->GetRootNode()->GetWindow(), &window);
  a1->SendEvent(ui::kEventKeyDown, VK_NEXT, 0, VK_NEXT);
  EXPECT_EQ(tree->GetScrollPos().cy, 100);

  // Let go of (not deleted): the root node leaves the window and the box with the tree view.
  outer->SetAutoDestroy(false);
  ASSERT_TRUE(outer->Remove(tree));
  EXPECT_EQ(tree->GetRootNode()->GetParent(), nullptr);
  EXPECT_EQ(tree->GetRootNode()->GetWindow(), nullptr);
  EXPECT_EQ(a1->GetParent(), tree);
  EXPECT_EQ(a1->GetWindow(), nullptr);
  delete tree;
}

}  // namespace
