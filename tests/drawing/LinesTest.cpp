#include <gtest/gtest.h>

#include <limits>

#include "drawing/Lines.h"

namespace wirvela {
namespace {

class LinesTest : public testing::Test {
 protected:
  TVert vertices;
  TLines lines{vertices};
};

TEST_F(LinesTest, AReversedRepeatRaisesTheMultiplicityOfTheFirstLine) {
  EXPECT_EQ(lines.AddLine(LineRecord{.p = 5, .k = 3, .obj = 7, .kind = 1, .pen = 2}), 1);
  EXPECT_EQ(lines.AddLine(LineRecord{.p = 3, .k = 5, .obj = 9, .kind = 2, .pen = 4}), 2);
  ASSERT_EQ(lines.Count(), 1);
  const LineRecord& l = lines[0];
  EXPECT_EQ(l.multiplicity, 2);
  EXPECT_EQ(l.p, 5);
  EXPECT_EQ(l.k, 3);
  EXPECT_EQ(l.obj, 7);
  EXPECT_EQ(l.pen, 2);
}

TEST_F(LinesTest, ADegenerateLineIsNotAdded) {
  EXPECT_EQ(lines.AddLine(4, 4), 0);
  EXPECT_EQ(lines.Count(), 0);
  EXPECT_EQ(lines.FindLine(4, 4).index, -1);
}

TEST_F(LinesTest, EndsThatAreNoVertexIndexAreRefused) {
  EXPECT_EQ(lines.AddLine(-1, 3), 0);
  EXPECT_EQ(lines.AddLine(0, TVert::kCapacity), 0);
  EXPECT_EQ(lines.Count(), 0);
  lines.AddLine(0, 1);
  EXPECT_FALSE(lines.SetEnds(0, 2, -7));
  EXPECT_EQ(lines[0].k, 1);
}

TEST_F(LinesTest, AddedLinesStartFromACleanRecord) {
  LineRecord in;
  in.p = 1;
  in.k = 2;
  in.multiplicity = 40;  // ignored
  in.spare[3] = 11;
  EXPECT_EQ(lines.AddLine(in), 1);
  EXPECT_EQ(lines[0].multiplicity, 1);
  EXPECT_EQ(lines[0].spare[3], 11);
  EXPECT_EQ(lines.AddLine(2, 3, 1), 1);
  const LineRecord& l = lines[1];
  EXPECT_TRUE(l.kind == 1 && l.pen == 1 && l.obj == 0 && l.display == 0 && l.kind2 == 0 && l.multiplicity == 1);
}

TEST_F(LinesTest, AFullTableAddsNothing) {
  int added = 0;
  for (int d = 1; added <= TLines::kAddLimit; ++d)
    for (int i = 0; i + d < TVert::kCapacity && added <= TLines::kAddLimit; ++i, ++added)
      ASSERT_EQ(lines.AddLine(i, i + d), 1);
  ASSERT_EQ(lines.Count(), 99995);
  EXPECT_EQ(lines.AddLine(0, 10), 0);
  EXPECT_EQ(lines.AddLine(0, 1), 0);  // the limit comes before the repeat check
  EXPECT_EQ(lines[0].multiplicity, 1);
  const LineRef ref = lines.AddLineGetIndex(0, 1);
  EXPECT_EQ(ref.index, 0);
  EXPECT_EQ(ref.direction, 0);
}

TEST_F(LinesTest, AddLineGetIndexGivesTheLineAndHowItIsStored) {
  lines.AddLine(0, 1);
  LineRef r = lines.AddLineGetIndex(2, 3, 2, 1);
  EXPECT_EQ(r.index, 1);
  EXPECT_EQ(r.direction, 1);
  r = lines.AddLineGetIndex(3, 2);
  EXPECT_EQ(r.index, 1);
  EXPECT_EQ(r.direction, -1);
  EXPECT_EQ(lines[1].multiplicity, 2);
  r = lines.AddLineGetIndex(6, 6);
  EXPECT_EQ(r.index, 0);
  EXPECT_EQ(r.direction, 0);
}

TEST_F(LinesTest, FindLineAnswersTheDirectionOfTheStoredLine) {
  lines.AddLine(1, 2);
  lines.AddLine(2, 3);
  EXPECT_EQ(lines.FindLine(2, 3).index, 1);
  EXPECT_EQ(lines.FindLine(2, 3).direction, 1);
  EXPECT_EQ(lines.FindLine(3, 2).direction, -1);
  EXPECT_EQ(lines.FindLine(1, 3).index, -1);
  EXPECT_EQ(lines.FindLine(1, 3).direction, 0);
}

TEST_F(LinesTest, GetLineBeyondTheCountFindsNothing) {
  lines.AddLine(LineRecord{.p = 1, .k = 2, .pen = 3});
  LineLookup got = lines.GetLine(0);
  EXPECT_TRUE(got.found);
  EXPECT_EQ(got.line.pen, 3);
  for (int i : {1, -1, TLines::kCapacity}) {
    got = lines.GetLine(i);
    EXPECT_FALSE(got.found) << i;
    EXPECT_EQ(got.line.p, 0);
    EXPECT_EQ(got.line.k, 0);
    EXPECT_EQ(got.line.pen, 1);
  }
}

TEST_F(LinesTest, WithoutDeduplicationFindAnswersTheFirstDuplicateThroughEveryChange) {
  lines.SetDeduplication(false);
  lines.AddLine(1, 2);  // 0
  lines.AddLine(2, 1);  // 1
  lines.AddLine(5, 6);  // 2
  lines.AddLine(1, 2);  // 3
  EXPECT_EQ(lines.FindLine(1, 2).index, 0);
  ASSERT_TRUE(lines.SetEnds(0, 7, 8));
  EXPECT_EQ(lines.FindLine(1, 2).index, 1);
  EXPECT_EQ(lines.FindLine(1, 2).direction, -1);
  ASSERT_TRUE(lines.RemoveBySwap(1));  // line 3 (1-2) moves into slot 1
  EXPECT_EQ(lines.FindLine(1, 2).index, 1);
  EXPECT_EQ(lines.FindLine(1, 2).direction, 1);
  lines.Truncate(1);
  EXPECT_EQ(lines.FindLine(1, 2).index, -1);
  EXPECT_EQ(lines.FindLine(8, 7).index, 0);
}

TEST_F(LinesTest, RemoveBySwapMovesTheLastLineAndLowersTheCount) {
  for (int i = 0; i < 4; ++i) lines.AddLine(LineRecord{.p = i, .k = i + 10, .obj = i});
  ASSERT_TRUE(lines.RemoveBySwap(1));
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines[1].obj, 3);
  EXPECT_EQ(lines.FindLine(3, 13).index, 1);
  EXPECT_EQ(lines.FindLine(1, 11).index, -1);
  ASSERT_TRUE(lines.RemoveBySwap(2));
  EXPECT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.FindLine(2, 12).index, -1);
  EXPECT_FALSE(lines.RemoveBySwap(2));
}

