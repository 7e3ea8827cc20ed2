// ui::Control: markup attributes, attribute lists and classes, and the setters of the look.
#include "ui/core/control.h"

#include <cwchar>

#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/number_list.h"
#include "ui/core/string_helper.h"
#include "ui/core/window.h"

namespace ui {

namespace {

// Classes may name further classes; a chain deeper than this (a class naming itself, directly or
// through others) is cut off instead of recursing until the stack runs out.
constexpr int kMaxClassNesting = 16;
thread_local int t_class_nesting = 0;

bool IsTrue(const std::wstring& value) { return value == L"true"; }

// The leading decimal digits (after blanks and a sign); no digits read 0.
int ToInt(const std::wstring& value) {
  return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

// "stretch", "auto" or a number.
int ToSize(const std::wstring& value) {
  if (value == L"stretch") return kSizeStretch;
  if (value == L"auto") return kSizeAuto;
  return ToInt(value);
}

bool ToState(const std::wstring& value, ControlStateType* state) {
  if (value == L"normal") *state = kControlStateNormal;
  else if (value == L"hot") *state = kControlStateHot;
  else if (value == L"pushed") *state = kControlStatePushed;
  else if (value == L"disabled") *state = kControlStateDisabled;
  else return false;
  return true;
}

Control* MatchName(Control* control, void* name) {
  return control->GetName() == *static_cast<const std::wstring*>(name) ? control : nullptr;
}

}  // namespace

void Control::SetAttribute(const std::wstring& name, const std::wstring& value) {
  DpiManager* dpi = DpiManager::GetInstance();
  ControlStateType state = kControlStateNormal;
  if (name == L"class") {
    SetClass(value);
  } else if (name == L"halign") {
    if (value == L"left") SetHorAlignType(kHorAlignLeft);
    else if (value == L"center") SetHorAlignType(kHorAlignCenter);
    else if (value == L"right") SetHorAlignType(kHorAlignRight);
  } else if (name == L"valign") {
    if (value == L"top") SetVerAlignType(kVerAlignTop);
    else if (value == L"center") SetVerAlignType(kVerAlignCenter);
    else if (value == L"bottom") SetVerAlignType(kVerAlignBottom);
  } else if (name == L"margin") {
    SetMargin(ReadRect(value.c_str()), true);
  } else if (name == L"bkcolor" || name == L"bkcolor1") {
    size_t first = 0;
    while (first < value.size() && value[first] <= L' ') ++first;
    SetBkColor(value.substr(first));
  } else if (name == L"bordersize") {
    if (value.find(L',') == std::wstring::npos) {
      SetBorderSize(dpi->ScaleInt(ToInt(value)));
      border_sizes_ = RECT{0, 0, 0, 0};
    } else {
      RECT sizes = ReadRect(value.c_str());
      dpi->ScaleRect(sizes);
      border_sizes_ = sizes;
    }
    Invalidate();
  } else if (name == L"borderround") {
    SetBorderRound(ReadSize(value.c_str()));
  } else if (name == L"width") {
    SetFixedWidth(ToSize(value), true, true);
  } else if (name == L"height") {
    SetFixedHeight(ToSize(value), true);
  } else if (name == L"maxwidth") {
    SetMaxWidth(ToSize(value));
  } else if (name == L"maxheight") {
    SetMaxHeight(ToSize(value));
  } else if (name == L"minwidth") {
    SetMinWidth(ToInt(value));
  } else if (name == L"minheight") {
    SetMinHeight(ToInt(value));
  } else if (name == L"state") {
    if (ToState(value, &state)) SetState(state);
  } else if (name == L"cursortype") {
    if (value == L"arrow") SetCursorType(kCursorArrow);
    else if (value == L"hand") SetCursorType(kCursorHand);
    else if (value == L"ibeam") SetCursorType(kCursorIBeam);
  } else if (name == L"renderoffset") {
    POINT offset = ReadPoint(value.c_str());
    dpi->ScalePoint(offset);
    SetRenderOffset(offset);
  } else if (name == L"normalcolor") {
    SetStateColor(kControlStateNormal, value);
  } else if (name == L"hotcolor") {
    SetStateColor(kControlStateHot, value);
  } else if (name == L"pushedcolor") {
    SetStateColor(kControlStatePushed, value);
  } else if (name == L"disabledcolor") {
    SetStateColor(kControlStateDisabled, value);
  } else if (name == L"bordercolor") {
    SetBorderColor(value);
  } else if (name == L"leftbordersize") {
    border_sizes_.left = dpi->ScaleInt(ToInt(value));
    Invalidate();
  } else if (name == L"topbordersize") {
    border_sizes_.top = dpi->ScaleInt(ToInt(value));
    Invalidate();
  } else if (name == L"rightbordersize") {
    border_sizes_.right = dpi->ScaleInt(ToInt(value));
    Invalidate();
  } else if (name == L"bottombordersize") {
    border_sizes_.bottom = dpi->ScaleInt(ToInt(value));
    Invalidate();
  } else if (name == L"bkimage") {
    SetBkImage(value);
  } else if (name == L"name") {
    SetName(value);
  } else if (name == L"tooltiptext") {
    SetToolTipText(value);
  } else if (name == L"tooltiptextid") {
    SetToolTipTextId(value);
  } else if (name == L"dataid") {
    SetDataId(value);
  } else if (name == L"enabled") {
    SetEnabled(IsTrue(value));
  } else if (name == L"mouse") {
    SetMouseEnabled(IsTrue(value));
  } else if (name == L"keyboard") {
    SetKeyboardEnabled(IsTrue(value));
  } else if (name == L"visible") {
    SetVisible(IsTrue(value));
  } else if (name == L"fadevisible") {
    SetFadeVisible(IsTrue(value));
  } else if (name == L"float") {
    SetFloat(IsTrue(value));
  } else if (name == L"menu") {
    SetContextMenuUsed(IsTrue(value));
  } else if (name == L"cache") {
    SetUseCache(IsTrue(value));
  } else if (name == L"nofocus") {
    SetNoFocus();  // Whatever the value.
  } else if (name == L"alpha") {
    SetAlpha(ToInt(value));
  } else if (name == L"normalimage") {
    SetStateImage(kControlStateNormal, value);
  } else if (name == L"hotimage") {
    SetStateImage(kControlStateHot, value);
  } else if (name == L"pushedimage") {
    SetStateImage(kControlStatePushed, value);
  } else if (name == L"disabledimage") {
    SetStateImage(kControlStateDisabled, value);
  } else if (name == L"forenormalimage") {
    SetForeStateImage(kControlStateNormal, value);
  } else if (name == L"forehotimage") {
    SetForeStateImage(kControlStateHot, value);
  } else if (name == L"forepushedimage") {
    SetForeStateImage(kControlStatePushed, value);
  } else if (name == L"foredisabledimage") {
    SetForeStateImage(kControlStateDisabled, value);
  } else if (name == L"fadealpha") {
    animation_manager_.SetFadeAlpha(IsTrue(value));
  } else if (name == L"fadehot") {
    animation_manager_.SetFadeHot(IsTrue(value));
  } else if (name == L"fadewidth") {
    animation_manager_.SetFadeWidth(IsTrue(value));
  } else if (name == L"fadeheight") {
    animation_manager_.SetFadeHeight(IsTrue(value));
  } else if (name == L"fadeinoutxfromleft") {
    animation_manager_.SetFadeInOutX(IsTrue(value), false);
  } else if (name == L"fadeinoutxfromright") {
    animation_manager_.SetFadeInOutX(IsTrue(value), true);
  } else if (name == L"fadeinoutyfromtop") {
    animation_manager_.SetFadeInOutY(IsTrue(value), false);
  } else if (name == L"fadeinoutyfrombottom") {
    animation_manager_.SetFadeInOutY(IsTrue(value), true);
  } else if (name == L"receivepointer") {
    SetReceivePointer(IsTrue(value));
  }
}

void Control::SetClass(const std::wstring& classNames) {
  if (t_class_nesting >= kMaxClassNesting) return;
  ++t_class_nesting;
  for (const std::wstring& className : StringHelper::Split(classNames, L" ")) {
    // A global class wins over a window class of the same name.
    std::wstring list = GlobalManager::GetClassAttributes(className);
    if (list.empty() && window_) list = window_->GetClassAttributes(className);
    if (!list.empty()) ApplyAttributeList(list);
  }
  --t_class_nesting;
}

void Control::ApplyAttributeList(const std::wstring& list) {
  // name="value" pairs, each followed by exactly one blank; anything else ends the list (the
  // pairs read so far stay applied).
  size_t at = 0;
  const size_t end = list.size();
  while (at < end) {
    const size_t equals = list.find(L'=', at);
    if (equals == std::wstring::npos) return;
    const std::wstring name = list.substr(at, equals - at);
    if (equals + 1 >= end || list[equals + 1] != L'"') return;
    const size_t close = list.find(L'"', equals + 2);
    if (close == std::wstring::npos) return;
    const std::wstring value = list.substr(equals + 2, close - equals - 2);
    const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
    SetAttribute(name, value);
    if (alive.expired()) return;
    at = close + 1;
    if (at >= end) return;
    if (list[at] != L' ') return;
    ++at;
    if (at < end && list[at] == L' ') return;  // Two blanks: not a list of ours.
  }
}

EventCallback MakeApplyAttributeHandler(Control* owner, const std::wstring& receiver,
                                        const std::wstring& attributeList) {
  if (!owner) return nullptr;
  return owner->ToWeakCallback([owner, receiver, attributeList](const EventArgs&) {
    Control* target = nullptr;
    if (receiver.compare(0, 2, L"./") == 0 || receiver.compare(0, 2, L".\\") == 0) {
      std::wstring name = receiver.substr(2);
      target = owner->FindControl(&MatchName, &name, kFindAll);
    } else if (Window* window = owner->GetWindow()) {
      target = window->FindControl(receiver);
    }
    if (target) target->ApplyAttributeList(attributeList);
    return true;
  });
}

// ---------------------------------------------------------------------------------------------
// The look

void Control::SetBkColor(const std::wstring& colorName) {
  if (colorName == bk_color_) return;
  bk_color_ = colorName;
  Invalidate();
}

std::wstring Control::GetStateColor(ControlStateType state) const {
  return state_colors_.GetStateColor(state);
}

void Control::SetStateColor(ControlStateType state, const std::wstring& colorName) {
  if (state_colors_.GetStateColor(state) == colorName) return;
  if (state == kControlStateHot) animation_manager_.SetFadeHot(true);
  state_colors_.SetStateColor(state, colorName);
  Invalidate();
}

std::wstring Control::GetStateImage(ControlStateType state) const {
  return state_images_.GetImageString(kStateImageBk, state);
}

void Control::SetStateImage(ControlStateType state, const std::wstring& imageString) {
  if (state == kControlStateHot) animation_manager_.SetFadeHot(true);
  state_images_.SetImage(kStateImageBk, state, imageString);
  if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto)
    ArrangeAncestor();
  else
    Invalidate();
}

void Control::SetForeStateImage(ControlStateType state, const std::wstring& imageString) {
  if (state == kControlStateHot) animation_manager_.SetFadeHot(true);
  state_images_.SetImage(kStateImageFore, state, imageString);
  Invalidate();
}

void Control::SetBkImage(const std::wstring& imageString) {
  StopBkImagePlayback();
  bk_image_.SetImageString(imageString);
  bk_auto_play_ = bk_image_.GetAttribute().playCount != 0;
  if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto)
    ArrangeAncestor();
  else
    Invalidate();
}

void Control::SetBorderSize(int size) {
  if (size == border_size_) return;
  border_size_ = size;
  Invalidate();
}

void Control::SetBorderSizes(const RECT& sizes) {
  border_sizes_ = sizes;
  Invalidate();
}

void Control::SetBorderColor(const std::wstring& colorName) {
  if (colorName == border_color_) return;
  border_color_ = colorName;
  Invalidate();
}

void Control::SetBorderRound(SIZE round) {
  DpiManager::GetInstance()->ScaleSize(round);
  border_round_ = round;
  Invalidate();
}

void Control::SetAlpha(int alpha) {
  alpha_ = alpha;
  Invalidate();
}

void Control::SetHotAlpha(int alpha) {
  hot_alpha_ = alpha;
  Invalidate();
}

void Control::SetRenderOffset(POINT offset) {
  render_offset_ = offset;
  Invalidate();
}

void Control::SetRenderOffsetX(int x) {
  render_offset_.x = x;
  Invalidate();
}

void Control::SetRenderOffsetY(int y) {
  render_offset_.y = y;
  Invalidate();
}

}  // namespace ui
