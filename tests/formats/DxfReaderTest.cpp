#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "formats/DxfEntityReader.h"
#include "formats/DxfReader.h"
#include "formats/DxfTestSupport.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::DxfBlock;
using test::DxfFile;
using test::DxfGroups;
using test::DxfInsert;
using test::DxfLine;
using test::DxfSection;
using test::DxfText;
using test::operator+;

// One drawing unit per DXF unit and a tolerance of exactly 1 DXF unit (1 step at 1 step
// per millimetre and 1 mm per drawing unit); no snapping, so geometry stays exact.
DxfSettings UnitSettings() {
    DxfSettings s;
    s.skalaDxf = 1.0;
    s.approxErr = 1.0;
    s.skalaHpgl = 1.0;
    s.stepsPerMm = 1.0;
    return s;
}

class DxfReaderTest : public testing::Test {
protected:
    DxfResult Read(const std::string& text, const DxfSettings& settings = UnitSettings()) {
        return reader.ReadDxfText(lines, text, settings, lastObject);
    }
    double MinX() const { return vertices.MinX(true); }
    double MaxX() const { return vertices.MaxX(true); }
    double MinY() const { return vertices.MinY(true); }
    double MaxY() const { return vertices.MaxY(true); }
    std::set<int> LineObjects() const {
        std::set<int> objects;
        for (const LineRecord& l : lines.Records()) objects.insert(l.obj);
        return objects;
    }
    bool HasVertexNear(double x, double y, double eps = 1e-9) const {
        for (const VertexRecord& v : vertices.Records())
            if (std::abs(v.x - x) < eps && std::abs(v.y - y) < eps) return true;
        return false;
    }

    TVert vertices{0.0, true};
    TLines lines{vertices, true};
    TDxfReader reader;
    int lastObject = -1;
};

TEST(DxfSegmentCountTest, FollowsTheToleranceRule) {
    struct Case {
        double r, d;
        int n;
    };
    for (const Case& c : {Case{100, 1, 23}, Case{50, 1, 16}, Case{1000, 1, 71}, Case{3, 1, 4}, Case{3.41, 1, 4},
                          Case{10, 1, 7}, Case{1e9, 1, 360}, Case{100, 0, 360}, Case{0, 1, 4}, Case{-5, 1, 4},
                          Case{100, std::nan(""), 360}, Case{100, -1, 360}}) {
        EXPECT_EQ(DxfSegmentCount(c.r, c.d), c.n) << "r " << c.r << " d " << c.d;
    }
}

TEST_F(DxfReaderTest, ALineIsScaledBySkalaDxfAndDividedByLtscale) {
    DxfSettings s;  // SkalaDXF 0.4
    Read(DxfFile(DxfLine(0, 0, 10, 0)), s);
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_DOUBLE_EQ(MaxX() - MinX(), 4.0);
    EXPECT_DOUBLE_EQ(reader.Scale(), 0.4);

    lines.ClearLines();
    vertices.ClearVertices();
    Read(DxfFile(DxfLine(0, 0, 10, 0), {}, {{9, "$ACADVER"}, {1, "AC1015"}, {9, "$LTSCALE"}, {40, "2"}}), s);
    EXPECT_DOUBLE_EQ(MaxX() - MinX(), 2.0);
    EXPECT_DOUBLE_EQ(reader.Scale(), 0.2);
}

TEST_F(DxfReaderTest, AnLtscaleThatIsNotPositiveIsNotUsed) {
    for (const char* value : {"0", "-2", "1e999", "abc"}) {
        Read(DxfFile(DxfLine(0, 0, 10, 0), {}, {{9, "$LTSCALE"}, {40, value}}));
        EXPECT_DOUBLE_EQ(reader.Scale(), 1.0) << value;
    }
}

