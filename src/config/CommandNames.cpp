#include "config/CommandNames.h"

#include <array>

namespace wirvela {

namespace {

constexpr std::array<CommandName, 33> kNames{{
    {'@', "C_NOP"},
    {'C', "C_PVER"},
    {'E', "C_CANCEL"},
    {'F', "C_STATE"},
    {'G', "C_READVAR"},
    {'H', "C_RESETINFO"},
    {'I', "C_INFO"},
    {'J', "C_WRDMA"},
    {'K', "C_READ_POS"},
    {'Q', "C_SETMODE"},
    {'R', "C_SETDELAY"},
    {'S', "C_SETCURRENT"},
    {'T', "C_SETASTEP"},
    {'U', "C_SETSTEPS"},
    {'V', "C_SETADRES"},
    {'W', "C_SETHEATING"},
    {'X', "C_SETRV"},
    {'Y', "C_LSPEED"},
    {'Z', "C_HSPEED"},
    {'[', "C_SETADR"},
    {'a', "C_LINEX"},
    {'b', "C_LINEY"},
    {'c', "C_LINEXD"},
    {'d', "C_LINEYD"},
    {'e', "C_LINEEND"},
    {'f', "C_REPEAT"},
    {'r', "C_CUTROT"},
    {'s', "C_RESUME"},
    {'t', "C_WRITEPORT"},
    {'u', "C_READPORT"},
    {'w', "C_READMEM"},
    {'x', "C_CLEARMEM"},
    {'y', "C_HOLD"},
}};

constexpr std::string_view kUnknown = "UNKNOWN";

// Letter -> position in kNames, -1 for none; frames are logged one per exchange, so the
// lookup should not scan.
constexpr std::array<signed char, 256> BuildIndex() {
    std::array<signed char, 256> index{};
    for (auto& i : index) i = -1;
    for (std::size_t n = 0; n < kNames.size(); ++n) index[kNames[n].letter] = static_cast<signed char>(n);
    return index;
}

constexpr std::array<signed char, 256> kIndex = BuildIndex();

}  // namespace

std::span<const CommandName> CommandNameTable() { return kNames; }

std::string_view CommandNameOf(std::uint8_t letter) {
    const int at = kIndex[letter];
    return at < 0 ? kUnknown : kNames[static_cast<std::size_t>(at)].name;
}

}  // namespace wirvela
