#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "link/Uniquefd.h"
#include "support/Runprocess.h"

/// The command-line tool as a child process that the test signals and waits for; killed and
/// reaped if the test leaves early.
class Child {
  public:
    /// Standard output and error both go to `outFd`.
    Child(const std::vector<std::string>& args, int outFd)
        : pid_(SpawnProcess(CliExecutable(), args, outFd, outFd)) {}
    ~Child() {
        if (pid_ < 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void Signal(int signal) const { ::kill(pid_, signal); }
    /// The exit code, or nothing when it has not ended within `limit` (a hung tool).
    std::optional<int> Wait(std::chrono::milliseconds limit) {
        const UniqueFd handle(static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0)));
        if (!handle) return std::nullopt;
        pollfd pfd{handle.get(), POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(limit.count())) != 1) return std::nullopt;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
        pid_ = -1;
        return ExitCodeOf(status);
    }

  private:
    pid_t pid_;
};
