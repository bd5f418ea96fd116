#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "planning/PathFindingMethods.h"
#include "support/ConnectTestSupport.h"
#include "support/TempDir.h"

namespace wirvela {
namespace {

using test::LogLines;
using test::RecordingPrompt;
using test::TempDir;

// Slots by non-increasing angle, every slot's partner present exactly once, no
// reference 0, every neighbour a node.
void ExpectGraphInvariants(const PATH_FINDING_METHODS& g) {
    for (int n = 0; n < g.NodeCount(); ++n) {
        const PATH_NODE& node = g.Node(n);
        for (int s = 0; s < node.consCount; ++s) {
            if (s > 0) {
                EXPECT_GE(node.conAngle[s - 1], node.conAngle[s]) << "node " << n;
            }
            const int m = node.conNode[s];
            const int r = node.conLine[s];
            EXPECT_NE(r, 0);
            ASSERT_GE(m, 0);
            ASSERT_LT(m, g.NodeCount());
            int partners = 0;
            for (int t = 0; t < g.Node(m).consCount; ++t) {
                if (g.Node(m).conNode[t] == n && g.Node(m).conLine[t] == -r) ++partners;
            }
            EXPECT_EQ(partners, 1) << "slot " << s << " of node " << n;
        }
    }
}

std::vector<int> Neighbours(const PATH_FINDING_METHODS& g, int n) {
    std::vector<int> out;
    for (int s = 0; s < g.Node(n).consCount; ++s) out.push_back(g.Node(n).conNode[s]);
    return out;
}

struct Table {
    TVert v{0.0, true};
    TLines l{v, true};
    int Vertex(double x, double y) { return v.AddVertex(x, y); }
    void Line(int p, int k) { l.AddLine(p, k, 1); }
};

TEST(PathFinding, SlotsAreSortedByDirectionAndEqualDirectionsKeepTheTableOrder) {
    Table t;
    const int o = t.Vertex(0, 0);
    const int east = t.Vertex(10, 0);
    const int south = t.Vertex(0, -10);
    const int west = t.Vertex(-10, 0);
    const int north = t.Vertex(0, 10);
    const int farEast = t.Vertex(20, 0);
    t.Line(o, east);
    t.Line(south, o);
    t.Line(o, west);
    t.Line(north, o);
    t.Line(o, farEast);
    PATH_FINDING_METHODS g;
    ASSERT_EQ(g.BuildGraph(t.l, t.v), 0);
    EXPECT_EQ(Neighbours(g, o), (std::vector<int>{west, north, east, farEast, south}));
    const PATH_NODE& node = g.Node(o);
    EXPECT_EQ(node.conLine[0], 3) << "line 2 starts here";
    EXPECT_EQ(node.conLine[1], -4) << "line 3 ends here";
    EXPECT_FLOAT_EQ(node.conAngle[0], static_cast<float>(std::numbers::pi));
    EXPECT_FLOAT_EQ(node.conAngle[4], static_cast<float>(-std::numbers::pi / 2));
    ExpectGraphInvariants(g);
}

TEST(PathFinding, ALineFromAVertexToItselfNeverEntersTheGraph) {
    Table t;
    const int a = t.Vertex(0, 0);
    const int b = t.Vertex(5, 5);
    t.Line(a, b);
    t.Line(b, t.Vertex(9, 9));
    ASSERT_TRUE(t.l.SetEnds(1, b, b));
    PATH_FINDING_METHODS g;
    ASSERT_EQ(g.BuildGraph(t.l, t.v), 0);
    EXPECT_EQ(g.Node(b).consCount, 1);
}

TEST(PathFinding, ALineEndThatIsNoVertexStopsTheBuildWithMessage181) {
    Table t;
    t.Line(t.Vertex(0, 0), t.Vertex(1, 1));
    ASSERT_TRUE(t.l.SetEnds(0, 0, 7));
    LogLines sink;
    RecordingPrompt prompt;
    PATH_FINDING_METHODS g(test::Env(&sink, &prompt));
    EXPECT_EQ(g.BuildGraph(t.l, t.v), 1);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].messageKey, 181);
    EXPECT_EQ(prompt.asked[0].caption, "msg109");
    EXPECT_EQ(prompt.asked[0].icon, PromptIcon::Error);
}

