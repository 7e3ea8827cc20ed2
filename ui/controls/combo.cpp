#include "ui/controls/combo.h"

#include <algorithm>
#include <cwchar>

#include "ui/controls/combo_window.h"
#include "ui/controls/list_container_element.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/number_list.h"
#include "ui/core/stack_layout.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

// The list's border around the items: one pixel on each side.
constexpr int kListBorder = 1;

// The work area of the monitor that shows most of rect (screen pixels).
RECT WorkAreaAt(const RECT& rect) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) {
    RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return screen;
  }
  return info.rcWork;
}

}  // namespace

Combo::Combo() : list_(std::make_unique<ListBox>(new VLayout())) {
  DpiManager* dpi = DpiManager::GetInstance();
  drop_box_size_.cy = dpi->ScaleInt(kDefaultDropBoxHeight);
  list_->GetLayout()->SetPadding(RECT{kListBorder, kListBorder, kListBorder, kListBorder}, true);
  RECT border = {kListBorder, kListBorder, kListBorder, kListBorder};
  dpi->ScaleRect(border);
  list_->SetBorderSizes(border);
  list_->EnableScrollBar(true, false);
  list_->AttachEvent(kEventSelect, ToWeakCallback([this](const EventArgs& args) {
                       return OnListItemSelected(args);
                     }));
}

Combo::~Combo() {
  if (CComboWnd* popup = popup_) {
    // The popup outlives the combo by a message or two: it must not find the combo, nor keep the
    // list (destroyed below) in its tree.
    popup_ = nullptr;
    popup->DetachCombo();
    if (HWND hwnd = popup->GetHWND()) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
}

// ---------------------------------------------------------------------------------------------
// Overrides

void Combo::SetWindowAndParent(Window* window, Box* parent, bool init) {
  Box::SetWindowAndParent(window, parent, init);
  // While the popup holds the list, the list stays there.
  if (list_->GetParent()) return;
  list_->SetWindowAndParent(window, nullptr, init);
  if (window && init) window->InitControls(list_.get());
}

void Combo::Activate() {
  if (!IsActivatable() || popup_) return;
  Window* window = GetWindow();
  HWND owner = window ? window->GetHWND() : nullptr;
  if (!owner) return;  // The popup needs a native window to belong to.

  // The combo in client coordinates, then on the screen.
  RECT combo = ToWindowRect(GetPos());
  const int width = drop_box_size_.cx >= 1 ? drop_box_size_.cx : combo.right - combo.left;

  // As tall as the visible items and the border, up to the drop-box height.
  int height = 0;
  for (int i = 0; i < list_->GetCount(); ++i) {
    Control* item = list_->GetItemAt(i);
    if (!item->IsVisible()) continue;
    height += std::max<LONG>(0, item->EstimateSize(SIZE{width, drop_box_size_.cy}).cy);
  }
  height = std::min<int>(height + 2 * kListBorder, drop_box_size_.cy);

  RECT comboScreen = combo;
  ::MapWindowPoints(owner, HWND_DESKTOP, reinterpret_cast<POINT*>(&comboScreen), 2);
  // The work area of the monitor the combo is on, asked before the popup exists.
  const RECT placed =
      PlaceDropDown(comboScreen, width, height, WorkAreaAt(comboScreen), popup_top_);

  auto* popup = new CComboWnd(this);
  popup_ = popup;
  HWND hwnd = popup->Create(owner, L"", WS_POPUP, WS_EX_TOOLWINDOW, true, placed);
  if (!hwnd) {
    // Without a native window ever made nobody deletes the object; with one, its last message
    // did (and the combo forgot it).
    if (popup_ == popup) {
      popup_ = nullptr;
      popup->DetachCombo();
      TakeListBack();
      delete popup;
    }
    return;
  }
  ::ShowWindow(hwnd, SW_SHOW);
  if (HWND top = ::GetAncestor(hwnd, GA_ROOTOWNER)) ::SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
  // A layered window paints only when asked.
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  popup->Invalidate(client);

  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (popup_) popup_->SendEvent(this, kEventClick);
  if (!alive.expired()) Invalidate();
}

void Combo::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"dropbox") {
    SetDropBoxAttributeList(value);
  } else if (name == L"vscrollbar") {
    // The list always has its vertical bar.
  } else if (name == L"dropboxsize") {
    SIZE size = ReadSize(value.c_str());
    DpiManager* dpi = DpiManager::GetInstance();
    size.cx = dpi->ScaleInt(size.cx);
    size.cy = dpi->ScaleInt(size.cy);
    SetDropBoxSize(size);
  } else if (name == L"popuptop") {
    SetPopupTop(value == L"true");
  } else {
    Box::SetAttribute(name, value);
  }
}

