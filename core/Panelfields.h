#pragma once

#include <algorithm>
#include <iterator>

#include "core/Panelview.h"

/// How each numeric field of the control panel looks before anything is read: its name, its
/// label and unit, its range (the minimum of every field is 0), its decimals, whether the user
/// may edit it, and its width in the strip in pixels. The window builds its fields from this
/// table; the windowless panel keeps its values within the same ranges.
namespace panelfields {

using Field = PanelView::Field;

constexpr int BigFieldWidth = 78;
constexpr int TemperatureWidth = 44;
constexpr int GainWidth = 30;
constexpr int NumberWidth = 40;
constexpr int FieldCount = static_cast<int>(Field::PresetC) + 1;

/// How each numeric field looks before anything is read.
struct FieldDesign {
    Field field;
    const char* name;
    const char* label;
    const char* unit;
    double max;
    int digits;
    bool enabled;
    bool readOnly;
    int width;
};

// In the order of PanelView::Field; the minimum of every field is 0.
constexpr FieldDesign Designs[] = {
    {Field::Tset, "feTset", "Tset =", "°C", 480, 1, false, false, TemperatureWidth},
    {Field::Set, "feSet", "", "", 480, 0, false, false, BigFieldWidth},
    {Field::Tget, "feTget", "Tget =", "°C", 480, 1, false, true, TemperatureWidth},
    {Field::Tcj, "feTcj", "Tcj   =", "°C", 480, 1, false, true, TemperatureWidth},
    {Field::HKp, "feHKp", "Kp =", "", 255, 0, true, false, GainWidth},
    {Field::HKi, "feHKi", "Ki  =", "", 255, 0, true, false, GainWidth},
    {Field::HKd, "feHKd", "Kd =", "", 255, 0, true, false, GainWidth},
    {Field::Plim, "fePlim", "P_lim =", "%", 100, 1, true, false, NumberWidth},
    {Field::Power, "fePower", "Power =", "%", 100, 1, true, false, NumberWidth},
    {Field::Comp, "feComp", "Comp. =", "", 9, 0, false, false, NumberWidth},
    {Field::Vset, "feVset", "Vset =", "rpm", 9999, 0, false, false, NumberWidth},
    {Field::Vget, "feVget", "Vget =", "rpm", 9999, 0, false, true, NumberWidth},
    {Field::Pwm, "fePwm", "PWM =", "", 255, 0, true, false, NumberWidth},
    {Field::FKp, "feFKp", "Kp =", "", 255, 0, true, false, GainWidth},
    {Field::FKi, "feFKi", "Ki  =", "", 255, 0, true, false, GainWidth},
    {Field::FKd, "feFKd", "Kd =", "", 255, 0, true, false, GainWidth},
    {Field::TmStb, "feTmStb", "TmStb =", "s", 9999, 0, true, false, NumberWidth},
    {Field::TmOff, "feTmOff", "TmOff =", "s", 9999, 0, true, false, NumberWidth},
    {Field::ThAct, "feThAct", "ThAct =", "", 255, 0, false, false, NumberWidth},
    {Field::PresetT, "fePresetT", "T =", "°C", 480, 1, true, false, NumberWidth},
    {Field::PresetV, "fePresetV", "V =", "rpm", 9999, 0, true, false, NumberWidth},
    {Field::PresetC, "fePresetC", "C =", "", 9, 0, false, false, NumberWidth},
};
static_assert(std::size(Designs) == FieldCount);
static_assert(std::ranges::all_of(Designs, [](const FieldDesign& d) {
    return &d == &Designs[static_cast<int>(d.field)];
}));

constexpr const FieldDesign& DesignOf(Field field) {
    return Designs[static_cast<int>(field)];
}

}  // namespace panelfields
