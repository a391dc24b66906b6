#pragma once

#include "tools/cli/Clicommand.h"

/// `read-params FILE`: connects with AutoRead (Read Params fills the panel and the cached
/// heater parameters) and saves them as a parameter file, merging into an existing one.
int RunReadParams(CliContext& context);

/// `write-params FILE`: connects with AutoRead, loads FILE over what was read, holds each
/// panel value to its field's bounds as the window's fields do, then Write Params. A FILE
/// that does not exist is refused: its defaults would replace every tuning value.
int RunWriteParams(CliContext& context);
