#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dissim {

// How a number is written: plain digits with a period, or as printf's %g chooses between
// plain digits (a decimal exponent from -4 to 5) and the exponent form ("1e+300", "2e-67").
enum class DecimalForm { fixed, general };

// Reads a decimal number in the one form the count conversion rewrites typed text into: an
// optional "-", digits with an optional period, and an optional exponent ("e" or "E", an optional
// sign, digits). Nothing for any other text, or for a value beyond a double: too large, or so
// small that it reads as zero although one of its digits is not.
std::optional<double> readDecimal(std::string_view text);

// Writes a finite value of at least zero in the fewest digits that read back as the same
// value (the closest of them where several do), with a period as the decimal point.
std::string writeDecimal(double magnitude, DecimalForm form);

// The same two conversions through strtod and snprintf, whatever C locale is in force, for
// standard libraries that lack the floating-point std::from_chars and std::to_chars
// (__cpp_lib_to_chars unset). readDecimal and writeDecimal use them only there; the tests run
// them everywhere and compare them with the standard library's.
std::optional<double> readDecimalPortable(std::string_view text);
std::string writeDecimalPortable(double magnitude, DecimalForm form);

} // namespace dissim
