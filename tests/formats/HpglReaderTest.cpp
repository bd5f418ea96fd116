#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formats/HpglReader.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using Point = std::pair<double, double>;

class HpglTest : public testing::Test {
protected:
    void Read(std::string_view text) {
        HPGL2 reader(*d, pens);
        reader.ReadText(text);
    }
    std::vector<Point> Vertices() const {
        std::vector<Point> out;
        for (const VertexRecord& v : d->V().Records()) out.emplace_back(v.x, v.y);
        return out;
    }
    // Each line as its two end points, as stored.
    std::vector<std::pair<Point, Point>> Lines() const {
        std::vector<std::pair<Point, Point>> out;
        const TVert& v = d->V();
        for (const LineRecord& l : d->L().Records()) out.push_back({{v[l.p].x, v[l.p].y}, {v[l.k].x, v[l.k].y}});
        return out;
    }

    std::unique_ptr<TDrawing> d = std::make_unique<TDrawing>();
    HpglPenState pens;
};

TEST_F(HpglTest, SquareIsOneObjectAndTheFinalPenUpOpensAnother) {
    Read("IN;SP1;PU0,0;PD100,0,100,100,0,100,0,0;PU0,0;");
    EXPECT_EQ(d->V().Count(), 4);
    ASSERT_EQ(d->L().Count(), 4);
    for (const LineRecord& l : d->L().Records()) {
        EXPECT_EQ(l.obj, 0);
        EXPECT_EQ(l.kind, 1);
        EXPECT_EQ(l.pen, 1);
    }
    EXPECT_EQ(d->Oelems(), 1) << "the last PU raises the object number although that object has no lines";
    EXPECT_EQ(pens.penMask, 1);
    EXPECT_EQ(Lines().back(), (std::pair<Point, Point>{{0, 100}, {0, 0}}));
}

TEST_F(HpglTest, RelativeMovesStartFromThePenPosition) {
    Read("PA10,10;PD;PR5,0,0,5;");
    EXPECT_EQ(Lines(), (std::vector<std::pair<Point, Point>>{{{10, 10}, {15, 10}}, {{15, 10}, {15, 15}}}));
}

TEST_F(HpglTest, EachPenLiftEndsAnObject) {
    Read("PU0,0;PD10,0;PU20,0;PD30,0;PR0,10;PA40,0;");
    ASSERT_EQ(d->L().Count(), 4);
    EXPECT_EQ(d->L()[0].obj, 0);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(d->L()[i].obj, 1);
    EXPECT_EQ(Lines()[2], (std::pair<Point, Point>{{30, 0}, {30, 10}})) << "PR while the pen is down";
    EXPECT_EQ(Lines()[3], (std::pair<Point, Point>{{30, 10}, {40, 0}})) << "PA while the pen is down";
    EXPECT_EQ(d->Oelems(), 1);
}

TEST_F(HpglTest, PenDownBeforeAnyMoveStartsAtTheFirstPointWithoutALine) {
    Read("PD100,100,200,100;");
    // The floating origin became a vertex; the first pair only moved the pen.
    EXPECT_EQ(Vertices(), (std::vector<Point>{{0, 0}, {100, 100}, {200, 100}}));
    EXPECT_EQ(Lines(), (std::vector<std::pair<Point, Point>>{{{100, 100}, {200, 100}}}));
}

TEST_F(HpglTest, PenUpPositionsBecomeVerticesAfterTheFirstPenDown) {
    Read("PU0,0;PD10,0;PU50,50;PU60,60;");
    EXPECT_EQ(Vertices(), (std::vector<Point>{{0, 0}, {10, 0}, {50, 50}, {60, 60}}));
    EXPECT_EQ(d->L().Count(), 1);
}

// ---- command termination --------------------------------------------------------------

struct TerminationCase {
    const char* name;
    std::string text;
    int lines;
};

class HpglTermination : public HpglTest, public testing::WithParamInterface<TerminationCase> {};

