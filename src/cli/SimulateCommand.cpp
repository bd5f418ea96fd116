#include "cli/SimulateCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliSession.h"
#include "cli/DrawingReport.h"
#include "cli/DrawingSession.h"
#include "config/MessageLog.h"
#include "config/Settings.h"
#include "cutting/SimulationModel.h"
#include "settings/MaterialStore.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kExitOk = 0;

struct SimulateArgs {
    std::string file;
    int material = 0;  // 0: the remembered one
    bool yes = false;
};

int RunSimulate(const CliOptions& options, const SimulateArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    DrawingSession loaded(session);
    loaded.LoadAndJoin(args.file, args.yes, err);
    if (const int code = loaded.RequireCutPath(args.file, err, DrawingSession::Wording::Brief); code != kExitOk)
        return code;
    TDrawing* drawing = &loaded.Drawing();
    const LoaderWindowState& window = loaded.Window();

    // The cutting window's options as it opens: no rotary cut, the V2 bar at DefaultV2
    // within its range, Alg2 set.
    const TParameters& p = session.Parameters();
    const int material = args.material >= 1 ? args.material : ReadSelectedMaterial(p) + 1;
    SimulationInputs inputs;
    inputs.material = ReadMaterial(p, material);
    inputs.scalePercent = window.scalePercent;
    inputs.v2 = std::clamp(p.GetNumber(settings::kDefaultV2), p.GetNumber(settings::kVxyMin),
                           std::max(p.GetNumber(settings::kVxyMin), p.GetNumber(settings::kVxyMax)));
    MessageLog log;
    SimulationModel model(*drawing, p, &session.Messages(), &log, SimulationView{});
    model.Prepare(inputs);

    std::vector<int> figures{TDrawing::kFigure1};
    if (drawing->Set(TDrawing::kFigure2).simLines) figures.push_back(TDrawing::kFigure2);
    if (options.json) {
        Json list = Json::array();
        for (int f : figures) {
            const SimulationSummary& s = model.Summary(f);
            list.push_back({{"figure", f},
                            {"records", s.records},
                            {"steps", {JsonNumber(s.stepsX), JsonNumber(s.stepsY)}},
                            {"corners", s.corners},
                            {"seconds", s.milliseconds / 1000.0}});
        }
        out << Json{{"material", material}, {"figures", std::move(list)}}.dump(2) << '\n';
        return kExitOk;
    }
    out << "File: " << args.file << '\n';
    out << "Material: " << material << " (" << inputs.material.name << ")\n";
    for (int f : figures) {
        const SimulationSummary& s = model.Summary(f);
        out << "Figure " << f << ": " << s.records << " moves, steps (" << s.stepsX << ", " << s.stepsY << "), "
            << s.corners << " corners, " << s.milliseconds / 1000.0 << " s\n";
    }
    return kExitOk;
}

}  // namespace

void AddSimulateCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<SimulateArgs>();
    CLI::App* simulate =
        app.add_subcommand("simulate", "Load and plan a drawing and prepare the cutting simulation of its moves");
    simulate->add_option("FILE", args->file, "Drawing file (.plt, .dxf)")->required();
    simulate->add_option("--material", args->material, "Material number 1 … 10 (default: the remembered one)")
        ->check(CLI::Range(1, settings::kMaterialSections));
    simulate->add_flag("--yes", args->yes,
                       "Interactive load: answer every question Yes, print every message to standard error");
    simulate->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunSimulate(options, *args, out, err);
        };
    });
}

}  // namespace wirvela
