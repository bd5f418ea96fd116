#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "planning/CrossingIndex.h"
#include "planning/FastJoin.h"
#include "planning/ObjectConnection.h"
#include "planning/Predicates.h"
#include "support/ConnectTestSupport.h"
#include "support/TestBudget.h"

namespace wirvela {
namespace {

using test::AddPolyline;
using test::Pt;
using test::Rect;

struct Tables {
    TVert v;
    TLines l;
    Tables() : v(0.0, true), l(v, true) {}
    // Empty again, with these switches (constructing the full-capacity tables for each
    // of thousands of cases would take most of the test's time).
    Tables& Reset(bool vertexDedup = true, bool lineDedup = true) {
        l.Truncate(0);
        v.Truncate(0);
        v.SetSnapGrid(0.0);
        v.SetDeduplication(vertexDedup);
        l.SetDeduplication(lineDedup);
        return *this;
    }
};

// Fills empty tables with a drawing.
using Builder = std::function<void(Tables&)>;

Tables& Reused(int which) {
    static Tables pool[3];
    return pool[which];
}

// Log lines and progress calls in the order they came.
struct Recorder : PlanariseSink {
    std::vector<std::string> events;
    void Log(std::string_view line) override { events.push_back("log " + std::string(line)); }
    std::function<void(int)> Progress() {
        return [this](int percent) { events.push_back("progress " + std::to_string(percent)); };
    }
};

std::string Describe(const LineRecord& r) {
    std::string s = std::to_string(r.p) + "->" + std::to_string(r.k) + " m" + std::to_string(r.multiplicity) + " o" +
                    std::to_string(r.obj) + " k" + std::to_string(r.kind) + "/" + std::to_string(r.kind2) + " d" +
                    std::to_string(r.display) + " pen" + std::to_string(r.pen);
    for (std::int32_t w : r.spare) s += " " + std::to_string(w);
    return s;
}

// The drawing as text, for the message of a failed comparison.
std::string Dump(const TLines& l) {
    std::string s;
    const TVert& v = l.Vertices();
    for (int i = 0; i < v.Count(); ++i) {
        s += "v" + std::to_string(i) + " (" + std::to_string(v[i].x) + ", " + std::to_string(v[i].y) + ") o" +
             std::to_string(v[i].obj) + "\n";
    }
    for (const LineRecord& r : l.Records()) s += Describe(r) + "\n";
    return s;
}

std::vector<std::string> Snapshot(const TLines& l) {
    std::vector<std::string> out;
    for (const LineRecord& r : l.Records()) out.push_back(Describe(r));
    return out;
}

// Builds the same drawing twice, joins one copy with JoinObjects and the other with
// JoinObjectsFast, and expects identical tables, results, log lines and progress calls.
void ExpectSameJoin(const Builder& build, int objectCount, bool crossingTest, const std::string& context) {
    Tables* const reference = &Reused(0).Reset();
    Tables* const fast = &Reused(1).Reset();
    build(*reference);
    build(*fast);
    Recorder referenceLog;
    Recorder fastLog;
    const JoinResult expected =
        JoinObjects(reference->l, objectCount, crossingTest, referenceLog, referenceLog.Progress());
    const JoinResult got = JoinObjectsFast(fast->l, objectCount, crossingTest, fastLog, fastLog.Progress());
    EXPECT_EQ(got.added, expected.added) << context;
    EXPECT_EQ(got.unjoined, expected.unjoined) << context;
    EXPECT_EQ(got.stopped, expected.stopped) << context;
    EXPECT_EQ(Snapshot(fast->l), Snapshot(reference->l)) << context;
    EXPECT_EQ(fast->v.Count(), reference->v.Count()) << context;
    EXPECT_EQ(fastLog.events, referenceLog.events) << context;
    if (::testing::Test::HasFailure()) {
        Tables& original = Reused(2).Reset();
        build(original);
        ADD_FAILURE() << "the drawing of " << context << ":\n" << Dump(original.l);
    }
}

// A random drawing of a few objects on a coarse grid, so that equal distances, shared
// vertices and collinear lines are common: pieces of several components, open and
// closed polylines, vertices without lines, foreign object numbers, lines that already
// join two objects, and now and then fine or large coordinates.
struct RandomDrawing {
    std::uint32_t seed;
    int objects = 0;
    int objectCount = 0;
    bool crossingTest = false;

