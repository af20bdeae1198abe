#include "engine/base/Value.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

TEST(ValueTest, NumbersReadFromStringsAreParsedLikeAtoi) {
    EXPECT_EQ(Value("42").asInt(), 42);
    EXPECT_EQ(Value("  -7 cards").asInt(), -7);
    EXPECT_EQ(Value("cards").asInt(), 0);
    EXPECT_EQ(Value("").asInt(), 0);
    EXPECT_EQ(Value("9007199254740993").asInt64(), 9007199254740993LL);
    // Out of range saturates rather than being undefined.
    EXPECT_EQ(Value("99999999999999999999999").asInt64(), INT64_MAX);

    EXPECT_DOUBLE_EQ(Value("0.5").asDouble(), 0.5);
    EXPECT_DOUBLE_EQ(Value(" +1e3").asDouble(), 1000.0);
    EXPECT_DOUBLE_EQ(Value("-2.25xyz").asDouble(), -2.25);
    EXPECT_FLOAT_EQ(Value("60").asFloat(), 60.0f);
    EXPECT_DOUBLE_EQ(Value("nothing").asDouble(), 0.0);
}

TEST(ValueTest, RealsConvertToIntegersByTruncationAndSaturate) {
    EXPECT_EQ(Value(3.9).asInt(), 3);
    EXPECT_EQ(Value(-3.9).asInt(), -3);
    EXPECT_EQ(Value(100.9f).asInt(), 100);
    EXPECT_EQ(Value(1e30).asInt(), INT_MAX);
    EXPECT_EQ(Value(-1e30).asInt(), INT_MIN);
    EXPECT_EQ(Value(1e300).asInt64(), INT64_MAX);
    EXPECT_EQ(Value(std::nan("")).asInt(), 0);
}

TEST(ValueTest, AsStringPrintsNumbersAndBooleans) {
    EXPECT_EQ(Value(42).asString(), "42");
    EXPECT_EQ(Value(-7LL).asString(), "-7");
    EXPECT_EQ(Value(7u).asString(), "7");
    EXPECT_EQ(Value(static_cast<unsigned char>(65)).asString(), "65");
    EXPECT_EQ(Value(1.5f).asString(), "1.5000000");
    EXPECT_EQ(Value(0.25).asString(), "0.2500000000000000");
    EXPECT_EQ(Value(true).asString(), "true");
    EXPECT_EQ(Value(false).asString(), "false");
    EXPECT_EQ(Value().asString(), "");
    EXPECT_EQ(Value(ValueVector{Value(1)}).asString(), "");
}

TEST(ValueTest, AsBoolFollowsTheOriginalEngine) {
    EXPECT_FALSE(Value("0").asBool());
    EXPECT_FALSE(Value("false").asBool());
    EXPECT_TRUE(Value("no").asBool());
    EXPECT_TRUE(Value("").asBool());
    EXPECT_TRUE(Value(2).asBool());
    EXPECT_FALSE(Value(0.0).asBool());
    EXPECT_FALSE(Value().asBool());
    EXPECT_EQ(Value(true).asInt(), 1);
    EXPECT_DOUBLE_EQ(Value(true).asDouble(), 1.0);
}

TEST(ValueTest, CollectionsOfOtherKindsReadAsEmpty) {
    const Value number(3);
    EXPECT_TRUE(number.asValueMap().empty());
    EXPECT_TRUE(number.asValueVector().empty());
    EXPECT_EQ(Value().getType(), Value::Type::NONE);

    Value becomesMap(3);
    becomesMap.asValueMap()["k"] = Value("v");
    EXPECT_EQ(becomesMap.getType(), Value::Type::MAP);
    EXPECT_EQ(becomesMap.asValueMap().at("k").asString(), "v");
}

TEST(ValueTest, MissingKeysAndIndexesReadAsNullWithoutInserting) {
    const ValueMap map{{"title", Value("a")}};
    const Value& missing = engine::valueForKey(map, "identifer");
    EXPECT_TRUE(missing.isNull());
    EXPECT_EQ(missing.asInt(), 0);
    EXPECT_EQ(missing.asString(), "");
    EXPECT_EQ(map.size(), 1u);
    EXPECT_EQ(engine::valueForKey(map, "title").asString(), "a");

    const ValueVector vector{Value(1)};
    EXPECT_EQ(engine::valueAt(vector, 0).asInt(), 1);
    EXPECT_TRUE(engine::valueAt(vector, 5).isNull());
}

TEST(ValueTest, CopiesAreDeepAndMovesEmptyTheSource) {
    Value original(ValueMap{{"list", Value(ValueVector{Value(1), Value("two")})}});
    Value copy = original;
    copy.asValueMap()["list"].asValueVector().push_back(Value(3));
    EXPECT_EQ(original.asValueMap().at("list").asValueVector().size(), 2u);
    EXPECT_EQ(copy.asValueMap().at("list").asValueVector().size(), 3u);

    Value moved = std::move(copy);
    EXPECT_EQ(moved.asValueMap().at("list").asValueVector().size(), 3u);
    EXPECT_TRUE(copy.isNull()); // NOLINT(bugprone-use-after-move): a moved-from value is null

    // Assigning a value its own element must not read freed memory.
    Value nested(ValueVector{Value(ValueVector{Value("inner")})});
    nested = nested.asValueVector()[0];
    ASSERT_EQ(nested.getType(), Value::Type::VECTOR);
    EXPECT_EQ(nested.asValueVector()[0].asString(), "inner");

    Value holder(ValueVector{Value("x")});
    holder = std::move(holder.asValueVector()[0]);
    EXPECT_EQ(holder.asString(), "x");
}

TEST(ValueTest, EqualityComparesNumbersByValueAndCollectionsDeeply) {
    EXPECT_EQ(Value(1), Value(1.0));
    EXPECT_EQ(Value(5u), Value(5LL));
    EXPECT_NE(Value(1), Value(1.5));
    EXPECT_NE(Value("1"), Value(1));
    EXPECT_NE(Value(true), Value(1));
    EXPECT_EQ(Value(), Value());
    EXPECT_EQ(Value(ValueMap{{"a", Value(ValueVector{Value(1)})}}),
              Value(ValueMap{{"a", Value(ValueVector{Value(1.0)})}}));
    EXPECT_NE(Value(ValueMap{{"a", Value(1)}}), Value(ValueMap{{"b", Value(1)}}));
}
