#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "traces/Floatformat.h"

namespace {

using floatformat::FormatDecimals;
using floatformat::FormatFixed;
using floatformat::FormatFloat;
using floatformat::ParseFloat;
using floatformat::TFloatFormat;

struct FormatCase {
    double value;
    int precision;
    int digits;
    const char* shown;
};

TEST(FloatFormatDecimals, exactlyTheDecimalsAskedForAndNoMinusOnZero) {
    const struct {
        double value;
        int decimals;
        const char* shown;
    } cases[] = {
        {2.345, 1, "2.3"}, {-12.5, 2, "-12.50"},   {480, 0, "480"},        {-0.0004, 3, "0.000"},
        {-0.0, 1, "0.0"},  {-0.0006, 3, "-0.001"}, {1e6, 2, "1000000.00"}, {0.1 + 0.2, 3, "0.300"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDecimals(c.value, c.decimals), c.shown) << c.value;
}

TEST(FloatFormatFixed, roundsToTheCoarserOfPrecisionAndDigits) {
    const FormatCase cases[] = {
        {1, 5, 3, "1.000"},
        {123.456, 5, 3, "123.460"},
        {30000, 5, 0, "30000"},
        {0, 5, 5, "0.00000"},
        {0.123456, 5, 1, "0.1"},
        {1234.5678, 5, 5, "1234.60000"},
        {0.000123456, 5, 8, "0.00012346"},
        {1e-7, 5, 5, "0.00000"},
        {480, 5, 1, "480.0"},
        {25.5, 5, 1, "25.5"},
        {-99, 5, 1, "-99.0"},
        {-2.25, 5, 1, "-2.3"},
        {4.17, 5, 1, "4.2"},
        {9.99996, 5, 3, "10.000"},
        {999.96, 5, 1, "1000.0"},
        {0.7, 5, 1, "0.7"},
        {1.234, 5, 3, "1.234"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits), c.shown)
            << c.value << " precision " << c.precision << " digits " << c.digits;
    }
}

TEST(FloatFormatFixed, roundsTheDecimalItStandsForHalvesAwayFromZero) {
    // Binary 0.05 and 0.125 lie a hair off their decimals; the field shows what was typed,
    // rounded as the station's wire conversion rounds it.
    const FormatCase cases[] = {
        {0.05, 5, 1, "0.1"}, {0.125, 5, 2, "0.13"},      {-0.125, 5, 2, "-0.13"}, {2.5, 5, 0, "3"},
        {-2.5, 5, 0, "-3"},  {0.45, 5, 1, "0.5"},        {4.35, 5, 1, "4.4"},     {0.4, 5, 0, "0"},
        {0.5, 5, 0, "1"},    {12345.5, 5, 1, "12346.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits), c.shown) << c.value;
    }
}

TEST(FloatFormatFixed, valueRoundingToZeroCarriesNoMinus) {
    EXPECT_EQ(FormatFixed(-0.0001, 5, 3), "0.000");
    EXPECT_EQ(FormatFixed(-0.0, 5, 1), "0.0");
    EXPECT_EQ(FormatFixed(-0.4, 5, 0), "0");
    EXPECT_EQ(FormatFixed(-0.0005, 5, 3), "-0.001");
}

TEST(FloatFormatFixed, integerPartBeyondPrecisionSwitchesToExponentNotation) {
    const FormatCase cases[] = {
        {123456, 5, 0, "1.2346E+5"}, {123456, 6, 0, "123456"}, {99999.6, 5, 0, "1E+5"},
        {99999.4, 5, 0, "99999"},    {-300000, 5, 2, "-3E+5"}, {1e20, 5, 3, "1E+20"},
        {123, 0, 0, "1E+2"},  // precision below 1 counts as 1
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits), c.shown) << c.value;
    }
}

TEST(FloatFormatFixed, outOfRangeArgumentsAndNonNumbers) {
    EXPECT_EQ(FormatFixed(1.5, 5, -1), "2");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 5, 2), "NAN");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 5, 2), "INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 5, 2), "-INF");
    EXPECT_EQ(FormatFixed(1e200, 255, 0).size(), 201u);
    // Precision is held to the 8-bit range too, so the largest double needs its exponent.
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 1000, 0), "1.7976931348623157E+308");
    EXPECT_EQ(FormatFixed(1, 5, 1000).size(), 257u);  // digits held to the 8-bit range
}

