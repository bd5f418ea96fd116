#include "controller/SimFrameDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "SimFrames.h"

namespace wirvela {
namespace {

using simtest::Frame;

SimFrame AsSim(const Frame& f) {
    SimFrame s;
    std::copy(f.begin(), f.end(), s.begin());
    return s;
}

TEST(SimFrameDecoder, TheSplitOfA70000By35000LineAddsUpToTheWholeMove) {
    // Two segments of (32760, 16380), the first with the delay letter, then (4480, 2240);
    // slope 0.5 = 32768 / 65536, 1000 us per step.
    const Frame first = simtest::F('c', 32760, 32768, 0xFC67, 1, 0);
    const Frame second = simtest::F('a', 32760, 32768, 0xFC67, 1, 0);
    const Frame last = simtest::F('a', 4480, 32768, 0xFC67, 1, 0);
    std::int64_t dx = 0;
    std::int64_t dy = 0;
    for (const Frame& f : {first, second, last}) {
        const SimLine line = SimDecodeLine(AsSim(f));
        EXPECT_TRUE(line.xMajor);
        dx += line.dx;
        dy += line.dy;
    }
    EXPECT_EQ(dx, 70000);
    EXPECT_EQ(dy, 35000);
    EXPECT_TRUE(SimDecodeLine(AsSim(first)).delay);
    EXPECT_FALSE(SimDecodeLine(AsSim(second)).delay);
    EXPECT_EQ(SimDecodeLine(AsSim(first)).dy, 16380);
    EXPECT_EQ(SimDecodeLine(AsSim(last)).dy, 2240);
}

TEST(SimFrameDecoder, TimerWordFC67Is921TicksOfTheDefaultClock) {
    const SimLine line = SimDecodeLine(AsSim(simtest::F('a', 1, 0, 0xFC67, 1, 0)));
    EXPECT_EQ(line.ticksPerSubStep, 921u);
    // 921 ticks at 7,372,800 / 8 Hz: the 1000 us asked for, less the truncated 0.6 tick.
    EXPECT_NEAR(SimTicksToMs(line.ticksPerSubStep, 7372800.0), 0.99935, 1e-5);
    EXPECT_EQ(SimTimerTicks(0xFFFF), 1u);
    EXPECT_EQ(SimTimerTicks(0), 65536u) << "a counter loaded with 0 runs a full round";
}

TEST(SimFrameDecoder, RotaryRatio2Point5MakesThreeSubStepsAndKfd27306) {
    const Frame f = simtest::F('a', 1000, 0, 0xFECD, 3, 27306);
    EXPECT_EQ(simtest::Line(1000, 0, false, 1000, 2.5), f) << "the test's encoder agrees with the example";
    const SimLine line = SimDecodeLine(AsSim(f));
    EXPECT_EQ(line.subStepsPerStep, 3u);
    EXPECT_FALSE(line.rotaryNegative);
    EXPECT_EQ(line.rotarySteps, 2500);
}

TEST(SimFrameDecoder, NegativeRotaryRatioSetsBit15OfInterNum) {
    const Frame f = simtest::Line(1000, 0, false, 1000, -0.5);
    EXPECT_EQ(simtest::Get16(f, 8), 0x8001);
    EXPECT_EQ(simtest::Get16(f, 10), 16384);
    const SimLine line = SimDecodeLine(AsSim(f));
    EXPECT_EQ(line.subStepsPerStep, 1u);
    EXPECT_TRUE(line.rotaryNegative);
    EXPECT_EQ(line.rotarySteps, -500);
}

// Every direction of a move, with either axis major, decodes back to the move.
class SimLineDirections : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(SimLineDirections, DecodesToTheEncodedMove) {
    const auto [x, y] = GetParam();
    const SimLine line = SimDecodeLine(AsSim(simtest::Line(x, y, false, 500)));
    EXPECT_EQ(line.dx, x);
    EXPECT_EQ(line.dy, y);
    EXPECT_EQ(line.xMajor, std::abs(x) >= std::abs(y));
}

INSTANTIATE_TEST_SUITE_P(Quadrants, SimLineDirections,
                         ::testing::Values(std::tuple{100, 37}, std::tuple{-100, 37}, std::tuple{100, -37},
                                           std::tuple{-100, -37}, std::tuple{37, 100}, std::tuple{-37, 100},
                                           std::tuple{37, -100}, std::tuple{-37, -100}, std::tuple{-32760, 0},
                                           std::tuple{0, -32760}, std::tuple{5, 5}, std::tuple{-5, 5},
                                           std::tuple{32760, -32759}));

TEST(SimFrameDecoder, MinorStepCountIsExactForEveryMajorCount) {
    // The host truncates the slope; the controller must still make exactly the minor steps
    // of the move, or long jobs drift.
    for (std::int64_t major : {1, 2, 3, 7, 99, 1000, 4097, 12345, 32759, 32760, 32767}) {
        for (std::int64_t minor = 0; minor <= major; minor += std::max<std::int64_t>(1, major / 97)) {
            const auto slope = static_cast<std::uint32_t>(
                std::trunc(static_cast<double>(minor) / static_cast<double>(major) * 65536.0));
            ASSERT_EQ(SimMinorStepsAt(major, slope), minor) << major << " x " << minor;
        }
    }
}

TEST(SimFrameDecoder, TurnBlockAndLongLayouts) {
    const SimTurn turn = SimDecodeTurn(AsSim(simtest::T('g', -1234, 0xFC67)));
    EXPECT_EQ(turn.steps, -1234);
    EXPECT_EQ(turn.ticksPerStep, 921u);
    const SimBlock block = SimDecodeBlock(AsSim(simtest::D(0, 1047552)));
    EXPECT_EQ(block.start, 0u);
    EXPECT_EQ(block.length, 1047552u);
    EXPECT_EQ(SimDecodeLong(AsSim(simtest::L('T', -7))), -7);
}

TEST(SimFrameDecoder, ClockRepliesAndByteSum) {
    EXPECT_EQ(SimClockForReply(1), 7372800.0);
    EXPECT_EQ(SimClockForReply(2), 14745600.0);
    EXPECT_EQ(SimClockForReply(3), 16000000.0);
    EXPECT_EQ(SimClockForReply(134), 7372800.0);
    std::vector<std::uint8_t> bytes(1000, 0xFF);
    EXPECT_EQ(SimByteSum(bytes.data(), bytes.size()), (1000 * 255) % 65536);
}

}  // namespace
}  // namespace wirvela
