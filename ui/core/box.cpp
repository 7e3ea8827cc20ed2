#include "ui/core/box.h"

#include <algorithm>

#include "ui/controls/list_container_element.h"
#include "ui/core/stack_layout.h"
#include "ui/core/tile_layout.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace ui {

Box::Box(Layout* layout) : layout_(layout ? layout : new Layout()) { layout_->SetOwner(this); }

Box::~Box() {
  // Children go now, not after the current message: their box is going.
  delayed_destroy_ = false;
  std::vector<Control*> children;
  children.swap(items_);
  ++child_list_version_;
  for (Control* child : children) ReleaseChild(child);
}

// ---------------------------------------------------------------------------------------------
// Overrides

void Box::SetWindowAndParent(Window* window, Box* parent, bool init) {
  for (Control* child : items_) child->SetWindowAndParent(window, this, init);
  Control::SetWindowAndParent(window, parent, init);
}

SIZE Box::EstimateSize(SIZE available) {
  SIZE size = {fixed_width_, fixed_height_};
  if (size.cx != kSizeAuto && size.cy != kSizeAuto) return size;
  if (!need_estimate_) return GetEstimatedSize();

  const RECT padding = layout_->GetPadding();
  available.cx -= padding.left + padding.right;
  available.cy -= padding.top + padding.bottom;
  const SIZE children = layout_->EstimateSizeByChildren(items_, available);
  if (size.cx == kSizeAuto) size.cx = children.cx;
  if (size.cy == kSizeAuto) size.cy = children.cy;
  SetEstimatedSize(size);

  // A child that sizes itself and has not been measured yet keeps this box measuring again.
  need_estimate_ = false;
  for (const Control* child : items_) {
    if (!child->IsVisible()) continue;
    const bool autoSized =
        child->GetFixedWidth() == kSizeAuto || child->GetFixedHeight() == kSizeAuto;
    if (autoSized && child->IsNeedEstimate()) {
      need_estimate_ = true;
      break;
    }
  }
  return size;
}

void Box::SetPos(RECT rect) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Control::SetPos(rect);
  if (alive.expired() || items_.empty()) return;
  const RECT padding = layout_->GetPadding();
  RECT inner = rect_;
  inner.left += padding.left;
  inner.top += padding.top;
  inner.right -= padding.right;
  inner.bottom -= padding.bottom;
  // The layout works on a copy: a child's handler may change the list while it is placed.
  const std::vector<Control*> children = items_;
  layout_->ArrangeChildren(children, inner);
}

void Box::SetInternVisible(bool visible) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Control::SetInternVisible(visible);
  // Children may leave the list from focus handlers: walk it by index, re-reading its size.
  for (size_t i = 0; i < items_.size() && !alive.expired(); ++i)
    items_[i]->SetInternVisible(IsVisible());
}

void Box::SetVisible(bool visible) {
  if (visible_ == visible) return;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Control::SetVisible(visible);
  for (size_t i = 0; i < items_.size() && !alive.expired(); ++i)
    items_[i]->SetInternVisible(IsVisible());
}

void Box::SetEnabled(bool enabled) {
  if (IsEnabled() == enabled) return;
  Control::SetEnabled(enabled);
  if (items_.empty()) return;
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->SetEnabled(enabled);
  Invalidate();
}

Control* Box::FindControl(FindControlProc proc, void* data, UINT flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  const bool hitTest = (flags & kFindHitTest) != 0;
  if (hitTest) {
    if (!data || !::PtInRect(&rect_, *static_cast<const POINT*>(data))) return nullptr;
    if (!mouse_child_enabled_) return Control::FindControl(proc, data, flags);
  }

  if (flags & kFindMeFirst) {
    if (Control* self = Control::FindControl(proc, data, flags)) return self;
  }

  const RECT inner = GetPaddingPos();
  const int count = static_cast<int>(items_.size());
  const bool topFirst = (flags & kFindTopFirst) != 0;
  for (int n = 0; n < count; ++n) {
    Control* child = items_[topFirst ? count - 1 - n : n];
    // A child is hit-tested at the point in its own coordinates.
    POINT shifted = {0, 0};
    void* childData = data;
    if (hitTest) {
      const SIZE shift = GetChildScrollOffset(child);
      shifted = *static_cast<const POINT*>(data);
      shifted.x += shift.cx;
      shifted.y += shift.cy;
      childData = &shifted;
    }
    Control* found = child->FindControl(proc, childData, flags);
    if (!found) continue;
    if (!hitTest || found->IsFloat()) return found;
    // A hit on a child counts only where the padding lets the children show.
    if (::PtInRect(&inner, *static_cast<const POINT*>(data))) return found;
  }

  if (flags & kFindMeFirst) return nullptr;
  return Control::FindControl(proc, data, flags);
}

void Box::DispatchEvent(const EventArgs& args) {
  if (args.type < kEventFirstPublic) {
    HandleEvent(args);
    return;
  }
  const bool own = args.sender == this && !(code_events_.empty() && markup_events_.empty());
  if (!own && code_bubbled_events_.empty() && markup_bubbled_events_.empty()) {
    HandleEvent(args);  // No handler to run first (the common case).
    return;
  }
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (own) {
    if (!InvokeEventStage(code_events_, args, alive) || alive.expired()) return;
    if (!InvokeEventStage(markup_events_, args, alive) || alive.expired()) return;
  }
  if (!InvokeEventStage(code_bubbled_events_, args, alive) || alive.expired()) return;
  if (!InvokeEventStage(markup_bubbled_events_, args, alive) || alive.expired()) return;
  HandleEvent(args);
}

