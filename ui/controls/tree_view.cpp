#include "ui/controls/tree_view.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/stack_layout.h"
#include "ui/core/window.h"

namespace ui {

TreeView::TreeView() : ListBox(new VLayout()), root_node_(std::make_unique<TreeNode>()) {
  root_node_->tree_view_ = this;
}

TreeView::~TreeView() {
  // The root node unlinks the top-level nodes, which stay in the list and go with it.
  root_node_.reset();
  kept_controls_.clear();
}

// ---------------------------------------------------------------------------------------------
// Overrides

void TreeView::SetWindowAndParent(Window* window, Box* parent, bool init) {
  ListBox::SetWindowAndParent(window, parent, init);
  // The root node never keeps a window or a box the tree view has left.
  if (parent)
    root_node_->SetWindowAndParent(window, parent, init);
  else
    root_node_->SetWindowAndParent(window, nullptr, false);
}

void TreeView::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"indent")
    SetIndent(static_cast<int>(std::wcstol(value.c_str(), nullptr, 10)));
  else if (name == L"scrollselect")
    SetScrollSelect(value == L"true");
  else
    ScrollableBox::SetAttribute(name, value);
}

bool TreeView::Add(Control* control) { return AddAt(control, GetCount()); }

bool TreeView::AddAt(Control* control, int /*index*/) {
  if (!control || control->GetParent()) return true;  // Nobody's to keep, or somebody else's.
  if (control->GetWindow() && control->GetWindow()->GetRoot() == control) return true;
  for (const Control* above = this; above; above = above->GetParent())
    if (above == control) return true;
  // Kept with this tree view as its box, so no other box takes it, but outside the list and
  // every window.
  control->SetWindowAndParent(nullptr, this, false);
  kept_controls_.emplace_back(control);
  return true;
}

bool TreeView::Remove(Control* /*control*/) { return true; }

bool TreeView::RemoveAt(int /*index*/) { return true; }

void TreeView::RemoveAll() {}

// ---------------------------------------------------------------------------------------------
// Tree

void TreeView::SetIndent(int indent) {
  indent_ = indent;
  for (int i = 0; i < GetCount(); ++i)
    if (auto* node = dynamic_cast<TreeNode*>(GetItemAt(i))) node->ApplyIndent(indent_);
}

bool TreeView::InsertNode(TreeNode* node, int index) {
  if (!ListBox::AddAt(node, std::clamp(index, 0, GetCount()))) return false;
  node->in_list_ = true;
  node->ApplyIndent(indent_);
  return true;
}

bool TreeView::ReleaseNode(TreeNode* node) {
  // Without auto-destroy the list only lets the node go; it is deleted here all the same.
  const bool listDeletes = IsAutoDestroy();
  const int index = GetItemIndex(node);
  if (index < 0 || !ListBox::RemoveAt(index)) return false;
  if (!listDeletes) delete node;
  return true;
}

}  // namespace ui
