// ui::Control: markup attributes, attribute lists and classes, and the setters of the look.
#include "ui/core/control.h"

#include <cwchar>
#include <unordered_map>

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

// ----- The markup attributes of a control, one setter each ------------------------------------

using AttributeSetter = void (*)(Control* control, const std::wstring& value);

void SetHorAlign(Control* control, const std::wstring& value) {
  if (value == L"left") control->SetHorAlignType(kHorAlignLeft);
  else if (value == L"center") control->SetHorAlignType(kHorAlignCenter);
  else if (value == L"right") control->SetHorAlignType(kHorAlignRight);
}

void SetVerAlign(Control* control, const std::wstring& value) {
  if (value == L"top") control->SetVerAlignType(kVerAlignTop);
  else if (value == L"center") control->SetVerAlignType(kVerAlignCenter);
  else if (value == L"bottom") control->SetVerAlignType(kVerAlignBottom);
}

void SetCursor(Control* control, const std::wstring& value) {
  if (value == L"arrow") control->SetCursorType(kCursorArrow);
  else if (value == L"hand") control->SetCursorType(kCursorHand);
  else if (value == L"ibeam") control->SetCursorType(kCursorIBeam);
}

void SetState(Control* control, const std::wstring& value) {
  ControlStateType state = kControlStateNormal;
  if (ToState(value, &state)) control->SetState(state);
}

// Leading characters up to a blank are skipped.
void SetBkColor(Control* control, const std::wstring& value) {
  size_t first = 0;
  while (first < value.size() && value[first] <= L' ') ++first;
  control->SetBkColor(value.substr(first));
}

// One number: the border size, and no sides. Four: the sides, and the single size stays.
void SetBorderSize(Control* control, const std::wstring& value) {
  DpiManager* dpi = DpiManager::GetInstance();
  if (value.find(L',') == std::wstring::npos) {
    control->SetBorderSize(dpi->ScaleInt(ToInt(value)));
    control->SetBorderSizes(RECT{0, 0, 0, 0});
    return;
  }
  RECT sizes = ReadRect(value.c_str());
  dpi->ScaleRect(sizes);
  control->SetBorderSizes(sizes);
}

template <LONG RECT::*side>
void SetSideBorderSize(Control* control, const std::wstring& value) {
  RECT sizes = control->GetBorderSizes();
  sizes.*side = DpiManager::GetInstance()->ScaleInt(ToInt(value));
  control->SetBorderSizes(sizes);
}

void SetRenderOffset(Control* control, const std::wstring& value) {
  POINT offset = ReadPoint(value.c_str());
  DpiManager::GetInstance()->ScalePoint(offset);
  control->SetRenderOffset(offset);
}

template <ControlStateType state>
void SetStateColorOf(Control* control, const std::wstring& value) {
  control->SetStateColor(state, value);
}

template <ControlStateType state>
void SetStateImageOf(Control* control, const std::wstring& value) {
  control->SetStateImage(state, value);
}

template <ControlStateType state>
void SetForeStateImageOf(Control* control, const std::wstring& value) {
  control->SetForeStateImage(state, value);
}

template <AnimationType type>
void SetFadeOf(Control* control, const std::wstring& value) {
  control->GetAnimationManager().SetFade(type, IsTrue(value));
}

