// Markup parser: the accepted language, each failure message, the file size limit, and a
// randomised robustness run over mutated skins.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>

#include "tests/ui/skin_mutations.h"
#include "tests/ui/test_support.h"
#include "ui/core/markup.h"

namespace {

using ui::MarkupDocument;
using ui::MarkupNode;

std::wstring ParseError(const std::wstring& markup) {
  MarkupDocument doc;
  if (doc.LoadFromString(markup)) return L"(parsed)";
  return doc.GetLastErrorMessage();
}

const char kSkin[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Window size=\"360,640\" caption=\"0,0,0,36\" shadowattached=\"true\">\n"
    "  <!-- toolbar -->\n"
    "  <VBox bkcolor=\"bk_wnd_darkcolor\">\n"
    "    <HBox height=\"36\" padding=\"8,0,8,0\">\n"
    "      <Label name=\"title\" text=\"Phone &amp; more\" valign=\"center\"/>\n"
    "      <Button name=\"closebtn\" normalimage=\"file='../public/btn/close.png'\"/>\n"
    "    </HBox>\n"
    "    <Control name=\"video\" bkcolor=\"black\">inner text</Control>\n"
    "  </VBox>\n"
    "</Window>\n";

TEST(MarkupTest, WalksElementsAttributesAndText) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromUtf8(kSkin, sizeof(kSkin) - 1)) << doc.GetLastErrorMessage().c_str();
  MarkupNode root = doc.GetRoot();
  ASSERT_TRUE(root.IsValid());
  EXPECT_STREQ(root.GetName(), L"Window");
  ASSERT_EQ(root.GetAttributeCount(), 3);
  EXPECT_STREQ(root.GetAttributeName(1), L"caption");
  EXPECT_STREQ(root.GetAttributeValue(1), L"0,0,0,36");
  EXPECT_STREQ(root.GetAttributeValue(L"shadowattached"), L"true");
  EXPECT_STREQ(root.GetAttributeName(3), L"");  // Out of range.
  EXPECT_EQ(root.GetAttributeValue(L"missing"), nullptr);

  MarkupNode vbox = root.GetChild();
  EXPECT_STREQ(vbox.GetName(), L"VBox");
  EXPECT_FALSE(vbox.GetSibling().IsValid());
  MarkupNode hbox = vbox.GetChild();
  MarkupNode label = hbox.GetChild();
  EXPECT_STREQ(label.GetAttributeValue(L"text"), L"Phone & more");
  MarkupNode button = label.GetSibling();
  EXPECT_STREQ(button.GetAttributeValue(L"normalimage"), L"file='../public/btn/close.png'");
  MarkupNode control = hbox.GetSibling();
  EXPECT_STREQ(control.GetName(), L"Control");
  EXPECT_STREQ(control.GetValue(), L"inner text");
  EXPECT_STREQ(control.GetParent().GetName(), L"VBox");

  MarkupNode invalid;
  EXPECT_EQ(invalid.GetName(), nullptr);
  EXPECT_EQ(invalid.GetAttributeCount(), 0);
  EXPECT_EQ(invalid.GetAttributeName(0), nullptr);
  EXPECT_FALSE(invalid.GetChild().IsValid());
}

TEST(MarkupTest, DecodesTheFiveEntitiesAndLeavesOthers) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(
      L"<a v=\"&lt;b&gt;\" w=\"&amp;&apos;&quot;\" x=\"&nbsp;\" y=\"tail&amp\" z=\"last\">"
      L"1 &lt; 2<b/></a>"));
  MarkupNode a = doc.GetRoot();
  EXPECT_STREQ(a.GetAttributeValue(L"v"), L"<b>");
  EXPECT_STREQ(a.GetAttributeValue(L"w"), L"&'\"");
  EXPECT_STREQ(a.GetAttributeValue(L"x"), L"&nbsp;");
  EXPECT_STREQ(a.GetAttributeValue(L"y"), L"tail&amp");
  // A value shortened by decoding must not swallow the next attribute or the text's stopper.
  EXPECT_STREQ(a.GetAttributeValue(L"z"), L"last");
  EXPECT_STREQ(a.GetValue(), L"1 < 2");
  EXPECT_STREQ(a.GetChild().GetName(), L"b");
}

TEST(MarkupTest, ValuesAndNamesEndingAtTheirStopperStayIntact) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(L"<a x=\"1\"/><b>text</b>"));
  // Only the first root is the document's root; the name ended right at "/" and ">".
  EXPECT_STREQ(doc.GetRoot().GetName(), L"a");
  EXPECT_STREQ(doc.GetRoot().GetSibling().GetName(), L"b");
  EXPECT_STREQ(doc.GetRoot().GetSibling().GetValue(), L"text");
  ASSERT_TRUE(doc.LoadFromString(L"<c/>"));
  EXPECT_STREQ(doc.GetRoot().GetName(), L"c");
  EXPECT_FALSE(doc.GetRoot().HasAttributes());
}

