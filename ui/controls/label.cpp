#include "ui/controls/label.h"

#include <type_traits>

#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/number_list.h"
#include "ui/core/string_helper.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace ui {

template <typename T>
LabelTemplate<T>::LabelTemplate() {
  // A leaf label sizes itself from its text; the box form stretches like any box.
  if (!std::is_base_of<Box, T>::value) {
    this->fixed_width_ = kSizeAuto;
    this->fixed_height_ = kSizeAuto;
  }
  text_colors_.SetControl(this);
  text_colors_.SetStateColor(kControlStateNormal, GlobalManager::GetDefaultTextColor());
  text_colors_.SetStateColor(kControlStateDisabled, GlobalManager::GetDefaultDisabledTextColor());
}

template <typename T>
std::wstring LabelTemplate<T>::GetText() const {
  if (text_.empty() && !text_id_.empty())
    return LanguageStringTable::GetInstance()->GetStringById(text_id_);
  return text_;
}

template <typename T>
std::string LabelTemplate<T>::GetUTF8Text() const {
  std::string utf8;
  StringHelper::WideToUtf8(GetText(), &utf8);
  return utf8;
}

template <typename T>
void LabelTemplate<T>::SetText(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  ArrangeOrInvalidate();
}

template <typename T>
void LabelTemplate<T>::SetUTF8Text(const std::string& text) {
  SetText(StringHelper::Utf8ToWide(text));
}

template <typename T>
void LabelTemplate<T>::SetTextId(const std::wstring& id) {
  if (id == text_id_) return;
  text_id_ = id;
  ArrangeOrInvalidate();
}

template <typename T>
void LabelTemplate<T>::SetUTF8TextId(const std::string& id) {
  SetTextId(StringHelper::Utf8ToWide(id));
}

template <typename T>
SIZE LabelTemplate<T>::EstimateText(SIZE available) {
  // 1. The single-line flag decides DT_SINGLELINE.
  text_style_ = single_line_ ? (text_style_ | DT_SINGLELINE) : (text_style_ & ~DT_SINGLELINE);
  SIZE size = {0, 0};
  const std::wstring text = GetText();
  if (text.empty()) return size;

  // 2. Measure within the fixed width (0: unbounded).
  Window* window = this->GetWindow();
  IRenderContext* context = window ? window->GetRenderContext() : nullptr;
  if (!context) return size;
  const int fixedWidth = this->fixed_width_;
  RECT measured = context->MeasureText(text, font_id_, text_style_, fixedWidth < 0 ? 0 : fixedWidth);
  int textWidth = measured.right - measured.left;
  const int horizontalPadding = text_padding_.left + text_padding_.right;
  if (fixedWidth == kSizeAuto) size.cx = horizontalPadding + textWidth;
  if (this->fixed_height_ != kSizeAuto) return size;

  // 3. A wrapping auto-width label without a maximum width is measured again once its width is
  // known (a box estimates it with the width it offers), and wraps within what is available.
  if (!single_line_ && fixedWidth == kSizeAuto && this->max_width_ == -1) {
    this->SetNeedEstimate(true);
    const int availableWidth = available.cx - horizontalPadding;
    if (availableWidth < textWidth) {
      measured = context->MeasureText(text, font_id_, text_style_, availableWidth);
      textWidth = availableWidth;
    }
  }
  size.cx = horizontalPadding + textWidth;
  size.cy = text_padding_.top + text_padding_.bottom + (measured.bottom - measured.top);
  return size;
}

template <typename T>
bool LabelTemplate<T>::HasHotState() const {
  return text_colors_.HasHotColor() || T::HasHotState();
}

template <typename T>
void LabelTemplate<T>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"align") {
    // Each word found applies its rule, in this order ("vcenter" also holds "center").
    const auto has = [&value](const wchar_t* word) { return value.find(word) != std::wstring::npos; };
    if (has(L"left")) text_style_ &= ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    if (has(L"center")) {
      text_style_ &= ~DT_RIGHT;
      text_style_ |= DT_CENTER;
    }
    if (has(L"right")) {
      text_style_ &= ~(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      text_style_ |= DT_RIGHT;
    }
    if (has(L"top")) {
      text_style_ &= ~(DT_VCENTER | DT_BOTTOM);
      text_style_ |= DT_SINGLELINE;
    }
    if (has(L"vcenter")) {
      text_style_ &= ~DT_BOTTOM;
      text_style_ |= DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    }
    if (has(L"bottom")) {
      text_style_ &= ~DT_VCENTER;
      text_style_ |= DT_BOTTOM | DT_SINGLELINE;
    }
  } else if (name == L"endellipsis") {
    if (value == L"true")
      text_style_ |= DT_END_ELLIPSIS;
    else
      text_style_ &= ~DT_END_ELLIPSIS;
  } else if (name == L"linelimit") {
    SetLineLimit(value == L"true");
  } else if (name == L"singleline") {
    SetSingleLine(value == L"true");
  } else if (name == L"text") {
    SetText(value);
  } else if (name == L"textid") {
    SetTextId(value);
  } else if (name == L"font") {
    SetFont(value);
  } else if (name == L"normaltextcolor") {
    SetStateTextColor(kControlStateNormal, value);
  } else if (name == L"hottextcolor") {
    this->GetAnimationManager().SetFadeHot(true);
    SetStateTextColor(kControlStateHot, value);
  } else if (name == L"pushedtextcolor") {
    SetStateTextColor(kControlStatePushed, value);
  } else if (name == L"disabledtextcolor") {
    SetStateTextColor(kControlStateDisabled, value);
  } else if (name == L"textpadding") {
    RECT padding = ReadRect(value.c_str());
    DpiManager::GetInstance()->ScaleRect(padding);
    SetTextPadding(padding);
  } else {
    T::SetAttribute(name, value);
  }
}

