#include "planning/FastPlanarise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "planning/JunctionSplitting.h"
#include "planning/ObjectConnection.h"
#include "planning/Planarise.h"
#include "planning/PlanariseSteps.h"
#include "planning/Predicates.h"
#include "planning/SegmentGrid.h"

namespace wirvela {
namespace {

std::size_t U(int i) {
    return static_cast<std::size_t>(i);
}

// ---------------------------------------------------------------------------------------
// Boxes of lines

// Room for the rounding of the exact tests, relative to the size of the coordinates. An
// end that PointInsideSegment finds inside a line lies within a few units in the last
// place of the line's box, far inside this.
constexpr double kSlack = 1e-9;

Box2d Everywhere() {
    constexpr double inf = std::numeric_limits<double>::infinity();
    return {-inf, -inf, inf, inf};
}

bool FiniteEnds(const VertexRecord& a, const VertexRecord& b) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y);
}

// The line's box widened by pad and the rounding room; a line with an end that is not
// finite gets a box that meets everything (the predicates behave oddly on NaN: a NaN y
// makes PointInsideSegment accept every point with the same x).
Box2d LineBox(const TVert& v, const LineRecord& l, double pad) {
    const VertexRecord& a = v[l.p];
    const VertexRecord& b = v[l.k];
    if (!FiniteEnds(a, b)) return Everywhere();
    const double x0 = std::min(a.x, b.x);
    const double x1 = std::max(a.x, b.x);
    const double y0 = std::min(a.y, b.y);
    const double y1 = std::max(a.y, b.y);
    const double size = std::max({std::abs(x0), std::abs(x1), std::abs(y0), std::abs(y1)});
    const double s = pad + size * kSlack;
    return {x0 - s, y0 - s, x1 + s, y1 + s};
}

// Where a pass's test can find something near a line; two lines whose regions do not
// meet never interact.
struct Region {
    // false: exact tests (PointInsideSegment, SegmentsCross), the line's own box.
    // true: PointNearSegment with tol (> 0 selects it) and the aperture.
    bool near = false;
    double tol = 0.0;
    double aperture = 0.0;

    Box2d operator()(const TVert& v, const LineRecord& l) const {
        if (!near || !(tol > 0.0)) return LineBox(v, l, 0.0);
        const VertexRecord& a = v[l.p];
        const VertexRecord& b = v[l.k];
        if (!FiniteEnds(a, b)) return Everywhere();
        // PointNearSegment tests the range along an axis only when the line spans at least
        // the aperture along it. With both ranges the point lies inside the box; with one,
        // within 2·tol of it (the offset from the line is below tol per axis, and the line
        // rises less than it runs along the tested axis). With none, every point close to
        // the infinite line through a short segment counts.
        const bool spansX = std::abs(a.x - b.x) >= aperture;
        const bool spansY = std::abs(a.y - b.y) >= aperture;
        if (!spansX && !spansY) return Everywhere();
        return LineBox(v, l, spansX && spansY ? 0.0 : 2.001 * tol);
    }
};

// The segment grid over a line table: keeps each line's region placed under its index
// and follows the table as a pass splits and adds lines.
class LineGrid {
public:
    // objectLinesOnly: only lines of kind 1 are placed (others can still be queried with).
    LineGrid(const TLines& lines, Region region, bool objectLinesOnly = false)
        : lines_(lines), region_(region), objectLinesOnly_(objectLinesOnly), grid_(1.0, Box2d{}, 0) {
        const int count = lines.Count();
        std::vector<Box2d> boxes(U(count));
        std::vector<char> wanted(U(count), 0);
        ends_.resize(U(count));
        for (int i = 0; i < count; ++i) {
            const LineRecord& l = lines[i];
            ends_[U(i)] = {l.p, l.k};
            if (!Wanted(l)) continue;
            wanted[U(i)] = 1;
            boxes[U(i)] = region_(lines.Vertices(), l);
        }
        grid_ = Shape(boxes, wanted);
        grid_.PlaceAll(std::move(boxes), wanted);
        known_ = count;
    }

