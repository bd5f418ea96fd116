#include "cli/InfoCommand.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliSession.h"
#include "cli/DrawingReport.h"
#include "cli/DrawingSession.h"
#include "planning/FigureSeparation.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct InfoArgs {
    std::string file;
    bool yes = false;
    bool geometry = false;
};

struct Extents {
    double minX, minY, maxX, maxY;
};

// Over all vertices, excluded ones included (an empty set gives vertex 0's cleared
// coordinates, 0).
Extents ExtentsOf(const TVert& v) {
    return {v.MinX(true), v.MinY(true), v.MaxX(true), v.MaxY(true)};
}

Json FigureJson(const TDrawing& d, int f, bool geometry) {
    const TDrawingSet& set = d.Set(f);
    const Extents e = ExtentsOf(set.V);
    Json j = FigureCountsJson(d, f);
    j["min"] = {JsonNumber(e.minX), JsonNumber(e.minY)};
    j["max"] = {JsonNumber(e.maxX), JsonNumber(e.maxY)};
    if (geometry) AddGeometryJson(j, set);
    return j;
}

std::string PenList(int mask) {
    std::string s;
    for (int pen = 1; pen <= 5; ++pen) {
        if ((mask & (1 << (pen - 1))) == 0) continue;
        if (!s.empty()) s += ", ";
        s += std::to_string(pen);
    }
    return s.empty() ? "none" : s;
}

void PrintText(std::ostream& out, const std::string& file, int result, const LoadReport& report, const TDrawing& d,
               int penMask) {
    out << "File: " << file << '\n';
    out << "Result: " << result;
    if (result != 16) out << " (" << LoadFailureText(report) << ')';
    out << '\n';
    out << "Pens selected: " << PenList(penMask) << " (mask " << penMask << ")\n";
    out << "Two figures: " << (d.TwoFigures() ? "yes" : "no") << '\n';
    const double scale = d.Settings().scale;
    for (int f = TDrawing::kFigure1; f <= TDrawing::kFigure2; ++f) {
        const TDrawingSet& set = d.Set(f);
        PrintFigureCounts(out, d, f);
        if (set.V.Count() > 0) {
            const Extents e = ExtentsOf(set.V);
            out << ", x " << JsonNumber(e.minX).dump() << " .. " << JsonNumber(e.maxX).dump() << ", y "
                << JsonNumber(e.minY).dump() << " .. " << JsonNumber(e.maxY).dump() << " units ("
                << JsonNumber(std::round((e.maxX - e.minX) * scale * 100.0) / 100.0).dump() << " x "
                << JsonNumber(std::round((e.maxY - e.minY) * scale * 100.0) / 100.0).dump() << " mm)";
        }
        out << '\n';
    }
    const TDrawingSet& seg = d.Set(TDrawing::kSegments);
    out << "Segments: " << seg.oelems + 1 << " objects, " << seg.L.Count() << " lines, " << seg.V.Count()
        << " vertices, " << CountFaultySegmentNodes(d) << " faulty nodes\n";
}

// What a project asked for besides its drawing: the multiplication to repeat after the
// joining, as the dialog's texts.
Json ProjectJson(const DrawingSession& loaded) {
    Json j = {{"drawing", loaded.Loading().drawing.string()}, {"multiplication", nullptr}};
    if (!loaded.MultiplicationPending()) return j;
    const MultiplicationTexts& t = loaded.MultiplicationFields();
    Json m = {{"byCount", t.byCount}};
    if (t.byCount) {
        m["count"] = {t.columns, t.rows};
    } else {
        m["size"] = {t.width, t.height};
    }
    m["gap"] = {t.gapX, t.gapY};
    if (t.multiwire) {
        m["multiwire"] = {{"offset", t.lineOffset},
                          {"length", t.lineLength},
                          {"wireDistance", t.wireDistance},
                          {"spineOnTop", t.spineOnTop}};
    }
    j["multiplication"] = m;
    return j;
}

void PrintProject(std::ostream& out, const DrawingSession& loaded) {
    out << "Project drawing: " << loaded.Loading().drawing.string() << '\n';
    out << "Multiplication to repeat: ";
    if (!loaded.MultiplicationPending()) {
        out << "none\n";
        return;
    }
    const MultiplicationTexts& t = loaded.MultiplicationFields();
    if (t.byCount) {
        out << t.columns << " x " << t.rows << " copies";
    } else {
        out << "material " << t.width << " x " << t.height << " mm";
    }
    out << ", gaps " << t.gapX << " x " << t.gapY << " mm" << (t.multiwire ? ", multi-wire" : "") << '\n';
}

int RunInfo(const CliOptions& options, const InfoArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    DrawingSession loaded(session);
    const int result = loaded.Load(args.file, args.yes, err);
    const LoadReport& report = loaded.Loading();
    const TDrawing* drawing = &loaded.Drawing();
    if (report.failure == LoadFailure::CannotOpen || report.failure == LoadFailure::Project) {
        err << "wirvela-cli: " << LoadFailureText(report) << ": '" << args.file << "'\n";
        return 1;
    }

    const bool project = !report.drawing.empty() && report.drawing != std::filesystem::path(args.file);
    if (options.json) {
        Json j = {{"result", result}, {"penMask", loaded.PenMask()}, {"twoFigure", drawing->TwoFigures()}};
        if (project) j["project"] = ProjectJson(loaded);
        j["figures"] = Json::array({FigureJson(*drawing, TDrawing::kFigure1, args.geometry),
                                    FigureJson(*drawing, TDrawing::kFigure2, args.geometry)});
        const TDrawingSet& seg = drawing->Set(TDrawing::kSegments);
        j["segments"] = {{"objects", seg.oelems + 1},
                         {"lines", seg.L.Count()},
                         {"vertices", seg.V.Count()},
                         {"faultyNodes", CountFaultySegmentNodes(*drawing)}};
        out << j.dump(2) << '\n';
    } else {
        PrintText(out, args.file, result, report, *drawing, loaded.PenMask());
        if (project) PrintProject(out, loaded);
    }
    if (result == 16) return 0;
    err << "wirvela-cli: '" << args.file << "' not loaded: " << LoadFailureText(report) << '\n';
    return 2;
}

}  // namespace

void AddInfoCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<InfoArgs>();
    CLI::App* info = app.add_subcommand(
        "info",
        "Load a drawing (.plt, .dxf, or a .con project's drawing) as the Open command does, without joining, and "
        "report it");
    info->add_option("FILE", args->file, "Drawing file")->required();
    info->add_flag("--yes", args->yes,
                   "Interactive load: answer every question Yes, print every message to standard error");
    info->add_flag("--geometry", args->geometry, "With --json: add the vertex and line tables of each figure");
    info->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) { return RunInfo(options, *args, out, err); };
    });
}

}  // namespace wirvela
