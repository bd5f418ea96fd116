#pragma once
// The connect command: turns a freshly loaded or generated drawing into a cuttable one.
// It runs the planning of planning/FigurePlanner.h on a worker thread of its own, holding
// the drawing mutex, and tells the main window how it goes.
//
// Threads. StartConnect and Resume run on the main window's thread. The worker talks to
// the main window only through its event channel: 2001 with the state value, 2004–2008
// status panel texts, 2009 a status text (all sent synchronously, so the window's thread
// must keep handling its events while a run works), and finally (2001, 5) posted. Text
// events carry a pointer to a NUL-terminated text that stays valid until the handler
// returns (ConnectEventText reads it). Stopping is cooperative: RequestStop, then Wait on
// the window's thread; a stopped run sends nothing more, releases every hold of the
// drawing mutex and leaves every line joining two valid vertices.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"
#include "planning/FigurePlanner.h"
#include "planning/Planner.h"
#include "platform/Sync.h"

namespace wirvela {

class EventChannel;
class MessageLog;
class Prompt;
class TMessages;
class TParameters;

// Events of the connect command at the main window.
inline constexpr int kEventConnectState = 2001;  // argument: a ConnectState value
inline constexpr int kEventStatusPanel0 = 2004;  // 2004 … 2008: text for status panel 0 … 4
inline constexpr int kEventObjectCounts = 2006;  // text: object counts of the two figures
inline constexpr int kEventLineCounts = 2007;    // text: line counts of the two figures
inline constexpr int kEventStatusText = 2009;    // text: a status message

// Values of event 2001.
enum ConnectState : int {
    kConnectSplitDone = kPlanJunctionsSplit,
    kConnectNoGraph = kPlanNoGraph,
    kConnectSucceeded = kPlanSucceeded,
    kConnectPathFailed = kPlanPathFailed,
    kConnectFinished = 5,  // the worker has ended (posted)
};

// The text of a text event's argument (never nullptr).
inline const char* ConnectEventText(std::intptr_t arg) {
    const char* text = reinterpret_cast<const char*>(arg);
    return text != nullptr ? text : "";
}

// What the command reads and changes around it. The window-state reads happen in
// StartConnect, on the window's thread; the hooks marked "worker" run on the worker.
struct ConnectContext {
    ConnectContext(TDrawing& d, RecursiveTimedMutex* mutex, const TParameters& p, const TMessages& m, MessageLog& l,
                   LoaderWindowState& w)
        : drawing(d), drawingMutex(mutex), parameters(p), messages(m), log(l), window(w) {}

    TDrawing& drawing;
    // The drawing mutex; nullptr when it could not be created (the run goes on without it).
    RecursiveTimedMutex* drawingMutex;
    const TParameters& parameters;
    const TMessages& messages;
    MessageLog& log;
    // Error boxes of the path graph (worker) and of a failed start (window thread).
    Prompt* prompt = nullptr;
    // planarisationPending and scalePercent are read by StartConnect.
    LoaderWindowState& window;
    // The main window's events; nullptr: none are sent.
    EventChannel* mainWindow = nullptr;
    // wirvela.ini, read directly for `TestDuplicates`; empty: its default.
    std::filesystem::path iniFile;
    // The implementation of the junction splitting, the joining, the splitting of
    // connecting lines and the path search; both give the same drawing and cut path.
    Planner planner = Planner::Fast;

