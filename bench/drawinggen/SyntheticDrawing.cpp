#include "drawinggen/SyntheticDrawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "drawinggen/DrawingRandom.h"
#include "drawinggen/HpglWriter.h"

namespace wirvela::drawinggen {

namespace {

using Polyline = std::vector<GridPoint>;

// Vertices the drawing may use, leaving room for the entry vertex and some slack below
// the table's 49,995.
constexpr int kVertexBudget = 47000;

GridPoint Round(double x, double y) {
    return {std::lround(x), std::lround(y)};
}

// Appends p unless it repeats the last point (a zero-length line the reader would drop).
void Push(Polyline& line, GridPoint p) {
    if (line.empty() || !(line.back() == p)) line.push_back(p);
}

// Closed outlines must not repeat their first point at the end.
void DropClosingRepeat(Polyline& line) {
    while (line.size() > 2 && line.back() == line.front()) line.pop_back();
}

Polyline RegularPolygon(double cx, double cy, double r, int n, double turn) {
    Polyline p;
    for (int i = 0; i < n; ++i) {
        const double a = turn + 2.0 * std::numbers::pi * i / n;
        Push(p, Round(cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    DropClosingRepeat(p);
    return p;
}

// A polygon whose corners lie on rays from the centre at radii r … r·(1 + wobble): simple.
Polyline WobblyPolygon(DrawingRandom& rnd, double cx, double cy, double r, int n, double wobble) {
    Polyline p;
    const double turn = rnd.Real(0.0, 2.0 * std::numbers::pi);
    for (int i = 0; i < n; ++i) {
        const double a = turn + 2.0 * std::numbers::pi * i / n;
        const double ri = r * (1.0 + rnd.Real(0.0, wobble));
        Push(p, Round(cx + ri * std::cos(a), cy + ri * std::sin(a)));
    }
    DropClosingRepeat(p);
    return p;
}

Polyline RoundedRectangle(double cx, double cy, double a, double b, double r, int perCorner) {
    Polyline p;
    const double corner[4][2] = {{cx + a - r, cy + b - r}, {cx - a + r, cy + b - r}, {cx - a + r, cy - b + r},
                                 {cx + a - r, cy - b + r}};
    for (int c = 0; c < 4; ++c) {
        for (int s = 0; s <= perCorner; ++s) {
            const double t = std::numbers::pi / 2.0 * (c + static_cast<double>(s) / perCorner);
            Push(p, Round(corner[c][0] + r * std::cos(t), corner[c][1] + r * std::sin(t)));
        }
    }
    DropClosingRepeat(p);
    return p;
}

// Counts of what has been drawn, and the writer.
struct Sheet {
    HpglWriter out;
    int lines = 0;
    int vertices = 0;
    int crossings = 0;

    void Closed(const Polyline& p) {
        out.Stroke(p, true);
        lines += static_cast<int>(p.size());
        vertices += static_cast<int>(p.size());
    }
    void Open(const Polyline& p) {
        out.Stroke(p, false);
        lines += static_cast<int>(p.size()) - 1;
        vertices += static_cast<int>(p.size());
    }
    // A convex polygon with an even number of corners, braced by the chords from every
    // second corner to the next but one (drawn in the same stroke, so the same object):
    // n/2 more lines on the same vertices.
    void Braced(const Polyline& p) {
        Polyline stroke = p;
        stroke.push_back(p.front());
        for (std::size_t i = 2; i < p.size(); i += 2) stroke.push_back(p[i]);
        out.Stroke(stroke, true);
        lines += static_cast<int>(p.size() + p.size() / 2);
        vertices += static_cast<int>(p.size());
    }
    SyntheticDrawing Finish() {
        SyntheticDrawing d;
        d.hpgl = out.Text();
        d.lines = lines;
        d.vertices = vertices;
        d.objects = out.Strokes();
        d.crossings = crossings;
        return d;
    }
};

// ---- nested parts -------------------------------------------------------------------

// One part in a cell: its outline and what lies inside it, all disjoint.
void NestedPart(DrawingRandom& rnd, Sheet& sheet, double cx, double cy) {
    double inner = 0.0;  // radius around the centre that is free inside the outline
    const int shape = rnd.Int(0, 99);
    if (shape < 35) {
        const int n = 2 * rnd.Int(8, 20);
        const double r = rnd.Real(800.0, 1050.0);
        sheet.Braced(RegularPolygon(cx, cy, r, n, rnd.Real(0.0, 1.0)));
        inner = 0.45 * r;
    } else if (shape < 70) {
        const double r = rnd.Real(780.0, 1000.0);
        sheet.Closed(WobblyPolygon(rnd, cx, cy, r, rnd.Int(16, 44), 0.06));
        inner = 0.6 * r;
    } else {
        const double a = rnd.Real(700.0, 1050.0);
        const double b = rnd.Real(700.0, 1050.0);
        sheet.Closed(RoundedRectangle(cx, cy, a, b, rnd.Real(80.0, 250.0), rnd.Int(4, 10)));
        inner = 0.6 * std::min(a, b);
    }
    if (rnd.Chance(50)) {
        // A hole with a small part nested in it, which may have a hole of its own.
        sheet.Closed(RegularPolygon(cx, cy, 0.8 * inner, rnd.Int(12, 32), rnd.Real(0.0, 1.0)));
        if (rnd.Chance(70)) {
            sheet.Closed(WobblyPolygon(rnd, cx, cy, 0.4 * inner, rnd.Int(8, 16), 0.1));
            if (rnd.Chance(50)) sheet.Closed(RegularPolygon(cx, cy, 0.15 * inner, 6, rnd.Real(0.0, 1.0)));
        }
    } else {
        const int holes = rnd.Int(2, 4);
        const double turn = rnd.Real(0.0, 1.0);
        for (int h = 0; h < holes; ++h) {
            const double a = turn + 2.0 * std::numbers::pi * h / holes;
            sheet.Closed(RegularPolygon(cx + 0.6 * inner * std::cos(a), cy + 0.6 * inner * std::sin(a),
                                        0.25 * inner, rnd.Int(8, 16), 0.0));
        }
    }
}

SyntheticDrawing NestedParts(int lines, DrawingRandom& rnd) {
    constexpr double kCell = 2400.0;
    const int cols = std::max(1, static_cast<int>(std::ceil(std::sqrt(lines / 100.0))));
    Sheet sheet;
    sheet.out.Pen(1);
    for (int c = 0; sheet.lines < lines && sheet.vertices + 120 < kVertexBudget; ++c) {
        const double cx = (c % cols) * kCell + kCell / 2 + rnd.Real(-60.0, 60.0);
        const double cy = (c / cols) * kCell + kCell / 2 + rnd.Real(-60.0, 60.0);
        NestedPart(rnd, sheet, cx, cy);
    }
    return sheet.Finish();
}

// ---- lettering ----------------------------------------------------------------------

struct StrokeLine {
    double x0, y0, x1, y1;  // centre line in glyph units (x 0 … 4, y 0 … 6)
};

// Single-stroke capitals; the outlines around the strokes overlap where strokes meet.
const std::vector<std::vector<StrokeLine>>& Glyphs() {
    static const std::vector<std::vector<StrokeLine>> glyphs = {
        {{0, 0, 2, 6}, {2, 6, 4, 0}, {1, 2.5, 3, 2.5}},                  // A
        {{0, 0, 0, 6}, {0, 6, 4, 6}, {0, 3, 3, 3}, {0, 0, 4, 0}},        // E
        {{0, 0, 0, 6}, {4, 0, 4, 6}, {0, 3, 4, 3}},                      // H
        {{0, 0, 0, 6}, {0, 2, 4, 6}, {1.2, 3.2, 4, 0}},                  // K
        {{0, 0, 0, 6}, {0, 6, 2, 2}, {2, 2, 4, 6}, {4, 6, 4, 0}},        // M
        {{0, 0, 0, 6}, {0, 6, 4, 0}, {4, 0, 4, 6}},                      // N
        {{0, 6, 4, 6}, {2, 6, 2, 0}},                                    // T
        {{0, 6, 2, 0}, {2, 0, 4, 6}},                                    // V
        {{0, 6, 1, 0}, {1, 0, 2, 4}, {2, 4, 3, 0}, {3, 0, 4, 6}},        // W
        {{0, 0, 4, 6}, {0, 6, 4, 0}},                                    // X
        {{0, 6, 2, 3}, {4, 6, 2, 3}, {2, 3, 2, 0}},                      // Y
        {{0, 6, 4, 6}, {4, 6, 0, 0}, {0, 0, 4, 0}},                      // Z
        {{0, 0, 0, 6}, {0, 0, 4, 0}},                                    // L
        {{0, 0, 0, 6}, {0, 6, 3.5, 6}, {0, 3, 3, 3}},                    // F
        {{2, 0, 2, 6}},                                                  // I
        {{0, 0, 0, 6}, {0, 6, 3.5, 6}, {3.5, 6, 4, 4.5}, {4, 4.5, 3.5, 3}, {3.5, 3, 0, 3}},  // P
    };
    return glyphs;
}

constexpr double kUnit = 60.0;     // drawing units per glyph unit
constexpr double kHalfWidth = 20;  // of a stroke outline

// The outline of a stroke: a rectangle around its centre line, longer than it by the
// half width at both ends, its long sides cut into chords of about 40 units.
Polyline StrokeOutline(double ox, double oy, const StrokeLine& s) {
    const double ax = ox + s.x0 * kUnit;
    const double ay = oy + s.y0 * kUnit;
    const double bx = ox + s.x1 * kUnit;
    const double by = oy + s.y1 * kUnit;
    const double len = std::hypot(bx - ax, by - ay);
    const double dx = (bx - ax) / len;
    const double dy = (by - ay) / len;
    const double nx = -dy;
    const double ny = dx;
    const double w = kHalfWidth;
    const double sx = ax - dx * w, sy = ay - dy * w;  // extended start
    const double ex = bx + dx * w, ey = by + dy * w;  // extended end
    const int k = std::max(1, static_cast<int>(std::lround((len + 2 * w) / 40.0)));
    Polyline p;
    for (int i = 0; i <= k; ++i) {
        const double t = static_cast<double>(i) / k;
        Push(p, Round(sx + (ex - sx) * t + nx * w, sy + (ey - sy) * t + ny * w));
    }
    for (int i = k; i >= 0; --i) {
        const double t = static_cast<double>(i) / k;
        Push(p, Round(sx + (ex - sx) * t - nx * w, sy + (ey - sy) * t - ny * w));
    }
    DropClosingRepeat(p);
    return p;
}

// The lines (as closed outlines) of one word, for counting their crossings.
struct Outline {
    Polyline points;
};

long long Cross(GridPoint o, GridPoint a, GridPoint b) {
    return static_cast<long long>(a.x - o.x) * (b.y - o.y) - static_cast<long long>(a.y - o.y) * (b.x - o.x);
}

bool ProperlyCross(GridPoint a, GridPoint b, GridPoint c, GridPoint d) {
    const long long d1 = Cross(a, b, c);
    const long long d2 = Cross(a, b, d);
    const long long d3 = Cross(c, d, a);
    const long long d4 = Cross(c, d, b);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// Proper crossings between lines of different outlines.
int CountCrossings(const std::vector<Outline>& outlines) {
    int count = 0;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const Polyline& a = outlines[i].points;
        for (std::size_t j = i + 1; j < outlines.size(); ++j) {
            const Polyline& b = outlines[j].points;
            for (std::size_t s = 0; s < a.size(); ++s) {
                const GridPoint a0 = a[s];
                const GridPoint a1 = a[(s + 1) % a.size()];
                for (std::size_t t = 0; t < b.size(); ++t) {
                    if (ProperlyCross(a0, a1, b[t], b[(t + 1) % b.size()])) ++count;
                }
            }
        }
    }
    return count;
}

SyntheticDrawing Lettering(int lines, DrawingRandom& rnd) {
    const double lineWidth = std::max(2000.0, std::sqrt(lines * 30.0) * 40.0);
    const double rowHeight = 10 * kUnit;
    Sheet sheet;
    sheet.out.Pen(1);
    double x = 0.0;
    double y = 0.0;
    while (sheet.lines < lines) {
        const int letters = rnd.Int(3, 8);
        std::vector<Outline> word;
        std::vector<int> closedLines;
        const double start = x;
        for (int l = 0; l < letters; ++l) {
            const auto& glyph = Glyphs()[static_cast<std::size_t>(rnd.Int(0, static_cast<int>(Glyphs().size()) - 1))];
            for (const StrokeLine& s : glyph) word.push_back({StrokeOutline(x, y, s)});
            // Mostly a gap; now and then the next letter runs into this one.
            x += 4 * kUnit + (rnd.Chance(15) ? -0.4 * kUnit : rnd.Real(0.6, 1.5) * kUnit);
        }
        const double end = x - 0.6 * kUnit;
        if (rnd.Chance(60)) {
            // The underline bar: its top edge at the stems' outline bottoms (y = -half
            // width), so vertical stems end exactly on it and slanted ones cross it.
            const double top = y - kHalfWidth;
            const double bottom = top - 0.8 * kUnit;
            Polyline bar;
            const int pieces = std::max(1, static_cast<int>((end - start + 80) / 37.0));
            for (int i = 0; i <= pieces; ++i) Push(bar, Round(start - 40 + (end - start + 80) * i / pieces, top));
            Push(bar, Round(end + 40, bottom));
            Push(bar, Round(start - 40, bottom));
            word.push_back({bar});
        }
        int wordLines = 0;
        int wordVertices = 0;
        for (const Outline& o : word) {
            wordLines += static_cast<int>(o.points.size());
            wordVertices += static_cast<int>(o.points.size());
        }
        const int crossings = CountCrossings(word);
        if (sheet.vertices + wordVertices + sheet.crossings + crossings > kVertexBudget) break;
        for (const Outline& o : word) sheet.Closed(o.points);
        sheet.crossings += crossings;
        x += 1.5 * kUnit;
        if (x > lineWidth) {
            x = 0.0;
            y += rowHeight;
        }
    }
    return sheet.Finish();
}

// ---- fine arcs ----------------------------------------------------------------------

constexpr double kArcCellWidth = 8400.0;
constexpr double kArcCellHeight = 1800.0;

// Each object has about `chords` lines: an eighth of the drawing, 150 … 1,200.

// A wavy open line along the cell: two sine waves, a point every 12 … 20 units of x.
Polyline Wave(DrawingRandom& rnd, double x0, double cy, int chords) {
    const double step = rnd.Real(12.0, 20.0);
    const double length = std::min(chords * step, kArcCellWidth - 400.0);
    const double a1 = rnd.Real(150.0, 450.0);
    const double a2 = rnd.Real(30.0, 200.0);
    const double l1 = rnd.Real(1500.0, 5000.0);
    const double l2 = rnd.Real(300.0, 900.0);
    const double p1 = rnd.Real(0.0, 6.0);
    const double p2 = rnd.Real(0.0, 6.0);
    Polyline p;
    for (double x = 0.0; x <= length; x += step) {
        const double y = a1 * std::sin(2 * std::numbers::pi * x / l1 + p1) +
                         a2 * std::sin(2 * std::numbers::pi * x / l2 + p2);
        Push(p, Round(x0 + x, cy + y));
    }
    return p;
}

// A slot: two parallel wavy sides 2h apart joined by half circles of radius h, all in
// chords of about `step`.
Polyline Slot(DrawingRandom& rnd, double x0, double cy, int chords) {
    const double step = rnd.Real(12.0, 24.0);
    const double h = rnd.Real(200.0, 420.0);
    const double a = rnd.Real(50.0, 300.0);
    const double l = rnd.Real(1500.0, 4000.0);
    const double sides = std::clamp((chords * step - 2 * std::numbers::pi * h) / 2, 4 * step, kArcCellWidth - 400.0 - 2 * h);
    const double left = x0 + h;
    const double right = left + sides;
    const auto wave = [&](double x) { return a * std::sin(2 * std::numbers::pi * (x - left) / l); };
    Polyline p;
    for (double x = left; x < right; x += step) Push(p, Round(x, cy - h + wave(x)));
    const int arc = std::max(4, static_cast<int>(std::numbers::pi * h / step));
    for (int i = 0; i <= arc; ++i) {
        const double t = -std::numbers::pi / 2 + std::numbers::pi * i / arc;
        Push(p, Round(right + h * std::cos(t), cy + wave(right) + h * std::sin(t)));
    }
    for (double x = right; x > left; x -= step) Push(p, Round(x, cy + h + wave(x)));
    for (int i = 0; i <= arc; ++i) {
        const double t = std::numbers::pi / 2 + std::numbers::pi * i / arc;
        Push(p, Round(left + h * std::cos(t), cy + wave(left) + h * std::sin(t)));
    }
    DropClosingRepeat(p);
    return p;
}

// An Archimedean spiral around (cx, cy), turns 70 units apart, chords of about `step`,
// at most 820 units across.
Polyline Spiral(DrawingRandom& rnd, double cx, double cy, int chords) {
    const double step = rnd.Real(14.0, 22.0);
    const double pitch = 70.0 / (2 * std::numbers::pi);
    // Length of the spiral up to radius r: about r² / (2 · pitch).
    const double outer = std::clamp(std::sqrt(2 * pitch * chords * step), 200.0, 820.0);
    double theta = 2 * std::numbers::pi;
    const double turn = rnd.Real(0.0, 6.0);
    Polyline p;
    for (double r = pitch * theta; r < outer; r = pitch * theta) {
        Push(p, Round(cx + r * std::cos(theta + turn), cy + r * std::sin(theta + turn)));
        theta += step / r;
    }
    return p;
}

SyntheticDrawing FineArcs(int lines, DrawingRandom& rnd) {
    const int chords = std::clamp(lines / 8, 150, 1200);
    const int cols = std::max(1, static_cast<int>(std::ceil(std::sqrt(lines / (chords * 4.0)))));
    Sheet sheet;
    sheet.out.Pen(1);
    bool full = false;
    for (int c = 0; sheet.lines < lines && !full; ++c) {
        const double x0 = (c % cols) * kArcCellWidth;
        const double cy = (c / cols) * kArcCellHeight + kArcCellHeight / 2;
        const int kind = rnd.Int(0, 99);
        std::vector<std::pair<Polyline, bool>> objects;
        if (kind < 40) {
            objects.push_back({Wave(rnd, x0, cy, chords), false});
        } else if (kind < 80) {
            objects.push_back({Slot(rnd, x0, cy, chords), true});
        } else {
            // Spirals side by side along the cell.
            for (int s = 0; s < 4; ++s) objects.push_back({Spiral(rnd, x0 + 900 + s * 1900, cy, chords), false});
        }
        for (const auto& [p, closed] : objects) {
            full = sheet.vertices + static_cast<int>(p.size()) > kVertexBudget;
            if (full || sheet.lines >= lines) break;
            if (closed) {
                sheet.Closed(p);
            } else {
                sheet.Open(p);
            }
        }
    }
    return sheet.Finish();
}

}  // namespace

const char* DrawingKindName(DrawingKind kind) {
    switch (kind) {
        case DrawingKind::NestedParts:
            return "nested-parts";
        case DrawingKind::Lettering:
            return "lettering";
        case DrawingKind::FineArcs:
            return "fine-arcs";
    }
    return "";
}

std::optional<DrawingKind> DrawingKindFromName(std::string_view name) {
    for (DrawingKind k : kDrawingKinds) {
        if (name == DrawingKindName(k)) return k;
    }
    return std::nullopt;
}

SyntheticDrawing MakeSyntheticDrawing(DrawingKind kind, int lines, std::uint64_t seed) {
    DrawingRandom rnd(seed * 0x2545f4914f6cdd1dULL + static_cast<std::uint64_t>(kind));
    switch (kind) {
        case DrawingKind::NestedParts:
            return NestedParts(lines, rnd);
        case DrawingKind::Lettering:
            return Lettering(lines, rnd);
        case DrawingKind::FineArcs:
            return FineArcs(lines, rnd);
    }
    return {};
}

}  // namespace wirvela::drawinggen
