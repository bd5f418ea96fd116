#pragma once
// The cutting window ("Wycinanie", TForm4): one cut of the connected drawing. The
// operator picks a material, sets the heating, optionally sets up a rotary cut (a prism
// of several faces, or a screw-like cut while the table turns), reads the estimated
// duration and the wire wear, and presses Start; while the controller runs the program
// the window holds, continues or stops it, and the controller's reports reach it through
// the event dispatch (active mode 2).
//
// This is the window's model: its controls' values, ranges, texts and enabled/visible
// flags, and its commands. The cut itself is set up by CutSetup, run by CuttingRun and
// its wear counted by WireWear (cutting/); the model keeps the controls and shows what
// those services report. A view mirrors it; the tests drive it directly. Everything
// runs on the window thread, the thread that constructed it; the controller link's
// reader thread reaches it only through its event channel.
//
// Units: estimates in seconds (and milliseconds before truncation), cut lengths in
// metres, wire working time in minutes, feed periods in milliseconds per step.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/windows/Materials.h"
#include "app/windows/ModalResult.h"
#include "config/Prompt.h"
#include "controller/CutParameters.h"
#include "controller/CuttingEvents.h"
#include "cutting/CutSetup.h"
#include "cutting/CuttingRun.h"
#include "cutting/WireWear.h"
#include "platform/EventChannel.h"

namespace wirvela {

class ComClass;
class ControllerDispatcher;
class DebugLog;
class MessageLog;
class Pendant;
class Prompt;
class TDrawing;
class TMessages;
class TParameters;
struct LoaderWindowState;
struct SettingKey;

class CuttingJob final : public CuttingEvents, public MaterialsObserver, private CutReport {
public:
    static constexpr const char* kFormName = "Form4";
    // Events of the window besides the controller's reports (argument: see HandleEvent).
    static constexpr int kEventSendMaterial = 2001;
    static constexpr int kEventMaterialChosen = 2002;
    // Pendant parameter numbers.
    static constexpr int kPendantHeating = 3;
    static constexpr int kPendantMaterial = 19;
    // Control ranges and defaults.
    static constexpr int kFacesMin = 2;
    static constexpr int kFacesMax = 400;
    static constexpr int kFacesDefault = 3;
    static constexpr int kAngleMin = 1;
    static constexpr int kAngleMax = 360;
    static constexpr int kAngleDefault = 360;
    static constexpr const char* kPitchDefault = "10";  // cm of X travel per table revolution
    static constexpr int kStatusClearMs = 5000;         // Timer1
    // Results of the commands that the pendant can also start.
    static constexpr int kOk = CuttingRun::kOk;
    static constexpr int kFailed = CuttingRun::kFailed;
    static constexpr int kDeclined = CuttingRun::kDeclined;  // Start: the operator answered No to the wear warning


    struct Services {
        TParameters* parameters = nullptr;    // required
        const TMessages* messages = nullptr;  // required
        Prompt* prompt = nullptr;             // required; asked only by interactive commands
        TDrawing* drawing = nullptr;          // required: the cut paths
        // Active mode, start lock and the status routing of the event dispatch; required.
        ControllerDispatcher* dispatcher = nullptr;
        // The material grid; absent: every material reads as an empty record.
        Materials* materials = nullptr;
        // The main window's pen-2 flag and scale percentage; absent: no pen 2, 100 %.
        const LoaderWindowState* mainWindow = nullptr;
        Pendant* pendant = nullptr;
        DebugLog* debugLog = nullptr;      // "Start button pressed", "Temp. changed", …
        MessageLog* messageLog = nullptr;  // the motion timing's trace lines
        // Seconds since midnight of the local time of day; absent: the system clock.
        std::function<int()> timeOfDay;
    };

    // The estimate of the selected material and the current figure's cut path (seconds:
    // Label5, lengthMetres: Label24).
    using Estimate = CutEstimate;

    // Creation: the controls take their ranges and initial values (heating and V2 bars
    // from section ParamsLimits, DefaultV2, the Hold button from `Hold`) and the wear
    // labels their values from the store.
    explicit CuttingJob(Services services);
    ~CuttingJob() override;
    CuttingJob(const CuttingJob&) = delete;
    CuttingJob& operator=(const CuttingJob&) = delete;

    // The controller link, set again whenever it is re-created; null: no controller
    // (every command that needs one fails with 289).
    void SetLink(ComClass* link) { run_.SetLink(link); }
    ComClass* Link() const { return run_.Link(); }

