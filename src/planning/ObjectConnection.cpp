#include "planning/ObjectConnection.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <unordered_map>

#include "planning/FastJoin.h"
#include "planning/FastPlanarise.h"
#include "planning/JoinProgress.h"
#include "planning/JunctionSplitting.h"
#include "planning/PathSearch.h"
#include "planning/PlanariseSink.h"
#include "planning/PlanariseSteps.h"
#include "planning/Predicates.h"

namespace wirvela {

namespace {

constexpr double kFar = 3e100;  // squared distance of an object pair that has no candidate

// The distance entry of one object pair: the smallest squared distance over the vertex
// pairs between the two objects, taken in the order of the vertex scan (i ascending,
// then j > i ascending) and replaced only by a strictly smaller one; a = j, b = i.
struct PairEntry {
    double d2 = kFar;
    int a = -1;
    int b = -1;
};

PairEntry ObjectPairEntry(const TLines& lines, const std::vector<int>& first, const std::vector<int>& second,
                          bool crossingTest) {
    const TVert& v = lines.Vertices();
    PairEntry e;
    std::size_t f = 0;
    std::size_t s = 0;
    while (f < first.size() || s < second.size()) {
        const bool fromFirst = s >= second.size() || (f < first.size() && first[f] < second[s]);
        const int i = fromFirst ? first[f++] : second[s++];
        const std::vector<int>& other = fromFirst ? second : first;
        const VertexRecord& vi = v[i];
        for (auto it = std::upper_bound(other.begin(), other.end(), i); it != other.end(); ++it) {
            const VertexRecord& vj = v[*it];
            const double ddx = vi.x - vj.x;
            const double dx2 = ddx * ddx;
            if (e.d2 <= dx2) continue;
            const double ddy = vi.y - vj.y;
            const double d2 = dx2 + ddy * ddy;
            if (e.d2 <= d2) continue;
            if (crossingTest && CrossesAnyLine(vi, vj, lines)) continue;
            e = {d2, *it, i};
        }
    }
    return e;
}

bool Stopped(const std::stop_token& stop) {
    return stop.stop_requested();
}

}  // namespace

std::vector<char> VerticesOnLines(const TLines& lines) {
    std::vector<char> on(static_cast<std::size_t>(lines.Vertices().Count()), 0);
    for (const LineRecord& l : lines.Records()) {
        if (l.p == l.k) continue;
        if (l.p >= 0 && l.p < lines.Vertices().Count()) on[static_cast<std::size_t>(l.p)] = 1;
        if (l.k >= 0 && l.k < lines.Vertices().Count()) on[static_cast<std::size_t>(l.k)] = 1;
    }
    return on;
}

std::vector<std::vector<int>> JoiningUnits(const TLines& lines, int objectCount) {
    const TVert& v = lines.Vertices();
    const int count = v.Count();
    const auto at = [](int i) { return static_cast<std::size_t>(i); };
    std::vector<int> parent(at(count));
    for (int i = 0; i < count; ++i) parent[at(i)] = i;
    // The root of a piece is its first vertex: a union keeps the lower root.
    const auto root = [&](int i) {
        while (parent[at(i)] != i) {
            parent[at(i)] = parent[at(parent[at(i)])];
            i = parent[at(i)];
        }
        return i;
    };
    for (const LineRecord& l : lines.Records()) {
        if (l.p < 0 || l.k < 0 || l.p >= count || l.k >= count) continue;
        const int a = root(l.p);
        const int b = root(l.k);
        if (a != b) parent[at(std::max(a, b))] = std::min(a, b);
    }
    const std::vector<char> onLine = VerticesOnLines(lines);
    std::unordered_map<std::uint64_t, int> unitOf;  // (object, root) → unit
    std::vector<std::vector<int>> units;
    for (int i = 0; i < count; ++i) {
        const std::int32_t obj = v[i].obj;
        if (obj < 0 || obj >= objectCount || !onLine[at(i)]) continue;
        const std::uint64_t key =
            (std::uint64_t{static_cast<std::uint32_t>(obj)} << 32) | static_cast<std::uint32_t>(root(i));
        const auto [it, added] = unitOf.try_emplace(key, static_cast<int>(units.size()));
        if (added) units.emplace_back();
        units[at(it->second)].push_back(i);
    }
    std::sort(units.begin(), units.end(), [&v](const std::vector<int>& a, const std::vector<int>& b) {
        const int oa = v[a.front()].obj;
        const int ob = v[b.front()].obj;
        return oa != ob ? oa < ob : a.front() < b.front();
    });
    return units;
}

JoinResult JoinObjects(TLines& lines, int objectCount, bool crossingTest, PlanariseSink& sink,
                       const std::function<void(int percent)>& progress, std::stop_token stop) {
    const int objects = std::max(objectCount, 0);
    const std::vector<std::vector<int>> members = JoiningUnits(lines, objects);
    const int n = static_cast<int>(members.size());

    struct Key {
        double d2 = kFar;
        int lo = 0;
        int hi = 0;
        int a = -1;
        int b = -1;
    };
    const auto before = [](double d2, int lo, int hi, const Key& k) {
        if (d2 != k.d2) return d2 < k.d2;
        return lo != k.lo ? lo < k.lo : hi < k.hi;
    };
    std::vector<Key> key(static_cast<std::size_t>(n));
    std::vector<char> inTree(static_cast<std::size_t>(n), 0);

    JoinProgress done(members, progress, sink);

    // Unit x joins the tree: the entries between x and every unit still outside.
    const auto enter = [&](int x) {
        inTree[static_cast<std::size_t>(x)] = 1;
        const std::vector<int>& mx = members[static_cast<std::size_t>(x)];
        for (int y = 0; y < n; ++y) {
            if (inTree[static_cast<std::size_t>(y)]) continue;
            if (Stopped(stop)) return false;
            const PairEntry e = ObjectPairEntry(lines, mx, members[static_cast<std::size_t>(y)], crossingTest);
            if (e.d2 >= kFar) continue;
            const int lo = std::min(x, y);
            const int hi = std::max(x, y);
            Key& k = key[static_cast<std::size_t>(y)];
            if (before(e.d2, lo, hi, k)) k = {e.d2, lo, hi, e.a, e.b};
        }
        done.Joined(mx.size());
        return true;
    };

    std::vector<std::pair<int, int>> edges;
    // One step per object as described (a step that finds nothing only logs), more when
    // objects of several pieces make more units.
    const int steps = std::max(objects, n) - 1;
    done.Report();
    if (n > 0 && !enter(0)) return {0, 0, true};
    for (int step = 1; step <= steps; ++step) {
        if (Stopped(stop)) return {0, 0, true};
        int best = -1;
        for (int y = 0; y < n; ++y) {
            const Key& k = key[static_cast<std::size_t>(y)];
            if (inTree[static_cast<std::size_t>(y)] || k.d2 >= kFar) continue;
            if (best < 0 || before(k.d2, k.lo, k.hi, key[static_cast<std::size_t>(best)])) best = y;
        }
        if (best >= 0) {
            const Key k = key[static_cast<std::size_t>(best)];
            // The higher-numbered unit of the pair is the one in the tree when the
            // newcomer is the lower one.
            edges.push_back(best == k.lo ? std::pair{k.a, k.b} : std::pair{k.b, k.a});
            if (!enter(best)) return {0, 0, true};
        }
        done.StepDone(step);
    }
    done.Finish(objects);
    return AddConnectingLines(lines, edges, inTree);
}

JoinResult AddConnectingLines(TLines& lines, std::span<const std::pair<int, int>> edges,
                              std::span<const char> inTree) {
    JoinResult result;
    for (const auto& [p, k] : edges) {
        LineRecord connecting;
        connecting.p = p;
        connecting.k = k;
        connecting.obj = kConnectingObject;
        connecting.kind = 2;
        connecting.kind2 = 1;
        if (lines.AddLine(connecting) == 1) ++result.added;
    }
    result.unjoined = static_cast<int>(std::count(inTree.begin(), inTree.end(), 0));
    return result;
}

bool SplitConnectingLines(TLines& lines, int entryLine, std::stop_token stop) {
    for (int d = 0; d < lines.Count(); ++d) {
        if (lines[d].kind != 2) continue;
        for (int i = 0; i < lines.Count(); ++i) {
            if (Stopped(stop)) return false;
            SplitConnectingPair(lines, d, i, entryLine);
        }
    }
    return true;
}

void MoveEntryToEnds(TLines& lines, int entryLine, int entryVertex) {
    TVert& v = lines.Vertices();
    const int lastLine = lines.Count() - 1;
    if (entryLine >= 0 && entryLine < lastLine) {
        const LineRecord a = lines[entryLine];
        const LineRecord b = lines[lastLine];
        lines.SetRecord(entryLine, b);
        lines.SetRecord(lastLine, a);
    }
    const int lastVertex = v.Count() - 1;
    if (entryVertex >= 0 && entryVertex < lastVertex) {
        const VertexRecord a = v[entryVertex];
        const VertexRecord b = v[lastVertex];
        v.SetRecord(entryVertex, b);
        v.SetRecord(lastVertex, a);
        for (int i = 0; i < lines.Count(); ++i) {
            const LineRecord l = lines[i];
            const auto swapped = [&](int end) {
                return end == entryVertex ? lastVertex : end == lastVertex ? entryVertex : end;
            };
            const int p = swapped(l.p);
            const int k = swapped(l.k);
            if (p != l.p || k != l.k) lines.SetEnds(i, p, k);
        }
    }
}

}  // namespace wirvela
