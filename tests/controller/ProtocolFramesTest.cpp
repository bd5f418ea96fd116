// The exact bytes the command layer sends: line splitting and encodings, turns, setup,
// the block layer and its transfer.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "LinkRig.h"
#include "controller/ControllerCodes.h"

namespace wirvela {
namespace {

using test::LinkRig;

std::vector<std::string> Hex(const std::vector<Frame>& frames) {
    std::vector<std::string> out;
    for (const Frame& f : frames) out.push_back(FrameHex(f));
    return out;
}

// ---- lines ---------------------------------------------------------------------------

TEST(LineFrames, LongLineIsSplitAt32760StepsWithTheDelayOnlyOnTheFirstSegment) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Line(70000, 35000, true, 1000, 0), STAT_OK);
    // (32760, 16380) twice, then (4480, 2240); slope 0.5 = 0x8000, 1000 µs at 7372800 Hz
    // = 921.6 ticks -> -921 = 0xFC67.
    EXPECT_EQ(Hex(rig.TakeFrames()), (std::vector<std::string>{"63F87F00800067FC01000000", "61F87F00800067FC01000000",
                                                               "61801100800067FC01000000"}));
}

TEST(LineFrames, ZeroMoveSendsNothing) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Line(0, 0, true, 1000, 0), STAT_OK);
    EXPECT_TRUE(rig.TakeFrames().empty());
}

struct SegmentCase {
    const char* name;
    std::int32_t dx, dy;
    bool delay;
    double rotRatio;
    const char* frame;
};

class SegmentBytes : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentBytes, Encodes) {
    const SegmentCase& c = GetParam();
    LinkRig rig;
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Line(c.dx, c.dy, c.delay, 1000, c.rotRatio), STAT_OK);
    EXPECT_EQ(Hex(rig.TakeFrames()), std::vector<std::string>{c.frame});
}

INSTANTIATE_TEST_SUITE_P(Lines, SegmentBytes,
                         ::testing::Values(
                             // rotRatio 2.5: InterNum 3, Kfd 27306 = 0x6AAA; t = 921.6 / 3 -> -307 = 0xFECD.
                             SegmentCase{"RotRatio2_5", 1000, 0, false, 2.5, "61E803000000CDFE0300AA6A"},
                             // rotRatio -0.5: InterNum 1 with bit 15 (0x8001), Kfd 16384.
                             SegmentCase{"RotRatioMinus0_5", 1000, 0, false, -0.5, "61E80300000067FC01800040"},
                             // Y major, negative: major -2000 = 0x87D0, slope 1000/-2000 -> 0x8000 with bit 23.
                             SegmentCase{"YMajorNegative", 1000, -2000, true, 0, "64D08700808067FC01000000"},
                             // X major, slope -1/3: 21845 = 0x5555 with the sign bit.
                             SegmentCase{"NegativeSlope", -300, 100, false, 0, "612C8155558067FC01000000"},
                             // Y major: m = |x/y| x rotRatio = 0.25 x 2 = 0.5 -> Kfd 16384.
                             SegmentCase{"YMajorRotary", 100, 400, false, 2, "62900100400067FC01000040"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineFrames, AxisFactorsReverseTheSteps) {
    LinkRig rig(std::string(test::kQuickLink) + "[Ploter]\nXaxisDir=-1\nYaxisDir=1\n");
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Line(1000, 0, false, 1000, 0), STAT_OK);
    EXPECT_EQ(FrameHex(rig.TakeFrames().at(0)), "61E88300000067FC01000000");
}

// Every split line arrives whole: the segments add up to the move and none exceeds 32760
// steps, also where truncated minor chunks pile up on long, nearly diagonal lines.
class SplitSums : public ::testing::TestWithParam<std::pair<std::int32_t, std::int32_t>> {};

TEST_P(SplitSums, SegmentsAddUpToTheMove) {
    const auto [dx, dy] = GetParam();
    LinkRig rig;
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Line(dx, dy, false, 100, 0), STAT_OK);
    std::int64_t sx = 0;
    std::int64_t sy = 0;
    for (const Frame& f : rig.TakeFrames()) {
        ASSERT_TRUE(f[0] == 'a' || f[0] == 'b') << FrameHex(f);
        const int magnitude = (f[1] | (f[2] << 8)) & 0x7FFF;
        ASSERT_LE(magnitude, ComClass::kMaxSegmentSteps);
        const int major = (f[2] & 0x80) ? -magnitude : magnitude;
        const std::uint32_t slope = f[3] | (f[4] << 8) | ((f[5] & 0x7F) << 16);
        const bool negative = (f[5] & 0x80) != 0;
        // Recover the minor count from the slope the way the controller does: the host
        // truncated |minor/major| x 65536, so minor is the largest count with that slope.
        int minor = 0;
        for (int m = magnitude; m >= 0; --m) {
            if (static_cast<std::uint32_t>(static_cast<double>(m) / magnitude * 65536.0) == slope) {
                minor = m;
                break;
            }
        }
        const int minorSigned = negative ? -minor * (major < 0 ? -1 : 1) : minor * (major < 0 ? -1 : 1);
        if (f[0] == 'a') {
            sx += major;
            sy += minorSigned;
        } else {
            sy += major;
            sx += minorSigned;
        }
    }
    EXPECT_EQ(sx, dx);
    EXPECT_EQ(sy, dy);
}

