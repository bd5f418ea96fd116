// The imperial texts: inches written to the nearest 1/64 and read back. How the two
// fields follow each other is shown by the manual-control window's tests.
#include <gtest/gtest.h>

#include "cutting/InchText.h"

namespace wirvela {
namespace {

struct InchCase {
    double inches;
    const char* text;
};

class InchTexts : public testing::TestWithParam<InchCase> {};

TEST_P(InchTexts, WrittenAndReadBack) {
    EXPECT_EQ(InchText(GetParam().inches), GetParam().text);
    double back = -1;
    ASSERT_TRUE(ParseInches(GetParam().text, back));
    EXPECT_NEAR(back, GetParam().inches, 1.0 / 128);
}

INSTANTIATE_TEST_SUITE_P(Inches, InchTexts,
                         testing::Values(InchCase{0, "0\""}, InchCase{1, "1\""}, InchCase{1.375, "1 3/8\""},
                                         InchCase{-1.375, "-1 3/8\""}, InchCase{0.5, "1/2\""},
                                         InchCase{-0.015625, "-1/64\""}, InchCase{12.999, "13\""}));

TEST(Inches, ReaderAcceptsTheUsualFormsAndRefusesOthers) {
    const std::pair<const char*, double> good[] = {{"", 0},     {"  2 ", 2},     {"2.5\"", 2.5},      {"2,5", 2.5},
                                                   {".5", 0.5}, {"-3/4", -0.75}, {" 1 1/2 \" ", 1.5}, {"+7", 7}};
    for (const auto& [text, value] : good) {
        double v = -99;
        EXPECT_TRUE(ParseInches(text, v)) << text;
        EXPECT_DOUBLE_EQ(v, value) << text;
    }
    for (const char* text : {"abc", "1/0", "1 3", "1.5 1/2", "1//2", "\"", "-", ".", "2\" x", "1 /2"}) {
        double v = 0;
        EXPECT_FALSE(ParseInches(text, v)) << text;
    }
}

// The window refuses to move by such a distance: its inch field cannot show it.
TEST(Inches, DistancesBeyondTheFieldAreAFormatError) {
    EXPECT_EQ(InchText(2e12), "Format error");
    EXPECT_EQ(InchText(-1e12), "-1000000000000\"");
    EXPECT_EQ(InchFieldFollowing("1e20", "1\""), "Format error");
}

}  // namespace
}  // namespace wirvela
