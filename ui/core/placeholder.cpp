#include "ui/core/placeholder.h"

#include "ui/core/box.h"
#include "ui/core/control.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/string_helper.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

int ScaleIfPositive(int value) {
  return value > 0 ? DpiManager::GetInstance()->ScaleInt(value) : value;
}

}  // namespace

PlaceHolder::~PlaceHolder() = default;

std::string PlaceHolder::GetUTF8Name() const {
  std::string utf8;
  StringHelper::WideToUtf8(name_, &utf8);
  return utf8;
}

void PlaceHolder::SetName(const std::wstring& name) {
  if (name == name_) return;
  const std::wstring old = name_;
  name_ = name;
  // Only a control of the tree is in the window's name index; one still being built joins it
  // with the name it has when it is added.
  if (window_ && (parent_ || window_->GetRoot() == this))
    window_->RenameControl(static_cast<Control*>(this), old);
}

void PlaceHolder::SetWindowAndParent(Window* window, Box* parent, bool init) {
  window_ = window;
  parent_ = parent;
  if (init && parent) Init();
}

void PlaceHolder::Init() { DoInit(); }

void PlaceHolder::SetFixedWidth(int width, bool arrange, bool dpiScale) {
  if (width < kSizeAuto) return;
  if (dpiScale) width = ScaleIfPositive(width);
  if (width == fixed_width_) return;
  fixed_width_ = width;
  if (arrange)
    ArrangeAncestor();
  else
    need_estimate_ = true;
}

void PlaceHolder::SetFixedHeight(int height, bool dpiScale) {
  if (height < kSizeAuto) return;
  if (dpiScale) height = ScaleIfPositive(height);
  if (height == fixed_height_) return;
  fixed_height_ = height;
  ArrangeAncestor();
}

void PlaceHolder::SetMinWidth(int width) {
  if (width < 0) return;
  width = ScaleIfPositive(width);
  if (width == min_width_) return;
  min_width_ = width;
  if (float_)
    Arrange();
  else
    ArrangeAncestor();
}

void PlaceHolder::SetMinHeight(int height) {
  if (height < 0) return;
  height = ScaleIfPositive(height);
  if (height == min_height_) return;
  min_height_ = height;
  if (float_)
    Arrange();
  else
    ArrangeAncestor();
}

void PlaceHolder::SetMaxWidth(int width) {
  width = ScaleIfPositive(width);
  if (width == max_width_) return;
  max_width_ = width;
  if (float_)
    Arrange();
  else
    ArrangeAncestor();
}

void PlaceHolder::SetMaxHeight(int height) {
  height = ScaleIfPositive(height);
  if (height == max_height_) return;
  max_height_ = height;
  if (float_)
    Arrange();
  else
    ArrangeAncestor();
}

void PlaceHolder::SetFloat(bool isFloat) {
  if (float_ == isFloat) return;
  float_ = isFloat;
  ArrangeAncestor();
}

SIZE PlaceHolder::EstimateSize(SIZE /*available*/) { return SIZE{fixed_width_, fixed_height_}; }

RECT PlaceHolder::GetPos(bool withShadow) const {
  RECT pos = rect_;
  if (!withShadow && window_ && window_->IsShadowAttached()) {
    const RECT shadow = window_->GetShadowCorner();
    ::OffsetRect(&pos, -shadow.left, -shadow.top);
  }
  return pos;
}

void PlaceHolder::SetPos(RECT rect) {
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  rect_ = rect;
  need_arrange_ = false;
}

void PlaceHolder::Arrange() {
  if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto)
    ArrangeAncestor();
  else
    ArrangeSelf();
}

void PlaceHolder::ArrangeAncestor() {
  need_estimate_ = true;
  Control* root = window_ ? window_->GetRoot() : nullptr;
  if (!root) {
    if (parent_)
      parent_->ArrangeSelf();
    else
      ArrangeSelf();
    return;
  }
  // An ancestor whose size comes from its children must be measured again too; the first one
  // whose size does not depend on them can arrange its subtree on its own.
  Box* ancestor = parent_;
  while (ancestor && (ancestor->GetFixedWidth() == kSizeAuto ||
                      ancestor->GetFixedHeight() == kSizeAuto)) {
    ancestor->SetNeedEstimate(true);
    ancestor = ancestor->GetParent();
  }
  if (ancestor)
    ancestor->ArrangeSelf();
  else
    root->ArrangeSelf();
}

void PlaceHolder::ArrangeSelf() {
  if (!IsVisible()) return;
  need_estimate_ = true;
  need_arrange_ = true;
  Invalidate();
  if (window_) window_->SetLayoutPending(true);
}

void PlaceHolder::Invalidate() {
  if (!IsVisible()) return;
  cache_dirty_ = true;
  if (!window_) return;
  window_->Invalidate(ToWindowRect(GetPos(true)));
}

SIZE PlaceHolder::GetScrollOffset() const {
  SIZE total = {0, 0};
  const PlaceHolder* child = this;
  for (const Box* box = parent_; box; child = box, box = box->GetParent()) {
    const SIZE shift = box->GetChildScrollOffset(child);
    total.cx += shift.cx;
    total.cy += shift.cy;
  }
  return total;
}

RECT PlaceHolder::ToWindowRect(RECT rect) const {
  const SIZE scroll = GetScrollOffset();
  ::OffsetRect(&rect, -scroll.cx, -scroll.cy);
  return rect;
}

}  // namespace ui
