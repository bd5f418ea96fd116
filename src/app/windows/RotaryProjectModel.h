#pragma once
// The rotary project window (" Projekt obrotowy", TForm8): the list of profiles a part on
// the rotary table is cut from, each with the angle the table turns after it. The operator
// opens or saves the list as an .hpr project, adds profiles with Shift + click in the first
// column, previews one profile at a time, picks the material and the heating and runs the
// project on the controller: Start sends the first profile, and each end report of the
// controller (active mode 3 of the event dispatch) brings the next one, until the last has
// ended and the dispatch stops the project, which closes the window.
//
// This is the window's model: its controls, the grid and the preview picture, and its
// commands. The run itself is RotaryRun's; the model hands it the list and shows what it
// reports. The view mirrors the model; the tests drive it directly. Everything runs on the
// window thread; the controller link's reader reaches the window only through its channel.
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Control.h"
#include "app/windows/ModalResult.h"
#include "config/LocalisableWindow.h"
#include "controller/RotaryEvents.h"
#include "platform/EventChannel.h"
#include "rotary/HprFile.h"
#include "rotary/RotaryRun.h"
#include "view/RasterCanvas.h"

namespace wirvela {

class ComClass;
class ComRotaryLink;
class ControllerDispatcher;
class Materials;
class MessageLog;
class Prompt;
class TDrawing;
class TDxfReader;
class TMessages;
class TParameters;
struct HpglPenState;
struct LoaderWindowState;

class RotaryProjectModel final : public RotaryEvents, public LocalisableWindow, private RotaryReport {
public:
    static constexpr const char* kFormName = "Form8";
    static constexpr const char* kCaption = " Projekt obrotowy";
    static constexpr const char* kProjectFilter = "Pliki projektu hpr|*.hpr|Pliki raw 3D|*.raw";
    static constexpr const char* kProfileFilter = "Pliki HPGL|*.plt";
    static constexpr const char* kSaveFilter = "Pliki projektu hpr|*.hpr";
    static constexpr int kRawFilterIndex = 2;
    static constexpr const char* kAddedAngle = "10";  // a profile added through the dialog
    // The temperature bar (ScrollBar3).
    static constexpr int kHeatingMin = 1;
    static constexpr int kHeatingMax = 100;
    static constexpr int kHeatingDefault = 35;
    static constexpr int kHeatingLargeStep = 10;
    // The preview panel (Image2), pixels.
    static constexpr int kPreviewWidth = 240;
    static constexpr int kPreviewHeight = 200;
    static constexpr std::int32_t kPreviewBackground = 0xC0C0C0;  // silver
    static constexpr std::int32_t kPreviewLines = 0x000000;

    struct Services {
        TParameters* parameters = nullptr;    // required
        const TMessages* messages = nullptr;  // required
        Prompt* prompt = nullptr;             // message boxes; absent: not shown (No to questions)
        TDrawing* drawing = nullptr;          // required: the profiles are cut from its current set
        HpglPenState* pens = nullptr;         // required: the program's HP-GL pen state
        TDxfReader* dxf = nullptr;            // required: the program's DXF reader
        ControllerDispatcher* dispatcher = nullptr;  // active mode, start lock; required for a run
        // The material grid; absent: the materials as the store keeps them.
        Materials* materials = nullptr;
        // The main window's scale percentage; absent: 100 %.
        const LoaderWindowState* mainWindow = nullptr;
        // Enables the main window's simulation command while the window shows.
        std::function<void()> enableSimulation;
        MessageLog* trace = nullptr;
        std::function<void()> notifier;  // wakes the GUI after an event is queued
    };

    // The file dialogs: what the model asks and what the operator chose.
    struct FileRequest {
        std::string filter;   // "description|pattern|…"
        int filterIndex = 1;  // 1-based
        std::string defaultExtension;
    };
    struct FileChoice {
        std::filesystem::path file;
        int filterIndex = 1;
    };
    using FileDialog = std::function<std::optional<FileChoice>(const FileRequest&)>;

    struct Hooks {
        std::function<void()> changed;  // mirror the controls again
        FileDialog openDialog;          // OpenDialog2: the project or a raw 3-D model
        FileDialog profileDialog;       // OpenDialog1: a profile for the grid
        FileDialog saveDialog;          // SaveDialog1 (asks before overwriting)
        // A raw 3-D file was chosen: the 3-D model window opens it. Absent: nothing.
        std::function<void(const std::filesystem::path&)> open3D;
        // SpeedButton7: the 3-D project viewer. Absent: nothing.
        std::function<void()> show3D;
        // ComboBox1 double click: the materials table shown modally. Absent: nothing.
        std::function<void()> materialsTable;
        // The window closes with this result (Stop, the end of the project).
        std::function<void(ModalResult)> close;
    };

    struct Controls {
        Control SpeedButton1;  // open
        Control SpeedButton2;  // save
        Control SpeedButton3;  // start
        Control SpeedButton4;  // stop
        Control SpeedButton5;  // continue
        Control SpeedButton6;  // hold
        Control SpeedButton7;  // 3D
        Control ComboBox1;     // material
        Control ScrollBar3;    // temperature, per cent
        Control Label23;       // its value
        Control Label31;       // "Temp."
        Control Label2;        // "%"
        Control ScrollBar1;    // previewed row
        Control Label1;        // the previewed row's number
        Control Lerrors;       // status line
        Control OpenDialog1, OpenDialog2, SaveDialog1;  // their filters in `text`
    };

