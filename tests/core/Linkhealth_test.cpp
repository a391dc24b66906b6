// The link-health figures: what the poll loop lived through, in total and per connection.
#include "core/Linkhealth.h"

#include <gtest/gtest.h>

#include "link/Commands.h"
#include "tests/core/Panelwire.h"
#include "tests/core/Scriptedcore.h"
#include "tests/link/Bytes.h"

namespace {

using namespace std::chrono_literals;
using Clock = LinkHealth::Clock;

TEST(LinkHealthTicks, overrunsAndTheMeanSpacingOfTickStarts) {
    struct Tick {
        Clock::duration start;
        Clock::duration took;
    };
    struct Case {
        const char* what;
        std::vector<Tick> ticks;
        long overruns;
        std::optional<double> meanMs;
    };
    const Case cases[] = {
        {"no tick", {}, 0, std::nullopt},
        {"one tick has no spacing", {{0ms, 5ms}}, 0, std::nullopt},
        {"on time", {{0ms, 5ms}, {100ms, 5ms}, {200ms, 5ms}}, 0, 100.0},
        {"exactly the period is no overrun", {{0ms, 100ms}, {100ms, 5ms}}, 0, 100.0},
        {"one slow tick", {{0ms, 130ms}, {130ms, 5ms}, {230ms, 5ms}}, 1, 115.0},
        {"uneven spacing", {{0ms, 1ms}, {90ms, 1ms}, {210ms, 101ms}, {311ms, 1ms}}, 1, 311.0 / 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LinkHealth health;
        const Clock::time_point origin{};
        for (const Tick& t : c.ticks)
            health.TickDone(origin + t.start, origin + t.start + t.took, 100ms);
        const HealthFigures f = health.Total({});
        EXPECT_EQ(f.ticks, static_cast<long>(c.ticks.size()));
        EXPECT_EQ(f.overruns, c.overruns);
        ASSERT_EQ(f.meanPeriodMs.has_value(), c.meanMs.has_value());
        if (c.meanMs) {
            EXPECT_NEAR(*f.meanPeriodMs, *c.meanMs, 1e-9);
        }
    }
}

TEST(LinkHealthFigures, aConnectionCountsFromItsStartAndTheTotalFromTheBeginning) {
    LinkHealth health;
    const Clock::time_point t0{};
    health.TickDone(t0, t0 + 1ms, 100ms);
    health.TickDone(t0 + 100ms, t0 + 250ms, 100ms);
    health.TakenOffLine();
    health.PollConnected();
    health.PollConnected();  // a second connect without a loss is no reconnection
    health.ConnectionStarted({.requests = 10, .replies = 8, .timeouts = 2});
    health.TickDone(t0 + 250ms, t0 + 260ms, 100ms);
    health.TickDone(t0 + 290ms, t0 + 300ms, 100ms);
    health.TakenOffLine();

    const LinkCounts now{.requests = 15, .replies = 11, .timeouts = 3, .crcErrors = 1};
    const HealthFigures total = health.Total(now);
    EXPECT_EQ(total.link, now);
    EXPECT_EQ(total.offline, 2);
    EXPECT_EQ(total.reconnections, 1);
    EXPECT_EQ(total.ticks, 4);
    EXPECT_EQ(total.overruns, 1);
    EXPECT_NEAR(*total.meanPeriodMs, 290.0 / 3, 1e-9);

    const HealthFigures connection = health.ThisConnection(now);
    EXPECT_EQ(connection.link,
              (LinkCounts{.requests = 5, .replies = 3, .timeouts = 1, .crcErrors = 1}));
    EXPECT_EQ(connection.offline, 1);
    EXPECT_EQ(connection.reconnections, 0);
    EXPECT_EQ(connection.ticks, 2);
    EXPECT_EQ(connection.overruns, 0);
    // The spacings of the ticks since the connect, each measured from the tick before it.
    EXPECT_NEAR(*connection.meanPeriodMs, 95.0, 1e-9);
}

TEST(LinkHealthFigures, fieldsAndTheErrorSummaryNameEachFigure) {
    HealthFigures f;
    f.link = {.requests = 120,
              .replies = 110,
              .timeouts = 3,
              .crcErrors = 1,
              .frameErrors = 2,
              .stationErrors = 0,
              .wrongReplies = 4};
    f.offline = 1;
    f.reconnections = 1;
    f.overruns = 2;
    f.meanPeriodMs = 100.256;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"requests", "120"},
        {"replies", "110"},
        {"timeouts", "3"},
        {"crc_errors", "1"},
        {"frame_errors", "2"},
        {"station_errors", "0"},
        {"wrong_replies", "4"},
        {"offline", "1"},
        {"reconnections", "1"},
        {"overruns", "2"},
        {"mean_period_ms", "100.26"},
    };
    EXPECT_EQ(HealthFields(f), expected);
    EXPECT_EQ(HealthErrorSummary(f),
              "3 timeouts, 1 CRC error, 2 frame errors, 4 wrong replies, 1 time off line, "
              "2 overruns");
    EXPECT_EQ(HealthFields(HealthFigures{}).back().second, "none");
    EXPECT_EQ(HealthErrorSummary(HealthFigures{}), "no errors");
}

