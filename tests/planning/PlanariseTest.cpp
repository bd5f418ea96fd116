#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "PlanariseTestSupport.h"
#include "planning/Planarise.h"
#include "planning/Predicates.h"

namespace wirvela {
namespace {

using test::InputLine;
using test::MakeSegment;
using test::RecordingSink;
using test::Segment;
using test::Segments;
using test::TestDrawing;
using test::Transform;

// Every line of the table joins two valid, distinct vertices.
void ExpectValidLines(const TLines& lines) {
    for (const LineRecord& l : lines.Records()) {
        EXPECT_GE(l.p, 0);
        EXPECT_LT(l.p, lines.Vertices().Count());
        EXPECT_GE(l.k, 0);
        EXPECT_LT(l.k, lines.Vertices().Count());
        EXPECT_NE(l.p, l.k);
    }
}

// The elementary pieces of collinear points along the x-axis (or of a polyline), each once.
std::multiset<Segment> Chain(std::initializer_list<std::array<double, 2>> points) {
    std::multiset<Segment> out;
    const std::vector<std::array<double, 2>> p(points);
    for (std::size_t i = 1; i < p.size(); ++i) out.insert(MakeSegment(p[i - 1][0], p[i - 1][1], p[i][0], p[i][1]));
    return out;
}

// --- SnapPktsToLines: the overlap code table ------------------------------------------

struct OverlapCase {
    const char* name;
    InputLine i, j;  // i is added first
    std::multiset<Segment> expected;
};

std::vector<OverlapCase> OverlapCases() {
    const auto x3 = [](double a, double b, double c, double d) { return Chain({{a, 0}, {b, 0}, {c, 0}, {d, 0}}); };
    std::multiset<Segment> tee = Chain({{0, 0}, {5, 0}, {10, 0}});
    tee.insert(MakeSegment(5, 0, 5, 5));
    return {
        {"Code1_DInsideAB", {0, 0, 10, 0}, {5, 5, 5, 0}, tee},
        {"Code2_CInsideAB", {0, 0, 10, 0}, {5, 0, 5, 5}, tee},
        {"Code3_DNearerA", {0, 0, 10, 0}, {7, 0, 3, 0}, x3(0, 3, 7, 10)},
        {"Code3_CNearerA", {0, 0, 10, 0}, {3, 0, 7, 0}, x3(0, 3, 7, 10)},
        {"Code4_BInsideCD", {5, 5, 5, 0}, {0, 0, 10, 0}, tee},
        {"Code5_ADBC", {0, 0, 10, 0}, {15, 0, 5, 0}, x3(0, 5, 10, 15)},
        {"Code6_ACBD", {0, 0, 10, 0}, {5, 0, 15, 0}, x3(0, 5, 10, 15)},
        {"Code8_AInsideCD", {5, 0, 5, 5}, {0, 0, 10, 0}, tee},
        {"Code9_CADB", {0, 0, 10, 0}, {-5, 0, 5, 0}, x3(-5, 0, 5, 10)},
        {"Code10_DACB", {0, 0, 10, 0}, {5, 0, -5, 0}, x3(-5, 0, 5, 10)},
        {"Code12_BNearerC", {7, 0, 3, 0}, {0, 0, 10, 0}, x3(0, 3, 7, 10)},
        {"Code12_ANearerC", {3, 0, 7, 0}, {0, 0, 10, 0}, x3(0, 3, 7, 10)},
        {"Diagonal_Code3", {0, 0, 10, 20}, {3, 6, 7, 14}, Chain({{0, 0}, {3, 6}, {7, 14}, {10, 20}})},
        {"Diagonal_Code6", {0, 0, 10, 20}, {5, 10, 15, 30}, Chain({{0, 0}, {5, 10}, {10, 20}, {15, 30}})},
        {"SharedEndOverlap", {0, 0, 10, 0}, {0, 0, 4, 0}, x3(0, 4, 10, 10)},
    };
}

class OverlapCodeTest : public testing::TestWithParam<OverlapCase> {};

TEST_P(OverlapCodeTest, SnapPktsToLinesLeavesEachPieceOnce) {
    const OverlapCase& c = GetParam();
    TestDrawing d;
    const InputLine lines[] = {c.i, c.j};
    test::Build(d, lines, Transform::Identity, false);
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines(d.L, sink));
    ASSERT_TRUE(RemoveDuplicates(d.L, sink));
    std::multiset<Segment> expected = c.expected;
    expected.erase(MakeSegment(10, 0, 10, 0));
    EXPECT_EQ(Segments(d.L), expected);
    ExpectValidLines(d.L);
    EXPECT_FALSE(sink.Logged("ERROR: Blad redukcji czesci wspolnych odcinkow !!!"));
}

TEST_P(OverlapCodeTest, TurnedMirroredOrReversedInputGivesTheSameStructure) {
    const OverlapCase& c = GetParam();
    std::multiset<Segment> expected = c.expected;
    expected.erase(MakeSegment(10, 0, 10, 0));
    const InputLine lines[] = {c.i, c.j};
    for (Transform t : test::kAllTransforms) {
        for (bool reversed : {false, true}) {
            TestDrawing d;
            test::Build(d, lines, t, reversed);
            RecordingSink sink;
            PlanariseOptions options;
            ASSERT_TRUE(Planarise(d.L, 0, options, sink));
            EXPECT_EQ(test::InverseSegments(t, d.L), expected) << test::TransformName(t) << " reversed " << reversed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, OverlapCodeTest, testing::ValuesIn(OverlapCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SnapPktsToLinesTest, NewLinesTakeLineIsKindAndObjectOneAndPenOne) {
    TestDrawing d;
    LineRecord i;
    i.p = d.V.AddVertex(0, 0);
    i.k = d.V.AddVertex(10, 0);
    i.kind = 2;
    i.obj = 7;
    i.pen = 3;
    i.spare[0] = 99;
    d.L.AddLine(i);
    d.Line(5, 5, 5, 0, 4);  // its end inside i: code 1
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines(d.L, sink));
    ASSERT_EQ(d.L.Count(), 3);
    EXPECT_EQ(d.L[0].obj, 7);  // the shortened line keeps its fields
    EXPECT_EQ(d.L[0].spare[0], 99);
    const LineRecord& added = d.L[2];
    EXPECT_EQ(added.kind, 2);
    EXPECT_EQ(added.obj, 1);
    EXPECT_EQ(added.pen, 1);
    EXPECT_EQ(added.spare[0], 0);
}

TEST(SnapPktsToLinesTest, ALineInsideALongerOneBecomesTheMiddlePiece) {
    TestDrawing d;
    d.Line(0, 0, 30, 0);
    d.Line(10, 0, 20, 0);
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines(d.L, sink));
    ASSERT_TRUE(RemoveDuplicates(d.L, sink));
    EXPECT_EQ(Segments(d.L), Chain({{0, 0}, {10, 0}, {20, 0}, {30, 0}}));
    // The short line itself is still line 1: it became the middle piece.
    EXPECT_EQ(MakeSegment(d.V[d.L[1].p].x, 0, d.V[d.L[1].k].x, 0), MakeSegment(10, 0, 20, 0));
}

TEST(SnapPktsToLinesTest, ProgressEveryHundredLinesWithRepaint) {
    TestDrawing d;
    for (int n = 0; n < 150; ++n) d.Line(n * 10, 0, n * 10, 5);
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines(d.L, sink));
    const std::vector<std::pair<int, std::string>> expected = {{0, "M3(0,150)"}, {0, "M3(100,150)"}};
    EXPECT_EQ(sink.status, expected);
    EXPECT_EQ(sink.repaints, 2);
}

// --- ReduceCrossings ---------------------------------------------------------------

TEST(ReduceCrossingsTest, AnXBecomesFourLinesAtOneNewVertex) {
    TestDrawing d;
    d.Line(0, 0, 10, 10);
    d.Line(0, 10, 10, 0);
    RecordingSink sink;
    ASSERT_TRUE(ReduceCrossings(d.L, true, sink));
    EXPECT_EQ(d.V.Count(), 5);
    EXPECT_EQ(d.V[4].x, 5);
    EXPECT_EQ(d.V[4].y, 5);
    ASSERT_EQ(d.L.Count(), 4);
    for (const LineRecord& l : d.L.Records()) EXPECT_TRUE(l.p == 4 || l.k == 4);
    EXPECT_TRUE(sink.Logged("Planaryzacja: Przeciecie [0](0-1) i [1](2-3)"));
    EXPECT_TRUE(sink.Logged("Planaryzacja:   Po przec. [0](0-4) i [1](2-4)"));
    EXPECT_TRUE(sink.Logged("Planaryzacja:   Po   nowe [2](4-1) i [3](4-3)"));
}

TEST(ReduceCrossingsTest, WithoutCrossAllOnlyLinesOfDifferentObjectsAreSplit) {
    TestDrawing d;
    d.Line(0, 0, 10, 10, 0);
    d.Line(0, 10, 10, 0, 0);
    d.Line(20, 0, 30, 10, 0);
    d.Line(20, 10, 30, 0, 1);
    RecordingSink sink;
    ASSERT_TRUE(ReduceCrossings(d.L, false, sink));
    EXPECT_EQ(d.L.Count(), 6);
    EXPECT_EQ(Segments(d.L).count(MakeSegment(0, 0, 10, 10)), 1u);
    EXPECT_EQ(Segments(d.L).count(MakeSegment(20, 0, 25, 5)), 1u);
}

TEST(ReduceCrossingsTest, ACrossingSnappedOntoAnEndSplitsOnlyTheOtherLine) {
    // Grid 1: the crossing (10.5, 0.5) snaps onto (10, 0), the start of line 1.
    TestDrawing d(1.0);
    d.Line(0, 0, 20, 1);
    d.Line(10, 0, 11, 1);
    ASSERT_EQ(d.V.Count(), 4);
    RecordingSink sink;
    // The two lines do cross properly.
    ASSERT_TRUE(ReduceCrossings(d.L, true, sink));
    EXPECT_TRUE(sink.Logged("  R jest przyciagniety do Ln2.p"));
    EXPECT_EQ(d.V.Count(), 4);
    EXPECT_EQ(d.L.Count(), 3);
    ExpectValidLines(d.L);
}

TEST(ReduceCrossingsTest, LinesTouchingAtAnEndPositionAreNotSplit) {
    TestDrawing d(0.0, false);  // two vertices at (10, 0)
    d.Line(0, 0, 10, 0);
    d.Line(10, 0, 10, 10);
    ASSERT_EQ(d.V.Count(), 4);
    RecordingSink sink;
    ASSERT_TRUE(Planarise(d.L, 0, PlanariseOptions{}, sink));
    EXPECT_EQ(d.L.Count(), 2);
    EXPECT_EQ(d.V.Count(), 4);
}

// --- SnapPktsToLines2 ------------------------------------------------------------------

TEST(SnapPktsToLines2Test, ExactTestSplitsAtAnEndInside) {
    TestDrawing d;
    d.Line(0, 0, 10, 0);
    d.Line(5, 0, 5, 5);
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines2(d.L, 0.0, 4.0, sink));
    std::multiset<Segment> expected = Chain({{0, 0}, {5, 0}, {10, 0}});
    expected.insert(MakeSegment(5, 0, 5, 5));
    EXPECT_EQ(Segments(d.L), expected);
}

