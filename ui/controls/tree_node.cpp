#include "ui/controls/tree_node.h"

#include <algorithm>
#include <climits>

#include "ui/controls/tree_view.h"
#include "ui/core/window.h"

namespace ui {

namespace {

// A node that may join a tree: no box holds it, no list owns it, and it is not a window's root.
bool IsFree(const TreeNode* node) {
  if (node->GetParent() || node->IsInList()) return false;
  const Window* window = node->GetWindow();
  return !(window && window->GetRoot() == node);
}

}  // namespace

TreeNode::~TreeNode() {
  if (parent_node_) {
    auto& siblings = parent_node_->child_nodes_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  // The nodes below that no list owns are this node's: unlink all of them first and delete them
  // one by one, so a deep subtree does not go down the stack.
  std::vector<TreeNode*> owned;
  std::vector<TreeNode*> pending;
  pending.swap(child_nodes_);
  while (!pending.empty()) {
    TreeNode* node = pending.back();
    pending.pop_back();
    node->parent_node_ = nullptr;
    if (node->in_list_) continue;  // The list deletes it; it keeps its own children.
    pending.insert(pending.end(), node->child_nodes_.begin(), node->child_nodes_.end());
    node->child_nodes_.clear();
    owned.push_back(node);
  }
  for (TreeNode* node : owned) delete node;
}

// ---------------------------------------------------------------------------------------------
// Overrides

void TreeNode::SetWindowAndParent(Window* window, Box* parent, bool init) {
  // A child node in the list is attached by the list (with the tree view as its box); the others
  // belong to no box and only follow the window.
  for (size_t i = 0; i < child_nodes_.size(); ++i) {
    TreeNode* child = child_nodes_[i];
    if (!child->in_list_) child->SetWindowAndParent(window, nullptr, false);
  }
  ListContainerElement::SetWindowAndParent(window, parent, init);
}

bool TreeNode::IsVisible() const {
  if (!visible_ || !intern_visible_) return false;
  for (const TreeNode* node = parent_node_; node; node = node->parent_node_)
    if (!node->expanded_ || !node->visible_ || !node->intern_visible_) return false;
  return true;
}

void TreeNode::SetInternVisible(bool visible) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Control::SetInternVisible(visible);
  // Children may leave the list from focus handlers: walk it by index, re-reading its size.
  for (size_t i = 0; !alive.expired() && i < GetItems().size(); ++i)
    GetItems()[i]->SetInternVisible(visible_ && intern_visible_);
}

// ---------------------------------------------------------------------------------------------
// Expansion

bool TreeNode::OnItemExpand(const EventArgs& args) {
  TreeNode* node = dynamic_cast<TreeNode*>(args.sender);
  if (!node) node = this;
  node->SetExpand(!node->IsExpanded());
  return true;
}

void TreeNode::SetExpand(bool expand) {
  if (expanded_ == expand) return;
  expanded_ = expand;
  if (tree_view_) tree_view_->Arrange();
}

// ---------------------------------------------------------------------------------------------
// Links

TreeNode* TreeNode::GetChildNode(int index) const {
  if (index < 0 || index >= GetChildNodeCount()) return nullptr;
  return child_nodes_[index];
}

int TreeNode::GetChildNodeIndex(const TreeNode* node) const {
  const auto it = std::find(child_nodes_.begin(), child_nodes_.end(), node);
  return it == child_nodes_.end() ? -1 : static_cast<int>(it - child_nodes_.begin());
}

bool TreeNode::AddChildNode(TreeNode* node) { return AddChildNodeAt(node, GetChildNodeCount()); }

bool TreeNode::AddChildNodeAt(TreeNode* node, int index) {
  if (!node || node == this || index < 0 || index > GetChildNodeCount()) return false;
  if (node->parent_node_ || !IsFree(node)) return false;
  if (node->tree_view_ && node->tree_view_->GetRootNode() == node) return false;
  for (const TreeNode* above = this; above; above = above->parent_node_)
    if (above == node) return false;
  std::vector<TreeNode*> subtree;
  node->CollectSubtree(&subtree);
  for (const TreeNode* below : subtree)
    if (!IsFree(below)) return false;

  // Where the subtree goes in the list: before the node it is inserted before, else right after
  // this node's subtree.
  int position = 0;
  if (tree_view_) {
    position = index < GetChildNodeCount()
                   ? tree_view_->GetItemIndex(child_nodes_[index])
                   : tree_view_->GetItemIndex(LastDescendant()) + 1;
  }
  child_nodes_.insert(child_nodes_.begin() + index, node);
  node->parent_node_ = this;
  node->SetTreeLinks(tree_view_, depth_ + 1);
  if (!tree_view_) return true;

  TreeView* treeView = tree_view_;
  const std::weak_ptr<nbase::WeakFlag> viewAlive = treeView->GetWeakFlag();
  for (TreeNode* entering : subtree) {
    if (!treeView->InsertNode(entering, position++) || viewAlive.expired()) break;
  }
  return true;
}

bool TreeNode::RemoveChildNode(TreeNode* node) {
  const int index = GetChildNodeIndex(node);
  if (index < 0) return false;
  child_nodes_.erase(child_nodes_.begin() + index);
  node->parent_node_ = nullptr;

  // No links are left between the nodes that go, so each can be deleted on its own, in any order.
  std::vector<TreeNode*> subtree;
  node->CollectSubtree(&subtree);
  for (TreeNode* going : subtree) {
    going->child_nodes_.clear();
    going->parent_node_ = nullptr;
    going->tree_view_ = nullptr;
    going->depth_ = -1;
  }
  TreeView* treeView = tree_view_;
  const std::weak_ptr<nbase::WeakFlag> viewAlive =
      treeView ? treeView->GetWeakFlag() : std::weak_ptr<nbase::WeakFlag>();
  // From the bottom of the list up: the node that takes a removed node's place in the list (and
  // maybe its selection) is never one still to go.
  for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
    // A handler of a selection change may delete the tree view, and the rest of its list with it.
    if (treeView && viewAlive.expired()) break;
    TreeNode* going = *it;
    if (!going->in_list_) {
      delete going;
      continue;
    }
    going->in_list_ = false;
    if (treeView) treeView->ReleaseNode(going);
  }
  return true;
}

