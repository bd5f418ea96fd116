#pragma once
// Small drawings with hand-made cut paths for the motion timing and simulation tests,
// and the decoding of a streamed program back into moves.
#include <cmath>
#include <utility>
#include <vector>

#include "controller/Frame.h"
#include "controller/SimFrameDecoder.h"
#include "cutting/SimulationLines.h"
#include "drawing/Drawing.h"

namespace wirvela::test {

struct Pt {
    double x;
    double y;
    int segLink = -1;  // synchronisation node of segment line segLink when ≥ 0
};

// A figure drawn as the joining leaves it: the contour's vertices and lines, then the
// entry vertex and the entry line as the last vertex and line, and a cut path that runs
// the entry line in, the path's lines in the given order and directions, and the entry
// line back out.
class FigureBuilder {
public:
    FigureBuilder(TDrawing& drawing, int figure) : drawing_(drawing), figure_(figure) {
        drawing_.SelectFigure(figure_);
        drawing_.SetSnapGrid(0);
    }

    int Vertex(const Pt& p) {
        drawing_.SelectFigure(figure_);
        return drawing_.V().AddVertex(p.x, p.y, 0, 0, 0, 0, p.segLink);
    }
    int Line(int a, int b, int pen = 1) {
        drawing_.SelectFigure(figure_);
        return drawing_.L().AddLineGetIndex(a, b, 1, pen).index;
    }

    // A closed contour through points, run once in order, entered at points[0].
    void Closed(const std::vector<Pt>& points, Pt entry, std::vector<int> pens = {}) {
        std::vector<int> v;
        for (const Pt& p : points) v.push_back(Vertex(p));
        std::vector<std::pair<int, double>> run;
        for (std::size_t i = 0; i < v.size(); ++i) {
            const int pen = i < pens.size() ? pens[i] : 1;
            run.emplace_back(Line(v[i], v[(i + 1) % v.size()], pen), 1.0);
        }
        Finish(v[0], entry, run);
    }

    // An open polyline through points, run out to its end and back, entered at points[0].
    void OutAndBack(const std::vector<Pt>& points, Pt entry) {
        std::vector<int> v;
        for (const Pt& p : points) v.push_back(Vertex(p));
        std::vector<std::pair<int, double>> run;
        for (std::size_t i = 0; i + 1 < v.size(); ++i) run.emplace_back(Line(v[i], v[i + 1]), 1.0);
        for (std::size_t i = run.size(); i-- > 0;) run.emplace_back(run[i].first, -1.0);
        Finish(v[0], entry, run);
    }

    // A path of the given lines with no entry line (for walks that only need moves).
    void Bare(const std::vector<std::pair<int, double>>& run) {
        auto path = std::make_unique<TLineList>(static_cast<int>(run.size()) + 4);
        for (const auto& [line, dir] : run) path->Append(line, dir, 2);
        drawing_.Set(figure_).cutPath = std::move(path);
        drawing_.SelectFigure(TDrawing::kFigure1);
    }

private:
    void Finish(int first, Pt entry, const std::vector<std::pair<int, double>>& run) {
        entry.segLink = -1;
        const int e = Vertex(entry);
        const int entryLine = Line(e, first);
        std::vector<std::pair<int, double>> all;
        all.emplace_back(entryLine, 1.0);
        all.insert(all.end(), run.begin(), run.end());
        all.emplace_back(entryLine, -1.0);
        Bare(all);
    }

    TDrawing& drawing_;
    int figure_;
};

// Regular polygon of n corners, radius r, centre (cx, cy), starting at angle 0.
inline std::vector<Pt> Polygon(int n, double r, double cx = 0, double cy = 0) {
    std::vector<Pt> pts;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n;
        pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return pts;
}

// Adds one segment line to the segment set so that the drawing counts as segmented.
inline void AddSegmentLine(TDrawing& drawing, Pt a, Pt b) {
    drawing.SelectFigure(TDrawing::kSegments);
    const int va = drawing.V().AddVertex(a.x, a.y, 1, 1);
    const int vb = drawing.V().AddVertex(b.x, b.y, 1, 2);
    drawing.L().AddLine(va, vb, 1, 5);
    drawing.SelectFigure(TDrawing::kFigure1);
}

inline std::vector<SimulationRecord> Records(const TDrawing& drawing, int figure) {
    std::vector<SimulationRecord> out;
    const SimulationLines* table = drawing.Set(figure).simLines.get();
    if (table == nullptr) return out;
    for (int i = 0; i < table->Count(); ++i) out.push_back(table->At(i));
    return out;
}

// A line frame decoded back into a move, with its step period in µs.
struct ProgramMove {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    bool delay = false;
    double periodUs = 0;      // major-axis step period
    std::int64_t rotary = 0;  // table steps of the move
};

inline ProgramMove DecodeMove(const Frame& frame, double clockHz) {
    SimFrame f;
    for (std::size_t i = 0; i < kFrameSize; ++i) f[i] = frame[i];
    const SimLine line = SimDecodeLine(f);
    ProgramMove m;
    m.dx = line.dx;
    m.dy = line.dy;
    m.delay = line.delay;
    m.periodUs = SimTicksToMs(static_cast<double>(line.ticksPerSubStep) * line.subStepsPerStep, clockHz) * 1000.0;
    m.rotary = line.rotarySteps;
    return m;
}

}  // namespace wirvela::test
