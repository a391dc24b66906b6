#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/Tuner.h"
#include "tune/Gridbest.h"
#include "tune/Simstation.h"

namespace {

constexpr double FromC = 200;
constexpr double ToC = 300;
const PidGains StationGains{.Kp = 40, .Ki = 10, .Kd = 5, .Enable = true};

struct Plant {
    const char* name;
    HeaterPlant heater;
};

// Three heaters no single set of gains suits: the same gains that hold one oscillate or crawl
// on another.
const std::vector<Plant> Plants = {
    {"fast", {.lagS = 1.5, .deadTimeS = 0.05}},
    {"slow, long dead time", {.lagS = 10.0, .deadTimeS = 1.5}},
    {"gain units worth 1/10", {.lagS = 4.0, .pidScale = 0.1}},
};

class Log final : public TuneObserver {
  public:
    void Progress(const std::string& text) override { lines.push_back(text); }
    void ExperimentDone(const Experiment& e) override { experiments.push_back(e); }
    std::vector<std::string> lines;
    std::vector<Experiment> experiments;
};

TuneOptions Options(double minutes = 5) {
    return {.fromC = FromC, .toC = ToC, .maxOvershootPct = 10, .minutes = minutes};
}

/// Every set point the tuner sent lies within from..to, but the last one, which restores.
void ExpectSetPointsWithinTheRange(const SimStation& st) {
    ASSERT_FALSE(st.setTs.empty());
    for (std::size_t i = 0; i + 1 < st.setTs.size(); ++i) {
        EXPECT_GE(st.setTs[i].first, FromC * 10) << i;
        EXPECT_LE(st.setTs[i].first, ToC * 10) << i;
        EXPECT_LE(st.setTs[i].second, st.inputs.plim) << "power beyond the station's limit";
    }
}

void ExpectRestored(const SimStation& st, const TuneResult& r) {
    EXPECT_TRUE(r.restored);
    EXPECT_EQ(st.inputs.heaterPid, StationGains);
    EXPECT_EQ(st.inputs.tset, 2500);
    EXPECT_EQ(st.setTs.back(), (std::pair{2500, 0}));
}

TEST(Tuner, findsGainsWithinTwiceTheGridsBestOnEveryPlant) {
    std::printf("| plant | start | proposal | ITAE ratio | overshoot %% | tests | minutes |\n");
    for (const auto& plant : Plants) {
        SimStation st(plant.heater);
        Log log;
        Tuner tuner(st, st, log);
        const TuneResult r = tuner.Run(Options());
        std::string said;
        for (const auto& line : log.lines) said += line + "\n";
        ASSERT_TRUE(r.proposal) << plant.name << ": " << r.abortReason << "\n" << said;
        ExpectSetPointsWithinTheRange(st);
        ExpectRestored(st, r);
        EXPECT_LE(r.minutes, 5.0);
        const Experiment* confirm = r.Confirming();
        ASSERT_NE(confirm, nullptr);
        EXPECT_EQ(log.experiments.size(), r.experiments.size());

        // The grid sees the same step as the tuner's tests, noise off on both sides.
        const StepProtocol protocol{
            .fromC = FromC, .toC = ToC, .windowS = confirm->figures.toS - confirm->figures.fromS};
        const Gains proposal{r.proposal->Kp, r.proposal->Ki, r.proposal->Kd};
        const auto mine = SimulateStep(plant.heater, proposal, protocol);
        const GridBest grid = SearchGrid(plant.heater, protocol);
        const double ratio = mine.itae / grid.figures.itae;
        std::printf("| %s | %d/%d/%d | %d/%d/%d | %.2f (grid %d/%d/%d) | %.1f | %zu | %.1f |\n",
                    plant.name, r.start.Kp, r.start.Ki, r.start.Kd, proposal[0], proposal[1],
                    proposal[2], ratio, grid.gains[0], grid.gains[1], grid.gains[2],
                    confirm->figures.overshootPercent, r.experiments.size(), r.minutes);
        EXPECT_LE(mine.overshootPercent, 10.0 + 2.0) << plant.name;
        std::string trail;
        for (const auto& e : r.experiments)
            trail += std::to_string(e.gains.Kp) + "/" + std::to_string(e.gains.Ki) + "/" +
                     std::to_string(e.gains.Kd) + " itae " + std::to_string(e.figures.itae) +
                     " os " + std::to_string(e.figures.overshootPercent) + "\n";
        EXPECT_LT(ratio, 2.0) << plant.name << "\n"
                              << trail << "grid: itae " << grid.figures.itae << " os "
                              << grid.figures.overshootPercent << " mine in the grid's test: itae "
                              << mine.itae;
    }
}

TEST(Tuner, appliesTheProposalKeepingEnableWhenAsked) {
    SimStation st(Plants[0].heater);
    st.inputs.heaterPid.Enable = false;
    Log log;
    Tuner tuner(st, st, log);
    auto options = Options();
    options.apply = true;
    const TuneResult r = tuner.Run(options);
    ASSERT_TRUE(r.proposal) << r.abortReason;
    EXPECT_TRUE(r.applied);
    EXPECT_EQ(st.inputs.heaterPid, *r.proposal);
    EXPECT_FALSE(st.inputs.heaterPid.Enable);
    EXPECT_EQ(st.setTs.back(), (std::pair{2500, 0}));
}

SimStation::Faults HeaterStuckAt(double s) {
    SimStation::Faults f;
    f.heaterStuckAtS = s;
    return f;
}

SimStation::Faults LinkDown(double fromS, double toS = 1e300) {
    SimStation::Faults f;
    f.linkDownFromS = fromS;
    f.linkDownToS = toS;
    return f;
}

SimStation::Faults StopsAt(std::vector<double> times, SimStation::Faults f = {}) {
    f.stopsAtS = std::move(times);
    return f;
}

TEST(Tuner, abortsAndRestoresOnEveryFault) {
    struct Case {
        const char* name;
        SimStation::Faults faults;
        double minutes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"a heater stuck on", HeaterStuckAt(40.0), 5, "overheat: Tget "},
        {"link lost for 20 s", LinkDown(40.0, 60.0), 5, "link error: No data to receive."},
        {"the time cap", {}, 0.1, "time cap of 0.1 minutes reached"},
        {"Ctrl+C", StopsAt({45.0}), 5, "stopped by the user"},
    };
    for (const auto& c : cases) {
        SimStation st(Plants[1].heater, c.faults);
        Log log;
        Tuner tuner(st, st, log);
        const TuneResult r = tuner.Run(Options(c.minutes));
        EXPECT_FALSE(r.proposal) << c.name;
        EXPECT_EQ(r.abortReason.rfind(c.reason, 0), 0u) << c.name << ": " << r.abortReason;
        ExpectSetPointsWithinTheRange(st);
        ExpectRestored(st, r);
        if (c.faults.linkDownFromS) {
            EXPECT_GE(st.Now(), c.faults.linkDownToS) << "kept trying";
        }
        if (c.faults.heaterStuckAtS) {
            // At the first reading beyond the limit: one period of heating at most past it.
            const double tget = std::stod(r.abortReason.substr(c.reason.size()));
            EXPECT_GT(tget, ToC + 25) << r.abortReason;
            EXPECT_LT(tget, ToC + 25 + 5) << r.abortReason;
        }
    }
}

