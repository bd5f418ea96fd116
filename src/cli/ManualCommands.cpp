#include "cli/ManualCommands.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

#include "app/windows/ManualControl.h"
#include "cli/CliSession.h"
#include "cli/ControllerReport.h"
#include "cli/InterruptGuard.h"
#include "config/NumberText.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/SimulatedFtdi.h"
#include "platform/FtdiUsb.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

enum ExitCode {
    kExitOk = 0,
    kExitBadArgument = 2,
    kExitNoLink = 4,
    kExitRefused = 5,
    kExitRunFailed = 6,
    kExitInterrupted = 130,
};

struct ManualArgs {
    double dx = 0;
    double dy = 0;
    std::optional<double> speed;
    double degrees = 0;
    std::string device = "sim";
    double speedUp = 1.0;
};

enum class Motion { Move, Turn };

struct RunEnd {
    std::optional<int> end;  // the report that ended the run
    bool interrupted = false;
};

// Handles the controller's reports until the motion has ended, Ctrl+C stops it, or the
// simulated controller stays idle without an end report.
RunEnd Follow(ManualControl& window, SimulatedController* sim) {
    RunEnd result;
    InterruptGuard interrupt;
    bool idle = false;
    auto idleSince = std::chrono::steady_clock::now();
    while (window.MoveRunning()) {
        window.Channel().WaitAndProcess(50);
        if (!window.MoveRunning()) break;
        if (interrupt.Interrupted()) {
            result.interrupted = true;
            window.Stop();
            return result;
        }
        if (sim && sim->Snapshot().state == SimState::Idle) {
            const auto now = std::chrono::steady_clock::now();
            if (!idle) idleSince = now;
            idle = true;
            if (now - idleSince > std::chrono::seconds(3)) break;
        } else {
            idle = false;
        }
    }
    if (IsEndReport(window.LastEvent()) && !window.MoveRunning()) result.end = window.LastEvent();
    // Without its end report the motion may still be under way: it is stopped.
    if (!result.end) window.Stop();
    return result;
}

