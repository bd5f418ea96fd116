#include "cli/CutCommands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

#include "cli/CliDevice.h"
#include "cli/CliSession.h"
#include "cli/ControllerReport.h"
#include "cli/DrawingSession.h"
#include "cli/ExitCode.h"
#include "cli/InterruptGuard.h"
#include "cli/SimTrace.h"
#include "config/MessageLog.h"
#include "config/NumberText.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/CuttingEvents.h"
#include "controller/LinkStartup.h"
#include "cutting/CutSetup.h"
#include "cutting/CuttingRun.h"
#include "cutting/WireWear.h"
#include "platform/EventChannel.h"
#include "settings/MaterialStore.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct CutArgs {
    std::string file;
    int material = 0;  // 1 … 10; 0: the remembered one
    std::string device = "sim";
    double speedUp = 1.0;
    bool yes = false;
    std::string trace;
};

// The cut as the cutting window sets it up when it opens and the material is chosen:
// the material (remembered as Ostatni, as the window's selection stores it), the options
// of the opening window and the estimate.
struct PlannedCut {
    int index = 0;  // material, 0-based
    CutSetup setup;
    CutEstimate estimate;
};

PlannedCut PlanCut(CliSession& session, DrawingSession& loaded, int material) {
    TParameters& p = session.Parameters();
    PlannedCut cut;
    cut.index = material >= 1 ? material - 1 : ReadSelectedMaterial(p);
    StoreSelectedMaterial(p, cut.index);
    cut.setup =
        CutSetup::FromStore(p, ReadMaterial(p, cut.index + 1), CutOptions::FromStore(p), loaded.Window().scalePercent);
    cut.estimate = cut.setup.Estimate(loaded.Drawing());
    return cut;
}

std::string MaterialText(const PlannedCut& cut) {
    return std::to_string(cut.index + 1) + " (" + cut.setup.material.name + ")";
}

int RunEstimate(const CliOptions& options, const CutArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    DrawingSession loaded(session);
    loaded.LoadAndJoin(args.file, args.yes, err);
    if (const int code = loaded.RequireCutPath(args.file, err, DrawingSession::Wording::WithReason); code != kExitOk)
        return code;
    const PlannedCut cut = PlanCut(session, loaded, args.material);
    const CutEstimate& e = cut.estimate;
    if (options.json) {
        out << Json{{"seconds", e.seconds}, {"lengthMetres", e.lengthMetres}, {"duration", DurationText(e.seconds)}}
                   .dump(2)
            << '\n';
        return kExitOk;
    }
    out << "File: " << args.file << '\n';
    out << "Material: " << MaterialText(cut) << '\n';
    out << "Estimated duration: " << DurationText(e.seconds) << " (" << e.seconds << " s)\n";
    out << "Length of the cut: " << MetresText(e.lengthMetres) << " m\n";
    return kExitOk;
}

// The cut on the controller without a window: the run reports to the terminal (the last
// status text is kept for the summary, boxes and questions go to the prompt), and the
// controller's reports reach the event dispatch through this channel, as they reach the
// cutting window's.
class TerminalCut final : public CuttingEvents, private CutReport {
public:
    TerminalCut(CliSession& session, DrawingSession& loaded, Prompt& prompt, ControllerDispatcher& dispatcher,
                MessageLog& log)
        : parameters_(session.Parameters()),
          prompt_(prompt),
          run_(CuttingRun::Services{&session.Parameters(), &session.Messages(), &loaded.Drawing(), &dispatcher, &log},
               *this),
          channel_([this, &dispatcher](int code, std::intptr_t) {
              dispatcher.Dispatch(code);
              if (observer_) observer_(code);
              return std::intptr_t{0};
          }) {}

    EventChannel& Channel() { return channel_; }
    void SetLink(ComClass* link) { run_.SetLink(link); }
    // Called after each event has been handled.
    void SetEventObserver(std::function<void(int code)> observer) { observer_ = std::move(observer); }

    // Start with the wear counters as the store holds them. The status line starts empty,
    // as the window's opens.
    int Start(const PlannedCut& cut, bool interactive) {
        status_.clear();
        v2_ = cut.setup.options.v2;
        startCalled_ = true;
        WireWear wear = WireWear::FromStore(parameters_);
        return run_.Start(cut.setup, cut.estimate, wear, interactive);
    }
    // Stop; then DefaultV2 is stored as the cutting window's close stores its V2 bar.
    int Stop(bool interactive) {
        const int result = run_.Stop(interactive);
        if (startCalled_) parameters_.SetText(settings::kDefaultV2, NumberToText(v2_));
        stopped_ = true;
        return result;
    }
    bool Stopped() const { return stopped_; }
    const std::string& LastStatus() const { return status_; }

