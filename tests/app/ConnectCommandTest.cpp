#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cmath>
#include <future>
#include <numbers>
#include <thread>

#include "app/ConnectCommand.h"
#include "planning/Predicates.h"
#include "support/ConnectTestSupport.h"

namespace wirvela {
namespace {

using test::AddPolyline;
using test::ConnectHarness;
using test::CountRuns;
using test::ExpectContinuousFromEntry;
using test::kClosedTag;
using test::kOpenTag;
using test::Pt;
using test::Rect;

// Every line tagged closed runs once, every open or connecting line once each way.
void ExpectRunsByKind(const TDrawingSet& set) {
    ASSERT_TRUE(set.cutPath);
    const auto runs = CountRuns(*set.cutPath);
    for (int i = 0; i + 1 < set.L.Count(); ++i) {
        const LineRecord& l = set.L[i];
        const auto it = runs.find(i);
        const test::Runs r = it == runs.end() ? test::Runs{} : it->second;
        if (l.kind == 1 && l.spare[0] == kClosedTag) {
            EXPECT_EQ(r.forward + r.backward, 1) << "closed contour line " << i;
        } else {
            EXPECT_EQ(r.forward, 1) << "line " << i << " (kind " << int(l.kind) << ") forwards";
            EXPECT_EQ(r.backward, 1) << "line " << i << " (kind " << int(l.kind) << ") backwards";
        }
    }
}

// Weaker, for drawings whose connecting lines were split at crossings (a connecting line
// then may close a cycle): every line is run once, or once in each direction.
void ExpectEveryLineOnceOrOutAndBack(const TDrawingSet& set) {
    ASSERT_TRUE(set.cutPath);
    const auto runs = CountRuns(*set.cutPath);
    for (int i = 0; i + 1 < set.L.Count(); ++i) {
        const auto it = runs.find(i);
        ASSERT_NE(it, runs.end()) << "line " << i << " is never run";
        const test::Runs r = it->second;
        EXPECT_TRUE((r.forward + r.backward == 1) || (r.forward == 1 && r.backward == 1)) << "line " << i;
    }
}

bool MutexFreeForAnotherThread(RecursiveTimedMutex& m) {
    return std::async(std::launch::async,
                      [&m] {
                          if (!m.try_lock()) return false;
                          m.unlock();
                          return true;
                      })
        .get();
}

TEST(ConnectCommand, ARunReportsItsPhasesToTheMainWindowAndEndsWithFinished) {
    ConnectHarness h;
    AddPolyline(h.L(), Rect(10, 10, 110, 60), 0, true);
    h.SetObjects(0);
    const ConnectReport report = h.Run();
    EXPECT_EQ(report.state, kConnectSucceeded);
    EXPECT_EQ(h.States(), (std::vector<std::intptr_t>{kConnectSplitDone, kConnectSucceeded, kConnectFinished}));

    std::vector<std::string> panel0;
    std::string final;
    std::string objects;
    std::string lines;
    for (const test::Event& e : h.Events()) {
        if (e.code == kEventStatusPanel0) panel0.push_back(e.text);
        if (e.code == kEventStatusText) final = e.text;
        if (e.code == kEventObjectCounts) objects = e.text;
        if (e.code == kEventLineCounts) lines = e.text;
    }
    const TMessages& m = h.Messages();
    EXPECT_NE(std::find(panel0.begin(), panel0.end(), m.MessageText(15)), panel0.end());
    EXPECT_NE(std::find(panel0.begin(), panel0.end(), m.MessageText(17)), panel0.end());
    EXPECT_NE(std::find(panel0.begin(), panel0.end(), m.MessageText(18)), panel0.end());
    EXPECT_NE(std::find(panel0.begin(), panel0.end(), "Measuring distances between objects: 100%"), panel0.end());
    EXPECT_EQ(final.rfind("Cutting path ready in ", 0), 0u) << final;
    EXPECT_EQ(objects, m.MessageText(9) + "1+0");
    EXPECT_EQ(lines, m.MessageText(10) + "5+0");
    EXPECT_EQ(h.Events().back().code, kEventConnectState);
    EXPECT_EQ(h.Events().back().value, kConnectFinished);
    EXPECT_FALSE(h.RunningAtTheEnd()) << "a window that starts the next run on the end event must be able to";

    EXPECT_TRUE(h.Logged(">>SB3 start before thread creation"));
    EXPECT_TRUE(h.Logged("-->>>> ConnectObj start (mutex owned & locked)"));
    EXPECT_TRUE(h.Logged("Liczba obiektow: 1."));
    EXPECT_TRUE(h.Logged("-------- Poszukiwanie sciezki"));
    EXPECT_TRUE(h.Logged("<<<<-- ConnectObj end (mutex released)"));
    EXPECT_TRUE(h.Command().CrossingSplit());
    EXPECT_TRUE(MutexFreeForAnotherThread(h.Mutex()));
}

// The texts come from a file the operator may edit; a format in it never reaches printf
// unchecked.
TEST(ConnectCommand, MessageFormatsFromTheFileAreFilledSafely) {
    ConnectHarness h({}, "[Present]\nPresent=1\n[Strings]\n00194=[%s %n %5d%% %*d %.500f %c]\n00196=[%e %d %x]\n");
    AddPolyline(h.L(), Rect(0, 0, 10, 10), 0, true);
    h.SetObjects(0);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    std::vector<std::string> texts;
    for (const test::Event& e : h.Events()) {
        if (e.code == kEventStatusPanel0 || e.code == kEventStatusText) texts.push_back(e.text);
    }
    // The one message formatter pairs %s with the next argument, as for every other
    // message; %n, '*' widths and conversions left without an argument stay as written.
    EXPECT_NE(std::find(texts.begin(), texts.end(), "[100 %n %5d% %*d %.500f %c]"), texts.end())
        << testing::PrintToString(texts);
    // "[1.234000e-02 %d %x]": the seconds fill %e, the rest has no argument.
    const auto total = [](const std::string& t) {
        return t.size() > 10 && t.front() == '[' && std::isdigit(static_cast<unsigned char>(t[1])) &&
               (t.find("e-") != std::string::npos || t.find("e+") != std::string::npos) && t.ends_with(" %d %x]");
    };
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), total)) << "the seconds fill %e, the rest has no argument";
}

