#pragma once
// Motion timing: turns the cut path of a figure (a TLineList of oriented lines) into
// straight moves in motor steps, each with a step period, a corner-delay flag and a
// rotary ratio, and sends them either to the controller (ComClass::Line) or, with the
// simulate flag, into the figure's simulation lines (TDrawingSet::simLines). The same
// walk serves both, so the simulation shows exactly the moves a cut sends.
//
// Units: drawing units in the drawing, motor steps after the step scale, periods in
// milliseconds here and in microseconds on the wire (× 1000 when sent).
//
// Every algorithm selects figures on the drawing as it needs them and leaves figure 1
// selected.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "controller/CutParameters.h"

namespace wirvela {

class ComClass;
class MessageLog;
class TDrawing;
class TLineList;
class TLines;
class TParameters;
struct SimulationRecord;

// ---- conversions ---------------------------------------------------------------------

// Motor steps per drawing unit: scale percentage / 100 × mm per drawing unit / mm per step
// (a mm-per-step of 0 counts as 1 step per mm).
double StepScale(double scalePercent, double mmPerUnit, double mmPerStep);
// Milliseconds per step along the path at speed cm/min (speeds below 1 count as 1).
double FeedPeriod(double mmPerStep, double speedCmPerMin);
// Period of one major-axis step of the move (dx, dy) at feed period p: p × |(dx, dy)| /
// max(|trunc dx|, |trunc dy|), or 1 when both truncate to 0.
double StepPeriod(double feedPeriod, double dx, double dy);
// Cosine of the angle inside the corner between the previous move (px, py) and the move
// (cx, cy): -1 for a straight continuation, +1 for a full reversal; -1 when either is empty.
double CornerCos(double cx, double cy, double px, double py);
// cos(katGr degrees): the limit cosine of a material's corner angle.
double LimitCos(double katGrDegrees);
// A corner: corner cosine ≥ limit cosine − 0.001.
bool IsCorner(double cornerCos, double limitCos);

// A move in steps, unrounded.
struct StepVector {
    double x = 0;
    double y = 0;
};
// The move of path entry i: (end vertex − start vertex of the line) × direction × stepScale;
// (0, 0) for a free entry or a line index outside the table.
StepVector EntryMove(const TLineList& path, const TLines& lines, int i, double stepScale);

// Rounds a walk's moves to whole steps without losing the fractions: each move is
// truncated after adding what earlier truncations left over.
class StepCarry {
public:
    struct Steps {
        std::int32_t x = 0;
        std::int32_t y = 0;
    };
    Steps Take(double vx, double vy);
    double CarryX() const { return carryX_; }
    double CarryY() const { return carryY_; }

private:
    double carryX_ = 0;
    double carryY_ = 0;
};

// ---- settings ------------------------------------------------------------------------

// What the walks read besides their arguments: machine constants, the material's corner
// limit and the cutting window's options, read once by the caller.
struct MotionSettings {
    double stepScale = 1.0;                 // motor steps per drawing unit (StepScale)
    double mmPerStep = 1.0;                 // Ploter/mmPerStep; feed period of V2
    double limitCos = 0.0;                  // corner limit of the two-figure walks and FigureLength
    double defRotVelocity = 10;             // Ploter/DefRotVelocity: ms per table step, for the turn of a second pass
    bool rotaryCut = false;                 // cutting window CheckBox1 "Cięcie obrotowe": turn at the first reversal
    double v2 = 100;                        // cutting window V2 bar, cm/min: speed of pen-2 lines
    bool stopWhenOtherFigureStops = false;  // Ploter/StopWhenOtherFigureStops
    bool alg2 = true;                       // cutting window CheckBox6 "Alg2": the whole-figure period balance

    // stepScale from the scale percentage, SkalaHPGL (default 1.0 here) and mmPerStep
    // (default 1.0); DefRotVelocity (10), StopWhenOtherFigureStops (0), limitCos from
    // katGr. The window options keep their defaults.
    static MotionSettings FromStore(const TParameters& parameters, double scalePercent, double katGr);
};

// Where the walks report: the controller for a cut, the cutting window's status line
// (message numbers 128, 308, 309, 310) and the message log. All optional; a cut without
// a controller fails with 289 (the link could not be opened).
struct MotionOutput {
    MotionOutput() = default;
    explicit MotionOutput(ComClass* link, MessageLog* messageLog = nullptr,
                          std::function<void(int messageNumber)> statusLine = {})
        : com(link), log(messageLog), status(std::move(statusLine)) {}

