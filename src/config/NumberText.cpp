#include "config/NumberText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace wirvela {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipBlanks(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && IsBlank(t[i])) ++i;
    return i;
}

// Length of the longest decimal number at the start of t (0 when there is none).
std::size_t DecimalLength(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        std::size_t j = i + 1;
        std::size_t fraction = 0;
        while (j < t.size() && IsDigit(t[j])) ++j, ++fraction;
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < t.size() && IsDigit(t[j])) ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i;
}

}  // namespace

double DecimalPrefix(std::string_view text) {
    text.remove_prefix(SkipBlanks(text));
    std::size_t n = DecimalLength(text);
    if (n == 0) return 0.0;
    std::string_view number = text.substr(0, n);
    bool negative = false;
    if (number.front() == '+' || number.front() == '-') {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow or underflow; decide by the exponent.
        bool tiny = number.find_first_of("123456789") == std::string_view::npos ||
                    number.find("e-") != std::string_view::npos || number.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    (void)ptr;
    return negative ? -value : value;
}

double DecimalPrefixWithCommas(std::string_view text) {
    std::string copy(text);
    for (char& c : copy)
        if (c == ',') c = '.';
    return DecimalPrefix(copy);
}

long IntegerPrefix(std::string_view text) {
    text.remove_prefix(SkipBlanks(text));
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    bool saturated = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        int digit = text[i] - '0';
        if (!saturated && value > (LONG_MAX - digit) / 10) saturated = true;
        if (!saturated) value = value * 10 + digit;
    }
    if (saturated) return negative ? LONG_MIN : LONG_MAX;
    return negative ? -value : value;
}

std::string NumberToText(double value) {
    if (value == 0.0) return "0";  // also -0.0: a plain zero reads back equal
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc()) return "0";
    return std::string(buf, ptr);
}

namespace {

std::size_t DigitsAt(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    return end - at;
}

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

bool IsDecimalNumber(std::string_view text) {
    while (!text.empty() && IsBlankChar(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankChar(text.back())) text.remove_suffix(1);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t whole = DigitsAt(text, i);
    i += whole;
    std::size_t fraction = 0;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        fraction = DigitsAt(text, i + 1);
        i += 1 + fraction;
    }
    if (whole + fraction == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t exponent = DigitsAt(text, e);
        if (exponent == 0) return false;
        i = e + exponent;
    }
    return i == text.size();
}

int TruncatedInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace wirvela
