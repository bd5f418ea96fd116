#include "app/AppCore.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/MainWindowModel.h"
#include "app/MultiplyCommand.h"
#include "app/windows/ColoursModel.h"
#include "app/windows/CuttingJob.h"
#include "app/windows/ManualControl.h"
#include "app/windows/Materials.h"
#include "app/windows/MultiplicationModel.h"
#include "app/windows/RotaryProjectModel.h"
#include "app/windows/ParameterEditorModel.h"
#include "app/windows/FrameModel.h"
#include "app/windows/MouldingModel.h"
#include "app/windows/ScaleDialogModel.h"
#include "config/DebugLog.h"
#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Prompt.h"
#include "config/SettingCheck.h"
#include "config/Settings.h"
#include "config/SettingsFile.h"
#include "controller/ComClass.h"
#include "controller/DeviceList.h"
#include "controller/LinkStartup.h"
#include "controller/MergedFtdi.h"
#include "drawing/Drawing.h"
#include "platform/EventChannel.h"
#include "platform/Ftdi.h"

namespace wirvela {

namespace {

constexpr int kCaption = 1;
constexpr int kStartFromShipped = 607;       // why wirvela.ini cannot serve, the shipped folder
constexpr int kShippedSettingsFailed = 608;  // why the shipped settings were not put in place

}  // namespace

// The cutting window and the materials table refer to each other: the job is built with
// the address of the table that follows it and uses it only after both exist.
struct AppCore::CuttingWindows {
    CuttingWindows(const CuttingJob::Services& jobServices, Materials::Services materialServices)
        : job(WithMaterials(jobServices)), materials(WithCutting(std::move(materialServices))) {}

    CuttingJob::Services WithMaterials(CuttingJob::Services s) {
        s.materials = &materials;
        return s;
    }
    Materials::Services WithCutting(Materials::Services s) {
        s.cutting = &job;
        return s;
    }