// With the entry offsets 0 the entry point is the rectangle's corner vertex. The entry
// vertex must still be a vertex of its own and the entry line a line of its own (of
// length 0), both last, so the cut starts and ends at the entry point.
class ConnectEntry : public testing::TestWithParam<std::pair<double, double>> {};

TEST_P(ConnectEntry, TheCutStartsAndEndsOnTheEntryLineFromTheEntryPoint) {
    const auto [xMm, yMm] = GetParam();
    ConnectHarness h;
    h.D().SetEntryOffset(xMm, yMm);
    AddPolyline(h.L(), Rect(0, 0, 100, 50), 0, true);
    h.SetObjects(0);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);

    const TVert& v = h.D().V();
    const TLines& l = h.D().L();
    ASSERT_EQ(v.Count(), 5);
    ASSERT_EQ(l.Count(), 5);
    const VertexRecord& entry = v[4];
    EXPECT_EQ(entry.x, xMm / 0.025);
    EXPECT_EQ(entry.y, yMm / 0.025);
    EXPECT_EQ(entry.mark, 2);
    EXPECT_EQ(entry.obj, 10000);
    EXPECT_EQ(entry.noExtents, 1);
    EXPECT_EQ(l[4].p, 4);
    EXPECT_EQ(l[4].k, 0) << "joined to the nearest corner";
    EXPECT_EQ(l[4].obj, 10000);
    EXPECT_EQ(l[4].kind, 2);
    EXPECT_EQ(v[0].obj, 0) << "the corner vertex keeps its own fields";

    const TLineList& path = *h.D().CutPath();
    ExpectContinuousFromEntry(path, l);
    EXPECT_EQ(path.LastIndex(), 5);
    ExpectRunsByKind(h.D().Set(TDrawing::kFigure1));
}

