#include "drawinggen/RandomDrawing.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "drawinggen/DrawingRandom.h"
#include "drawinggen/HpglWriter.h"

namespace wirvela::drawinggen {

namespace {

using Polyline = std::vector<GridPoint>;

constexpr long kGrid = 40;  // drawing units per grid step

struct Stroke {
    Polyline points;
    bool closed = false;
};

class Builder {
public:
    Builder(DrawingRandom& rnd, int cells) : rnd_(rnd), cells_(cells) {}

    GridPoint Any() { return {rnd_.Int(0, cells_) * kGrid, rnd_.Int(0, cells_) * kGrid}; }

    // A point of a stroke drawn so far (or any grid point when there is none).
    GridPoint Existing() {
        if (strokes_.empty()) return Any();
        const Stroke& s = strokes_[static_cast<std::size_t>(rnd_.Int(0, static_cast<int>(strokes_.size()) - 1))];
        return s.points[static_cast<std::size_t>(rnd_.Int(0, static_cast<int>(s.points.size()) - 1))];
    }

    // Two consecutive points of a stroke drawn so far; false when there is none.
    bool ExistingEdge(GridPoint& a, GridPoint& b) {
        if (strokes_.empty()) return false;
        const Stroke& s = strokes_[static_cast<std::size_t>(rnd_.Int(0, static_cast<int>(strokes_.size()) - 1))];
        const int i = rnd_.Int(0, static_cast<int>(s.points.size()) - 2);
        a = s.points[static_cast<std::size_t>(i)];
        b = s.points[static_cast<std::size_t>(i) + 1];
        return !(a == b);
    }

    void Add(Polyline points, bool closed) {
        if (points.size() >= 2) strokes_.push_back({std::move(points), closed});
    }

    void AddFigure() {
        const int kind = rnd_.Int(0, 99);
        if (kind < 18) {
            Rectangle(Any(), Any());
        } else if (kind < 30) {
            Polyline p;
            const int n = rnd_.Int(3, 6);
            for (int i = 0; i < n; ++i) p.push_back(Any());
            Add(p, true);
        } else if (kind < 42) {
            Polyline p;
            const int n = rnd_.Int(2, 5);
            for (int i = 0; i < n; ++i) p.push_back(Any());
            Add(p, false);
        } else if (kind < 50) {
            // A rectangle inside another, sometimes sharing its border.
            GridPoint a = Any(), b = Any();
            if (a.x > b.x) std::swap(a.x, b.x);
            if (a.y > b.y) std::swap(a.y, b.y);
            Rectangle(a, b);
            const long w = (b.x - a.x) / kGrid;
            const long h = (b.y - a.y) / kGrid;
            if (w >= 1 && h >= 1) {
                const long inset = rnd_.Chance(30) ? 0 : 1;
                const GridPoint c{a.x + kGrid * rnd_.Int(0, static_cast<int>(w / 2)) * inset,
                                  a.y + kGrid * rnd_.Int(0, static_cast<int>(h / 2)) * inset};
                const GridPoint d{b.x - kGrid * rnd_.Int(0, static_cast<int>(w / 2)) * inset,
                                  b.y - kGrid * rnd_.Int(0, static_cast<int>(h / 2)) * inset};
                Rectangle(c, d);
            }
        } else if (kind < 60) {
            // Touching another figure at one of its points.
            Polyline p{Existing()};
            const int n = rnd_.Int(1, 4);
            for (int i = 0; i < n; ++i) p.push_back(Any());
            Add(p, rnd_.Chance(60));
        } else if (kind < 67) {
            // Along an existing edge: a collinear piece overlapping it or extending it.
            GridPoint a, b;
            if (!ExistingEdge(a, b)) return Rectangle(Any(), Any());
            const long dx = b.x - a.x;
            const long dy = b.y - a.y;
            const auto at = [&](int quarter) { return GridPoint{a.x + dx * quarter / 4, a.y + dy * quarter / 4}; };
            Add({at(rnd_.Int(-2, 3)), at(rnd_.Int(4, 7))}, false);
        } else if (kind < 74) {
            // A T-junction: from the middle of an existing edge outwards.
            GridPoint a, b;
            if (!ExistingEdge(a, b)) return Rectangle(Any(), Any());
            Polyline p{GridPoint{(a.x + b.x) / 2, (a.y + b.y) / 2}, Any()};
            if (rnd_.Chance(40)) p.push_back(Any());
            Add(p, false);
        } else if (kind < 80) {
            // A figure drawn again, forwards or backwards.
            if (strokes_.empty()) return Rectangle(Any(), Any());
            Stroke s = strokes_[static_cast<std::size_t>(rnd_.Int(0, static_cast<int>(strokes_.size()) - 1))];
            if (rnd_.Chance(50)) std::reverse(s.points.begin(), s.points.end());
            Add(s.points, s.closed);
        } else if (kind < 86) {
            // A fan: spokes out of one point and back, in one stroke.
            const GridPoint c = rnd_.Chance(50) ? Existing() : Any();
            Polyline p{c};
            const int n = rnd_.Int(2, 6);
            for (int i = 0; i < n; ++i) {
                p.push_back(Any());
                p.push_back(c);
            }
            Add(p, false);
        } else if (kind < 90) {
            circles_.push_back({Any(), rnd_.Int(1, 3) * kGrid, rnd_.Int(0, 3)});
        } else if (kind < 95) {
            // Retraced and repeated points: a → b → a, a zero-length step.
            const GridPoint a = Any(), b = Any();
            Add({a, b, b, a, Any()}, false);
        } else {
            Add({Any(), Any()}, false);
        }
    }

