// RichEdit: the text-entry control (markup class "RichEdit").
//
// A windowless control cannot use the system's edit window, so the rich edit runs the system's
// windowless rich-edit text services through its ui::CTxtWinHost and lends them what they need:
// its window, its scroll bars, a caret it draws itself, and the window's render surface to draw
// the text into. It turns the library's events into window messages for the text services, raises
// the text-change, return, tab and link-click events, keeps number mode to digits (typed and
// pasted), shows a prompt while empty, places the IME composition window and asks for the touch
// keyboard when pressed by pen or touch.
//
//   <RichEdit name="code" width="160" height="28" multiline="false" number="true"
//             prompttext="Pairing code" promptcolor="textdisabledcolor" wantreturnmsg="true"/>
//
//   auto* edit = static_cast<ui::RichEdit*>(window->FindControl(L"code"));
//   edit->AttachEvent(ui::kEventReturn, [edit](const ui::EventArgs&) {
//     Pair(edit->GetUTF8Text());
//     return true;
//   });
//
// Life: the text services are made when the control is attached to its parent in a window
// (DoInit) with the settings made so far; the style bits ("multiline", "number", "align", the
// scroll bars) count only until then, while "readonly" and "password" reach them at any time. Without the services (no library, or
// not yet attached) the control keeps its text and settings and paints no text.
//
// Coordinates: the text services work in window client pixels of the control's unscrolled
// position; points from events are moved by the scroll offset of the boxes around the control,
// and repaints by minus it.
//
// Thread affinity: the thread of the owning window; the caret blink runs on that thread's timer
// service, bound to the control's caret flag.
#ifndef UI_CONTROLS_RICH_EDIT_H_
#define UI_CONTROLS_RICH_EDIT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "base/callback/weak_callback.h"
#include "ui/controls/text_host.h"
#include "ui/controls/text_host_owner.h"
#include "ui/core/image.h"
#include "ui/core/scrollable_box.h"

namespace ui {

class OnScreenKeyboardManager;
class TextClipboard;

class RichEdit : public ScrollableBox, public ITextHostOwner {
 public:
  // The caret's blink period: it shows and hides every half second.
  static constexpr UINT kCaretBlinkMs = 500;
  // What a password control shows for each character.
  static constexpr wchar_t kPasswordChar = L'*';
  // The text length limit until one is set.
  static constexpr int kDefaultLimit = 32767;

  // A character range [start, end) of the text services' positions that is a link to text.
  struct LinkRange {
    LONG start = 0;
    LONG end = 0;
    std::wstring text;
  };

  RichEdit();
  ~RichEdit() override;

  // ----- Overrides -----------------------------------------------------------------------------
  // Makes the text services, once.
  void DoInit() override;
  // A fixed size as it is; an auto width is the text's natural width plus the padding; an auto
  // height (with a width that is not auto) the natural height plus the padding.
  SIZE EstimateSize(SIZE available) override;
  // The text services get the rectangle less the padding and the bars that have a range; the bars
  // go beside and below it, children into it (float children by their own alignment).
  void SetPos(RECT rect) override;
  // The state and the text colour follow; a disabled control's caret stops.
  void SetEnabled(bool enabled) override;
  bool IsTabStop() const override { return IsEnabled(); }
  bool IsFocused() const override { return focused_; }
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // The control's own look, then the text.
  void Paint(IRenderContext* context, const RECT& area) override;
  // The caret, the children (not scrolled: the text services scroll the text), then the bars.
  void PaintChildren(IRenderContext* context, const RECT& area) override;
  // The state images, or the focused image while focused, then the prompt; nothing read-only.
  void PaintStateImage(IRenderContext* context) override;
  void ClearImageCache() override;
  void HandleEvent(const EventArgs& args) override;
  // The text scrolls inside the text services, not by moving children.
  SIZE GetChildScrollOffset(const PlaceHolder* child) const override { return SIZE{0, 0}; }
  // The bars move, and the text services scroll the text to them.
  void SetScrollPos(SIZE position) override;
  void PageUp() override;
  void PageDown() override;
  void HomeUp() override;
  // To the end of the text (the content is the text services', not children to lay out).
  void EndDown(bool arrange, bool animated) override;
  void PageLeft() override;
  void PageRight() override;
  void HomeLeft() override;
  void EndRight() override;

  // ----- Operations of the rich edit -----------------------------------------------------------
  // Applies a text colour name (ARGB from the global colour table) to the text.
  virtual void SetTextColor(const std::wstring& colorName);
  virtual std::string GetUTF8Text() const;
  virtual void SetUTF8Text(const std::string& text);
  // Passes a message to the text services; S_FALSE, with *result untouched, without them.
  virtual HRESULT TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result) const;
  // Raises kEventTextChange on the control (nothing without a window).
  virtual void OnTextChanged();

