#include "cutting/InchText.h"

#include <cmath>
#include <numeric>

#include "config/NumberText.h"

namespace wirvela {

namespace {

constexpr int kInchDenominator = 64;
constexpr const char* kFormatError = "Format error";

std::size_t SkipBlanks(std::string_view text, std::size_t i) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return i;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the text starts (after blanks) with a number the decimal prefix rule reads.
bool HasNumber(std::string_view text) {
    std::size_t i = SkipBlanks(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i < text.size() && IsDigit(text[i])) return true;
    return i + 1 < text.size() && (text[i] == '.' || text[i] == ',') && IsDigit(text[i + 1]);
}

// Digits from position i; false when there is none.
bool ReadDigits(std::string_view text, std::size_t& i, double& value) {
    const std::size_t start = i;
    value = 0;
    while (i < text.size() && IsDigit(text[i])) value = value * 10 + (text[i++] - '0');
    return i > start;
}

bool ReadFraction(std::string_view text, std::size_t& i, double& value) {
    double numerator = 0;
    double denominator = 0;
    if (!ReadDigits(text, i, numerator) || i >= text.size() || text[i] != '/') return false;
    ++i;
    if (!ReadDigits(text, i, denominator) || denominator == 0) return false;
    value = numerator / denominator;
    return true;
}

}  // namespace

std::string InchText(double inches) {
    if (!std::isfinite(inches) || std::fabs(inches) > 1e12) return kFormatError;
    const long long total = std::llround(std::fabs(inches) * kInchDenominator);
    const long long whole = total / kInchDenominator;
    long long numerator = total % kInchDenominator;
    long long denominator = kInchDenominator;
    const long long g = std::gcd(numerator, denominator);
    if (g > 1) {
        numerator /= g;
        denominator /= g;
    }
    std::string text = inches < 0 && total > 0 ? "-" : "";
    if (whole > 0 || numerator == 0) text += std::to_string(whole);
    if (whole > 0 && numerator > 0) text += ' ';
    if (numerator > 0) text += std::to_string(numerator) + "/" + std::to_string(denominator);
    return text + '"';
}

bool ParseInches(std::string_view text, double& inches) {
    std::size_t i = SkipBlanks(text, 0);
    if (i == text.size()) {
        inches = 0;
        return true;
    }
    double sign = 1;
    if (text[i] == '+' || text[i] == '-') sign = text[i++] == '-' ? -1 : 1;
    double value = 0;
    const std::size_t start = i;
    double whole = 0;
    if (!ReadDigits(text, i, whole)) {
        // ".5" style: no whole part before the point.
        if (i >= text.size() || (text[i] != '.' && text[i] != ',')) return false;
    }
    if (i < text.size() && text[i] == '/') {
        i = start;
        if (!ReadFraction(text, i, value)) return false;
    } else if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        double scale = 0.1;
        const std::size_t fractionStart = i;
        while (i < text.size() && IsDigit(text[i])) {
            whole += (text[i++] - '0') * scale;
            scale /= 10;
        }
        if (i == fractionStart && i - 1 == start) return false;  // a lone point
        value = whole;
    } else {
        value = whole;
        const std::size_t afterWhole = i;
        i = SkipBlanks(text, i);
        if (i > afterWhole && i < text.size() && IsDigit(text[i])) {
            double fraction = 0;
            if (!ReadFraction(text, i, fraction)) return false;
            value += fraction;
        }
    }
    i = SkipBlanks(text, i);
    if (i < text.size() && text[i] == '"') i = SkipBlanks(text, i + 1);
    if (i != text.size() || !std::isfinite(value)) return false;
    inches = sign * value;
    return true;
}

std::string InchFieldFollowing(std::string_view mmText, const std::string& inchText) {
    if (SkipBlanks(mmText, 0) == mmText.size()) return "0";
    if (!HasNumber(mmText)) return kFormatError;
    const double mm = DecimalPrefixWithCommas(mmText);
    double shown = 0;
    if (!ParseInches(inchText, shown) || std::fabs(mm - shown * kMmPerInch) > kInchFieldTolerance) {
        return InchText(mm / kMmPerInch);
    }
    return inchText;
}

std::string MillimetreFieldFollowing(std::string_view inchText, const std::string& mmText) {
    double inches = 0;
    if (!ParseInches(inchText, inches)) return mmText;
    if (std::fabs(inches * kMmPerInch - DecimalPrefixWithCommas(mmText)) > kInchFieldTolerance) {
        return NumberToText(std::round(inches * kMmPerInch * 100) / 100);
    }
    return mmText;
}

}  // namespace wirvela
