#include "app/windows/RotaryProjectModel.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "app/windows/Materials.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Prompt.h"
#include "controller/ComClass.h"
#include "controller/ControllerDispatcher.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"
#include "formats/HpglReader.h"
#include "rotary/RotaryLink.h"
#include "settings/MaterialStore.h"
#include "view/Zoom.h"

namespace wirvela {

namespace {

// Message numbers.
constexpr int kQuestionCaption = 1;
constexpr int kErrorCaption = 109;
constexpr int kNameHeader = 140;
constexpr int kAngleHeader = 141;
constexpr int kUnreadable = 142;
constexpr int kChangedQuestion = 199;

constexpr const char* kProjectExtension = "hpr";

using Controls = RotaryProjectModel::Controls;

struct Named {
    const char* name;
    Control Controls::*control;
};

constexpr std::array<Named, 18> kControls{{
    {"SpeedButton1", &Controls::SpeedButton1}, {"SpeedButton2", &Controls::SpeedButton2},
    {"SpeedButton3", &Controls::SpeedButton3}, {"SpeedButton4", &Controls::SpeedButton4},
    {"SpeedButton5", &Controls::SpeedButton5}, {"SpeedButton6", &Controls::SpeedButton6},
    {"SpeedButton7", &Controls::SpeedButton7}, {"ComboBox1", &Controls::ComboBox1},
    {"ScrollBar3", &Controls::ScrollBar3},     {"Label23", &Controls::Label23},
    {"Label31", &Controls::Label31},           {"Label2", &Controls::Label2},
    {"ScrollBar1", &Controls::ScrollBar1},     {"Label1", &Controls::Label1},
    {"Lerrors", &Controls::Lerrors},           {"OpenDialog1", &Controls::OpenDialog1},
    {"OpenDialog2", &Controls::OpenDialog2},   {"SaveDialog1", &Controls::SaveDialog1},
}};

constexpr LocalisedControl kLocalised[] = {
    {"SpeedButton1", LocalisedText::Hint},   {"SpeedButton2", LocalisedText::Hint},
    {"SpeedButton3", LocalisedText::Hint},   {"SpeedButton4", LocalisedText::Hint},
    {"SpeedButton5", LocalisedText::Hint},   {"SpeedButton6", LocalisedText::Hint},
    {"ComboBox1", LocalisedText::Hint},      {"OpenDialog1", LocalisedText::Filter},
    {"OpenDialog2", LocalisedText::Filter},  {"SaveDialog1", LocalisedText::Filter},
    {"Label31", LocalisedText::Caption},
};

Control Button(const char* hint, bool enabled = true) {
    Control c;
    c.hint = hint;
    c.enabled = enabled;
    return c;
}

}  // namespace

RotaryProjectModel::RotaryProjectModel(Services services)
    : s_(std::move(services)),
      run_({s_.parameters, s_.messages, s_.drawing, s_.pens, s_.dxf, s_.dispatcher, s_.trace}, *this),
      channel_([this](int code, std::intptr_t) { return HandleEvent(code); }, s_.notifier) {
    c_.SpeedButton1 = Button("Wczytaj projekt");
    c_.SpeedButton2 = Button("Zapisz projekt");
    c_.SpeedButton3 = Button("Rozpocznij wycinanie");
    c_.SpeedButton4 = Button("Przerwij");
    c_.SpeedButton5 = Button("Kontynuacja wycinania", false);
    c_.SpeedButton6 = Button("Wstrzymaj", false);
    c_.SpeedButton7.caption = "3D";
    c_.SpeedButton7.enabled = false;
    c_.ComboBox1.hint = "Kliknij dwukrotnie aby edytować parametry wycinania materiału";
    c_.ScrollBar3.min = kHeatingMin;
    c_.ScrollBar3.max = kHeatingMax;
    c_.ScrollBar3.position = kHeatingDefault;
    c_.Label23.caption = std::to_string(kHeatingDefault);
    c_.Label31.caption = "Temp.";
    c_.Label2.caption = "%";
    c_.ScrollBar1.min = 0;
    c_.ScrollBar1.max = 0;
    c_.ScrollBar1.enabled = false;
    c_.OpenDialog1.text = kProfileFilter;
    c_.OpenDialog2.text = kProjectFilter;
    c_.SaveDialog1.text = kSaveFilter;
    preview_.Fill(kPreviewBackground);
    run_.SetHeating(kHeatingDefault);
}

RotaryProjectModel::~RotaryProjectModel() {
    if (link_ && link_->EventWindow() == &channel_) link_->SetEventWindow(previousEvents_);
    channel_.Close();
}

void RotaryProjectModel::SetLink(ComClass* link) {
    if (link_ && link_->EventWindow() == &channel_) link_->SetEventWindow(previousEvents_);
    link_ = link;
    previousEvents_ = nullptr;
    rotaryLink_ = link ? std::make_unique<ComRotaryLink>(*link) : nullptr;
    run_.SetLink(rotaryLink_.get());
}

// ---- helpers ---------------------------------------------------------------------------

void RotaryProjectModel::Changed() {
    if (hooks_.changed) hooks_.changed();
}

void RotaryProjectModel::Trace(std::string_view text) {
    if (s_.trace) s_.trace->Log(text);
}

void RotaryProjectModel::Warning(const RunMessage& message) {
    if (!s_.prompt) return;
    PromptRequest request;
    request.text = message.text;
    request.caption = message.caption;
    request.icon = PromptIcon::Warning;
    request.messageKey = message.messageKey;
    s_.prompt->Ask(request);
}

void RotaryProjectModel::Box(int message, int caption) {
    Warning({s_.messages->MessageText(message), s_.messages->MessageText(caption), message});
}

const Control* RotaryProjectModel::Find(std::string_view name) const {
    for (const Named& n : kControls) {
        if (name == n.name) return &(c_.*n.control);
    }
    return nullptr;
}

Control* RotaryProjectModel::FindMutable(std::string_view name) {
    return const_cast<Control*>(std::as_const(*this).Find(name));
}

void RotaryProjectModel::ForEachControl(const std::function<void(std::string_view, const Control&)>& f) const {
    for (const Named& n : kControls) f(n.name, c_.*n.control);
}

void RotaryProjectModel::SetControlCaption(std::string_view control, std::string_view text) {
    if (Control* c = FindMutable(control)) c->caption = std::string(text);
}

void RotaryProjectModel::SetControlHint(std::string_view control, std::string_view text) {
    if (Control* c = FindMutable(control)) c->hint = std::string(text);
}

void RotaryProjectModel::SetControlFilter(std::string_view control, std::string_view filter) {
    if (Control* c = FindMutable(control)) c->text = std::string(filter);
}

// ---- window ----------------------------------------------------------------------------

void RotaryProjectModel::Create() {
    s_.messages->LocaliseForm(*this, kLocalised);
    header0_ = s_.messages->MessageText(kNameHeader);
    header1_ = s_.messages->MessageText(kAngleHeader);
    modified_ = false;
}

void RotaryProjectModel::Show() {
    Trace(">>>TForm8::FormShow");
    visible_ = true;
    result_ = ModalResult::None;
    if (link_) {
        // Shown again without a Stop in between: the window it took them from keeps its claim.
        if (link_->EventWindow() != &channel_) previousEvents_ = link_->EventWindow();
        link_->SetEventWindow(&channel_);
    }
    FillMaterials();
    SetHeatingBar(Material(selected_).t);
    if (s_.enableSimulation) s_.enableSimulation();
    Trace(">>>TForm8::FormShow. Before ScrollBar1Change");
    RefreshPreview();
}

void RotaryProjectModel::Close() {
    if (!visible_) return;
    visible_ = false;
    if (modified_ && s_.prompt) {
        PromptRequest request;
        request.text = s_.messages->MessageText(kChangedQuestion);
        request.caption = s_.messages->MessageText(kQuestionCaption);
        request.icon = PromptIcon::Question;
        request.buttons = PromptButtons::YesNo;
        request.messageKey = kChangedQuestion;
        if (s_.prompt->Ask(request) == PromptAnswer::Yes) Save();
    }
    grid_.Clear();
    modified_ = false;
    c_.SpeedButton7.enabled = false;
    SetPreviewBar(0, 0, 0, false);
    RefreshPreview();
}

std::intptr_t RotaryProjectModel::HandleEvent(int code) {
    if (s_.dispatcher) s_.dispatcher->Dispatch(code);
    Changed();
    return 0;
}

void RotaryProjectModel::ShowStatus(std::string_view text) {
    c_.Lerrors.caption = std::string(text);
    Changed();
}

void RotaryProjectModel::EnableStart(bool enable) {
    c_.SpeedButton3.enabled = enable;
    Changed();
}

// ---- the grid --------------------------------------------------------------------------

const std::string& RotaryProjectModel::Cell(int column, int row) const {
    static const std::string none;
    if (row < 0 || row >= ProfileList::kRows || column < 0 || column > 1) return none;
    if (row == 0) return column == 0 ? header0_ : header1_;
    const ProfileRow& r = grid_.Row(row);
    return column == 0 ? r.name : r.angle;
}

void RotaryProjectModel::SetCell(int column, int row, std::string_view text) {
    if (row < 1 || row >= ProfileList::kRows || column < 0 || column > 1) return;
    ProfileRow& r = grid_.Row(row);
    (column == 0 ? r.name : r.angle) = std::string(text);
}

void RotaryProjectModel::GridMouseDown(int column, int row, bool shift) {
    if (!shift || column != 0 || row < 1 || row >= ProfileList::kRows || !hooks_.profileDialog) {
        FitPreviewBar();
        return;
    }
    const std::optional<FileChoice> choice = hooks_.profileDialog({c_.OpenDialog1.text, 1, "plt"});
    if (!choice) return;
    ProfileRow& r = grid_.Row(row);
    r.name = choice->file.filename().string();
    if (r.angle.empty()) r.angle = kAddedAngle;
    if (choice->file.has_parent_path()) folder_ = choice->file.parent_path();
    modified_ = true;
    c_.SpeedButton7.enabled = true;
    Control& bar = c_.ScrollBar1;
    if (bar.max < row) bar.max = row;
    if (bar.min == 0) {
        bar.min = 1;
        bar.enabled = true;
    }
    MovePreviewBar(row);
}

// ---- files -----------------------------------------------------------------------------

void RotaryProjectModel::Open() {
    Trace(">>>TForm8::SpeedButton1Click ( Open Project )");
    if (!hooks_.openDialog) return;
    const std::optional<FileChoice> choice = hooks_.openDialog({c_.OpenDialog2.text, 1, kProjectExtension});
    if (!choice) return;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(choice->file, ec)) {
        Box(kUnreadable, kErrorCaption);
        return;
    }
    if (choice->filterIndex == kRawFilterIndex) {
        if (hooks_.open3D) hooks_.open3D(choice->file);
        return;
    }
    const HprOutcome read = ReadHprFile(choice->file, grid_, *s_.messages);
    if (!read.Ok()) Warning({read.text, s_.messages->MessageText(kErrorCaption), read.message});
    folder_ = choice->file.has_parent_path() ? choice->file.parent_path() : std::filesystem::path(".");
    if (read.rows >= 1) {
        SetPreviewBar(1, read.rows, 1, true);
    } else {
        SetPreviewBar(0, 0, 0, false);
    }
    c_.SpeedButton7.enabled = true;
    RefreshPreview();
}