    // Window thread, StartConnect: the commands that would start another run are disabled
    // and Stop is enabled / the join command is enabled again after a failed start.
    std::function<void()> disableCommands;
    std::function<void()> enableJoin;
    // The run state of the drawing multiplication (non-zero places the entry point at
    // the entry offsets themselves); read by StartConnect. Absent: 0.
    std::function<int()> multiplicationRunState;
    // The figure offsets of `TEoffsetX` / `TEoffsetY` in millimetres; read by
    // StartConnect. Absent: 0, 0.
    std::function<std::pair<double, double>()> figureOffsetMm;
    // Worker: the pending-multiplication state of the main window is cleared (failed
    // runs). Absent: nothing.
    std::function<void()> clearPendingMultiplication;
    // Worker, after the mutex is released: fit the view to this box of drawing units
    // (figure 1 widened by figure 2 at its offset) and set the view-ready flag.
    std::function<void(double minX, double minY, double maxX, double maxY)> zoom;
    // Worker, just before (2001, 5) is posted: a multiplication waiting for this run
    // (its state 1) goes on (state 2, its second timer).
    std::function<void()> afterRun;
    // Worker, a pendant run (interactive 0) that could not get the drawing mutex: the
    // pendant is told that its load failed; the error text of a failed notification is
    // returned and shown with event 2009.
    std::function<std::optional<std::string>()> pendantLoadFailed;
};

// What one run did, for reports (the CLI) and the loader's timers.
struct ConnectReport {
    using Figure = FigurePlanReport;
    std::vector<Figure> figures;
    int state = 0;                      // last value of event 2001 before 5 (0: none sent)
    bool finished = false;              // the worker has ended
    bool stopped = false;               // ended by a stop request
    bool mutexFailed = false;           // the drawing mutex could not be had in time
    double seconds = 0.0;               // from the start of the launching operation
    double joiningSeconds = 0.0;        // distances and joining (">Test punktów")
    double crossingSplitSeconds = 0.0;  // splitting connecting lines (">Test linii")
};

class TConnectCommand {
public:
    // The drawing mutex wait of the worker, milliseconds.
    static constexpr int kMutexWaitMs = 2000;

    explicit TConnectCommand(ConnectContext context);
    // Requests a stop and waits for the worker (see Wait): call on the window's thread.
    ~TConnectCommand();
    TConnectCommand(const TConnectCommand&) = delete;
    TConnectCommand& operator=(const TConnectCommand&) = delete;

    // The connect command: disables the commands, creates the worker without letting it
    // run, returns 16; −2 when the worker could not be created (or a run is still going
    // on). operationStartTick (TickCount64) is the moment the loading or generating
    // operation that launches the command began, for the total time; absent: now.
    int StartConnect(int interactive, std::optional<std::uint64_t> operationStartTick = {});
    // Lets the created worker run.
    void Resume();
    // Asks the worker to stop at its next check (in every long loop).
    void RequestStop();
    // Waits until the worker has ended, handling the main window's events meanwhile (so
    // a worker waiting in a synchronous notification can go on). Window thread only.
    void Wait();
    // A worker exists and has not ended.
    bool Running() const;
    // The report of the last run (complete once it has finished).
    ConnectReport Report() const;

    // Process-wide crossing-split flag: set at the end of every run; the multiplication
    // and the frame generator clear it before they start one.
    bool CrossingSplit() const { return crossingSplit_.load(); }
    void SetCrossingSplit(bool on) { crossingSplit_.store(on); }
    // Index in the segment vertex table of the node figure 1's entry line was attached to.
    int SegmentStartNode() const { return segmentStartNode_.load(); }

private:
    struct RunArgs {
        int interactive = 1;
        bool planarisationPending = false;
        int multiplicationRunState = 0;
        double offsetXmm = 0.0;
        double offsetYmm = 0.0;
        double scalePercent = 100.0;
        std::uint64_t operationStart = 0;
        std::uint64_t timingPoint = 0;
    };
    class Run;

    void Worker(std::stop_token stop, RunArgs args);
    void JoinFinished();

    ConnectContext c_;
    std::atomic<bool> crossingSplit_{false};
    std::atomic<int> segmentStartNode_{-1};

    mutable std::mutex mutex_;
    std::condition_variable_any resumed_;
    bool resume_ = false;
    std::atomic<bool> finished_{true};
    ConnectReport report_;
    std::jthread worker_;
};

}  // namespace wirvela