TEST(MarkupTest, WhitespaceCollapsesOnlyWhenNotPreserved) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(L"<a v=\"x    y\"/>"));
  EXPECT_STREQ(doc.GetRoot().GetAttributeValue(L"v"), L"x    y");
  doc.SetPreserveWhitespace(false);
  ASSERT_TRUE(doc.LoadFromString(L"<a v=\"x    y\"/>"));
  EXPECT_STREQ(doc.GetRoot().GetAttributeValue(L"v"), L"x y");
}

TEST(MarkupTest, OnlyTheFirst64AttributesAreVisible) {
  std::wstring markup = L"<a";
  for (int i = 0; i < 70; ++i)
    markup += L" k" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
  markup += L"/>";
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(markup));
  MarkupNode a = doc.GetRoot();
  ASSERT_EQ(a.GetAttributeCount(), 64);
  EXPECT_STREQ(a.GetAttributeName(63), L"k63");
  EXPECT_STREQ(a.GetAttributeValue(63), L"63");
  EXPECT_EQ(a.GetAttributeValue(L"k64"), nullptr);
}

TEST(MarkupTest, EachMalformedInputGivesItsMessage) {
  EXPECT_EQ(ParseError(L"hello"), L"Expected start tag");
  EXPECT_EQ(ParseError(L"<abc"), L"Error parsing element name");
  EXPECT_EQ(ParseError(L"<a/x>"), L"Expected start-tag closing");
  EXPECT_EQ(ParseError(L"<a x=\"1\""), L"Expected start-tag closing");
  EXPECT_EQ(ParseError(L"<a><b><c>text"), L"Expected end-tag start");
  EXPECT_EQ(ParseError(L"<a></b>"), L"Unmatched closing tag");
  EXPECT_EQ(ParseError(L"<a></a >"), L"Unmatched closing tag");
  EXPECT_EQ(ParseError(L"<a b c=\"1\"/>"), L"Error while parsing attributes");
  EXPECT_EQ(ParseError(L"<a b='1'/>"), L"Expected attribute value");
  EXPECT_EQ(ParseError(L"<a b=\"unterminated"), L"Error while parsing attribute string");
  EXPECT_EQ(ParseError(L"<a><b>x</b><c><d/></c"), L"Unmatched closing tag");
  // A closing tag with no open element is stray, wherever it stands at the top level.
  EXPECT_EQ(ParseError(L"</x>"), L"Unmatched closing tag");
  EXPECT_EQ(ParseError(L"<a/></b>garbage <<<"), L"Unmatched closing tag");
  EXPECT_EQ(ParseError(L"<a></a></a>"), L"Unmatched closing tag");
  EXPECT_EQ(ParseError(L"<!-- c --> </a>"), L"Unmatched closing tag");
  // Unterminated comments and instructions run to the end without reading past it.
  EXPECT_EQ(ParseError(L"<a><b><!-- open"), L"Expected start tag");
  EXPECT_EQ(ParseError(L"<?xml open"), L"(parsed)");

  MarkupDocument doc;
  EXPECT_FALSE(doc.LoadFromString(L"<a b='1'/>"));
  EXPECT_EQ(doc.GetLastErrorLocation(), L"'1'/>");
  EXPECT_FALSE(doc.GetRoot().IsValid());
  EXPECT_FALSE(doc.LoadFromString(L"<a/></b>garbage"));
  EXPECT_EQ(doc.GetLastErrorLocation(), L"</b>garbage");
  EXPECT_FALSE(doc.GetRoot().IsValid());
  EXPECT_FALSE(doc.IsValid());
}

TEST(MarkupTest, FileFailuresGiveTheirMessages) {
  uitest::TempDir dir;
  MarkupDocument doc;
  EXPECT_FALSE(doc.LoadFromFile(dir.File(L"missing.xml")));
  EXPECT_EQ(doc.GetLastErrorMessage(), L"Error opening file");
  EXPECT_EQ(doc.GetLastErrorLocation(), L"");

  ASSERT_TRUE(uitest::WriteFileBytes(dir.File(L"empty.xml"), ""));
  EXPECT_FALSE(doc.LoadFromFile(dir.File(L"empty.xml")));
  EXPECT_EQ(doc.GetLastErrorMessage(), L"File is empty");

  // A pipe opens like a file but has no size to read.
  const std::wstring pipeName =
      L"\\\\.\\pipe\\fernhold-ui-markup-" + std::to_wstring(::GetCurrentProcessId());
  HANDLE pipe = ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 64,
                                   64, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(doc.LoadFromFile(pipeName));
  EXPECT_EQ(doc.GetLastErrorMessage(), L"Could not read file");
  ::CloseHandle(pipe);
}

