#include "cli/ManualCommands.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

#include "cli/CliDevice.h"
#include "cli/CliSession.h"
#include "cli/ControllerReport.h"
#include "cli/ExitCode.h"
#include "cli/InterruptGuard.h"
#include "cli/MotionProgress.h"
#include "config/MessageFormat.h"
#include "config/NumberText.h"
#include "config/Prompt.h"
#include "config/SettingCheck.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/LinkStartup.h"
#include "controller/ManualControlEvents.h"
#include "cutting/InchText.h"
#include "cutting/MachineConstants.h"
#include "cutting/ManualMotion.h"
#include "platform/EventChannel.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

// The manual-control window's own refusal of a move (a distance it cannot show).
constexpr int kRefusedByTheWindow = -2;

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

// Where the controller's reports go while a motion runs: the event dispatch sees this as
// the manual-control window, which has no controls here.
class MotionReports : public ManualControlEvents {
public:
    explicit MotionReports(ControllerDispatcher& dispatcher)
        : dispatcher_(dispatcher), events_([this](int code, std::intptr_t) {
              lastEvent_ = code & 0xFFFF;
              dispatcher_.Dispatch(code);
              return std::intptr_t{0};
          }) {
        dispatcher_.SetManualControl(this);
    }
    ~MotionReports() override { dispatcher_.SetManualControl(nullptr); }
    MotionReports(const MotionReports&) = delete;
    MotionReports& operator=(const MotionReports&) = delete;

    EventChannel& Channel() { return events_; }
    // A motion was started: it runs until its end report or Stopped.
    void Started() { running_ = true; }
    bool Running() const { return running_; }
    // The last report; 0 before any.
    int LastEvent() const { return lastEvent_; }

    const EventChannel* Events() const override { return &events_; }
    void ShowStatus(std::string_view) override {}
    void EnableStart(bool) override {}
    void StopIndicator() override { running_ = false; }
    void SetErrorFlag() override {}
    bool MovingToStartCorner() const override { return false; }
    bool ExecutingPendantMove() const override { return false; }

private:
    ControllerDispatcher& dispatcher_;
    bool running_ = false;
    int lastEvent_ = 0;
    EventChannel events_;
};

// What the window's STOP button does: the cancel, and the motion no longer counts as running.
void Stop(ManualMotion& motion, MotionReports& reports) {
    motion.Stop();
    reports.StopIndicator();
}

// What the progress line of a motion shows: real time since the start and, on the
// simulated controller, the steps done along the longest axis (the table's for a turn).
class MotionWatch {
public:
    MotionWatch(Motion motion, SimulatedController* sim)
        : turn_(motion == Motion::Turn), sim_(sim), began_(std::chrono::steady_clock::now()) {
        if (sim_) start_ = sim_->Snapshot();
    }
    // The motion's size: x, y steps of a move or the table steps of a turn.
    void Aim(long long x, long long y) {
        alongY_ = !turn_ && std::llabs(y) > std::llabs(x);
        total_ = alongY_ ? std::llabs(y) : std::llabs(x);
    }

    MotionProgress Now() const {
        MotionProgress p;
        p.turn = turn_;
        p.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began_).count();
        p.total = total_;
        if (sim_) {
            const SimSnapshot s = sim_->Snapshot();
            const std::int64_t moved = turn_    ? s.table - start_.table
                                       : alongY_ ? s.ends[0].y - start_.ends[0].y
                                                 : s.ends[0].x - start_.ends[0].x;
            p.done = std::llabs(static_cast<long long>(moved));
        }
        return p;
    }

private:
    bool turn_;
    bool alongY_ = false;
    long long total_ = 0;
    SimulatedController* sim_;
    SimSnapshot start_;
    std::chrono::steady_clock::time_point began_;
};

// Handles the controller's reports until the motion has ended, the link's reader has ended,
// Ctrl+C stops it, or the simulated controller stays idle without an end report. With a
// progress line (standard error is a terminal), draws the motion's progress meanwhile.
RunEnd Follow(ManualMotion& motion, MotionReports& reports, SimulatedController* sim, const InterruptGuard& stop,
              const MotionWatch& watch, MotionProgressLine* line) {
    RunEnd result;
    bool idle = false;
    auto idleSince = std::chrono::steady_clock::now();
    while (reports.Running() || stop.Interrupted()) {
        if (!stop.Interrupted()) reports.Channel().WaitAndProcess(50);
        if (line && reports.Running() && !stop.Interrupted()) line->Update(watch.Now());
        if (stop.Interrupted()) {
            result.interrupted = true;
            Stop(motion, reports);
            return result;
        }
        if (!reports.Running()) break;
        if (ReaderEnded(reports.LastEvent())) break;  // no end report can arrive any more
        if (sim && sim->Snapshot().state == SimState::Idle) {
            const auto now = std::chrono::steady_clock::now();
            if (!idle) idleSince = now;
            idle = true;
            if (now - idleSince > std::chrono::seconds(3)) break;
        } else {
            idle = false;
        }
    }
    if (IsEndReport(reports.LastEvent()) && !reports.Running()) result.end = reports.LastEvent();
    if (ReaderEnded(reports.LastEvent())) result.end = reports.LastEvent();
    // Without its end report the motion may still be under way: it is stopped.
    if (!result.end || ReaderEnded(*result.end)) Stop(motion, reports);
    return result;
}

