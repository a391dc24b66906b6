// The poll loop without a station: the recording states, the simulation and the full store.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Appcore.h"
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
