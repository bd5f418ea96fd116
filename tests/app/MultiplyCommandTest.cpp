// The multiplication's sequence with the real connect command: grid copies joined again,
// and the row layout of multi-wire cutting, which joins the drawing from the spine's
// start before it copies.
#include "app/MultiplyCommand.h"

#include <gtest/gtest.h>

#include "support/ConnectTestSupport.h"

namespace wirvela {
namespace {

using test::AddPolyline;
using test::ConnectHarness;
using test::kClosedTag;
using test::Rect;

// Three parts, one with a hole, joined into one cut.
void Parts(ConnectHarness& h) {
    AddPolyline(h.L(), Rect(0, 0, 800, 600), 0, true);
    AddPolyline(h.L(), Rect(200, 200, 400, 400), 1, true);
    AddPolyline(h.L(), {{1000, 0}, {1600, 0}, {1300, 500}}, 2, true);
    h.SetObjects(2);
}

class Multiplied {
public:
    explicit Multiplied(ConnectHarness& h) : command_(Context(h)) {
        h.SetMultiplicationHooks([this] { return command_.RunState(); }, [this] { joinEnded_ = command_.JoinEnded(); });
    }
    MultiplyCommand& Command() { return command_; }
    bool JoinEnded() const { return joinEnded_; }

private:
    MultiplyContext Context(ConnectHarness& h) {
        MultiplyContext c(h.D(), &h.Mutex(), h.Window());
        c.mainWindow = &h.Channel();
        c.startJoin = [&h] {
            const int started = h.Command().StartConnect(1);
            if (started == 16) h.Command().Resume();
            return started;
        };
        c.waitJoin = [&h] {
            h.Command().Wait();
            h.Channel().ProcessPending();
        };
        return c;
    }

