// The rich edit over the real windowless text services, driven through the events a window sends
// it: typing, Tab and Return, number mode (typed and pasted through a clipboard of the test's
// own), the caret blink on a clock the test drives, focus, links, the prompt, fonts and colours,
// the length limit, scroll bars, measuring, and painting into a memory surface.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/on_screen_keyboard_manager.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/text_clipboard.h"
#include "ui/controls/touch_keyboard_system.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::RichEdit;

// Holds keys down in this thread's keyboard state (what GetKeyState reads) for its life.
class HeldKeys {
 public:
  HeldKeys(std::initializer_list<int> keys) {
    ::GetKeyboardState(saved_);
    BYTE state[256];
    std::copy(std::begin(saved_), std::end(saved_), std::begin(state));
    for (int key : keys) state[key] |= 0x80;
    ::SetKeyboardState(state);
  }
  ~HeldKeys() { ::SetKeyboardState(saved_); }

 private:
  BYTE saved_[256] = {};
};

// A clipboard of the test's own; it can only be read, as the control reads it.
class FakeClipboard : public ui::TextClipboard {
 public:
  bool Open(HWND openedFor) override {
    owner = openedFor;
    if (refuseOpen > 0) {
      --refuseOpen;
      return false;
    }
    return true;
  }
  void Close() override {}
  std::wstring GetText() override { return text; }

  std::wstring text;
  int refuseOpen = 0;
  HWND owner = nullptr;  // What the last Open was for.
};

// Records the keys and characters that reach the text services; a paste key is kept from them
// (the real services would paste the system's clipboard) and what the clipboard held then noted.
class RecordingRichEdit : public RichEdit {
 public:
  HRESULT TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT* result) const override {
    if (message == WM_KEYDOWN || message == WM_CHAR) forwarded.emplace_back(message, wParam);
    if (message == WM_VSCROLL && LOWORD(wParam) == SB_THUMBPOSITION)
      scrolls.emplace_back(message, HIWORD(wParam));
    if (message == EM_SETSCROLLPOS)
      scrolls.emplace_back(message, reinterpret_cast<const POINT*>(lParam)->y);
    if (message == WM_KEYDOWN && (wParam == 'V' || wParam == VK_INSERT) && clipboard) {
      pasted.push_back(clipboard->text);
      return S_OK;
    }
    return RichEdit::TxSendMessage(message, wParam, lParam, result);
  }

  mutable std::vector<std::pair<UINT, WPARAM>> forwarded;
  mutable std::vector<std::wstring> pasted;
  mutable std::vector<std::pair<UINT, LONG>> scrolls;  // Vertical positions asked for.
  FakeClipboard* clipboard = nullptr;
};

// A touch keyboard that is never on the screen, counting what the manager does to it.
class KeyboardLog : public ui::TouchKeyboardSystem {
 public:
  bool IsSupported() override { return true; }
  HWND FindKeyboardWindow() override { return shown ? kKeyboard : nullptr; }
  LONG_PTR GetWindowStyle(HWND) override { return WS_VISIBLE; }
  void CloseKeyboardWindow(HWND) override {
    ++hides;
    shown = false;
  }
  bool ToggleThroughObject() override {
    ++shows;
    shown = true;
    return true;
  }
  bool GetEnvironment(const wchar_t*, std::wstring*) override { return false; }
  void OpenProgram(const std::wstring&) override {}

  static inline const HWND kKeyboard = reinterpret_cast<HWND>(0x4321);
  bool shown = true;
  int shows = 0;
  int hides = 0;
};

class RichEditTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::GlobalManager::AddTextColor(L"edit_prompt", 0xFF808080);
    ui::GlobalManager::AddTextColor(L"edit_text", 0xFF2040C0);
    ui::GlobalManager::AddTextColor(L"edit_grey", 0xFFA0A0A0);
    ui::GlobalManager::AddTextColor(L"edit_caret", 0xFFFF0000);
    ui::FontInfo bold;
    bold.faceName = L"Segoe UI";
    bold.size = 20;
    bold.bold = true;
    bold.italic = true;
    bold.font = ::CreateFontW(-20, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                              0, L"Segoe UI");
    ui::GlobalManager::AddFont(L"edit_bold", bold);
  }

  void SetUp() override {
    window_.Init(uitest::MakeTestWindow());
    root_ = new ui::Box();
    ASSERT_TRUE(window_.AttachRoot(root_));
  }

  // A rich edit set up by attributes, attached (its text services made) and placed at rect.
  template <typename T = RecordingRichEdit>
  T* Make(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> attributes,
          RECT rect = RECT{10, 10, 210, 60}) {
    auto* edit = new T();
    edit->SetAttribute(L"font", uitest::kTestFontId);
    for (const auto& attribute : attributes) edit->SetAttribute(attribute.first, attribute.second);
    root_->Add(edit);
    edit->SetPos(rect);
    return edit;
  }

  void Key(RichEdit* edit, WORD key) {
    edit->SendEvent(ui::kEventKeyDown, key, 0, key);
  }
  void Type(RichEdit* edit, const std::wstring& text) {
    for (wchar_t c : text) edit->SendEvent(ui::kEventChar, c, 0, c);
  }
  int Count(ui::Control* control, int type) {
    auto counter = std::make_shared<int>(0);
    counts_.push_back(counter);
    control->AttachEvent(type, [counter](const ui::EventArgs&) {
      ++*counter;
      return true;
    });
    return static_cast<int>(counts_.size()) - 1;
  }
  int Seen(int counter) const { return *counts_[counter]; }

  ui::ManualClock clock_;  // Before the window: the caret's timer runs on it.
  ui::Window window_;
  ui::Box* root_ = nullptr;  // Owned by window_.
  std::vector<std::shared_ptr<int>> counts_;
};