int RunMotion(const CliOptions& options, const ManualArgs& args, Motion motion, std::ostream& out, std::ostream& err) {
    const bool finite = std::isfinite(args.dx) && std::isfinite(args.dy) && std::isfinite(args.degrees) &&
                        (!args.speed || std::isfinite(*args.speed));
    if (!finite) {
        err << "wirvela-cli: distances, speed and angle must be finite numbers\n";
        return kExitBadArgument;
    }
    CliSession session(options, err);
    AcceptingPrompt prompt(&err);
    ControllerDispatcher dispatcher(session.Messages(), prompt);

    std::shared_ptr<SimulatedController> sim;
    std::unique_ptr<Ftdi> ftdi;
    ManualControl::Services services;
    if (args.device == "usb") {
        ftdi = std::make_unique<FtdiUsb>();
    } else {
        SimulatedControllerConfig config;
        config.speedUp = args.speedUp;
        sim = std::make_shared<SimulatedController>(config);
        ftdi = std::make_unique<SimulatedFtdi>(sim);
        services.link.identity = DeviceIdentity{0x0403, 0x6010, SimulatedFtdi::kSerialNumber};
    }
    services.link.parameters = &session.Parameters();
    services.link.messages = &session.Messages();
    services.link.ftdi = ftdi.get();
    services.link.directory = session.Directory();
    services.prompt = &prompt;
    services.dispatcher = &dispatcher;

    ManualControl window(services);
    const ManualControl::CreateOutcome up = window.Create();
    if (up.outcome == LinkStartup::Outcome::Exit || up.handshake != STAT_OK) {
        const int code = up.handshake >= 0 ? up.handshake : (window.Link() ? window.Link()->InitError() : 0);
        err << "wirvela-cli: the controller link could not be started:"
            << OneLine(ControllerCodes::FormatCode(session.Messages(), code)) << '\n';
        return kExitNoLink;
    }

    Json j{{"command", motion == Motion::Move ? "move" : "turn"}, {"device", args.device}};
    int result = 0;
    if (motion == Motion::Move) {
        if (args.speed) window.Edit1Changed(std::to_string(static_cast<long long>(std::trunc(*args.speed))));
        window.Edit4Changed(NumberToText(args.dx));
        window.Edit5Changed(NumberToText(args.dy));
        double scaling = session.Parameters().GetNumber(settings::kManualScaling);
        if (scaling == 0) scaling = 1;
        const std::int32_t x = window.Steps(args.dx / scaling);
        const std::int32_t y = window.Steps(args.dy / scaling);
        result = window.MoveByDistance(false);
        j["steps"] = {x, y};
        j["speed"] = window.Form().ScrollBar2.Position;
        if (!options.json)
            out << "move: dx " << NumberToText(args.dx) << " mm, dy " << NumberToText(args.dy) << " mm = " << x << ", "
                << y << " steps at " << window.Form().ScrollBar2.Position << " cm/min\n";
    } else {
        window.Edit6Changed(NumberToText(args.degrees));
        result = window.TurnByField(false);
        const std::uint32_t aStep = static_cast<std::uint32_t>(window.Link()->StoredParameters().aStep);
        const long long tableSteps = (aStep & 0x80000000u) ? -static_cast<long long>(aStep & 0x7FFFFFFFu) : aStep;
        j["degrees"] = args.degrees;
        j["tableSteps"] = tableSteps;
        j["speed"] = window.Form().ScrollBar2.Position;
        if (!options.json)
            out << "turn: " << NumberToText(args.degrees) << " degrees = " << tableSteps << " table steps\n";
    }
    j["result"] = result;
    if (result != STAT_OK) {
        j["end"] = nullptr;
        j["text"] = OneLine(ControllerCodes::FormatCode(session.Messages(), result));
        if (options.json) {
            out << j.dump(2) << '\n';
        } else {
            out << "refused: " << result << j["text"].get<std::string>() << '\n';
        }
        return kExitRefused;
    }

    const RunEnd run = Follow(window, sim.get());
    j["end"] = run.end ? Json(*run.end) : Json(nullptr);
    if (run.end) j["text"] = OneLine(ControllerCodes::FormatCode(session.Messages(), *run.end));
    if (sim) {
        const SimSnapshot s = sim->Snapshot();
        j["simulated"] = {{"ends", {{s.ends[0].x, s.ends[0].y}, {s.ends[1].x, s.ends[1].y}}},
                          {"table", s.table},
                          {"seconds", s.elapsedMs / 1000}};
    }
    if (options.json) {
        out << j.dump(2) << '\n';
    } else {
        if (run.interrupted) out << "stopped by Ctrl+C\n";
        if (run.end) {
            out << "ended: " << *run.end << j["text"].get<std::string>() << '\n';
        } else if (!run.interrupted) {
            out << "ended without the controller's end report\n";
        }
        if (sim) {
            const SimSnapshot s = sim->Snapshot();
            out << "wire end 1: " << s.ends[0].x << ", " << s.ends[0].y << " steps; wire end 2: " << s.ends[1].x << ", "
                << s.ends[1].y << " steps; table: " << s.table << " steps; " << s.elapsedMs / 1000 << " s simulated\n";
        }
    }
    if (run.interrupted) return kExitInterrupted;
    return run.end == STAT_END ? kExitOk : kExitRunFailed;
}

void AddDeviceOptions(CLI::App* command, ManualArgs& args) {
    command->add_option("--device", args.device, "sim (the simulated controller) or usb (the configured real device)")
        ->check(CLI::IsMember({"sim", "usb"}))
        ->capture_default_str();
    command
        ->add_option("--speedup", args.speedUp,
                     "Simulated controller: machine milliseconds per real millisecond (0: as fast as possible)")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
}

}  // namespace

void AddManualCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<ManualArgs>();

    CLI::App* move = app.add_subcommand("move", "Move the wire by a distance, as the manual-control window does");
    move->add_option("--dx", args->dx, "X distance, mm")->required();
    move->add_option("--dy", args->dy, "Y distance, mm")->required();
    move->add_option("--speed", args->speed, "Speed, cm/min (kept within the manual speed limits)");
    AddDeviceOptions(move, *args);
    move->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunMotion(options, *args, Motion::Move, out, err);
        };
    });

    CLI::App* turn = app.add_subcommand("turn", "Turn the rotary table by an angle, as the manual-control window does");
    turn->add_option("DEGREES", args->degrees, "Angle, degrees (negative: the other way)")->required();
    AddDeviceOptions(turn, *args);
    turn->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunMotion(options, *args, Motion::Turn, out, err);
        };
    });
}

}  // namespace wirvela
