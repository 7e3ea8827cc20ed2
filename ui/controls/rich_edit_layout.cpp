// ui::RichEdit: layout, scrolling through the text services, and painting (text, prompt, caret).
#include "ui/controls/rich_edit.h"

#include <algorithm>

#include "ui/controls/scroll_bar.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/layout.h"
#include "ui/render/auto_clip.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

// How many times the text services may have the control laid out again inside one layout (a
// bar that appears narrows the text, which may make it need the other bar, and so on).
constexpr int kMaxRelayoutDepth = 4;
// A scroll position that fits the 16 bits of a scroll message.
constexpr int64_t kMaxThumbPosition = 0xFFFF;
constexpr DWORD kOpaqueBlack = 0xFF000000;

bool HasRange(const ScrollBar* bar) { return bar && bar->GetScrollRange() != 0; }

bool Meets(const RECT& a, const RECT& b) {
  RECT overlap;
  return ::IntersectRect(&overlap, &a, &b) != FALSE;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Layout

void RichEdit::SetPos(RECT rect) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  const int generation = ++layout_generation_;
  Control::SetPos(rect);
  if (alive.expired()) return;

  ScrollBar* vbar = GetVScrollBar();
  ScrollBar* hbar = GetHScrollBar();
  const RECT padding = GetLayout()->GetPadding();
  RECT client = {rect_.left + padding.left, rect_.top + padding.top, rect_.right - padding.right,
                 rect_.bottom - padding.bottom};
  const bool vertical = HasRange(vbar);
  if (vertical) client.right -= vbar->GetFixedWidth();
  if (HasRange(hbar)) client.bottom -= hbar->GetFixedHeight();
  client.right = std::max(client.right, client.left);
  client.bottom = std::max(client.bottom, client.top);

  if (host_) {
    host_->SetClientRect(client);
    // The text services may have had the control laid out again meanwhile (a bar came or went):
    // that layout placed everything.
    if (alive.expired() || generation != layout_generation_) return;
    if (vertical && (!HasRange(vbar) || fix_vertical_bar_)) {
      // Would the text fit without the bar? If not, the bar stays fixed until it does, so that
      // the text does not flip between two wrappings.
      LONG width = client.right - client.left + vbar->GetFixedWidth();
      LONG height = 0;
      if (host_->GetNaturalSize(&width, &height)) {
        if (height > client.bottom - client.top) {
          vbar->SetScrollPos(0);
          fix_vertical_bar_ = true;
        } else if (fix_vertical_bar_) {
          vbar->SetScrollRange(0);
          fix_vertical_bar_ = false;
        }
      }
    }
  }
  if (HasRange(vbar))
    vbar->SetPos(RECT{client.right, client.top, client.right + vbar->GetFixedWidth(),
                      client.bottom});
  if (HasRange(hbar))
    hbar->SetPos(RECT{client.left, client.bottom, client.right,
                      client.bottom + hbar->GetFixedHeight()});
  // A copy: a child's position handler may change the list.
  const std::vector<Control*> children = GetItems();
  for (Control* child : children) {
    if (!child->IsVisible()) continue;
    if (child->IsFloat())
      Layout::SetFloatPos(child, rect_);
    else
      child->SetPos(client);
    if (alive.expired()) return;
  }
}

void RichEdit::RelayOutHost() {
  if (relayout_depth_ >= kMaxRelayoutDepth) return;
  ++relayout_depth_;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  SetPos(rect_);
  if (!alive.expired()) --relayout_depth_;
}

SIZE RichEdit::EstimateSize(SIZE available) {
  SIZE size = {GetFixedWidth(), GetFixedHeight()};
  if ((size.cx != kSizeAuto && size.cy != kSizeAuto) || !host_) return size;
  LONG width = 0;
  LONG height = 0;
  if (size.cx == kSizeAuto) {
    height = size.cy;
  } else {
    // A stretched width measures at what the layout offers.
    width = size.cx >= 0 ? size.cx : available.cx;
  }
  if (!host_->GetNaturalSize(&width, &height)) return size;
  const RECT padding = GetLayout()->GetPadding();
  if (size.cx == kSizeAuto)
    size.cx = padding.left + padding.right + width;
  else
    size.cy = padding.top + padding.bottom + height;
  return size;
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void RichEdit::SetScrollPos(SIZE position) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  ScrollBar* vbar = GetVScrollBar();
  if (HasRange(vbar) && position.cy != vbar->GetScrollPos()) {
    const int64_t old = vbar->GetScrollPos();
    vbar->SetScrollPos(position.cy);
    const int64_t wanted = vbar->GetScrollPos();
    if (wanted != old) {
      if (wanted <= kMaxThumbPosition) {
        TxSendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(wanted)), 0,
                      nullptr);
      } else {
        // Beyond what a scroll message carries.
        POINT to = {static_cast<LONG>(HasRange(GetHScrollBar()) ? GetHScrollBar()->GetScrollPos()
                                                                : 0),
                    static_cast<LONG>(wanted)};
        TxSendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&to), nullptr);
      }
      if (alive.expired()) return;
      // Plain text scrolls by whole lines: the bar stays where it was dragged to.
      if (host_ && !rich_ && wanted > old && vbar->GetScrollPos() < wanted)
        vbar->SetScrollPos(wanted);
    }
  }
  ScrollBar* hbar = GetHScrollBar();
  if (HasRange(hbar) && position.cx != hbar->GetScrollPos()) {
    const int64_t old = hbar->GetScrollPos();
    hbar->SetScrollPos(position.cx);
    const int64_t wanted = hbar->GetScrollPos();
    if (wanted != old) {
      if (wanted <= kMaxThumbPosition) {
        TxSendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(wanted)), 0,
                      nullptr);
      } else {
        POINT to = {static_cast<LONG>(wanted),
                    static_cast<LONG>(HasRange(vbar) ? vbar->GetScrollPos() : 0)};
        TxSendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&to), nullptr);
      }
    }
  }
}