INSTANTIATE_TEST_SUITE_P(Moves, SplitSums,
                         ::testing::Values(std::pair{70000, 35000}, std::pair{-70000, 35000}, std::pair{35000, -70000},
                                           std::pair{32760, 0}, std::pair{0, -32760}, std::pair{100000, 100000},
                                           std::pair{1015560, 1015559}, std::pair{-2000000, 1999999},
                                           std::pair{98281, 1}));

TEST(LineFrames, SegmentLongerThan32760StepsIsRefused) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Segment(32761, 0, false, 1000, 0), ERR_SEGMENT_LONG);
    EXPECT_EQ(link.Segment(0, -32761, false, 1000, 0), ERR_SEGMENT_LONG);
    EXPECT_TRUE(rig.TakeFrames().empty());
}

struct SlowCase {
    bool twoFigures;
    int expected;
};

class TooSlow : public ::testing::TestWithParam<SlowCase> {};

TEST_P(TooSlow, LongPeriodIsRefusedWithoutSending) {
    LinkRig rig;
    rig.twoFigures = GetParam().twoFigures;
    ComClass& link = rig.Open();
    // 65535 ticks at 7372800 Hz are 71110.8 µs.
    EXPECT_EQ(link.Line(100, 50, false, 71112, 0), GetParam().expected);
    EXPECT_EQ(link.Line(100, 50, false, -1, 0), GetParam().expected);
    EXPECT_TRUE(rig.TakeFrames().empty());
    EXPECT_EQ(link.Line(100, 50, false, 71110, 0), STAT_OK);
}

INSTANTIATE_TEST_SUITE_P(Figures, TooSlow,
                         ::testing::Values(SlowCase{false, ERR_COUNTER_OVERFLOW},
                                           SlowCase{true, ERR_COUNTER_OVERFLOW_EXT}));

TEST(LineFrames, SubStepsBeyond32767AreRefused) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Line(10, 0, false, 1000, 40000), ERR_INTER_OVERFLOW);
    EXPECT_EQ(link.Line(10, 0, false, 1000, std::numeric_limits<double>::infinity()), ERR_INTER_OVERFLOW);
    EXPECT_TRUE(rig.TakeFrames().empty());
}

TEST(LineFrames, ClockFromTheQueryChangesTheTimerField) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame& f) { return f[0] == 'L' ? 3 : RecordingFtdi::kDefault; });
    EXPECT_EQ(link.QueryClock(), 3);
    EXPECT_EQ(link.Clock(), 16000000);
    rig.TakeFrames();
    // 1000 µs at 16 MHz: 2000 ticks -> 0xF830.
    ASSERT_EQ(link.Line(10, 0, false, 1000, 0), STAT_OK);
    EXPECT_EQ(FrameHex(rig.TakeFrames().at(0)), "610A0000000030F801000000");
}

TEST(ClockReply, SelectsTheControllerClock) {
    EXPECT_EQ(ComClass::ClockOfReply(2), 14745600);
    EXPECT_EQ(ComClass::ClockOfReply(3), 16000000);
    EXPECT_EQ(ComClass::ClockOfReply(1), 7372800);
    EXPECT_EQ(ComClass::ClockOfReply(STAT_UNK), 7372800);
    EXPECT_EQ(ComClass::ClockOfReply(RS_EMPTY_RESP), 7372800);
}

