// The simulation tables and the controller program describe the same moves: the same
// figure streamed with the simulate flag and into a link over the recording bridge,
// frame by frame.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "MotionTestSupport.h"
#include "controller/LinkRig.h"
#include "cutting/MotionTiming.h"

namespace wirvela {
namespace {

using test::FigureBuilder;
using test::ProgramMove;
using test::Pt;
using test::Records;

bool IsLine(const Frame& f) {
    return f[0] >= 'a' && f[0] <= 'd';
}

// Expects the program's moves to be the table's records in order: the same steps, the
// same pause, the step period of the record's feed period within the timer's
// resolution, the table steps of its rotary ratio.
void ExpectSameMoves(const std::vector<SimulationRecord>& records, const std::vector<ProgramMove>& moves) {
    // Moves of (0, 0) steps are records without a frame.
    std::vector<SimulationRecord> moving;
    for (const auto& r : records)
        if (r.dx != 0 || r.dy != 0) moving.push_back(r);
    ASSERT_EQ(moving.size(), moves.size());
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const SimulationRecord& r = moving[i];
        const ProgramMove& m = moves[i];
        SCOPED_TRACE("move " + std::to_string(i));
        EXPECT_EQ(m.dx, r.dx);
        EXPECT_EQ(m.dy, r.dy);
        EXPECT_EQ(m.delay, r.corner != 0);
        const double period = StepPeriod(r.feedPeriod, r.dx, r.dy) * 1000.0;
        EXPECT_NEAR(m.periodUs, period, period * 0.01);
        EXPECT_NEAR(static_cast<double>(m.rotary), std::fabs(r.dx) * r.rotRatio, 1.0);
    }
}

std::vector<ProgramMove> Moves(const std::vector<Frame>& frames, std::size_t from, std::size_t to, double clock) {
    std::vector<ProgramMove> out;
    for (std::size_t i = from; i < to && i < frames.size(); ++i)
        if (IsLine(frames[i])) out.push_back(test::DecodeMove(frames[i], clock));
    return out;
}

class SameMoves : public ::testing::Test {
protected:
    SameMoves() : link(rig.Open()) {
        settings.mmPerStep = 0.01;
        settings.stepScale = 0.7;  // fractional steps: the carry is exercised on both sides
        settings.limitCos = LimitCos(90);
        settings.v2 = 20;
    }

    test::LinkRig rig;
    ComClass& link;
    TDrawing drawing;
    MotionSettings settings;
};

TEST_F(SameMoves, SingleFigure) {
    // A contour with a second-speed line, sharp and gentle corners, and an out-and-back.
    FigureBuilder fig(drawing, 1);
    fig.Closed({{0, 0}, {300, 10}, {320, 200}, {150, 260}, {160, 120}, {0, 180}}, {-80, -40}, {1, 1, 2, 1, 1, 1});
    MotionTiming timing(drawing, settings, MotionOutput{&link});
    ASSERT_EQ(timing.StreamFigure(1.2, {}, 0.3, true, settings.limitCos, false), 16);
    rig.TakeFrames();
    ASSERT_EQ(timing.StreamFigure(1.2, {}, 0.3, false, settings.limitCos, false), 16);

    const std::vector<Frame> frames = rig.TakeFrames();
    ExpectSameMoves(Records(drawing, 1), Moves(frames, 0, frames.size(), link.Clock()));
    EXPECT_EQ(drawing.Set(2).simLines, nullptr);
}

TEST_F(SameMoves, TwoFiguresWithPausesOfTheOtherFigure) {
    settings.stopWhenOtherFigureStops = true;
    FigureBuilder(drawing, 1).Closed({{0, 0, 0}, {400, 0}, {400, 400, 1}, {0, 400}}, {-100, 0});
    FigureBuilder(drawing, 2).Closed({{0, 0, 0}, {200, 0, 1}, {200, 200}, {100, 260}, {0, 200}}, {-60, 0});
    test::AddSegmentLine(drawing, {0, 0}, {0, 0});
    test::AddSegmentLine(drawing, {400, 400}, {200, 0});
    MotionTiming timing(drawing, settings, MotionOutput{&link});
    ASSERT_EQ(timing.StreamTwoFigures(1.2, 50, true), 16);
    rig.TakeFrames();
    ASSERT_EQ(timing.StreamTwoFigures(1.2, 50, false), 16);
    const std::vector<Frame> frames = rig.TakeFrames();

    // SETMODE, SETADR 0, figure 1, REPEAT, the closing step, LINEEND, SETMODE, SETADR 1,
    // figure 2, REPEAT, the closing step.
    std::vector<std::size_t> address, repeat;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i][0] == cmd::C_SETADR) address.push_back(i);
        if (frames[i][0] == cmd::C_REPEAT) repeat.push_back(i);
    }
    ASSERT_EQ(address.size(), 2u);
    ASSERT_EQ(repeat.size(), 2u);
    EXPECT_EQ(frames[0][0], cmd::C_SETMODE);
    EXPECT_EQ(frames[0][1], 0);  // register 0 …
    EXPECT_EQ(frames[0][2], 2);  // … value 2
    EXPECT_EQ(frames[address[0]][1], 0);
    EXPECT_EQ(frames[address[1]][1], 1);
    EXPECT_EQ(frames[address[1] - 1][0], cmd::C_SETMODE);
    EXPECT_EQ(frames[address[1] - 2][0], cmd::C_LINEEND);
    for (std::size_t r : repeat) {
        ASSERT_LT(r + 2, frames.size());
        const ProgramMove forward = test::DecodeMove(frames[r + 1], link.Clock());
        const ProgramMove back = test::DecodeMove(frames[r + 2], link.Clock());
        EXPECT_EQ(forward.dx, 1);
        EXPECT_FALSE(forward.delay);
        EXPECT_EQ(back.dx, -1);
        EXPECT_TRUE(back.delay);
    }

    const auto r1 = Records(drawing, 1);
    const auto r2 = Records(drawing, 2);
    // 6 + 7 entries; figure 2's first move is cut at figure 1's first corner.
    EXPECT_GT(r1.size() + r2.size(), 13u);
    ExpectSameMoves(r1, Moves(frames, address[0], repeat[0], link.Clock()));
    ExpectSameMoves(r2, Moves(frames, address[1], repeat[1], link.Clock()));
}

}  // namespace
}  // namespace wirvela
