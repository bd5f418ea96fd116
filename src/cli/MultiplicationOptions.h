#pragma once
// The multiplication dialog's fields as command-line options, shared by `multiply` and
// `project save`: the operator types the same values the dialog would hold, and they are
// handed on as the dialog's texts.
#include <optional>
#include <string>
#include <vector>

#include "formats/MultiplicationTexts.h"

namespace CLI {
class App;
}

namespace wirvela {

struct MultiplicationOptions {
    std::vector<std::string> count;  // NX NY
    std::vector<std::string> size;   // W H, mm
    std::vector<std::string> gap;    // GX GY, mm
    std::string multiwire;           // "", "row" or "column"
    std::string offset;              // M, mm
    std::string wireDistance;        // D, mm
    std::string length;              // L, mm
    std::string spine;               // "" (top) or "bottom"
};

// Adds --count, --size, --gap, --multiwire, --offset, --wire-distance, --length, --spine.
void AddMultiplicationOptions(CLI::App& command, MultiplicationOptions& options);

// Whether any multiplication option was given (a project without them keeps no
// multiplication).
bool AnyMultiplicationOption(const MultiplicationOptions& options);

// The dialog's texts for the options, starting from the dialog's defaults; nullopt with
// the reason in *error when the options do not describe one multiplication (both or
// neither of --count and --size, multi-wire options without --multiwire, a multi-wire
// run without --offset or --wire-distance).
std::optional<MultiplicationTexts> MultiplicationFromOptions(const MultiplicationOptions& options,
                                                             std::string* error);

// The multi-wire layout the options ask for, as the `Multiwire` setting spells it:
// "V" row, "H" column, "" when --multiwire was not given.
std::string MultiwireSetting(const MultiplicationOptions& options);

}  // namespace wirvela
