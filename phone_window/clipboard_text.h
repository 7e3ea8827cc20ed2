// The PC clipboard's text as UTF-8, for pasting into the phone (Ctrl+V in the pop-out window).
//
//   std::string text = clipboard_text::ReadUtf8(clipboard_text::SystemClipboard(), hwnd);
//   if (!text.empty() && callbacks_.paste) callbacks_.paste(text.c_str(), int(text.size()));
//
// The clipboard is reached through ClipboardSource, so that tests can hand in text of their own
// without racing other programs for the system clipboard.
//
// Clipboard data comes from any program. The text is read only within the data's own size and
// ends at its first zero or at that size, whichever comes first; an unpaired surrogate in it
// becomes U+FFFD rather than failing the whole paste. Text whose UTF-8 form would not fit an int
// is not pasted.
//
// Thread affinity: the thread of the owner window (the clipboard is opened for it).
#ifndef PHONE_WINDOW_CLIPBOARD_TEXT_H_
#define PHONE_WINDOW_CLIPBOARD_TEXT_H_

#include <windows.h>

#include <string>

namespace clipboard_text {

// The few clipboard calls a paste makes.
class ClipboardSource {
 public:
  virtual ~ClipboardSource() = default;
  // OpenClipboard: false when another program holds the clipboard.
  virtual bool Open(HWND owner) = 0;
  // While open: the CF_UNICODETEXT data, null when the clipboard holds no text. The handle stays
  // the clipboard's.
  virtual HANDLE GetUnicodeText() = 0;
  virtual void Close() = 0;
};

// The system clipboard.
ClipboardSource& SystemClipboard();

// How often, and how far apart, Open is tried while another program holds the clipboard.
inline constexpr int kOpenAttempts = 5;
inline constexpr DWORD kOpenRetryMs = 10;

// The clipboard's text as UTF-8; empty when the clipboard cannot be opened, holds no text, holds
// empty text or text too long to pass on. The clipboard is closed again on every path.
std::string ReadUtf8(ClipboardSource& clipboard, HWND owner);

}  // namespace clipboard_text

#endif  // PHONE_WINDOW_CLIPBOARD_TEXT_H_
