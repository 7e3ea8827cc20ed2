// TreeNode: one node of a ui::TreeView, a list item with a parent node and child nodes.
//
// A node is a list item (ui::ListContainerElement), so it is selected, focused and clicked as one.
// Its place in the tree is given by links: its parent node, its ordered child nodes, its depth
// (0 below the tree view's root node) and its tree view. A node is shown only while every node
// above it is expanded and shown, so collapsing a node hides its whole subtree from the layout,
// the paint and the mouse, and expanding it brings back what was expanded below.
//
//   auto* fruit = new ui::TreeNode();
//   fruit->SetText(L"Fruit");
//   fruit->SetFixedHeight(24);
//   tree->GetRootNode()->AddChildNode(fruit);   // a top-level node, in the tree view's list
//   auto* apple = new ui::TreeNode();
//   apple->SetText(L"Apple");
//   fruit->AddChildNode(apple);                 // right below fruit, indented by one step
//   fruit->AttachClick([fruit](const ui::EventArgs& args) { return fruit->OnItemExpand(args); });
//
// Ownership: a node in a tree view is owned by the tree view's list, like any list item; removing
// it (RemoveChildNode) deletes it with its descendants. A node linked below a node that is in no
// tree view yet is owned by that parent node, and enters the tree view's list with it. Deleting a
// node directly unlinks it from its parent and its children, so no node keeps a pointer to a node
// that is gone.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_TREE_NODE_H_
#define UI_CONTROLS_TREE_NODE_H_

#include <vector>

#include "ui/controls/list_container_element.h"

namespace ui {

class TreeView;

class TreeNode : public ListContainerElement {
 public:
  TreeNode() = default;
  // Unlinks this node from its parent node and its child nodes; the child nodes that no list owns
  // are deleted with it.
  ~TreeNode() override;

  // ----- Overrides -----------------------------------------------------------------------------
  // The child nodes that are in no list follow this node's window (they have no box yet); then the
  // option box's own attachment (its children, then this node).
  void SetWindowAndParent(Window* window, Box* parent, bool init) override;
  // Its own flags, and every parent node expanded and visible.
  bool IsVisible() const override;
  // The control's own part, then the box children get the node's own flags (not the expansion of
  // the nodes above). Does not re-arrange.
  void SetInternVisible(bool visible) override;

  // ----- Expansion -----------------------------------------------------------------------------
  // An event handler that toggles the expansion of the event's sender when that is a tree node,
  // else of this node (a button inside the node may carry it), and re-arranges the tree view.
  // Returns true so later handlers still run.
  virtual bool OnItemExpand(const EventArgs& args);
  bool IsExpanded() const { return expanded_; }
  // Expands or collapses, and re-arranges the tree view when it changed.
  void SetExpand(bool expand);

  // ----- Links ---------------------------------------------------------------------------------
  TreeView* GetTreeView() const { return tree_view_; }
  TreeNode* GetParentNode() const { return parent_node_; }
  // -1 for the root node and for a node not linked yet; 0 for a top-level node.
  int GetDepth() const { return depth_; }
  int GetChildNodeCount() const { return static_cast<int>(child_nodes_.size()); }
  // Null when index is out of range.
  TreeNode* GetChildNode(int index) const;
  // -1 when node is not a child node of this one.
  int GetChildNodeIndex(const TreeNode* node) const;
  // Whether the tree view's list holds (and owns) this node.
  bool IsInList() const { return in_list_; }

  // Links node (with the nodes below it) as child node index (0 to the count): its depth and tree
  // view follow this node's, and when this node belongs to a tree view the whole subtree enters
  // its list right where it belongs in the tree, indented by depth times the tree view's indent.
  // Refused (false, nothing changed): null, this node, a node that is already linked or in a box,
  // an ancestor of this node (the tree would become a loop), a tree view's root node, an index out
  // of range.
  bool AddChildNode(TreeNode* node);
  bool AddChildNodeAt(TreeNode* node, int index);
  // Unlinks the child node and deletes it with every node below it (through the tree view's list
  // when they are in one). False for a node that is not a child node of this one.
  bool RemoveChildNode(TreeNode* node);
  bool RemoveChildNodeAt(int index);
  void RemoveAllChildNodes();

 private:
  friend class TreeView;

  // The node and every node below it, parents before children (the order of the list).
  void CollectSubtree(std::vector<TreeNode*>* nodes);
  // The last node of this node's subtree in tree order (this node without children).
  TreeNode* LastDescendant();
  // Sets tree view and depth for this node and every node below it.
  void SetTreeLinks(TreeView* treeView, int depth);
  // The left margin that indents this node: the indent step times the depth (never below 0), in
  // place of the one it had.
  void ApplyIndent(int indentStep);

  int depth_ = -1;
  bool expanded_ = true;
  bool in_list_ = false;
  int applied_indent_ = 0;
  TreeView* tree_view_ = nullptr;   // Not owned.
  TreeNode* parent_node_ = nullptr;  // Not owned.
  // Not owned while in a tree view's list (the list owns them); owned otherwise.
  std::vector<TreeNode*> child_nodes_;
};

}  // namespace ui

#endif  // UI_CONTROLS_TREE_NODE_H_
