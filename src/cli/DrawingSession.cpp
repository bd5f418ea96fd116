#include "cli/DrawingSession.h"

#include <optional>
#include <ostream>
#include <utility>

#include "app/MultiplyCommand.h"
#include "cli/CliSession.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "formats/DxfReader.h"
#include "planning/FigureSeparation.h"
#include "platform/Clock.h"
#include "platform/EventChannel.h"
#include "platform/Sync.h"
#include "platform/WorkingMemory.h"

namespace wirvela {

std::string LoadFailureText(const LoadReport& report) {
    switch (report.failure) {
        case LoadFailure::None:
            return "";
        case LoadFailure::CannotOpen:
            return report.detail.empty() ? "cannot read drawing file" : "cannot read drawing file (" + report.detail + ")";
        case LoadFailure::Project:
            return report.detail;
        case LoadFailure::Empty:
            return "the drawing has no lines";
        case LoadFailure::SegmentPens:
            return "the drawing has segment lines (pen 5) but does not use exactly the pens 3, 4 and 5";
        case LoadFailure::FigurePens:
            return "the drawing uses the pens 3, 4 or 5 of a two-figure drawing without being one";
        case LoadFailure::ConnectNotStarted:
            return "the joining could not be started";
        case LoadFailure::TooLarge:
            return "the drawing is larger than the program can hold (at most " + report.detail + ")";
        case LoadFailure::BadNumber:
            return "a value is not a number (" + report.detail + ")";
        case LoadFailure::OutOfReach:
            return "the drawing measures " + report.detail;
    }
    return "";
}

namespace {

// A command runs one drawing and ends, so it makes nothing ready in advance (touching
// the desktop program's 96 MiB took longer than a whole run of a small drawing): the
// tables fault in the pages the drawing uses, and the heap keeps what one planning phase
// frees for the next.
std::unique_ptr<TDrawing> PreparedDrawing() {
    WorkingMemory::Prepare(0);
    return std::make_unique<TDrawing>();
}

}  // namespace

DrawingSession::DrawingSession(CliSession& session) : session_(session), drawing_(PreparedDrawing()) {}

int DrawingSession::Load(const std::string& file, bool yes, std::ostream& err) {
    return Run(file, yes, err, false, {});
}

int DrawingSession::LoadAndJoin(const std::string& file, bool yes, std::ostream& err, const EventSink& events) {
    Run(file, yes, err, true, events);
    if (result_ == 16 && window_.pendingMultiplication == 1) ReplayProjectMultiplication(err);
    return result_;
}

void DrawingSession::ReplayProjectMultiplication(std::ostream& err) {
    // A joining that failed has cleared the pending state already.
    window_.pendingMultiplication = 2;
    const MultiwireLayout layout = MultiwireLayoutFromSetting(session_.Parameters().GetText(settings::kMultiwire));
    const MultiplicationResult r = Multiply(multiplication_, layout, &severalWires_);
    window_.pendingMultiplication = 0;
    if (r.message == 0) return;
    refusedProjectMultiplication_ = r.message;
    err << "message " << r.message << ": " << RefusalText(session_.Messages(), r, "") << '\n';
}

MultiplicationResult DrawingSession::Multiply(const MultiplicationTexts& fields, MultiwireLayout layout,
                                              bool* severalWires) {
    MultiplyContext context(*drawing_, Mutex(), window_);
    context.mainWindow = MainWindow();
    context.startJoin = [this] { return StartJoin(); };
    context.waitJoin = [this] { WaitForJoin(); };
    MultiplyCommand command(std::move(context));
    SetMultiplicationHooks([&command] { return command.RunState(); }, [&command] { command.JoinEnded(); });
    const MultiplyCommand::Step step = command.RunToEnd(fields, layout);
    SetMultiplicationHooks({}, {});
    if (severalWires != nullptr) *severalWires = command.SeveralWires();
    if (step != MultiplyCommand::Step::Done) return command.Result();
    // Grid copies are joined again as the main window does after a multiplication.
    if (!command.SeveralWires()) JoinAgain();
    return {};
}

// What the load and the joining share, kept after the load so a command can join the
// drawing again (the multiplication).
struct DrawingSession::Machinery {
    explicit Machinery(std::ostream& err) : prompt(&err) {}