    // The line's region; that of a placed line whose ends are those it was placed with is
    // the one the grid holds.
    Box2d Box(int line) const {
        const LineRecord& l = lines_[line];
        if (line < known_ && grid_.Placed(line) && ends_[U(line)].first == l.p && ends_[U(line)].second == l.k)
            return grid_.BoxOf(line);
        return region_(lines_.Vertices(), l);
    }
    bool Placed(int line) const { return grid_.Placed(line); }
    // Lines 0 … Known()-1 are taken in.
    int Known() const { return known_; }

    // Placed lines above `after` whose regions meet `box`, ascending, unless finding them
    // would look at more than maxLoad grid entries (false).
    bool QueryUpTo(const Box2d& box, int after, std::int64_t maxLoad, std::vector<int>& out) {
        return grid_.QueryUpTo(box, after, maxLoad, out);
    }

    // From now on the answers of QueryFrom are kept, for a later pass over the same lines.
    void KeepAnswers() {
        keeping_ = true;
        kept_.resize(U(lines_.Count()));
        keptLines_.reserve(4 * U(lines_.Count()));
    }
    // The kept answers are still given, but no new ones are kept (the last pass that asks).
    void StopKeeping() { keeping_ = false; }

    // QueryUpTo(box, line, maxLoad, out) for the scan of `line` from its start. With the
    // answers kept, an earlier answer for the line is given again when it was asked with the
    // same region and no larger maxLoad and the grid has not changed where the query looks:
    // the query would answer the same.
    bool QueryFrom(int line, const Box2d& box, std::int64_t maxLoad, std::vector<int>& out) {
        if (U(line) < kept_.size()) {
            const KeptAnswer& k = kept_[U(line)];
            if (k.size >= 0 && maxLoad >= k.maxLoad && SameBox(box, k.box) && grid_.UnchangedSince(box, k.stamp)) {
                const auto first = keptLines_.begin() + static_cast<std::ptrdiff_t>(k.begin);
                out.assign(first, first + k.size);
                return true;
            }
        }
        if (!grid_.QueryUpTo(box, line, maxLoad, out)) return false;
        if (keeping_) {
            if (U(line) >= kept_.size()) kept_.resize(U(line) + 1);
            kept_[U(line)] = {box, maxLoad, grid_.Stamp(), keptLines_.size(), static_cast<std::ptrdiff_t>(out.size())};
            keptLines_.insert(keptLines_.end(), out.begin(), out.end());
        }
        return true;
    }

    // Takes in the lines of `touched` whose ends changed and every line added since the
    // last call; true when anything changed (the caller's candidates are then stale).
    bool Refresh(std::span<const int> touched) {
        bool changed = false;
        const int count = lines_.Count();
        while (known_ > count) {
            --known_;
            grid_.Remove(known_);
            changed = true;
        }
        for (const int t : touched) {
            if (t < 0 || t >= known_) continue;
            const LineRecord& l = lines_[t];
            if (l.p == ends_[U(t)].first && l.k == ends_[U(t)].second) continue;
            Put(t);
            changed = true;
        }
        for (; known_ < count; ++known_) {
            Put(known_);
            changed = true;
        }
        return changed;
    }
    bool Refresh(std::initializer_list<int> touched) { return Refresh(std::span<const int>(touched)); }

private:
    bool Wanted(const LineRecord& l) const { return !objectLinesOnly_ || l.kind == 1; }

    void Put(int i) {
        const LineRecord& l = lines_[i];
        if (U(i) >= ends_.size()) ends_.resize(U(i) + 1);
        ends_[U(i)] = {l.p, l.k};
        if (Wanted(l))
            grid_.Place(i, Box(i));
        else
            grid_.Remove(i);
    }