TEST(FloatFormatFixed, everyRenderingReadsBackWithinHalfItsLastPlace) {
    // The commit path parses what the field rendered; a wrong digit or a lost carry shows here.
    // Nine significant digits leave the decimals the coarser rounding for these values.
    constexpr int Precision = 9;
    for (int digits = 0; digits <= 3; ++digits) {
        const double half = 0.5 * std::pow(10.0, -digits);
        for (int step = -48000; step <= 48000; step += 7) {
            const double value = step / 97.0;
            const auto shown = FormatFixed(value, Precision, digits);
            const auto back = ParseFloat(shown);
            ASSERT_TRUE(back.has_value()) << shown;
            EXPECT_LE(std::fabs(*back - value), half * (1 + 1e-12)) << value << " as " << shown;
            const auto point = shown.find('.');
            EXPECT_EQ(point == std::string::npos ? 0 : shown.size() - point - 1,
                      static_cast<std::size_t>(digits))
                << shown;
        }
    }
}

struct NotationCase {
    TFloatFormat format;
    double value;
    int precision;
    int digits;
    const char* shown;
};

TEST(FloatFormatOtherNotations, followTheirOwnRules) {
    const NotationCase cases[] = {
        {TFloatFormat::ffExponent, 123.456, 5, 2, "1.2346E+02"},
        {TFloatFormat::ffExponent, 0, 5, 2, "0.0000E+00"},
        {TFloatFormat::ffExponent, -0.00123, 3, 0, "-1.23E-3"},
        {TFloatFormat::ffExponent, 1, 1, 9, "1E+0000"},
        {TFloatFormat::ffGeneral, 123.456, 5, 0, "123.46"},
        {TFloatFormat::ffGeneral, 100, 5, 0, "100"},
        {TFloatFormat::ffGeneral, 0, 5, 0, "0"},
        {TFloatFormat::ffGeneral, 0.00001, 5, 0, "0.00001"},
        {TFloatFormat::ffGeneral, 0.000001234, 5, 0, "1.234E-6"},
        {TFloatFormat::ffGeneral, 1e6, 5, 2, "1E+06"},
        {TFloatFormat::ffNumber, 1234567.891, 10, 2, "1,234,567.89"},
        {TFloatFormat::ffNumber, -999, 5, 0, "-999"},
        {TFloatFormat::ffNumber, -1000, 5, 1, "-1,000.0"},
        {TFloatFormat::ffCurrency, 1234.5, 6, 2, "1,234.50"},
        {TFloatFormat::ffFixed, 1234.5, 6, 2, "1234.50"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFloat(c.value, c.format, c.precision, c.digits), c.shown)
            << c.value << " in notation " << static_cast<int>(c.format);
    }
}

struct ParseCase {
    const char* text;
    double value;
};

TEST(FloatParse, acceptsOrdinaryDecimalNotation) {
    const ParseCase cases[] = {
        {"1", 1},        {" 2.5 ", 2.5},
        {"\t-3\t", -3},  {"+4", 4},
        {"-0.5", -0.5},  {".5", 0.5},
        {"5.", 5},       {"1E3", 1000},
        {"1e-3", 0.001}, {"1.5E+2", 150},
        {"007", 7},      {"30000", 30000},
        {"0.1", 0.1},    {"1.2346E+5", 123460},
        {"-0", 0},       {"480.0", 480},
        {"1e-400", 0},   {"0.000e999999999999", 0},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseFloat(c.text);
        ASSERT_TRUE(parsed.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(*parsed, c.value) << '"' << c.text << '"';
    }
    EXPECT_TRUE(std::signbit(*ParseFloat("-1e-400")));
    EXPECT_TRUE(std::signbit(*ParseFloat("-0")));
}

TEST(FloatParse, rejectsEverythingElse) {
    const char* const cases[] = {
        "",      " ",      "abc", "1,5",   "1,000",        "1.2.3", "1e",  "1e+", "e5",  ".",
        "+",     "-",      "+-1", "--1",   "1 2",          "0x10",  "inf", "INF", "nan", "NAN",
        "1e400", "-1e400", "1d",  "1_000", "\xEF\xBC\x91", "1e5.0", "1.e", "12a", "a12", "1\n",
    };
    for (const char* text : cases) {
        EXPECT_FALSE(ParseFloat(text).has_value()) << '"' << text << '"';
    }
}

TEST(FloatParse, failureMessageQuotesTheText) {
    EXPECT_EQ(floatformat::NotAFloatMessage("abc"), "'abc' is not a valid floating point value");
    EXPECT_EQ(floatformat::NotAFloatMessage(""), "'' is not a valid floating point value");
}

}  // namespace
