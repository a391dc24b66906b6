// `tavolin-cli read-params` and `write-params` against the emulator: a file read from the
// station writes back the same records, and a sparse file writes its defaults.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "link/Wakeport.h"
#include "support/Tempfolder.h"
#include "tests/cli/Wirefields.h"

namespace {

/// The parameter records `dump` shows, without the live values that change by themselves.
std::map<std::string, std::string> ParameterLines(const std::string& dump) {
    std::map<std::string, std::string> lines;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("HeatStatus.", 0) == 0 || line.rfind("FanStatus.", 0) == 0) continue;
        const auto eq = line.find('=');
        lines[line.substr(0, eq)] = eq == std::string::npos ? "" : line.substr(eq + 1);
    }
    return lines;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliParams : public ::testing::TestWithParam<std::string> {
  protected:
    bool HasFan() const { return GetParam() == "KRF-51"; }
    /// Gives the station records that differ from its own defaults and from a file's.
    void TuneStation() {
        TWakePort port;
        port.Open(station.Link());
        port.SetParH({.Mode = 1,
                      .Delay = -1200,
                      .Kp = 3,
                      .Ki = 4,
                      .Error = 500,
                      .Plim = 41,
                      .Comp = 2,
                      .Shift = -15,
                      .Gain = 1250,
                      .Tcjn = 253});
        port.SetPIDH({11, 12, 13, true});
        port.SetTimers({600, 1200, 7});
        if (HasFan()) port.SetPIDF({21, 22, 23, false});
    }
    ProcessResult Run(const std::vector<std::string>& command) {
        std::vector<std::string> args{"--port", station.Link()};
        args.insert(args.end(), command.begin(), command.end());
        return Cli(args);
    }

    StationProcess station{{.model = GetParam()}};
    TempFolder folder;
};

