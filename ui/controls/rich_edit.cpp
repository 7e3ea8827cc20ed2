// ui::RichEdit: construction, the text services' life, attributes, text, selection, links, the
// caret, and what the text host asks of the control.
#include "ui/controls/rich_edit.h"

#include <algorithm>

#include "ui/controls/on_screen_keyboard_manager.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/text_clipboard.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/layout.h"
#include "ui/core/string_helper.h"
#include "ui/core/timer_manager.h"
#include "ui/core/window.h"

namespace ui {

namespace {

bool IsTrue(const std::wstring& value) { return value == L"true"; }

// Colour names in markup may start with blanks.
std::wstring ColorName(const std::wstring& value) {
  const size_t first = value.find_first_not_of(L' ');
  return first == std::wstring::npos ? std::wstring() : value.substr(first);
}

bool Contains(const std::wstring& value, const wchar_t* word) {
  return value.find(word) != std::wstring::npos;
}

}  // namespace

RichEdit::RichEdit()
    : ScrollableBox(new Layout()),
      dc_(::CreateCompatibleDC(nullptr)),
      normal_text_color_(GlobalManager::GetDefaultTextColor()),
      disabled_text_color_(GlobalManager::GetDefaultDisabledTextColor()) {}

RichEdit::~RichEdit() {
  // The text services go first: they may still call back while they are released.
  host_.reset();
  caret_flag_.Cancel();
  if (dc_) ::DeleteDC(dc_);
}

void RichEdit::DoInit() {
  if (host_) return;
  TextHostConfig config;
  config.style = style_;
  config.richText = rich_;
  config.maxLength = limit_;
  config.font = GlobalManager::GetFont(font_id_);
  // A control disabled before it was attached starts in its disabled colour.
  config.textColor = GlobalManager::GetTextColor(text_color_.empty() ? normal_text_color_
                                                                     : text_color_);
  config.passwordChar = password_ ? kPasswordChar : 0;
  config.text = text_;
  host_ = CTxtWinHost::Create(this, config);
  if (!host_) return;
  // Placed before it was attached: the text services learn where at once.
  if (!::IsRectEmpty(&rect_)) RelayOutHost();
}

// ---------------------------------------------------------------------------------------------
// Attributes

void RichEdit::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"vscrollbar") {
    SetScrollBarStyle(true, IsTrue(value));
  } else if (name == L"hscrollbar") {
    SetScrollBarStyle(false, IsTrue(value));
  } else if (name == L"autovscroll") {
    SetStyleBits(ES_AUTOVSCROLL, IsTrue(value));
  } else if (name == L"autohscroll") {
    SetStyleBits(ES_AUTOHSCROLL, IsTrue(value));
  } else if (name == L"multiline") {
    SetStyleBits(ES_MULTILINE, IsTrue(value));
  } else if (name == L"readonly") {
    read_only_ = IsTrue(value);
    SetStyleBits(ES_READONLY, read_only_);
    if (host_) {
      host_->SetReadOnly(read_only_);
      Invalidate();
    }
  } else if (name == L"password") {
    password_ = IsTrue(value);
    SetStyleBits(ES_PASSWORD, password_);
    if (host_) {
      host_->SetPasswordChar(password_ ? kPasswordChar : 0);
      Invalidate();
    }
  } else if (name == L"number") {
    number_only_ = IsTrue(value);
    SetStyleBits(ES_NUMBER, number_only_);
  } else if (name == L"align") {
    SetAlign(value);
  } else if (name == L"normaltextcolor") {
    normal_text_color_ = ColorName(value);
    if (IsEnabled()) SetTextColor(normal_text_color_);
  } else if (name == L"disabledtextcolor") {
    disabled_text_color_ = ColorName(value);
    if (!IsEnabled()) SetTextColor(disabled_text_color_);
  } else if (name == L"caretcolor") {
    SetCaretColor(ColorName(value));
  } else if (name == L"promptmode") {
    if (IsTrue(value)) prompt_mode_ = true;
  } else if (name == L"promptcolor") {
    SetPromptColor(ColorName(value));
  } else if (name == L"prompttext") {
    SetPromptText(value);
  } else if (name == L"prompttextid") {
    SetPromptTextId(value);
  } else if (name == L"focusedimage") {
    focused_image_.SetImageString(value);
    Invalidate();
  } else if (name == L"font") {
    SetFont(value);
  } else if (name == L"text") {
    SetText(value);
  } else if (name == L"textid") {
    SetTextId(value);
  } else if (name == L"wanttab") {
    SetWantTab(IsTrue(value));
  } else if (name == L"wantreturnmsg") {
    SetWantReturnMsg(IsTrue(value));
  } else if (name == L"returnmsgwantctrl") {
    SetReturnMsgWantCtrl(IsTrue(value));
  } else if (name == L"rich") {
    SetRich(IsTrue(value));
  } else {
    // Past the scrollable box on purpose: its bar attributes are the ones above.
    Box::SetAttribute(name, value);
  }
}

