#include "rotary/ProfilePreparation.h"

#include <limits>
#include <string>
#include <utility>

#include "config/MessageLog.h"
#include "drawing/LineList.h"
#include "drawing/Lines.h"
#include "drawing/Vert.h"

namespace wirvela {

namespace {

constexpr int kQueueSlots = 1000;
constexpr int kPiecesMessage = 631;
constexpr int kNotOneLineMessage = 205;
// The kind of the cut path's entries.
constexpr int kPathEntry = 2;

void Trace(MessageLog* trace, std::string_view text) {
    if (trace) trace->Log(text);
}

std::int32_t& Level(TVert& v, int i) {
    return v.Edit(i).obj;
}

void ClearDegrees(TVert& v) {
    for (int i = 0; i < v.Count(); ++i) Level(v, i) = 0;
}

// A line from a vertex to itself counts twice at that vertex.
void CountDegrees(TVert& v, const TLines& lines) {
    ClearDegrees(v);
    for (const LineRecord& l : lines.Records()) {
        ++Level(v, l.p);
        ++Level(v, l.k);
    }
}

struct Ends {
    int start = -1;
    int end = -1;
};

// The lowest vertex at the leftmost and at the rightmost x of the free ends; exact
// comparisons, so the lowest index wins ties.
Ends LeftAndRightEnds(const TVert& v) {
    double minX = 1e10;
    double maxX = -1e10;
    for (const VertexRecord& r : v.Records()) {
        if (r.obj != 1) continue;
        if (r.x < minX) minX = r.x;
        if (r.x > maxX) maxX = r.x;
    }
    Ends ends;
    if (minX == 1e10 || maxX == -1e10) return ends;
    double startY = std::numeric_limits<double>::max();
    double endY = std::numeric_limits<double>::max();
    for (int i = 0; i < v.Count(); ++i) {
        const VertexRecord& r = v[i];
        if (r.x == minX && r.y < startY) {
            startY = r.y;
            ends.start = i;
        }
        if (r.x == maxX && r.y < endY) {
            endY = r.y;
            ends.end = i;
        }
    }
    return ends;
}

// Breadth-first levels from the start (1), 0 for vertices it does not reach; false when
// the queue overflows.
bool SearchLevels(TVert& v, const TGraph2& graph, int start) {
    ClearDegrees(v);
    Level(v, start) = 1;
    TFifo queue(kQueueSlots);
    if (!queue.Push(start)) return false;
    std::int32_t u = 0;
    while (queue.Pop(u)) {
        for (std::int32_t e = graph.First(u); e >= 0; e = graph.Entry(e).next) {
            const int n = graph.Entry(e).vertex;
            if (Level(v, n) != 0) continue;
            if (!queue.Push(n)) return false;
            Level(v, n) = Level(v, u) + 1;
        }
    }
    return true;
}

// Marks the path from the end down the levels to the start; false for a vertex without
// neighbours or one with no neighbour nearer the start.
bool MarkPath(TVert& v, const TGraph2& graph, int start, int end) {
    for (int i = 0; i < v.Count(); ++i) v.Edit(i).aux = 0;
    int at = end;
    while (true) {
        v.Edit(at).aux = 1;
        if (at == start) return true;
        std::int32_t e = graph.First(at);
        if (e < 0) return false;
        int best = graph.Entry(e).vertex;
        for (e = graph.Entry(e).next; e >= 0; e = graph.Entry(e).next) {
            const int n = graph.Entry(e).vertex;
            if (v[n].obj < v[best].obj) best = n;
        }
        // Each step must come nearer the start, or the walk would never end.
        if (v[best].obj >= v[at].obj) return false;
        at = best;
    }
}

// Removes what is not attached to the marked path: lines with neither end on it. A
// branch off the path keeps its first line, so the test below sees the branch.
void RemoveDetachedLines(const TVert& v, TLines& lines) {
    int i = 0;
    while (i < lines.Count()) {
        const LineRecord& l = lines[i];
        if (v[l.p].aux == 0 && v[l.k].aux == 0) {
            lines.RemoveBySwap(i);
        } else {
            ++i;
        }
    }
}

// Counts by degree; the first two free ends in index order become start and end.
void IntegrityCounts(const TVert& v, PreparedProfile& out) {
    out.start = -1;
    out.end = -1;
    for (int i = 0; i < v.Count(); ++i) {
        const int degree = v[i].obj;
        if (degree == 0) ++out.isolated;
        if (degree > 2) ++out.branches;
        if (degree != 1) continue;
        ++out.ends;
        if (out.start < 0) {
            out.start = i;
        } else if (out.end < 0) {
            out.end = i;
        }
    }
}

}  // namespace

TGraph2::TGraph2(const TLines& lines, int vertexCount, MessageLog* trace)
    : heads_(static_cast<std::size_t>(std::max(vertexCount, 0)), -1) {
    entries_.reserve(static_cast<std::size_t>(lines.Count()) * 2);
    const auto add = [this](int to, int neighbour) {
        entries_.push_back({neighbour, 0.0, heads_[static_cast<std::size_t>(to)]});
        heads_[static_cast<std::size_t>(to)] = static_cast<std::int32_t>(entries_.size() - 1);
    };
    for (const LineRecord& l : lines.Records()) {
        if (l.p == l.k) {
            Trace(trace, "Proba dodania wierzcholka do wlasnego sasiedztwa " + std::to_string(l.p));
            continue;
        }
        add(l.p, l.k);
        add(l.k, l.p);
    }
}

TFifo::TFifo(int capacity)
    : ring_(new std::int32_t[static_cast<std::size_t>(std::max(capacity, 1))]()),
      capacity_(static_cast<std::uint64_t>(std::max(capacity, 1))) {}

bool TFifo::Push(std::int32_t value) {
    if (writes_ - reads_ + 1 >= capacity_) return false;
    ring_[writes_ % capacity_] = value;
    ++writes_;
    return true;
}

bool TFifo::Pop(std::int32_t& value) {
    if (reads_ == writes_) return false;
    value = ring_[reads_ % capacity_];
    ++reads_;
    return true;
}

PreparedProfile PrepareProfile(TVert& v, TLines& lines, int row, MessageLog* trace) {
    PreparedProfile out;
    Trace(trace, ">>>PreprocessProfile begin");
    ClearDegrees(v);
    Trace(trace, ">>>PreprocessProfile before TGraph2 CtoR");
    const TGraph2 graph(lines, v.Count(), trace);
    Trace(trace, ">>>PreprocessProfile after TGraph2.Build Structure");
    CountDegrees(v, lines);
    const Ends ends = LeftAndRightEnds(v);
    if (ends.start < 0 || ends.end < 0) return out;
    if (!SearchLevels(v, graph, ends.start)) return out;
    Trace(trace, ">>>PreprocessProfile after graph ordering");
    if (v[ends.end].obj == 0) {
        // The search never reached the right end: it lies on another piece.
        out.message = kPiecesMessage;
        return out;
    }
    if (!MarkPath(v, graph, ends.start, ends.end)) return out;
    Trace(trace, ">>>PreprocessProfile after marking");
    RemoveDetachedLines(v, lines);
    Trace(trace, ">>>PreprocessProfile after removal");
    CountDegrees(v, lines);
    Trace(trace, ">>>PreprocessProfile before integrity test");
    IntegrityCounts(v, out);
    Trace(trace, ">>>PreprocessProfile after test");
    if (out.ends != 2 || out.branches > 0) {
        out.result = PreparedProfile::kNotOneLine;
        out.message = kNotOneLineMessage;
        return out;
    }
    if (v[out.start].x > v[out.end].x) std::swap(out.start, out.end);
    if (row % 2 == 0) std::swap(out.start, out.end);
    out.result = PreparedProfile::kOk;
    Trace(trace, ">>>PreprocessProfile end");
    return out;
}

std::unique_ptr<TLineList> ChainProfile(TLines& lines, int start, int end) {
    // The first unused line, in table order, at the current vertex: the lines at each
    // vertex, in table order, stand for the scan over the whole table.
    const int vertexCount = lines.Vertices().Count();
    if (start < 0 || start >= vertexCount || end < 0 || end >= vertexCount) return nullptr;
    std::vector<std::vector<int>> at(static_cast<std::size_t>(vertexCount));
    for (int i = 0; i < lines.Count(); ++i) {
        lines.Edit(i).obj = 0;
        at[static_cast<std::size_t>(lines[i].p)].push_back(i);
        if (lines[i].k != lines[i].p) at[static_cast<std::size_t>(lines[i].k)].push_back(i);
    }
    auto path = std::make_unique<TLineList>(lines.Count());
    int c = start;
    while (c != end) {
        int found = -1;
        for (int i : at[static_cast<std::size_t>(c)]) {
            if (lines[i].obj == 0) {
                found = i;
                break;
            }
        }
        if (found < 0) return nullptr;
        const LineRecord& l = lines[found];
        const bool forward = l.p == c;
        if (path->Append(found, forward ? 1.0 : -1.0, kPathEntry) != 0) return nullptr;
        c = forward ? l.k : l.p;
        ++lines.Edit(found).obj;
    }
    return path;
}

}  // namespace wirvela
