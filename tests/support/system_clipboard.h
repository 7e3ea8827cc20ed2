// The system clipboard's Unicode text, written and read the way a user's other program would.
//
// Thread affinity: any thread; the clipboard is shared by every program of the Wine prefix, so
// tests that use it hold the "fernhold_system_clipboard" lock.
#ifndef TESTS_SUPPORT_SYSTEM_CLIPBOARD_H_
#define TESTS_SUPPORT_SYSTEM_CLIPBOARD_H_

#include <optional>
#include <string>

namespace test_support {

// Replaces the clipboard's content with |text|; false when another program holds the clipboard
// or the text could not be put there.
bool PutClipboardText(const std::wstring& text);

// The clipboard's text (empty when it holds none); nothing when another program holds it.
std::optional<std::wstring> ReadClipboardText();

}  // namespace test_support

#endif  // TESTS_SUPPORT_SYSTEM_CLIPBOARD_H_
