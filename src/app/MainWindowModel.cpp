#include "app/MainWindowModel.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "app/ConnectCommand.h"
#include "app/windows/FrameModel.h"
#include "app/windows/MouldingModel.h"
#include "app/windows/ScaleDialogModel.h"
#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "drawing/Drawing.h"
#include "formats/DxfReader.h"
#include "formats/ProjectFile.h"
#include "planning/FigureSeparation.h"
#include "platform/Clock.h"

namespace wirvela {

namespace {

using Controls = MainWindowModel::Controls;

struct ControlEntry {
    std::string_view name;
    Control Controls::*member;
};

// Every control of the window, in the order the view and the tests walk them.
constexpr ControlEntry kControls[] = {
    {"SpeedButton1", &Controls::SpeedButton1},
    {"SpeedButton2", &Controls::SpeedButton2},
    {"SpeedButton3", &Controls::SpeedButton3},
    {"SpeedButton4", &Controls::SpeedButton4},
    {"SpeedButton5", &Controls::SpeedButton5},
    {"SpeedButton6", &Controls::SpeedButton6},
    {"SpeedButton7", &Controls::SpeedButton7},
    {"SpeedButton8", &Controls::SpeedButton8},
    {"SpeedButton9", &Controls::SpeedButton9},
    {"SpeedButton10", &Controls::SpeedButton10},
    {"SpeedButton11", &Controls::SpeedButton11},
    {"SpeedButton12", &Controls::SpeedButton12},
    {"SpeedButton13", &Controls::SpeedButton13},
    {"SpeedButton14", &Controls::SpeedButton14},
    {"SpeedButton15", &Controls::SpeedButton15},
    {"Plik1", &Controls::Plik1},
    {"Wczytaj1", &Controls::Wczytaj1},
    {"Zapiszjako1", &Controls::Zapiszjako1},
    {"Projekt1", &Controls::Projekt1},
    {"Zakocz1", &Controls::Zakocz1},
    {"Narzdzia1", &Controls::Narzdzia1},
    {"Poczobiekty1", &Controls::Poczobiekty1},
    {"Liniacicia1", &Controls::Liniacicia1},
    {"Sterowanierczne1", &Controls::Sterowanierczne1},
    {"Wycinanie1", &Controls::Wycinanie1},
    {"Ustawienia1", &Controls::Ustawienia1},
    {"Kolory1", &Controls::Kolory1},
    {"Materiay1", &Controls::Materiay1},
    {"Parametryzaawansowane1", &Controls::Parametryzaawansowane1},
    {"Urzdzenia1", &Controls::Urzdzenia1},
    {"Info1", &Controls::Info1},
    {"Zoom1", &Controls::Zoom1},
    {"ZoomIn1", &Controls::ZoomIn1},
    {"ZoomInx21", &Controls::ZoomInx21},
    {"ZoomInx51", &Controls::ZoomInx51},
    {"ZoomOut1", &Controls::ZoomOut1},
    {"ZoomOut21", &Controls::ZoomOut21},
    {"ZoomOut51", &Controls::ZoomOut51},
    {"Label1", &Controls::Label1},
    {"Label6", &Controls::Label6},
    {"Edit1", &Controls::Edit1},
    {"Edit2", &Controls::Edit2},
    {"TEoffsetX", &Controls::TEoffsetX},
    {"TEoffsetY", &Controls::TEoffsetY},
    {"Label4", &Controls::Label4},
    {"Label5", &Controls::Label5},
    {"CheckBox1", &Controls::CheckBox1},
    {"CheckBox2", &Controls::CheckBox2},
    {"CheckBox3", &Controls::CheckBox3},
    {"Button100", &Controls::Button100},
    {"Memo1", &Controls::Memo1},
    {"ScrollBar1", &Controls::ScrollBar1},
    {"OpenDialog1", &Controls::OpenDialog1},
};

// The window's texts of section "Form1" of local.txt.
constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},
    {"Label6", LocalisedText::Caption},
    {"Plik1", LocalisedText::Caption},
    {"Wczytaj1", LocalisedText::Caption},
    {"Zapiszjako1", LocalisedText::Caption},
    {"Projekt1", LocalisedText::Caption},
    {"Zakocz1", LocalisedText::Caption},
    {"Narzdzia1", LocalisedText::Caption},
    {"Poczobiekty1", LocalisedText::Caption},
    {"Liniacicia1", LocalisedText::Caption},
    {"Sterowanierczne1", LocalisedText::Caption},
    {"Wycinanie1", LocalisedText::Caption},
    {"Ustawienia1", LocalisedText::Caption},
    {"Kolory1", LocalisedText::Caption},
    {"Materiay1", LocalisedText::Caption},
    {"Parametryzaawansowane1", LocalisedText::Caption},
    {"Urzdzenia1", LocalisedText::Caption},
    {"Zoom1", LocalisedText::Caption},
    {"ZoomIn1", LocalisedText::Caption},
    {"ZoomOut1", LocalisedText::Caption},
    {"Info1", LocalisedText::Caption},
    {"ScrollBar1", LocalisedText::Hint},
    {"SpeedButton1", LocalisedText::Hint},
    {"SpeedButton2", LocalisedText::Hint},
    {"SpeedButton4", LocalisedText::Hint},
    {"SpeedButton6", LocalisedText::Hint},
    {"SpeedButton5", LocalisedText::Hint},
    {"SpeedButton7", LocalisedText::Hint},
    {"SpeedButton8", LocalisedText::Hint},
    {"SpeedButton10", LocalisedText::Hint},
    {"SpeedButton11", LocalisedText::Hint},
    {"SpeedButton12", LocalisedText::Hint},
    {"SpeedButton13", LocalisedText::Hint},
    {"SpeedButton14", LocalisedText::Hint},
    {"OpenDialog1", LocalisedText::Filter},
};

// Message numbers of the window.
constexpr int kSizeMessage = 2;
constexpr int kObjectsMessage = 9;
constexpr int kLinesMessage = 10;
constexpr int kClearedTitleMessage = 12;
constexpr int kNoPathMessage = 16;
constexpr int kStoppedMessage = 23;
constexpr int kCopyFailedMessage = 552;
constexpr int kTooManyMultiplicationsMessage = 624;
constexpr int kProjectNotWrittenMessage = 625;
constexpr int kStoppedCaption = 24;

constexpr std::int32_t kKeptDisplayBits = 0x0F;  // display marks above these are pass marks
constexpr std::int32_t kShownObjectMark = 0x10;

