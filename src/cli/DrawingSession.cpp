#include "cli/DrawingSession.h"

#include <optional>
#include <ostream>

#include "cli/CliSession.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
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
    return Run(file, yes, err, true, events);
}

// The connect command with the main window it reports to, delivered on the loading
// thread while the session waits for the joining.
class DrawingSession::JoiningRun {
public:
    JoiningRun(DrawingSession& session, std::ostream& err, const EventSink& events)
        : prompt_(&err), channel_([&events](int code, std::intptr_t arg) -> std::intptr_t {
              if (events) events(code, arg);
              return 0;
          }) {
        ConnectContext cc(*session.drawing_, &session.mutex_, session.session_.Parameters(),
                          session.session_.Messages(), session.log_, session.window_);
        cc.prompt = &prompt_;
        cc.mainWindow = &channel_;
        cc.iniFile = session.session_.Directory() / "wirvela.ini";
        cc.planner = session.planner_;
        LoaderWindowState& window = session.window_;
        cc.clearPendingMultiplication = [&window] { window.pendingMultiplication = 0; };
        connect_.emplace(std::move(cc));
    }

    TConnectCommand& Command() { return *connect_; }
    // Waits for a started run and delivers what it posted last.
    ConnectReport Finish(bool started) {
        if (started) connect_->Wait();
        channel_.ProcessPending();
        return connect_->Report();
    }

private:
    AcceptingPrompt prompt_;
    EventChannel channel_;
    std::optional<TConnectCommand> connect_;
};

int DrawingSession::Run(const std::string& file, bool yes, std::ostream& err, bool join, const EventSink& events) {
    TDrawing& drawing = *drawing_;
    DeriveDrawingSettings(drawing, session_.Parameters());
    HpglPenState pens;
    TDxfReader dxf;
    AcceptingPrompt prompt(&err);

    // The joining runs on its worker thread; the window thread only waits while it works.
    std::unique_ptr<JoiningRun> joining;
    if (join) joining = std::make_unique<JoiningRun>(*this, err, events);

    LoaderContext context(drawing, &mutex_, session_.Parameters(), session_.Messages(), log_, yes ? &prompt : nullptr,
                          pens, window_);
    context.dxf = &dxf;
    context.multiplicationFields = [this] { return multiplication_; };
    context.setMultiplicationFields = [this](const MultiplicationTexts& t) { multiplication_ = t; };
    SeparationEnv env;
    env.messages = &session_.Messages();
    env.log = &log_;
    context.separation = FigureSeparationFor(drawing, env);
    if (joining) {
        const std::uint64_t loadStart = TickCount64();
        TConnectCommand& connect = joining->Command();
        context.connect.start = [&connect, loadStart](int interactive) {
            return connect.StartConnect(interactive, loadStart);
        };
        context.connect.resume = [&connect] { connect.Resume(); };
    }

    result_ = LoadDrawing(context, file, yes ? 1 : 0, &load_);
    penMask_ = pens.penMask;
    if (joining) connect_ = joining->Finish(result_ == 16);
    return result_;
}

int DrawingSession::JoinAgain(bool yes, std::ostream& err, const EventSink& events) {
    JoiningRun joining(*this, err, events);
    window_.planarisationPending = false;
    joining.Command().SetCrossingSplit(false);
    const int started = joining.Command().StartConnect(yes ? 1 : 0, TickCount64());
    if (started == 16) joining.Command().Resume();
    connect_ = joining.Finish(started == 16);
    return started;
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
    if (connect_.state != kConnectSucceeded || !drawing_->Set(TDrawing::kFigure1).cutPath) {
        err << "wirvela-cli: '" << file << "': no cut path was found\n";
        return 3;
    }
    drawing_->SelectFigure(TDrawing::kFigure1);
    return 0;
}

}  // namespace wirvela
