#pragma once

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

/// A command line the tool cannot run; the tool prints the message and its usage, exit 2.
class CliUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// What a command gets: the global options, its own arguments and the two output streams.
struct CliContext {
    std::optional<std::string> port;  // --port NAME
    std::vector<std::string> args;    // the arguments after the command's name
    std::ostream& out;
    std::ostream& err;
};

/// One command of the tool. `run` returns the exit code; a link failure leaves it as
/// EInOutError, a bad argument as CliUsageError.
struct CliCommand {
    const char* name;
    const char* usage;  // arguments, for the usage text
    int (*run)(CliContext&);
};
