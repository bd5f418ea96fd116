#include "cli/PlanCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/ConnectCommand.h"
#include "cli/CliSession.h"
#include "cli/DrawingReport.h"
#include "cli/DrawingSession.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct PlanArgs {
    std::string file;
    bool yes = false;
    bool geometry = false;
    std::string planner = "fast";
};

void PrintText(std::ostream& out, const std::string& file, int result, const LoadReport& load,
               const ConnectReport& report, const TDrawing& d, bool searched) {
    out << "File: " << file << '\n';
    out << "Result: " << result;
    if (result != 16) out << " (" << LoadFailureText(load) << ')';
    out << '\n';
    if (result == 16) out << "State: " << report.state << " (" << StateText(report.state) << ")\n";
    for (int f : ReportedFigures(d)) {
        const TDrawingSet& set = d.Set(f);
        PrintFigureCounts(out, d, f);
        if (set.cutPath) out << ", cut path of " << set.cutPath->Length() << " lines";
        out << '\n';
        if (const ConnectReport::Figure* r = searched ? FigureReport(report, f) : nullptr) {
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
    const bool progress = StandardErrorIsTerminal();
    bool progressShown = false;
    // The path graph's error boxes become lines on standard error; questions of the
    // loader are asked only with --yes (an interactive load).
    DrawingSession loaded(session);
    loaded.SetPlanner(args.planner == "reference" ? Planner::Reference : Planner::Fast);
    const int result = loaded.LoadAndJoin(args.file, args.yes, err, [&](int code, std::intptr_t arg) {
        if (progress && code >= kEventStatusPanel0 && code <= kEventStatusPanel0 + 4 && code != kEventObjectCounts &&
            code != kEventLineCounts) {
            const std::string text = ConnectEventText(arg);
            if (!text.empty()) {
                err << '\r' << text << "\x1b[K" << std::flush;
                progressShown = true;
            }
        }
    });
    const LoadReport& load = loaded.Loading();
    const TDrawing* drawing = &loaded.Drawing();
    if (load.failure == LoadFailure::CannotOpen || load.failure == LoadFailure::Project) {
        err << "wirvela-cli: " << LoadFailureText(load) << ": '" << args.file << "'\n";
        return 1;
    }
    if (progressShown) err << '\n';

    const ConnectReport& report = loaded.Joining();
    if (options.json) {
        Json figures = Json::array();
        // A project's multi-wire path was built, not searched: no integrity counts.
        const ConnectReport* searched = loaded.PathBuiltForSeveralWires() ? nullptr : &report;
        for (int f : ReportedFigures(*drawing)) figures.push_back(FigurePathJson(*drawing, f, searched, args.geometry));
        Json j = {{"result", result},
                  {"state", result == 16 ? Json(report.state) : Json(nullptr)},
                  {"figures", std::move(figures)},
                  {"seconds", result == 16 ? report.seconds : load.seconds}};
        out << j.dump(2) << '\n';
    } else {
        PrintText(out, args.file, result, load, report, *drawing, !loaded.PathBuiltForSeveralWires());
    }
    if (result != 16) {
        err << "wirvela-cli: '" << args.file << "' not loaded: " << LoadFailureText(load) << '\n';
        return 2;
    }
    if (report.state != kConnectSucceeded) {
        err << "wirvela-cli: '" << args.file << "': " << StateText(report.state) << '\n';
        return 3;
    }
    // The refusal of a project's multiplication is on standard error already.
    return loaded.ProjectMultiplicationRefused() ? 2 : 0;
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
    plan->add_option("--planner", args->planner,
                     "fast, or reference: the literal (quadratic) planning the fast one is checked against; "
                     "both give the same drawing and cut path")
        ->check(CLI::IsMember({"reference", "fast"}))
        ->capture_default_str();
    plan->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) { return RunPlan(options, *args, out, err); };
    });
}

}  // namespace wirvela