    // ---- CuttingEvents -----------------------------------------------------------------
    const EventChannel* Events() const override { return &channel_; }
    void ShowStatus(std::string_view text) override { status_ = text; }
    void EnableStart(bool) override {}
    void EnableContinue(bool) override {}
    void EnableHold(bool) override {}
    void Stop() override { Stop(run_.StartedInteractive()); }

private:
    // ---- CutReport ---------------------------------------------------------------------
    void Status(std::string_view text) override { status_ = text; }
    void Starting() override { RunPhase("block"); }
    void Warning(const RunMessage& message) override { Ask(message, PromptButtons::Ok); }
    bool Question(const RunMessage& message) override {
        return Ask(message, PromptButtons::YesNo) == PromptAnswer::Yes;
    }
    PromptAnswer Ask(const RunMessage& message, PromptButtons buttons) {
        return prompt_.Ask({message.text, message.caption, PromptIcon::Warning, buttons, message.messageKey});
    }

    TParameters& parameters_;
    Prompt& prompt_;
    CuttingRun run_;
    double v2_ = 0;
    bool startCalled_ = false;
    bool stopped_ = false;
    std::string status_;
    std::function<void(int)> observer_;
    // Declared last: closed first, so no event reaches a half-destroyed cut.
    EventChannel channel_;
};

// The progress bar on standard error: done share of the estimate and the time left, in
// machine time.
class ProgressBar {
public:
    explicit ProgressBar(std::ostream& err) : err_(err) {}

    void Show(double doneMs, double totalMs) {
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        shown_ = true;
        const double share = totalMs > 0 ? std::clamp(doneMs / totalMs, 0.0, 1.0) : 0.0;
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(share * kWidth);
        const long long left = static_cast<long long>(std::max(0.0, totalMs - doneMs) / 1000.0 + 0.5);
        err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(kWidth - filled), '-') << "] " << static_cast<int>(share * 100)
             << "%  " << DurationText(left) << " left\x1b[K" << std::flush;
    }
    void Finish() {
        if (shown_) err_ << '\n';
    }

private:
    std::ostream& err_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_;
};

struct RunOutcome {
    std::optional<int> end;  // the report that ended the run
    bool interrupted = false;
    // The first switch the wire ran into: the controller goes on with the program, so the
    // part is not what was drawn although the run ends normally.
    std::optional<int> limitSwitch;
};

// Follows the run until its end report, the end of the link's reader (no report can come
// after it), Ctrl+C, or (simulated controller) a controller that has stopped without one.
RunOutcome FollowRun(TerminalCut& cut, double estimateMs, const CutArgs& args, SimulatedController* sim,
                     const InterruptGuard& stop, std::ostream& err) {
    RunOutcome outcome;
    const bool terminal = StandardErrorIsTerminal();
    ProgressBar bar(err);
    const auto started = std::chrono::steady_clock::now();
    bool idle = false;
    auto idleSince = started;
    cut.SetEventObserver([&outcome](int code) {
        if (!outcome.end && (IsEndReport(code) || ReaderEnded(code))) outcome.end = code;
        if (!outcome.limitSwitch && IsLimitSwitch(code) && code != kAllSwitchesOpen) outcome.limitSwitch = code;
    });
    while (!outcome.end && !stop.Interrupted()) {
        cut.Channel().WaitAndProcess(50);
        if (outcome.end || stop.Interrupted()) break;
        double doneMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        if (sim) {
            const SimSnapshot s = sim->Snapshot();
            doneMs = s.elapsedMs;
            // The end report is sent before the controller reads as idle; a controller that
            // stays idle without one has lost it.
            if (s.state == SimState::Idle) {
                if (!idle) idleSince = std::chrono::steady_clock::now();
                idle = true;
                if (std::chrono::steady_clock::now() - idleSince > std::chrono::seconds(3)) break;
            } else {
                idle = false;
            }
        }
        if (terminal) bar.Show(doneMs, estimateMs);
    }
    cut.SetEventObserver({});
    bar.Finish();
    // A stop request cancels the program whatever it was doing, even one just ended: the
    // cancel costs nothing and the machine is certainly still.
    if (stop.Interrupted()) {
        outcome.interrupted = true;
        if (!cut.Stopped()) cut.Stop(args.yes);
    }
    // A controller error leaves the program held, a lost reader a program nobody watches;
    // without an operator the run is ended.
    if (outcome.end && *outcome.end != STAT_END && !cut.Stopped()) cut.Stop(args.yes);
    if (!outcome.end && !outcome.interrupted && !cut.Stopped()) cut.Stop(args.yes);
    return outcome;
}

