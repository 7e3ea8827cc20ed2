// The phone's clipboard into the PC's.
//
// The phone reports its clipboard as a small JSON object such as {"type":"text","content":"x"}.
// Its members are read in turn (other members' values, nested ones included, are skipped whole);
// the text is the first "content" member's string with JSON's escapes decoded, stripped of
// control bytes other than tab, line feed and carriage return, and put on the Windows clipboard
// as Unicode text.
//
//   std::string text = remote_clipboard::ExtractContent(data, length);
//   if (!text.empty()) remote_clipboard::PutText(nbase::UTF8ToUTF16(text));
//
// Malformed input never reads past `length`: a truncated or invalid escape (with the hex digits
// it has; what follows them is text again), and a surrogate without its partner, give nothing for
// that escape; a message that is no object, whose members cannot be read up to "content", or whose
// "content" is no string gives empty text; a "content" string cut short by the end of the message
// gives what it holds. Valid UTF-8 in gives valid UTF-8 out.
//
// Thread-safety: ExtractContent is pure; PutText may be called from any thread (it opens the
// clipboard without an owner window).
#pragma once

#include <string>

namespace remote_clipboard {

// The decoded, control-stripped text of the message's "content" string; empty when there is
// none. Null data or a message of 8 bytes or less gives empty text.
std::string ExtractContent(const char* data, int length);

// Replaces the clipboard's contents with `text` as CF_UNICODETEXT. A clipboard held open by
// another program, or one that refuses the data, is tried again for up to about a second. False
// when it still fails; no memory is leaked on any path.
bool PutText(const std::wstring& text);

}  // namespace remote_clipboard
