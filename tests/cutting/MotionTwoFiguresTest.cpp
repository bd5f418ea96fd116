// Two-figure motion timing: the whole-figure and entry balances, matched segments, the
// corner times of the other figure and AddMissingDel.
#include <gtest/gtest.h>

#include <cmath>

#include "MotionTestSupport.h"
#include "cutting/MotionTiming.h"

namespace wirvela {
namespace {

using test::AddSegmentLine;
using test::FigureBuilder;
using test::Pt;
using test::Records;

// Motion time of a record (ms): the machine steps max(|dx|, |dy|) times at the step
// period, which is the feed period along the path.
double MoveTime(const SimulationRecord& r) {
    return std::hypot(r.dx, r.dy) * r.feedPeriod;
}

class MotionTwoFigures : public ::testing::Test {
protected:
    MotionTiming Timing() { return MotionTiming(drawing, settings, MotionOutput{}); }

    TDrawing drawing;
    MotionSettings settings;
};

// ---- whole-figure balance ------------------------------------------------------------

TEST_F(MotionTwoFigures, ThousandAndFiveHundredStepsWithoutCornersRunAtTwoAndFourMs) {
    settings.limitCos = LimitCos(0);  // only reversals would count
    FigureBuilder(drawing, 1).Closed({{0, 0}, {250, 0}, {250, 250}, {0, 250}}, {-100, 0});
    FigureBuilder(drawing, 2).Closed({{0, 0}, {125, 0}, {125, 125}, {0, 125}}, {-100, 0});
    MotionTiming timing = Timing();
    EXPECT_DOUBLE_EQ(timing.FigureLength(1).length, 1000);
    EXPECT_DOUBLE_EQ(timing.FigureLength(2).length, 500);

    ASSERT_EQ(timing.StreamTwoFigures(2.0, 100, true), 16);
    const auto r1 = Records(drawing, 1);
    const auto r2 = Records(drawing, 2);
    ASSERT_EQ(r1.size(), 6u);
    ASSERT_EQ(r2.size(), 6u);
    for (std::size_t i = 1; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(r1[i].feedPeriod, 2.0) << i;
        EXPECT_DOUBLE_EQ(r2[i].feedPeriod, 4.0) << i;
    }
    // Equal entry moves: both at the base period.
    EXPECT_DOUBLE_EQ(r1[0].feedPeriod, 2.0);
    EXPECT_DOUBLE_EQ(r2[0].feedPeriod, 2.0);
    EXPECT_DOUBLE_EQ(r2[5].feedPeriod, 2.0);
    EXPECT_EQ(drawing.Figure(), 1);
}

TEST_F(MotionTwoFigures, EntryAndExitMovesTakeTheSameTime) {
    FigureBuilder(drawing, 1).Closed({{0, 0}, {100, 0}, {100, 100}}, {-30, 0});
    FigureBuilder(drawing, 2).Closed({{0, 0}, {100, 0}, {100, 100}}, {-90, 0});
    ASSERT_EQ(Timing().StreamTwoFigures(2.0, 0, true), 16);
    const auto r1 = Records(drawing, 1);
    const auto r2 = Records(drawing, 2);
    EXPECT_DOUBLE_EQ(r1.front().feedPeriod, 6.0);  // the shorter entry is slowed down
    EXPECT_DOUBLE_EQ(r2.front().feedPeriod, 2.0);
    EXPECT_DOUBLE_EQ(MoveTime(r1.front()), MoveTime(r2.front()));
    EXPECT_DOUBLE_EQ(MoveTime(r1.back()), MoveTime(r2.back()));
}

struct BalanceCase {
    const char* name;
    bool alg2;
    int baseFigure;  // the figure that runs at the base period
};

class WholeFigureBalance : public MotionTwoFigures, public ::testing::WithParamInterface<BalanceCase> {};

// Figure 1, a 20-gon, is slightly longer; figure 2, a square, has more corners and so the
// longer total time once its pauses count.
TEST_P(WholeFigureBalance, BothFiguresTakeTheSameTimeWithTheirPauses) {
    const BalanceCase& c = GetParam();
    settings.alg2 = c.alg2;
    settings.limitCos = LimitCos(90);
    const double P = 2.0;
    const int D = 100;
    FigureBuilder(drawing, 1).Closed(test::Polygon(20, 100), {100, -50});
    FigureBuilder(drawing, 2).Closed({{0, 0}, {150, 0}, {150, 150}, {0, 150}}, {-50, 0});
    MotionTiming timing = Timing();
    const FigureLengthResult f1 = timing.FigureLength(1);
    const FigureLengthResult f2 = timing.FigureLength(2);
    ASSERT_GT(f1.length, f2.length);
    ASSERT_LT(f1.length * P + f1.corners * D, f2.length * P + f2.corners * D);

    ASSERT_EQ(timing.StreamTwoFigures(P, D, true), 16);
    const double P1 = Records(drawing, 1)[1].feedPeriod;
    const double P2 = Records(drawing, 2)[1].feedPeriod;
    EXPECT_NEAR(f1.length * P1 + f1.corners * D, f2.length * P2 + f2.corners * D, 1e-9);
    EXPECT_DOUBLE_EQ(c.baseFigure == 1 ? P1 : P2, P);
}

INSTANTIATE_TEST_SUITE_P(Alg2, WholeFigureBalance,
                         ::testing::Values(BalanceCase{"longerTimeRunsAtBase", true, 2},
                                           BalanceCase{"longerPathRunsAtBase", false, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- matched segments ----------------------------------------------------------------

// Figure 1: a 200 square whose corners A (0, 0) and C (200, 200) are the nodes of segment
// lines 0 and 1; figure 2: a 100 square with the nodes at a (0, 0) and b (100, 0). The
// segments are A→B→C = 400 against a→b = 100, and C→D→A = 400 against b→c→d→a = 300.
class MotionSegments : public MotionTwoFigures {
protected:
    void SetUp() override {
        settings.limitCos = LimitCos(90);
        FigureBuilder(drawing, 1).Closed({{0, 0, 0}, {200, 0}, {200, 200, 1}, {0, 200}}, {-100, 0});
        FigureBuilder(drawing, 2).Closed({{0, 0, 0}, {100, 0, 1}, {100, 100}, {0, 100}}, {-50, 0});
        AddSegmentLine(drawing, {0, 0}, {0, 0});
        AddSegmentLine(drawing, {200, 200}, {100, 0});
    }

    // Time at which the figure starts each record (pauses included when asked).
    static std::vector<double> StartTimes(const std::vector<SimulationRecord>& records, double pause) {
        std::vector<double> t;
        double now = 0;
        for (const auto& r : records) {
            if (r.corner != 0) now += pause;
            t.push_back(now);
            now += MoveTime(r);
        }
        t.push_back(now);
        return t;
    }
};

TEST_F(MotionSegments, LengthsAndCornersLandOnTheSegmentStarts) {
    MotionTiming timing = Timing();
    for (int f : {1, 2}) {
        TLineList& path = *drawing.Set(f).cutPath;
        for (int i = 0; i < path.Length(); ++i) {
            path.Edit(i).seg = -1;
            path.Edit(i).nDel = 0;
        }
    }
    timing.CalculateSegmentsLenghts();
    const TLineList& p1 = *drawing.Set(1).cutPath;
    const TLineList& p2 = *drawing.Set(2).cutPath;
    EXPECT_DOUBLE_EQ(p1[1].seg, 400);
    EXPECT_EQ(p1[1].nDel, 1);  // the corner at B
    EXPECT_DOUBLE_EQ(p1[2].seg, -1);
    EXPECT_DOUBLE_EQ(p1[3].seg, 400);
    EXPECT_EQ(p1[3].nDel, 3);  // D, A and the exit's corner
    EXPECT_DOUBLE_EQ(p2[1].seg, 100);
    EXPECT_EQ(p2[1].nDel, 0);
    EXPECT_DOUBLE_EQ(p2[2].seg, 300);
    EXPECT_EQ(p2[2].nDel, 4);  // c, d, a and the exit's corner
}

TEST_F(MotionSegments, BothWireEndsReachEveryNodeAtTheSameMoment) {
    const int D = 100;
    ASSERT_EQ(Timing().StreamTwoFigures(2.0, D, true), 16);
    const auto t1 = StartTimes(Records(drawing, 1), D);
    const auto t2 = StartTimes(Records(drawing, 2), D);
    // Nodes: A/a at the start of entry 1 and of the exit (entry 5), C/b at entries 3 and 2.
    // The pause of a corner at a node comes after reaching it.
    const auto arrive = [](const std::vector<SimulationRecord>& r, const std::vector<double>& t, std::size_t i,
                           double pause) { return t[i] - (r[i].corner != 0 ? pause : 0); };
    const auto r1 = Records(drawing, 1);
    const auto r2 = Records(drawing, 2);
    EXPECT_NEAR(arrive(r1, t1, 1, D), arrive(r2, t2, 1, D), 1e-6);
    EXPECT_NEAR(arrive(r1, t1, 3, D), arrive(r2, t2, 2, D), 1e-6);
    EXPECT_NEAR(arrive(r1, t1, 5, D), arrive(r2, t2, 5, D), 1e-6);
    EXPECT_NEAR(t1.back(), t2.back(), 1e-6);
    // The first segment: 400 steps at 2 ms and one pause against 100 steps.
    EXPECT_DOUBLE_EQ(r2[1].feedPeriod, (400 * 2.0 + D) / 100);
}

TEST_F(MotionSegments, EntriesOutsideMatchedSegmentsRunAtTheWholeFigurePeriod) {
    // Figure 2's second node no longer matches figure 1's: only the first pair is matched.
    drawing.SelectFigure(2);
    drawing.V().Edit(1).segLink = 7;
    drawing.SelectFigure(1);
    ASSERT_EQ(Timing().StreamTwoFigures(2.0, 0, true), 16);
    const auto r1 = Records(drawing, 1);
    const auto r2 = Records(drawing, 2);
    EXPECT_DOUBLE_EQ(r2[1].feedPeriod, 8.0);  // matched: 400 × 2 / 100
    // The rest runs at the whole-figure periods: 800 steps at 2 ms against 400 at 4 ms.
    EXPECT_DOUBLE_EQ(r1[3].feedPeriod, 2.0);
    for (std::size_t i = 2; i <= 4; ++i) EXPECT_DOUBLE_EQ(r2[i].feedPeriod, 4.0) << i;
    for (const auto& r : r1) EXPECT_GT(r.feedPeriod, 0);
}

// With StopWhenOtherFigureStops each wire end pauses wherever the other pauses.
TEST_F(MotionSegments, EachFigurePausesWhereTheOtherOneDoes) {
    settings.stopWhenOtherFigureStops = true;
    const int D = 100;
    ASSERT_EQ(Timing().StreamTwoFigures(2.0, D, true), 16);
    const auto r1 = Records(drawing, 1);
    const auto r2 = Records(drawing, 2);
    EXPECT_GT(r1.size(), 6u);  // moves were cut at figure 2's corners
    const auto t1 = StartTimes(r1, 0);
    const auto t2 = StartTimes(r2, 0);
    const auto pausesAt = [](const std::vector<SimulationRecord>& r, const std::vector<double>& t) {
        std::vector<double> out;
        for (std::size_t i = 0; i < r.size(); ++i)
            if (r[i].corner != 0) out.push_back(t[i]);
        return out;
    };
    const auto p1 = pausesAt(r1, t1);
    const auto p2 = pausesAt(r2, t2);
    // Every pause of one figure has a pause of the other within a few steps' time.
    const auto covered = [](const std::vector<double>& mine, const std::vector<double>& other, double slack) {
        for (double t : mine) {
            bool found = false;
            for (double u : other) found = found || std::fabs(t - u) <= slack;
            if (!found) return false;
        }
        return true;
    };
    EXPECT_TRUE(covered(p1, p2, 3 * 8.0));
    EXPECT_TRUE(covered(p2, p1, 3 * 8.0));
    // The pieces of a cut move add up to the move.
    double sx = 0, sy = 0;
    for (const auto& r : r1) {
        sx += r.dx;
        sy += r.dy;
    }
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
}

TEST_F(MotionSegments, DelayTimesAreTheMotionTimesOfTheCorners) {
    MotionTiming timing = Timing();
    ASSERT_EQ(timing.StreamTwoFigures(2.0, 0, true), 16);  // leaves the segment periods
    EXPECT_TRUE(timing.CalculateDelTimes(1, 2.0, 0, 2.0).empty());
    // Figure 1: entry 100 × 2, A→B 200 × 2: B at 600, C at 1000, D at 1400, exit at 1800.
    EXPECT_EQ(timing.CalculateDelTimes(1, 2.0, 4, 2.0), (std::vector<double>{600, 1000, 1400, 1800}));
}

// ---- AddMissingDel -------------------------------------------------------------------

struct Piece {
    std::int32_t dx, dy;
    bool delay;
    bool operator==(const Piece&) const = default;
};

struct MissingDelCase {
    const char* name;
    std::vector<double> times;
    bool corner;
    bool mustStopIn;
    std::vector<Piece> pieces;  // empty: the caller sends the move itself
    bool mustStopOut;
    std::size_t nextOut;
};

class MissingDel : public ::testing::TestWithParam<MissingDelCase> {};

// The move (10, 4) steps at 1 ms per step of length: about 10.8 ms, ending at 10.77 ms.
TEST_P(MissingDel, CutsTheMoveAtTheOtherFiguresCorners) {
    const MissingDelCase& c = GetParam();
    TDrawing drawing;
    drawing.Set(1).simLines = MakeSimulationLines(10);
    MotionTiming timing(drawing, MotionSettings{}, MotionOutput{});
    DelayCursor cursor{c.times, 0, c.mustStopIn};
    const WalkMove move{3, 10, 4, c.corner, 1.0, std::hypot(10, 4)};
    bool sent = true;
    ASSERT_EQ(timing.AddMissingDel(1, cursor, move, true, sent), 16);

    std::vector<Piece> pieces;
    for (const auto& r : Records(drawing, 1)) {
        EXPECT_EQ(r.line, 3);
        EXPECT_EQ(r.rotRatio, 0);
        pieces.push_back({static_cast<std::int32_t>(r.dx), static_cast<std::int32_t>(r.dy), r.corner != 0});
    }
    EXPECT_EQ(sent, !c.pieces.empty());
    EXPECT_EQ(pieces, c.pieces);
    EXPECT_EQ(cursor.mustStop, c.mustStopOut);
    EXPECT_EQ(cursor.next, c.nextOut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingDel,
    ::testing::Values(
        MissingDelCase{"laterCornerSendsTheMoveWhole", {11.2}, false, true, {}, false, 0},
        MissingDelCase{"noCornersLeft", {}, false, false, {}, false, 0},
        MissingDelCase{"cornerInTheLastMillisecondPausesTheNextMove", {10.1, 10.9, 12}, false, false, {}, true, 2},
        MissingDelCase{"cornerInsideSplitsTheMoveInTwo", {5.92}, false, false, {{5, 2, false}, {5, 2, true}}, false, 1},
        MissingDelCase{"cornerMoveKeepsItsPauseOnTheFirstPiece",
                       {2.7, 8.1},
                       true,
                       false,
                       {{2, 1, true}, {5, 2, true}, {3, 1, true}},
                       false,
                       2},
        MissingDelCase{"pendingStopGoesOnTheFirstPiece", {5.92}, false, true, {{5, 2, true}, {5, 2, true}}, false, 1},
        MissingDelCase{"cornerAtTheStartOnlyPausesTheWholeMove", {0.05}, false, false, {{10, 4, true}}, false, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wirvela
