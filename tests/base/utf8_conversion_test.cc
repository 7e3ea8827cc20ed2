#include "base/strings/utf8_conversion.h"

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// What Windows' own strict converter makes of |bytes|: L"" for malformed input.
std::wstring Oracle(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), units);
  return out;
}

std::string Encode(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

TEST(Utf8ConversionTest, ValidSequencesOfEveryLength) {
  EXPECT_EQ(nbase::UTF8ToUTF16(""), L"");
  EXPECT_EQ(nbase::UTF8ToUTF16(nullptr, 5), L"");
  EXPECT_EQ(nbase::UTF8ToUTF16("abc"), L"abc");
  EXPECT_EQ(nbase::UTF8ToUTF16(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
  EXPECT_EQ(nbase::UTF8ToUTF16("\xC2\x80\xDF\xBF"), L"\x0080\x07FF");
  EXPECT_EQ(nbase::UTF8ToUTF16("\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"),
            L"\x0800\xD7FF\xE000\xFFFF");
  EXPECT_EQ(nbase::UTF8ToUTF16("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");  // U+1F600
  EXPECT_EQ(nbase::UTF8ToUTF16("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"), L"\xD800\xDC00\xDBFF\xDFFF");
  EXPECT_EQ(nbase::UTF8ToUTF16("\xE4\xBA\x91\xE6\x89\x8B\xE6\x9C\xBA"), L"\x4E91\x624B\x673A");
}

TEST(Utf8ConversionTest, MalformedInputEmptiesTheWholeResult) {
  const char* const malformed[] = {
      "abc\xC0\x80",          // overlong NUL
      "\xC1\xBF",             // overlong 2-byte
      "abc\xE0\x9F\xBF",      // overlong 3-byte
      "\xF0\x8F\xBF\xBF",     // overlong 4-byte
      "ok\xED\xA0\x80",       // high surrogate
      "\xED\xBF\xBF",         // low surrogate
      "\xF4\x90\x80\x80",     // U+110000
      "\xF5\x80\x80\x80",     // lead beyond F4
      "\xF8\x88\x80\x80\x80", // 5-byte form
      "\xFC\x84\x80\x80\x80\x80",
      "\xFE", "\xFF",
      "abc\x80",              // lone continuation
      "\xBF" "abc",
      "\xC3" "a",             // lead without continuation
      "\xE2\x82" "a",
      "valid text then \xE2\x82",  // truncated at the end
      "\xF0\x9F\x98",
      "\xC3",
  };
  for (const char* input : malformed) {
    SCOPED_TRACE(testing::PrintToString(std::string(input)));
    EXPECT_EQ(nbase::UTF8ToUTF16(input), L"");
    EXPECT_EQ(Oracle(input), L"");  // keeps the oracle honest for the random test below
  }
}

TEST(Utf8ConversionTest, ChunkBordersNeitherLoseNorDoubleCharacters) {
  const std::size_t chunk = nbase::kUtf8ChunkUnits;
  for (std::size_t prefix : {chunk - 2, chunk - 1, chunk, chunk + 1, 2 * chunk - 1}) {
    SCOPED_TRACE(prefix);
    // A surrogate pair at, just before and just after the border.
    std::string input(prefix, 'x');
    input += "\xF0\x9F\x98\x80" "\xE6\x89\x8B" "end";
    std::wstring expected(prefix, L'x');
    expected += L"\xD83D\xDE00\x624B" L"end";
    EXPECT_EQ(nbase::UTF8ToUTF16(input), expected);
    // Malformed input after whole valid chunks still empties everything.
    EXPECT_EQ(nbase::UTF8ToUTF16(input + "\xE6\x89"), L"");
  }
  // Nothing but pairs: every chunk ends on a character border.
  std::string pairs;
  std::wstring expected_pairs;
  for (int i = 0; i < 5000; ++i) {
    pairs += "\xF0\x9F\x98\x80";
    expected_pairs += L"\xD83D\xDE00";
  }
  EXPECT_EQ(nbase::UTF8ToUTF16(pairs), expected_pairs);
}

TEST(Utf8ConversionTest, ChunkStopsBeforeAPairThatDoesNotFit) {
  const std::string input = "a\xF0\x9F\x98\x80";
  const auto* in = reinterpret_cast<const unsigned char*>(input.data());
  const auto* end = in + input.size();
  wchar_t buffer[2];
  wchar_t* out = buffer;
  EXPECT_EQ(nbase::ConvertUtf8Chunk(&in, end, &out, buffer + 2),
            nbase::Utf8ChunkResult::kTargetFull);
  EXPECT_EQ(out - buffer, 1);
  EXPECT_EQ(in - reinterpret_cast<const unsigned char*>(input.data()), 1);

  out = buffer;
  EXPECT_EQ(nbase::ConvertUtf8Chunk(&in, end, &out, buffer + 2),
            nbase::Utf8ChunkResult::kSourceConsumed);
  EXPECT_EQ(std::wstring(buffer, out), L"\xD83D\xDE00");
}

// Random byte strings built mostly from valid characters of every length, salted with the faults
// a strict decoder must catch, checked against the system converter.
TEST(Utf8ConversionTest, AgreesWithTheSystemConverterOnRandomInput) {
  std::mt19937 rng(20240611);
  const char32_t range_starts[] = {0x00, 0x80, 0x800, 0xE000, 0x10000, 0x100000};
  const char32_t range_ends[] = {0x7F, 0x7FF, 0xD7FF, 0xFFFF, 0xFFFFF, 0x10FFFF};
  const std::string faults[] = {"\x80", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                "\xE0\x80\x80", "\xF0\x80\x80\x80", "\xC2", "\xF8\x88\x80\x80\x80",
                                "\xFF", "\xE2\x82"};
  int malformed_seen = 0;
  int valid_seen = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string input;
    const int characters = std::uniform_int_distribution<int>(0, round % 10 == 0 ? 3000 : 40)(rng);
    const bool salt = rng() % 3 == 0;
    for (int i = 0; i < characters; ++i) {
      const int kind = std::uniform_int_distribution<int>(0, 5)(rng);
      input += Encode(std::uniform_int_distribution<char32_t>(range_starts[kind],
                                                              range_ends[kind])(rng));
      if (salt && rng() % 200 == 0) input += faults[rng() % std::size(faults)];
      if (rng() % 500 == 0) input += static_cast<char>(rng() & 0xFF);  // any byte at all
    }
    if (salt && rng() % 2 == 0 && !input.empty()) input.pop_back();  // maybe truncate
    const std::wstring expected = Oracle(input);
    (expected.empty() ? malformed_seen : valid_seen)++;
    ASSERT_EQ(nbase::UTF8ToUTF16(input), expected) << "round " << round;
  }
  // The generator must exercise both outcomes for the comparison to mean anything.
  EXPECT_GT(malformed_seen, 200);
  EXPECT_GT(valid_seen, 1000);
}

}  // namespace