bool TreeNode::RemoveChildNodeAt(int index) { return RemoveChildNode(GetChildNode(index)); }

void TreeNode::RemoveAllChildNodes() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  while (!alive.expired() && !child_nodes_.empty()) RemoveChildNode(child_nodes_.back());
}

// ---------------------------------------------------------------------------------------------
// Private

void TreeNode::CollectSubtree(std::vector<TreeNode*>* nodes) {
  std::vector<TreeNode*> pending = {this};
  while (!pending.empty()) {
    TreeNode* node = pending.back();
    pending.pop_back();
    nodes->push_back(node);
    pending.insert(pending.end(), node->child_nodes_.rbegin(), node->child_nodes_.rend());
  }
}

TreeNode* TreeNode::LastDescendant() {
  TreeNode* node = this;
  while (!node->child_nodes_.empty()) node = node->child_nodes_.back();
  return node;
}

void TreeNode::SetTreeLinks(TreeView* treeView, int depth) {
  tree_view_ = treeView;
  depth_ = depth;
  std::vector<TreeNode*> pending = {this};
  while (!pending.empty()) {
    TreeNode* node = pending.back();
    pending.pop_back();
    for (TreeNode* child : node->child_nodes_) {
      child->tree_view_ = treeView;
      child->depth_ = node->depth_ + 1;
      pending.push_back(child);
    }
  }
}

void TreeNode::ApplyIndent(int indentStep) {
  const int64_t wanted = static_cast<int64_t>(std::max(depth_, 0)) * std::max(indentStep, 0);
  const int indent = static_cast<int>(std::min<int64_t>(wanted, INT_MAX / 4));
  if (indent == applied_indent_) return;
  RECT margin = GetMargin();
  margin.left += indent - applied_indent_;
  applied_indent_ = indent;
  SetMargin(margin, false);
}

}  // namespace ui
