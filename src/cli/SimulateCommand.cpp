#include "cli/SimulateCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliSession.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
#include "cutting/SimulationModel.h"
#include "drawing/DrawingLoader.h"
#include "drawing/DxfReader.h"
#include "planning/FigureSeparation.h"
#include "planning/ObjectConnection.h"
#include "platform/Clock.h"
#include "platform/EventChannel.h"
#include "platform/Sync.h"
#include "settings/Materials.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitRefused = 2;
constexpr int kExitNoPath = 3;

struct SimulateArgs {
    std::string file;
    int material = 0;  // 0: the remembered one
    bool yes = false;
};

Json Number(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9.0e15) return static_cast<long long>(v);
    return v;
}

// 0 when the drawing has a cut path, else the exit code (the reason went to err).
int LoadAndPlan(CliSession& session, const SimulateArgs& args, std::ostream& err, TDrawing& drawing,
                LoaderWindowState& window) {
    DeriveDrawingSettings(drawing, session.Parameters());
    RecursiveTimedMutex mutex;
    MessageLog log;
    HpglPenState pens;
    TDxfReader dxf;
    AcceptingPrompt prompt(&err);
    EventChannel mainWindow([](int, std::intptr_t) { return std::intptr_t{0}; });

    ConnectContext cc(drawing, &mutex, session.Parameters(), session.Messages(), log, window);
    cc.prompt = &prompt;
    cc.mainWindow = &mainWindow;
    cc.iniFile = session.Directory() / "wirvela.ini";
    cc.clearPendingMultiplication = [&window] { window.pendingMultiplication = 0; };
    TConnectCommand connect(std::move(cc));

    LoaderContext context(drawing, &mutex, session.Parameters(), session.Messages(), log, args.yes ? &prompt : nullptr,
                          pens, window);
    context.dxf = &dxf;
    SeparationEnv env;
    env.messages = &session.Messages();
    env.log = &log;
    context.separation = FigureSeparationFor(drawing, env);
    const std::uint64_t loadStart = TickCount64();
    context.connect.start = [&](int interactive) { return connect.StartConnect(interactive, loadStart); };
    context.connect.resume = [&] { connect.Resume(); };

    LoadReport load;
    const int result = LoadDrawing(context, args.file, args.yes ? 1 : 0, &load);
    if (result == 16) connect.Wait();
    mainWindow.ProcessPending();
    if (load.failure == LoadFailure::CannotOpen || load.failure == LoadFailure::Unsupported) {
        err << "wirvela-cli: cannot read drawing file: '" << args.file << "'\n";
        return kExitUnreadable;
    }
    if (result != 16) {
        err << "wirvela-cli: '" << args.file << "' not loaded\n";
        return kExitRefused;
    }
    if (connect.Report().state != kConnectSucceeded || !drawing.Set(TDrawing::kFigure1).cutPath) {
        err << "wirvela-cli: '" << args.file << "': no cut path was found\n";
        return kExitNoPath;
    }
    drawing.SelectFigure(TDrawing::kFigure1);
    return kExitOk;
}

int RunSimulate(const CliOptions& options, const SimulateArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    auto drawing = std::make_unique<TDrawing>();
    LoaderWindowState window;
    if (const int code = LoadAndPlan(session, args, err, *drawing, window); code != kExitOk) return code;

    AcceptingPrompt prompt(&err);
    Materials::Services ms;
    ms.parameters = &session.Parameters();
    ms.messages = &session.Messages();
    ms.prompt = &prompt;
    Materials materials(ms);
    materials.Create();
    const int material = args.material >= 1 ? args.material : materials.Selected() + 1;

    // The cutting window's options as it opens: no rotary cut, the V2 bar at DefaultV2
    // within its range, Alg2 set.
    const TParameters& p = session.Parameters();
    SimulationInputs inputs;
    inputs.material = materials.Material(material);
    inputs.scalePercent = window.scalePercent;
    inputs.v2 =
        std::clamp(p.GetNumber("Ploter", "DefaultV2", 100), p.GetNumber("ParamsLimits", "VxyMin", 4),
                   std::max(p.GetNumber("ParamsLimits", "VxyMin", 4), p.GetNumber("ParamsLimits", "VxyMax", 60)));
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
                            {"steps", {Number(s.stepsX), Number(s.stepsY)}},
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
        ->check(CLI::Range(1, Materials::kMaterials));
    simulate->add_flag("--yes", args->yes,
                       "Interactive load: answer every question Yes, print every message to standard error");
    simulate->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunSimulate(options, *args, out, err);
        };
    });
}

}  // namespace wirvela
