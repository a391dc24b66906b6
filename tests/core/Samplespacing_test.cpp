// The achieved period of a recording from the start times of the ticks that appended samples.
#include <gtest/gtest.h>

#include <vector>

#include "core/Samplespacing.h"

namespace {

using namespace std::chrono_literals;
using Clock = SampleSpacing::Clock;
using Micros = std::chrono::microseconds;

/// Feeds appends at the given gaps (microseconds) after a first one at an arbitrary origin.
SampleSpacing Fed(int setPeriodMs, const std::vector<long>& gapsUs) {
    SampleSpacing spacing;
    spacing.Begin(setPeriodMs);
    Clock::time_point t = Clock::time_point() + 12345ms;
    spacing.Appended(t);
    for (const long gap : gapsUs) {
        t += Micros(gap);
        spacing.Appended(t);
    }
    return spacing;
}

TEST(SampleSpacing, keepsThePeriodWithinOnePercentAndOtherwiseRoundsTheMean) {
    struct Case {
        const char* what;
        int setMs;
        std::vector<long> gapsUs;
        double meanMs;
        bool kept;
        int recordMs;
        int overruns;
    };
    const Case cases[] = {
        {"nothing measured yet", 20, {}, 20.0, true, 20, 0},
        {"exact ticks", 100, {100000, 100000, 100000}, 100.0, true, 100, 0},
        {"jitter around the period", 100, {99000, 101000, 100500, 99500}, 100.0, true, 100, 0},
        {"one percent slow is still kept", 100, {101000, 101000}, 101.0, true, 100, 0},
        {"a short recording's late last tick", 20, {20000, 21500}, 20.75, true, 20, 1},
        {"two ms of span is a late tick", 20, {20000, 22000}, 21.0, true, 20, 1},
        {"more is not", 20, {20000, 22100}, 21.05, false, 21, 1},
        {"just over one percent", 100, {101100, 101100}, 101.1, false, 101, 2},
        {"KRF-51 at 20 ms", 20, {21600, 21600, 21600, 21600}, 21.6, false, 22, 4},
        {"one long gap in four", 40, {40000, 40000, 40000, 80000}, 50.0, false, 50, 1},
        {"early ticks make the mean short", 100, {98000, 98000}, 98.0, false, 98, 0},
        {"rounds half up", 20, {22500, 22500}, 22.5, false, 23, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SampleSpacing s = Fed(c.setMs, c.gapsUs);
        EXPECT_EQ(s.setPeriodMs(), c.setMs);
        EXPECT_EQ(s.gaps(), static_cast<int>(c.gapsUs.size()));
        EXPECT_NEAR(s.meanMs(), c.meanMs, 1e-9);
        EXPECT_EQ(s.kept(), c.kept);
        EXPECT_EQ(s.recordPeriodMs(), c.recordMs);
        EXPECT_EQ(s.overruns(), c.overruns);
    }
}

TEST(SampleSpacing, aBreakLeavesTheTimeBetweenStretchesOut) {
    SampleSpacing s;
    s.Begin(20);
    const Clock::time_point t0 = Clock::time_point() + 1s;
    s.Appended(t0);
    s.Appended(t0 + 22ms);
    s.Break();  // paused for ten seconds
    s.Appended(t0 + 10s);
    s.Appended(t0 + 10s + 22ms);
    EXPECT_EQ(s.gaps(), 2);
    EXPECT_DOUBLE_EQ(s.meanMs(), 22.0);
    EXPECT_EQ(s.recordPeriodMs(), 22);
}

TEST(SampleSpacing, beginForgetsTheLastRecording) {
    SampleSpacing s = Fed(20, {30000, 30000});
    s.Missed();
    ASSERT_FALSE(s.kept());
    ASSERT_EQ(s.missed(), 1);
    s.Begin(40);
    EXPECT_EQ(s.gaps(), 0);
    EXPECT_EQ(s.overruns(), 0);
    EXPECT_EQ(s.missed(), 0);
    EXPECT_TRUE(s.kept());
    EXPECT_EQ(s.recordPeriodMs(), 40);
    // The first sample after Begin starts a stretch; it is no gap from the old last sample.
    s.Appended(Clock::time_point() + 100s);
    EXPECT_EQ(s.gaps(), 0);
}

}  // namespace
