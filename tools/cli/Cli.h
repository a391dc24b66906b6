#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/cli/Clicommand.h"

/// Exit codes of the tool.
inline constexpr int ExitOk = 0;
/// A link error, a file that cannot be read or written, or any other failure.
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

/// The tool's commands, in the order the usage lists them.
const std::vector<CliCommand>& CliCommands();

/// Runs `tavolin-cli [--port NAME] COMMAND [ARGS]` with the arguments after the program name.
/// A link error or a file error prints its message on `err` and gives 1 (any other failure
/// too, its message prefixed with the tool's name); a usage error prints the message and the usage
/// on `err` and gives 2.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The usage text, one line per command.
std::string CliUsage();