void RotaryProjectModel::Save() {
    if (!hooks_.saveDialog) return;
    const std::optional<FileChoice> choice = hooks_.saveDialog({c_.SaveDialog1.text, 1, kProjectExtension});
    if (!choice) return;
    std::filesystem::path file = choice->file;
    if (!file.has_extension()) file += std::string(".") + kProjectExtension;
    const HprOutcome written = WriteHprFile(file, grid_, *s_.messages);
    if (!written.Ok()) Warning({written.text, s_.messages->MessageText(kErrorCaption), written.message});
}

void RotaryProjectModel::Show3D() {
    if (c_.SpeedButton7.enabled && hooks_.show3D) hooks_.show3D();
}

// ---- the preview -----------------------------------------------------------------------

void RotaryProjectModel::SetPreviewBar(int min, int max, int position, bool enabled) {
    Control& bar = c_.ScrollBar1;
    bar.min = min;
    bar.max = max;
    bar.position = position;
    bar.enabled = enabled;
}

void RotaryProjectModel::FitPreviewBar() {
    Control& bar = c_.ScrollBar1;
    for (int r = ProfileList::kLastRow; r >= 1; --r) {
        if (grid_.Name(r).empty()) continue;
        if (bar.max != r) {
            bar.max = r;
            if (bar.position > r) MovePreviewBar(r);
        }
        return;
    }
    const bool moved = bar.position != 0;
    SetPreviewBar(0, 0, 0, false);
    if (moved) RefreshPreview();
}

