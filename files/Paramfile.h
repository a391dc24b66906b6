#pragma once

#include <cstdint>
#include <filesystem>

#include "files/Inifile.h"
#include "link/Records.h"

/// The control-panel values a parameter file (*.par) moves, as the panel shows them.
struct PanelParams {
    double HKp = 0;   ///< feHKp, heater PID gain
    double HKi = 0;   ///< feHKi
    double HKd = 0;   ///< feHKd
    int Mode = 0;     ///< cbMode index: 0 "Phase", 1 "Delta-Sigma"
    double Plim = 0;  ///< fePlim, power limit in %
    double Comp = 0;  ///< feComp
    double FKp = 0;   ///< feFKp, fan PID gain
    double FKi = 0;   ///< feFKi
    double FKd = 0;   ///< feFKd
    bool operator==(const PanelParams&) const = default;
};

/// What a parameter file loads: the panel values and the cached heater parameter record, whose
/// Delay, Kp, Ki, Error, Shift, Gain and Tcjn come from the file and the rest from the copy
/// the load started from.
struct ParamSet {
    PanelParams panel;
    HeaterParams cached;
    bool operator==(const ParamSet&) const = default;
};

/// The values of `file`, each missing or non-integer value (and a Mode other than 0 or 1)
/// replaced by its default (gains 0, Mode 0, Plim 0, Comp 0, Delay 0, PllKp 130, PllKi 20,
/// PllError 200, Shift 0, Gain 1000, Tcjn 380). Plim is held in 0.1 % and shown x 0.1. The
/// other bounds are applied where the values are loaded: the panel's fields keep their ranges
/// and OpenParamFile clamps the hidden heater values.
ParamSet ReadParams(const IniFile& file, const HeaterParams& cached);

/// Writes the sixteen values into `file` in the file's order: existing keys in place, new
/// keys at the end of their section, new sections after the others. Gains and Comp are
/// rounded to integers and Plim x 10, halves away from zero.
void StoreParams(IniFile& file, const PanelParams& panel, const HeaterParams& cached);

/// Reads the parameter file at `path`; a file that does not exist gives every default.
/// Throws IniError when the file exists but cannot be read.
ParamSet LoadParamFile(const std::filesystem::path& path, const HeaterParams& cached);

/// Saves the values to `path`, keeping the other sections and keys of an existing file. The
/// old file is replaced only once the new one is complete. Throws IniError when the existing
/// file cannot be read (nothing is written) or when the file cannot be written.
void SaveParamFile(const std::filesystem::path& path, const PanelParams& panel,
                   const HeaterParams& cached);
