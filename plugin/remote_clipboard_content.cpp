// The phone's clipboard message: the "content" member's string with JSON's escapes decoded.
// Portable (no Windows headers), so it also builds natively for fuzzing.
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

// Decodes the JSON string whose first character is at *pos (just after the opening quote), up to
// the next unescaped quote or the end of `text`. Leaves *pos after the closing quote and returns
// true, or at the end of `text` and returns false when the string is cut short (what was decoded
// is kept).
bool DecodeString(const std::string& text, size_t* pos, std::string* out) {
  size_t at = *pos;
  bool closed = false;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '"') {
      ++at;
      closed = true;
      break;
    }
    if (c != '\\') {
      out->push_back(c);
      ++at;
      continue;
    }
    if (at + 1 >= text.size()) {  // a lone backslash at the end gives nothing
      at = text.size();
      break;
    }
    const char e = text[at + 1];
    at += 2;
    switch (e) {
      case 'b':
        out->push_back('\b');
        break;
      case 'f':
        out->push_back('\f');
        break;
      case 'n':
        out->push_back('\n');
        break;
      case 'r':
        out->push_back('\r');
        break;
      case 't':
        out->push_back('\t');
        break;
      case 'u': {
        const long unit = ReadHex4(text, at);
        if (unit < 0) {
          // Not four hex digits: the escape gives nothing, the digits it has included. What
          // follows them is read as text: it may be a quote or a multi-byte character.
          while (at < text.size() && HexValue(text[at]) >= 0) ++at;
          break;
        }
        at += 4;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
          // A high surrogate needs a low one in the very next escape.
          if (at + 1 < text.size() && text[at] == '\\' && text[at + 1] == 'u') {
            const long low = ReadHex4(text, at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
              at += 6;
              AppendUtf8(*out, 0x10000 + (unit - 0xD800) * 1024 + (low - 0xDC00));
            }
          }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
          // A low surrogate on its own gives nothing.
        } else {
          AppendUtf8(*out, static_cast<unsigned long>(unit));
        }
        break;
      }
      default:
        out->push_back(e);  // \" \\ \/ and any other escaped character stand for themselves
        break;
    }
  }
  *pos = at;
  return closed;
}

// Reads one JSON object member by member. Only what the clipboard message needs: member names
// and string values are decoded; other values (numbers, literals, arrays, objects) are skipped
// whole, nested ones included, without recursion.
class MemberReader {
 public:
  explicit MemberReader(const std::string& text) : text_(text) {}

  // The opening brace of the object; false for anything else.
  bool Open() {
    SkipSpace();
    return Take('{');
  }

  // The next member's name, with its colon read and the blanks before its value skipped. False
  // at the object's end or where the text is no member.
  bool NextName(std::string* name) {
    SkipSpace();
    if (members_ > 0 && !Take(',')) return false;
    SkipSpace();
    if (!Take('"')) return false;
    ++members_;
    name->clear();
    if (!DecodeString(text_, &pos_, name)) return false;
    SkipSpace();
    if (!Take(':')) return false;
    SkipSpace();
    return true;
  }

  // The value at hand when it is a string: true with the decoded text (also when it is cut short
  // by the end of the message). False for a value of another kind.
  bool StringValue(std::string* value) {
    if (!Take('"')) return false;
    DecodeString(text_, &pos_, value);
    return true;
  }

  // Skips the value at hand; false when the message ends inside it.
  bool SkipValue() {
    int depth = 0;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '"') {
        std::string ignored;
        ++pos_;
        if (!DecodeString(text_, &pos_, &ignored)) return false;
        if (depth == 0) return true;
        continue;
      }
      if (depth == 0 && (c == ',' || c == '}' || c == ']')) return true;
      ++pos_;
      if (c == '{' || c == '[') {
        ++depth;
      } else if (c == '}' || c == ']') {
        if (--depth == 0) return true;
      }
    }
    return false;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }
  bool Take(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  const std::string& text_;
  size_t pos_ = 0;
  int members_ = 0;
};

// Keeps tab, line feed and carriage return of the control bytes.
std::string WithoutControlBytes(const std::string& text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 || c == '\t' || c == '\n' || c == '\r') kept.push_back(c);
  }
  return kept;
}

}  // namespace

std::string ExtractContent(const char* data, int length) {
  if (!data || length <= 8) return std::string();
  const std::string message(data, data + length);
  MemberReader reader(message);
  if (!reader.Open()) return std::string();
  std::string name;
  while (reader.NextName(&name)) {
    if (name == "content") {
      std::string text;
      return reader.StringValue(&text) ? WithoutControlBytes(text) : std::string();
    }
    if (!reader.SkipValue()) break;
  }
  return std::string();
}

}  // namespace remote_clipboard