TEST_F(RichEditTest, TabAndReturnAreTypedOrRaisedAsTheAttributesSay) {
  RecordingRichEdit* edit = Make({});
  ASSERT_TRUE(edit->GetTextHost());
  const int tabs = Count(edit, ui::kEventTab);
  const int returns = Count(edit, ui::kEventReturn);
  Type(edit, L"a\tb");
  EXPECT_EQ(edit->GetText(), L"a\tb");
  EXPECT_EQ(Seen(tabs), 0);

  edit->SetAttribute(L"wanttab", L"false");
  Type(edit, L"\t");
  EXPECT_EQ(Seen(tabs), 1);
  EXPECT_EQ(edit->GetText(), L"a\tb");

  edit->SetAttribute(L"wantreturnmsg", L"true");
  Key(edit, VK_RETURN);
  EXPECT_EQ(Seen(returns), 1);
  {
    HeldKeys shift({VK_SHIFT});
    Key(edit, VK_RETURN);  // Shift+Return always reaches the text.
  }
  EXPECT_EQ(Seen(returns), 1);
  {
    HeldKeys ctrl({VK_CONTROL});
    Key(edit, VK_RETURN);  // Not without "returnmsgwantctrl".
  }
  EXPECT_EQ(Seen(returns), 1);
  const size_t forwardedReturns = std::count(edit->forwarded.begin(), edit->forwarded.end(),
                                             std::make_pair(UINT{WM_KEYDOWN}, WPARAM{VK_RETURN}));
  EXPECT_EQ(forwardedReturns, 2u);

  edit->SetAttribute(L"returnmsgwantctrl", L"true");
  Key(edit, VK_RETURN);  // Now only Ctrl+Return raises it.
  EXPECT_EQ(Seen(returns), 1);
  {
    HeldKeys ctrl({VK_CONTROL});
    Key(edit, VK_RETURN);
  }
  EXPECT_EQ(Seen(returns), 2);
}

TEST_F(RichEditTest, NumberModeKeepsTypedAndPastedTextToDigits) {
  FakeClipboard clipboard;
  RecordingRichEdit* edit = Make({{L"number", L"true"}});
  edit->clipboard = &clipboard;
  edit->SetClipboard(&clipboard);
  Type(edit, L"1a2-b3");
  EXPECT_EQ(edit->GetText(), L"123");

  // A paste puts the digits of the clipboard's text over the selection; the clipboard is only
  // read, and the text services never paste it themselves.
  clipboard.text = L"a4b5 c6";
  edit->SetSel(1, 2);
  {
    HeldKeys ctrl({VK_CONTROL});
    Key(edit, 'V');
  }
  EXPECT_EQ(edit->GetText(), L"14563");
  EXPECT_EQ(clipboard.owner, window_.GetHWND()) << "opened for the control's window";
  clipboard.text = L"x7y";
  {
    HeldKeys shift({VK_SHIFT});
    Key(edit, VK_INSERT);  // The other paste key.
  }
  EXPECT_EQ(edit->GetText(), L"145673");
  EXPECT_TRUE(edit->pasted.empty());

  // Letters only, no text, or a clipboard that cannot be opened: nothing goes in.
  HeldKeys ctrl({VK_CONTROL});
  for (const wchar_t* text : {L"letters", L""}) {
    clipboard.text = text;
    Key(edit, 'V');
  }
  clipboard.text = L"8";
  clipboard.refuseOpen = 1;
  Key(edit, 'V');
  EXPECT_EQ(edit->GetText(), L"145673");
  EXPECT_TRUE(edit->pasted.empty());
  // Nor does a read-only one.
  edit->SetAttribute(L"readonly", L"true");
  Key(edit, 'V');
  EXPECT_EQ(edit->GetText(), L"145673");

  // Outside number mode the clipboard is never looked at: the text services paste.
  RecordingRichEdit* plain = Make({});
  plain->clipboard = &clipboard;
  plain->SetClipboard(&clipboard);
  clipboard.text = L"a1";
  clipboard.refuseOpen = 1;
  Key(plain, 'V');
  EXPECT_EQ(plain->pasted.size(), 1u);
}

