// TreeView: a list box of ui::TreeNode items that shows them as a tree.
//
// The tree view owns a root node, which is never shown: its child nodes are the top-level nodes.
// Nodes enter the tree (and the list, in tree order, below their parent's subtree) through the
// node links, never through the box operations: Add, AddAt, Remove, RemoveAt and RemoveAll leave
// the list as it is. A control handed to Add or AddAt (as the window builder hands a markup child
// of a "TreeView" element) is kept by the tree view, never shown, and deleted with it. Selection,
// keys, wheel and scrolling are the list box's; nodes under a collapsed node are skipped by all
// of them, as they are by the layout.
//
//   auto* tree = new ui::TreeView();                    // markup: <TreeView indent="16"/>
//   tree->SetAttribute(L"vscrollbar", L"true");
//   auto* node = new ui::TreeNode();
//   node->SetText(L"Devices");
//   node->SetFixedHeight(24);
//   tree->GetRootNode()->AddChildNode(node);
//
// Markup attributes: "indent" (pixels a depth step indents a node, not DPI-scaled) and
// "scrollselect"; everything else is the scrollable box's.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_TREE_VIEW_H_
#define UI_CONTROLS_TREE_VIEW_H_

#include <memory>
#include <string>
#include <vector>

#include "ui/controls/list_box.h"
#include "ui/controls/tree_node.h"

namespace ui {

class TreeView : public ListBox {
 public:
  // Made with a ui::VLayout, together with its root node.
  TreeView();
  // The root node and the kept controls go first, then the list with the nodes.
  ~TreeView() override;

  // ----- Overrides -----------------------------------------------------------------------------
  // The bars and the list's nodes get (window, this tree view), then the tree view is attached;
  // the root node follows the tree view's window and parent, and is detached with it.
  void SetWindowAndParent(Window* window, Box* parent, bool init) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Keep the list as it is and return true. Add and AddAt keep a control that nobody owns until
  // the tree view goes (see the header).
  bool Add(Control* control) override;
  bool AddAt(Control* control, int index) override;
  bool Remove(Control* control) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;

  // ----- Tree ----------------------------------------------------------------------------------
  // Never null; owned by the tree view.
  TreeNode* GetRootNode() const { return root_node_.get(); }
  int GetIndent() const { return indent_; }
  // Pixels per depth step; the nodes in the list are indented again.
  void SetIndent(int indent);

 private:
  friend class TreeNode;

  // The list operations the nodes use; the box operations above leave the list alone.
  bool InsertNode(TreeNode* node, int index);
  bool ReleaseNode(TreeNode* node);

  int indent_ = 0;
  std::unique_ptr<TreeNode> root_node_;
  // Controls handed to Add or AddAt: detached, never shown, deleted with the tree view.
  std::vector<std::unique_ptr<Control>> kept_controls_;
};

}  // namespace ui

#endif  // UI_CONTROLS_TREE_VIEW_H_
