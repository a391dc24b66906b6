#pragma once

#include "tools/cli/Clicommand.h"

/// `analyze FILE [--from S] [--to S] [--trace Tget|Vget] [--band X]`: the step-response
/// figures of a recording as Key=value lines. Needs no port.
int RunAnalyze(CliContext& context);
