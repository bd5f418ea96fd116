#pragma once
// The manual-control window ("Ręczne sterownie ploterem"): jogs the wire in eight
// directions while a button or a numeric-keypad key is held, moves by a typed distance,
// turns the rotary table, drives to the start corner, heats an external wire and sets the
// heating and the speed. The motions themselves are the manual motions of cutting/
// (ManualMotion.h) over the controller link, which the application core starts and owns
// and hands to this window (SetLink); the link's reports come to this window's channel.
//
// Releasing the jog or turn button cancels the motion; otherwise the controller reports
// the end (STAT_END) through the event dispatch, which stops the indicator and releases
// the start lock.
//
// This is the window's model: the controls' state under their component names (Form()),
// and the commands the view forwards. Runs on the window thread: the thread that
// constructs the model, which also handles the link's reports (Channel()).
//
// Units: distances in millimetres (inches in Edit14/Edit15), motions in motor steps,
// speeds in cm/min, feed periods in ms per step, step periods on the wire in µs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/Control.h"
#include "controller/LinkServices.h"
#include "controller/ManualControlEvents.h"
#include "cutting/InchText.h"
#include "cutting/MachineConstants.h"
#include "cutting/ManualMotion.h"
#include "platform/EventChannel.h"

namespace wirvela {

class ComClass;
class ControllerDispatcher;
class LocalisableWindow;
class Pendant;
class Prompt;

class ManualControl : public ManualControlEvents {
public:
    static constexpr const char* kFormName = "Form3";
    static constexpr int kOk = 16;
    static constexpr int kFailed = -2;
    static constexpr double kJogMm = ManualMotion::kJogMm;
    static constexpr double kStartCornerMm = ManualMotion::kStartCornerMm;
    static constexpr double kMmPerInch = wirvela::kMmPerInch;
    static constexpr double kInchTolerance = kInchFieldTolerance;
    static constexpr int kStatusClearMs = 5000;    // Timer1
    static constexpr int kBlinkMs = 600;           // Timer2
    static constexpr const char* kVarsFile = "vars.txt";

    enum class PanelColour { Silver, Red };

    // The window's controls by their component names.
    struct Controls {
        Control ScrollBar1;         // heating bar: heating = 100 − position
        Control ScrollBar2;         // speed, cm/min
        Control Edit1;              // mirrors ScrollBar2
        Control Edit3 = Control::Field("1", false);  // mm per step for distances (hidden)
        Control Edit4 = Control::Field("0"); // dx, mm
        Control Edit5 = Control::Field("0"); // dy, mm
        Control Edit6 = Control::Field("10");  // turn angle for SpeedButton1, degrees
        Control Edit11;             // preheating time, ms
        Control Edit14 = Control::Field("0\"", false);  // dx, inches (Imperial)
        Control Edit15 = Control::Field("0\"", false);  // dy, inches (Imperial)
        std::string Label23;        // heating value, 100 − ScrollBar1.position
        // Jogs: up, down, left, right, up-right, down-right, down-left, up-left.
        Control Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8;
        Control Button9;                // move by [dx, dy]
        Control Button10 = Control::Hidden();  // hidden service button
        Control Button16;               // STOP; the numeric keypad jogs while it has the focus
        Control Button24;               // "Odczytaj Zmienne"
        Control SpeedButton1;           // turn by Edit6
        Control SpeedButton2;           // turn −360° while held
        Control SpeedButton3;           // turn +360° while held
        Control CheckBox1 = Control::CheckedBox();  // axis selection (Cone)
        Control CheckBox2 = Control::CheckedBox();
        bool Label24Visible = true;
        bool Label26Visible = true;
        PanelColour Panel1 = PanelColour::Silver;  // movement indicator
        std::string Lerrors;                       // status line
        TimerState Timer1 = TimerState::Every(kStatusClearMs);  // clears Lerrors once
        TimerState Timer2 = TimerState::Every(kBlinkMs);  // blinks Panel1
    };

