#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

/// Starts `exe` with `args` as a separate process: standard input from /dev/null, standard
/// output and error to the given descriptors (-1 leaves them as the caller's). Signals at
/// their defaults. Throws std::runtime_error when it cannot start.
pid_t SpawnProcess(const std::string& exe, const std::vector<std::string>& args, int outFd,
                   int errFd);

struct ProcessResult {
    int exitCode = -1;  // 128 + signal when killed by one; -1 when it had to be stopped
    std::string out;
    std::string err;
};

/// Runs `exe` to its end, collecting both outputs. A process still running after `limit`
/// (a hung program, not a time target) is killed and reports -1.
ProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                         std::chrono::milliseconds limit = std::chrono::seconds(30));

/// The exit code of a wait status: the code, or 128 + signal.
int ExitCodeOf(int status);

/// A helper program's path: the environment variable `variable` when set, else `built` (the
/// path the build gave it). Throws std::runtime_error when there is neither.
std::string ToolPath(const char* variable, const char* built);

/// The command-line tool: TAVOLIN_CLI, else the one built alongside the tests.
std::string CliExecutable();
