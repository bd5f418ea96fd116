// The painter: colour rules, sets and offsets, faulty nodes, numbers, the overlay, the size
// report, the pendant's picture and the full-speed simulation picture. The transform is
// the identity, so a drawing point (x, y) is the pixel (x, y).
#include "view/DrawingPainter.h"

#include <gtest/gtest.h>

#include <memory>

#include "PaintFixture.h"
#include "config/MessageFormat.h"

namespace wirvela {
namespace {

using namespace test;

class DrawingPainterTest : public PaintFixture {
protected:
    void Paint(bool updateStatus = true) {
        DrawingPainter painter(drawing, Services());
        painter.PaintDrawing(canvas, zoom, Settings(), updateStatus);
    }
    const RasterCanvas::TextRecord* TextAt(int x, int y) const {
        for (const auto& t : canvas.Texts())
            if (t.at.x == x && t.at.y == y) return &t;
        return nullptr;
    }

    TZoom zoom;
};

struct LineCase {
    const char* name;
    std::uint8_t kind;
    std::int32_t display;
    std::int32_t pen;
    std::int32_t expected;
};

class PainterLineColourTest : public DrawingPainterTest, public testing::WithParamInterface<LineCase> {};

TEST_P(PainterLineColourTest, LaterRulesOverrideEarlierOnes) {
    const LineCase& c = GetParam();
    const int line = AddLine(TDrawing::kFigure1, 10, 150, 190, 150, c.kind, c.pen);
    drawing.Set(TDrawing::kFigure1).L.Edit(line).display = c.display;
    Paint();
    EXPECT_EQ(canvas.Pixel(100, 150), c.expected);
    EXPECT_EQ(canvas.Pixel(10, 150), c.expected);
    EXPECT_EQ(canvas.Pixel(190, 150), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PainterLineColourTest,
    testing::Values(LineCase{"Object", 1, 0, 1, kObjects1}, LineCase{"Connecting", 2, 0, 1, kConnecting1},
                    LineCase{"NoKind", 0, 0, 1, kObjects1}, LineCase{"FirstPass", 2, 0x10, 1, kFirstPass1},
                    LineCase{"SecondPass", 1, 0x20, 1, kSecondPass1}, LineCase{"LowBitsIgnored", 1, 0x0F, 1, kObjects1},
                    LineCase{"LowBitsBesidePass", 2, 0x15, 1, kFirstPass1},
                    LineCase{"ThreePassesNoPassColour", 2, 0x30, 1, kConnecting1},
                    LineCase{"ConnectingAtSecondSpeed", 2, 0, 2, kSecondSpeed1},
                    LineCase{"PassedAtSecondSpeed", 1, 0x20, 2, kSecondSpeed1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawingPainterTest, BackgroundAndEntryMark) {
    Paint();
    EXPECT_EQ(canvas.Pixel(0, 0), kBackground);
    EXPECT_EQ(canvas.Pixel(199, 199), kBackground);
    // WejscieX ÷ scale = 20 mm ÷ 0.5 = 40 units, radius 2.
    EXPECT_EQ(canvas.Pixel(40, 40), kObjects1);
    EXPECT_EQ(canvas.Pixel(42, 40), kObjects1);
    EXPECT_EQ(canvas.Pixel(40, 38), kObjects1);
    EXPECT_EQ(canvas.Pixel(43, 40), kBackground);
}

TEST_F(DrawingPainterTest, WithoutColourSectionThePictureIsBlackOnBlack) {
    LoadIni("[Drawings]\nSkalaHPGL=0.5\n");
    AddLine(TDrawing::kFigure1, 10, 10, 190, 10, 1);
    AddLine(TDrawing::kFigure1, 10, 20, 190, 20, 2, 2);
    AddLine(TDrawing::kFigure2, 10, 30, 190, 30, 1);
    AddLine(TDrawing::kSegments, 10, 40, 190, 40, 1);
    canvas.Fill(kFaulty);
    Paint();
    EXPECT_EQ(canvas.Count(0), 200 * 200);
}

TEST_F(DrawingPainterTest, FigureTwoUsesItsColoursAndTheOffset) {
    inputs.offsetXmm = 10;  // 20 units at 0.5 mm per unit and 100 %
    inputs.offsetYmm = -5;  // -10 units
    AddLine(TDrawing::kFigure1, 10, 100, 50, 100, 1);
    const int connecting = AddLine(TDrawing::kFigure2, 10, 120, 50, 120, 2);
    AddLine(TDrawing::kFigure2, 10, 150, 50, 150, 1, 2);
    drawing.Set(TDrawing::kFigure2).L.Edit(connecting).display = 0x20;
    Paint();
    EXPECT_EQ(canvas.Pixel(10, 100), kObjects1);
    EXPECT_EQ(canvas.Pixel(30, 110), kSecondPass2);
    EXPECT_EQ(canvas.Pixel(70, 110), kSecondPass2);
    EXPECT_EQ(canvas.Pixel(10, 120), kBackground);
    EXPECT_EQ(canvas.Pixel(30, 140), kSecondSpeed2);
    // The entry mark of figure 2 is not shifted and is in figure 2's objects colour.
    EXPECT_EQ(canvas.Pixel(40, 40), kObjects2);
}

TEST_F(DrawingPainterTest, SegmentLinesShiftTheirFigureTwoEndAndRingFaultyNodes) {
    inputs.offsetXmm = 10;
    inputs.offsetYmm = 5;  // (20, 10) units
    TDrawingSet& seg = drawing.Set(TDrawing::kSegments);
    const int a = seg.V.AddVertex(10, 100, 1, 1);
    const int b = seg.V.AddVertex(30, 100, 16, 2);  // figure 2's end, a faulty node
    const int c = seg.V.AddVertex(10, 160, 0, 2);   // both ends labelled 2: only the first moves
    const int d = seg.V.AddVertex(60, 160, 0, 2);
    seg.L.AddLine(a, b, 1);
    seg.L.AddLine(c, d, 2);
    Paint();
    EXPECT_EQ(canvas.Pixel(10, 100), kSegments);
    EXPECT_EQ(canvas.Pixel(50, 110), kSegments);
    EXPECT_EQ(canvas.Pixel(60, 110), kFaulty);  // radius 10 around the shifted end
    EXPECT_EQ(canvas.Pixel(50, 100), kFaulty);
    EXPECT_EQ(canvas.Pixel(10, 90), kBackground);  // no ring around the healthy end
    EXPECT_EQ(canvas.Pixel(30, 170), kSegments);
    EXPECT_EQ(canvas.Pixel(60, 160), kSegments);
    EXPECT_EQ(canvas.Pixel(10, 160), kBackground);
    // The segment set's entry mark is in the segment colour, then figure 1's over it.
    EXPECT_EQ(canvas.Pixel(40, 40), kObjects1);
}

TEST_F(DrawingPainterTest, SizeReportInMillimetresAndLogLineOverAllVertices) {
    inputs.scalePercent = 50;
    AddLine(TDrawing::kFigure1, 10.7, 50, 90.2, 50);
    AddLine(TDrawing::kFigure1, 90.2, 50, 90.2, 70.9);
    drawing.Set(TDrawing::kFigure1).V.AddVertex(190, 150, 2, 10000, 1);  // excluded (entry vertex)
    Paint();
    // Panel: truncated bounds without the excluded vertex, (90 − 10) × 0.5 × 0.5 mm.
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].first, 1);
    EXPECT_EQ(status[0].second, FormatMessage(messages.MessageText(2), {20.0, 5.0}));
    // Log: all vertices, not truncated: (190 − 10.7) × 0.25, (150 − 50) × 0.25.
    EXPECT_TRUE(Logged("Rozmiar rysunku 1:  44.8 x  25.0 mm"));
}

TEST_F(DrawingPainterTest, SizeReportEmptiesThePanelWithoutLinesAndIsSilentWithoutStatusUpdate) {
    Paint();
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0], (std::pair<int, std::string>{1, ""}));
    status.clear();
    AddLine(TDrawing::kFigure1, 10, 50, 90, 50);
    Paint(false);
    EXPECT_TRUE(status.empty());
    EXPECT_TRUE(Logged("Rozmiar rysunku 1:  40.0 x   0.0 mm"));
}

TEST_F(DrawingPainterTest, FigureTwoReportsLastOnThePanel) {
    AddLine(TDrawing::kFigure1, 10, 50, 90, 50);
    AddLine(TDrawing::kFigure2, 10, 50, 30, 90);
    Paint();
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[1].second, FormatMessage(messages.MessageText(2), {10.0, 20.0}));
    EXPECT_TRUE(Logged("Rozmiar rysunku 2:  10.0 x  20.0 mm"));
}