void Combo::PaintText(IRenderContext* context) {
  if (!context) return;
  Control* selected = list_->GetItemAt(list_->GetCurSel());
  if (!selected) return;
  const RECT pos = GetPos();

  auto* item = dynamic_cast<ListContainerElement*>(selected);
  const std::wstring text = item ? item->GetText() : std::wstring();
  if (item && item->GetOwner() && !text.empty()) {
    const RECT padding = item->GetTextPadding();
    const RECT rect = {pos.left + padding.left, pos.top + padding.top, pos.right - padding.right,
                       pos.bottom - padding.bottom};
    const DWORD color =
        GlobalManager::GetTextColor(item->GetStateTextColor(kControlStateNormal));
    context->DrawText(rect, text, color, item->GetFont(), kSelectedTextStyle, 255, false);
    return;
  }

  // Anything else is drawn at the combo's place. While the list is closed nothing else places
  // the item, so it is moved there and stays (moving it there and back on every paint would ask
  // for the next paint each time); while the popup shows it, it is drawn shifted from its place.
  const RECT placed = selected->GetPos();
  if (!list_->GetParent() && !::EqualRect(&placed, &pos)) {
    const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
    selected->SetPos(pos);
    if (alive.expired()) return;
  }
  const RECT itemPos = selected->GetPos();
  const POINT shift = {itemPos.left - pos.left, itemPos.top - pos.top};
  RECT area = pos;
  ::OffsetRect(&area, shift.x, shift.y);
  const POINT origin = context->OffsetWindowOrg(shift);
  selected->PaintWithClip(context, area);
  context->SetWindowOrg(origin);
}

bool Combo::Add(Control* control) {
  if (!list_->Add(control)) return false;
  control->SetReceivePointer(true);
  return true;
}

bool Combo::Remove(Control* control) { return list_->Remove(control); }

bool Combo::RemoveAt(int index) { return list_->RemoveAt(index); }

void Combo::RemoveAll() { list_->RemoveAll(); }

int Combo::GetCount() const { return list_->GetCount(); }

// ---------------------------------------------------------------------------------------------
// Selection and the popup

bool Combo::SelectItem(int index) {
  if (index < 0 || index >= list_->GetCount() || index == GetCurSel()) return false;
  // The list refuses hidden, disabled and foreign items, and then has no selection.
  const bool selected = list_->SelectItem(index, false, false);
  Invalidate();
  return selected;
}

void Combo::SetDropBoxAttributeList(const std::wstring& list) {
  drop_box_attributes_ = list;
  list_->ApplyAttributeList(list);
}

RECT Combo::PlaceDropDown(const RECT& comboScreen, int width, int height, const RECT& workArea,
                          bool popupTop) {
  const RECT below = {comboScreen.left, comboScreen.bottom + 1, comboScreen.left + width,
                      comboScreen.bottom + 1 + height};
  if (!popupTop && below.bottom <= workArea.bottom) return below;
  return RECT{comboScreen.left, comboScreen.top - height, comboScreen.left + width,
              comboScreen.top};
}

bool Combo::OnListItemSelected(const EventArgs& /*args*/) {
  // The popup closes through its focus loss, after this pick's events.
  if (popup_ && popup_->GetHWND()) ::PostMessageW(popup_->GetHWND(), WM_KILLFOCUS, 0, 0);
  const int selection = list_->GetCurSel();
  if (Control* item = list_->GetItemAt(selection)) item->SetState(kControlStateNormal);
  if (popup_) popup_->SendEvent(this, kEventSelect, selection, static_cast<LPARAM>(-1));
  return true;
}

void Combo::TakeListBack() {
  if (list_->GetParent()) return;  // Still lent.
  if (list_->GetWindow() == GetWindow()) return;
  list_->SetWindowAndParent(GetWindow(), nullptr, true);
  if (Window* window = GetWindow()) window->InitControls(list_.get());
}

void Combo::ForgetComboWnd() {
  popup_ = nullptr;
  Invalidate();
}

}  // namespace ui
