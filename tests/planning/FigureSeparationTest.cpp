#include "planning/FigureSeparation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "formats/DrawingLoader.h"
#include "formats/HpglReader.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

// tests/data/two_figure_small.plt: figure 1 (pen 3) a square (1000,500)-(1100,600), figure 2
// (pen 4) a square (1020,520)-(1080,580), four segment lines (pen 5) joining their corners;
// the last one runs from figure 2 to figure 1.
// tests/data/two_figure_faulty.plt: the same figures; two segment lines share the figure 2
// node (1020,520) and a third ends at (1090,590), which is no node of figure 2.

class SeparationTest : public testing::Test {
protected:
    void ReadFixture(const std::string& name) {
        HpglPenState pens;
        ASSERT_EQ(ReadHpgl(test::TestDataDir() / name, *d, pens), 0);
        d->Oelems1() = d->Oelems();
    }
    int Label(double x, double y) const {
        const TVert& v = d->Set(0).V;
        return v[v.FindVertex(x, y)].obj;
    }
    int Mark(double x, double y) const {
        const TVert& v = d->Set(0).V;
        return v[v.FindVertex(x, y)].mark;
    }
    int SegLink(int figure, double x, double y) const {
        const TVert& v = d->Set(figure).V;
        return v[v.FindVertex(x, y)].segLink;
    }

    std::unique_ptr<TDrawing> d = std::make_unique<TDrawing>();
};

TEST_F(SeparationTest, SplitsByPenIntoTheThreeSets) {
    ReadFixture("two_figure_small.plt");
    d->Set(1).cutPath = std::make_unique<TLineList>(8);
    ASSERT_EQ(SeparateObj(*d), 0);
    EXPECT_EQ(d->Figure(), 1);
    EXPECT_EQ(d->Set(1).cutPath, nullptr) << "the old cut path is discarded";

    EXPECT_EQ(d->Set(1).L.Count(), 4);
    EXPECT_EQ(d->Set(1).V.Count(), 4);
    EXPECT_EQ(d->Set(2).L.Count(), 4);
    EXPECT_EQ(d->Set(2).V.Count(), 4);
    EXPECT_EQ(d->Set(0).L.Count(), 4);
    EXPECT_EQ(d->Set(0).V.Count(), 8);
    EXPECT_EQ(d->Oelems1(), 0);
    EXPECT_EQ(d->Oelems2(), 0);
    EXPECT_EQ(d->OelemsS(), 3);
    EXPECT_EQ(d->Oelems(), 0) << "figure 1's number is current";
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d->Set(0).L[i].obj, i);
        EXPECT_EQ(d->Set(0).L[i].pen, 5);
        EXPECT_EQ(d->Set(1).L[i].pen, 3);
        EXPECT_EQ(d->Set(2).L[i].pen, 4);
    }
    for (const VertexRecord& v : d->Set(0).V.Records()) EXPECT_EQ(v.mark, 1);
    EXPECT_GE(d->Set(2).V.FindVertex(1080, 580), 0);
}

TEST_F(SeparationTest, RenumbersUsedObjectsInTheirOldOrderAndDropsOtherPens) {
    TVert& v = d->V();
    auto line = [&](double x, int obj, int pen) {
        LineRecord l;
        l.p = v.AddVertex(x, 0, 0, obj);
        l.k = v.AddVertex(x, 10, 0, obj);
        l.obj = obj;
        l.kind = 1;
        l.pen = pen;
        d->L().AddLine(l);
    };
    line(0, 5, 3);
    line(1, 2, 3);
    line(2, 7, 4);
    line(3, 0, 1);
    line(4, 9, 5);
    d->Oelems() = 9;
    ASSERT_EQ(SeparateObj(*d), 0);
    const TDrawingSet& f1 = d->Set(1);
    ASSERT_EQ(f1.L.Count(), 2);
    EXPECT_EQ(f1.L[0].obj, 1) << "old 5 follows old 2";
    EXPECT_EQ(f1.L[1].obj, 0);
    EXPECT_EQ(f1.V[f1.L[0].p].obj, 1);
    EXPECT_EQ(f1.V[f1.L[1].k].obj, 0);
    EXPECT_EQ(d->Oelems1(), 1);
    EXPECT_EQ(d->Set(2).L[0].obj, 0);
    EXPECT_EQ(d->Oelems2(), 0);
    EXPECT_EQ(d->Set(0).L[0].obj, 0);
    EXPECT_EQ(d->OelemsS(), 0);
    EXPECT_EQ(f1.L.Count() + d->Set(2).L.Count() + d->Set(0).L.Count(), 4) << "the pen 1 line is in no set";
}

TEST_F(SeparationTest, SetWithoutLinesOfAPenGetsMinusOne) {
    d->L().AddLine(d->V().AddVertex(0, 0), d->V().AddVertex(1, 1), 1, 3);
    d->Oelems() = 0;
    ASSERT_EQ(SeparateObj(*d), 0);
    EXPECT_EQ(d->Oelems1(), 0);
    EXPECT_EQ(d->Oelems2(), -1);
    EXPECT_EQ(d->OelemsS(), -1);
}

