#include "planning/Planarise.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "planning/FastPlanarise.h"
#include "planning/PlanariseSteps.h"
#include "planning/Predicates.h"
#include "platform/Clock.h"

namespace wirvela {
namespace {

std::string Seconds(std::uint64_t sinceMs) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(TickCount64() - sinceMs) * 0.001);
    return text;
}

std::string LineText(const char* prefix, int a, const LineRecord& la, int b, const LineRecord& lb) {
    char text[160];
    std::snprintf(text, sizeof text, "%s [%d](%d-%d) i [%d](%d-%d)", prefix, a, la.p, la.k, b, lb.p, lb.k);
    return text;
}

void ClearMarks(TVert& vertices) {
    for (int v = 0; v < vertices.Count(); ++v) vertices.Edit(v).mark = 0;
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

// What the scan does after a pair: go on with the next j, examine the same j again, or
// start i's inner loop over at the line after i.
enum class Next { Advance, RepeatJ, RestartI };

// One pair of SnapPktsToLines; a = line i, b = line j (copies taken before any change).
Next ReduceOverlap(TLines& lines, int i, int j, const LineRecord& a, const LineRecord& b, PlanariseSink& sink) {
    const TVert& v = lines.Vertices();
    const int A = a.p, B = a.k, C = b.p, D = b.k;
    const int code = (InsideLine(v, b, A) ? 8 : 0) | (InsideLine(v, b, B) ? 4 : 0) | (InsideLine(v, a, C) ? 2 : 0) |
                     (InsideLine(v, a, D) ? 1 : 0);
    if (code == 0) return Next::Advance;
    if (code == 7 || code == 11 || code >= 13) {
        sink.Log("ERROR: Blad redukcji czesci wspolnych odcinkow !!!");
        return Next::Advance;
    }
    // Every change below adds one line; without room it would lose a piece.
    if (!LineTableHasRoom(lines)) return Next::Advance;
    auto add = [&](int p, int k) { lines.AddLine(OverlapLine(p, k, a.kind)); };
    switch (code) {
        case 1:  // D inside AB
            lines.SetEnds(i, A, D);
            add(D, B);
            return Next::RestartI;
        case 2:  // C inside AB
            lines.SetEnds(i, A, C);
            add(C, B);
            return Next::RestartI;
        case 3:  // C and D inside AB
            if (SquaredDistance(v[A], v[D]) <= SquaredDistance(v[A], v[C])) {
                lines.SetEnds(i, A, D);
                add(C, B);
            } else {
                lines.SetEnds(i, A, C);
                add(D, B);
            }
            return Next::RestartI;
        case 4:  // B inside CD
            lines.SetEnds(j, C, B);
            add(B, D);
            return Next::RepeatJ;
        case 5:  // A D B C
            lines.SetEnds(i, A, D);
            add(D, B);
            lines.SetEnds(j, C, B);
            return Next::RestartI;
        case 6:  // A C B D
            lines.SetEnds(i, A, C);
            add(C, B);
            lines.SetEnds(j, B, D);
            return Next::RestartI;
        case 8:  // A inside CD
            lines.SetEnds(j, C, A);
            add(A, D);
            return Next::RepeatJ;
        case 9:  // C A D B
            lines.SetEnds(j, C, A);
            add(A, D);
            lines.SetEnds(i, D, B);
            return Next::RestartI;
        case 10:  // D A C B
            lines.SetEnds(i, C, B);
            add(C, A);
            lines.SetEnds(j, A, D);
            return Next::RestartI;
        default:  // 12: A and B inside CD
            if (SquaredDistance(v[C], v[B]) <= SquaredDistance(v[C], v[A])) {
                lines.SetEnds(j, C, B);
                add(A, D);
            } else {
                lines.SetEnds(j, C, A);
                add(B, D);
            }
            return Next::RepeatJ;
    }
}

// One crossing pair of ReduceCrossings.
void SplitCrossing(TLines& lines, int i, int j, PlanariseSink& sink) {
    TVert& v = lines.Vertices();
    const LineRecord a = lines[i];
    const LineRecord b = lines[j];
    sink.Log(LineText("Planaryzacja: Przeciecie", i, a, j, b));
    const Point2D x = LineIntersection(v[a.p], v[a.k], v[b.p], v[b.k]);
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
// possibly stored the other way round.
void SplitHeld(TLines& lines, HeldCopy& held, int r) {
    if (held.index < 0 || r == held.copy.p || r == held.copy.k || !LineTableHasRoom(lines)) return;
    const LineRecord current = lines[held.index];
    LineRecord piece = held.copy;
    lines.SetEnds(held.index, current.p, r);
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

bool RemoveDuplicates(TLines& lines, PlanariseSink& sink, std::stop_token stop) {
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 6, i, lines.Count(), false);
        for (int j = i + 1; j < lines.Count();) {
            if (stop.stop_requested()) return false;
            // The last line moved into slot j is examined too, so a third copy of a line
            // does not survive.
            if (SameEnds(lines[i], lines[j]))
                lines.RemoveBySwap(j);
            else
                ++j;
        }
    }
    return true;
}

bool SnapPktsToLines(TLines& lines, PlanariseSink& sink, std::stop_token stop) {
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 3, i, lines.Count(), true);
        for (int j = i + 1; j < lines.Count();) {
            if (stop.stop_requested()) return false;
            const LineRecord a = lines[i];
            const LineRecord b = lines[j];
            Next next = Next::Advance;
            if (a.p != a.k && b.p != b.k && !SameEnds(a, b)) next = ReduceOverlap(lines, i, j, a, b, sink);
            if (next == Next::RestartI)
                j = i + 1;
            else if (next == Next::Advance)
                ++j;
        }
    }
    return true;
}

