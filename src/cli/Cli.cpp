#include "cli/Cli.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/CliSession.h"
#include "cli/ControllerCommands.h"
#include "cli/CutCommands.h"
#include "cli/GeneratorCommands.h"
#include "cli/InfoCommand.h"
#include "cli/ManualCommands.h"
#include "cli/MultiplyCli.h"
#include "cli/ParamCommands.h"
#include "cli/PlanCommand.h"
#include "cli/ProfilesCommand.h"
#include "cli/ProjectCommand.h"
#include "cli/RotaryCommands.h"
#include "cli/SimulateCommand.h"

namespace wirvela {

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"wirvela-cli: the hot-wire cutter's control program without a window", "wirvela-cli"};
    app.set_version_flag("--version", std::string("wirvela-cli ") + WIRVELA_VERSION);
    app.require_subcommand(1);
    app.fallthrough();

    CliOptions options;
    app.add_option("--dir", options.dir, "Start-up directory holding wirvela.ini and local.txt")
        ->capture_default_str();
    app.add_flag("--json", options.json, "Print one JSON object");

    std::function<int(std::ostream&, std::ostream&)> action;
    AddParamCommands(app, options, action);
    AddControllerCommands(app, options, action);
    AddInfoCommand(app, options, action);
    AddPlanCommand(app, options, action);
    AddMultiplyCommand(app, options, action);
    AddCutCommands(app, options, action);
    AddSimulateCommand(app, options, action);
    AddManualCommands(app, options, action);
    AddProjectCommand(app, options, action);
    AddProfilesCommand(app, options, action);
    AddFrameCommand(app, options, action);
    AddMouldingCommand(app, options, action);
    AddRotaryCommands(app, options, action);

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion&) {
        out << app.version() << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "wirvela-cli: " << e.what() << '\n';
        return e.get_exit_code() == 0 ? 2 : e.get_exit_code();
    }
    return action ? action(out, err) : 0;
}

int RunCli(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunCli(args, std::cout, std::cerr);
}

}  // namespace wirvela
