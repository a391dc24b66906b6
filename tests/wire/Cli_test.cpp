#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "support/Runprocess.h"
#include "tests/wire/Wirestation.h"

namespace {

using Fields = std::map<std::string, std::string>;

ProcessResult Cli(const std::vector<std::string>& args) {
    return RunProcess(CliExecutable(), args);
}

/// The Key=value lines of an output; fails on any other line.
Fields ParseFields(const std::string& text) {
    Fields fields;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        EXPECT_NE(eq, std::string::npos) << line;
        if (eq == std::string::npos) continue;
        EXPECT_TRUE(fields.emplace(line.substr(0, eq), line.substr(eq + 1)).second) << line;
    }
    return fields;
}

/// A little-endian 16-bit field of a reply's data.
int Word(const std::vector<std::uint8_t>& data, std::size_t at, bool isSigned = false) {
    const int value = data.at(at) | data.at(at + 1) << 8;
    return isSigned && value >= 0x8000 ? value - 0x10000 : value;
}

/// Tenths written as the tool shows them, worked out apart from the tool's own formatting.
std::string Tenths(int wire) {
    const int magnitude = wire < 0 ? -wire : wire;
    return (wire < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." +
           std::to_string(magnitude % 10);
}

class CliAgainstStation : public ::testing::TestWithParam<std::string> {
  protected:
    CliAgainstStation() : w({.model = GetParam()}) {}
    bool HasFan() const { return GetParam() == "KRF-51"; }
    /// The tool needs the line to itself.
    ProcessResult Run(const std::string& command) {
        w.port.Close();
        return Cli({"--port", w.station.Link(), command});
    }
    /// The data of the last reply to `command`.
    std::vector<std::uint8_t> LastReplyTo(int command) const {
        const auto sent = w.station.Sent();
        for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
            if (it->command == command && it->data) return *it->data;
        }
        ADD_FAILURE() << "no reply to command " << command;
        return {};
    }

    WireStation w;
};

TEST_P(CliAgainstStation, infoPrintsIdentityAndKind) {
    const ProcessResult r = Run("info");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, GetParam() + " Emulator v1\nkind=" + (HasFan() ? "2" : "1") + "\n");
    EXPECT_EQ(r.err, "");
}

TEST_P(CliAgainstStation, statusShowsWhatTheStationSent) {
    w.port.SetPIDH({40, 10, 5, false});
    w.port.SetT(3525, 123);
    if (HasFan()) {
        w.port.SetPIDF({30, 8, 2, false});
        w.port.SetV(2100, 77);
    }
    const ProcessResult r = Run("status");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Fields f = ParseFields(r.out);
    const auto heat = LastReplyTo(7);
    ASSERT_EQ(heat.size(), 13u);
    Fields expected{{"Tset", "352.5"},
                    {"Tget", Tenths(Word(heat, 3))},
                    {"Tcj", Tenths(Word(heat, 5))},
                    {"Power", "12.3"},
                    {"PllErr", std::to_string(Word(heat, 9, true))},
                    {"PllPer", std::to_string(Word(heat, 11))}};
    if (HasFan()) {
        const auto fan = LastReplyTo(13);
        ASSERT_EQ(fan.size(), 6u);
        expected.insert({{"Vset", "2100"}, {"Vget", std::to_string(Word(fan, 3))}, {"Pwm", "77"}});
    }
    EXPECT_EQ(f, expected);
    // The lines come in the order of the record.
    EXPECT_EQ(r.out.rfind("Tset=", 0), 0u);
}

