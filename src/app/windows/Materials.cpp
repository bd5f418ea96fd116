#include "app/windows/Materials.h"

#include <algorithm>
#include <limits>

#include "config/LocalisableWindow.h"
#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "controller/Pendant.h"
#include "settings/MaterialStore.h"

namespace wirvela {

namespace {

constexpr const SettingKey* kKeys[Materials::kColumns] = {
    &settings::kMaterialNazwa,    &settings::kMaterialV,        &settings::kMaterialT,
    &settings::kMaterialRozgrzew, &settings::kMaterialOpWKacie, &settings::kMaterialKatGr,
};

struct LimitKeys {
    const SettingKey* min;
    const SettingKey* max;
    int message;  // shown when a cell of the column leaves its limits
};

// Columns 1 … 5.
constexpr LimitKeys kLimitKeys[Materials::kColumns - 1] = {
    {&settings::kVxyMin, &settings::kVxyMax, 168},
    {&settings::kTempMin, &settings::kTempMax, 169},
    {&settings::kHeatingTimeMin, &settings::kHeatingTimeMax, 170},
    {&settings::kPauseMin, &settings::kPauseMax, 171},
    {&settings::kAlphaBoundsMin, &settings::kAlphaBoundsMax, 172},
};

// Material parameter numbers of the pendant for columns 1 … 5.
constexpr int kPendantParameters[Materials::kColumns - 1] = {1, 3, 4, 5, 6};

constexpr LocalisedControl kLocalised[] = {
    {"Label1", LocalisedText::Caption},
    {"Label7", LocalisedText::Caption},
    {"Button1", LocalisedText::Caption},
};

int TextToInt(std::string_view text) {
    const long v = IntegerPrefix(text);
    return static_cast<int>(std::clamp<long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool IsMaterial(int n) {
    return n >= 1 && n <= Materials::kMaterials;
}

bool IsCheckedColumn(int c) {
    return c >= 1 && c < Materials::kColumns;
}

}  // namespace

int Materials::PendantParameterOfColumn(int column) {
    return IsCheckedColumn(column) ? kPendantParameters[column - 1] : -1;
}

int Materials::ColumnOfPendantParameter(int parameter) {
    for (int c = 1; c < kColumns; ++c) {
        if (kPendantParameters[c - 1] == parameter) return c;
    }
    return -1;
}

void Materials::Create(LocalisableWindow* view) {
    const TMessages& m = *s_.messages;
    const TParameters& p = *s_.parameters;
    if (view) m.LocaliseForm(*view, kLocalised);
    for (int c = 0; c < kColumns; ++c) grid_[0][static_cast<std::size_t>(c)] = m.MessageText(kHeaderMessage + c);
    rangeLabels_[0] = "4 - " + std::to_string(TruncatedInt(p.GetNumber(settings::kVxyMax)));
    for (int n = 1; n <= kMaterials; ++n) {
        const MaterialValues m = ReadMaterial(p, n);
        grid_[static_cast<std::size_t>(n)] = {m.name,
                                              std::to_string(m.v),
                                              std::to_string(m.t),
                                              std::to_string(m.rozgrzew),
                                              std::to_string(m.opWKacie),
                                              std::to_string(m.katGr)};
    }
    RefreshCutting();
}

void Materials::Show() {
    visible_ = true;
    result_ = ModalResult::None;
    ForgetCell();
}

void Materials::SetCell(int column, int row, std::string_view text) {
    if (column < 0 || column >= kColumns || !IsMaterial(row)) return;
    grid_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    rememberedColumn_ = column;
    rememberedRow_ = row;
}

const std::string& Materials::Cell(int column, int row) const {
    static const std::string kEmpty;
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return kEmpty;
    return grid_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

Materials::ColumnLimits Materials::Limits(int column) const {
    if (!IsCheckedColumn(column)) return {};
    const LimitKeys& k = kLimitKeys[column - 1];
    const TParameters& p = *s_.parameters;
    return {TruncatedInt(p.GetNumber(*k.min)), TruncatedInt(p.GetNumber(*k.max))};
}

void Materials::Box(std::string text, int key) {
    PromptRequest request;
    request.text = std::move(text);
    request.caption = s_.messages->MessageText(kCaptionMessage);
    request.icon = PromptIcon::Warning;
    request.messageKey = key;
    s_.prompt->Ask(request);
}

void Materials::ForgetCell() {
    rememberedColumn_ = -1;
    rememberedRow_ = -1;
}

bool Materials::CellCheck() {
    const int column = rememberedColumn_;
    const int row = rememberedRow_;
    ForgetCell();
    if (!IsCheckedColumn(column) || !IsMaterial(row)) return false;
    std::string& cell = grid_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    const int v = TextToInt(cell);
    const ColumnLimits limits = Limits(column);
    if (v >= limits.min && v <= limits.max) return false;
    const int key = kLimitKeys[column - 1].message;
    const std::string& text = s_.messages->MessageText(key);
    Box(column == 1 ? FormatMessage(text, {limits.max}) : text, key);
    cell = std::to_string(v < limits.min ? limits.min : limits.max);
    return true;
}

void Materials::KeyPress(char key) {
    if (key == '\r' || key == '\n') CellCheck();
}

int Materials::FirstFailingRow() const {
    std::array<ColumnLimits, kColumns> limits{};
    for (int c = 1; c < kColumns; ++c) limits[static_cast<std::size_t>(c)] = Limits(c);
    for (int n = 1; n <= kMaterials; ++n) {
        for (int c = 1; c < kColumns; ++c) {
            const int v = Value(n, c);
            const ColumnLimits& l = limits[static_cast<std::size_t>(c)];
            if (v < l.min || v > l.max) return n;
        }
    }
    return 0;
}

ModalResult Materials::Button1Click() {
    CellCheck();
    return CloseCheck(CloseBy::Button);
}

ModalResult Materials::CloseByOtherMeans() {
    return CloseCheck(CloseBy::OtherMeans);
}

ModalResult Materials::CloseCheck(CloseBy by) {
    if (const int n = FirstFailingRow(); n != 0) {
        const auto& row = grid_[static_cast<std::size_t>(n)];
        const int vxyMax = TruncatedInt(s_.parameters->GetNumber(settings::kVxyMax));
        Box(FormatMessage(s_.messages->MessageText(kRowFailsMessage),
                          {row[0], row[1], vxyMax, row[2], row[3], row[4], row[5]}),
            kRowFailsMessage);
        if (by == CloseBy::Button) return result_ = ModalResult::None;
        result_ = ModalResult::Cancel;
        Hide();
        return result_;
    }
    StoreAll();
    result_ = ModalResult::Ok;
    Hide();
    return result_;
}

bool Materials::StoreAll() {
    TParameters& p = *s_.parameters;
    const int selected = Selected();
    bool selectedChanged = false;
    for (int n = 1; n <= kMaterials; ++n) {
        const std::string section = settings::MaterialSection(n);
        const auto& row = grid_[static_cast<std::size_t>(n)];
        p.SetText(section, *kKeys[0], row[0]);
        bool changed = false;
        for (int c = 1; c < kColumns; ++c) {
            const int v = Value(n, c);
            if (p.GetNumber(section, *kKeys[c]) != static_cast<double>(v)) changed = true;
            // The store gets the value the check accepted, not stray characters after it.
            p.SetText(section, *kKeys[c], std::to_string(v));
        }
        if (changed && n - 1 == selected) selectedChanged = true;
    }
    if (selectedChanged) SendToPendant(selected + 1);
    return selectedChanged;
}

void Materials::Hide() {
    visible_ = false;
    RefreshCutting();
}

bool Materials::SetFromPendant(int material, int column, std::int32_t value) {
    if (!IsMaterial(material) || !IsCheckedColumn(column)) return false;
    grid_[static_cast<std::size_t>(material)][static_cast<std::size_t>(column)] = std::to_string(value);
    s_.parameters->SetText(settings::MaterialSection(material), *kKeys[column], std::to_string(value));
    if (s_.cutting && s_.cutting->SelectedMaterial() == material - 1) {
        if (column == 2) s_.cutting->SetHeatingBar(100 - value);
        s_.cutting->ReReadMaterial();
    }
    return true;
}

int Materials::SendToPendant(int material) {
    if (!IsMaterial(material)) return Pendant::kNotSent;
    const auto sendValues = [&](Pendant& p) {
        int result = 0;
        for (int c = 1; c < kColumns && result == 0; ++c)
            result = p.SetMaterialParameter(material, kPendantParameters[c - 1], Value(material, c));
        return result;
    };
    return Pendant::Send(s_.pendant, sendValues, s_.mainStatus);
}

void Materials::RefreshCutting() {
    if (!s_.cutting) return;
    std::array<std::string, kMaterials> names;
    for (int n = 1; n <= kMaterials; ++n)
        names[static_cast<std::size_t>(n - 1)] = grid_[static_cast<std::size_t>(n)][0];
    const int selected = Selected();
    s_.cutting->SetMaterialNames(names, selected);
    s_.cutting->SetHeatingBar(100 - Value(selected + 1, 2));
    s_.cutting->ReReadMaterial();
}

MaterialValues Materials::Material(int material) const {
    if (!IsMaterial(material)) return {};
    return {grid_[static_cast<std::size_t>(material)][0],
            Value(material, 1),
            Value(material, 2),
            Value(material, 3),
            Value(material, 4),
            Value(material, 5),
            material};
}

int Materials::Value(int material, int column) const {
    if (!IsMaterial(material) || column < 0 || column >= kColumns) return 0;
    return TextToInt(grid_[static_cast<std::size_t>(material)][static_cast<std::size_t>(column)]);
}

int Materials::Selected() const {
    return ReadSelectedMaterial(*s_.parameters);
}

void Materials::SetSelected(int index) {
    StoreSelectedMaterial(*s_.parameters, index);
}

}  // namespace wirvela
