// The phone's clipboard message: the "content" string with JSON's escapes decoded. Portable (no
// Windows headers), so it also builds natively for fuzzing.
#include "plugin/remote_clipboard.h"

#include <string>

namespace remote_clipboard {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads "uXXXX" hex digits at text[pos..pos+3]; -1 when cut short or not hexadecimal.
long ReadHex4(const std::string& text, size_t pos) {
  if (pos + 4 > text.size()) return -1;
  long value = 0;
  for (size_t i = 0; i < 4; ++i) {
    const int digit = HexValue(text[pos + i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes the JSON string whose first character is at `pos` (just after the opening quote), up to
// the next unescaped quote or the end of `text`.
std::string DecodeString(const std::string& text, size_t pos) {
  std::string out;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '"') break;
    if (c != '\\') {
      out.push_back(c);
      ++pos;
      continue;
    }
    if (pos + 1 >= text.size()) break;  // a lone backslash at the end gives nothing
    const char e = text[pos + 1];
    pos += 2;
    switch (e) {
      case 'b':
        out.push_back('\b');
        break;
      case 'f':
        out.push_back('\f');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'u': {
        const long unit = ReadHex4(text, pos);
        if (unit < 0) {
          // Not four hex digits: the escape gives nothing, the digits it has included. What
          // follows them is read as text: it may be a quote or a multi-byte character.
          while (pos < text.size() && HexValue(text[pos]) >= 0) ++pos;
          break;
        }
        pos += 4;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
          // A high surrogate needs a low one in the very next escape.
          if (pos + 1 < text.size() && text[pos] == '\\' && text[pos + 1] == 'u') {
            const long low = ReadHex4(text, pos + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
              pos += 6;
              AppendUtf8(out, 0x10000 + (unit - 0xD800) * 1024 + (low - 0xDC00));
            }
          }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
          // A low surrogate on its own gives nothing.
        } else {
          AppendUtf8(out, static_cast<unsigned long>(unit));
        }
        break;
      }
      default:
        out.push_back(e);  // \" \\ \/ and any other escaped character stand for themselves
        break;
    }
  }
  return out;
}

}  // namespace

std::string ExtractContent(const char* data, int length) {
  if (!data || length <= 8) return std::string();
  const std::string message(data, data + length);
  const size_t key = message.find("\"content\"");
  if (key == std::string::npos) return std::string();
  const size_t colon = message.find(':', key + 9);
  if (colon == std::string::npos) return std::string();
  size_t pos = colon + 1;
  while (pos < message.size() && (message[pos] == ' ' || message[pos] == '\t' ||
                                  message[pos] == '\r' || message[pos] == '\n')) {
    ++pos;
  }
  if (pos >= message.size() || message[pos] != '"') return std::string();
  std::string text = DecodeString(message, pos + 1);
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 || c == '\t' || c == '\n' || c == '\r') kept.push_back(c);
  }
  return kept;
}

}  // namespace remote_clipboard
