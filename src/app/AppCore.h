#pragma once
// The application core: the one instance of each thing the program holds globally (the
// settings store, the message table, the logs, the drawing with its mutex, the controller
// link) and every window's model, created at start-up and destroyed at shut-down in the
// program's fixed order:
//
//   start-up   store, diagnostic log, local.txt (message table, or the warning box),
//              a wirvela.ini that cannot serve (the question whether to start from the
//              shipped settings; Yes loads the store again), message log file, drawing mutex, drawing sets, the main window; then
//              colours, manual control, the controller link (its start-up reports on
//              the manual-control window, which gets its reports), cutting, materials,
//              about, device list, rotary project, multiplication, scale, parameter
//              editor, bent moulding, frame.
//   shut-down  the main window closes (simulation stopped, the joining worker stopped
//              cooperatively); the parameter editor writes the store back first; the
//              windows go in reverse order, the controller getting the cancel operation
//              before its link goes, and the link going before the manual-control window
//              it reports to; the main window, the logs and the store last.
//
// Headless: the GUI (or a test) gives the prompt for message boxes and the notifier that
// wakes its event loop, creates its views over the models after Start(), drains the
// models' event channels on its own thread (Channels()) and calls Shutdown() when the
// main window closes. Windows of the system that the program does not have yet (pendant,
// 3-D viewer, profile generation) are not created; their commands stay hidden.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/windows/AboutModel.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "controller/ControllerDispatcher.h"
#include "controller/LinkServices.h"
#include "platform/Sync.h"

namespace wirvela {

class AboutModel;
class ColoursModel;
class ComClass;
class CuttingJob;
class DebugLog;
class DeviceList;
class EventChannel;
class Ftdi;
class MainWindowModel;
class ManualControl;
class Materials;
class MessageLog;
class MultiplicationModel;
class MultiplyCommand;
class ParameterEditorModel;
class RotaryProjectModel;
class Prompt;
class ScaleDialogModel;
class MouldingModel;
class FrameModel;
class TDrawing;

struct AppCoreOptions {
    // The start-up directory (see StartupDirectory): wirvela.ini, local.txt, the logs.
    std::filesystem::path directory = ".";
    // The folder of the shipped wirvela.ini and local.txt; empty when none was found.
    // When the start-up directory's wirvela.ini cannot serve, the operator is offered to
    // start from this one.
    std::filesystem::path shippedData;
    // Message boxes, asked on the window thread. Questions of worker threads reach it
    // through the main window's channel. Absent: every box is answered cautiously (OK,
    // No or Cancel) without being shown.
    Prompt* prompt = nullptr;
    // Called from any thread after an event is queued for the main window: wakes the GUI.
    std::function<void()> notifier;
    // The USB device list the controller link searches; absent: MakeDefaultFtdi() (the
    // real FTDI devices, then the simulated controller).
    std::function<std::unique_ptr<Ftdi>()> makeFtdi;
    // The number in the names of the drawing mutex and the link lock.
    int processId = 0;
    // The program's version for the about box.
    ProgramVersion version{"0.1.0", {}};
};

class AppCore {
public:
    // The outcome of the start-up: the program runs, or it ends with exitCode (the
    // controller link's start-up decided so and has told the operator why).
    struct StartResult {
        bool exit = false;
        int exitCode = 0;
    };

    explicit AppCore(AppCoreOptions options);
    // Shuts down when Shutdown has not run.
    ~AppCore();
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // Start-up in the fixed order; call once, on the window thread (the thread that will
    // drain the channels).
    StartResult Start();
    // Shut-down in the fixed order; runs once (later calls do nothing). Window thread.
    void Shutdown();
    bool Started() const { return started_; }

    // The models' event channels (main window, cutting, manual control): the GUI drains
    // them on the window thread. Empty before Start and after Shutdown.
    std::vector<EventChannel*> Channels();
    // Handles what is queued on every channel; returns how many events.
    int ProcessEvents();

    // An exit asked for by a command (Exit) or by a re-created link; the GUI ends its loop
    // with the code. The hook (optional) is told at once.
    std::optional<int> ExitRequested() const { return exitRequested_; }
    void SetExitHook(std::function<void(int exitCode)> hook) { exitHook_ = std::move(hook); }
    // Why the final write of wirvela.ini failed; empty when it succeeded (or has not run).
    const std::string& SaveError() const { return saveError_; }

