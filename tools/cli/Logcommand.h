#pragma once

#include "tools/cli/Clicommand.h"

/// `log --out FILE [--samples N] [--period MS]`: connects, records like Start in the window
/// (N samples, default until the store is full; MS 20..500, default 100), and on the end,
/// SIGINT or SIGTERM writes every trace to FILE with the window's data file writer. Prints
/// "samples=" and the number saved. A failed save prints "Unable to save file." and gives 1.
/// While it records, FILE.part is a journal of every trace, flushed at least once a second, so
/// a kill or a power cut loses at most that; it is removed once FILE is saved and kept when
/// the save fails. A FILE.part found at the start is moved aside, never overwritten. Journal
/// write faults are said once on standard error and do not stop the recording.
int RunLog(CliContext& context);