TEST_F(SeparationTest, DrawingWithoutObjectsIsNotSeparated) {
    d->L().AddLine(d->V().AddVertex(0, 0), d->V().AddVertex(1, 1), 1, 3);
    MessageLog log;
    std::vector<std::string> lines;
    log.SetMemoHook([&](std::string_view l) { lines.emplace_back(l); });
    log.SetMemoEnabled(true);
    SeparationEnv env;
    env.log = &log;
    EXPECT_EQ(SeparateObj(*d, env), 1);
    EXPECT_EQ(d->L().Count(), 1) << "nothing changed";
    EXPECT_EQ(lines.back(), "------SeparateObj");
    EXPECT_EQ(lines[lines.size() - 2], "Oelems < 0, nie mozna bylo rozdzielic obiektow.");
}

TEST_F(SeparationTest, SegmentEndsAreLabelledByTheFigureTheyLieOn) {
    ReadFixture("two_figure_small.plt");
    ASSERT_EQ(SeparateObj(*d), 0);
    MarkSegNodesWithFigures(*d);
    EXPECT_EQ(Label(1000, 500), 1);
    EXPECT_EQ(Label(1020, 520), 2);
    // The fourth segment line starts on figure 2 and ends on figure 1.
    EXPECT_EQ(Label(1020, 580), 2);
    EXPECT_EQ(Label(1000, 600), 1);
    EXPECT_EQ(CheckSegNodesConneCtion(*d), 0);
    EXPECT_EQ(CheckSegNodeLinks(*d), 0);
    EXPECT_EQ(CountFaultySegmentNodes(*d), 0);
    EXPECT_EQ(SegLink(1, 1100, 600), 2);
    EXPECT_EQ(SegLink(2, 1080, 580), 2);
    EXPECT_EQ(SegLink(1, 1000, 600), 3);
    EXPECT_EQ(SegLink(2, 1020, 580), 3);
}

TEST_F(SeparationTest, SharedAndUnmatchedNodesAreMarkedAndCounted) {
    ReadFixture("two_figure_faulty.plt");
    ASSERT_EQ(SeparateObj(*d), 0);
    EXPECT_EQ(CheckSegNodesConneCtion(*d), 2) << "both lines at the shared node count";
    EXPECT_EQ(Mark(1020, 520), 16);
    MarkSegNodesWithFigures(*d);
    EXPECT_EQ(CheckSegNodeLinks(*d), 1);
    EXPECT_EQ(Mark(1090, 590), 16);
    EXPECT_EQ(Mark(1000, 500), 1);
    EXPECT_EQ(CountFaultySegmentNodes(*d), 2);
    EXPECT_EQ(SegLink(1, 1100, 600), 2) << "the matched end of the third line is linked";
}

TEST_F(SeparationTest, ManySegmentsAtOneNodeAreAllRepetitions) {
    TDrawingSet& seg = d->Set(0);
    const int hub = seg.V.AddVertex(0, 0);
    for (int i = 1; i <= 50; ++i) seg.L.AddLine(hub, seg.V.AddVertex(i, 100), 1, 5);
    seg.L.AddLine(seg.V.AddVertex(-5, 0), seg.V.AddVertex(-5, 100), 1, 5);
    EXPECT_EQ(CheckSegNodesConneCtion(*d), 50);
    EXPECT_EQ(CountFaultySegmentNodes(*d), 1);
}

// ---- the loader with the real steps ---------------------------------------------------------

class TwoFigureLoad : public testing::Test {
protected:
    class YesPrompt : public Prompt {
    public:
        PromptAnswer Ask(const PromptRequest& r) override {
            keys.push_back(r.messageKey);
            return r.buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
        }
        std::vector<int> keys;
    };

    void SetUp() override {
        dir.Write("wirvela.ini", "[Ploter]\nCone=1\n");
        params.Load(dir.Path(), "wirvela.ini", "local.txt");
        context.separation = FigureSeparationFor(*d, SeparationEnv{});
    }

    test::TempDir dir;
    TParameters params;
    TMessages messages;
    MessageLog log;
    std::unique_ptr<TDrawing> d = std::make_unique<TDrawing>();
    RecursiveTimedMutex mutex;
    HpglPenState pens;
    LoaderWindowState window;
    YesPrompt prompt;
    LoaderContext context{*d, &mutex, params, messages, log, &prompt, pens, window};
};

TEST_F(TwoFigureLoad, SplitsAndMovesAllThreeSetsByTheFiguresMinima) {
    LoadReport report;
    ASSERT_EQ(LoadDrawing(context, test::TestDataDir() / "two_figure_small.plt", 1, &report), 16);
    EXPECT_EQ(prompt.keys, std::vector<int>{301});
    EXPECT_TRUE(report.separated);
    EXPECT_TRUE(d->TwoFigures());
    EXPECT_EQ(d->Figure(), 1);
    EXPECT_EQ(d->Set(1).V.MinX(true), 0);
    EXPECT_EQ(d->Set(1).V.MinY(true), 0);
    EXPECT_EQ(d->Set(2).V.MinX(true), 20);
    EXPECT_EQ(d->Set(0).V.FindVertex(80, 80) >= 0, true) << "(1080,580) moved by (1000,500)";
    EXPECT_EQ(d->Set(0).L.Count(), 4);
    EXPECT_EQ(d->Set(1).V[d->Set(1).V.FindVertex(100, 100)].segLink, 2);
}

TEST_F(TwoFigureLoad, FaultyNodesAreReportedAndTheLoadGoesOn) {
    ASSERT_EQ(LoadDrawing(context, test::TestDataDir() / "two_figure_faulty.plt", 1), 16);
    EXPECT_EQ(prompt.keys, (std::vector<int>{301, 312, 303}));
    EXPECT_EQ(CountFaultySegmentNodes(*d), 2);
}

}  // namespace
}  // namespace wirvela
