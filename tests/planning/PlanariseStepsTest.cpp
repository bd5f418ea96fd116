#include <gtest/gtest.h>

#include "PlanariseTestSupport.h"
#include "planning/PlanariseSteps.h"

namespace wirvela {
namespace {

using test::TestDrawing;

TEST(SplitLineAtTest, KeepsTheStartAndAddsTheRemainderWithAllFields) {
    TestDrawing d;
    LineRecord l;
    l.p = d.V.AddVertex(0, 0);
    l.k = d.V.AddVertex(10, 0);
    l.obj = 3;
    l.kind = 2;
    l.kind2 = 1;
    l.pen = 4;
    l.display = 0x10;
    l.spare[7] = -5;
    d.L.AddLine(l);
    const int r = d.V.AddVertex(4, 0);
    ASSERT_TRUE(SplitLineAt(d.L, 0, r));
    ASSERT_EQ(d.L.Count(), 2);
    EXPECT_EQ(d.L[0].p, l.p);
    EXPECT_EQ(d.L[0].k, r);
    LineRecord rest = d.L[1];
    EXPECT_EQ(rest.p, r);
    EXPECT_EQ(rest.k, l.k);
    EXPECT_EQ(rest.obj, 3);
    EXPECT_EQ(rest.kind, 2);
    EXPECT_EQ(rest.kind2, 1);
    EXPECT_EQ(rest.pen, 4);
    EXPECT_EQ(rest.display, 0x10);
    EXPECT_EQ(rest.spare[7], -5);
    EXPECT_EQ(rest.multiplicity, 1);
}

TEST(SplitLineAtTest, AtItsOwnEndNothingChanges) {
    TestDrawing d;
    d.Line(0, 0, 10, 0);
    EXPECT_FALSE(SplitLineAt(d.L, 0, 0));
    EXPECT_FALSE(SplitLineAt(d.L, 0, 1));
    EXPECT_EQ(d.L.Count(), 1);
    EXPECT_EQ(d.L[0].k, 1);
}

TEST(SplitLineAtTest, AFullLineTableKeepsTheLineWhole) {
    TestDrawing d;
    // Lines between 500 vertices far away until the table refuses more.
    for (int n = 0; n < 500; ++n) d.V.AddVertex(1000 + n, 1000);
    for (int a = 0; a < 500 && d.L.Count() <= TLines::kAddLimit; ++a)
        for (int b = a + 1; b < 500 && d.L.Count() <= TLines::kAddLimit; ++b) d.L.AddLine(a, b, 1);
    ASSERT_FALSE(LineTableHasRoom(d.L));
    const int p = d.V.AddVertex(0, 0);
    const int k = d.V.AddVertex(10, 0);
    const int r = d.V.AddVertex(5, 0);
    d.L.SetEnds(0, p, k);
    const int before = d.L.Count();
    EXPECT_FALSE(SplitLineAt(d.L, 0, r));
    EXPECT_EQ(d.L.Count(), before);
    EXPECT_EQ(d.L[0].k, k);
}

TEST(CrossingVertexTest, AFullVertexTableStillFindsAnExistingPlaceButMakesNoNewOne) {
    TVert v(1.0);
    for (int n = 0; v.Count() <= TVert::kAddLimit; ++n) v.AddVertex(n % 1000, n / 1000);
    ASSERT_EQ(v.AddVertex(-5, -5), 0);
    EXPECT_EQ(CrossingVertex(v, {7.6, 3.2}, 0), 3007);  // snapped onto (7, 3)
    EXPECT_EQ(CrossingVertex(v, {-5, -5}, 0), -1);
}

TEST(CrossingVertexTest, InsertsWithTheGivenObject) {
    TVert v;
    const int r = CrossingVertex(v, {1.5, 2.5}, 6);
    EXPECT_EQ(v[r].obj, 6);
    EXPECT_EQ(v[r].x, 1.5);
    EXPECT_EQ(CrossingVertex(v, {1.5, 2.5}, 9), r);
}

TEST(InsideLineTest, ALineWithBothEndsAtOnePlaceHasNoInside) {
    TestDrawing d(0.0, false);
    d.Line(2, 2, 2, 2);
    const int q = d.V.AddVertex(2, 100);
    EXPECT_TRUE(PointInsideSegment(d.V[0], d.V[1], d.V[q]));
    EXPECT_FALSE(InsideLine(d.V, d.L[0], q));
}

}  // namespace
}  // namespace wirvela
