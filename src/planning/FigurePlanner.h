#pragma once
// Plans a loaded drawing for cutting, synchronously on the caller's thread: per figure
// the junction splitting (when the load asked for it), a check that the path graph can
// be built, the joining of all objects with the shortest connecting lines, the entry
// line from the machine's entry point, the splitting of connecting lines where they
// cross object lines, and the path search, which leaves the figure's cut path. A drawing
// separated into two figures is planned again for figure 2.
//
// It knows no window and no thread. Progress, status texts and log lines go to a
// PlanSink; a stop token ends the run at the next check of any long loop (every line
// still joins two valid vertices then); the caller holds the drawing for the run (the
// joining worker takes the drawing mutex in PlanSink::EnterFigure).
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <stop_token>
#include <utility>
#include <vector>

#include "drawing/Drawing.h"
#include "planning/PathFindingMethods.h"
#include "planning/PlanariseSink.h"
#include "planning/Planner.h"

namespace wirvela {

class Prompt;
class TMessages;
class TParameters;

// The stages a run reports; the main window hears them as the values of its event 2001.
enum PlanStage : int {
    kPlanJunctionsSplit = 1,  // junction splitting done
    kPlanNoGraph = 2,         // the path graph could not be built: no joining, no path
    kPlanSucceeded = 3,       // cut path found
    kPlanPathFailed = 4,      // the path search failed
};

class PlanSink : public PlanariseSink {
public:
    // A stage of PlanStage is reached.
    virtual void Stage(int stage) { (void)stage; }
    // Before each figure; false ends the run there (the drawing could not be had).
    virtual bool EnterFigure() { return true; }
};

// What the run did with one figure.
struct FigurePlanReport {
    int figure = 1;
    bool searched = false;      // the path search ran
    bool graphFailed = false;   // the path graph could not be built
    bool entryFailed = false;   // no entry vertex or line could be added
    int joined = 0;             // connecting lines added by the joining
    int unjoinedObjects = 0;    // objects no allowed connection reached
    IntegrityCounts integrity;  // of the path search
};

struct PlanSettings {
    PlanSettings(const TParameters& p, const TMessages& m) : parameters(p), messages(m) {}

    const TParameters& parameters;  // `ConModif`, `CrossingTest`
    const TMessages& messages;
    // The implementation of the passes; both give the same drawing and cut path.
    Planner planner = Planner::Fast;
    // The load asked for the junction splitting first.
    bool splitJunctions = false;
    // Non-zero while a multiplication runs: the entry point is the entry offsets
    // themselves, not offsets from the drawing's lower left corner.
    int multiplicationRunState = 0;
    // Figure 2's offset from figure 1 (`TEoffsetX`, `TEoffsetY`), millimetres, and the
    // scale percentage that turns it into drawing units.
    double offsetXmm = 0.0;
    double offsetYmm = 0.0;
    double scalePercent = 100.0;
    // Error boxes of the path graph; nullptr: none.
    Prompt* prompt = nullptr;
    // wirvela.ini, read directly for `TestDuplicates`; empty: its default.
    std::filesystem::path iniFile;
    // TickCount64 at the start of the run: the phase times of the log count from here.
    std::uint64_t timingPoint = 0;
    // Whether connecting lines are split where they cross object lines; read before each
    // figure and set afterwards (the multiplication and the frame clear it between runs).
    std::atomic<bool>* crossingSplit = nullptr;
    // Index in the segment vertex table of the node figure 1's entry line was attached
    // to; figure 2 starts from the node its segment line leads to.
    std::atomic<int>* segmentStartNode = nullptr;
};

struct PlanOutcome {
    enum class End {
        Done,     // every figure planned: the final report follows
        Ended,    // ended early without the final report (no path graph, drawing not had)
        Stopped,  // a stop request ended it
    };
    End end = End::Done;
    std::vector<FigurePlanReport> figures;
    bool pathFailed = false;            // some figure has no cut path
    double joiningSeconds = 0.0;        // distances and joining (">Test punktów")
    double crossingSplitSeconds = 0.0;  // splitting connecting lines (">Test linii")
};

// Figure 2's offset in whole drawing units: millimetres ÷ (drawing scale × scale
// percentage ÷ 100), truncated; (0, 0) where that is not finite.
std::pair<double, double> FigureOffsetUnits(double drawingScale, double scalePercent, double offsetXmm,
                                            double offsetYmm);

PlanOutcome PlanDrawing(TDrawing& drawing, const PlanSettings& settings, PlanSink& sink, std::stop_token stop = {});

}  // namespace wirvela
