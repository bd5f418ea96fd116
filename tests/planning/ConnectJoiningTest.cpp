#include <gtest/gtest.h>

#include <vector>

#include "planning/ObjectConnection.h"
#include "planning/Predicates.h"
#include "support/ConnectTestSupport.h"

namespace wirvela {
namespace {

using test::AddPolyline;
using test::LogLines;
using test::Pt;
using test::Rect;

struct Table {
    TVert v{1.0, true};
    TLines l{v, true};
    std::vector<int> Square(double x0, double y0, double x1, double y1, int obj) {
        return AddPolyline(l, Rect(x0, y0, x1, y1), obj, true);
    }
    // The two end positions of line i, for readable expectations.
    std::pair<Pt, Pt> Ends(int i) const { return {{v[l[i].p].x, v[l[i].p].y}, {v[l[i].k].x, v[l[i].k].y}}; }
};

bool Same(Pt a, Pt b) {
    return a.x == b.x && a.y == b.y;
}

TEST(ConnectJoining, ObjectsAtEqualDistanceFromTheTreeJoinInTheOrderOfTheirObjectNumbers) {
    Table t;
    t.Square(0, 0, 10, 10, 0);
    t.Square(0, 30, 10, 40, 2);  // as near to object 0 as object 1, drawn first
    t.Square(30, 0, 40, 10, 1);
    LogLines sink;
    const JoinResult r = JoinObjects(t.l, 3, false, sink);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.unjoined, 0);
    ASSERT_EQ(t.l.Count(), 14);
    EXPECT_EQ(t.v[t.l[12].k].obj, 1) << "the pair (0, 1) before (0, 2)";
    EXPECT_EQ(t.v[t.l[13].k].obj, 2);
    EXPECT_EQ(t.l[12].obj, 2048);
    EXPECT_EQ(t.l[12].kind, 2);
    EXPECT_EQ(t.l[12].kind2, 1);
    EXPECT_TRUE(sink.Has("Dolaczono obiekt: 1"));
    EXPECT_TRUE(sink.Has("Dolaczono obiekt: 2"));
    EXPECT_TRUE(sink.Has("Liczba obiektow: 3."));
}

TEST(ConnectJoining, ANewcomerAsNearToTwoTreeObjectsJoinsTheLowerNumberedOne) {
    Table t;
    t.Square(0, 0, 10, 10, 0);
    t.Square(50, 0, 60, 10, 1);
    t.Square(25, 60, 35, 70, 2);  // 52.2 units from both
    LogLines sink;
    ASSERT_EQ(JoinObjects(t.l, 3, false, sink).added, 2);
    const auto [a, b] = t.Ends(13);
    EXPECT_TRUE((Same(a, {10, 10}) && Same(b, {25, 60})) || (Same(a, {25, 60}) && Same(b, {10, 10})))
        << "joined to object 0, not to object 1 at the same distance";
}

TEST(ConnectJoining, OfEquallyNearVertexPairsTheFirstInScanOrderIsTaken) {
    Table t;
    t.Square(0, 0, 10, 10, 0);   // vertices 0 … 3
    t.Square(20, 0, 30, 10, 1);  // vertices 4 … 7; 1-4 and 2-7 are both 10 apart
    LogLines sink;
    ASSERT_EQ(JoinObjects(t.l, 2, false, sink).added, 1);
    // The newcomer is the higher-numbered object: the line runs from the earlier vertex.
    EXPECT_EQ(t.l[8].p, 1);
    EXPECT_EQ(t.l[8].k, 4);
}

TEST(ConnectJoining, TheLineRunsFromTheLaterVertexWhenTheHigherNumberedObjectIsInTheTree) {
    Table t;
    t.Square(0, 0, 10, 10, 0);     // vertices 0 … 3
    t.Square(100, 0, 110, 10, 1);  // vertices 4 … 7, joined last, to object 2
    t.Square(20, 0, 30, 10, 2);    // vertices 8 … 11, joined first
    LogLines sink;
    ASSERT_EQ(JoinObjects(t.l, 3, false, sink).added, 2);
    EXPECT_EQ(t.l[12].p, 1);  // object 2 (higher) joins the tree: from the earlier vertex
    EXPECT_EQ(t.l[12].k, 8);
    EXPECT_EQ(t.l[13].p, 9);  // object 1 joins object 2, which is in the tree: from the later vertex
    EXPECT_EQ(t.l[13].k, 4);
}

// Object 0: a closed polyline whose three long sides cross near the corners, so that
// from its middle every one of its vertices lies behind another side. Object 1 sits there.
void AddCage(TLines& l) {
    AddPolyline(l, {{-20, 0}, {120, 0}, {110, -20}, {40, 120}, {60, 120}, {-10, -20}}, 0, true);
    AddPolyline(l, {{49, 35}, {51, 35}}, 1, false);
}

TEST(ConnectJoining, WithTheCrossingTestAnObjectReachableOnlyAcrossLinesStaysUnjoined) {
    for (const bool crossingTest : {false, true}) {
        Table t;
        AddCage(t.l);
        LogLines sink;
        const JoinResult r = JoinObjects(t.l, 2, crossingTest, sink);
        EXPECT_EQ(r.added, crossingTest ? 0 : 1) << "crossing test " << crossingTest;
        EXPECT_EQ(r.unjoined, crossingTest ? 1 : 0);
        EXPECT_TRUE(sink.Has("Dolaczono obiekt: 1")) << "the step is logged even when it joins nothing";
    }
}

TEST(ConnectJoining, ObjectsWithoutVerticesAndForeignObjectNumbersTakeNoPart) {
    Table t;
    t.Square(0, 0, 10, 10, 0);
    t.Square(20, 0, 30, 10, 2);
    t.Square(40, 0, 50, 10, 10000);  // the entry vertex's number
    LogLines sink;
    const JoinResult r = JoinObjects(t.l, 3, false, sink);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.unjoined, 0) << "object 1 has no vertex and is no unit";
    EXPECT_TRUE(sink.Has("Dolaczono obiekt: 2")) << "one step per object all the same";
    EXPECT_EQ(JoinObjects(t.l, 0, false, sink).added, 0);
}

