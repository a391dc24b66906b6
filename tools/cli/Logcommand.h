#pragma once

#include "tools/cli/Clicommand.h"

/// `log --out FILE [--samples N] [--period MS]`: connects, records like Start in the window
/// (N samples, default until the store is full; MS 20..500, default 100), and on the end,
/// SIGINT or SIGTERM writes every trace to FILE with the window's data file writer. Prints
/// "samples=" and the number saved. A failed save prints "Unable to save file." and gives 1.
int RunLog(CliContext& context);
