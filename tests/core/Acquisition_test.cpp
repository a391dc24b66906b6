// The poll loop without a station: the recording states, the simulation and the full store.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Appcore.h"
#include "core/Periodnotice.h"
#include "core/Tickschedule.h"
#include "tests/core/Fakepanelview.h"

namespace {

class RecordingView final : public MainView {
  public:
    void ShowConnection(const std::string&) override {}
    void DrawSample(int index) override { drawn.push_back(index); }
    void AutoScrollAfterAppend(int count) override { scrolledAt.push_back(count); }
    void LogCleared() override { ++cleared; }
    void StateChanged(AcqState s) override { state = s; }

    std::vector<int> drawn;
    std::vector<int> scrolledAt;
    int cleared = 0;
    AcqState state = AcqState::Stopped;
};

struct OffLineCore : ::testing::Test {
    OffLineCore() : app(panelView, view) {
        panelView.Attach(app.panel());
        app.connection().Disconnect();
    }
    Acquisition& loop() { return app.acquisition(); }
    FakePanelView panelView;
    RecordingView view;
    AppCore app;
};

TEST_F(OffLineCore, startPauseAndStopFollowTheStateTable) {
    using enum AcqState;
    enum class Act { Start, Pause, Stop };
    struct Case {
        AcqState from;
        Act act;
        AcqState to;
        bool clears;  // runs New
    };
    const Case cases[] = {
        {Stopped, Act::Start, Running, true}, {Paused, Act::Start, Running, false},
        {Running, Act::Start, Paused, false}, {Stopped, Act::Pause, Paused, false},
        {Paused, Act::Pause, Running, false}, {Running, Act::Pause, Paused, false},
        {Stopped, Act::Stop, Stopped, false}, {Paused, Act::Stop, Stopped, false},
        {Running, Act::Stop, Stopped, false},
    };
    for (const Case& c : cases) {
        // Reach the starting state.
        loop().Stop();
        if (c.from == Paused) loop().Pause();
        if (c.from == Running) loop().Start();
        ASSERT_EQ(loop().state(), c.from);
        app.store().Append(TraceSample{1});
        app.store().setModified(false);
        const int cleared = view.cleared;
        switch (c.act) {
            case Act::Start:
                loop().Start();
                break;
            case Act::Pause:
                loop().Pause();
                break;
            case Act::Stop:
                loop().Stop();
                break;
        }
        EXPECT_EQ(loop().state(), c.to);
        EXPECT_EQ(view.state, c.to) << "check marks follow the state";
        EXPECT_EQ(view.cleared - cleared, c.clears ? 1 : 0);
        EXPECT_EQ(app.store().count() == 0, c.clears);
        const bool started = c.act == Act::Start && c.to == Running;
        EXPECT_EQ(app.store().modified(), started) << "Start sets modified, nothing else here";
    }
}

TEST_F(OffLineCore, simulatedSamplesFollowTheSineAndNeverResetItsPhase) {
    loop().options().simulate = true;
    loop().options().autoConnect = false;
    loop().Start();
    for (int i = 0; i < 300; ++i) loop().Tick();
    const TraceStore& store = app.store();
    ASSERT_EQ(store.count(), 300);
    std::vector<int> rises;  // where Tset crosses its middle upwards
    for (int i = 0; i < store.count(); ++i) {
        const int x = static_cast<int>(std::sin(i * 0.05) * 300 + 300);
        ASSERT_EQ(store.value(Tset, i), x + 200) << i;
        EXPECT_EQ(store.value(Vget, i), x + 2000);
        EXPECT_EQ(store.value(Pwm, i), x + 200);
        EXPECT_GE(store.value(Tset, i), 200);
        EXPECT_LE(store.value(Tset, i), 800);
        if (i > 0 && store.value(Tset, i - 1) < 500 && store.value(Tset, i) >= 500)
            rises.push_back(i);
    }
    ASSERT_EQ(rises.size(), 2u);
    EXPECT_NEAR(rises[1] - rises[0], 126, 1) << "a period of 2 pi / 0.05 samples";
    EXPECT_EQ(view.drawn.size(), 300u);
    EXPECT_EQ(panelView.Value(PanelView::Field::Tset), 0) << "the panel is left alone";

    // Stop and a new recording: the sine goes on where it was.
    loop().Stop();
    loop().Start();
    loop().Tick();
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(store.value(Tset, 0), static_cast<int>(std::sin(300 * 0.05) * 300 + 300) + 200);
}

TEST_F(OffLineCore, aFullStoreStopsAtTheNextSampleAndKeepsWhatItHolds) {
    loop().options().simulate = true;
    loop().options().autoConnect = false;
    loop().Start();
    for (int i = 0; i < TraceCapacity; ++i) loop().Tick();
    EXPECT_EQ(app.store().count(), TraceCapacity);
    EXPECT_EQ(loop().state(), AcqState::Running);
    loop().Tick();
    EXPECT_EQ(loop().state(), AcqState::Stopped);
    EXPECT_EQ(view.state, AcqState::Stopped);
    EXPECT_EQ(app.store().count(), TraceCapacity);
}

TEST_F(OffLineCore, everySampleAppendedWhileRunningMarksTheLogModified) {
    loop().options().simulate = true;
    loop().options().autoConnect = false;
    loop().Start();
    loop().Tick();
    // New while recording: the store is empty and clean, but recording goes on.
    loop().New();
    EXPECT_FALSE(app.store().modified());
    EXPECT_EQ(loop().state(), AcqState::Running);
    loop().Tick();
    EXPECT_EQ(app.store().count(), 1);
    EXPECT_TRUE(app.store().modified()) << "closing now would lose the sample";

    // Paused: nothing is appended, so a New stays clean.
    loop().Pause();
    loop().New();
    loop().Tick();
    EXPECT_EQ(app.store().count(), 0);
    EXPECT_FALSE(app.store().modified());
}

TEST_F(OffLineCore, withoutSimulationOffLineTicksAppendNothing) {
    loop().options().autoConnect = false;
    loop().Start();
    for (int i = 0; i < 5; ++i) loop().Tick();
    EXPECT_EQ(app.store().count(), 0);
    EXPECT_EQ(loop().state(), AcqState::Running);
}

/// Simulated samples at chosen tick start times: the recording's spacing without a clock.
struct TimedCore : OffLineCore {
    TimedCore() {
        loop().options().simulate = true;
        loop().options().autoConnect = false;
    }
    /// `n` ticks, `gapUs` apart, the first one `gapUs` after the last.
    void Ticks(int n, long gapUs) {
        for (int i = 0; i < n; ++i) {
            now += std::chrono::microseconds(gapUs);
            loop().Tick(now);
        }
    }
    SampleSpacing::Clock::time_point now =
        SampleSpacing::Clock::time_point() + std::chrono::hours(1);
};

TEST_F(TimedCore, theLogTakesTheAchievedMeanWhenTheSetPeriodIsNotKept) {
    struct Case {
        int setMs;
        long gapUs;
        int recordMs;
        std::string notice;
    };
    const Case cases[] = {
        {20, 20000, 20, ""},
        {20, 20150, 20, ""},
        {20, 21600, 22, "20 ms not kept: 21.6 ms"},
        {40, 48000, 48, "40 ms not kept: 48.0 ms"},
        {100, 100900, 100, ""},
        {100, 113900, 114, "100 ms not kept: 113.9 ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gapUs);
        loop().Stop();
        loop().SetSamplePeriod(c.setMs);
        loop().Start();
        EXPECT_EQ(loop().recordPeriodMs(), c.setMs) << "nothing measured yet";
        Ticks(50, c.gapUs);
        ASSERT_EQ(app.store().count(), 50);
        EXPECT_EQ(loop().recordPeriodMs(), c.recordMs);
        EXPECT_EQ(NoticeOf(loop(), DeviceKind::None).text, c.notice);
        loop().Stop();
        EXPECT_EQ(loop().recordPeriodMs(), c.recordMs) << "the stopped log keeps its figure";
    }
}

TEST_F(TimedCore, aPauseIsNoGapAndAFreshRecordingMeasuresAfresh) {
    loop().SetSamplePeriod(20);
    loop().Start();
    Ticks(10, 30000);
    loop().Pause();
    Ticks(100, 20000);  // paused: nothing is appended
    loop().Pause();
    Ticks(10, 30000);
    EXPECT_EQ(app.store().count(), 20);
    EXPECT_EQ(loop().spacing().gaps(), 18) << "nine gaps in each stretch";
    EXPECT_EQ(loop().recordPeriodMs(), 30);

    loop().Stop();
    loop().Start();
    Ticks(10, 20000);
    EXPECT_EQ(loop().recordPeriodMs(), 20);
    EXPECT_EQ(loop().spacing().gaps(), 9);
}

TEST_F(TimedCore, ticksThatStoreNothingAreTheLinesFaults) {
    loop().SetSamplePeriod(40);
    loop().Start();
    Ticks(5, 40000);
    loop().options().simulate = false;  // the station is away for two ticks
    Ticks(2, 40000);
    loop().options().simulate = true;
    Ticks(5, 40000);
    EXPECT_EQ(app.store().count(), 10);
    EXPECT_EQ(loop().spacing().missed(), 2);
    EXPECT_EQ(loop().recordPeriodMs(), 49) << "nine gaps over 440 ms";
    const PeriodNotice notice = NoticeOf(loop(), DeviceKind::Krf51);
    EXPECT_EQ(notice.text, "40 ms not kept: 48.9 ms");
    EXPECT_EQ(notice.cause, "line faults");

    loop().Pause();
    Ticks(3, 40000);
    EXPECT_EQ(loop().spacing().missed(), 2) << "paused ticks miss nothing";
}

TEST_F(TimedCore, aPeriodSetDuringARecordingWaitsForStop) {
    loop().SetSamplePeriod(100);
    loop().Start();
    Ticks(5, 100000);
    loop().SetSamplePeriod(500);
    EXPECT_EQ(loop().pollPeriodMs(), 100) << "the recording keeps its spacing";
    EXPECT_EQ(loop().pendingPeriodMs(), 500);
    EXPECT_EQ(NoticeOf(loop(), DeviceKind::None).text, "next: 500 ms");
    loop().Pause();
    EXPECT_EQ(loop().pollPeriodMs(), 100) << "paused is still under way";
    loop().Start();
    Ticks(5, 100000);
    EXPECT_EQ(loop().recordPeriodMs(), 100);

    loop().Stop();
    EXPECT_EQ(loop().pollPeriodMs(), 500);
    EXPECT_EQ(loop().pendingPeriodMs(), std::nullopt);
    EXPECT_EQ(loop().recordPeriodMs(), 100) << "the log keeps the period it was recorded at";
    loop().SetSamplePeriod(200);
    EXPECT_EQ(loop().recordPeriodMs(), 100) << "a stopped log keeps it too";

    // Continuing the stopped log polls at its own period again.
    loop().Pause();
    EXPECT_EQ(loop().pollPeriodMs(), 100);
    loop().Stop();
    // New empties the log: the set period applies at once.
    loop().New();
    EXPECT_EQ(loop().recordPeriodMs(), 200);
    loop().Start();
    EXPECT_EQ(loop().pollPeriodMs(), 200);
}

TEST_F(TimedCore, aLoadedLogStandsForItsFilesPeriod) {
    loop().SetSamplePeriod(100);
    app.store().Append(TraceSample{1});
    app.store().Append(TraceSample{2});
    loop().LogLoaded(60);
    EXPECT_EQ(loop().recordPeriodMs(), 60);
    EXPECT_EQ(loop().pollPeriodMs(), 100);
    loop().Pause();  // continues the loaded log
    EXPECT_EQ(loop().pollPeriodMs(), 60);
    loop().Pause();
    Ticks(4, 60000);
    EXPECT_EQ(app.store().count(), 6);
    EXPECT_EQ(loop().recordPeriodMs(), 60);
    EXPECT_EQ(loop().spacing().gaps(), 3) << "no gap back to the file's last row";
}

TEST(TickScheduleTest, deadlinesAreStartToStartAndAnOverrunRebases) {
    using namespace std::chrono;
    const TickSchedule::Clock::time_point t0{};
    TickSchedule s(milliseconds(100));
    s.Start(t0);
    EXPECT_EQ(s.next(), t0 + milliseconds(100));
    // A tick that took 30 ms does not push the next one back.
    s.TickDone(t0 + milliseconds(130));
    EXPECT_EQ(s.next(), t0 + milliseconds(200));
    EXPECT_EQ(s.DelayFrom(t0 + milliseconds(130)), milliseconds(70));
    // A tick that ran past its slot: the next starts at once, the schedule moves there.
    s.TickDone(t0 + milliseconds(450));
    EXPECT_EQ(s.next(), t0 + milliseconds(450));
    EXPECT_EQ(s.DelayFrom(t0 + milliseconds(450)), milliseconds(0));
    s.TickDone(t0 + milliseconds(460));
    EXPECT_EQ(s.next(), t0 + milliseconds(550));
    // A new period counts from the next deadline on.
    s.SetPeriod(milliseconds(500));
    s.TickDone(t0 + milliseconds(560));
    EXPECT_EQ(s.next(), t0 + milliseconds(1050));
}

}  // namespace
