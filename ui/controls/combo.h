// Combo: the drop-down combo box.
//
// A combo shows the text of its selected item. Activating it (a click, or Space or Return while it
// has the focus) opens a popup window under it, or over it when there is no room below on its
// monitor or "popuptop" asks for it, that holds the combo's list. Picking an item there closes
// the popup, keeps the pick and raises kEventSelect on the combo (wParam the new selection);
// clicking anywhere else closes it too. Opening raises kEventClick on the combo.
//
//   auto* quality = new ui::Combo();
//   quality->SetAttribute(L"dropbox", L"bkcolor=\"white\" bordercolor=\"gray\"");
//   for (const wchar_t* text : {L"Auto", L"HD", L"SD", L"Smooth"}) {
//     auto* row = new ui::ListContainerElement();
//     row->SetText(text);
//     row->SetFixedHeight(30);
//     quality->Add(row);                 // items go to the drop-down list
//   }
//   quality->SelectItem(0);              // quietly: no event
//   quality->AttachEvent(ui::kEventSelect, OnQualityPicked);
//
// The popup is as wide as the combo (or "dropboxsize"'s width) and as tall as its items, plus
// the list's border, up to "dropboxsize"'s height (150 by default), beyond which the list scrolls.
//
// Ownership: the combo owns its list (and so the items) from construction to destruction; while
// the popup is open the list lives in the popup's tree. Add, Remove, RemoveAt, RemoveAll and
// GetCount act on the list, not on the combo's own children. A combo destroyed while its popup is
// open takes the list back and the popup closes on its own.
//
// Markup attributes: "dropbox" (attributes of the list), "vscrollbar" (ignored: the list always
// has its vertical bar), "dropboxsize" (width,height), "popuptop"; anything else is the box's.
//
// Thread affinity: the thread of the owning window; the popup lives there too.
#ifndef UI_CONTROLS_COMBO_H_
#define UI_CONTROLS_COMBO_H_

#include <memory>
#include <string>

#include "ui/controls/list_box.h"
#include "ui/core/box.h"

namespace ui {

class CComboWnd;

class Combo : public Box {
 public:
  // The drop-down height when "dropboxsize" does not say (markup pixels).
  static constexpr int kDefaultDropBoxHeight = 150;
  // DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS: how the selected item's text is drawn.
  static constexpr UINT kSelectedTextStyle = 0x8024;

  Combo();
  ~Combo() override;

  // ----- Overrides -----------------------------------------------------------------------------
  // The list follows the combo into its window, while the popup does not hold it.
  void SetWindowAndParent(Window* window, Box* parent, bool init) override;
  // Opens the popup; nothing when the combo cannot be activated or the popup is open already.
  void Activate() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // The selected item's text (or, for an item without text, the item itself) in the combo.
  void PaintText(IRenderContext* context) override;
  // The list's; an added control also takes pointer taps as presses.
  bool Add(Control* control) override;
  bool Remove(Control* control) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;
  int GetCount() const override;

  // Selects the list's item at index quietly; false for an index outside the list, the index
  // already selected, or an item the list refuses.
  bool SelectItem(int index);
  // The list's selection: what the combo shows. An item hidden, disabled or deleted while
  // selected leaves none.
  int GetCurSel() const { return list_->GetCurSel(); }
  ListBox* GetListBox() const { return list_.get(); }
  // The open popup, or null.
  CComboWnd* GetComboWnd() const { return popup_; }

  // Physical pixels; width 0 means the combo's width.
  SIZE GetDropBoxSize() const { return drop_box_size_; }
  void SetDropBoxSize(SIZE size) { drop_box_size_ = size; }
  const std::wstring& GetDropBoxAttributeList() const { return drop_box_attributes_; }
  // Stores the list and applies it to the drop-down list.
  void SetDropBoxAttributeList(const std::wstring& list);
  bool IsPopupTop() const { return popup_top_; }
  void SetPopupTop(bool top) { popup_top_ = top; }

  // Where the popup goes, in screen pixels: width by height under comboScreen (one pixel below
  // it), or over it when popupTop or when under it would end below workArea's bottom.
  static RECT PlaceDropDown(const RECT& comboScreen, int width, int height, const RECT& workArea,
                            bool popupTop);

 private:
  friend class CComboWnd;

  // Runs on the list's kEventSelect: a pick in the popup.
  bool OnListItemSelected(const EventArgs& args);
  // The popup's part in the combo's life: the list comes back from the popup (into the combo's
  // window), and the popup is gone.
  void TakeListBack();
  void ForgetComboWnd();

  CComboWnd* popup_ = nullptr;  // Owned by its native window; it tells the combo when it goes.
  std::unique_ptr<ListBox> list_;
  SIZE drop_box_size_ = {0, 0};
  std::wstring drop_box_attributes_;
  bool popup_top_ = false;
};

}  // namespace ui

#endif  // UI_CONTROLS_COMBO_H_
