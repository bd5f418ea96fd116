// The view transform: fitting a box, the pixel mapping both ways, zoom and pan.
#include "view/Zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/FitToArea.h"

namespace wirvela {
namespace {

void ExpectIdentity(const TZoom& z) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(z.Matrix().m[r][c], r == c ? 1.0 : 0.0) << r << "," << c;
}

void ExpectNear(const TMatrix33& a, const TMatrix33& b, double eps) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << r << "," << c;
}

TEST(ZoomTest, NewTransformIsIdentityAndTruncatesTowardZero) {
    TZoom z;
    ExpectIdentity(z);
    const CanvasPoint p = z.ToScreen(3.9, -2.9);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, -2);
}

TEST(ZoomTest, TwoHundredByHundredBoxFillsTheWidthOfASquareArea) {
    TZoom z;
    z.FitView(800, 800, 0, 0, 200, 100);
    EXPECT_DOUBLE_EQ(z.Matrix().m[0][0], 4.0);  // k = 0.25 units per pixel
    EXPECT_DOUBLE_EQ(z.Matrix().m[1][1], -4.0);
    EXPECT_EQ(z.ToScreen(0, 0).x, 0);
    EXPECT_EQ(z.ToScreen(200, 0).x, 800);
    EXPECT_EQ(z.ToScreen(0, 100).y, 200);  // top of the box
    EXPECT_EQ(z.ToScreen(0, 0).y, 600);    // bottom of the box
}

struct DegenerateFit {
    const char* name;
    int w, h;
    double x0, y0, x1, y1;
};

class ZoomDegenerateTest : public testing::TestWithParam<DegenerateFit> {};

TEST_P(ZoomDegenerateTest, LeavesTheIdentity) {
    const DegenerateFit& f = GetParam();
    TZoom z;
    z.ZoomBy(3, 10, 10);  // not the identity before
    z.FitView(f.w, f.h, f.x0, f.y0, f.x1, f.y1);
    ExpectIdentity(z);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(Boxes, ZoomDegenerateTest,
                         testing::Values(DegenerateFit{"ZeroHeight", 800, 600, 0, 50, 400, 50},
                                         DegenerateFit{"EmptyDrawing", 800, 600, 0, 0, 0, 0},
                                         DegenerateFit{"NoAreaWidth", 0, 600, 0, 0, 400, 300},
                                         DegenerateFit{"NoAreaHeight", 800, -1, 0, 0, 400, 300},
                                         DegenerateFit{"NaNCorner", 800, 600, kNaN, 0, 400, 300}),
                         [](const auto& info) { return std::string(info.param.name); });

struct IntegerBox {
    int w, h, x0, y0, x1, y1;
};

class ZoomFitToAreaTest : public testing::TestWithParam<IntegerBox> {};

TEST_P(ZoomFitToAreaTest, IntegerBoxGivesTheFitToAreaMatrix) {
    const IntegerBox& b = GetParam();
    TZoom z;
    z.FitView(b.w, b.h, b.x0, b.y0, b.x1, b.y1);
    TMatrix33 expected;
    FitToArea(expected, b.w, b.h, b.x0, b.y0, b.x1, b.y1);
    ExpectNear(z.Matrix(), expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Boxes, ZoomFitToAreaTest,
                         testing::Values(IntegerBox{800, 800, 0, 0, 200, 100}, IntegerBox{640, 480, -30, 7, 95, 411},
                                         IntegerBox{1003, 517, 12, -301, 13, 299},  // tall and narrow
                                         IntegerBox{300, 200, -5000, -4000, -1000, -3999}));

TEST(ZoomTest, BoxCornersAreRoundedHalfAwayFromZero) {
    TZoom z;
    z.FitView(100, 100, 10.5, -20.5, 110.5, 79.5);  // k = 1
    // m02 = −round(10.5) = −11; m12 = 50 + round(59)/2 = 79.5.
    EXPECT_DOUBLE_EQ(z.Matrix().m[0][2], -11.0);
    EXPECT_DOUBLE_EQ(z.Matrix().m[1][2], 79.5);
    z.FitView(100, 100, -10.5, -20.5, 89.5, 78.5);
    EXPECT_DOUBLE_EQ(z.Matrix().m[0][2], 11.0);
    EXPECT_DOUBLE_EQ(z.Matrix().m[1][2], 50.0 + std::round(58.0) / 2.0);
}

TEST(ZoomTest, ToDrawingInvertsTheMapping) {
    TZoom z;
    z.FitView(640, 480, -30, 7, 95, 411);
    z.ZoomBy(1.7, 100, 50);
    z.Pan(13, -4);
    const TVector3 px = z.Matrix() * TVector3(42.25, 100.5, 1);
    const Point2d back = z.ToDrawing(px.x, px.y);
    EXPECT_NEAR(back.x, 42.25, 1e-9);
    EXPECT_NEAR(back.y, 100.5, 1e-9);
}

TEST(ZoomTest, ZoomKeepsTheCentreAndZoomOutRestores) {
    TZoom z;
    z.FitView(800, 600, 0, 0, 4000, 2000);
    const TMatrix33 before = z.Matrix();
    const Point2d centre = z.ToDrawing(300, 200);
    z.ZoomBy(1.5, 300, 200);
    const Point2d after = z.ToDrawing(300, 200);
    EXPECT_NEAR(after.x, centre.x, 1e-9);
    EXPECT_NEAR(after.y, centre.y, 1e-9);
    EXPECT_NEAR(z.Matrix().m[0][0], before.m[0][0] * 1.5, 1e-12);
    z.ZoomBy(1 / 1.5, 300, 200);
    ExpectNear(z.Matrix(), before, 1e-9);
    EXPECT_EQ(z.Matrix().m[2][0], 0.0);
    EXPECT_EQ(z.Matrix().m[2][2], 1.0);
}

TEST(ZoomTest, FactorsThatAreNoScaleChangeNothing) {
    TZoom z;
    z.FitView(800, 600, 0, 0, 400, 300);
    const TMatrix33 before = z.Matrix();
    for (double f : {0.0, -2.0, kNaN, std::numeric_limits<double>::infinity()}) z.ZoomBy(f, 10, 10);
    ExpectNear(z.Matrix(), before, 0);
}

TEST(ZoomTest, PanMovesThePicture) {
    TZoom z;
    z.FitView(800, 800, 0, 0, 200, 100);
    z.Pan(15, -7);
    EXPECT_EQ(z.ToScreen(0, 0).x, 15);
    EXPECT_EQ(z.ToScreen(0, 0).y, 593);
}

TEST(ZoomTest, FarPointsStayWithinTheScreenLimit) {
    TZoom z;
    z.ZoomBy(1e12, 0, 0);
    EXPECT_EQ(z.ToScreen(5, -5).x, TZoom::kScreenLimit);
    EXPECT_EQ(z.ToScreen(5, -5).y, -TZoom::kScreenLimit);
    EXPECT_EQ(z.ToScreen(kNaN, 1e-12).x, 0);
}

}  // namespace
}  // namespace wirvela