    // ---- what the program holds -----------------------------------------------------------
    const std::filesystem::path& Directory() const { return o_.directory; }
    // start-up directory / "wirvela.ini", for the parts that read the file directly.
    const std::filesystem::path& IniPath() const { return iniPath_; }
    TParameters& Parameters() { return parameters_; }
    TMessages& Messages() { return messages_; }
    DebugLog* DiagnosticLog() { return debugLog_.get(); }
    MessageLog& Log() { return *log_; }
    TDrawing& Drawing() { return *drawing_; }
    RecursiveTimedMutex& DrawingMutex() { return drawingMutex_; }
    ControllerDispatcher& Dispatcher() { return *dispatcher_; }
    Ftdi& UsbDevices() { return *ftdi_; }
    // The controller link; null when there is none.
    ComClass* Link() { return link_.get(); }

    // ---- the windows' models (valid between Start and Shutdown) ---------------------------
    MainWindowModel& MainWindow() { return *main_; }
    ColoursModel& Colours() { return *colours_; }
    ManualControl& ManualControlWindow() { return *manual_; }
    CuttingJob& Cutting();
    Materials& MaterialsWindow();
    AboutModel& About() { return *about_; }
    DeviceList& Devices() { return *devices_; }
    MultiplicationModel& Multiplication() { return *multiplication_; }
    RotaryProjectModel& RotaryProject() { return *rotary_; }
    MultiplyCommand& MultiplyService() { return *multiply_; }
    ScaleDialogModel& Scale() { return *scale_; }
    MouldingModel& Moulding() { return *moulding_; }
    FrameModel& Frame() { return *frame_; }
    ParameterEditorModel& ParameterEditor() { return *editor_; }

    // The controller link is destroyed and built again (a device chosen, a new COM
    // setting), the manual-control window created again before the new link's start-up;
    // the windows and the dispatch get the new link.
    void RecreateLink();

private:
    struct CuttingWindows;

    // wirvela.ini could not serve (`problem`): the operator chooses between the shipped
    // settings and the built-in values. The line for the message log, which does not
    // exist yet.
    std::string OfferShippedSettings(const std::string& problem);
    // The store again, from wirvela.ini or empty (the built-in values), and the
    // diagnostic log set up from it.
    void ReloadSettings(bool builtIn);
    void CreateMainWindow();
    bool CreateManualControl();
    // The link's start-up; the exit code when it ends the program.
    std::optional<int> StartLink();
    // The link goes: nothing refers to it any more.
    void DropLink();
    void CreateCutting();
    void CreateRotaryProject();
    void CreateMultiplication();
    void RequestExit(int code);
    void AboutFromLink();

    AppCoreOptions o_;
    std::unique_ptr<Prompt> ownPrompt_;  // without a prompt of the caller: cautious answers
    std::filesystem::path iniPath_;
    bool started_ = false;
    bool shutDown_ = false;
    std::optional<int> exitRequested_;
    std::function<void(int)> exitHook_;
    std::string saveError_;

    // In the order of creation; destroyed explicitly by Shutdown in the reverse order.
    TParameters parameters_;
    std::unique_ptr<DebugLog> debugLog_;
    TMessages messages_;
    std::unique_ptr<MessageLog> log_;
    RecursiveTimedMutex drawingMutex_;
    std::unique_ptr<TDrawing> drawing_;
    std::unique_ptr<Ftdi> ftdi_;
    std::unique_ptr<ControllerDispatcher> dispatcher_;
    std::unique_ptr<MainWindowModel> main_;
    std::unique_ptr<ColoursModel> colours_;
    std::unique_ptr<ManualControl> manual_;
    LinkServices linkServices_;
    // After the manual-control window: the link goes first, its reader delivers there.
    std::unique_ptr<ComClass> link_;
    std::unique_ptr<CuttingWindows> cutting_;
    std::unique_ptr<AboutModel> about_;
    std::unique_ptr<DeviceList> devices_;
    std::unique_ptr<RotaryProjectModel> rotary_;
    // The multiplication dialog and the press it serves.
    std::unique_ptr<MultiplyCommand> multiply_;
    std::unique_ptr<MultiplicationModel> multiplication_;
    std::unique_ptr<ScaleDialogModel> scale_;
    std::unique_ptr<ParameterEditorModel> editor_;
    std::unique_ptr<MouldingModel> moulding_;
    std::unique_ptr<FrameModel> frame_;
};

}  // namespace wirvela