INSTANTIATE_TEST_SUITE_P(Offsets, ConnectEntry,
                         testing::Values(std::pair{0.0, 0.0}, std::pair{-1.0, -0.5}, std::pair{0.0, -2.0}));

struct ShapeCase {
    const char* name;
    std::vector<std::pair<std::vector<Pt>, bool>> shapes;  // points, closed; object = position
    int objectsAfter;
};

class ConnectShapes : public testing::TestWithParam<ShapeCase> {};

TEST_P(ConnectShapes, JunctionsAndCrossingsBecomeSharedVerticesAndTheTourCoversEverything) {
    const ShapeCase& c = GetParam();
    ConnectHarness h;
    int obj = 0;
    for (const auto& [points, closed] : c.shapes) AddPolyline(h.L(), points, obj++, closed);
    h.SetObjects(obj - 1);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    const TDrawingSet& set = h.D().Set(TDrawing::kFigure1);
    EXPECT_EQ(set.oelems + 1, c.objectsAfter);
    const ConnectReport report = h.Command().Report();
    const ConnectReport::Figure& f = report.figures.at(0);
    EXPECT_EQ(f.integrity.unvisitedPoints, 0);
    EXPECT_EQ(f.integrity.unvisitedLines, 0);
    ExpectContinuousFromEntry(*set.cutPath, set.L);
    ExpectRunsByKind(set);
}