void RotaryProjectModel::MovePreviewBar(int position) {
    Control& bar = c_.ScrollBar1;
    bar.position = std::clamp(position, bar.min, std::max(bar.min, bar.max));
    RefreshPreview();
}

void RotaryProjectModel::MovePreviewToCurrentRow() {
    MovePreviewBar(run_.CurrentRow());
}

void RotaryProjectModel::RefreshPreview() {
    Trace(">>>TForm8::ScrollBar1Change");
    const int p = c_.ScrollBar1.position;
    c_.Label1.caption = p > 0 ? std::to_string(p) : std::string();
    if (p <= 0 || grid_.Name(p).empty()) {
        preview_.Fill(kPreviewBackground);
    } else {
        previewDrawing_ = std::make_unique<TDrawing>();
        previewPens_ = std::make_unique<HpglPenState>();
        const ProfilePath path = ProfileFilePath(folder_, grid_.Name(p), p, *s_.messages);
        // A profile the reader refuses leaves the picture as it was.
        if (path.Ok() && ReadHpgl(path.file, *previewDrawing_, *previewPens_) == 0) {
            const TVert& v = previewDrawing_->V();
            const TLines& lines = previewDrawing_->L();
            double x0 = std::numeric_limits<double>::max(), y0 = x0;
            double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
            for (int i = 0; i < v.Count(); ++i) {
                x0 = std::min(x0, v[i].x);
                y0 = std::min(y0, v[i].y);
                x1 = std::max(x1, v[i].x);
                y1 = std::max(y1, v[i].y);
            }
            TZoom zoom;
            if (v.Count() > 0) zoom.FitView(preview_.Width(), preview_.Height(), x0, y0, x1, y1);
            preview_.Fill(kPreviewBackground);
            preview_.SetPenColor(kPreviewLines);
            for (int i = 0; i < lines.Count(); ++i) {
                preview_.Line(zoom.ToScreen(v[lines[i].p].x, v[lines[i].p].y),
                              zoom.ToScreen(v[lines[i].k].x, v[lines[i].k].y));
            }
        }
    }
    Trace(">>>TForm8::ScrollBar1CHange finished");
    Changed();
}

