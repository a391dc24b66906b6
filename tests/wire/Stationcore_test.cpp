#include <gtest/gtest.h>

#include <algorithm>

#include "link/Wakeframe.h"
#include "tools/station/Faults.h"
#include "tools/station/Options.h"
#include "tools/station/Station.h"

namespace {

struct HandleCase {
    const char* name;
    DeviceKind kind;
    std::uint8_t command;
    Bytes data;
    std::uint8_t code;
};

TEST(Station, answersMalformedRequestsWithItsErrorCodes) {
    const HandleCase cases[] = {
        {"unknown command", DeviceKind::Krf51, 30, {}, 1},
        {"command 1", DeviceKind::Krf51, 1, {}, 1},
        {"getter with data", DeviceKind::Krf51, 7, {0}, 1},
        {"short setter", DeviceKind::Krf51, 6, {1, 2, 3}, 1},
        {"long setter", DeviceKind::Krf51, 8, {1, 2, 3, 4, 5}, 1},
        {"GetPreset without index", DeviceKind::Krf51, 17, {}, 1},
        {"preset beyond the last", DeviceKind::Krf51, 17, {13}, 4},
        {"set preset beyond the last", DeviceKind::Krf51, 16, {13, 0, 0, 0, 0, 0}, 4},
        {"last preset", DeviceKind::Krf51, 17, {12}, 0},
        {"SetV to a KRT-51", DeviceKind::Krt51, 12, {0, 0, 0}, 1},
        {"GetFan to a KRT-51", DeviceKind::Krt51, 13, {}, 1},
        {"SetPIDF to a KRT-51", DeviceKind::Krt51, 14, {0, 0, 0, 0}, 1},
        {"GetPIDF to a KRT-51", DeviceKind::Krt51, 15, {}, 1},
        {"SetOptionsF to a KRT-51", DeviceKind::Krt51, 22, Bytes(7), 1},
        {"GetOptionsF to a KRT-51", DeviceKind::Krt51, 23, {}, 1},
        {"GetFan to a KRF-51", DeviceKind::Krf51, 13, {}, 0},
        {"SetOptionsH", DeviceKind::Krt51, 20, Bytes(18), 0},
    };
    for (const auto& c : cases) {
        Station station(c.kind, "", 1);
        const Bytes reply = station.Handle(c.command, c.data.data(), c.data.size());
        ASSERT_FALSE(reply.empty()) << c.name;
        EXPECT_EQ(reply[0], c.code) << c.name;
        if (c.code != 0) {
            EXPECT_EQ(reply.size(), 1u) << c.name;
        }
    }
}

TEST(Station, aRefusedRequestChangesNothing) {
    Station station(DeviceKind::Krf51, "", 1);
    const StationRecords before = station.Records();
    const Bytes shortSetT{0xAC, 0x0D, 0xE8};
    station.Handle(6, shortSetT.data(), shortSetT.size());
    const Bytes badPreset{20, 1, 2, 3, 4, 5};
    station.Handle(16, badPreset.data(), badPreset.size());
    EXPECT_EQ(station.Records().tset, before.tset);
    EXPECT_EQ(station.Records().power, before.power);
    EXPECT_EQ(station.Records().presets, before.presets);
}

TEST(Station, identityAndEchoCarryNoErrorByte) {
    Station krt(DeviceKind::Krt51, "", 1);
    const Bytes info = krt.Handle(3, nullptr, 0);
    EXPECT_EQ(std::string(info.begin(), info.end()), std::string("KRT-51 Emulator v1\0", 19));
    Station named(DeviceKind::Krf51, "KRF-51 bench 2", 1);
    const Bytes text = named.Handle(3, nullptr, 0);
    EXPECT_EQ(std::string(text.begin(), text.end() - 1), "KRF-51 bench 2");
    const Bytes data{0xC0, 0x00, 0xDB};
    EXPECT_EQ(named.Handle(2, data.data(), data.size()), data);
    EXPECT_TRUE(Station::RepliesWithoutErrorCode(3));
    EXPECT_FALSE(Station::RepliesWithoutErrorCode(7));
}

TEST(Station, setParHKeepsTheStationsLastPreset) {
    Station station(DeviceKind::Krf51, "", 1);
    const Bytes params(16, 0x7F);
    station.Handle(10, params.data(), params.size());
    EXPECT_EQ(station.Records().heater.LastPreset, StationRecords::LastPreset);
    EXPECT_EQ(station.Records().heater.Plim, 0x7F7F);
    EXPECT_EQ(station.Records().heater.Delay, 0x7F7F);
}

FaultOptions AllFaults(double p) {
    FaultOptions o;
    o.seed = 9;
    o.noise = o.noiseLong = o.badCrc = o.drop = o.wrongAddress = o.wrongCommand = p;
    o.fendNoise = o.late = p;
    o.lateMs = 170;
    o.errorCode = 2;
    o.errorRate = p;
    return o;
}

bool Any(const FaultDecision& d) {
    return d.silent || d.drop || d.noiseLong || d.noiseBytes || d.badCrc || d.errorCode ||
           d.wrongAddress || d.wrongCommand || d.fendNoiseBytes || d.lateMs;
}

TEST(FaultPlan, aFrameStartInTheNoiseNeverCompletesAFrame) {
    FaultPlan plan(AllFaults(1));
    for (int count = 1; count <= 300; ++count) {
        const Bytes noise = plan.FendNoise(count);
        ASSERT_EQ(noise.size(), std::min<std::size_t>(count, 3 + wake::MaxData)) << count;
        EXPECT_EQ(noise.front(), wake::Fend) << count;
        // One FEND only, no FESC, and a count the rest cannot fill: only a later FEND ends it.
        EXPECT_EQ(std::count(noise.begin() + 1, noise.end(), wake::Fend), 0) << count;
        EXPECT_EQ(std::count(noise.begin(), noise.end(), wake::Fesc), 0) << count;
        if (noise.size() >= 2) {
            EXPECT_LT(noise[1], 0x80) << "no address byte: " << count;
        }
        if (noise.size() >= 3) {
            EXPECT_GE(noise[2], noise.size() - 3) << count;
            EXPECT_LE(noise[2], wake::MaxData) << count;
        }
    }
}

TEST(FaultPlan, probabilitiesZeroAndOneAreExact) {
    FaultPlan never(AllFaults(0)), always(AllFaults(1));
    for (int n = 1; n <= 200; ++n) {
        ASSERT_FALSE(Any(never.Decide(n, 7, true)));
        const FaultDecision d = always.Decide(n, 7, true);
        ASSERT_TRUE(d.drop && d.noiseLong && d.badCrc && d.wrongAddress && d.wrongCommand);
        ASSERT_EQ(d.errorCode, 2);
        ASSERT_GE(d.noiseBytes, 1);
        ASSERT_LE(d.noiseBytes, 64);
        ASSERT_GE(d.fendNoiseBytes, 1);
        ASSERT_LE(d.fendNoiseBytes, 64);
        ASSERT_EQ(d.lateMs, 170);
    }
    // A reply without error byte is never refused.
    EXPECT_EQ(always.Decide(201, 3, false).errorCode, 0);
}

TEST(FaultPlan, theSeedFixesTheFaultsWhateverTheFilters) {
    FaultOptions options = AllFaults(0.3);
    FaultPlan a(options), b(options);
    options.onlyCommands = {13};
    FaultPlan filtered(options);
    int fired = 0;
    for (int n = 1; n <= 300; ++n) {
        const std::uint8_t command = n % 2 ? 7 : 13;
        const FaultDecision da = a.Decide(n, command, true);
        const FaultDecision db = b.Decide(n, command, true);
        const FaultDecision df = filtered.Decide(n, command, true);
        ASSERT_EQ(da.drop, db.drop);
        ASSERT_EQ(da.noiseBytes, db.noiseBytes);
        ASSERT_EQ(da.errorCode, db.errorCode);
        if (command == 7) {
            ASSERT_FALSE(Any(df)) << n;
        } else {
            ASSERT_EQ(da.badCrc, df.badCrc) << n;
            ASSERT_EQ(da.wrongCommand, df.wrongCommand) << n;
        }
        fired += da.drop;
        // Noise is drawn from the same generator in both plans.
        ASSERT_EQ(a.Noise(3), b.Noise(3));
        (void)filtered.Noise(3);
    }
    EXPECT_GT(fired, 50);
    EXPECT_LT(fired, 130);
}

TEST(FaultPlan, silenceAndRequestWindowsCountRequests) {
    FaultOptions options = AllFaults(1);
    options.silent = RequestRange{3, 4};
    options.onlyRequests = RequestRange{6, 6};
    FaultPlan plan(options);
    for (int n = 1; n <= 8; ++n) {
        const FaultDecision d = plan.Decide(n, 7, true);
        EXPECT_EQ(d.silent, n == 3 || n == 4) << n;
        EXPECT_EQ(d.drop, n == 6) << n;
        EXPECT_EQ(d.Applies(), !d.silent && d.errorCode == 0) << n;
    }
}

TEST(FaultPlan, noiseNeverHoldsAFrameStart) {
    FaultPlan plan(AllFaults(1));
    const Bytes noise = plan.Noise(FaultPlan::LongNoiseBytes * 10);
    EXPECT_EQ(noise.size(), 6000u);
    EXPECT_EQ(std::count(noise.begin(), noise.end(), wake::Fend), 0);
    EXPECT_GT(std::count(noise.begin(), noise.end(), wake::Fesc), 0);
}

TEST(StationOptions, parsesEveryOption) {
    const StationOptions o = ParseStationOptions({"--link",
                                                  "/tmp/x",
                                                  "--model",
                                                  "KRT-51",
                                                  "--identity",
                                                  "KRT-51 lab",
                                                  "--wire-baud",
                                                  "19200",
                                                  "--seed",
                                                  "77",
                                                  "--log",
                                                  "/tmp/l",
                                                  "--sim-step",
                                                  "100",
                                                  "--noise",
                                                  "0.25",
                                                  "--noise-max",
                                                  "511",
                                                  "--noise-long",
                                                  "0.5",
                                                  "--bad-crc",
                                                  "1",
                                                  "--drop",
                                                  "0",
                                                  "--error-code",
                                                  "2",
                                                  "--error-rate",
                                                  "0.1",
                                                  "--wrong-address",
                                                  "0.2",
                                                  "--wrong-command",
                                                  "0.3",
                                                  "--fend-noise",
                                                  "0.4",
                                                  "--late",
                                                  "0.6",
                                                  "--late-ms",
                                                  "180",
                                                  "--silent",
                                                  "5-9",
                                                  "--fault-commands",
                                                  "6,7",
                                                  "--fault-requests",
                                                  "4"});
    EXPECT_EQ(o.link, "/tmp/x");
    EXPECT_EQ(o.kind, DeviceKind::Krt51);
    EXPECT_EQ(o.identity, "KRT-51 lab");
    EXPECT_EQ(o.wireBaud, 19200);
    EXPECT_EQ(o.faults.seed, 77u);
    EXPECT_EQ(o.simStepMs, 100);
    EXPECT_DOUBLE_EQ(o.faults.noise, 0.25);
    EXPECT_EQ(o.faults.noiseMax, 511);
    EXPECT_EQ(o.faults.errorCode, 2);
    EXPECT_DOUBLE_EQ(o.faults.errorRate, 0.1);
    EXPECT_DOUBLE_EQ(o.faults.fendNoise, 0.4);
    EXPECT_DOUBLE_EQ(o.faults.late, 0.6);
    EXPECT_EQ(o.faults.lateMs, 180);
    ASSERT_TRUE(o.faults.silent);
    EXPECT_EQ(o.faults.silent->first, 5);
    EXPECT_EQ(o.faults.silent->last, 9);
    EXPECT_EQ(o.faults.onlyCommands, (std::vector<int>{6, 7}));
    ASSERT_TRUE(o.faults.onlyRequests);
    EXPECT_TRUE(o.faults.onlyRequests->Contains(4));
    EXPECT_FALSE(o.faults.onlyRequests->Contains(5));
}

TEST(StationOptions, heaterOptionsSetThePlantAndDefaultToTheOldStation) {
    const StationOptions plain = ParseStationOptions({"--link", "/x"});
    EXPECT_DOUBLE_EQ(plain.plant.lagS, 4.0);
    EXPECT_DOUBLE_EQ(plain.plant.gainCPerPct, 4.8);
    EXPECT_DOUBLE_EQ(plain.plant.deadTimeS, 0.0);
    EXPECT_DOUBLE_EQ(plain.plant.ambientC, 25.0);
    EXPECT_DOUBLE_EQ(plain.plant.tgetNoiseC, 0.3);
    EXPECT_DOUBLE_EQ(plain.plant.pidScale, 1.0);
    const StationOptions o = ParseStationOptions(
        {"--link", "/x", "--tip-lag", "12.5", "--heater-gain", "3", "--dead-time", "1.5",
         "--ambient", "20", "--tget-noise", "0", "--pid-scale", "0.1"});
    EXPECT_DOUBLE_EQ(o.plant.lagS, 12.5);
    EXPECT_DOUBLE_EQ(o.plant.gainCPerPct, 3.0);
    EXPECT_DOUBLE_EQ(o.plant.deadTimeS, 1.5);
    EXPECT_DOUBLE_EQ(o.plant.ambientC, 20.0);
    EXPECT_DOUBLE_EQ(o.plant.tgetNoiseC, 0.0);
    EXPECT_DOUBLE_EQ(o.plant.pidScale, 0.1);
}

TEST(StationOptions, refusesWhatItCannotRun) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--model", "KRF-51"},
        {"--link"},
        {"--link", "/x", "--model", "KRX-51"},
        {"--link", "/x", "--drop", "1.5"},
        {"--link", "/x", "--drop", "-0.1"},
        {"--link", "/x", "--drop", "often"},
        {"--link", "/x", "--noise-max", "512"},
        {"--link", "/x", "--silent", "9-5"},
        {"--link", "/x", "--silent", "0-5"},
        {"--link", "/x", "--fault-commands", "7,"},
        {"--link", "/x", "--identity", std::string(250, 'K')},
        {"--link", "/x", "--wire-baud", "0"},
        {"--link", "/x", "--late-ms", "0"},
        {"--link", "/x", "--fend-noise", "2"},
        {"--link", "/x", "--frobnicate"},
        {"--link", "/x", "--tip-lag", "0"},
        {"--link", "/x", "--dead-time", "-1"},
        {"--link", "/x", "--pid-scale", "0"},
        {"--link", "/x", "--tget-noise", "loud"},
    };
    for (const auto& args : cases) {
        EXPECT_THROW(ParseStationOptions(args), UsageError) << ::testing::PrintToString(args);
    }
    EXPECT_TRUE(ParseStationOptions({"--help"}).help);
}

}  // namespace