// Holds the drawing mutex for a window-thread command. The joining worker is never
// running when these commands change the model; the painter runs on this same thread and
// the mutex is recursive, so the wait is short. Without a mutex the command goes on.
class DrawingHold {
public:
    DrawingHold(RecursiveTimedMutex* mutex, std::int64_t milliseconds)
        : mutex_(mutex), owns_(mutex != nullptr && LockFor(*mutex, milliseconds)) {}
    ~DrawingHold() {
        if (owns_) mutex_->unlock();
    }
    DrawingHold(const DrawingHold&) = delete;
    DrawingHold& operator=(const DrawingHold&) = delete;
    // The model may be read: the mutex is held, or there is none.
    bool Usable() const { return owns_ || mutex_ == nullptr; }

private:
    RecursiveTimedMutex* mutex_;
    bool owns_;
};

constexpr std::int64_t kWithoutLimit = -1;
constexpr std::int64_t kPainterWaitMs = 100;

std::string PercentText(double percent) {
    return NumberToText(percent);
}

}  // namespace

// Questions of worker threads, answered on the window thread: the question travels as an
// event (Send waits for the answer; on the window thread itself it is asked at once).
class MainWindowModel::MarshalledPrompt : public Prompt {
public:
    explicit MarshalledPrompt(MainWindowModel& model) : model_(model) {}
    PromptAnswer Ask(const PromptRequest& request) override {
        const std::intptr_t answer =
            model_.channel_->Send(kEventWorkerPrompt, reinterpret_cast<std::intptr_t>(&request));
        if (answer < 0) return NegativeAnswer(request.buttons);  // the window is gone
        return static_cast<PromptAnswer>(answer);
    }

private:
    MainWindowModel& model_;
};

// The painter and the simulation draw on whatever bitmap the view has given (none:
// nothing is drawn), so the view may replace its bitmap at any time.
class MainWindowModel::ForwardingCanvas : public Canvas {
public:
    explicit ForwardingCanvas(const Hooks& hooks) : hooks_(hooks) {}
    void SetPenColor(std::int32_t color) override {
        if (hooks_.bitmap) hooks_.bitmap->SetPenColor(color);
    }
    void Line(CanvasPoint from, CanvasPoint to) override {
        if (hooks_.bitmap) hooks_.bitmap->Line(from, to);
    }
    void Fill(std::int32_t color) override {
        if (hooks_.bitmap) hooks_.bitmap->Fill(color);
    }
    void FillCircle(CanvasPoint centre, int radius, std::int32_t color) override {
        if (hooks_.bitmap) hooks_.bitmap->FillCircle(centre, radius, color);
    }
    void Circle(CanvasPoint centre, int radius) override {
        if (hooks_.bitmap) hooks_.bitmap->Circle(centre, radius);
    }
    void Text(CanvasPoint at, std::string_view text, std::int32_t color) override {
        if (hooks_.bitmap) hooks_.bitmap->Text(at, text, color);
    }
    int Width() const override { return hooks_.bitmap ? hooks_.bitmap->Width() : 0; }
    int Height() const override { return hooks_.bitmap ? hooks_.bitmap->Height() : 0; }

private:
    const Hooks& hooks_;
};

// ---- creation -------------------------------------------------------------------------

MainWindowModel::MainWindowModel(Services services) : s_(std::move(services)) {
    window_.title = TMessages::kDefaultTitle;
    dxf_ = std::make_unique<TDxfReader>();
    canvas_ = std::make_unique<ForwardingCanvas>(hooks_);
    channel_ = std::make_unique<EventChannel>([this](int code, std::intptr_t arg) { return HandleEvent(code, arg); },
                                              s_.notifier);
    workerPrompt_ = std::make_unique<MarshalledPrompt>(*this);

    DrawingViewServices vs;
    vs.drawing = s_.drawing;
    vs.parameters = s_.parameters;
    vs.messages = s_.messages;
    vs.log = s_.log;
    vs.drawingMutex = s_.drawingMutex;
    vs.bitmap = canvas_.get();
    vs.status = [this](int panel, std::string_view text) { SetPanel(panel, text); };
    vs.present = [this] { Present(); };
    vs.simulationRunning = [this] { return c_.Timer1.enabled; };
    vs.inputs = [this] { return CurrentPaintInputs(); };
    view_ = std::make_unique<DrawingView>(std::move(vs));

    SimulationView sim;
    sim.canvas = canvas_.get();
    sim.toScreen = [this](double x, double y) { return view_->Zoom().ToScreen(x, y); };
    sim.zoomAll = [this] { ZoomAll(); };
    sim.paintDrawing = [this] { Repaint(); };
    sim.simulationCommands = [this](bool simulating) { SimulationCommands(simulating); };
    sim.statusPanel0 = [this](std::string_view text) { SetPanel(0, text); };
    simulation_ = std::make_unique<SimulationModel>(*s_.drawing, *s_.parameters, s_.messages, s_.log, sim);

    ConnectContext cc(*s_.drawing, s_.drawingMutex, *s_.parameters, *s_.messages, *s_.log, window_);
    cc.prompt = workerPrompt_.get();
    cc.mainWindow = channel_.get();
    cc.iniFile = s_.directory / "wirvela.ini";
    cc.disableCommands = [this] { DisableForJoining(); };
    cc.enableJoin = [this] {
        SetEnabled({&c_.SpeedButton3, &c_.Poczobiekty1}, true);
        Changed();
    };
    cc.figureOffsetMm = [this] { return OffsetsMm(); };
    // Worker (and a failed start on the window thread): the window's state changes only
    // on its own thread.
    cc.clearPendingMultiplication = [this] { channel_->Send(kEventClearPending); };
    cc.zoom = [this](double minX, double minY, double maxX, double maxY) { view_->FitToBox(minX, minY, maxX, maxY); };
    cc.multiplicationRunState = [this] { return s_.multiplicationRunState ? s_.multiplicationRunState() : 0; };
    cc.afterRun = [this] {
        if (s_.multiplicationJoinEnded) s_.multiplicationJoinEnded();
    };
    connect_ = std::make_unique<TConnectCommand>(std::move(cc));

    // Design-time texts.
    c_.SpeedButton1.hint = "Wczytaj plik";
    c_.SpeedButton2.hint = "Pokaż symulację cięcia ";
    c_.SpeedButton3.caption = "Łącz";
    c_.SpeedButton4.hint = "Zatrzymaj operację";
    c_.SpeedButton6.hint = "Wycinaj";
    c_.SpeedButton7.hint = "Projekt ";
    c_.SpeedButton8.hint = "Powielanie rysunku";
    c_.SpeedButton12.hint = "Listwy gięte";
    c_.SpeedButton13.hint = "Dodaj ramke";
    c_.SpeedButton14.hint = "Wyczysc";
    c_.SpeedButton15.hint = "Pilot";
    c_.Plik1.caption = "Plik";
    c_.Wczytaj1.caption = "Wczytaj";
    c_.Zapiszjako1.caption = "Zapisz jako";
    c_.Projekt1.caption = "Projekt";
    c_.Zakocz1.caption = "Zakończ";
    c_.Narzdzia1.caption = "Narzędzia";
    c_.Poczobiekty1.caption = "Połącz obiekty";
    c_.Liniacicia1.caption = "Symulacja cięcia";
    c_.Sterowanierczne1.caption = "Sterowanie ręczne";
    c_.Wycinanie1.caption = "Wycinanie";
    c_.Ustawienia1.caption = "Ustawienia";
    c_.Kolory1.caption = "Kolory";
    c_.Materiay1.caption = "Materiały";
    c_.Parametryzaawansowane1.caption = "Parametry zaawansowane";
    c_.Urzdzenia1.caption = "Urządzenia";
    c_.Info1.caption = "Info";
    c_.Zoom1.caption = "Zoom All";
    c_.ZoomIn1.caption = "Zoom In";
    c_.ZoomInx21.caption = "Zoom In x2";
    c_.ZoomInx51.caption = "Zoom In x5";
    c_.ZoomOut1.caption = "Zoom Out";
    c_.ZoomOut21.caption = "Zoom Out /2";
    c_.ZoomOut51.caption = "Zoom Out /5";
    c_.Label1.caption = "Skala [%]";
    c_.Label4.caption = "OffsetX";
    c_.Label5.caption = "OffsetY";
    c_.CheckBox1.caption = "Rysuj numery obiektów";
    c_.CheckBox2.caption = "Debug";
    c_.CheckBox3.caption = "Rysuj numery linii";
    c_.Button100.caption = "Pokaż Obj.";
    c_.ScrollBar1.hint = "Ustawianie szybkości symulacji wycinania";
    c_.OpenDialog1.text = kDesignFilter;
    c_.Edit2.text = PercentText(window_.scalePercent);
    c_.TEoffsetX.text = "0";
    c_.TEoffsetY.text = "0";

    // The join command is hidden in normal use; the commands whose windows the program
    // does not have yet stay hidden.
    for (Control* hidden : {&c_.SpeedButton3, &c_.Poczobiekty1, &c_.SpeedButton7, &c_.Projekt1, &c_.SpeedButton8,
                            &c_.SpeedButton12, &c_.SpeedButton13, &c_.SpeedButton15}) {
        hidden->visible = false;
    }
    c_.SpeedButton12.visible = s_.mouldingDialog != nullptr;
    c_.SpeedButton13.visible = s_.frameDialog != nullptr;
    c_.SpeedButton8.visible = static_cast<bool>(s_.multiplyNow);
    c_.SpeedButton7.visible = s_.rotaryProject;
    c_.Projekt1.visible = s_.rotaryProject;
    ShowDebugControls(false);
    // At start only open, project, manual control, the settings, bent moulding, frame,
    // clear and pendant are usable.
    SetEnabled({&c_.SpeedButton2, &c_.Liniacicia1, &c_.SpeedButton4, &c_.SpeedButton6, &c_.Wycinanie1, &c_.SpeedButton8,
                &c_.SpeedButton9, &c_.SpeedButton10, &c_.SpeedButton11, &c_.Zapiszjako1},
               false);
}