// ---- turn and setup ---------------------------------------------------------------------

TEST(TurnFrames, EncodesStepsAndPeriod) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Turn(-400, 1000), STAT_OK);
    EXPECT_EQ(link.Turn(0, 1000), STAT_OK);
    EXPECT_EQ(link.Turn(400, 80000), ERR_COUNTER_OVERFLOW);
    EXPECT_EQ(Hex(rig.TakeFrames()), std::vector<std::string>{"6770FEFFFF67FC0000000000"});
}

TEST(SetupFrames, SendsTheRecordInOrder) {
    LinkRig rig;
    ComClass& link = rig.Open();
    CutParameters p;
    p.cornerDelay = 300;
    p.heating = 40;
    p.heatingTime = 1500;
    p.aStep = -5;
    p.steps = 2;
    p.rotVelocity = 7;
    EXPECT_EQ(link.Setup(p), STAT_OK);
    EXPECT_EQ(Hex(rig.TakeFrames()), (std::vector<std::string>{
                                         "522C01000000FFFF01000000",  // C_SETDELAY 300
                                         "532800000000000000000000",  // C_SETCURRENT 40
                                         "57DC05000000FFFF01000000",  // C_SETHEATING 1500
                                         "54FBFFFFFF00000000000000",  // C_SETASTEP -5
                                         "580700000000FFFF01000000",  // C_SETRV 7
                                         "550200000000FFFF01000000",  // C_SETSTEPS 2
                                     }));
    EXPECT_EQ(link.StoredParameters().heatingTime, 1500);
}

TEST(SetupFrames, StopsAtTheFirstRefusal) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame& f) { return f[0] == 'W' ? STAT_UNK : RecordingFtdi::kDefault; });
    EXPECT_EQ(link.Setup(CutParameters{}), STAT_UNK);
    EXPECT_EQ(rig.TakeFrames().size(), 3u);
}

TEST(ModeFrames, SetModeAndSetAddress) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.SetMode(1, 2), STAT_OK);
    EXPECT_EQ(link.SetAddress(1), STAT_OK);
    EXPECT_EQ(Hex(rig.TakeFrames()),
              (std::vector<std::string>{"510102000000FFFF01000000", "5B0100000000000000000000"}));
}

// ---- block layer ------------------------------------------------------------------------

const char* kBuffered = "[RSparam]\nTimeoutRX=5\nTimeoutTX=5\nInterCharDelay=0\nBuffered=1\nWRpacketSize=100\n";

TEST(BlockLayer, FramesOfABlockStayOnTheHostUntilTheStart) {
    LinkRig rig(kBuffered);
    ComClass& link = rig.Open();
    EXPECT_EQ(link.BeginBlock(), STAT_OK);
    EXPECT_TRUE(link.BlockMode());
    EXPECT_EQ(link.Line(70000, 35000, true, 1000, 0), STAT_OK);
    EXPECT_EQ(link.Turn(50, 1000), STAT_OK);
    EXPECT_TRUE(rig.TakeFrames().empty());
    EXPECT_EQ(link.BlockLength(), 4 * kFrameSize);
    EXPECT_EQ(link.Block()[0], 'c');
    EXPECT_EQ(link.Block()[36], 'g');
}

TEST(BlockLayer, The87297thFrameIsRefusedAndTheOthersStay) {
    LinkRig rig(kBuffered);
    ComClass& link = rig.Open();
    ASSERT_EQ(link.BeginBlock(), STAT_OK);
    for (std::uint32_t i = 0; i < ComClass::kBlockFrames; ++i) {
        ASSERT_EQ(link.Segment(1 + static_cast<std::int32_t>(i % 1000), 0, false, 1000, 0), STAT_OK) << i;
    }
    EXPECT_EQ(link.Segment(5, 0, false, 1000, 0), STAT_ERR_OVERFM);
    EXPECT_EQ(link.BlockLength(), RSport::kBlockBufferBytes);
    EXPECT_EQ(link.Block()[1], 1);  // the first frame is untouched
    EXPECT_TRUE(rig.TakeFrames().empty());
}

