#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "planning/PathSearch.h"
#include "support/ConnectTestSupport.h"

namespace wirvela {
namespace {

using test::AddPolyline;
using test::CountRuns;
using test::ExpectContinuousFromEntry;
using test::LogLines;
using test::Pt;
using test::Rect;
using test::Steps;

struct Drawing {
    TVert v{1.0, true};
    TLines l{v, true};
    std::unique_ptr<TLineList> path;

    // The entry vertex (always a vertex of its own) and the entry line to `node`, last.
    void Entry(double x, double y, int node) {
        v.SetDeduplication(false);
        const int e = v.AddVertex(x, y, 2, 10000, 1);
        v.SetDeduplication(true);
        LineRecord line;
        line.p = e;
        line.k = node;
        line.obj = 10000;
        line.kind = 2;
        ASSERT_EQ(l.AddLine(line), 1);
    }
    int Connect(int p, int k) {
        LineRecord line;
        line.p = p;
        line.k = k;
        line.obj = 2048;
        line.kind = 2;
        line.kind2 = 1;
        l.AddLine(line);
        return l.Count() - 1;
    }
    int Search(PathSearchOutcome* outcome = nullptr) { return RunPathSearch(l, path, {}, outcome); }
};

TEST(PathSearch, OneContourIsCutOnceAroundBetweenTheEntryLineInAndOut) {
    Drawing d;
    AddPolyline(d.l, Rect(0, 0, 10, 10), 0, true);
    d.Entry(-5, -5, 0);
    PathSearchOutcome outcome;
    ASSERT_EQ(d.Search(&outcome), 0);
    const std::vector<test::PathStep> expected{{4, 1}, {3, -1}, {2, -1}, {1, -1}, {0, -1}, {4, -1}};
    EXPECT_EQ(Steps(*d.path), expected);
    EXPECT_EQ(outcome.integrity.unvisitedLines, 0);
    EXPECT_EQ(outcome.integrity.pathNodes, 7);
}

TEST(PathSearch, AConnectingLineIsRunOnceEachWayAndNoContourLineTwice) {
    Drawing d;
    const auto a = AddPolyline(d.l, Rect(0, 0, 10, 10), 0, true);
    const auto b = AddPolyline(d.l, Rect(30, 0, 40, 10), 1, true);
    const int bridge = d.Connect(a[1], b[0]);
    d.Entry(-5, -5, a[0]);
    ASSERT_EQ(d.Search(), 0);
    ExpectContinuousFromEntry(*d.path, d.l);
    const auto runs = CountRuns(*d.path);
    for (int line = 0; line < 8; ++line) {
        EXPECT_EQ(runs.at(line).forward + runs.at(line).backward, 1) << "contour line " << line;
    }
    EXPECT_EQ(runs.at(bridge).forward, 1);
    EXPECT_EQ(runs.at(bridge).backward, 1);
}

TEST(PathSearch, AnOpenPolylineIsRunOutAndBack) {
    Drawing d;
    const auto a = AddPolyline(d.l, Rect(0, 0, 10, 10), 0, true);
    AddPolyline(d.l, {{10, 10}, {20, 20}, {30, 20}, {30, 40}}, 0, false);
    d.Entry(-5, -5, a[0]);
    ASSERT_EQ(d.Search(), 0);
    ExpectContinuousFromEntry(*d.path, d.l);
    const auto runs = CountRuns(*d.path);
    for (int line = 0; line < 4; ++line) EXPECT_EQ(runs.at(line).forward + runs.at(line).backward, 1);
    for (int line = 4; line < 7; ++line) {
        EXPECT_EQ(runs.at(line).forward, 1) << "polyline line " << line;
        EXPECT_EQ(runs.at(line).backward, 1) << "polyline line " << line;
    }
}

TEST(PathSearch, WhenTheGraphCannotBeBuiltTheEntryLineInAndOutRemains) {
    Drawing d;
    const int centre = d.v.AddVertex(0, 0);
    for (int i = 0; i < 80; ++i) d.l.AddLine(centre, d.v.AddVertex(100 + i, 3 * i), 1);
    d.Entry(-5, -5, centre);
    EXPECT_EQ(d.Search(), 1);
    const std::vector<test::PathStep> expected{{80, 1}, {80, -1}};
    EXPECT_EQ(Steps(*d.path), expected);
}

// The entry point on a corner vertex: the entry vertex is a vertex of its own at the same
// place, joined to the corner by a line of length 0. The duplicate pass must not merge it
// into the corner, or the entry line would vanish from the tour.
TEST(PathSearch, AnEntryVertexOnACornerStillStartsAndEndsTheTour) {
    Drawing d;
    const auto a = AddPolyline(d.l, Rect(0, 0, 10, 10), 0, true);
    d.Entry(0, 0, a[0]);
    ASSERT_EQ(d.v.Count(), 5);
    LogLines sink;
    ASSERT_EQ(RunPathSearch(d.l, d.path, test::Env(&sink), nullptr), 0);
    EXPECT_TRUE(sink.Has("Usunieto 0 powt. punktów."));
    const std::vector<test::PathStep> expected{{4, 1}, {3, -1}, {2, -1}, {1, -1}, {0, -1}, {4, -1}};
    EXPECT_EQ(Steps(*d.path), expected);
}

}  // namespace
}  // namespace wirvela