void RichEdit::SetStyleBits(DWORD bits, bool on) {
  if (on)
    style_ |= bits;
  else
    style_ &= ~bits;
}

void RichEdit::SetScrollBarStyle(bool vertical, bool on) {
  const DWORD bar = vertical ? WS_VSCROLL : WS_HSCROLL;
  const DWORD other = vertical ? WS_HSCROLL : WS_VSCROLL;
  if (on) {
    style_ |= bar | ES_DISABLENOSCROLL;
  } else {
    style_ &= ~bar;
    if (!(style_ & other)) style_ &= ~ES_DISABLENOSCROLL;
  }
  const bool keepVertical = vertical ? on : GetVScrollBar() != nullptr;
  const bool keepHorizontal = vertical ? GetHScrollBar() != nullptr : on;
  EnableScrollBar(keepVertical, keepHorizontal);
}

void RichEdit::SetAlign(const std::wstring& value) {
  if (Contains(value, L"left")) style_ &= ~(ES_CENTER | ES_RIGHT);
  if (Contains(value, L"hcenter")) style_ = (style_ & ~ES_RIGHT) | ES_CENTER;
  if (Contains(value, L"right")) style_ = (style_ & ~ES_CENTER) | ES_RIGHT;
  if (Contains(value, L"top")) ver_align_ = TextVerAlign::kTop;
  if (Contains(value, L"vcenter")) ver_align_ = TextVerAlign::kCenter;
  if (Contains(value, L"bottom")) ver_align_ = TextVerAlign::kBottom;
}

// ---------------------------------------------------------------------------------------------
// Settings

void RichEdit::SetEnabled(bool enabled) {
  if (enabled == IsEnabled()) return;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  ScrollableBox::SetEnabled(enabled);
  if (alive.expired()) return;
  SetTextColor(enabled ? normal_text_color_ : disabled_text_color_);
  // A disabled control takes no input: its caret neither shows nor keeps a timer running.
  if (!enabled) StopCaret();
}

void RichEdit::SetTextColor(const std::wstring& colorName) {
  if (colorName == text_color_) return;
  text_color_ = colorName;
  if (!host_) return;
  host_->SetTextColor(GlobalManager::GetTextColor(colorName));
  ApplyCharFormat();
  Invalidate();
}

void RichEdit::SetFont(const std::wstring& fontId) {
  font_id_ = fontId;
  if (host_) {
    host_->SetFont(GlobalManager::GetFont(fontId));
    ApplyCharFormat();
  }
  Invalidate();
}

void RichEdit::ApplyCharFormat() {
  if (!host_) return;
  CHARFORMAT2W format = host_->GetCharFormat();
  TxSendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format), nullptr);
  // Plain text has one format for all of it; rich text keeps the formats of its runs.
  if (!rich_) TxSendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format), nullptr);
}

