// Conversion of wide text to UTF-8 and the argument list handed to the Dart entry point.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/utf16_to_utf8.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(Utf16ToUtf8, ConvertsEveryPlaneAndNothingForNullOrEmpty) {
  EXPECT_EQ(Utf16ToUtf8(nullptr), "");
  EXPECT_EQ(Utf16ToUtf8(L""), "");
  EXPECT_EQ(Utf16ToUtf8(L"pad-01"), "pad-01");
  // Two-byte, three-byte and four-byte (surrogate pair) sequences.
  EXPECT_EQ(Utf16ToUtf8(L"\u00e9\u4e91\U0001F4F1"), "\xC3\xA9\xE4\xBA\x91\xF0\x9F\x93\xB1");
}

TEST(Utf16ToUtf8, RejectsUnpairedSurrogatesWhole) {
  EXPECT_EQ(Utf16ToUtf8(L"ab\xD800"), "");
  EXPECT_EQ(Utf16ToUtf8(L"\xDC00xy"), "");
  const wchar_t reversed_pair[] = {0xDC01, 0xD801, 0};
  EXPECT_EQ(Utf16ToUtf8(reversed_pair), "");
}

TEST(Utf16ToUtf8, CutsLongInputAtTheLimit) {
  const std::wstring long_text(kMaxUtf16ConversionUnits + 100, L'a');
  EXPECT_EQ(Utf16ToUtf8(long_text.c_str()), std::string(kMaxUtf16ConversionUnits, 'a'));

  const std::wstring exact(kMaxUtf16ConversionUnits, L'\u00e9');
  EXPECT_EQ(Utf16ToUtf8(exact.c_str()).size(), 2 * kMaxUtf16ConversionUnits);
}

TEST(Utf16ToUtf8, CutInsideASurrogatePairKeepsTheTextBeforeIt) {
  // The limit falls between the two halves of a pair: the pair is left out instead of failing the
  // whole conversion on a half.
  std::wstring text(kMaxUtf16ConversionUnits - 1, L'b');
  text += L"\U0001F4F1tail";
  ASSERT_EQ(text[kMaxUtf16ConversionUnits - 1], static_cast<wchar_t>(0xD83D));
  EXPECT_EQ(Utf16ToUtf8(text.c_str()), std::string(kMaxUtf16ConversionUnits - 1, 'b'));
}

TEST(CommandLineArgumentsUtf8, DropsTheProgramNameAndSplitsLikeTheSystem) {
  EXPECT_THAT(CommandLineArgumentsUtf8(L"fernhold_pc_client.exe"), IsEmpty());
  EXPECT_THAT(CommandLineArgumentsUtf8(L"\"C:\\Program Files\\app.exe\""), IsEmpty());
  EXPECT_THAT(CommandLineArgumentsUtf8(L"app.exe --route=/home \"two words\" a\\\"b \"\""),
              ElementsAre("--route=/home", "two words", "a\"b", ""));
}

TEST(CommandLineArgumentsUtf8, ConvertsEachArgumentAndKeepsPositionsOfBadOnes) {
  const wchar_t command_line[] = {L'a', L'.', L'e', L'x', L'e', L' ', 0x4E91, L' ',
                                  L'x', 0xD800, L'y', L' ',  L'l', L'a', L's', L't', 0};
  EXPECT_THAT(CommandLineArgumentsUtf8(command_line), ElementsAre("\xE4\xBA\x91", "", "last"));
}

TEST(CommandLineArgumentsUtf8, ReadsTheProcessCommandLine) {
  // The C runtime split the same command line for main(); the list is that split without argv[0].
  const std::vector<std::string> arguments = CommandLineArgumentsUtf8();
  ASSERT_EQ(arguments.size(), static_cast<std::size_t>(__argc - 1));
  for (int i = 1; i < __argc; ++i) {
    EXPECT_EQ(arguments[i - 1], __argv[i]);
  }
}

}  // namespace