TEST_F(DxfReaderTest, TheToleranceIsANumberOfMotorSteps) {
    DxfSettings s;  // SkalaDXF 0.4, SkalaHPGL 0.025, 1 step per mm, 1 step
    s.stepsPerMm = 2.0;
    Read(DxfFile({}), s);
    EXPECT_DOUBLE_EQ(reader.Tolerance(), 1.0 / (0.025 * 2.0) / 0.4);
}

TEST_F(DxfReaderTest, ANonPositiveApproximationErrorKeepsThePreviousOne) {
    DxfSettings s = UnitSettings();
    s.approxErr = 2.0;
    Read(DxfFile({}), s);
    for (double bad : {0.0, -1.0, std::nan("")}) {
        s.approxErr = bad;
        Read(DxfFile({}), s);
        EXPECT_DOUBLE_EQ(reader.ApproxErr(), 2.0);
        EXPECT_DOUBLE_EQ(reader.Tolerance(), 2.0);
    }
}

// Full turns: a circle of n segments has n distinct points; the closing segment is added
// twice (once as the join to the first point, once to P(360°)) when P(360°) falls on the
// first point, which the default snap grid of one unit makes it do.
TEST_F(DxfReaderTest, ACircleHasTheSegmentCountOfItsRadius) {
    struct Case {
        double r;
        int n;
    };
    for (const Case& c : {Case{100, 23}, Case{50, 16}, Case{1000, 71}, Case{3, 4}}) {
        TVert snapped(1.0, true);
        TLines snappedLines(snapped, true);
        int last = -1;
        reader.ReadDxfText(snappedLines,
                           DxfFile({{0, "CIRCLE"}, {10, "5000"}, {20, "5000"}, {40, std::to_string(c.r)}}),
                           UnitSettings(), last);
        EXPECT_EQ(snappedLines.Count(), c.n) << "radius " << c.r;
        EXPECT_EQ(snapped.Count(), c.n) << "radius " << c.r;
        int doubled = 0;
        for (const LineRecord& l : snappedLines.Records()) doubled += l.multiplicity == 2;
        EXPECT_EQ(doubled, 1) << "radius " << c.r;
        EXPECT_EQ(last, 0);
    }
}

TEST_F(DxfReaderTest, AnArcFromAboveItsEndRunsThroughZeroDegrees) {
    Read(DxfFile({{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "100"}, {50, "350"}, {51, "10"}}));
    // The ends at 350° and 370°, and points between them next to 0°.
    EXPECT_NEAR(MinY(), 100.0 * std::sin(-10.0 * M_PI / 180.0), 1e-9);
    EXPECT_NEAR(MaxY(), 100.0 * std::sin(10.0 * M_PI / 180.0), 1e-9);
    EXPECT_GT(MinX(), 98.0);
    EXPECT_GT(MaxX(), 99.5);
    EXPECT_EQ(lines.Count(), 2);  // 23 segments per turn: points at 350°, 365.65° and 370°
}

TEST_F(DxfReaderTest, AnEllipseSpansItsAxes) {
    Read(DxfFile({{0, "ELLIPSE"},
                  {10, "0"},
                  {20, "0"},
                  {11, "0"},
                  {21, "200"},
                  {40, "0.5"},
                  {41, "0"},
                  {42, "6.283185307179586"}}));
    // Semi-major axis vertical, 200; semi-minor 100 (its radius sets 23 segments), so
    // the points start at (0, 200) and reach within the tolerance of every side.
    EXPECT_NEAR(MaxY(), 200.0, 1e-9);
    EXPECT_NEAR(MinY(), -200.0, 2.0);
    EXPECT_NEAR(MaxX(), 100.0, 1.0);
    EXPECT_NEAR(MinX(), -100.0, 1.0);
    EXPECT_GE(lines.Count(), 23);
    for (const VertexRecord& v : vertices.Records()) EXPECT_NEAR(v.x * v.x / 1e4 + v.y * v.y / 4e4, 1.0, 1e-9);
}

