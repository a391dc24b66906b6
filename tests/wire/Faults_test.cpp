#include <gtest/gtest.h>

#include "tests/wire/Wirestation.h"

namespace {

constexpr int OldTset = 2000;
constexpr int NewTset = 3000;

struct FaultCase {
    const char* name;
    std::vector<std::string> options;
    bool setT;  // the faulted request is SetT (else GetHeat)
    std::string message;
    const char* tag;  // on the faulted reply's log line
    bool applied;     // whether the faulted SetT was carried out
};

// Request 1 succeeds, request 2 meets the fault, request 3 must find the link working again.
TEST(StationFaults, eachFaultRaisesItsLinkErrorAndTheLinkRecovers) {
    const std::vector<std::string> second{"--fault-requests", "2"};
    auto with = [&](std::vector<std::string> o) {
        o.insert(o.end(), second.begin(), second.end());
        return o;
    };
    const FaultCase cases[] = {
        {"bad CRC", with({"--bad-crc", "1"}), false, "WAKE CRC error.", "BADCRC", true},
        {"bad CRC on a setter", with({"--bad-crc", "1"}), true, "WAKE CRC error.", "BADCRC", true},
        {"dropped", with({"--drop", "1"}), true, "No data to receive.", "DROPPED", true},
        {"busy", with({"--error-code", "2"}), true, "Error of command SetT:\rdevise busy.", "ERROR",
         false},
        {"not ready", with({"--error-code", "3"}), true,
         "Error of command SetT:\rdevice not ready.", "ERROR", false},
        {"time-out", with({"--error-code", "5"}), false,
         "Error of command GetHeat:\rtimeout reached.", "ERROR", false},
        {"unknown code", with({"--error-code", "9"}), false,
         "Error of command GetHeat:\rinvalid packet.", "ERROR", false},
        {"long noise", with({"--noise-long", "1"}), false, "WAKE frame marker not found.",
         "NOFRAME", true},
        {"wrong address", with({"--wrong-address", "1"}), false,
         "Error of command GetHeat:\rinvalid address.", "ADDRESS", true},
        {"wrong command", with({"--wrong-command", "1"}), true,
         "Error of command SetT:\rinvalid parameters.", "COMMAND", true},
        {"silent", {"--silent", "2"}, true, "No data to receive.", "SILENT", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto options = c.options;
        options.insert(options.end(), {"--sim-step", "100"});
        WireStation w({.extra = options});
        w.port.SetT(OldTset, 0);
        EXPECT_EQ(LinkError([&] {
                      if (c.setT) {
                          w.port.SetT(NewTset, 0);
                      } else {
                          w.port.GetHeat();
                      }
                  }),
                  c.message);
        const HeatStatus after = w.port.GetHeat();
        EXPECT_EQ(after.Tset, c.setT && c.applied ? NewTset : OldTset);

        const auto sent = w.station.Sent();
        ASSERT_EQ(sent.size(), 3u);
        EXPECT_TRUE(sent[1].Has(c.tag)) << ::testing::PrintToString(sent[1].tags);
        EXPECT_TRUE(sent[0].tags.empty());
        EXPECT_TRUE(sent[2].tags.empty());
    }
}

TEST(StationFaults, noiseBeforeTheReplyIsSkipped) {
    WireStation w({.extra = {"--noise", "1", "--noise-max", "511", "--seed", "5"}});
    w.port.SetT(3210, 0);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(w.port.GetHeat().Tset, 3210);
    int longest = 0;
    for (const auto& tx : w.station.Sent()) {
        const auto noise = tx.Value("NOISE");
        ASSERT_TRUE(noise);
        longest = std::max(longest, std::stoi(*noise));
    }
    EXPECT_GT(longest, 100) << "noise lengths spread up to 511";
}

/// The fields of a GetHeat reply as the station logged them.
HeatStatus LoggedHeat(const StationLogEntry& tx) {
    const auto& d = *tx.data;
    const auto word = [&](std::size_t i) { return d[i] | (d[i + 1] << 8); };
    HeatStatus h;
    h.Tset = word(1);
    h.Tget = word(3);
    h.Tcj = word(5);
    h.Power = word(7);
    h.PllErr = static_cast<std::int16_t>(word(9));
    h.PllPer = word(11);
    return h;
}

TEST(StationFaults, aFrameStartInTheNoiseNeverCostsTheReplyBehindIt) {
    WireStation w({.extra = {"--fend-noise", "1", "--noise", "0.5", "--seed", "11"}});
    std::vector<HeatStatus> returned;
    for (int i = 0; i < 30; ++i) returned.push_back(w.port.GetHeat());
    const auto sent = w.station.Sent();
    ASSERT_EQ(sent.size(), returned.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        // What went out: noise, a frame start cut short, the reply; what the client kept.
        ASSERT_TRUE(sent[i].Value("FENDNOISE")) << ::testing::PrintToString(sent[i].tags);
        ASSERT_TRUE(sent[i].data) << i;
        EXPECT_EQ(returned[i], LoggedHeat(sent[i]))
            << "request " << i + 1 << ": Tget " << returned[i].Tget << " returned, "
            << LoggedHeat(sent[i]).Tget << " sent";
    }
}

TEST(StationFaults, aLateReplyCostsOnlyTheRequestItWasLateFor) {
    // Request 2 is answered 150 ms late: after the link gave up on it, while request 3 waits.
    WireStation w({.extra = {"--late", "1", "--late-ms", "150", "--fault-requests", "2",
                             "--sim-step", "100"}});
    w.port.SetT(OldTset, 0);
    EXPECT_EQ(LinkError([&] { w.port.SetT(NewTset, 0); }), "No data to receive.");
    const HeatStatus third = w.port.GetHeat();
    const HeatStatus fourth = w.port.GetHeat();

    const auto sent = w.station.Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1].Value("LATE"), "150");
    EXPECT_EQ(sent[1].command, 6) << "the late reply is SetT's";
    // The late SetT reply reached the line before GetHeat's; the client kept GetHeat's.
    EXPECT_EQ(third.Tset, NewTset) << "the late request was carried out";
    EXPECT_EQ(third, LoggedHeat(sent[2]));
    EXPECT_EQ(fourth, LoggedHeat(sent[3]));
}