    // Cells of the mean extent of the finite regions, so that most lines cover one to
    // four cells; the core array spans where all but the outermost lines lie, so that a
    // few lines far away do not make it huge.
    static SegmentGrid Shape(const std::vector<Box2d>& boxes, const std::vector<char>& wanted) {
        // The core's bounds come from a sample of at most about 4096 boxes.
        const std::size_t step = boxes.size() / 4096 + 1;
        std::vector<double> x0, y0, x1, y1;
        double sum = 0.0;
        std::size_t n = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const Box2d& b = boxes[i];
            if (!wanted[i] || !b.Finite()) continue;
            const double extent = std::max(b.maxX - b.minX, b.maxY - b.minY);
            if (!std::isfinite(extent)) continue;
            sum += extent;
            if (n++ % step != 0) continue;
            x0.push_back(b.minX);
            y0.push_back(b.minY);
            x1.push_back(b.maxX);
            y1.push_back(b.maxY);
        }
        const double mean = n > 0 ? sum / static_cast<double>(n) : 1.0;
        Box2d core{0.0, 0.0, 0.0, 0.0};
        if (!x0.empty()) {
            const std::size_t low = x0.size() / 200;
            const std::size_t high = x0.size() - 1 - low;
            const auto nth = [](std::vector<double>& v, std::size_t k) {
                std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
                return v[k];
            };
            core = {nth(x0, low), nth(y0, low), nth(x1, high), nth(y1, high)};
        }
        // A sparse drawing (fine chords over a large sheet) would need more cells than
        // that: the cells grow instead, each then holding a few chords.
        const auto maxCoreCells = static_cast<std::int64_t>(4 * n + 4096);
        double cell = mean > 0.0 && std::isfinite(mean) ? mean : 1.0;
        const double width = core.maxX - core.minX;
        const double height = core.maxY - core.minY;
        if (std::isfinite(width) && std::isfinite(height) &&
            (width / cell + 1.0) * (height / cell + 1.0) > static_cast<double>(maxCoreCells) / 2) {
            const auto quarter = static_cast<double>(maxCoreCells / 4);
            cell = std::max({cell, std::sqrt(width * height / quarter), (width + height) / quarter});
        }
        return SegmentGrid(cell, core, maxCoreCells);
    }

    // An answer of QueryFrom: keptLines_[begin … begin+size), size −1 for none.
    struct KeptAnswer {
        Box2d box;
        std::int64_t maxLoad = 0;
        std::uint32_t stamp = 0;
        std::size_t begin = 0;
        std::ptrdiff_t size = -1;
    };

    static bool SameBox(const Box2d& a, const Box2d& b) {
        return a.minX == b.minX && a.minY == b.minY && a.maxX == b.maxX && a.maxY == b.maxY;
    }

    const TLines& lines_;
    Region region_;
    bool objectLinesOnly_;
    SegmentGrid grid_;
    std::vector<std::pair<int, int>> ends_;  // ends of each line as last placed
    int known_ = 0;                          // lines 0 … known_-1 are taken in
    bool keeping_ = false;
    std::vector<KeptAnswer> kept_;  // by line
    std::vector<int> keptLines_;
};

bool Contains(const Box2d& outer, const Box2d& inner) {
    return outer.minX <= inner.minX && inner.maxX <= outer.maxX && outer.minY <= inner.minY && inner.maxY <= outer.maxY;
}

// The lines that may interact with one line (the scanned line), above a cursor and in
// ascending order, kept up to date while the pass changes the table. After a change the
// scan goes on from the old list as long as the scanned line's region stays inside the
// region it was queried with: what meets the new region meets the old one, so only
// lines with new ends and added lines need looking at. Otherwise the grid is asked
// again. Where the grid would look at as many entries as there are later lines, or once
// the queries for one line have answered more lines than the table holds, the scan
// simply runs through every later line as the literal loop does (lines piling up at one
// place, split again and again, then cost no more than they do there).
class CandidateScan {
public:
    CandidateScan(const TLines& lines, LineGrid& grid) : lines_(lines), grid_(grid) {}

    // Every candidate of `line` above `after`.
    void Start(int line, int after) {
        line_ = line;
        answered_ = 0;
        linear_ = false;
        Query(after);
    }

