// The indexed passes against the literal ones: both run on copies of one drawing and
// must leave identical vertex and line tables (every field, in order) and identical sink
// output.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "PlanariseTestSupport.h"
#include "planning/FastPlanarise.h"
#include "planning/JunctionSplitting.h"
#include "planning/ObjectConnection.h"
#include "planning/Planarise.h"
#include "planning/SegmentGrid.h"
#include "support/TestBudget.h"

namespace wirvela {
namespace {

using test::RecordingSink;

// ---------------------------------------------------------------------------------------
// Drawings

struct SourceVertex {
    double x = 0.0;
    double y = 0.0;
    int obj = 0;
};

struct SourceLine {
    int a = 0;  // index into the vertex list
    int b = 0;
    int obj = 0;
    std::uint8_t kind = 1;
    int pen = 1;
    int spare = 0;
};

// A drawing as it is inserted: vertices through the insertion (same place → same
// vertex), then lines; `rawEnds` are applied afterwards with SetEnds (ends the insertion
// would refuse or merge).
struct Source {
    std::vector<SourceVertex> vertices;
    std::vector<SourceLine> lines;
    std::vector<std::array<int, 3>> rawEnds;  // line, p, k
    bool lineDedup = true;
    // Snap grid of the vertex table: crossing vertices land off their lines, so a split
    // line can reach outside its old box.
    double snapGrid = 0.0;
    int entryLine = -1;
    int oelems = 0;
};

// A vertex and line table pair, loaded again for every case: the tables have a fixed
// capacity of megabytes, so the tests keep two pairs and shorten them rather than build
// new ones.
struct Built {
    Built() : V(0.0, true), L(V, true) {}

    void Load(const Source& s) {
        L.Truncate(0);
        V.Truncate(0);
        L.SetDeduplication(s.lineDedup);
        V.SetSnapGrid(s.snapGrid);
        std::vector<int> index;
        for (const SourceVertex& sv : s.vertices) index.push_back(V.AddVertex(sv.x, sv.y, 0, sv.obj));
        for (const SourceLine& sl : s.lines) {
            LineRecord r;
            r.p = index[static_cast<std::size_t>(sl.a)];
            r.k = index[static_cast<std::size_t>(sl.b)];
            r.obj = sl.obj;
            r.kind = sl.kind;
            r.pen = sl.pen;
            r.spare[2] = sl.spare;
            r.display = sl.spare & 3;
            L.AddLine(r);
        }
        for (const auto& e : s.rawEnds) L.SetEnds(e[0], e[1], e[2]);
    }