TEST_F(DrawingPainterTest, LineAndVertexNumbers) {
    inputs.lineNumbers = true;
    AddLine(TDrawing::kFigure1, 10, 50, 91, 50);
    AddLine(TDrawing::kFigure1, 91, 50, 91, 120);
    Paint();
    const auto* line0 = TextAt(50 + 2, 50 + 2);
    ASSERT_NE(line0, nullptr);
    EXPECT_EQ(line0->text, "0");
    EXPECT_EQ(line0->color, DrawingPainter::kRed);
    const auto* line1 = TextAt(91 + 2, 85 + 2);
    ASSERT_NE(line1, nullptr);
    EXPECT_EQ(line1->text, "1");
    const auto* vertex0 = TextAt(10, 50);
    ASSERT_NE(vertex0, nullptr);
    EXPECT_EQ(vertex0->text, "0");
    EXPECT_EQ(vertex0->color, DrawingPainter::kYellow);
    EXPECT_EQ(canvas.Texts().size(), 6u);
}

TEST_F(DrawingPainterTest, ObjectNumbersAtEachObjectsFirstVertex) {
    inputs.objectNumbers = true;
    inputs.offsetXmm = 50;  // 100 units
    TDrawingSet& one = drawing.Set(TDrawing::kFigure1);
    one.V.AddVertex(10, 50, 0, 0);
    one.V.AddVertex(30, 80, 0, 1);
    one.V.AddVertex(35, 85, 0, 1);
    one.L.AddLine(0, 1, 1);
    drawing.Oelems1() = 2;  // object 2 has no vertex: shown at vertex 0
    TDrawingSet& two = drawing.Set(TDrawing::kFigure2);
    two.V.AddVertex(20, 60, 0, 0);
    drawing.Oelems2() = 0;
    Paint();
    ASSERT_NE(TextAt(15, 40), nullptr);
    EXPECT_EQ(TextAt(15, 40)->color, kObjects1);
    EXPECT_EQ(TextAt(35, 70)->text, "2");
    int atVertex0 = 0;
    for (const auto& t : canvas.Texts()) atVertex0 += t.at.x == 15 && t.at.y == 40;
    EXPECT_EQ(atVertex0, 2);  // "1" and "3"
    ASSERT_NE(TextAt(125, 50), nullptr);
    EXPECT_EQ(TextAt(125, 50)->text, "1");
    EXPECT_EQ(TextAt(125, 50)->color, kObjects2);
}

