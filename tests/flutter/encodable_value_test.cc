// EncodableValue behaviours that callers rely on beyond std::variant's own.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <variant>

#include "flutter/encodable_value.h"

namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;

TEST(EncodableValueTest, ConversionsPickTheIntendedAlternative) {
  // A string literal must not decay to bool.
  EXPECT_TRUE(std::holds_alternative<std::string>(EncodableValue("padCode")));
  EncodableValue assigned;
  assigned = "x";
  EXPECT_TRUE(std::holds_alternative<std::string>(assigned));
  EXPECT_TRUE(std::holds_alternative<int32_t>(EncodableValue(1)));
  EXPECT_TRUE(std::holds_alternative<int64_t>(EncodableValue(int64_t{1})));
  EXPECT_TRUE(std::holds_alternative<double>(EncodableValue(1.0)));
  EXPECT_TRUE(EncodableValue().IsNull());
  EXPECT_FALSE(EncodableValue(false).IsNull());
}

TEST(EncodableValueTest, LongValueWidensBothIntegerKinds) {
  EXPECT_EQ(EncodableValue(-7).LongValue(), -7);
  EXPECT_EQ(EncodableValue(int64_t{1} << 40).LongValue(), int64_t{1} << 40);
  EXPECT_THROW(EncodableValue("7").LongValue(), std::bad_variant_access);
}

TEST(EncodableValueTest, ValuesOfDifferentTypesAreDistinctMapKeys) {
  EncodableMap map;
  map[EncodableValue(1)] = EncodableValue("int32");
  map[EncodableValue(int64_t{1})] = EncodableValue("int64");
  map[EncodableValue("1")] = EncodableValue("string");
  map[EncodableValue(EncodableList{EncodableValue(1)})] = EncodableValue("list");
  EXPECT_EQ(map.size(), 4u);
  EXPECT_EQ(map[EncodableValue(int64_t{1})], EncodableValue("int64"));
  // Ordered by type first: null < bool < int32 < int64 < ... < string < ... < list.
  EXPECT_TRUE(EncodableValue() < EncodableValue(false));
  EXPECT_TRUE(EncodableValue(1000) < EncodableValue(int64_t{0}));
  EXPECT_TRUE(EncodableValue("a") < EncodableValue("b"));
  EXPECT_NE(EncodableValue(1), EncodableValue(int64_t{1}));
}

}  // namespace
