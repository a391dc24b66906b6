// `tavolin-cli tune` against the station emulator: what it refuses, and runs the time cap or
// a stop signal cuts short, read back from the station's log.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "support/Childprocess.h"
#include "support/Runprocess.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"

namespace {

constexpr int SetT = 6;
constexpr int SetPIDH = 8;

ProcessResult Cli(const std::vector<std::string>& args) {
    return RunProcess(CliExecutable(), args);
}

int Word(const std::vector<std::uint8_t>& data) {
    return data.at(0) | data.at(1) << 8;
}

/// The data of the last request with `command` the station received.
std::vector<std::uint8_t> LastData(const StationProcess& station, int command) {
    std::vector<std::uint8_t> data;
    for (const auto& e : station.Received())
        if (e.command == command && e.data) data = *e.data;
    return data;
}

TEST(CliTune, refusesWhatItCannotRunWithTheUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"tune"},
        {"tune", "--from", "200"},
        {"tune", "--to", "300"},
        {"tune", "--from", "300", "--to", "200"},
        {"tune", "--from", "hot", "--to", "300"},
        {"tune", "--from", "200", "--to", "500"},
        {"tune", "--from", "200", "--to", "300", "--minutes", "0"},
        {"tune", "--from", "200", "--to", "300", "--max-overshoot", "-1"},
        {"tune", "--from", "200", "--to", "300", "--minutes"},
        {"tune", "--from", "200", "--to", "300", "--gently"},
    };
    for (const auto& args : cases) {
        const ProcessResult r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: tavolin-cli"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliTune, aRunCutShortSaysWhyAndLeavesTheStationAsItWas) {
    StationProcess station({.model = "KRT-51", .extra = {"--tip-lag", "1.5"}});
    // Six seconds: time to measure the heater, no room for a step test (or, on a slow
    // machine, not even the time to measure it).
    const ProcessResult r =
        Cli({"--port", station.Link(), "tune", "--from", "200", "--to", "300", "--minutes", "0.1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("tavolin-cli: tune aborted: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("time cap"), std::string::npos) << r.err;
    EXPECT_EQ(r.out,
              "start_kp=40\nstart_ki=10\nstart_kd=5\ntests=0\napplied=0\nrestored=1\n"
              "minutes=" +
                  r.out.substr(r.out.find("minutes=") + 8));

    std::vector<std::vector<std::uint8_t>> setTs, setPids;
    for (const auto& e : station.Received()) {
        if (e.command == SetT && e.data) setTs.push_back(*e.data);
        if (e.command == SetPIDH && e.data) setPids.push_back(*e.data);
    }
    ASSERT_GE(setTs.size(), 2u);
    for (std::size_t i = 0; i + 1 < setTs.size(); ++i) {
        EXPECT_GE(Word(setTs[i]), 2000) << i;
        EXPECT_LE(Word(setTs[i]), 3000) << i;
    }
    EXPECT_EQ(setTs.back(), (std::vector<std::uint8_t>{0xC4, 0x09, 0, 0})) << "250.0 °C again";
    ASSERT_GE(setPids.size(), 2u);
    EXPECT_EQ(setPids.front(), (std::vector<std::uint8_t>{40, 10, 5, 0})) << "the PID off";
    EXPECT_EQ(setPids.back(), (std::vector<std::uint8_t>{40, 10, 5, 1})) << "its own gains";
}

TEST(CliTune, aStopSignalEndsTheRunAndRestoresTheStation) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        StationProcess station({.model = "KRT-51", .extra = {"--tip-lag", "1.5"}});
        const TempFolder folder;
        const auto said = folder / "said.txt";
        const UniqueFd saidFd(::open(said.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        ASSERT_TRUE(saidFd);
        Child cli({"--port", station.Link(), "tune", "--from", "200", "--to", "300"}, saidFd.get());
        // The run is under way once it has switched the station's PID off for the heater test.
        ASSERT_TRUE(station.WaitForEntry([](const StationLogEntry& e) {
            return e.direction == StationLogEntry::Direction::Rx && e.command == SetPIDH;
        }));
        cli.Signal(signal);
        const auto code = cli.Wait(std::chrono::seconds(15));
        ASSERT_TRUE(code) << "still running after the signal";
        std::ifstream in(said, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(*code, 1) << text;
        EXPECT_NE(text.find("tune aborted: stopped by the user"), std::string::npos) << text;
        EXPECT_NE(text.find("restored=1\n"), std::string::npos) << text;
        EXPECT_EQ(LastData(station, SetPIDH), (std::vector<std::uint8_t>{40, 10, 5, 1}));
        EXPECT_EQ(LastData(station, SetT), (std::vector<std::uint8_t>{0xC4, 0x09, 0, 0}));
    }
}

}  // namespace