TEST_F(DrawingPainterTest, DamagedObjectCountDoesNotRunAway) {
    inputs.objectNumbers = true;
    AddLine(TDrawing::kFigure1, 10, 50, 90, 50);
    drawing.Oelems1() = 2000000000;
    Paint();
    EXPECT_LE(canvas.Texts().size(), static_cast<std::size_t>(TLines::kCapacity) + 1);
}

TEST_F(DrawingPainterTest, PathOverlayRunsFigureOnesCutPathInRed) {
    const int a = AddLine(TDrawing::kFigure1, 10, 50, 90, 50, 1);
    const int b = AddLine(TDrawing::kFigure1, 90, 50, 90, 120, 2);
    TDrawingSet& one = drawing.Set(TDrawing::kFigure1);
    one.cutPath = std::make_unique<TLineList>(10);
    one.cutPath->Append(a, 1, 2);
    one.cutPath->Append(b, -1, 2);
    Paint();
    EXPECT_EQ(canvas.Pixel(50, 50), kObjects1);
    inputs.pathOverlay = true;
    Paint();
    EXPECT_EQ(canvas.Pixel(50, 50), DrawingPainter::kRed);
    EXPECT_EQ(canvas.Pixel(90, 100), DrawingPainter::kRed);
}

TEST_F(DrawingPainterTest, LeavesTheCurrentSetAndItsObjectNumberAsTheyWere) {
    AddLine(TDrawing::kFigure2, 10, 50, 90, 50);
    AddLine(TDrawing::kSegments, 10, 60, 90, 60);
    drawing.Oelems2() = 3;
    drawing.SelectFigure(TDrawing::kFigure2);
    drawing.Oelems() = 7;  // changed by a command, not stored yet
    Paint();
    EXPECT_EQ(drawing.Figure(), TDrawing::kFigure2);
    EXPECT_EQ(drawing.Oelems(), 7);
}

