// Strict UTF-8 to UTF-16 conversion.
//
// The UI library works in UTF-16 wide strings while the plug-in, the streaming SDK and markup files
// speak UTF-8. The conversion follows the UTF-8 form of RFC 3629 strictly: overlong forms, encoded
// surrogates, values above U+10FFFF, stray continuation bytes and sequences cut off by the end of
// the input are all malformed, and malformed input of any kind yields an EMPTY result (never a
// partial one). Callers that must tell "empty input" from "malformed input" check the input size.
//
//   std::wstring title = nbase::UTF8ToUTF16(pad_name);   // L"" when pad_name is not UTF-8
//
// Thread safety: pure functions, callable from any thread.
#ifndef BASE_STRINGS_UTF8_CONVERSION_H_
#define BASE_STRINGS_UTF8_CONVERSION_H_

#include <cstddef>
#include <string>

namespace nbase {

// Converts |length| bytes at |utf8| (which need not be NUL-terminated; NUL bytes are characters).
// A null |utf8| converts as empty input.
std::wstring UTF8ToUTF16(const char* utf8, std::size_t length);

// Converts the whole content of |utf8|, embedded NULs included.
std::wstring UTF8ToUTF16(const std::string& utf8);

// Outcome of one ConvertUtf8Chunk call.
enum class Utf8ChunkResult {
  kSourceConsumed,  // every input byte was converted
  kTargetFull,      // the next character does not fit; call again with fresh room
  kMalformed,       // an illegal or truncated sequence starts at *source
};

// Decodes characters from [*source, source_end) into [*target, target_end), advancing both past
// what was converted. A character never straddles two calls: when a surrogate pair needs two
// units and only one is left, the chunk ends before that character. On kMalformed, *source points
// at the offending sequence. This is the building block of UTF8ToUTF16, which decodes into a
// fixed buffer of kUtf8ChunkUnits units at a time.
Utf8ChunkResult ConvertUtf8Chunk(const unsigned char** source, const unsigned char* source_end,
                                 wchar_t** target, wchar_t* target_end);

// Size in UTF-16 units of the buffer UTF8ToUTF16 decodes into before appending to its result.
inline constexpr std::size_t kUtf8ChunkUnits = 4096;

}  // namespace nbase

#endif  // BASE_STRINGS_UTF8_CONVERSION_H_
