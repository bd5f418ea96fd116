// Single-figure motion timing: conversions, carries, corner limits, figure length, the
// rotary cut's reversal turn, pen-2 speed and failures of the link.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "MotionTestSupport.h"
#include "controller/LinkRig.h"
#include "cutting/MotionTiming.h"

namespace wirvela {
namespace {

using test::FigureBuilder;
using test::Pt;
using test::Records;

// ---- conversions ---------------------------------------------------------------------

TEST(MotionConversions, StepScaleFeedPeriodAndStepPeriod) {
    EXPECT_DOUBLE_EQ(StepScale(100, 0.025, 0.0125), 2.0);
    EXPECT_DOUBLE_EQ(StepScale(50, 0.025, 0.0125), 1.0);
    EXPECT_DOUBLE_EQ(StepScale(100, 0.025, 0), 0.025);  // 0 mm per step: 1 step per mm
    EXPECT_DOUBLE_EQ(FeedPeriod(1.0, 50), 120.0);
    EXPECT_DOUBLE_EQ(FeedPeriod(0.01, 0.5), FeedPeriod(0.01, 1));  // speeds below 1 count as 1
    EXPECT_DOUBLE_EQ(StepPeriod(2, 3, 4), 2.5);                    // 2 × 5 / 4
    EXPECT_DOUBLE_EQ(StepPeriod(2, -4, 3.9), 2 * std::hypot(4, 3.9) / 4);
    EXPECT_DOUBLE_EQ(StepPeriod(2, 0.6, -0.9), 1.0);  // nothing to step
}

// ---- fixture -------------------------------------------------------------------------

class MotionSingleFigure : public ::testing::Test {
protected:
    MotionTiming Timing(double limitCos = 0) {
        settings.limitCos = limitCos;
        return MotionTiming(drawing, settings, MotionOutput{});
    }
    int Simulate(double limitCos = 0, double rotRatio = 0, CutParameters p = {}, bool secondPass = false) {
        return Timing(limitCos).StreamFigure(2.0, p, rotRatio, true, limitCos, secondPass);
    }

