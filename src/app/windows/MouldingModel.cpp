#include "app/windows/MouldingModel.h"

#include <array>
#include <mutex>

#include "config/LocalisableWindow.h"
#include "config/Messages.h"
#include "drawing/Drawing.h"
#include "platform/Sync.h"

namespace wirvela {

namespace {

using Member = Control MouldingModel::Controls::*;

struct Named {
    const char* name;
    Member member;
};

constexpr std::array<Named, 24> kControls{{
    {"Edit_H", &MouldingModel::Controls::Edit_H},
    {"Edit_r", &MouldingModel::Controls::Edit_r},
    {"Edit_l", &MouldingModel::Controls::Edit_l},
    {"Edit_eps", &MouldingModel::Controls::Edit_eps},
    {"Edit_d", &MouldingModel::Controls::Edit_d},
    {"Edit_alpha", &MouldingModel::Controls::Edit_alpha},
    {"Edit_N", &MouldingModel::Controls::Edit_N},
    {"Edit1", &MouldingModel::Controls::Edit1},
    {"Edit2", &MouldingModel::Controls::Edit2},
    {"Label1", &MouldingModel::Controls::Label1},
    {"Label2", &MouldingModel::Controls::Label2},
    {"Label3", &MouldingModel::Controls::Label3},
    {"Label4", &MouldingModel::Controls::Label4},
    {"Label5", &MouldingModel::Controls::Label5},
    {"Label6", &MouldingModel::Controls::Label6},
    {"Label7", &MouldingModel::Controls::Label7},
    {"Label8", &MouldingModel::Controls::Label8},
    {"Label9", &MouldingModel::Controls::Label9},
    {"RadioButton1", &MouldingModel::Controls::RadioButton1},
    {"RadioButton2", &MouldingModel::Controls::RadioButton2},
    {"CheckBox1", &MouldingModel::Controls::CheckBox1},
    {"CheckBox2", &MouldingModel::Controls::CheckBox2},
    {"Button1", &MouldingModel::Controls::Button1},
    {"Button2", &MouldingModel::Controls::Button2},
}};

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},       {"Label2", LocalisedText::Caption},
    {"Label3", LocalisedText::Caption},       {"Label4", LocalisedText::Caption},
    {"Label5", LocalisedText::Caption},       {"Label6", LocalisedText::Caption},
    {"Label7", LocalisedText::Caption},       {"Label8", LocalisedText::Caption},
    {"Label9", LocalisedText::Caption},       {"RadioButton1", LocalisedText::Caption},
    {"RadioButton2", LocalisedText::Caption}, {"CheckBox1", LocalisedText::Caption},
    {"CheckBox2", LocalisedText::Caption},    {"Button1", LocalisedText::Caption},
    {"Button2", LocalisedText::Caption},
};

}  // namespace

MouldingModel::MouldingModel(Services services) : s_(services) {
    c_.Label1.caption = "grubosc listwy  H";
    c_.Label2.caption = "promien wewnetrzny  r";
    c_.Label3.caption = "dlugosc luku l";
    c_.Label4.caption = "dokladnosc  eps";
    c_.Label5.caption = "grubosc  opaski nienacinanej   d";
    c_.Label6.caption = "kat [stopnie]";
    c_.Label7.caption = "liczba segmentow";
    c_.Label8.caption = "Odleglosc odejscia na koncach";
    c_.Label9.caption = "Grubosc nadpalenia";
    c_.RadioButton1.caption = "luk wewnetrzny";
    c_.RadioButton2.caption = "kat i liczba segmentow";
    c_.RadioButton1.checked = true;
    c_.CheckBox1.caption = "redukuj promien zewnetrzny do opaski";
    c_.CheckBox2.caption = "kompensuj nadpalenie  materialu";
    c_.Button1.caption = "Oblicz";
    c_.Button2.caption = "Utworz linie ciecia";
    ApplyEnabling();
}

void MouldingModel::Create(LocalisableWindow* view) {
    if (view != nullptr) s_.messages->LocaliseForm(*view, kLocalised);
}

