#include "flutter/engine/value_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "flutter/standard_codec_serializer.h"

namespace flutter {
namespace engine {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Recursive-descent parser over one text. Errors name the 1-based column of the offending char.
class Parser {
 public:
  Parser(std::string_view text, size_t pos) : text_(text), pos_(pos) {}

  std::optional<EncodableValue> Value(int depth = 0) {
    SkipBlanks();
    if (depth >= kMaxDepth) return Fail("values nested too deeply");
    if (AtEnd()) return Fail("a value is missing");
    const char c = text_[pos_];
    if (c == '"') {
      std::optional<std::string> s = String();
      if (!s) return std::nullopt;
      return EncodableValue(std::move(*s));
    }
    if (c == '[') return List(depth);
    if (c == '{') return Map(depth);
    if (c == '-' || c == '+' || (c >= '0' && c <= '9')) return Number();
    const std::string_view word = Word();
    if (word == "null") return EncodableValue();
    if (word == "true") return EncodableValue(true);
    if (word == "false") return EncodableValue(false);
    if (word == "nan") return EncodableValue(std::numeric_limits<double>::quiet_NaN());
    if (word == "inf") return EncodableValue(std::numeric_limits<double>::infinity());
    if (word == "u8") return TypedList<uint8_t>();
    if (word == "i32") return TypedList<int32_t>();
    if (word == "i64") return TypedList<int64_t>();
    if (word == "f32") return TypedList<float>();
    if (word == "f64") return TypedList<double>();
    if (word.empty()) return Fail(std::string("unexpected character '") + c + "'");
    pos_ -= word.size();
    return Fail("unknown word \"" + std::string(word) + "\"");
  }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
  }

  bool AtEnd() const { return pos_ >= text_.size(); }
  size_t pos() const { return pos_; }
  const std::string& error() const { return error_; }

  std::nullopt_t Fail(const std::string& message) {
    if (error_.empty()) error_ = "column " + std::to_string(pos_ + 1) + ": " + message;
    return std::nullopt;
  }

 private:
  // As deep as the standard codec reads: whatever the Dart side may receive, it can print.
  static constexpr int kMaxDepth = StandardCodecSerializer::kMaxNestingDepth;

