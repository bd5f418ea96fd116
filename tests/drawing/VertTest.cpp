#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "drawing/Vert.h"

namespace wirvela {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct SnapCase {
  double grid;
  double in;
  double out;
};

class SnapToGridTable : public testing::TestWithParam<SnapCase> {};

TEST_P(SnapToGridTable, TruncatesTowardZeroAndStoresTheSnappedValue) {
  const SnapCase c = GetParam();
  EXPECT_EQ(SnapToGrid(c.in, c.grid), c.out);
  TVert table(c.grid);
  const int i = table.AddVertex(c.in, -c.in);
  EXPECT_EQ(table[i].x, c.out);
  EXPECT_EQ(table[i].y, -c.out);
}

INSTANTIATE_TEST_SUITE_P(Cases, SnapToGridTable,
                         testing::Values(SnapCase{1.0, 7.9, 7.0}, SnapCase{1.0, -7.9, -7.0}, SnapCase{1.0, 7.0, 7.0},
                                         SnapCase{1.0, 0.999, 0.0}, SnapCase{0.5, 1.26, 1.0},
                                         SnapCase{0.5, -1.26, -1.0}, SnapCase{40.0, 119.0, 80.0},
                                         SnapCase{0.0, 7.9, 7.9}, SnapCase{0.0, -1e-300, -1e-300},
                                         // a grid that is not finite (scale 0) does not snap
                                         SnapCase{kInf, 7.9, 7.9}, SnapCase{kNaN, 7.9, 7.9},
                                         // a negative grid snaps like its size
                                         SnapCase{-1.0, 7.9, 7.0}));

TEST(Vert, SnappedPointsOfOneGridCellShareOneVertex) {
  TVert table(1.0);
  const int first = table.AddVertex(7.9, -7.9);
  EXPECT_EQ(table[first].x, 7.0);
  EXPECT_EQ(table[first].y, -7.0);
  EXPECT_EQ(table.AddVertex(7.2, -7.4), first);
  EXPECT_EQ(table.Count(), 1);
}

TEST(Vert, WithoutGridOnlyExactDuplicatesMerge) {
  TVert table(0.0);
  EXPECT_EQ(table.AddVertex(1.5, 2.5), 0);
  EXPECT_EQ(table.AddVertex(1.5, 2.5), 0);
  EXPECT_EQ(table.AddVertex(std::nextafter(1.5, 2.0), 2.5), 1);
  EXPECT_EQ(table[1].x, std::nextafter(1.5, 2.0));
}

TEST(Vert, AReusedVertexKeepsItsFields) {
  TVert table;
  const int i = table.AddVertex(3, 4, 2, 10000, 1, 9, 17);
  EXPECT_EQ(table.AddVertex(3, 4, 0, 5, 0, 0, -1), i);
  const VertexRecord& v = table[i];
  EXPECT_EQ(v.mark, 2);
  EXPECT_EQ(v.obj, 10000);
  EXPECT_EQ(v.noExtents, 1);
  EXPECT_EQ(v.aux, 9);
  EXPECT_EQ(v.segLink, 17);
}

bool IsCleared(const VertexRecord& v) {
  return v.x == 0 && v.y == 0 && v.mark == 0 && v.obj == 0 && v.noExtents == 0 && v.aux == 0 && v.segLink == -1;
}

// Clearing must reach every record written since the last clearing: vertices still
// counted, vertices cut off by Truncate and records changed beyond the count. A lightly
// and a well filled table (NaN places among them, which are not indexed), twice in a row.
class VertClearTest : public testing::TestWithParam<int> {};

TEST_P(VertClearTest, NewAndClearedRecordsHoldTheClearedValues) {
  const int n = GetParam();
  TVert table;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < n; ++i) table.AddVertex(i, i, 1, 2, 1, 3, 4);
    table.AddVertex(kNaN, 1.0, 1);
    table.Edit(n + 10).aux = 8;
    table.Edit(TVert::kCapacity - 1).segLink = 9;
    table.Truncate(n / 2);
    table.ClearVertices();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.FindVertex(1, 1), -1);
    EXPECT_EQ(table.FindVertex(n - 1, n - 1), -1);
    for (int i : {0, 2, n / 2, n, n + 10, TVert::kCapacity - 1}) EXPECT_TRUE(IsCleared(table[i])) << i;
    const int added = table.AddVertex(n - 1, n - 1);
    EXPECT_EQ(added, 0) << "the index forgot the cleared vertices";
    EXPECT_EQ(table[added].segLink, -1);
    EXPECT_EQ(table[added].mark, 0);
    table.ClearVertices();
  }
}

INSTANTIATE_TEST_SUITE_P(FewAndMany, VertClearTest, testing::Values(3, 4000));

TEST(Vert, WithoutDeduplicationTheSamePointGivesTwoVerticesAndFindAnswersTheFirst) {
  TVert table;
  table.SetDeduplication(false);
  EXPECT_EQ(table.AddVertex(2, 2), 0);
  EXPECT_EQ(table.AddVertex(2, 2), 1);
  EXPECT_EQ(table.FindVertex(2, 2), 0);
  ASSERT_TRUE(table.SetPosition(0, 9, 9));
  EXPECT_EQ(table.FindVertex(2, 2), 1);
  table.Truncate(1);
  EXPECT_EQ(table.FindVertex(2, 2), -1);
  EXPECT_EQ(table.FindVertex(9, 9), 0);
}