TEST(ConnectJoining, AVertexWithoutLinesIsNeverAConnectingLineEnd) {
    Table t;
    t.Square(0, 0, 10, 10, 0);
    t.Square(100, 0, 110, 10, 1);
    t.v.AddVertex(50, 0, 0, 0);  // a pen-up position carrying object 0, nearer to object 1
    LogLines sink;
    ASSERT_EQ(JoinObjects(t.l, 2, false, sink).added, 1);
    EXPECT_EQ(t.v[t.l[8].p].x, 10);
    EXPECT_EQ(t.v[t.l[8].k].x, 100);
}

TEST(ConnectJoining, EveryPieceOfAnObjectOfSeveralPiecesIsJoined) {
    Table t;
    t.Square(0, 0, 10, 10, 0);
    t.Square(100, 0, 110, 10, 1);
    t.Square(200, 0, 210, 10, 1);  // a second piece of object 1
    t.Square(300, 0, 310, 10, 2);
    LogLines sink;
    const JoinResult r = JoinObjects(t.l, 3, false, sink);
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.unjoined, 0);
    EXPECT_TRUE(sink.Has("Dolaczono obiekt: 3")) << "one step more than objects";
    EXPECT_TRUE(sink.Has("Liczba obiektow: 3."));
}

TEST(ConnectJoining, ProgressGoesUpInStepsOfFiveToOneHundred) {
    Table t;
    for (int i = 0; i < 30; ++i) t.Square(20 * i, 0, 20 * i + 10, 10, i);
    LogLines sink;
    std::vector<int> shown;
    JoinObjects(t.l, 30, false, sink, [&](int p) { shown.push_back(p); });
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown.back(), 100);
    for (std::size_t i = 1; i < shown.size(); ++i) {
        EXPECT_GT(shown[i], shown[i - 1]);
        EXPECT_EQ(shown[i] % 5, 0);
    }
}

// A connecting line from A to C runs straight through the tall object B.
struct ThroughB {
    Table t;
    std::vector<int> a, b, c;
    ThroughB() {
        a = t.Square(0, 45, 10, 55, 0);
        b = t.Square(18, 0, 22, 100, 1);
        c = t.Square(30, 45, 40, 55, 2);
    }
    int Connect(int p, int k, int obj = 2048) {
        LineRecord l;
        l.p = p;
        l.k = k;
        l.obj = obj;
        l.kind = 2;
        l.kind2 = obj == 2048 ? 1 : 0;
        t.l.AddLine(l);
        return t.l.Count() - 1;
    }
    // No connecting line properly crosses an object line any more.
    void ExpectNoCrossing() const {
        for (int d = 0; d < t.l.Count(); ++d) {
            if (t.l[d].kind != 2) continue;
            for (int i = 0; i < t.l.Count(); ++i) {
                if (t.l[i].kind != 1) continue;
                EXPECT_NE(SegmentsCross(t.v[t.l[d].p], t.v[t.l[d].k], t.v[t.l[i].p], t.v[t.l[i].k]), 1)
                    << "lines " << d << " and " << i;
            }
        }
    }
};

TEST(ConnectCrossingSplit, AConnectingLineThroughAThirdObjectIsCutToMeetItsContour) {
    ThroughB s;
    s.Connect(s.a[0], s.c[0]);  // (0,45) to (30,45)
    ASSERT_TRUE(SplitConnectingLines(s.t.l, -1));
    s.ExpectNoCrossing();
    const int x22 = s.t.v.FindVertex(22, 45);
    const int x18 = s.t.v.FindVertex(18, 45);
    ASSERT_GE(x22, 0);
    ASSERT_GE(x18, 0);
    EXPECT_EQ(s.t.v[x22].obj, 1);
    EXPECT_EQ(s.t.v[x18].obj, 1);
    EXPECT_GE(s.t.l.FindLine(x22, s.c[0]).index, 0) << "C is joined to B's right side";
    EXPECT_GE(s.t.l.FindLine(x18, s.a[0]).index, 0) << "A is joined to B's left side";
    EXPECT_EQ(s.t.l.FindLine(x18, x22).index, -1) << "nothing runs inside B";
    EXPECT_EQ(s.t.l.Count(), 12 + 2 + 2) << "two contour lines and one connecting line more";
}