MainWindowModel::~MainWindowModel() {
    // The worker sends to the channel and reads the window's state: it goes first.
    connect_.reset();
    channel_->Close();
}

Prompt& MainWindowModel::WorkerPrompt() {
    return *workerPrompt_;
}

void MainWindowModel::SetHooks(Hooks hooks) {
    hooks_ = std::move(hooks);
}

void MainWindowModel::Create() {
    s_.messages->LocaliseForm(*this, kLocalised);
    c_.ScrollBar1Position =
        std::clamp(static_cast<int>(Setting(settings::kDefaultSimulationSpeed)), c_.ScrollBar1Min, c_.ScrollBar1Max);
    simulation_->SetSpeed(c_.ScrollBar1Position);
    DeriveDrawingSettings(*s_.drawing, *s_.parameters);
    s_.drawing->SetEntryOffset(Setting(settings::kWejscieX), Setting(settings::kWejscieY));
    ShowTwoFigureControls();
    window_.pen2 = false;
    Changed();
}

bool MainWindowModel::FirstActivation() {
    if (!firstActivation_) return false;
    firstActivation_ = false;
    if (s_.parameters->GetFlag(settings::kPloterDebug)) ShowDebugControls(true);
    Changed();
    if (hooks_.showModal) hooks_.showModal(Dialog::Splash);
    return true;
}

int MainWindowModel::SplashMs() const {
    return static_cast<int>(Setting(settings::kCzasWiniety));
}

// ---- helpers --------------------------------------------------------------------------

void MainWindowModel::Changed() {
    if (hooks_.changed) hooks_.changed();
}

void MainWindowModel::Repaint() {
    view_->Rysuj();
}

void MainWindowModel::Present() {
    if (hooks_.present) hooks_.present();
}

PaintInputs MainWindowModel::CurrentPaintInputs() const {
    PaintInputs in;
    in.lineNumbers = c_.CheckBox3.checked;
    in.objectNumbers = c_.CheckBox1.checked;
    std::tie(in.offsetXmm, in.offsetYmm) = OffsetsMm();
    in.scalePercent = window_.scalePercent;
    return in;
}

const std::string& MainWindowModel::Message(int key) const {
    return s_.messages->MessageText(key);
}

double MainWindowModel::Setting(const SettingKey& key) const {
    return s_.parameters->GetNumber(key);
}

void MainWindowModel::SetEnabled(std::initializer_list<Control*> controls, bool enabled) {
    for (Control* c : controls) c->enabled = enabled;
}

void MainWindowModel::SetCut(bool enabled) {
    SetEnabled({&c_.SpeedButton6, &c_.Wycinanie1}, enabled);
    window_.cutEnabled = enabled;
}

void MainWindowModel::SetSimulate(bool enabled) {
    SetEnabled({&c_.SpeedButton2, &c_.Liniacicia1}, enabled);
    window_.simulateEnabled = enabled;
}

void MainWindowModel::ShowTwoFigureControls() {
    cone_ = s_.parameters->GetFlag(settings::kCone);
    for (Control* c : {&c_.SpeedButton9, &c_.SpeedButton10, &c_.SpeedButton11, &c_.TEoffsetX, &c_.TEoffsetY, &c_.Label4,
                       &c_.Label5}) {
        c->visible = cone_;
    }
}

void MainWindowModel::ShowDebugControls(bool on) {
    const bool memoWas = c_.Memo1.visible;
    debug_ = on;
    for (Control* c : {&c_.Edit1, &c_.Memo1, &c_.CheckBox1, &c_.CheckBox2, &c_.CheckBox3, &c_.Button100}) {
        c->visible = on;
    }
    c_.CheckBox1.checked = on;
    c_.CheckBox2.checked = on;
    c_.Edit2.text = PercentText(window_.scalePercent);
    if (memoWas != on && hooks_.layoutChanged) hooks_.layoutChanged();
}

