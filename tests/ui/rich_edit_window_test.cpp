// Rich edits in a real window on a display of their own: typing, a mouse-drag selection, Tab
// typed or moving the focus, Return as an event, number mode with a paste from the system
// clipboard, the prompt and the caret on the screen (screenshot beside the test).
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/support/system_clipboard.h"
#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/controls/rich_edit.h"
#include "ui/core/global_manager.h"

namespace {

using ui::RichEdit;
using uitest::Place;
using uitest::PumpUntil;
using uitest::ToScreen;

const RECT kRect = {100, 100, 420, 360};
constexpr DWORD kWaitMs = 20000;

void Keys(std::initializer_list<WORD> held, WORD key) {
  std::vector<INPUT> inputs;
  const auto add = [&inputs](WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD vk : held) add(vk, false);
  add(key, false);
  add(key, true);
  for (auto it = held.end(); it != held.begin();) add(*--it, true);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Types letters, digits and blanks on the keyboard.
void TypeKeys(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c == L' ')
      Keys({}, VK_SPACE);
    else if (c >= L'A' && c <= L'Z')
      Keys({VK_SHIFT}, static_cast<WORD>(c));
    else if (c >= L'a' && c <= L'z')
      Keys({}, static_cast<WORD>(c - L'a' + L'A'));
    else
      Keys({}, static_cast<WORD>(c));
  }
}

std::wstring ClipboardText() { return test_support::ReadClipboardText().value_or(L"<busy>"); }

RichEdit* MakeEdit(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> attributes) {
  auto* edit = new RichEdit();
  edit->SetAttribute(L"font", uitest::kTestFontId);
  edit->SetAttribute(L"bkcolor", L"edit_window_white");
  edit->SetAttribute(L"bordersize", L"1");
  edit->SetAttribute(L"bordercolor", L"edit_window_border");
  edit->SetAttribute(L"padding", L"4,4,4,4");
  edit->SetAttribute(L"normaltextcolor", L"edit_window_text");
  edit->SetAttribute(L"promptcolor", L"edit_window_prompt");
  for (const auto& attribute : attributes) edit->SetAttribute(attribute.first, attribute.second);
  return edit;
}

struct Scene {
  Scene() {
    ui::GlobalManager::AddTextColor(L"edit_window_bk", 0xFFE8ECF0);
    ui::GlobalManager::AddTextColor(L"edit_window_white", 0xFFFFFFFF);
    ui::GlobalManager::AddTextColor(L"edit_window_border", 0xFF9098A0);
    ui::GlobalManager::AddTextColor(L"edit_window_text", 0xFF203080);
    ui::GlobalManager::AddTextColor(L"edit_window_prompt", 0xFF909090);
    ui::GlobalManager::AddTextColor(L"edit_window_caret", 0xFFE02020);
    uitest::MoveMouse(POINT{kRect.right + 200, kRect.bottom + 200});
    root->SetAttribute(L"bkcolor", L"edit_window_bk");
    name = Place(root, MakeEdit({{L"multiline", L"false"},
                                 {L"wanttab", L"false"},
                                 {L"prompttext", L"Your name"},
                                 {L"caretcolor", L"edit_window_caret"}}),
                 20, 20, 240, 30);
    code = Place(root, MakeEdit({{L"multiline", L"false"},
                                 {L"number", L"true"},
                                 {L"wantreturnmsg", L"true"},
                                 {L"prompttext", L"Digits only"}}),
                 20, 70, 240, 30);
    notes = Place(root, MakeEdit({{L"vscrollbar", L"true"}, {L"prompttext", L"Notes"}}), 20, 120,
                  240, 100);
    window = new uitest::TestWindow(root);
    hwnd = window->CreateShown(kRect);
  }
  ~Scene() { delete window; }

  POINT At(RichEdit* edit, int dx, int dy) const {
    const RECT pos = edit->GetPos();
    return ToScreen(hwnd, POINT{pos.left + dx, pos.top + dy});
  }
  void ClickInto(RichEdit* edit) {
    uitest::Click(At(edit, 200, 15));
    ASSERT_TRUE(PumpUntil([&] { return edit->IsFocused(); }, kWaitMs));
  }

  ui::ManualClock clock;  // The caret blinks only when the test says.
  uitest::RootBox* root = new uitest::RootBox();
  RichEdit* name;
  RichEdit* code;
  RichEdit* notes;
  uitest::TestWindow* window;
  HWND hwnd;
};