TEST_F(DxfReaderTest, AClosedPolylineOfFourVerticesHasFourLines) {
    Read(DxfFile({{0, "LWPOLYLINE"},
                  {90, "4"},
                  {70, "1"},
                  {10, "0"},
                  {20, "0"},
                  {10, "100"},
                  {20, "0"},
                  {10, "100"},
                  {20, "100"},
                  {10, "0"},
                  {20, "100"}}));
    EXPECT_EQ(lines.Count(), 4);
    EXPECT_EQ(vertices.Count(), 4);
    EXPECT_EQ(LineObjects(), std::set<int>{0});
}

// The last vertex's bulge bends the closing segment (here a half circle to the left of
// the square, down to x = -50).
TEST_F(DxfReaderTest, TheLastBulgeOfAClosedPolylineBendsTheClosingSegment) {
    Read(DxfFile({{0, "LWPOLYLINE"},
                  {90, "4"},
                  {70, "1"},
                  {10, "0"},
                  {20, "0"},
                  {10, "100"},
                  {20, "0"},
                  {10, "100"},
                  {20, "100"},
                  {10, "0"},
                  {20, "100"},
                  {42, "1"}}));
    EXPECT_GT(lines.Count(), 4);
    EXPECT_NEAR(MinX(), -50.0, 1.0);
    EXPECT_DOUBLE_EQ(MaxX(), 100.0);
}

TEST_F(DxfReaderTest, BulgesBendTheSegmentToTheirSide) {
    struct Case {
        const char* bulge;
        double minY, maxY;
    };
    // From (0,0) to (200,0): +1 a half circle below (counter-clockwise), -1 above,
    // +2 the larger arc below (sagitta 200: radius 125, centre at y = -75), -0.5 a
    // flatter arc above (sagitta 50). Chords stay within the tolerance of 1 of the arc.
    for (const Case& c : {Case{"1", -100, 0}, Case{"-1", 0, 100}, Case{"2", -200, 0}, Case{"-0.5", 0, 50}}) {
        lines.ClearLines();
        vertices.ClearVertices();
        Read(DxfFile(
            {{0, "LWPOLYLINE"}, {90, "2"}, {70, "0"}, {10, "0"}, {20, "0"}, {42, c.bulge}, {10, "200"}, {20, "0"}}));
        EXPECT_NEAR(MinY(), c.minY, 1.0) << c.bulge;
        EXPECT_NEAR(MaxY(), c.maxY, 1.0) << c.bulge;
        EXPECT_TRUE(HasVertexNear(0, 0)) << c.bulge;
        EXPECT_TRUE(HasVertexNear(200, 0)) << c.bulge;
    }
}

TEST_F(DxfReaderTest, BulgeArcPointsLieOnTheCircleAndTheChainIsConnected) {
    // Bulge 0.5 from (0,0) to (100,0): sagitta 25, radius 62.5, centre (50, 37.5).
    Read(DxfFile({{0, "POLYLINE"},
                  {66, "1"},
                  {70, "0"},
                  {0, "VERTEX"},
                  {10, "0"},
                  {20, "0"},
                  {42, "0.5"},
                  {0, "VERTEX"},
                  {10, "100"},
                  {20, "0"},
                  {0, "SEQEND"}}));
    ASSERT_GT(lines.Count(), 2);
    for (const VertexRecord& v : vertices.Records()) EXPECT_NEAR(std::hypot(v.x - 50, v.y - 37.5), 62.5, 1e-9);
    // A chain: every vertex except the two ends has two lines.
    std::vector<int> degree(static_cast<std::size_t>(vertices.Count()));
    for (const LineRecord& l : lines.Records()) ++degree[l.p], ++degree[l.k];
    EXPECT_EQ(std::count(degree.begin(), degree.end(), 1), 2);
    EXPECT_EQ(std::count(degree.begin(), degree.end(), 2), vertices.Count() - 2);
    EXPECT_NEAR(MinY(), -25.0, 1.0);
    EXPECT_GT(MaxX(), 100.0 - 1e-9);
}

