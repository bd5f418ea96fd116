#pragma once
// Builds the text of an HP-GL plot file from strokes on integer coordinates (drawing
// units). Each stroke is one pen-up move and one pen-down run, which the reader makes
// one object.
#include <string>
#include <vector>

namespace wirvela::drawinggen {

struct GridPoint {
    long x = 0;
    long y = 0;
    bool operator==(const GridPoint&) const = default;
};

class HpglWriter {
public:
    HpglWriter() : text_("IN;") {}

    void Pen(int pen) { text_ += "SP" + std::to_string(pen) + ";"; }

    // Pen up to the first point, pen down through the others; `closed` returns to the
    // first point. Fewer than two points draw nothing.
    void Stroke(const std::vector<GridPoint>& points, bool closed = false) {
        if (points.size() < 2) return;
        text_ += "PU" + Pair(points.front()) + ";PD";
        for (std::size_t i = 1; i < points.size(); ++i) text_ += (i > 1 ? "," : "") + Pair(points[i]);
        if (closed) text_ += "," + Pair(points.front());
        text_ += ";\n";
        ++strokes_;
    }

    // CI: a circle of `radius` around the pen position `centre`, a chord every
    // `chordDegrees`.
    void Circle(GridPoint centre, long radius, long chordDegrees) {
        text_ += "PU" + Pair(centre) + ";CI" + std::to_string(radius) + "," + std::to_string(chordDegrees) + ";\n";
        ++strokes_;
    }

    // Raw commands, for the odd case a test wants.
    void Raw(const std::string& commands) { text_ += commands; }

    int Strokes() const { return strokes_; }
    const std::string& Text() const { return text_; }

private:
    static std::string Pair(GridPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

    std::string text_;
    int strokes_ = 0;
};

}  // namespace wirvela::drawinggen
