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
#include "cli/GeneratorCommands.h"
#include "cli/MultiplicationOptions.h"
#include "formats/ProjectFile.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct MultiplyArgs {
    std::string file;
    bool yes = false;
    bool geometry = false;
    std::string save;  // PROJECT.con
    std::string out;   // FILE.plt
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

// --save: the drawing that was loaded and this multiplication, as Save as keeps them. A
// project that was itself multiplied on loading would reopen with one multiplication
// only, so it is refused.
int SaveAsProject(const MultiplyArgs& args, const DrawingSession& loaded, const MultiplicationTexts& fields,
                  std::ostream& err) {
    const std::filesystem::path project = ProjectPathFor(args.save);
    if (loaded.Window().multiplications > 1) {
        err << "wirvela-cli: '" << project.string() << "' not saved: the drawing was multiplied "
            << loaded.Window().multiplications << " times, and a project repeats only one multiplication\n";
        return kExitBadArgument;
    }
    const ProjectSave save = SaveProject(project, loaded.Loading().drawing, fields);
    if (save.outcome == ProjectSave::Outcome::Saved) return kExitOk;
    err << "wirvela-cli: '" << project.string() << "' not saved: " << save.why << '\n';
    return save.outcome == ProjectSave::Outcome::CopyFailed ? kExitUnreadable : kExitBadArgument;
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

    bool severalWires = false;
    const MultiplicationResult r = loaded.Multiply(*fields, layout, &severalWires);
    if (r.message != 0) {
        err << "message " << r.message << ": " << RefusalText(session.Messages(), r, OptionName(r.field)) << '\n';
        return kExitBadArgument;
    }
    // A multi-wire path is built, not searched: no joining reports on it.
    const ConnectReport* report = severalWires ? nullptr : &loaded.Joining();

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
    // Grid copies are written without the joining, which a reload does again; the lead
    // line of a multi-wire path is part of what is cut.
    if (!WriteHpglOut(args.out, d.Set(TDrawing::kFigure1).L, severalWires ? HpglLines::All : HpglLines::ObjectLines,
                      err))
        return kExitUnreadable;
    if (!args.save.empty()) return SaveAsProject(args, loaded, *fields, err);
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
    multiply->add_option("--out", args->out, "Write the multiplied drawing as HP-GL to this file");
    multiply->add_option("--save", args->save,
                         "Save the loaded drawing and this multiplication as a project (.con), as Save as does");
    multiply->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunMultiply(options, *args, out, err);
        };
    });
}

}  // namespace wirvela