    CuttingJob job;
    Materials materials;
};

AppCore::AppCore(AppCoreOptions options) : o_(std::move(options)) {
    iniPath_ = o_.directory / kSettingsFileName;
    if (o_.prompt == nullptr) {
        ownPrompt_ = std::make_unique<ScriptedPrompt>([](const PromptRequest& r) {
            return r.buttons == PromptButtons::Ok      ? PromptAnswer::Ok
                   : r.buttons == PromptButtons::YesNo ? PromptAnswer::No
                                                       : PromptAnswer::Cancel;
        });
        o_.prompt = ownPrompt_.get();
    }
}

AppCore::~AppCore() {
    Shutdown();
}

CuttingJob& AppCore::Cutting() {
    return cutting_->job;
}

Materials& AppCore::MaterialsWindow() {
    return cutting_->materials;
}

std::vector<EventChannel*> AppCore::Channels() {
    std::vector<EventChannel*> channels;
    if (main_) channels.push_back(&main_->Channel());
    if (cutting_) channels.push_back(&cutting_->job.Channel());
    if (manual_) channels.push_back(&manual_->Channel());
    if (rotary_) channels.push_back(&rotary_->Channel());
    if (multiplication_) channels.push_back(&multiplication_->Channel());
    return channels;
}

int AppCore::ProcessEvents() {
    int handled = 0;
    for (EventChannel* channel : Channels()) handled += channel->ProcessPending();
    return handled;
}

void AppCore::RequestExit(int code) {
    if (!exitRequested_) exitRequested_ = code;
    if (exitHook_) exitHook_(code);
}

// ---- start-up --------------------------------------------------------------------------

AppCore::StartResult AppCore::Start() {
    if (started_ || shutDown_) return {};
    started_ = true;
    const std::filesystem::path& dir = o_.directory;

    const std::string settingsProblem = SettingsFileProblem(dir);
    parameters_.Load(dir, kSettingsFileName, "local.txt");
    debugLog_ = std::make_unique<DebugLog>(dir, parameters_.GetFlag(settings::kDebugLogEnabled),
                                           parameters_.GetFlag(settings::kDebugLogTimeStamp));
    const bool present = messages_.CheckLocalFile(dir);
    if (present) messages_.LoadMessages();
    const std::string damage = messages_.LocalFileWarning();
    if (!damage.empty() || !present) {
        PromptRequest warning;
        warning.text = damage.empty() ? std::string(TMessages::kMissingFileText)
                                      : std::string(TMessages::kDamagedFileText) + "\n\n" + damage;
        warning.caption = TMessages::kMissingFileCaption;
        warning.icon = PromptIcon::Warning;
        o_.prompt->Ask(warning);
    }
    // Asked once the texts are there; the answer decides what the logs are set up from.
    const std::string settingsNote = settingsProblem.empty() ? std::string() : OfferShippedSettings(settingsProblem);

    MessageLogSwitches switches;
    switches.memo = parameters_.GetFlag(settings::kDebugMemo);
    switches.file = parameters_.GetFlag(settings::kDebugFile);
    switches.flush = parameters_.GetFlag(settings::kDebugFlush);
    log_ = std::make_unique<MessageLog>(dir, switches);
    if (!damage.empty()) log_->Log(damage);
    for (const std::string& line : settings::HiddenSettingWarnings(parameters_))
        log_->Log(parameters_.FileName().string() + " " + line);
    drawing_ = std::make_unique<TDrawing>();
    ftdi_ = o_.makeFtdi ? o_.makeFtdi() : MakeDefaultFtdi();
    dispatcher_ = std::make_unique<ControllerDispatcher>(messages_, *o_.prompt, log_.get());
    scale_ = std::make_unique<ScaleDialogModel>();
    // The generators' dialogs exist before the main window, which shows their commands.
    moulding_ = std::make_unique<MouldingModel>(
        MouldingModel::Services{&messages_, o_.prompt, drawing_.get(), &drawingMutex_});
    frame_ = std::make_unique<FrameModel>(FrameModel::Services{&parameters_, &messages_, o_.prompt});

    CreateMainWindow();
    if (!settingsNote.empty()) {
        log_->Log(settingsNote);
        // Said even when the log is switched off, as the built-in settings have it.
        if (!switches.memo) main_->AppendMemoLine(settingsNote);
    }
    colours_ = std::make_unique<ColoursModel>(parameters_);
    colours_->Create(&messages_, nullptr);
    if (!CreateManualControl()) return {true, exitRequested_.value_or(0)};
    CreateCutting();
    about_ = std::make_unique<AboutModel>(AboutModel::Services{&parameters_, &messages_, o_.version});
    AboutFromLink();
    devices_ = std::make_unique<DeviceList>(*ftdi_, messages_);
    CreateRotaryProject();
    CreateMultiplication();
    scale_->Create(&messages_, nullptr);
    ParameterEditorModel::Services es;
    es.parameters = &parameters_;
    es.messages = &messages_;
    es.simulationSpeed = [this] { return main_->Form().ScrollBar1Position; };
    editor_ = std::make_unique<ParameterEditorModel>(std::move(es));
    editor_->Create(nullptr);
    moulding_->Create(nullptr);
    frame_->Create(nullptr);
    return {};
}

void AppCore::ReloadSettings(bool builtIn) {
    if (builtIn) {
        // What a damaged file still gave is no one's choice either.
        parameters_.Clear();
    } else {
        parameters_.Load(o_.directory, kSettingsFileName, "local.txt");
    }
    debugLog_ = std::make_unique<DebugLog>(o_.directory, parameters_.GetFlag(settings::kDebugLogEnabled),
                                           parameters_.GetFlag(settings::kDebugLogTimeStamp));
}

std::string AppCore::OfferShippedSettings(const std::string& problem) {
    const std::string builtIn = "wirvela.ini: " + problem + "; the built-in settings stand in for it";
    const auto tell = [this](const std::string& why) {
        PromptRequest request;
        request.text = FormatMessage(messages_.MessageText(kShippedSettingsFailed), {why});
        request.caption = messages_.MessageText(kCaption);
        request.icon = PromptIcon::Warning;
        request.messageKey = kShippedSettingsFailed;
        o_.prompt->Ask(request);
    };
    const std::filesystem::path& shipped = o_.shippedData;
    std::error_code ec;
    if (shipped.empty() || !std::filesystem::is_regular_file(shipped / kSettingsFileName, ec)) {
        ReloadSettings(true);
        tell("no shipped wirvela.ini was found");
        return builtIn + "; no shipped settings were found";
    }
    PromptRequest question;
    question.text = FormatMessage(messages_.MessageText(kStartFromShipped), {problem, shipped.string()});
    question.caption = messages_.MessageText(kCaption);
    question.icon = PromptIcon::Question;
    question.buttons = PromptButtons::YesNo;
    question.messageKey = kStartFromShipped;
    if (o_.prompt->Ask(question) != PromptAnswer::Yes) {
        ReloadSettings(true);
        return builtIn;
    }
    const SettingsRestore restored = RestoreShippedSettings(o_.directory, shipped);
    ReloadSettings(!restored.ok);
    if (!restored.ok) {
        tell(restored.error);
        return builtIn + "; the shipped settings could not be put in place: " + restored.error;
    }
    std::string note = "wirvela.ini: " + problem + "; started from the shipped settings of " + shipped.string();
    if (!restored.keptAs.empty()) note += "; the file that stood there was kept as " + restored.keptAs.string();
    return note;
}

void AppCore::CreateMainWindow() {
    MainWindowModel::Services s;
    s.parameters = &parameters_;
    s.messages = &messages_;
    s.log = log_.get();
    s.drawing = drawing_.get();
    s.drawingMutex = &drawingMutex_;
    s.prompt = o_.prompt;
    s.directory = o_.directory;
    s.notifier = o_.notifier;
    s.simulationInputs = [this] {
        SimulationInputs in;
        if (!cutting_) return in;
        CuttingJob& job = cutting_->job;
        in.material = job.CurrentMaterial();
        in.rotaryCut = job.RotaryCut();
        in.v2 = job.V2Position();
        in.alg2 = job.Alg2();
        // The cutting window's show handling, without showing it: it becomes the link's
        // event window and takes the drawing as it is now.
        in.showCuttingWindow = [&job] {
            job.Show();
            job.Close();
        };
        in.singleFigureRecord = [&job](CutParameters& record, double& rotRatio) {
            return job.SingleFigureRecord(record, rotRatio, true);
        };
        return in;
    };
    s.stepsPerMm = [this]() -> std::optional<double> {
        if (!manual_) return std::nullopt;
        return manual_->Machine().stepsPerMm;
    };
    s.recreateLink = [this] { RecreateLink(); };
    s.refreshAbout = [this] { AboutFromLink(); };
    s.cancelController = [this] {
        if (ComClass* link = Link()) link->Cancel();
    };
    s.scaleDialog = scale_.get();
    s.mouldingDialog = moulding_.get();
    s.frameDialog = frame_.get();
    // The multiplication dialog comes later in the order of creation.
    s.rotaryProject = true;
    s.multiplyNow = [this] {
        if (multiplication_) multiplication_->Channel().Post(MultiplicationModel::kEventMultiplyNow);
    };
    s.multiplySeveralWires = [this] { return multiplication_ && multiplication_->SeveralWires(); };
    s.multiplicationRunState = [this] { return multiply_ ? multiply_->RunState() : 0; };
    s.multiplicationStopped = [this] {
        if (multiply_) multiply_->Abandon();
    };
    // A project's multiplication fills the dialog, and Save as writes what the dialog holds.
    s.multiplicationFields = [this] { return multiplication_ ? multiplication_->Texts() : MultiplicationTexts{}; };
    s.setMultiplicationFields = [this](const MultiplicationTexts& texts) {
        if (multiplication_) multiplication_->SetTexts(texts);
    };
    s.multiplicationJoinEnded = [this] {
        if (multiply_ && multiply_->JoinEnded()) multiplication_->Channel().Post(MultiplicationModel::kEventJoinEnded);
    };
    s.requestExit = [this](int code) { RequestExit(code); };
    main_ = std::make_unique<MainWindowModel>(std::move(s));

    MainWindowModel* window = main_.get();
    log_->SetMemoHook([window](std::string_view line) { window->AppendMemoLine(line); });
    log_->Log("Mutex created " + std::to_string(reinterpret_cast<std::uintptr_t>(&drawingMutex_)) + " DRAW_MUTEX" +
              std::to_string(o_.processId));
    log_->Log("ctor");
    main_->Create();
}

void AppCore::CreateRotaryProject() {
    RotaryProjectModel::Services s;
    s.parameters = &parameters_;
    s.messages = &messages_;
    s.prompt = o_.prompt;
    s.drawing = drawing_.get();
    s.pens = &main_->Pens();
    s.dxf = &main_->DxfReader();
    s.dispatcher = dispatcher_.get();
    s.materials = &cutting_->materials;
    s.mainWindow = &main_->WindowState();
    MainWindowModel* window = main_.get();
    s.enableSimulation = [window] { window->EnableSimulation(); };
    s.trace = log_.get();
    s.notifier = o_.notifier;
    rotary_ = std::make_unique<RotaryProjectModel>(std::move(s));
    rotary_->Create();
    rotary_->SetLink(Link());
    dispatcher_->SetRotary(rotary_.get());
}

void AppCore::CreateMultiplication() {
    MultiplyContext mc(*drawing_, &drawingMutex_, main_->WindowState());
    mc.mainWindow = &main_->Channel();
    mc.startJoin = [this] { return main_->JoinNow(); };
    multiply_ = std::make_unique<MultiplyCommand>(std::move(mc));
    MultiplicationModel::Services ms;
    ms.parameters = &parameters_;
    ms.messages = &messages_;
    ms.prompt = o_.prompt;
    ms.command = multiply_.get();
    ms.notifier = o_.notifier;
    multiplication_ = std::make_unique<MultiplicationModel>(std::move(ms));
    multiplication_->Create();
}

// False when the link's start-up ends the program.
bool AppCore::CreateManualControl() {
    LinkServices& link = linkServices_;
    link.parameters = &parameters_;
    link.messages = &messages_;
    link.ftdi = ftdi_.get();
    link.messageLog = log_.get();
    link.debugLog = debugLog_.get();
    MainWindowModel* window = main_.get();
    link.memo = [window](std::string_view line) { window->AppendMemoLine(line); };
    link.cuttingStatus = [this](std::string_view text) {
        if (cutting_) cutting_->job.ShowStatus(text);
    };
    TDrawing* drawing = drawing_.get();
    link.twoFigureDrawing = [drawing] { return drawing->Set(TDrawing::kFigure2).V.Count() > 0; };
    link.directory = o_.directory;
    link.processId = o_.processId;
    ManualControl::Services s;
    s.link = link;
    s.prompt = o_.prompt;
    s.dispatcher = dispatcher_.get();
    manual_ = std::make_unique<ManualControl>(std::move(s));
    manual_->Create(nullptr);
    if (const std::optional<int> exitCode = StartLink()) {
        RequestExit(*exitCode);
        return false;
    }
    return true;
}

std::optional<int> AppCore::StartLink() {
    ManualControl* window = manual_.get();
    LinkStartup up = LinkStartup::Run(linkServices_, &window->Channel(), *o_.prompt,
                                      [window](std::string_view text) { window->ShowStatus(text); });
    link_ = std::move(up.link);
    dispatcher_->SetLink(link_.get());
    window->SetLink(link_.get());
    if (up.outcome == LinkStartup::Outcome::Exit) return up.exitCode;
    return std::nullopt;
}

void AppCore::DropLink() {
    if (manual_) manual_->SetLink(nullptr);
    dispatcher_->SetLink(nullptr);
    link_.reset();
}

void AppCore::CreateCutting() {
    CuttingJob::Services js;
    js.parameters = &parameters_;
    js.messages = &messages_;
    js.prompt = o_.prompt;
    js.drawing = drawing_.get();
    js.dispatcher = dispatcher_.get();
    js.mainWindow = &main_->WindowState();
    js.debugLog = debugLog_.get();
    js.messageLog = log_.get();
    Materials::Services ms;
    ms.parameters = &parameters_;
    ms.messages = &messages_;
    ms.prompt = o_.prompt;
    MainWindowModel* window = main_.get();
    ms.mainStatus = [window](std::string_view text) { window->ShowStatus(text); };
    cutting_ = std::make_unique<CuttingWindows>(js, std::move(ms));
    cutting_->job.SetLink(Link());
    dispatcher_->SetCutting(&cutting_->job);
    cutting_->materials.Create(nullptr);
}

void AppCore::AboutFromLink() {
    if (about_) about_->Create(ControllerIdentity::Of(Link()), nullptr);
}

void AppCore::RecreateLink() {
    if (!manual_) return;
    if (cutting_) cutting_->job.SetLink(nullptr);
    if (rotary_) rotary_->SetLink(nullptr);
    // The old link closes its device before the new one looks for it.
    DropLink();
    manual_->Create(nullptr);
    const std::optional<int> exitCode = StartLink();
    if (cutting_) cutting_->job.SetLink(Link());
    if (rotary_) rotary_->SetLink(Link());
    if (exitCode) RequestExit(*exitCode);
}

// ---- shut-down -------------------------------------------------------------------------

void AppCore::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (!started_) return;