void RichEdit::PageUp() { TxSendMessage(WM_VSCROLL, SB_PAGEUP, 0, nullptr); }
void RichEdit::PageDown() { TxSendMessage(WM_VSCROLL, SB_PAGEDOWN, 0, nullptr); }
void RichEdit::HomeUp() { TxSendMessage(WM_VSCROLL, SB_TOP, 0, nullptr); }
void RichEdit::EndDown(bool, bool) { TxSendMessage(WM_VSCROLL, SB_BOTTOM, 0, nullptr); }
void RichEdit::PageLeft() { TxSendMessage(WM_HSCROLL, SB_PAGELEFT, 0, nullptr); }
void RichEdit::PageRight() { TxSendMessage(WM_HSCROLL, SB_PAGERIGHT, 0, nullptr); }
void RichEdit::HomeLeft() { TxSendMessage(WM_HSCROLL, SB_LEFT, 0, nullptr); }
void RichEdit::EndRight() { TxSendMessage(WM_HSCROLL, SB_RIGHT, 0, nullptr); }

// ---------------------------------------------------------------------------------------------
// Painting

void RichEdit::Paint(IRenderContext* context, const RECT& area) {
  if (!Meets(area, rect_)) return;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  ScrollableBox::Paint(context, area);
  if (!host_) return;
  RECT bounds;
  host_->GetControlRect(&bounds);
  host_->Draw(context->GetDC(), bounds, area);
  if (alive.expired() || !fix_vertical_bar_) return;
  // The bar was kept for text that no longer needs it: lay out again without it.
  ScrollBar* vbar = GetVScrollBar();
  LONG width = bounds.right - bounds.left + (vbar ? vbar->GetFixedWidth() : 0);
  LONG height = 0;
  if (host_->GetNaturalSize(&width, &height) && height <= bounds.bottom - bounds.top) Arrange();
}

void RichEdit::PaintStateImage(IRenderContext* context) {
  if (read_only_) return;
  if (focused_)
    DrawImage(context, focused_image_, L"", -1);
  else
    ScrollableBox::PaintStateImage(context);
  PaintPrompt(context);
}

void RichEdit::PaintPrompt(IRenderContext* context) {
  if (!host_ || !IsTextEmpty()) return;
  std::wstring text = prompt_text_;
  if (text.empty() && !prompt_text_id_.empty())
    text = LanguageStringTable::GetInstance()->GetStringById(prompt_text_id_);
  if (text.empty() || prompt_color_.empty()) return;
  RECT bounds;
  host_->GetControlRect(&bounds);
  context->DrawText(bounds, text, GlobalManager::GetTextColor(prompt_color_), font_id_,
                    DT_NOCLIP, 255, false);
}

bool RichEdit::IsTextEmpty() const {
  GETTEXTLENGTHEX query = {GTL_DEFAULT, 1200};
  LRESULT length = 0;
  TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0, &length);
  return length == 0;
}

void RichEdit::PaintChildren(IRenderContext* context, const RECT& area) {
  if (!Meets(area, rect_)) return;
  if (caret_visible_ && !composing_) PaintCaret(context);

  ScrollBar* vbar = GetVScrollBar();
  ScrollBar* hbar = GetHScrollBar();
  const std::vector<Control*> children = GetItems();
  if (!children.empty()) {
    const RECT padding = GetLayout()->GetPadding();
    RECT inner = {rect_.left + padding.left, rect_.top + padding.top,
                  rect_.right - padding.right, rect_.bottom - padding.bottom};
    if (HasRange(vbar)) inner.right -= vbar->GetFixedWidth();
    if (HasRange(hbar)) inner.bottom -= hbar->GetFixedHeight();
    RECT clip;
    if (::IntersectRect(&clip, &area, &inner)) {
      AutoClip autoClip(context, clip, true);
      for (Control* child : children) {
        if (!child->IsVisible()) continue;
        const RECT pos = child->GetPos();
        if (!Meets(pos, area) || !Meets(pos, child->IsFloat() ? rect_ : inner)) continue;
        child->PaintWithClip(context, area);
      }
    } else {
      for (Control* child : children) {
        if (!child->IsVisible() || !child->IsFloat()) continue;
        const RECT pos = child->GetPos();
        if (Meets(pos, area) && Meets(pos, rect_)) child->PaintWithClip(context, area);
      }
    }
  }
  for (ScrollBar* bar : {vbar, hbar}) {
    if (bar && bar->IsVisible() && Meets(bar->GetPos(), area)) bar->PaintWithClip(context, area);
  }
}

void RichEdit::PaintCaret(IRenderContext* context) {
  const DWORD color =
      caret_color_.empty() ? kOpaqueBlack : GlobalManager::GetTextColor(caret_color_);
  context->DrawLine(
      RECT{caret_pos_.x, caret_pos_.y, caret_pos_.x, caret_pos_.y + caret_size_.cy},
      caret_size_.cx, color);
}

void RichEdit::ClearImageCache() {
  ScrollableBox::ClearImageCache();
  focused_image_.ClearCache();
}

}  // namespace ui