bool ReduceCrossings(TLines& lines, bool crossAll, PlanariseSink& sink, std::stop_token stop) {
    const TVert& v = lines.Vertices();
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 4, i, lines.Count(), true);
        for (int j = i + 1; j < lines.Count(); ++j) {
            if (stop.stop_requested()) return false;
            const LineRecord& a = lines[i];
            const LineRecord& b = lines[j];
            if (!crossAll && a.obj == b.obj) continue;
            if (a.p == b.p || a.p == b.k || a.k == b.p || a.k == b.k) continue;
            if (SegmentsCross(v[a.p], v[a.k], v[b.p], v[b.k]) == kSegmentsCrossProper) SplitCrossing(lines, i, j, sink);
        }
    }
    return true;
}

bool SnapPktsToLines2(TLines& lines, double tol, double aperture, PlanariseSink& sink, std::stop_token stop) {
    const TVert& v = lines.Vertices();
    auto onSegment = [&](const LineRecord& s, int q) {
        return tol == 0.0 ? InsideLine(v, s, q) : PointNearSegment(v[s.p], v[s.k], v[q], tol, aperture);
    };
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 3, i, lines.Count(), false);
        if (lines[i].p == lines[i].k) continue;
        for (int j = i + 1; j < lines.Count(); ++j) {
            if (stop.stop_requested()) return false;
            if (lines[j].p == lines[j].k || SameEnds(lines[i], lines[j])) continue;
            HeldCopy ci{i, lines[i]};
            HeldCopy cj{j, lines[j]};
            if (onSegment(ci.copy, cj.copy.p)) SplitHeld(lines, ci, cj.copy.p);
            if (onSegment(ci.copy, cj.copy.k)) SplitHeld(lines, ci, cj.copy.k);
            if (onSegment(cj.copy, ci.copy.p)) SplitHeld(lines, cj, ci.copy.p);
            if (onSegment(cj.copy, ci.copy.k)) SplitHeld(lines, cj, ci.copy.k);
        }
    }
    return true;
}