TEST_F(RichEditTest, AControlDestroyedWhileTheServicesRunGoesSafely) {
  const int live = ui::CTxtWinHost::GetLiveCount();
  root_->SetDelayedDestroy(false);  // Removing deletes at once.
  // A text-change handler removes the control while the text services are still typing.
  RecordingRichEdit* edit = Make({});
  edit->AttachEvent(ui::kEventTextChange, [this, edit](const ui::EventArgs&) {
    root_->Remove(edit);
    return false;
  });
  Type(edit, L"x");
  EXPECT_EQ(root_->GetCount(), 0);
  EXPECT_EQ(ui::CTxtWinHost::GetLiveCount(), live);

  // So does a number-mode paste whose text-change handler removes the control.
  FakeClipboard clipboard;
  clipboard.text = L"a1b2";
  RecordingRichEdit* number = Make({{L"number", L"true"}});
  number->SetClipboard(&clipboard);
  number->AttachEvent(ui::kEventTextChange, [this, number](const ui::EventArgs&) {
    root_->Remove(number);
    return false;
  });
  HeldKeys ctrl({VK_CONTROL});
  Key(number, 'V');
  EXPECT_EQ(root_->GetCount(), 0);
  EXPECT_EQ(clipboard.text, L"a1b2");
  EXPECT_EQ(ui::CTxtWinHost::GetLiveCount(), live);
}

TEST_F(RichEditTest, TheCaretBlinksWhileFocusedAndStopsForASelectionAndForDisabling) {
  auto* keyboardSystem = new KeyboardLog();
  ui::OnScreenKeyboardManager keyboard{std::unique_ptr<ui::TouchKeyboardSystem>(keyboardSystem)};
  RecordingRichEdit* edit = Make({{L"text", L"some text"}});
  edit->SetKeyboardManager(&keyboard);
  EXPECT_FALSE(edit->IsCaretVisible());
  window_.SetFocus(edit);
  ASSERT_TRUE(edit->IsFocused());
  EXPECT_TRUE(edit->IsCaretVisible());
  EXPECT_TRUE(edit->IsCaretBlinking());
  EXPECT_GT(edit->GetCaretSize().cy, 8);
  EXPECT_GE(edit->GetCaretSize().cx, 1);

  // Half a second on, half a second off.
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 490));
  EXPECT_TRUE(edit->IsCaretVisible());
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 20));
  EXPECT_FALSE(edit->IsCaretVisible());
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 500));
  EXPECT_TRUE(edit->IsCaretVisible());

  // Typing moves the caret and shows it at once.
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 500));
  EXPECT_FALSE(edit->IsCaretVisible());
  const LONG before = edit->GetCaretPos().x;
  Type(edit, L"!");
  EXPECT_GT(edit->GetCaretPos().x, before);
  EXPECT_TRUE(edit->IsCaretVisible());

  // A selection stops the blink; collapsing it starts it again.
  Key(edit, VK_END);
  {
    HeldKeys shift({VK_SHIFT});
    Key(edit, VK_LEFT);
    Key(edit, VK_LEFT);
  }
  EXPECT_EQ(edit->GetSelText().size(), 2u);
  EXPECT_FALSE(edit->IsCaretBlinking());
  EXPECT_FALSE(edit->IsCaretVisible());
  Key(edit, VK_RIGHT);
  EXPECT_TRUE(edit->IsCaretBlinking());

  // Disabled while focused: no caret, no timer, and no blink later.
  edit->SetEnabled(false);
  EXPECT_FALSE(edit->IsCaretBlinking());
  EXPECT_FALSE(edit->IsCaretVisible());
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 1200));
  EXPECT_FALSE(edit->IsCaretVisible());
  // Its focus still goes, and with it the touch keyboard.
  window_.SetFocus(nullptr);
  EXPECT_FALSE(edit->IsFocused());
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 20));
  EXPECT_EQ(keyboardSystem->hides, 1);

  // Enabled and focused again, then the focus goes: hidden and stopped.
  edit->SetEnabled(true);
  window_.SetFocus(edit);
  EXPECT_TRUE(edit->IsCaretBlinking());
  window_.SetFocus(nullptr);
  EXPECT_FALSE(edit->IsCaretBlinking());
  EXPECT_FALSE(edit->IsCaretVisible());
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 1200));
  EXPECT_FALSE(edit->IsCaretVisible());

  // An IME composition window goes where the caret is, and the caret hides meanwhile.
  window_.SetFocus(edit);
  const POINT caret = edit->GetCaretPos();
  edit->SendEvent(ui::kEventImeStartComposition);
  EXPECT_TRUE(edit->IsComposing());
  const HWND hwnd = window_.GetHWND();
  const HIMC context = ::ImmGetContext(hwnd);
  ASSERT_NE(context, nullptr);
  COMPOSITIONFORM form = {};
  ASSERT_TRUE(::ImmGetCompositionWindow(context, &form));
  ::ImmReleaseContext(hwnd, context);
  EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_POINT));
  EXPECT_EQ(form.ptCurrentPos.x, std::max<LONG>(1, caret.x));
  EXPECT_EQ(form.ptCurrentPos.y, std::max<LONG>(1, caret.y));
  edit->SendEvent(ui::kEventImeEndComposition);
  EXPECT_FALSE(edit->IsComposing());
  window_.SetFocus(nullptr);

  // A press by pen or touch asks for the touch keyboard.
  edit->SendEvent(ui::kEventPointerDown, 0, 0, 0, POINT{20, 20});
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 20));
  EXPECT_EQ(keyboardSystem->shows, 1);
}

