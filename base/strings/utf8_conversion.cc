#include "base/strings/utf8_conversion.h"

#include <array>

namespace nbase {
namespace {

static_assert(sizeof(wchar_t) == 2, "UTF-16 output assumes a 16-bit wchar_t");

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kReplacementCharacter = 0xFFFD;

// One decoded character, or a malformed sequence (length 0).
struct DecodedChar {
  char32_t code_point;
  std::size_t length;
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes the character starting at |p|. Every rule of RFC 3629 is checked on the bytes
// themselves, so that no overlong, surrogate or out-of-range value is ever formed.
DecodedChar DecodeOne(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = p[0];
  if (lead < 0x80) return {lead, 1};

  std::size_t trailing;
  char32_t value;
  // Range allowed for the byte after the lead: narrower than 80..BF exactly where the shortest
  // form, the surrogate gap or the U+10FFFF ceiling would otherwise be broken.
  unsigned char second_min = 0x80;
  unsigned char second_max = 0xBF;
  if (lead < 0xC2) {
    return {0, 0};  // a continuation byte, or C0/C1 (always overlong)
  } else if (lead < 0xE0) {
    trailing = 1;
    value = lead & 0x1F;
  } else if (lead < 0xF0) {
    trailing = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) second_min = 0xA0;  // below U+0800 is overlong
    if (lead == 0xED) second_max = 0x9F;  // U+D800..U+DFFF are surrogates
  } else if (lead < 0xF5) {
    trailing = 3;
    value = lead & 0x07;
    if (lead == 0xF0) second_min = 0x90;  // below U+10000 is overlong
    if (lead == 0xF4) second_max = 0x8F;  // above U+10FFFF
  } else {
    return {0, 0};  // F5..FF never start a character
  }

  if (static_cast<std::size_t>(end - p) <= trailing) return {0, 0};  // cut off by the end
  if (p[1] < second_min || p[1] > second_max) return {0, 0};
  for (std::size_t i = 1; i <= trailing; ++i) {
    if (!IsContinuation(p[i])) return {0, 0};
    value = (value << 6) | (p[i] & 0x3F);
  }
  return {value, trailing + 1};
}

}  // namespace

Utf8ChunkResult ConvertUtf8Chunk(const unsigned char** source, const unsigned char* source_end,
                                 wchar_t** target, wchar_t* target_end) {
  const unsigned char* in = *source;
  wchar_t* out = *target;
  Utf8ChunkResult result = Utf8ChunkResult::kSourceConsumed;
  while (in < source_end) {
    const DecodedChar decoded = DecodeOne(in, source_end);
    if (decoded.length == 0) {
      result = Utf8ChunkResult::kMalformed;
      break;
    }
    char32_t value = decoded.code_point;
    const std::size_t units = value >= kFirstSupplementary && value <= kMaxCodePoint ? 2 : 1;
    if (static_cast<std::size_t>(target_end - out) < units) {
      result = Utf8ChunkResult::kTargetFull;
      break;
    }
    if (units == 2) {
      value -= kFirstSupplementary;
      *out++ = static_cast<wchar_t>(0xD800 + (value >> 10));
      *out++ = static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
    } else {
      // The decoder admits neither surrogates nor values above U+10FFFF; the replacement keeps
      // this safe should that ever change.
      const bool representable = value < 0xD800 || (value > 0xDFFF && value <= 0xFFFF);
      *out++ = static_cast<wchar_t>(representable ? value : kReplacementCharacter);
    }
    in += decoded.length;
  }
  *source = in;
  *target = out;
  return result;
}

std::wstring UTF8ToUTF16(const char* utf8, std::size_t length) {
  std::wstring result;
  if (!utf8 || length == 0) return result;

  result.reserve(length);  // UTF-16 never needs more units than UTF-8 has bytes
  const auto* in = reinterpret_cast<const unsigned char*>(utf8);
  const unsigned char* const in_end = in + length;
  std::array<wchar_t, kUtf8ChunkUnits> buffer;
  for (;;) {
    wchar_t* out = buffer.data();
    const Utf8ChunkResult chunk =
        ConvertUtf8Chunk(&in, in_end, &out, buffer.data() + buffer.size());
    if (chunk == Utf8ChunkResult::kMalformed) return std::wstring();
    result.append(buffer.data(), out);
    if (chunk == Utf8ChunkResult::kSourceConsumed) return result;
  }
}

std::wstring UTF8ToUTF16(const std::string& utf8) {
  return UTF8ToUTF16(utf8.data(), utf8.size());
}

}  // namespace nbase
