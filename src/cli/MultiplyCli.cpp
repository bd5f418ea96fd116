#include "cli/MultiplyCli.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/MultiplyCommand.h"
#include "cli/CliSession.h"
#include "cli/DrawingReport.h"
#include "cli/DrawingSession.h"
#include "cli/ExitCode.h"
#include "cli/MultiplicationOptions.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct MultiplyArgs {
    std::string file;
    bool yes = false;
    bool geometry = false;
    MultiplicationOptions fields;
};

// The option a refused field came from.
const char* OptionName(MultiplicationField field) {
    switch (field) {
        case MultiplicationField::Columns:
            return "--count NX";
        case MultiplicationField::Rows:
            return "--count NY";
        case MultiplicationField::Width:
            return "--size W";
        case MultiplicationField::Height:
            return "--size H";
        case MultiplicationField::GapX:
            return "--gap GX";
        case MultiplicationField::GapY:
            return "--gap GY";
        case MultiplicationField::LineOffset:
            return "--offset";
        case MultiplicationField::LineLength:
            return "--length";
        case MultiplicationField::WireDistance:
            return "--wire-distance";
        case MultiplicationField::None:
            break;
    }
    return "";
}

const char* LayoutName(const MultiplicationTexts& fields, MultiwireLayout layout) {
    if (!fields.multiwire || layout == MultiwireLayout::None) return "grid";
    return layout == MultiwireLayout::Row ? "row" : "column";
}

void PrintText(std::ostream& out, const MultiplyArgs& args, const char* layout, const TDrawing& d,
               const ConnectReport* report) {
    out << "File: " << args.file << '\n';
    out << "Multiplied: " << layout << '\n';
    if (report != nullptr) out << "State: " << report->state << " (" << StateText(report->state) << ")\n";
    for (int f : ReportedFigures(d)) {
        const TDrawingSet& set = d.Set(f);
        PrintFigureCounts(out, d, f);
        if (set.cutPath) out << ", cut path of " << set.cutPath->Length() << " lines";
        out << '\n';
    }
}

int RunMultiply(const CliOptions& options, const MultiplyArgs& args, std::ostream& out, std::ostream& err) {
    std::string problem;
    const std::optional<MultiplicationTexts> fields = MultiplicationFromOptions(args.fields, &problem);
    if (!fields) {
        err << "wirvela-cli: " << problem << '\n';
        return kExitBadArgument;
    }
    const MultiwireLayout layout = MultiwireLayoutFromSetting(MultiwireSetting(args.fields));

    CliSession session(options, err);
    DrawingSession loaded(session);
    loaded.LoadAndJoin(args.file, args.yes, err);
    if (const int code = loaded.RequireCutPath(args.file, err, DrawingSession::Wording::WithReason); code != 0)
        return code;

    MultiplyContext context(loaded.Drawing(), loaded.Mutex(), loaded.Window());
    context.mainWindow = loaded.MainWindow();
    context.startJoin = [&loaded] { return loaded.StartJoin(); };
    context.waitJoin = [&loaded] { loaded.WaitForJoin(); };
    MultiplyCommand command(std::move(context));
    loaded.SetMultiplicationHooks([&command] { return command.RunState(); }, [&command] { command.JoinEnded(); });

    if (command.RunToEnd(*fields, layout) != MultiplyCommand::Step::Done) {
        const MultiplicationResult& r = command.Result();
        err << "message " << r.message << ": " << RefusalText(session.Messages(), r, OptionName(r.field)) << '\n';
        return kExitBadArgument;
    }
    // Grid copies are joined again as the main window does after a multiplication: no
    // junction splitting, no splitting of connecting lines at crossings.
    const ConnectReport* report = nullptr;
    if (!command.SeveralWires()) {
        loaded.Window().planarisationPending = false;
        loaded.Connect()->SetCrossingSplit(false);
        if (loaded.StartJoin() == 16) loaded.WaitForJoin();
        report = &loaded.Joining();
    }

    const TDrawing& d = loaded.Drawing();
    const char* layoutName = LayoutName(*fields, layout);
    if (options.json) {
        Json figures = Json::array();
        for (int f : ReportedFigures(d)) figures.push_back(FigurePathJson(d, f, report, args.geometry));
        Json j = {{"result", loaded.Result()},
                  {"layout", layoutName},
                  {"state", report != nullptr ? Json(report->state) : Json(nullptr)},
                  {"figures", std::move(figures)}};
        out << j.dump(2) << '\n';
    } else {
        PrintText(out, args, layoutName, d, report);
    }
    if (report != nullptr && report->state != kConnectSucceeded) {
        err << "wirvela-cli: '" << args.file << "': " << StateText(report->state) << " after the multiplication\n";
        return kExitNoPath;
    }
    return kExitOk;
}

}  // namespace

void AddMultiplyCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<MultiplyArgs>();
    CLI::App* multiply = app.add_subcommand(
        "multiply", "Load and join a drawing, copy it in a grid or for several wires, and report the cut path");
    multiply->add_option("FILE", args->file, "Drawing file")->required();
    AddMultiplicationOptions(*multiply, args->fields);
    multiply->add_flag("--yes", args->yes,
                       "Interactive load: answer every question Yes, print every message to standard error");
    multiply->add_flag("--geometry", args->geometry, "With --json: add the vertex and line tables of each figure");
    multiply->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunMultiply(options, *args, out, err);
        };
    });
}

}  // namespace wirvela