    TVert V;
    TLines L;
};

Built& Tables(int which) {
    static Built tables[2];
    return tables[which];
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameTables(const Built& ref, const Built& fast) {
    ASSERT_EQ(ref.V.Count(), fast.V.Count());
    for (int i = 0; i < ref.V.Count(); ++i) {
        const VertexRecord& a = ref.V[i];
        const VertexRecord& b = fast.V[i];
        SCOPED_TRACE("vertex " + std::to_string(i));
        EXPECT_TRUE(SameBits(a.x, b.x) && SameBits(a.y, b.y)) << a.x << "," << a.y << " vs " << b.x << "," << b.y;
        EXPECT_EQ(a.mark, b.mark);
        EXPECT_EQ(a.obj, b.obj);
        EXPECT_EQ(a.noExtents, b.noExtents);
        EXPECT_EQ(a.aux, b.aux);
        EXPECT_EQ(a.segLink, b.segLink);
    }
    ASSERT_EQ(ref.L.Count(), fast.L.Count());
    for (int i = 0; i < ref.L.Count(); ++i) {
        const LineRecord& a = ref.L[i];
        const LineRecord& b = fast.L[i];
        SCOPED_TRACE("line " + std::to_string(i));
        EXPECT_EQ(a.p, b.p);
        EXPECT_EQ(a.k, b.k);
        EXPECT_EQ(a.multiplicity, b.multiplicity);
        EXPECT_EQ(a.display, b.display);
        EXPECT_EQ(a.obj, b.obj);
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.kind2, b.kind2);
        EXPECT_EQ(a.spare, b.spare);
        EXPECT_EQ(a.pen, b.pen);
    }
}

// The planarisation logs its running times; everything else must match.
std::vector<std::string> WithoutTimes(const std::vector<std::string>& logs) {
    std::vector<std::string> out;
    for (const std::string& line : logs)
        if (line.find(" Time: ") == std::string::npos) out.push_back(line);
    return out;
}

void ExpectSameOutput(const RecordingSink& ref, const RecordingSink& fast) {
    EXPECT_EQ(WithoutTimes(ref.logs), WithoutTimes(fast.logs));
    EXPECT_EQ(ref.status, fast.status);
    EXPECT_EQ(ref.repaints, fast.repaints);
    EXPECT_EQ(ref.disabled, fast.disabled);
}

// ---------------------------------------------------------------------------------------
// The passes, each as (reference, fast)

struct Run {
    bool result = false;
    int oelems = 0;
};
using Pass = std::function<Run(Built&, const Source&, RecordingSink&, bool fast, std::stop_token)>;

struct NamedPass {
    const char* name;
    Pass pass;
};

// Only the fast passes the program runs (the junction splitting of the connect command,
// with the duplicate removal it ends with, and the splitting by connecting lines) are
// compared. The fast passes of the whole planarisation (snapping, crossing reduction) have
// no caller yet; their checks come back with the first caller of Planarise.
std::vector<NamedPass> AllPasses() {
    std::vector<NamedPass> passes;
    passes.push_back({"RemoveDuplicates", [](Built& d, const Source&, RecordingSink& s, bool fast, std::stop_token t) {
                          return Run{fast ? RemoveDuplicatesFast(d.L, s, t) : RemoveDuplicates(d.L, s, t)};
                      }});
    for (const double conModif : {1.0, 0.0}) {
        passes.push_back({conModif == 1.0 ? "SplitJunctions(merge mode)" : "SplitJunctions",
                          [conModif](Built& d, const Source& src, RecordingSink& s, bool fast, std::stop_token t) {
                              int oelems = src.oelems;
                              const bool ok = fast ? SplitJunctionsFast(d.L, oelems, conModif, s, t)
                                                   : SplitJunctions(d.L, oelems, conModif, s, t);
                              return Run{ok, oelems};
                          }});
    }
    passes.push_back(
        {"SplitConnectingLines", [](Built& d, const Source& src, RecordingSink&, bool fast, std::stop_token t) {
             return Run{fast ? SplitConnectingLinesFast(d.L, src.entryLine, t)
                             : SplitConnectingLines(d.L, src.entryLine, t)};
         }});
    return passes;
}

// A pass whose line table runs away is stopped when its progress first shows more than
// this many lines: the literal splitting passes can fill the whole table when two
// crossing vertices a unit in the last place apart split each other's lines again and
// again, and then take many seconds to remove the copies.
constexpr int kRunaway = 3000;

struct GuardedSink : RecordingSink {
    explicit GuardedSink(std::stop_source& s) : guard(&s) {}
    std::string MessageText(int key, std::span<const int> args) const override {
        if (args.size() == 2 && args[1] > kRunaway) guard->request_stop();
        return RecordingSink::MessageText(key, args);
    }
    std::stop_source* guard;
};

// Runs the pass on two copies of `source`; false when both ran away (nothing compared).
bool ExpectSameResult(const NamedPass& pass, const Source& source, std::stop_token stop = {}) {
    SCOPED_TRACE(pass.name);
    Built& ref = Tables(0);
    Built& fast = Tables(1);
    ref.Load(source);
    fast.Load(source);
    std::stop_source refStop;
    std::stop_source fastStop;
    if (stop.stop_requested()) {
        refStop.request_stop();
        fastStop.request_stop();
    }
    GuardedSink refSink(refStop);
    GuardedSink fastSink(fastStop);
    const Run a = pass.pass(ref, source, refSink, false, refStop.get_token());
    const Run b = pass.pass(fast, source, fastSink, true, fastStop.get_token());
    if (!stop.stop_requested() && (refStop.stop_requested() || fastStop.stop_requested())) {
        EXPECT_EQ(refStop.stop_requested(), fastStop.stop_requested());
        return false;
    }
    EXPECT_EQ(a.result, b.result);
    EXPECT_EQ(a.oelems, b.oelems);
    ExpectSameTables(ref, fast);
    ExpectSameOutput(refSink, fastSink);
    return true;
}

// ---------------------------------------------------------------------------------------
// Random drawings: a few objects on a coarse integer grid, so that shared ends, ends on
// lines, collinear overlaps, crossings and repeated lines are common.

class Generator {
public:
    explicit Generator(std::uint32_t seed) : rng_(seed) {}