TEST(SnapPktsToLines2Test, AnEndWithinTheToleranceSplitsTheOtherLine) {
    TestDrawing d;
    d.Line(0, 0, 100, 0);
    d.Line(50, 0.5, 50, 30);
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines2(d.L, 1.0, 4.0, sink));
    std::multiset<Segment> expected = Chain({{0, 0}, {50, 0.5}, {100, 0}});
    expected.insert(MakeSegment(50, 0.5, 50, 30));
    EXPECT_EQ(Segments(d.L), expected);
}

TEST(SnapPktsToLines2Test, AnEndBeyondTheToleranceOrNearAnEndDoesNot) {
    TestDrawing d;
    d.Line(0, 0, 100, 0);
    d.Line(50, 1.5, 50, 30);  // too far from the line
    d.Line(2, 0.5, 2, 30);    // within the aperture of the line's start
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines2(d.L, 1.0, 4.0, sink));
    EXPECT_EQ(d.L.Count(), 3);
}

TEST(SnapPktsToLines2Test, BothEndsNearTheSameLineGiveAChainWithoutOverlap) {
    // j runs 0.5 above i: its start and then its end snap i, and the second split
    // falls on the remainder of i, not on i's first piece.
    TestDrawing d;
    d.Line(0, 0, 100, 0);
    d.Line(20, 0.5, 60, 0.5);
    RecordingSink sink;
    ASSERT_TRUE(SnapPktsToLines2(d.L, 1.0, 4.0, sink));
    ASSERT_TRUE(RemoveDuplicates(d.L, sink));
    EXPECT_EQ(Segments(d.L), Chain({{0, 0}, {20, 0.5}, {60, 0.5}, {100, 0}}));
    ExpectValidLines(d.L);
}

