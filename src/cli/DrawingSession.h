#pragma once
// The drawing a command works on: loaded as the Open command loads it and, for the
// commands that plan or cut, joined by the connect command, with the main window state
// the load left behind.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "app/ConnectCommand.h"
#include "config/MessageLog.h"
#include "formats/DrawingLoader.h"
#include "generators/Multiplication.h"
#include "planning/Planner.h"
#include "platform/Sync.h"

namespace wirvela {

class CliSession;

// The reason a load failed, in the words the commands print.
std::string LoadFailureText(const LoadReport& report);

class DrawingSession {
public:
    // Events the connect command posts to the main window, delivered on the loading thread
    // while the load waits for the joining and once after it.
    using EventSink = std::function<void(int code, std::intptr_t arg)>;

    // How the reason of a missing cut path is worded on standard error.
    enum class Wording { Brief, WithReason };

    explicit DrawingSession(CliSession& session);
    ~DrawingSession();

    // Loads file without joining. yes makes the load interactive: every question is
    // answered Yes and printed on err. Returns the loader's result (16: loaded).
    int Load(const std::string& file, bool yes, std::ostream& err);
    // Loads file and, once loaded, waits for the connect command's joining to end. Error
    // boxes of the path search go to err whether or not yes is given. A project's
    // multiplication is then carried out as the main window does after the joining, in the
    // layout of the `Multiwire` setting; a refusal goes to err with its message number
    // and leaves the commands that need a cut path nothing to cut (RequireCutPath).
    int LoadAndJoin(const std::string& file, bool yes, std::ostream& err, const EventSink& events = {});

    // Multiplies the joined drawing as the dialog's Powiel does (the row layout joins it
    // again first) and joins grid copies again as the main window does after it. The
    // result: message 0 when multiplied, else the refusal (nothing changed).
    MultiplicationResult Multiply(const MultiplicationTexts& fields, MultiwireLayout layout, bool* severalWires = nullptr);

    // Joins the drawing as it now is once more, as the generators have it joined after
    // they changed it: no junction splitting, no splitting of connecting lines at
    // crossings, as the window's join. Waits for the end; the report replaces
    // the load's (Joining()). Returns the connect command's start result (16: it ran).
    int JoinAgain();

    // The planner of the joining (LoadAndJoin); the fast one unless set.
    void SetPlanner(Planner planner) { planner_ = planner; }

    // After LoadAndJoin, for the commands that need a cut path: 0 with figure 1 selected
    // when it has one; otherwise the reason goes to err and the exit code is returned:
    // 1 unreadable file, 2 drawing (or the multiplication of a project) refused, 3 no cut
    // path.
    int RequireCutPath(const std::string& file, std::ostream& err, Wording wording);

    TDrawing& Drawing() { return *drawing_; }
    const TDrawing& Drawing() const { return *drawing_; }
    LoaderWindowState& Window() { return window_; }
    const LoaderWindowState& Window() const { return window_; }
    // The cut path was built by a project's multi-wire multiplication, not by a path search:
    // the joining's report does not describe it.
    bool PathBuiltForSeveralWires() const { return severalWires_; }
    // A project's multiplication was refused (its message is on standard error).
    bool ProjectMultiplicationRefused() const { return refusedProjectMultiplication_ != 0; }
    int Result() const { return result_; }
    const LoadReport& Loading() const { return load_; }
    // The joining's report; a default report when there was no joining.
    const ConnectReport& Joining() const { return connect_; }
    // The pens the load selected.
    int PenMask() const { return penMask_; }
    // What a loaded project asked for: pending state 1 and the multiplication dialog's
    // fields to repeat (the dialog's defaults changed where the project sets them).
    bool MultiplicationPending() const { return window_.pendingMultiplication == 1; }
    const MultiplicationTexts& MultiplicationFields() const { return multiplication_; }

    // After LoadAndJoin: the drawing mutex, the main window's event channel and the connect
    // command, for the commands that join the drawing again; nullptr before.
    RecursiveTimedMutex* Mutex();
    EventChannel* MainWindow();
    TConnectCommand* Connect();
    // What the connect command reads of a multiplication (its run state) and tells it at
    // the end of a run (worker thread). Absent: run state 0, nothing.
    void SetMultiplicationHooks(std::function<int()> runState, std::function<void()> afterRun);
    // Joins the drawing again as the join button does (interactively): 16 started, −2 not.
    int StartJoin();
    // Waits for that joining to end; Joining() then reports it.
    void WaitForJoin();

private:
    int Run(const std::string& file, bool yes, std::ostream& err, bool join, const EventSink& events);
    void ReplayProjectMultiplication(std::ostream& err);

    struct Machinery;

    CliSession& session_;
    std::unique_ptr<TDrawing> drawing_;
    LoaderWindowState window_;
    int result_ = 0;
    LoadReport load_;
    ConnectReport connect_;
    int penMask_ = 0;
    MultiplicationTexts multiplication_;
    int refusedProjectMultiplication_ = 0;  // its message number
    bool severalWires_ = false;
    Planner planner_ = Planner::Fast;
    // Last: its worker uses the drawing and the window state.
    std::unique_ptr<Machinery> joining_;
};

}  // namespace wirvela