TEST_F(LinesTest, TheMultiplicityStopsAtItsLargestValue) {
  lines.AddLine(1, 2);
  lines.Edit(0).multiplicity = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(lines.AddLine(1, 2), 2);
  EXPECT_EQ(lines[0].multiplicity, std::numeric_limits<std::int32_t>::max());
}

bool IsCleared(const LineRecord& l) {
  const LineRecord c{};
  return l.p == c.p && l.k == c.k && l.multiplicity == c.multiplicity && l.display == c.display &&
         l.obj == c.obj && l.kind == c.kind && l.kind2 == c.kind2 && l.spare == c.spare && l.pen == c.pen;
}

// Clearing must reach every record that was written since the last clearing: lines
// still counted, lines cut off by Truncate and records changed beyond the count. Both
// a lightly and a well filled table, twice in a row.
class LinesClearTest : public LinesTest, public testing::WithParamInterface<int> {};

TEST_P(LinesClearTest, ClearLinesClearsEveryRecordWrittenBefore) {
  const int n = GetParam();
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(lines.AddLine(LineRecord{.p = i, .k = i + 1, .obj = 5, .kind = 1, .pen = 3}), 1);
    }
    lines.Edit(n + 10).obj = 8;
    lines.Edit(TLines::kCapacity - 1).pen = 9;
    lines.Truncate(n / 2);
    lines.ClearLines();
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(lines.FindLine(0, 1).index, -1);
    EXPECT_EQ(lines.FindLine(n - 1, n).index, -1);
    for (int i : {0, n / 2, n - 1, n + 10, TLines::kCapacity - 1}) EXPECT_TRUE(IsCleared(lines[i])) << i;
    EXPECT_EQ(lines.AddLine(n - 1, n), 1) << "the index forgot the cleared lines";
    EXPECT_EQ(lines[0].multiplicity, 1);
    lines.ClearLines();
  }
  EXPECT_EQ(&lines.Vertices(), &vertices);
}

INSTANTIATE_TEST_SUITE_P(FewAndMany, LinesClearTest, testing::Values(3, 9000));

}  // namespace
}  // namespace wirvela
