#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "planning/FastJoin.h"
#include "planning/ObjectConnection.h"
#include "planning/PathFindingMethods.h"
#include "planning/PathSearch.h"
#include "support/ConnectTestSupport.h"
#include "support/TempDir.h"
#include "support/TestBudget.h"

namespace wirvela {
namespace {

using test::LogLines;
using test::PathStep;
using test::TempDir;

struct Tables {
    TVert v{0.0, true};
    TLines l{v, true};
    // Empty again, with these switches (constructing the full-capacity tables for each
    // of thousands of cases would take most of the test's time).
    Tables& Reset(bool vertexDedup = true, bool lineDedup = true) {
        l.Truncate(0);
        v.Truncate(0);
        v.SetDeduplication(vertexDedup);
        l.SetDeduplication(lineDedup);
        return *this;
    }
};

Tables& Reused() {
    static Tables tables;
    return tables;
}

// Everything a search leaves that a caller can see.
struct Outcome {
    int result = 0;
    int forced = 0;
    std::vector<int> tour;
    std::vector<std::string> nodes;  // passes, slots and their marks, node by node
    std::vector<PathStep> cutPath;
    int converted = 0;
    IntegrityCounts integrity;
    std::vector<std::string> log;
    bool refused = false;  // the reference's last splice did not fit (Cycle() is the refused walk)
};

std::vector<std::string> Nodes(const PATH_FINDING_METHODS& g) {
    std::vector<std::string> out;
    for (int n = 0; n < g.NodeCount(); ++n) {
        const PATH_NODE& node = g.Node(n);
        std::string s = std::to_string(node.x) + "," + std::to_string(node.y) + " p" + std::to_string(node.passes);
        for (int t = 0; t < node.consCount; ++t) {
            s += " " + std::to_string(node.conNode[t]) + "/" + std::to_string(node.conLine[t]) + "/" +
                 std::to_string(node.conVisits[t]);
        }
        out.push_back(s);
    }
    return out;
}

// BuildGraph, TestDuplicates, FindPath from the node of startVertex, the node states
// after it, PathToLineList and TestIntegrity, as RunPathSearch runs them.
Outcome Search(const TLines& lines, Planner planner, int startVertex, bool duplicates) {
    LogLines sink;
    PathSearchEnv env = test::Env(&sink);
    env.planner = planner;
    PATH_FINDING_METHODS g(env);
    Outcome o;
    o.result = g.BuildGraph(lines, lines.Vertices());
    if (o.result != 0) return o;
    // The switch of the settings file off is the same as no call (and reading the file
    // for each of thousands of cases would take most of the test's time).
    if (duplicates) g.TestDuplicates(startVertex);
    o.result = g.FindPath(g.NodeOfVertex(startVertex));
    o.forced = g.ForcedAttempts();
    if (g.Path() != nullptr) {
        for (int i = 0; i < g.Path()->Count(); ++i) o.tour.push_back(g.Path()->Get(i));
        const PATH_THROUGH_NODES* walk = g.Cycle();
        o.refused = o.result == PATH_FINDING_METHODS::kSweepLimit && walk != nullptr && walk->Count() >= 2 &&
                    walk->First() == walk->Last() && g.Path()->Count() + walk->Count() > g.Path()->Capacity();
    }
    o.nodes = Nodes(g);
    std::unique_ptr<TLineList> list;
    o.converted = g.PathToLineList(list);
    if (list) o.cutPath = test::Steps(*list);
    g.TestIntegrity();
    o.integrity = g.Integrity();
    o.log = sink.lines;
    return o;
}

struct Coverage {
    int forced = 0;
    int sweepLimit = 0;
    int refused = 0;
};

void ExpectSameSearch(const TLines& lines, int startVertex, bool duplicates, const std::string& context,
                      Coverage& coverage) {
    const Outcome expected = Search(lines, Planner::Reference, startVertex, duplicates);
    const Outcome got = Search(lines, Planner::Fast, startVertex, duplicates);
    EXPECT_EQ(got.result, expected.result) << context;
    EXPECT_EQ(got.forced, expected.forced) << context;
    EXPECT_EQ(got.tour, expected.tour) << context;
    EXPECT_EQ(got.nodes, expected.nodes) << context;
    EXPECT_EQ(got.converted, expected.converted) << context;
    EXPECT_EQ(got.cutPath, expected.cutPath) << context;
    EXPECT_EQ(got.integrity.pathNodes, expected.integrity.pathNodes) << context;
    EXPECT_EQ(got.integrity.unvisitedPoints, expected.integrity.unvisitedPoints) << context;
    EXPECT_EQ(got.integrity.unvisitedLines, expected.integrity.unvisitedLines) << context;
    EXPECT_EQ(got.integrity.surplus, expected.integrity.surplus) << context;
    EXPECT_EQ(got.log, expected.log) << context;
    if (expected.forced > 0) ++coverage.forced;
    if (expected.result == PATH_FINDING_METHODS::kSweepLimit) ++coverage.sweepLimit;
    if (expected.refused) ++coverage.refused;
}

// A small random graph on a 7 × 7 grid: coinciding and collinear nodes, repeated lines
// (with the line table's merging off), lines of zero length, nodes without lines (which
// raise the node count and so the sweep limit, but not the tour's capacity), and now and
// then a start node without lines.
void RandomGraph(std::mt19937& rng, Tables& t) {
    const int vertices = 2 + static_cast<int>(rng() % (rng() % 2 == 0 ? 3 : 10));
    for (int i = 0; i < vertices; ++i) {
        const double x = static_cast<double>(rng() % 7);
        const double y = static_cast<double>(rng() % 7);
        t.v.AddVertex(x + (rng() % 4 == 0 ? 0.5 : 0.0), y);
    }
    const int count = t.v.Count();
    const int lines = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < lines; ++i) {
        int p = static_cast<int>(rng() % static_cast<unsigned>(count));
        int k = static_cast<int>(rng() % static_cast<unsigned>(count));
        if (rng() % 2 == 0 && t.l.Count() > 0) {
            // A polyline goes on, or a line runs again beside an earlier one.
            const LineRecord& earlier = t.l[static_cast<int>(rng() % static_cast<unsigned>(t.l.Count()))];
            p = rng() % 2 == 0 ? earlier.p : earlier.k;
            k = rng() % 2 == 0 ? earlier.k : earlier.p;
        }
        t.l.AddLine(p, k, 1);
    }
    if (rng() % 4 == 0) {
        const int extra = static_cast<int>(rng() % 40);
        for (int i = 0; i < extra; ++i) t.v.AddVertex(100.0 + i, 100.0);
    }
}

class FastPathSearch : public testing::Test {
protected:
    void SetUp() override {
        dir_.Write("wirvela.ini", "[Ploter]\nTestDuplicates=0\n");
        withoutDuplicates_ = dir_.Path() / "wirvela.ini";
    }
    TempDir dir_;
    std::filesystem::path withoutDuplicates_;
};

TEST_F(FastPathSearch, RandomGraphsGiveTheReferenceTourMarksForcedAttemptsAndLimits) {
    Coverage coverage;
    const int graphs = test::BudgetedCases(20000, 2000);
    for (std::uint32_t seed = 1; seed <= static_cast<std::uint32_t>(graphs); ++seed) {
        std::mt19937 rng(seed);
        // Mostly without the line table's merging: repeated lines make the failed walks.
        Tables& t = Reused().Reset(rng() % 3 != 0, rng() % 4 == 0);
        RandomGraph(rng, t);
        const int start =
            rng() % 2 == 0 ? t.v.Count() - 1 : static_cast<int>(rng() % static_cast<unsigned>(t.v.Count()));
        const bool duplicates = rng() % 4 == 0;
        ExpectSameSearch(t.l, start, duplicates, "seed " + std::to_string(seed), coverage);
        if (HasFailure()) break;
    }
    // The graphs must reach the rare branches, or the comparison proves little (the
    // thresholds are for 20000 graphs).
    EXPECT_GT(coverage.forced, 100 * graphs / 20000);
    EXPECT_GT(coverage.sweepLimit, 100 * graphs / 20000);
    EXPECT_GT(coverage.refused, 10 * graphs / 20000);
}

// Drawings as the connect command leaves them: contours of several objects on a coarse
// grid, joined, an entry vertex and line moved to the ends; the whole path search step.
// Many vertices at one integer place, each with its own spokes: the duplicate pass merges
// them into one node, which overfills when their lines together pass the slot limit (the
// slots that fall out take their partners along). The fast planner's nodes have room for
// exactly what they can reach, so this is where they would run short.
TEST_F(FastPathSearch, CrowdedMergesGiveTheReferenceGraphAndTour) {
    Coverage coverage;
    bool overfilled = false;
    for (const int near : {2, 5, 9}) {
        for (const int spokes : {7, 20, 30}) {
            Tables& t = Reused().Reset();
            for (int j = 0; j < near; ++j) {
                const int centre = t.v.AddVertex(50.0 + 0.1 * j, 50.25);
                for (int i = 0; i < spokes; ++i) {
                    const double a = 2.0 * std::numbers::pi * (j * spokes + i) / (near * spokes);
                    t.l.AddLine(centre, t.v.AddVertex(50.0 + 30.0 * std::cos(a), 50.0 + 30.0 * std::sin(a)), 1);
                }
                if (j > 0) t.l.AddLine(centre, centre - spokes - 1, 1);
            }
            const std::string context = std::to_string(near) + " x " + std::to_string(spokes);
            ExpectSameSearch(t.l, 0, true, context, coverage);
            for (const std::string& line : Search(t.l, Planner::Reference, 0, true).log) {
                overfilled = overfilled || line.find("Za mala MAX_CONS") != std::string::npos;
            }
        }
    }
    EXPECT_TRUE(overfilled) << "no case overfilled a node";
}

TEST_F(FastPathSearch, JoinedDrawingsGiveTheReferenceCutPath) {
    for (std::uint32_t seed = 1; seed <= static_cast<std::uint32_t>(test::BudgetedCases(200, 20)); ++seed) {
        std::mt19937 rng(seed);
        const bool duplicates = rng() % 4 != 0;
        Tables& t = Reused().Reset();
        const int objects = 1 + static_cast<int>(rng() % 12);
        for (int obj = 0; obj < objects; ++obj) {
            const int points = 2 + static_cast<int>(rng() % 6);
            std::vector<test::Pt> pts;
            for (int i = 0; i < points; ++i) {
                pts.push_back({static_cast<double>(rng() % 30), static_cast<double>(rng() % 30)});
            }
            test::AddPolyline(t.l, pts, obj, rng() % 3 != 0);
        }
        LogLines joining;
        JoinObjectsFast(t.l, objects, rng() % 2 == 0, joining);
        t.v.SetDeduplication(false);
        const int entry = t.v.AddVertex(-5, -5, 2, 10000, 1);
        t.l.AddLine(entry, static_cast<int>(rng() % static_cast<unsigned>(entry)), 2);
        MoveEntryToEnds(t.l, t.l.Count() - 1, entry);

        std::vector<std::vector<PathStep>> cutPaths;
        std::vector<std::vector<std::string>> logs;
        for (const Planner planner : {Planner::Reference, Planner::Fast}) {
            LogLines sink;
            PathSearchEnv env = test::Env(&sink, nullptr, duplicates ? std::filesystem::path{} : withoutDuplicates_);
            env.planner = planner;
            std::unique_ptr<TLineList> cutPath;
            PathSearchOutcome outcome;
            ASSERT_EQ(RunPathSearch(t.l, cutPath, env, &outcome), 0) << "seed " << seed;
            cutPaths.push_back(test::Steps(*cutPath));
            logs.push_back(sink.lines);
        }
        EXPECT_EQ(cutPaths[1], cutPaths[0]) << "seed " << seed;
        EXPECT_EQ(logs[1], logs[0]) << "seed " << seed;
        if (HasFailure()) break;
    }
}

// The check before the joining answers as building the graph does, error boxes too:
// random graphs, some with a line end beyond the vertex table, some with a node of 79
// or 80 lines, some with both (the first fault in line order counts).
TEST_F(FastPathSearch, TheCheckOfADrawingAnswersAsBuildingItsGraph) {
    int faults = 0;
    const int graphs = test::BudgetedCases(600, 60);
    for (std::uint32_t seed = 1; seed <= static_cast<std::uint32_t>(graphs); ++seed) {
        std::mt19937 rng(seed);
        Tables& t = Reused().Reset(true, rng() % 2 == 0);
        RandomGraph(rng, t);
        if (rng() % 3 == 0) {
            const int hub = t.v.AddVertex(-50, -50);
            const int spokes = 78 + static_cast<int>(rng() % 3);
            for (int i = 0; i < spokes; ++i) t.l.AddLine(hub, t.v.AddVertex(-100.0 - i, -50.0), 1);
        }
        if (rng() % 4 == 0 && t.l.Count() > 0) {
            const int line = static_cast<int>(rng() % static_cast<unsigned>(t.l.Count()));
            t.l.SetEnds(line, t.l[line].p, t.v.Count() + static_cast<int>(rng() % 3));
        }
        std::vector<int> results;
        std::vector<std::vector<std::string>> boxes;
        std::vector<std::vector<std::string>> logs;
        for (const bool check : {false, true}) {
            LogLines sink;
            test::RecordingPrompt prompt;
            PATH_FINDING_METHODS g(test::Env(&sink, &prompt));
            results.push_back(check ? g.CheckGraph(t.l, t.v) : g.BuildGraph(t.l, t.v));
            std::vector<std::string> shown;
            for (const PromptRequest& r : prompt.asked) {
                shown.push_back(std::to_string(r.messageKey) + " " + r.text + " / " + r.caption);
            }
            boxes.push_back(shown);
            logs.push_back(sink.lines);
        }
        EXPECT_EQ(results[1], results[0]) << "seed " << seed;
        EXPECT_EQ(boxes[1], boxes[0]) << "seed " << seed;
        EXPECT_EQ(logs[1], logs[0]) << "seed " << seed;
        if (results[0] != 0) ++faults;
        if (HasFailure()) break;
    }
    EXPECT_GT(faults, 100 * graphs / 600) << "the faults must be met";
}

TEST_F(FastPathSearch, AStopRequestEndsTheSearch) {
    Tables& t = Reused().Reset();
    test::AddPolyline(t.l, test::Rect(0, 0, 10, 10), 0, true);
    std::stop_source source;
    source.request_stop();
    PathSearchEnv env;
    env.stop = source.get_token();
    PATH_FINDING_METHODS g(env);
    ASSERT_EQ(g.BuildGraph(t.l, t.v), 0);
    EXPECT_EQ(g.FindPath(0), PATH_FINDING_METHODS::kStopped);
}

}  // namespace
}  // namespace wirvela