TEST_P(HpglTermination, CountsLines) {
    Read(GetParam().text);
    EXPECT_EQ(d->L().Count(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HpglTermination,
    testing::Values(TerminationCase{"Terminated", "PU0,0;PD10,10;", 1},
                    TerminationCase{"LastCommandUnterminatedIsDropped", "PU0,0;PD10,10", 0},
                    TerminationCase{"OnlyTheLastIsDropped", "PU0,0;PD10,0;PD10,10", 1},
                    TerminationCase{"LetterEndsACommand", "PU0,0PD10,0PD10,10;", 2},
                    TerminationCase{"LowerCase", "pu0,0;pd10,0;", 1},
                    TerminationCase{"LineBreaksAreDropped", "PU0,0;\r\nPD10,\r\n0;\n", 1},
                    TerminationCase{"BlankAfterSemicolonSwallowsTheRest", "PU0,0; PD10,0;PD10,10;", 0},
                    TerminationCase{"DigitAfterSemicolonSwallowsTheRest", "PU0,0;5PD10,0;", 0},
                    TerminationCase{"PlotterOnSequence", "\x1b.(;PU0,0;PD10,0;", 1},
                    TerminationCase{"DeviceControlSkippedToColon", "\x1b.I81;;17:PU0,0;PD10,0;", 1},
                    TerminationCase{"UnknownCommandsIgnored", "IN;SC0,100,0,100;VS10;LT;PU0,0;PD10,0;", 1},
                    TerminationCase{"TwoLettersNeedAThirdCharacter", "PU0,0;PUPD10,0;", 1},
                    TerminationCase{"SingleLetterCommandNeverEnds", "P;PU0,0;PD10,0;", 0},
                    TerminationCase{"NulBytesAreCommandText", std::string("PU0,0;PD10,0;\0PD20,0;", 21), 1}),
    [](const testing::TestParamInfo<TerminationCase>& info) { return std::string(info.param.name); });

// ---- numbers -----------------------------------------------------------------------------

struct NumberCase {
    const char* text;
    std::vector<double> values;
};

class HpglNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(HpglNumbers, ReadsIntegers) {
    std::string_view params = GetParam().text;
    std::vector<double> values;
    double v = 0;
    while (ReadHpglNumber(params, v)) values.push_back(v);
    EXPECT_EQ(values, GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(Cases, HpglNumbers,
                         testing::Values(NumberCase{"10,20", {10, 20}}, NumberCase{"10.5,2", {10.5, 2}},
                                         NumberCase{"-7.25", {-7.25}}, NumberCase{"10.,5", {10, 0}},
                                         NumberCase{" -7, +3", {-7, 3}}, NumberCase{"", {}}, NumberCase{"   ", {}},
                                         NumberCase{",10", {0}},         // the comma is the taken character
                                         NumberCase{"10 ,20", {10, 0}},  // ",20" again
                                         NumberCase{"A12,5", {0, 5}},    // a letter is taken like a sign
                                         NumberCase{"99999999999999999999", {9223372036854775807.0}},
                                         NumberCase{"-", {0}}));

TEST_F(HpglTest, DecimalCoordinatesAreOneNumberEach) {
    // Each is one coordinate, snapped onto the drawing's grid like any other; read as two
    // numbers each, the pairs would be (1000, 75), (0, 2000), (0, 25).
    Read("PU0,0;PD1000.75,0,2000,-0.25;");
    EXPECT_EQ(Lines(), (std::vector<std::pair<Point, Point>>{{{0, 0}, {1000, 0}}, {{1000, 0}, {2000, 0}}}));
}

// ---- circles -----------------------------------------------------------------------------

struct CircleCase {
    const char* name;
    const char* text;
    int vertices;
    int lines;
};

class HpglCircles : public HpglTest, public testing::WithParamInterface<CircleCase> {};

TEST_P(HpglCircles, ChordAngleSetsTheVertexCount) {
    Read(GetParam().text);
    EXPECT_EQ(d->V().Count(), GetParam().vertices);
    EXPECT_EQ(d->L().Count(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, HpglCircles,
                         testing::Values(CircleCase{"DefaultChord5", "CI100;", 72, 72},
                                         CircleCase{"ChordBelowOneIsOne", "CI100,0.5;", 360, 360},
                                         CircleCase{"Chord90", "CI100,90;", 4, 4},
                                         // 0° and 270°: there and back on one line (multiplicity 2)
                                         CircleCase{"ChordAbove270Is270", "CI100,300;", 2, 1},
                                         CircleCase{"NoRadius", "CI;", 0, 0},
                                         CircleCase{"RadiusZero", "PU5,5;CI0;", 1, 0}),
                         [](const testing::TestParamInfo<CircleCase>& info) { return std::string(info.param.name); });

TEST_F(HpglTest, CircleStartsRightOfThePenAndLeavesThePenWhereItWas) {
    Read("PU500,300;CI100;PR10,0;");
    ASSERT_GE(d->V().Count(), 1);
    EXPECT_EQ(Vertices()[0], (Point{600, 300}));
    EXPECT_EQ(Vertices()[18], (Point{500, 400}));  // 90°
    EXPECT_EQ(d->Oelems(), 1) << "PU made object 0, the circle object 1";
    for (const LineRecord& l : d->L().Records()) EXPECT_EQ(l.obj, 1);
    EXPECT_EQ(d->L().FindLine(71, 0).index, 71) << "closed back to the first vertex";
}

TEST_F(HpglTest, CirclePointsRoundHalvesAwayFromZero) {
    Read("PU0,0;PD;CI1,45;");
    // r·cos 45° = 0.707 rounds to 1, -0.707 to -1.
    const std::vector<Point> expected = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    EXPECT_EQ(Vertices(), expected);
    EXPECT_EQ(d->L().Count(), 8);
}

// ---- pens ----------------------------------------------------------------------------------

TEST_F(HpglTest, PenSelectionSetsLinePensMaskAndTwoFigureFlag) {
    Read("SP2;PU0,0;PD10,0;SP5;PD20,0;SP7;PD30,0;SP;PD40,0;");
    ASSERT_EQ(d->L().Count(), 4);
    EXPECT_EQ(d->L()[0].pen, 2);
    EXPECT_EQ(d->L()[1].pen, 5);
    EXPECT_EQ(d->L()[2].pen, 7);
    EXPECT_EQ(d->L()[3].pen, 7) << "SP without a number keeps the pen";
    EXPECT_EQ(pens.penMask, 2 | 16);
    EXPECT_TRUE(d->TwoFigures());
}

TEST_F(HpglTest, PenOutlivesTheFileButCirclesUseTheFilesOwnPen) {
    Read("SP3;");
    d->L().ClearLines();
    d->V().ClearVertices();
    pens.penMask = 0;
    Read("PU0,0;PD10,0;CI5,90;");
    ASSERT_EQ(d->L().Count(), 5);
    EXPECT_EQ(d->L()[0].pen, 3) << "PD draws with the pen the previous file selected";
    for (int i = 1; i < 5; ++i) EXPECT_EQ(d->L()[i].pen, 1) << "circles use pen 1 before the file's first SP";
    EXPECT_EQ(pens.penMask, 0);
}

// ---- end of file -----------------------------------------------------------------------

TEST_F(HpglTest, FinalStrayOriginVertexIsRemoved) {
    Read("PU5,5;PD10,5,10,10;PU0,0;");
    EXPECT_EQ(Vertices(), (std::vector<Point>{{5, 5}, {10, 5}, {10, 10}}));
}

TEST_F(HpglTest, OriginVertexWithALineStays) {
    Read("PU10,10;PD0,0;");
    EXPECT_EQ(Vertices(), (std::vector<Point>{{10, 10}, {0, 0}}));
}

TEST_F(HpglTest, RotationTurnsEveryVertexAtTheEnd) {
    Read("RO90;PU10,20;PD30,40;PU-7,0;");
    EXPECT_EQ(Vertices(), (std::vector<Point>{{-20, 10}, {-40, 30}, {0, -7}}));
    EXPECT_FALSE(std::signbit(Vertices()[2].first)) << "no negative zero";
}

TEST_F(HpglTest, SnapGridTruncatesTowardZero) {
    d->SetSnapGrid(4.0);
    Read("PU-7,7;PD9,-9;PR1,1;");
    EXPECT_EQ(Vertices(), (std::vector<Point>{{-4, 4}, {8, -8}, {8, -4}}))
        << "relative from the stored (snapped) vertex";
}

// ---- files and hostile input -------------------------------------------------------------

TEST_F(HpglTest, FileThatCannotBeOpenedGivesMinusOne) {
    test::TempDir dir;
    EXPECT_EQ(ReadHpgl(dir.Path() / "missing.plt", *d, pens), -1);
    EXPECT_EQ(ReadHpgl(dir.Path(), *d, pens), -1) << "a directory";
    ASSERT_EQ(::mkfifo((dir.Path() / "pipe.plt").c_str(), 0600), 0);
    EXPECT_EQ(ReadHpgl(dir.Path() / "pipe.plt", *d, pens), -1) << "a pipe would block the open";
    EXPECT_EQ(ReadHpgl("/dev/zero", *d, pens), -1) << "a device would never end";
    const auto file = dir.Write("ok.plt", "PU0,0;PD10,0;");
    EXPECT_EQ(ReadHpgl(file, *d, pens), 0);
    EXPECT_EQ(d->L().Count(), 1);
}

TEST_F(HpglTest, OverlongCommandIsCutAtAWholeNumberAndReadingGoesOn) {
    // Pairs (k, k): a number broken by the cut would show as a vertex off the diagonal.
    std::string text = "PU0,0;PD";
    for (int k = 1; text.size() < 3 * HPGL2::kCommandCapacity; ++k)
        text += std::to_string(k) + "," + std::to_string(k) + ",";
    text += "1;PU0,0;PD0,7;";
    Read(text);
    ASSERT_GT(d->V().Count(), 1000);
    EXPECT_LT(d->V().Count(), 5000);
    for (const Point& p : Vertices()) {
        if (p == Point{0, 7}) continue;
        EXPECT_EQ(p.first, p.second);
    }
    EXPECT_GE(d->V().FindVertex(0, 7), 0) << "the command after the long one is read";
}

TEST_F(HpglTest, OverlongGarbageEndsWithTheFile) {
    std::string text = "PU0,0;PD10,0; ";
    text += std::string(100000, '7');
    text += ";PD20,0;";
    Read(text);
    EXPECT_EQ(d->L().Count(), 1);
}

TEST_F(HpglTest, FullVertexTableDropsPointsInsteadOfDrawingToVertexZero) {
    std::string text = "PU0,0;PD";
    text.reserve(600000);
    for (int i = 1; i <= TVert::kAddLimit + 20; ++i) text += "PD" + std::to_string(i) + ",0;";
    Read(text);
    EXPECT_EQ(d->V().Count(), TVert::kAddLimit + 1);
    EXPECT_EQ(d->L().Count(), TVert::kAddLimit);
    for (const LineRecord& l : d->L().Records()) EXPECT_NE(l.k, 0);
}

TEST_F(HpglTest, HugeNumbersStayFinite) {
    Read("PU0,0;PD99999999999999999999,0;PR99999999999999999999,99999999999999999999;CI99999999999999999999,1;");
    for (const Point& p : Vertices()) {
        EXPECT_TRUE(std::isfinite(p.first));
        EXPECT_TRUE(std::isfinite(p.second));
    }
    EXPECT_GT(d->L().Count(), 300);
}

}  // namespace
}  // namespace wirvela
