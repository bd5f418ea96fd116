#pragma once
// The parts of a drawing report that the info, plan, multiply and frame commands share, as text
// and as JSON.
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <vector>

#include "app/ConnectCommand.h"
#include "drawing/Drawing.h"

namespace wirvela {

// Whole numbers print as integers ("12", not "12.0").
nlohmann::ordered_json JsonNumber(double v);

// The fields every figure report starts with: figure, objects, lines, vertices.
nlohmann::ordered_json FigureCountsJson(const TDrawing& d, int figure);

// The --geometry tables of one set: "vertexTable" [x, y, object] and "lineTable"
// [start, end, object, kind, pen].
void AddGeometryJson(nlohmann::ordered_json& j, const TDrawingSet& set);

// The cut path of one set as [line, direction] pairs; empty without a cut path.
nlohmann::ordered_json CutPathJson(const TDrawingSet& set);

// "Figure F: N objects, L lines, V vertices", without the line end.
void PrintFigureCounts(std::ostream& out, const TDrawing& d, int figure);

// The words for a value of event 2001 ("cut path found", …).
const char* StateText(int state);

// The joining's report of one figure; nullptr when the run did not reach it.
const ConnectReport::Figure* FigureReport(const ConnectReport& report, int figure);

// A figure with its cut path ([line, ±1] per entry) and the path search's integrity
// counts from `report` (null when no path search made the path); --geometry adds the
// tables.
nlohmann::ordered_json FigurePathJson(const TDrawing& d, int figure, const ConnectReport* report, bool geometry);

// Figure 1, and figure 2 when it has lines.
std::vector<int> ReportedFigures(const TDrawing& d);

}  // namespace wirvela