TEST(BlockLayer, SetAddressCarriesTheBlockOffset) {
    LinkRig rig(kBuffered);
    ComClass& link = rig.Open();
    ASSERT_EQ(link.BeginBlock(), STAT_OK);
    for (int i = 0; i < 24; ++i) ASSERT_EQ(link.Segment(10, 0, false, 1000, 0), STAT_OK);
    EXPECT_EQ(link.SetAddress(1), STAT_OK);
    const auto frames = rig.TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][0], '[');
    EXPECT_EQ(frames[0][1], 0x03);
    EXPECT_EQ(frames[0][2], 0x20);
    EXPECT_EQ(frames[0][3], 0x01);
}

TEST(BlockLayer, EndBlockLeavesBlockModeAndIsSent) {
    LinkRig rig(kBuffered);
    ComClass& link = rig.Open();
    ASSERT_EQ(link.BeginBlock(), STAT_OK);
    ASSERT_EQ(link.EndBlock(), STAT_OK);
    EXPECT_FALSE(link.BlockMode());
    ASSERT_EQ(link.Segment(10, 0, false, 1000, 0), STAT_OK);
    EXPECT_EQ(Hex(rig.TakeFrames()),
              (std::vector<std::string>{"5A0000000000000000000000", "610A0000000067FC01000000"}));
}

TEST(BlockLayer, StartTransfersTheBlockAndChecksIt) {
    LinkRig rig(kBuffered);
    ComClass& link = rig.Open();
    ASSERT_EQ(link.BeginBlock(), STAT_OK);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(link.Line(100 + i, 37, i == 0, 1000, 0), STAT_OK);
    EXPECT_EQ(link.Start(), STAT_OK);
    EXPECT_TRUE(link.Running());

    const auto frames = rig.TakeFrames();
    // Setup (6 frames, sent at once), then 'Y', C_WRDMA, two checksum reads and 'r'.
    ASSERT_EQ(frames.size(), 11u);
    EXPECT_EQ(frames[6][0], 'Y');
    EXPECT_EQ(frames[7][0], 'J');
    const std::uint32_t length = 21 * kFrameSize;  // 20 lines and C_LINEEND
    EXPECT_EQ(frames[7][5] | (frames[7][6] << 8), static_cast<int>(length));
    EXPECT_EQ(frames[8][0], 'K');
    EXPECT_EQ(frames[8][1], 0x37);
    EXPECT_EQ(frames[9][1], 0x36);
    EXPECT_EQ(frames[10][0], 'r');
    const std::vector<std::uint8_t> block = rig.recorder->LastBlock();
    ASSERT_EQ(block.size(), length);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), link.Block().begin()));
    EXPECT_EQ(block[length - kFrameSize], 'e');
    // Packets of 100 bytes, progress after each.
    EXPECT_EQ(rig.status.size(), 3u);
    EXPECT_EQ(rig.status.front(), "Sending the program to the cutter: 0%");
}

TEST(BlockLayer, ChecksumMismatchGives302) {
    LinkRig rig(kBuffered);
    ComClass& link = rig.Open();
    rig.recorder->SetResponder(
        [](const Frame& f) { return f[0] == 'K' && f[1] == 0x36 ? 0x5A : RecordingFtdi::kDefault; });
    ASSERT_EQ(link.BeginBlock(), STAT_OK);
    ASSERT_EQ(link.Line(100, 37, false, 1000, 0), STAT_OK);
    EXPECT_EQ(link.Start(), RS_DMA_CRC_ERROR);
    EXPECT_FALSE(link.Running());
}

TEST(BlockLayer, RefusedBlockWriteIsReturned) {
    LinkRig rig(kBuffered);
    ComClass& link = rig.Open();
    rig.recorder->SetResponder(
        [](const Frame& f) { return f[0] == 'J' ? STAT_ERR_OVERSIZE : RecordingFtdi::kDefault; });
    ASSERT_EQ(link.BeginBlock(), STAT_OK);
    ASSERT_EQ(link.Line(100, 37, false, 1000, 0), STAT_OK);
    EXPECT_EQ(link.Start(), STAT_ERR_OVERSIZE);
    EXPECT_FALSE(link.Running());
}

