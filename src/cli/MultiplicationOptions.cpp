#include "cli/MultiplicationOptions.h"

#include <CLI/CLI.hpp>

namespace wirvela {

void AddMultiplicationOptions(CLI::App& command, MultiplicationOptions& o) {
    command.add_option("--count", o.count, "Copies horizontally and vertically (NX NY)")->expected(2);
    command.add_option("--size", o.size, "Material width and height in mm (W H)")->expected(2);
    command.add_option("--gap", o.gap, "Horizontal and vertical gap in mm (GX GY)")->expected(2);
    command.add_option("--multiwire", o.multiwire, "Multi-wire cutting in the row or the column layout")
        ->check(CLI::IsMember({"row", "column"}));
    command.add_option("--offset", o.offset, "Multi-wire: line offset in mm");
    command.add_option("--wire-distance", o.wireDistance, "Multi-wire: distance between the wires in mm");
    command.add_option("--length", o.length, "Multi-wire, row layout: line length in mm (0: no limit)");
    command.add_option("--spine", o.spine, "Multi-wire, row layout: the lead line at the bottom")
        ->check(CLI::IsMember({"bottom"}));
}

bool AnyMultiplicationOption(const MultiplicationOptions& o) {
    return !o.count.empty() || !o.size.empty() || !o.gap.empty() || !o.multiwire.empty() || !o.offset.empty() ||
           !o.wireDistance.empty() || !o.length.empty() || !o.spine.empty();
}

std::optional<MultiplicationTexts> MultiplicationFromOptions(const MultiplicationOptions& o, std::string* error) {
    const auto refuse = [error](const char* why) -> std::optional<MultiplicationTexts> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    if (o.count.empty() == o.size.empty()) return refuse("give either --count NX NY or --size W H");
    const bool wireOptions = !o.offset.empty() || !o.wireDistance.empty() || !o.length.empty() || !o.spine.empty();
    if (o.multiwire.empty() && wireOptions)
        return refuse("--offset, --wire-distance, --length and --spine belong to --multiwire");
    if (!o.multiwire.empty() && (o.offset.empty() || o.wireDistance.empty()))
        return refuse("--multiwire needs --offset and --wire-distance");

    MultiplicationTexts t;
    t.byCount = !o.count.empty();
    if (t.byCount) {
        t.columns = o.count[0];
        t.rows = o.count[1];
    } else {
        t.width = o.size[0];
        t.height = o.size[1];
    }
    if (!o.gap.empty()) {
        t.gapX = o.gap[0];
        t.gapY = o.gap[1];
    }
    t.multiwire = !o.multiwire.empty();
    if (t.multiwire) {
        t.lineOffset = o.offset;
        t.wireDistance = o.wireDistance;
        if (!o.length.empty()) t.lineLength = o.length;
        t.spineOnTop = o.spine != "bottom";
    }
    return t;
}

std::string MultiwireSetting(const MultiplicationOptions& o) {
    if (o.multiwire == "row") return "V";
    if (o.multiwire == "column") return "H";
    return "";
}

}  // namespace wirvela
