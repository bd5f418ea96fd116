#include "generators/Frame.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "config/NumberText.h"
#include "drawing/Drawing.h"
#include "generators/DrawingBox.h"
#include "geometry/Point2d.h"

namespace wirvela {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kEntryObject = 10000;

bool Finite(Point2d p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The outline to add: its points in order; closed joins the last one to the first.
struct Outline {
    std::vector<Point2d> points;
    bool closed = true;
};

struct Placement {
    DrawingBox box;
    bool emptySet = false;
    bool joined = false;  // the last line is the entry line, the last vertex the entry vertex
};

// A generated outline that became the cut path as it is (the bent moulding) has no entry
// line; dropping its last line would cut a piece out of it.
bool EndsWithEntryLine(const TLines& lines) {
    if (lines.Count() == 0) return false;
    const LineRecord& last = lines[lines.Count() - 1];
    return last.kind == 2 && last.obj == kEntryObject && last.p == lines.Vertices().Count() - 1;
}

// The box without the entry line, as the frame lays out by it.
Placement PlaceFor(const TDrawing& d, FrameSizing sizing) {
    Placement at;
    at.joined = EndsWithEntryLine(d.L());
    at.box = at.joined ? BoxWithoutEntryLine(d.L(), BoxRounding::Exact) : BoxOfAllLines(d.L(), BoxRounding::Exact);
    at.emptySet = d.V().Count() == 0;
    if (at.emptySet) at.box = DrawingBox{0.0, 0.0, 0.0, 0.0};
    if (sizing == FrameSizing::Size) {
        const double cx = (at.box.minX + at.box.maxX) / 2;
        const double cy = (at.box.minY + at.box.maxY) / 2;
        at.box = DrawingBox{cx, cy, cx, cy};
    }
    return at;
}

GeneratorMessage Rectangle(const DrawingBox& box, double dx, double dy, const GeneratorMessage& tooLarge,
                           Outline& out) {
    const double x0 = box.minX - dx;
    const double x1 = box.maxX + dx;
    const double y0 = box.minY - dy;
    const double y1 = box.maxY + dy;
    if (!Finite({x0, y0}) || !Finite({x1, y1})) return tooLarge;
    if (!(x1 - x0 > 0)) return {kNotPositiveMessage, {"The frame's width"}};
    if (!(y1 - y0 > 0)) return {kNotPositiveMessage, {"The frame's height"}};
    out.points = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
    return {};
}

GeneratorMessage Circle(const DrawingBox& box, double dr, double epsilon, int room, const GeneratorMessage& tooLarge,
                        Outline& out) {
    const double w = box.maxX - box.minX;
    const double h = box.maxY - box.minY;
    const double cx = box.minX + w / 2;
    const double cy = box.minY + h / 2;
    const double r = (h > w ? h / 2 : w / 2) + dr;
    if (!std::isfinite(r) || !std::isfinite(epsilon)) return tooLarge;
    if (!(r > 0)) return {kNotPositiveMessage, {"The frame's radius"}};
    if (!(epsilon > 0)) return {kNotPositiveMessage, {"epsilon"}};
    if (r / 2 < epsilon) epsilon = r / 2;
    const double step = 2.0 * std::acos(1.0 - epsilon / r);
    // Counted before anything is added: a tiny ε would ask for millions of vertices.
    const double steps = kTwoPi / step;
    if (!(steps + 2 <= room)) {
        const std::string needed = std::isfinite(steps) ? NumberToText(std::floor(steps) + 1) : "too many";
        return {kFrameTooLargeMessage, {needed, std::to_string(room)}};
    }
    out.points.push_back({cx + r, cy});
    double last = 0.0;
    for (int k = 1;; ++k) {
        const double a = k * step;
        if (a > kTwoPi) break;
        out.points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        last = a;
    }
    // The point at 2π is the first one again: it closes the circle by itself.
    out.closed = last != kTwoPi;
    return {};
}

}  // namespace

bool ReadFrameSpec(const FrameTexts& texts, FrameShape shape, FrameSizing sizing, FrameSpec& spec,
                   GeneratorMessage& refusal) {
    const bool rectangle = shape == FrameShape::Rectangle;
    const std::string x = sizing == FrameSizing::Offset ? "dx" : "X";
    const std::string y = sizing == FrameSizing::Offset ? "dy" : "Y";
    const std::string r = sizing == FrameSizing::Offset ? "dr" : "R";
    spec.shape = shape;
    spec.sizing = sizing;
    if (rectangle) {
        return ReadFieldNumber(x, texts.dx, spec.dx, refusal) && ReadFieldNumber(y, texts.dy, spec.dy, refusal);
    }
    return ReadFieldNumber(r, texts.dr, spec.dr, refusal) &&
           ReadFieldNumber("epsilon", texts.epsilon, spec.epsilon, refusal);
}

GeneratorMessage AddFrame(TDrawing& d, const FrameSpec& spec) {
    const double scale = d.Settings().scale;
    if (!(scale > 0) || !std::isfinite(scale)) return {kNotPositiveMessage, {"SkalaHPGL"}};
    // Millimetres to drawing units; in size mode X and Y are full sizes, R a radius.
    const bool size = spec.sizing == FrameSizing::Size;
    const double dx = spec.dx / scale / (size ? 2 : 1);
    const double dy = spec.dy / scale / (size ? 2 : 1);
    const double dr = spec.dr / scale;
    const double epsilon = spec.epsilon / scale;

    const Placement at = PlaceFor(d, spec.sizing);
    const int dropped = at.joined ? 1 : 0;
    const int keptVertices = at.emptySet ? 0 : d.V().Count() - dropped;
    const int keptLines = at.emptySet ? 0 : d.L().Count() - dropped;
    const int room = std::min(TVert::kAddLimit + 1 - keptVertices, TLines::kAddLimit + 1 - keptLines);

    Outline outline;
    GeneratorMessage refusal;
    if (spec.shape == FrameShape::Rectangle) {
        const GeneratorMessage tooLarge =
            NotANumber(size ? "X, Y" : "dx, dy", NumberToText(spec.dx) + ", " + NumberToText(spec.dy));
        refusal = Rectangle(at.box, dx, dy, tooLarge, outline);
    } else {
        refusal = Circle(at.box, dr, epsilon, room, NotANumber(size ? "R" : "dr", NumberToText(spec.dr)), outline);
    }
    if (refusal) return refusal;
    if (static_cast<int>(outline.points.size()) + 1 > room)
        return {kFrameTooLargeMessage, {std::to_string(outline.points.size()), std::to_string(room)}};

    TLines& lines = d.L();
    TVert& vertices = d.V();
    if (at.emptySet) {
        lines.ClearLines();
        vertices.ClearVertices();
        d.Oelems() = -1;
    } else if (at.joined) {
        lines.Truncate(lines.Count() - 1);
        vertices.Truncate(vertices.Count() - 1);
    }
    const int obj = ++d.Oelems();
    d.Set(d.Figure()).oelems = obj;

    LineRecord line;
    line.obj = 0;
    line.kind = 1;
    int first = -1;
    int previous = -1;
    for (const Point2d& p : outline.points) {
        const int v = vertices.AddVertex(p.x, p.y, 0, obj);
        if (previous >= 0) {
            line.p = previous;
            line.k = v;
            lines.AddLineGetIndex(line);
        } else {
            first = v;
        }
        previous = v;
    }
    if (outline.closed) {
        line.p = previous;
        line.k = first;
        lines.AddLineGetIndex(line);
    }
    return {};
}

}  // namespace wirvela
