// The change marks: what each command sent while recording leaves in the log, how the log
// follows the store, and its file beside the data file.
#include "core/Changelog.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/Changemarks.h"
#include "support/Tempfolder.h"
#include "tests/core/Panelwire.h"
#include "tests/core/Scriptedcore.h"

namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Changelog ThreeEvents() {
    Changelog log;
    log.Record(0, "Write Params");
    log.Record(25, "Tset 250.0 \u2192 300.0 \u00b0C");
    log.Record(40, "Heater PID: Kp 40 \u2192 45");
    return log;
}

TEST(ChangelogFile, writesTimesOnTheDataFilesTimeBaseAndReadsThemBack) {
    const Changelog log = ThreeEvents();
    const std::string text = log.Format(20);
    EXPECT_EQ(text,
              "Time\tEvent\r\n0\tWrite Params\r\n500\tTset 250.0 \u2192 300.0 \u00b0C\r\n"
              "800\tHeater PID: Kp 40 \u2192 45\r\n");
    EXPECT_EQ(Changelog::Parse(text, 20).events(), log.events());
    // A time between samples lands on the nearest one; LF alone and a blank last line do too.
    EXPECT_EQ(Changelog::Parse("Time\tEvent\n29\ta\n31\tb\n\n", 20).events(),
              (std::vector<ChangeEvent>{{1, "a"}, {2, "b"}}));
}

TEST(ChangelogFile, refusesLinesItCannotRead) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "Bad events file: line 1: the file is empty"},
        {"Time\tWhat\r\n", "Bad events file: line 1: the header is not Time<TAB>Event"},
        {"Time\tEvent\r\n100 Tset\r\n", "Bad events file: line 2: no TAB"},
        {"Time\tEvent\r\n1.5\tTset\r\n",
         "Bad events file: line 2: the time is not a whole number of ms"},
        {"Time\tEvent\r\n-100\tTset\r\n",
         "Bad events file: line 2: the time is not a whole number of ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            Changelog::Parse(c.text, 100);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(ChangelogFile, savesBesideTheDataFileAndAnEmptyLogRemovesAStaleFile) {
    TempFolder folder;
    const auto data = folder / "run.dat";
    EXPECT_EQ(Changelog::PathBeside(data), folder / "run.events");
    EXPECT_TRUE(Changelog::LoadBeside(data, 100).events().empty()) << "no file, no events";

    ThreeEvents().SaveBeside(data, 100);
    EXPECT_EQ(ReadText(folder / "run.events").substr(0, 13), "Time\tEvent\r\n0");
    EXPECT_EQ(Changelog::LoadBeside(data, 100).events(), ThreeEvents().events());

    Changelog().SaveBeside(data, 100);
    EXPECT_FALSE(std::filesystem::exists(folder / "run.events"));
}