void RichEdit::SetRich(bool rich) {
  rich_ = rich;
  if (host_) host_->SetRichText(rich);
}

void RichEdit::SetPromptText(const std::wstring& text) {
  if (text == prompt_text_) return;
  prompt_text_ = text;
  Invalidate();
}

void RichEdit::SetPromptTextId(const std::wstring& id) {
  if (id == prompt_text_id_) return;
  prompt_text_id_ = id;
  Invalidate();
}

void RichEdit::SetPromptColor(const std::wstring& colorName) {
  prompt_color_ = colorName;
  Invalidate();
}

void RichEdit::SetCaretColor(const std::wstring& colorName) { caret_color_ = colorName; }

// ---------------------------------------------------------------------------------------------
// Text

HRESULT RichEdit::TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result) const {
  return host_ ? host_->TxSendMessage(message, wParam, lParam, result) : S_FALSE;
}

std::wstring RichEdit::GetText() const {
  if (!host_) return text_;
  GETTEXTLENGTHEX lengthQuery = {GTL_DEFAULT, 1200};
  LRESULT length = 0;
  TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0, &length);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GETTEXTEX query = {static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200,
                     nullptr, nullptr};
  TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                reinterpret_cast<LPARAM>(&text[0]), nullptr);
  text.resize(std::wcslen(text.c_str()));
  return text;
}

std::string RichEdit::GetUTF8Text() const {
  std::string utf8;
  StringHelper::WideToUtf8(GetText(), &utf8);
  return utf8;
}

void RichEdit::SetUTF8Text(const std::string& text) { SetText(StringHelper::Utf8ToWide(text)); }

void RichEdit::SetText(const std::wstring& text) {
  text_ = text;
  if (!host_) return;
  // The old ranges point into the old text. Cleared first: the change notice below may reach a
  // handler that destroys the control.
  link_ranges_.clear();
  SetSel(0, -1);
  TxSendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr);
}

void RichEdit::SetTextId(const std::wstring& id) {
  SetText(LanguageStringTable::GetInstance()->GetStringById(id));
}

void RichEdit::SetLimitText(int limit) {
  limit_ = limit;
  if (host_) host_->SetMaxLength(limit);
}

void RichEdit::OnTextChanged() {
  if (window_) window_->SendEvent(this, kEventTextChange);
}

// ---------------------------------------------------------------------------------------------
// Selection and links

void RichEdit::SetSel(LONG start, LONG end) {
  CHARRANGE range = {start, end};
  TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
}

CHARRANGE RichEdit::GetSel() const {
  CHARRANGE range = {0, 0};
  TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
  return range;
}

std::wstring RichEdit::GetSelText() const {
  return host_ ? host_->GetSelectedText() : std::wstring();
}

void RichEdit::ReplaceSel(const std::wstring& text) {
  TxSendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr);
}

void RichEdit::AddLinkRange(LONG start, LONG end, const std::wstring& text) {
  link_ranges_.push_back(LinkRange{start, end, text});
}