TEST(BlockLayer, StartWithoutBlockSendsLineEndAndStart) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Start(), STAT_OK);
    const auto frames = rig.TakeFrames();
    ASSERT_EQ(frames.size(), 8u);
    EXPECT_EQ(frames[6][0], 'e');
    EXPECT_EQ(frames[7][0], 'r');
}

// ---- running -------------------------------------------------------------------------

TEST(Running, MotionCommandsAreRefused) {
    LinkRig rig;
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Start(), STAT_OK);
    rig.TakeFrames();
    EXPECT_EQ(link.Line(10, 10, false, 1000, 0), COM_CUT_PROCESSING);
    EXPECT_EQ(link.Turn(10, 1000), COM_CUT_PROCESSING);
    EXPECT_EQ(link.Setup(CutParameters{}), COM_CUT_PROCESSING);
    EXPECT_EQ(link.BeginBlock(), COM_CUT_PROCESSING);
    EXPECT_EQ(link.EndBlock(), COM_CUT_PROCESSING);
    EXPECT_EQ(link.Start(), COM_CUT_PROCESSING);
    EXPECT_TRUE(rig.TakeFrames().empty());
}

TEST(Running, HeatingChangeIsLimitedAndOnlySentWhileRunning) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.SetHeatingLive(50), STAT_OK);
    EXPECT_TRUE(rig.TakeFrames().empty());
    ASSERT_EQ(link.Start(), STAT_OK);
    rig.TakeFrames();
    EXPECT_EQ(link.SetHeatingLive(0), STAT_OK);
    EXPECT_EQ(link.SetHeatingLive(200), STAT_OK);
    EXPECT_EQ(link.SetHeatingLive(50), STAT_OK);
    EXPECT_EQ(Hex(rig.TakeFrames()), (std::vector<std::string>{"530100000000000000000000", "536000000000000000000000",
                                                               "533200000000000000000000"}));
    EXPECT_TRUE(link.Running());
}

TEST(Running, HoldKeepsThePortAndResumeGivesItBack) {
    LinkRig rig;
    ComClass& link = rig.Open();
    EXPECT_EQ(link.Hold(), STAT_OK);  // nothing runs: nothing sent
    EXPECT_TRUE(rig.TakeFrames().empty());
    ASSERT_EQ(link.Start(), STAT_OK);
    EXPECT_FALSE(link.HoldsPort());
    EXPECT_EQ(link.Hold(), STAT_OK);
    EXPECT_FALSE(link.Running());
    EXPECT_TRUE(link.HoldsPort());
    EXPECT_EQ(link.Resume(false), STAT_OK);
    EXPECT_TRUE(link.Running());
    EXPECT_FALSE(link.HoldsPort());
    EXPECT_EQ(link.QueryState(), STATE_NORM);
    EXPECT_TRUE(link.Running());
    EXPECT_EQ(link.Cancel(), STAT_OK);
    EXPECT_FALSE(link.Running());
    EXPECT_TRUE(link.HoldsPort());
}

TEST(Running, FailedHoldGivesThePortBack) {
    LinkRig rig;
    ComClass& link = rig.Open();
    rig.recorder->SetResponder([](const Frame& f) { return f[0] == 'y' ? STAT_NOTSUP : RecordingFtdi::kDefault; });
    ASSERT_EQ(link.Start(), STAT_OK);
    EXPECT_EQ(link.Hold(), STAT_NOTSUP);
    EXPECT_TRUE(link.Running());
    EXPECT_FALSE(link.HoldsPort());
}

TEST(Running, ResumeWithWaitTakesThePortFirst) {
    LinkRig rig;
    ComClass& link = rig.Open();
    ASSERT_EQ(link.Start(), STAT_OK);
    EXPECT_EQ(link.Resume(true), STAT_OK);
    EXPECT_TRUE(link.Running());
    EXPECT_EQ(link.TakeBackFromReader(), STAT_OK);
    EXPECT_FALSE(link.Running());
    EXPECT_TRUE(link.HoldsPort());
    // Taking back a port this thread holds succeeds at once.
    EXPECT_EQ(link.TakeBackFromReader(), STAT_OK);
    EXPECT_EQ(link.TakePort(), STAT_OK);
}

}  // namespace
}  // namespace wirvela