std::string CodeText(CliSession& session, int code) {
    return ControllerCodes::FormatCode(session.Messages(), code);
}

int RunCut(const CliOptions& options, const CutArgs& args, std::ostream& out, std::ostream& err) {
    InterruptGuard stop;
    CliSession session(options, err);
    if (!session.SettingsUsable(err)) return kExitNoSettings;
    DrawingSession loaded(session);
    loaded.LoadAndJoin(args.file, args.yes, err);
    if (const int code = loaded.RequireCutPath(args.file, err, DrawingSession::Wording::WithReason); code != kExitOk)
        return code;
    TDrawing& drawing = loaded.Drawing();

    AcceptingPrompt prompt(&err);
    MessageLog log;
    ControllerDispatcher dispatcher(session.Messages(), prompt, &log);

    LinkServices services;
    const CliDevice device = CliDevice::Open(args.device, args.speedUp, session, services);
    SimulatedController* sim = device.sim.get();

    TerminalCut cut(session, loaded, prompt, dispatcher, log);
    services.messageLog = &log;
    services.cuttingStatus = [&cut](std::string_view text) { cut.ShowStatus(text); };
    services.twoFigureDrawing = [&drawing] { return drawing.Set(TDrawing::kFigure2).V.Count() > 0; };
    RunPhase("loaded");
    LinkStartup up = LinkStartup::Run(services, &cut.Channel(), prompt, [](std::string_view) {});
    if (!LinkStarted(up, session, err)) return stop.Interrupted() ? stop.ExitCode() : kExitNoLink;
    ComClass& link = *up.link;
    std::uint64_t frames = 0;
    link.SetFrameObserver([&frames](const Frame& f) {
        if ((f[0] >= cmd::C_LINEX && f[0] <= cmd::C_LINEYD) || f[0] == cmd::C_TURN) ++frames;
    });
    cut.SetLink(&link);
    dispatcher.SetLink(&link);
    dispatcher.SetCutting(&cut);
    const PlannedCut planned = PlanCut(session, loaded, args.material);

    RunPhase("linked");
    RunOutcome outcome;
    // Stopped before the start: the controller gets the cancel all the same, so whatever a
    // previous program left running is stopped too.
    const bool startAllowed = !stop.Interrupted();
    const int result = startAllowed ? cut.Start(planned, args.yes) : CuttingRun::kFailed;
    const std::uint32_t blockBytes = link.BlockLength();
    if (result == STAT_OK) RunPhase("running");
    if (result == STAT_OK || stop.Interrupted()) {
        outcome = FollowRun(cut, planned.estimate.milliseconds, args, sim, stop, err);
    }
    cut.Channel().ProcessPending();

    // The program's end: the store is written back (the wear counters).
    std::string saveError;
    if (!session.Parameters().SaveAll(&saveError)) err << "wirvela-cli: settings not saved: " << saveError << '\n';

    // The link goes before the channel it delivers to.
    link.SetEventWindow(nullptr);
    cut.SetLink(nullptr);
    dispatcher.SetLink(nullptr);
    up.link.reset();

    const CutEstimate& estimate = planned.estimate;
    const double wearTime = session.Parameters().GetNumber(settings::kCzasDrutu);
    const double wearLength = session.Parameters().GetNumber(settings::kDlugDrutu);
    const bool twoFigures = drawing.Set(TDrawing::kFigure2).V.Count() > 0;
    std::optional<SimSnapshot> snapshot;
    if (sim) snapshot = sim->Snapshot();
    if (sim && !args.trace.empty()) WriteTrace(args.trace, sim->Trace(), err);

    if (options.json) {
        Json simulated = nullptr;
        if (snapshot) {
            // Figure 1 drives wire end 2 in a two-figure program, figure 2 wire end 1.
            Json figures = Json::array();
            const std::vector<int> order = twoFigures ? std::vector<int>{1, 0} : std::vector<int>{0};
            for (int end : order) {
                const SimPoint& p = snapshot->ends[static_cast<std::size_t>(end)];
                figures.push_back({{"end", {p.x, p.y}}});
            }
            simulated = {{"seconds", snapshot->elapsedMs / 1000.0},
                         {"figures", std::move(figures)},
                         {"tableSteps", snapshot->table}};
        }
        out << Json{{"result", result},
                    {"end", outcome.end ? Json(*outcome.end) : Json(nullptr)},
                    {"estimateSeconds", estimate.seconds},
                    {"lengthMetres", estimate.lengthMetres},
                    {"frames", frames},
                    {"blockBytes", blockBytes},
                    {"simulated", std::move(simulated)},
                    {"wear", {{"CzasDrutu", wearTime}, {"DlugDrutu", wearLength}}}}
                   .dump(2)
            << '\n';
    } else {
        out << "File: " << args.file << (twoFigures ? " (two figures)" : "") << '\n';
        out << "Material: " << MaterialText(planned) << '\n';
        out << "Estimated duration: " << DurationText(estimate.seconds) << ", length "
            << MetresText(estimate.lengthMetres) << " m\n";
        out << "Program: " << frames << " line and turn frames, " << blockBytes << " block bytes\n";
        if (startAllowed) {
            out << "Start: " << result;
            if (result != STAT_OK) out << ' ' << OneLine(cut.LastStatus());
        } else {
            out << "Start: not started, stopped by " << stop.Name();
        }
        out << '\n';
        if (result == STAT_OK) {
            out << "End: ";
            if (outcome.interrupted) {
                out << "stopped (" << stop.Name() << ")\n";
            } else if (outcome.end) {
                out << *outcome.end << OneLine(CodeText(session, *outcome.end)) << '\n';
            } else {
                out << "no end report\n";
            }
            if (outcome.limitSwitch) {
                out << "Limit switch: " << *outcome.limitSwitch << OneLine(CodeText(session, *outcome.limitSwitch))
                    << '\n';
            }
        }
        if (snapshot) {
            out << "Simulated time: " << DurationText(static_cast<long long>(snapshot->elapsedMs / 1000.0)) << " ("
                << snapshot->elapsedMs / 1000.0 << " s)\n";
            out << "Wire ends: (" << snapshot->ends[0].x << ", " << snapshot->ends[0].y << ") and ("
                << snapshot->ends[1].x << ", " << snapshot->ends[1].y << ") steps, table " << snapshot->table
                << " steps\n";
        }
        out << "Wire wear: " << wearTime << " min, " << wearLength << " m\n";
    }

    if (outcome.interrupted) return stop.ExitCode();
    if (result != STAT_OK) return kExitStartFailed;
    if (!outcome.end || *outcome.end != STAT_END) return kExitRunFailed;
    return kExitOk;
}

