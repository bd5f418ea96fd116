// The scale dialog and the scaled copy of figure 1 that becomes figure 2.
#include "app/windows/ScaleDialogModel.h"

#include <gtest/gtest.h>

#include <memory>

#include "drawing/Drawing.h"

namespace wirvela {
namespace {

TEST(ScaleDialogModelTest, EditDefaultsToOneHundredPercent) {
    ScaleDialogModel m;
    EXPECT_EQ(m.Edit1(), "100");
    EXPECT_DOUBLE_EQ(m.Scale(), 1.0);
    m.SetEdit1("50,5");
    EXPECT_DOUBLE_EQ(m.Scale(), 0.505);
    m.SetEdit1("abc");
    EXPECT_DOUBLE_EQ(m.Scale(), 0.0);
}

struct AnchorCase {
    const char* button;
    int a, b;
    double ox, oy;  // for k = 0.5 on a 4000 × 2000 box
};

class ScaleAnchorTest : public testing::TestWithParam<AnchorCase> {};

TEST_P(ScaleAnchorTest, ButtonSetsTheAnchorAndTheOffsetFollows) {
    const AnchorCase& c = GetParam();
    ScaleDialogModel m;
    m.Show();
    EXPECT_EQ(m.ClickButton(c.button), ModalResult::Ok);
    EXPECT_FALSE(m.Visible());
    EXPECT_EQ(m.AnchorX(), c.a);
    EXPECT_EQ(m.AnchorY(), c.b);

    TDrawing d;
    TDrawingSet& one = d.Set(TDrawing::kFigure1);
    one.L.AddLine(one.V.AddVertex(0, 0), one.V.AddVertex(4000, 2000), 1);
    const ScaledFigureOffsets o = ScaleFigure2(d, 0.5, m.AnchorX(), m.AnchorY(), 100);
    EXPECT_DOUBLE_EQ(o.x, c.ox);
    EXPECT_DOUBLE_EQ(o.y, c.oy);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ScaleAnchorTest,
                         testing::Values(AnchorCase{"Button1", 1, 1, 0, 1000}, AnchorCase{"Button3", 2, 1, 1000, 1000},
                                         AnchorCase{"Button2", 3, 1, 2000, 1000}, AnchorCase{"Button4", 1, 2, 0, 500},
                                         AnchorCase{"Button5", 2, 2, 1000, 500}, AnchorCase{"Button6", 3, 2, 2000, 500},
                                         AnchorCase{"Button7", 1, 3, 0, 0}, AnchorCase{"Button8", 2, 3, 1000, 0},
                                         AnchorCase{"Button9", 3, 3, 2000, 0}),
                         [](const auto& info) { return std::string(info.param.button); });

TEST(ScaleDialogModelTest, OtherButtonsAndCancelGiveNoAnchor) {
    ScaleDialogModel m;
    m.Show();
    EXPECT_EQ(m.ClickButton("Button10"), ModalResult::None);
    EXPECT_TRUE(m.Visible());
    EXPECT_EQ(m.Cancel(), ModalResult::Cancel);
    EXPECT_EQ(m.Result(), ModalResult::Cancel);
}

class ScaleFigure2Test : public testing::Test {
protected:
    void SetUp() override {
        // A 4000 × 2000 rectangle, one object, its entry vertex (excluded from the box) far
        // outside, and a cut path.
        TDrawingSet& one = d.Set(TDrawing::kFigure1);
        const int a = one.V.AddVertex(0, 0);
        const int b = one.V.AddVertex(4000, 0);
        const int c = one.V.AddVertex(4000, 2000);
        const int e = one.V.AddVertex(0, 2000);
        one.L.AddLine(a, b, 1);
        one.L.AddLine(b, c, 1);
        one.L.AddLine(c, e, 1);
        one.L.AddLine(e, a, 1);
        one.L.AddLine(a, b, 1);  // added twice: multiplicity 2
        const int entry = one.V.AddVertex(-3000, -3000, 2, 10000, 1);
        one.L.AddLine(entry, a, 2);
        one.cutPath = std::make_unique<TLineList>(20);
        for (int i = 0; i < 4; ++i) one.cutPath->Append(i, 1, 2);
        d.Oelems1() = 0;
        // Figure 2 held something before.
        TDrawingSet& two = d.Set(TDrawing::kFigure2);
        two.V.AddVertex(1, 1);
        two.V.AddVertex(2, 2);
        two.V.AddVertex(3, 3);
        two.oelems = 5;
    }
    TDrawing d;
};

TEST_F(ScaleFigure2Test, HalfScaleCentreMiddle) {
    const ScaledFigureOffsets o = ScaleFigure2(d, 0.5, 2, 2, 100);
    const TVert& v2 = d.Set(TDrawing::kFigure2).V;
    EXPECT_EQ(v2.MinX(false), 0);
    EXPECT_EQ(v2.MaxX(false), 2000);
    EXPECT_EQ(v2.MinY(false), 0);
    EXPECT_EQ(v2.MaxY(false), 1000);
    EXPECT_DOUBLE_EQ(o.x, 1000);
    EXPECT_DOUBLE_EQ(o.y, 500);
    EXPECT_EQ(o.xMm, "25.00");  // SkalaHPGL 0.025, 100 %
    EXPECT_EQ(o.yMm, "12.50");
    EXPECT_EQ(d.Figure(), TDrawing::kFigure1);
}

TEST_F(ScaleFigure2Test, CopiesRecordByRecord) {
    ScaleFigure2(d, 0.5, 1, 3, 100);
    const TDrawingSet& one = d.Set(TDrawing::kFigure1);
    const TDrawingSet& two = d.Set(TDrawing::kFigure2);
    ASSERT_EQ(two.V.Count(), one.V.Count());
    ASSERT_EQ(two.L.Count(), one.L.Count());
    for (int i = 0; i < one.V.Count(); ++i) {
        EXPECT_DOUBLE_EQ(two.V[i].x, one.V[i].x * 0.5);
        EXPECT_DOUBLE_EQ(two.V[i].y, one.V[i].y * 0.5);
        EXPECT_EQ(two.V[i].obj, one.V[i].obj);
        EXPECT_EQ(two.V[i].noExtents, one.V[i].noExtents);
    }
    for (int i = 0; i < one.L.Count(); ++i) {
        EXPECT_EQ(two.L[i].p, one.L[i].p);
        EXPECT_EQ(two.L[i].k, one.L[i].k);
        EXPECT_EQ(two.L[i].multiplicity, one.L[i].multiplicity);
        EXPECT_EQ(two.L[i].kind, one.L[i].kind);
    }
    EXPECT_EQ(two.L[0].multiplicity, 2);
    EXPECT_EQ(two.oelems, 0);
    ASSERT_NE(two.cutPath, nullptr);
    EXPECT_EQ(two.cutPath->Capacity(), 20);
    EXPECT_EQ(two.cutPath->Length(), 4);
    EXPECT_EQ((*two.cutPath)[3].line, 3);
}

TEST_F(ScaleFigure2Test, WithoutACutPathFigureTwoHasNone) {
    d.Set(TDrawing::kFigure2).cutPath = std::make_unique<TLineList>(3);
    d.Set(TDrawing::kFigure1).cutPath.reset();
    ScaleFigure2(d, 2, 1, 1, 100);
    EXPECT_EQ(d.Set(TDrawing::kFigure2).cutPath, nullptr);
}

TEST_F(ScaleFigure2Test, LeftBottomAnchorGivesZeroOffsets) {
    const ScaledFigureOffsets o = ScaleFigure2(d, 1.5, 1, 3, 100);
    EXPECT_EQ(o.xMm, "0.00");
    EXPECT_EQ(o.yMm, "0.00");
}

TEST_F(ScaleFigure2Test, FullScaleCopiesFigureOneWithZeroOffsets) {
    const ScaledFigureOffsets o = ScaleFigure2(d, 1.0, 3, 1, 100);
    EXPECT_EQ(o.xMm, "0.00");
    EXPECT_EQ(o.yMm, "0.00");
    EXPECT_EQ(d.Set(TDrawing::kFigure2).V.MaxX(true), 4000);
}

TEST_F(ScaleFigure2Test, MillimetresFollowTheScalePercentage) {
    d.SetScale(0.1);
    const ScaledFigureOffsets o = ScaleFigure2(d, 0.25, 3, 1, 50);
    // (1 − 0.25) × 4000 = 3000 units, × 0.1 × 0.5 mm; (1 − 0.25) × 2000 = 1500 units.
    EXPECT_EQ(o.xMm, "150.00");
    EXPECT_EQ(o.yMm, "75.00");
}

TEST_F(ScaleFigure2Test, GrowingAFigureWithoutWidthShowsNoNegativeZero) {
    TDrawing flat;
    TDrawingSet& one = flat.Set(TDrawing::kFigure1);
    one.L.AddLine(one.V.AddVertex(100, 0), one.V.AddVertex(100, 50), 1);
    const ScaledFigureOffsets o = ScaleFigure2(flat, 1.5, 2, 3, 100);
    EXPECT_EQ(o.xMm, "0.00");
}

TEST_F(ScaleFigure2Test, CoincidentVerticesOfFigureOneKeepTheirIndices) {
    TDrawingSet& one = d.Set(TDrawing::kFigure1);
    one.V.SetPosition(1, 0, 0);  // two vertices at one place
    ScaleFigure2(d, 0.5, 1, 1, 100);
    EXPECT_EQ(d.Set(TDrawing::kFigure2).V.Count(), one.V.Count());
    EXPECT_EQ(d.Set(TDrawing::kFigure2).L[1].p, one.L[1].p);
}

}  // namespace
}  // namespace wirvela