CHARFORMAT2W FormatOfAll(RichEdit* edit) {
  edit->SetSelAll();
  CHARFORMAT2W format = {};
  format.cbSize = sizeof(format);
  edit->TxSendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format),
                      nullptr);
  edit->SetSelNone();
  return format;
}

TEST_F(RichEditTest, FontsColoursAndTheLimitReachTheServicesAfterCreation) {
  RecordingRichEdit* edit = Make({{L"font", L"edit_bold"}, {L"text", L"abc"}});
  const int changes = Count(edit, ui::kEventTextChange);
  const DWORD kEffects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE;
  EXPECT_EQ(FormatOfAll(edit).dwEffects & kEffects, static_cast<DWORD>(CFE_BOLD | CFE_ITALIC));

  // A plain font takes the bold and italic of the bold one away.
  edit->SetFont(uitest::kTestFontId);
  const CHARFORMAT2W plain = FormatOfAll(edit);
  EXPECT_EQ(plain.dwEffects & kEffects, 0u);
  EXPECT_EQ(plain.yHeight, 14 * 1440 / 96);

  edit->SetAttribute(L"normaltextcolor", L"  edit_text");
  EXPECT_EQ(FormatOfAll(edit).crTextColor, RGB(0x20, 0x40, 0xC0));
  edit->SetAttribute(L"disabledtextcolor", L"edit_grey");
  edit->SetEnabled(false);
  EXPECT_EQ(edit->GetState(), ui::kControlStateDisabled);
  EXPECT_EQ(FormatOfAll(edit).crTextColor, RGB(0xA0, 0xA0, 0xA0));
  edit->SetEnabled(true);
  EXPECT_EQ(FormatOfAll(edit).crTextColor, RGB(0x20, 0x40, 0xC0));
  EXPECT_EQ(edit->GetText(), L"abc");
  EXPECT_EQ(Seen(changes), 0);  // Formats are not text.

  // A limit set after creation holds for typing.
  edit->SetLimitText(5);
  LRESULT limit = 0;
  edit->TxSendMessage(EM_GETLIMITTEXT, 0, 0, &limit);
  EXPECT_EQ(limit, 5);
  edit->SetSel(-1, -1);
  Type(edit, L"defgh");
  EXPECT_EQ(edit->GetText(), L"abcde");
}