    int Below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }

    Source Make() {
        Source s;
        s.lineDedup = !Chance(10);
        if (Chance(15)) s.snapGrid = std::array<double, 3>{1.0, 0.5, 0.3}[static_cast<std::size_t>(Below(3))];
        const int size = std::array<int, 4>{4, 8, 20, 60}[static_cast<std::size_t>(Below(4))];
        const bool halves = Chance(20);
        const int objects = 1 + Below(6);
        s.oelems = objects - 1;
        for (int o = 0; o < objects; ++o) {
            const int obj = Chance(5) ? std::array<int, 3>{-1, 70000, 2048}[static_cast<std::size_t>(Below(3))] : o;
            const int points = 2 + Below(Chance(20) ? 12 : 5);
            const bool closed = points > 2 && Chance(50);
            const bool straight = Chance(25);  // all on one line: collinear overlaps
            const int first = static_cast<int>(s.vertices.size());
            const int y0 = Below(size + 1);
            for (int p = 0; p < points; ++p) {
                SourceVertex v;
                v.x = Coordinate(size, halves);
                v.y = straight ? y0 : Coordinate(size, halves);
                v.obj = obj;
                s.vertices.push_back(v);
            }
            const int last = first + points - 1;
            for (int p = first; p < last; ++p) AddLine(s, p, p + 1, obj);
            if (closed) AddLine(s, last, first, obj);
            if (Chance(15)) AddLine(s, first + Below(points), first + Below(points), obj);  // a repeat or a loop
        }
        // Connecting lines between random vertices, one of them maybe the entry line.
        const int connecting = Chance(60) ? Below(4) : 0;
        for (int c = 0; c < connecting; ++c) {
            SourceLine l;
            l.a = Below(static_cast<int>(s.vertices.size()));
            l.b = Below(static_cast<int>(s.vertices.size()));
            l.obj = 2048;
            l.kind = 2;
            s.lines.push_back(l);
        }
        if (connecting > 0 && Chance(50)) s.entryLine = static_cast<int>(s.lines.size()) - 1 - Below(connecting);
        if (Chance(3)) s.rawEnds.push_back({0, 0, 0});  // a line from a vertex to itself
        return s;
    }

private:
    double Coordinate(int size, bool halves) {
        const double c = Below(size + 1);
        return halves && Chance(30) ? c + 0.5 : c;
    }

    void AddLine(Source& s, int a, int b, int obj) {
        SourceLine l;
        l.a = a;
        l.b = b;
        l.obj = obj;
        l.kind = 1;
        l.pen = 1 + Below(3);
        l.spare = Below(1000);
        s.lines.push_back(l);
    }

