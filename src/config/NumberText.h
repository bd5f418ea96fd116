#pragma once
// The two rules by which texts become numbers throughout the program, and the text
// form in which numbers are written back.
#include <string>
#include <string_view>

namespace wirvela {

// Decimal prefix rule: leading blanks are skipped and the longest prefix that forms a
// decimal number (optional sign, digits, optional point and digits, optional exponent)
// is converted; a text without such a prefix gives 0. No hexadecimal, no inf or nan.
double DecimalPrefix(std::string_view text);

// The same, after every comma has been turned into a full stop ("0,025" reads 0.025).
double DecimalPrefixWithCommas(std::string_view text);

// Integer prefix rule: leading blanks are skipped and the longest prefix of an optional
// sign and digits is converted; a text without one gives 0. Values beyond the range of
// long saturate.
long IntegerPrefix(std::string_view text);

// True when the whole text, blanks around it aside, is one decimal number as the prefix
// rules read it (a comma may stand for the point): "12abc", "nan", "inf" and "" are not.
bool IsDecimalNumber(std::string_view text);

// The shortest decimal text that reads back to the same double ("0.025", "100", "1e+300").
std::string NumberToText(double value);

// A number used as an integer (a stored setting, a computed count): truncated toward
// zero, saturated at the range of int; NaN gives 0.
int TruncatedInt(double value);

}  // namespace wirvela