TEST(Tuner, aSecondStopWhileTheStationIsGoneLeavesItUnrestored) {
    SimStation st(Plants[0].heater, StopsAt({80.0}, LinkDown(30.0)));
    Log log;
    Tuner tuner(st, st, log);
    const TuneResult r = tuner.Run(Options());
    EXPECT_EQ(r.abortReason, "link error: No data to receive.");
    EXPECT_FALSE(r.restored);
    EXPECT_NEAR(st.Now(), 80.0, 1.0);
}

TEST(Tuner, aLinkErrorBeforeAnythingWasSentChangesNothing) {
    SimStation st(Plants[0].heater, LinkDown(0.0));
    Log log;
    Tuner tuner(st, st, log);
    const TuneResult r = tuner.Run(Options());
    EXPECT_EQ(r.abortReason, "link error: No data to receive.");
    EXPECT_TRUE(st.setTs.empty());
    EXPECT_TRUE(st.setPids.empty());
}

TEST(Tuner, aStationWithoutPowerIsLeftAlone) {
    SimStation st(Plants[0].heater);
    st.inputs.plim = 0;
    Log log;
    Tuner tuner(st, st, log);
    const TuneResult r = tuner.Run(Options());
    EXPECT_EQ(r.abortReason, "the station's power limit is 0 %");
    EXPECT_TRUE(st.setTs.empty());
    EXPECT_TRUE(st.setPids.empty());
}

TEST(Tuner, refusesOptionsItCannotRun) {
    const std::vector<TuneOptions> cases = {
        {.fromC = 300, .toC = 200},
        {.fromC = 200, .toC = 203},
        {.fromC = 200, .toC = 500},
        {.fromC = -5, .toC = 100},
        {.fromC = 200, .toC = 300, .maxOvershootPct = -1},
        {.fromC = 200, .toC = 300, .minutes = 0},
    };
    for (const auto& o : cases) {
        SimStation st(Plants[0].heater);
        Log log;
        Tuner tuner(st, st, log);
        EXPECT_THROW(tuner.Run(o), std::invalid_argument) << o.fromC << ".." << o.toC;
        EXPECT_TRUE(st.setTs.empty());
    }
}

}  // namespace