    std::mt19937 rng_;
};

TEST(FastPlanarise, RandomDrawingsGiveTheReferenceResult) {
    const std::vector<NamedPass> passes = AllPasses();
    int runs = 0;
    int runaways = 0;
    const auto drawings = static_cast<std::uint32_t>(test::BudgetedCases(1500, 150));
    for (std::uint32_t seed = 1; seed <= drawings; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator g(seed);
        const Source source = g.Make();
        // Every pass on every drawing would be slow under the sanitizers; each seed takes
        // a few of them, every pass many seeds.
        for (std::size_t p = seed % 4; p < passes.size(); p += 4, ++runs)
            if (!ExpectSameResult(passes[p], source)) ++runaways;
        if (HasFailure()) return;
    }
    EXPECT_LT(runaways, runs / 100);
}

// Larger drawings: several cells of the grid, long lines over many of them.
TEST(FastPlanarise, LargerDrawingsGiveTheReferenceResult) {
    const std::vector<NamedPass> passes = AllPasses();
    for (std::uint32_t seed = 1; seed <= static_cast<std::uint32_t>(test::BudgetedCases(8, 4)); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator g(seed * 7919);
        Source source;
        for (int part = 0; part < 12; ++part) {
            Source piece = g.Make();
            const int base = static_cast<int>(source.vertices.size());
            const double dx = g.Below(120);
            const double dy = g.Below(120);
            for (SourceVertex v : piece.vertices) {
                v.x += dx;
                v.y += dy;
                v.obj = v.obj >= 0 && v.obj < 100 ? v.obj + part * 6 : v.obj;
                source.vertices.push_back(v);
            }
            for (SourceLine l : piece.lines) {
                l.a += base;
                l.b += base;
                l.obj = l.obj >= 0 && l.obj < 100 ? l.obj + part * 6 : l.obj;
                source.lines.push_back(l);
            }
        }
        source.oelems = 12 * 6 - 1;
        source.snapGrid = std::array<double, 4>{0.0, 1.0, 0.0, 0.5}[seed % 4];
        for (const NamedPass& pass : passes) ExpectSameResult(pass, source);
        if (HasFailure()) return;
    }
}

// A stop requested before the start ends both versions at the same place.
TEST(FastPlanarise, StopBeforeTheStartEndsBothAlike) {
    std::stop_source stopped;
    stopped.request_stop();
    const std::vector<NamedPass> passes = AllPasses();
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator g(seed);
        const Source source = g.Make();
        for (const NamedPass& pass : passes) ExpectSameResult(pass, source, stopped.get_token());
    }
}

// ---------------------------------------------------------------------------------------
// Hand-made drawings for the orders that matter

struct Fixture {
    const char* name;
    std::function<Source()> make;
};

Source FromSegments(const std::vector<std::array<double, 5>>& segments) {
    Source s;
    int maxObj = 0;
    for (const auto& g : segments) {
        const int obj = static_cast<int>(g[4]);
        maxObj = std::max(maxObj, obj);
        s.vertices.push_back({g[0], g[1], obj});
        s.vertices.push_back({g[2], g[3], obj});
        SourceLine l;
        l.a = static_cast<int>(s.vertices.size()) - 2;
        l.b = static_cast<int>(s.vertices.size()) - 1;
        l.obj = obj;
        s.lines.push_back(l);
    }
    s.oelems = maxObj;
    return s;
}

