#include "app/windows/MultiplicationModel.h"

#include <array>
#include <utility>

#include "app/MultiplyCommand.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"

namespace wirvela {

namespace {

constexpr int kJoinNotStartedMessage = 20;  // the connect command has said so already

using Controls = MultiplicationModel::Controls;

struct Named {
    const char* name;
    Control Controls::*control;
};

constexpr std::array<Named, 16> kControls{{
    {"RadioButton1", &Controls::RadioButton1},
    {"RadioButton2", &Controls::RadioButton2},
    {"Edit1", &Controls::Edit1},
    {"Edit2", &Controls::Edit2},
    {"Edit5", &Controls::Edit5},
    {"Edit6", &Controls::Edit6},
    {"Edit3", &Controls::Edit3},
    {"Edit4", &Controls::Edit4},
    {"CheckBox1", &Controls::CheckBox1},
    {"Edit7", &Controls::Edit7},
    {"Edit8", &Controls::Edit8},
    {"Edit9", &Controls::Edit9},
    {"CheckBox2", &Controls::CheckBox2},
    {"CheckBox3", &Controls::CheckBox3},
    {"Button1", &Controls::Button1},
    {"Button2", &Controls::Button2},
}};

// The edit of each field a refusal can name.
struct FieldControl {
    MultiplicationField field;
    Control Controls::*control;
};

constexpr FieldControl kFields[] = {
    {MultiplicationField::Columns, &Controls::Edit1},    {MultiplicationField::Rows, &Controls::Edit2},
    {MultiplicationField::GapX, &Controls::Edit3},       {MultiplicationField::GapY, &Controls::Edit4},
    {MultiplicationField::Width, &Controls::Edit5},      {MultiplicationField::Height, &Controls::Edit6},
    {MultiplicationField::LineOffset, &Controls::Edit7}, {MultiplicationField::LineLength, &Controls::Edit8},
    {MultiplicationField::WireDistance, &Controls::Edit9},
};

constexpr LocalisedControl kLocalised[] = {
    {"RadioButton1", LocalisedText::Caption}, {"RadioButton2", LocalisedText::Caption},
    {"Edit1", LocalisedText::Caption},        {"Edit2", LocalisedText::Caption},
    {"Edit5", LocalisedText::Caption},        {"Edit6", LocalisedText::Caption},
    {"Edit3", LocalisedText::Caption},        {"Edit4", LocalisedText::Caption},
    {"CheckBox1", LocalisedText::Caption},    {"Edit7", LocalisedText::Caption},
    {"Edit8", LocalisedText::Caption},        {"Edit9", LocalisedText::Caption},
    {"CheckBox2", LocalisedText::Caption},    {"CheckBox3", LocalisedText::Caption},
    {"Button1", LocalisedText::Caption},      {"Button2", LocalisedText::Caption},
};

// A field with its label and its default text.
Control Field(const char* label, const char* text) {
    Control c = Control::Field(text);
    c.caption = label;
    return c;
}

Control Labelled(const char* caption, bool checked = false) {
    Control c;
    c.caption = caption;
    c.checked = checked;
    return c;
}

}  // namespace

MultiplicationModel::MultiplicationModel(Services services)
    : s_(std::move(services)),
      events_([this](int code, std::intptr_t) { return HandleEvent(code); }, s_.notifier) {
    const MultiplicationTexts d;
    c_.RadioButton1 = Labelled("Liczba elementów", true);
    c_.RadioButton2 = Labelled("Rozmiar materiału");
    c_.Edit1 = Field("Liczba elem. poziomo", d.columns.c_str());
    c_.Edit2 = Field("Liczba elem. pionowo", d.rows.c_str());
    c_.Edit5 = Field("Rozmiar poziomy", d.width.c_str());
    c_.Edit6 = Field("Rozmiar pionowy", d.height.c_str());
    c_.Edit3 = Field("Odstęp poziomy", d.gapX.c_str());
    c_.Edit4 = Field("Odstęp pionowy", d.gapY.c_str());
    c_.CheckBox1 = Labelled("wycinanie wielodrutowe");
    c_.Edit7 = Field("Odsunięcie linii", d.lineOffset.c_str());
    c_.Edit8 = Field("Dlugosc linii", d.lineLength.c_str());
    c_.Edit9 = Field("odl. pomiedzy drutami", d.wireDistance.c_str());
    c_.CheckBox2 = Labelled("poziomo (bedzie w INI)");
    c_.CheckBox2.visible = false;
    c_.CheckBox3 = Labelled("polozenie linii dojscia", true);
    c_.Button1 = Labelled("Powiel");
    c_.Button2 = Labelled("Anuluj");
    ApplyEnabling();
}

void MultiplicationModel::Create() {
    layout_ = MultiwireLayoutFromSetting(s_.parameters->GetText(settings::kMultiwire));
    c_.CheckBox2.checked = layout_ == MultiwireLayout::Row;
    c_.CheckBox1.enabled = layout_ != MultiwireLayout::None;
    if (layout_ == MultiwireLayout::None) c_.CheckBox1.checked = false;
    c_.CheckBox3.checked = true;
    ApplyEnabling();
    c_.CheckBox3.enabled = false;
    s_.messages->LocaliseForm(*this, kLocalised);
}

void MultiplicationModel::Show() {
    result_ = ModalResult::None;
}

const Control* MultiplicationModel::Find(std::string_view name) const {
    for (const Named& n : kControls) {
        if (name == n.name) return &(c_.*n.control);
    }
    return nullptr;
}

Control* MultiplicationModel::FindMutable(std::string_view name) {
    return const_cast<Control*>(std::as_const(*this).Find(name));
}

void MultiplicationModel::ForEachControl(const std::function<void(std::string_view, const Control&)>& f) const {
    for (const Named& n : kControls) f(n.name, c_.*n.control);
}

void MultiplicationModel::SetControlCaption(std::string_view control, std::string_view text) {
    if (Control* c = FindMutable(control)) c->caption = std::string(text);
}

void MultiplicationModel::SetText(std::string_view control, std::string_view text) {
    Control* c = FindMutable(control);
    if (c == nullptr || control.substr(0, 4) != "Edit") return;
    c->text = std::string(text);
}

void MultiplicationModel::SetChecked(std::string_view control, bool checked) {
    if (control == "RadioButton1" || control == "RadioButton2") {
        const bool byCount = (control == "RadioButton1") == checked;
        c_.RadioButton1.checked = byCount;
        c_.RadioButton2.checked = !byCount;
    } else if (control == "CheckBox1") {
        c_.CheckBox1.checked = checked && layout_ != MultiwireLayout::None;
    } else if (control == "CheckBox3") {
        c_.CheckBox3.checked = checked;
    } else {
        return;
    }
    ApplyEnabling();
    Changed();
}

// By count the count fields, by size the size fields; multi-wire cutting lays the copies
// out in one line, so the other direction's count, gap and size have nothing to say.
void MultiplicationModel::ApplyEnabling() {
    const bool byCount = c_.RadioButton1.checked;
    c_.Edit1.enabled = c_.Edit2.enabled = byCount;
    c_.Edit5.enabled = c_.Edit6.enabled = !byCount;
    const bool multiwire = c_.CheckBox1.checked;
    c_.Edit7.enabled = c_.Edit9.enabled = multiwire;
    c_.Edit3.enabled = c_.Edit4.enabled = true;
    if (!multiwire) {
        c_.Edit8.enabled = c_.CheckBox3.enabled = false;
    } else if (c_.CheckBox2.checked) {
        c_.Edit2.enabled = c_.Edit4.enabled = c_.Edit6.enabled = false;
        c_.Edit8.enabled = c_.CheckBox3.enabled = true;
    } else {
        c_.Edit1.enabled = c_.Edit3.enabled = c_.Edit5.enabled = false;
        c_.Edit8.enabled = c_.CheckBox3.enabled = false;
    }
}

MultiplicationTexts MultiplicationModel::Texts() const {
    MultiplicationTexts t;
    t.byCount = c_.RadioButton1.checked;
    t.columns = c_.Edit1.text;
    t.rows = c_.Edit2.text;
    t.width = c_.Edit5.text;
    t.height = c_.Edit6.text;
    t.gapX = c_.Edit3.text;
    t.gapY = c_.Edit4.text;
    t.multiwire = c_.CheckBox1.checked;
    t.lineOffset = c_.Edit7.text;
    t.lineLength = c_.Edit8.text;
    t.wireDistance = c_.Edit9.text;
    t.spineOnTop = c_.CheckBox3.checked;
    return t;
}

void MultiplicationModel::SetTexts(const MultiplicationTexts& t) {
    c_.RadioButton1.checked = t.byCount;
    c_.RadioButton2.checked = !t.byCount;
    c_.Edit1.text = t.columns;
    c_.Edit2.text = t.rows;
    c_.Edit5.text = t.width;
    c_.Edit6.text = t.height;
    c_.Edit3.text = t.gapX;
    c_.Edit4.text = t.gapY;
    c_.CheckBox1.checked = t.multiwire;
    c_.Edit7.text = t.lineOffset;
    c_.Edit8.text = t.lineLength;
    c_.Edit9.text = t.wireDistance;
    c_.CheckBox3.checked = t.spineOnTop;
    ApplyEnabling();
    Changed();
}

bool MultiplicationModel::SeveralWires() const {
    return s_.command->SeveralWires();
}

ModalResult MultiplicationModel::Powiel() {
    // One press at a time: the row layout is still joining or about to copy.
    if (c_.Timer1.enabled || c_.Timer2.enabled || s_.command->RunState() != kMultiplyIdle) return ModalResult::None;
    return After(static_cast<int>(s_.command->Press(Texts(), layout_)));
}

ModalResult MultiplicationModel::After(int step) {
    switch (static_cast<MultiplyCommand::Step>(step)) {
        case MultiplyCommand::Step::Done:
            result_ = ModalResult::Ok;
            break;
        case MultiplyCommand::Step::Joining:
            c_.Timer1.enabled = true;
            ++c_.Timer1.starts;
            break;
        case MultiplyCommand::Step::Refused: {
            const MultiplicationResult& r = s_.command->Result();
            if (s_.prompt != nullptr && r.message != kJoinNotStartedMessage) {
                PromptRequest request;
                request.text = RefusalText(*s_.messages, r, FieldLabel(r.field));
                request.caption = s_.messages->MessageText(kMultiplyCaption);
                request.icon = RefusalIcon(r);
                request.messageKey = r.message;
                s_.prompt->Ask(request);
            }
            break;
        }
    }
    Changed();
    return result_;
}

std::string MultiplicationModel::FieldLabel(MultiplicationField field) const {
    for (const FieldControl& f : kFields) {
        if (f.field == field) return (c_.*f.control).caption;
    }
    return {};
}

ModalResult MultiplicationModel::Anuluj() {
    result_ = ModalResult::Cancel;
    return result_;
}

void MultiplicationModel::OnTimer1() {
    c_.Timer1.enabled = false;
    s_.command->StartRowJoin();
    Changed();
}

void MultiplicationModel::OnTimer2() {
    c_.Timer2.enabled = false;
    if (After(static_cast<int>(s_.command->SecondPass())) == ModalResult::Ok && hooks_.close)
        hooks_.close(ModalResult::Ok);
}

std::intptr_t MultiplicationModel::HandleEvent(int code) {
    switch (code) {
        case kEventMultiplyNow:
            Show();
            Powiel();
            break;
        case kEventJoinEnded:
            c_.Timer2.enabled = true;
            ++c_.Timer2.starts;
            Changed();
            break;
        default:
            break;
    }
    return 0;
}

void MultiplicationModel::Changed() {
    if (hooks_.changed) hooks_.changed();
}

}  // namespace wirvela