    bool Next(int& j) {
        if (linear_) {
            if (next_ >= lines_.Count()) return false;
            j = next_++;
            return true;
        }
        if (pos_ >= list_.size()) return false;
        j = list_[pos_++];
        return true;
    }

    // The table has changed: the lines of `touched` may have new ends and lines may
    // have been added. The scan goes on with the candidates above `after` (restart: all
    // of them anew).
    void Changed(std::span<const int> touched, int after, bool restart = false) {
        const int known = grid_.Known();
        const bool changed = grid_.Refresh(touched);
        if (linear_) {
            next_ = after + 1;
            return;
        }
        if (!changed && !restart) return;
        if (restart || !Contains(box_, grid_.Box(line_))) {
            Query(after);
            return;
        }
        for (const int t : touched) {
            if (t <= after || t >= known || !Meets(t)) continue;
            const auto rest = list_.begin() + static_cast<std::ptrdiff_t>(pos_);
            const auto at = std::lower_bound(rest, list_.end(), t);
            if (at == list_.end() || *at != t) list_.insert(at, t);
        }
        const int count = grid_.Known();
        for (int n = std::max(known, after + 1); n < count; ++n)
            if (Meets(n)) list_.push_back(n);
    }
    void Changed(std::initializer_list<int> touched, int after, bool restart = false) {
        Changed(std::span<const int>(touched), after, restart);
    }

private:
    void Query(int after) {
        box_ = grid_.Box(line_);
        const std::int64_t later = lines_.Count() - 1 - after;
        pos_ = 0;
        const auto query = [&] {
            return after == line_ ? grid_.QueryFrom(line_, box_, later - 1, list_)
                                  : grid_.QueryUpTo(box_, after, later - 1, list_);
        };
        if (answered_ > static_cast<std::size_t>(lines_.Count()) || !query()) {
            linear_ = true;
            next_ = after + 1;
            return;
        }
        answered_ += list_.size();
    }

    bool Meets(int n) const { return n != line_ && grid_.Placed(n) && grid_.Box(n).Meets(box_); }

    const TLines& lines_;
    LineGrid& grid_;
    int line_ = -1;
    Box2d box_;            // the region the list was queried with
    std::vector<int> list_;  // candidates, ascending; those before pos_ are done
    std::size_t pos_ = 0;
    std::size_t answered_ = 0;  // lines the queries for this line have answered
    bool linear_ = false;       // every line from next_ on
    int next_ = 0;
};

// A line ending at a vertex beyond the vertex count (which no loader makes) reads a
// record that adding a vertex overwrites: its place changes without its ends changing,
// which the grid cannot see. Such tables take the literal passes.
bool EndsBeyondVertices(const TLines& lines) {
    const int vertices = lines.Vertices().Count();
    for (const LineRecord& l : lines.Records())
        if (l.p >= vertices || l.k >= vertices) return true;
    return false;
}

// The literal loops look at the stop token first thing for the pair (i, i + 1).
bool StopBeforeFirstPair(const TLines& lines, int i, const std::stop_token& stop) {
    return i + 1 < lines.Count() && stop.stop_requested();
}

// ---------------------------------------------------------------------------------------
// Pair scans and the junction splitting

// The scan of a pass whose pair step changes only lines i and j (and adds lines): every
// candidate pair (i, j), i < j, in the order of the literal loop; `pair` returns true
// when it may have changed the tables. Progress: message `key` on panel 0.
template <class PairStep>
bool ScanPairs(TLines& lines, LineGrid& grid, int key, bool repaint, PlanariseSink& sink, const std::stop_token& stop,
               PairStep pair) {
    CandidateScan scan(lines, grid);
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, key, i, lines.Count(), repaint);
        if (StopBeforeFirstPair(lines, i, stop)) return false;
        scan.Start(i, i);
        for (int j = 0; scan.Next(j);) {
            if (stop.stop_requested()) return false;
            if (pair(lines, i, j)) scan.Changed({i, j}, j);
        }
    }
    return true;
}

