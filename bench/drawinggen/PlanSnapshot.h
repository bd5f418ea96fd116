#pragma once
// Everything a load and joining run leaves behind, copied out of the drawing so that
// the runs of two planners can be compared field by field: the three drawing sets
// (vertex and line records, last object numbers, cut paths), the loader's result and the
// connect command's report, and what the run told the message log and the main window.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/ConnectCommand.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"

namespace wirvela::drawinggen {

struct SetSnapshot {
    int oelems = -1;
    std::vector<VertexRecord> vertices;
    std::vector<LineRecord> lines;
    bool hasCutPath = false;
    std::vector<LineListEntry> cutPath;  // the used entries
};

struct PlanSnapshot {
    int loadResult = 0;
    LoadFailure failure = LoadFailure::None;
    bool twoFigures = false;
    ConnectReport report;  // timings are not compared
    std::array<SetSnapshot, 3> sets;
    // Log lines with their timings and the mutex address blanked out.
    std::vector<std::string> log;
    // Events of the main window: "code=value" for states, "code:text" for texts.
    std::vector<std::string> events;

    // Copies the sets of `drawing`.
    void TakeSets(const TDrawing& drawing);
    // A 64-bit digest of the tables, object numbers, cut paths and the report (what
    // DrawingDifference compares), for comparing runs made in different processes.
    std::uint64_t Digest() const;
};

// The first difference of the drawings, object numbers, cut paths and reports, in words
// ("set 1 line 17 field k: 12 vs 13"); empty when they are equal.
std::string DrawingDifference(const PlanSnapshot& a, const PlanSnapshot& b);
// The first differing log line / main-window event; empty when all are equal.
std::string LogDifference(const PlanSnapshot& a, const PlanSnapshot& b);
std::string EventDifference(const PlanSnapshot& a, const PlanSnapshot& b);

// A log line with the parts that differ between equal runs (elapsed seconds, the
// address of the drawing mutex) replaced by "*".
std::string BlankTimings(std::string_view line);

}  // namespace wirvela::drawinggen
