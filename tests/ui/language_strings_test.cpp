// Language table: the line rules, escapes, and reading the UTF-8 language file.
#include <gtest/gtest.h>

#include "tests/ui/test_support.h"
#include "ui/core/language_strings.h"

namespace {

using ui::LanguageStringTable;

class LanguageStringsTest : public ::testing::Test {
 protected:
  void SetUp() override { table_->Clear(); }
  void TearDown() override { table_->Clear(); }
  LanguageStringTable* table_ = LanguageStringTable::GetInstance();
};

TEST_F(LanguageStringsTest, KeyEqualsTextLinesWithCommentsAndLastWins) {
  EXPECT_TRUE(table_->LoadLines({
      L"  STRID_TITLE =  Cloud phone ",
      L";STRID_COMMENT = never",
      L"STR;ID = never either",
      L"STRID_A = one = two",
      L"STRID_EMPTY = ",
      L" = no key",
      L"no equals sign",
      L"STRID_DUP = first",
      L"STRID_DUP = second",
  }));
  EXPECT_EQ(table_->GetStringById(L"STRID_TITLE"), L"Cloud phone");
  EXPECT_EQ(table_->GetStringById(L";STRID_COMMENT"), L"");
  EXPECT_EQ(table_->GetStringById(L"STR;ID"), L"");
  EXPECT_EQ(table_->GetStringById(L"STRID_A"), L"");
  EXPECT_EQ(table_->GetStringById(L"STRID_EMPTY"), L"");
  EXPECT_EQ(table_->GetStringById(L"STRID_DUP"), L"second");
  EXPECT_EQ(table_->GetStringById(L"strid_dup"), L"");  // Case-sensitive.
  EXPECT_EQ(table_->GetStringById(L""), L"");
  EXPECT_FALSE(table_->LoadLines({}));
}

TEST_F(LanguageStringsTest, EscapesBecomeLineBreaks) {
  table_->LoadLines({L"K = line one\\nline two\\r\\nthree \\t stays"});
  EXPECT_EQ(table_->GetStringById(L"K"), L"line one\nline two\r\nthree \\t stays");
}

TEST_F(LanguageStringsTest, FileWithBomCrLfTabsAndLongLinesReadsLikeAPlainOne) {
  uitest::TempDir dir;
  const std::string longText(10000, 'x');  // Far beyond any fixed line buffer.
  const std::string body = "\tKEY_ONE = \xE4\xBD\xA0\xE5\xA5\xBD\r\n\r\n; comment\r\nKEY_LONG = " +
                           longText + "\r\nKEY_LAST=end";
  ASSERT_TRUE(uitest::WriteFileBytes(dir.File(L"bom.ini"), "\xEF\xBB\xBF" + body));
  ASSERT_TRUE(uitest::WriteFileBytes(dir.File(L"plain.ini"),
                                     "KEY_ONE = \xE4\xBD\xA0\xE5\xA5\xBD\nKEY_LONG = " + longText +
                                         "\nKEY_LAST=end\n"));
  const auto bomLines = ui::ReadLanguageFileLines(dir.File(L"bom.ini"));
  ASSERT_EQ(bomLines.size(), 4u);  // The blank line is dropped.
  EXPECT_EQ(bomLines[0], L"KEY_ONE = \u4F60\u597D");

  table_->LoadLines(bomLines);
  const std::wstring first = table_->GetStringById(L"KEY_ONE");
  EXPECT_EQ(first, L"\u4F60\u597D");
  EXPECT_EQ(table_->GetStringById(L"KEY_LONG").size(), longText.size());
  EXPECT_EQ(table_->GetStringById(L"KEY_LAST"), L"end");

  table_->Clear();
  table_->LoadLines(ui::ReadLanguageFileLines(dir.File(L"plain.ini")));
  EXPECT_EQ(table_->GetStringById(L"KEY_ONE"), first);
  EXPECT_EQ(table_->GetStringById(L"KEY_LONG").size(), longText.size());

  EXPECT_TRUE(ui::ReadLanguageFileLines(dir.File(L"missing.ini")).empty());
}

}  // namespace