// A distance the inch fields cannot show: with Imperial units the window refuses the move.
bool BeyondInchFields(double mm) {
    double inches = 0;
    return !ParseInches(InchText(mm / kMmPerInch), inches);
}

int RunMotion(const CliOptions& options, const ManualArgs& args, Motion motion, std::ostream& out, std::ostream& err) {
    const bool finite = std::isfinite(args.dx) && std::isfinite(args.dy) && std::isfinite(args.degrees) &&
                        (!args.speed || std::isfinite(*args.speed));
    if (!finite) {
        err << "wirvela-cli: distances, speed and angle must be finite numbers\n";
        return kExitBadArgument;
    }
    InterruptGuard stop;
    CliSession session(options, err);
    if (!session.SettingsUsable(err)) return kExitNoSettings;
    AcceptingPrompt prompt(&err);
    ControllerDispatcher dispatcher(session.Messages(), prompt);

    LinkServices services;
    const CliDevice device = CliDevice::Open(args.device, args.speedUp, session, services);
    SimulatedController* sim = device.sim.get();

    const TParameters& parameters = session.Parameters();
    const MachineConstants machine = MachineConstants::Read(parameters);
    MotionReports reports(dispatcher);
    // After the reports: the link goes first, its reader delivers there.
    const LinkStartup up = LinkStartup::Run(services, &reports.Channel(), prompt, [](std::string_view) {});
    const std::unique_ptr<ComClass>& link = up.link;
    dispatcher.SetLink(link.get());
    if (!LinkStarted(up, session, err)) return stop.Interrupted() ? stop.ExitCode() : kExitNoLink;
    RunPhase("linked");

    // What the manual-control window would hold: its start values, the speed asked for
    // within the bar's limits.
    const ManualMotion::Limits limits = ManualMotion::Limits::Read(parameters);
    ManualMotion::Settings held = ManualMotion::Initial(machine, limits);
    if (args.speed) held.speed = limits.speed.Clamp(static_cast<long long>(std::trunc(*args.speed)));
    ManualMotion manual(link.get(), dispatcher, parameters, machine, held);

    // A machine setting edited by hand outside its domain (mmPerStep=abc, StepsPer360=0)
    // refuses the motion before anything is sent, and so does a distance or angle beyond
    // the controller's step counters (the motion would be cut short and still end as
    // "finished").
    const auto refusal = motion == Motion::Move ? manual.MoveRefusal(args.dx, args.dy, session.Messages())
                                                : manual.TurnRefusal(args.degrees, session.Messages());
    if (refusal) {
        err << "wirvela-cli: " << OneLine(refusal->text) << '\n';
        return refusal->messageKey == SettingProblem::kUnusableMessage ? kExitStartFailed : kExitBadArgument;
    }
    Json j{{"command", motion == Motion::Move ? "move" : "turn"}, {"device", args.device}};
    if (stop.Interrupted()) {
        // Stopped before the motion: the controller gets the cancel all the same.
        Stop(manual, reports);
        j["result"] = nullptr;
        j["end"] = nullptr;
        if (options.json) {
            out << j.dump(2) << '\n';
        } else {
            out << "not started, stopped by " << stop.Name() << '\n';
        }
        return stop.ExitCode();
    }
    MotionWatch watch(motion, sim);
    int result = 0;
    if (motion == Motion::Move) {
        const std::int32_t x = manual.TypedSteps(args.dx);
        const std::int32_t y = manual.TypedSteps(args.dy);
        const bool refused =
            parameters.GetFlag(settings::kImperial) && (BeyondInchFields(args.dx) || BeyondInchFields(args.dy));
        watch.Aim(x, y);
        result = refused ? kRefusedByTheWindow : manual.Move(x, y, 0);
        j["steps"] = {x, y};
        j["speed"] = held.speed;
        if (!options.json)
            out << "move: dx " << NumberToText(args.dx) << " mm, dy " << NumberToText(args.dy) << " mm = " << x << ", "
                << y << " steps at " << held.speed << " cm/min\n";
    } else {
        result = manual.Turn(args.degrees);
        const std::uint32_t aStep = static_cast<std::uint32_t>(link->StoredParameters().aStep);
        const long long tableSteps = (aStep & 0x80000000u) ? -static_cast<long long>(aStep & 0x7FFFFFFFu) : aStep;
        watch.Aim(tableSteps, 0);
        j["degrees"] = args.degrees;
        j["tableSteps"] = tableSteps;
        j["speed"] = held.speed;
        if (!options.json)
            out << "turn: " << NumberToText(args.degrees) << " degrees = " << tableSteps << " table steps\n";
    }
    if (result == STAT_OK) reports.Started();
    j["result"] = result;
    if (result != STAT_OK) {
        j["end"] = nullptr;
        j["text"] = OneLine(ControllerCodes::FormatCode(session.Messages(), result));
        if (options.json) {
            out << j.dump(2) << '\n';
        } else {
            out << "refused: " << result << j["text"].get<std::string>() << '\n';
        }
        return kExitStartFailed;
    }

    if (!stop.Interrupted()) RunPhase("running");
    MotionProgressLine line(err);
    const RunEnd run = Follow(manual, reports, sim, stop, watch, StandardErrorIsTerminal() ? &line : nullptr);
    line.Finish();
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
        if (run.interrupted) out << "stopped by " << stop.Name() << "\n";
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
    if (run.interrupted) return stop.ExitCode();
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
