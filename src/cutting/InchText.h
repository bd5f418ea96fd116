#pragma once
// Distances in inches as the operator types and reads them with Imperial units, and the
// pair of fields (millimetres, inches) that follow each other.
#include <string>
#include <string_view>

namespace wirvela {

inline constexpr double kMmPerInch = 25.4;
// mm: a field that reads this close to the other is not rewritten, so that the operator's
// own text stays while it is typed.
inline constexpr double kInchFieldTolerance = 0.8;

// "[-][W ][N/D]\"" to the nearest 1/64 inch, "0\"" for zero; "Format error" for a value
// that is not finite or beyond 10^12 inches.
std::string InchText(double inches);
// Reads "[-]W", "[-]W.F", "[-]N/D", "[-]W N/D", each optionally followed by '"';
// blanks around the parts; an empty text is 0. False when the text is not one of them.
bool ParseInches(std::string_view text, double& inches);

// The inch field after the millimetre field became `mmText`: "0" for a blank text,
// "Format error" for one without a number, else `inchText` unless that reads further
// than the tolerance away, then the nearest inch text.
std::string InchFieldFollowing(std::string_view mmText, const std::string& inchText);
// The millimetre field after the inch field became `inchText`: `mmText` while the inches
// are unreadable or within the tolerance, else the millimetres rounded to 0.01.
std::string MillimetreFieldFollowing(std::string_view inchText, const std::string& mmText);

}  // namespace wirvela
