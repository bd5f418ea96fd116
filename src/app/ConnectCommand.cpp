#include "app/ConnectCommand.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <system_error>
#include <tuple>
#include <vector>

#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Prompt.h"
#include "platform/Clock.h"
#include "platform/EventChannel.h"

namespace wirvela {

namespace {

// Waits at most `milliseconds` for the drawing mutex. Built from try_lock rather than
// try_lock_for: the timed wait of the C++ library uses a pthread call that thread
// checkers do not follow, so they would take every later unlock for a fault.
bool TakeWithin(RecursiveTimedMutex& mutex, int milliseconds) {
    const std::uint64_t deadline = TickCount64() + static_cast<std::uint64_t>(std::max(milliseconds, 0));
    for (;;) {
        if (mutex.try_lock()) return true;
        if (TickCount64() >= deadline) return false;
        SleepMs(1);
    }
}

}  // namespace

// One worker run: the planning of the drawing, told to the main window as it goes. The
// run is the planning's sink: it turns stages into event 2001, status texts into events
// 2004–2008 and log lines into the message log, and takes the drawing mutex before each
// figure (held to the end of the run).
class TConnectCommand::Run : public PlanSink {
public:
    Run(TConnectCommand& owner, const RunArgs& args, std::stop_token stop)
        : o_(owner), c_(owner.c_), d_(owner.c_.drawing), a_(args), stop_(std::move(stop)) {}

    void Execute();
    ConnectReport& Report() { return report_; }

    void Log(std::string_view line) override { c_.log.Log(line); }

    std::string MessageText(int key, std::span<const int> args) const override {
        const std::vector<FormatArg> values(args.begin(), args.end());
        return FormatMessage(c_.messages.MessageText(key), values);
    }

    void Status(int panel, std::string_view text) override {
        if (panel < 0 || panel > 4) return;
        SendText(kEventStatusPanel0 + panel, std::string(text));
    }

    // A pass reports every 100 lines; waiting for the window to show each report, or
    // even waking the window for each, would hold the pass up longer than the pass itself
    // takes on large drawings. The window picks the reports up when it next looks (it
    // polls every few milliseconds), and the run's next sent event wakes it anyway.
    void Progress(int panel, std::string_view text) override {
        if (panel < 0 || panel > 4) return;
        if (c_.mainWindow != nullptr)
            c_.mainWindow->PostText(kEventStatusPanel0 + panel, std::string(text), EventChannel::Wake::AtNextLook);
    }

    void Stage(int stage) override {
        // A joining that cannot go on ends a multiplication waiting for it.
        if (stage == kPlanNoGraph) ClearPendingMultiplication();
        State(stage);
    }

    bool EnterFigure() override;

private:
    void SendText(int code, const std::string& text) const {
        if (c_.mainWindow != nullptr) c_.mainWindow->Send(code, reinterpret_cast<std::intptr_t>(text.c_str()));
    }
    void State(int value) {
        report_.state = value;
        if (c_.mainWindow != nullptr) c_.mainWindow->Send(kEventConnectState, value);
    }
    void ClearPendingMultiplication() {
        if (c_.clearPendingMultiplication) c_.clearPendingMultiplication();
    }
    void ReleaseAll();
    void FinalReport();
    void ZoomBox();