// --- RemoveDuplicates, CountZeroLines, CheckLinePair ----------------------------------

TEST(RemoveDuplicatesTest, EveryLaterCopyGoesInEitherDirection) {
    TestDrawing d;
    for (int n = 0; n < 4; ++n) d.Line(n * 10, 0, n * 10, 5);
    // Lines 1 and 3 become copies of line 0; the last one moves into slot 1 when that
    // slot is cleared and must be caught there too.
    d.L.SetEnds(1, d.L[0].k, d.L[0].p);
    d.L.SetEnds(3, d.L[0].p, d.L[0].k);
    RecordingSink sink;
    ASSERT_TRUE(RemoveDuplicates(d.L, sink));
    EXPECT_EQ(d.L.Count(), 2);
    EXPECT_EQ(Segments(d.L), (std::multiset<Segment>{MakeSegment(0, 0, 0, 5), MakeSegment(20, 0, 20, 5)}));
}

TEST(CountZeroLinesTest, CountsLinesWhoseEndsShareAPlaceAndLogsTheCount) {
    TestDrawing d(0.0, false);
    d.Line(1, 1, 1, 1);
    d.Line(0, 0, 5, 0);
    d.Line(7, 7, 7, 7);
    RecordingSink sink;
    EXPECT_EQ(CountZeroLines(d.L, " >>>Zero %d lines", sink), 2);
    EXPECT_TRUE(sink.Logged(" >>>Zero 2 lines"));
}