void MainWindowModel::SetPanel(int panel, std::string_view text) {
    if (panel < 0 || panel >= kPanelCount) return;
    c_.Panels[static_cast<std::size_t>(panel)] = std::string(text);
}

void MainWindowModel::RefreshCountPanels() {
    const TDrawing& d = *s_.drawing;
    const TDrawingSet& f1 = d.Set(TDrawing::kFigure1);
    const TDrawingSet& f2 = d.Set(TDrawing::kFigure2);
    SetPanel(2, Message(kObjectsMessage) + std::to_string(f1.oelems + 1) + "+" + std::to_string(f2.oelems + 1));
    SetPanel(3, Message(kLinesMessage) + std::to_string(f1.L.Count()) + "+" + std::to_string(f2.L.Count()));
}

void MainWindowModel::MirrorSimulationTimer() {
    c_.Timer1.enabled = simulation_->TimerEnabled();
    c_.Timer1.interval = simulation_->TimerInterval();
}

void MainWindowModel::EmptyFigure(int figure) {
    TDrawing& d = *s_.drawing;
    TDrawingSet& set = d.Set(figure);
    set.ClearTables();
    set.oelems = -1;
    set.cutPath.reset();
    set.simLines.reset();
    if (d.Figure() == figure) d.Oelems() = -1;
}

std::pair<double, double> MainWindowModel::OffsetsMm() const {
    return {DecimalPrefixWithCommas(c_.TEoffsetX.text), DecimalPrefixWithCommas(c_.TEoffsetY.text)};
}

bool MainWindowModel::JoiningRunning() const {
    return connect_->Running();
}

void MainWindowModel::WaitForJoining() {
    connect_->Wait();
    channel_->ProcessPending();
}

void MainWindowModel::StopJoining() {
    if (!connect_->Running()) return;
    connect_->RequestStop();
    connect_->Wait();
}

// ---- status ---------------------------------------------------------------------------

void MainWindowModel::ShowStatus(std::string_view text) {
    SetPanel(0, " " + std::string(text));
    c_.Timer2.enabled = true;
    ++c_.Timer2.starts;
    Changed();
}

void MainWindowModel::RefreshSizeReport() {
    // The painter's wait: while the joining worker holds the model the panel stays as it is.
    DrawingHold hold(s_.drawingMutex, kPainterWaitMs);
    if (!hold.Usable()) return;
    const TDrawing& d = *s_.drawing;
    if (d.L().Count() == 0) {
        SetPanel(1, "");
        return;
    }
    const TVert& v = d.Set(TDrawing::kFigure1).V;
    const double k = d.Settings().scale * window_.scalePercent * 0.01;
    const double width = (std::trunc(v.MaxX(false)) - std::trunc(v.MinX(false))) * k;
    const double height = (std::trunc(v.MaxY(false)) - std::trunc(v.MinY(false))) * k;
    SetPanel(1, FormatMessage(Message(kSizeMessage), {width, height}));
}

void MainWindowModel::AppendMemoLine(std::string_view line) {
    bool post = false;
    {
        std::lock_guard lock(memoMutex_);
        if (memoPending_.size() >= kMemoLines) memoPending_.erase(memoPending_.begin());
        memoPending_.emplace_back(line);
        if (!memoPosted_) {
            memoPosted_ = true;
            post = true;
        }
    }
    if (post) channel_->Post(kEventMemo);
}

void MainWindowModel::DrainMemo() {
    std::vector<std::string> lines;
    {
        std::lock_guard lock(memoMutex_);
        lines.swap(memoPending_);
        memoPosted_ = false;
    }
    for (std::string& line : lines) c_.Memo1Lines.push_back(std::move(line));
    if (c_.Memo1Lines.size() > kMemoLines) {
        c_.Memo1Lines.erase(c_.Memo1Lines.begin(),
                            c_.Memo1Lines.begin() + static_cast<std::ptrdiff_t>(c_.Memo1Lines.size() - kMemoLines));
    }
}

// ---- events ---------------------------------------------------------------------------

std::intptr_t MainWindowModel::HandleEvent(int code, std::intptr_t arg) {
    std::intptr_t result = 0;
    switch (code) {
        case kEventConnect:
            ConnectState(static_cast<int>(arg));
            break;
        case kEventPendantFileList:
            break;  // the pendant's file browser: no pendant in this program yet
        case kEventStatusText:
            ShowStatus(ConnectEventText(arg));
            break;
        case kEventMultiplicationEnded:
            if (window_.pendingMultiplication == 2) {
                window_.pendingMultiplication = 0;
                AfterMultiplication();
            }
            break;
        case kEventPendantState:
            c_.SpeedButton15.enabled = true;
            c_.PendantConnectedPicture = s_.pendantConnected ? s_.pendantConnected() : false;
            break;
        case kEventWorkerPrompt:
            if (arg != 0)
                result = static_cast<std::intptr_t>(s_.prompt->Ask(*reinterpret_cast<const PromptRequest*>(arg)));
            break;
        case kEventMemo:
            DrainMemo();
            break;
        case kEventClearPending:
            window_.pendingMultiplication = 0;
            break;
        default:
            // Status panel texts. The drawing itself is not repainted here: the worker
            // that sends them holds the drawing, and the end of its run repaints (Timer3).
            if (code >= kEventPanel0 && code <= kEventPanel4) SetPanel(code - kEventPanel0, ConnectEventText(arg));
            break;
    }
    Changed();
    return result;
}

void MainWindowModel::ConnectState(int value) {
    const TDrawing& d = *s_.drawing;
    switch (value) {
        case kConnectSplitDone:
            SetSimulate(false);
            break;
        case kConnectNoGraph:
            SetEnabled({&c_.Wczytaj1}, true);
            SetEnabled({&c_.Zapiszjako1, &c_.SpeedButton4}, false);
            ShowStatus(Message(kNoPathMessage));
            SetEnabled({&c_.SpeedButton1}, true);
            break;
        case kConnectSucceeded:
            SetCut(true);
            SetSimulate(true);
            if (d.Figure() == TDrawing::kFigure2) c_.SpeedButton11.enabled = true;
            [[fallthrough]];
        case kConnectPathFailed:
            // The cut menu item follows the cut button: a failed path search leaves
            // nothing to cut.
            SetEnabled({&c_.Wczytaj1, &c_.Zapiszjako1}, true);
            c_.Wycinanie1.enabled = c_.SpeedButton6.enabled;
            c_.SpeedButton4.enabled = false;
            SetEnabled({&c_.SpeedButton1, &c_.SpeedButton9}, true);
            if (d.Set(TDrawing::kSegments).V.Count() == 0)
                SetEnabled({&c_.SpeedButton8, &c_.SpeedButton10, &c_.SpeedButton12, &c_.SpeedButton13}, true);
            c_.SpeedButton14.enabled = true;
            break;
        case kConnectFinished:
            ApplyDeferredSettings(true);
            if (window_.pendingMultiplication == 0) {
                c_.Timer3.enabled = true;
                ++c_.Timer3.starts;
            } else if (window_.pendingMultiplication == 1) {
                window_.pendingMultiplication = 2;
                if (s_.multiplyNow) s_.multiplyNow();
            }
            break;
        default:
            break;
    }
}

