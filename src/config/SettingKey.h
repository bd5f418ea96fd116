#pragma once
// One key of wirvela.ini as the program understands it: where it stands, what kind of
// value it holds, what a reader gets when the file lacks it, and the range of values
// that make physical sense. The store itself stays untyped (every value is the text of
// the file); a descriptor only says how the program reads it.
//
// Descriptors are built at compile time by the factories below and listed once, in
// config/Settings.h.
#include <cmath>
#include <limits>
#include <string_view>

namespace wirvela {

enum class SettingType {
    Number,   // a real, read by the decimal prefix rule
    Integer,  // a number its readers truncate toward zero (counts, milliseconds, colours)
    Flag,     // 0 off, anything else on; written as 0 or 1
    Text,
};

// What a reader gets when the file lacks the key. A key with two defaults names the
// reading sites each one is for in `where`; a key's only default leaves it empty.
struct SettingDefault {
    double number = 0;
    std::string_view text;
    std::string_view where;
};

// Inclusive limits, unless `lowerOpen`: then the value must exceed `lower` (a scale or
// a step size of 0 would divide by zero).
struct SettingLimits {
    static constexpr double kInfinity = std::numeric_limits<double>::infinity();

    double lower = -kInfinity;
    double upper = kInfinity;
    bool lowerOpen = false;
    bool finite = true;  // NaN and the infinities are no value of the key

    bool Contains(double v) const {
        if (std::isnan(v) || (finite && !std::isfinite(v))) return false;
        return (lowerOpen ? v > lower : v >= lower) && v <= upper;
    }
};

struct SettingKey {
    std::string_view section;
    std::string_view key;
    SettingType type = SettingType::Number;
    SettingDefault def;
    // The default of the sites that do not use `def`; none when `where` is empty.
    SettingDefault second;
    SettingLimits limits;
    // Above 0: the key stands in each of the sections `section`1 … `section`N instead of
    // in `section` itself (one section per material).
    int numberedSections = 0;

    constexpr bool HasSecondDefault() const { return !second.where.empty(); }
};

namespace settings {

constexpr SettingLimits Any() {
    return {};
}
constexpr SettingLimits Between(double lower, double upper) {
    return {lower, upper, false, true};
}
constexpr SettingLimits AtLeast(double lower) {
    return {lower, SettingLimits::kInfinity, false, true};
}
constexpr SettingLimits Above(double lower) {
    return {lower, SettingLimits::kInfinity, true, true};
}

// A default that only some reading sites use, with those sites named.
constexpr SettingDefault NumberFor(double number, std::string_view where) {
    return {number, {}, where};
}
constexpr SettingDefault TextFor(std::string_view text, std::string_view where) {
    return {0, text, where};
}

constexpr SettingKey Number(std::string_view section, std::string_view key, double def, SettingLimits limits) {
    return {section, key, SettingType::Number, {def, {}, {}}, {}, limits, 0};
}
constexpr SettingKey Number(std::string_view section, std::string_view key, SettingDefault def, SettingLimits limits,
                            SettingDefault second) {
    return {section, key, SettingType::Number, def, second, limits, 0};
}
constexpr SettingKey Integer(std::string_view section, std::string_view key, double def, SettingLimits limits) {
    return {section, key, SettingType::Integer, {def, {}, {}}, {}, limits, 0};
}
constexpr SettingKey Integer(std::string_view section, std::string_view key, SettingDefault def, SettingLimits limits,
                             SettingDefault second) {
    return {section, key, SettingType::Integer, def, second, limits, 0};
}
constexpr SettingKey Flag(std::string_view section, std::string_view key, double def) {
    return {section, key, SettingType::Flag, {def, {}, {}}, {}, Between(0, 1), 0};
}
constexpr SettingKey Text(std::string_view section, std::string_view key, std::string_view def) {
    return {section, key, SettingType::Text, {0, def, {}}, {}, Any(), 0};
}
constexpr SettingKey Text(std::string_view section, std::string_view key, SettingDefault def, SettingDefault second) {
    return {section, key, SettingType::Text, def, second, Any(), 0};
}
// The same key in sections `section`1 … `section`N.
constexpr SettingKey InNumberedSections(SettingKey key, int count) {
    key.numberedSections = count;
    return key;
}

}  // namespace settings

}  // namespace wirvela
