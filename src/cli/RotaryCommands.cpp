#include "cli/RotaryCommands.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

#include "cli/CliDevice.h"
#include "cli/CliSession.h"
#include "cli/ControllerReport.h"
#include "cli/ExitCode.h"
#include "cli/InterruptGuard.h"
#include "cli/SimTrace.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/ControllerDispatcher.h"
#include "controller/LinkStartup.h"
#include "controller/RotaryEvents.h"
#include "drawing/Drawing.h"
#include "drawing/LineList.h"
#include "formats/DrawingLoader.h"
#include "formats/DxfReader.h"
#include "formats/HpglReader.h"
#include "platform/EventChannel.h"
#include "rotary/RotaryLink.h"
#include "rotary/RotaryRun.h"
#include "settings/MaterialStore.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

std::function<void(RotaryRun&, int)>& ProfileHook() {
    static std::function<void(RotaryRun&, int)> hook;
    return hook;
}

struct ProfileArgs {
    std::string file;
    int row = 1;
};

struct RotaryArgs {
    std::string project;
    int material = 0;  // 1 … 10; 0: the remembered one
    int heating = 0;   // 1 … 100; 0: the material's
    std::string device = "sim";
    double speedUp = 1.0;
    std::string trace;
};

// What the run says: the status line kept for the summary, every box on standard error
// with its message number.
class TerminalReport : public RotaryReport {
public:
    explicit TerminalReport(std::ostream& err) : err_(err) {}
    void Status(std::string_view text) override { status_ = text; }
    void Warning(const RunMessage& m) override {
        err_ << "wirvela-cli: message " << m.messageKey << ": " << OneLine(m.text) << '\n';
    }
    const std::string& LastStatus() const { return status_; }

protected:
    std::ostream& err_;
    std::string status_;
};

// A drawing with the settings the program derives at start-up, and the reader state.
struct ProfileDrawing {
    explicit ProfileDrawing(CliSession& session) { DeriveDrawingSettings(drawing, session.Parameters()); }
    TDrawing drawing;
    HpglPenState pens;
    TDxfReader dxf;
};

Json Vertex(const TDrawing& drawing, int v) {
    if (v < 0) return nullptr;
    return {{"vertex", v}, {"x", drawing.V()[v].x}, {"y", drawing.V()[v].y}};
}

int RunProfile(const CliOptions& options, const ProfileArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    ProfileDrawing d(session);
    TerminalReport report(err);
    RotaryRun run({&session.Parameters(), &session.Messages(), &d.drawing, &d.pens, &d.dxf, nullptr, nullptr}, report);
    const std::filesystem::path file(args.file);
    ProfileList list;
    list.Row(args.row).name = file.filename().string();
    run.SetProject(list, file.parent_path());
    ProfileOutcome outcome;
    const std::unique_ptr<TLineList> path = run.PrepareRow(args.row, outcome);
    const PreparedProfile& p = outcome.prepared;
    const bool prepared = path != nullptr;
    Json chained = Json::array();
    for (int i = 0; prepared && i <= path->LastIndex(); ++i)
        chained.push_back({(*path)[i].line, static_cast<int>((*path)[i].dir)});
    const Json start = prepared ? Vertex(d.drawing, p.start) : Json(nullptr);
    const Json end = prepared ? Vertex(d.drawing, p.end) : Json(nullptr);
    if (options.json) {
        out << Json{{"file", args.file}, {"row", args.row}, {"result", outcome.result}, {"start", start},
                    {"end", end},        {"ends", p.ends},  {"isolated", p.isolated},   {"branches", p.branches},
                    {"path", chained}}
                   .dump(2)
            << '\n';
    } else {
        out << "Profile: " << args.file << " as row " << args.row << '\n';
        out << "Result: " << outcome.result << '\n';
        if (prepared) {
            out << "Start: vertex " << p.start << " (" << start["x"] << ", " << start["y"] << ")\n";
            out << "End: vertex " << p.end << " (" << end["x"] << ", " << end["y"] << ")\n";
            out << "Path: " << chained.size() << " lines " << chained.dump() << '\n';
        }
        out << "Ends: " << p.ends << ", isolated points: " << p.isolated << ", branches: " << p.branches << '\n';
    }
    if (prepared) return kExitOk;
    return outcome.loaded ? kExitBadArgument : kExitUnreadable;
}

