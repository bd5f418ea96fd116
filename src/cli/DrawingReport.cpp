#include "cli/DrawingReport.h"

#include <cmath>
#include <ostream>

namespace wirvela {

nlohmann::ordered_json JsonNumber(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9.0e15) return static_cast<long long>(v);
    return v;
}

nlohmann::ordered_json FigureCountsJson(const TDrawing& d, int figure) {
    const TDrawingSet& set = d.Set(figure);
    return {{"figure", figure}, {"objects", set.oelems + 1}, {"lines", set.L.Count()}, {"vertices", set.V.Count()}};
}

void AddGeometryJson(nlohmann::ordered_json& j, const TDrawingSet& set) {
    nlohmann::ordered_json vertices = nlohmann::ordered_json::array();
    for (const VertexRecord& v : set.V.Records()) vertices.push_back({JsonNumber(v.x), JsonNumber(v.y), v.obj});
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const LineRecord& l : set.L.Records()) lines.push_back({l.p, l.k, l.obj, l.kind, l.pen});
    j["vertexTable"] = std::move(vertices);
    j["lineTable"] = std::move(lines);
}

void PrintFigureCounts(std::ostream& out, const TDrawing& d, int figure) {
    const TDrawingSet& set = d.Set(figure);
    out << "Figure " << figure << ": " << set.oelems + 1 << " objects, " << set.L.Count() << " lines, " << set.V.Count()
        << " vertices";
}

}  // namespace wirvela
