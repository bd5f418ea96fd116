// libFuzzer target of the rules by which setting texts become numbers, and of the domain
// check of a setting's value. The input is split at its first two line feeds into section,
// key and value (fewer parts: the value alone, checked against a few keys of [Ploter]).
// A number read from a text and written back must read as the same number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "config/NumberText.h"
#include "config/SettingCheck.h"

namespace {

// The written form of a finite number reads back to exactly that number.
void CheckRoundTrip(double value) {
    if (!std::isfinite(value)) return;
    const std::string text = wirvela::NumberToText(value);
    const double back = wirvela::DecimalPrefix(text);
    if (std::memcmp(&back, &value, sizeof value) != 0 && !(back == 0 && value == 0)) __builtin_trap();
    if (!wirvela::IsDecimalNumber(text)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double value = wirvela::DecimalPrefix(text);
    const double withCommas = wirvela::DecimalPrefixWithCommas(text);
    (void)wirvela::IntegerPrefix(text);
    (void)wirvela::TruncatedInt(value);
    if (std::isnan(value) || std::isnan(withCommas)) __builtin_trap();  // no nan is ever read
    CheckRoundTrip(value);
    CheckRoundTrip(withCommas);

    const std::size_t first = text.find('\n');
    const std::size_t second = first == std::string_view::npos ? first : text.find('\n', first + 1);
    if (second == std::string_view::npos) {
        for (const char* key : {"mmPerStep", "SkalaHPGL", "StepsPer360", "Buffered"})
            (void)wirvela::settings::Refusal("Ploter", key, text);
        return 0;
    }
    const std::string_view section = text.substr(0, first);
    const std::string_view key = text.substr(first + 1, second - first - 1);
    (void)wirvela::settings::Find(section, key);
    (void)wirvela::settings::Refusal(section, key, text.substr(second + 1));
    return 0;
}
