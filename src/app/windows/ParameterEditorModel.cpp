#include "app/windows/ParameterEditorModel.h"

#include <cmath>
#include <limits>

#include "config/LocalisableWindow.h"
#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/SettingCheck.h"
#include "config/Settings.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label2", LocalisedText::Caption},
    {"Button1", LocalisedText::Caption},
};

std::int32_t TruncColour(double v) {
    v = std::trunc(v);
    if (!(v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())) return 0;
    return static_cast<std::int32_t>(v);
}

}  // namespace

void ParameterEditorModel::Create(LocalisableWindow* view) {
    if (view != nullptr && s_.messages != nullptr) s_.messages->LocaliseForm(*view, kLocalised);
    Rebuild();
}

void ParameterEditorModel::Show() {
    Rebuild();
    visible_ = true;
    result_ = ModalResult::None;
}

void ParameterEditorModel::Rebuild() {
    const TParameters& p = *s_.parameters;
    nodes_.clear();
    for (int s = 0; s < p.SectionCount(); ++s) {
        const TSection& section = p.Sections[static_cast<std::size_t>(s)];
        const int parent = static_cast<int>(nodes_.size());
        nodes_.push_back({section.DisplayName, -1, s, -1});
        for (int i = section.First; i < p.SectionEnd(s); ++i)
            nodes_.push_back({p.Params(i).DisplayName + "=" + p.Params(i).Value, parent, s, i});
    }
    selected_ = -1;
    section_.clear();
    key_.clear();
}

bool ParameterEditorModel::IsAncestor(int ancestor, int node) const {
    for (int n = nodes_[static_cast<std::size_t>(node)].parent; n >= 0; n = nodes_[static_cast<std::size_t>(n)].parent)
        if (n == ancestor) return true;
    return false;
}

void ParameterEditorModel::Select(int index) {
    if (index < 0 || index >= static_cast<int>(nodes_.size())) return;
    key_.clear();
    int sectionNode = -1;
    for (int n = 0; n < static_cast<int>(nodes_.size()) && sectionNode < 0; ++n)
        if (IsAncestor(n, index)) sectionNode = n;
    if (sectionNode < 0) return;

    const TParameters& p = *s_.parameters;
    selected_ = index;
    section_ = p.SectionOfDisplayName(nodes_[static_cast<std::size_t>(sectionNode)].text);
    const std::string& text = nodes_[static_cast<std::size_t>(index)].text;
    const std::string displayName = text.substr(0, text.find('='));
    key_ = p.KeyOfDisplayName(section_, displayName);
    hint_ = p.HintOf(section_, key_);
    value_ = p.GetText(section_, key_, "");
    colour_ = TruncColour(p.GetNumber(section_, key_, 0));
}

bool ParameterEditorModel::Commit() {
    refusal_.clear();
    if (section_.empty() || key_.empty()) return true;
    TParameters& p = *s_.parameters;
    if (const std::string why = settings::Refusal(section_, key_, value_); !why.empty()) {
        const std::string format = s_.messages ? s_.messages->MessageText(kValueRefused) : std::string();
        refusal_ = FormatMessage(format.empty() ? "%s=%s is not stored: it %s." : format, {key_, value_, why});
        return false;
    }
    if (p.SetText(section_, key_, value_) != 0) return true;
    if (selected_ < 0 || selected_ >= static_cast<int>(nodes_.size())) return true;
    const std::string name = p.DisplayNameOf(section_, key_);
    nodes_[static_cast<std::size_t>(selected_)].text = value_.empty() ? name : name + "=" + value_;
    return true;
}

void ParameterEditorModel::ClickNode(int index) {
    if (index < 0 || index >= static_cast<int>(nodes_.size())) return;
    // A refused value stays in the field to be corrected; the selection does not move.
    if (!Commit()) return;
    Select(index);
}

void ParameterEditorModel::ClickColourPanel(const ColourDialog& dialog) {
    if (!dialog) return;
    const std::optional<std::int32_t> chosen = dialog(colour_);
    if (!chosen) return;
    value_ = std::to_string(*chosen);
    colour_ = *chosen;
    Commit();
}

bool ParameterEditorModel::Save() {
    saveError_.clear();
    return s_.parameters->SaveAll(&saveError_);
}

ModalResult ParameterEditorModel::Button1Click() {
    if (!Commit()) return ModalResult::None;
    Save();
    visible_ = false;
    result_ = ModalResult::Ok;
    return result_;
}

void ParameterEditorModel::Close() {
    Commit();
    Save();
    visible_ = false;
}

void ParameterEditorModel::Destroy() {
    Commit();
    if (s_.simulationSpeed)
        s_.parameters->SetText(settings::kDefaultSimulationSpeed, std::to_string(s_.simulationSpeed()));
    Save();
    visible_ = false;
}

}  // namespace wirvela