// Names are compared exactly; a name not here is ignored.
const std::unordered_map<std::wstring, AttributeSetter>& AttributeSetters() {
  using V = const std::wstring&;
  static const std::unordered_map<std::wstring, AttributeSetter> setters = {
      {L"class", [](Control* c, V v) { c->SetClass(v); }},
      {L"halign", &SetHorAlign},
      {L"valign", &SetVerAlign},
      {L"margin", [](Control* c, V v) { c->SetMargin(ReadRect(v.c_str()), true); }},
      {L"bkcolor", &SetBkColor},
      {L"bkcolor1", &SetBkColor},
      {L"bordersize", &SetBorderSize},
      {L"borderround", [](Control* c, V v) { c->SetBorderRound(ReadSize(v.c_str())); }},
      {L"width", [](Control* c, V v) { c->SetFixedWidth(ToSize(v), true, true); }},
      {L"height", [](Control* c, V v) { c->SetFixedHeight(ToSize(v), true); }},
      {L"maxwidth", [](Control* c, V v) { c->SetMaxWidth(ToSize(v)); }},
      {L"maxheight", [](Control* c, V v) { c->SetMaxHeight(ToSize(v)); }},
      {L"minwidth", [](Control* c, V v) { c->SetMinWidth(ToInt(v)); }},
      {L"minheight", [](Control* c, V v) { c->SetMinHeight(ToInt(v)); }},
      {L"state", &SetState},
      {L"cursortype", &SetCursor},
      {L"renderoffset", &SetRenderOffset},
      {L"normalcolor", &SetStateColorOf<kControlStateNormal>},
      {L"hotcolor", &SetStateColorOf<kControlStateHot>},
      {L"pushedcolor", &SetStateColorOf<kControlStatePushed>},
      {L"disabledcolor", &SetStateColorOf<kControlStateDisabled>},
      {L"bordercolor", [](Control* c, V v) { c->SetBorderColor(v); }},
      {L"leftbordersize", &SetSideBorderSize<&RECT::left>},
      {L"topbordersize", &SetSideBorderSize<&RECT::top>},
      {L"rightbordersize", &SetSideBorderSize<&RECT::right>},
      {L"bottombordersize", &SetSideBorderSize<&RECT::bottom>},
      {L"bkimage", [](Control* c, V v) { c->SetBkImage(v); }},
      {L"name", [](Control* c, V v) { c->SetName(v); }},
      {L"tooltiptext", [](Control* c, V v) { c->SetToolTipText(v); }},
      {L"tooltiptextid", [](Control* c, V v) { c->SetToolTipTextId(v); }},
      {L"dataid", [](Control* c, V v) { c->SetDataId(v); }},
      {L"enabled", [](Control* c, V v) { c->SetEnabled(IsTrue(v)); }},
      {L"mouse", [](Control* c, V v) { c->SetMouseEnabled(IsTrue(v)); }},
      {L"keyboard", [](Control* c, V v) { c->SetKeyboardEnabled(IsTrue(v)); }},
      {L"visible", [](Control* c, V v) { c->SetVisible(IsTrue(v)); }},
      {L"fadevisible", [](Control* c, V v) { c->SetFadeVisible(IsTrue(v)); }},
      {L"float", [](Control* c, V v) { c->SetFloat(IsTrue(v)); }},
      {L"menu", [](Control* c, V v) { c->SetContextMenuUsed(IsTrue(v)); }},
      {L"cache", [](Control* c, V v) { c->SetUseCache(IsTrue(v)); }},
      {L"nofocus", [](Control* c, V) { c->SetNoFocus(); }},  // Whatever the value.
      {L"alpha", [](Control* c, V v) { c->SetAlpha(ToInt(v)); }},
      {L"normalimage", &SetStateImageOf<kControlStateNormal>},
      {L"hotimage", &SetStateImageOf<kControlStateHot>},
      {L"pushedimage", &SetStateImageOf<kControlStatePushed>},
      {L"disabledimage", &SetStateImageOf<kControlStateDisabled>},
      {L"forenormalimage", &SetForeStateImageOf<kControlStateNormal>},
      {L"forehotimage", &SetForeStateImageOf<kControlStateHot>},
      {L"forepushedimage", &SetForeStateImageOf<kControlStatePushed>},
      {L"foredisabledimage", &SetForeStateImageOf<kControlStateDisabled>},
      {L"fadealpha", &SetFadeOf<kAnimationAlpha>},
      {L"fadehot", &SetFadeOf<kAnimationHot>},
      {L"fadewidth", &SetFadeOf<kAnimationWidth>},
      {L"fadeheight", &SetFadeOf<kAnimationHeight>},
      {L"fadeinoutxfromleft", &SetFadeOf<kAnimationInoutXFromLeft>},
      {L"fadeinoutxfromright", &SetFadeOf<kAnimationInoutXFromRight>},
      {L"fadeinoutyfromtop", &SetFadeOf<kAnimationInoutYFromTop>},
      {L"fadeinoutyfrombottom", &SetFadeOf<kAnimationInoutYFromBottom>},
      {L"receivepointer", [](Control* c, V v) { c->SetReceivePointer(IsTrue(v)); }},
  };
  return setters;
}

}  // namespace

void Control::SetAttribute(const std::wstring& name, const std::wstring& value) {
  const auto& setters = AttributeSetters();
  const auto it = setters.find(name);
  if (it != setters.end()) it->second(this, value);
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
