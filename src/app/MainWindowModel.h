#pragma once
// The main window ("Ploter termiczny", TForm1): the program's commands, when they are
// enabled, the status bar, the timers and the events that worker threads and other
// windows send it. It loads a drawing through the drawing loader, starts the joining
// worker (the connect command), plays the cutting simulation, clears the drawing, scales
// and places figure 2, and opens every other window through its view.
//
// This is the window's model: every control it names is a field with its visible,
// enabled and text state (Form()); the Qt view mirrors them by object name and forwards
// the operator's actions and the timer ticks. The model owns the drawing view (View():
// the transform, Zoom All, the view-ready flag, Rysuj); the Qt view gives it the
// off-screen bitmap and shows the bitmap when told (Hooks).
//
// Threads. Everything runs on the window thread, the thread that constructs the model.
// Worker threads reach the model only through its event channel (Channel(): window
// message 0xC000): the joining worker sends its events there, and its message boxes and
// the log memo's lines are handed over the same way. The joining's final fit goes to the
// drawing view directly (DrawingView::FitToBox is safe from any thread).
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Control.h"
#include "config/LocalisableWindow.h"
#include "config/Prompt.h"
#include "cutting/SimulationModel.h"
#include "formats/DrawingLoader.h"
#include "formats/HpglReader.h"
#include "platform/EventChannel.h"
#include "platform/Sync.h"
#include "view/Canvas.h"
#include "view/DrawingView.h"

namespace wirvela {

class FrameModel;
class MessageLog;
class MouldingModel;
class ScaleDialogModel;
struct SettingKey;
class TConnectCommand;
class TDrawing;
class TDxfReader;
class TMessages;
class TParameters;

class MainWindowModel : public LocalisableWindow {
public:
    static constexpr const char* kFormName = "Form1";
    static constexpr const char* kDesignFilter = "Plik z grafiką wektorową HP-GL|*.plt";
    static constexpr const char* kDefaultExtension = "*.plt";
    // The save dialog of Save as: projects only.
    static constexpr const char* kProjectFilter = "Pliki projektów CON|*.con";
    static constexpr const char* kProjectExtension = "*.con";
    static constexpr int kPanelCount = 5;
    static constexpr std::array<int, kPanelCount> kPanelWidths{300, 200, 100, 100, 50};  // pixels
    static constexpr int kToolBarHeight = 40;                                            // pixels
    static constexpr int kSpeedMax = SimulationModel::kSpeedMax;
    static constexpr int kStatusClearMs = 5000;      // Timer2
    static constexpr int kRepaintMs = 100;           // Timer3
    static constexpr std::size_t kMemoLines = 5000;  // the log memo keeps the latest lines

    // Window events (window message 0xC000: the code and an argument).
    static constexpr int kEventConnect = 2001;          // argument: ConnectState value
    static constexpr int kEventPendantFileList = 2002;  // pendant file browser request
    static constexpr int kEventPanel0 = 2004;           // 2004 … 2008: a text for panel 0 … 4
    static constexpr int kEventPanel4 = 2008;
    static constexpr int kEventStatusText = 2009;   // a status text (ShowStatus)
    static constexpr int kEventMultiplyNow = 2010;  // to the multiplication dialog
    static constexpr int kEventMultiplicationEnded = 2011;
    static constexpr int kEventPendantState = 3002;
    // The model's own hand-overs from worker threads; never sent by other windows.
    static constexpr int kEventWorkerPrompt = 0x7F01;  // argument: the question (see WorkerPrompt)
    static constexpr int kEventMemo = 0x7F02;          // log memo lines are waiting
    static constexpr int kEventClearPending = 0x7F03;  // the pending multiplication is cleared

    // Windows the main window opens; the view shows them modally.
    enum class Dialog {
        Colours,          // TForm2; Kolory1
        ManualControl,    // TForm3; SpeedButton5, Sterowanierczne1
        Cutting,          // TForm4; SpeedButton6, Wycinanie1
        Materials,        // TForm5; Materiay1
        About,            // TForm6; Info1
        Splash,           // TForm6 as the start-up splash, closed by its timer (SplashMs())
        Devices,          // TForm7; Urzdzenia1
        Scale,            // TForm11; SpeedButton10
        Multiplication,   // TForm9; SpeedButton8
        ParameterEditor,  // TForm110; Parametryzaawansowane1
        Moulding,         // TForm13; SpeedButton12
        Frame,            // TForm14; SpeedButton13
        RotaryProject,    // TForm8; SpeedButton7, Projekt1
    };