TEST_F(DrawingPainterTest, PendantPictureIsBlackOnWhiteAndFitted) {
    RasterCanvas pendant(128, 64);
    AddLine(TDrawing::kFigure1, 1000, 1000, 3000, 1000, 2, 2);
    AddLine(TDrawing::kFigure1, 3000, 1000, 3000, 2000, 1);
    AddLine(TDrawing::kFigure1, 1000, 1500, 2000, 1500, 1);
    inputs.lineNumbers = true;  // the pendant's picture never has numbers
    DrawingPainter painter(drawing, Services());
    painter.PaintForPendant(pendant, 0, 0);
    EXPECT_GT(pendant.Count(16777215), 0);
    EXPECT_GT(pendant.Count(0), 0);
    EXPECT_EQ(pendant.Count(0) + pendant.Count(16777215), 128 * 64);
    EXPECT_TRUE(pendant.Texts().empty());
    EXPECT_TRUE(status.empty());
    // Box 1000 … 3000 × 1000 … 2000 in 128 × 64 (15.625 units per pixel): the middle
    // line runs from column 0 to 64 on row 32.
    EXPECT_EQ(pendant.Pixel(0, 32), 0);
    EXPECT_EQ(pendant.Pixel(64, 32), 0);
    EXPECT_EQ(pendant.Pixel(65, 32), 16777215);
}

TEST_F(DrawingPainterTest, ImmediateSimulationMarksEachRunAndShowsTwoAtMost) {
    const int line = AddLine(TDrawing::kFigure1, 10, 50, 90, 50, 1);
    TDrawingSet& one = drawing.Set(TDrawing::kFigure1);
    one.cutPath = std::make_unique<TLineList>(10);
    one.cutPath->Append(line, 1, 2);
    DrawingPainter painter(drawing, Services());
    painter.PaintImmediateSimulation(canvas, zoom, kFirstPass1, kSecondPass1, 0, 0);
    EXPECT_EQ(one.L[line].display & 0xF0, 0x10);
    EXPECT_EQ(canvas.Pixel(50, 50), kFirstPass1);
    EXPECT_TRUE(Logged("x: 10, y: 50"));
    painter.PaintImmediateSimulation(canvas, zoom, kFirstPass1, kSecondPass1, 0, 0);
    EXPECT_EQ(one.L[line].display & 0xF0, 0x20);
    EXPECT_EQ(canvas.Pixel(50, 50), kSecondPass1);
    canvas.Fill(0);
    painter.PaintImmediateSimulation(canvas, zoom, kFirstPass1, kSecondPass1, 0, 0);
    EXPECT_EQ(one.L[line].display & 0xF0, 0x20);
    EXPECT_EQ(canvas.Pixel(50, 50), 0);
}

TEST_F(DrawingPainterTest, ImmediateSimulationShiftsFigureTwo) {
    AddLine(TDrawing::kFigure1, 10, 50, 90, 50, 1);
    const int line = AddLine(TDrawing::kFigure2, 10, 50, 90, 50, 1);
    TDrawingSet& two = drawing.Set(TDrawing::kFigure2);
    two.cutPath = std::make_unique<TLineList>(10);
    two.cutPath->Append(line, -1, 2);
    DrawingPainter painter(drawing, Services());
    painter.PaintImmediateSimulation(canvas, zoom, kFirstPass1, kSecondPass1, 5, 20);
    EXPECT_EQ(canvas.Pixel(50, 70), kFirstPass1);
    EXPECT_TRUE(Logged("x: 90, y: 50"));  // run backwards: starts at its end vertex
}

TEST(ViewBoxTest, FigureOneTruncatedAndWidenedByShiftedFigureTwo) {
    TDrawing d;
    d.SetSnapGrid(0);
    TDrawingSet& one = d.Set(TDrawing::kFigure1);
    one.V.AddVertex(10.9, 20.9);
    one.V.AddVertex(-100.7, 50.2);
    Box2d box = ViewBox(d, 1000, 1000);
    EXPECT_EQ(box.minX, -100);
    EXPECT_EQ(box.minY, 20);
    EXPECT_EQ(box.maxX, 10);
    EXPECT_EQ(box.maxY, 50);
    d.Set(TDrawing::kFigure2).V.AddVertex(5.5, 5.5);
    box = ViewBox(d, 100, -10);
    EXPECT_EQ(box.maxX, 105);
    EXPECT_EQ(box.minY, -5);
    EXPECT_EQ(box.minX, -100);
}

}  // namespace
}  // namespace wirvela
