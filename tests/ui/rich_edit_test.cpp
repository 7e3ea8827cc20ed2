// The rich edit over the real windowless text services, driven through the events a window sends
// it: typing, Tab and Return, number mode (typed and pasted through a clipboard of the test's
// own), the caret blink on a clock the test drives, focus, links, the prompt, fonts and colours,
// the length limit, scroll bars, measuring, and painting into a memory surface.
#include <gtest/gtest.h>

#include <functional>
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

// A clipboard of the test's own.
class FakeClipboard : public ui::TextClipboard {
 public:
  bool Open() override {
    if (refuseOpen > 0) {
      --refuseOpen;
      return false;
    }
    return true;
  }
  void Close() override {}
  std::wstring GetText() override { return text; }
  bool SetText(const std::wstring& newText) override {
    text.clear();  // Emptied first, as the system clipboard is.
    if (refuseSet) return false;
    text = newText;
    ++writes;
    return true;
  }

  std::wstring text;
  int refuseOpen = 0;
  bool refuseSet = false;
  int writes = 0;
};

// Records the keys and characters that reach the text services; a paste key is kept from them
// (the real services would paste the system's clipboard) and what the clipboard held then noted.
class RecordingRichEdit : public RichEdit {
 public:
  HRESULT TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT* result) const override {
    if (message == WM_KEYDOWN || message == WM_CHAR) forwarded.emplace_back(message, wParam);
    if (message == WM_KEYDOWN && wParam == 'V' && clipboard) {
      pasted.push_back(clipboard->text);
      if (onPaste) onPaste();  // May destroy this control.
      return S_OK;
    }
    return RichEdit::TxSendMessage(message, wParam, lParam, result);
  }

  mutable std::vector<std::pair<UINT, WPARAM>> forwarded;
  mutable std::vector<std::wstring> pasted;
  FakeClipboard* clipboard = nullptr;
  std::function<void()> onPaste;
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

  HeldKeys ctrl({VK_CONTROL});
  const auto pastes = [edit] { return edit->pasted.size(); };

  // Letters and digits: the digits alone are pasted, then the clipboard has its text back.
  clipboard.text = L"a1b2 c3";
  Key(edit, 'V');
  ASSERT_EQ(pastes(), 1u);
  EXPECT_EQ(edit->pasted.back(), L"123");
  EXPECT_EQ(clipboard.text, L"a1b2 c3");

  // Letters only: nothing is pasted and the clipboard is not touched.
  clipboard.text = L"letters";
  clipboard.writes = 0;
  Key(edit, 'V');
  EXPECT_EQ(pastes(), 1u);
  EXPECT_EQ(clipboard.text, L"letters");
  EXPECT_EQ(clipboard.writes, 0);

  // A clipboard that cannot be opened: nothing is pasted (its letters would go in).
  clipboard.text = L"x9";
  clipboard.refuseOpen = 1;
  Key(edit, 'V');
  EXPECT_EQ(pastes(), 1u);
  EXPECT_EQ(clipboard.text, L"x9");
  EXPECT_EQ(clipboard.writes, 0);
  // One that can be read but not written: nothing is pasted, and the text is put back.
  clipboard.refuseOpen = 0;
  clipboard.refuseSet = true;
  Key(edit, 'V');
  EXPECT_EQ(pastes(), 1u);
  clipboard.refuseSet = false;

  // Digits alone, or no text at all: the key goes on as it is.
  clipboard.text = L"42";
  Key(edit, 'V');
  ASSERT_EQ(pastes(), 2u);
  EXPECT_EQ(edit->pasted.back(), L"42");
  EXPECT_EQ(clipboard.writes, 0);
  clipboard.text.clear();
  Key(edit, 'V');
  EXPECT_EQ(pastes(), 3u);

  // Outside number mode the clipboard is never looked at.
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

  // A number-mode paste whose control goes while the services paste still gives the clipboard
  // its text back.
  FakeClipboard clipboard;
  clipboard.text = L"a1b2";
  RecordingRichEdit* number = Make({{L"number", L"true"}});
  number->clipboard = &clipboard;
  number->SetClipboard(&clipboard);
  number->onPaste = [this, number] { root_->Remove(number); };
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

  // A press by pen or touch asks for the touch keyboard.
  edit->SendEvent(ui::kEventPointerDown, 0, 0, 0, POINT{20, 20});
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 20));
  EXPECT_EQ(keyboardSystem->shows, 1);
}

}  // namespace
