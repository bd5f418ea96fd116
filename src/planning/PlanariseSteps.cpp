#include "planning/PlanariseSteps.h"

#include <array>
#include <cstdio>
#include <string>

#include "planning/Planarise.h"

namespace wirvela {
namespace {

std::string LineText(const char* prefix, int a, const LineRecord& la, int b, const LineRecord& lb) {
    char text[160];
    std::snprintf(text, sizeof text, "%s [%d](%d-%d) i [%d](%d-%d)", prefix, a, la.p, la.k, b, lb.p, lb.k);
    return text;
}

// A line made by the overlap reduction: kind byte of line i, object 1, pen 1, all else 0.
LineRecord OverlapLine(int p, int k, std::uint8_t kind) {
    LineRecord line;
    line.p = p;
    line.k = k;
    line.kind = kind;
    line.obj = 1;
    line.pen = 1;
    return line;
}

// Splits lines i and j, which cross properly, at the crossing point.
void SplitCrossing(TLines& lines, int i, int j, PlanariseSink& sink) {
    TVert& v = lines.Vertices();
    const LineRecord a = lines[i];
    const LineRecord b = lines[j];
    sink.Log(LineText("Planaryzacja: Przeciecie", i, a, j, b));
    const Point2d x = LineIntersection(v[a.p], v[a.k], v[b.p], v[b.k]);
    const int r = CrossingVertex(v, x, a.obj);
    if (r < 0) return;
    CheckLinePair(v, "Planaryzacja. wewnatrz redukcji przeciec", a, b, sink);
    if (r == a.p) {
        sink.Log("  R jest przyciagniety do Ln1.p");
        SplitLineAt(lines, j, r);
    } else if (r == a.k) {
        sink.Log("  R jest przyciagniety do Ln1.k");
        SplitLineAt(lines, j, r);
    } else if (r == b.p) {
        sink.Log("  R jest przyciagniety do Ln2.p");
        SplitLineAt(lines, i, r);
    } else if (r == b.k) {
        sink.Log("  R jest przyciagniety do Ln2.k");
        SplitLineAt(lines, i, r);
    } else {
        SplitLineAt(lines, i, r);
        SplitLineAt(lines, j, r);
    }
    sink.Log(LineText("Planaryzacja:   Po przec.", i, lines[i], j, lines[j]));
    const LineRef restI = lines.FindLine(r, a.k);
    const LineRef restJ = lines.FindLine(r, b.k);
    sink.Log(LineText("Planaryzacja:   Po   nowe", restI.index, lines.GetLine(restI.index).line, restJ.index,
                      lines.GetLine(restJ.index).line));
}

// The line of `lines` that holds a working copy whose start moves along as it is split:
// first the original line, then each remainder added behind it.
struct HeldCopy {
    int index;
    LineRecord copy;
};

// Splits the line holding `held` at vertex r, when room allows; the copy becomes the
// remainder r → old end and follows the line that now holds it. The holder may be a line
// that already joined the two vertices (the insertion then raised its multiplicity),
// possibly stored the other way round. The line shortened goes into `touched`.
void SplitHeld(TLines& lines, HeldCopy& held, int r, std::vector<int>* touched) {
    if (held.index < 0 || r == held.copy.p || r == held.copy.k || !LineTableHasRoom(lines)) return;
    const LineRecord current = lines[held.index];
    LineRecord piece = held.copy;
    lines.SetEnds(held.index, current.p, r);
    if (touched != nullptr) touched->push_back(held.index);
    if (current.p == held.copy.p) {
        piece.p = r;
        piece.k = held.copy.k;
        const LineRef added = lines.AddLineGetIndex(piece);
        held.index = added.direction == 0 ? -1 : added.index;
    } else {
        // Stored old end → start: the shortened line is the remainder itself.
        piece.p = r;
        piece.k = current.k;
        lines.AddLine(piece);
    }
    held.copy.p = r;
}

}  // namespace

OverlapNext ReduceOverlap(TLines& lines, int i, int j, PlanariseSink& sink) {
    // Copies: the cases below read the ends as they were before any change.
    const LineRecord a = lines[i];
    const LineRecord b = lines[j];
    if (a.p == a.k || b.p == b.k || SameEnds(a, b)) return OverlapNext::Advance;
    const TVert& v = lines.Vertices();
    const int A = a.p, B = a.k, C = b.p, D = b.k;
    const int code = (InsideLine(v, b, A) ? 8 : 0) | (InsideLine(v, b, B) ? 4 : 0) | (InsideLine(v, a, C) ? 2 : 0) |
                     (InsideLine(v, a, D) ? 1 : 0);
    if (code == 0) return OverlapNext::Advance;
    if (code == 7 || code == 11 || code >= 13) {
        sink.Log("ERROR: Blad redukcji czesci wspolnych odcinkow !!!");
        return OverlapNext::Advance;
    }
    // Every change below adds one line; without room it would lose a piece.
    if (!LineTableHasRoom(lines)) return OverlapNext::Advance;
    auto add = [&](int p, int k) { lines.AddLine(OverlapLine(p, k, a.kind)); };
    switch (code) {
        case 1:  // D inside AB
            lines.SetEnds(i, A, D);
            add(D, B);
            return OverlapNext::RestartI;
        case 2:  // C inside AB
            lines.SetEnds(i, A, C);
            add(C, B);
            return OverlapNext::RestartI;
        case 3:  // C and D inside AB
            if (SquaredDistance(v[A], v[D]) <= SquaredDistance(v[A], v[C])) {
                lines.SetEnds(i, A, D);
                add(C, B);
            } else {
                lines.SetEnds(i, A, C);
                add(D, B);
            }
            return OverlapNext::RestartI;
        case 4:  // B inside CD
            lines.SetEnds(j, C, B);
            add(B, D);
            return OverlapNext::RepeatJ;
        case 5:  // A D B C
            lines.SetEnds(i, A, D);
            add(D, B);
            lines.SetEnds(j, C, B);
            return OverlapNext::RestartI;
        case 6:  // A C B D
            lines.SetEnds(i, A, C);
            add(C, B);
            lines.SetEnds(j, B, D);
            return OverlapNext::RestartI;
        case 8:  // A inside CD
            lines.SetEnds(j, C, A);
            add(A, D);
            return OverlapNext::RepeatJ;
        case 9:  // C A D B
            lines.SetEnds(j, C, A);
            add(A, D);
            lines.SetEnds(i, D, B);
            return OverlapNext::RestartI;
        case 10:  // D A C B
            lines.SetEnds(i, C, B);
            add(C, A);
            lines.SetEnds(j, A, D);
            return OverlapNext::RestartI;
        default:  // 12: A and B inside CD
            if (SquaredDistance(v[C], v[B]) <= SquaredDistance(v[C], v[A])) {
                lines.SetEnds(j, C, B);
                add(A, D);
            } else {
                lines.SetEnds(j, C, A);
                add(B, D);
            }
            return OverlapNext::RepeatJ;
    }
}

bool ReduceCrossingPair(TLines& lines, int i, int j, bool crossAll, PlanariseSink& sink) {
    const TVert& v = lines.Vertices();
    const LineRecord& a = lines[i];
    const LineRecord& b = lines[j];
    if (!crossAll && a.obj == b.obj) return false;
    if (a.p == b.p || a.p == b.k || a.k == b.p || a.k == b.k) return false;
    if (SegmentsCross(v[a.p], v[a.k], v[b.p], v[b.k]) != kSegmentsCrossProper) return false;
    SplitCrossing(lines, i, j, sink);
    return true;
}

void SnapPairToLines(TLines& lines, int i, int j, double tol, double aperture, std::vector<int>* touched) {
    if (lines[j].p == lines[j].k || SameEnds(lines[i], lines[j])) return;
    const TVert& v = lines.Vertices();
    auto onSegment = [&](const LineRecord& s, int q) {
        return tol == 0.0 ? InsideLine(v, s, q) : PointNearSegment(v[s.p], v[s.k], v[q], tol, aperture);
    };
    HeldCopy ci{i, lines[i]};
    HeldCopy cj{j, lines[j]};
    if (onSegment(ci.copy, cj.copy.p)) SplitHeld(lines, ci, cj.copy.p, touched);
    if (onSegment(ci.copy, cj.copy.k)) SplitHeld(lines, ci, cj.copy.k, touched);
    if (onSegment(cj.copy, ci.copy.p)) SplitHeld(lines, cj, ci.copy.p, touched);
    if (onSegment(cj.copy, ci.copy.k)) SplitHeld(lines, cj, ci.copy.k, touched);
}

bool SplitTJunctionPair(TLines& lines, int i, int j) {
    const TVert& v = lines.Vertices();
    const LineRecord a = lines[i];
    const LineRecord b = lines[j];
    if (a.obj == b.obj) return false;
    if (InsideLine(v, a, b.p))
        SplitLineAt(lines, i, b.p);
    else if (InsideLine(v, a, b.k))
        SplitLineAt(lines, i, b.k);
    else if (InsideLine(v, b, a.p))
        SplitLineAt(lines, j, a.p);
    else if (InsideLine(v, b, a.k))
        SplitLineAt(lines, j, a.k);
    else
        return false;
    return true;
}

bool SplitJunctionCrossingPair(TLines& lines, int i, int j) {
    TVert& v = lines.Vertices();
    const LineRecord a = lines[i];
    const LineRecord b = lines[j];
    if (a.obj == b.obj) return false;
    if (SegmentsCross(v[a.p], v[a.k], v[b.p], v[b.k]) != kSegmentsCrossProper) return false;
    const int r = CrossingVertex(v, LineIntersection(v[a.p], v[a.k], v[b.p], v[b.k]), a.obj);
    if (r < 0) return false;
    SplitLineAt(lines, i, r);
    SplitLineAt(lines, j, r);
    return true;
}

bool SplitConnectingPair(TLines& lines, int d, int i, int entryLine) {
    if (lines[i].kind != 1) return false;
    TVert& v = lines.Vertices();
    const LineRecord dl = lines[d];
    const LineRecord il = lines[i];
    if (SegmentsCross(v[dl.p], v[dl.k], v[il.p], v[il.k]) != kSegmentsCrossProper) return false;
    const std::int32_t o = il.obj;
    const bool startOn = v[dl.p].obj == o;
    const bool endOn = v[dl.k].obj == o;
    if (startOn && endOn) return false;
    // Adding n lines needs the count to stay within the insertion limit.
    const int adding = !startOn && !endOn ? 2 : 1;
    if (lines.Count() + adding - 1 > TLines::kAddLimit) return false;
    const int x = CrossingVertex(v, LineIntersection(v[dl.p], v[dl.k], v[il.p], v[il.k]), o);
    if (x < 0 || x == dl.p || x == dl.k || x == il.p || x == il.k) return false;
    if (startOn) {
        lines.SetEnds(d, x, dl.k);
    } else if (endOn) {
        lines.SetEnds(d, dl.p, x);
    } else {
        LineRecord piece = dl;
        piece.obj = kConnectingObject;
        piece.display = 0;
        piece.kind2 = 1;
        if (d == entryLine) {
            lines.SetEnds(d, dl.p, x);
            piece.p = x;
            piece.k = dl.k;
        } else {
            lines.SetEnds(d, x, dl.k);
            piece.p = x;
            piece.k = dl.p;
        }
        lines.AddLine(piece);
    }
    SplitLineAt(lines, i, x);
    return true;
}

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

int CrossingVertex(TVert& vertices, Point2d x, int obj) {
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
    sink.Progress(0, sink.MessageText(key, args));
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