// ---- open, load, join -----------------------------------------------------------------

void MainWindowModel::Open() {
    RunOpenDialog(TDrawing::kFigure1);
}

void MainWindowModel::OpenFigure2() {
    if (!cone_) return;  // loading never selects figure 2 outside two-figure mode
    RunOpenDialog(TDrawing::kFigure2);
}

void MainWindowModel::RunOpenDialog(int figure) {
    if (JoiningRunning() || simulation_->Active()) return;
    {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        s_.drawing->SelectFigure(figure);
    }
    if (!hooks_.openDialog) return;
    OpenDialogRequest request;
    request.filter = c_.OpenDialog1.text;
    request.filterIndex = static_cast<int>(Setting(settings::kFileOpenExt));
    const std::optional<OpenDialogResult> chosen = hooks_.openDialog(request);
    if (!chosen) return;
    if (chosen->filterIndex != request.filterIndex)
        s_.parameters->SetText(settings::kFileOpenExt, std::to_string(chosen->filterIndex));
    LoadFile(chosen->file, 1);
}

// ---- projects ----------------------------------------------------------------------------

MultiplicationTexts MainWindowModel::MultiplicationFields() const {
    return s_.multiplicationFields ? s_.multiplicationFields() : multiplicationFields_;
}

void MainWindowModel::SetMultiplicationFields(const MultiplicationTexts& fields) {
    if (s_.setMultiplicationFields) {
        s_.setMultiplicationFields(fields);
    } else {
        multiplicationFields_ = fields;
    }
}

bool MainWindowModel::ProjectReplaysMultiplication() const {
    // A grid multiplication enables the multiply command again, yet its copies are on
    // screen: the count says so. A segmented drawing keeps the command disabled without
    // ever having been multiplied.
    if (window_.multiplications == 1) return true;
    const bool segmented = s_.drawing->Set(TDrawing::kSegments).V.Count() != 0;
    return !c_.SpeedButton8.enabled && !segmented && window_.multiplications == 0;
}

void MainWindowModel::Tell(int key, const std::string& text, PromptIcon icon) {
    PromptRequest box;
    box.text = text;
    box.caption = Message(1);
    box.icon = icon;
    box.messageKey = key;
    s_.prompt->Ask(box);
}

void MainWindowModel::SaveAs() {
    if (!c_.Zapiszjako1.enabled || JoiningRunning() || simulation_->Active()) return;
    // A project repeats one multiplication after loading; more would not give the drawing
    // on screen back.
    if (window_.multiplications > 1) {
        Tell(kTooManyMultiplicationsMessage,
             FormatMessage(Message(kTooManyMultiplicationsMessage), {window_.multiplications}), PromptIcon::Warning);
        return;
    }
    if (!hooks_.saveDialog) return;
    OpenDialogRequest request;
    request.filter = kProjectFilter;
    request.filterIndex = static_cast<int>(Setting(settings::kFileSaveExt));
    request.defaultExtension = kProjectExtension;
    const std::optional<OpenDialogResult> chosen = hooks_.saveDialog(request);
    if (!chosen) return;
    if (chosen->filterIndex != request.filterIndex)
        s_.parameters->SetText(settings::kFileSaveExt, std::to_string(chosen->filterIndex));
    if (chosen->filterIndex != 1) return;

    const std::filesystem::path project = ProjectPathFor(chosen->file);
    std::optional<MultiplicationTexts> replay;
    if (ProjectReplaysMultiplication()) replay = MultiplicationFields();
    const ProjectSave save = SaveProject(project, window_.title, replay);
    switch (save.outcome) {
        case ProjectSave::Outcome::Saved:
            s_.log->Log("Zapisano projekt " + project.string());
            break;
        case ProjectSave::Outcome::CopyFailed:
            s_.log->Log("Zapis projektu: " + save.why);
            Tell(kCopyFailedMessage, Message(kCopyFailedMessage), PromptIcon::Warning);
            break;
        case ProjectSave::Outcome::WriteFailed:
            Tell(kProjectNotWrittenMessage,
                 FormatMessage(Message(kProjectNotWrittenMessage), {project.string(), save.why}), PromptIcon::Error);
            break;
    }
}

int MainWindowModel::StartJoin(int interactive, std::uint64_t operationStart) {
    return connect_->StartConnect(interactive, operationStart);
}

int MainWindowModel::LoadFile(const std::filesystem::path& file, int interactive) {
    // One load or joining at a time; the open commands are disabled meanwhile anyway.
    if (JoiningRunning() || simulation_->Active()) return -2;
    ApplyDeferredSettings();
    loadStart_ = TickCount64();

    LoaderContext context(*s_.drawing, s_.drawingMutex, *s_.parameters, *s_.messages, *s_.log, s_.prompt, pens_,
                          window_);
    context.dxf = dxf_.get();
    if (s_.stepsPerMm) context.stepsPerMm = s_.stepsPerMm();
    context.status = [this](int panel, std::string_view text) { SetPanel(panel, text); };
    context.fitView = [this] { ZoomAll(); };
    context.refreshSizeReport = [this] {
        c_.Edit2.text = PercentText(window_.scalePercent);
        RefreshSizeReport();
    };
    SeparationEnv env;
    env.messages = s_.messages;
    env.log = s_.log;
    env.status = [this](std::string_view text) { ShowStatus(text); };
    context.separation = FigureSeparationFor(*s_.drawing, env);
    // Every loaded drawing is joined alike: a load does not split connecting lines at
    // crossings, whatever joining ran before (so the program and wirvela-cli plan a file
    // the same way, and loading a file twice gives the same drawing).
    context.connect.start = [this](int inter) {
        connect_->SetCrossingSplit(false);
        return StartJoin(inter, loadStart_);
    };
    context.connect.resume = [this] { connect_->Resume(); };
    context.multiplicationFields = [this] { return MultiplicationFields(); };
    context.setMultiplicationFields = [this](const MultiplicationTexts& t) { SetMultiplicationFields(t); };

    const int result = LoadDrawing(context, file, interactive);
    // A load disables cut and simulate; the joining's events enable them again.
    SetCut(false);
    SetSimulate(false);
    Changed();
    return result;
}

void MainWindowModel::Join() {
    JoinNow();
}

