// Why a port holds no station, for every reason this machine can produce: the value the port
// scan keeps, the third field of `tavolin-cli ports` and the hint line of `tavolin-cli info`.
#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <sstream>

#include "link/Portscan.h"
#include "link/Wakeport.h"
#include "support/Runprocess.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"

namespace {

constexpr uid_t Nobody = 65534;

/// The line of `ports` output that names `port`, split at its TABs.
std::vector<std::string> PortsLine(const std::string& out, const std::string& port) {
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        if (!fields.empty() && fields.front() == port) return fields;
    }
    return {};
}

/// Runs the tool, as `prefix` says (empty, or a command that drops privileges).
ProcessResult Cli(const std::vector<std::string>& prefix, std::vector<std::string> args) {
    if (prefix.empty()) return RunProcess(CliExecutable(), args);
    std::vector<std::string> all(prefix.begin() + 1, prefix.end());
    all.push_back(CliExecutable());
    all.insert(all.end(), args.begin(), args.end());
    return RunProcess(prefix.front(), all);
}

/// The scan's value, `ports` and `info` all give `expected` for `port`; `message` is the link's
/// own text that `info` prints first.
void ExpectReasonEverywhere(const std::string& port, const PortReason& expected,
                            const std::string& identity, const std::string& message,
                            const std::vector<std::string>& as = {}) {
    if (as.empty()) {
        TWakePort link;
        const PortProbe probe = ProbePort(link, port);
        EXPECT_EQ(probe.identity, identity);
        EXPECT_EQ(probe.reason, expected);
    }
    const ProcessResult ports = Cli(as, {"ports", port});
    EXPECT_EQ(ports.exitCode, 0) << ports.err;
    EXPECT_EQ(PortsLine(ports.out, port),
              (std::vector<std::string>{port, identity, expected.text()}))
        << ports.out;
    const ProcessResult info = Cli(as, {"--port", port, "info"});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.out, "");
    EXPECT_EQ(info.err, message + "\n" + expected.text() + "\n");
}

TEST(PortReasons, aMissingDeviceIsSaidToBeMissing) {
    TempFolder folder;
    const std::string port = (folder.path() / "ttyUSB9").string();
    ExpectReasonEverywhere(port, PortReason::Missing(), "None", "Port " + port + " open error.");
}

TEST(PortReasons, whatTheLineSaysTellsTheOtherReasons) {
    struct Case {
        const char* what;
        StationConfig config;
        PortReason reason;
        const char* identity;
        const char* message;
    };
    const Case cases[] = {
        {"silent",
         {.extra = {"--silent", "1-1000"}},
         PortReason::NoAnswer(19200),
         "None",
         "No data to receive."},
        {"foreign",
         {.identity = "Modem v2"},
         PortReason::ForeignIdentity("Modem v2"),
         "Modem v2",
         "Unknown device"},
        {"bad CRC",
         {.extra = {"--bad-crc", "1"}},
         PortReason::LinkError("WAKE CRC error."),
         "None",
         "WAKE CRC error."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StationProcess station(c.config);
        ExpectReasonEverywhere(station.Link(), c.reason, c.identity, c.message);
    }
}

TEST(PortReasons, aPortLockedByAnotherProgramNamesItAndItsPid) {
    StationProcess station;
    TempFolder folder;
    // Another Tavolin recording on the port holds it, as the window or the tool would.
    const std::string log = (folder.path() / "held.dat").string();
    const pid_t holder =
        SpawnProcess(CliExecutable(),
                     {"--port", station.Link(), "log", "--out", log, "--period", "500"}, -1, -1);
    const auto polled = station.WaitForEntry([](const StationLogEntry& e) {
        return e.direction == StationLogEntry::Direction::Rx && e.command == 7;
    });
    ASSERT_TRUE(polled) << "the holder never polled";

    const PortReason expected = PortReason::Busy({{holder, "tavolin-cli"}});
    ExpectReasonEverywhere(station.Link(), expected, "None",
                           "Port " + station.Link() + " open error.");

    ::kill(holder, SIGTERM);
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_EQ(ExitCodeOf(status), 0) << "the holder saves and ends";
}

TEST(PortReasons, aUserOutsideTheDevicesGroupIsToldToJoinIt) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the device to a group and to probe it as another "
                        "user (nobody)";
    const group* dialout = ::getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "this machine has no group 'dialout'";
    StationProcess station;
    // The device itself: the link to it lies in a folder only its owner may enter.
    const std::string device = station.Device();
    ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0) << std::strerror(errno);
    ASSERT_EQ(::chmod(device.c_str(), 0660), 0) << std::strerror(errno);
    const PortReason expected =
        PortReason::PermissionDenied({.owner = "root", .group = "dialout", .mode = 0660});

    // The scan's value, probed by a child that has become nobody.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(3);
        TWakePort link;
        const PortProbe probe = ProbePort(link, device);
        const std::string text = probe.reason ? probe.reason->text() : "(none)";
        const bool ok = ::write(fds[1], text.data(), text.size()) == ssize_t(text.size());
        ::_exit(ok ? 0 : 4);
    }
    ::close(fds[1]);
    std::string seen;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) seen.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(ExitCodeOf(status), 0);
    EXPECT_EQ(seen, expected.text());

    // The tool, run as nobody too.
    const std::vector<std::string> asNobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                               "--clear-groups"};
    if (::access(CliExecutable().c_str(), X_OK) != 0 || ::access(asNobody[0].c_str(), X_OK))
        GTEST_SKIP() << "setpriv or the tool is missing";
    ExpectReasonEverywhere(device, expected, "None", "Port " + device + " open error.", asNobody);
}

}  // namespace
