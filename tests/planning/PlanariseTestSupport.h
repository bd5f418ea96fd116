#pragma once
// Small drawings for the planarisation and junction-splitting tests, and a way to
// compare their structure independent of line order, direction and index.
#include <algorithm>
#include <array>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "drawing/Lines.h"
#include "drawing/Vert.h"
#include "planning/PlanariseSink.h"

namespace wirvela::test {

// A vertex table and its line table. Grid 0: coordinates stay exact.
struct TestDrawing {
    explicit TestDrawing(double grid = 0.0, bool dedup = true) : V(grid, dedup), L(V, dedup) {}

    // Adds a line of object `obj` (its new vertices get the same object number).
    int Line(double x1, double y1, double x2, double y2, int obj = 0) {
        LineRecord r;
        r.p = V.AddVertex(x1, y1, 0, obj);
        r.k = V.AddVertex(x2, y2, 0, obj);
        r.obj = obj;
        r.kind = 1;
        return L.AddLine(r);
    }

    TVert V;
    TLines L;
};

// A segment by its end coordinates, smaller end first, so that direction does not count.
using Segment = std::array<double, 4>;

inline Segment MakeSegment(double x1, double y1, double x2, double y2) {
    if (std::make_pair(x2, y2) < std::make_pair(x1, y1)) return {x2, y2, x1, y1};
    return {x1, y1, x2, y2};
}

inline std::multiset<Segment> Segments(const TLines& lines) {
    std::multiset<Segment> out;
    const TVert& v = lines.Vertices();
    for (const LineRecord& l : lines.Records()) out.insert(MakeSegment(v[l.p].x, v[l.p].y, v[l.k].x, v[l.k].y));
    return out;
}

// Plane transformations that are exact in floating point on moderate integers: the
// identity, quarter turns and mirrors. Applying one to the input and its inverse to the
// output must give the same structure.
enum class Transform { Identity, Quarter, Half, ThreeQuarter, MirrorX, MirrorDiagonal };

inline constexpr std::array<Transform, 6> kAllTransforms = {Transform::Identity, Transform::Quarter,
                                                            Transform::Half,     Transform::ThreeQuarter,
                                                            Transform::MirrorX,  Transform::MirrorDiagonal};

inline std::string TransformName(Transform t) {
    switch (t) {
        case Transform::Identity:
            return "Identity";
        case Transform::Quarter:
            return "Quarter";
        case Transform::Half:
            return "Half";
        case Transform::ThreeQuarter:
            return "ThreeQuarter";
        case Transform::MirrorX:
            return "MirrorX";
        default:
            return "MirrorDiagonal";
    }
}

inline std::array<double, 2> Apply(Transform t, double x, double y) {
    switch (t) {
        case Transform::Identity:
            return {x, y};
        case Transform::Quarter:
            return {-y, x};
        case Transform::Half:
            return {-x, -y};
        case Transform::ThreeQuarter:
            return {y, -x};
        case Transform::MirrorX:
            return {-x, y};
        default:
            return {y, x};
    }
}

inline std::array<double, 2> Invert(Transform t, double x, double y) {
    switch (t) {
        case Transform::Quarter:
            return Apply(Transform::ThreeQuarter, x, y);
        case Transform::ThreeQuarter:
            return Apply(Transform::Quarter, x, y);
        default:
            return Apply(t, x, y);
    }
}

inline std::multiset<Segment> InverseSegments(Transform t, const TLines& lines) {
    std::multiset<Segment> out;
    for (const Segment& s : Segments(lines)) {
        const auto a = Invert(t, s[0], s[1]);
        const auto b = Invert(t, s[2], s[3]);
        out.insert(MakeSegment(a[0], a[1], b[0], b[1]));
    }
    return out;
}

// An input line for the transformation tests.
struct InputLine {
    double x1, y1, x2, y2;
    int obj = 0;
};

// Builds the lines transformed; reversed: added in reverse order with swapped ends.
inline void Build(TestDrawing& d, std::span<const InputLine> lines, Transform t, bool reversed) {
    std::vector<InputLine> order(lines.begin(), lines.end());
    if (reversed) {
        std::reverse(order.begin(), order.end());
        for (InputLine& l : order) {
            std::swap(l.x1, l.x2);
            std::swap(l.y1, l.y2);
        }
    }
    for (const InputLine& l : order) {
        const auto a = Apply(t, l.x1, l.y1);
        const auto b = Apply(t, l.x2, l.y2);
        d.Line(a[0], a[1], b[0], b[1], l.obj);
    }
}

// Records what the passes report. Message texts are "M<key>" followed by "(a,b)" when
// arguments are given.
struct RecordingSink : PlanariseSink {
    void Log(std::string_view line) override { logs.emplace_back(line); }
    std::string MessageText(int key, std::span<const int> args) const override {
        std::string text = "M" + std::to_string(key);
        if (!args.empty()) {
            text += "(";
            for (std::size_t i = 0; i < args.size(); ++i) text += (i ? "," : "") + std::to_string(args[i]);
            text += ")";
        }
        return text;
    }
    void Status(int panel, std::string_view text) override { status.emplace_back(panel, std::string(text)); }
    void RepaintStatus() override { ++repaints; }
    void DisableSimulation() override { ++disabled; }

    bool Logged(std::string_view line) const { return std::find(logs.begin(), logs.end(), line) != logs.end(); }

    std::vector<std::string> logs;
    std::vector<std::pair<int, std::string>> status;
    int repaints = 0;
    int disabled = 0;
};

}  // namespace wirvela::test