struct LinkHealthCore : ::testing::Test, ScriptedCore {};

TEST_F(LinkHealthCore, thePollCountsLossesAndReconnectionsAndEachConnectionStartsAtZero) {
    app.connection().SetSelectedPort("/dev/fake");
    const Bytes heat = Frame(0, cmd::GetHeat, Bytes(13, 0));

    script->Feed(panelwire::InfoReply("KRT-51 v2.3"));
    ASSERT_TRUE(app.connection().ConnectSelected());
    EXPECT_EQ(app.TotalHealth().link, (LinkCounts{.requests = 1, .replies = 1}));
    EXPECT_EQ(app.ConnectionHealth().link, LinkCounts{}) << "counted from the identification";

    script->Feed(heat);
    app.acquisition().Tick();
    app.acquisition().Tick();  // silence: off line
    EXPECT_FALSE(app.connection().onLine());
    script->Feed(panelwire::InfoReply("KRT-51 v2.3"));
    app.acquisition().Tick();  // connects again
    ASSERT_TRUE(app.connection().onLine());
    script->Feed(panelwire::ErrorReply(cmd::GetHeat, 2));
    app.acquisition().Tick();

    const HealthFigures total = app.TotalHealth();
    EXPECT_EQ(total.link,
              (LinkCounts{.requests = 5, .replies = 3, .timeouts = 1, .stationErrors = 1}));
    EXPECT_EQ(total.offline, 2);
    EXPECT_EQ(total.reconnections, 1);
    const HealthFigures connection = app.ConnectionHealth();
    EXPECT_EQ(connection.link, (LinkCounts{.requests = 1, .stationErrors = 1}));
    EXPECT_EQ(connection.offline, 1);
    EXPECT_EQ(connection.reconnections, 1) << "the reconnection that made it";
}

// Two figures of time on purpose: the poll rate is every tick of the poll, recording or not,
// failed or not; a recording's spacing is the time between the samples it stored, with the
// ticks that stored nothing inside its gaps. They part as soon as a poll fails.
TEST_F(LinkHealthCore, thePollRateCountsEveryTickWhereARecordingsSpacingCountsItsSamples) {
    app.connection().SetSelectedPort("/dev/fake");
    script->Feed(panelwire::InfoReply("KRT-51 v2.3"));
    ASSERT_TRUE(app.connection().ConnectSelected());
    Acquisition& acquisition = app.acquisition();
    acquisition.SetSamplePeriod(100);

    const Bytes heat = Frame(0, cmd::GetHeat, Bytes(13, 0));
    const Clock::time_point t0{};
    int ticks = 0;
    const auto tick = [&](const Bytes& reply) {
        script->Feed(reply);
        const Clock::time_point start = t0 + ticks++ * 100ms;
        acquisition.Tick(start);
        app.health().TickDone(start, start + 5ms, 100ms);
    };
    tick(heat);  // polled while stopped: no recording yet
    tick(heat);
    acquisition.Start();
    tick(heat);  // samples at 200, 300 and 400 ms
    tick(heat);
    tick(heat);
    tick(panelwire::ErrorReply(cmd::GetHeat, 2));  // busy: off line, no sample
    tick(panelwire::InfoReply("KRT-51 v2.3"));     // back on line, no sample
    tick(heat);                                    // samples at 700 and 800 ms
    tick(heat);

    const HealthFigures total = app.TotalHealth();
    EXPECT_EQ(total.ticks, 9);
    EXPECT_NEAR(*total.meanPeriodMs, 100.0, 1e-9) << "the poll kept its period";
    const SampleSpacing& spacing = acquisition.spacing();
    EXPECT_EQ(app.store().count(), 5);
    EXPECT_EQ(spacing.gaps(), 4);
    EXPECT_EQ(spacing.missed(), 2);
    EXPECT_NEAR(spacing.meanMs(), 150.0, 1e-9) << "the recording did not";
    EXPECT_EQ(acquisition.recordPeriodMs(), 150);
}

}  // namespace
