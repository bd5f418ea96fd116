#pragma once
// Names of the controller's command letters as the logs print them. Kept here as plain
// data so that the logs can name a frame without depending on the controller link.
#include <cstdint>
#include <span>
#include <string_view>

namespace wirvela {

struct CommandName {
    std::uint8_t letter;    // first byte of a command frame
    std::string_view name;  // a NUL-terminated literal
};

// Every letter that has a name, in table order. The clock query 'L' and the table-turn
// command 'g' have none.
std::span<const CommandName> CommandNameTable();

// The name of a frame's command letter, "UNKNOWN" for a letter without one. The view
// refers to a NUL-terminated literal, so data() may be passed where C text is needed.
std::string_view CommandNameOf(std::uint8_t letter);

}  // namespace wirvela