    // The open dialog: what the model asks and what the operator chose.
    struct OpenDialogRequest {
        std::string filter;   // "description|pattern|…", the localised filter of OpenDialog1
        int filterIndex = 1;  // 1-based, FileOpenExt
        std::string defaultExtension = kDefaultExtension;
        std::string fileName;  // emptied before every showing
    };
    struct OpenDialogResult {
        std::filesystem::path file;
        int filterIndex = 1;
    };

    // What the model needs from the program around it (the application core).
    struct Services {
        TParameters* parameters = nullptr;    // required
        const TMessages* messages = nullptr;  // required
        MessageLog* log = nullptr;            // required
        TDrawing* drawing = nullptr;          // required
        // The drawing mutex; nullptr when it could not be created (work goes on without it).
        RecursiveTimedMutex* drawingMutex = nullptr;
        // Message boxes of the window thread; required.
        Prompt* prompt = nullptr;
        // The start-up directory: wirvela.ini is read directly from here (TestDuplicates).
        std::filesystem::path directory = ".";
        // Called from the queueing thread after an event is queued (the GUI wakes its loop).
        std::function<void()> notifier;

        // The simulation's inputs from the cutting window (material, rotary options, its
        // show handling, the single-figure record). Absent: defaults of SimulationInputs.
        std::function<SimulationInputs()> simulationInputs;
        // Motor steps per millimetre of the manual-control window for DXF loads.
        std::function<std::optional<double>()> stepsPerMm;
        // The controller link is destroyed and the manual-control window runs its creation
        // again (device choice, a new COM setting); the other windows get the new link.
        std::function<void()> recreateLink;
        // The about box runs its creation again (after a device choice).
        std::function<void()> refreshAbout;
        // The controller gets the cancel operation (Exit).
        std::function<void()> cancelController;
        // The scale dialog's model: its scale and anchor after it closed with OK. Absent:
        // the scaled figure 2 command does nothing.
        const ScaleDialogModel* scaleDialog = nullptr;
        // The generator dialogs. Absent: their commands stay hidden.
        const MouldingModel* mouldingDialog = nullptr;
        const FrameModel* frameDialog = nullptr;
        // The multiplication dialog (absent until it exists): event 2010, and whether the
        // copies are cut with several wires. Its command is shown when multiplyNow is given.
        std::function<void()> multiplyNow;
        // The rotary project window exists: its command is shown.
        bool rotaryProject = false;
        std::function<bool()> multiplySeveralWires;
        // The multiplication dialog's fields, which Save as writes into a project and a
        // loaded project fills. Absent: the model keeps them itself.
        std::function<MultiplicationTexts()> multiplicationFields;
        std::function<void(const MultiplicationTexts&)> setMultiplicationFields;
        // The multiplication's run state, read when a joining starts (non-zero: the entry
        // point is taken as it stands); absent: 0.
        std::function<int()> multiplicationRunState;
        // Worker thread, at the end of a joining run: a multiplication waiting for it goes on.
        std::function<void()> multiplicationJoinEnded;
        // Stop: a multiplication waiting for the stopped joining is over.
        std::function<void()> multiplicationStopped;
        // The pendant's connected flag (event 3002); absent: not connected.
        std::function<bool()> pendantConnected;
        // The program ends with this exit code (Exit, or a link start-up that ends the run).
        std::function<void(int exitCode)> requestExit;
    };

    // What the model needs from its view. Every member is optional.
    struct Hooks {
        // Something in Form(), the title or the panels changed: mirror again.
        std::function<void()> changed;
        // The off-screen bitmap the drawing view and the simulation paint on (the view may
        // replace it, e.g. after a resize, by setting the hooks again).
        Canvas* bitmap = nullptr;
        // Copies the bitmap to the window (under the 40-pixel tool bar).
        std::function<void()> present;
        // The open dialog; nothing when the operator cancels.
        std::function<std::optional<OpenDialogResult>(const OpenDialogRequest&)> openDialog;
        // The save dialog of Save as (same request and answer); nothing when cancelled.
        std::function<std::optional<OpenDialogResult>(const OpenDialogRequest&)> saveDialog;
        // Shows a window modally; true when it closed with the OK result.
        std::function<bool(Dialog)> showModal;
        // The log memo was shown or hidden: the off-screen bitmap gets its new size.
        std::function<void()> layoutChanged;
    };