TEST_F(DxfReaderTest, AnInsertWithThreeColumnsAndTwoRowsDrawsTheBlockSixTimesAsOneObject) {
    const DxfGroups blocks = DxfBlock("B", DxfLine(0, 0, 10, 0));
    Read(DxfFile(DxfLine(0, -50, 1, -50) + DxfInsert("B", 100, 200, {{70, "3"}, {71, "2"}, {44, "20"}, {45, "30"}}) +
                     DxfLine(0, -60, 1, -60),
                 blocks));
    EXPECT_EQ(lines.Count(), 8);
    EXPECT_EQ(lastObject, 2);
    int inBlock = 0;
    for (const LineRecord& l : lines.Records()) inBlock += l.obj == 1;
    EXPECT_EQ(inBlock, 6);
    EXPECT_TRUE(HasVertexNear(100 + 2 * 20 + 10, 200 + 30));
    EXPECT_DOUBLE_EQ(MaxX(), 150.0);
    EXPECT_DOUBLE_EQ(MaxY(), 230.0);
}

TEST_F(DxfReaderTest, InsertRotatesAndScalesAboutTheInsertionPointWithoutTheBasePoint) {
    // 90° and x scale 2: the block's (10, 0) lands 20 above the insertion point; the
    // column offset is taken in the block's own, scaled and turned frame.
    Read(DxfFile(DxfInsert("B", 100, 50, {{41, "2"}, {50, "90"}, {70, "2"}, {44, "5"}}),
                 DxfBlock("B", DxfLine(0, 0, 10, 0))));
    EXPECT_TRUE(HasVertexNear(100, 50));
    EXPECT_TRUE(HasVertexNear(100, 70));
    EXPECT_TRUE(HasVertexNear(100, 60));  // column 1 starts at (5, 0) → scaled 10, turned up
    EXPECT_TRUE(HasVertexNear(100, 80));
}

TEST_F(DxfReaderTest, NestedInsertsComposeTheirTransforms) {
    const DxfGroups blocks = DxfBlock("OUTER", DxfInsert("INNER", 10, 0, {{50, "90"}}) + DxfLine(0, 0, 0, 1)) +
                             DxfBlock("INNER", DxfLine(0, 0, 5, 0));
    Read(DxfFile(DxfInsert("OUTER", 100, 0, {{41, "2"}, {42, "2"}}), blocks));
    EXPECT_EQ(lastObject, 0);
    EXPECT_EQ(LineObjects(), std::set<int>{0});
    EXPECT_TRUE(HasVertexNear(120, 0));   // inner origin: 100 + 2 × 10
    EXPECT_TRUE(HasVertexNear(120, 10));  // inner (5, 0) turned up, scaled 2
    EXPECT_TRUE(HasVertexNear(100, 2));   // outer's own line
}

TEST_F(DxfReaderTest, ABlockThatInsertsItselfStopsAtTheNestingLimit) {
    Read(DxfFile(DxfInsert("A", 0, 0), DxfBlock("A", DxfLine(0, 0, 1, 0) + DxfInsert("A", 10, 0))));
    EXPECT_EQ(lines.Count(), TDxfReader::kMaxInsertDepth);
    EXPECT_DOUBLE_EQ(MaxX(), 10.0 * (TDxfReader::kMaxInsertDepth - 1) + 1);

    lines.ClearLines();
    vertices.ClearVertices();
    const DxfResult r = Read(DxfFile(
        DxfInsert("A", 0, 0), DxfBlock("A", DxfLine(0, 0, 1, 0) + DxfInsert("B", 10, 0) + DxfInsert("B", 0, 10)) +
                                  DxfBlock("B", DxfInsert("A", 1, 1) + DxfInsert("A", 2, 2))));
    EXPECT_GT(r.refusedInserts, 0);
    EXPECT_GT(lines.Count(), 0);
}

