#pragma once
// The parts of a drawing report that the info and plan commands share, as text and as
// JSON.
#include <iosfwd>
#include <nlohmann/json.hpp>

#include "drawing/Drawing.h"

namespace wirvela {

// Whole numbers print as integers ("12", not "12.0").
nlohmann::ordered_json JsonNumber(double v);

// The fields every figure report starts with: figure, objects, lines, vertices.
nlohmann::ordered_json FigureCountsJson(const TDrawing& d, int figure);

// The --geometry tables of one set: "vertexTable" [x, y, object] and "lineTable"
// [start, end, object, kind, pen].
void AddGeometryJson(nlohmann::ordered_json& j, const TDrawingSet& set);

// "Figure F: N objects, L lines, V vertices", without the line end.
void PrintFigureCounts(std::ostream& out, const TDrawing& d, int figure);

}  // namespace wirvela