TEST_F(RichEditTest, TextSelectionReadOnlyAndPassword) {
  RecordingRichEdit* edit = Make({{L"text", L"before"}});
  const int changes = Count(edit, ui::kEventTextChange);
  edit->SetUTF8Text("caf\xC3\xA9 \xE2\x82\xAC 5");
  EXPECT_GE(Seen(changes), 1);
  EXPECT_EQ(edit->GetText(), L"caf\u00e9 \u20ac 5");
  EXPECT_EQ(edit->GetUTF8Text(), "caf\xC3\xA9 \xE2\x82\xAC 5");
  edit->SetSel(5, 6);
  EXPECT_EQ(edit->GetSelText(), L"\u20ac");
  edit->ReplaceSel(L"EUR");
  EXPECT_EQ(edit->GetText(), L"caf\u00e9 EUR 5");
  ui::LanguageStringTable::GetInstance()->LoadLines({L"EDIT_GREETING=hello there"});
  edit->SetAttribute(L"textid", L"EDIT_GREETING");
  EXPECT_EQ(edit->GetText(), L"hello there");

  // Before it is attached the text is what was set.
  RichEdit loose;
  loose.SetText(L"kept");
  EXPECT_EQ(loose.GetText(), L"kept");
  EXPECT_EQ(loose.TxSendMessage(WM_CHAR, 'x', 0, nullptr), S_FALSE);

  // Read-only: typing is refused, a double click selects everything, losing the focus drops the
  // selection. A password control shows stars.
  RecordingRichEdit* fixed = Make({{L"readonly", L"true"}, {L"text", L"fixed text"}});
  Type(fixed, L"typed");
  EXPECT_EQ(fixed->GetText(), L"fixed text");
  window_.SetFocus(fixed);
  fixed->SendEvent(ui::kEventInternalDoubleClick, 0, 0, 0, POINT{20, 20});
  EXPECT_EQ(fixed->GetSelText(), L"fixed text");
  window_.SetFocus(nullptr);
  EXPECT_TRUE(fixed->GetSelText().empty());
  // Select-all-on-focus: the first release after the focus came selects the whole text.
  RecordingRichEdit* all = Make({{L"text", L"every word"}});
  all->SetSelectAllOnFocus(true);
  window_.SetFocus(all);
  all->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{20, 20});
  EXPECT_EQ(all->GetSelText(), L"every word");
  all->SetSel(2, 2);
  all->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{20, 20});  // Not again.
  EXPECT_TRUE(all->GetSelText().empty());
  // A password control lays out a star for each character: narrower than these capitals.
  RecordingRichEdit* secret = Make({{L"password", L"true"}});
  RecordingRichEdit* open = Make({});
  Type(secret, L"WWWW");
  Type(open, L"WWWW");
  EXPECT_EQ(secret->GetText(), L"WWWW");
  const auto endOf = [](RichEdit* e) {
    POINTL at = {0, 0};
    e->TxSendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 4, nullptr);
    return at.x - e->GetPos().left;
  };
  EXPECT_LT(endOf(secret) * 3, endOf(open) * 2);

  // Both reach the text services when set after creation, and when taken back.
  RecordingRichEdit* later = Make({{L"text", L"abc"}});
  later->SetAttribute(L"readonly", L"true");
  later->SetSel(-1, -1);
  Type(later, L"x");
  EXPECT_EQ(later->GetText(), L"abc");
  later->SetAttribute(L"readonly", L"false");
  Type(later, L"d");
  EXPECT_EQ(later->GetText(), L"abcd");
  open->SetAttribute(L"password", L"true");
  EXPECT_EQ(endOf(open), endOf(secret));
  open->SetAttribute(L"password", L"false");
  EXPECT_GT(endOf(open) * 2, endOf(secret) * 3);
}

TEST_F(RichEditTest, TheMouseCaptureOfTheTextServicesIsTheWindows) {
  RecordingRichEdit* edit = Make({});
  ASSERT_TRUE(edit->GetTextHost());
  edit->GetTextHost()->TxSetCapture(TRUE);
  ASSERT_EQ(::GetCapture(), window_.GetHWND());
  // The window knows it holds the capture: the button's release lets it go.
  bool handled = false;
  window_.RouteMessage(WM_LBUTTONUP, 0, MAKELPARAM(300, 300), &handled);
  EXPECT_EQ(::GetCapture(), nullptr);
  ::ReleaseCapture();
}

// Where the text services put character index (window client pixels), a little inside it.
POINT PointOf(RichEdit* edit, LONG index) {
  POINTL at = {0, 0};
  edit->TxSendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), index, nullptr);
  return POINT{at.x + 2, at.y + 5};
}

