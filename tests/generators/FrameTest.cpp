#include "generators/Frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "drawing/Drawing.h"

namespace wirvela {
namespace {

using Corner = std::pair<double, double>;

// A joined drawing: a 4000 × 2000 rectangle (object 0) and, last, the entry vertex and
// the entry line, as the joining leaves them.
struct JoinedBox {
    JoinedBox() {
        TLines& l = d.L();
        TVert& v = d.V();
        const int a = v.AddVertex(0, 0), b = v.AddVertex(4000, 0), c = v.AddVertex(4000, 2000),
                  e = v.AddVertex(0, 2000);
        for (auto [p, k] : {std::pair{a, b}, {b, c}, {c, e}, {e, a}}) l.AddLine(p, k, 1);
        const int entry = v.AddVertex(-500, -500, 2, 10000, 1);
        LineRecord line;
        line.p = entry;
        line.k = a;
        line.kind = 2;
        line.obj = 10000;
        l.AddLine(line);
        d.Oelems() = 0;
        d.Oelems1() = 0;
    }

    // The frame's vertices: those from the first one the frame added.
    std::vector<Corner> FrameVertices(int from = 4) const {
        std::vector<Corner> out;
        for (int i = from; i < d.V().Count(); ++i) out.emplace_back(d.V()[i].x, d.V()[i].y);
        return out;
    }

    TDrawing d;
};

TEST(Frame, RectangleCornersInOffsetAndSizeMode) {
    struct Case {
        FrameSizing sizing;
        double dx, dy;
        std::vector<Corner> corners;
    };
    const Case cases[] = {
        {FrameSizing::Offset, 50, 50, {{-2000, -2000}, {-2000, 4000}, {6000, 4000}, {6000, -2000}}},
        {FrameSizing::Size, 100, 60, {{0, -200}, {0, 2200}, {4000, 2200}, {4000, -200}}},
    };
    for (const Case& c : cases) {
        JoinedBox fresh;
        FrameSpec spec;
        spec.sizing = c.sizing;
        spec.dx = c.dx;
        spec.dy = c.dy;
        ASSERT_FALSE(AddFrame(fresh.d, spec));
        EXPECT_EQ(fresh.FrameVertices(), c.corners);
        // The entry line and vertex are gone; four lines close the frame, 1-2-3-4-1.
        const TLines& l = fresh.d.L();
        ASSERT_EQ(l.Count(), 8);
        for (int i = 4; i < 8; ++i) {
            EXPECT_EQ(l[i].p, i) << i;
            EXPECT_EQ(l[i].k, i == 7 ? 4 : i + 1) << i;
            EXPECT_EQ(l[i].kind, 1);
        }
        EXPECT_EQ(fresh.d.Oelems(), 1);
        EXPECT_EQ(fresh.d.Oelems1(), 1);
        EXPECT_EQ(fresh.d.V()[4].obj, 1);
    }
}

TEST(Frame, EpsilonAboveHalfTheRadiusGivesATriangle) {
    JoinedBox box;
    TDrawing& d = box.d;
    FrameSpec spec;
    spec.shape = FrameShape::Circle;
    spec.sizing = FrameSizing::Size;
    spec.dr = 25;         // R = 1000 units
    spec.epsilon = 1000;  // far above R / 2
    ASSERT_FALSE(AddFrame(d, spec));
    const std::vector<Corner> v = box.FrameVertices();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0], Corner(3000, 1000));
    EXPECT_NEAR(std::atan2(v[1].second - 1000, v[1].first - 2000), 2 * std::numbers::pi / 3, 2e-3);
    EXPECT_EQ(d.L().Count(), 4 + 3) << "three chords, closed";
}

TEST(Frame, CircleChordsStayWithinEpsilonAndClose) {
    JoinedBox box;
    TDrawing& d = box.d;
    FrameSpec spec;
    spec.shape = FrameShape::Circle;
    spec.dr = 0;
    spec.epsilon = 1;  // 40 units on a radius of 2000
    ASSERT_FALSE(AddFrame(d, spec));
    const double step = 2 * std::acos(1 - 40.0 / 2000);
    const int expected = static_cast<int>(std::floor(2 * std::numbers::pi / step)) + 1;
    EXPECT_EQ(static_cast<int>(box.FrameVertices().size()), expected);
    const TLines& l = d.L();
    // One closed ring: every frame vertex has two lines.
    std::vector<int> degree(static_cast<std::size_t>(d.V().Count()), 0);
    for (int i = 4; i < l.Count(); ++i) ++degree[l[i].p], ++degree[l[i].k];
    for (int i = 4; i < d.V().Count(); ++i) EXPECT_EQ(degree[i], 2) << i;
}