// Object numbers during the merging. Every merge maps all numbers alike (o becomes q,
// then every number above o, unsigned, falls by one), so elements with equal numbers
// stay equal for good: they form a class, and a merge joins class o into class q. The
// map keeps the order of the surviving numbers, so a class's number is its first number
// less the count of classes merged away whose first number was below its own.
class ObjectClasses {
public:
    explicit ObjectClasses(std::vector<std::uint32_t> firstNumbers)
        : first_(std::move(firstNumbers)), parent_(first_.size()), removed_(first_.size() + 1, 0) {
        for (std::size_t c = 0; c < parent_.size(); ++c) parent_[c] = static_cast<int>(c);
    }

    int Root(int c) {
        while (parent_[U(c)] != c) {
            parent_[U(c)] = parent_[U(parent_[U(c)])];
            c = parent_[U(c)];
        }
        return c;
    }

    // The current number of a class root, as stored in an obj field.
    std::int32_t Number(int root) const { return static_cast<std::int32_t>(first_[U(root)] - RemovedBelow(root)); }

    // Class root `o` is merged into class root `q`.
    void Merge(int o, int q) {
        parent_[U(o)] = q;
        for (std::size_t i = U(o) + 1; i < removed_.size(); i += i & (~i + 1)) ++removed_[i];
    }

private:
    // Classes merged away among those below `c` (a Fenwick tree over the class order).
    std::uint32_t RemovedBelow(int c) const {
        std::uint32_t sum = 0;
        for (std::size_t i = U(c); i > 0; i -= i & (~i + 1)) sum += removed_[i];
        return sum;
    }

    std::vector<std::uint32_t> first_;  // ascending, distinct
    std::vector<int> parent_;
    std::vector<std::uint32_t> removed_;
};

