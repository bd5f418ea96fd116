#include "cli/ProjectCommand.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliSession.h"
#include "cli/ExitCode.h"
#include "cli/MultiplicationOptions.h"
#include "formats/ProjectFile.h"

namespace wirvela {

namespace {

struct ProjectSaveArgs {
    std::string project;
    std::string drawing;
    MultiplicationOptions multiplication;
};

int RunProjectSave(const CliOptions& options, const ProjectSaveArgs& args, std::ostream& out, std::ostream& err) {
    std::optional<MultiplicationTexts> replay;
    if (AnyMultiplicationOption(args.multiplication)) {
        std::string why;
        replay = MultiplicationFromOptions(args.multiplication, &why);
        if (!replay) {
            err << "wirvela-cli: project save: " << why << '\n';
            return kExitBadArgument;
        }
    }
    const std::filesystem::path project = ProjectPathFor(args.project);
    const ProjectSave save = SaveProject(project, args.drawing, replay);
    if (save.outcome != ProjectSave::Outcome::Saved) {
        const bool copy = save.outcome == ProjectSave::Outcome::CopyFailed;
        err << "wirvela-cli: project save: '" << project.string() << "' not saved: "
            << (copy ? "the drawing could not be copied to '" + save.drawingCopy.string() + "': " : "") << save.why
            << '\n';
        return copy ? kExitUnreadable : kExitBadArgument;
    }
    if (options.json) {
        const nlohmann::ordered_json j = {{"project", project.string()},
                                          {"drawing", save.drawingCopy.string()},
                                          {"copied", save.copied},
                                          {"multiplication", replay.has_value()}};
        out << j.dump(2) << '\n';
        return kExitOk;
    }
    out << "Project: " << project.string() << '\n';
    out << "Drawing: " << save.drawingCopy.string() << (save.copied ? " (copied)" : "") << '\n';
    out << "Multiplication to repeat: " << (replay ? "yes" : "none") << '\n';
    return kExitOk;
}

}  // namespace

void AddProjectCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    CLI::App* project = app.add_subcommand("project", "Projects (.con): a drawing with the multiplication to repeat");
    project->require_subcommand(1);
    auto args = std::make_shared<ProjectSaveArgs>();
    CLI::App* save = project->add_subcommand(
        "save", "Write a project as Save as does: the drawing copied beside it, and the multiplication when given");
    save->add_option("PROJECT", args->project, "Project file (.con is appended when missing)")->required();
    save->add_option("--drawing", args->drawing, "Drawing file (.plt or .dxf)")->required();
    AddMultiplicationOptions(*save, args->multiplication);
    save->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunProjectSave(options, *args, out, err);
        };
    });
}

}  // namespace wirvela