void MouldingModel::Show() {
    visible_ = true;
    result_ = ModalResult::None;
    walk_.clear();
}

Control* MouldingModel::FindMutable(std::string_view name) {
    for (const Named& n : kControls) {
        if (name == n.name) return &(c_.*n.member);
    }
    return nullptr;
}

const Control* MouldingModel::Find(std::string_view name) const {
    return const_cast<MouldingModel*>(this)->FindMutable(name);
}

void MouldingModel::ForEachControl(const std::function<void(std::string_view name, const Control&)>& f) const {
    for (const Named& n : kControls) f(n.name, c_.*n.member);
    f("Label_N", c_.Label_N);
    f("Label_L", c_.Label_L);
}

void MouldingModel::SetField(std::string_view name, std::string_view text) {
    if (name.substr(0, 4) != "Edit") return;
    Control* field = FindMutable(name);
    if (field != nullptr && field->enabled) field->text = std::string(text);
}

void MouldingModel::SetAngleMode(bool angle) {
    c_.RadioButton1.checked = !angle;
    c_.RadioButton2.checked = angle;
    ApplyEnabling();
}

void MouldingModel::SetReduce(bool on) {
    c_.CheckBox1.checked = on;
}

void MouldingModel::SetBurn(bool on) {
    c_.CheckBox2.checked = on;
    ApplyEnabling();
}

void MouldingModel::ApplyEnabling() {
    const bool arc = c_.RadioButton1.checked;
    for (Control* c : {&c_.Edit_l, &c_.Edit_eps, &c_.Label3, &c_.Label4}) c->enabled = arc;
    for (Control* c : {&c_.Edit_alpha, &c_.Edit_N, &c_.Label6, &c_.Label7}) c->enabled = !arc;
    c_.Edit2.enabled = c_.Label9.enabled = c_.CheckBox2.checked;
}

void MouldingModel::Refuse(const GeneratorMessage& refusal) {
    ShowRefusal(*s_.prompt, *s_.messages, refusal, s_.messages->MessageText(kCaptionMessage));
}

bool MouldingModel::Compute() {
    const MouldingTexts texts{c_.Edit_H.text, c_.Edit_r.text,     c_.Edit_l.text, c_.Edit_eps.text, c_.Edit_d.text,
                              c_.Edit_alpha.text, c_.Edit_N.text, c_.Edit1.text, c_.Edit2.text};
    const MouldingMode mode = c_.RadioButton2.checked ? MouldingMode::Angle : MouldingMode::Arc;
    MouldingInput in;
    GeneratorMessage refusal;
    if (!ReadMouldingInput(texts, mode, c_.CheckBox1.checked, c_.CheckBox2.checked, in, refusal)) {
        Refuse(refusal);
        return false;
    }
    refusal = ComputeMoulding(in, computed_);
    // N and L are shown as soon as they are known, also when the burn check fails.
    if (computed_.N > 0) {
        c_.Label_N.caption = std::to_string(computed_.N);
        c_.Label_L.caption = MouldingLengthText(computed_.L);
    }
    if (refusal) {
        Refuse(refusal);
        return false;
    }
    return true;
}

ModalResult MouldingModel::CreateLines() {
    if (!Compute()) return ModalResult::None;
    GeneratorMessage refusal;
    {
        std::unique_lock<RecursiveTimedMutex> hold;
        if (s_.drawingMutex != nullptr) hold = std::unique_lock(*s_.drawingMutex);
        TDrawing& d = *s_.drawing;
        d.L().ClearLines();
        d.V().ClearVertices();
        refusal = AddMouldingOutline(d.L(), computed_, d.Settings().scale, walk_);
    }
    if (refusal) {
        Refuse(refusal);
        return ModalResult::None;
    }
    visible_ = false;
    result_ = ModalResult::Ok;
    return result_;
}

ModalResult MouldingModel::Cancel() {
    visible_ = false;
    result_ = ModalResult::Cancel;
    return result_;
}

}  // namespace wirvela
