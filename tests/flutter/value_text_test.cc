// The text form of values used by scenarios and by the scripted Dart side's output.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "flutter/engine/value_text.h"

namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::engine::FormatValue;
using flutter::engine::ParseWholeValue;

EncodableValue Parse(const std::string& text) {
  std::string error;
  auto value = ParseWholeValue(text, &error);
  EXPECT_TRUE(value.has_value()) << text << ": " << error;
  return value.value_or(EncodableValue("<parse failed>"));
}

std::string ParseError(const std::string& text) {
  std::string error;
  EXPECT_FALSE(ParseWholeValue(text, &error).has_value()) << text;
  return error;
}

TEST(ValueTextTest, EveryTypeFormatsAndParsesBack) {
  const std::vector<std::pair<EncodableValue, std::string>> cases = {
      {EncodableValue(), "null"},
      {EncodableValue(true), "true"},
      {EncodableValue(-5), "-5"},
      {EncodableValue(int64_t{5}), "5L"},
      {EncodableValue(int64_t{1} << 40), "1099511627776L"},
      {EncodableValue(2.0), "2.0"},
      {EncodableValue(0.1), "0.1"},
      {EncodableValue(-1e300), "-1e+300"},
      {EncodableValue(std::numeric_limits<double>::infinity()), "inf"},
      {EncodableValue("a \"q\" \\ \n\x01 \xC3\xA9"), "\"a \\\"q\\\" \\\\ \\n\\x01 \xC3\xA9\""},
      {EncodableValue(std::vector<uint8_t>{0, 255}), "u8[0, 255]"},
      {EncodableValue(std::vector<int32_t>{-1}), "i32[-1]"},
      {EncodableValue(std::vector<int64_t>{1}), "i64[1]"},
      {EncodableValue(std::vector<float>{0.5f}), "f32[0.5]"},
      {EncodableValue(std::vector<double>{}), "f64[]"},
      {EncodableValue(EncodableList{EncodableValue(1), EncodableValue("x")}), "[1, \"x\"]"},
      {EncodableValue(EncodableMap{{EncodableValue("padCode"), EncodableValue("P1")},
                                   {EncodableValue("data"), EncodableValue(EncodableMap{})}}),
       "{\"data\": {}, \"padCode\": \"P1\"}"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(FormatValue(value), text);
    const EncodableValue parsed = Parse(text);
    EXPECT_EQ(parsed, value) << text;
    EXPECT_EQ(parsed.index(), value.index()) << text;
  }
  EXPECT_TRUE(std::isnan(std::get<double>(Parse("nan"))));
  EXPECT_EQ(FormatValue(Parse(" { 1 : [ ] ,\t2: 3.5e1 } ")), "{1: [], 2: 35.0}");
}

TEST(ValueTextTest, IntegersWidenOnlyWhenTheyMust) {
  EXPECT_EQ(Parse("2147483647").index(), EncodableValue(0).index());
  EXPECT_EQ(Parse("2147483648"), EncodableValue(int64_t{2147483648}));
  EXPECT_EQ(Parse("-2147483649"), EncodableValue(int64_t{-2147483649}));
  EXPECT_EQ(Parse("+7"), EncodableValue(7));
}

TEST(ValueTextTest, ErrorsNameTheColumn) {
  EXPECT_EQ(ParseError("[1, 2"), "column 6: expected ',' or ']'");
  EXPECT_EQ(ParseError("{\"a\": 1, \"a\": 2}"), "column 10: repeated map key");
  EXPECT_EQ(ParseError("nul"), "column 1: unknown word \"nul\"");
  EXPECT_EQ(ParseError("1 2"), "column 3: unexpected text after the value");
  EXPECT_EQ(ParseError("\"open"), "column 6: a string is not closed");
  EXPECT_EQ(ParseError("u8[256]"), "column 7: number does not fit the list's element type");
  EXPECT_EQ(ParseError("99999999999999999999"), "column 1: an integer is out of the 64-bit range");
  EXPECT_EQ(ParseError(""), "column 1: a value is missing");
  EXPECT_EQ(ParseError(std::string(100, '[')), "column 66: values nested too deeply");
}

}  // namespace
