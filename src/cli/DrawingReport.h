#pragma once
// The parts of a drawing report that the info and plan commands share, as text and as
// JSON.
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

// The joining's report of one figure; nullptr when it has none.
const ConnectReport::Figure* FigureReport(const ConnectReport& report, int figure);

// One figure of a joined drawing: its counts, cut path and the path search's integrity
// counts, and with geometry its tables.
nlohmann::ordered_json FigureJson(const TDrawing& d, int figure, const ConnectReport& report, bool geometry);

// Figure 1, and figure 2 when it has lines.
std::vector<int> ReportedFigures(const TDrawing& d);

// "Figure F: N objects, L lines, V vertices", without the line end.
void PrintFigureCounts(std::ostream& out, const TDrawing& d, int figure);

}  // namespace wirvela