    // The jog buttons and their directions: up = +dy, right = +dx.
    enum class Jog { Up = 1, Down, Left, Right, UpRight, DownRight, DownLeft, UpLeft };

    struct Services {
        // The link's services: settings, messages, logs (the USB library is the
        // application's). `directory` is where vars.txt goes; `messageLog` gets the button
        // lines.
        LinkServices link;
        Prompt* prompt = nullptr;                    // required
        ControllerDispatcher* dispatcher = nullptr;  // required: active mode, start lock, reports
        Pendant* pendant = nullptr;                  // optional
    };

    // Registers the model with the dispatcher as the manual-control window.
    explicit ManualControl(Services services);
    ~ManualControl() override;
    ManualControl(const ManualControl&) = delete;
    ManualControl& operator=(const ManualControl&) = delete;

    // Creation; runs again whenever the link is re-created (the old link goes first, the
    // link's start-up follows): machine constants, the bars' limits and positions, the
    // inch fields, the pendant connection (PilotConnect), the heating bar at 100 − DefTemp.
    void Create(LocalisableWindow* view = nullptr);
    // The controller link the motions go to; null while there is none. The link delivers
    // its reports to Channel() and must go before this window.
    void SetLink(ComClass* link) { link_ = link; }
    // Show: the link's reports come to this window; the axis boxes follow Cone.
    void Show();
    // Closing the window: the speed and preheating fields are validated.
    void Close();

    const Controls& Form() const { return c_; }
    const MachineConstants& Machine() const { return machine_; }
    ComClass* Link() const { return link_; }
    // The window's event channel; the window thread drains it (ProcessPending).
    EventChannel& Channel() { return events_; }

    // ---- motions (16 on success; a controller code, or −2 where noted) ---------------
    // Every motion is refused (−2, nothing sent) while a setting of section Ploter lies
    // outside its domain (message 601), and a typed distance or turn that does not fit the
    // controller's step counters is refused the same way (messages 609, 610).
    // One move of dx, dy steps with rotRatio rotary steps per X step.
    int Move(std::int32_t dx, std::int32_t dy, double rotRatio, bool interactive);
    // A table turn by `degrees`.
    int Turn(double degrees, bool interactive);
    // A jog button (or its keypad key) pressed: Move by ±3000 mm on the button's axes.
    int JogPress(Jog direction, bool interactive = true);
    // Any jog or turn button released: cancels the motion unless the controller reported
    // an error. 16 or −2.
    int Release();
    // SpeedButton3 (positive) / SpeedButton2 held: Turn by ±360°.
    int TurnPress(bool positive);
    // SpeedButton1 "[dA]": Turn by Edit6.
    int TurnByField(bool interactive);
    // Button9: Move by Edit4, Edit5 (÷ manualScaling); with Imperial the inch fields are
    // read first (messages 203 / 204, then −2).
    int MoveByDistance(bool interactive);
    // The pendant's move by (dx, dy) millimetres, both divided by manualScaling; marked
    // as a pendant move until it fails or is stopped (the dispatch then tells the pendant
    // when it ends).
    int PendantMoveBy(double dxMm, double dyMm);
    // Drives into the lower-left limit switches.
    int MoveToStartCorner(bool interactive);
    // Heating an external wire: a move to the lower left with the table turning
    // (withMove), or a long table turn.
    int HeatExternalWire(bool withMove, bool interactive);
    // Button16 "STOP": cancels whatever runs; returns the cancel's result.
    int Stop();

    // ---- keypad (while Button16 has the focus) ---------------------------------------
    // Virtual key codes 97 … 105 (keypad 1 … 9) except 101 (5). True when the key is one
    // of them.
    bool KeypadDown(int key);
    bool KeypadUp(int key);
    static constexpr int kKeypad1 = 97;
    static constexpr int kKeypad9 = 105;
    static constexpr int kKeypad5 = 101;