TEST_F(DxfReaderTest, HugeRowAndColumnCountsEndAtTheWorkLimit) {
    const DxfResult r =
        Read(DxfFile(DxfInsert("B", 0, 0, {{70, "2000000000"}, {71, "2000000000"}}) + DxfLine(5, 5, 6, 6),
                     DxfBlock("B", DxfLine(0, 0, 10, 0))));
    EXPECT_TRUE(r.workExhausted);
    EXPECT_EQ(lines.Count(), 1);
    EXPECT_GT(lines[0].multiplicity, 1000);
    EXPECT_FALSE(HasVertexNear(5, 5));  // the reading stopped there
}

TEST_F(DxfReaderTest, AMissingBlockDrawsNothingButIsAnObject) {
    Read(DxfFile(DxfInsert("NOPE", 0, 0) + DxfLine(0, 0, 1, 0), DxfBlock("B", DxfLine(0, 0, 10, 0))));
    EXPECT_EQ(lines.Count(), 1);
    EXPECT_EQ(lines[0].obj, 1);
}

TEST_F(DxfReaderTest, EachEntityIsOneObjectAndUnknownOnesAreSkipped) {
    Read(DxfFile(DxfLine(0, 0, 1, 0) + DxfGroups{{0, "TEXT"}, {10, "0"}, {20, "0"}, {1, "hello"}} +
                 DxfGroups{{0, "LINE "}, {10, "5"}, {20, "5"}, {11, "6"}, {21, "6"}} +
                 DxfGroups{{0, "line"}, {10, "5"}, {20, "5"}, {11, "6"}, {21, "6"}} +
                 DxfGroups{{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "2"}}));
    EXPECT_EQ(lastObject, 1);
    EXPECT_EQ(LineObjects(), (std::set<int>{0, 1}));
    EXPECT_FALSE(HasVertexNear(5, 5));
    for (const VertexRecord& v : vertices.Records()) EXPECT_EQ(v.obj, v.x == 1 && v.y == 0 ? 0 : v.obj);
}

TEST_F(DxfReaderTest, NonFiniteNumbersSkipTheEntity) {
    const DxfResult r = Read(
        DxfFile(DxfGroups{{0, "LINE"}, {10, "1e999"}, {20, "0"}, {11, "1"}, {21, "1"}} +
                    DxfGroups{{0, "CIRCLE"}, {10, "0"}, {20, "-1e400"}, {40, "3"}} +
                    DxfGroups{{0, "LWPOLYLINE"}, {90, "2"}, {10, "0"}, {20, "0"}, {42, "1e500"}, {10, "1"}, {20, "0"}} +
                    DxfGroups{{0, "INSERT"}, {2, "B"}, {10, "0"}, {20, "0"}, {44, "1e999"}} + DxfLine(0, 0, 7, 0),
                DxfBlock("B", DxfLine(0, 0, 1, 0))));
    EXPECT_EQ(r.rejectedEntities, 4);
    EXPECT_EQ(lines.Count(), 1);
    EXPECT_EQ(lastObject, 0);
}

TEST_F(DxfReaderTest, SegmentsThatOverflowAreDropped) {
    const DxfResult r = Read(DxfFile(DxfLine(0, 0, 1e308, 0)), [] {
        DxfSettings s = UnitSettings();
        s.skalaDxf = 10.0;
        return s;
    }());
    EXPECT_EQ(r.droppedSegments, 1);
    EXPECT_EQ(lines.Count(), 0);
}