struct PairCase {
    const char* name;
    int l1p, l1k, l2p, l2k;
    std::vector<std::string> texts;
};

class CheckLinePairTest : public testing::TestWithParam<PairCase> {};

TEST_P(CheckLinePairTest, LogsEachCheckThatHolds) {
    // Vertices: 0 (0,0), 1 (10,0), 2 (0,0), 3 (5,5), 4 (10,0), 5 (7,7), 6 (7,7).
    TVert v(0.0, false);
    for (auto [x, y] : {std::pair{0, 0}, {10, 0}, {0, 0}, {5, 5}, {10, 0}, {7, 7}, {7, 7}}) v.AddVertex(x, y);
    const PairCase& c = GetParam();
    LineRecord a;
    a.p = c.l1p;
    a.k = c.l1k;
    LineRecord b;
    b.p = c.l2p;
    b.k = c.l2k;
    RecordingSink sink;
    EXPECT_EQ(CheckLinePair(v, "Ctx", a, b, sink), c.texts.empty() ? 0 : 1);
    std::vector<std::string> expected;
    for (const std::string& t : c.texts) expected.push_back("Ctx" + t);
    EXPECT_EQ(sink.logs, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckLinePairTest,
    testing::Values(
        PairCase{"Clean", 0, 1, 3, 5, {}},
        PairCase{"SharedStart", 0, 1, 0, 3, {" Blad. Wspolny koniec dwoch linii", " Blad_wsp. Ln1.p === Ln2.p"}},
        PairCase{"SharedEnd", 0, 1, 3, 1, {" Blad. Wspolny koniec dwoch linii", " Blad_wsp. Ln1.k === Ln2.k"}},
        PairCase{"SamePlacesSameWay", 0, 1, 2, 4, {" Blad_wsp. Ln1.p === Ln2.p", " Blad_wsp. Ln1.k === Ln2.k"}},
        PairCase{"SamePlacesReversed", 0, 1, 4, 2, {" Blad_wsp. Ln1.p === Ln2.k", " Blad_wsp. Ln1.k === Ln2.p"}},
        PairCase{"ZeroLine1", 3, 3, 0, 1, {" Blad. Linia zerowa Ln1", " Blad_wsp. Ln1.p === Ln1.k"}},
        PairCase{"ZeroLine2", 0, 1, 3, 3, {" Blad. Linia zerowa Ln2", " Blad_wsp. Ln2.p === Ln2.k"}},
        PairCase{"ZeroLengthLine2", 0, 1, 5, 6, {" Blad_wsp. Ln2.p === Ln2.k"}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Planarise as a whole ---------------------------------------------------------------

TEST(PlanariseTest, ReportsItsStepsAndCounts) {
    TestDrawing d;
    d.Line(0, 0, 10, 10);
    d.Line(0, 10, 10, 0);
    RecordingSink sink;
    ASSERT_TRUE(Planarise(d.L, 2, PlanariseOptions{}, sink));
    EXPECT_TRUE(sink.Logged("Planaryzacja:wejscie: Linii 2 Wierzcholkow 4"));
    EXPECT_TRUE(sink.Logged("Planaryzacja:po RM_DUPL: Linii 2 Wierzcholkow 4"));
    EXPECT_TRUE(sink.Logged(" >>>Planaryzacja::Po przyciaganiu do odcinkow. Linii zerowej dlugosci 0"));
    EXPECT_TRUE(sink.Logged(" >>>Planaryzacja::Po redukcji przeciec. Linii zerowej dlugosci 0"));
    EXPECT_TRUE(sink.Logged("  Lines=4 Vert=5"));
    EXPECT_TRUE(sink.Logged("M73M8"));
    for (const char* prefix : {"  Planaris.SnapPktsToLines Time: ", "  Planaris.Cross Time: ",
                               "  Planaris.SnapPktsToLines 2. Time: ", "  Planaris.RemoveDuplicates Time: "}) {
        EXPECT_EQ(std::count_if(sink.logs.begin(), sink.logs.end(),
                                [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }),
                  1)
            << prefix;
    }
    const std::vector<std::pair<int, std::string>> tail(sink.status.end() - 4, sink.status.end());
    const std::vector<std::pair<int, std::string>> expected = {{0, "M5"}, {0, "M6(0,4)"}, {2, "M93"}, {3, "M104"}};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(sink.disabled, 1);
}

TEST(PlanariseTest, ClearsTheVertexMarks) {
    TestDrawing d;
    d.Line(0, 0, 10, 0);
    d.V.Edit(0).mark = 16;
    RecordingSink sink;
    ASSERT_TRUE(Planarise(d.L, 0, PlanariseOptions{}, sink));
    EXPECT_EQ(d.V[0].mark, 0);
}

TEST(PlanariseTest, AGridOfCrossingLinesBecomesAPlaneGraphInEveryPosition) {
    // Three horizontal and three vertical lines, a diagonal through the crossings and a
    // collinear piece lying on the middle horizontal.
    const std::vector<InputLine> input = {
        {0, 10, 40, 10}, {0, 20, 40, 20}, {0, 30, 40, 30}, {10, 0, 10, 40},
        {20, 0, 20, 40}, {30, 0, 30, 40}, {0, 0, 40, 40},  {5, 20, 25, 20},
    };
    std::multiset<Segment> reference;
    for (Transform t : test::kAllTransforms) {
        for (bool reversed : {false, true}) {
            TestDrawing d;
            test::Build(d, input, t, reversed);
            RecordingSink sink;
            ASSERT_TRUE(Planarise(d.L, 0, PlanariseOptions{}, sink));
            ExpectValidLines(d.L);
            const std::multiset<Segment> result = test::InverseSegments(t, d.L);
            if (reference.empty()) reference = result;
            EXPECT_EQ(result, reference) << test::TransformName(t) << " reversed " << reversed;
            // No two lines cross, overlap or repeat.
            for (int a = 0; a < d.L.Count(); ++a)
                for (int b = a + 1; b < d.L.Count(); ++b) {
                    const LineRecord& la = d.L[a];
                    const LineRecord& lb = d.L[b];
                    EXPECT_NE(SegmentsCross(d.V[la.p], d.V[la.k], d.V[lb.p], d.V[lb.k]), 1);
                    EXPECT_FALSE(la.p == lb.p && la.k == lb.k);
                    EXPECT_FALSE(la.p == lb.k && la.k == lb.p);
                }
        }
    }
    // Every grid line and the diagonal are cut at three crossings (4 pieces each); the
    // collinear piece adds the points 5 and 25 to the middle horizontal (2 more).
    EXPECT_EQ(reference.size(), 7u * 4u + 2u);
}

TEST(PlanariseTest, AStopRequestEndsItWithAConsistentModel) {
    TestDrawing d;
    for (int n = 0; n < 20; ++n) {
        d.Line(n, 0, n, 40);
        d.Line(0, n + 0.5, 40, n + 0.5);
    }
    std::stop_source source;
    source.request_stop();
    RecordingSink sink;
    EXPECT_FALSE(Planarise(d.L, 0, PlanariseOptions{}, sink, source.get_token()));
    EXPECT_EQ(sink.disabled, 0);
    ExpectValidLines(d.L);
}

struct StoppingSink : RecordingSink {
    void Status(int panel, std::string_view text) override {
        RecordingSink::Status(panel, text);
        if (text.rfind("M4(", 0) == 0) source.request_stop();
    }
    std::stop_source source;
};

TEST(PlanariseTest, AStopDuringTheCrossingsLeavesValidLines) {
    TestDrawing d;
    for (int n = 0; n < 20; ++n) {
        d.Line(n, 0, n, 40);
        d.Line(0, n + 0.5, 40, n + 0.5);
    }
    StoppingSink sink;
    EXPECT_FALSE(ReduceCrossings(d.L, true, sink, sink.source.get_token()));
    EXPECT_EQ(d.L.Count(), 40);
    ExpectValidLines(d.L);
}

}  // namespace
}  // namespace wirvela
