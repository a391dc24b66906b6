#pragma once

#include "tools/cli/Clicommand.h"

/// `ports [NAME...]`: the machine's ports plus the names given, each probed with GetInfo;
/// one line each: name, TAB, the identity text or "None", and for a port without a KRT-51 or
/// KRF-51 a TAB and the reason.
int RunPorts(CliContext& context);

/// `info`: connects as the window does; prints the identity text, then "kind=1" or "kind=2".
int RunInfo(CliContext& context);

/// `status`: one poll; Key=value lines Tset, Tget, Tcj, Power (one decimal), PllErr, PllPer
/// and, for a KRF-51, Vset, Vget, Pwm.
int RunStatus(CliContext& context);