TEST_F(DxfReaderTest, AbsurdSweepsAreRejected) {
    const DxfResult r =
        Read(DxfFile(DxfGroups{{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1000"}, {50, "0"}, {51, "1e12"}} +
                     DxfGroups{{0, "ELLIPSE"}, {11, "100"}, {40, "1"}, {41, "1e17"}, {42, "2e17"}}));
    EXPECT_EQ(r.rejectedEntities, 2);
    EXPECT_EQ(lines.Count(), 0);
}

TEST_F(DxfReaderTest, APolylineReadsNoMoreVerticesThanItsCount) {
    Read(DxfFile({{0, "LWPOLYLINE"},
                  {90, "2"},
                  {70, "1"},
                  {10, "0"},
                  {20, "0"},
                  {10, "10"},
                  {20, "0"},
                  {10, "10"},
                  {20, "10"}}));
    EXPECT_EQ(lines.Count(), 1);  // the closing side joins the same two vertices
    EXPECT_EQ(lines[0].multiplicity, 2);
    EXPECT_EQ(vertices.Count(), 2);
}

TEST_F(DxfReaderTest, APolylineWithoutSeqendEndsAtTheNextEntity) {
    Read(DxfFile({{0, "POLYLINE"},
                  {70, "0"},
                  {0, "VERTEX"},
                  {10, "0"},
                  {20, "0"},
                  {0, "VERTEX"},
                  {10, "10"},
                  {20, "0"},
                  {0, "LINE"},
                  {10, "50"},
                  {20, "50"},
                  {11, "60"},
                  {21, "50"},
                  {0, "VERTEX"},
                  {10, "99"},
                  {20, "99"}}));
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_FALSE(HasVertexNear(99, 99));
    EXPECT_EQ(lastObject, 1);
}

TEST_F(DxfReaderTest, WithoutAnEntitiesSectionTheScanRunsFromTheStartToTheFirstSectionEnd) {
    Read(DxfText(DxfLine(0, 0, 1, 0) + DxfLine(0, 0, 2, 0) + DxfGroups{{0, "ENDSEC"}} + DxfLine(0, 0, 3, 0)));
    // The group at index 0 starts the scan and is not itself an entity.
    EXPECT_EQ(lines.Count(), 1);
    EXPECT_DOUBLE_EQ(MaxX(), 2.0);
}

TEST_F(DxfReaderTest, CommasAreDecimalPoints) {
    Read(DxfFile({{0, "LINE"}, {10, "0,5"}, {20, "1,25"}, {11, "3"}, {21, "4"}}));
    EXPECT_TRUE(HasVertexNear(0.5, 1.25));
}

TEST_F(DxfReaderTest, FullTablesStopTheReadingWithoutStrayLines) {
    DxfGroups many;
    for (int i = 0; i < 26000; ++i) {
        const DxfGroups line = DxfLine(i, 0, i, 1);
        many.insert(many.end(), line.begin(), line.end());
    }
    const DxfResult r = Read(DxfFile(many));
    EXPECT_TRUE(r.tablesFull);
    // 24997 lines fill 49994 vertices; the next line's first end would be the last
    // vertex the table takes, with no room for its other end.
    EXPECT_EQ(vertices.Count(), TVert::kAddLimit);
    for (const LineRecord& l : lines.Records()) {
        EXPECT_EQ(vertices[l.p].x, vertices[l.k].x);  // every line is one of the vertical ones
        EXPECT_EQ(std::abs(vertices[l.p].y - vertices[l.k].y), 1.0);
    }
    EXPECT_EQ(lines.Count(), TVert::kAddLimit / 2);
}

TEST_F(DxfReaderTest, AFileThatCannotBeOpenedReadsNothing) {
    int last = -1;
    const DxfResult r = reader.ReadDxf(lines, "/nonexistent/drawing.dxf", UnitSettings(), last);
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(last, -1);
}

TEST_F(DxfReaderTest, ReadingTurnsDeduplicationOn) {
    vertices.SetDeduplication(false);
    lines.SetDeduplication(false);
    Read(DxfFile(DxfLine(0, 0, 1, 0) + DxfLine(1, 0, 0, 0)));
    EXPECT_EQ(vertices.Count(), 2);
    EXPECT_EQ(lines.Count(), 1);
}

}  // namespace
}  // namespace wirvela