void Box::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (layout_->SetAttribute(name, value)) return;
  if (name == L"mousechild")
    SetMouseChildEnabled(value == L"true");
  else
    Control::SetAttribute(name, value);
}

void Box::PaintChildren(IRenderContext* context, const RECT& area) {
  RECT visible;
  if (!::IntersectRect(&visible, &area, &rect_)) return;
  for (Control* child : items_)
    if (child->IsVisible()) child->PaintWithClip(context, area);
}

void Box::LoadBkImage() {
  Control::LoadBkImage();
  for (Control* child : items_) child->LoadBkImage();
}

void Box::UnloadBkImage() {
  Control::UnloadBkImage();
  for (Control* child : items_) child->UnloadBkImage();
}

void Box::ClearImageCache() {
  Control::ClearImageCache();
  for (Control* child : items_) child->ClearImageCache();
}

// ---------------------------------------------------------------------------------------------
// Children

int Box::FindSelectable(int index, bool forward) const {
  const int count = static_cast<int>(items_.size());
  if (count == 0) return -1;
  const auto selectable = [this](int i) {
    const auto* item = dynamic_cast<const ListContainerElement*>(items_[i]);
    return item && item->IsVisible() && item->IsEnabled();
  };
  const int start = std::clamp(index, 0, count - 1);
  if (!forward) {
    for (int i = start; i >= 0; --i)
      if (selectable(i)) return i;
    return FindSelectable(0, true);
  }
  for (int i = start; i < count; ++i)
    if (selectable(i)) return i;
  return -1;
}

Control* Box::GetItemAt(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  return items_[index];
}

int Box::GetItemIndex(Control* control) const {
  const auto it = std::find(items_.begin(), items_.end(), control);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool Box::SetItemIndex(Control* control, int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return false;
  const auto it = std::find(items_.begin(), items_.end(), control);
  if (it == items_.end()) return false;
  Arrange();
  items_.erase(it);
  items_.insert(items_.begin() + index, control);
  ++child_list_version_;
  return true;
}

bool Box::Add(Control* control) { return AddAt(control, static_cast<int>(items_.size())); }

bool Box::AddAt(Control* control, int index) {
  if (!control || index < 0 || index > static_cast<int>(items_.size())) return false;
  // One owner only: not a child of another box, not a window's root, and not this box or one of
  // its ancestors (the tree would become a loop).
  if (control->GetParent()) return false;
  if (control->GetWindow() && control->GetWindow()->GetRoot() == control) return false;
  for (const Control* ancestor = this; ancestor; ancestor = ancestor->GetParent())
    if (ancestor == control) return false;

  if (window_) {
    control->SetWindowAndParent(window_, this, true);
    window_->InitControls(control);
  } else {
    control->SetWindowAndParent(nullptr, this, false);
  }
  // The control takes this box's visibility (one let go by a hidden box shows again here).
  if (IsVisible()) {
    if (!control->IsInternVisible()) control->SetInternVisible(true);
    Arrange();
  } else {
    control->SetInternVisible(false);
  }
  items_.insert(items_.begin() + index, control);
  ++child_list_version_;
  return true;
}

bool Box::Remove(Control* control) {
  const auto it = std::find(items_.begin(), items_.end(), control);
  if (it == items_.end()) return false;
  items_.erase(it);
  ++child_list_version_;
  Arrange();
  ReleaseChild(control);
  return true;
}

bool Box::RemoveAt(int index) {
  Control* control = GetItemAt(index);
  return control && Remove(control);
}

void Box::RemoveAll() {
  std::vector<Control*> children;
  children.swap(items_);
  ++child_list_version_;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  for (Control* child : children) ReleaseChild(child);
  if (!alive.expired()) Arrange();
}

bool Box::SetLayout(Layout* layout) {
  if (!layout) return false;
  if (layout == layout_.get()) return true;
  layout_.reset(layout);
  layout_->SetOwner(this);
  return true;
}

RECT Box::GetPaddingPos() const {
  RECT pos = GetPos(true);
  const RECT padding = layout_->GetPadding();
  pos.left += padding.left;
  pos.top += padding.top;
  pos.right -= padding.right;
  pos.bottom -= padding.bottom;
  return pos;
}

void Box::AttachBubbledEvent(int type, EventCallback callback) {
  AddEventCallback(&code_bubbled_events_, type, std::move(callback));
}

void Box::AttachMarkupBubbledEvent(int type, EventCallback callback) {
  AddEventCallback(&markup_bubbled_events_, type, std::move(callback));
}

void Box::ForgetChild(Control* child) {
  const auto it = std::find(items_.begin(), items_.end(), child);
  if (it == items_.end()) return;
  const int index = static_cast<int>(it - items_.begin());
  items_.erase(it);
  ++child_list_version_;
  OnChildDeleted(index);
}

void Box::ReleaseChild(Control* child) {
  if (!auto_destroy_) {
    if (window_) window_->ForgetControls(child);
    child->SetWindowAndParent(nullptr, nullptr, false);
    return;
  }
  if (delayed_destroy_ && window_) {
    window_->AddDelayedCleanup(child);
    return;
  }
  child->parent_ = nullptr;  // Off the list already: its destructor need not look.
  delete child;
}

// ---------------------------------------------------------------------------------------------
// Typed boxes

HBox::HBox() : Box(new HLayout()) {}
VBox::VBox() : Box(new VLayout()) {}
TileBox::TileBox() : Box(new TileLayout()) {}

}  // namespace ui