    explicit RandomDrawing(std::uint32_t s, int maxObjects, int maxPoints) : seed(s) {
        std::mt19937 rng(seed);
        objects = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxObjects));
        objectCount = objects + static_cast<int>(rng() % 5) - 2;
        crossingTest = rng() % 2 == 0;
        maxPoints_ = maxPoints;
        style_ = static_cast<int>(rng() % 8);
        vertexDedup_ = rng() % 4 != 0;
        lineDedup_ = rng() % 4 != 0;
    }

    void Build(Tables& tables) const {
        std::mt19937 rng(seed ^ 0x9e3779b9u);
        Tables* const t = &tables;
        t->v.SetDeduplication(vertexDedup_);
        t->l.SetDeduplication(lineDedup_);
        const auto coordinate = [&] {
            const double c = static_cast<double>(rng() % 21);
            switch (style_) {
                case 5:
                    return c * 0.5;
                case 6:
                    return 1e6 + c;
                case 7:
                    return static_cast<double>(rng() % 20000) / 1000.0 + 1.0 / 3.0;
                default:
                    return c;
            }
        };
        const auto vertex = [&](int obj) {
            const double x = coordinate();
            const double y = coordinate();
            return t->v.AddVertex(x, y, 0, obj);
        };
        const auto line = [&](int p, int k, int obj, std::uint8_t kind) {
            LineRecord r;
            r.p = p;
            r.k = k;
            r.obj = obj;
            r.kind = kind;
            t->l.AddLine(r);
        };
        for (int obj = 0; obj < objects; ++obj) {
            const int pieces = 1 + (rng() % 4 == 0 ? static_cast<int>(rng() % 3) : 0);
            for (int piece = 0; piece < pieces; ++piece) {
                const int points = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxPoints_));
                std::vector<int> ids;
                for (int i = 0; i < points; ++i) ids.push_back(vertex(obj));
                for (int i = 0; i + 1 < points; ++i) line(ids[i], ids[i + 1], obj, 1);
                if (points >= 3 && rng() % 2 == 0) line(ids.back(), ids.front(), obj, 1);
            }
        }
        const int loose = static_cast<int>(rng() % 3);
        for (int i = 0; i < loose; ++i) vertex(static_cast<int>(rng() % static_cast<unsigned>(objects + 3)) - 1);
        if (rng() % 3 == 0 && t->v.Count() >= 2) {
            const int p = static_cast<int>(rng() % static_cast<unsigned>(t->v.Count()));
            const int k = static_cast<int>(rng() % static_cast<unsigned>(t->v.Count()));
            line(p, k, 2048, 2);
        }
    }

    std::string Context() const { return "seed " + std::to_string(seed); }

private:
    int maxPoints_ = 6;
    int style_ = 0;
    bool vertexDedup_ = true;
    bool lineDedup_ = true;
};

