#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "support/Runprocess.h"
#include "tests/wire/Wirestation.h"

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

TEST(StationLife, aStopSignalEndsTheStationCleanly) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        StationProcess station;
        ASSERT_TRUE(Exists(station.Link()));
        EXPECT_EQ(fs::read_symlink(station.Link()), station.Device());
        ASSERT_EQ(::kill(station.Pid(), signal), 0);
        EXPECT_EQ(station.Stop(), 0) << "signal " << signal;
        EXPECT_FALSE(Exists(station.Link())) << "signal " << signal;
    }
}

/// A folder of the test's own, removed whatever the test's outcome.
struct ScratchFolder {
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    const fs::path path =
        fs::temp_directory_path() / ("tavolin-stale-" + std::to_string(::getpid()));
};

TEST(StationLife, aStaleLinkIsReplacedAndAnythingElseRefused) {
    const ScratchFolder scratch;
    const fs::path& folder = scratch.path;
    const std::string stale = (folder / "stale").string();
    fs::create_symlink("/dev/pts/no-such-device", stale);
    {
        WireStation w({.link = stale});
        EXPECT_EQ(fs::read_symlink(stale), w.station.Device());
        EXPECT_EQ(w.port.GetInfo(0), "KRF-51 Emulator v1");
    }
    EXPECT_FALSE(Exists(stale));

    const std::string file = (folder / "file").string();
    std::ofstream(file) << "keep me";
    EXPECT_THROW(StationProcess({.link = file}), std::runtime_error);
    EXPECT_TRUE(fs::is_regular_file(file)) << "a file in the way is left alone";
}

TEST(StationLife, clientsComeAndGoAndOnlyOneHoldsTheLine) {
    StationProcess station;
    for (int round = 0; round < 3; ++round) {
        TWakePort port;
        port.Open(station.Link());
        EXPECT_EQ(port.GetInfo(0), "KRF-51 Emulator v1") << "round " << round;
        TWakePort second;
        EXPECT_EQ(LinkError([&] { second.Open(station.Link()); }),
                  "Port " + station.Link() + " open error.");
    }
}

TEST(StationLife, identityAndModelComeFromTheCommandLine) {
    const struct {
        std::string model;
        std::string identity;
        DeviceKind kind;
    } cases[] = {
        {"KRT-51", "KRT-51", DeviceKind::Krt51},
        {"KRF-51", "KRF-51/2 rev C", DeviceKind::Krf51},
        {"KRF-51", "krf-51 lower case", DeviceKind::None},
        {"KRT-51", "KRT-5", DeviceKind::None},
    };
    for (const auto& c : cases) {
        WireStation w({.model = c.model, .identity = c.identity});
        const std::string identity = w.port.GetInfo(0);
        EXPECT_EQ(identity, c.identity);
        EXPECT_EQ(TWakePort::Identify(identity), c.kind) << c.identity;
    }
}

TEST(StationLife, wireBaudPacesEveryByte) {
    // At 2400 baud a byte takes 10 / 2400 s; the 23-byte identity reply cannot arrive sooner
    // than 22 byte times after its first byte was sent.
    WireStation w({.extra = {"--wire-baud", "2400"}});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(w.port.GetInfo(0), "KRF-51 Emulator v1");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::microseconds(22 * 10'000'000 / 2400));
    EXPECT_EQ(w.station.Sent().back().frame.size(), 23u);
}

TEST(StationLife, badArgumentsExitWithUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--link"},
        {"--link", "/tmp/x", "--model", "KRX-51"},
        {"--link", "/tmp/x", "--drop", "2"},
        {"--link", "/tmp/x", "--bogus"},
    };
    for (const auto& args : cases) {
        const ProcessResult r = RunProcess(StationProcess::Executable(), args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: tavolin-station"), std::string::npos);
    }
    const ProcessResult help = RunProcess(StationProcess::Executable(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--wrong-address"), std::string::npos);
}

}  // namespace