TEST(RichEditWindowTest, TypingSelectingTabReturnAndANumberPasteOnTheScreen) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  ASSERT_TRUE(scene.name->GetTextHost());

  // Typing, then a selection dragged with the mouse that typing replaces.
  scene.ClickInto(scene.name);
  TypeKeys(L"Fern hold");
  ASSERT_TRUE(PumpUntil([&] { return scene.name->GetText() == L"Fern hold"; }, kWaitMs))
      << "typed: " << testing::PrintToString(scene.name->GetText());
  const POINT start = scene.At(scene.name, 5, 15);
  POINTL fifth = {0, 0};
  scene.name->TxSendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&fifth), 5, nullptr);
  uitest::MoveMouse(start);
  uitest::MouseButton(false, true);
  uitest::MoveMouse(ToScreen(scene.hwnd, POINT{fifth.x - 1, fifth.y + 8}));
  uitest::MouseButton(false, false);
  ASSERT_TRUE(PumpUntil([&] { return scene.name->GetSelText() == L"Fern "; }, kWaitMs))
      << "selected: " << testing::PrintToString(scene.name->GetSelText());
  EXPECT_FALSE(scene.name->IsCaretBlinking());
  ::UpdateWindow(scene.hwnd);
  uitest::SaveScreenPng(kRect, L"rich_edit_window_selection.png");
  TypeKeys(L"Fern");
  ASSERT_TRUE(PumpUntil([&] { return scene.name->GetText() == L"Fernhold"; }, kWaitMs));

  // Tab: the single-line edit does not want it, so the focus moves on (and the character that
  // follows the key is no digit for the number edit).
  Keys({}, VK_TAB);
  ASSERT_TRUE(PumpUntil([&] { return scene.code->IsFocused(); }, kWaitMs));
  EXPECT_FALSE(scene.name->IsFocused());

  // Number mode: letters typed are dropped; Return is an event.
  int returns = 0;
  scene.code->AttachEvent(ui::kEventReturn, [&returns](const ui::EventArgs&) {
    ++returns;
    return true;
  });
  TypeKeys(L"4x5");
  Keys({}, VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return returns == 1; }, kWaitMs));
  EXPECT_EQ(scene.code->GetText(), L"45");

  // A paste of letters and digits inserts the digits; the clipboard is read and never written
  // (whatever else it holds stays).
  ASSERT_TRUE(test_support::PutClipboardText(L"a1b2 c3"));
  DWORD sequence = ::GetClipboardSequenceNumber();
  Keys({VK_CONTROL}, 'V');
  ASSERT_TRUE(PumpUntil([&] { return scene.code->GetText() == L"45123"; }, kWaitMs))
      << "pasted: " << testing::PrintToString(scene.code->GetText());
  EXPECT_EQ(::GetClipboardSequenceNumber(), sequence);
  EXPECT_EQ(ClipboardText(), L"a1b2 c3");
  // The other paste key keeps to digits too.
  ASSERT_TRUE(test_support::PutClipboardText(L"x7y"));
  Keys({VK_SHIFT}, VK_INSERT);
  ASSERT_TRUE(PumpUntil([&] { return scene.code->GetText() == L"451237"; }, kWaitMs))
      << "pasted: " << testing::PrintToString(scene.code->GetText());
  // Letters only: nothing goes in.
  ASSERT_TRUE(test_support::PutClipboardText(L"letters"));
  sequence = ::GetClipboardSequenceNumber();
  Keys({VK_CONTROL}, 'V');
  TypeKeys(L"6");  // A marker after the paste.
  ASSERT_TRUE(PumpUntil([&] { return scene.code->GetText() == L"4512376"; }, kWaitMs))
      << "after letters: " << testing::PrintToString(scene.code->GetText());
  EXPECT_EQ(::GetClipboardSequenceNumber(), sequence);
  EXPECT_EQ(ClipboardText(), L"letters");

  // The multi-line edit wants Tab: typed into its text, the focus stays.
  scene.ClickInto(scene.notes);
  TypeKeys(L"a");
  Keys({}, VK_TAB);
  TypeKeys(L"b");
  ASSERT_TRUE(PumpUntil([&] { return scene.notes->GetText() == L"a\tb"; }, kWaitMs))
      << "notes: " << testing::PrintToString(scene.notes->GetText());
  EXPECT_TRUE(scene.notes->IsFocused());
  ::UpdateWindow(scene.hwnd);
  uitest::SaveScreenPng(kRect, L"rich_edit_window_input.png");
}

TEST(RichEditWindowTest, ThePromptAndTheCaretShowOnTheScreen) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  scene.ClickInto(scene.name);
  ::UpdateWindow(scene.hwnd);
  ASSERT_TRUE(scene.name->IsCaretVisible());
  const RECT screen = {kRect.left, kRect.top, kRect.right, kRect.bottom};
  const auto capture = [&] {
    PumpUntil([] { return false; }, 50);  // Lets the repaint land.
    ::UpdateWindow(scene.hwnd);
    return test_support::CaptureScreen(screen);
  };
  const auto count = [](const test_support::ScreenCapture& shot, RECT area, auto isInk) {
    int found = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) found += isInk(shot.Rgb(x, y)) ? 1 : 0;
    return found;
  };
  const auto grey = [](uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r == g && g == b && r >= 0x80 && r < 0xD0;
  };
  const auto red = [](uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) > 0xC0 && ((rgb >> 8) & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60;
  };
  const RECT nameArea = {20, 20, 260, 50};    // Window client pixels = capture pixels.
  const RECT notesArea = {20, 120, 260, 220};

  test_support::ScreenCapture shot = capture();
  uitest::SaveScreenPng(screen, L"rich_edit_window.png");
  // Every empty edit shows its prompt, the focused one too; the focused one shows its caret.
  EXPECT_GT(count(shot, nameArea, grey), 30);
  EXPECT_GT(count(shot, notesArea, grey), 30);
  EXPECT_GE(count(shot, nameArea, red), scene.name->GetCaretSize().cy - 2);

  // Half a second later the caret is off; half a second more, on again.
  ASSERT_TRUE(uitest::AdvanceClock(scene.clock, 510));
  shot = capture();
  EXPECT_EQ(count(shot, nameArea, red), 0);
  ASSERT_TRUE(uitest::AdvanceClock(scene.clock, 500));
  shot = capture();
  EXPECT_GT(count(shot, nameArea, red), 5);

  // One character typed: the prompt goes.
  TypeKeys(L"x");
  ASSERT_TRUE(PumpUntil([&] { return scene.name->GetText() == L"x"; }, kWaitMs));
  shot = capture();
  EXPECT_EQ(count(shot, nameArea, grey), 0);
  uitest::SaveScreenPng(screen, L"rich_edit_window_typed.png");
}

}  // namespace
