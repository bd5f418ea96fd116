#include "settings/MaterialStore.h"

#include <algorithm>
#include <string>

#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"

namespace wirvela {

MaterialValues ReadMaterial(const TParameters& parameters, int material) {
    if (material < 1 || material > settings::kMaterialSections) return {};
    const std::string section = settings::MaterialSection(material);
    const auto number = [&](const SettingKey& key) { return TruncatedInt(parameters.GetNumber(section, key)); };
    return {parameters.GetText(section, settings::kMaterialNazwa),
            number(settings::kMaterialV),
            number(settings::kMaterialT),
            number(settings::kMaterialRozgrzew),
            number(settings::kMaterialOpWKacie),
            number(settings::kMaterialKatGr),
            material};
}

int ReadSelectedMaterial(const TParameters& parameters) {
    // An Ostatni edited out of range must not select a material that does not exist.
    return std::clamp(TruncatedInt(parameters.GetNumber(settings::kOstatni)), 0, settings::kMaterialSections - 1);
}

void StoreSelectedMaterial(TParameters& parameters, int index) {
    if (index < 0 || index >= settings::kMaterialSections) return;
    parameters.SetText(settings::kOstatni, std::to_string(index));
}

}  // namespace wirvela
