#include <signal.h>
#include <sys/signalfd.h>

#include <cerrno>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "link/Uniquefd.h"
#include "tools/station/Devicelink.h"
#include "tools/station/Options.h"
#include "tools/station/Pseudoterminal.h"
#include "tools/station/Ptyline.h"
#include "tools/station/Server.h"

namespace {

// The physics draws its noise apart from the faults, so that one does not shift the other.
constexpr std::uint32_t PhysicsSeedMix = 0x9E3779B9u;

/// The stop signals, blocked and delivered through a descriptor the line can poll.
UniqueFd StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "sigprocmask");
    UniqueFd fd(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!fd) throw std::system_error(errno, std::generic_category(), "signalfd");
    return fd;
}

int Serve(const StationOptions& options) {
    const UniqueFd stop = StopSignals();
    // A reader of the device line that went away must not kill the station.
    ::signal(SIGPIPE, SIG_IGN);
    Pseudoterminal pty;
    const DeviceLink link(options.link, pty.SlavePath());
    StationLog log(options.logPath);
    PtyLine line(pty.Master(), stop.get());
    line.SetBaud(options.wireBaud);
    line.SetTurnaround(std::chrono::microseconds(options.turnaroundUs));
    Station station(options.kind, options.identity, options.seed ^ PhysicsSeedMix,
                    options.plant);
    FaultPlan faults(options.faults);
    std::optional<std::chrono::milliseconds> step;
    if (options.simStepMs) step = std::chrono::milliseconds(*options.simStepMs);
    Server server(line, station, faults, log, step);
    std::cout << pty.SlavePath() << std::endl;
    server.Run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    StationOptions options;
    try {
        options = ParseStationOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "tavolin-station: " << e.what() << '\n' << StationUsage();
        return 2;
    }
    if (options.help) {
        std::cout << StationUsage() << '\n' << StationHelp();
        return 0;
    }
    if (options.version) {
        std::cout << StationVersion();
        return 0;
    }
    try {
        return Serve(options);
    } catch (const std::exception& e) {
        std::cerr << "tavolin-station: " << e.what() << '\n';
        return 1;
    }
}