std::vector<Fixture> Fixtures() {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    return {
        // The pieces split off the first lines cross lines that were examined before.
        {"pieces cross earlier lines",
         [] {
             return FromSegments({{0, 0, 30, 0, 0},
                                  {0, 10, 30, 10, 1},
                                  {0, 20, 30, 20, 2},
                                  {5, -5, 5, 25, 3},
                                  {15, -5, 15, 25, 4},
                                  {25, -5, 25, 25, 5},
                                  {-5, -5, 35, 25, 6}});
         }},
        // Collinear overlaps, containments and a chain of them along one line.
        {"collinear overlaps",
         [] {
             return FromSegments({{0, 0, 10, 0, 0},
                                  {5, 0, 15, 0, 1},
                                  {2, 0, 8, 0, 2},
                                  {20, 0, 12, 0, 3},
                                  {-5, 0, 25, 0, 4},
                                  {3, 0, 3, 5, 5},
                                  {0, 0, 10, 0, 6}});
         }},
        // Many lines through one point: the crossing vertices differ in the last bits.
        {"star through one point",
         [] {
             std::vector<std::array<double, 5>> s;
             for (int a = 0; a < 9; ++a) {
                 const double t = a * 0.37;
                 s.push_back({10 - 7 * std::cos(t), 10 - 5 * std::sin(t), 10 + 7 * std::cos(t), 10 + 5 * std::sin(t),
                              static_cast<double>(a % 3)});
             }
             return FromSegments(s);
         }},
        // Ends of many lines on one long line (T-junctions), some exactly at its ends.
        {"comb",
         [] {
             std::vector<std::array<double, 5>> s{{0, 0, 40, 0, 0}};
             for (int x = 0; x <= 40; x += 4) s.push_back({double(x), 0, double(x), double(3 + x % 5), 1.0 + x % 3});
             s.push_back({0, 0, 40, 0, 3});
             return FromSegments(s);
         }},
        // Repeated lines, reversed and interleaved with others, three copies and more.
        {"duplicates",
         [] {
             Source s = FromSegments({{0, 0, 5, 0, 0}, {5, 0, 5, 5, 0}, {5, 5, 0, 0, 0}});
             s.lineDedup = false;
             for (int r = 0; r < 4; ++r) {
                 s.lines.push_back({1, 0, 0, 1, 1, 0});
                 s.lines.push_back({2, 3, 0, 1, 1, 0});
                 s.lines.push_back({0, 1, 0, 1, 1, 0});
             }
             return s;
         }},
        // A long diagonal over a field of short lines, and a line far away.
        {"long diagonal and a far line",
         [] {
             std::vector<std::array<double, 5>> s;
             for (int i = 0; i < 60; ++i) {
                 const double x = (i * 7) % 50;
                 const double y = (i * 13) % 50;
                 s.push_back({x, y, x + 1 + i % 3, y + 2 - i % 4, double(i % 5)});
             }
             s.push_back({-1, -1, 51, 51, 5});
             s.push_back({0, 50, 50, 0, 6});
             s.push_back({1e6, 1e6, 1e6 + 3, 1e6 - 2, 7});
             return FromSegments(s);
         }},
        // Ends that are not finite meet every line in the predicates' own odd way.
        {"coordinates that are not finite",
         [nan] {
             return FromSegments({{0, 0, 10, 10, 0},
                                  {0, 10, 10, 0, 1},
                                  {5, nan, 5, 3, 2},
                                  {5, 1, 5, 9, 3},
                                  {std::numeric_limits<double>::infinity(), 2, 3, 2, 4},
                                  {2, 2, 8, 2, 5}});
         }},
        // Short lines (below the aperture along both axes) are near to points far along
        // their infinite line.
        {"short lines and far points",
         [] {
             return FromSegments({{0, 0, 1, 1, 0},
                                  {40, 40.2, 41, 48, 1},
                                  {-30, -30.1, -30, -40, 2},
                                  {10, 9, 12, 20, 3},
                                  {0.5, 0.5, 3, 0.5, 4}});
         }},
        // Objects that touch late in the table, with numbers out of the 16-bit range and
        // negative ones: the merging order and its restarts.
        {"merging order",
         [] {
             Source s = FromSegments({{0, 0, 1, 0, 4},
                                      {10, 0, 11, 0, 0},
                                      {11, 0, 12, 0, 3},
                                      {1, 0, 2, 0, 1},
                                      {20, 0, 21, 0, -1},
                                      {21, 0, 22, 0, 2},
                                      {2, 0, 3, 0, 70000},
                                      {12, 0, 13, 0, 65536},
                                      {3, 0, 4, 0, 5},
                                      {30, 0, 31, 0, 6},
                                      {31, 0, 30, 5, 6}});
             s.oelems = 6;
             return s;
         }},
        // A line ending at a vertex beyond the vertex count takes the literal passes.
        {"end beyond the vertex count",
         [] {
             Source s = FromSegments({{0, 0, 10, 0, 0}, {5, -5, 5, 5, 1}, {0, 3, 10, 3, 2}});
             s.rawEnds.push_back({2, 0, 40});
             return s;
         }},
        // Connecting lines across objects, one of them the entry line, one crossing a
        // line that is split while it is examined.
        {"connecting lines",
         [] {
             Source s = FromSegments({{0, 0, 10, 0, 0},
                                      {10, 0, 10, 10, 0},
                                      {10, 10, 0, 10, 0},
                                      {0, 10, 0, 0, 0},
                                      {20, 0, 30, 10, 1},
                                      {20, 10, 30, 0, 1}});
             s.vertices.push_back({-5, 5, 10000});
             s.vertices.push_back({25, 5, 1});
             s.vertices.push_back({5, 5, 0});
             const int n = static_cast<int>(s.vertices.size());
             s.lines.push_back({n - 3, n - 2, 10000, 2, 1, 0});
             s.lines.push_back({n - 1, n - 2, 2048, 2, 1, 0});
             s.lines.push_back({0, 9, 2048, 2, 1, 0});
             s.entryLine = 6;
             return s;
         }},
    };
}

