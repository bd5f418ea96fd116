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

nlohmann::ordered_json CutPathJson(const TDrawingSet& set) {
    nlohmann::ordered_json path = nlohmann::ordered_json::array();
    if (set.cutPath) {
        for (int i = 0; i <= set.cutPath->LastIndex(); ++i) {
            const LineListEntry& e = (*set.cutPath)[i];
            path.push_back({e.line, e.dir > 0 ? 1 : -1});
        }
    }
    return path;
}

void PrintFigureCounts(std::ostream& out, const TDrawing& d, int figure) {
    const TDrawingSet& set = d.Set(figure);
    out << "Figure " << figure << ": " << set.oelems + 1 << " objects, " << set.L.Count() << " lines, " << set.V.Count()
        << " vertices";
}

const char* StateText(int state) {
    switch (state) {
        case kConnectSucceeded:
            return "cut path found";
        case kConnectNoGraph:
            return "the path graph could not be built";
        case kConnectPathFailed:
            return "the path search failed";
        default:
            return "the joining did not run";
    }
}

const ConnectReport::Figure* FigureReport(const ConnectReport& report, int figure) {
    for (const ConnectReport::Figure& f : report.figures) {
        if (f.figure == figure) return &f;
    }
    return nullptr;
}

nlohmann::ordered_json FigurePathJson(const TDrawing& d, int f, const ConnectReport* report, bool geometry) {
    using Json = nlohmann::ordered_json;
    const TDrawingSet& set = d.Set(f);
    Json j = FigureCountsJson(d, f);
    j["path"] = CutPathJson(set);
    if (report != nullptr) {
        IntegrityCounts counts;
        if (const ConnectReport::Figure* r = FigureReport(*report, f)) counts = r->integrity;
        j["integrity"] = {{"pathNodes", counts.pathNodes},
                          {"unvisitedPoints", counts.unvisitedPoints},
                          {"unvisitedLines", counts.unvisitedLines},
                          {"surplus", counts.surplus}};
    } else {
        j["integrity"] = nullptr;
    }
    if (geometry) AddGeometryJson(j, set);
    return j;
}

std::vector<int> ReportedFigures(const TDrawing& d) {
    std::vector<int> figures{TDrawing::kFigure1};
    if (d.Set(TDrawing::kFigure2).L.Count() > 0) figures.push_back(TDrawing::kFigure2);
    return figures;
}

}  // namespace wirvela