TEST(Vert, NegativeZeroEqualsZeroAndNaNMatchesNothing) {
  TVert table(0.0);
  EXPECT_EQ(table.AddVertex(0.0, -0.0), 0);
  EXPECT_EQ(table.AddVertex(-0.0, 0.0), 0);
  EXPECT_EQ(table.FindVertex(-0.0, -0.0), 0);
  EXPECT_EQ(table.AddVertex(kNaN, 1.0), 1);
  EXPECT_EQ(table.AddVertex(kNaN, 1.0), 2);
  EXPECT_EQ(table.FindVertex(kNaN, 1.0), -1);
}

TEST(Vert, AFullTableStoresNothingAndAnswersZero) {
  TVert table;
  for (int i = 0; i <= TVert::kAddLimit; ++i) ASSERT_EQ(table.AddVertex(i % 300, i / 300), i);
  ASSERT_EQ(table.Count(), 49995);
  EXPECT_EQ(table.AddVertex(-5, -5), 0);
  EXPECT_EQ(table.Count(), 49995);
  EXPECT_EQ(table.FindVertex(-5, -5), -1);
  // Even a place that exists: the limit is checked first.
  EXPECT_EQ(table.AddVertex(7, 1), 0);
  table.Truncate(TVert::kAddLimit);
  EXPECT_EQ(table.AddVertex(-5, -5), TVert::kAddLimit);
}

TEST(Vert, EditChangesOtherFieldsWithoutMovingTheVertex) {
  TVert table;
  const int i = table.AddVertex(1, 2);
  VertexFields f = table.Edit(i);
  f.obj = 42;
  f.mark = 16;
  EXPECT_EQ(table[i].obj, 42);
  EXPECT_EQ(table[i].mark, 16);
  EXPECT_EQ(table.FindVertex(1, 2), i);
}

TEST(Vert, DirectChangesOutsideTheTableChangeNothing) {
  TVert table;
  table.AddVertex(1, 1);
  EXPECT_FALSE(table.SetPosition(1, 5, 5));
  EXPECT_FALSE(table.SetPosition(-1, 5, 5));
  EXPECT_FALSE(table.SetRecord(3, VertexRecord{}));
  table.Truncate(-4);
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.FindVertex(1, 1), -1);
}

// Bounding boxes ----------------------------------------------------------------

struct Box {
  double maxX, maxY, minX, minY;
};

void ExpectBox(const TVert& t, bool includeExcluded, Box want) {
  EXPECT_EQ(t.MaxX(includeExcluded), want.maxX);
  EXPECT_EQ(t.MaxY(includeExcluded), want.maxY);
  EXPECT_EQ(t.MinX(includeExcluded), want.minX);
  EXPECT_EQ(t.MinY(includeExcluded), want.minY);
}

TEST(VertExtents, TheEntryVertexCountsOnlyWhenExcludedOnesAreIncluded) {
  TVert table;
  table.AddVertex(10, 20);
  table.AddVertex(30, 5);
  table.AddVertex(-100, 500, 2, 10000, 1);  // entry vertex
  ExpectBox(table, false, {30, 20, 10, 5});
  ExpectBox(table, true, {30, 500, -100, 5});
}

TEST(VertExtents, StartFromVertexZeroEvenWhenItIsExcluded) {
  TVert table;
  table.AddVertex(100, -100, 0, 0, 1);
  table.AddVertex(50, 50);
  ExpectBox(table, false, {100, 50, 50, -100});
}

TEST(VertExtents, StrictComparisonKeepsTheFirstExtreme) {
  TVert table(0.0);
  table.SetDeduplication(false);
  table.AddVertex(-0.0, -0.0);
  table.AddVertex(0.0, 0.0);
  EXPECT_TRUE(std::signbit(table.MaxX(true)));
  EXPECT_TRUE(std::signbit(table.MinY(true)));
}

TEST(VertExtents, AnEmptyTableAnswersVertexZerosStoredValue) {
  TVert table;
  ExpectBox(table, true, {0, 0, 0, 0});
  table.AddVertex(3, 4);
  table.AddVertex(8, 9);
  table.Truncate(0);
  ExpectBox(table, false, {3, 4, 3, 4});
}

TEST(Vert, TransformPositionsMovesEveryVertexAndTheIndexFollows) {
  TVert table;
  table.AddVertex(1, 2);
  table.AddVertex(3, 4);
  table.TransformPositions([](double& x, double& y) {
    const double oldX = x;
    x = -y;
    y = oldX;
  });
  EXPECT_EQ(table.FindVertex(-2, 1), 0);
  EXPECT_EQ(table.FindVertex(-4, 3), 1);
  EXPECT_EQ(table.FindVertex(1, 2), -1);
}

}  // namespace
}  // namespace wirvela