int MainWindowModel::JoinNow() {
    if (JoiningRunning() || simulation_->Active()) return -2;
    ApplyDeferredSettings();
    loadStart_ = TickCount64();
    const int started = StartJoin(1, loadStart_);
    if (started == 16) connect_->Resume();
    Changed();
    return started;
}

void MainWindowModel::Multiply() {
    if (JoiningRunning() || simulation_->Active() || !c_.SpeedButton8.enabled) return;
    if (hooks_.showModal && hooks_.showModal(Dialog::Multiplication)) AfterMultiplication();
}

void MainWindowModel::DisableForJoining() {
    SetEnabled(
        {&c_.SpeedButton3, &c_.SpeedButton1, &c_.SpeedButton9, &c_.SpeedButton8, &c_.SpeedButton10, &c_.SpeedButton12,
         &c_.SpeedButton13, &c_.SpeedButton14, &c_.Wczytaj1, &c_.Zapiszjako1, &c_.Poczobiekty1},
        false);
    c_.SpeedButton4.enabled = true;
    Changed();
}

void MainWindowModel::AfterMultiplication() {
    ZoomAll();
    ShowGeneratedCounts();
    if (s_.multiplySeveralWires && s_.multiplySeveralWires()) {
        SetEnabled({&c_.SpeedButton8, &c_.SpeedButton9}, false);
        Changed();
        return;
    }
    RejoinGenerated();
    Changed();
}

void MainWindowModel::ShowGeneratedCounts() {
    const TDrawing& d = *s_.drawing;
    SetPanel(2, Message(kObjectsMessage) + std::to_string(d.Oelems() + 1));
    SetPanel(3, Message(kLinesMessage) + std::to_string(d.L().Count()));
    window_.scalePercent = 100;
    c_.Edit2.text = PercentText(window_.scalePercent);
}

// A generator changed the joined drawing: it is joined again as it is, without junction
// splitting and without splitting connecting lines at crossings.
void MainWindowModel::RejoinGenerated() {
    RefreshSizeReport();
    window_.planarisationPending = false;
    connect_->SetCrossingSplit(false);
    if (!JoiningRunning()) {
        loadStart_ = TickCount64();
        if (StartJoin(1, loadStart_) == 16) connect_->Resume();
    }
}

// ---- generators -----------------------------------------------------------------------

void MainWindowModel::AddFrame() {
    if (s_.frameDialog == nullptr || JoiningRunning() || simulation_->Active()) return;
    if (!hooks_.showModal || !hooks_.showModal(Dialog::Frame)) return;
    GeneratorMessage refused;
    {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        TDrawing& d = *s_.drawing;
        d.SetEntryOffset(Setting(settings::kWejscieX), Setting(settings::kWejscieY));
        refused = wirvela::AddFrame(d, s_.frameDialog->Spec());
    }
    if (refused) {
        ShowRefusal(*s_.prompt, *s_.messages, refused, FrameModel::kCaption);
        Changed();
        return;
    }
    ShowGeneratedCounts();
    RejoinGenerated();
    Repaint();
    Changed();
}

void MainWindowModel::BentMoulding() {
    if (s_.mouldingDialog == nullptr || JoiningRunning() || simulation_->Active()) return;
    window_.pendingMultiplication = 0;
    {
        // The old cut path refers to lines that are gone: nothing is left to cut.
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        TDrawing& d = *s_.drawing;
        d.L().ClearLines();
        d.V().ClearVertices();
        d.Oelems() = 0;
        d.Set(d.Figure()).oelems = 0;
        if (d.Figure() != TDrawing::kSegments) d.Set(d.Figure()).cutPath.reset();
    }
    SetCut(false);
    SetSimulate(false);
    if (!hooks_.showModal || !hooks_.showModal(Dialog::Moulding)) {
        Repaint();
        Changed();
        return;
    }
    {
        // The outline is one walk already: it becomes the cut path as it is, in the order
        // it is cut (every line of the table in order, unless a notch of zero width runs
        // a line down and up again).
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        TDrawing& d = *s_.drawing;
        const std::vector<OutlineStep>& walk = s_.mouldingDialog->Walk();
        auto path = std::make_unique<TLineList>(std::max(d.L().Count(), static_cast<int>(walk.size())) + 10);
        for (const OutlineStep& step : walk) path->Append(step.line, step.dir, 2);
        if (d.Figure() != TDrawing::kSegments) d.Set(d.Figure()).cutPath = std::move(path);
    }
    SetCut(true);
    SetSimulate(true);
    SetEnabled({&c_.SpeedButton1, &c_.SpeedButton9, &c_.Wczytaj1}, true);
    window_.scalePercent = 100;
    c_.Edit2.text = PercentText(window_.scalePercent);
    RefreshSizeReport();
    RefreshCountPanels();
    ZoomAll();
    Changed();
}

// ---- simulation -----------------------------------------------------------------------

void MainWindowModel::Simulate() {
    if (JoiningRunning()) return;
    SimulationInputs inputs = s_.simulationInputs ? s_.simulationInputs() : SimulationInputs{};
    inputs.scalePercent = window_.scalePercent;
    std::tie(inputs.offsetXmm, inputs.offsetYmm) = OffsetsMm();
    simulation_->SetSpeed(c_.ScrollBar1Position);
    simulation_->Start(inputs);
    MirrorSimulationTimer();
    Changed();
}

void MainWindowModel::SimulationCommands(bool simulating) {
    SetEnabled({&c_.SpeedButton1, &c_.SpeedButton8, &c_.SpeedButton12, &c_.SpeedButton13, &c_.SpeedButton14,
                &c_.SpeedButton7, &c_.Projekt1, &c_.Wczytaj1, &c_.Zapiszjako1},
               !simulating);
    SetSimulate(!simulating);
    c_.SpeedButton4.enabled = simulating;
    MirrorSimulationTimer();
    Changed();
}

void MainWindowModel::OnTimer1() {
    simulation_->Tick();
    MirrorSimulationTimer();
    Present();
    Changed();
}

void MainWindowModel::ScrollBar1Changed(int position) {
    c_.ScrollBar1Position = std::clamp(position, c_.ScrollBar1Min, c_.ScrollBar1Max);
    simulation_->SetSpeed(c_.ScrollBar1Position);
    Changed();
}

// ---- stop and clear -------------------------------------------------------------------

