#include "tools/cli/Display.h"

#include <charconv>

#include "link/Convert.h"

namespace {

int DecimalsOf(int scale) {
    int decimals = 0;
    for (int s = scale; s > 1; s /= 10) ++decimals;
    return decimals;
}

}  // namespace

std::string FormatScaled(std::int32_t wire, int scale) {
    char buffer[32];
    const auto result =
        scale == convert::Unscaled
            ? std::to_chars(buffer, buffer + sizeof buffer, wire)
            : std::to_chars(buffer, buffer + sizeof buffer, convert::FromWire(wire, scale),
                            std::chars_format::fixed, DecimalsOf(scale));
    return std::string(buffer, result.ptr);
}