void AddFileOptions(CLI::App* command, CutArgs& args) {
    command->add_option("FILE", args.file, "Drawing file (.plt, .dxf)")->required();
    command->add_option("--material", args.material, "Material number 1 … 10 (default: the remembered one)")
        ->check(CLI::Range(1, settings::kMaterialSections));
    command->add_flag("--yes", args.yes,
                      "Interactive: answer every question Yes, print every message to standard error");
}

}  // namespace

void AddCutCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto estimateArgs = std::make_shared<CutArgs>();
    CLI::App* estimate =
        app.add_subcommand("estimate", "Load and plan a drawing and print the cutting window's time estimate");
    AddFileOptions(estimate, *estimateArgs);
    estimate->callback([&options, &action, estimateArgs] {
        action = [&options, estimateArgs](std::ostream& out, std::ostream& err) {
            return RunEstimate(options, *estimateArgs, out, err);
        };
    });

    auto cutArgs = std::make_shared<CutArgs>();
    CLI::App* cut = app.add_subcommand(
        "cut", "Load and plan a drawing and cut it: on the simulated controller, or with --device usb on the machine");
    AddFileOptions(cut, *cutArgs);
    AddDeviceOptions(cut, cutArgs->device, cutArgs->speedUp, cutArgs->trace);
    cut->callback([&options, &action, cutArgs] {
        action = [&options, cutArgs](std::ostream& out, std::ostream& err) {
            return RunCut(options, *cutArgs, out, err);
        };
    });
}

}  // namespace wirvela