  // ----- Text ----------------------------------------------------------------------------------
  // The text as the text services hold it (paragraph marks as CR); the text last set before
  // they exist.
  std::wstring GetText() const;
  // Stores the text; with the text services, replaces their whole text with it (a change the
  // text services report, so kEventTextChange follows) and forgets the link ranges.
  void SetText(const std::wstring& text);
  // The language string of id, looked up now.
  void SetTextId(const std::wstring& id);
  int GetLimitText() const { return limit_; }
  // In characters; the text services take it at once when they exist.
  void SetLimitText(int limit);

  // ----- Selection (character positions; -1 as end means the end of the text) -----------------
  void SetSel(LONG start, LONG end);
  CHARRANGE GetSel() const;
  void SetSelAll() { SetSel(0, -1); }
  void SetSelNone() { SetSel(-1, 0); }
  std::wstring GetSelText() const;
  // Replaces the selection with text.
  void ReplaceSel(const std::wstring& text);

  // ----- Links ---------------------------------------------------------------------------------
  // Appends a link range; a press inside it raises kEventLinkClick instead of placing the caret,
  // with the range's text as wParam (a const wchar_t*, valid while the event runs).
  void AddLinkRange(LONG start, LONG end, const std::wstring& text);
  void ClearLinkRanges() { link_ranges_.clear(); }
  const std::vector<LinkRange>& GetLinkRanges() const { return link_ranges_; }
  // Whether point (window client pixels) lies on a character of a link range; its text when it
  // does (the first range in order that holds the character).
  bool HitTestLink(POINT point, std::wstring* text) const;

  // ----- Settings ------------------------------------------------------------------------------
  DWORD GetStyle() const { return style_; }
  bool IsReadOnly() const { return read_only_; }
  bool IsPassword() const { return password_; }
  bool IsNumberOnly() const { return number_only_; }
  bool IsRich() const { return rich_; }
  void SetRich(bool rich);
  bool IsWantTab() const { return want_tab_; }
  void SetWantTab(bool want) { want_tab_ = want; }
  bool IsWantReturnMsg() const { return want_return_msg_; }
  void SetWantReturnMsg(bool want) { want_return_msg_ = want; }
  bool IsReturnMsgWantCtrl() const { return return_msg_want_ctrl_; }
  void SetReturnMsgWantCtrl(bool want) { return_msg_want_ctrl_ = want; }
  // The first release of the mouse after the focus came selects the whole text.
  void SetSelectAllOnFocus(bool selectAll) { select_all_on_focus_ = selectAll; }
  // A read-only control drops its selection when it loses the focus (on by default).
  void SetClearSelectionWhenReadOnly(bool clear) { clear_selection_read_only_ = clear; }
  const std::wstring& GetFontId() const { return font_id_; }
  // The font of the text (and the prompt), from the global font table.
  void SetFont(const std::wstring& fontId);
  const std::wstring& GetTextColor() const { return text_color_; }
  const std::wstring& GetNormalTextColor() const { return normal_text_color_; }
  const std::wstring& GetDisabledTextColor() const { return disabled_text_color_; }
  const std::wstring& GetPromptText() const { return prompt_text_; }
  void SetPromptText(const std::wstring& text);
  // Shown while the prompt text is empty, looked up at each paint.
  void SetPromptTextId(const std::wstring& id);
  void SetPromptColor(const std::wstring& colorName);
  const std::wstring& GetCaretColor() const { return caret_color_; }
  void SetCaretColor(const std::wstring& colorName);
  bool IsPromptMode() const { return prompt_mode_; }

  // ----- State ---------------------------------------------------------------------------------
  bool IsCaretVisible() const { return caret_visible_; }
  bool IsCaretBlinking() const { return caret_flag_.HasUsed(); }
  POINT GetCaretPos() const { return caret_pos_; }
  SIZE GetCaretSize() const { return caret_size_; }
  bool IsComposing() const { return composing_; }
  // Null before DoInit and where the text services cannot be had.
  CTxtWinHost* GetTextHost() const { return host_.get(); }

  // Where the touch keyboard and the clipboard are reached (tests hand in their own; null
  // restores the process's own). Not owned.
  void SetKeyboardManager(OnScreenKeyboardManager* manager) { keyboard_manager_ = manager; }
  void SetClipboard(TextClipboard* clipboard) { clipboard_ = clipboard; }