    MultiplyCommand command_;
    bool joinEnded_ = false;
};

// The cut path every plan passes: from the entry line and back to it, every entry
// meeting the next, closed contour lines once, every other line out and back.
void ExpectEveryPlanProperty(ConnectHarness& h) {
    const TDrawingSet& set = h.D().Set(TDrawing::kFigure1);
    ASSERT_TRUE(set.cutPath);
    test::ExpectContinuousFromEntry(*set.cutPath, set.L);
    const auto runs = test::CountRuns(*set.cutPath);
    for (int i = 0; i + 1 < set.L.Count(); ++i) {
        const auto it = runs.find(i);
        ASSERT_NE(it, runs.end()) << "line " << i << " never runs";
        if (set.L[i].spare[0] == kClosedTag) {
            EXPECT_EQ(it->second.forward + it->second.backward, 1) << "contour line " << i;
        } else {
            EXPECT_EQ(it->second.forward, 1) << "connecting line " << i;
            EXPECT_EQ(it->second.backward, 1) << "connecting line " << i;
        }
    }
}

TEST(MultiplyCommand, GridCopiesJoinedAgainGiveACutPathLikeAnyPlan) {
    ConnectHarness h;
    Parts(h);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    Multiplied m(h);
    h.Window().pendingMultiplication = 2;  // a project asked for it
    MultiplicationTexts fields;
    fields.columns = "3";
    fields.rows = "2";
    ASSERT_EQ(m.Command().RunToEnd(fields, MultiwireLayout::None), MultiplyCommand::Step::Done);
    EXPECT_EQ(h.Window().multiplications, 1);
    EXPECT_EQ(m.Command().RunState(), kMultiplyIdle);
    EXPECT_FALSE(m.Command().SeveralWires());
    EXPECT_EQ(h.D().Oelems(), 5);

    // What the main window does after it: no planarisation, no crossing split, join again.
    h.Channel().ProcessPending();
    bool ended = false;
    for (const test::Event& e : h.Events()) ended = ended || e.code == 2011;
    EXPECT_TRUE(ended) << "event 2011 tells the main window";
    h.Window().planarisationPending = false;
    h.Command().SetCrossingSplit(false);
    const ConnectReport report = h.Run();
    ASSERT_EQ(report.state, kConnectSucceeded);
    EXPECT_EQ(report.figures.at(0).unjoinedObjects, 0);
    ExpectEveryPlanProperty(h);
}

TEST(MultiplyCommand, TheRowLayoutJoinsFromTheSpineStartThenCopies) {
    ConnectHarness h;
    Parts(h);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    Multiplied m(h);
    MultiplicationTexts fields;
    fields.columns = "3";
    fields.multiwire = true;
    fields.lineOffset = "2";
    fields.wireDistance = "100";
    ASSERT_EQ(m.Command().RunToEnd(fields, MultiwireLayout::Row), MultiplyCommand::Step::Done)
        << m.Command().Result().message;
    EXPECT_TRUE(m.JoinEnded()) << "the joining worker moved the run state from 1 to 2";
    EXPECT_EQ(m.Command().RunState(), kMultiplyIdle);
    EXPECT_TRUE(m.Command().SeveralWires());
    EXPECT_EQ(h.Window().multiplications, 1);

    // The cut starts at P0 = (minX, maxY + m) and never jumps.
    const TDrawing& d = h.D();
    const TLineList& path = *d.Set(TDrawing::kFigure1).cutPath;
    const VertexRecord& start = d.V()[path.PathStart(0, d.L())];
    EXPECT_EQ(start.x, 0);
    EXPECT_EQ(start.y, 600 + 80);
    EXPECT_DOUBLE_EQ(d.Settings().entryX, 0.0);
    EXPECT_DOUBLE_EQ(d.Settings().entryY, 680 * 0.025);
    for (int i = 0; i < path.LastIndex(); ++i)
        EXPECT_EQ(path.PathEnd(i, d.L()), path.PathStart(i + 1, d.L())) << "entries " << i << ", " << i + 1;
    EXPECT_GT(d.V()[path.PathEnd(path.LastIndex(), d.L())].x, 2 * (1600 + 40)) << "the exit lies past the last copy";
}

TEST(MultiplyCommand, ARowLayoutWhoseJoiningCannotStartLeavesTheDrawingAsItWas) {
    ConnectHarness h;
    Parts(h);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    const TDrawing& d = h.D();
    const int vertices = d.V().Count();
    const int lines = d.L().Count();
    const LineRecord entry = d.L()[lines - 1];
    MultiplyContext c(h.D(), &h.Mutex(), h.Window());
    c.startJoin = [] { return -2; };
    MultiplyCommand command(std::move(c));
    MultiplicationTexts fields;
    fields.multiwire = true;
    EXPECT_EQ(command.RunToEnd(fields, MultiwireLayout::Row), MultiplyCommand::Step::Refused);
    EXPECT_EQ(command.RunState(), kMultiplyIdle);
    ASSERT_EQ(d.V().Count(), vertices);
    ASSERT_EQ(d.L().Count(), lines);
    EXPECT_EQ(d.L()[lines - 1].p, vertices - 1);
    EXPECT_EQ(d.L()[lines - 1].k, entry.k);
    EXPECT_EQ(d.V()[vertices - 1].obj, 10000);
}

TEST(MultiplyCommand, ARefusedProjectMultiplicationIsNoLongerPending) {
    ConnectHarness h;
    Parts(h);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    Multiplied m(h);
    h.Window().pendingMultiplication = 2;
    MultiplicationTexts fields;
    fields.columns = "many";
    EXPECT_EQ(m.Command().RunToEnd(fields, MultiwireLayout::None), MultiplyCommand::Step::Refused);
    EXPECT_EQ(m.Command().Result().message, kMultiplyBadCount);
    EXPECT_EQ(h.Window().pendingMultiplication, 0);
    EXPECT_EQ(h.Window().multiplications, 0);
}

}  // namespace
}  // namespace wirvela
