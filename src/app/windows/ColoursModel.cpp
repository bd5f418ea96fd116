#include "app/windows/ColoursModel.h"

#include <cmath>
#include <limits>
#include <string>

#include "config/LocalisableWindow.h"
#include "config/Messages.h"
#include "config/Parameters.h"

namespace wirvela {

namespace {

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},  {"Label2", LocalisedText::Caption},    {"Label3", LocalisedText::Caption},
    {"Label4", LocalisedText::Caption},  {"Label5", LocalisedText::Caption},    {"Label6", LocalisedText::Caption},
    {"Label7", LocalisedText::Caption},  {"Label8", LocalisedText::Caption},    {"Label9", LocalisedText::Caption},
    {"Label10", LocalisedText::Caption}, {"Label11", LocalisedText::Caption},   {"Label12", LocalisedText::Caption},
    {"Label13", LocalisedText::Caption}, {"GroupBox1", LocalisedText::Caption}, {"GroupBox2", LocalisedText::Caption},
    {"Button1", LocalisedText::Caption}, {"Button2", LocalisedText::Caption},
};

std::int32_t StoredColour(const TParameters& p, const SettingKey& key) {
    const double v = std::trunc(p.GetNumber(key, key.second));
    if (!(v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())) return 0;
    return static_cast<std::int32_t>(v);
}

}  // namespace

void ColoursModel::Create(const TMessages* messages, LocalisableWindow* view) {
    if (messages != nullptr && view != nullptr) messages->LocaliseForm(*view, kLocalised);
}

int ColoursModel::IndexOf(std::string_view panel) {
    for (int i = 0; i < kPanels; ++i)
        if (panel == kPanelTable[static_cast<std::size_t>(i)].name) return i;
    return -1;
}

void ColoursModel::Show() {
    for (int i = 0; i < kPanels; ++i) {
        const Panel& p = kPanelTable[static_cast<std::size_t>(i)];
        colours_[static_cast<std::size_t>(i)] = StoredColour(parameters_, *p.key);
    }
    visible_ = true;
    result_ = ModalResult::None;
}

std::int32_t ColoursModel::Colour(int index) const {
    if (index < 0 || index >= kPanels) return -1;
    return colours_[static_cast<std::size_t>(index)];
}

std::int32_t ColoursModel::Colour(std::string_view panel) const {
    return Colour(IndexOf(panel));
}

bool ColoursModel::SetColour(int index, std::int32_t colour) {
    if (index < 0 || index >= kPanels) return false;
    colours_[static_cast<std::size_t>(index)] = colour;
    return true;
}

bool ColoursModel::SetColour(std::string_view panel, std::int32_t colour) {
    return SetColour(IndexOf(panel), colour);
}

void ColoursModel::ClickPanel(std::string_view panel, const ColourDialog& dialog) {
    const int i = IndexOf(panel);
    if (i < 0 || !dialog) return;
    if (const std::optional<std::int32_t> chosen = dialog(Colour(i))) SetColour(i, *chosen);
}

ModalResult ColoursModel::Button1Click() {
    for (int i = 0; i < kPanels; ++i)
        parameters_.SetText(*kPanelTable[static_cast<std::size_t>(i)].key,
                            std::to_string(colours_[static_cast<std::size_t>(i)]));
    visible_ = false;
    result_ = ModalResult::Ok;
    return result_;
}

ModalResult ColoursModel::Button2Click() {
    visible_ = false;
    result_ = ModalResult::Cancel;
    return result_;
}

}  // namespace wirvela