int CheckLinePair(const TVert& vertices, std::string_view context, const LineRecord& line1, const LineRecord& line2,
                  PlanariseSink& sink) {
    auto samePlace = [&](int a, int b) { return vertices[a].x == vertices[b].x && vertices[a].y == vertices[b].y; };
    int result = 0;
    auto check = [&](bool holds, const char* text) {
        if (!holds) return;
        sink.Log(std::string(context) + text);
        result = 1;
    };
    check(line1.p == line2.p || line1.p == line2.k, " Blad. Wspolny koniec dwoch linii");
    check(line1.k == line2.p || line1.k == line2.k, " Blad. Wspolny koniec dwoch linii");
    check(samePlace(line1.p, line2.p), " Blad_wsp. Ln1.p === Ln2.p");
    check(samePlace(line1.p, line2.k), " Blad_wsp. Ln1.p === Ln2.k");
    check(samePlace(line1.k, line2.p), " Blad_wsp. Ln1.k === Ln2.p");
    check(samePlace(line1.k, line2.k), " Blad_wsp. Ln1.k === Ln2.k");
    check(line1.p == line1.k, " Blad. Linia zerowa Ln1");
    check(line2.p == line2.k, " Blad. Linia zerowa Ln2");
    check(samePlace(line1.p, line1.k), " Blad_wsp. Ln1.p === Ln1.k");
    check(samePlace(line2.p, line2.k), " Blad_wsp. Ln2.p === Ln2.k");
    return result;
}

int CountZeroLines(const TLines& lines, std::string_view format, PlanariseSink& sink) {
    const TVert& v = lines.Vertices();
    int count = 0;
    for (const LineRecord& line : lines.Records())
        if (v[line.p].x == v[line.k].x && v[line.p].y == v[line.k].y) ++count;
    std::string text(format);
    const std::size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(count));
    sink.Log(text);
    return count;
}

bool Planarise(TLines& lines, int oelems, const PlanariseOptions& options, PlanariseSink& sink, std::stop_token stop) {
    TVert& v = lines.Vertices();
    const bool fast = options.planner == Planner::Fast;
    const auto removeDuplicates = [&] {
        return fast ? RemoveDuplicatesFast(lines, sink, stop) : RemoveDuplicates(lines, sink, stop);
    };
    const auto snap = [&] {
        return fast ? SnapPktsToLinesFast(lines, sink, stop) : SnapPktsToLines(lines, sink, stop);
    };
    const auto cross = [&] {
        return fast ? ReduceCrossingsFast(lines, options.crossAll, sink, stop)
                    : ReduceCrossings(lines, options.crossAll, sink, stop);
    };
    const auto snap2 = [&] {
        return fast ? SnapPktsToLines2Fast(lines, options.tol, options.aperture, sink, stop)
                    : SnapPktsToLines2(lines, options.tol, options.aperture, sink, stop);
    };
    ClearMarks(v);
    auto counts = [&](const char* prefix) {
        sink.Log(std::string(prefix) + std::to_string(lines.Count()) + " Wierzcholkow " + std::to_string(v.Count()));
    };
    counts("Planaryzacja:wejscie: Linii ");
    if (!removeDuplicates()) return false;
    counts("Planaryzacja:po RM_DUPL: Linii ");
    CountZeroLines(lines, " >>>Planaryzacja::Po przyciaganiu do odcinkow. Linii zerowej dlugosci %d", sink);

    std::uint64_t since = TickCount64();
    if (!snap() || !removeDuplicates()) return false;
    sink.Log("  Planaris.SnapPktsToLines Time: " + Seconds(since));

    since = TickCount64();
    if (!cross()) return false;
    CountZeroLines(lines, " >>>Planaryzacja::Po redukcji przeciec. Linii zerowej dlugosci %d", sink);
    sink.Log("  Planaris.Cross Time: " + Seconds(since));
    sink.Log("  Lines=" + std::to_string(lines.Count()) + " Vert=" + std::to_string(v.Count()));

    since = TickCount64();
    if (options.snapToLine2nd != 0 && !snap2()) return false;
    sink.Log("  Planaris.SnapPktsToLines 2. Time: " + Seconds(since));

    since = TickCount64();
    sink.Status(0, sink.MessageText(5));
    if (!removeDuplicates()) return false;
    sink.Log("  Planaris.RemoveDuplicates Time: " + Seconds(since));

    ReportObjectCount(sink, oelems);
    sink.DisableSimulation();
    ReportLineCount(sink, lines.Count());
    return true;
}

}  // namespace wirvela
