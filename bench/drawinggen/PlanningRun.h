#pragma once
// One drawing file loaded as the Open command loads it and joined by the connect command
// with a chosen planner, as the program does it: the real loader (interactive, every
// question answered Yes), figure separation, the connect command's worker thread and a
// main window whose events are recorded. Shared by the planner benchmark and the
// differential test of the two planners.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "drawinggen/PlanSnapshot.h"
#include "planning/Planner.h"

namespace wirvela {
class TParameters;
class TMessages;
class MessageLog;
struct HpglPenState;
}  // namespace wirvela

namespace wirvela::drawinggen {

// The settings of one run (section `Ploter` of its settings store).
struct RunSettings {
    Planner planner = Planner::Fast;
    bool crossingTest = false;    // `CrossingTest` of section `Ploter`
    double conModif = 0.0;        // `ConModif` (exactly 1: merge mode of the junction splitting)
    bool testDuplicates = true;   // `TestDuplicates` (the path search's duplicate passes)
    bool twoFigureMode = false;   // `Cone`: a drawing in pens 3, 4, 5 is split into two figures
    // The process-wide crossing-split flag before the run: set, connecting lines are split
    // where they cross object lines (as in every run after the program's first).
    bool splitConnecting = false;
    double entryXmm = 0.0;  // `WejscieX`, `WejscieY`
    double entryYmm = 0.0;

    // The settings but the planner as one line of text, for failure reports.
    std::string Describe() const;
};

// Where the time of a run went, seconds, from the timings the run logs (millisecond
// ticks): the loader's reading and checking, then the connect command's phases.
struct PhaseSeconds {
    double load = 0.0;           // "Wczytanie pliku="
    double splitting = 0.0;      // "Planaryzacja    =": the junction splitting
    double joining = 0.0;        // "Łączenie      =": graph check, joining, entry line, crossing split
    double crossingSplit = 0.0;  // of which the splitting of connecting lines
    double pathSearch = 0.0;     // "Ścieżka =" (figure 1 and 2 summed)
};

struct RunResult {
    PlanSnapshot snapshot;
    double seconds = 0.0;  // load and joining, wall-clock
    PhaseSeconds phases;
};

class PlanningRun {
public:
    // `directory` (created when missing) receives the run's wirvela.ini and local.txt;
    // the local.txt written there gives the progress messages their numbers, so that the
    // recorded events show them.
    explicit PlanningRun(std::filesystem::path directory);
    ~PlanningRun();
    PlanningRun(const PlanningRun&) = delete;
    PlanningRun& operator=(const PlanningRun&) = delete;

    // Loads `file` with the loader and, when it was loaded, waits for the end of its
    // joining. The drawing is reused from run to run (its tables are large) but emptied
    // first.
    RunResult Run(const std::filesystem::path& file, const RunSettings& settings);

    // The same for a one-figure HP-GL drawing given as text, without the loader: the
    // reader fills figure 1, which is moved to the origin as the loader moves it, and the
    // connect command runs. Much cheaper for small drawings: the loader clears whole
    // tables. Pens 3, 4 and 5 are read as any other pen.
    RunResult RunText(std::string_view hpgl, const RunSettings& settings);

    // The drawing of the last run, as the run left it.
    TDrawing& Drawing() { return *drawing_; }

private:
    void ApplySettings(const RunSettings& settings);
    RunResult Execute(const std::filesystem::path* file, std::string_view hpgl, const RunSettings& settings);
    // 16 when figure 1 has lines, else -2.
    int ReadOneFigure(std::string_view hpgl, HpglPenState& pens, MessageLog& log);

    std::filesystem::path directory_;
    std::unique_ptr<TDrawing> drawing_;
    std::unique_ptr<TParameters> parameters_;
    std::unique_ptr<TMessages> messages_;
};

}  // namespace wirvela::drawinggen
