#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "formats/DxfReader.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

// The drawing's tables as the program makes them: snap grid of one drawing unit.
struct Loaded {
    TVert vertices{1.0, true};
    TLines lines{vertices, true};
    int lastObject = -1;
    DxfResult result;
};

std::filesystem::path ExamplesDir() {
    return test::TestDataDir() / ".." / ".." / "examples";
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every vertex of a drawing made of closed contours ends an even number of distinct
// lines (a full circle's closing line counts once, whatever its multiplicity).
bool AllContoursClosed(const TLines& lines) {
    std::map<int, int> degree;
    for (const LineRecord& l : lines.Records()) ++degree[l.p], ++degree[l.k];
    for (const auto& [v, d] : degree)
        if (d % 2 != 0) return false;
    return true;
}

struct FixtureCase {
    const char* name;
    std::filesystem::path file;
    DxfSettings settings;
    int lastObject;
    int lines;
    int vertices;
    double minX, minY, maxX, maxY;
};

DxfSettings UnitScale() {
    DxfSettings s;
    s.skalaDxf = 1.0;
    s.skalaHpgl = 1.0;
    return s;
}

class DxfFixtureTest : public testing::TestWithParam<FixtureCase> {};

TEST_P(DxfFixtureTest, ReadsTheExpectedFigures) {
    const FixtureCase& c = GetParam();
    Loaded d;
    TDxfReader reader;
    d.result = reader.ReadDxf(d.lines, c.file, c.settings, d.lastObject);
    ASSERT_TRUE(d.result.opened) << c.file;
    EXPECT_EQ(d.lastObject, c.lastObject);
    EXPECT_EQ(d.lines.Count(), c.lines);
    EXPECT_EQ(d.vertices.Count(), c.vertices);
    EXPECT_DOUBLE_EQ(d.vertices.MinX(true), c.minX);
    EXPECT_DOUBLE_EQ(d.vertices.MinY(true), c.minY);
    EXPECT_DOUBLE_EQ(d.vertices.MaxX(true), c.maxX);
    EXPECT_DOUBLE_EQ(d.vertices.MaxY(true), c.maxY);
    EXPECT_TRUE(AllContoursClosed(d.lines));
    EXPECT_EQ(d.result.rejectedEntities, 0);
    EXPECT_EQ(d.result.refusedInserts, 0);
}

// Square of four lines and a circle of radius 30 (13 segments at a tolerance of 1).
// The mounting plate, in millimetres at 40 drawing units per millimetre ($LTSCALE 0.01)
// with a tolerance of one millimetre: outer contour 4 sides + 4 corner arcs of 2
// segments; 6 holes of 6 segments (two nested block levels, 3 columns × 2 rows); a slot
// of 2 sides + 2 half circles of 4 segments; a notch of 3 lines and an arc of 4
// segments; an ellipse of 8 segments; a star of 10 sides. Nine objects, 83 lines.
INSTANTIATE_TEST_SUITE_P(Files, DxfFixtureTest,
                         testing::Values(FixtureCase{"SquareAndCircle", test::TestDataDir() / "dxf_square_circle.dxf",
                                                     UnitScale(), 4, 17, 17, 0, 0, 100, 100},
                                         FixtureCase{"MountingPlate", ExamplesDir() / "mounting_plate.dxf",
                                                     DxfSettings{}, 8, 83, 83, 0, 0, 9600, 6400}),
                         [](const testing::TestParamInfo<FixtureCase>& info) { return std::string(info.param.name); });

// A file cut anywhere reads at most the objects and lines of the whole drawing.
TEST(DxfDamagedFileTest, ATruncatedFileReadsAtMostTheWholeDrawing) {
    const std::string full = ReadAll(ExamplesDir() / "mounting_plate.dxf");
    ASSERT_FALSE(full.empty());
    for (std::size_t cut = 0; cut <= full.size(); cut += 331) {
        Loaded d;
        TDxfReader reader;
        reader.ReadDxfText(d.lines, full.substr(0, cut), DxfSettings{}, d.lastObject);
        EXPECT_LE(d.lines.Count(), 83) << cut;
        EXPECT_LE(d.lastObject, 8) << cut;
    }
}

TEST(DxfDamagedFileTest, ABinaryDxfReadsNothing) {
    std::string binary("AutoCAD Binary DXF\r\n\x1a\0", 22);
    for (int i = 0; i < 4000; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xff));
    Loaded d;
    TDxfReader reader;
    d.result = reader.ReadDxfText(d.lines, binary, DxfSettings{}, d.lastObject);
    EXPECT_TRUE(d.result.opened);
    EXPECT_EQ(d.lines.Count(), 0);
    EXPECT_EQ(d.lastObject, -1);
}

}  // namespace
}  // namespace wirvela
