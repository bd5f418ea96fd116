#pragma once
// The manual motions of the machine, as the manual-control window and wirvela-cli run
// them. Every motion is a small complete controller program in direct (non-block) mode:
// cancel, end of block, one line (or the turn lines), cutting parameters, axis selection,
// start. The controller reports the end (STAT_END) through the event dispatch, whose
// manual-control window stops the indicator and opens the start lock again; a motion the
// controller refuses opens it at once.
//
// A value over the link, the dispatch, the settings and what the operator set; cheap to
// make for each motion. Window thread only, like the link's operations.
//
// Units: distances in millimetres, motions in motor steps, speeds in cm/min, feed periods
// in ms per step, step periods on the wire in µs.
#include <cstdint>
#include <optional>
#include <string>

#include "controller/CutParameters.h"
#include "cutting/MachineConstants.h"

namespace wirvela {

class ComClass;
class ControllerDispatcher;
class TMessages;
class TParameters;

class ManualMotion {
public:
    static constexpr double kJogMm = 3000;           // a held jog aims this far
    static constexpr double kStartCornerMm = 10000;  // far enough to reach the limit switches

    // What the operator set for the motions.
    struct Settings {
        double distanceMmPerStep = 1;  // mm per step of distances; 0: every distance is 1 step
        int speed = 10;                // cm/min
        int heating = 0;               // 100 − the heating bar's position; sent within 0 … 99
        int preheating = 0;            // ms: the corner delay and the heating time
        bool firstAxis = true;         // the axis selection (Cone)
        bool secondAxis = true;
    };

    // The values a setting may take, min ≤ max.
    struct Range {
        int min = 0;
        int max = 0;

        int Clamp(long long v) const { return static_cast<int>(v < min ? min : (v > max ? max : v)); }
    };

    // The limits of the operator's settings (section ParamsLimits).
    struct Limits {
        Range heatingBar;  // the heating bar stands at 100 − heating
        Range speed;
        Range preheating;

        static Limits Read(const TParameters& parameters);
    };

    // The settings as the manual-control window starts with them: the machine's default
    // speed, heating and preheating time within the limits, both axes.
    static Settings Initial(const MachineConstants& machine, const Limits& limits);
    // v truncated toward zero within the int range; NaN gives 0.
    static int Whole(double v);

    // `link` may be null: every motion then fails with RS_OPEN_COM_ERR.
    ManualMotion(ComClass* link, ControllerDispatcher& dispatcher, const TParameters& parameters,
                 const MachineConstants& machine, const Settings& settings);

    // Steps of a distance: sign(d) × ⌊|d| / mm per step + 0.5⌋, 1 when mm per step is 0.
    // Saturates at the 32-bit range.
    std::int32_t Steps(double mm) const;
    // Steps of a distance the operator typed: divided by manualScaling first (0 reads as 1).
    std::int32_t TypedSteps(double mm) const;
    // Whether a typed distance, or a table turn, fits the controller's 32-bit step
    // counters; one that does not is refused rather than cut short to the counters' end.
    bool TypedDistanceFits(double mm) const;
    bool TurnFits(double degrees) const;
    // The longest typed distance (mm) and the largest turn (degrees) that fit.
    double LongestTypedDistance() const;
    double LargestTurn() const;
    // Why a motion may not be sent; checked before anything goes to the controller, so a
    // refused motion leaves the machine as it was. A value the controller would cut short
    // at its counters' end is refused rather than clamped: the wire would stop somewhere
    // the operator did not ask for and the run would still end as "finished".
    struct Refusal {
        int messageKey = 0;
        std::string text;  // the message filled in
    };
    // A machine setting (section Ploter) outside its key's domain (message 601).
    std::optional<Refusal> SettingsRefusal(const TMessages& messages) const;
    // The above, or a typed distance beyond the step counters (message 609).
    std::optional<Refusal> MoveRefusal(double dxMm, double dyMm, const TMessages& messages) const;
    // The settings refusal, or a turn beyond the step counters (message 610).
    std::optional<Refusal> TurnRefusal(double degrees, const TMessages& messages) const;
    // The manual feed period: mmPerStep × manualScaling × 60000 / (10 × max(V, 1)), ms per
    // step.
    double FeedPeriod() const;
    // The setup record of a manual motion.
    CutParameters Record(double feedPeriod, double rotRatio) const;

    // ---- motions: 16 when started, else the controller's code ------------------------
    // One move of dx, dy steps with rotRatio rotary steps per X step.
    int Move(std::int32_t dx, std::int32_t dy, double rotRatio);
    // A table turn by `degrees`.
    int Turn(double degrees);
    // Into the lower-left limit switches.
    int MoveToStartCorner();
    // Heating an external wire: a move to the lower left with the table turning
    // (withMove), or a long table turn.
    int HeatExternalWire(bool withMove);
    // Ends whatever runs: the cancel, unless `cancel` is false (the controller has ended
    // the run with an error already), and the start lock opened again. 16 or the cancel's
    // code.
    int Stop(bool cancel = true);

private:
    int MoveProgram(std::int32_t dx, std::int32_t dy, double rotRatio);
    int TurnProgram(double degrees);
    int Refused(int code);

    ComClass* link_;
    ControllerDispatcher& dispatcher_;
    const TParameters& parameters_;
    const MachineConstants& machine_;
    Settings settings_;
};

}  // namespace wirvela
