#include "planning/JunctionSplitting.h"

#include <cstdint>

#include "planning/Planarise.h"
#include "planning/PlanariseSteps.h"
#include "planning/Predicates.h"

namespace wirvela {
namespace {

// Every pair (i, j), i < j, of lines, including lines added on the way, goes through
// `pair`. Progress: message `key` on panel 0.
bool SplitPairs(TLines& lines, int key, bool (*pair)(TLines&, int, int), PlanariseSink& sink,
                const std::stop_token& stop) {
    for (int i = 0; i < lines.Count(); ++i) {
        ShowProgress(sink, key, i, lines.Count(), false);
        for (int j = i + 1; j < lines.Count(); ++j) {
            if (stop.stop_requested()) return false;
            pair(lines, i, j);
        }
    }
    return true;
}

// Object o merged into q: o becomes q, then every number above o (unsigned) falls by one.
std::int32_t Renumbered(std::int32_t obj, std::uint16_t o, std::int32_t q) {
    if (obj == o) obj = q;
    if (static_cast<std::uint32_t>(obj) > o) --obj;
    return obj;
}

void MergeObject(TLines& lines, std::uint16_t o, std::int32_t q) {
    TVert& v = lines.Vertices();
    for (int i = 0; i < v.Count(); ++i) {
        std::int32_t& obj = v.Edit(i).obj;
        obj = Renumbered(obj, o, q);
    }
    for (int i = 0; i < lines.Count(); ++i) {
        std::int32_t& obj = lines.Edit(i).obj;
        obj = Renumbered(obj, o, q);
    }
}

// Every line whose object differs from an end vertex's object merges its object into
// that vertex's object. In merge mode the scan starts again at line 1 after a merge.
bool MergeTouchingObjects(TLines& lines, int& oelems, bool mergeMode, const std::stop_token& stop) {
    TVert& v = lines.Vertices();
    int n = 0;
    while (n < lines.Count()) {
        if (stop.stop_requested()) return false;
        const LineRecord line = lines[n];
        ++v.Edit(line.p).mark;
        ++v.Edit(line.k).mark;
        const std::int32_t start = v[line.p].obj;
        const std::int32_t end = v[line.k].obj;
        // A line object outside 0 … 65535 is not merged: its 16-bit value names another
        // object, and the renumbering would then never use it up (the merge mode's
        // restarts would run without end).
        const bool consistent = start == line.obj && end == line.obj;
        if (consistent || line.obj < 0 || line.obj > 0xFFFF) {
            ++n;
            continue;
        }
        const auto o = static_cast<std::uint16_t>(line.obj);
        const std::int32_t q = start != o ? start : end;
        MergeObject(lines, o, q);
        --oelems;
        n = mergeMode ? 1 : n + 1;
    }
    return true;
}

}  // namespace

bool SplitJunctions(TLines& lines, int& oelems, double conModif, PlanariseSink& sink, std::stop_token stop) {
    TVert& v = lines.Vertices();
    for (int i = 0; i < v.Count(); ++i) v.Edit(i).mark = 0;
    // T-junctions of lines of different objects, then their proper crossings.
    if (!SplitPairs(lines, 3, SplitTJunctionPair, sink, stop)) return false;
    if (!SplitPairs(lines, 4, SplitJunctionCrossingPair, sink, stop)) return false;
    const bool mergeMode = conModif == 1.0;
    sink.Status(0, sink.MessageText(5));
    if (!MergeTouchingObjects(lines, oelems, mergeMode, stop)) return false;
    if (!RemoveDuplicates(lines, sink, stop)) return false;
    ReportObjectCount(sink, oelems);
    ReportLineCount(sink, lines.Count());
    return true;
}

}  // namespace wirvela