    // The window's controls, by their component names.
    struct Controls {
        // Tool bar.
        Control SpeedButton1;   // open
        Control SpeedButton2;   // simulate
        Control SpeedButton3;   // join (hidden)
        Control SpeedButton4;   // stop
        Control SpeedButton5;   // manual control
        Control SpeedButton6;   // cut
        Control SpeedButton7;   // rotary project (hidden until its window exists)
        Control SpeedButton8;   // multiply (hidden until its window exists)
        Control SpeedButton9;   // open figure 2 (two-figure mode)
        Control SpeedButton10;  // scaled figure 2 (two-figure mode)
        Control SpeedButton11;  // remove figure 2 (two-figure mode)
        Control SpeedButton12;  // bent moulding (hidden until its window exists)
        Control SpeedButton13;  // frame (hidden until its window exists)
        Control SpeedButton14;  // clear
        Control SpeedButton15;  // pendant (hidden until the pendant exists)
        // Menu.
        Control Plik1, Wczytaj1, Zapiszjako1, Projekt1, Zakocz1;
        Control Narzdzia1, Poczobiekty1, Liniacicia1, Sterowanierczne1, Wycinanie1;
        Control Ustawienia1, Kolory1, Materiay1, Parametryzaawansowane1, Urzdzenia1;
        Control Info1;
        // Pop-up menu of the drawing view.
        Control Zoom1, ZoomIn1, ZoomInx21, ZoomInx51, ZoomOut1, ZoomOut21, ZoomOut51;
        // Fields and labels.
        Control Label1;     // "Skala [%]"
        Control Label6;     // the simulation speed bar's label
        Control Edit1;      // object number of "Pokaż Obj." (debug)
        Control Edit2;      // scale percentage
        Control TEoffsetX;  // figure 2 offsets, mm (two-figure mode)
        Control TEoffsetY;
        Control Label4;       // "OffsetX"
        Control Label5;       // "OffsetY"
        Control CheckBox1;    // draw object numbers (debug)
        Control CheckBox2;    // "Debug" (debug)
        Control CheckBox3;    // draw line numbers (debug)
        Control Button100;    // "Pokaż Obj." (debug)
        Control Memo1;        // log memo (debug)
        Control ScrollBar1;   // simulation speed
        Control OpenDialog1;  // its text is the dialog's filter
        int ScrollBar1Min = 0;
        int ScrollBar1Max = kSpeedMax;
        int ScrollBar1Position = 200;
        std::vector<std::string> Memo1Lines;
        // SpeedButton15's picture: ImageRemoteConnected (true) or ImageRemoteDisconnected.
        bool PendantConnectedPicture = false;
        // Status bar.
        std::array<std::string, kPanelCount> Panels;
        // Timers.
        TimerState Timer1{false, SimulationModel::kInitialInterval};  // simulation step
        TimerState Timer2{false, kStatusClearMs};                     // clears panel 0 once
        TimerState Timer3{false, kRepaintMs};                         // one repaint
    };

    // Creation: the controls take their design-time texts and the idle enabling; the
    // store's values follow with Create().
    explicit MainWindowModel(Services services);
    ~MainWindowModel() override;
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    void SetHooks(Hooks hooks);

    // The creation handler's window part, after the store and the message table: the
    // texts of section "Form1" (when local.txt is present), the speed bar, the drawing
    // settings, the two-figure controls, the pen-2 flag.
    void Create();
    // First activation (only once): the debug controls when Debug is set, then the about
    // box as the splash (Dialog::Splash, closing after SplashMs()). False when it ran before.
    bool FirstActivation();
    int SplashMs() const;

