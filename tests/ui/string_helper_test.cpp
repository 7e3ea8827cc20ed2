// String helpers and number lists.
#include <gtest/gtest.h>

#include "ui/core/number_list.h"
#include "ui/core/string_helper.h"

namespace {

using ui::StringHelper;

TEST(StringHelperTest, NormalizeFilePathUsesSingleBackslashesAndKeepsUncPrefixes) {
  EXPECT_EQ(StringHelper::NormalizeFilePath(L"../public/bk/bk_shadow.png"),
            L"..\\public\\bk\\bk_shadow.png");
  EXPECT_EQ(StringHelper::NormalizeFilePath(L"C:\\a\\\\b//c"), L"C:\\a\\b\\c");
  EXPECT_EQ(StringHelper::NormalizeFilePath(L"a\\\\\\b"), L"a\\\\b");  // One pass.
  EXPECT_EQ(StringHelper::NormalizeFilePath(L"\\\\server\\share\\\\x.png"),
            L"\\\\server\\share\\x.png");
  EXPECT_EQ(StringHelper::NormalizeFilePath(L"//server/share/x.png"), L"\\\\server\\share\\x.png");
}

TEST(StringHelperTest, SplitDropsEmptyTokens) {
  EXPECT_EQ(StringHelper::Split(L"  a  bb c ", L" "),
            (std::vector<std::wstring>{L"a", L"bb", L"c"}));
  EXPECT_EQ(StringHelper::Split(L"k=v", L"="), (std::vector<std::wstring>{L"k", L"v"}));
  EXPECT_TRUE(StringHelper::Split(L"", L" ").empty());
  EXPECT_TRUE(StringHelper::Split(L"===", L"=").empty());
}

TEST(StringHelperTest, TrimRemovesBlanksAndControlCharacters) {
  std::wstring text = L"\t\r\n  text \x1D\r\n";
  StringHelper::TrimLeft(text);
  EXPECT_EQ(text, L"text \x1D\r\n");
  StringHelper::Trim(text);
  EXPECT_EQ(text, L"text");
}

TEST(StringHelperTest, PrintfGrowsBeyondTheFirstBuffer) {
  EXPECT_EQ(StringHelper::Printf(L"%ls-%d", L"pad", 7), L"pad-7");
  const std::wstring big(5000, L'z');
  EXPECT_EQ(StringHelper::Printf(L"<%ls>", big.c_str()).size(), 5002u);
}

TEST(StringHelperTest, Utf8RoundTrip) {
  std::string utf8;
  EXPECT_TRUE(StringHelper::WideToUtf8(L"a\u4F60\U0001F600", &utf8));
  EXPECT_EQ(utf8, "a\xE4\xBD\xA0\xF0\x9F\x98\x80");
  EXPECT_EQ(StringHelper::Utf8ToWide(utf8), L"a\u4F60\U0001F600");
  EXPECT_TRUE(StringHelper::WideToUtf8(L"", &utf8));
  EXPECT_TRUE(utf8.empty());
}

TEST(NumberListTest, ShortListsStopAtTheEndAndReadZero) {
  int v[4] = {9, 9, 9, 9};
  EXPECT_EQ(ui::ReadNumberList(L"1,2", v, 4), 2u);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 2);
  EXPECT_EQ(v[2], 0);
  EXPECT_EQ(v[3], 0);

  const RECT r = ui::ReadRect(L"-3, 4,5;6");  // Any one separator; blanks before a number.
  EXPECT_EQ(r.left, -3);
  EXPECT_EQ(r.top, 4);
  EXPECT_EQ(r.right, 5);
  EXPECT_EQ(r.bottom, 6);
  const SIZE s = ui::ReadSize(L"300");
  EXPECT_EQ(s.cx, 300);
  EXPECT_EQ(s.cy, 0);
  const POINT p = ui::ReadPoint(L"");
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(ui::ReadNumberList(nullptr, v, 4), 0u);
  // A trailing separator must not step over the terminator.
  const std::wstring trailing = L"7,";
  EXPECT_EQ(ui::ReadRect(trailing.c_str()).left, 7);
}

}  // namespace
