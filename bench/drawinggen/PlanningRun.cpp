#include "drawinggen/PlanningRun.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "formats/DxfReader.h"
#include "formats/HpglReader.h"
#include "planning/FigureSeparation.h"
#include "platform/Clock.h"
#include "platform/EventChannel.h"
#include "platform/Sync.h"

namespace wirvela::drawinggen {

namespace {

// The messages a run shows on the status panels and in the log, with their numbers
// (progress counts, percentages, object and line counts) kept visible; 196 would carry
// the elapsed seconds and so is given none.
constexpr const char* kLocalTxt =
    "[Present]\nPresent=1\n[Strings]\n"
    "00003=split ends %d of %d\n00004=split crossings %d of %d\n00005=merge\n"
    "00006=duplicates %d of %d\n00007=\"objects now \"\n00008=\" .\"\n00009=\"objects \"\n00010=\"lines \"\n"
    "00015=joining\n00016=no path\n00017=entry line\n00018=path search\n"
    "00180=limit %d\n00181=bad vertex\n00194=distances %d%%\n00196=path ready\n";

std::string Number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// The state of a fresh drawing, but for the records beyond the tables' counts, which
// are left over (clearing a table writes all its records: far more work than a small
// run).
void EmptyDrawing(TDrawing& d) {
    for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) {
        TDrawingSet& set = d.Set(s);
        set.L.Truncate(0);
        set.V.Truncate(0);
        set.oelems = -1;
        set.cutPath.reset();
        set.simLines.reset();
    }
    d.SelectFigure(TDrawing::kFigure1);
    d.Oelems() = -1;
    d.SetTwoFigures(false);
}

// Adds the seconds of a timing line ("<prefix><seconds>s") to its phase.
void AddPhase(std::string_view line, PhaseSeconds& phases) {
    const struct {
        std::string_view prefix;
        double PhaseSeconds::*phase;
    } kPhases[] = {{"Wczytanie pliku= ", &PhaseSeconds::load},
                   {"Planaryzacja    = ", &PhaseSeconds::splitting},
                   {"Łączenie      = ", &PhaseSeconds::joining},
                   {"Ścieżka = ", &PhaseSeconds::pathSearch}};
    for (const auto& p : kPhases) {
        if (line.substr(0, p.prefix.size()) != p.prefix) continue;
        const std::string number(line.substr(p.prefix.size()));
        phases.*p.phase += std::strtod(number.c_str(), nullptr);
    }
}

}  // namespace

std::string RunSettings::Describe() const {
    return std::string("CrossingTest=") + (crossingTest ? "1" : "0") + " ConModif=" + Number(conModif) +
           " TestDuplicates=" + (testDuplicates ? "1" : "0") + " Cone=" + (twoFigureMode ? "1" : "0") +
           " crossingSplit=" + (splitConnecting ? "1" : "0") + " WejscieX=" + Number(entryXmm) +
           " WejscieY=" + Number(entryYmm);
}

PlanningRun::PlanningRun(std::filesystem::path directory)
    : directory_(std::move(directory)),
      drawing_(std::make_unique<TDrawing>()),
      parameters_(std::make_unique<TParameters>()),
      messages_(std::make_unique<TMessages>()) {
    std::filesystem::create_directories(directory_);
    std::ofstream(directory_ / "local.txt", std::ios::binary) << kLocalTxt;
    // Every key a run sets, so that SetText finds it in the store.
    std::ofstream(directory_ / "wirvela.ini", std::ios::binary)
        << "[Ploter]\nSkalaHPGL=0.025\nCrossingTest=0\nConModif=0\nTestDuplicates=1\nCone=0\nWejscieX=0\n"
           "WejscieY=0\n";
    std::ofstream(directory_ / "no-duplicate-test.ini", std::ios::binary) << "[Ploter]\nTestDuplicates=0\n";
    // Loading a settings file is slow next to a small run: the store is loaded once and
    // changed in memory from run to run.
    parameters_->Load(directory_, "wirvela.ini", "local.txt");
    if (messages_->CheckLocalFile(directory_)) messages_->LoadMessages();
}

PlanningRun::~PlanningRun() = default;

void PlanningRun::ApplySettings(const RunSettings& s) {
    TParameters& p = *parameters_;
    p.SetText("Ploter", "CrossingTest", s.crossingTest ? "1" : "0");
    p.SetText("Ploter", "ConModif", Number(s.conModif));
    p.SetText("Ploter", "TestDuplicates", s.testDuplicates ? "1" : "0");
    p.SetText("Ploter", "Cone", s.twoFigureMode ? "1" : "0");
    p.SetText("Ploter", "WejscieX", Number(s.entryXmm));
    p.SetText("Ploter", "WejscieY", Number(s.entryYmm));
}