// ---- material and heating --------------------------------------------------------------

MaterialValues RotaryProjectModel::Material(int index) const {
    return s_.materials ? s_.materials->Material(index + 1) : ReadMaterial(*s_.parameters, index + 1);
}

void RotaryProjectModel::FillMaterials() {
    for (int i = 0; i < 10; ++i) names_[static_cast<std::size_t>(i)] = Material(i).name;
    selected_ = s_.materials ? s_.materials->Selected() : ReadSelectedMaterial(*s_.parameters);
}

void RotaryProjectModel::SelectMaterial(int index) {
    if (index < 0 || index >= 10) return;
    selected_ = index;
    if (s_.materials) {
        s_.materials->SetSelected(index);
    } else {
        StoreSelectedMaterial(*s_.parameters, index);
    }
    SetHeatingBar(Material(index).t);
}

void RotaryProjectModel::MaterialsDoubleClick() {
    if (hooks_.materialsTable) hooks_.materialsTable();
    const int keep = selected_;
    FillMaterials();
    selected_ = keep;
    SetHeatingBar(Material(selected_).t);
}

void RotaryProjectModel::SetHeatingBar(int position) {
    position = std::clamp(position, kHeatingMin, kHeatingMax);
    // Like a bar whose position is set: only a change is handled.
    if (position != c_.ScrollBar3.position) MoveHeatingBar(position);
}

void RotaryProjectModel::MoveHeatingBar(int position) {
    position = std::clamp(position, kHeatingMin, kHeatingMax);
    c_.ScrollBar3.position = position;
    c_.Label23.caption = std::to_string(position);
    run_.SetHeating(position);
    Changed();
}

// ---- the run ---------------------------------------------------------------------------

int RotaryProjectModel::Start() {
    run_.SetProject(grid_, folder_);
    run_.SetMaterial(Material(selected_));
    run_.SetScalePercent(s_.mainWindow ? s_.mainWindow->scalePercent : 100.0);
    const int result = run_.Start();
    Changed();
    return result;
}

int RotaryProjectModel::Hold() {
    const int result = run_.Hold();
    Changed();
    return result;
}

int RotaryProjectModel::Continue() {
    const int result = run_.Continue();
    Changed();
    return result;
}

int RotaryProjectModel::StopRun() {
    // The reports go back before the cancel, so its answer reaches that window.
    if (link_ && link_->EventWindow() == &channel_) link_->SetEventWindow(previousEvents_);
    previousEvents_ = nullptr;
    return run_.Stop();
}

void RotaryProjectModel::Stopped() {
    result_ = ModalResult::Cancel;
    Close();
    if (hooks_.close) hooks_.close(ModalResult::Cancel);
    Changed();
}

}  // namespace wirvela
