// The progress line of wirvela-cli move and turn on a terminal.
#include "cli/MotionProgress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace wirvela {
namespace {

struct TextCase {
    const char* name;
    MotionProgress progress;
    const char* text;
};

class MotionProgressTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(MotionProgressTextTest, SaysHowFarAndHowLong) {
    EXPECT_EQ(MotionProgressText(GetParam().progress), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MotionProgressTextTest,
    testing::Values(TextCase{"Move", {false, 5.4, 1250, 4000}, "moving: 1250 of 4000 steps (31%), 00:00:05"},
                    TextCase{"Turn", {true, 3725, 3200, 3200}, "turning: 3200 of 3200 table steps (100%), 01:02:05"},
                    TextCase{"NoPosition", {false, 12.9, std::nullopt, 4000}, "moving: 00:00:12"},
                    // The controller's position may run past the aim (a limit switch, the
                    // last step rounded) or behind the start.
                    TextCase{"BeyondTheAim", {false, 2, 4100, 4000}, "moving: 4000 of 4000 steps (100%), 00:00:02"},
                    TextCase{"BehindTheStart", {true, 1, -3, 10}, "turning: 0 of 10 table steps (0%), 00:00:01"},
                    TextCase{"NothingToDo", {false, 1, 0, 0}, "moving: 0 of 0 steps, 00:00:01"}),
    [](const auto& info) { return std::string(info.param.name); });

// Quiet in the first second, then at most four times a second, in place; the last line
// is ended so that the summary starts on its own.
TEST(MotionProgressLine, DrawsInPlaceAfterTheFirstSecondAtMostFourTimesASecond) {
    std::ostringstream err;
    MotionProgressLine line(err);
    for (double seconds : {0.0, 0.5, 0.99, 1.0, 1.1, 1.24, 1.25, 3.0}) line.Update({false, seconds, std::nullopt, 0});
    line.Finish();
    EXPECT_EQ(err.str(),
              "\rmoving: 00:00:01\x1b[K"
              "\rmoving: 00:00:01\x1b[K"
              "\rmoving: 00:00:03\x1b[K\n");

    std::ostringstream quiet;
    MotionProgressLine shortMotion(quiet);
    shortMotion.Update({true, 0.9, 10, 10});
    shortMotion.Finish();
    EXPECT_EQ(quiet.str(), "");
}

}  // namespace
}  // namespace wirvela
