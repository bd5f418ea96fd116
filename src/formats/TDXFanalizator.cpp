#include "formats/TDXFanalizator.h"

#include "config/NumberText.h"

namespace wirvela {

TDXF::Status TDXFanalizator::Load(const std::filesystem::path& file) {
    const TDXF::Status status = dxf_.Load(file);
    FindSections();
    return status;
}

TDXF::Status TDXFanalizator::LoadText(std::string_view content) {
    const TDXF::Status status = dxf_.LoadText(content);
    FindSections();
    return status;
}

void TDXFanalizator::FindSections() {
    sections_.clear();
    for (std::size_t i = 0; i < dxf_.Count(); ++i)
        if (dxf_.Is(i, 0, "SECTION")) sections_.push_back(i);
}

std::size_t TDXFanalizator::FindDxfSection(std::string_view name) const {
    for (std::size_t start : sections_)
        if (start + 1 < dxf_.Count() && dxf_.Is(start + 1, 2, name)) return start + 1;
    return 0;
}

std::size_t TDXFanalizator::EntityGroup(std::size_t i, std::int32_t g) const {
    for (std::size_t j = i; j < dxf_.Count(); ++j) {
        const std::int32_t code = dxf_.Code(j);
        if (code == 0 && j != i) break;
        if (code == g) return j;
    }
    return kNone;
}

double TDXFanalizator::Number(std::size_t i) const {
    const std::string_view v = dxf_.Value(i);
    // Only a value with a comma needs a copy.
    return v.find(',') == std::string_view::npos ? DecimalPrefix(v) : DecimalPrefixWithCommas(v);
}

double TDXFanalizator::EntityNumber(std::size_t i, std::int32_t g) const {
    const std::size_t j = EntityGroup(i, g);
    return j == kNone ? 0.0 : Number(j);
}

long TDXFanalizator::EntityInteger(std::size_t i, std::int32_t g) const {
    const std::size_t j = EntityGroup(i, g);
    return j == kNone ? 0 : IntegerPrefix(dxf_.Value(j));
}

std::string_view TDXFanalizator::EntityText(std::size_t i, std::int32_t g) const {
    const std::size_t j = EntityGroup(i, g);
    return j == kNone ? std::string_view{} : dxf_.Value(j);
}

std::size_t TDXFanalizator::NextGroup(std::size_t i, std::int32_t g) const {
    for (std::size_t j = i + 1; j < dxf_.Count(); ++j) {
        if (dxf_.Code(j) == 0) {
            const std::string_view v = dxf_.Value(j);
            if (v == "ENDSEC" || v == "ENDBLK") return kNone;
        }
        if (dxf_.Code(j) == g) return j;
    }
    return kNone;
}

}  // namespace wirvela