// MergeTouchingObjects without its per-merge renumbering of the whole table and, in merge
// mode, without rescanning from line 1: only lines whose objects differ from their end
// vertices' at the start can ever merge (equal numbers stay equal), so the scan jumps
// between those, and the mark counts of the lines passed on the way are added at the end.
bool MergeTouchingObjectsFast(TLines& lines, int& oelems, bool mergeMode, const std::stop_token& stop) {
    TVert& v = lines.Vertices();
    const int vertexCount = v.Count();
    const int lineCount = lines.Count();
    // The distinct numbers, ascending, and each element's class. Object numbers of a
    // drawing lie close together, so a table over their range replaces sorting and
    // searching; numbers spread wider take the sort.
    std::uint32_t low = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t high = 0;
    const auto widen = [&](std::int32_t obj) {
        const auto number = static_cast<std::uint32_t>(obj);
        low = std::min(low, number);
        high = std::max(high, number);
    };
    for (int i = 0; i < vertexCount; ++i) widen(v[i].obj);
    for (int n = 0; n < lineCount; ++n) widen(lines[n].obj);
    std::vector<std::uint32_t> numbers;
    std::vector<int> vertexClass(U(vertexCount));
    std::vector<int> lineClass(U(lineCount));
    const std::size_t elements = U(vertexCount) + U(lineCount);
    if (elements > 0 && std::uint64_t{high} - low < 2 * elements + 4096) {
        std::vector<int> classOf(std::size_t{high} - low + 1, -1);
        for (int i = 0; i < vertexCount; ++i) classOf[static_cast<std::uint32_t>(v[i].obj) - low] = 0;
        for (int n = 0; n < lineCount; ++n) classOf[static_cast<std::uint32_t>(lines[n].obj) - low] = 0;
        for (std::size_t k = 0; k < classOf.size(); ++k) {
            if (classOf[k] < 0) continue;
            classOf[k] = static_cast<int>(numbers.size());
            numbers.push_back(static_cast<std::uint32_t>(low + k));
        }
        for (int i = 0; i < vertexCount; ++i) vertexClass[U(i)] = classOf[static_cast<std::uint32_t>(v[i].obj) - low];
        for (int n = 0; n < lineCount; ++n) lineClass[U(n)] = classOf[static_cast<std::uint32_t>(lines[n].obj) - low];
    } else {
        numbers.reserve(elements);
        for (int i = 0; i < vertexCount; ++i) numbers.push_back(static_cast<std::uint32_t>(v[i].obj));
        for (int n = 0; n < lineCount; ++n) numbers.push_back(static_cast<std::uint32_t>(lines[n].obj));
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        const auto classOf = [&numbers](std::int32_t obj) {
            const auto number = static_cast<std::uint32_t>(obj);
            return static_cast<int>(std::lower_bound(numbers.begin(), numbers.end(), number) - numbers.begin());
        };
        for (int i = 0; i < vertexCount; ++i) vertexClass[U(i)] = classOf(v[i].obj);
        for (int n = 0; n < lineCount; ++n) lineClass[U(n)] = classOf(lines[n].obj);
    }
    ObjectClasses classes(std::move(numbers));

    std::vector<int> pending;  // lines not consistent at the start, ascending
    for (int n = 0; n < lineCount; ++n) {
        const LineRecord& l = lines[n];
        if (vertexClass[U(l.p)] != lineClass[U(n)] || vertexClass[U(l.k)] != lineClass[U(n)]) pending.push_back(n);
    }

    // Visits of each line, as a difference array over the scanned ranges.
    std::vector<int> visits(U(lineCount) + 1, 0);
    const auto scanned = [&](int from, int to) {
        if (from > to) return;
        ++visits[U(from)];
        --visits[U(to) + 1];
    };
    enum class Verdict { Consistent, Skipped, Merge };
    const auto judge = [&](int n) {
        const LineRecord& l = lines[n];
        const int own = classes.Root(lineClass[U(n)]);
        if (classes.Root(vertexClass[U(l.p)]) == own && classes.Root(vertexClass[U(l.k)]) == own)
            return Verdict::Consistent;
        const std::int32_t obj = classes.Number(own);
        return obj < 0 || obj > 0xFFFF ? Verdict::Skipped : Verdict::Merge;
    };
    const auto merge = [&](int n) {
        const LineRecord& l = lines[n];
        const int own = classes.Root(lineClass[U(n)]);
        const int start = classes.Root(vertexClass[U(l.p)]);
        classes.Merge(own, start != own ? start : classes.Root(vertexClass[U(l.k)]));
        --oelems;
    };

    bool stopped = false;
    if (!mergeMode) {
        for (const int n : pending) {
            if (stop.stop_requested()) {
                stopped = true;
                scanned(0, n - 1);
                break;
            }
            if (judge(n) == Verdict::Merge) merge(n);
        }
        if (!stopped) scanned(0, lineCount - 1);
    } else {
        // The pending lines still able to merge, as a list linked through `link`
        // (entry P = pending.size() heads it, -1 ends it): a line found consistent
        // leaves it for good, a skipped one stays (its number may come into range later).
        const int P = static_cast<int>(pending.size());
        std::vector<int> link(U(P) + 1);
        for (int k = 0; k < P; ++k) link[U(k)] = k + 1 < P ? k + 1 : -1;
        link[U(P)] = P > 0 ? 0 : -1;
        int from = 0;
        for (;;) {
            if (stop.stop_requested()) {
                stopped = true;
                break;
            }
            int found = -1;
            for (int prev = P, k = link[U(P)]; k >= 0; k = link[U(k)]) {
                const int n = pending[U(k)];
                if (n >= from) {
                    const Verdict verdict = judge(n);
                    if (verdict == Verdict::Merge) {
                        found = n;
                        break;
                    }
                    if (verdict == Verdict::Consistent) {
                        link[U(prev)] = link[U(k)];
                        continue;
                    }
                }
                prev = k;
            }
            if (found < 0) {
                scanned(from, lineCount - 1);
                break;
            }
            scanned(from, found);
            merge(found);
            from = 1;
        }
    }

    int visitsHere = 0;
    for (int n = 0; n < lineCount; ++n) {
        visitsHere += visits[U(n)];
        if (visitsHere == 0) continue;
        const LineRecord& l = lines[n];
        std::uint8_t& markP = v.Edit(l.p).mark;
        markP = static_cast<std::uint8_t>(markP + visitsHere);
        std::uint8_t& markK = v.Edit(l.k).mark;
        markK = static_cast<std::uint8_t>(markK + visitsHere);
    }
    for (int i = 0; i < vertexCount; ++i) v.Edit(i).obj = classes.Number(classes.Root(vertexClass[U(i)]));
    for (int n = 0; n < lineCount; ++n) lines.Edit(n).obj = classes.Number(classes.Root(lineClass[U(n)]));
    return !stopped;
}