  // ----- ITextHostOwner ------------------------------------------------------------------------
  HWND GetHostWindow() const override;
  HDC GetHostDC() const override { return dc_; }
  void InvalidateHostRect(const RECT& rect) override;
  SIZE GetHostScrollOffset() const override { return GetScrollOffset(); }
  void SetHostCapture(bool captured) override;
  void SetHostFocus() override { SetFocus(); }
  TextVerAlign GetTextVerAlign() const override { return ver_align_; }
  void ArrangeHost() override;
  bool HasScrollBar(TextScrollBar bar) const override;
  int64_t GetScrollBarRange(TextScrollBar bar) const override;
  void SetScrollBarRange(TextScrollBar bar, int64_t range) override;
  void SetScrollBarPos(TextScrollBar bar, int64_t pos) override;
  void SetCaretSize(int width, int height) override;
  void SetCaretPos(int x, int y) override;
  void SetCaretBlinking(bool blinking) override;
  void OnTxNotify(DWORD code, void* data) override;

 private:
  // Style bits a markup boolean switches.
  void SetStyleBits(DWORD bits, bool on);
  void SetScrollBarStyle(bool vertical, bool on);
  void SetAlign(const std::wstring& value);
  // The host's character format reaches the text services again (some ignore the property bit
  // that says it changed).
  void ApplyCharFormat();

  // ----- Events (rich_edit_events.cpp) ---------------------------------------------------------
  void OnSetFocus();
  void OnKillFocus();
  void OnKeyDown(const EventArgs& args);
  void OnChar(const EventArgs& args);
  // A paste key (Ctrl+V, Shift+Insert) in number mode: the digits of the clipboard's text
  // replace the selection, as a paste would put them; the clipboard is only read. A clipboard
  // that cannot be read, or whose text has no digit, pastes nothing.
  void PasteDigits();
  void OnButtonDown(const EventArgs& args);
  void OnButtonUp(const EventArgs& args);
  void OnSetCursor(const EventArgs& args);
  void OnImeStartComposition();
  // A mouse message for the text services at the event's point (moved by the scroll offset).
  void SendMouseMessage(UINT message, const EventArgs& args);
  // Raises type on the control through its window (or directly without one).
  void RaiseEvent(int type, const EventArgs& args);
  OnScreenKeyboardManager* KeyboardManager() const;

  // ----- Caret ---------------------------------------------------------------------------------
  // Shows the caret and blinks it from now on (only while focused and enabled).
  void StartCaret();
  // Stops the blink and hides the caret.
  void StopCaret();
  void ToggleCaret();
  // Repaints the caret's line.
  void InvalidateCaret();

  // ----- Layout and painting (rich_edit_paint.cpp) ---------------------------------------------
  // Runs SetPos again on the current rectangle, refused beyond a few nested runs (the text
  // services may ask for a layout while they lay the text out for one).
  void RelayOutHost();
  void PaintPrompt(IRenderContext* context);
  void PaintCaret(IRenderContext* context);
  // Whether the text services hold no text.
  bool IsTextEmpty() const;

  CTxtWinHost::Ptr host_;
  // A memory context compatible with the screen: the text services measure with it.
  HDC dc_ = nullptr;
  bool want_tab_ = true;
  bool want_return_msg_ = false;
  bool return_msg_want_ctrl_ = false;
  bool rich_ = false;
  bool read_only_ = false;
  bool password_ = false;
  bool number_only_ = false;
  bool prompt_mode_ = false;
  bool focused_ = false;
  bool clicked_since_focus_ = false;
  bool clear_selection_read_only_ = true;
  bool select_all_on_focus_ = false;
  POINT caret_pos_ = {0, 0};
  SIZE caret_size_ = {0, 0};
  bool composing_ = false;
  std::wstring font_id_;
  int limit_ = kDefaultLimit;
  DWORD style_ = ES_MULTILINE;
  TextVerAlign ver_align_ = TextVerAlign::kTop;
  std::wstring normal_text_color_;
  std::wstring disabled_text_color_;
  std::wstring prompt_color_;
  std::wstring caret_color_;
  std::wstring prompt_text_;
  std::wstring prompt_text_id_;
  std::wstring text_color_;
  std::wstring text_;
  bool fix_vertical_bar_ = false;
  bool caret_visible_ = false;
  int relayout_depth_ = 0;
  // Counts layouts: one that began inside another tells the outer one it is done.
  int layout_generation_ = 0;
  Image focused_image_;
  std::vector<LinkRange> link_ranges_;
  OnScreenKeyboardManager* keyboard_manager_ = nullptr;  // Not owned; null: the process's.
  TextClipboard* clipboard_ = nullptr;                   // Not owned; null: the system's.
  // The caret blink timer is bound to it.
  nbase::WeakCallbackFlag caret_flag_;
};

}  // namespace ui

#endif  // UI_CONTROLS_RICH_EDIT_H_
