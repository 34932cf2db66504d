#pragma once
// Numbers as text, the same whatever the user's locale. A Qt application switches
// LC_NUMERIC to the user's locale, under which printf's "%.1f", strtod and iostreams read
// and write a decimal comma; everything the program writes for files, the tutor, logs and
// tools goes through these instead, with a decimal point and no digit grouping.

#include <optional>
#include <string>
#include <string_view>

namespace nolby::NumberText {

// The shortest text that reads back to the same value ("0.1", "1e-07", "3.4028235e+38").
std::string shortest(double v);
std::string shortest(float v);

// Exactly `decimals` digits after the point, as "%.*f" prints in the C locale ("12.3").
std::string fixed(double v, int decimals);

// fixed() without trailing zeros and without a trailing point, and never "-0" ("2", "0.25").
std::string trimmed(double v, int decimals);

// The whole text as a decimal number (sign, digits, point, exponent; no spaces, no hex,
// no "inf" or "nan"). None when it is not one or too large for the type; a value too
// small for the type reads as zero of its sign.
std::optional<double> parseDouble(std::string_view text);
std::optional<float> parseFloat(std::string_view text);

}  // namespace nolby::NumberText
