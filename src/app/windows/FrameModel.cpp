#include "app/windows/FrameModel.h"

#include <algorithm>
#include <utility>

#include "config/LocalisableWindow.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Settings.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Button1", LocalisedText::Caption},
    {"Button2", LocalisedText::Caption},
    {"RadioGroup1", LocalisedText::Caption},
    {"RadioGroup2", LocalisedText::Caption},
};

constexpr int kRectangleItem = 209;
constexpr int kSizeItem = 211;

int Index(int value) {
    return std::clamp(value, 0, 1);
}

}  // namespace

FrameModel::FrameModel(Services services) : s_(services) {
    c_.RadioGroup1.caption = "Rodzaj";
    c_.RadioGroup2.caption = "Typ wymiarow";
    c_.Label4.caption = "epsilon";
    c_.Button1.caption = "Dodaj";
    c_.Button2.caption = "Anuluj";
    ApplyRules();
}

void FrameModel::Create(LocalisableWindow* view) {
    for (int i = 0; i < 2; ++i) {
        c_.RadioGroup1Items[static_cast<std::size_t>(i)] = s_.messages->MessageText(kRectangleItem + i);
        c_.RadioGroup2Items[static_cast<std::size_t>(i)] = s_.messages->MessageText(kSizeItem + i);
    }
    if (view != nullptr) s_.messages->LocaliseForm(*view, kLocalised);
}

void FrameModel::Show() {
    c_.RadioGroup1Index = Index(static_cast<int>(s_.parameters->GetNumber(settings::kFrameType)));
    c_.RadioGroup2Index = Index(static_cast<int>(s_.parameters->GetNumber(settings::kFrameSizeType)));
    ApplyRules();
    visible_ = true;
    result_ = ModalResult::None;
}

void FrameModel::SetShape(int index) {
    c_.RadioGroup1Index = Index(index);
    ApplyRules();
}

void FrameModel::SetSizing(int index) {
    c_.RadioGroup2Index = Index(index);
    ApplyRules();
}

Control& FrameModel::Field(int n) {
    switch (n) {
        case 1:
            return c_.Edit1;
        case 2:
            return c_.Edit2;
        case 3:
            return c_.Edit3;
        default:
            return c_.Edit4;
    }
}

void FrameModel::SetField(int n, std::string_view text) {
    if (n < 1 || n > kFieldCount || c_.ReadOnly[static_cast<std::size_t>(n - 1)]) return;
    Field(n).text = std::string(text);
}

void FrameModel::ApplyRules() {
    const bool circle = c_.RadioGroup1Index == 1;
    const bool size = c_.RadioGroup2Index == 1;
    c_.ReadOnly = {circle, circle, !circle, !circle};
    for (std::size_t i = 0; i < c_.ReadOnly.size(); ++i) c_.Colour[i] = c_.ReadOnly[i] ? kReadOnlyColour : kWindowColour;
    c_.Label1.caption = size ? "X" : "dx";
    c_.Label2.caption = size ? "Y" : "dy";
    c_.Label3.caption = size ? "R" : "dr";
}

ModalResult FrameModel::Add() {
    const FrameShape shape = c_.RadioGroup1Index == 1 ? FrameShape::Circle : FrameShape::Rectangle;
    const FrameSizing sizing = c_.RadioGroup2Index == 1 ? FrameSizing::Size : FrameSizing::Offset;
    GeneratorMessage refusal;
    if (!ReadFrameSpec({c_.Edit1.text, c_.Edit2.text, c_.Edit3.text, c_.Edit4.text}, shape, sizing, spec_, refusal)) {
        ShowRefusal(*s_.prompt, *s_.messages, refusal, kCaption);
        return ModalResult::None;
    }
    TParameters& p = *s_.parameters;
    if (static_cast<int>(p.GetNumber(settings::kFrameType)) != c_.RadioGroup1Index)
        p.SetText(settings::kFrameType, std::to_string(c_.RadioGroup1Index));
    if (static_cast<int>(p.GetNumber(settings::kFrameSizeType)) != c_.RadioGroup2Index)
        p.SetText(settings::kFrameSizeType, std::to_string(c_.RadioGroup2Index));
    visible_ = false;
    result_ = ModalResult::Ok;
    return result_;
}

ModalResult FrameModel::Cancel() {
    visible_ = false;
    result_ = ModalResult::Cancel;
    return result_;
}

void FrameModel::ForEachControl(const std::function<void(std::string_view name, const Control&)>& f) const {
    using Member = Control Controls::*;
    static constexpr std::pair<const char*, Member> kNamed[] = {
        {"RadioGroup1", &Controls::RadioGroup1}, {"RadioGroup2", &Controls::RadioGroup2}, {"Edit1", &Controls::Edit1},
        {"Edit2", &Controls::Edit2},             {"Edit3", &Controls::Edit3},             {"Edit4", &Controls::Edit4},
        {"Label1", &Controls::Label1},           {"Label2", &Controls::Label2},           {"Label3", &Controls::Label3},
        {"Label4", &Controls::Label4},           {"Button1", &Controls::Button1},         {"Button2", &Controls::Button2},
    };
    for (const auto& [name, member] : kNamed) f(name, c_.*member);
}

}  // namespace wirvela