TEST(MarkupTest, FileSizeLimitIsExactly4MiB) {
  uitest::TempDir dir;
  // "<a>" + padding text + "</a>", exactly at the limit, then one byte more.
  const size_t limit = MarkupDocument::kMaxFileBytes;
  std::string atLimit = "<a>" + std::string(limit - 7, 'x') + "</a>";
  ASSERT_EQ(atLimit.size(), limit);
  ASSERT_TRUE(uitest::WriteFileBytes(dir.File(L"at.xml"), atLimit));
  MarkupDocument doc;
  EXPECT_TRUE(doc.LoadFromFile(dir.File(L"at.xml"))) << doc.GetLastErrorMessage().c_str();
  EXPECT_EQ(std::wcslen(doc.GetRoot().GetValue()), limit - 7);

  atLimit.insert(3, "y");
  ASSERT_TRUE(uitest::WriteFileBytes(dir.File(L"over.xml"), atLimit));
  EXPECT_FALSE(doc.LoadFromFile(dir.File(L"over.xml")));
  EXPECT_EQ(doc.GetLastErrorMessage(), L"File too large");
}

TEST(MarkupTest, ByteOrderMarkIsSkipped) {
  uitest::TempDir dir;
  const std::string body = "<Window title=\"\xE4\xBD\xA0\xE5\xA5\xBD\"/>";
  ASSERT_TRUE(uitest::WriteFileBytes(dir.File(L"bom.xml"), "\xEF\xBB\xBF" + body));
  ASSERT_TRUE(uitest::WriteFileBytes(dir.File(L"plain.xml"), body));
  MarkupDocument withBom;
  MarkupDocument without;
  ASSERT_TRUE(withBom.LoadFromFile(dir.File(L"bom.xml")));
  ASSERT_TRUE(without.LoadFromFile(dir.File(L"plain.xml")));
  EXPECT_STREQ(withBom.GetRoot().GetName(), L"Window");
  EXPECT_STREQ(withBom.GetRoot().GetAttributeValue(L"title"), L"\u4F60\u597D");
  EXPECT_STREQ(without.GetRoot().GetAttributeValue(L"title"), L"\u4F60\u597D");
}

TEST(MarkupTest, DeepNestingIsRefusedInsteadOfOverflowingTheStack) {
  auto nested = [](int depth) {
    std::wstring markup;
    for (int i = 0; i < depth; ++i) markup += L"<a>";
    for (int i = 0; i < depth; ++i) markup += L"</a>";
    return markup;
  };
  MarkupDocument doc;
  EXPECT_TRUE(doc.LoadFromString(nested(200)));
  EXPECT_FALSE(doc.LoadFromString(nested(100000)));
  EXPECT_EQ(doc.GetLastErrorMessage(), L"Elements nested too deeply");
}

// Byte flips, truncations and insertions of markup-significant characters over a realistic
// skin; every outcome must be a clean success or a clean failure, and every node of a success
// must be readable.
TEST(MarkupTest, SurvivesOneHundredThousandMutatedSkins) {
  std::mt19937 random(20261209);
  const std::string seed(kSkin);
  MarkupDocument doc;
  int parsed = 0;
  size_t checksum = 0;
  for (int round = 0; round < 100000; ++round) {
    const std::string skin = uitest::MutateSkin(seed, random);
    if (!doc.LoadFromUtf8(skin.data(), skin.size())) continue;
    ++parsed;
    // Walk the whole tree depth-first.
    std::vector<MarkupNode> stack{doc.GetRoot()};
    while (!stack.empty()) {
      MarkupNode node = stack.back();
      stack.pop_back();
      if (!node.IsValid()) continue;
      checksum += std::wcslen(node.GetName()) + std::wcslen(node.GetValue());
      for (int i = 0; i < node.GetAttributeCount(); ++i)
        checksum += std::wcslen(node.GetAttributeName(i)) + std::wcslen(node.GetAttributeValue(i));
      stack.push_back(node.GetSibling());
      stack.push_back(node.GetChild());
    }
  }
  EXPECT_GT(parsed, 1000);  // Many mutations stay well-formed.
  EXPECT_GT(checksum, 0u);
}

}  // namespace