    // The main window closes: no more fitting, the simulation stops, the joining worker
    // ends at its next check (it may still send to the window meanwhile).
    if (main_) main_->Close();

    // The parameter editor goes first and writes the whole store back.
    if (editor_) {
        editor_->Destroy();
        saveError_ = editor_->SaveError();
        if (!saveError_.empty() && log_) log_->Log("wirvela.ini not saved: " + saveError_);
    }
    editor_.reset();
    frame_.reset();
    moulding_.reset();
    scale_.reset();
    multiplication_.reset();
    multiply_.reset();
    if (rotary_) {
        dispatcher_->SetRotary(nullptr);
        rotary_->SetLink(nullptr);
    }
    rotary_.reset();
    devices_.reset();
    about_.reset();
    if (cutting_) {
        dispatcher_->SetCutting(nullptr);
        cutting_->job.SetLink(nullptr);
    }
    cutting_.reset();
    // The controller gets the cancel operation before its link goes, and the link goes
    // before the manual-control window it reports to.
    if (ComClass* link = Link()) link->Cancel();
    DropLink();
    manual_.reset();
    colours_.reset();

    if (log_) log_->SetMemoHook({});
    main_.reset();
    dispatcher_.reset();
    ftdi_.reset();
    debugLog_.reset();
    messages_.FreeMessages();
    drawing_.reset();
    log_.reset();
}

}  // namespace wirvela
