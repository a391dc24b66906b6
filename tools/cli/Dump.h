#pragma once

#include "tools/cli/Clicommand.h"

/// `dump`: every getter of the station, one Record.Field=value line per field in display
/// units (tenths with one decimal, Gain with three, booleans 1 or 0). The fan records only
/// for a KRF-51; presets as Preset[OFF], Preset[COOL], Preset[STB], Preset[0] ...
int RunDump(CliContext& context);