// The project run without a window: the controller's reports reach the event dispatch
// through this channel, which sends the next profile at the end of each program.
class TerminalRotary final : public RotaryEvents, public TerminalReport {
public:
    TerminalRotary(CliSession& session, ProfileDrawing& d, ControllerDispatcher& dispatcher, MessageLog& log,
                   std::ostream& err)
        : TerminalReport(err),
          run_({&session.Parameters(), &session.Messages(), &d.drawing, &d.pens, &d.dxf, &dispatcher, &log}, *this),
          channel_([this, &dispatcher](int code, std::intptr_t) {
              if (beforeDispatch_) beforeDispatch_(code);
              dispatcher.Dispatch(code);
              if (observer_) observer_(code);
              return std::intptr_t{0};
          }) {}

    RotaryRun& Run() { return run_; }
    EventChannel& Channel() { return channel_; }
    void SetEventObserver(std::function<void(int code)> observer) { observer_ = std::move(observer); }
    // Called with each event before the dispatch sees it (the end of a profile's program,
    // before the next profile is sent).
    void SetBeforeDispatch(std::function<void(int code)> hook) { beforeDispatch_ = std::move(hook); }
    bool RunStopped() const { return stopped_; }
    int StopResult() const { return stopResult_; }
    // A profile after the first could not be sent: no report will come.
    bool SendFailed() const { return sendFailed_; }
    const std::vector<ProfileOutcome>& Outcomes() const { return outcomes_; }

    int StopRun() {
        stopResult_ = run_.Stop();
        return stopResult_;
    }

    // ---- RotaryEvents ------------------------------------------------------------------
    const EventChannel* Events() const override { return &channel_; }
    void ShowStatus(std::string_view text) override { status_ = text; }
    void EnableStart(bool) override {}
    void EnableContinue(bool) override {}
    void EnableHold(bool) override {}
    bool LastProfile() const override { return run_.LastProfile(); }
    int CurrentRow() const override { return run_.CurrentRow(); }
    void MovePreviewToCurrentRow() override {}
    int SendNextProfile() override {
        const int result = run_.SendProfile();
        if (result != STAT_OK) sendFailed_ = true;
        return result;
    }
    void Stop() override { StopRun(); }

    // ---- RotaryReport ------------------------------------------------------------------
    void ProfileSent(const ProfileOutcome& o) override {
        outcomes_.push_back(o);
        if (o.result == STAT_OK && ProfileHook()) ProfileHook()(run_, o.row);
    }
    void Stopped() override { stopped_ = true; }

private:
    RotaryRun run_;
    std::vector<ProfileOutcome> outcomes_;
    bool stopped_ = false;
    bool sendFailed_ = false;
    int stopResult_ = 0;
    std::function<void(int)> observer_;
    std::function<void(int)> beforeDispatch_;
    // Declared last: closed first, so no event reaches a half-destroyed run.
    EventChannel channel_;
};

// The traces of all the programs of a run, in order.
class SimTraceCollector {
public:
    explicit SimTraceCollector(SimulatedController* sim) : sim_(sim) {}
    // Adds the trace of the simulator's last program unless it has been added.
    void Collect() {
        if (!sim_) return;
        const std::uint32_t runs = sim_->Snapshot().runs;
        if (runs == collected_) return;
        const std::vector<SimSample> part = sim_->Trace();
        samples_.insert(samples_.end(), part.begin(), part.end());
        collected_ = runs;
    }
    const std::vector<SimSample>& Samples() const { return samples_; }

private:
    SimulatedController* sim_;
    std::uint32_t collected_ = 0;
    std::vector<SimSample> samples_;
};

struct Followed {
    std::optional<int> end;  // the report that ended the project
    bool interrupted = false;
};

