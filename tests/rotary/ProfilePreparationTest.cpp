// Profile preparation: which ends a profile is cut between, what is removed before the
// check, what the check refuses, and the chained path.
#include "rotary/ProfilePreparation.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "drawing/LineList.h"
#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace wirvela {
namespace {

using Polyline = std::vector<std::pair<double, double>>;

// A profile drawn as polylines into fresh tables.
struct Profile {
    TVert v;
    TLines l{v};
    explicit Profile(const std::vector<Polyline>& polylines) {
        for (const Polyline& p : polylines) {
            for (std::size_t i = 1; i < p.size(); ++i) {
                l.AddLine(v.AddVertex(p[i - 1].first, p[i - 1].second), v.AddVertex(p[i].first, p[i].second));
            }
        }
    }
};

const Polyline kArc = {{0, 0}, {30, 20}, {70, 20}, {100, 0}};

struct PrepareCase {
    const char* name;
    std::vector<Polyline> drawing;
    int row;
    int result;
    int message;
    int ends, isolated, branches;
    double startX, endX;  // of a prepared profile
    int lines;            // left in the table
};

class Prepare : public ::testing::TestWithParam<PrepareCase> {};

TEST_P(Prepare, FindsTheEndsAndChecksTheRest) {
    const PrepareCase& c = GetParam();
    Profile p(c.drawing);
    const PreparedProfile r = PrepareProfile(p.v, p.l, c.row);
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.message, c.message);
    if (c.result == PreparedProfile::kUnusable) return;
    EXPECT_EQ(r.ends, c.ends);
    EXPECT_EQ(r.isolated, c.isolated);
    EXPECT_EQ(r.branches, c.branches);
    EXPECT_EQ(p.l.Count(), c.lines);
    if (c.result != PreparedProfile::kOk) return;
    EXPECT_EQ(p.v[r.start].x, c.startX);
    EXPECT_EQ(p.v[r.end].x, c.endX);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Prepare,
    ::testing::Values(
        PrepareCase{"OddRowLeftToRight", {kArc}, 1, 0, 0, 2, 0, 0, 0, 100, 3},
        PrepareCase{"EvenRowRightToLeft", {kArc}, 2, 0, 0, 2, 0, 0, 100, 0, 3},
        PrepareCase{"DrawnRightToLeft", {{{100, 0}, {50, 40}, {0, 0}}}, 3, 0, 0, 2, 0, 0, 0, 100, 2},
        // A stray line between the ends goes before the check; its ends stay as points.
        PrepareCase{"StrayLineRemoved", {kArc, {{40, -5}, {60, -5}}}, 1, 0, 0, 2, 2, 0, 0, 100, 3},
        // The stem of a Y hangs on the path: it stays and the check sees the branch.
        PrepareCase{"YShapeRefused", {kArc, {{30, 20}, {40, -10}}}, 1, 3, 205, 3, 0, 1, 0, 0, 4},
        PrepareCase{"LongStemStillRefused", {kArc, {{30, 20}, {40, -10}, {45, -30}}}, 1, 3, 205, 3, 1, 1, 0, 0, 4},
        // A chord makes a loop on the path: two vertices of degree 3.
        PrepareCase{"LoopRefused", {kArc, {{30, 20}, {50, 40}, {70, 20}}}, 1, 3, 205, 2, 0, 2, 0, 0, 5},
        PrepareCase{"ClosedContour", {{{0, 0}, {100, 0}, {100, 50}, {0, 50}, {0, 0}}}, 1, -1, 0, 0, 0, 0, 0, 0, 0},
        PrepareCase{"TwoPieces", {{{0, 0}, {40, 10}}, {{60, 10}, {100, 0}}}, 1, -1, 631, 0, 0, 0, 0, 0, 0},
        PrepareCase{"Empty", {}, 1, -1, 0, 0, 0, 0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Prepare, StartsAtTheLowestVertexOfTheLeftmostX) {
    // A stray upright line at x = 0, drawn first, does not start the profile.
    Profile p({{{0, 10}, {0, 20}}, {{0, 5}, {50, 30}, {100, 0}}});
    const PreparedProfile r = PrepareProfile(p.v, p.l, 1);
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(p.v[r.start].y, 5);
    EXPECT_EQ(p.v[r.end].x, 100);
    EXPECT_EQ(p.l.Count(), 2);
}

TEST(Prepare, AFullSearchQueueGivesUp) {
    // A star of 1200 spokes fills the 1000-slot queue at the first vertex.
    Profile p({});
    const int hub = p.v.AddVertex(0, 0);
    for (int i = 1; i <= 1200; ++i) p.l.AddLine(hub, p.v.AddVertex(i, 1 + i % 7));
    EXPECT_EQ(PrepareProfile(p.v, p.l, 1).result, PreparedProfile::kUnusable);
}

TEST(Chain, RunsTheLinesFromStartToEndWhateverWayTheyWereDrawn) {
    // Lines stored in both directions and out of order.
    Profile p({{{70, 20}, {100, 0}}, {{30, 20}, {0, 0}}, {{30, 20}, {70, 20}}});
    for (int row : {1, 2}) {
        const PreparedProfile r = PrepareProfile(p.v, p.l, row);
        ASSERT_EQ(r.result, 0);
        const std::unique_ptr<TLineList> path = ChainProfile(p.l, r.start, r.end);
        ASSERT_NE(path, nullptr);
        ASSERT_EQ(path->Length(), 3);
        EXPECT_EQ(path->PathStart(0, p.l), r.start);
        for (int i = 1; i < 3; ++i) EXPECT_EQ(path->PathStart(i, p.l), path->PathEnd(i - 1, p.l));
        EXPECT_EQ(path->PathEnd(2, p.l), r.end);
        EXPECT_EQ((*path)[0].kind, 2);
    }
}

TEST(Chain, RefusesLinesThatDoNotLeadToTheEnd) {
    Profile p({{{0, 0}, {10, 0}}, {{20, 0}, {30, 0}}});
    EXPECT_EQ(ChainProfile(p.l, p.v.FindVertex(0, 0), p.v.FindVertex(30, 0)), nullptr);
}

TEST(Fifo, HoldsOneEntryLessThanItsSlots) {
    TFifo q(4);
    EXPECT_TRUE(q.Push(1));
    EXPECT_TRUE(q.Push(2));
    EXPECT_TRUE(q.Push(3));
    EXPECT_FALSE(q.Push(4));
    std::int32_t v = 0;
    for (int want : {1, 2, 3}) {
        ASSERT_TRUE(q.Pop(v));
        EXPECT_EQ(v, want);
        EXPECT_TRUE(q.Push(want + 10));  // round the ring
    }
    EXPECT_TRUE(q.Pop(v));
    EXPECT_EQ(v, 11);
}

}  // namespace
}  // namespace wirvela
