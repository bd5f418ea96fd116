#include "cli/InfoCommand.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliSession.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
#include "drawing/DrawingLoader.h"
#include "drawing/DxfReader.h"
#include "planning/FigureSeparation.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct InfoArgs {
    std::string file;
    bool yes = false;
    bool geometry = false;
};

// Whole numbers print as integers ("12", not "12.0").
Json Number(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9.0e15) return static_cast<long long>(v);
    return v;
}

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
    Json j = {{"figure", f},
              {"objects", set.oelems + 1},
              {"lines", set.L.Count()},
              {"vertices", set.V.Count()},
              {"min", {Number(e.minX), Number(e.minY)}},
              {"max", {Number(e.maxX), Number(e.maxY)}}};
    if (geometry) {
        Json vertices = Json::array();
        for (const VertexRecord& v : set.V.Records()) vertices.push_back({Number(v.x), Number(v.y), v.obj});
        Json lines = Json::array();
        for (const LineRecord& l : set.L.Records()) lines.push_back({l.p, l.k, l.obj, l.kind, l.pen});
        j["vertexTable"] = std::move(vertices);
        j["lineTable"] = std::move(lines);
    }
    return j;
}

const char* FailureText(LoadFailure f) {
    switch (f) {
        case LoadFailure::None:
            return "";
        case LoadFailure::CannotOpen:
            return "cannot read drawing file";
        case LoadFailure::Unsupported:
            return ".con projects are not supported yet";
        case LoadFailure::Empty:
            return "the drawing has no lines";
        case LoadFailure::SegmentPens:
            return "the drawing has segment lines (pen 5) but does not use exactly the pens 3, 4 and 5";
        case LoadFailure::FigurePens:
            return "the drawing uses the pens 3, 4 or 5 of a two-figure drawing without being one";
        case LoadFailure::ConnectNotStarted:
            return "the joining could not be started";
    }
    return "";
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
    if (result != 16) out << " (" << FailureText(report.failure) << ')';
    out << '\n';
    out << "Pens selected: " << PenList(penMask) << " (mask " << penMask << ")\n";
    out << "Two figures: " << (d.TwoFigures() ? "yes" : "no") << '\n';
    const double scale = d.Settings().scale;
    for (int f = TDrawing::kFigure1; f <= TDrawing::kFigure2; ++f) {
        const TDrawingSet& set = d.Set(f);
        out << "Figure " << f << ": " << set.oelems + 1 << " objects, " << set.L.Count() << " lines, " << set.V.Count()
            << " vertices";
        if (set.V.Count() > 0) {
            const Extents e = ExtentsOf(set.V);
            out << ", x " << Number(e.minX).dump() << " .. " << Number(e.maxX).dump() << ", y " << Number(e.minY).dump()
                << " .. " << Number(e.maxY).dump() << " units ("
                << Number(std::round((e.maxX - e.minX) * scale * 100.0) / 100.0).dump() << " x "
                << Number(std::round((e.maxY - e.minY) * scale * 100.0) / 100.0).dump() << " mm)";
        }
        out << '\n';
    }
    const TDrawingSet& seg = d.Set(TDrawing::kSegments);
    out << "Segments: " << seg.oelems + 1 << " objects, " << seg.L.Count() << " lines, " << seg.V.Count()
        << " vertices, " << CountFaultySegmentNodes(d) << " faulty nodes\n";
}

int RunInfo(const CliOptions& options, const InfoArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    auto drawing = std::make_unique<TDrawing>();
    DeriveDrawingSettings(*drawing, session.Parameters());
    RecursiveTimedMutex mutex;
    MessageLog log;
    HpglPenState pens;
    LoaderWindowState window;
    TDxfReader dxf;
    std::unique_ptr<Prompt> prompt;
    if (args.yes) prompt = std::make_unique<AcceptingPrompt>(&err);

    LoaderContext context(*drawing, &mutex, session.Parameters(), session.Messages(), log, prompt.get(), pens, window);
    context.dxf = &dxf;
    SeparationEnv env;
    env.messages = &session.Messages();
    env.log = &log;
    context.separation = FigureSeparationFor(*drawing, env);

    LoadReport report;
    const int result = LoadDrawing(context, args.file, args.yes ? 1 : 0, &report);
    if (report.failure == LoadFailure::CannotOpen || report.failure == LoadFailure::Unsupported) {
        err << "wirvela-cli: " << FailureText(report.failure) << ": '" << args.file << "'\n";
        return 1;
    }

    if (options.json) {
        Json j = {{"result", result}, {"penMask", pens.penMask}, {"twoFigure", drawing->TwoFigures()}};
        j["figures"] = Json::array({FigureJson(*drawing, TDrawing::kFigure1, args.geometry),
                                    FigureJson(*drawing, TDrawing::kFigure2, args.geometry)});
        const TDrawingSet& seg = drawing->Set(TDrawing::kSegments);
        j["segments"] = {{"objects", seg.oelems + 1},
                         {"lines", seg.L.Count()},
                         {"vertices", seg.V.Count()},
                         {"faultyNodes", CountFaultySegmentNodes(*drawing)}};
        out << j.dump(2) << '\n';
    } else {
        PrintText(out, args.file, result, report, *drawing, pens.penMask);
    }
    if (result == 16) return 0;
    err << "wirvela-cli: '" << args.file << "' not loaded: " << FailureText(report.failure) << '\n';
    return 2;
}

}  // namespace

void AddInfoCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<InfoArgs>();
    CLI::App* info = app.add_subcommand(
        "info", "Load a drawing (.plt, .dxf) as the Open command does, without joining, and report it");
    info->add_option("FILE", args->file, "Drawing file")->required();
    info->add_flag("--yes", args->yes,
                   "Interactive load: answer every question Yes, print every message to standard error");
    info->add_flag("--geometry", args->geometry, "With --json: add the vertex and line tables of each figure");
    info->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) { return RunInfo(options, *args, out, err); };
    });
}

}  // namespace wirvela