    // ---- commands -------------------------------------------------------------------
    void Open();         // SpeedButton1, Wczytaj1
    void OpenFigure2();  // SpeedButton9 (two-figure mode only)
    // The chosen file loaded interactively (the end of the open dialog; the pendant's and
    // tests' way in too). Returns the loader's result: 16 loaded, −2 not.
    int LoadFile(const std::filesystem::path& file, int interactive = 1);
    // Zapiszjako1 (Ctrl+S): the drawing and the multiplication on screen as a project.
    void SaveAs();
    void Join();  // SpeedButton3, Poczobiekty1 (hidden)
    // The join command's run, also for a multiplication that joins the drawing again:
    // 16 started, −2 not.
    int JoinNow();
    void Simulate();            // SpeedButton2, Liniacicia1
    void ManualControl();       // SpeedButton5, Sterowanierczne1
    void Cut();                 // SpeedButton6, Wycinanie1
    // The rotary project window, shown modally; the drawing it cut from is cleared after.
    void RotaryProject();       // SpeedButton7, Projekt1
    // The rotary project window enables the simulation while it shows.
    void EnableSimulation() { SetSimulate(true); }
    void Stop();                // SpeedButton4
    void Clear();               // SpeedButton14
    void Colours();             // Kolory1
    void Materials();           // Materiay1
    void AdvancedParameters();  // Parametryzaawansowane1
    void Devices();             // Urzdzenia1
    void Info();                // Info1
    void ScaledFigure2();       // SpeedButton10
    void RemoveFigure2();       // SpeedButton11
    // The bent moulding: the current set is emptied before the dialog shows (so cancelling
    // leaves an empty drawing); after OK its outline, already one walk, is the cut path.
    void BentMoulding();  // SpeedButton12
    // The frame: after OK it is added to the joined drawing, which is joined again.
    void AddFrame();  // SpeedButton13
    void ShowObject();          // Button100
    void Multiply();            // SpeedButton8
    void Exit();                // Zakocz1
    // The after-multiplication step (OK of the multiplication dialog, or event 2011).
    void AfterMultiplication();

    // ---- fields ------------------------------------------------------------------------
    // Edit2: on change, on leaving it and on Enter.
    void Edit2Changed(std::string_view text);
    void Edit1Changed(std::string_view text);
    // Typing in TEoffsetX / TEoffsetY; Enter applies the offsets.
    void OffsetXChanged(std::string_view text);
    void OffsetYChanged(std::string_view text);
    void OffsetEnter();
    void CheckBoxChanged(int number, bool checked);  // 1, 2, 3: repaint
    void ScrollBar1Changed(int position);

    // ---- view events ---------------------------------------------------------------------
    void ZoomAll();  // Zoom1
    // The window was resized and the bitmap now has width × height pixels: Zoom All unless
    // the window is closing.
    void Resized(int bitmapWidth, int bitmapHeight);
    // Rysuj(): repaint the bitmap and present it.
    void Repaint();
    // The drawing view: pop-up menu zooms, wheel, panning, the mouse read-out.
    DrawingView& View() { return *view_; }
    const DrawingView& View() const { return *view_; }
    // The window is closing (or the program ending): a resize no longer fits the view.
    void SetClosing();
    // Closing the window: the closing flag, the simulation stopped, the joining worker
    // stopped cooperatively (it ends at its next check and releases the drawing).
    void Close();
    bool Closing() const { return closing_; }
    void OnTimer1();  // simulation step
    void OnTimer2();  // clears panel 0
    void OnTimer3();  // one repaint

    // ---- status ----------------------------------------------------------------------
    // ShowStatus: panel 0 gets a blank and the text; Timer2 starts again.
    void ShowStatus(std::string_view text);
    // Panel 1: the size of figure 1 at the scale percentage (message 2), or empty.
    void RefreshSizeReport();
    // Thread-safe: one line for the log memo (the message log's memo hook).
    void AppendMemoLine(std::string_view line);

    // ---- events ----------------------------------------------------------------------
    EventChannel& Channel() { return *channel_; }
    std::intptr_t HandleEvent(int code, std::intptr_t arg);
    // A Prompt for worker threads: each question is handed to the window thread.
    Prompt& WorkerPrompt();

    // ---- state -----------------------------------------------------------------------
    const Controls& Form() const { return c_; }
    const std::string& Title() const { return window_.title; }
    double ScalePercent() const { return window_.scalePercent; }
    // The figure offsets of TEoffsetX / TEoffsetY, millimetres.
    std::pair<double, double> OffsetsMm() const;
    // The main window's state shared with the loader and the cutting window.
    LoaderWindowState& WindowState() { return window_; }
    const LoaderWindowState& WindowState() const { return window_; }
    // The multiplication dialog's fields (the dialog's, or the model's own record).
    MultiplicationTexts MultiplicationFields() const;
    void SetMultiplicationFields(const MultiplicationTexts& fields);
    bool DebugControls() const { return debug_; }
    bool TwoFigureMode() const { return cone_; }
    bool ViewReady() const { return view_->ViewReady(); }
    bool FirstActivationPending() const { return firstActivation_; }
    int PenMask() const { return pens_.penMask; }
    // The reader state every profile load shares with the open command.
    HpglPenState& Pens() { return pens_; }
    TDxfReader& DxfReader() { return *dxf_; }
    SimulationModel& Simulation() { return *simulation_; }
    bool SimulationRunning() const { return c_.Timer1.enabled; }
    // The joining worker exists and has not ended.
    bool JoiningRunning() const;
    // Waits for the joining worker, handling this window's events meanwhile, then handles
    // what it posted last. Window thread only.
    void WaitForJoining();
    // The report of the last joining run.
    const TConnectCommand& Connect() const { return *connect_; }
    TConnectCommand& Connect() { return *connect_; }