TEST_F(RichEditTest, APressOnALinkRaisesItsTextInsteadOfPlacingTheCaret) {
  RecordingRichEdit* edit = Make({{L"text", L"see the link here"}});
  edit->AddLinkRange(8, 12, L"https://phone.test/link");
  std::wstring text;
  EXPECT_TRUE(edit->HitTestLink(PointOf(edit, 8), &text));
  EXPECT_EQ(text, L"https://phone.test/link");
  EXPECT_TRUE(edit->HitTestLink(PointOf(edit, 11), &text));
  EXPECT_FALSE(edit->HitTestLink(PointOf(edit, 12), &text));  // The end is outside.
  EXPECT_TRUE(text.empty());

  std::wstring clicked;
  edit->AttachEvent(ui::kEventLinkClick, [&clicked](const ui::EventArgs& args) {
    clicked = reinterpret_cast<const wchar_t*>(args.wParam);
    return true;
  });
  edit->SetSel(0, 0);
  edit->SendEvent(ui::kEventButtonDown, MK_LBUTTON, 0, 0, PointOf(edit, 9));
  edit->SendEvent(ui::kEventButtonUp, 0, 0, 0, PointOf(edit, 9));
  EXPECT_EQ(clicked, L"https://phone.test/link");
  EXPECT_EQ(edit->GetSel().cpMin, 0);
  edit->SendEvent(ui::kEventSetCursor, 0, 0, 0, PointOf(edit, 9));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

  // Elsewhere a press places the caret.
  edit->SendEvent(ui::kEventButtonDown, MK_LBUTTON, 0, 0, PointOf(edit, 1));
  edit->SendEvent(ui::kEventButtonUp, 0, 0, 0, PointOf(edit, 1));
  EXPECT_EQ(edit->GetSel().cpMin, 1);
  EXPECT_TRUE(edit->IsFocused());  // The text services asked for the focus.
  edit->SendEvent(ui::kEventSetCursor, 0, 0, 0, PointOf(edit, 1));
  EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

  edit->SetText(L"new text");
  EXPECT_TRUE(edit->GetLinkRanges().empty());
}

TEST_F(RichEditTest, AlignmentAndMeasuringFollowTheText) {
  const RECT tall = {10, 10, 210, 110};
  RecordingRichEdit* left = Make({{L"text", L"mid"}}, tall);
  RecordingRichEdit* center = Make({{L"align", L"center"}, {L"text", L"mid"}}, tall);
  RecordingRichEdit* hcenter = Make({{L"align", L"hcenter"}, {L"text", L"mid"}}, tall);
  RecordingRichEdit* right = Make({{L"align", L"right"}, {L"text", L"mid"}}, tall);
  RecordingRichEdit* middle = Make({{L"align", L"vcenter"}, {L"text", L"mid"}}, tall);
  EXPECT_LT(PointOf(left, 0).x, 20);
  EXPECT_LT(PointOf(center, 0).x, 20);
  EXPECT_GT(PointOf(hcenter, 0).x, 90);
  EXPECT_LT(PointOf(hcenter, 0).x, 110);
  EXPECT_GT(PointOf(right, 0).x, 170);
  EXPECT_LT(PointOf(left, 0).y, 20);
  EXPECT_GT(PointOf(middle, 0).y, 45);
  EXPECT_LT(PointOf(middle, 0).y, 65);

  // An auto width is the text's own plus the padding; an auto height stays auto beside it.
  RecordingRichEdit* word = Make({{L"multiline", L"false"}, {L"text", L"hello"}});
  RecordingRichEdit* words = Make({{L"multiline", L"false"}, {L"text", L"hello hello hello"}});
  for (RichEdit* edit : {word, words}) {
    edit->SetAttribute(L"padding", L"4,0,6,0");
    edit->SetFixedWidth(ui::kSizeAuto);
    edit->SetFixedHeight(30);
  }
  const SIZE one = word->EstimateSize(SIZE{500, 500});
  const SIZE three = words->EstimateSize(SIZE{500, 500});
  EXPECT_GT(one.cx, 10 + 20);
  EXPECT_LT(one.cx, 10 + 50);
  EXPECT_GT(three.cx, one.cx * 2);
  EXPECT_EQ(one.cy, 30);
  words->SetFixedHeight(ui::kSizeAuto);
  EXPECT_EQ(words->EstimateSize(SIZE{500, 500}).cy, ui::kSizeAuto);
  // An auto height below a fixed width: the wrapped text's height plus the padding.
  RecordingRichEdit* lines = Make({{L"text", L"one two three four five six seven eight"}});
  lines->SetAttribute(L"padding", L"0,5,0,5");
  lines->SetFixedWidth(60);
  lines->SetFixedHeight(ui::kSizeAuto);
  const SIZE wrapped = lines->EstimateSize(SIZE{500, 500});
  EXPECT_EQ(wrapped.cx, 60);
  EXPECT_GT(wrapped.cy, 10 + 3 * 14);
  // A stretched width measures at the width the layout offers.
  lines->SetFixedWidth(ui::kSizeStretch);
  const SIZE narrow = lines->EstimateSize(SIZE{60, 500});
  EXPECT_EQ(narrow.cx, ui::kSizeStretch);
  EXPECT_EQ(narrow.cy, wrapped.cy);
  EXPECT_LT(lines->EstimateSize(SIZE{600, 500}).cy, wrapped.cy);
}