    explicit RotaryProjectModel(Services services);
    ~RotaryProjectModel() override;
    RotaryProjectModel(const RotaryProjectModel&) = delete;
    RotaryProjectModel& operator=(const RotaryProjectModel&) = delete;

    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // The controller link, set again whenever it is re-created; null: no controller.
    void SetLink(ComClass* link);
    ComClass* Link() const { return link_; }

    // Creation: texts localised, header cells set, modified mark cleared.
    void Create();
    // Showing: the controller's reports come here, the materials are listed and the
    // remembered one selected, the simulation command enabled, the preview refreshed.
    void Show();
    // Closing (also after Stop): a modified list asks message 199 and Yes saves; then
    // the list is cleared. The controller's reports stay with this window.
    void Close();
    bool Visible() const { return visible_; }
    ModalResult Result() const { return result_; }

    // ---- commands ----------------------------------------------------------------------
    void Open();                     // SpeedButton1
    void Save();                     // SpeedButton2
    int Start();                     // SpeedButton3: the run's result (16 running)
    int Hold();                      // SpeedButton6
    int Continue();                  // SpeedButton5
    int StopRun();                   // SpeedButton4: the cancel's result
    void Show3D();                   // SpeedButton7
    // A left press in the grid: with Shift on a cell of column 0 a profile is chosen for
    // it; any other press only fits the preview bar to the list.
    void GridMouseDown(int column, int row, bool shift);
    void GridMouseLeave() { FitPreviewBar(); }
    void MovePreviewBar(int position);  // ScrollBar1
    void SelectMaterial(int index);     // ComboBox1
    void MaterialsDoubleClick();        // ComboBox1
    void MoveHeatingBar(int position);  // ScrollBar3

    // ---- state -------------------------------------------------------------------------
    const ProfileList& Grid() const { return grid_; }
    // Row 0 gives the header texts (messages 140 and 141).
    const std::string& Cell(int column, int row) const;
    // An edit of a cell by the operator (the angle column, or a typed name).
    void SetCell(int column, int row, std::string_view text);
    bool Modified() const { return modified_; }
    const std::array<std::string, 10>& MaterialNames() const { return names_; }
    int SelectedMaterial() const { return selected_; }
    const RasterCanvas& Preview() const { return preview_; }
    const Controls& Form() const { return c_; }
    const Control* Find(std::string_view name) const;
    void ForEachControl(const std::function<void(std::string_view, const Control&)>& f) const;
    const std::string& Title() const { return title_; }
    const RotaryRun& Run() const { return run_; }

    EventChannel& Channel() { return channel_; }
    std::intptr_t HandleEvent(int code);

    // ---- RotaryEvents (the event dispatch) -------------------------------------------
    const EventChannel* Events() const override { return &channel_; }
    void ShowStatus(std::string_view text) override;
    void EnableStart(bool enable) override;
    void EnableContinue(bool enable) override { c_.SpeedButton5.enabled = enable; }
    void EnableHold(bool enable) override { c_.SpeedButton6.enabled = enable; }
    bool LastProfile() const override { return run_.LastProfile(); }
    int CurrentRow() const override { return run_.CurrentRow(); }
    void MovePreviewToCurrentRow() override;
    int SendNextProfile() override { return run_.SendProfile(); }
    void Stop() override { StopRun(); }

    // ---- LocalisableWindow -----------------------------------------------------------
    std::string_view FormName() const override { return kFormName; }
    void SetTitle(std::string_view text) override { title_ = std::string(text); }
    void SetFontCharset(int) override {}
    void SetControlCaption(std::string_view control, std::string_view text) override;
    void SetControlFontCharset(std::string_view, int) override {}
    void SetControlHint(std::string_view control, std::string_view text) override;
    void SetControlFilter(std::string_view control, std::string_view filter) override;

private:
    // ---- RotaryReport ----------------------------------------------------------------
    void Status(std::string_view text) override { ShowStatus(text); }
    void Warning(const RunMessage& message) override;
    void Stopped() override;

    Control* FindMutable(std::string_view name);
    void Changed();
    void Trace(std::string_view text);
    void Box(int message, int caption);
    // Fits ScrollBar1 to the last row with a name.
    void FitPreviewBar();
    void SetPreviewBar(int min, int max, int position, bool enabled);
    void RefreshPreview();
    void FillMaterials();
    MaterialValues Material(int index) const;
    void SetHeatingBar(int position);

    Services s_;
    Hooks hooks_;
    Controls c_;
    std::string title_ = kCaption;
    ProfileList grid_;
    std::string header0_, header1_;
    // The folder the profiles are read from: that of the project or profile chosen last.
    std::filesystem::path folder_ = ".";
    bool modified_ = false;
    bool visible_ = false;
    ModalResult result_ = ModalResult::None;
    std::array<std::string, 10> names_{};
    int selected_ = 0;
    ComClass* link_ = nullptr;
    std::unique_ptr<ComRotaryLink> rotaryLink_;
    // The window that had the controller's reports before this one took them.
    EventChannel* previousEvents_ = nullptr;
    // The preview's own tables: previewing never touches the drawing being cut.
    std::unique_ptr<TDrawing> previewDrawing_;
    std::unique_ptr<HpglPenState> previewPens_;
    RasterCanvas preview_{kPreviewWidth, kPreviewHeight};
    RotaryRun run_;
    // Declared last: closed first, so no event reaches a half-destroyed window.
    EventChannel channel_;
};

}  // namespace wirvela