// Follows the project until its last profile has ended (the dispatch stops the run), an
// error report, a profile that could not be sent, the end of the link's reader, a stop
// signal, or (simulated controller) a controller that has stopped without a report.
Followed FollowProject(TerminalRotary& t, SimulatedController* sim, const InterruptGuard& stop) {
    Followed f;
    bool failed = false;
    t.SetEventObserver([&](int code) {
        if (code == STAT_END && t.RunStopped()) f.end = code;
        if (code == STAT_ERR_OVERR || code == STAT_ERR_IPWM || ReaderEnded(code)) {
            f.end = code;
            failed = true;
        }
    });
    bool idle = false;
    auto idleSince = std::chrono::steady_clock::now();
    while (!f.end && !stop.Interrupted() && !t.SendFailed() && !t.RunStopped()) {
        t.Channel().WaitAndProcess(50);
        if (!sim || f.end) continue;
        if (sim->Snapshot().state != SimState::Idle) {
            idle = false;
            continue;
        }
        if (!idle) idleSince = std::chrono::steady_clock::now();
        idle = true;
        if (std::chrono::steady_clock::now() - idleSince > std::chrono::seconds(3)) break;
    }
    t.SetEventObserver({});
    f.interrupted = stop.Interrupted();
    if (!t.RunStopped() && (failed || f.interrupted || !f.end)) t.StopRun();
    return f;
}

Json OutcomeJson(const ProfileOutcome& o) {
    return {{"row", o.row},
            {"file", o.file},
            {"result", o.result},
            {"lines", o.streamed.lines},
            {"steps", {o.streamed.dx, o.streamed.dy}},
            {"turnSteps", o.turn ? Json(*o.turn) : Json(nullptr)}};
}

int RunRotary(const CliOptions& options, const RotaryArgs& args, std::ostream& out, std::ostream& err) {
    InterruptGuard stop;
    CliSession session(options, err);
    if (!session.SettingsUsable(err)) return kExitNoSettings;
    ProfileList list;
    const HprOutcome read = ReadHprFile(args.project, list, session.Messages());
    if (!read.Ok()) {
        err << "wirvela-cli: message " << read.message << ": " << OneLine(read.text) << '\n';
        return kExitUnreadable;
    }
    TParameters& p = session.Parameters();
    const int index = args.material >= 1 ? args.material - 1 : ReadSelectedMaterial(p);
    StoreSelectedMaterial(p, index);
    const MaterialValues material = ReadMaterial(p, index + 1);

    ProfileDrawing d(session);
    AcceptingPrompt prompt(&err);
    MessageLog log;
    ControllerDispatcher dispatcher(session.Messages(), prompt, &log);
    LinkServices services;
    const CliDevice device = CliDevice::Open(args.device, args.speedUp, session, services);
    SimulatedController* sim = device.sim.get();
    TerminalRotary t(session, d, dispatcher, log, err);
    // The simulator keeps the trace of its last program only: each profile's is taken
    // when its program ends, before the next one starts.
    SimTraceCollector traces(sim);
    t.SetBeforeDispatch([&traces](int code) {
        if (code == STAT_END) traces.Collect();
    });
    services.messageLog = &log;
    RunPhase("loaded");
    LinkStartup up = LinkStartup::Run(services, &t.Channel(), prompt, [](std::string_view) {});
    if (!LinkStarted(up, session, err)) return stop.Interrupted() ? stop.ExitCode() : kExitNoLink;
    ComClass& link = *up.link;
    ComRotaryLink rotaryLink(link);
    RotaryRun& run = t.Run();
    run.SetLink(&rotaryLink);
    run.SetProject(list, std::filesystem::path(args.project).parent_path());
    run.SetMaterial(material);
    run.SetHeating(args.heating >= 1 ? args.heating : material.t);
    dispatcher.SetLink(&link);
    dispatcher.SetRotary(&t);

    RunPhase("linked");
    const bool startAllowed = !stop.Interrupted();
    const int result = startAllowed ? run.Start() : RotaryRun::kEmptyList;
    Followed followed;
    if (result == STAT_OK) {
        RunPhase("running");
        followed = FollowProject(t, sim, stop);
    } else if (stop.Interrupted()) {
        followed.interrupted = true;
        t.StopRun();
    }
    t.Channel().ProcessPending();
    std::string saveError;
    if (!p.SaveAll(&saveError)) err << "wirvela-cli: settings not saved: " << saveError << '\n';

    link.SetEventWindow(nullptr);
    run.SetLink(nullptr);
    dispatcher.SetLink(nullptr);
    up.link.reset();
    std::optional<SimSnapshot> snapshot;
    if (sim) snapshot = sim->Snapshot();
    traces.Collect();
    if (sim && !args.trace.empty()) WriteTrace(args.trace, traces.Samples(), err);

    const bool finished = followed.end == STAT_END && t.RunStopped();
    if (options.json) {
        Json profiles = Json::array();
        for (const ProfileOutcome& o : t.Outcomes()) profiles.push_back(OutcomeJson(o));
        out << Json{{"project", args.project},
                    {"material", index + 1},
                    {"heating", run.Heating()},
                    {"result", result},
                    {"profiles", profiles},
                    {"end", followed.end ? Json(*followed.end) : Json(nullptr)},
                    {"stop", t.RunStopped() ? Json(t.StopResult()) : Json(nullptr)},
                    {"tableSteps", snapshot ? Json(snapshot->table) : Json(nullptr)},
                    {"programs", snapshot ? Json(snapshot->runs) : Json(nullptr)}}
                   .dump(2)
            << '\n';
    } else {
        out << "Project: " << args.project << " (" << read.rows << " rows)\n";
        out << "Material: " << index + 1 << " (" << material.name << "), heating " << run.Heating() << " %\n";
        for (const ProfileOutcome& o : t.Outcomes()) {
            out << "Row " << o.row << ": " << o.file << ", result " << o.result << ", " << o.streamed.lines
                << " lines, steps (" << o.streamed.dx << ", " << o.streamed.dy << ")";
            if (o.turn) out << ", turn " << *o.turn << " steps";
            out << '\n';
        }
        if (followed.interrupted) {
            out << "End: stopped (" << stop.Name() << ")\n";
        } else if (followed.end) {
            out << "End: " << *followed.end << OneLine(ControllerCodes::FormatCode(session.Messages(), *followed.end))
                << '\n';
        } else if (result != STAT_OK) {
            out << "Start: " << result << ' ' << OneLine(t.LastStatus()) << '\n';
        } else {
            out << "End: no end report\n";
        }
        if (snapshot) out << "Table: " << snapshot->table << " steps\n";
    }
    if (followed.interrupted) return stop.ExitCode();
    if (result != STAT_OK) return kExitStartFailed;
    return finished ? kExitOk : kExitRunFailed;
}

}  // namespace