// ---------------------------------------------------------------------------------------
// Duplicates

std::uint64_t EndsKey(const LineRecord& l) {
    const auto lo = static_cast<std::uint32_t>(std::min(l.p, l.k));
    const auto hi = static_cast<std::uint32_t>(std::max(l.p, l.k));
    return (std::uint64_t{lo} << 32) | hi;
}

}  // namespace

// Only lines whose ends occur more than once take part: each such set of ends keeps the
// ordered set of lines carrying it, and a removal moves the last line's index into the
// slot, exactly as RemoveBySwap moves the line.
bool RemoveDuplicatesFast(TLines& lines, PlanariseSink& sink, std::stop_token stop) {
    const int count = lines.Count();
    std::vector<std::pair<std::uint64_t, int>> keyed(U(count));
    for (int n = 0; n < count; ++n) keyed[U(n)] = {EndsKey(lines[n]), n};
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::set<int>> groups;
    std::vector<int> groupOf(U(count), -1);
    for (std::size_t a = 0; a < keyed.size();) {
        std::size_t b = a + 1;
        while (b < keyed.size() && keyed[b].first == keyed[a].first) ++b;
        if (b - a > 1) {
            std::set<int>& group = groups.emplace_back();
            for (std::size_t m = a; m < b; ++m) {
                group.insert(keyed[m].second);
                groupOf[U(keyed[m].second)] = static_cast<int>(groups.size() - 1);
            }
        }
        a = b;
    }

    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 6, i, lines.Count(), false);
        if (StopBeforeFirstPair(lines, i, stop)) return false;
        if (groupOf[U(i)] < 0) continue;
        std::set<int>& group = groups[U(groupOf[U(i)])];
        for (auto next = group.upper_bound(i); next != group.end(); next = group.upper_bound(i)) {
            if (stop.stop_requested()) return false;
            const int j = *next;
            group.erase(next);
            const int last = lines.Count() - 1;
            if (last != j) {
                const int moved = groupOf[U(last)];
                if (moved >= 0) {
                    groups[U(moved)].erase(last);
                    groups[U(moved)].insert(j);
                }
                groupOf[U(j)] = moved;
            }
            lines.RemoveBySwap(j);
        }
    }
    return true;
}

bool SnapPktsToLinesFast(TLines& lines, PlanariseSink& sink, std::stop_token stop) {
    if (EndsBeyondVertices(lines)) return SnapPktsToLines(lines, sink, stop);
    LineGrid grid(lines, Region{});
    CandidateScan scan(lines, grid);
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 3, i, lines.Count(), true);
        if (StopBeforeFirstPair(lines, i, stop)) return false;
        // A line from a vertex to itself is never changed here, nor anything against it.
        if (lines[i].p == lines[i].k) continue;
        scan.Start(i, i);
        for (int j = 0; scan.Next(j);) {
            if (stop.stop_requested()) return false;
            // Advance: the pair changed nothing.
            const OverlapNext next = ReduceOverlap(lines, i, j, sink);
            if (next == OverlapNext::RestartI)
                scan.Changed({i, j}, i, true);
            else if (next == OverlapNext::RepeatJ)
                scan.Changed({i, j}, j - 1);
        }
    }
    return true;
}