TEST_P(CliParams, readThenWriteLeavesTheStationsRecordsUnchanged) {
    TuneStation();
    const auto tuned = ParameterLines(Run({"dump"}).out);
    ASSERT_EQ(tuned.at("HeaterParams.Delay"), "-1200");

    const auto file = (folder / "station.par").string();
    const ProcessResult read = Run({"read-params", file});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out + read.err, "");
    const std::string text = ReadText(file);
    for (const char* line :
         {"Kp=11\r\n", "Mode=1\r\n", "Delay=-1200\r\n", "PllKp=3\r\n", "PllError=500\r\n",
          "Plim=41\r\n", "Shift=-15\r\n", "Gain=1250\r\n", "Tcjn=253\r\n", "[Fan]\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;

    const ProcessResult write = Run({"write-params", file});
    ASSERT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(write.out + write.err, "");
    // The tool's records are byte for byte the ones the test sent first.
    std::vector<int> records{CmdSetPIDH, CmdSetParH, CmdSetTimers};
    if (HasFan()) records.push_back(CmdSetPIDF);
    for (const int command : records) {
        const auto sent = Requests(station, command);
        ASSERT_EQ(sent.size(), 2u) << "command " << command;
        EXPECT_EQ(sent[1], sent[0]) << "command " << command;
    }
    if (!HasFan()) {
        EXPECT_TRUE(Requests(station, CmdSetPIDF).empty());
    }
    EXPECT_EQ(ParameterLines(Run({"dump"}).out), tuned);
}

INSTANTIATE_TEST_SUITE_P(Models, CliParams, ::testing::Values("KRF-51", "KRT-51"),
                         [](const auto& info) {
                             return info.param == "KRF-51" ? "Krf51" : "Krt51";
                         });

/// What the station received, decoded field by field.
struct SentParams {
    std::vector<int> parH;  // Mode, Delay, Kp, Ki, Error, Plim, Comp, Shift, Gain, Tcjn
    std::vector<int> pidH;  // Kp, Ki, Kd, Enable
    std::vector<int> pidF;
};

SentParams LastSent(const StationProcess& station) {
    SentParams s;
    const auto parH = Requests(station, CmdSetParH);
    const auto pidH = Requests(station, CmdSetPIDH);
    const auto pidF = Requests(station, CmdSetPIDF);
    if (parH.empty() || pidH.empty() || pidF.empty()) {
        ADD_FAILURE() << "SetParH, SetPIDH and SetPIDF expected";
        return s;
    }
    const FrameData& p = parH.back();
    s.parH = {Byte(p, 0), SignedWord(p, 1), Byte(p, 3),        Byte(p, 4),  Word(p, 5),
              Word(p, 7), Byte(p, 9),       SignedWord(p, 10), Word(p, 12), Word(p, 14)};
    for (auto [from, to] : {std::pair{&pidH.back(), &s.pidH}, std::pair{&pidF.back(), &s.pidF}})
        *to = {Byte(*from, 0), Byte(*from, 1), Byte(*from, 2), Byte(*from, 3)};
    return s;
}

TEST(CliWriteParams, missingValuesTakeTheFileDefaultsAndFieldsKeepTheirBounds) {
    const struct Case {
        const char* name;
        std::string file;
        SentParams expected;
    } cases[] = {
        {"only the thermocouple gain",
         "[TC]\r\nGain=1250\r\n",
         {{0, 0, 130, 20, 200, 0, 0, 0, 1250, 380}, {0, 0, 0, 1}, {0, 0, 0, 0}}},
        {"panel values beyond their fields",
         "[Heater]\nKp=300\nKi=-5\nKd=255\nPlim=1500\nComp=12\nMode=1\n"
         "[Fan]\nKp=256\nKi=7\nKd=1000\n",
         {{1, 0, 130, 20, 200, 1000, 9, 0, 1000, 380}, {255, 0, 255, 1}, {255, 7, 255, 0}}},
        // The Settings dialog's bounds: delay -9999..9999 us, PLL gains 0..255, PLL error
        // 0..9999 us, shift -99..99 °C, gain 0.25..4, default Tcj 0..100 °C.
        {"hidden heater values above their fields",
         "[Heater]\nDelay=20000\nPllKp=300\nPllKi=999\nPllError=70000\n"
         "[TC]\nShift=2000\nGain=5000\nTcjn=1001\n",
         {{0, 9999, 255, 255, 9999, 0, 0, 990, 4000, 1000}, {0, 0, 0, 1}, {0, 0, 0, 0}}},
        {"hidden heater values below their fields",
         "[Heater]\nDelay=-20000\nPllKp=-3\nPllKi=-1\nPllError=-1\n"
         "[TC]\nShift=-2000\nGain=100\nTcjn=-10\n",
         {{0, -9999, 0, 0, 0, 0, 0, -990, 250, 0}, {0, 0, 0, 1}, {0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationProcess station({.model = "KRF-51"});
        {
            TWakePort port;
            port.Open(station.Link());
            port.SetParH({.Mode = 1,
                          .Delay = 7,
                          .Kp = 3,
                          .Ki = 4,
                          .Error = 9,
                          .Plim = 41,
                          .Comp = 2,
                          .Shift = -15,
                          .Gain = 999,
                          .Tcjn = 253});
            port.SetPIDH({11, 12, 13, true});
            port.SetPIDF({21, 22, 23, false});
        }
        TempFolder folder;
        const auto file = folder / "sparse.par";
        WriteText(file, c.file);
        const ProcessResult r = Cli({"--port", station.Link(), "write-params", file.string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const SentParams sent = LastSent(station);
        EXPECT_EQ(sent.parH, c.expected.parH);
        EXPECT_EQ(sent.pidH, c.expected.pidH) << "the enable box stays as read";
        EXPECT_EQ(sent.pidF, c.expected.pidF);
    }
}

TEST(CliWriteParams, fileFailuresExit1WithTheirMessage) {
    StationProcess station({.model = "KRT-51"});
    TempFolder folder;
    const auto missing = (folder / "typo.par").string();
    const ProcessResult w = Cli({"--port", station.Link(), "write-params", missing});
    EXPECT_EQ(w.exitCode, 1);
    EXPECT_EQ(w.err, "Unable to read " + missing + " (No such file or directory)\n");
    EXPECT_TRUE(station.Received().empty()) << "refused before connecting";

    const auto unwritable = (folder / "missing" / "out.par").string();
    const ProcessResult r = Cli({"--port", station.Link(), "read-params", unwritable});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err, "");
    EXPECT_EQ(r.err.rfind("tavolin-cli:", 0), std::string::npos) << "the file's own message";
    EXPECT_FALSE(std::filesystem::exists(unwritable));
    EXPECT_FALSE(Requests(station, CmdGetInfo).empty()) << "it connected and read first";
}

}  // namespace