    ComClass* com = nullptr;
    MessageLog* log = nullptr;
    std::function<void(int messageNumber)> status;
};

// ---- results -------------------------------------------------------------------------

struct FigureLengthResult {
    double length = 0;       // steps, without the entry (first) and exit (last) moves
    int corners = 0;         // corner moves, the last entry included
    double firstLength = 0;  // steps of the entry move (0 when it is empty)
};

struct SegmentLengthResult {
    double length = 0;  // steps
    int corners = 0;
};

// The other figure's corner times as one figure's walk consumes them (AddMissingDel).
struct DelayCursor {
    std::span<const double> times;  // ms from the start of the other figure's program
    std::size_t next = 0;           // first time not yet passed
    bool mustStop = false;          // the next move starts with a pause
};

// One move of a figure walk as AddMissingDel needs it.
struct WalkMove {
    int line = -1;       // line index of the entry
    std::int32_t x = 0;  // steps, after the carry
    std::int32_t y = 0;
    bool corner = false;    // the corner test alone (without the must-stop flag)
    double feedPeriod = 0;  // ms per step along the path
    double endTime = 0;     // motion time at the end of the move, ms
};

// ---- the walks -----------------------------------------------------------------------

class MotionTiming {
public:
    static constexpr int kOk = 16;
    static constexpr int kNoLink = 289;

    MotionTiming(TDrawing& drawing, const MotionSettings& settings, MotionOutput output);

    // The single-figure walk of figure 1. feedPeriod: ms per step of the material's V;
    // parameters: the cutting parameter record (aStep read as sign and magnitude is the
    // table turn R; a non-zero steps is replaced by (steps − 1) / 2 and, when not
    // simulating, sent again with Setup); rotRatio: rotary steps per X step (0: the table
    // stands); limitCos: the corner limit. 16 or the first failing controller code.
    int StreamFigure(double feedPeriod, CutParameters parameters, double rotRatio, bool simulate, double limitCos,
                     bool secondPass);

    // The two-figure program: both figures balanced to the same time overall, on the
    // entry and exit moves and on every pair of matching segments. feedPeriod: base ms
    // per step; cornerDelay: OpWKacie, ms. 16 or the first failing controller code.
    int StreamTwoFigures(double feedPeriod, std::uint16_t cornerDelay, bool simulate);

    // Total length (entry and exit moves left out), corner count and entry-move length
    // of figure 1 or 2, over the unrounded moves.
    FigureLengthResult FigureLength(int figure);

    // Segment lengths and corner counts of both figures onto the segment starts.
    void CalculateSegmentsLenghts();
    // Feed periods of matched segment pairs onto every entry of the segments.
    void CalculateSegmentsPeriods(double feedPeriod, std::uint16_t cornerDelay);
    // Motion times (ms) at which the figure reaches each of its corner moves, in path
    // order; empty when count is 0. Times are those of the walk: rounded moves at the
    // matched segment periods, entryPeriod on the entry and exit moves, wholePeriod on
    // entries of no matched segment; corner pauses are not counted.
    std::vector<double> CalculateDelTimes(int figure, double entryPeriod, int count, double wholePeriod);
    // Sends one move of figure's walk, cut into pieces at the other figure's corner times
    // that fall inside it. sent: the move went out (in pieces) here and the caller must
    // not send it again. 16 or the failing code.
    int AddMissingDel(int figure, DelayCursor& cursor, const WalkMove& move, bool simulate, bool& sent);

    // Segment length and corner count of entries a … b of a path (unrounded moves; the
    // move of entry a − 1 is the previous move of the corner test).
    SegmentLengthResult SegmentLength(const TLineList& path, const TLines& lines, int a, int b) const;

private:
    int WalkFigure(int figure, double wholePeriod, double entryPeriod, std::span<const double> otherDelTimes,
                   bool simulate);
    double WalkFeedPeriod(int figure, int i, int n, double wholePeriod, double entryPeriod) const;
    void ResetWorkingFields();
    bool HasSegmentLines() const;
    int SendMove(int figure, const SimulationRecord& move, double stepPeriod, bool simulate);
    int SendPiece(int figure, int line, std::int32_t x, std::int32_t y, bool delay, double feedPeriod, bool simulate);
    int SendCommand(std::uint8_t letter);
    void Log(const std::string& text) const;
    void Status(int message) const;

    TDrawing& drawing_;
    MotionSettings settings_;
    MotionOutput output_;
    // The two figures' corner times of a two-figure run; released when it succeeds.
    std::vector<double> delTimes1_;
    std::vector<double> delTimes2_;
    // Per figure: entries that got the period of a matched segment pair.
    std::array<std::vector<bool>, 2> matched_;
    bool segmentRun_ = false;  // the last two-figure run had segment lines
};

}  // namespace wirvela