TEST(FastJoin, SmallRandomDrawingsJoinExactlyAsTheReference) {
    for (std::uint32_t seed = 1; seed <= static_cast<std::uint32_t>(test::BudgetedCases(3000, 300)); ++seed) {
        const RandomDrawing d(seed, 8, 6);
        ExpectSameJoin([&](Tables& t) { d.Build(t); }, d.objectCount, d.crossingTest, d.Context());
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(FastJoin, LargerRandomDrawingsJoinExactlyAsTheReference) {
    // Enough vertices for a k-d tree of several levels, from which joined units are removed.
    for (std::uint32_t seed = 100001; seed < 100001 + static_cast<std::uint32_t>(test::BudgetedCases(150, 15));
         ++seed) {
        const RandomDrawing d(seed, 40, 12);
        ExpectSameJoin([&](Tables& t) { d.Build(t); }, d.objectCount, d.crossingTest, d.Context());
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(FastJoin, LongPolylinesJoinExactlyAsTheReference) {
    // Units of many vertices, which the fast joining looks at in several groups.
    for (std::uint32_t seed = 200001; seed < 200001 + static_cast<std::uint32_t>(test::BudgetedCases(100, 10));
         ++seed) {
        const RandomDrawing d(seed, 10, 50);
        ExpectSameJoin([&](Tables& t) { d.Build(t); }, d.objectCount, d.crossingTest, d.Context());
        if (::testing::Test::HasFailure()) break;
    }
}

void Lattice(Tables& t) {
    // Zigzags of 40 vertices each on a unit lattice, side by side: nearly every pair of
    // neighbouring zigzags has many connections of equal length, so the choice rests on
    // the tie rules, within and across the groups of a unit's vertices.
    for (int u = 0; u < 6; ++u) {
        std::vector<Pt> points;
        for (int k = 0; k < 40; ++k) points.push_back({static_cast<double>(k), 3.0 * u + (k % 2)});
        if (u % 2 == 1) std::reverse(points.begin(), points.end());
        AddPolyline(t.l, points, u, false);
    }
}

TEST(FastJoin, EqualDistancesEverywhereJoinExactlyAsTheReference) {
    for (const bool crossingTest : {false, true})
        ExpectSameJoin(Lattice, 6, crossingTest, crossingTest ? "crossing test" : "no crossing test");
}

void Slot(Tables& t) {
    // Object 1's nearest vertices lie at the end of a slot open to the right: every
    // segment from object 0 to them crosses object 1's own left side.
    AddPolyline(t.l, {{0, 0}, {10, 5}, {0, 10}}, 0, true);  // vertices 0 … 2
    AddPolyline(t.l, {{20, -5}, {40, -5}, {40, 4}, {21, 4}, {21, 6}, {40, 6}, {40, 15}, {20, 15}}, 1,
                true);  // vertices 3 … 10
}

TEST(FastJoin, WithTheCrossingTestARejectedNearestPairGivesWayToAFartherOne) {
    for (const bool crossingTest : {false, true}) {
        ExpectSameJoin(Slot, 2, crossingTest, crossingTest ? "crossing test" : "no crossing test");
        Tables& t = Reused(0).Reset();
        Slot(t);
        Recorder log;
        ASSERT_EQ(JoinObjectsFast(t.l, 2, crossingTest, log).added, 1);
        const LineRecord& added = t.l[t.l.Count() - 1];
        EXPECT_EQ(added.p, 1);
        EXPECT_EQ(added.k, crossingTest ? 3 : 6) << "(10,5) to (20,-5), 200 apart, instead of (21,4), 122 apart";
    }
}

void Cage(Tables& t) {
    // Object 1 sits in the middle of object 0, whose three long sides cross near the
    // corners, so every vertex of object 0 lies behind another side; object 2 is outside.
    AddPolyline(t.l, {{-20, 0}, {120, 0}, {110, -20}, {40, 120}, {60, 120}, {-10, -20}}, 0, true);
    AddPolyline(t.l, {{49, 35}, {51, 35}}, 1, false);
    AddPolyline(t.l, Rect(150, 0, 160, 10), 2, true);
}

TEST(FastJoin, AUnitThatNoAllowedConnectionReachesStaysUnjoined) {
    ExpectSameJoin(Cage, 3, true, "cage");
    Tables& t = Reused(0).Reset();
    Cage(t);
    Recorder log;
    const JoinResult r = JoinObjectsFast(t.l, 3, true, log);
    EXPECT_EQ(r.added, 1) << "only the object outside the cage";
    EXPECT_EQ(r.unjoined, 1);
    EXPECT_EQ(log.events.back(), "log Liczba obiektow: 3.");
}

TEST(FastJoin, ProgressAndStepLogsMatchForManyObjects) {
    const auto build = [](Tables& t) {
        for (int i = 0; i < 60; ++i) {
            const double x = 17.0 * (i % 8);
            const double y = 13.0 * (i / 8);
            AddPolyline(t.l, Rect(x, y, x + 4 + i % 3, y + 5), i, true);
        }
    };
    for (const int objectCount : {0, 1, 30, 60, 75}) {
        ExpectSameJoin(build, objectCount, false, "objects " + std::to_string(objectCount));
    }
}

TEST(FastJoin, AStopRequestEndsTheJoiningWithoutLines) {
    Tables& t = Reused(0).Reset();
    Slot(t);
    std::stop_source source;
    source.request_stop();
    Recorder log;
    const int before = t.l.Count();
    const JoinResult r = JoinObjectsFast(t.l, 2, false, log, {}, source.get_token());
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(t.l.Count(), before);
}

TEST(FastJoin, AVertexThatIsNotFiniteLeavesTheDrawingToTheReference) {
    const auto build = [](Tables& t) {
        AddPolyline(t.l, Rect(0, 0, 10, 10), 0, true);
        AddPolyline(t.l, {{20, 0}, {std::nan(""), 5}, {30, 0}}, 1, false);
        AddPolyline(t.l, {{40, 0}, {50, std::numeric_limits<double>::infinity()}}, 2, false);
        AddPolyline(t.l, Rect(60, 0, 70, 10), 3, true);
    };
    ExpectSameJoin(build, 4, false, "no crossing test");
    ExpectSameJoin(build, 4, true, "crossing test");
}

TEST(FastJoin, ALineEndingBeyondTheVertexTableStillMakesItsValidEndAUnit) {
    // No loader makes such a line, but the units must still be the reference's: here the
    // lone vertex of object 1 is a unit of its own, reached by a second connecting line.
    const auto build = [](Tables& t) {
        AddPolyline(t.l, Rect(0, 0, 10, 10), 0, true);
        AddPolyline(t.l, Rect(40, 0, 50, 10), 1, true);
        const int lone = t.v.AddVertex(100, 0, 0, 1);
        const int gone = t.v.AddVertex(200, 0, 0, 1);
        LineRecord r;
        r.p = lone;
        r.k = gone;
        r.obj = 1;
        r.kind = 1;
        t.l.AddLine(r);
        t.v.Truncate(gone);
    };
    ExpectSameJoin(build, 2, false, "a line beyond the vertex table");
    Tables& t = Reused(0).Reset();
    build(t);
    Recorder log;
    EXPECT_EQ(JoinObjectsFast(t.l, 2, false, log).added, 2);
}

// Random segments on a coarse grid (touching, collinear and overlapping lines are
// common) or at awkward fractions, and random candidates: the index answers exactly as
// the full scan.
TEST(CrossingIndex, AnswersExactlyAsTheFullScan) {
    for (std::uint32_t seed = 1; seed <= static_cast<std::uint32_t>(test::BudgetedCases(400, 40)); ++seed) {
        std::mt19937 rng(seed);
        const int style = static_cast<int>(rng() % 4);
        const auto coordinate = [&] {
            switch (style) {
                case 1:
                    return static_cast<double>(rng() % 1000) / 7.0;
                case 2:
                    return 5e5 + static_cast<double>(rng() % 21) * 0.1;
                case 3:
                    return static_cast<double>(rng() % 3);
                default:
                    return static_cast<double>(rng() % 21);
            }
        };
        Tables& t = Reused(0).Reset(rng() % 2 == 0, true);
        const int count = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < count; ++i) {
            const double x = coordinate();
            const double y = coordinate();
            const int p = t.v.AddVertex(x, y);
            // Now and then a long line, or an end placed on another line.
            int k;
            if (rng() % 5 == 0 && t.l.Count() > 0) {
                const LineRecord& other = t.l[static_cast<int>(rng() % static_cast<unsigned>(t.l.Count()))];
                const double f = static_cast<double>(rng() % 11) / 10.0;
                const VertexRecord& a = t.v[other.p];
                const VertexRecord& b = t.v[other.k];
                k = t.v.AddVertex(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f);
            } else if (rng() % 7 == 0) {
                k = t.v.AddVertex(x + 1000.0, y - 500.0);
            } else {
                const double kx = coordinate();
                const double ky = coordinate();
                k = t.v.AddVertex(kx, ky);
            }
            t.l.AddLine(p, k, 1);
        }
        CrossingIndex index(t.l);
        for (int q = 0; q < 200; ++q) {
            Point2d P;
            Point2d Q;
            if (rng() % 2 == 0 && t.v.Count() > 1) {
                P = t.v[static_cast<int>(rng() % static_cast<unsigned>(t.v.Count()))];
                Q = t.v[static_cast<int>(rng() % static_cast<unsigned>(t.v.Count()))];
            } else {
                P = {coordinate(), coordinate()};
                Q = {coordinate(), coordinate()};
            }
            ASSERT_EQ(index.Crosses(P, Q), CrossesAnyLine(P, Q, t.l))
                << "seed " << seed << " query " << q << " (" << P.x << "," << P.y << ")-(" << Q.x << "," << Q.y << ")";
        }
    }
}

TEST(CrossingIndex, LinesWithEndsThatAreNotFiniteAreStillJudged) {
    Tables& t = Reused(0).Reset();
    t.l.AddLine(t.v.AddVertex(0, 0), t.v.AddVertex(10, 10), 1);
    t.l.AddLine(t.v.AddVertex(5, -1e300), t.v.AddVertex(5, std::numeric_limits<double>::infinity()), 1);
    t.l.AddLine(t.v.AddVertex(std::nan(""), 3), t.v.AddVertex(7, 3), 1);
    CrossingIndex index(t.l);
    for (const auto& [P, Q] : std::vector<std::pair<Point2d, Point2d>>{{{0, 10}, {10, 0}},
                                                                       {{1, 5}, {9, 5}},
                                                                       {{20, 20}, {30, 30}},
                                                                       {{std::nan(""), 1}, {3, 3}},
                                                                       {{0, 3}, {8, 3}}}) {
        EXPECT_EQ(index.Crosses(P, Q), CrossesAnyLine(P, Q, t.l)) << P.x << "," << P.y << " " << Q.x << "," << Q.y;
    }
}

}  // namespace
}  // namespace wirvela
