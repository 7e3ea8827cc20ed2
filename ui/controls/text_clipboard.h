// TextClipboard: the clipboard as a rich edit in number mode reads it for a paste.
//
// A number-only rich edit pastes only the digits of the clipboard's text: it reads the text and
// puts the digits over its selection itself, so the clipboard is never written (whatever else
// the user copied stays there). The reads go through this interface, so that tests can hold a
// clipboard of their own instead of racing other programs for the system's.
//
//   std::wstring text;
//   if (ui::ReadClipboardText(ui::TextClipboard::System(), hwnd, &text))
//     edit->ReplaceSel(ui::KeepDigits(text));
//
// Thread affinity: the thread of the rich edit's window, which opens the system clipboard as its
// owner.
#ifndef UI_CONTROLS_TEXT_CLIPBOARD_H_
#define UI_CONTROLS_TEXT_CLIPBOARD_H_

#include <windows.h>

#include <string>

namespace ui {

class TextClipboard {
 public:
  // The system clipboard.
  static TextClipboard* System();

  virtual ~TextClipboard() = default;

  // Opens the clipboard for owner (may be null); false when another program holds it.
  virtual bool Open(HWND owner) = 0;
  virtual void Close() = 0;
  // While open: the text, read from CF_UNICODETEXT, else from CF_TEXT in the ANSI code page, up
  // to its first zero within the data's own size; empty when there is none.
  virtual std::wstring GetText() = 0;
};

// Opens (for owner), reads and closes; false, with *text untouched, when the clipboard cannot be
// opened.
bool ReadClipboardText(TextClipboard* clipboard, HWND owner, std::wstring* text);

// The characters "0" to "9" of text, in their order.
std::wstring KeepDigits(const std::wstring& text);

}  // namespace ui

#endif  // UI_CONTROLS_TEXT_CLIPBOARD_H_