    RecursiveTimedMutex mutex;
    MessageLog log;
    HpglPenState pens;
    TDxfReader dxf;
    AcceptingPrompt prompt;
    std::function<int()> runState;
    std::function<void()> afterRun;
    // The joining runs on its worker thread; the window thread only waits while it works.
    std::optional<EventChannel> mainWindow;
    std::optional<TConnectCommand> connect;
};

DrawingSession::~DrawingSession() = default;

int DrawingSession::Run(const std::string& file, bool yes, std::ostream& err, bool join, const EventSink& events) {
    TDrawing& drawing = *drawing_;
    DeriveDrawingSettings(drawing, session_.Parameters());
    joining_ = std::make_unique<Machinery>(err);
    Machinery& j = *joining_;

    if (join) {
        j.mainWindow.emplace([events](int code, std::intptr_t arg) -> std::intptr_t {
            if (events) events(code, arg);
            return 0;
        });
        ConnectContext cc(drawing, &j.mutex, session_.Parameters(), session_.Messages(), j.log, window_);
        cc.prompt = &j.prompt;
        cc.mainWindow = &*j.mainWindow;
        cc.iniFile = session_.Directory() / "wirvela.ini";
        cc.planner = planner_;
        LoaderWindowState& window = window_;
        cc.clearPendingMultiplication = [&window] { window.pendingMultiplication = 0; };
        cc.multiplicationRunState = [&j] { return j.runState ? j.runState() : 0; };
        cc.afterRun = [&j] {
            if (j.afterRun) j.afterRun();
        };
        j.connect.emplace(std::move(cc));
    }

    LoaderContext context(drawing, &j.mutex, session_.Parameters(), session_.Messages(), j.log,
                          yes ? &j.prompt : nullptr, j.pens, window_);
    context.dxf = &j.dxf;
    context.multiplicationFields = [this] { return multiplication_; };
    context.setMultiplicationFields = [this](const MultiplicationTexts& t) { multiplication_ = t; };
    SeparationEnv env;
    env.messages = &session_.Messages();
    env.log = &j.log;
    context.separation = FigureSeparationFor(drawing, env);
    if (j.connect) {
        const std::uint64_t loadStart = TickCount64();
        context.connect.start = [&j, loadStart](int interactive) {
            return j.connect->StartConnect(interactive, loadStart);
        };
        context.connect.resume = [&j] { j.connect->Resume(); };
    }

    result_ = LoadDrawing(context, file, yes ? 1 : 0, &load_);
    penMask_ = j.pens.penMask;
    if (j.connect) {
        if (result_ == 16) j.connect->Wait();
        j.mainWindow->ProcessPending();
        connect_ = j.connect->Report();
    }
    return result_;
}

RecursiveTimedMutex* DrawingSession::Mutex() {
    return joining_ ? &joining_->mutex : nullptr;
}

EventChannel* DrawingSession::MainWindow() {
    return joining_ && joining_->mainWindow ? &*joining_->mainWindow : nullptr;
}

TConnectCommand* DrawingSession::Connect() {
    return joining_ && joining_->connect ? &*joining_->connect : nullptr;
}

void DrawingSession::SetMultiplicationHooks(std::function<int()> runState, std::function<void()> afterRun) {
    if (!joining_) return;
    joining_->runState = std::move(runState);
    joining_->afterRun = std::move(afterRun);
}

int DrawingSession::JoinAgain() {
    TConnectCommand* connect = Connect();
    if (connect == nullptr) return -2;
    window_.planarisationPending = false;
    connect->SetCrossingSplit(false);
    const int started = StartJoin();
    if (started == 16) WaitForJoin();
    return started;
}

int DrawingSession::StartJoin() {
    TConnectCommand* connect = Connect();
    if (connect == nullptr) return -2;
    const int started = connect->StartConnect(1);
    if (started == 16) connect->Resume();
    return started;
}

void DrawingSession::WaitForJoin() {
    TConnectCommand* connect = Connect();
    if (connect == nullptr) return;
    connect->Wait();
    joining_->mainWindow->ProcessPending();
    connect_ = connect->Report();
}

int DrawingSession::RequireCutPath(const std::string& file, std::ostream& err, Wording wording) {
    const bool reason = wording == Wording::WithReason;
    if (load_.failure == LoadFailure::CannotOpen || load_.failure == LoadFailure::Project) {
        err << "wirvela-cli: " << LoadFailureText(load_) << ": '" << file << "'\n";
        return 1;
    }
    if (result_ != 16) {
        err << "wirvela-cli: '" << file << "' not loaded";
        if (reason) err << ": " << LoadFailureText(load_);
        err << '\n';
        return 2;
    }
    if (refusedProjectMultiplication_ != 0) {
        err << "wirvela-cli: '" << file << "': the project's multiplication was refused (message "
            << refusedProjectMultiplication_ << ")\n";
        return 2;
    }
    if (connect_.state != kConnectSucceeded || !drawing_->Set(TDrawing::kFigure1).cutPath) {
        err << "wirvela-cli: '" << file << "': no cut path was found\n";
        return 3;
    }
    drawing_->SelectFigure(TDrawing::kFigure1);
    return 0;
}

}  // namespace wirvela