bool ReduceCrossingsFast(TLines& lines, bool crossAll, PlanariseSink& sink, std::stop_token stop) {
    if (EndsBeyondVertices(lines)) return ReduceCrossings(lines, crossAll, sink, stop);
    LineGrid grid(lines, Region{});
    return ScanPairs(lines, grid, 4, true, sink, stop, [crossAll, &sink](TLines& l, int i, int j) {
        return ReduceCrossingPair(l, i, j, crossAll, sink);
    });
}

bool SnapPktsToLines2Fast(TLines& lines, double tol, double aperture, PlanariseSink& sink, std::stop_token stop) {
    if (EndsBeyondVertices(lines)) return SnapPktsToLines2(lines, tol, aperture, sink, stop);
    LineGrid grid(lines, Region{tol != 0.0, tol, aperture});
    CandidateScan scan(lines, grid);
    std::vector<int> touched;
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 3, i, lines.Count(), false);
        if (lines[i].p == lines[i].k) continue;
        if (StopBeforeFirstPair(lines, i, stop)) return false;
        scan.Start(i, i);
        for (int j = 0; scan.Next(j);) {
            if (stop.stop_requested()) return false;
            touched.clear();
            SnapPairToLines(lines, i, j, tol, aperture, &touched);
            scan.Changed(touched, j);
        }
    }
    return true;
}

bool SplitJunctionsFast(TLines& lines, int& oelems, double conModif, PlanariseSink& sink, std::stop_token stop) {
    if (EndsBeyondVertices(lines)) return SplitJunctions(lines, oelems, conModif, sink, stop);
    TVert& v = lines.Vertices();
    for (int i = 0; i < v.Count(); ++i) v.Edit(i).mark = 0;
    LineGrid grid(lines, Region{});
    // The crossing pass asks the grid what the T-junction pass asked it; where the T-junctions
    // changed nothing, the answers are the same.
    grid.KeepAnswers();
    // Most candidates are neighbours in the same object, which both pair steps leave
    // alone; they are passed over before the steps copy the two lines.
    const auto tJunction = [](TLines& l, int i, int j) { return l[i].obj != l[j].obj && SplitTJunctionPair(l, i, j); };
    const auto crossing = [](TLines& l, int i, int j) {
        return l[i].obj != l[j].obj && SplitJunctionCrossingPair(l, i, j);
    };
    if (!ScanPairs(lines, grid, 3, false, sink, stop, tJunction)) return false;
    grid.StopKeeping();
    if (!ScanPairs(lines, grid, 4, false, sink, stop, crossing)) return false;
    const bool mergeMode = conModif == 1.0;
    sink.Status(0, sink.MessageText(5));
    if (!MergeTouchingObjectsFast(lines, oelems, mergeMode, stop)) return false;
    if (!RemoveDuplicatesFast(lines, sink, stop)) return false;
    ReportObjectCount(sink, oelems);
    ReportLineCount(sink, lines.Count());
    return true;
}

bool SplitConnectingLinesFast(TLines& lines, int entryLine, std::stop_token stop) {
    if (EndsBeyondVertices(lines)) return SplitConnectingLines(lines, entryLine, stop);
    // Without connecting lines the literal pass looks at nothing (not even the token).
    const auto records = lines.Records();
    if (std::none_of(records.begin(), records.end(), [](const LineRecord& l) { return l.kind == 2; })) return true;
    LineGrid grid(lines, Region{}, true);
    CandidateScan scan(lines, grid);
    for (int d = 0; d < lines.Count(); ++d) {
        if (lines[d].kind != 2) continue;
        if (stop.stop_requested()) return false;
        scan.Start(d, -1);
        for (int i = 0; scan.Next(i);) {
            if (stop.stop_requested()) return false;
            if (SplitConnectingPair(lines, d, i, entryLine)) scan.Changed({d, i}, i);
        }
    }
    return true;
}

}  // namespace wirvela
