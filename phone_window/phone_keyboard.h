// PhoneKeyboard: what the pop-out phone window sends to the phone for each keyboard message.
//
// The phone understands Linux input-event key codes and UTF-8 text. The window hands every
// WM_KEYDOWN and WM_CHAR to Translate() before anything else sees them and passes on what comes
// back; it keeps no keyboard state of its own:
//
//   KeyboardOutput out = keyboard_.Translate(message, wParam, lParam, KeyModifiers::Current());
//   for (const KeyEvent& key : out.keys) if (callbacks_.key) callbacks_.key(key.action, key.code);
//   if (!out.text.empty() && callbacks_.text) callbacks_.text(out.text.c_str(), out.TextLength());
//   if (out.paste) { ...the clipboard's text to callbacks_.paste (clipboard_text.h)... }
//   if (out.consumed) return 1;   // else the message goes on to the base handling
//
// Rules:
//   - Ctrl+A and Ctrl+C (Ctrl down, Alt up) go to the phone as Ctrl down, key down, key up, Ctrl
//     up, once per press (auto-repeats send nothing), in either keyboard mode. The control
//     character the press makes (1 or 3) is swallowed when it arrives as WM_CHAR.
//   - Keyboard mode on: every WM_KEYDOWN and WM_CHAR is consumed. Keys with virtual-key codes 48 to
//     122 come as their characters; Backspace, Enter, Space and the arrows go as key presses; other
//     keys send nothing. Characters go as UTF-8 text, except Backspace (sent by its key).
//   - Ctrl+V (Ctrl down, Alt up) in keyboard mode asks for a paste at its key-down, on every
//     keyboard layout and for every auto-repeat; its control character (22) is swallowed. A 22
//     that comes alone with the lParam 0x002F0001 asks for a paste as well.
//   - Keyboard mode off: only the Ctrl+A / Ctrl+C rule applies; the rest goes to the base handling.
//   - Enter and Space are sent once: the character that their key-down makes is swallowed.
//   - A character outside the Basic Multilingual Plane arrives as two WM_CHARs (high, then low
//     surrogate, possibly with a key-down between them when it was injected); it is sent as one
//     code point. A surrogate without its partner is dropped.
//
// Thread affinity: the window's thread, as its messages. Not thread-safe.
#ifndef PHONE_WINDOW_PHONE_KEYBOARD_H_
#define PHONE_WINDOW_PHONE_KEYBOARD_H_

#include <windows.h>

#include <string>
#include <vector>

// The state of the modifier keys when a message was queued.
struct KeyModifiers {
  bool ctrl = false;
  bool alt = false;

  // From GetKeyState, which reflects the keyboard as of the message being handled.
  static KeyModifiers Current();
};

// One key event for the phone.
struct KeyEvent {
  static constexpr int kDown = 1;
  static constexpr int kUp = 2;
  static constexpr int kPress = 3;  // down and up

  int action = 0;
  int code = 0;  // Linux input-event key code

  bool operator==(const KeyEvent& other) const {
    return action == other.action && code == other.code;
  }
};

// What one message makes the window send.
struct KeyboardOutput {
  // The window answers 1 and no one else sees the message.
  bool consumed = false;
  // Key events to send, in order.
  std::vector<KeyEvent> keys;
  // Typed text as UTF-8, without a terminating zero; empty when nothing was typed.
  std::string text;
  // The window sends the clipboard's text to the phone.
  bool paste = false;

  // The length the text callback is given: the bytes and the terminating zero that follows them,
  // which the phone's text input expects to be counted.
  int TextLength() const { return static_cast<int>(text.size()) + 1; }
};

class PhoneKeyboard {
 public:
  // Linux input-event key codes.
  static constexpr int kKeyBackspace = 14;
  static constexpr int kKeyEnter = 28;
  static constexpr int kKeyLeftCtrl = 29;
  static constexpr int kKeyA = 30;
  static constexpr int kKeyC = 46;
  static constexpr int kKeySpace = 57;
  static constexpr int kKeyUp = 103;
  static constexpr int kKeyLeft = 105;
  static constexpr int kKeyRight = 106;
  static constexpr int kKeyDown = 108;

  // The exact lParam of the WM_CHAR that Ctrl+V makes: scan code 0x2F, one press, no repeat.
  static constexpr LPARAM kCtrlVCharParam = 0x002F0001;

  // The phone key code for a virtual key, 0 for keys the phone is not sent.
  static int KeyCodeFor(WPARAM virtualKey);

  // Handles WM_KEYDOWN and WM_CHAR; other messages are not consumed and send nothing.
  KeyboardOutput Translate(UINT message, WPARAM wParam, LPARAM lParam, KeyModifiers modifiers);

  // Keyboard mode starts on. Switching it drops a half-typed character.
  bool keyboard_mode() const { return keyboard_mode_; }
  void SetKeyboardMode(bool on);

 private:
  KeyboardOutput OnKeyDown(WPARAM virtualKey, LPARAM lParam, KeyModifiers modifiers);
  KeyboardOutput OnChar(wchar_t character, LPARAM lParam);
  // The text for one typed UTF-16 unit: empty while a surrogate pair is half through.
  std::string TypedText(wchar_t unit);

  bool keyboard_mode_ = true;
  // The control character (1, 3 or 22) whose next WM_CHAR is swallowed after Ctrl+A, Ctrl+C or
  // Ctrl+V; 0 none.
  wchar_t suppressed_char_ = 0;
  // The key-down of Enter or Space sent; the character it makes next is not sent again.
  WPARAM echo_key_ = 0;
  // The first half of a surrogate pair, waiting for the second; 0 none.
  wchar_t high_surrogate_ = 0;
};

#endif  // PHONE_WINDOW_PHONE_KEYBOARD_H_