TEST(Frame, OnAnEmptyDrawingItIsObjectZeroCentredOnTheOrigin) {
    TDrawing d;
    FrameSpec spec;  // offset 50 mm: 2000 units around the point (0, 0)
    ASSERT_FALSE(AddFrame(d, spec));
    EXPECT_EQ(d.Oelems(), 0);
    ASSERT_EQ(d.V().Count(), 4);
    EXPECT_EQ(d.V()[0].x, -2000);
    EXPECT_EQ(d.V()[0].y, -2000);
    EXPECT_EQ(d.V()[2].x, 2000);
    EXPECT_EQ(d.V()[2].y, 2000);
    EXPECT_EQ(d.V()[0].obj, 0);
}

// Every refusal leaves the drawing exactly as it was.
TEST(Frame, RefusedFramesLeaveTheDrawingUnchanged) {
    struct Case {
        FrameShape shape;
        FrameSizing sizing;
        double dx, dr, epsilon;
        int message;
    };
    const Case cases[] = {
        {FrameShape::Rectangle, FrameSizing::Size, 0, 50, 0.1, kNotPositiveMessage},
        {FrameShape::Rectangle, FrameSizing::Offset, -60, 50, 0.1, kNotPositiveMessage},  // inside out
        {FrameShape::Rectangle, FrameSizing::Offset, 1e307, 50, 0.1, kNotANumberMessage},
        {FrameShape::Circle, FrameSizing::Size, 50, -5, 0.1, kNotPositiveMessage},
        {FrameShape::Circle, FrameSizing::Offset, 50, 50, 0, kNotPositiveMessage},
        {FrameShape::Circle, FrameSizing::Offset, 50, 50, -1, kNotPositiveMessage},
        {FrameShape::Circle, FrameSizing::Offset, 50, 50, 1e-9, kFrameTooLargeMessage},
        {FrameShape::Circle, FrameSizing::Offset, 50, 50, 1e-300, kFrameTooLargeMessage},
    };
    for (const Case& c : cases) {
        JoinedBox fresh;
        FrameSpec spec{c.shape, c.sizing, c.dx, 50, c.dr, c.epsilon};
        const GeneratorMessage refused = AddFrame(fresh.d, spec);
        EXPECT_EQ(refused.number, c.message) << c.dx << " " << c.dr << " " << c.epsilon;
        EXPECT_EQ(fresh.d.V().Count(), 5);
        EXPECT_EQ(fresh.d.L().Count(), 5);
        EXPECT_EQ(fresh.d.Oelems(), 0);
    }
}

TEST(Frame, FieldTextsThatAreNoNumberAreRefusedByName) {
    struct Case {
        FrameTexts texts;
        FrameShape shape;
        bool accepted;
        std::string field;
    };
    const Case cases[] = {
        {{"12,5", "7", "x", "y"}, FrameShape::Rectangle, true, ""},  // the circle's fields are not read
        {{"abc", "7", "1", "1"}, FrameShape::Rectangle, false, "dx"},
        {{"1", "", "1", "1"}, FrameShape::Rectangle, false, "dy"},
        {{"1", "1", "1e999", "1"}, FrameShape::Circle, false, "dr"},
        {{"1", "1", "5", "nan"}, FrameShape::Circle, false, "epsilon"},
    };
    for (const Case& c : cases) {
        FrameSpec spec;
        GeneratorMessage refusal;
        EXPECT_EQ(ReadFrameSpec(c.texts, c.shape, FrameSizing::Offset, spec, refusal), c.accepted) << c.field;
        if (!c.accepted) {
            EXPECT_EQ(refusal.number, kNotANumberMessage);
            ASSERT_FALSE(refusal.args.empty());
            EXPECT_EQ(refusal.args[0], c.field);
        }
    }
    FrameSpec spec;
    GeneratorMessage refusal;
    ASSERT_TRUE(ReadFrameSpec({"12,5", "7", "", ""}, FrameShape::Rectangle, FrameSizing::Size, spec, refusal));
    EXPECT_EQ(spec.dx, 12.5);
}

// A moulding's outline is cut as it is, without an entry line: nothing of it is dropped.
TEST(Frame, ADrawingWithoutEntryLineKeepsEveryLine) {
    TDrawing d;
    TLines& l = d.L();
    TVert& v = d.V();
    const int a = v.AddVertex(0, 0), b = v.AddVertex(4000, 0), c = v.AddVertex(4000, 2000);
    l.AddLine(a, b, 1);
    l.AddLine(b, c, 1);
    d.Oelems() = 0;
    FrameSpec spec;
    spec.sizing = FrameSizing::Size;
    spec.dx = 120;
    spec.dy = 60;
    ASSERT_FALSE(AddFrame(d, spec));
    EXPECT_EQ(l.Count(), 2 + 4);
    EXPECT_EQ(v.Count(), 3 + 4);
    // Laid out by both lines: centred on (2000, 1000).
    EXPECT_EQ(v[3].x, -400);
    EXPECT_EQ(v[3].y, -200);
    EXPECT_EQ(v[5].x, 4400);
    EXPECT_EQ(v[5].y, 2200);
}

}  // namespace
}  // namespace wirvela
