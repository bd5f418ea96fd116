#pragma once
// A DXF group array with its section starts, and the queries the reader asks of it.
// Every query scans forward from a given group and stops at the end of the entity or
// section it belongs to, so reading a file never rescans it from the start.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "formats/TDXF.h"

namespace wirvela {

class TDXFanalizator {
public:
    // "No such group".
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    TDXF::Status Load(const std::filesystem::path& file);
    TDXF::Status LoadText(std::string_view content);

    const TDXF& Groups() const { return dxf_; }
    std::size_t Count() const { return dxf_.Count(); }
    // Indices of the groups (0, "SECTION") in file order; every one is kept.
    const std::vector<std::size_t>& SectionStarts() const { return sections_; }

    // The index of the group (2, name) right after the first section start that has one;
    // 0 when no section has that name.
    std::size_t FindDxfSection(std::string_view name) const;

    // Entity value: the first group of code g from the entity start i onwards, stopping
    // at a group of code 0 other than the one at i; kNone when there is none.
    std::size_t EntityGroup(std::size_t i, std::int32_t g) const;
    // As a number (commas read as full stops, decimal prefix rule); 0 when missing.
    double EntityNumber(std::size_t i, std::int32_t g) const;
    // As an integer (integer prefix rule); 0 when missing.
    long EntityInteger(std::size_t i, std::int32_t g) const;
    // As text; empty when missing.
    std::string_view EntityText(std::size_t i, std::int32_t g) const;

    // The next group of code g after index i within a section or block: kNone when
    // (0, "ENDSEC"), (0, "ENDBLK") or the end of the array comes first.
    std::size_t NextGroup(std::size_t i, std::int32_t g) const;

    // A group's value as a number, by the same rule as EntityNumber.
    double Number(std::size_t i) const;

private:
    void FindSections();

    TDXF dxf_;
    std::vector<std::size_t> sections_;
};

}  // namespace wirvela
