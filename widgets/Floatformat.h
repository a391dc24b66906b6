#pragma once

#include <optional>
#include <string>
#include <string_view>

/// Number <-> text for every numeric field and readout: "." is always the decimal separator.
namespace floatformat {

/// Fixed notation: `value` rounded to `precision` significant digits and to `digits`
/// decimals, whichever is coarser, written with exactly `digits` decimals (no point when 0).
/// Exponent notation when the integer part needs more than `precision` digits.
/// FormatFixed(1, 5, 3) == "1.000", FormatFixed(123.456, 5, 3) == "123.460".
std::string FormatFixed(double value, int precision, int digits);

/// Ordinary decimal notation: optional blanks around, optional sign, digits with ".",
/// optional exponent. Nothing else (no thousands separators). Empty when not a number.
std::optional<double> ParseFloat(std::string_view text);

}  // namespace floatformat