class FastPlanariseFixture : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FastPlanariseFixture, GivesTheReferenceResult) {
    const Fixture fixture = Fixtures()[GetParam()];
    SCOPED_TRACE(fixture.name);
    const Source source = fixture.make();
    for (const NamedPass& pass : AllPasses()) ExpectSameResult(pass, source);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FastPlanariseFixture, ::testing::Range<std::size_t>(0, Fixtures().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             std::string name;
                             for (const char c : std::string(Fixtures()[info.param].name))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// ---------------------------------------------------------------------------------------
// The grid itself

// Items inside and outside the core array, wide ones, moved and removed ones, and boxes
// that are not finite: a query answers exactly the meeting boxes above `after`.
TEST(SegmentGrid, QueryAnswersEveryMeetingBoxAboveAfterInOrder) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    SegmentGrid grid(2.0, Box2d{-20, -20, 20, 20}, 1000);
    std::mt19937 rng(5);
    const auto below = [&rng](int n) { return static_cast<double>(rng() % static_cast<std::uint32_t>(n)); };
    std::vector<Box2d> boxes;
    for (int i = 0; i < 300; ++i) {
        const double x = below(100) - 50;
        const double y = below(100) - 50;
        const double w = below(10) == 0 ? below(200) : below(4);
        boxes.push_back({x, y, x + w, y + below(4)});
    }
    // The first 200 at once (every fifth left out), the rest one by one.
    std::vector<Box2d> first(boxes.begin(), boxes.begin() + 200);
    std::vector<char> placed(200, 1);
    for (std::size_t i = 0; i < 200; i += 5) placed[i] = 0;
    grid.PlaceAll(first, placed);
    for (int i = 0; i < 300; ++i)
        if (i >= 200 || i % 5 == 0) grid.Place(i, boxes[static_cast<std::size_t>(i)]);
    boxes[7] = {nan, 0, 1, 1};  // taken as the whole plane
    boxes[8] = {-inf, 3, 5, 4};
    boxes[9] = {1e300, 1e300, 1e301, 1e301};  // beyond the cell numbering
    for (int i = 7; i <= 9; ++i) grid.Place(i, boxes[static_cast<std::size_t>(i)]);
    for (int i = 0; i < 300; i += 3) {
        boxes[static_cast<std::size_t>(i)].minX -= 30;
        grid.Place(i, boxes[static_cast<std::size_t>(i)]);
    }
    grid.Remove(11);
    grid.Remove(11);
    EXPECT_FALSE(grid.Placed(11));
    std::vector<int> out;
    for (int q = 0; q < 300; ++q) {
        const Box2d& box = boxes[static_cast<std::size_t>(q)];
        const int after = q / 2;
        grid.Query(box, after, out);
        std::vector<int> expected;
        for (int i = after + 1; i < 300; ++i) {
            if (i == 11) continue;
            if (i == 7 || q == 7 || box.Meets(boxes[static_cast<std::size_t>(i)])) expected.push_back(i);
        }
        EXPECT_EQ(out, expected) << "query " << q;
        // The bounded query answers alike within its load and refuses beyond it.
        const std::int64_t load = grid.Load(box);
        std::vector<int> bounded{-5};
        EXPECT_TRUE(grid.QueryUpTo(box, after, load, bounded)) << "query " << q;
        EXPECT_EQ(bounded, expected) << "query " << q;
        EXPECT_FALSE(grid.QueryUpTo(box, after, load - 1, bounded)) << "query " << q;
        EXPECT_TRUE(bounded.empty());
    }
}

// A grid filled at once, with items removed from its sorted cells afterwards: queries
// within one cell, across cells, and of boxes lying on cell borders answer exactly the
// meeting boxes above `after`, ascending.
TEST(SegmentGrid, QueriesOfAGridPlacedAtOnceAnswerInOrder) {
    SegmentGrid grid(1.0, Box2d{0, 0, 16, 16}, 1000);
    std::mt19937 rng(11);
    const auto coordinate = [&rng] { return static_cast<double>(rng() % 64) / 4.0; };
    std::vector<Box2d> boxes;
    for (int i = 0; i < 400; ++i) {
        const double x = coordinate();
        const double y = coordinate();
        boxes.push_back({x, y, x + static_cast<double>(rng() % 3) / 4.0, y + static_cast<double>(rng() % 3) / 4.0});
    }
    grid.PlaceAll(boxes, std::vector<char>(boxes.size(), 1));
    for (int i = 0; i < 400; i += 7) grid.Remove(i);
    std::vector<int> out;
    for (int q = 0; q < 400; ++q) {
        const Box2d& box = boxes[static_cast<std::size_t>(q)];
        const int after = q % 3 == 0 ? -1 : q / 2;
        ASSERT_TRUE(grid.QueryUpTo(box, after, grid.Load(box), out));
        std::vector<int> expected;
        for (int i = after + 1; i < 400; ++i)
            if (i % 7 != 0 && box.Meets(boxes[static_cast<std::size_t>(i)])) expected.push_back(i);
        EXPECT_EQ(out, expected) << "query " << q;
    }
}

// A kept answer is reused only while nothing changed where its query looks: a place or
// removal marks the cells it touches, a wide item every query, an item far away none.
TEST(SegmentGrid, ChangesAreSeenWhereTheyTouchTheGrid) {
    SegmentGrid grid(1.0, Box2d{0, 0, 16, 16}, 1000);
    std::vector<Box2d> boxes;
    for (int i = 0; i < 16; ++i) boxes.push_back({i + 0.25, 0.25, i + 0.75, 0.75});  // one per cell of row 0
    grid.PlaceAll(boxes, std::vector<char>(boxes.size(), 1));
    const Box2d left{0.1, 0.1, 2.9, 0.9};    // cells 0 … 2
    const Box2d right{10.1, 0.1, 12.9, 0.9};  // cells 10 … 12
    const std::uint32_t start = grid.Stamp();
    EXPECT_TRUE(grid.UnchangedSince(left, start));

    grid.Place(1, {1.25, 5.25, 1.75, 5.75});  // item 1 leaves cell 1 for cell (1, 5)
    EXPECT_FALSE(grid.UnchangedSince(left, start)) << "the cell it left";
    EXPECT_FALSE(grid.UnchangedSince({1.1, 5.1, 1.9, 5.9}, start)) << "the cell it entered";
    EXPECT_TRUE(grid.UnchangedSince(right, start));
    const std::uint32_t moved = grid.Stamp();
    EXPECT_GT(moved, start);
    EXPECT_TRUE(grid.UnchangedSince(left, moved));

    grid.Remove(11);
    EXPECT_FALSE(grid.UnchangedSince(right, moved));
    const std::uint32_t removed = grid.Stamp();
    grid.Place(20, {-1e300, 0, 1e300, 1});  // too many cells: a wide item
    EXPECT_FALSE(grid.UnchangedSince(left, removed)) << "every query looks at the wide items";
    EXPECT_FALSE(grid.UnchangedSince({0, 0, 1e300, 1e300}, grid.Stamp())) << "a query over every item";
}

// Boxes on both sides of zero and at the ends of the cell numbering, where a cell number
// is rounded down from a fraction or the box no longer fits the numbering: each query
// still answers exactly the meeting boxes.
TEST(SegmentGrid, BoxesAtCellBordersAndAtTheNumberingsEndsAreFound) {
    constexpr double limit = 1073741824.0;  // 2^30 cells of size 1
    std::vector<Box2d> boxes;
    for (const double x : {-2.5, -1.0, -0.25, 0.0, 0.75, limit - 1.5, limit - 0.25, limit, limit + 0.5, limit + 1.0,
                           limit + 2.0, -limit - 0.5, -limit, -limit + 0.5}) {
        boxes.push_back({x, -0.5, x + 0.25, 0.5});
        boxes.push_back({-0.5, x, 0.5, x + 0.25});
    }
    SegmentGrid grid(1.0, Box2d{-4, -4, 4, 4}, 1000);
    const std::size_t half = boxes.size() / 2;
    grid.PlaceAll(std::vector<Box2d>(boxes.begin(), boxes.begin() + static_cast<std::ptrdiff_t>(half)),
                  std::vector<char>(half, 1));
    for (std::size_t i = half; i < boxes.size(); ++i) grid.Place(static_cast<int>(i), boxes[i]);
    std::vector<int> out;
    for (std::size_t q = 0; q < boxes.size(); ++q) {
        grid.Query(boxes[q], -1, out);
        std::vector<int> expected;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[q].Meets(boxes[i])) expected.push_back(static_cast<int>(i));
        EXPECT_EQ(out, expected) << "query " << q;
    }
}

}  // namespace
}  // namespace wirvela
