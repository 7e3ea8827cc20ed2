// StateColorMap: a colour name for each control state, and how a control paints them.
//
//   colors.SetStateColor(ui::kControlStateNormal, L"bk_normal");
//   colors.SetStateColor(ui::kControlStateHot, L"bk_hover");
//   colors.PaintStateColor(context, paintRect, control->GetState());
//
// A state without a colour falls back: pushed to hot, hot to normal, disabled to normal. While the
// owner control has a hot fade (a hot-alpha player) and a hot colour, normal and hot are painted
// as the normal colour with the hot colour over it at the owner's hot alpha, so the hot look fades
// in and out. Colour names are looked up in the global colour table when painting.
//
// Thread affinity: the owner control's thread.
#ifndef UI_CORE_STATE_COLOR_MAP_H_
#define UI_CORE_STATE_COLOR_MAP_H_

#include <windows.h>

#include <array>
#include <string>

#include "ui/core/control_types.h"

namespace ui {

class Control;
class IRenderContext;

class StateColorMap {
 public:
  // The control whose hot fade and hot alpha the painting follows (may stay null).
  void SetControl(Control* control) { control_ = control; }

  // Empty when the state has no colour.
  std::wstring GetStateColor(ControlStateType state) const;
  void SetStateColor(ControlStateType state, const std::wstring& colorName);
  bool HasHotColor() const { return !colors_[kControlStateHot].empty(); }
  // The colour name painted for state, after the fallbacks.
  std::wstring ResolveStateColor(ControlStateType state) const;

  // Fills rect with the colour of state (see above).
  void PaintStateColor(IRenderContext* context, const RECT& rect, ControlStateType state) const;

 private:
  Control* control_ = nullptr;  // Not owned.
  std::array<std::wstring, kControlStateCount> colors_;
};

}  // namespace ui

#endif  // UI_CORE_STATE_COLOR_MAP_H_
