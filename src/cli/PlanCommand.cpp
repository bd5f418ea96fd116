#include "cli/PlanCommand.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <system_error>

#include "cli/CliSession.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
#include "drawing/DrawingLoader.h"
#include "drawing/DxfReader.h"
#include "planning/FigureSeparation.h"
#include "planning/ObjectConnection.h"
#include "platform/Clock.h"
#include "platform/EventChannel.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct PlanArgs {
    std::string file;
    bool yes = false;
    bool geometry = false;
};

// Whole numbers print as integers ("12", not "12.0").
Json Number(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9.0e15) return static_cast<long long>(v);
    return v;
}

// Standard error is a terminal when its descriptor names a terminal device.
bool StandardErrorIsTerminal() {
    std::error_code ec;
    const std::string target = std::filesystem::read_symlink("/proc/self/fd/2", ec).string();
    if (ec) return false;
    return target.rfind("/dev/pts/", 0) == 0 || target.rfind("/dev/tty", 0) == 0 || target == "/dev/console";
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

const char* LoadFailureText(LoadFailure f) {
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

const ConnectReport::Figure* FigureReport(const ConnectReport& report, int figure) {
    for (const ConnectReport::Figure& f : report.figures) {
        if (f.figure == figure) return &f;
    }
    return nullptr;
}

Json FigureJson(const TDrawing& d, int f, const ConnectReport& report, bool geometry) {
    const TDrawingSet& set = d.Set(f);
    Json path = Json::array();
    if (set.cutPath) {
        for (int i = 0; i <= set.cutPath->LastIndex(); ++i) {
            const LineListEntry& e = (*set.cutPath)[i];
            path.push_back({e.line, e.dir > 0 ? 1 : -1});
        }
    }
    IntegrityCounts counts;
    if (const ConnectReport::Figure* r = FigureReport(report, f)) counts = r->integrity;
    Json j = {{"figure", f},
              {"objects", set.oelems + 1},
              {"lines", set.L.Count()},
              {"vertices", set.V.Count()},
              {"path", std::move(path)},
              {"integrity",
               {{"pathNodes", counts.pathNodes},
                {"unvisitedPoints", counts.unvisitedPoints},
                {"unvisitedLines", counts.unvisitedLines},
                {"surplus", counts.surplus}}}};
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

std::vector<int> ReportedFigures(const TDrawing& d) {
    std::vector<int> figures{TDrawing::kFigure1};
    if (d.Set(TDrawing::kFigure2).L.Count() > 0) figures.push_back(TDrawing::kFigure2);
    return figures;
}

void PrintText(std::ostream& out, const std::string& file, int result, const LoadReport& load,
               const ConnectReport& report, const TDrawing& d) {
    out << "File: " << file << '\n';
    out << "Result: " << result;
    if (result != 16) out << " (" << LoadFailureText(load.failure) << ')';
    out << '\n';
    if (result == 16) out << "State: " << report.state << " (" << StateText(report.state) << ")\n";
    for (int f : ReportedFigures(d)) {
        const TDrawingSet& set = d.Set(f);
        out << "Figure " << f << ": " << set.oelems + 1 << " objects, " << set.L.Count() << " lines, " << set.V.Count()
            << " vertices";
        if (set.cutPath) out << ", cut path of " << set.cutPath->Length() << " lines";
        out << '\n';
        if (const ConnectReport::Figure* r = FigureReport(report, f)) {
            out << "  joined " << r->joined << " connecting lines, " << r->unjoinedObjects << " left unjoined\n";
            out << "  integrity: " << r->integrity.pathNodes << " path nodes, " << r->integrity.unvisitedPoints
                << " unvisited points, " << r->integrity.unvisitedLines << " unvisited line ends, "
                << r->integrity.surplus << " surplus passes\n";
        }
    }
    out << "Seconds: " << report.seconds << '\n';
}

int RunPlan(const CliOptions& options, const PlanArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    auto drawing = std::make_unique<TDrawing>();
    DeriveDrawingSettings(*drawing, session.Parameters());
    RecursiveTimedMutex mutex;
    MessageLog log;
    HpglPenState pens;
    LoaderWindowState window;
    TDxfReader dxf;
    // The path graph's error boxes become lines on standard error; questions of the
    // loader are asked only with --yes (an interactive load).
    AcceptingPrompt prompt(&err);

    const bool progress = StandardErrorIsTerminal();
    bool progressShown = false;
    EventChannel channel([&](int code, std::intptr_t arg) -> std::intptr_t {
        if (progress && code >= kEventStatusPanel0 && code <= kEventStatusPanel0 + 4 && code != kEventObjectCounts &&
            code != kEventLineCounts) {
            const std::string text = ConnectEventText(arg);
            if (!text.empty()) {
                err << '\r' << text << "\x1b[K" << std::flush;
                progressShown = true;
            }
        }
        return 0;
    });

    ConnectContext cc(*drawing, &mutex, session.Parameters(), session.Messages(), log, window);
    cc.prompt = &prompt;
    cc.mainWindow = &channel;
    cc.iniFile = session.Directory() / "wirvela.ini";
    // Worker thread; the window thread only waits while the run works.
    cc.clearPendingMultiplication = [&window] { window.pendingMultiplication = 0; };
    TConnectCommand connect(std::move(cc));

    LoaderContext context(*drawing, &mutex, session.Parameters(), session.Messages(), log, args.yes ? &prompt : nullptr,
                          pens, window);
    context.dxf = &dxf;
    SeparationEnv env;
    env.messages = &session.Messages();
    env.log = &log;
    context.separation = FigureSeparationFor(*drawing, env);
    const std::uint64_t loadStart = TickCount64();
    context.connect.start = [&](int interactive) { return connect.StartConnect(interactive, loadStart); };
    context.connect.resume = [&] { connect.Resume(); };

    LoadReport load;
    const int result = LoadDrawing(context, args.file, args.yes ? 1 : 0, &load);
    if (load.failure == LoadFailure::CannotOpen || load.failure == LoadFailure::Unsupported) {
        err << "wirvela-cli: " << LoadFailureText(load.failure) << ": '" << args.file << "'\n";
        return 1;
    }
    if (result == 16) connect.Wait();
    channel.ProcessPending();
    if (progressShown) err << '\n';

    const ConnectReport report = connect.Report();
    if (options.json) {
        Json figures = Json::array();
        for (int f : ReportedFigures(*drawing)) figures.push_back(FigureJson(*drawing, f, report, args.geometry));
        Json j = {{"result", result},
                  {"state", result == 16 ? Json(report.state) : Json(nullptr)},
                  {"figures", std::move(figures)},
                  {"seconds", result == 16 ? report.seconds : load.seconds}};
        out << j.dump(2) << '\n';
    } else {
        PrintText(out, args.file, result, load, report, *drawing);
    }
    if (result != 16) {
        err << "wirvela-cli: '" << args.file << "' not loaded: " << LoadFailureText(load.failure) << '\n';
        return 2;
    }
    if (report.state != kConnectSucceeded) {
        err << "wirvela-cli: '" << args.file << "': " << StateText(report.state) << '\n';
        return 3;
    }
    return 0;
}

}  // namespace

void AddPlanCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<PlanArgs>();
    CLI::App* plan = app.add_subcommand(
        "plan", "Load a drawing (.plt, .dxf) as the Open command does, join it and find its cut path");
    plan->add_option("FILE", args->file, "Drawing file")->required();
    plan->add_flag("--yes", args->yes,
                   "Interactive load: answer every question Yes, print every message to standard error");
    plan->add_flag("--geometry", args->geometry, "With --json: add the vertex and line tables of each figure");
    plan->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) { return RunPlan(options, *args, out, err); };
    });
}

}  // namespace wirvela