    TConnectCommand& o_;
    const ConnectContext& c_;
    TDrawing& d_;
    RunArgs a_;
    std::stop_token stop_;
    ConnectReport report_;
    int holds_ = 0;
    bool pathFailed_ = false;
    std::optional<std::array<double, 4>> box_;
};

bool TConnectCommand::Run::EnterFigure() {
    if (c_.drawingMutex == nullptr) {
        Log("ConnectObjs: DrawMutex Error!");
        return true;
    }
    const bool owned = TakeWithin(*c_.drawingMutex, kMutexWaitMs);
    Log("ConnectObjs:DrawMutex=" + std::to_string(reinterpret_cast<std::uintptr_t>(c_.drawingMutex)));
    if (owned) {
        ++holds_;
        return true;
    }
    Log("ConnectObjs: Mutex timeout !!!");
    ClearPendingMultiplication();
    report_.mutexFailed = true;
    if (a_.interactive == 0 && c_.pendantLoadFailed) {
        if (const std::optional<std::string> error = c_.pendantLoadFailed()) SendText(kEventStatusText, *error);
    }
    return false;
}

void TConnectCommand::Run::ReleaseAll() {
    for (; holds_ > 0; --holds_) c_.drawingMutex->unlock();
}

void TConnectCommand::Run::ZoomBox() {
    const TVert& v1 = d_.Set(TDrawing::kFigure1).V;
    double minX = v1.MinX(true);
    double minY = v1.MinY(true);
    double maxX = v1.MaxX(true);
    double maxY = v1.MaxY(true);
    const TVert& v2 = d_.Set(TDrawing::kFigure2).V;
    if (v2.Count() > 0) {
        const auto [ox, oy] = FigureOffsetUnits(d_.Settings().scale, a_.scalePercent, a_.offsetXmm, a_.offsetYmm);
        minX = std::trunc(std::min(minX, v2.MinX(true) + ox));
        minY = std::trunc(std::min(minY, v2.MinY(true) + oy));
        maxX = std::trunc(std::max(maxX, v2.MaxX(true) + ox));
        maxY = std::trunc(std::max(maxY, v2.MaxY(true) + oy));
    }
    box_ = std::array<double, 4>{minX, minY, maxX, maxY};
}

void TConnectCommand::Run::FinalReport() {
    const double total = static_cast<double>(TickCount64() - a_.operationStart) * 0.001;
    report_.seconds = total;
    int state = kConnectSucceeded;
    if (pathFailed_) {
        SendText(kEventStatusText, c_.messages.MessageText(16));
        state = kConnectPathFailed;
    } else {
        SendText(kEventStatusText, FormatMessage(c_.messages.MessageText(196), {total}));
        Log("-----------------------");
        Log("Calkowity czas: " + NumberToText(total) + "s");
    }
    State(state);
    const TDrawingSet& f1 = d_.Set(TDrawing::kFigure1);
    const TDrawingSet& f2 = d_.Set(TDrawing::kFigure2);
    SendText(kEventObjectCounts,
             c_.messages.MessageText(9) + std::to_string(f1.oelems + 1) + "+" + std::to_string(f2.oelems + 1));
    SendText(kEventLineCounts,
             c_.messages.MessageText(10) + std::to_string(f1.L.Count()) + "+" + std::to_string(f2.L.Count()));
}

void TConnectCommand::Run::Execute() {
    PlanSettings settings(c_.parameters, c_.messages);
    settings.planner = c_.planner;
    settings.splitJunctions = a_.planarisationPending;
    settings.multiplicationRunState = a_.multiplicationRunState;
    settings.offsetXmm = a_.offsetXmm;
    settings.offsetYmm = a_.offsetYmm;
    settings.scalePercent = a_.scalePercent;
    settings.prompt = c_.prompt;
    settings.iniFile = c_.iniFile;
    settings.timingPoint = a_.timingPoint;
    settings.crossingSplit = &o_.crossingSplit_;
    settings.segmentStartNode = &o_.segmentStartNode_;
    const PlanOutcome planned = PlanDrawing(d_, settings, *this, stop_);
    report_.figures = planned.figures;
    report_.joiningSeconds = planned.joiningSeconds;
    report_.crossingSplitSeconds = planned.crossingSplitSeconds;
    pathFailed_ = planned.pathFailed;

    if (planned.end == PlanOutcome::End::Stopped) {
        ReleaseAll();
        report_.stopped = true;
        Log("ConnectObjs: stopped");
        return;
    }
    if (report_.mutexFailed) {
        ReleaseAll();
        return;
    }
    if (planned.end == PlanOutcome::End::Done) FinalReport();
    ZoomBox();
    ReleaseAll();
    if (c_.zoom && box_) c_.zoom((*box_)[0], (*box_)[1], (*box_)[2], (*box_)[3]);
    Log("<<<<-- ConnectObj end (mutex released)");
    if (c_.afterRun) c_.afterRun();
}

TConnectCommand::TConnectCommand(ConnectContext context) : c_(std::move(context)) {}

TConnectCommand::~TConnectCommand() {
    RequestStop();
    Wait();
}

int TConnectCommand::StartConnect(int interactive, std::optional<std::uint64_t> operationStartTick) {
    c_.log.Log(">>SB3 start before thread creation");
    if (Running()) {
        c_.log.Log(">>SB3: a joining run is still working");
        return -2;
    }
    JoinFinished();
    if (c_.disableCommands) c_.disableCommands();

    RunArgs args;
    args.interactive = interactive;
    args.planarisationPending = c_.window.planarisationPending;
    args.scalePercent = c_.window.scalePercent;
    args.multiplicationRunState = c_.multiplicationRunState ? c_.multiplicationRunState() : 0;
    if (c_.figureOffsetMm) std::tie(args.offsetXmm, args.offsetYmm) = c_.figureOffsetMm();
    args.timingPoint = TickCount64();
    args.operationStart = operationStartTick.value_or(args.timingPoint);
    {
        std::lock_guard lock(mutex_);
        resume_ = false;
        report_ = ConnectReport{};
    }
    finished_.store(false);
    try {
        worker_ = std::jthread([this, args](std::stop_token stop) { Worker(std::move(stop), args); });
    } catch (const std::system_error&) {
        finished_.store(true);
        if (c_.clearPendingMultiplication) c_.clearPendingMultiplication();
        if (interactive != 0 && c_.prompt != nullptr) {
            PromptRequest request;
            request.text = c_.messages.MessageText(20);
            request.caption = c_.messages.MessageText(21);
            request.messageKey = 20;
            c_.prompt->Ask(request);
        }
        if (c_.enableJoin) c_.enableJoin();
        return -2;
    }
    c_.log.Log(">>SB3:Finished");
    return 16;
}

void TConnectCommand::Resume() {
    {
        std::lock_guard lock(mutex_);
        resume_ = true;
    }
    resumed_.notify_all();
}

void TConnectCommand::RequestStop() {
    if (worker_.joinable()) worker_.request_stop();
}

bool TConnectCommand::Running() const {
    return !finished_.load();
}

void TConnectCommand::Wait() {
    while (Running()) {
        if (c_.mainWindow != nullptr && !c_.mainWindow->Closed()) {
            c_.mainWindow->WaitAndProcess(5);
        } else {
            SleepMs(1);
        }
    }
    JoinFinished();
}

void TConnectCommand::JoinFinished() {
    if (worker_.joinable() && !Running()) worker_.join();
}

ConnectReport TConnectCommand::Report() const {
    std::lock_guard lock(mutex_);
    return report_;
}

void TConnectCommand::Worker(std::stop_token stop, RunArgs args) {
    {
        std::unique_lock lock(mutex_);
        resumed_.wait(lock, stop, [this] { return resume_; });
    }
    Run run(*this, args, stop);
    if (!stop.stop_requested()) {
        run.Execute();
    } else {
        run.Report().stopped = true;
    }
    const bool post = !run.Report().stopped && !run.Report().mutexFailed;
    {
        std::lock_guard lock(mutex_);
        report_ = run.Report();
        report_.finished = true;
    }
    // Finished before the window hears of it: a window that starts the next run on this
    // event (the multiplication) must not find this one still running, and a window
    // waiting for the end sees it as soon as it handles the event.
    finished_.store(true);
    if (post && c_.mainWindow != nullptr) c_.mainWindow->Post(kEventConnectState, kConnectFinished);
}

}  // namespace wirvela
