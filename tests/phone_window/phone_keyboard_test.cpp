// Keyboard messages of the pop-out window to phone keys and text.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "phone_window/phone_keyboard.h"

namespace {

constexpr LPARAM kRepeat = LPARAM{1} << 30;
constexpr KeyModifiers kNone{};
constexpr KeyModifiers kCtrl{true, false};
constexpr KeyModifiers kCtrlAlt{true, true};

KeyboardOutput KeyDown(PhoneKeyboard& keyboard, WPARAM key, KeyModifiers modifiers = kNone,
                       LPARAM lParam = 1) {
  return keyboard.Translate(WM_KEYDOWN, key, lParam, modifiers);
}

KeyboardOutput Char(PhoneKeyboard& keyboard, wchar_t character, LPARAM lParam = 1) {
  return keyboard.Translate(WM_CHAR, character, lParam, kNone);
}

bool SendsNothing(const KeyboardOutput& out) {
  return out.keys.empty() && out.text.empty() && !out.paste;
}

TEST(PhoneKeyboard, CtrlAAndCSendFourKeysOncePerPressAndSwallowTheirCharacter) {
  for (bool keyboardMode : {true, false}) {
    PhoneKeyboard keyboard;
    keyboard.SetKeyboardMode(keyboardMode);
    KeyboardOutput out = KeyDown(keyboard, 'C', kCtrl);
    EXPECT_TRUE(out.consumed);
    EXPECT_EQ(out.keys, (std::vector<KeyEvent>{{1, 29}, {1, 46}, {2, 46}, {2, 29}}));
    // Holding the keys repeats the key-down and its character: nothing more is sent.
    for (int i = 0; i < 3; ++i) {
      out = KeyDown(keyboard, 'C', kCtrl, 1 | kRepeat);
      EXPECT_TRUE(out.consumed);
      EXPECT_TRUE(SendsNothing(out));
      out = Char(keyboard, 3);
      EXPECT_TRUE(out.consumed);
      EXPECT_TRUE(SendsNothing(out));
    }
    out = KeyDown(keyboard, 'A', kCtrl);
    EXPECT_EQ(out.keys, (std::vector<KeyEvent>{{1, 29}, {1, 30}, {2, 30}, {2, 29}}));
    EXPECT_TRUE(Char(keyboard, 1).consumed);
  }

  // Ctrl+Alt (AltGr) with the letter is an ordinary key.
  PhoneKeyboard keyboard;
  const KeyboardOutput out = KeyDown(keyboard, 'A', kCtrlAlt);
  EXPECT_TRUE(out.consumed);
  EXPECT_TRUE(SendsNothing(out));
}

TEST(PhoneKeyboard, KeyboardModeOffLeavesLettersAndArrowsToTheWindow) {
  PhoneKeyboard keyboard;
  keyboard.SetKeyboardMode(false);
  for (WPARAM key : {WPARAM{'Q'}, WPARAM{VK_LEFT}, WPARAM{VK_RETURN}, WPARAM{VK_BACK}}) {
    const KeyboardOutput out = KeyDown(keyboard, key);
    EXPECT_FALSE(out.consumed) << key;
    EXPECT_TRUE(SendsNothing(out)) << key;
  }
  for (wchar_t character : {L'q', L'\r', wchar_t{22}}) {
    const KeyboardOutput out = Char(keyboard, character, PhoneKeyboard::kCtrlVCharParam);
    EXPECT_FALSE(out.consumed) << int(character);
    EXPECT_TRUE(SendsNothing(out)) << int(character);
  }
}

TEST(PhoneKeyboard, KeysMapToPhoneCodesAndCharactersToUtf8Text) {
  PhoneKeyboard keyboard;
  const struct {
    WPARAM key;
    int code;
  } mapped[] = {{VK_BACK, 14}, {VK_RETURN, 28}, {VK_SPACE, 57}, {VK_LEFT, 105},
                {VK_UP, 103},  {VK_RIGHT, 106}, {VK_DOWN, 108}};
  for (const auto& m : mapped) {
    const KeyboardOutput out = KeyDown(keyboard, m.key);
    EXPECT_TRUE(out.consumed);
    EXPECT_EQ(out.keys, (std::vector<KeyEvent>{{3, m.code}})) << m.key;
  }
  // Unmapped keys and character keys (sent by their WM_CHAR) are consumed without a key event.
  for (WPARAM key : {WPARAM{VK_F1}, WPARAM{VK_ESCAPE}, WPARAM{'0'}, WPARAM{'Q'}, WPARAM{'z'}}) {
    const KeyboardOutput out = KeyDown(keyboard, key);
    EXPECT_TRUE(out.consumed) << key;
    EXPECT_TRUE(SendsNothing(out)) << key;
  }

  KeyboardOutput out = Char(keyboard, L'a');
  EXPECT_TRUE(out.consumed);
  EXPECT_EQ(out.text, "a");
  EXPECT_EQ(out.TextLength(), 2);  // the letter and its terminating zero
  out = Char(keyboard, L'\u00e9');
  EXPECT_EQ(out.text, "\xC3\xA9");
  EXPECT_EQ(out.TextLength(), 3);
  EXPECT_EQ(Char(keyboard, L'\u4e2d').text, "\xE4\xB8\xAD");
  out = Char(keyboard, VK_BACK);  // the key-down sent it
  EXPECT_TRUE(out.consumed);
  EXPECT_TRUE(SendsNothing(out));
}

TEST(PhoneKeyboard, EnterAndSpaceAreSentOnceByTheirKey) {
  PhoneKeyboard keyboard;
  EXPECT_EQ(KeyDown(keyboard, VK_RETURN).keys, (std::vector<KeyEvent>{{3, 28}}));
  KeyboardOutput out = Char(keyboard, L'\r');
  EXPECT_TRUE(out.consumed);
  EXPECT_TRUE(SendsNothing(out));
  EXPECT_EQ(KeyDown(keyboard, VK_RETURN, kCtrl).keys, (std::vector<KeyEvent>{{3, 28}}));
  EXPECT_TRUE(SendsNothing(Char(keyboard, L'\n')));  // Ctrl+Enter makes a line feed
  EXPECT_EQ(KeyDown(keyboard, VK_SPACE).keys, (std::vector<KeyEvent>{{3, 57}}));
  EXPECT_TRUE(SendsNothing(Char(keyboard, L' ')));

  // Only the character the key made is swallowed: the next one is typed.
  EXPECT_EQ(Char(keyboard, L' ').text, " ");
  KeyDown(keyboard, VK_LEFT);
  EXPECT_EQ(Char(keyboard, L' ').text, " ");
}

TEST(PhoneKeyboard, CharacterOutsideTheBmpIsSentAsOneCodePoint) {
  PhoneKeyboard keyboard;
  // U+1F600 arrives as its two halves; injected input has a key-down (VK_PACKET) before each.
  KeyDown(keyboard, VK_PACKET);
  KeyboardOutput out = Char(keyboard, 0xD83D);
  EXPECT_TRUE(out.consumed);
  EXPECT_TRUE(SendsNothing(out));
  KeyDown(keyboard, VK_PACKET);
  out = Char(keyboard, 0xDE00);
  EXPECT_EQ(out.text, "\xF0\x9F\x98\x80");
  EXPECT_EQ(out.TextLength(), 5);

  // A half without its partner is dropped; the character after it is typed.
  EXPECT_TRUE(SendsNothing(Char(keyboard, 0xDE00)));
  Char(keyboard, 0xD83D);
  EXPECT_EQ(Char(keyboard, L'b').text, "b");
  EXPECT_TRUE(SendsNothing(Char(keyboard, 0xDE00)));
  Char(keyboard, 0xD83D);
  keyboard.SetKeyboardMode(false);
  keyboard.SetKeyboardMode(true);
  EXPECT_TRUE(SendsNothing(Char(keyboard, 0xDE00)));
}

TEST(PhoneKeyboard, CtrlVPastesByItsKeyOnEveryLayoutAndRepeat) {
  PhoneKeyboard keyboard;
  // V where a Dvorak layout has it (scan code 0x34), pressed and then held.
  for (LPARAM lParam : {LPARAM{0x00340001}, LPARAM{0x00340001} | kRepeat}) {
    KeyboardOutput out = KeyDown(keyboard, 'V', kCtrl, lParam);
    EXPECT_TRUE(out.consumed);
    EXPECT_TRUE(out.paste);
    out = Char(keyboard, 22, lParam);
    EXPECT_TRUE(out.consumed);
    EXPECT_TRUE(SendsNothing(out));
  }
  // A 22 that comes alone with the parameter of Ctrl+V still pastes.
  EXPECT_TRUE(Char(keyboard, 22, PhoneKeyboard::kCtrlVCharParam).paste);
  // Keyboard mode off: the window's own handling.
  keyboard.SetKeyboardMode(false);
  const KeyboardOutput out = KeyDown(keyboard, 'V', kCtrl);
  EXPECT_FALSE(out.consumed);
  EXPECT_FALSE(out.paste);
}

}  // namespace