    // Show: the link delivers its reports to this window, the status line is cleared,
    // the V2 controls follow the main window's pen-2 flag and the estimate is computed
    // for the drawing as it is now.
    void Show();
    // Close: DefaultV2 is stored from the V2 bar; the window is hidden.
    void Close();
    bool Visible() const { return visible_; }
    ModalResult Result() const { return result_; }

    // ---- the window's event channel (window message 0xC000) -------------------------
    // Every event goes to the dispatcher first; then 2002 re-reads the material and 2001
    // has the materials table send material (arg & 0xFF) to the pendant when it is above 0.
    EventChannel& Channel() { return channel_; }
    std::intptr_t HandleEvent(int code, std::intptr_t arg);
    // Called after each event has been handled (wirvela-cli follows the run with it).
    void SetEventObserver(std::function<void(int code)> observer) { observer_ = std::move(observer); }

    // ---- operator actions ------------------------------------------------------------
    // A click in ListBox1: the material selection handling, then the pendant is told the
    // material (parameter 19). Indices outside the list are ignored.
    void ClickMaterial(int index);
    // Selects list entry `index` without handling it (the pendant posts 2002 afterwards).
    void SelectEntry(int index);
    // The operator moves the heating bar (kept within its range) or the V2 bar.
    void MoveHeatingBar(int position);
    void MoveV2Bar(int position);
    void SetRotaryCut(bool on);          // CheckBox1
    void MoveFacesBar(int position);     // ScrollBar1
    void TypeFaces(std::string_view t);  // Edit1
    void MoveAngleBar(int position);     // ScrollBar2
    void TypeAngle(std::string_view t);  // Edit2
    void SetReverseFaces(bool on);       // CheckBox4
    void SetTurnDuringCut(bool on);      // CheckBox2
    void TypePitch(std::string_view t);  // Edit5
    void SetReverseTurn(bool on);        // CheckBox3
    void SetAlg2(bool on);               // CheckBox6 (hidden)

    // ---- commands (16 on success; see the header comment of each) --------------------
    // Button2. 16: the program runs. −2: refused (wear limit, an impossible screw pitch,
    // a failed Cancel or BeginBlock). 0: the operator declined the wear warning. Any
    // other value: the controller code at which preparing or streaming failed.
    int Start(bool interactive);
    // Button1 "Przerwij": Cancel and EndBlock; the window closes. 16 when EndBlock gave 16.
    int Stop(bool interactive);
    // Button6 "Wstrzymaj" / Button5 "Kontynuuj": 16 or −2.
    int Hold(bool interactive);
    int Continue(bool interactive);
    // Panel1 "Drut wymieniony": the wear counters start again from 0.
    void WireReplaced();
    // Timer1 has fired: the status line is cleared.
    void StatusTimer();
    // Hidden service commands: "Tylko C-RESUME", "STATE", "Asynch ( x )", "Asynch?".
    void ResumeOnly();
    void QueryStateButton();
    void TakeLinkBack();
    void AsynchQuery();

    // The cutting parameter record and the table's turn per X step of a single-figure
    // cut, as Start computes them and the simulation prepares them: the material's
    // values (the heating bar moves to 100 − T), the turn per face and the repetitions of
    // the rotary cut, the turn during the cut from the screw pitch. False when the pitch
    // cannot be cut: message 124 or 126 went to the status line and, when interactive,
    // to a message box.
    bool SingleFigureRecord(CutParameters& record, double& rotRatio, bool interactive);

    // ---- CuttingEvents (the event dispatch) -----------------------------------------
    const EventChannel* Events() const override { return &channel_; }
    void ShowStatus(std::string_view text) override;
    void EnableStart(bool enable) override;
    void EnableContinue(bool enable) override { continueEnabled_ = enable; }
    void EnableHold(bool enable) override { holdEnabled_ = enable; }
    // The end of the program: Stop, with the interactive flag of the Start that began the run.
    void Stop() override;

    // ---- MaterialsObserver (the materials table) -------------------------------------
    void SetMaterialNames(const std::array<std::string, 10>& names, int selected) override;
    int SelectedMaterial() const override { return selected_; }
    // Moves the heating bar and applies the change (label, live heating, pendant).
    void SetHeatingBar(int position) override;
    void ReReadMaterial() override;

    // ---- state ---------------------------------------------------------------------
    const std::array<std::string, 10>& MaterialNames() const { return names_; }
    MaterialValues CurrentMaterial() const;
    const Estimate& CurrentEstimate() const { return estimate_; }
    // Recomputes the estimate (material selection, faces, angle, rotary option).
    void Recalculate();

