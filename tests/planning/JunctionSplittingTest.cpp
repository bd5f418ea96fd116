#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stop_token>
#include <vector>

#include "PlanariseTestSupport.h"
#include "planning/JunctionSplitting.h"

namespace wirvela {
namespace {

using test::InputLine;
using test::MakeSegment;
using test::RecordingSink;
using test::Segment;
using test::Segments;
using test::TestDrawing;
using test::Transform;

std::vector<InputLine> Rectangle(double x1, double y1, double x2, double y2, int obj) {
    return {{x1, y1, x2, y1, obj}, {x2, y1, x2, y2, obj}, {x2, y2, x1, y2, obj}, {x1, y2, x1, y1, obj}};
}

std::vector<InputLine> Concat(std::initializer_list<std::vector<InputLine>> parts) {
    std::vector<InputLine> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Number of lines at each vertex.
std::map<int, int> Degrees(const TLines& lines) {
    std::map<int, int> degree;
    for (const LineRecord& l : lines.Records()) {
        ++degree[l.p];
        ++degree[l.k];
    }
    return degree;
}

std::set<int> LineObjects(const TLines& lines) {
    std::set<int> objs;
    for (const LineRecord& l : lines.Records()) objs.insert(l.obj);
    return objs;
}

TEST(SplitJunctionsTest, RectanglesOverlappingCrosswiseBecomeOneObject) {
    TestDrawing d;
    test::Build(d, Concat({Rectangle(0, 0, 10, 10, 0), Rectangle(5, 5, 15, 15, 1)}), Transform::Identity, false);
    int oelems = 1;
    RecordingSink sink;
    ASSERT_TRUE(SplitJunctions(d.L, oelems, 0, sink));
    EXPECT_EQ(oelems, 0);
    EXPECT_EQ(d.L.Count(), 12);
    EXPECT_EQ(d.V.Count(), 10);
    EXPECT_EQ(LineObjects(d.L), std::set<int>{0});
    for (const VertexRecord& v : d.V.Records()) EXPECT_EQ(v.obj, 0);
    const int a = d.V.FindVertex(5, 10);
    const int b = d.V.FindVertex(10, 5);
    ASSERT_GE(a, 8);
    ASSERT_GE(b, 8);
    EXPECT_EQ(Degrees(d.L)[a], 4);
    EXPECT_EQ(Degrees(d.L)[b], 4);
    EXPECT_TRUE(sink.Logged("M71M8"));
    const std::vector<std::pair<int, std::string>> tail(sink.status.end() - 2, sink.status.end());
    const std::vector<std::pair<int, std::string>> expected = {{2, "M91"}, {3, "M1012"}};
    EXPECT_EQ(tail, expected);
}

TEST(SplitJunctionsTest, ALineEndingOnAnotherObjectSplitsItAndMergesTheObjects) {
    TestDrawing d;
    d.Line(0, 0, 10, 0, 0);
    d.Line(5, 0, 8, 5, 1);  // triangle of object 1 with a corner on line 0
    d.Line(8, 5, 2, 5, 1);
    d.Line(2, 5, 5, 0, 1);
    int oelems = 1;
    RecordingSink sink;
    ASSERT_TRUE(SplitJunctions(d.L, oelems, 0, sink));
    EXPECT_EQ(oelems, 0);
    EXPECT_EQ(d.L.Count(), 5);
    EXPECT_EQ(Segments(d.L).count(MakeSegment(0, 0, 5, 0)), 1u);
    EXPECT_EQ(Segments(d.L).count(MakeSegment(5, 0, 10, 0)), 1u);
    EXPECT_EQ(LineObjects(d.L), std::set<int>{0});
}

TEST(SplitJunctionsTest, LinesOfOneObjectThatCrossAreLeftAlone) {
    TestDrawing d;
    d.Line(0, 0, 10, 10, 0);
    d.Line(0, 10, 10, 0, 0);
    d.Line(0, 5, 5, 5, 0);  // ends on the crossing... of its own object
    int oelems = 0;
    RecordingSink sink;
    ASSERT_TRUE(SplitJunctions(d.L, oelems, 0, sink));
    EXPECT_EQ(d.L.Count(), 3);
    EXPECT_EQ(d.V.Count(), 6);
    EXPECT_EQ(oelems, 0);
}

TEST(SplitJunctionsTest, DisjointObjectsKeepTheirCountAndNumbers) {
    TestDrawing d;
    test::Build(d, Concat({Rectangle(0, 0, 10, 10, 0), Rectangle(20, 0, 30, 10, 1), Rectangle(40, 0, 50, 10, 2)}),
                Transform::Identity, false);
    int oelems = 2;
    RecordingSink sink;
    ASSERT_TRUE(SplitJunctions(d.L, oelems, 1, sink));
    EXPECT_EQ(oelems, 2);
    ASSERT_EQ(d.L.Count(), 12);
    for (int n = 0; n < 12; ++n) EXPECT_EQ(d.L[n].obj, n / 4);
    // Each vertex was counted once per line at it.
    for (const VertexRecord& v : d.V.Records()) EXPECT_EQ(v.mark, 2);
}

TEST(SplitJunctionsTest, CrossingLinesOfTwoObjectsMeetAtAVertexOfTheFirst) {
    TestDrawing d;
    d.Line(0, 0, 10, 10, 1);
    d.Line(0, 10, 10, 0, 0);
    int oelems = 1;
    RecordingSink sink;
    ASSERT_TRUE(SplitJunctions(d.L, oelems, 0, sink));
    EXPECT_EQ(d.L.Count(), 4);
    const int r = d.V.FindVertex(5, 5);
    ASSERT_EQ(r, 4);
    // The crossing vertex took line 0's object 1, which was then merged into object 0.
    EXPECT_EQ(oelems, 0);
    EXPECT_EQ(LineObjects(d.L), std::set<int>{0});
    EXPECT_EQ(d.V[r].obj, 0);
}

// Objects 0 and 1 are squares; object 2 is one line from a corner of object 0 to a
// corner of object 1 (it reuses their vertices, which keep their objects), so the line
// sees three different objects.
void BuildBridge(TestDrawing& d) {
    test::Build(d, Concat({Rectangle(0, 0, 10, 10, 0), Rectangle(20, 0, 30, 10, 1)}), Transform::Identity, false);
    d.Line(10, 10, 20, 10, 2);
}

TEST(SplitJunctionsTest, WithoutMergeModeTheScanGoesOnAfterAMerge) {
    for (double conModif : {0.0, 2.0, 1.5, 0.999}) {
        TestDrawing d;
        BuildBridge(d);
        int oelems = 2;
        RecordingSink sink;
        ASSERT_TRUE(SplitJunctions(d.L, oelems, conModif, sink));
        // Object 2 went into object 0; the bridge still ends at object 1's corner.
        EXPECT_EQ(oelems, 1) << conModif;
        EXPECT_EQ(d.L[8].obj, 0);
        EXPECT_EQ(d.L[4].obj, 1);
        EXPECT_EQ(d.V[d.L[8].k].obj, 1);
    }
}

TEST(SplitJunctionsTest, MergeModeStartsAgainAtTheSecondLineAndMergesEverything) {
    TestDrawing d;
    BuildBridge(d);
    int oelems = 2;
    RecordingSink sink;
    ASSERT_TRUE(SplitJunctions(d.L, oelems, 1.0, sink));
    EXPECT_EQ(oelems, 0);
    EXPECT_EQ(LineObjects(d.L), std::set<int>{0});
    for (const VertexRecord& v : d.V.Records()) EXPECT_EQ(v.obj, 0);
    // Two merges, each at line 8 and each restarting at line 1: lines 1 … 8 were counted
    // three times, line 0 once. Vertex (0, 0) lies on lines 0 and 3.
    EXPECT_EQ(d.V[d.V.FindVertex(0, 0)].mark, 4);
}

TEST(SplitJunctionsTest, TheStructureDoesNotDependOnPositionOrOrder) {
    // A square, a triangle crossing it, a line ending on its side and one running
    // through a corner of the triangle.
    const std::vector<InputLine> input = Concat({
        Rectangle(0, 0, 20, 20, 0),
        {{10, 10, 30, 10, 1}, {30, 10, 30, 30, 1}, {30, 30, 10, 10, 1}},
        {{-10, 5, 0, 5, 2}},
        {{25, 40, 35, 20, 3}},
    });
    std::multiset<Segment> reference;
    for (Transform t : test::kAllTransforms) {
        for (bool reversed : {false, true}) {
            TestDrawing d;
            test::Build(d, input, t, reversed);
            int oelems = 3;
            RecordingSink sink;
            ASSERT_TRUE(SplitJunctions(d.L, oelems, 1.0, sink));
            const std::multiset<Segment> result = test::InverseSegments(t, d.L);
            if (reference.empty()) reference = result;
            EXPECT_EQ(result, reference) << test::TransformName(t) << " reversed " << reversed;
            EXPECT_EQ(oelems, 0) << test::TransformName(t) << " reversed " << reversed;
        }
    }
    // The triangle's hypotenuse runs through the square's corner (20, 20) and its base
    // crosses the right side at (20, 10); the line from the left ends on the left side;
    // the last line runs through the triangle's corner (30, 30). All become one object.
    EXPECT_EQ(reference.count(MakeSegment(20, 0, 20, 10)), 1u);
    EXPECT_EQ(reference.count(MakeSegment(20, 10, 20, 20)), 1u);
    EXPECT_EQ(reference.count(MakeSegment(0, 0, 0, 5)), 1u);
    EXPECT_EQ(reference.count(MakeSegment(10, 10, 20, 20)), 1u);
    EXPECT_EQ(reference.count(MakeSegment(20, 20, 30, 30)), 1u);
}

TEST(SplitJunctionsTest, AStopRequestEndsItWithoutAReport) {
    TestDrawing d;
    test::Build(d, Concat({Rectangle(0, 0, 10, 10, 0), Rectangle(5, 5, 15, 15, 1)}), Transform::Identity, false);
    std::stop_source source;
    source.request_stop();
    int oelems = 1;
    RecordingSink sink;
    EXPECT_FALSE(SplitJunctions(d.L, oelems, 0, sink, source.get_token()));
    EXPECT_EQ(oelems, 1);
    EXPECT_TRUE(sink.logs.empty());
}

}  // namespace
}  // namespace wirvela