void MainWindowModel::Stop() {
    // Nothing to stop (the button is disabled): a finished joining keeps its lines.
    if (!c_.SpeedButton4.enabled && !simulation_->Active() && !JoiningRunning()) return;
    const bool hadFigure2 = s_.drawing->Set(TDrawing::kFigure2).V.Count() > 0;
    if (simulation_->Stop()) {
        // The simulation has released its tables, cleared the pass marks and given the
        // commands back.
        if (hadFigure2) c_.SpeedButton11.enabled = true;
        SetEnabled({&c_.SpeedButton1, &c_.SpeedButton9, &c_.SpeedButton7, &c_.Projekt1}, true);
        SetSimulate(true);
    } else {
        c_.SpeedButton1.enabled = true;
        // Cooperative: the worker ends at its next check and releases the drawing.
        StopJoining();
        ApplyDeferredSettings();
        {
            DrawingHold hold(s_.drawingMutex, kWithoutLimit);
            TDrawing& d = *s_.drawing;
            TLines& lines = d.L();
            for (int i = 0; i < lines.Count(); ++i) {
                if (lines[i].kind == 2) {
                    lines.Truncate(i);
                    break;
                }
            }
            // Without its connecting lines no cut path of this figure is valid any more.
            if (d.Figure() != TDrawing::kSegments) d.Set(d.Figure()).cutPath.reset();
        }
        SetCut(false);
        SetSimulate(false);
        SetEnabled({&c_.SpeedButton3, &c_.Poczobiekty1}, true);
    }
    SetEnabled({&c_.Wczytaj1, &c_.Zapiszjako1}, true);
    MirrorSimulationTimer();
    ShowStatus(Message(kStoppedMessage));
    PromptRequest box;
    box.text = Message(kStoppedMessage);
    box.caption = Message(kStoppedCaption);
    box.icon = PromptIcon::Warning;
    box.buttons = PromptButtons::Ok;
    box.messageKey = kStoppedMessage;
    s_.prompt->Ask(box);
    s_.log->Log("Przerwano na życzenie użytkownika.");
    c_.SpeedButton4.enabled = false;
    SetEnabled({&c_.SpeedButton8, &c_.SpeedButton10, &c_.SpeedButton12, &c_.SpeedButton13, &c_.SpeedButton14}, true);
    window_.pendingMultiplication = 0;
    if (s_.multiplicationStopped) s_.multiplicationStopped();
    Repaint();
    Changed();
}

void MainWindowModel::Clear() {
    // The idle state is always reachable: a joining run or a simulation ends first.
    StopJoining();
    if (simulation_->Active()) simulation_->Stop();
    ApplyDeferredSettings();

    TDrawing& d = *s_.drawing;
    d.SetEntryOffset(Setting(settings::kWejscieX), Setting(settings::kWejscieY));
    window_.planarisationPending = true;
    window_.pen2 = false;
    SetEnabled({&c_.Zapiszjako1}, false);
    SetCut(false);
    {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        for (int s = TDrawing::kSegments; s <= TDrawing::kFigure2; ++s) EmptyFigure(s);
        d.SetTwoFigures(false);
        d.SelectFigure(TDrawing::kFigure1);
    }
    pens_.penMask = 0;
    c_.TEoffsetX.text = "0";
    c_.TEoffsetY.text = "0";
    SetEnabled({&c_.SpeedButton9, &c_.SpeedButton11, &c_.SpeedButton4, &c_.SpeedButton8, &c_.SpeedButton10}, false);
    SetSimulate(false);
    SetCut(false);
    window_.scalePercent = 100;
    c_.Edit2.text = PercentText(window_.scalePercent);
    RefreshSizeReport();
    window_.title = Message(kClearedTitleMessage);
    RefreshCountPanels();
    ZoomAll();
    Changed();
}

// ---- figure 2 -------------------------------------------------------------------------

void MainWindowModel::ScaledFigure2() {
    if (!cone_ || JoiningRunning() || simulation_->Active() || s_.scaleDialog == nullptr) return;
    if (!hooks_.showModal || !hooks_.showModal(Dialog::Scale)) return;
    const ScaleDialogModel& dialog = *s_.scaleDialog;
    ScaledFigureOffsets offsets;
    {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        s_.drawing->SelectFigure(TDrawing::kFigure1);
        offsets = ScaleFigure2(*s_.drawing, dialog.Scale(), dialog.AnchorX(), dialog.AnchorY(), window_.scalePercent);
    }
    c_.TEoffsetX.text = offsets.xMm;
    c_.TEoffsetY.text = offsets.yMm;
    SetSimulate(false);
    SetEnabled({&c_.SpeedButton11, &c_.SpeedButton12}, true);
    ApplyOffsets();
    Repaint();
    Changed();
}

void MainWindowModel::ApplyOffsets() {
    if (JoiningRunning()) return;
    {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        TDrawing& d = *s_.drawing;
        TVert& v1 = d.Set(TDrawing::kFigure1).V;
        TVert& v2 = d.Set(TDrawing::kFigure2).V;
        if (v2.Count() == 0 || v1.Count() == 0) return;
        const auto [mmX, mmY] = OffsetsMm();
        const double ox = OffsetInUnits(mmX, d.Settings().scale, window_.scalePercent);
        const double oy = OffsetInUnits(mmY, d.Settings().scale, window_.scalePercent);
        // Figure 1's box without its excluded vertices, widened by figure 2 at its offset.
        const double minX = std::min(v1.MinX(false), v2.MinX(false) + ox);
        const double minY = std::min(v1.MinY(false), v2.MinY(false) + oy);
        const double scale = d.Settings().scale;
        const double entryX = scale != 0 ? minX + d.Settings().entryX / scale : minX;
        const double entryY = scale != 0 ? minY + d.Settings().entryY / scale : minY;
        // The entry vertex of each figure is its last vertex.
        v1.SetPosition(v1.Count() - 1, entryX, entryY);
        v2.SetPosition(v2.Count() - 1, entryX - ox, entryY - oy);
    }
    ZoomAll();
}

void MainWindowModel::OffsetXChanged(std::string_view text) {
    c_.TEoffsetX.text = std::string(text);
    Changed();
}

void MainWindowModel::OffsetYChanged(std::string_view text) {
    c_.TEoffsetY.text = std::string(text);
    Changed();
}

void MainWindowModel::OffsetEnter() {
    ApplyOffsets();
    Changed();
}

void MainWindowModel::RemoveFigure2() {
    if (JoiningRunning() || simulation_->Active()) return;
    TDrawing& d = *s_.drawing;
    {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        d.SelectFigure(TDrawing::kFigure1);
        EmptyFigure(TDrawing::kSegments);
        EmptyFigure(TDrawing::kFigure2);
        // Simulating needs figure 1's cut path, not only its vertices.
        const TDrawingSet& f1 = d.Set(TDrawing::kFigure1);
        SetSimulate(f1.V.Count() > 0 && f1.cutPath != nullptr);
    }
    ZoomAll();
    c_.TEoffsetX.text = "0";
    c_.TEoffsetY.text = "0";
    Repaint();
    c_.SpeedButton11.enabled = false;
    RefreshCountPanels();
    Changed();
}

