#pragma once
// The set-up of one cut: the material, the options of the cut (rotary cut, turn during
// the cut, Alg2, V2) and the machine constants of the settings store, and what follows
// from them: the cutting parameter record the controller gets, the rotary cut's turn per
// face and repetitions, the table's turn during the cut, and the estimate of duration
// and length. The cutting window and wirvela-cli set a cut up the same way.
//
// Units: estimates in seconds (and milliseconds before truncation), cut lengths in
// metres, feed periods in milliseconds per step, the screw pitch in centimetres of X
// travel per table revolution, the table in steps.
#include <array>
#include <string>

#include "controller/CutParameters.h"
#include "cutting/MotionTiming.h"
#include "settings/MaterialValues.h"

namespace wirvela {

class TDrawing;
class TParameters;

// The options of a cut, as the cutting window opens: no rotary cut, three faces over a
// full turn, no turn during the cut (a pitch of 10 cm), Alg2 set.
struct CutOptions {
    bool rotaryCut = false;      // the block is cut as a prism of `faces` faces
    int faces = 3;               // 2 … 400
    int angle = 360;             // degrees the table turns over all faces, 1 … 360
    bool reverseFaces = false;   // the table turns the other way between faces
    bool turnDuringCut = false;  // the table turns while the wire cuts (a screw-like cut)
    double pitchCm = 10;         // cm of X travel per table revolution
    bool reverseTurn = false;    // the table turns the other way during the cut
    bool alg2 = true;            // the whole-figure period balance of two-figure cuts
    double v2 = 100;             // cm/min: the speed of pen-2 lines

    // DefaultV2 within VxyMin … VxyMax (whole cm/min), the others as above.
    static CutOptions FromStore(const TParameters& parameters);
};

// The range of V2 speeds, whole cm/min: VxyMin … VxyMax (never below VxyMin).
struct SpeedRange {
    int min = 0;
    int max = 0;
    static SpeedRange V2FromStore(const TParameters& parameters);
};

// The estimate of one cut.
struct CutEstimate {
    int seconds = 0;          // whole seconds, the rotary cut's faces and table turns included
    double milliseconds = 0;  // a single pass before truncation, preheating included
    double lengthMetres = 0;  // of this cut
};

// The table's turn during the cut. A pitch the table cannot follow is refused with the
// message that names the reason: 124 (the pitch is not positive) or 126 (the table would
// have to turn faster than it can; arguments: the two limits the message names).
struct TableTurn {
    static constexpr int kPitchNotPositive = 124;
    static constexpr int kTableTooSlow = 126;

    double rotRatio = 0;        // table steps per X step; negative when turning back; 0 when off or refused
    int refusal = 0;            // 0, kPitchNotPositive or kTableTooSlow
    std::array<int, 2> args{};  // kTableTooSlow: trunc(300 / ratio), trunc(heating × 5 / ratio)
    bool Refused() const { return refusal != 0; }
};

struct CutSetup {
    MaterialValues material;
    CutOptions options;
    MotionSettings motion;     // machine constants, the material's corner limit and the options
    double stepsPer360 = 100;  // Ploter/StepsPer360: table steps per revolution

    // Reads the machine constants now. scalePercent: the main window's scale.
    static CutSetup FromStore(const TParameters& parameters, const MaterialValues& material, const CutOptions& options,
                              double scalePercent);

    // The material's cutting parameter record: feed period of V, heating T (at most 99,
    // the controller's limit), preheating, corner pause, DefRotVelocity; no repetitions.
    CutParameters Record() const;
    // The record with the rotary cut's turn per face (aStep: magnitude, bit 31 for
    // reverse faces; computed also without a rotary cut) and repetitions (faces − 1, or
    // 0 without a rotary cut).
    CutParameters SingleFigureParameters(const CutParameters& record) const;
    // The table's turn per X step during a single-figure cut with this record (0 when
    // the option is off).
    TableTurn TurnDuringCut(const CutParameters& record) const;
    // The estimate over the current figure's cut path: every move at the material's
    // speed, the preheating, the corner pauses; a rotary cut repeats the pass per face
    // and adds the table's turns at DefRotVelocity.
    CutEstimate Estimate(TDrawing& drawing) const;
};

// "hh:mm:ss" of a number of seconds, hours not wrapped (negative counts as 0).
std::string DurationText(long long seconds);
// A length in metres as the cutting window shows it: "%5.2f" (" 0.60", "600.00").
std::string MetresText(double metres);

}  // namespace wirvela
