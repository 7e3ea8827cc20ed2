// TextClipboard: the few clipboard calls a rich edit in number mode makes around a paste.
//
// A number-only rich edit lets only the digits of the clipboard's text be pasted: it reads the
// text, puts the digits alone on the clipboard for the text services to paste, and puts the whole
// text back afterwards. Those reads and writes go through this interface, so that tests can hold
// a clipboard of their own instead of racing other programs for the system's.
//
//   std::wstring text;
//   if (ui::ReadClipboardText(ui::TextClipboard::System(), &text)) ...
//   ui::WriteClipboardText(ui::TextClipboard::System(), KeepDigits(text));
//
// Thread affinity: the thread of the rich edit's window. The system clipboard is opened without
// an owner window.
#ifndef UI_CONTROLS_TEXT_CLIPBOARD_H_
#define UI_CONTROLS_TEXT_CLIPBOARD_H_

#include <string>

namespace ui {

class TextClipboard {
 public:
  // The system clipboard.
  static TextClipboard* System();

  virtual ~TextClipboard() = default;

  // False when another program holds the clipboard.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // While open: the text, read from CF_UNICODETEXT, else from CF_TEXT in the ANSI code page, up
  // to its first zero within the data's own size; empty when there is none.
  virtual std::wstring GetText() = 0;
  // While open: empties the clipboard and puts text on it as CF_UNICODETEXT; false when that
  // fails (the clipboard may then be empty).
  virtual bool SetText(const std::wstring& text) = 0;
};

// Opens, reads and closes; false, with *text untouched, when the clipboard cannot be opened.
bool ReadClipboardText(TextClipboard* clipboard, std::wstring* text);
// Opens, replaces the text and closes; false when the clipboard cannot be opened or written.
bool WriteClipboardText(TextClipboard* clipboard, const std::wstring& text);

// The characters "0" to "9" of text, in their order.
std::wstring KeepDigits(const std::wstring& text);

}  // namespace ui

#endif  // UI_CONTROLS_TEXT_CLIPBOARD_H_
