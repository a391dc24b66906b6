#pragma once

#include "tools/cli/Clicommand.h"

/// `tune --from T0 --to T1 [--max-overshoot PCT] [--minutes M] [--apply]`: finds heater PID
/// gains by step tests. One line per test on standard error, `Key=value` lines on standard
/// output. Exit 0 with a proposal, 1 after an abort (the reason on standard error).
int RunTune(CliContext& context);
