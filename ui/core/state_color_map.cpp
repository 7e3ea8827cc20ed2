#include "ui/core/state_color_map.h"

#include "ui/core/control.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

bool IsValidState(ControlStateType state) {
  return state >= 0 && state < kControlStateCount;
}

}  // namespace

std::wstring StateColorMap::GetStateColor(ControlStateType state) const {
  return IsValidState(state) ? colors_[state] : std::wstring();
}

void StateColorMap::SetStateColor(ControlStateType state, const std::wstring& colorName) {
  if (IsValidState(state)) colors_[state] = colorName;
}

std::wstring StateColorMap::ResolveStateColor(ControlStateType state) const {
  if (!IsValidState(state)) return std::wstring();
  if (state == kControlStatePushed && colors_[state].empty()) state = kControlStateHot;
  if (state == kControlStateHot && colors_[state].empty()) state = kControlStateNormal;
  if (state == kControlStateDisabled && colors_[state].empty()) state = kControlStateNormal;
  return colors_[state];
}

void StateColorMap::PaintStateColor(IRenderContext* context, const RECT& rect,
                                    ControlStateType state) const {
  if (!context) return;
  const bool hotFade = control_ &&
                       control_->GetAnimationManager().GetAnimationPlayer(kAnimationHot) &&
                       (state == kControlStateNormal || state == kControlStateHot);
  if (hotFade && HasHotColor()) {
    context->FillRect(rect, colors_[kControlStateNormal], 255);
    const int hotAlpha = control_->GetHotAlpha();
    if (hotAlpha >= 1)
      context->FillRect(rect, colors_[kControlStateHot], static_cast<BYTE>(hotAlpha & 0xFF));
    return;
  }
  context->FillRect(rect, ResolveStateColor(state), 255);
}

}  // namespace ui
