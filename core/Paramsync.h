#pragma once

#include <filesystem>

#include "files/Paramfile.h"

class AppCore;

/// What a parameter file moves: the panel's gains, mode, power limit and compensation, and
/// the cached heater parameters.
PanelParams CollectPanelParams(const AppCore& core);

/// Delay, Kp, Ki, Error, Shift, Gain and Tcjn of `params` within the bounds of their Settings
/// dialog fields, in wire units: a file's PllKp=300 would reach the station as 44 and
/// Tcjn=-10 as 6552.6 °C. The other fields are returned as they are.
HeaterParams ClampHiddenParams(HeaterParams params);

/// Loads `path` into the panel and the cached copy with `updating` raised, so nothing is sent
/// to the station; Write Params sends it later. The panel's fields keep their values within
/// their ranges, the hidden parameters are clamped by ClampHiddenParams. A missing file loads every
/// default. Throws IniError when the file exists but cannot be read (nothing is loaded then).
void OpenParamFile(AppCore& core, const std::filesystem::path& path);

/// Saves the panel and the cached copy to `path`, merging into an existing file. Throws
/// IniError with the message to show.
void SaveParamFile(const AppCore& core, const std::filesystem::path& path);
