#pragma once

#include <cstdint>
#include <string>

/// A wire integer as the tool shows it: times the inverse of `scale` (convert::Tenths,
/// convert::Thousandths or convert::Unscaled), with one decimal per power of ten of the scale,
/// "." as the separator. FormatScaled(-15, 10) == "-1.5", FormatScaled(1250, 1000) == "1.250".
std::string FormatScaled(std::int32_t wire, int scale);
