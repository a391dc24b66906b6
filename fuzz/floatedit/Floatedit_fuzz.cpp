// Feeds arbitrary text to the numeric field's commit path (parse, then render) and arbitrary
// doubles to the renderer. Parsing must agree with the C library's reading of the same
// decimal, never yield a non-finite value, and a rendering must read back to itself.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "traces/Floatformat.h"

namespace {

using floatformat::TFloatFormat;

// Up to 15 significant digits a decimal survives the trip through a double unchanged.
constexpr int ExactPrecision = 15;
// Far enough from the largest double that rounding up cannot overflow on reading back.
constexpr double ReadBackLimit = 1e300;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckAgainstCLibrary(std::string_view text, double parsed) {
    // The process never sets a locale, so strtod reads "." as the decimal point.
    const std::string copy(text);
    const double reference = std::strtod(copy.c_str(), nullptr);
    // Below the normal range the two may differ in how far they keep a subnormal.
    Check(parsed == reference || (std::fabs(reference) < DBL_MIN && std::fabs(parsed) < DBL_MIN));
}

void CheckFixedReadsBack(double value, int precision, int digits) {
    const std::string shown = floatformat::FormatFixed(value, precision, digits);
    if (!std::isfinite(value)) return;
    const auto back = floatformat::ParseFloat(shown);
    if (std::fabs(value) > ReadBackLimit) return;
    Check(back.has_value());
    if (shown.find('E') == std::string::npos) {
        const auto point = shown.find('.');
        Check((point == std::string::npos ? 0 : shown.size() - point - 1) ==
              static_cast<std::size_t>(digits));
    }
    const bool normal = value == 0 || std::fabs(value) >= DBL_MIN;
    if (precision <= ExactPrecision && normal) {
        Check(floatformat::FormatFixed(*back, precision, digits) == shown);
    }
}

void RenderEveryWay(double value, int precision, int digits) {
    for (const auto format :
         {TFloatFormat::ffGeneral, TFloatFormat::ffExponent, TFloatFormat::ffFixed,
          TFloatFormat::ffNumber, TFloatFormat::ffCurrency}) {
        Check(!floatformat::FormatFloat(value, format, precision, digits).empty());
    }
    CheckFixedReadsBack(value, precision, digits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // Precision 1 to 32 and 0 to 31 decimals cover every field and the exponent switch.
    const int precision = 1 + data[0] % 32;
    const int digits = data[1] % 32;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    if (const auto parsed = floatformat::ParseFloat(text)) {
        Check(std::isfinite(*parsed));
        CheckAgainstCLibrary(text, *parsed);
        RenderEveryWay(*parsed, precision, digits);
    }
    if (text.size() >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, text.data(), sizeof raw);
        RenderEveryWay(raw, precision, digits);
    }
    return 0;
}
