// What the recording journal holds as the log is recorded, continued, cut, re-laid out, saved
// and thrown away: always what a save of the log would write, from the first unsaved sample on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/Appcore.h"
#include "files/Datafile.h"
#include "support/Tempfolder.h"
#include "tests/core/Fakepanelview.h"

namespace fs = std::filesystem;

namespace {

using datafile::TraceVisibility;

constexpr TraceVisibility AllVisible = {true, true, true, true, true, true, true, true, true};
constexpr TraceVisibility TwoVisible = {true,  false, false, false, false,
                                        false, true,  false, false};

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct JournaledCore : ::testing::Test {
    JournaledCore() : app(panelView, view) {
        panelView.Attach(app.panel());
        app.connection().Disconnect();
        app.acquisition().options().autoConnect = false;
        app.acquisition().options().simulate = true;
        app.journal().Keep(std::make_unique<JournalWriter>(path));
        app.journal().SetLayout(app.store(), AllVisible, 100);
    }
    /// The journal once the writer has caught up.
    std::string Journal() {
        app.journal().writer()->Flush();
        return fs::exists(path) ? FileText(path) : "(none)";
    }
    std::string Saved(const TraceVisibility& visible, int periodMs) {
        return datafile::FormatDataFile(app.store(), visible, periodMs);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) app.acquisition().Tick();
    }

    TempFolder folder;
    const fs::path path = folder / "recording.dat";
    FakePanelView panelView;
    NullMainView view;
    AppCore app;
};

TEST_F(JournaledCore, holdsWhatASaveWouldWriteFromTheFirstUnsavedSampleOn) {
    Acquisition& loop = app.acquisition();
    EXPECT_EQ(Journal(), "(none)") << "nothing before a sample is recorded";
    loop.Start();
    EXPECT_EQ(Journal(), "(none)") << "Start alone records nothing";
    Ticks(5);
    ASSERT_EQ(app.store().count(), 5);
    EXPECT_EQ(Journal(), Saved(AllVisible, 100));

    loop.Pause();
    Ticks(3);
    loop.Start();  // continues the same log
    Ticks(2);
    EXPECT_EQ(Journal(), Saved(AllVisible, 100));

    app.journal().SetLayout(app.store(), TwoVisible, 40);
    EXPECT_EQ(Journal(), Saved(TwoVisible, 40)) << "another layout rewrites it";

    ASSERT_TRUE(app.store().CutLeft(3));
    app.journal().Rewritten(app.store());
    EXPECT_EQ(Journal(), Saved(TwoVisible, 40)) << "a cut rewrites it, timed from 0";

    // Saved: the journal goes; recording on brings the whole log back into it.
    app.journal().Discard();
    EXPECT_EQ(Journal(), "(none)");
    app.journal().SetLayout(app.store(), AllVisible, 40);
    EXPECT_EQ(Journal(), "(none)") << "a layout change alone does not start one";
    Ticks(1);
    EXPECT_EQ(app.store().count(), 5);
    EXPECT_EQ(Journal(), Saved(AllVisible, 40));

    loop.Stop();
    loop.Start();  // New: the unsaved log is thrown away on purpose
    EXPECT_EQ(Journal(), "(none)");
    Ticks(2);
    EXPECT_EQ(Journal(), Saved(AllVisible, 40));
}

TEST_F(JournaledCore, aLogReadBackIsAdoptedAndAFullStoreEndsTheRows) {
    for (int i = 0; i < TraceCapacity - 2; ++i) app.store().Append(TraceSample{i, -i});
    app.journal().Adopt(app.store());
    EXPECT_EQ(Journal(), Saved(AllVisible, 100));
    app.acquisition().Pause();
    app.acquisition().Start();
    Ticks(4);  // two fill the store, the third stops the recording
    EXPECT_EQ(app.store().count(), TraceCapacity);
    EXPECT_EQ(app.acquisition().state(), AcqState::Stopped);
    EXPECT_EQ(Journal(), Saved(AllVisible, 100));
}

TEST_F(JournaledCore, theChangeMarksFollowTheJournalInItsEventsFile) {
    const fs::path events = folder / "recording.events";
    const auto Events = [&]() -> std::string {
        app.journal().writer()->Flush();
        return fs::exists(events) ? FileText(events) : "(none)";
    };
    Acquisition& loop = app.acquisition();
    loop.Start();
    app.changelog().Record(0, "Tset 250.0 \u2192 300.0 \u00b0C");
    EXPECT_EQ(Events(), "(none)") << "no journal yet, so no marks beside it";
    Ticks(4);
    EXPECT_EQ(Events(), app.changelog().Format(100)) << "the first mark arrives with the journal";
    app.changelog().Record(4, "Heater PID: Kp 40 \u2192 45");
    Ticks(1);
    EXPECT_EQ(Events(), app.changelog().Format(100)) << "the next with the sample it precedes";

    app.journal().SetLayout(app.store(), AllVisible, 40);
    EXPECT_EQ(Events(), app.changelog().Format(40)) << "times follow the period";

    ASSERT_TRUE(app.CutLeft(2));
    app.journal().Rewritten(app.store());
    ASSERT_EQ(app.changelog().events().size(), 1u);
    EXPECT_EQ(Events(), app.changelog().Format(40)) << "a cut rewrites the marks with the rows";

    ASSERT_TRUE(app.CutRight(1));
    app.journal().Rewritten(app.store());
    EXPECT_EQ(Events(), "(none)") << "no mark left, no file";

    app.changelog().Record(2, "Write Params");
    Ticks(1);
    EXPECT_NE(Events(), "(none)");
    loop.Stop();
    loop.Start();  // New: the log and its marks are thrown away
    EXPECT_EQ(Events(), "(none)");
    EXPECT_EQ(Journal(), "(none)");
}

TEST(JournalKeeper, withoutAWriterItStaysInactive) {
    // The window before its journal folder is claimed, and a folder that could not be used.
    auto store = std::make_unique<TraceStore>();
    JournalKeeper keeper;
    keeper.SetLayout(*store, AllVisible, 100);
    store->Append(TraceSample{1});
    keeper.Appended(*store, 0);
    keeper.Adopt(*store);
    keeper.Rewritten(*store);
    EXPECT_FALSE(keeper.active());
    keeper.Discard();
    EXPECT_EQ(keeper.TakeError(), std::nullopt);
}

}  // namespace
