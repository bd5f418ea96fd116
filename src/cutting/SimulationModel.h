#pragma once
// The cutting simulation of the main window: runs the motion timing with the simulate
// flag, so that the simulation tables hold exactly the moves a cut would send, converts
// them back to drawing units and plays them on Timer1, drawing the part already cut in
// the pass colours. Both figures play on one clock, so the two wire ends move in step as
// the timing balanced them; corners pause as long as the machine pauses there.
//
// This is the headless model: the main window forwards its start and stop commands, the
// speed bar and the timer ticks; the view gives the canvas, the drawing-to-pixel mapping
// and the window's own reactions (Zoom All, repaint, command enabling, status panel).
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controller/CutParameters.h"
#include "settings/MaterialValues.h"
#include "view/Canvas.h"

namespace wirvela {

class MessageLog;
class TDrawing;
class TMessages;
class TParameters;
struct SimulationLines;
struct SimulationRecord;
struct SettingKey;

// What the simulation reads from the cutting window and the main window when it starts.
struct SimulationInputs {
    MaterialValues material;  // selected in the cutting window
    double scalePercent = 100;
    double offsetXmm = 0;  // TEoffsetX, TEoffsetY: where figure 2 is shown
    double offsetYmm = 0;
    bool rotaryCut = false;  // cutting window options the motion timing reads
    double v2 = 100;
    bool alg2 = true;
    // The cutting window's show handling (it becomes the controller link's event window).
    std::function<void()> showCuttingWindow;
    // Single figure: the cutting parameter record and the rotary ratio exactly as the
    // cutting window's Start computes them. false ends the preparation (the window has
    // shown message 124 or 126). Absent: an empty record and a table that stands still.
    std::function<bool(CutParameters& record, double& rotRatio)> singleFigureRecord;
};

// The main window's side of the simulation. Every member is optional.
struct SimulationView {
    Canvas* canvas = nullptr;
    // Drawing units to a pixel (the view transform's ToScreen); absent: truncation.
    std::function<CanvasPoint(double x, double y)> toScreen;
    std::function<void()> zoomAll;
    std::function<void()> paintDrawing;
    // true: load, multiply, generators, clear, project and simulate and the menu items
    // "Wczytaj" and "Zapisz jako" are disabled and the stop command enabled; false: the
    // other way round.
    std::function<void(bool simulating)> simulationCommands;
    // The first panel of the main window's status bar.
    std::function<void(std::string_view)> statusPanel0;
};

// The moves of one figure as prepared, before they are turned into drawing units.
struct SimulationSummary {
    int records = 0;
    double stepsX = 0;  // sums of the moves, steps
    double stepsY = 0;
    int corners = 0;
    double milliseconds = 0;  // motion time with the corner pauses
};

class SimulationModel {
public:
    static constexpr int kSpeedMax = 500;         // ScrollBar1: at the maximum nothing is played
    static constexpr int kInitialInterval = 500;  // Timer1, ms
    static constexpr int kOk = 16;
    static constexpr int kRefused = -2;

    SimulationModel(TDrawing& drawing, const TParameters& parameters, const TMessages* messages, MessageLog* log,
                    SimulationView view);
    ~SimulationModel();
    SimulationModel(const SimulationModel&) = delete;
    SimulationModel& operator=(const SimulationModel&) = delete;

    // ScrollBar1, kept within 0 … kSpeedMax.
    void SetSpeed(int position);
    int Speed() const { return speed_; }

    // SpeedButton2 / "Symulacja cięcia": clears the pass marks, Zoom All, then either the
    // immediate picture (speed at its maximum) or prepare, repaint and Timer1 on.
    void Start(const SimulationInputs& inputs);
    // Builds and converts the tables: 16, or −2 when the cutting window refused its
    // rotary settings (the tables are then not built).
    int Prepare(const SimulationInputs& inputs);
    // One Timer1 tick.
    void Tick();
    // The main window's stop command while the simulation holds the commands (playing,
    // or prepared and refused): timer off, tables released, pass marks cleared, commands
    // restored. false when no simulation holds them (the stop belongs to the joining).
    bool Stop();

    bool TimerEnabled() const { return timer_; }
    int TimerInterval() const { return interval_; }
    // Simulated milliseconds since the start.
    double Clock() const { return clock_; }
    // The simulation holds the main window's commands.
    bool Active() const { return active_; }
    // Figure 1 or 2 as prepared; empty for a figure without a table.
    const SimulationSummary& Summary(int figure) const;
    // Where figure 1 or 2's wire is in the playback, drawing units.
    double PointX(int figure) const { return figures_[Slot(figure)].x; }
    double PointY(int figure) const { return figures_[Slot(figure)].y; }

private:
    struct FigureState {
        double x = 0;  // current point, drawing units
        double y = 0;
        SimulationSummary summary;
    };

    static std::size_t Slot(int figure) { return figure == 2 ? 1 : 0; }
    void ClearPassMarks();
    void ReleaseTables();
    void Finish();
    void Immediate();
    void ConvertTable(int figure);
    void Play(int figure, SimulationLines& table);
    void Complete(int figure, SimulationLines& table);
    double RecordTime(const SimulationRecord& r) const;
    void DrawMove(int figure, double dx, double dy, std::int32_t color);
    CanvasPoint Screen(int figure, double x, double y) const;
    std::int32_t PassColor(int figure, int line) const;
    std::int32_t Color(const SettingKey& key) const;
    void Log(const std::string& text) const;

    TDrawing& drawing_;
    const TParameters& parameters_;
    const TMessages* messages_;
    MessageLog* log_;
    SimulationView view_;

    int speed_ = 200;
    bool timer_ = false;
    int interval_ = kInitialInterval;
    bool active_ = false;
    double clock_ = 0;
    double stepScale_ = 1;
    double cornerDelay_ = 0;  // OpWKacie of the material, ms
    double extent_ = 0;       // larger side of the drawing's box, drawing units
    double offsetX_ = 0;      // figure 2's offset on the view, drawing units
    double offsetY_ = 0;
    bool segmentLines_ = false;
    std::array<FigureState, 2> figures_;
};

}  // namespace wirvela