TEST_F(RichEditTest, ScrollBarsFollowTheServicesAndScrollTheText) {
  std::wstring text;
  for (int i = 0; i < 40; ++i) text += L"line " + std::to_wstring(i) + L"\r";
  RecordingRichEdit* edit = Make({{L"vscrollbar", L"true"}, {L"autovscroll", L"true"}});
  edit->SetText(text);
  ui::ScrollBar* vbar = edit->GetVScrollBar();
  ASSERT_NE(vbar, nullptr);
  EXPECT_GT(vbar->GetScrollRange(), 400);
  // The text makes room for the bar, which stands beside it.
  EXPECT_EQ(edit->GetTextHost()->GetClientRect().right, 210 - vbar->GetFixedWidth());
  EXPECT_EQ(vbar->GetPos().left, 210 - vbar->GetFixedWidth());

  const auto firstLine = [edit] {
    LRESULT line = 0;
    edit->TxSendMessage(EM_GETFIRSTVISIBLELINE, 0, 0, &line);
    return line;
  };
  edit->HomeUp();
  EXPECT_EQ(vbar->GetScrollPos(), 0);
  const LONG lineHeight = PointOf(edit, 7).y - PointOf(edit, 0).y;  // "line 0\r" is 7 long.
  ASSERT_GT(lineHeight, 8);
  edit->SetScrollPos(SIZE{0, lineHeight * 10});
  EXPECT_EQ(firstLine(), 10);
  EXPECT_EQ(vbar->GetScrollPos(), lineHeight * 10);
  edit->PageDown();
  EXPECT_GT(vbar->GetScrollPos(), lineHeight * 10);
  edit->EndDown(true, true);
  EXPECT_EQ(vbar->GetScrollPos(), vbar->GetScrollRange());
  EXPECT_GT(firstLine(), 35);
  edit->SendEvent(ui::kEventScrollWheel, static_cast<WPARAM>(-120), 0, 0, POINT{50, 30});
  {
    HeldKeys ctrl({VK_CONTROL});  // Ctrl+wheel is left alone.
    const int64_t before = vbar->GetScrollPos();
    edit->SendEvent(ui::kEventScrollWheel, static_cast<WPARAM>(-120), 0, 0, POINT{50, 30});
    EXPECT_EQ(vbar->GetScrollPos(), before);
  }

  // A position beyond the 16 bits of a scroll message goes as a whole position. (These text
  // services keep their range within 16 bits: the bar is given a longer one here.)
  vbar->SetScrollRange(100000);
  edit->scrolls.clear();
  edit->SetScrollPos(SIZE{0, 80000});
  ASSERT_EQ(edit->scrolls.size(), 1u);
  EXPECT_EQ(edit->scrolls[0].first, static_cast<UINT>(EM_SETSCROLLPOS));
  EXPECT_EQ(edit->scrolls[0].second, 80000);
  edit->SetScrollPos(SIZE{0, 20});
  ASSERT_EQ(edit->scrolls.size(), 2u);
  EXPECT_EQ(edit->scrolls[1], std::make_pair(UINT{WM_VSCROLL}, LONG{20}));

  // Text that fits hides the bar and gives the text its width back.
  edit->SetText(L"short");
  EXPECT_EQ(vbar->GetScrollRange(), 0);
  EXPECT_FALSE(vbar->IsVisible());
  EXPECT_EQ(edit->GetTextHost()->GetClientRect().right, 210);
}

// Pixels of rect by kind of ink.
struct Ink {
  int grey = 0;   // The prompt's grey (anti-aliased toward white).
  int blue = 0;   // The text colour.
  int red = 0;    // A red caret.
  int black = 0;  // The default caret (and black text).
};

Ink InkIn(ui::IRenderContext* canvas, const RECT& rect) {
  Ink ink;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      const DWORD rgb = uitest::RgbAt(canvas, x, y);
      const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
      if (r == g && g == b && r >= 0x60 && r < 0xD0) ++ink.grey;
      if (b > r + 60 && b > g + 40) ++ink.blue;
      if (r > 0xC0 && g < 0x50 && b < 0x50) ++ink.red;
      if (r < 0x30 && g < 0x30 && b < 0x30) ++ink.black;
    }
  }
  return ink;
}

