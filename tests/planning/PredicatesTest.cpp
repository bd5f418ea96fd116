#include <gtest/gtest.h>

#include <string>

#include "PlanariseTestSupport.h"
#include "planning/Predicates.h"

namespace wirvela {
namespace {

using test::Apply;
using test::kAllTransforms;
using test::Transform;

TEST(OrientationTest, PositiveWhenBLiesLeftOfTheDirectedLine) {
    EXPECT_EQ(Orientation({0, 0}, {1, 0}, {0, 1}), 1);
    EXPECT_EQ(Orientation({0, 0}, {1, 0}, {0, -1}), -1);
    EXPECT_EQ(Orientation({1, 1}, {3, 3}, {5, 5}), 0);
    EXPECT_EQ(Orientation({2, 3}, {6, 3}, {2, 7}), 16);  // (A − P) × (B − P) = 4 · 4
}

TEST(SideSignTest, SignOfAValue) {
    EXPECT_EQ(SideSign(1e-300), 1);
    EXPECT_EQ(SideSign(-1e-300), -1);
    EXPECT_EQ(SideSign(0.0), 0);
    EXPECT_EQ(SideSign(-0.0), 0);
}

struct CrossCase {
    const char* name;
    Point2d p1, p2, q1, q2;
    int expected;
};

class SegmentsCrossTest : public testing::TestWithParam<CrossCase> {};

TEST_P(SegmentsCrossTest, Classifies) {
    const CrossCase& c = GetParam();
    EXPECT_EQ(SegmentsCross(c.p1, c.p2, c.q1, c.q2), c.expected);
}

TEST_P(SegmentsCrossTest, TurnedOrMirroredGivesTheSameClass) {
    const CrossCase& c = GetParam();
    for (Transform t : kAllTransforms) {
        auto tr = [t](Point2d p) {
            const auto a = Apply(t, p.x, p.y);
            return Point2d(a[0], a[1]);
        };
        EXPECT_EQ(SegmentsCross(tr(c.p1), tr(c.p2), tr(c.q1), tr(c.q2)), c.expected) << test::TransformName(t);
    }
}

TEST_P(SegmentsCrossTest, ReversingPKeepsTheClassAndReversingQSwapsItsEnds) {
    const CrossCase& c = GetParam();
    EXPECT_EQ(SegmentsCross(c.p2, c.p1, c.q1, c.q2), c.expected);
    const int swapped = c.expected == 2 ? 4 : c.expected == 4 ? 2 : c.expected;
    EXPECT_EQ(SegmentsCross(c.p1, c.p2, c.q2, c.q1), swapped);
}

INSTANTIATE_TEST_SUITE_P(Table, SegmentsCrossTest,
                         testing::Values(CrossCase{"ProperX", {0, 0}, {10, 10}, {0, 10}, {10, 0}, 1},
                                         CrossCase{"ProperNearlyParallel", {0, 0}, {100, 1}, {0, 1}, {100, 0}, 1},
                                         CrossCase{"TouchingAtSharedEnd", {0, 0}, {10, 0}, {10, 0}, {10, 10}, 8},
                                         CrossCase{"Q1InsideP", {0, 0}, {10, 0}, {5, 0}, {5, 5}, 2},
                                         CrossCase{"Q2InsideP", {0, 0}, {10, 0}, {5, 5}, {5, 0}, 4},
                                         CrossCase{"BothQEndsInsideCollinear", {0, 0}, {10, 0}, {3, 0}, {7, 0}, 8},
                                         CrossCase{"PEndInsideQ", {5, 0}, {5, 5}, {0, 0}, {10, 0}, 8},
                                         CrossCase{"CollinearOverlap", {0, 0}, {10, 0}, {5, 0}, {15, 0}, 8},
                                         CrossCase{"ParallelOverlappingBoxes", {0, 0}, {10, 10}, {0, 2}, {10, 12}, 8},
                                         CrossCase{"BoxesApart", {0, 0}, {1, 1}, {5, 5}, {6, 0}, 8},
                                         CrossCase{"ZeroLengthQInsideP", {0, 0}, {10, 0}, {5, 0}, {5, 0}, 8},
                                         CrossCase{"ZeroLengthPOnQ", {5, 0}, {5, 0}, {0, 0}, {10, 0}, 8},
                                         CrossCase{"LinesCrossBeyondTheSegments", {0, 0}, {4, 4}, {10, 0}, {6, 3}, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OppositeSidesTest, TwoOnlyForStrictlyOppositeSides) {
    EXPECT_EQ(OppositeSides({0, 0}, {10, 0}, {5, 1}, {5, -1}), 2);
    EXPECT_EQ(OppositeSides({0, 0}, {10, 0}, {5, 1}, {50, 2}), 1);
    EXPECT_EQ(OppositeSides({0, 0}, {10, 0}, {5, 1}, {5, 0}), 1);
}

struct InsideCase {
    const char* name;
    Point2d p1, p2, q;
    bool expected;
};

class PointInsideSegmentTest : public testing::TestWithParam<InsideCase> {};

TEST_P(PointInsideSegmentTest, Decides) {
    const InsideCase& c = GetParam();
    EXPECT_EQ(PointInsideSegment(c.p1, c.p2, c.q), c.expected);
    EXPECT_EQ(PointInsideSegment(c.p2, c.p1, c.q), c.expected) << "reversed";
}

INSTANTIATE_TEST_SUITE_P(Table, PointInsideSegmentTest,
                         testing::Values(InsideCase{"Interior", {0, 0}, {10, 5}, {4, 2}, true},
                                         InsideCase{"Start", {0, 0}, {10, 5}, {0, 0}, false},
                                         InsideCase{"End", {0, 0}, {10, 5}, {10, 5}, false},
                                         InsideCase{"JustOffTheLine", {0, 0}, {10, 5}, {4, 2.000000001}, false},
                                         InsideCase{"CollinearBeyondTheEnd", {0, 0}, {10, 5}, {12, 6}, false},
                                         InsideCase{"VerticalInterior", {3, 0}, {3, 10}, {3, 5}, true},
                                         InsideCase{"VerticalEnd", {3, 0}, {3, 10}, {3, 10}, false},
                                         InsideCase{"VerticalBeyond", {3, 0}, {3, 10}, {3, 11}, false},
                                         InsideCase{"VerticalBeside", {3, 0}, {3, 10}, {3.5, 5}, false},
                                         InsideCase{"HorizontalInterior", {0, 2}, {10, 2}, {9.5, 2}, true},
                                         // A zero-length segment holds every point with its x.
                                         InsideCase{"ZeroLengthSameX", {2, 2}, {2, 2}, {2, 100}, true},
                                         InsideCase{"ZeroLengthOtherX", {2, 2}, {2, 2}, {3, 2}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct NearCase {
    const char* name;
    Point2d p1, p2, q;
    double tol;
    bool expected;
};

class PointNearSegmentTest : public testing::TestWithParam<NearCase> {};

TEST_P(PointNearSegmentTest, DecidesWithApertureFour) {
    const NearCase& c = GetParam();
    EXPECT_EQ(PointNearSegment(c.p1, c.p2, c.q, c.tol, 4.0), c.expected);
    EXPECT_EQ(PointNearSegment(c.p2, c.p1, c.q, c.tol, 4.0), c.expected) << "reversed";
}

INSTANTIATE_TEST_SUITE_P(Table, PointNearSegmentTest,
                         testing::Values(NearCase{"HalfAbove", {0, 0}, {100, 0}, {50, 0.5}, 1, true},
                                         NearCase{"OnTheLine", {0, 0}, {100, 0}, {50, 0}, 1, true},
                                         NearCase{"OffsetEqualToTolIsNotNear", {0, 0}, {100, 0}, {50, 1}, 1, false},
                                         NearCase{"BeyondTol", {0, 0}, {100, 0}, {50, 1.5}, 1, false},
                                         NearCase{"WithinApertureOfStart", {0, 0}, {100, 0}, {2, 0.1}, 1, false},
                                         NearCase{"WithinApertureOfEnd", {0, 0}, {100, 0}, {96, 0}, 1, false},
                                         NearCase{"OutsideTheRange", {0, 0}, {100, 0}, {-10, 0}, 1, false},
                                         // The segment spans less than the aperture in x: no x-range test.
                                         NearCase{"NarrowInXBesideTheRange", {0, 0}, {2, 100}, {2.5, 50}, 2, true},
                                         NearCase{"WideInXBesideTheRange", {0, 0}, {4, 100}, {4.5, 50}, 2, false},
                                         NearCase{"ZeroLength", {5, 5}, {5, 5}, {20, 20}, 100, false},
                                         NearCase{"ToleranceZero", {0, 0}, {100, 0}, {50, 0}, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineIntersectionTest, CrossingLines) {
    const Point2d a = LineIntersection({0, 0}, {10, 10}, {0, 10}, {10, 0});
    EXPECT_EQ(a.x, 5);
    EXPECT_EQ(a.y, 5);
    const Point2d b = LineIntersection({0, 0}, {4, 2}, {0, 3}, {3, 0});
    EXPECT_EQ(b.x, 2);
    EXPECT_EQ(b.y, 1);
    // The infinite lines, not the segments.
    const Point2d c = LineIntersection({0, 0}, {1, 0}, {5, 5}, {5, 6});
    EXPECT_EQ(c.x, 5);
    EXPECT_EQ(c.y, 0);
}

TEST(LineIntersectionTest, ParallelCollinearAndDegenerateGiveTheOrigin) {
    for (const auto& [p1, p2, q1, q2] : {std::array<Point2d, 4>{{{1, 1}, {5, 3}, {1, 2}, {5, 4}}},
                                         std::array<Point2d, 4>{{{1, 1}, {5, 3}, {9, 5}, {13, 7}}},
                                         std::array<Point2d, 4>{{{1, 1}, {1, 1}, {0, 3}, {3, 0}}}}) {
        const Point2d r = LineIntersection(p1, p2, q1, q2);
        EXPECT_EQ(r.x, 0);
        EXPECT_EQ(r.y, 0);
    }
}

TEST(SquaredDistanceTest, SumOfSquares) {
    EXPECT_EQ(SquaredDistance({1, 2}, {4, 6}), 25);
    EXPECT_EQ(Det2(1, 2, 3, 4), 1 * 4 - 3 * 2);
}

class CrossesAnyLineTest : public testing::Test {
protected:
    void SetUp() override { d.Line(0, 0, 10, 0); }
    test::TestDrawing d;
};

TEST_F(CrossesAnyLineTest, ACandidateThroughALineCrossesIt) {
    EXPECT_TRUE(CrossesAnyLine({5, -5}, {5, 5}, d.L));
    EXPECT_FALSE(CrossesAnyLine({5, 1}, {5, 5}, d.L));
}

TEST_F(CrossesAnyLineTest, ACandidateRunningThroughALineEndCounts) {
    EXPECT_TRUE(CrossesAnyLine({10, -5}, {10, 5}, d.L));
}

TEST_F(CrossesAnyLineTest, ACandidateEndingOnTheInsideOfALineDoesNot) {
    EXPECT_FALSE(CrossesAnyLine({5, -5}, {5, 0}, d.L));
}

TEST(CrossesAnyLineSharedEndTest, ALineSharingAnEndPositionWithTheCandidateNeverCounts) {
    // Rounding makes SegmentsCross call this candidate, which starts at the line's start,
    // a proper crossing of the line; sharing the end position excludes the line.
    const Point2d e1(-7.2718592726760551, -7.3224671197493452);
    const Point2d e2(-9.5795154316654596, -0.97570192310923609);
    const Point2d q(8.2271609582235357, -2.982037724341609);
    ASSERT_EQ(SegmentsCross(e1, q, e1, e2), kSegmentsCrossProper);
    test::TestDrawing d;
    d.Line(e1.x, e1.y, e2.x, e2.y);
    EXPECT_FALSE(CrossesAnyLine(e1, q, d.L));
    EXPECT_FALSE(CrossesAnyLine(q, e1, d.L));
}

TEST_F(CrossesAnyLineTest, ACollinearOverlapIsNoCrossing) {
    EXPECT_FALSE(CrossesAnyLine({2, 0}, {8, 0}, d.L));
}

}  // namespace
}  // namespace wirvela
