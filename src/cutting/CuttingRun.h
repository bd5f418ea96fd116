#pragma once
// One cut on the controller: Start (the wear check, the controller's preparation, the
// program streamed by the motion timing, the wear charged), Stop, Hold and Continue, over
// the controller link and the event dispatch (active mode 2, the start lock). What the
// run has to tell or ask the operator goes to a CutReport: the cutting window shows it in
// its controls and boxes, wirvela-cli on the terminal.
//
// Runs on the window thread, like the link's operations. Results: 16 success, −2 refused,
// 0 declined by the operator, any other value the controller code at which it failed.
#include <optional>
#include <string>
#include <string_view>

#include "config/SettingCheck.h"
#include "controller/CutParameters.h"
#include "settings/MaterialValues.h"

namespace wirvela {

class ComClass;
class ControllerDispatcher;
class MessageLog;
class TDrawing;
class TMessages;
class TParameters;
struct CutEstimate;
struct CutSetup;
struct MotionOutput;
struct WireWear;
enum class WearVerdict;

// A text for the operator: what it says, the caption of its box and the local.txt key of
// the text (the code's message for a controller code; −1 for none).
struct RunMessage {
    std::string text;
    std::string caption;
    int messageKey = -1;
};

// What a run tells its front end. Boxes and questions come only from interactive commands.
class CutReport {
public:
    virtual ~CutReport() = default;
    // The status line.
    virtual void Status(std::string_view text) = 0;
    // A warning the operator acknowledges.
    virtual void Warning(const RunMessage& message) = 0;
    // A question; true when the operator answers Yes.
    virtual bool Question(const RunMessage& message) = 0;

    // An interactive Start found the wire worn out (after its warning) or this cut
    // taking it past a limit (before the question).
    virtual void WearAlarm(WearVerdict) {}
    // Start passed the wear check and prepares the controller.
    virtual void Starting() {}
    // Start sets the material's heating (per cent), after the controller took the block.
    virtual void Heating(int) {}
    // The program streamed and the controller started it.
    virtual void Started() {}
};

class CuttingRun {
public:
    static constexpr int kOk = 16;
    static constexpr int kFailed = -2;
    static constexpr int kDeclined = 0;

    struct Services {
        TParameters* parameters = nullptr;    // required: the wear counters
        const TMessages* messages = nullptr;  // required
        TDrawing* drawing = nullptr;          // required: the cut paths
        // Active mode, start lock and the status routing of the event dispatch.
        ControllerDispatcher* dispatcher = nullptr;
        MessageLog* messageLog = nullptr;  // the motion timing's trace lines
    };

    CuttingRun(Services services, CutReport& report);

    // The controller link; null: no controller (every command fails with 289).
    void SetLink(ComClass* link) { link_ = link; }
    ComClass* Link() const { return link_; }

    // Start. First the settings the cut uses ([Ploter], the material's section and its
    // values) must lie in their domains: one edited into the file by hand refuses (−2,
    // message 601) before anything is sent or charged. The wear check counts `wear` (the used values as the front end shows them)
    // against the store's limits and the estimate: worn out refuses (−2, with a warning
    // when interactive); past a limit with this cut refuses a start from the pendant (−2)
    // and asks an interactive one (No: 0). Then Cancel and BeginBlock (a failure refuses:
    // −2), the heating of the material, and the program: both figures kept in step, or
    // the single figure with its rotary repetitions, the step out and back and Start. A
    // screw pitch the table cannot follow refuses (−2) before any move. Whenever the
    // program was streamed, successfully or not, `wear` is charged with the estimate and
    // stored; a failed program is cancelled (it may have started) and ends the block.
    int Start(const CutSetup& setup, const CutEstimate& estimate, WireWear& wear, bool interactive);
    // Cancel and EndBlock, failures reported; the start lock is released. 16 when EndBlock gave 16.
    int Stop(bool interactive);
    // The interactive flag of the last Start (the end of its program stops with it).
    bool StartedInteractive() const { return interactive_; }
    int Hold(bool interactive);
    int Continue(bool interactive);
    // Takes the port back from the reader thread while a program runs (the running flag
    // is cleared only together with the port); a failure is reported with a box.
    void TakeLinkBack();

    // The table's turn per X step of a single-figure cut with this record; a refusal
    // (message 124 or 126) goes to the status line and, when interactive, to a warning.
    bool TurnDuringCut(const CutSetup& setup, const CutParameters& record, double& rotRatio, bool interactive);

private:
    // The first stored setting of [Ploter] or of the material's section, or value of the
    // material, that is outside its domain.
    std::optional<SettingProblem> SettingsProblem(const MaterialValues& material) const;
    // False, with message 601 on the status line (and in a warning when interactive),
    // when a setting the cut would use is outside its domain.
    bool SettingsUsable(const MaterialValues& material, bool interactive);
    const std::string& Message(int key) const;
    void CodeFailure(int code, bool interactive, int caption);
    int StartTwoFigures(const CutSetup& setup, const CutParameters& record);
    int StartSingleFigure(const CutSetup& setup, const CutParameters& record, bool interactive, bool& refused);
    // The motion timing's outputs: the link, the trace lines, status messages to the report.
    MotionOutput Output();

    Services s_;
    CutReport& report_;
    ComClass* link_ = nullptr;
    bool interactive_ = true;
};

}  // namespace wirvela
