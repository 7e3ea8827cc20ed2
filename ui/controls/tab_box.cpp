#include "ui/controls/tab_box.h"

#include <cwchar>

namespace ui {

TabBox::TabBox() : Box(new Layout()) {}

void TabBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"selectedid")
    current_selection_ = static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
  else if (name == L"fadeswitch")
    SetFadeSwitch(value == L"true");
  else
    Box::SetAttribute(name, value);
}

bool TabBox::Add(Control* page) {
  // Not Box::Add: it would come back through AddAt.
  if (!Box::AddAt(page, GetCount())) return false;
  const int index = GetItemIndex(page);
  if (current_selection_ == -1 && page->IsVisible()) current_selection_ = index;
  if (current_selection_ != index || !page->IsVisible()) ShowPage(page, false);
  return true;
}

bool TabBox::AddAt(Control* page, int index) {
  // Whether a page stands at the selection (a "selectedid" may name a page still to come).
  const bool selectionShown = current_selection_ >= 0 && current_selection_ < GetCount();
  if (!Box::AddAt(page, index)) return false;
  if (selectionShown && index <= current_selection_) {
    // The selection follows its page, and the new page arrives hidden: one page shows.
    ++current_selection_;
    ShowPage(page, false);
    return true;
  }
  // Otherwise the rules of Add.
  if (current_selection_ == -1 && page->IsVisible()) current_selection_ = index;
  if (current_selection_ != index || !page->IsVisible()) ShowPage(page, false);
  return true;
}

bool TabBox::Remove(Control* page) {
  if (!page) return false;
  const int index = GetItemIndex(page);
  // The box may delete the page.
  if (!Box::Remove(page)) return false;
  if (index == current_selection_) {
    if (GetCount() > 0) {
      current_selection_ = 0;
      ShowPage(GetItemAt(0), true);
    } else {
      current_selection_ = -1;
    }
    ArrangeAncestor();
  } else if (index < current_selection_) {
    --current_selection_;
  }
  return true;
}

bool TabBox::RemoveAt(int index) {
  Control* page = GetItemAt(index);
  return page && Remove(page);
}

void TabBox::RemoveAll() {
  current_selection_ = -1;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Box::RemoveAll();
  if (!alive.expired()) ArrangeAncestor();
}

void TabBox::ShowPage(Control* page, bool show) {
  if (fade_switch_) {
    page->SetAlpha(show ? 255 : 0);
  } else {
    // A page's own alpha fade carries its alpha from one state to the other (a page coming back
    // fades in from transparent); setting the end value here would show it for a frame before
    // the fade's first step.
    if (!page->GetAnimationManager().GetAnimationPlayer(kAnimationAlpha))
      page->SetAlpha(show ? 255 : 0);
    else if (show && !page->IsVisible())
      page->SetAlpha(0);
    page->SetFadeVisible(show);
  }
  page->SetMouseEnabled(show);
  if (Box* box = dynamic_cast<Box*>(page)) box->SetMouseChildEnabled(show);
  page->Invalidate();
}

}  // namespace ui