INSTANTIATE_TEST_SUITE_P(
    Drawings, ConnectShapes,
    testing::Values(
        ShapeCase{
            "Disjoint", {{Rect(0, 0, 10, 10), true}, {Rect(40, 0, 50, 20), true}, {Rect(0, 40, 30, 50), true}}, 3},
        ShapeCase{"Crossing", {{Rect(0, 0, 40, 20), true}, {Rect(20, 10, 60, 40), true}}, 1},
        ShapeCase{"CornerOnAnEdge", {{Rect(0, 0, 40, 20), true}, {{{20, 20}, {30, 40}, {10, 40}}, true}}, 1},
        ShapeCase{"PolylineEndingOnAnEdge", {{Rect(0, 0, 40, 20), true}, {{{20, 20}, {20, 30}, {35, 45}}, false}}, 1},
        ShapeCase{"LooseOpenPolyline", {{Rect(0, 0, 40, 20), true}, {{{60, 0}, {70, 10}, {60, 20}}, false}}, 2},
        ShapeCase{"CrossingThreeWays",
                  {{Rect(0, 0, 40, 20), true}, {Rect(20, 10, 60, 40), true}, {{{5, 30}, {50, -12}, {70, 33}}, true}},
                  1}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

// Two rectangles sharing part of an edge: the shared piece is one line between two
// nodes of three lines each, so it is run out and back; every other line once.
TEST(ConnectCommand, ACollinearOverlapBecomesOneSharedPieceRunOnceEachWay) {
    ConnectHarness h;
    AddPolyline(h.L(), Rect(0, 0, 40, 20), 0, true);
    AddPolyline(h.L(), Rect(20, 20, 60, 40), 1, true);
    h.SetObjects(1);
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    const TDrawingSet& set = h.D().Set(TDrawing::kFigure1);
    EXPECT_EQ(set.oelems, 0);
    const int a = set.V.FindVertex(20, 20);
    const int b = set.V.FindVertex(40, 20);
    const LineRef shared = set.L.FindLine(a, b);
    ASSERT_GE(shared.index, 0);
    const auto runs = CountRuns(*set.cutPath);
    EXPECT_EQ(runs.at(shared.index).forward, 1);
    EXPECT_EQ(runs.at(shared.index).backward, 1);
    for (int i = 0; i + 1 < set.L.Count(); ++i) {
        if (i == shared.index) continue;
        EXPECT_EQ(runs.at(i).forward + runs.at(i).backward, 1) << "line " << i;
    }
    ExpectContinuousFromEntry(*set.cutPath, set.L);
}

TEST(ConnectCommand, EightyLinesAtOnePointStopTheRunBeforeTheJoining) {
    for (const int spokes : {79, 80}) {
        ConnectHarness h;
        const int centre = h.L().Vertices().AddVertex(500, 500);
        for (int i = 0; i < spokes; ++i) {
            const double a = 2 * std::numbers::pi * i / spokes;
            const int end =
                h.L().Vertices().AddVertex(std::round(500 + 400 * std::cos(a)), std::round(500 + 400 * std::sin(a)));
            h.L().AddLine(centre, end, 1);
        }
        AddPolyline(h.L(), Rect(2000, 0, 2100, 100), 1, true);
        h.SetObjects(1);
        const ConnectReport report = h.Run();
        if (spokes == 79) {
            EXPECT_EQ(report.state, kConnectSucceeded);
            continue;
        }
        EXPECT_EQ(report.state, kConnectNoGraph);
        EXPECT_EQ(h.States(), (std::vector<std::intptr_t>{kConnectSplitDone, kConnectNoGraph, kConnectFinished}));
        EXPECT_EQ(h.L().Count(), 84) << "no connecting line, no entry line";
        ASSERT_EQ(h.Prompts().asked.size(), 1u);
        EXPECT_EQ(h.Prompts().asked[0].messageKey, 180);
        EXPECT_NE(h.Prompts().asked[0].text.find("80"), std::string::npos);
        EXPECT_TRUE(h.PendingCleared());
        EXPECT_TRUE(h.Logged("<<<<-- ConnectObj end (mutex released)"));
    }
}

TEST(ConnectCommand, AnObjectTheCrossingTestCutsOffIsReportedUnvisited) {
    ConnectHarness h(std::map<std::string, std::string>{{"CrossingTest", "1"}});
    AddPolyline(h.L(), {{-20, 0}, {120, 0}, {110, -20}, {40, 120}, {60, 120}, {-10, -20}}, 0, true);
    AddPolyline(h.L(), {{49, 35}, {51, 35}}, 1, false);
    h.SetObjects(1);
    const ConnectReport report = h.Run();
    EXPECT_EQ(report.state, kConnectSucceeded);
    const ConnectReport::Figure& f = report.figures.at(0);
    EXPECT_EQ(f.joined, 0);
    EXPECT_EQ(f.unjoinedObjects, 1);
    EXPECT_EQ(f.integrity.unvisitedPoints, 2);
    EXPECT_EQ(f.integrity.unvisitedLines, 2);
}

// A connecting line from A to C runs through the tall object B. The first run leaves it;
// every later run splits connecting lines where they cross object lines.
TEST(ConnectCommand, RunsAfterTheFirstSplitConnectingLinesAtCrossings) {
    ConnectHarness h;
    const auto load = [&h] {
        h.D().Set(TDrawing::kFigure1).ClearTables();
        AddPolyline(h.L(), Rect(0, 45, 10, 55), 0, true);
        AddPolyline(h.L(), Rect(18, 0, 22, 100), 1, true);
        AddPolyline(h.L(), Rect(30, 45, 40, 55), 2, true);
        h.SetObjects(2);
    };
    const auto crossings = [&h] {
        int n = 0;
        const TLines& l = h.L();
        const TVert& v = l.Vertices();
        for (int d = 0; d < l.Count(); ++d) {
            for (int i = 0; i < l.Count(); ++i) {
                if (l[d].kind == 2 && l[i].kind == 1 &&
                    SegmentsCross(v[l[d].p], v[l[d].k], v[l[i].p], v[l[i].k]) == kSegmentsCrossProper) {
                    ++n;
                }
            }
        }
        return n;
    };
    load();
    ASSERT_FALSE(h.Command().CrossingSplit());
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    EXPECT_EQ(crossings(), 2) << "the first run keeps the line through B";
    EXPECT_TRUE(h.Command().CrossingSplit());

    load();
    ASSERT_EQ(h.Run().state, kConnectSucceeded);
    EXPECT_EQ(crossings(), 0);
    EXPECT_GE(h.D().V().FindVertex(18, 45), 0);
    EXPECT_GE(h.D().V().FindVertex(22, 45), 0);
    // A is now joined to B twice (its own connecting line and the piece of the line that
    // ran through B), so those lines form a cycle and are no longer all run out and back.
    const TDrawingSet& set = h.D().Set(TDrawing::kFigure1);
    ExpectContinuousFromEntry(*set.cutPath, set.L);
    ExpectEveryLineOnceOrOutAndBack(set);
}

// Figure 1 and figure 2 tied by segment lines: both get their cut path; figure 2's entry
// line is attached to the node that the segment from figure 1's entry node leads to.
TEST(ConnectCommand, TwoFiguresAreJoinedOneAfterTheOtherOnOneThread) {
    ConnectHarness h;
    TDrawing& d = h.D();
    TDrawingSet& seg = d.Set(TDrawing::kSegments);
    const int s0 = seg.V.AddVertex(10, 10, 1, 1);
    const int s1 = seg.V.AddVertex(20, 20, 1, 2);
    const int s2 = seg.V.AddVertex(10, 0, 1, 1);
    const int s3 = seg.V.AddVertex(20, 0, 1, 2);
    seg.L.AddLine(s0, s1, 1, 5);
    seg.L.AddLine(s2, s3, 1, 5);
    seg.oelems = 1;
    AddPolyline(d.Set(TDrawing::kFigure1).L, Rect(0, 0, 10, 10), 0, true);
    d.Set(TDrawing::kFigure1).oelems = 0;
    AddPolyline(d.Set(TDrawing::kFigure2).L, Rect(0, 0, 20, 20), 0, true);
    d.Set(TDrawing::kFigure2).oelems = 0;
    d.SetTwoFigures(true);
    d.SelectFigure(TDrawing::kFigure1);

    const ConnectReport report = h.Run();
    EXPECT_EQ(report.state, kConnectSucceeded);
    EXPECT_EQ(h.States(),
              (std::vector<std::intptr_t>{kConnectSplitDone, kConnectSplitDone, kConnectSucceeded, kConnectFinished}));
    EXPECT_TRUE(h.Logged("Przetwarzanie drugiej figury na potrzeby posegmentowanych obiektow"));
    EXPECT_FALSE(d.TwoFigures());
    EXPECT_EQ(d.Figure(), TDrawing::kFigure2);
    EXPECT_EQ(h.Command().SegmentStartNode(), s2) << "the figure-1 segment node nearest the entry point";
    for (int f : {TDrawing::kFigure1, TDrawing::kFigure2}) {
        const TDrawingSet& set = d.Set(f);
        ASSERT_TRUE(set.cutPath) << "figure " << f;
        ExpectContinuousFromEntry(*set.cutPath, set.L);
        const LineRecord& entry = set.L[set.L.Count() - 1];
        EXPECT_EQ(set.V[entry.k].x, f == 1 ? 10 : 20) << "figure " << f;
        EXPECT_EQ(set.V[entry.k].y, 0);
        EXPECT_EQ(set.V[entry.p].x, 0);
    }
    std::string objects;
    for (const test::Event& e : h.Events()) {
        if (e.code == kEventObjectCounts) objects = e.text;
    }
    EXPECT_EQ(objects, h.Messages().MessageText(9) + "1+1");
    EXPECT_TRUE(MutexFreeForAnotherThread(h.Mutex())) << "both holds of the mutex are released";
}

TEST(ConnectCommand, WithoutTheDrawingMutexInTimeTheRunEndsWithoutTouchingTheDrawing) {
    ConnectHarness h;
    AddPolyline(h.L(), Rect(0, 0, 10, 10), 0, true);
    h.SetObjects(0);
    std::promise<void> held;
    std::promise<void> release;
    std::thread holder([&] {
        h.Mutex().lock();
        held.set_value();
        release.get_future().wait();
        h.Mutex().unlock();
    });
    held.get_future().wait();
    const ConnectReport report = h.Run();
    release.set_value();
    holder.join();
    EXPECT_TRUE(report.mutexFailed);
    EXPECT_TRUE(h.Events().empty());
    EXPECT_TRUE(h.PendingCleared());
    EXPECT_TRUE(h.Logged("ConnectObjs: Mutex timeout !!!"));
    EXPECT_EQ(h.L().Count(), 4);
}

TEST(ConnectCommand, AStopBeforeTheWorkerRunsEndsItQuietly) {
    ConnectHarness h;
    AddPolyline(h.L(), Rect(0, 0, 10, 10), 0, true);
    h.SetObjects(0);
    ASSERT_EQ(h.Command().StartConnect(1), 16);
    EXPECT_TRUE(h.Command().Running());
    EXPECT_EQ(h.Command().StartConnect(1), -2) << "one run at a time";
    h.Command().RequestStop();
    h.Command().Wait();
    h.Channel().ProcessPending();
    EXPECT_TRUE(h.Command().Report().stopped);
    EXPECT_TRUE(h.Events().empty());
    EXPECT_EQ(h.L().Count(), 4);
    EXPECT_TRUE(MutexFreeForAnotherThread(h.Mutex()));
}

// A painter reads the model under the drawing mutex (at most 100 ms per try) while a run
// works; the run is stopped in the middle of the joining. Run under ThreadSanitizer too.
TEST(ConnectCommand, StoppingARunWhileAPainterReadsLeavesTheMutexFreeAndTheModelUsable) {
    ConnectHarness h;
    for (int i = 0; i < 1200; ++i) {
        const double x = 30.0 * (i % 40);
        const double y = 30.0 * (i / 40);
        AddPolyline(h.L(), Rect(x, y, x + 10, y + 10), i, true);
    }
    h.SetObjects(1199);

    std::atomic<bool> painting{true};
    std::atomic<int> paints{0};
    std::atomic<int> badLines{0};
    std::thread painter([&] {
        while (painting.load()) {
            // The painter's bounded wait of 100 ms (from try_lock, which thread checkers follow).
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
            bool owned = false;
            while (!(owned = h.Mutex().try_lock()) && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (!owned) continue;
            const TLines& l = h.D().L();
            for (int i = 0; i < l.Count(); ++i) {
                if (l[i].p >= l.Vertices().Count() || l[i].k >= l.Vertices().Count()) ++badLines;
            }
            h.Mutex().unlock();
            ++paints;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    // Stop as soon as the joining reports its first progress; the worker waits in that
    // notification until it has been handled here.
    bool stopAsked = false;
    ASSERT_EQ(h.Command().StartConnect(1), 16);
    h.Command().Resume();
    while (h.Command().Running()) {
        h.Channel().WaitAndProcess(5);
        for (const test::Event& e : h.Events()) {
            if (!stopAsked && e.code == kEventStatusPanel0 && e.text.find('%') != std::string::npos) {
                h.Command().RequestStop();
                stopAsked = true;
            }
        }
    }
    h.Command().Wait();
    h.Channel().ProcessPending();
    painting = false;
    painter.join();

    ASSERT_TRUE(stopAsked);
    const ConnectReport report = h.Command().Report();
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(h.Logged("ConnectObjs: stopped"));
    for (const test::Event& e : h.Events()) {
        EXPECT_FALSE(e.code == kEventConnectState && e.value == kConnectFinished) << "a stopped run posts nothing";
    }
    EXPECT_EQ(badLines.load(), 0);
    EXPECT_GT(paints.load(), 0);
    EXPECT_TRUE(MutexFreeForAnotherThread(h.Mutex()));
    for (int i = 0; i < h.L().Count(); ++i) EXPECT_EQ(h.L()[i].kind, 1) << "the joining added nothing yet";

    // The model is usable: a fresh drawing plans to its end with the same command.
    h.D().Set(TDrawing::kFigure1).ClearTables();
    AddPolyline(h.L(), Rect(0, 0, 10, 10), 0, true);
    h.SetObjects(0);
    EXPECT_EQ(h.Run().state, kConnectSucceeded);
}

}  // namespace
}  // namespace wirvela