TEST(StationFaults, anUnpluggedStationComesBack) {
    WireStation w({.extra = {"--silent", "3-5"}});
    for (int n = 1; n <= 7; ++n) {
        if (n >= 3 && n <= 5) {
            EXPECT_EQ(LinkError([&] { w.port.GetHeat(); }), "No data to receive.") << n;
        } else {
            EXPECT_NO_THROW(w.port.GetHeat()) << n;
        }
    }
}

TEST(StationFaults, faultsStrikeOnlyTheNamedCommands) {
    WireStation w({.extra = {"--drop", "1", "--fault-commands", "13"}});
    EXPECT_NO_THROW(w.port.GetHeat());
    EXPECT_EQ(LinkError([&] { w.port.GetFan(); }), "No data to receive.");
    EXPECT_NO_THROW(w.port.GetTimers());
}

/// The outcome of each of `n` GetHeat calls: "" for success, else the link's message.
std::vector<std::string> Outcomes(TWakePort& port, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) {
        try {
            port.GetHeat();
            out.emplace_back();
        } catch (const EInOutError& e) {
            out.emplace_back(e.what());
        }
    }
    return out;
}

TEST(StationFaults, mixedFaultsFollowTheSeedAndTheLog) {
    const std::vector<std::string> options{"--seed",          "7",   "--drop",  "0.2",
                                           "--bad-crc",       "0.2", "--noise", "0.3",
                                           "--wrong-command", "0.1"};
    WireStation a({.extra = options});
    WireStation b({.extra = options});
    const auto outcomes = Outcomes(a.port, 40);
    EXPECT_EQ(Outcomes(b.port, 40), outcomes) << "the same seed gives the same faults";

    const auto sent = a.station.Sent();
    ASSERT_EQ(sent.size(), outcomes.size());
    int failures = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        std::string expected;
        if (sent[i].Has("DROPPED")) {
            expected = "No data to receive.";
        } else if (sent[i].Has("BADCRC")) {
            expected = "WAKE CRC error.";
        } else if (sent[i].Has("COMMAND")) {
            expected = "Error of command GetHeat:\rinvalid parameters.";
        }
        EXPECT_EQ(outcomes[i], expected) << "request " << i + 1;
        failures += !expected.empty();
    }
    EXPECT_GT(failures, 5);
    EXPECT_LT(failures, 35);
}

}  // namespace