bool RichEdit::HitTestLink(POINT point, std::wstring* text) const {
  text->clear();
  if (link_ranges_.empty()) return false;
  const SIZE offset = GetScrollOffset();
  POINTL unscrolled = {point.x + offset.cx, point.y + offset.cy};
  LRESULT index = 0;
  if (host_) TxSendMessage(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&unscrolled), &index);
  for (const LinkRange& range : link_ranges_) {
    if (range.start <= index && index < range.end) {
      *text = range.text;
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Caret

void RichEdit::StartCaret() {
  if (!focused_ || !IsEnabled()) return;
  // A moving caret shows at once and starts a new period, so it stays on while typing.
  caret_flag_.Cancel();
  caret_visible_ = true;
  InvalidateCaret();
  TimerManager::GetInstance()->AddCancelableTimer(
      caret_flag_.GetWeakFlag(), [this] { ToggleCaret(); }, kCaretBlinkMs,
      TimerManager::kRepeatForever);
}

void RichEdit::StopCaret() {
  caret_flag_.Cancel();
  if (!caret_visible_) return;
  caret_visible_ = false;
  InvalidateCaret();
}

void RichEdit::ToggleCaret() {
  caret_visible_ = !caret_visible_;
  InvalidateCaret();
}

void RichEdit::InvalidateCaret() {
  if (!window_) return;
  // The line is caret width wide around its x.
  const RECT area = {caret_pos_.x - caret_size_.cx - 1, caret_pos_.y,
                     caret_pos_.x + caret_size_.cx + 1, caret_pos_.y + caret_size_.cy + 1};
  window_->Invalidate(ToWindowRect(area));
}

void RichEdit::SetCaretSize(int width, int height) {
  // Width 0 is the system's: as wide as a window border.
  caret_size_ = SIZE{width > 0 ? width : ::GetSystemMetrics(SM_CXBORDER), height};
}

void RichEdit::SetCaretPos(int x, int y) {
  // Repainted where it was and where it goes.
  if (caret_visible_) InvalidateCaret();
  caret_pos_ = POINT{x, y};
  if (caret_visible_) InvalidateCaret();
}

void RichEdit::SetCaretBlinking(bool blinking) {
  if (blinking)
    StartCaret();
  else
    StopCaret();
}

// ---------------------------------------------------------------------------------------------
// What the text host asks

HWND RichEdit::GetHostWindow() const { return window_ ? window_->GetHWND() : nullptr; }

void RichEdit::InvalidateHostRect(const RECT& rect) {
  SetCacheDirty(true);
  if (window_) window_->Invalidate(rect);
}

void RichEdit::SetHostCapture(bool captured) {
  if (!window_) return;
  if (captured)
    window_->TakeCapture();
  else
    window_->ReleaseCaptureIfHeld();
}

void RichEdit::ArrangeHost() { RelayOutHost(); }

bool RichEdit::HasScrollBar(TextScrollBar bar) const {
  return (bar == TextScrollBar::kVertical ? GetVScrollBar() : GetHScrollBar()) != nullptr;
}

int64_t RichEdit::GetScrollBarRange(TextScrollBar bar) const {
  const ScrollBar* scrollBar = bar == TextScrollBar::kVertical ? GetVScrollBar() : GetHScrollBar();
  return scrollBar ? scrollBar->GetScrollRange() : 0;
}

void RichEdit::SetScrollBarRange(TextScrollBar bar, int64_t range) {
  ScrollBar* scrollBar = bar == TextScrollBar::kVertical ? GetVScrollBar() : GetHScrollBar();
  if (scrollBar) scrollBar->SetScrollRange(range);
}

void RichEdit::SetScrollBarPos(TextScrollBar bar, int64_t pos) {
  // The bar's own setter: clamped, laid out again, no scroll event (the text already moved).
  ScrollBar* scrollBar = bar == TextScrollBar::kVertical ? GetVScrollBar() : GetHScrollBar();
  if (scrollBar) scrollBar->SetScrollPos(pos);
}

void RichEdit::OnTxNotify(DWORD code, void* data) {
  switch (code) {
    case EN_CHANGE:
      OnTextChanged();  // May destroy this control.
      return;
    case EN_LINK: {
      const auto* link = static_cast<const ENLINK*>(data);
      if (link && link->msg == WM_LBUTTONUP && host_) host_->NotifyLinkClick(link->chrg);
      return;
    }
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
      if (host_ && data) host_->NotifyWindow(code, static_cast<NMHDR*>(data));
      return;
    default:
      return;
  }
}

OnScreenKeyboardManager* RichEdit::KeyboardManager() const {
  return keyboard_manager_ ? keyboard_manager_ : OnScreenKeyboardManager::GetInstance();
}

}  // namespace ui
