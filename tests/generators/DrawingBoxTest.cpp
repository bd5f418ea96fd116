#include "generators/DrawingBox.h"

#include <gtest/gtest.h>

#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace wirvela {
namespace {

struct Table {
    TVert v{0.0, true};
    TLines l{v, true};
    void Line(double x1, double y1, double x2, double y2) { l.AddLine(v.AddVertex(x1, y1), v.AddVertex(x2, y2), 1); }
};

TEST(DrawingBox, TheEntryLineIsLeftOutAndTruncationGoesTowardZero) {
    Table t;
    t.Line(-10.7, 2.9, 30.2, 40.8);
    t.Line(-500, -500, 0, 0);  // the entry line
    const DrawingBox exact = BoxWithoutEntryLine(t.l, BoxRounding::Exact);
    EXPECT_DOUBLE_EQ(exact.minX, -10.7);
    EXPECT_DOUBLE_EQ(exact.maxY, 40.8);
    const DrawingBox cut = BoxWithoutEntryLine(t.l, BoxRounding::TruncateToward0);
    EXPECT_EQ(cut.minX, -10.0);
    EXPECT_EQ(cut.minY, 2.0);
    EXPECT_EQ(cut.maxX, 30.0);
    EXPECT_EQ(cut.maxY, 40.0);
}

TEST(DrawingBox, OnlyAnEntryLineLeavesTheStartingValues) {
    Table t;
    t.Line(1, 1, 2, 2);
    const DrawingBox box = BoxWithoutEntryLine(t.l, BoxRounding::Exact);
    EXPECT_TRUE(box.Empty());
    EXPECT_EQ(box.minX, 200000.0);
    EXPECT_EQ(box.maxY, -200000.0);
}

}  // namespace
}  // namespace wirvela
