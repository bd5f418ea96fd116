#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/FitToArea.h"
#include "geometry/Matrix33.h"
#include "geometry/Vector3.h"

namespace wirvela {
namespace {

TEST(Vector3Test, ArithmeticAndProducts) {
    const TVector3 a(1, 2, 3);
    const TVector3 b(-4, 5, 0.5);
    EXPECT_EQ(TVector3(), TVector3(0, 0, 0));
    EXPECT_EQ(a + b, TVector3(-3, 7, 3.5));
    EXPECT_EQ(a - b, TVector3(5, -3, 2.5));
    EXPECT_EQ(2.0 * a, TVector3(2, 4, 6));
    EXPECT_EQ(Dot(a, b), -4 + 10 + 1.5);
    EXPECT_EQ(Dot2D(a, b), 6);
    EXPECT_EQ(Cross(a, b), TVector3(2 * 0.5 - 3 * 5, 3 * -4 - 1 * 0.5, 1 * 5 - 2 * -4));
    EXPECT_EQ(Length(TVector3(2, 3, 6)), 7);
    EXPECT_EQ(Length2D(TVector3(3, 4, 12)), 5);
    EXPECT_EQ(SquaredLength2D(TVector3(3, 4, 12)), 25);
}

TEST(Vector3Test, UnitNormalTurnsClockwiseAndKeepsTheZeroVector) {
    EXPECT_EQ(UnitNormal2D(TVector3(0, 2, 7)), TVector3(1, 0, 0));
    EXPECT_EQ(UnitNormal2D(TVector3(3, 4, 0)), TVector3(0.8, -0.6, 0));
    EXPECT_EQ(UnitNormal2D(TVector3(0, 0, 5)), TVector3(0, 0, 0));
}

TEST(Vector3Test, CosineOfTwoDimensionalParts) {
    EXPECT_DOUBLE_EQ(Cos2D(TVector3(1, 0, 9), TVector3(1, 1, -3)), std::sqrt(0.5));
    EXPECT_EQ(Cos2D(TVector3(2, 0, 0), TVector3(-5, 0, 0)), -1);
    EXPECT_TRUE(std::isnan(Cos2D(TVector3(0, 0, 1), TVector3(1, 0, 0))));
}

TEST(Vector3Test, AzimuthAndItsNormalisedForm) {
    EXPECT_EQ(Azimuth(TVector3(0, 0, 0)), 0);
    EXPECT_EQ(Azimuth(TVector3(-0.0, 0.0, 0)), 0);
    EXPECT_DOUBLE_EQ(Azimuth(TVector3(0, -1, 0)), -std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(AzimuthNormalised(TVector3(0, -1, 0)), 1.5 * std::numbers::pi);
    EXPECT_DOUBLE_EQ(AzimuthNormalised(TVector3(-1, 0, 0)), std::numbers::pi);
    EXPECT_EQ(AzimuthNormalised(TVector3(1, 0, 0)), 0);
}

TMatrix33 Rows(double a, double b, double c, double d, double e, double f, double g, double h, double i) {
    TMatrix33 m;
    m.m = {{{a, b, c}, {d, e, f}, {g, h, i}}};
    return m;
}

TEST(Matrix33Test, NewIsZeroAndIdentityMapsVectorsToThemselves) {
    EXPECT_EQ(TMatrix33().m[1][1], 0);
    const TVector3 v(3, -2, 5);
    EXPECT_EQ(TMatrix33::Identity() * v, v);
}

TEST(Matrix33Test, ProductTransposeAndDeterminant) {
    const TMatrix33 m = Rows(2, 0, 1, 1, 3, 2, 1, 1, 1);
    EXPECT_EQ(m * TVector3(1, 2, 3), TVector3(5, 13, 6));
    EXPECT_EQ(m.Transposed().m[0][2], 1);
    EXPECT_EQ(m.Transposed().m[2][0], 1);
    EXPECT_EQ(m.Transposed().m[1][0], 0);
    EXPECT_EQ(m.Determinant(), 2 * (3 - 2) - 0 + 1 * (1 - 3));
    EXPECT_EQ((m * 2.0).m[1][1], 6);
}

TEST(Matrix33Test, InverseTimesMatrixIsTheIdentity) {
    const TMatrix33 m = Rows(4, 7, 2, 3, 6, 1, 2, 5, 3);
    const TMatrix33 inv = m.Inverse();
    for (int c = 0; c < 3; ++c) {
        TVector3 e;
        (c == 0 ? e.x : c == 1 ? e.y : e.z) = 1;
        const TVector3 r = inv * (m * e);
        EXPECT_NEAR(r.x, e.x, 1e-12);
        EXPECT_NEAR(r.y, e.y, 1e-12);
        EXPECT_NEAR(r.z, e.z, 1e-12);
    }
}

TEST(Matrix33Test, TheInverseOfASingularMatrixIsItsTransposedCofactorMatrix) {
    const TMatrix33 m = Rows(1, 2, 3, 2, 4, 6, 1, 0, 1);
    ASSERT_EQ(m.Determinant(), 0);
    const TMatrix33 adj = m.Inverse();
    // Cofactors: C00 = 4·1 − 6·0 = 4, C01 = −(2·1 − 6·1) = 4, C10 = −(2·1 − 3·0) = −2.
    EXPECT_EQ(adj.m[0][0], 4);
    EXPECT_EQ(adj.m[1][0], 4);
    EXPECT_EQ(adj.m[0][1], -2);
    EXPECT_EQ(adj.m[2][2], 0);
}

TEST(FitToAreaTest, AFlatDrawingLeavesTheIdentity) {
    TMatrix33 m = Rows(9, 9, 9, 9, 9, 9, 9, 9, 9);
    FitToArea(m, 800, 600, 0, 50, 1000, 50);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(m.m[i][j], i == j ? 1 : 0);
}

TEST(FitToAreaTest, AWideDrawingTouchesTheLeftEdgeAndIsCentredVertically) {
    TMatrix33 m;
    FitToArea(m, 800, 600, 100, -50, 900, 150);  // 800 × 200 units, wider than the view
    const TVector3 lowLeft = m * TVector3(100, -50, 1);
    const TVector3 highRight = m * TVector3(900, 150, 1);
    EXPECT_DOUBLE_EQ(lowLeft.x, 0);
    EXPECT_DOUBLE_EQ(highRight.x, 800);
    EXPECT_DOUBLE_EQ(lowLeft.y, 400);  // y grows upward: the bottom is below the centre
    EXPECT_DOUBLE_EQ(highRight.y, 200);
}

TEST(FitToAreaTest, ATallDrawingFillsTheHeight) {
    TMatrix33 m;
    FitToArea(m, 800, 600, 0, 0, 100, 1200);  // h = 1200 / 600 = 2 units per pixel
    EXPECT_DOUBLE_EQ(m.m[0][0], 0.5);
    EXPECT_DOUBLE_EQ(m.m[1][1], -0.5);
    EXPECT_DOUBLE_EQ((m * TVector3(0, 1200, 1)).y, 0);
    EXPECT_DOUBLE_EQ((m * TVector3(0, 0, 1)).y, 600);
}

TEST(FitToAreaTest, AViewWithoutAreaKeepsTheIdentity) {
    TMatrix33 m;
    FitToArea(m, 0, 600, 0, 0, 100, 100);
    EXPECT_EQ(m.m[0][0], 1);
    EXPECT_EQ(m.m[0][2], 0);
}

}  // namespace
}  // namespace wirvela