    TDrawing drawing;
    MotionSettings settings;
};

// ---- carries -------------------------------------------------------------------------

struct CarryCase {
    const char* name;
    double dx, dy;  // drawing units of each of the 12 lines
};

class Carry : public MotionSingleFigure, public ::testing::WithParamInterface<CarryCase> {};

// Every line is a quarter of a step; the carry makes the moves add up to the rounded
// total and never lets a move jump by more than the fractions it owes.
TEST_P(Carry, FractionsOfShortLinesAddUpToTheRoundedTotal) {
    const CarryCase& c = GetParam();
    settings.stepScale = 0.25;
    FigureBuilder fig(drawing, TDrawing::kFigure1);
    std::vector<std::pair<int, double>> run;
    int previous = fig.Vertex({0, 0});
    for (int i = 1; i <= 12; ++i) {
        const int next = fig.Vertex({c.dx * i, c.dy * i});
        run.emplace_back(fig.Line(previous, next), 1.0);
        previous = next;
    }
    fig.Bare(run);

    ASSERT_EQ(Simulate(), 16);
    const auto records = Records(drawing, 1);
    ASSERT_EQ(records.size(), 12u);  // short moves are still moves: nothing is skipped
    double sx = 0, sy = 0;
    for (const auto& r : records) {
        EXPECT_LE(std::fabs(r.dx), 1.0);
        EXPECT_LE(std::fabs(r.dy), 1.0);
        sx += r.dx;
        sy += r.dy;
    }
    EXPECT_EQ(sx, std::trunc(12 * 0.25 * c.dx));
    EXPECT_EQ(sy, std::trunc(12 * 0.25 * c.dy));
}

INSTANTIATE_TEST_SUITE_P(Directions, Carry,
                         ::testing::Values(CarryCase{"right", 1, 0}, CarryCase{"left", -1, 0},
                                           CarryCase{"diagonalDown", 1, -1}, CarryCase{"shallow", 1.5, 0.5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StepCarryTest, KeepsTheFractionItOwes) {
    StepCarry carry;
    const auto a = carry.Take(0.75, -0.75);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    const auto b = carry.Take(0.75, -0.75);
    EXPECT_EQ(b.x, 1);
    EXPECT_EQ(b.y, -1);
    EXPECT_DOUBLE_EQ(carry.CarryX(), 0.5);
    EXPECT_DOUBLE_EQ(carry.CarryY(), -0.5);
}

// ---- corners -------------------------------------------------------------------------

struct CornerCase {
    const char* name;
    double katGr;
    double turnDegrees;  // direction change of the second move: 0 straight on, 180 back
    bool corner;
};

class CornerLimit : public MotionSingleFigure, public ::testing::WithParamInterface<CornerCase> {};

TEST_P(CornerLimit, DecidesTheDelayFlag) {
    const CornerCase& c = GetParam();
    FigureBuilder fig(drawing, TDrawing::kFigure1);
    const int a = fig.Vertex({0, 0});
    const int b = fig.Vertex({1000, 0});
    const double t = c.turnDegrees * M_PI / 180;
    const int d = fig.Vertex({1000 + 1000 * std::cos(t), 1000 * std::sin(t)});
    fig.Bare({{fig.Line(a, b), 1.0}, {fig.Line(b, d), 1.0}});

    ASSERT_EQ(Simulate(LimitCos(c.katGr)), 16);
    const auto records = Records(drawing, 1);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].corner, 0);  // the first entry is never a corner
    EXPECT_EQ(records[1].corner, c.corner ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CornerLimit,
    ::testing::Values(CornerCase{"k90RightAngle", 90, 90, true}, CornerCase{"k90Straight", 90, 0, false},
                      CornerCase{"k90Gentle", 90, 60, false}, CornerCase{"k90Sharp", 90, 120, true},
                      CornerCase{"k180Straight", 180, 0, true}, CornerCase{"k180Slight", 180, 1, true},
                      CornerCase{"k0Reversal", 0, 180, true}, CornerCase{"k0AlmostBack", 0, 178, true},
                      CornerCase{"k0ThreeDegreesOff", 0, 177, false}, CornerCase{"k0RightAngle", 0, 90, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CornerCosTest, InsideAngleCosine) {
    EXPECT_DOUBLE_EQ(CornerCos(1, 0, 1, 0), -1);   // straight on
    EXPECT_DOUBLE_EQ(CornerCos(-1, 0, 1, 0), 1);   // full reversal
    EXPECT_NEAR(CornerCos(0, 1, 1, 0), 0, 1e-15);  // right angle
    EXPECT_TRUE(IsCorner(0, LimitCos(90)));
    EXPECT_FALSE(IsCorner(-1, LimitCos(90)));
}

// ---- figure length -------------------------------------------------------------------

TEST_F(MotionSingleFigure, FigureLengthLeavesOutEntryAndExitButCountsTheLastCorner) {
    FigureBuilder fig(drawing, TDrawing::kFigure1);
    // Entered from below at (0, 0); the exit runs back down, straight on from D→A.
    fig.Closed({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {0, -50});
    FigureLengthResult r = Timing(LimitCos(90)).FigureLength(1);
    EXPECT_DOUBLE_EQ(r.length, 400);
    EXPECT_DOUBLE_EQ(r.firstLength, 50);
    EXPECT_EQ(r.corners, 4);
    EXPECT_EQ(drawing.Figure(), 1);

    // Entered from the left: A→B goes straight on, and the exit, at a right angle to
    // D→A, is the fourth corner.
    TDrawing other;
    FigureBuilder fig2(other, TDrawing::kFigure1);
    fig2.Closed({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {-30, 0});
    r = MotionTiming(other, settings, {}).FigureLength(1);
    EXPECT_EQ(r.corners, 4);
    EXPECT_DOUBLE_EQ(r.firstLength, 30);
}

// ---- rotary cut ----------------------------------------------------------------------

class MotionRotaryCut : public MotionSingleFigure {
protected:
    void SetUp() override {
        settings.rotaryCut = true;
        FigureBuilder fig(drawing, TDrawing::kFigure1);
        // Out along two lines and back: the move C→B is the first exact reversal.
        fig.OutAndBack({{0, 0}, {100, 0}, {100, 50}}, {-20, 0});
        parameters.aStep = 100;
    }
    CutParameters parameters;
};

TEST_F(MotionRotaryCut, TableTurnsOnceAtTheFirstReversalAndLaterMovesTurnTheOtherWay) {
    ASSERT_EQ(Simulate(LimitCos(90), 0.5, parameters), 16);
    const auto records = Records(drawing, 1);
    // entry, A→B, B→C, C→B, B→A, exit
    ASSERT_EQ(records.size(), 6u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(records[static_cast<std::size_t>(i)].rotRatio, 0.5) << i;
    for (int i = 3; i < 6; ++i) EXPECT_EQ(records[static_cast<std::size_t>(i)].rotRatio, -0.5) << i;
}

TEST_F(MotionRotaryCut, WithoutTheOptionOrTurnNothingFlips) {
    parameters.aStep = 0;
    ASSERT_EQ(Simulate(LimitCos(90), 0.5, parameters), 16);
    for (const auto& r : Records(drawing, 1)) EXPECT_EQ(r.rotRatio, 0.5);
}

TEST_F(MotionRotaryCut, SecondPassEndsAtTheReversal) {
    ASSERT_EQ(Simulate(LimitCos(90), 0.5, parameters, true), 16);
    EXPECT_EQ(Records(drawing, 1).size(), 3u);  // entry, A→B, B→C
}

TEST_F(MotionRotaryCut, ControllerGetsTheTurnAsAnXStepForwardAndBack) {
    test::LinkRig rig;
    ComClass& link = rig.Open();
    settings.mmPerStep = 0.01;
    parameters.aStep = static_cast<std::int32_t>(0x80000000u | 100u);  // 100 steps the other way
    parameters.steps = 3;                                              // four faces
    MotionTiming timing(drawing, settings, MotionOutput{&link});
    rig.TakeFrames();
    ASSERT_EQ(timing.StreamFigure(1.2, parameters, 0, false, LimitCos(90), true), 16);

    std::vector<Frame> frames = rig.TakeFrames();
    // Setup again with the repetitions halved: (3 − 1) / 2 = 1.
    auto steps = std::find_if(frames.begin(), frames.end(), [](const Frame& f) { return f[0] == cmd::C_SETSTEPS; });
    ASSERT_NE(steps, frames.end());
    EXPECT_EQ((*steps)[1], 1);
    std::vector<test::ProgramMove> moves;
    for (const Frame& f : frames)
        if (f[0] >= 'a' && f[0] <= 'd') moves.push_back(test::DecodeMove(f, link.Clock()));
    // Second pass: turn first (X +1 and −1 with the table turning −50 and −50), then the
    // walk up to the reversal.
    ASSERT_EQ(moves.size(), 5u);
    EXPECT_EQ(moves[0].dx, 1);
    EXPECT_EQ(moves[0].rotary, -50);
    EXPECT_EQ(moves[1].dx, -1);
    EXPECT_EQ(moves[1].rotary, -50);  // both halves turn the same way: R in all
    // T = |DefRotVelocity × R × 0.5| = 500 ms for the X step.
    EXPECT_NEAR(moves[0].periodUs, 500000, 500000 * 0.001);
    EXPECT_EQ(moves[2].dx, 20);
}

// ---- pen 2 ---------------------------------------------------------------------------

TEST_F(MotionSingleFigure, PenTwoLinesRunAtTheSecondSpeed) {
    settings.mmPerStep = 0.01;
    settings.v2 = 10;
    FigureBuilder fig(drawing, TDrawing::kFigure1);
    fig.Closed({{0, 0}, {100, 0}, {100, 100}}, {-10, 0}, {1, 2, 1});
    ASSERT_EQ(Timing().StreamFigure(1.2, {}, 0, true, 0, false), 16);
    const auto records = Records(drawing, 1);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_DOUBLE_EQ(records[1].feedPeriod, 1.2);
    EXPECT_DOUBLE_EQ(records[2].feedPeriod, FeedPeriod(0.01, 10));
    EXPECT_DOUBLE_EQ(records[3].feedPeriod, 1.2);
}

// ---- failures ------------------------------------------------------------------------

TEST_F(MotionSingleFigure, FirstFailingLineEndsTheWalk) {
    test::LinkRig rig;
    ComClass& link = rig.Open();
    int lines = 0;
    rig.recorder->SetResponder([&lines](const Frame& f) {
        if (f[0] < 'a' || f[0] > 'd') return RecordingFtdi::kDefault;
        return ++lines == 3 ? 131 : RecordingFtdi::kDefault;
    });
    FigureBuilder fig(drawing, TDrawing::kFigure1);
    fig.Closed({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {-10, 0});
    MotionTiming timing(drawing, settings, MotionOutput{&link});
    EXPECT_EQ(timing.StreamFigure(1.2, {}, 0, false, 0, false), 131);
    EXPECT_EQ(lines, 3);
}

TEST_F(MotionSingleFigure, WithoutALinkNothingIsSentAndTheLinkErrorReturned) {
    FigureBuilder fig(drawing, TDrawing::kFigure1);
    fig.Closed({{0, 0}, {100, 0}, {100, 100}}, {-10, 0});
    EXPECT_EQ(Timing().StreamFigure(1.2, {}, 0, false, 0, false), 289);
    EXPECT_EQ(Timing().StreamTwoFigures(1.2, 0, false), 289);
}

TEST_F(MotionSingleFigure, WithoutACutPathTheSimulationIsEmpty) {
    EXPECT_EQ(Simulate(), 16);
    ASSERT_NE(drawing.Set(1).simLines, nullptr);
    EXPECT_EQ(drawing.Set(1).simLines->Count(), 0);
    EXPECT_EQ(drawing.Set(2).simLines, nullptr);
}

}  // namespace
}  // namespace wirvela
