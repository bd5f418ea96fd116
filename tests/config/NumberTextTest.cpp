#include "config/NumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace wirvela {
namespace {

struct DecimalCase {
    const char* text;
    double value;
};

class DecimalPrefixTest : public testing::TestWithParam<DecimalCase> {};

TEST_P(DecimalPrefixTest, ReadsTheLongestNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(DecimalPrefix(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, DecimalPrefixTest,
                         testing::Values(DecimalCase{"0.025", 0.025}, DecimalCase{"  12abc", 12},
                                         DecimalCase{"", 0}, DecimalCase{"abc", 0}, DecimalCase{"-7.5e2x", -750},
                                         DecimalCase{"+.5", 0.5}, DecimalCase{"5.", 5}, DecimalCase{"1e", 1},
                                         DecimalCase{"1e+", 1}, DecimalCase{".", 0}, DecimalCase{"-", 0},
                                         DecimalCase{"0x10", 0}, DecimalCase{"inf", 0}, DecimalCase{"nan", 0},
                                         DecimalCase{"0,025", 0}, DecimalCase{"1e-400", 0}));

TEST(DecimalPrefix, CommasBecomePointsFirst) {
    EXPECT_DOUBLE_EQ(DecimalPrefixWithCommas("0,025"), 0.025);
    EXPECT_DOUBLE_EQ(DecimalPrefixWithCommas("1,5,7"), 1.5);
    EXPECT_TRUE(std::isinf(DecimalPrefix("1e999")));
}

TEST(IntegerPrefix, ReadsSignAndDigits) {
    EXPECT_EQ(IntegerPrefix("  -42x"), -42);
    EXPECT_EQ(IntegerPrefix("+7"), 7);
    EXPECT_EQ(IntegerPrefix("3.9"), 3);
    EXPECT_EQ(IntegerPrefix("x1"), 0);
    EXPECT_EQ(IntegerPrefix("99999999999999999999999"), LONG_MAX);
    EXPECT_EQ(IntegerPrefix("-99999999999999999999999"), LONG_MIN);
}

TEST(NumberToText, ReadsBackToTheSameValue) {
    for (double v : {0.025, 100.0, -1.0 / 3.0, 1e300, 5e-324, 16711680.0, -0.0}) {
        EXPECT_EQ(DecimalPrefix(NumberToText(v)), v) << NumberToText(v);
    }
    EXPECT_EQ(NumberToText(100), "100");
    EXPECT_EQ(NumberToText(0.025), "0.025");
}

TEST(TruncatedInt, TruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(TruncatedInt(2.9), 2);
    EXPECT_EQ(TruncatedInt(-2.9), -2);
    EXPECT_EQ(TruncatedInt(1e10), INT_MAX);
    EXPECT_EQ(TruncatedInt(-1e10), INT_MIN);
    EXPECT_EQ(TruncatedInt(std::nan("")), 0);
}

}  // namespace
}  // namespace wirvela