TEST(ChangelogEdits, cutsKeepTheEventsOnTheirSamplesAndTextStaysOnOneLine) {
    struct Case {
        const char* what;
        void (*edit)(Changelog&);
        std::vector<int> samples;
    };
    const Case cases[] = {
        {"cut left at 25: earlier events go, the rest move",
         [](Changelog& l) { l.CutLeft(25); },
         {0, 15}},
        {"cut left at 0 keeps all", [](Changelog& l) { l.CutLeft(0); }, {0, 25, 40}},
        {"cut right at 25 keeps the event on the last sample",
         [](Changelog& l) { l.CutRight(25); },
         {0, 25}},
        {"cut right at 24", [](Changelog& l) { l.CutRight(24); }, {0}},
        {"clear", [](Changelog& l) { l.Clear(); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Changelog log = ThreeEvents();
        c.edit(log);
        std::vector<int> samples;
        for (const ChangeEvent& e : log.events()) samples.push_back(e.sample);
        EXPECT_EQ(samples, c.samples);
    }
    Changelog log;
    log.Record(99999, "a\tb\r\nc");
    EXPECT_EQ(log.events(), (std::vector<ChangeEvent>{{TraceCapacity - 1, "a b  c"}}));
}

TEST(ChangeMarksText, namesWhatEachCommandChangedFromWhatWasKnown) {
    Changelog log;
    ChangeMarks marks(log, [] { return std::optional<int>(7); });
    marks.Received(HeatStatus{.Tset = 2500});
    marks.Received(HeaterPid{{40, 5, 60, true}});
    marks.Received(HeaterParams{.Plim = 1000, .Gain = 1000});
    marks.Received(FanStatus{.Vset = 1500});
    marks.Received(Timers{600, 1800, 0});
    marks.Received(Preset{2, 1500, 1000, 1});
    struct Case {
        StationRecord sent;
        std::string text;
    };
    const Case cases[] = {
        // With the PID on, the manual power the panel sends along changes nothing.
        {HeaterSetPoint{3000, 0}, "Tset 250.0 \u2192 300.0 \u00b0C"},
        {HeaterSetPoint{3000, 0}, ""},
        {HeaterSetPoint{3000, 55}, ""},
        {HeaterPid{{45, 5, 60, true}}, "Heater PID: Kp 40 \u2192 45"},
        {HeaterPid{{45, 6, 61, false}},
         "Heater PID: Ki 5 \u2192 6, Kd 60 \u2192 61, PID on \u2192 off"},
        {HeaterSetPoint{3000, 70}, "Power 5.5 \u2192 7.0 %"},
        {HeaterParams{.Plim = 800, .Gain = 1000}, "P_lim 100.0 \u2192 80.0 %"},
        {HeaterParams{.Plim = 800, .Gain = 1025}, "Gain 1.000 \u2192 1.025"},
        {FanSetPoint{2000, 40}, "Vset 1500 \u2192 2000 rpm, PWM 40"},
        {FanPid{{1, 2, 3, true}}, "Fan PID: Kp 1, Ki 2, Kd 3, PID on"},
        {FanSetPoint{2000, 41}, ""},
        {Timers{300, 1800, 0}, "Timers: TmStb 600 \u2192 300 s"},
        {Preset{2, 1800, 1000, 1}, "Preset STB: T 150.0 \u2192 180.0 \u00b0C"},
        {Preset{4, 3500, 0, 0}, "Preset 1: T 350.0 \u00b0C, V 0 rpm, C 0"},
        {FanOptions{.StepVnorm = 10},
         "Fan options: StepVnorm 10 rpm, StepVlarge 0 rpm, EnableErF off, ErFdelay 0 ms, ErFdV 0 "
         "rpm"},
        {FanOptions{.StepVnorm = 20}, "Fan options: StepVnorm 10 \u2192 20 rpm"},
    };
    std::vector<ChangeEvent> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(marks.Describe(c.sent), c.text);
        marks.Sent(c.sent);
        if (!c.text.empty()) expected.push_back({7, c.text});
    }
    EXPECT_EQ(log.events(), expected);
}

TEST(ChangeMarksText, aBatchLeavesOneMarkUnderItsNameAndOnlyWhenSomethingChanged) {
    Changelog log;
    std::optional<int> sample = 3;
    ChangeMarks marks(log, [&] { return sample; });
    marks.Received(HeaterPid{{40, 5, 60, true}});
    {
        ChangeMarks::Batch batch(marks, "Write Params");
        marks.Sent(HeaterPid{{40, 5, 60, true}});
    }
    EXPECT_TRUE(log.events().empty()) << "nothing changed";
    {
        ChangeMarks::Batch outer(marks, "Write Params");
        ChangeMarks::Batch inner(marks, "Settings: options");
        marks.Sent(HeaterPid{{41, 5, 60, true}});
        marks.Sent(Timers{1, 2, 3});
    }
    EXPECT_EQ(log.events(), (std::vector<ChangeEvent>{{3, "Write Params"}}));
    sample.reset();  // not recording
    marks.Sent(HeaterPid{{42, 5, 60, true}});
    EXPECT_EQ(log.events().size(), 1u);
    EXPECT_EQ(marks.Describe(HeaterPid{{42, 5, 60, true}}), "") << "still remembered";
}

struct ChangeMarksCore : ::testing::Test, ScriptedCore {};

TEST_F(ChangeMarksCore, theCoreMarksWhatThePanelSendsWhileRunningAndNewClearsIt) {
    // Off line the link sends nothing, so nothing is marked.
    app.acquisition().Start();
    panelView.SetValue(PanelView::Field::HKp, 41);
    EXPECT_TRUE(app.changelog().events().empty());

    app.connection().SetSelectedPort("/dev/fake");
    script->Feed(panelwire::InfoReply("KRT-51 v2.3"));
    ASSERT_TRUE(app.connection().ConnectSelected());
    app.store().Append(TraceSample{});
    app.store().Append(TraceSample{});
    script->Feed(panelwire::Ack(panelwire::SetPIDH));
    panelView.SetValue(PanelView::Field::HKp, 42);
    ASSERT_EQ(app.changelog().events().size(), 1u);
    EXPECT_EQ(app.changelog().events()[0].sample, 2);
    EXPECT_EQ(app.changelog().events()[0].text.substr(0, 14), "Heater PID: Kp");

    EXPECT_TRUE(app.CutLeft(1));
    EXPECT_EQ(app.changelog().events()[0].sample, 1);
    app.acquisition().New();
    EXPECT_TRUE(app.changelog().events().empty());
}

}  // namespace