TEST_F(RichEditTest, PaintsTextPromptAndCaretIntoTheWindowsSurface) {
  ui::LanguageStringTable::GetInstance()->LoadLines({L"EDIT_PROMPT=Search phones"});
  std::unique_ptr<ui::IRenderContext> canvas = uitest::MakeCanvas(440, 170);
  canvas->FillRect(RECT{0, 0, 440, 170}, 0xFFFFFFC0);  // Light yellow.
  const auto paint = [&canvas](RichEdit* edit) {
    edit->PaintWithClip(canvas.get(), edit->GetPos());
    return InkIn(canvas.get(), edit->GetPos());
  };
  const auto prompted = [this](RECT rect, std::initializer_list<std::pair<const wchar_t*,
                                                                           const wchar_t*>> more) {
    RecordingRichEdit* edit =
        Make({{L"prompttext", L"Pairing code"}, {L"normaltextcolor", L"edit_text"}}, rect);
    for (const auto& attribute : more) edit->SetAttribute(attribute.first, attribute.second);
    return edit;
  };

  const Ink empty = paint(prompted({10, 10, 210, 40}, {{L"promptcolor", L"edit_prompt"}}));
  EXPECT_GT(empty.grey, 40);
  EXPECT_EQ(empty.blue, 0);
  RecordingRichEdit* typed = prompted({10, 50, 210, 80}, {{L"promptcolor", L"edit_prompt"}});
  Type(typed, L"Typed");
  const Ink text = paint(typed);
  EXPECT_EQ(text.grey, 0);
  EXPECT_GT(text.blue, 20);
  // The text is drawn over what lies below; its background is not filled.
  EXPECT_GT(uitest::CountRgb(canvas.get(), typed->GetPos(), 0xFFFFC0), 200 * 30 * 8 / 10);
  EXPECT_EQ(paint(prompted({10, 90, 210, 120}, {})).grey, 0);  // No prompt colour.
  EXPECT_EQ(paint(prompted({10, 130, 210, 160}, {{L"promptcolor", L"edit_prompt"},
                                                  {L"readonly", L"true"}}))
                .grey,
            0);

  // Focused: the prompt of a language string and a red caret; then the default black caret.
  RecordingRichEdit* search = Make({{L"prompttextid", L"EDIT_PROMPT"},
                                    {L"promptcolor", L"edit_prompt"},
                                    {L"promptmode", L"true"},
                                    {L"caretcolor", L"edit_caret"}},
                                   RECT{230, 10, 430, 40});
  window_.SetFocus(search);
  ASSERT_TRUE(search->IsCaretVisible());
  const Ink focused = paint(search);
  EXPECT_GT(focused.grey, 40);
  EXPECT_GE(focused.red, search->GetCaretSize().cy - 2);
  const POINT caret = search->GetCaretPos();
  EXPECT_GT(InkIn(canvas.get(), RECT{caret.x - 1, caret.y, caret.x + 2, caret.y + 10}).red, 8);

  RecordingRichEdit* plain =
      Make({{L"normaltextcolor", L"edit_text"}, {L"text", L"abc"}}, RECT{230, 50, 430, 80});
  window_.SetFocus(plain);
  plain->SetSel(-1, -1);
  const POINT end = plain->GetCaretPos();
  const Ink withCaret = paint(plain);
  EXPECT_GE(withCaret.black, plain->GetCaretSize().cy - 2);
  EXPECT_EQ(withCaret.red, 0);
  EXPECT_GT(InkIn(canvas.get(), RECT{end.x - 1, end.y, end.x + 2, end.y + 10}).black, 8);
  // After half a second the caret is off, and a new paint shows none.
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 510));
  canvas->FillRect(plain->GetPos(), 0xFFFFFFFF);
  EXPECT_EQ(paint(plain).black, 0);

  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring png = std::wstring(temp) + L"fernhold-rich-edit.png";
  window_.SetFocus(search);
  paint(search);
  EXPECT_TRUE(uitest::SaveContextPng(canvas.get(), png));
  printf("rich edit painting: %ls\n", png.c_str());
}

TEST_F(RichEditTest, MarkupMakesARichEditWithItsAttributes) {
  ui::WindowBuilder builder;
  ui::Control* built = builder.Create(
      L"<Window><VBox><RichEdit name=\"code\" number=\"true\" text=\"12\" wanttab=\"false\" "
      L"multiline=\"false\" prompttext=\"Digits\"/></VBox></Window>",
      nullptr, &window_, nullptr);
  ASSERT_NE(built, nullptr);
  root_->Add(built);
  auto* code = dynamic_cast<RichEdit*>(static_cast<ui::Box*>(built)->GetItemAt(0));
  ASSERT_NE(code, nullptr);
  ASSERT_NE(code->GetTextHost(), nullptr);  // Made when the tree joined the window.
  EXPECT_EQ(code->GetText(), L"12");
  EXPECT_TRUE(code->IsNumberOnly());
  EXPECT_FALSE(code->IsWantTab());
  EXPECT_EQ(code->GetStyle() & ES_MULTILINE, 0u);
  EXPECT_EQ(code->GetPromptText(), L"Digits");
}

}  // namespace
