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

void ClearMarks(TVert& vertices) {
    for (int v = 0; v < vertices.Count(); ++v) vertices.Edit(v).mark = 0;
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
            const OverlapNext next = ReduceOverlap(lines, i, j, sink);
            if (next == OverlapNext::RestartI)
                j = i + 1;
            else if (next == OverlapNext::Advance)
                ++j;
        }
    }
    return true;
}

bool ReduceCrossings(TLines& lines, bool crossAll, PlanariseSink& sink, std::stop_token stop) {
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 4, i, lines.Count(), true);
        for (int j = i + 1; j < lines.Count(); ++j) {
            if (stop.stop_requested()) return false;
            ReduceCrossingPair(lines, i, j, crossAll, sink);
        }
    }
    return true;
}

bool SnapPktsToLines2(TLines& lines, double tol, double aperture, PlanariseSink& sink, std::stop_token stop) {
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, 3, i, lines.Count(), false);
        if (lines[i].p == lines[i].k) continue;
        for (int j = i + 1; j < lines.Count(); ++j) {
            if (stop.stop_requested()) return false;
            SnapPairToLines(lines, i, j, tol, aperture);
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
