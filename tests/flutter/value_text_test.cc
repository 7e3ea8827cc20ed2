// The text form of values used by scenarios and by the scripted Dart side's output.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "flutter/engine/value_text.h"
#include "flutter/standard_codec_serializer.h"
#include "flutter/standard_message_codec.h"

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
  EXPECT_EQ(ParseError(std::string(200, '[')), "column 129: values nested too deeply");
  EXPECT_EQ(ParseError("f32[1e39]"), "column 5: number does not fit the list's element type");
}

// Bits of every element, so that -0.0 differs from 0.0; any NaN reads as one pattern.
template <typename T, typename Bits>
std::vector<Bits> ElementBits(const std::vector<T>& list) {
  std::vector<Bits> bits;
  for (const T item : list) {
    Bits b = 0;
    std::memcpy(&b, &item, sizeof(b));
    bits.push_back(std::isnan(item) ? Bits(1) : b);
  }
  return bits;
}

// The value parsed back from the printed |value|; null (and the parser's error) when the printed
// text does not parse. The text itself is not repeated: it can be long.
EncodableValue PrintAndParse(const EncodableValue& value) {
  std::string error;
  std::optional<EncodableValue> parsed = ParseWholeValue(FormatValue(value), &error);
  EXPECT_TRUE(parsed.has_value()) << error;
  return parsed.value_or(EncodableValue());
}

TEST(ValueTextTest, PrintingThenParsingGivesBackEveryFloatAndDoubleExactly) {
  const EncodableValue nans(std::vector<float>{std::numeric_limits<float>::quiet_NaN(), 1.5f});
  EXPECT_EQ(FormatValue(nans), "f32[nan, 1.5]");
  const EncodableValue parsed_nans = PrintAndParse(nans);
  ASSERT_TRUE(std::holds_alternative<std::vector<float>>(parsed_nans));
  EXPECT_TRUE(std::isnan(std::get<std::vector<float>>(parsed_nans)[0]));
  EXPECT_TRUE(std::isnan(std::get<std::vector<double>>(
      PrintAndParse(EncodableValue(std::vector<double>{NAN})))[0]));

  std::vector<float> floats = {-0.0f, std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::max(),
                               std::numeric_limits<float>::denorm_min(), 16777217.0f};
  std::vector<double> doubles = {-0.0,
                                 std::numeric_limits<double>::denorm_min(),
                                 std::numeric_limits<double>::max()};
  // 0x15ae43fd printed through a double once read back as 0x15ae43fe.
  std::vector<uint32_t> float_bits = {0x15ae43fd, 0x807fffff, 0x00800000};
  std::mt19937_64 random(20260912);
  for (int i = 0; i < 20000; ++i) float_bits.push_back(static_cast<uint32_t>(random()));
  for (const uint32_t bits : float_bits) {
    float f;
    std::memcpy(&f, &bits, sizeof(f));
    floats.push_back(f);
  }
  for (int i = 0; i < 20000; ++i) {
    const uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof(d));
    doubles.push_back(d);
  }

  const EncodableValue parsed_floats = PrintAndParse(EncodableValue(floats));
  ASSERT_TRUE(std::holds_alternative<std::vector<float>>(parsed_floats));
  const auto float_bits_back =
      ElementBits<float, uint32_t>(std::get<std::vector<float>>(parsed_floats));
  const auto float_bits_sent = ElementBits<float, uint32_t>(floats);
  ASSERT_EQ(float_bits_back.size(), float_bits_sent.size());
  for (size_t i = 0; i < float_bits_sent.size(); ++i) {
    if (float_bits_back[i] == float_bits_sent[i]) continue;
    ADD_FAILURE() << "f32 bits " << std::hex << float_bits_sent[i] << " came back as "
                  << float_bits_back[i];
    break;
  }
  const EncodableValue parsed_doubles = PrintAndParse(EncodableValue(doubles));
  ASSERT_TRUE(std::holds_alternative<std::vector<double>>(parsed_doubles));
  EXPECT_TRUE((ElementBits<double, uint64_t>(std::get<std::vector<double>>(parsed_doubles))) ==
              (ElementBits<double, uint64_t>(doubles)))
      << "an f64 item changed on the way";

  // Every byte of a string, and typed lists inside a map.
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  const EncodableValue mixed(EncodableMap{
      {EncodableValue(bytes), EncodableValue(std::vector<int64_t>{INT64_MIN, INT64_MAX})},
      {EncodableValue(-1.5), EncodableValue(std::vector<uint8_t>{0, 255})}});
  EXPECT_EQ(PrintAndParse(mixed), mixed);
}

TEST(ValueTextTest, TextNestsExactlyAsDeepAsTheCodecReads) {
  auto nested = [](int levels) {
    EncodableValue value{EncodableList{}};
    for (int i = 1; i < levels; ++i) value = EncodableValue(EncodableList{value});
    return value;
  };
  const auto& codec = flutter::StandardMessageCodec::GetInstance();
  const int deepest = flutter::StandardCodecSerializer::kMaxNestingDepth;
  const EncodableValue deep = nested(deepest);
  EXPECT_NE(codec.DecodeMessage(*codec.EncodeMessage(deep)), nullptr);
  EXPECT_EQ(PrintAndParse(deep), deep);
  const EncodableValue deeper = nested(deepest + 1);
  EXPECT_EQ(codec.DecodeMessage(*codec.EncodeMessage(deeper)), nullptr);
  std::string error;
  EXPECT_FALSE(ParseWholeValue(FormatValue(deeper), &error).has_value());
  EXPECT_EQ(error, "column " + std::to_string(deepest + 1) + ": values nested too deeply");
}

}  // namespace
