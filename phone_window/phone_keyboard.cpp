#include "phone_window/phone_keyboard.h"

namespace {

// Keys from '0' to 'z' make characters, which are sent as text when their WM_CHAR arrives.
constexpr WPARAM kFirstCharacterKey = 48;
constexpr WPARAM kLastCharacterKey = 122;

// The WM_CHAR of a key-down that repeats an earlier one (the key is held).
constexpr LPARAM kRepeatBit = LPARAM{1} << 30;

// Control characters that Ctrl with a letter makes.
constexpr wchar_t kCtrlA = 1;
constexpr wchar_t kCtrlC = 3;
constexpr wchar_t kCtrlV = 22;

// One character (one or two UTF-16 units) as UTF-8.
std::string ToUtf8(const wchar_t* units, int count) {
  char bytes[4];
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, units, count, bytes, sizeof(bytes), nullptr, nullptr);
  return length > 0 ? std::string(bytes, static_cast<size_t>(length)) : std::string();
}

}  // namespace

KeyModifiers KeyModifiers::Current() {
  KeyModifiers modifiers;
  modifiers.ctrl = ::GetKeyState(VK_CONTROL) < 0;
  modifiers.alt = ::GetKeyState(VK_MENU) < 0;
  return modifiers;
}

int PhoneKeyboard::KeyCodeFor(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_BACK:
      return kKeyBackspace;
    case VK_RETURN:
      return kKeyEnter;
    case VK_SPACE:
      return kKeySpace;
    case VK_LEFT:
      return kKeyLeft;
    case VK_UP:
      return kKeyUp;
    case VK_RIGHT:
      return kKeyRight;
    case VK_DOWN:
      return kKeyDown;
    default:
      return 0;
  }
}

KeyboardOutput PhoneKeyboard::Translate(UINT message, WPARAM wParam, LPARAM lParam,
                                        KeyModifiers modifiers) {
  switch (message) {
    case WM_KEYDOWN:
      return OnKeyDown(wParam, lParam, modifiers);
    case WM_CHAR:
      return OnChar(static_cast<wchar_t>(wParam), lParam);
    default:
      return KeyboardOutput();
  }
}

void PhoneKeyboard::SetKeyboardMode(bool on) {
  keyboard_mode_ = on;
  echo_key_ = 0;
  high_surrogate_ = 0;
}

KeyboardOutput PhoneKeyboard::OnKeyDown(WPARAM virtualKey, LPARAM lParam,
                                        KeyModifiers modifiers) {
  KeyboardOutput out;
  // A character that an earlier Enter or Space made has arrived by now, if it ever does.
  echo_key_ = 0;

  if ((virtualKey == 'A' || virtualKey == 'C') && modifiers.ctrl && !modifiers.alt) {
    const int code = virtualKey == 'A' ? kKeyA : kKeyC;
    if ((lParam & kRepeatBit) == 0) {
      out.keys = {{KeyEvent::kDown, kKeyLeftCtrl},
                  {KeyEvent::kDown, code},
                  {KeyEvent::kUp, code},
                  {KeyEvent::kUp, kKeyLeftCtrl}};
    }
    suppressed_char_ = virtualKey == 'A' ? kCtrlA : kCtrlC;
    out.consumed = true;
    return out;
  }

  if (!keyboard_mode_) return out;
  out.consumed = true;
  // Ctrl+V pastes by its key, whatever scan code the layout gives V and however long it is held
  // (each repeat pastes again); the control character it makes is swallowed.
  if (virtualKey == 'V' && modifiers.ctrl && !modifiers.alt) {
    high_surrogate_ = 0;
    suppressed_char_ = kCtrlV;
    out.paste = true;
    return out;
  }
  if (virtualKey >= kFirstCharacterKey && virtualKey <= kLastCharacterKey) return out;
  const int code = KeyCodeFor(virtualKey);
  if (code != 0) {
    out.keys.push_back({KeyEvent::kPress, code});
    if (virtualKey == VK_RETURN || virtualKey == VK_SPACE) echo_key_ = virtualKey;
  }
  return out;
}

KeyboardOutput PhoneKeyboard::OnChar(wchar_t character, LPARAM lParam) {
  KeyboardOutput out;
  if (suppressed_char_ != 0) {
    const wchar_t suppressed = suppressed_char_;
    suppressed_char_ = 0;
    if (character == suppressed) {
      out.consumed = true;
      return out;
    }
  }

  if (!keyboard_mode_) return out;
  out.consumed = true;
  const WPARAM echoKey = echo_key_;
  echo_key_ = 0;

  if (character == kCtrlV && lParam == kCtrlVCharParam) {
    high_surrogate_ = 0;
    out.paste = true;
    return out;
  }
  // The key-down already went to the phone as a key press: Backspace always, Enter and Space when
  // this is the character their key-down made (Ctrl+Enter makes a line feed).
  const bool echo = (echoKey == VK_RETURN && (character == L'\r' || character == L'\n')) ||
                    (echoKey == VK_SPACE && character == L' ');
  if (character == VK_BACK || echo) {
    high_surrogate_ = 0;
    return out;
  }
  out.text = TypedText(character);
  return out;
}

std::string PhoneKeyboard::TypedText(wchar_t unit) {
  const wchar_t high = high_surrogate_;
  high_surrogate_ = 0;
  if (IS_HIGH_SURROGATE(unit)) {
    high_surrogate_ = unit;  // an unfinished high half before it is dropped
    return std::string();
  }
  if (IS_LOW_SURROGATE(unit)) {
    if (high == 0) return std::string();  // a second half alone
    const wchar_t pair[2] = {high, unit};
    return ToUtf8(pair, 2);
  }
  if (unit == 0) return std::string();
  return ToUtf8(&unit, 1);
}