    // Every control with its component name, in a fixed order (for views and tests).
    void ForEachControl(const std::function<void(std::string_view name, const Control&)>& f) const;
    const Control* Find(std::string_view name) const;

    // The off-screen bitmap's size for a client area of width × height pixels (Data model).
    static std::pair<int, int> BitmapSize(int windowWidth, int windowHeight, bool memoVisible, int memoWidth);

    // ---- LocalisableWindow ----------------------------------------------------------------
    std::string_view FormName() const override { return kFormName; }
    void SetTitle(std::string_view text) override;
    void SetFontCharset(int charset) override { charset_ = charset; }
    void SetControlCaption(std::string_view control, std::string_view text) override;
    void SetControlFontCharset(std::string_view, int) override {}
    void SetControlHint(std::string_view control, std::string_view text) override;
    void SetControlFilter(std::string_view control, std::string_view filter) override;
    int FontCharset() const { return charset_; }

private:
    class MarshalledPrompt;
    class ForwardingCanvas;

    Control* FindMutable(std::string_view name);
    void Changed();
    void Present();
    PaintInputs CurrentPaintInputs() const;
    const std::string& Message(int key) const;
    double Setting(const SettingKey& key) const;
    void SetEnabled(std::initializer_list<Control*> controls, bool enabled);
    void SetCut(bool enabled);
    void SetSimulate(bool enabled);
    void ShowTwoFigureControls();
    void ShowDebugControls(bool on);
    void SetPanel(int panel, std::string_view text);
    void RefreshCountPanels();
    void MirrorSimulationTimer();
    void StopJoining();
    void ConnectState(int value);
    void ApplyOffsets();
    void ShowGeneratedCounts();
    void RejoinGenerated();
    void RunOpenDialog(int figure);
    // Whether a project saved now must repeat a multiplication to show what is on screen.
    bool ProjectReplaysMultiplication() const;
    void Tell(int key, const std::string& text, PromptIcon icon);
    int StartJoin(int interactive, std::uint64_t operationStart);
    void SimulationCommands(bool simulating);
    void DisableForJoining();
    void EmptyFigure(int figure);
    void DrainMemo();
    void ApplyDeferredSettings(bool workerDone = false);

    Services s_;
    Hooks hooks_;
    Controls c_;
    LoaderWindowState window_;
    HpglPenState pens_;
    std::unique_ptr<TDxfReader> dxf_;
    MultiplicationTexts multiplicationFields_;  // while no dialog holds them
    std::unique_ptr<ForwardingCanvas> canvas_;
    std::unique_ptr<DrawingView> view_;
    std::unique_ptr<SimulationModel> simulation_;
    std::unique_ptr<MarshalledPrompt> workerPrompt_;
    bool debug_ = false;
    bool cone_ = false;
    bool firstActivation_ = true;
    bool closing_ = false;
    int charset_ = 0;
    std::uint64_t loadStart_ = 0;
    // Settings changed by the parameter editor while the joining worker reads them; they
    // take effect once it has ended.
    struct Deferred {
        std::optional<std::pair<double, double>> entry;  // WejscieX, WejscieY, mm
        bool derive = false;                             // scale, aperture, snap grid
    };
    Deferred deferred_;

    std::mutex memoMutex_;
    std::vector<std::string> memoPending_;
    bool memoPosted_ = false;

    // Declared last: the joining worker (which sends to the channel and reads the window's
    // state) is stopped first, in the destructor's body; then the channel is closed.
    std::unique_ptr<EventChannel> channel_;
    std::unique_ptr<TConnectCommand> connect_;
};

}  // namespace wirvela