template <typename T>
void LabelTemplate<T>::PaintText(IRenderContext* context) {
  const std::wstring text = GetText();
  if (!context || text.empty()) return;
  const RECT rect = GetTextRect();
  const ControlStateType picked = PickTextColorState();
  text_style_ = single_line_ ? (text_style_ | DT_SINGLELINE) : (text_style_ & ~DT_SINGLELINE);

  const bool hotFade = this->GetAnimationManager().GetAnimationPlayer(kAnimationHot) != nullptr;
  if (hotFade && (picked == kControlStateNormal || picked == kControlStateHot) &&
      text_colors_.HasHotColor()) {
    // The hot colour fades in over the normal one with the hot animation.
    DrawTextIn(context, rect, text_colors_.GetStateColor(kControlStateNormal), text_style_, 255,
               line_limit_);
    const int hotAlpha = this->GetHotAlpha();
    if (hotAlpha > 0) {
      DrawTextIn(context, rect, text_colors_.GetStateColor(kControlStateHot), text_style_,
                 static_cast<BYTE>(hotAlpha > 255 ? 255 : hotAlpha), line_limit_);
    }
    return;
  }
  DrawTextIn(context, rect, text_colors_.GetStateColor(picked), text_style_, 255, line_limit_);
}

template <typename T>
void LabelTemplate<T>::SetFont(const std::wstring& fontId) {
  font_id_ = fontId;
  this->Invalidate();
}

template <typename T>
void LabelTemplate<T>::SetTextStyle(UINT style) {
  text_style_ = style;
  this->Invalidate();
}

template <typename T>
void LabelTemplate<T>::SetSingleLine(bool singleLine) {
  if (single_line_ == singleLine) return;
  single_line_ = singleLine;
  this->Invalidate();
}

template <typename T>
void LabelTemplate<T>::SetLineLimit(bool lineLimit) {
  if (line_limit_ == lineLimit) return;
  line_limit_ = lineLimit;
  this->Invalidate();
}

template <typename T>
void LabelTemplate<T>::SetTextPadding(const RECT& padding) {
  text_padding_ = padding;
  ArrangeOrInvalidate();
}

template <typename T>
std::wstring LabelTemplate<T>::GetStateTextColor(ControlStateType state) const {
  return text_colors_.GetStateColor(state);
}

template <typename T>
void LabelTemplate<T>::SetStateTextColor(ControlStateType state, const std::wstring& colorName) {
  text_colors_.SetStateColor(state, colorName);
  this->Invalidate();
}

template <typename T>
void LabelTemplate<T>::ArrangeOrInvalidate() {
  if (this->fixed_width_ == kSizeAuto || this->fixed_height_ == kSizeAuto)
    this->ArrangeAncestor();
  else
    this->Invalidate();
}

template <typename T>
ControlStateType LabelTemplate<T>::PickTextColorState() const {
  ControlStateType state = this->GetState();
  const auto missing = [this](ControlStateType s) { return text_colors_.GetStateColor(s).empty(); };
  if (state == kControlStatePushed && missing(state)) state = kControlStateHot;
  if (state == kControlStateHot && missing(state)) state = kControlStateNormal;
  if (state == kControlStateDisabled && missing(state)) state = kControlStateNormal;
  return state;
}

template <typename T>
void LabelTemplate<T>::DrawTextIn(IRenderContext* context, const RECT& rect,
                                  const std::wstring& colorName, UINT style, BYTE alpha,
                                  bool lineLimit) {
  if (colorName.empty()) return;
  context->DrawText(rect, GetText(), GlobalManager::GetTextColor(colorName), font_id_, style,
                    alpha, lineLimit);
}

template <typename T>
RECT LabelTemplate<T>::GetTextRect() const {
  RECT rect = this->rect_;
  rect.left += text_padding_.left;
  rect.top += text_padding_.top;
  rect.right -= text_padding_.right;
  rect.bottom -= text_padding_.bottom;
  return rect;
}

template class LabelTemplate<Control>;
template class LabelTemplate<Box>;

}  // namespace ui
