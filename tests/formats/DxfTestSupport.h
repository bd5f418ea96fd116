#pragma once
// Builders of small DXF texts for the reader's tests.
#include <string>
#include <utility>
#include <vector>

namespace wirvela::test {

using DxfGroups = std::vector<std::pair<int, std::string>>;

// "code\nvalue\n" for every group, in order.
inline std::string DxfText(const DxfGroups& groups, const char* lineEnd = "\n") {
    std::string out;
    for (const auto& [code, value] : groups) out += std::to_string(code) + lineEnd + value + lineEnd;
    return out;
}

// A section (0 SECTION, 2 name, the groups, 0 ENDSEC).
inline DxfGroups DxfSection(const std::string& name, const DxfGroups& body) {
    DxfGroups out{{0, "SECTION"}, {2, name}};
    out.insert(out.end(), body.begin(), body.end());
    out.push_back({0, "ENDSEC"});
    return out;
}

// A block (0 BLOCK, 2 name, base point, the entities, 0 ENDBLK).
inline DxfGroups DxfBlock(const std::string& name, const DxfGroups& entities) {
    DxfGroups out{{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, "0.0"}, {20, "0.0"}, {3, name}};
    out.insert(out.end(), entities.begin(), entities.end());
    out.push_back({0, "ENDBLK"});
    return out;
}

inline DxfGroups DxfLine(double x1, double y1, double x2, double y2) {
    return {{0, "LINE"},
            {8, "0"},
            {10, std::to_string(x1)},
            {20, std::to_string(y1)},
            {30, "0.0"},
            {11, std::to_string(x2)},
            {21, std::to_string(y2)},
            {31, "0.0"}};
}

inline DxfGroups DxfInsert(const std::string& block, double x, double y, const DxfGroups& more = {}) {
    DxfGroups out{{0, "INSERT"}, {8, "0"}, {2, block}, {10, std::to_string(x)}, {20, std::to_string(y)}};
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

inline DxfGroups operator+(DxfGroups a, const DxfGroups& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A whole file: an optional BLOCKS section, then ENTITIES, then EOF.
inline std::string DxfFile(const DxfGroups& entities, const DxfGroups& blocks = {}, const DxfGroups& header = {}) {
    DxfGroups all;
    if (!header.empty()) all = all + DxfSection("HEADER", header);
    if (!blocks.empty()) all = all + DxfSection("BLOCKS", blocks);
    all = all + DxfSection("ENTITIES", entities);
    all.push_back({0, "EOF"});
    return DxfText(all);
}

}  // namespace wirvela::test