void SetRotaryProfileHook(std::function<void(RotaryRun&, int row)> hook) {
    ProfileHook() = std::move(hook);
}

void AddRotaryCommands(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto profileArgs = std::make_shared<ProfileArgs>();
    CLI::App* profile =
        app.add_subcommand("profile", "Load one rotary profile and prepare it as a rotary project cuts it");
    profile->add_option("FILE", profileArgs->file, "Profile drawing (.plt, .dxf)")->required();
    profile
        ->add_option("--row", profileArgs->row, "Project row it is cut as: odd rows left to right, even right to left")
        ->check(CLI::Range(1, ProfileList::kLastRow))
        ->capture_default_str();
    profile->callback([&options, &action, profileArgs] {
        action = [&options, profileArgs](std::ostream& out, std::ostream& err) {
            return RunProfile(options, *profileArgs, out, err);
        };
    });

    auto rotaryArgs = std::make_shared<RotaryArgs>();
    CLI::App* rotary = app.add_subcommand(
        "rotary", "Run a rotary project (.hpr): on the simulated controller, or with --device usb on the machine");
    rotary->add_option("PROJECT", rotaryArgs->project, "Rotary project (.hpr)")->required();
    rotary->add_option("--material", rotaryArgs->material, "Material number 1 … 10 (default: the remembered one)")
        ->check(CLI::Range(1, 10));
    rotary->add_option("--heating", rotaryArgs->heating, "Heating, per cent 1 … 100 (default: the material's)")
        ->check(CLI::Range(1, 100));
    AddDeviceOptions(rotary, rotaryArgs->device, rotaryArgs->speedUp, rotaryArgs->trace);
    rotary->callback([&options, &action, rotaryArgs] {
        action = [&options, rotaryArgs](std::ostream& out, std::ostream& err) {
            return RunRotary(options, *rotaryArgs, out, err);
        };
    });
}

}  // namespace wirvela
