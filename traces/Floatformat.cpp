#include "traces/Floatformat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace floatformat {
namespace {

// The properties behind these arguments are 8-bit.
constexpr int MaxFormatDigits = 255;
constexpr int MaxExponentDigits = 4;
// ffGeneral writes values below 0.00001 (0.1E-4) in exponent notation.
constexpr int MinGeneralFixedExponent = -4;
constexpr int GroupSize = 3;
// Shortest round-trip scientific form of a double: "-1.2345678901234567e-308".
constexpr std::size_t ShortestBufferSize = 32;

/// A finite value as 0.d1d2d3... x 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;  // significant digits without trailing zeros; empty for zero
    int exponent = 0;    // digits before the decimal point when positive
};

void DropTrailingZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

Decimal ToDecimal(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    std::array<char, ShortestBufferSize> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                       std::fabs(value), std::chars_format::scientific);
    const std::string_view text(buffer.data(),
                                static_cast<std::size_t>(written.ptr - buffer.data()));
    const auto e = text.find('e');
    for (const char c : text.substr(0, e)) {
        if (c != '.') d.digits += c;
    }
    std::string_view power = text.substr(e + 1);
    if (!power.empty() && power.front() == '+') power.remove_prefix(1);
    int power10 = 0;
    std::from_chars(power.data(), power.data() + power.size(), power10);
    d.exponent = power10 + 1;
    DropTrailingZeros(d);
    return d;
}

/// Keeps the first `keep` digits, the rest rounded half away from zero.
void RoundTo(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    const bool up = keep >= 0 && d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(std::max(keep, 0)));
    if (up) {
        auto i = d.digits.size();
        while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i - 1];
        }
    }
    DropTrailingZeros(d);
}

char DigitAt(const Decimal& d, int position) {
    return position >= 0 && position < static_cast<int>(d.digits.size())
               ? d.digits[static_cast<std::size_t>(position)]
               : '0';
}

std::string Sign(const Decimal& d) {
    return d.negative && !d.digits.empty() ? "-" : "";
}

std::string WriteFixed(const Decimal& d, int decimals, bool grouped) {
    std::string whole;
    for (int i = 0; i < d.exponent; ++i) {
        if (grouped && i > 0 && (d.exponent - i) % GroupSize == 0) whole += ',';
        whole += DigitAt(d, i);
    }
    if (whole.empty()) whole.push_back('0');
    std::string text = Sign(d);
    text += whole;
    if (decimals > 0) {
        text += '.';
        for (int i = 0; i < decimals; ++i) text += DigitAt(d, d.exponent + i);
    }
    return text;
}

/// "d.ddd" with `mantissaDigits` digits (zeros fill), then "E", a sign and the power of ten
/// with at least `exponentDigits` digits.
std::string WriteExponent(const Decimal& d, int mantissaDigits, int exponentDigits) {
    std::string text = Sign(d);
    text += DigitAt(d, 0);
    if (mantissaDigits > 1) {
        text += '.';
        for (int i = 1; i < mantissaDigits; ++i) text += DigitAt(d, i);
    }
    const int power = d.digits.empty() ? 0 : d.exponent - 1;
    std::string magnitude = std::to_string(std::abs(power));
    if (static_cast<int>(magnitude.size()) < exponentDigits) {
        magnitude.insert(0, static_cast<std::size_t>(exponentDigits) - magnitude.size(), '0');
    }
    return text + 'E' + (power < 0 ? '-' : '+') + magnitude;
}

int SignificantCount(const Decimal& d) {
    return static_cast<int>(d.digits.size());
}

std::string FormatGeneral(Decimal d, int precision, int digits) {
    RoundTo(d, precision);
    if (d.exponent > precision || (!d.digits.empty() && d.exponent < MinGeneralFixedExponent)) {
        return WriteExponent(d, SignificantCount(d), std::min(digits, MaxExponentDigits));
    }
    return WriteFixed(d, std::max(0, SignificantCount(d) - d.exponent), false);
}

std::string FormatFixedNotation(Decimal d, int precision, int digits, bool grouped) {
    RoundTo(d, std::min(d.exponent + digits, precision));
    if (d.exponent > precision) return WriteExponent(d, SignificantCount(d), 0);
    return WriteFixed(d, digits, grouped);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at;
}

/// digits ["." digits] [("E" | "e") [sign] digits], at least one mantissa digit; no sign.
bool IsUnsignedDecimal(std::string_view text) {
    const auto wholeEnd = SkipDigits(text, 0);
    auto at = wholeEnd;
    std::size_t fractionDigits = 0;
    if (at < text.size() && text[at] == '.') {
        const auto fractionEnd = SkipDigits(text, at + 1);
        fractionDigits = fractionEnd - at - 1;
        at = fractionEnd;
    }
    if (wholeEnd == 0 && fractionDigits == 0) return false;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        const auto exponentEnd = SkipDigits(text, at);
        if (exponentEnd == at) return false;
        at = exponentEnd;
    }
    return at == text.size();
}

/// For a well-formed number that a double cannot hold: whether it is too large (rather than
/// too small). Compares the power of ten of its first non-zero digit with zero.
bool IsBeyondLargest(std::string_view text) {
    constexpr long long Saturated = 1'000'000'000;
    const auto e = text.find_first_of("Ee");
    const auto mantissa = text.substr(0, e);
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const auto first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return false;
    long long order = first < point ? static_cast<long long>(point - first)
                                    : -static_cast<long long>(first - point - 1);
    if (e != std::string_view::npos) {
        auto power = text.substr(e + 1);
        const bool negative = power.front() == '-';
        if (power.front() == '+' || negative) power.remove_prefix(1);
        long long value = 0;
        for (const char c : power) value = std::min(Saturated, value * 10 + (c - '0'));
        order += negative ? -value : value;
    }
    return order > 0;
}

}  // namespace

std::string FormatDecimals(double value, int decimals) {
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    char buffer[400];  // the widest double in fixed notation with any sensible count of decimals
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string FormatFixed(double value, int precision, int digits) {
    return FormatFloat(value, TFloatFormat::ffFixed, precision, digits);
}

std::string FormatFloat(double value, TFloatFormat format, int precision, int digits) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, MaxFormatDigits);
    digits = std::clamp(digits, 0, MaxFormatDigits);
    Decimal d = ToDecimal(value);
    switch (format) {
        case TFloatFormat::ffGeneral:
            return FormatGeneral(std::move(d), precision, digits);
        case TFloatFormat::ffExponent:
            RoundTo(d, precision);
            return WriteExponent(d, precision, std::min(digits, MaxExponentDigits));
        case TFloatFormat::ffNumber:
        case TFloatFormat::ffCurrency:
            return FormatFixedNotation(std::move(d), precision, digits, true);
        case TFloatFormat::ffFixed:
            break;
    }
    return FormatFixedNotation(std::move(d), precision, digits, false);
}

std::optional<double> ParseFloat(std::string_view text) {
    text = Trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!IsUnsignedDecimal(text)) return std::nullopt;
    double magnitude = 0;
    const auto end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, magnitude, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (IsBeyondLargest(text)) return std::nullopt;
        magnitude = 0;
    } else if (ec != std::errc{} || ptr != end || !std::isfinite(magnitude)) {
        return std::nullopt;
    }
    return negative ? -magnitude : magnitude;
}

std::string NotAFloatMessage(std::string_view text) {
    std::string message = "'";
    message += text;
    message += "' is not a valid floating point value";
    return message;
}

}  // namespace floatformat