class PathFindingConnectionLimit : public testing::TestWithParam<int> {};

TEST_P(PathFindingConnectionLimit, ANodeTakesAtMost79Connections) {
    const int spokes = GetParam();
    Table t;
    const int centre = t.Vertex(0, 0);
    for (int i = 0; i < spokes; ++i) {
        const double a = 2 * std::numbers::pi * i / spokes;
        t.Line(centre, t.Vertex(std::round(1000 * std::cos(a)), std::round(1000 * std::sin(a))));
    }
    LogLines sink;
    RecordingPrompt prompt;
    PATH_FINDING_METHODS g(test::Env(&sink, &prompt));
    const int result = g.BuildGraph(t.l, t.v);
    if (spokes <= 79) {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(prompt.asked.empty());
        EXPECT_EQ(g.Node(centre).consCount, spokes);
    } else {
        EXPECT_EQ(result, 1);
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(prompt.asked[0].messageKey, 180);
        EXPECT_EQ(prompt.asked[0].text, "msg180 80") << "the message shows the limit 80";
    }
}

INSTANTIATE_TEST_SUITE_P(Spokes, PathFindingConnectionLimit, testing::Values(79, 80));

// A square 0-1-2-3, a vertex 4 at the truncated place of vertex 1 with a line to 5, and a
// zero-length line 1-4: vertex 4 merges into 1.
struct MergeCase {
    Table t;
    MergeCase() {
        const int a = t.Vertex(0, 0);
        const int b = t.Vertex(10, 0);
        const int c = t.Vertex(10, 10);
        const int d = t.Vertex(0, 10);
        const int near = t.Vertex(10.6, 0.3);
        const int far = t.Vertex(20, 0);
        t.Line(a, b);
        t.Line(b, c);
        t.Line(c, d);
        t.Line(d, a);
        t.Line(near, far);
        t.Line(b, near);
        t.Line(near, c);  // parallel to 1-2 once 4 is merged into 1
    }
};

TEST(PathFindingDuplicates, CoincidingNodesMergeIntoTheLowestAndTheGraphStaysConsistent) {
    MergeCase m;
    LogLines sink;
    PATH_FINDING_METHODS g(test::Env(&sink));
    ASSERT_EQ(g.BuildGraph(m.t.l, m.t.v), 0);
    g.TestDuplicates();
    EXPECT_EQ(g.NodeCount(), 5);
    EXPECT_EQ(g.NodeOfVertex(4), 1);
    EXPECT_EQ(g.NodeOfVertex(5), 4) << "nodes behind the removed one move down";
    EXPECT_EQ(g.NodeOfVertex(6), -1);
    ExpectGraphInvariants(g);
    // Node 1 keeps 0, 2 (once) and the far vertex; the self-loop and the parallel edge go.
    std::vector<int> n1 = Neighbours(g, 1);
    std::sort(n1.begin(), n1.end());
    EXPECT_EQ(n1, (std::vector<int>{0, 2, 4}));
    EXPECT_TRUE(sink.Has("++++ TestDuplicates()"));
    EXPECT_TRUE(sink.Has("Usunieto 1 powt. punktów."));
    EXPECT_TRUE(sink.Has("Powt. linii: 3, pustych wezlow 0."))
        << "the self-loop pair and the parallel edge at both ends";
    EXPECT_TRUE(sink.Has("Usunalem 4 powt. linii."));
    EXPECT_TRUE(sink.Has("Połączeń powielonych: 0, brakujących: 0, błędnych indx: 0."));
    EXPECT_TRUE(sink.Has("Węzłów: 5, linii: 5 (x2 = 10)."));
    EXPECT_TRUE(sink.Has("---- TestDuplicates()"));
}