RunResult PlanningRun::Run(const std::filesystem::path& file, const RunSettings& settings) {
    return Execute(&file, {}, settings);
}

RunResult PlanningRun::RunText(std::string_view hpgl, const RunSettings& settings) {
    return Execute(nullptr, hpgl, settings);
}

RunResult PlanningRun::Execute(const std::filesystem::path* file, std::string_view hpgl,
                               const RunSettings& settings) {
    ApplySettings(settings);
    const TParameters& parameters = *parameters_;
    const TMessages& messages = *messages_;

    RunResult result;
    PlanSnapshot& snap = result.snapshot;
    // The hook runs under the log's own lock, on whichever thread logs.
    MessageLog log(directory_, MessageLogSwitches{true, false, false});
    // The loader's line after it let the worker run races with the worker's first lines.
    PhaseSeconds& phases = result.phases;
    log.SetMemoHook([&snap, &phases](std::string_view line) {
        if (line != ">Wczytaj():after ResumeThread") snap.log.push_back(BlankTimings(line));
        AddPhase(line, phases);
    });

    const auto started = std::chrono::steady_clock::now();
    TDrawing& drawing = *drawing_;
    EmptyDrawing(drawing);
    DeriveDrawingSettings(drawing, parameters);
    RecursiveTimedMutex mutex;
    HpglPenState pens;
    AcceptingPrompt prompt;
    LoaderWindowState window;

    EventChannel mainWindow([&snap](int code, std::intptr_t arg) -> std::intptr_t {
        if (code >= kEventStatusPanel0 && code <= kEventStatusText) {
            snap.events.push_back(std::to_string(code) + ":" + ConnectEventText(arg));
        } else {
            snap.events.push_back(std::to_string(code) + "=" + std::to_string(arg));
        }
        return 0;
    });
    ConnectContext cc(drawing, &mutex, parameters, messages, log, window);
    cc.prompt = &prompt;
    cc.mainWindow = &mainWindow;
    // The path search reads `TestDuplicates` from the file itself; no file means its
    // default, 1.
    if (!settings.testDuplicates) cc.iniFile = directory_ / "no-duplicate-test.ini";
    cc.planner = settings.planner;
    cc.clearPendingMultiplication = [&window] { window.pendingMultiplication = 0; };
    std::optional<TConnectCommand> connect;
    connect.emplace(std::move(cc));
    connect->SetCrossingSplit(settings.splitConnecting);
    const std::uint64_t loadStart = TickCount64();

    if (file != nullptr) {
        TDxfReader dxf;
        LoaderContext context(drawing, &mutex, parameters, messages, log, &prompt, pens, window);
        context.dxf = &dxf;
        SeparationEnv env;
        env.messages = &messages;
        env.log = &log;
        context.separation = FigureSeparationFor(drawing, env);
        context.connect.start = [&connect, loadStart](int interactive) {
            return connect->StartConnect(interactive, loadStart);
        };
        context.connect.resume = [&connect] { connect->Resume(); };
        LoadReport load;
        snap.loadResult = LoadDrawing(context, *file, 1, &load);
        snap.failure = load.failure;
    } else {
        snap.loadResult = ReadOneFigure(hpgl, pens, log);
        if (snap.loadResult == 16) {
            window.planarisationPending = true;
            if (connect->StartConnect(1, loadStart) == 16) {
                connect->Resume();
            } else {
                snap.loadResult = -2;
                snap.failure = LoadFailure::ConnectNotStarted;
            }
        } else {
            snap.failure = LoadFailure::Empty;
        }
    }
    if (snap.loadResult == 16) {
        // TConnectCommand::Wait polls in steps of 5 ms; a short step keeps many small
        // runs from spending most of their time waiting for the worker's end.
        while (connect->Running()) mainWindow.WaitAndProcess(1);
        connect->Wait();
    }
    mainWindow.ProcessPending();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    snap.report = connect->Report();
    phases.crossingSplit = snap.report.crossingSplitSeconds;
    connect.reset();
    snap.twoFigures = drawing.TwoFigures();
    snap.TakeSets(drawing);
    return result;
}

int PlanningRun::ReadOneFigure(std::string_view hpgl, HpglPenState& pens, MessageLog& log) {
    TDrawing& drawing = *drawing_;
    const TParameters& p = *parameters_;
    drawing.SetEntryOffset(p.GetNumber("Ploter", "WejscieX", 0.0), p.GetNumber("Ploter", "WejscieY", 0.0));
    HPGL2 reader(drawing, pens);
    reader.ReadText(hpgl);
    drawing.Set(TDrawing::kFigure1).oelems = drawing.Oelems();
    drawing.SetTwoFigures(false);
    if (drawing.L().Count() == 0) return -2;
    ShiftSetToOrigin(drawing, log);
    return 16;
}

}  // namespace wirvela::drawinggen
