// `tavolin-cli analyze`: step-response figures of a data file, for spans given in seconds.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "files/Datafile.h"
#include "link/Wakeport.h"
#include "support/Tempfolder.h"
#include "tests/cli/Wirefields.h"
#include "traces/Stepresponse.h"

namespace {

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// 100 ms apart: Tset steps 200 -> 250 °C at 0.2 s, Tget ramps 10 °C a sample, overshoots to
// 252 °C at 0.8 s and holds 250 °C; Power 0 before the step, 100 % after it.
constexpr const char* StepFile =
    "Time\tTset\tTget\tPower\r\n"
    "0\t2000\t2000\t0\r\n"
    "100\t2000\t2000\t0\r\n"
    "200\t2500\t2000\t1000\r\n"
    "300\t2500\t2100\t1000\r\n"
    "400\t2500\t2200\t1000\r\n"
    "500\t2500\t2300\t1000\r\n"
    "600\t2500\t2400\t1000\r\n"
    "700\t2500\t2500\t1000\r\n"
    "800\t2500\t2520\t1000\r\n"
    "900\t2500\t2500\t1000\r\n"
    "1000\t2500\t2500\t1000\r\n"
    "1100\t2500\t2500\t1000\r\n";

TEST(CliAnalyze, printsTheFiguresOfTheSpanWorkedOutByHand) {
    TempFolder folder;
    const auto file = (folder / "step.dat").string();
    WriteText(file, StepFile);
    struct Case {
        std::vector<std::string> options;
        std::string expected;
    };
    const Case cases[] = {
        // 10 % (205) between 0.2 and 0.3 s, 90 % (245) between 0.6 and 0.7 s; 2 / 50 over;
        // inside 250 ± 1 from 0.9 s on.
        {{},
         "from=0.000\nto=1.100\nsetpoint_start=200.00\nsetpoint=250.00\nstep_at=0.200\n"
         "step=50.00\nrise_time=0.400\novershoot=4.00\nsettling_time=0.700\n"
         "steady_state_error=0.00\nmean_power=83.33\n"},
        // A band of 25 °C holds from 230 °C at 0.5 s on.
        {{"--band", "25"},
         "from=0.000\nto=1.100\nsetpoint_start=200.00\nsetpoint=250.00\nstep_at=0.200\n"
         "step=50.00\nrise_time=0.400\novershoot=4.00\nsettling_time=0.300\n"
         "steady_state_error=0.00\nmean_power=83.33\n"},
        // Cut before 90 %: no rise time, never settled, the last sample 10 °C short.
        {{"--to", "0.65"},
         "from=0.000\nto=0.600\nsetpoint_start=200.00\nsetpoint=250.00\nstep_at=0.200\n"
         "step=50.00\nrise_time=none\novershoot=0.00\nsettling_time=none\n"
         "steady_state_error=-10.00\nmean_power=71.43\n"},
        // Cut after the step: the set point holds, errors -40 -30 -20 -10 0 2 0 0 0.
        {{"--from", "0.3", "--trace", "Tget"},
         "from=0.300\nto=1.100\nsetpoint_start=250.00\nsetpoint=250.00\nmean_error=-10.89\n"
         "max_abs_error=40.00\nmean_power=100.00\n"},
        // Times that fall between samples take the samples inside the span.
        {{"--from", "0.15", "--to", "0.95"},
         "from=0.200\nto=0.900\nsetpoint_start=250.00\nsetpoint=250.00\nmean_error=-18.50\n"
         "max_abs_error=50.00\nmean_power=100.00\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        std::vector<std::string> args{"analyze", file};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ProcessResult r = Cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.expected);
        EXPECT_EQ(r.err, "");
    }
}

TEST(CliAnalyze, aFileItCannotUseExits1WithTheReason) {
    TempFolder folder;
    const auto bad = (folder / "bad.dat").string();
    WriteText(bad, "Tset\tTget\r\n1\t2\r\n");
    const auto badRow = (folder / "badrow.dat").string();
    WriteText(badRow, "Time\tTset\tTget\tPower\r\n0\t1\tx\t2\r\n");
    const auto heaterOnly = (folder / "heater.dat").string();
    WriteText(heaterOnly, StepFile);
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"analyze", (folder / "missing.dat").string()}, "Bad file format.\n"},
        {{"analyze", bad}, "Bad file format.\n"},
        {{"analyze", badRow}, "Bad file format.\n"},
        {{"analyze", heaterOnly, "--trace", "Vget"},
         "tavolin-cli: " + heaterOnly + " holds no Vset, Vget and Power columns\n"},
        {{"analyze", heaterOnly, "--from", "5"},
         "tavolin-cli: no samples of " + heaterOnly + " lie in that span\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ProcessResult r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliAnalyze, figuresOfAStepRecordedFromTheStation) {
    // Every request moves the station's physics on by one period, so the recording is the
    // same on a loaded machine.
    constexpr int PeriodMs = 100;
    constexpr int StepSample = 20;
    constexpr int Samples = 300;
    StationProcess station({.model = "KRT-51", .extra = {"--sim-step", std::to_string(PeriodMs)}});
    auto store = std::make_unique<TraceStore>();
    {
        TWakePort port;
        port.Open(station.Link());
        port.SetPIDH({40, 10, 5, true});
        port.SetT(2000, 0);
        for (int i = 0; i < Samples; ++i) {
            if (i == StepSample) port.SetT(3000, 0);
            const HeatStatus heat = port.GetHeat();
            TraceSample s{};
            s[Tset] = heat.Tset;
            s[Tget] = heat.Tget;
            s[Power] = heat.Power;
            store->Append(s);
        }
    }
    TempFolder folder;
    const auto file = folder / "station.dat";
    datafile::TraceVisibility visible{};
    visible[Tset] = visible[Tget] = visible[Power] = true;
    ASSERT_TRUE(datafile::SaveDataFile(file, *store, visible, PeriodMs).ok);

    const ProcessResult r = Cli({"analyze", file.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expected =
        stepresponse::FormatFigures(stepresponse::Analyze(*store, 0, Samples - 1, PeriodMs));
    EXPECT_EQ(r.out, expected);
    EXPECT_NE(r.out.find("setpoint_start=200.00\nsetpoint=300.00\nstep_at=2.000\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("rise_time=none"), std::string::npos) << "the tip heats up";
}

}  // namespace