TEST(PathFindingDuplicates, TheKeptNodeIsNeverMergedAway) {
    MergeCase m;
    PATH_FINDING_METHODS g;
    ASSERT_EQ(g.BuildGraph(m.t.l, m.t.v), 0);
    g.TestDuplicates(4);
    EXPECT_EQ(g.NodeCount(), 6);
    EXPECT_EQ(g.NodeOfVertex(4), 4);
    EXPECT_EQ(g.Node(4).consCount, 3);
    ExpectGraphInvariants(g);
}

TEST(PathFindingDuplicates, SwitchedOffInTheSettingsFileNothingRunsOrIsLogged) {
    TempDir dir;
    const auto ini = dir.Write("wirvela.ini", "[Ploter]\nTestDuplicates=0\n");
    MergeCase m;
    LogLines sink;
    PATH_FINDING_METHODS g(test::Env(&sink, nullptr, ini));
    ASSERT_EQ(g.BuildGraph(m.t.l, m.t.v), 0);
    g.TestDuplicates();
    EXPECT_EQ(g.NodeCount(), 6);
    EXPECT_TRUE(sink.lines.empty());
}

TEST(PathFinding, AStartThatIsNoNodeGivesNoTour) {
    Table t;
    t.Line(t.Vertex(0, 0), t.Vertex(1, 0));
    PATH_FINDING_METHODS g;
    ASSERT_EQ(g.BuildGraph(t.l, t.v), 0);
    EXPECT_EQ(g.FindPath(2), PATH_FINDING_METHODS::kNoSequence);
    EXPECT_EQ(g.FindPath(-1), PATH_FINDING_METHODS::kNoSequence);
}

TEST(PathFinding, ATourOfFewerThanThreeNodesLeavesTheListAlone) {
    Table t;
    t.Vertex(0, 0);
    t.Line(t.Vertex(1, 0), t.Vertex(2, 0));
    PATH_FINDING_METHODS g;
    ASSERT_EQ(g.BuildGraph(t.l, t.v), 0);
    EXPECT_EQ(g.FindPath(0), 1) << "an isolated start node";
    auto list = std::make_unique<TLineList>(3);
    list->Append(0, 1.0, 2);
    const TLineList* before = list.get();
    EXPECT_EQ(g.PathToLineList(list), -1);
    EXPECT_EQ(list.get(), before);
    EXPECT_EQ(list->LastIndex(), 0);
}

TEST(PathFinding, TheIntegrityTestReportsWhatTheTourCannotReach) {
    Table t;
    const int e = t.Vertex(-5, 0);
    const std::vector<int> sq{t.Vertex(0, 0), t.Vertex(10, 0), t.Vertex(10, 10), t.Vertex(0, 10)};
    for (int i = 0; i < 4; ++i) t.Line(sq[i], sq[(i + 1) % 4]);
    t.Line(t.Vertex(50, 50), t.Vertex(60, 50));  // not reachable
    t.Line(e, sq[0]);
    LogLines sink;
    PATH_FINDING_METHODS g(test::Env(&sink));
    ASSERT_EQ(g.BuildGraph(t.l, t.v), 0);
    EXPECT_EQ(g.FindPath(e), 7) << "entry, the square once around, back to the entry";
    EXPECT_EQ(g.ForcedAttempts(), 0);
    g.TestIntegrity();
    EXPECT_EQ(g.Integrity().pathNodes, 7);
    EXPECT_EQ(g.Integrity().unvisitedPoints, 2);
    EXPECT_EQ(g.Integrity().unvisitedLines, 2) << "one line, counted at both ends";
    EXPECT_EQ(g.Integrity().surplus, 0);
    EXPECT_TRUE(sink.Has("Nieodwiedzone punkty: 2, nieodwiedzone linie (x2): 2, nadmiar przejsc: 0."));
}

}  // namespace
}  // namespace wirvela