    void Rectangle(GridPoint a, GridPoint b) { Add({a, {b.x, a.y}, b, {a.x, b.y}}, true); }

    void Write(HpglWriter& out, GridPoint shift = {}) const {
        for (const Stroke& s : strokes_) {
            Polyline p = s.points;
            for (GridPoint& q : p) q = {q.x + shift.x, q.y + shift.y};
            out.Stroke(p, s.closed);
        }
        static constexpr long kChord[] = {45, 60, 90, 120};
        for (const Circle& c : circles_) {
            out.Circle({c.centre.x + shift.x, c.centre.y + shift.y}, c.radius, kChord[c.chord]);
        }
    }

    const std::vector<Stroke>& Strokes() const { return strokes_; }
    std::vector<Stroke>& Strokes() { return strokes_; }

private:
    struct Circle {
        GridPoint centre;
        long radius;
        int chord;
    };

    DrawingRandom& rnd_;
    int cells_;
    std::vector<Stroke> strokes_;
    std::vector<Circle> circles_;
};

int FigureCount(DrawingRandom& rnd) {
    return rnd.Chance(10) ? rnd.Int(8, 14) : rnd.Int(1, 7);
}

// Figure 1 in pen 3, figure 2 (figure 1 moved, now and then with a figure more or less)
// in pen 4, and segment lines in pen 5 from points of figure 1 to their places in
// figure 2 (now and then to nowhere, a faulty segment node).
void TwoFigures(DrawingRandom& rnd, Builder& figure, int cells, HpglWriter& out) {
    const GridPoint shift{rnd.Int(-3, 3) * kGrid, (rnd.Int(1, 3) * (rnd.Chance(50) ? 1 : -1)) * kGrid};
    out.Pen(3);
    figure.Write(out);
    Builder second = figure;
    if (rnd.Chance(15) && second.Strokes().size() > 1) second.Strokes().pop_back();
    if (rnd.Chance(15)) second.AddFigure();
    out.Pen(4);
    second.Write(out, shift);
    out.Pen(5);
    const int segments = rnd.Int(1, 4);
    for (int i = 0; i < segments; ++i) {
        const GridPoint from = figure.Existing();
        GridPoint to{from.x + shift.x, from.y + shift.y};
        if (rnd.Chance(10)) to = GridPoint{rnd.Int(0, cells) * kGrid, rnd.Int(0, cells) * kGrid};
        out.Stroke({from, to});
    }
}

}  // namespace

std::string RandomCase::Describe() const {
    return "seed " + std::to_string(seed) + ", " + settings.Describe() + "\n" + hpgl;
}

RandomCase MakeRandomCase(std::uint64_t seed) {
    DrawingRandom rnd(seed);
    RandomCase c;
    c.seed = seed;
    RunSettings& s = c.settings;
    s.crossingTest = rnd.Chance(40);
    s.conModif = rnd.Chance(30) ? 1.0 : (rnd.Chance(10) ? 2.0 : 0.0);
    // Off, the path search reads the switch from the settings file, which costs more
    // than a small drawing's whole run.
    s.testDuplicates = rnd.Chance(94);
    s.splitConnecting = rnd.Chance(50);
    if (rnd.Chance(30)) {
        s.entryXmm = rnd.Int(-5, 15);
        s.entryYmm = rnd.Int(-5, 15);
    }
    // The figure separation clears whole tables: a two-figure run costs ten one-figure ones.
    s.twoFigureMode = rnd.Chance(6);

    const int cells = rnd.Int(4, 12);
    Builder figure(rnd, cells);
    const int figures = FigureCount(rnd);
    for (int i = 0; i < figures; ++i) figure.AddFigure();

    HpglWriter out;
    if (s.twoFigureMode) {
        TwoFigures(rnd, figure, cells, out);
    } else {
        out.Pen(rnd.Chance(10) ? 2 : 1);
        figure.Write(out);
    }
    // How the file ends: a bare PU (one more, empty object), a pen-up move (a vertex
    // without lines), or nothing.
    const int end = rnd.Int(0, 2);
    if (end == 0) out.Raw("PU;");
    if (end == 1) out.Raw("PU0,0;");
    c.hpgl = out.Text();
    return c;
}

}  // namespace wirvela::drawinggen