TEST_P(CliAgainstStation, dumpShowsEveryRecordInDisplayUnits) {
    w.port.SetParH({.Mode = 1,
                    .Delay = -1200,
                    .Kp = 3,
                    .Ki = 4,
                    .Error = 500,
                    .Plim = 41,
                    .Comp = 2,
                    .Shift = -15,
                    .Gain = 1250,
                    .Tcjn = 253});
    w.port.SetPIDH({11, 12, 13, true});
    w.port.SetTimers({600, 1200, 0});
    w.port.SetPreset({5, 3504, 1800, 7});
    w.port.SetOptionsH({true, false, 20, 1000, 55, 101, 3, 250, true, false, true, 4000, 500, 25});
    if (HasFan()) {
        w.port.SetPIDF({21, 22, 23, false});
        w.port.SetOptionsF({5, 60, true, 2500, 450});
    }
    const ProcessResult r = Run("dump");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Fields f = ParseFields(r.out);
    const Fields expected{
        {"HeaterParams.Mode", "1"},
        {"HeaterParams.Delay", "-1200"},
        {"HeaterParams.Plim", "4.1"},
        {"HeaterParams.Shift", "-1.5"},
        {"HeaterParams.Gain", "1.250"},
        {"HeaterParams.Tcjn", "25.3"},
        {"HeaterParams.LastPreset", "9"},
        {"PidGainsH.Kd", "13"},
        {"PidGainsH.Enable", "1"},
        {"Timers.TmOff", "1200"},
        {"Timers.ThAct", "0"},
        {"Preset[2].T", "350.4"},
        {"Preset[2].V", "1800"},
        {"Preset[2].C", "7"},
        {"HeaterOptions.InitialOn", "1"},
        {"HeaterOptions.EncoderVar", "0"},
        {"HeaterOptions.ReadydT", "5.5"},
        {"HeaterOptions.UnreadydT", "10.1"},
        {"HeaterOptions.StepTlarge", "25.0"},
        {"HeaterOptions.ErHdelay", "4000"},
        {"HeaterOptions.ErHdT", "50.0"},
        {"HeaterOptions.ErHvT", "2.5"},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(f.count(key) ? f.at(key) : "(none)", value) << key;
    // Every preset of the list, OFF to the last numbered one, three fields each.
    for (const char* name : {"OFF", "COOL", "STB", "0", "9"})
        EXPECT_EQ(f.count(std::string("Preset[") + name + "].T"), 1u) << name;
    EXPECT_EQ(f.count("Preset[10].T"), 0u);
    const auto heat = LastReplyTo(7);
    EXPECT_EQ(f.at("HeatStatus.Tget"), Tenths(Word(heat, 3)));
    const std::vector<std::string> fanKeys{"FanStatus.Vset", "PidGainsF.Kp", "FanOptions.ErFdV"};
    for (const auto& key : fanKeys) EXPECT_EQ(f.count(key), HasFan() ? 1u : 0u) << key;
    if (HasFan()) {
        EXPECT_EQ(f.at("PidGainsF.Kd"), "23");
        EXPECT_EQ(f.at("FanOptions.ErFdV"), "450");
        EXPECT_EQ(f.at("FanOptions.EnableErF"), "1");
    }
}

TEST_P(CliAgainstStation, portsListsTheStationBesideTheNamesGiven) {
    w.port.Close();
    const ProcessResult r = Cli({"ports", w.station.Link(), "/nonexistent-port"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(w.station.Link() + "\t" + GetParam() + " Emulator v1\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("/nonexistent-port\tNone\tthe device is missing\n"), std::string::npos)
        << r.out;
}

INSTANTIATE_TEST_SUITE_P(Models, CliAgainstStation, ::testing::Values("KRF-51", "KRT-51"),
                         [](const auto& info) {
                             return info.param == "KRF-51" ? "Krf51" : "Krt51";
                         });

TEST(Cli, linkErrorsPrintTheirMessageAndExit1) {
    const struct {
        std::vector<std::string> station;
        std::string command;
        std::string message;
        std::string reason;  // why the port holds no station, when the connect failed
    } cases[] = {
        {{"--identity", "Bogus station 1"},
         "info",
         "Unknown device",
         "not a KRT-51 or KRF-51: \"Bogus station 1\"\n"},
        {{"--identity", "krt-51 lower case"},
         "info",
         "Unknown device",
         "not a KRT-51 or KRF-51: \"krt-51 lower case\"\n"},
        {{"--identity", "KRF-5"}, "info", "Unknown device", "not a KRT-51 or KRF-51: \"KRF-5\"\n"},
        {{"--drop", "1", "--fault-commands", "7"}, "status", "No data to receive.", ""},
        {{"--error-code", "2", "--fault-commands", "7"},
         "dump",
         "Error of command GetHeat:\ndevise busy.",
         ""},
        {{"--bad-crc", "1", "--fault-commands", "3"},
         "info",
         "WAKE CRC error.",
         "link error: WAKE CRC error.\n"},
    };
    for (const auto& c : cases) {
        StationProcess station({.identity = "", .extra = c.station});
        const ProcessResult r = Cli({"--port", station.Link(), c.command});
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.err, c.message + "\n" + c.reason);
        EXPECT_EQ(r.out, "");
    }
    const std::vector<std::vector<std::string>> commands = {
        {"info"}, {"status"}, {"dump"}, {"read-params", "x.par"}, {"log", "--out", "x.dat"}};
    for (const auto& command : commands) {
        std::vector<std::string> args{"--port", "/nonexistent"};
        args.insert(args.end(), command.begin(), command.end());
        const ProcessResult r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << command.front();
        EXPECT_EQ(r.err, "Port /nonexistent open error.\nthe device is missing\n")
            << command.front();
    }
}

TEST(Cli, usageErrorsExit2WithTheUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"--port"},
        {"--port", "", "info"},
        {"--port", "", "ports"},
        {"--port", "/dev/null"},
        {"--speed", "1", "info"},
        {"info", "extra"},
        {"status", "--port", "/x"},
        {"dump", "now"},
        {"log"},
        {"log", "--out"},
        {"log", "--samples", "5"},
        {"log", "--out", "x.dat", "--samples", "0"},
        {"log", "--out", "x.dat", "--samples", "18002"},
        {"log", "--out", "x.dat", "--samples", "5x"},
        {"log", "--out", "x.dat", "--period", "19"},
        {"log", "--out", "x.dat", "--period", "501"},
        {"log", "--out", "x.dat", "--period", "1e2"},
        {"log", "--out", "x.dat", "now"},
        {"read-params"},
        {"write-params", "a.par", "b.par"},
        {"analyze"},
        {"analyze", "a.dat", "b.dat"},
        {"analyze", "a.dat", "--from"},
        {"analyze", "a.dat", "--from", "1s"},
        {"analyze", "a.dat", "--from", "2", "--to", "1"},
        {"analyze", "a.dat", "--trace", "Tset"},
        {"analyze", "a.dat", "--band", "0"},
        {"analyze", "a.dat", "--band", "nan"},
        {"analyze", "a.dat", "--step", "1"},
    };
    for (const auto& args : cases) {
        const ProcessResult r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: tavolin-cli [--port NAME] COMMAND [ARGS]"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    const ProcessResult help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("tavolin-cli [--port NAME] dump"), std::string::npos);
}

}  // namespace