  std::string_view Word() {
    const size_t start = pos_;
    while (!AtEnd() && IsWordChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  bool Expect(char c) {
    SkipBlanks();
    if (AtEnd() || text_[pos_] != c) {
      Fail(std::string("expected '") + c + "'");
      return false;
    }
    ++pos_;
    return true;
  }

  // Parses the items of a bracketed, comma-separated sequence; |item| parses one.
  template <typename ItemParser>
  bool Sequence(char close, ItemParser item) {
    SkipBlanks();
    if (!AtEnd() && text_[pos_] == close) {
      ++pos_;
      return true;
    }
    while (true) {
      if (!item()) return false;
      SkipBlanks();
      if (AtEnd()) {
        Fail(std::string("expected ',' or '") + close + "'");
        return false;
      }
      if (text_[pos_] == close) {
        ++pos_;
        return true;
      }
      if (text_[pos_] != ',') {
        Fail(std::string("expected ',' or '") + close + "'");
        return false;
      }
      ++pos_;
    }
  }

  std::optional<EncodableValue> List(int depth) {
    ++pos_;  // '['
    EncodableList list;
    if (!Sequence(']', [&] {
          std::optional<EncodableValue> v = Value(depth + 1);
          if (!v) return false;
          list.push_back(std::move(*v));
          return true;
        })) {
      return std::nullopt;
    }
    return EncodableValue(std::move(list));
  }

  std::optional<EncodableValue> Map(int depth) {
    ++pos_;  // '{'
    EncodableMap map;
    if (!Sequence('}', [&] {
          SkipBlanks();
          const size_t key_pos = pos_;
          std::optional<EncodableValue> key = Value(depth + 1);
          if (!key || !Expect(':')) return false;
          std::optional<EncodableValue> value = Value(depth + 1);
          if (!value) return false;
          if (!map.emplace(std::move(*key), std::move(*value)).second) {
            pos_ = key_pos;
            Fail("repeated map key");
            return false;
          }
          return true;
        })) {
      return std::nullopt;
    }
    return EncodableValue(std::move(map));
  }

  template <typename T>
  std::optional<EncodableValue> TypedList() {
    if (!Expect('[')) return std::nullopt;
    std::vector<T> list;
    if (!Sequence(']', [&] {
          SkipBlanks();
          std::optional<T> element;
          if constexpr (std::is_floating_point_v<T>) {
            element = FloatingItem<T>();
            if (!element) return false;
          } else {
            std::optional<EncodableValue> v = Number();
            if (!v) return false;
            element = Convert<T>(*v);
          }
          if (!element) {
            Fail("number does not fit the list's element type");
            return false;
          }
          list.push_back(*element);
          return true;
        })) {
      return std::nullopt;
    }
    return EncodableValue(std::move(list));
  }

  // An integer item of an integer list, when it fits the element type.
  template <typename T>
  static std::optional<T> Convert(const EncodableValue& v) {
    if (std::holds_alternative<double>(v)) return std::nullopt;
    const int64_t n = v.LongValue();
    if (n < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
        n > static_cast<int64_t>(std::numeric_limits<T>::max())) {
      return std::nullopt;
    }
    return static_cast<T>(n);
  }

  // An item of a float list: a number, inf, -inf or nan, read straight into T so that it is
  // rounded once (through a double first, an f32 item can round twice). A number beyond T's
  // range fails with the element-type error.
  template <typename T>
  std::optional<T> FloatingItem() {
    const size_t start = pos_;
    if (Word() == "nan") return std::numeric_limits<T>::quiet_NaN();
    pos_ = start;
    if (!Number()) return std::nullopt;  // Checks the form and moves past it.
    std::string_view number = text_.substr(start, pos_ - start);
    if (number.front() == '+') number.remove_prefix(1);  // from_chars takes no '+'.
    if (number.back() == 'L') number.remove_suffix(1);
    T value = 0;
    const char* last = number.data() + number.size();
    const auto [end, ec] = std::from_chars(number.data(), last, value);
    if (ec != std::errc() || end != last) {
      pos_ = start;
      Fail("number does not fit the list's element type");
      return std::nullopt;
    }
    return value;
  }

  // A number: integer (int32, or int64 when large or suffixed with L) or double.
  std::optional<EncodableValue> Number() {
    const size_t start = pos_;
    if (!AtEnd() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
    if (text_.substr(pos_, 3) == "inf") {
      pos_ += 3;
      const double inf = std::numeric_limits<double>::infinity();
      return EncodableValue(text_[start] == '-' ? -inf : inf);
    }
    bool is_double = false;
    const size_t digits_start = pos_;
    while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    if (pos_ == digits_start) {
      pos_ = start;
      return Fail("a number is expected");
    }
    if (!AtEnd() && text_[pos_] == '.') {
      is_double = true;
      ++pos_;
      while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }
    if (!AtEnd() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      is_double = true;
      ++pos_;
      if (!AtEnd() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
      const size_t exp_start = pos_;
      while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
      if (pos_ == exp_start) return Fail("an exponent is expected");
    }
    // from_chars accepts no leading '+'.
    const size_t number_start = text_[start] == '+' ? start + 1 : start;
    const char* first = text_.data() + number_start;
    const char* last = text_.data() + pos_;
    if (is_double) {
      double d = 0;
      auto [end, ec] = std::from_chars(first, last, d);
      if (ec != std::errc() || end != last) {
        pos_ = start;
        return Fail("a double is out of range");
      }
      return EncodableValue(d);
    }
    int64_t n = 0;
    auto [end, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || end != last) {
      pos_ = start;
      return Fail("an integer is out of the 64-bit range");
    }
    if (!AtEnd() && text_[pos_] == 'L') {
      ++pos_;
      return EncodableValue(n);
    }
    if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max()) {
      return EncodableValue(static_cast<int32_t>(n));
    }
    return EncodableValue(n);
  }

  std::optional<std::string> String() {
    ++pos_;  // '"'
    std::string out;
    while (true) {
      if (AtEnd()) {
        Fail("a string is not closed");
        return std::nullopt;
      }
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (AtEnd()) {
        Fail("a string is not closed");
        return std::nullopt;
      }
      const char e = text_[pos_++];
      switch (e) {
        case '"':
        case '\\':
          out.push_back(e);
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
        case 'x': {
          const int high = pos_ < text_.size() ? HexDigit(text_[pos_]) : -1;
          const int low = pos_ + 1 < text_.size() ? HexDigit(text_[pos_ + 1]) : -1;
          if (high < 0 || low < 0) {
            Fail("\\x needs two hex digits");
            return std::nullopt;
          }
          out.push_back(static_cast<char>(high * 16 + low));
          pos_ += 2;
          break;
        }
        default:
          --pos_;
          Fail(std::string("unknown escape \\") + e);
          return std::nullopt;
      }
    }
  }

  std::string_view text_;
  size_t pos_;
  std::string error_;
};

template <typename T>
std::string FormatFloating(T value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  std::string text(buffer, ec == std::errc() ? end : buffer);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

template <typename T>
std::string FormatTypedList(const char* prefix, const std::vector<T>& list) {
  std::string out = prefix;
  out += '[';
  for (size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += ", ";
    if constexpr (std::is_floating_point_v<T>) {
      out += FormatFloating(list[i]);
    } else {
      out += std::to_string(static_cast<int64_t>(list[i]));
    }
  }
  out += ']';
  return out;
}

}  // namespace

std::optional<EncodableValue> ParseValue(std::string_view text, size_t* pos, std::string* error) {
  Parser parser(text, *pos);
  std::optional<EncodableValue> value = parser.Value();
  if (!value) {
    if (error) *error = parser.error();
    return std::nullopt;
  }
  *pos = parser.pos();
  return value;
}

std::optional<EncodableValue> ParseWholeValue(std::string_view text, std::string* error) {
  Parser parser(text, 0);
  std::optional<EncodableValue> value = parser.Value();
  if (value) {
    parser.SkipBlanks();
    if (!parser.AtEnd()) value = parser.Fail("unexpected text after the value");
  }
  if (!value && error) *error = parser.error();
  return value;
}

std::string QuoteString(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          out += "\\x";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xf];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string FormatValue(const EncodableValue& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, std::monostate>) {
          return "null";
        } else if constexpr (std::is_same_v<V, bool>) {
          return v ? "true" : "false";
        } else if constexpr (std::is_same_v<V, int32_t>) {
          return std::to_string(v);
        } else if constexpr (std::is_same_v<V, int64_t>) {
          return std::to_string(v) + "L";
        } else if constexpr (std::is_same_v<V, double>) {
          return FormatFloating(v);
        } else if constexpr (std::is_same_v<V, std::string>) {
          return QuoteString(v);
        } else if constexpr (std::is_same_v<V, std::vector<uint8_t>>) {
          return FormatTypedList("u8", v);
        } else if constexpr (std::is_same_v<V, std::vector<int32_t>>) {
          return FormatTypedList("i32", v);
        } else if constexpr (std::is_same_v<V, std::vector<int64_t>>) {
          return FormatTypedList("i64", v);
        } else if constexpr (std::is_same_v<V, std::vector<double>>) {
          return FormatTypedList("f64", v);
        } else if constexpr (std::is_same_v<V, std::vector<float>>) {
          return FormatTypedList("f32", v);
        } else if constexpr (std::is_same_v<V, EncodableList>) {
          std::string out = "[";
          for (size_t i = 0; i < v.size(); ++i) {
            if (i > 0) out += ", ";
            out += FormatValue(v[i]);
          }
          return out + "]";
        } else if constexpr (std::is_same_v<V, EncodableMap>) {
          std::string out = "{";
          bool first = true;
          for (const auto& [key, item] : v) {
            if (!first) out += ", ";
            first = false;
            out += FormatValue(key) + ": " + FormatValue(item);
          }
          return out + "}";
        } else {
          static_assert(sizeof(V) == 0, "every alternative must be formatted");
        }
      },
      static_cast<const EncodableValue::super&>(value));
}

}  // namespace engine
}  // namespace flutter
