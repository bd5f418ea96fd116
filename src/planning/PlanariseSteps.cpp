#include "planning/PlanariseSteps.h"

#include <array>
#include <string>

namespace wirvela {

bool LineTableHasRoom(const TLines& lines) {
    return lines.Count() <= TLines::kAddLimit;
}

bool SplitLineAt(TLines& lines, int n, int r) {
    const LineRecord line = lines[n];
    if (r == line.p || r == line.k || !LineTableHasRoom(lines)) return false;
    LineRecord rest = line;
    rest.p = r;
    lines.SetEnds(n, line.p, r);
    lines.AddLine(rest);
    return true;
}

int CrossingVertex(TVert& vertices, Point2D x, int obj) {
    if (vertices.Count() > TVert::kAddLimit) {
        if (!vertices.Deduplication()) return -1;
        return vertices.FindVertex(SnapToGrid(x.x, vertices.SnapGrid()), SnapToGrid(x.y, vertices.SnapGrid()));
    }
    return vertices.AddVertex(x.x, x.y, 0, obj);
}

bool InsideLine(const TVert& vertices, const LineRecord& line, int q) {
    const VertexRecord& a = vertices[line.p];
    const VertexRecord& b = vertices[line.k];
    if (a.x == b.x && a.y == b.y) return false;
    return PointInsideSegment(a, b, vertices[q]);
}

bool SameEnds(const LineRecord& a, const LineRecord& b) {
    return (a.p == b.p && a.k == b.k) || (a.p == b.k && a.k == b.p);
}

void ShowProgress(PlanariseSink& sink, int key, int current, int total, bool repaint) {
    if (current % 100 != 0) return;
    const std::array<int, 2> args{current, total};
    sink.Status(0, sink.MessageText(key, args));
    if (repaint) sink.RepaintStatus();
}

void ReportObjectCount(PlanariseSink& sink, int oelems) {
    const std::string objects = std::to_string(oelems + 1);
    sink.Log(sink.MessageText(7) + objects + sink.MessageText(8));
    sink.Status(2, sink.MessageText(9) + objects);
}

void ReportLineCount(PlanariseSink& sink, int lineCount) {
    sink.Status(3, sink.MessageText(10) + std::to_string(lineCount));
}

}  // namespace wirvela