    int HeatingPosition() const { return heatingPosition_; }
    int HeatingMin() const { return heatingMin_; }
    int HeatingMax() const { return heatingMax_; }
    int V2Position() const { return v2Position_; }
    int V2Min() const { return v2Min_; }
    int V2Max() const { return v2Max_; }
    bool V2Visible() const { return v2Visible_; }
    bool RotaryCut() const { return rotaryCut_; }
    int FacesPosition() const { return facesPosition_; }
    int AnglePosition() const { return anglePosition_; }
    bool FacesAndAngleEnabled() const { return rotaryCut_; }
    bool ReverseFaces() const { return reverseFaces_; }
    bool TurnDuringCut() const { return turnDuringCut_; }
    bool PitchEnabled() const { return turnDuringCut_; }
    bool ReverseTurn() const { return reverseTurn_; }
    bool Alg2() const { return alg2_; }

    bool StartEnabled() const { return startEnabled_; }          // Button2
    bool MaterialsEnabled() const { return startEnabled_; }      // Button3
    bool HoldEnabled() const { return holdEnabled_; }            // Button6
    bool HoldVisible() const { return holdVisible_; }            // Button6 (key Hold)
    bool ContinueEnabled() const { return continueEnabled_; }    // Button5
    bool WirePanelRed() const { return wirePanelRed_; }          // Panel1, red with white text
    bool WirePanelEnabled() const { return wirePanelEnabled_; }  // Panel1
    bool StatusTimerEnabled() const { return statusTimer_; }     // Timer1

    // Texts of the controls, as the view shows them.
    struct Texts {
        std::string edit1;    // faces
        std::string edit2;    // angle
        std::string edit5;    // screw pitch
        std::string label5;   // estimated duration "hh:mm:ss"
        std::string label6;   // start time
        std::string label7;   // estimated end time
        std::string label12;  // wire working time, minutes
        std::string label15;  // its limit, minutes
        std::string label19;  // wire length cut, metres
        std::string label20;  // its limit, metres
        std::string label24;  // length of this cut, metres
        std::string label32;  // heating value
        std::string label35;  // V2 "n cm/min"
        std::string lerrors;  // status line
    };
    const Texts& Text() const { return texts_; }

    // "hh:mm:ss" of a number of seconds, hours not wrapped (negative counts as 0).
    static std::string Duration(long long seconds) { return DurationText(seconds); }

private:
    // ---- CutReport (the run's texts and questions) -----------------------------------
    void Status(std::string_view text) override { ShowStatus(text); }
    void Warning(const RunMessage& message) override;
    bool Question(const RunMessage& message) override;
    void WearAlarm(WearVerdict verdict) override;
    void Starting() override { UpdateClockTexts(); }
    void Heating(int percent) override { SetHeatingBar(100 - percent); }
    void Started() override;

    void SelectionHandling(int index);
    void ApplyHeatingChange();
    void UpdateClockTexts();
    // The wear counters from the store, and all four wear labels.
    void ShowWear();
    // Label12 and Label19 from the counters.
    void ShowUsedWear();
    bool Ask(const RunMessage& message, PromptButtons buttons);
    void DebugText(std::string_view text);
    double Setting(const SettingKey& key) const;
    void StoreNumber(const SettingKey& key, double value);
    // The options of the controls, and the cut they set up with the current material.
    CutOptions Options() const;
    CutSetup Setup() const;
    void TellPendant(int parameter, std::int32_t value);

    Services s_;
    CuttingRun run_;
    std::function<void(int)> observer_;

    std::array<std::string, 10> names_{};
    int selected_ = -1;
    Estimate estimate_;
    WireWear wear_;  // as Label12 and Label19 show it
    int heatingMin_ = 1;
    int heatingMax_ = 100;
    int heatingPosition_ = 65;
    int v2Min_ = 4;
    int v2Max_ = 60;
    int v2Position_ = 100;
    bool v2Visible_ = false;
    bool rotaryCut_ = false;
    int facesPosition_ = kFacesDefault;
    int anglePosition_ = kAngleDefault;
    bool reverseFaces_ = false;
    bool turnDuringCut_ = false;
    bool reverseTurn_ = false;
    bool alg2_ = true;
    bool startEnabled_ = true;
    bool holdEnabled_ = false;
    bool holdVisible_ = false;
    bool continueEnabled_ = false;
    bool wirePanelRed_ = false;
    bool wirePanelEnabled_ = true;
    bool statusTimer_ = false;
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
    Texts texts_;
    // Declared last: closed first, so no event reaches a half-destroyed window.
    EventChannel channel_;
};

}  // namespace wirvela
