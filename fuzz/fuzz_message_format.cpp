// libFuzzer target of the filling of message formats: a message of local.txt used as a
// printf-style format is text the operator may edit, so any bytes must fill without a
// crash and without an output out of proportion to the format. The first byte picks
// the arguments: how many (0 to 4) and of which kinds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/MessageFormat.h"

namespace {

wirvela::FormatArg Argument(int kind) {
    switch (kind) {
        case 0:
            return wirvela::FormatArg(-123456789);
        case 1:
            return wirvela::FormatArg(4294967295u);
        case 2:
            return wirvela::FormatArg(-1.5e300);
        default:
            return wirvela::FormatArg("text");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int pick = data[0];
    std::vector<wirvela::FormatArg> args;
    for (int i = 0; i < pick % 5; ++i) args.push_back(Argument((pick >> (2 + i)) & 3));
    const std::string_view format(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string filled = wirvela::FormatMessage(format, args);
    // Widths and precisions are capped: no format makes more than a bounded amount per
    // character of itself.
    if (filled.size() > 1024 * (format.size() + 1)) __builtin_trap();
    return 0;
}
