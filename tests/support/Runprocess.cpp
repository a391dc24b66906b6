#include "support/Runprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "link/Uniquefd.h"

extern char** environ;

namespace {

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

Pipe MakePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

/// Reads both pipes to their end or the deadline; false when the deadline came first.
bool Drain(int outFd, int errFd, std::string& out, std::string& err,
           std::chrono::steady_clock::time_point deadline) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

}  // namespace

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

pid_t SpawnProcess(const std::string& exe, const std::vector<std::string>& args, int outFd,
                   int errFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, exe.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + exe + ": " + std::strerror(rc));
    return pid;
}

ProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                         std::chrono::milliseconds limit) {
    Pipe out = MakePipe();
    Pipe err = MakePipe();
    const pid_t pid = SpawnProcess(exe, args, out.write.get(), err.write.get());
    out.write.reset();
    err.write.reset();
    ProcessResult result;
    const bool finished = Drain(out.read.get(), err.read.get(), result.out, result.err,
                                std::chrono::steady_clock::now() + limit);
    if (!finished) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = finished ? ExitCodeOf(status) : -1;
    return result;
}

std::string ToolPath(const char* variable, const char* built) {
    const char* path = std::getenv(variable);
    if (path && *path) return path;
    if (built) return built;
    throw std::runtime_error(std::string(variable) + " is not set");
}

std::string CliExecutable() {
#ifdef TAVOLIN_CLI_BUILT
    return ToolPath("TAVOLIN_CLI", TAVOLIN_CLI_BUILT);
#else
    return ToolPath("TAVOLIN_CLI", nullptr);
#endif
}
