#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "traces/Tracestore.h"

/// The eight graph colours: slots, defaults, INI key names and which trace uses which slot.
/// A colour is a 24-bit RGB value held as blue x 65536 + green x 256 + red.
namespace colours {

enum ColourSlot : int { Background, Axis, Text, Cursor, Graph1, Graph2, Graph3, Graph4 };
inline constexpr int ColourCount = 8;

using ColourValue = std::int32_t;
using ColourSet = std::array<ColourValue, ColourCount>;

/// Only the low 24 bits carry a colour; an INI file may hold anything in the rest.
inline constexpr ColourValue RgbMask = 0xFFFFFF;

/// White, light grey, dark grey, black, green, red, orange, blue.
inline constexpr ColourSet Defaults = {16777215, 13948116, 4737096, 0,
                                       32768,    255,      4227327, 16711680};

/// Key names in the INI file's "Colours" section, in slot order.
inline constexpr std::array<std::string_view, ColourCount> Keys = {
    "Background", "Axis", "Text", "Cursor", "Graph1", "Graph2", "Graph3", "Graph4"};

/// The colour slot each trace is drawn in, in storage order.
inline constexpr std::array<ColourSlot, TraceCount> TraceSlots = {
    Graph1, Graph2, Graph3, Graph4, Graph1, Graph2, Graph4, Graph3, Graph1};

struct Rgb {
    int red;
    int green;
    int blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

/// Components of a stored colour; bits above the low 24 are ignored.
constexpr Rgb ToRgb(ColourValue colour) {
    const auto bits = static_cast<std::uint32_t>(colour) & RgbMask;
    return {static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
            static_cast<int>((bits >> 16) & 0xFF)};
}

/// The stored form of a colour; each component 0..255.
constexpr ColourValue FromRgb(Rgb rgb) {
    return rgb.blue * 65536 + rgb.green * 256 + rgb.red;
}

}  // namespace colours
