#include <gtest/gtest.h>

#include <vector>

#include "drawing/LineList.h"

namespace wirvela {
namespace {

std::vector<int> LineIndices(const TLineList& list) {
  std::vector<int> out;
  for (int i = 0; i < list.Capacity() + TLineList::kSpare; ++i) out.push_back(list[i].line);
  return out;
}

TEST(LineList, ANewListIsEmptyAndFree) {
  TLineList list(3);
  EXPECT_EQ(list.LastIndex(), -1);
  EXPECT_EQ(LineIndices(list), std::vector<int>(13, -1));
  EXPECT_EQ(list[0].dir, 0.0);
  EXPECT_EQ(TLineList(-5).Capacity(), 0);
}

TEST(LineList, AppendAndRemoveLastMoveTheLastIndex) {
  TLineList list(10);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(list.Append(i, 1.0, 2), 0);
  EXPECT_EQ(list.LastIndex(), 2);
  list.RemoveLast();
  EXPECT_EQ(list.LastIndex(), 1);
  EXPECT_EQ(list[2].line, -1);
  EXPECT_EQ(list[2].kind, 0);
}

TEST(LineList, AppendOnAFullListChangesNothing) {
  TLineList list(2);
  list.Append(4, 1.0, 2);
  list.Append(5, -1.0, 2);
  EXPECT_EQ(list.Append(6, 1.0, 2), 1);
  EXPECT_EQ(list.LastIndex(), 1);
  EXPECT_EQ(list[2].line, -1);  // the spare entries stay free
  EXPECT_EQ(TLineList(0).Append(1, 1.0, 2), 1);
}

TEST(LineList, InsertAtShiftsUpAndLosesTheLastEntry) {
  TLineList list(4);
  for (int i : {10, 11, 12, 13}) list.Append(i, 1.0, 2);
  ASSERT_EQ(list.InsertAt(1, LineListEntry{99, -1.0, 2, 0.0, 0}), 0);
  EXPECT_EQ(LineIndices(list), (std::vector<int>{10, 99, 11, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
  EXPECT_EQ(list[1].dir, -1.0);
  EXPECT_EQ(list.LastIndex(), 3);
  EXPECT_EQ(list.InsertAt(4, LineListEntry{1}), 1);
  EXPECT_EQ(list.InsertAt(-1, LineListEntry{1}), 1);
}

TEST(LineList, RemoveAtShiftsDownThroughTheFirstFreeEntry) {
  TLineList list(5);
  for (int i : {10, 11, 12}) list.Append(i, 1.0, 2);
  ASSERT_EQ(list.RemoveAt(0), 0);
  EXPECT_EQ(LineIndices(list), (std::vector<int>{11, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
  EXPECT_EQ(list.LastIndex(), 1);
  EXPECT_EQ(list.RemoveAt(5), 1);
}

TEST(LineList, RemoveAtOnAFullListFreesTheLastEntry) {
  TLineList list(3);
  for (int i : {10, 11, 12}) list.Append(i, 1.0, 2);
  list.RemoveAt(1);
  EXPECT_EQ(LineIndices(list)[0], 10);
  EXPECT_EQ(LineIndices(list)[1], 12);
  EXPECT_EQ(LineIndices(list)[2], -1);
  EXPECT_EQ(list.LastIndex(), 1);
}

TEST(LineList, TheFirstFreeEntryEndsTheList) {
  TLineList list(6);
  list.Append(10, 1.0, 2);
  list.InsertAt(3, LineListEntry{30, 1.0, 2, 0.0, 0});  // beyond the end: a gap stays
  EXPECT_EQ(list.LastIndex(), 0);
  list.Append(11, 1.0, 2);
  EXPECT_EQ(list.LastIndex(), 1);
  list.Append(12, 1.0, 2);  // closes the gap: entry 3 now belongs to the list
  EXPECT_EQ(list.LastIndex(), 3);
  list.SetEntry(1, LineListEntry{});
  EXPECT_EQ(list.LastIndex(), 0);
  list.Clear();
  EXPECT_EQ(list.LastIndex(), -1);
  EXPECT_EQ(LineIndices(list), std::vector<int>(16, -1));
}

class PathLines : public testing::Test {
 protected:
  PathLines() {
    lines.AddLine(3, 7);
    path.Append(0, 1.0, 2);
    path.Append(0, -1.0, 2);
    path.Append(5, 1.0, 2);  // no such line
  }
  TVert vertices;
  TLines lines{vertices};
  TLineList path{10};
};

TEST_F(PathLines, EntriesRunBackwardsSwapTheEnds) {
  LineLookup forward = path.GetPathLine(0, lines);
  LineLookup backward = path.GetPathLine(1, lines);
  ASSERT_TRUE(forward.found && backward.found);
  EXPECT_EQ(forward.line.p, 3);
  EXPECT_EQ(forward.line.k, 7);
  EXPECT_EQ(backward.line.p, 7);
  EXPECT_EQ(backward.line.k, 3);
  EXPECT_EQ(path.PathStart(1, lines), 7);
  EXPECT_EQ(path.PathEnd(1, lines), 3);
  EXPECT_EQ(path.PathStart(0, lines), 3);
  EXPECT_EQ(path.PathEnd(0, lines), 7);
}

TEST_F(PathLines, FreeEntriesAndMissingLinesFindNothing) {
  for (int i : {2, 3, -1, 10, 12}) {
    EXPECT_FALSE(path.GetPathLine(i, lines).found) << i;
    EXPECT_EQ(path.PathStart(i, lines), -1) << i;
    EXPECT_EQ(path.PathEnd(i, lines), -1) << i;
  }
}

TEST_F(PathLines, WorkingFieldsAreEditableInPlace) {
  LineListFields f = path.Edit(0);
  f.seg = 2.5;
  f.nDel = 3;
  EXPECT_EQ(path[0].seg, 2.5);
  EXPECT_EQ(path[0].nDel, 3);
  EXPECT_EQ(path[0].line, 0);
}

}  // namespace
}  // namespace wirvela