TEST(ConnectCrossingSplit, TheEntryLineKeepsItsStartAtTheEntryVertex) {
    Table t;
    t.Square(0, 45, 10, 55, 0);
    t.Square(18, 0, 22, 100, 1);
    const auto c = t.Square(30, 50, 40, 60, 2);
    t.v.SetDeduplication(false);
    const int entry = t.v.AddVertex(-10, 50, 2, 10000, 1);
    t.v.SetDeduplication(true);
    LineRecord e;
    e.p = entry;
    e.k = c[0];  // straight through A and B
    e.obj = 10000;
    e.kind = 2;
    t.l.AddLine(e);
    const int line = t.l.Count() - 1;
    ASSERT_TRUE(SplitConnectingLines(t.l, line));
    EXPECT_EQ(t.l[line].p, entry);
    EXPECT_EQ(t.l[line].obj, 10000);
    EXPECT_EQ(t.l[line].k, t.v.FindVertex(0, 50)) << "it now ends on the first contour it meets";
    EXPECT_GE(t.l.FindLine(t.v.FindVertex(10, 50), t.v.FindVertex(18, 50)).index, 0) << "A joined to B";
    EXPECT_GE(t.l.FindLine(t.v.FindVertex(22, 50), c[0]).index, 0) << "B joined to C";
    for (int d = 0; d < t.l.Count(); ++d) {
        for (int i = 0; i < t.l.Count(); ++i) {
            if (t.l[d].kind != 2 || t.l[i].kind != 1) continue;
            EXPECT_NE(SegmentsCross(t.v[t.l[d].p], t.v[t.l[d].k], t.v[t.l[i].p], t.v[t.l[i].k]), 1);
        }
    }
}

TEST(ConnectCrossingSplit, AConnectingLineLeavingThroughItsOwnContourEndsOnIt) {
    Table t;
    // A U open at the top; its outer corner (30,0) is joined to B above the opening, and
    // the connecting line leaves the U through the inner side of its right arm.
    const auto u =
        AddPolyline(t.l, {{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}}, 0, true);
    const auto b = AddPolyline(t.l, Rect(14, 40, 16, 42), 1, true);
    LineRecord c;
    c.p = u[1];
    c.k = b[0];
    c.obj = 2048;
    c.kind = 2;
    t.l.AddLine(c);
    ASSERT_TRUE(SplitConnectingLines(t.l, -1));
    const int x = t.v.FindVertex(20, 25);
    ASSERT_GE(x, 0);
    EXPECT_EQ(t.v[x].obj, 0);
    EXPECT_EQ(t.l[12].p, x) << "the start moved to where the line leaves the U";
    EXPECT_EQ(t.l[12].k, b[0]);
    EXPECT_EQ(t.l.Count(), 14) << "only the U's arm was split";
}

TEST(ConnectEntryToEnds, TheEntryLineAndVertexBecomeTheLastAndEveryLineFollowsItsVertices) {
    Table t;
    const auto sq = t.Square(0, 0, 10, 10, 0);  // vertices 0 … 3, lines 0 … 3
    t.v.SetDeduplication(false);
    const int entry = t.v.AddVertex(-5, -5, 2, 10000, 1);  // vertex 4
    t.v.SetDeduplication(true);
    LineRecord e;
    e.p = entry;
    e.k = sq[0];
    e.obj = 10000;
    e.kind = 2;
    t.l.AddLine(e);                                 // line 4
    const auto extra = t.Square(20, 0, 30, 10, 0);  // vertices 5 … 8, lines 5 … 8
    MoveEntryToEnds(t.l, 4, entry);
    ASSERT_EQ(t.l.Count(), 9);
    EXPECT_EQ(t.l[8].obj, 10000);
    EXPECT_EQ(t.l[8].p, 8) << "the entry vertex is last";
    EXPECT_EQ(t.l[8].k, 0);
    EXPECT_EQ(t.v[8].obj, 10000);
    EXPECT_EQ(t.v[4].x, 20);
    EXPECT_EQ(t.v[4].y, 10) << "the former last vertex took the entry vertex's place";
    // The former last line (8 → 5, the last side of the second square) now sits at 4.
    EXPECT_EQ(t.l[4].p, 4);
    EXPECT_EQ(t.l[4].k, extra[0]);
    EXPECT_EQ(t.l[7].p, extra[2]);
    EXPECT_EQ(t.l[7].k, 4);
}

}  // namespace
}  // namespace wirvela