void MainWindowModel::ShowObject() {
    if (JoiningRunning()) return;
    const long object = IntegerPrefix(c_.Edit1.text);
    {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        TLines& lines = s_.drawing->L();
        for (int i = 0; i < lines.Count(); ++i) {
            LineFields f = lines.Edit(i);
            f.display &= kKeptDisplayBits;
            if (f.obj == object) f.display |= kShownObjectMark;
        }
    }
    Repaint();
    Changed();
}

// ---- fields ---------------------------------------------------------------------------

void MainWindowModel::Edit2Changed(std::string_view text) {
    c_.Edit2.text = std::string(text);
    window_.scalePercent = DecimalPrefixWithCommas(text);
    RefreshSizeReport();
    Changed();
}

void MainWindowModel::Edit1Changed(std::string_view text) {
    c_.Edit1.text = std::string(text);
    Changed();
}

void MainWindowModel::CheckBoxChanged(int number, bool checked) {
    Control* box = number == 1 ? &c_.CheckBox1 : number == 2 ? &c_.CheckBox2 : number == 3 ? &c_.CheckBox3 : nullptr;
    if (box == nullptr) return;
    box->checked = checked;
    Repaint();
    Changed();
}

// ---- windows --------------------------------------------------------------------------

void MainWindowModel::ManualControl() {
    if (hooks_.showModal) hooks_.showModal(Dialog::ManualControl);
    Changed();
}

void MainWindowModel::Cut() {
    if (hooks_.showModal) hooks_.showModal(Dialog::Cutting);
    Changed();
}

void MainWindowModel::RotaryProject() {
    if (!s_.rotaryProject) return;
    const auto log = [this](std::string_view text) {
        if (s_.log) s_.log->Log(text);
    };
    log(">>>TForm1::Projekt1Click");
    Repaint();
    log(">>>TForm1::Projekt1Click.Before Form8->ShowModal()");
    if (hooks_.showModal) hooks_.showModal(Dialog::RotaryProject);
    log(">>>TForm1::Projekt1Click.After Form8->ShowModal()");
    Repaint();
    // The profiles were loaded into the drawing one by one; none of them is the operator's.
    Clear();
}

void MainWindowModel::Colours() {
    if (hooks_.showModal && hooks_.showModal(Dialog::Colours)) Repaint();
    Changed();
}

void MainWindowModel::Materials() {
    if (hooks_.showModal) hooks_.showModal(Dialog::Materials);
    Changed();
}

void MainWindowModel::Info() {
    if (hooks_.showModal) hooks_.showModal(Dialog::About);
    Changed();
}

void MainWindowModel::Devices() {
    if (hooks_.showModal && hooks_.showModal(Dialog::Devices)) {
        if (s_.recreateLink) s_.recreateLink();
        if (s_.refreshAbout) s_.refreshAbout();
    }
    Changed();
}

void MainWindowModel::AdvancedParameters() {
    const TParameters& p = *s_.parameters;
    const std::string com = p.GetText(settings::kCOM);
    const double entryX = p.GetNumber(settings::kWejscieX);
    const double entryY = p.GetNumber(settings::kWejscieY);
    const double debug = p.GetNumber(settings::kPloterDebug);

    if (hooks_.showModal) hooks_.showModal(Dialog::ParameterEditor);

    const double newX = p.GetNumber(settings::kWejscieX);
    const double newY = p.GetNumber(settings::kWejscieY);
    if (newX != entryX || newY != entryY) deferred_.entry = std::make_pair(newX, newY);
    const double newDebug = p.GetNumber(settings::kPloterDebug);
    if (newDebug != debug) {
        ShowDebugControls(newDebug != 0);
        Repaint();
    }
    s_.log->SetMemoEnabled(p.GetFlag(settings::kDebugMemo));
    ShowTwoFigureControls();
    deferred_.derive = true;
    // The joining worker reads the drawing settings while it runs: they change once it
    // has ended.
    if (!JoiningRunning()) ApplyDeferredSettings();
    if (p.GetText(settings::kCOM) != com && s_.recreateLink) s_.recreateLink();
    Changed();
}

void MainWindowModel::ApplyDeferredSettings(bool workerDone) {
    // The worker's end (2001, 5) is posted after its last access to the drawing.
    if (!workerDone && JoiningRunning()) return;
    if (deferred_.entry) s_.drawing->SetEntryOffset(deferred_.entry->first, deferred_.entry->second);
    if (deferred_.derive) {
        DrawingHold hold(s_.drawingMutex, kWithoutLimit);
        DeriveDrawingSettings(*s_.drawing, *s_.parameters);
    }
    deferred_ = {};
}

void MainWindowModel::Exit() {
    if (s_.cancelController) s_.cancelController();
    SetClosing();
    if (s_.requestExit) s_.requestExit(0);
}

// ---- view -----------------------------------------------------------------------------

void MainWindowModel::ZoomAll() {
    view_->ZoomAll();
}

void MainWindowModel::Resized(int bitmapWidth, int bitmapHeight) {
    view_->Resize(bitmapWidth, bitmapHeight, closing_);
}

void MainWindowModel::SetClosing() {
    closing_ = true;
}

void MainWindowModel::Close() {
    SetClosing();
    if (simulation_->Active()) simulation_->Stop();
    MirrorSimulationTimer();
    StopJoining();
}

void MainWindowModel::OnTimer2() {
    SetPanel(0, "");
    c_.Timer2.enabled = false;
    Changed();
}

void MainWindowModel::OnTimer3() {
    c_.Timer3.enabled = false;
    Repaint();
    Changed();
}

std::pair<int, int> MainWindowModel::BitmapSize(int windowWidth, int windowHeight, bool memoVisible, int memoWidth) {
    const int width = windowWidth - 9 - (memoVisible ? memoWidth : 0);
    const int height = windowHeight - 117;
    return {std::max(width, 1), std::max(height, 1)};
}

// ---- controls -------------------------------------------------------------------------

void MainWindowModel::ForEachControl(const std::function<void(std::string_view, const Control&)>& f) const {
    for (const ControlEntry& e : kControls) f(e.name, c_.*e.member);
}

const Control* MainWindowModel::Find(std::string_view name) const {
    for (const ControlEntry& e : kControls)
        if (e.name == name) return &(c_.*e.member);
    return nullptr;
}

Control* MainWindowModel::FindMutable(std::string_view name) {
    return const_cast<Control*>(std::as_const(*this).Find(name));
}

void MainWindowModel::SetTitle(std::string_view text) {
    window_.title = std::string(text);
}

void MainWindowModel::SetControlCaption(std::string_view control, std::string_view text) {
    if (Control* c = FindMutable(control)) c->caption = std::string(text);
}

void MainWindowModel::SetControlHint(std::string_view control, std::string_view text) {
    if (Control* c = FindMutable(control)) c->hint = std::string(text);
}

void MainWindowModel::SetControlFilter(std::string_view control, std::string_view filter) {
    if (Control* c = FindMutable(control)) c->text = std::string(filter);
}

}  // namespace wirvela
