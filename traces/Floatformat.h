#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// Number <-> text for every numeric field and readout: "." is always the decimal separator.
/// Rounding works on the value's shortest decimal form, halves away from zero, so a value typed
/// as 0.05 shows as 0.1 with one decimal, as convert::ToWire sends it.
namespace floatformat {

/// Notation of a shown number; the numbers are those a form layout stores.
enum class TFloatFormat : std::uint8_t {
    ffGeneral = 0,
    ffExponent = 1,
    ffFixed = 2,
    ffNumber = 3,
    ffCurrency = 4,
};

/// Fixed notation: `value` rounded to `precision` significant digits and to `digits`
/// decimals, whichever is coarser, written with exactly `digits` decimals (no point when 0).
/// Exponent notation ("1.2346E+5", trailing zeros dropped) when the rounded integer part needs
/// more than `precision` digits. A value that rounds to zero carries no minus sign.
/// NaN and infinities are written "NAN", "INF", "-INF". `precision` below 1 counts as 1,
/// `digits` below 0 as 0.
/// FormatFixed(1, 5, 3) == "1.000", FormatFixed(123.456, 5, 3) == "123.460".
std::string FormatFixed(double value, int precision, int digits);

/// `value` with exactly `decimals` decimals, rounded by the shortest round trip as printf would;
/// a value that rounds to zero carries no minus sign (-0.000 reads as a sign error). For the
/// figures of Key=value lines and messages, which never depend on the locale.
/// FormatDecimals(2.345, 1) == "2.3", FormatDecimals(-0.0004, 3) == "0.000".
std::string FormatDecimals(double value, int decimals);

/// `value` in any notation:
/// - ffFixed as FormatFixed;
/// - ffNumber as ffFixed with "," between groups of three integer digits; ffCurrency the same
///   (the station has no currency, and no locale is consulted);
/// - ffExponent: `precision` significant digits as "d.dddE+x", the exponent with at least
///   `digits` (at most 4) digits;
/// - ffGeneral: `precision` significant digits, trailing zeros dropped, fixed notation unless
///   the integer part needs more than `precision` digits or the value is below 0.00001, then as
///   ffExponent without trailing zeros.
std::string FormatFloat(double value, TFloatFormat format, int precision, int digits);

/// Ordinary decimal notation: optional blanks around, optional sign, digits with ".",
/// optional exponent ("E" or "e" and a signed integer). Nothing else (no thousands
/// separators, no "INF" or "NAN"). Empty when not a number, and when the number lies beyond
/// the range of a double; a number too small for a double reads as zero of its sign.
std::optional<double> ParseFloat(std::string_view text);

/// The failure text of ParseFloat for `text`: "'<text>' is not a valid floating point value".
std::string NotAFloatMessage(std::string_view text);

}  // namespace floatformat