    // ---- fields ------------------------------------------------------------------------
    void ScrollBar1Changed(int position);  // heating bar
    void ScrollBar2Changed(int position);  // speed bar
    void Edit1Changed(std::string_view text);
    void Edit1Exit();
    void Edit11Changed(std::string_view text);
    void Edit11Exit();
    void Edit3Changed(std::string_view text);
    void Edit4Changed(std::string_view text);
    void Edit5Changed(std::string_view text);
    void Edit6Changed(std::string_view text);
    void Edit14Changed(std::string_view text);
    void Edit15Changed(std::string_view text);
    void CheckBox1Clicked(bool checked);
    void CheckBox2Clicked(bool checked);
    // Left and Home are ignored in the inch fields.
    static bool InchFieldIgnoresKey(int key) { return key == 37 || key == 36; }

    // ---- service commands and timers ---------------------------------------------------
    // "Stan urzadz." (Panel6): the controller state through QueryState; the text shown.
    std::string DeviceState();
    // "STATE" (Panel5): C_STATE sent directly; the text shown.
    std::string StatePanel();
    // "Odczytaj Zmienne" (Button24): variables 0, 4, … 124 to vars.txt. 16 when the dump
    // is complete, else −2.
    int DumpVariables();
    void Timer1Fired();   // clears the status line once
    void Timer2Fired();   // one blink of the indicator
    void LerrorsClick();  // blanks the status line

    // ---- state -----------------------------------------------------------------------
    bool Moving() const { return moving_; }
    bool ErrorFlag() const { return errorFlag_; }
    bool KeypadGuard() const { return keypadGuard_; }
    // True while a started move runs (the indicator blinks).
    bool MoveRunning() const { return c_.Timer2.enabled; }
    // The last report of the controller handled by this window; 0 before any.
    int LastEvent() const { return lastEvent_; }

    // Steps of a distance: sign(d) × ⌊|d| / mm per step + 0.5⌋ with mm per step from Edit3;
    // 1 when that is 0. Saturates at the 32-bit range.
    std::int32_t Steps(double mm) const;
    // The manual feed period at the speed bar's position: mmPerStep × manualScaling ×
    // 60000 / (10 × max(V, 1)), ms per step.
    double ManualFeedPeriod() const;

    // ---- ManualControlEvents ---------------------------------------------------------
    const EventChannel* Events() const override { return &events_; }
    void ShowStatus(std::string_view text) override;
    void EnableStart(bool enable) override;
    void StopIndicator() override;
    void SetErrorFlag() override { errorFlag_ = true; }
    bool MovingToStartCorner() const override { return movingToStart_; }
    bool ExecutingPendantMove() const override { return pendantMove_; }

private:
    // The manual motions with what the bars and fields say now.
    ManualMotion Motion() const;
    void Log(std::string_view line) const;
    void ValidateFields();
    // A motion asked for: the indicator runs when it started, else the status line (and,
    // when interactive, a message box) shows why not.
    int Started(int code, bool interactive);
    // A motion refused before anything was sent: said as the window's other refusals are
    // (status line; a message box when interactive). True when there is a refusal.
    bool Refused(const std::optional<ManualMotion::Refusal>& refusal, bool interactive);
    void StartIndicator();
    // A move by distances as typed (÷ manualScaling), refused when they do not fit.
    int MoveByMillimetres(double dxMm, double dyMm, bool interactive);
    void SendPendant(int number, std::int32_t value);
    void MillimetresChanged(Control& mm, Control& inch, std::string_view text);
    void InchesChanged(Control& inch, Control& mm, std::string_view text);
    int HandleEvent(int code);

    Services s_;
    Controls c_;
    MachineConstants machine_;
    bool imperial_ = false;
    bool moving_ = false;
    bool movingToStart_ = false;
    bool pendantMove_ = false;
    bool errorFlag_ = false;
    bool keypadGuard_ = false;
    int lastEvent_ = 0;
    ComClass* link_ = nullptr;
    EventChannel events_;
};

}  // namespace wirvela
