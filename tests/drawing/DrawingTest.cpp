#include <gtest/gtest.h>

#include <memory>

#include "drawing/Drawing.h"

namespace wirvela {
namespace {

class DrawingTest : public testing::Test {
 protected:
  std::unique_ptr<TDrawing> d = std::make_unique<TDrawing>();
};

TEST_F(DrawingTest, StartsWithFigureOneAndThreeEmptySets) {
  EXPECT_EQ(d->Figure(), 1);
  EXPECT_EQ(d->Oelems(), -1);
  EXPECT_EQ(d->OelemsS(), -1);
  EXPECT_EQ(d->Oelems1(), -1);
  EXPECT_EQ(d->Oelems2(), -1);
  EXPECT_EQ(&d->V(), &d->Set(1).V);
  EXPECT_EQ(&d->L().Vertices(), &d->V());
  EXPECT_EQ(d->CutPath(), nullptr);
  EXPECT_EQ(d->SimLines(), nullptr);
  EXPECT_FALSE(d->TwoFigures());
  for (int s = 0; s < 3; ++s) EXPECT_EQ(d->Set(s).V.Count() + d->Set(s).L.Count(), 0);
}

TEST_F(DrawingTest, SelectingBackRestoresTheStoredObjectNumberNotTheCurrentOne) {
  d->V().AddVertex(1, 1);
  d->Oelems1() = 4;
  d->Oelems2() = 9;
  EXPECT_EQ(d->SelectFigure(2), -1);  // the previous Oelems
  EXPECT_EQ(d->Oelems(), 9);
  EXPECT_EQ(d->V().Count(), 0);
  d->Oelems() = 20;  // not written back
  EXPECT_EQ(d->SelectFigure(1), 20);
  EXPECT_EQ(d->Oelems(), 4);
  EXPECT_EQ(d->Oelems2(), 9);
  EXPECT_EQ(d->V().Count(), 1);
}

TEST_F(DrawingTest, SelectFigureOutsideTheThreeSetsChangesNothing) {
  d->Oelems() = 3;
  EXPECT_EQ(d->SelectFigure(3), 3);
  EXPECT_EQ(d->SelectFigure(-1), 3);
  EXPECT_EQ(d->Figure(), 1);
  EXPECT_EQ(d->Oelems(), 3);
}

TEST_F(DrawingTest, TheCutPathBelongsToItsFigureAndTheSegmentSetHasNone) {
  d->Set(1).cutPath = std::make_unique<TLineList>(8);
  d->Set(0).cutPath = std::make_unique<TLineList>(8);  // never current
  TLineList* first = d->CutPath();
  ASSERT_NE(first, nullptr);
  d->SelectFigure(2);
  EXPECT_EQ(d->CutPath(), nullptr);
  d->SelectFigure(0);
  EXPECT_EQ(d->CutPath(), nullptr);
  EXPECT_EQ(d->SimLines(), nullptr);
  d->SelectFigure(1);
  EXPECT_EQ(d->CutPath(), first);
}

int destroyed = 0;
void CountDestruction(SimulationLines*) { ++destroyed; }

TEST_F(DrawingTest, SimulationLinesAreHeldPerFigureAndReleasedWithTheModel) {
  static int token = 0;
  auto* fake = reinterpret_cast<SimulationLines*>(&token);
  destroyed = 0;
  d->Set(2).simLines = SimulationLinesPtr(fake, SimulationLinesDeleter{&CountDestruction});
  EXPECT_EQ(d->SimLines(), nullptr);
  d->SelectFigure(2);
  EXPECT_EQ(d->SimLines(), fake);
  d.reset();
  EXPECT_EQ(destroyed, 1);
}

TEST_F(DrawingTest, SnapGridAndDeduplicationReachEverySet) {
  d->SetSnapGrid(0.0);
  d->SetDeduplication(false);
  for (int s = 0; s < 3; ++s) {
    TDrawingSet& set = d->Set(s);
    EXPECT_EQ(set.V.AddVertex(7.9, 7.9), 0) << s;
    EXPECT_EQ(set.V[0].x, 7.9) << s;
    EXPECT_EQ(set.V.AddVertex(7.9, 7.9), 1) << s;
    set.L.AddLine(0, 1);
    EXPECT_EQ(set.L.AddLine(1, 0), 1) << s;
  }
  d->SetSnapGrid(2.0);
  d->SetDeduplication(true);
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(d->Set(s).V.AddVertex(3.9, 0), 2) << s;
    EXPECT_EQ(d->Set(s).V[2].x, 2.0) << s;
    EXPECT_EQ(d->Set(s).L.AddLine(0, 1), 2) << s;
  }
  EXPECT_EQ(d->Settings().snapGrid, 2.0);
  EXPECT_TRUE(d->Settings().dedup);
}

TEST_F(DrawingTest, ClearTablesEmptiesOneSetOnly) {
  d->Set(1).V.AddVertex(1, 1);
  d->Set(2).V.AddVertex(1, 1);
  d->Set(1).oelems = 0;
  d->Set(1).ClearTables();
  EXPECT_EQ(d->Set(1).V.Count(), 0);
  EXPECT_EQ(d->Set(1).oelems, 0);
  EXPECT_EQ(d->Set(2).V.Count(), 1);
}

}  // namespace
}  // namespace wirvela
