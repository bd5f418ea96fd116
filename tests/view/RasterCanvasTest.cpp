// The software raster: lines with both ends, clipping of far lines, circles and texts.
#include "view/RasterCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace wirvela {
namespace {

constexpr std::int32_t kRed = 255;
constexpr std::int32_t kBlue = 16711680;

TEST(RasterCanvasTest, NewCanvasIsBlackAndFillColoursEveryPixel) {
    RasterCanvas c(7, 5);
    EXPECT_EQ(c.Width(), 7);
    EXPECT_EQ(c.Height(), 5);
    EXPECT_EQ(c.Count(0), 35);
    c.Fill(kBlue);
    EXPECT_EQ(c.Count(kBlue), 35);
    EXPECT_EQ(c.Pixel(7, 0), -1);
    EXPECT_EQ(c.Pixel(-1, 0), -1);
}

TEST(RasterCanvasTest, SizeOutsideTheLimitsGivesAnEmptyCanvas) {
    for (auto [w, h] : {std::pair{0, 10}, {10, -3}, {RasterCanvas::kMaxSide + 1, 2}}) {
        RasterCanvas c(w, h);
        EXPECT_EQ(c.Width(), 0);
        EXPECT_TRUE(c.Pixels().empty());
        c.SetPenColor(kRed);
        c.Line({0, 0}, {5, 5});
        c.FillCircle({1, 1}, 2, kRed);
        c.Text({0, 0}, "12", kRed);
    }
}

TEST(RasterCanvasTest, LineIncludesBothEnds) {
    RasterCanvas c(20, 20);
    c.SetPenColor(kRed);
    c.Line({2, 3}, {12, 3});
    EXPECT_EQ(c.Count(kRed), 11);
    EXPECT_EQ(c.Pixel(2, 3), kRed);
    EXPECT_EQ(c.Pixel(12, 3), kRed);
    c.Fill(0);
    c.Line({15, 15}, {5, 5});
    EXPECT_EQ(c.Count(kRed), 11);
    for (int i = 5; i <= 15; ++i) EXPECT_EQ(c.Pixel(i, i), kRed);
    c.Fill(0);
    c.Line({4, 4}, {4, 4});
    EXPECT_EQ(c.Count(kRed), 1);
}

TEST(RasterCanvasTest, FarLinesAreClippedToTheArea) {
    RasterCanvas c(50, 40);
    c.SetPenColor(kRed);
    c.Line({-1000000000, 10}, {1000000000, 10});
    EXPECT_EQ(c.Count(kRed), 50);
    c.Fill(0);
    c.Line({-1000000000, -1000000000}, {1000000000, 1000000000});
    EXPECT_EQ(c.Count(kRed), 40);
    EXPECT_EQ(c.Pixel(39, 39), kRed);
    c.Fill(0);
    c.Line({-100, -5}, {100, -5});  // entirely above
    c.Line({60, 0}, {60, 39});      // entirely right
    EXPECT_EQ(c.Count(kRed), 0);
}

TEST(RasterCanvasTest, FilledCircleCoversItsRadiusAndKeepsThePen) {
    RasterCanvas c(20, 20);
    c.SetPenColor(kRed);
    c.FillCircle({10, 10}, 2, kBlue);
    EXPECT_EQ(c.PenColor(), kRed);
    EXPECT_EQ(c.Pixel(10, 10), kBlue);
    EXPECT_EQ(c.Pixel(12, 10), kBlue);
    EXPECT_EQ(c.Pixel(10, 8), kBlue);
    EXPECT_EQ(c.Pixel(12, 12), 0);
    EXPECT_EQ(c.Pixel(13, 10), 0);
    c.FillCircle({0, 0}, 3, kBlue);  // partly outside: no fault
}

TEST(RasterCanvasTest, CircleOutlineLiesAtItsRadius) {
    RasterCanvas c(40, 40);
    c.SetPenColor(kRed);
    c.Circle({20, 20}, 10);
    for (auto [x, y] : {std::pair{30, 20}, {10, 20}, {20, 30}, {20, 10}}) EXPECT_EQ(c.Pixel(x, y), kRed);
    EXPECT_EQ(c.Pixel(20, 20), 0);
    for (int i = 0; i < static_cast<int>(c.Pixels().size()); ++i) {
        if (c.Pixels()[static_cast<std::size_t>(i)] != kRed) continue;
        const double d = std::hypot(i % 40 - 20, i / 40 - 20);
        EXPECT_NEAR(d, 10.0, 0.8);
    }
    c.Circle({-1000000000, 0}, 10);  // far away: nothing, no fault
}

TEST(RasterCanvasTest, TextIsRecordedAndDrawnInItsColour) {
    RasterCanvas c(30, 10);
    c.Text({1, 2}, "10", kRed);
    ASSERT_EQ(c.Texts().size(), 1u);
    EXPECT_EQ(c.Texts()[0].text, "10");
    EXPECT_EQ(c.Texts()[0].at.x, 1);
    EXPECT_EQ(c.Texts()[0].color, kRed);
    // "1" has its stem in the middle column; "0" a full top row.
    EXPECT_EQ(c.Pixel(2, 2), kRed);
    EXPECT_EQ(c.Pixel(1 + RasterCanvas::kGlyphAdvance, 2), kRed);
    EXPECT_GT(c.Count(kRed), 10);
    c.Text({-1000000000, 1000000000}, "123", kRed);  // off the canvas: recorded only
    EXPECT_EQ(c.Texts().size(), 2u);
    c.Fill(0);
    EXPECT_TRUE(c.Texts().empty());
}

}  // namespace
}  // namespace wirvela
