// The window's recording journal: kept while a recording is unsaved, offered back at the next
// start (Yes loads it, No sets it aside), locked per window, and a full disk only said once.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>

#include "files/Datafile.h"
#include "files/Journalwriter.h"
#include "support/Filesizelimit.h"
#include "support/Tempfolder.h"
#include "tests/ui/Eventually.h"
#include "ui/Main.h"
#include "ui/Onmodal.h"

namespace fs = std::filesystem;

namespace {

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

/// A window with simulated data at 20 ms and no station, journaling into its own folder.
class JournalWindow : public ::testing::Test {
  protected:
    JournalWindow() {
        WriteText(folder / "tavolin.ini",
                  "[General]\r\nSimulate=1\r\n[Settings]\r\nSample=20\r\nAutoConnect=0\r\n");
    }
    std::unique_ptr<TMainForm> Window() {
        return std::make_unique<TMainForm>(folder / "tavolin.ini", folder.path().string() + "/");
    }
    /// The journal as the writer has it on disk once it has caught up.
    static std::string Journal(TMainForm& window) {
        window.core().journal().writer()->Flush();
        return fs::exists(window.journalFile()) ? FileText(window.journalFile()) : "(none)";
    }
    static std::string Saved(TMainForm& window) {
        // With the period the window saves with: the one the log achieved.
        return datafile::FormatDataFile(window.store(), window.visibleTraces(),
                                        window.acquisition().recordPeriodMs());
    }
    static void Record(TMainForm& window, int samples) {
        if (!window.action("acStart")->isChecked()) window.action("acStart")->trigger();
        const int target = window.store().count() + samples;
        ASSERT_TRUE(
            Eventually([&] { return window.store().count() >= target; }, std::chrono::seconds(20)));
        window.action("acStop")->trigger();
        ASSERT_GE(window.store().count(), target) << "the simulated recording stalled";
    }

    TempFolder folder;
    const fs::path state = folder / "state";
};

TEST_F(JournalWindow, keepsTheRecordingUntilItIsSavedAndNewThrowsItAway) {
    auto window = Window();
    EXPECT_FALSE(window->KeepJournal(state));
    EXPECT_EQ(window->journalFile(), state / "recording.dat");
    Record(*window, 10);
    EXPECT_EQ(Journal(*window), Saved(*window));

    ASSERT_TRUE(window->SaveDataFile(QString::fromStdString((folder / "log.dat").string())));
    EXPECT_EQ(Journal(*window), "(none)") << "saved: nothing left to lose";

    window->action("acPause")->trigger();  // Pause, then Start: the same log goes on
    Record(*window, 3);
    EXPECT_EQ(Journal(*window), Saved(*window)) << "the whole log, saved rows included";

    OnModal<QMessageBox> no([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    window->action("acNew")->trigger();
    EXPECT_EQ(no.seen(), 1);
    EXPECT_EQ(Journal(*window), "(none)");
}

TEST_F(JournalWindow, yesOpensTheJournalLeftBehindAsAnUnsavedLog) {
    fs::create_directories(state);
    const std::string left = "Time\tTget\tPower\r\n0\t2000\t5\r\n60\t2010\t6\r\n120\t20";
    WriteText(state / "recording.dat", left);
    const std::string marks = "Time\tEvent\r\n60\tTset 200.0 \u2192 201.0 \u00b0C\r\n";
    WriteText(state / "recording.events", marks);
    auto window = Window();
    ASSERT_TRUE(window->KeepJournal(state));
    QString question;
    OnModal<QMessageBox> yes([&](QMessageBox& box) {
        question = box.text();
        box.button(QMessageBox::Yes)->click();
    });
    window->OfferRecovery();
    EXPECT_EQ(question, "A recording was not saved when Tavolin last closed. Open it?");
    ASSERT_EQ(window->store().count(), 2) << "the row the crash cut short is left out";
    EXPECT_EQ(window->store().value(Tget, 1), 2010);
    EXPECT_EQ(window->store().value(Power, 1), 6);
    EXPECT_TRUE(window->store().modified());
    EXPECT_EQ(window->windowTitle(), "Tavolin - recovered recording (not saved)");
    EXPECT_EQ(window->config().samplePeriodMs, 60);
    EXPECT_FALSE(window->visibleTraces()[Tset]);
    EXPECT_TRUE(window->visibleTraces()[Tget]);
    EXPECT_EQ(Journal(*window), Saved(*window)) << "kept, and whole again, until saved";
    ASSERT_EQ(window->core().changelog().events().size(), 1u) << "the marks come back too";
    EXPECT_EQ(window->core().changelog().events()[0].sample, 1);
    EXPECT_EQ(FileText(state / "recording.events"), marks);

    window->action("acPause")->trigger();
    Record(*window, 3);
    EXPECT_EQ(Journal(*window), Saved(*window)) << "recording on continues the journal";
}

TEST_F(JournalWindow, noSetsItAsideAndKeepsTheNewestFive) {
    fs::create_directories(state);
    const char* older[] = {"recording-20261201-090000.dat", "recording-20261202-090000.dat",
                           "recording-20261203-090000.dat", "recording-20261204-090000.dat",
                           "recording-20261205-090000.dat"};
    for (const char* name : older) WriteText(state / name, "Time\r\n");
    const std::string left = "Time\tTset\r\n0\t2500\r\n";
    WriteText(state / "recording.dat", left);
    WriteText(state / "recording.events", "marks");
    auto window = Window();
    ASSERT_TRUE(window->KeepJournal(state));
    OnModal<QMessageBox> no([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    window->OfferRecovery();
    EXPECT_EQ(no.seen(), 1);
    EXPECT_EQ(window->store().count(), 0);
    EXPECT_FALSE(fs::exists(state / "recording.dat"));
    EXPECT_FALSE(fs::exists(state / "recording.events"));
    EXPECT_FALSE(fs::exists(state / older[0])) << "the oldest of six set aside goes";

    int aside = 0;
    fs::path newest;
    for (const auto& entry : fs::directory_iterator(state)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("recording-") || !name.ends_with(".dat")) continue;
        ++aside;
        if (newest.empty() || entry.path() > newest) newest = entry.path();
    }
    EXPECT_EQ(aside, 5);
    EXPECT_EQ(FileText(newest), left) << newest;
    EXPECT_EQ(FileText(fs::path(newest).replace_extension(".events")), "marks");

    Record(*window, 2);
    EXPECT_EQ(Journal(*window), Saved(*window)) << "the window journals anew";
}

TEST_F(JournalWindow, theCloseQuestionThrowsTheJournalAwayOnlyOnNo) {
    struct Case {
        QMessageBox::StandardButton answer;
        bool kept;
    };
    // Yes with the save dialog cancelled saves nothing and keeps the window: the journal stays.
    for (const Case c : {Case{QMessageBox::No, false}, Case{QMessageBox::Yes, true}}) {
        SCOPED_TRACE(c.kept ? "Yes, then Cancel in the save dialog" : "No");
        auto window = Window();
        ASSERT_FALSE(window->KeepJournal(state));
        Record(*window, 3);
        const fs::path journal = window->journalFile();
        const std::string before = Journal(*window);
        ASSERT_EQ(before, Saved(*window));
        OnModal<QMessageBox> box([&](QMessageBox& b) { b.button(c.answer)->click(); });
        OnModal<QFileDialog> save([](QFileDialog& d) { d.reject(); });
        EXPECT_EQ(window->close(), !c.kept);
        EXPECT_EQ(box.seen(), 1);
        window.reset();
        EXPECT_EQ(fs::exists(journal), c.kept);
        if (c.kept) {
            EXPECT_EQ(FileText(journal), before);
        }
        fs::remove(journal);
    }
}

TEST_F(JournalWindow, twoWindowsNeverShareAJournal) {
    auto first = Window();
    auto second = Window();
    EXPECT_FALSE(first->KeepJournal(state));
    Record(*first, 2);
    first->core().journal().writer()->Flush();  // the writer thread may not have opened it yet
    ASSERT_TRUE(fs::exists(first->journalFile()));
    EXPECT_FALSE(second->KeepJournal(state)) << "the first window's live journal is not offered";
    EXPECT_EQ(second->journalFile(), state / "recording-2.dat");
    Record(*second, 4);
    EXPECT_EQ(Journal(*first), Saved(*first));
    EXPECT_EQ(Journal(*second), Saved(*second));
    EXPECT_NE(Journal(*first), Journal(*second));
}

TEST_F(JournalWindow, aFullDiskIsSaidOnceAndTheRecordingGoesOn) {
    auto window = Window();
    ASSERT_FALSE(window->KeepJournal(state));
    QStringList said;
    QObject::connect(window->statusBar(), &QStatusBar::messageChanged, [&](const QString& text) {
        if (!text.isEmpty()) said << text;
    });
    {
        FileSizeLimit full(1024);  // the header and some twenty rows
        Record(*window, 100);      // five flush intervals and more
        window->core().journal().writer()->Flush();
        window->action("acPause")->trigger();  // then Start: the same log goes on
        Record(*window, 10);
        ASSERT_EQ(said.size(), 1) << said.join(" | ").toStdString();
        EXPECT_TRUE(said[0].startsWith("Recording journal: ")) << said[0].toStdString();
        EXPECT_TRUE(said[0].endsWith("(File too large); recording goes on."))
            << said[0].toStdString();
        EXPECT_GE(window->store().count(), 110);
        EXPECT_LE(FileText(window->journalFile()).size(), 1024u);
    }
    EXPECT_EQ(Journal(*window), Saved(*window)) << "caught up once there is room";
}

TEST_F(JournalWindow, aLinkPlantedAtTheLockLeavesTheWindowWithoutAJournal) {
    fs::create_directories(state);
    fs::create_symlink(folder / "elsewhere", state / "recording.lock");
    auto window = Window();
    EXPECT_FALSE(window->KeepJournal(state));
    EXPECT_EQ(window->journalFile(), fs::path()) << "no journal is kept";
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(),
              "Recording journal: Unable to use " + (state / "recording.lock").string() +
                  ": it is a symbolic link, which is not followed; recording goes on.");
    Record(*window, 2);
    EXPECT_FALSE(fs::exists(folder / "elsewhere"));
}

}  // namespace

namespace {

/// Drops `path` on the window as a file manager would: the drag enters, then drops.
void DropFile(TMainForm& window, const fs::path& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

}  // namespace

TEST_F(JournalWindow, aFileThatCannotBeReadLeavesTheLogItsNameAndItsJournalAsTheyWere) {
    const fs::path elsewhere = folder / "elsewhere";
    fs::create_directories(elsewhere);
    WriteText(elsewhere / "badrow.dat", "Time\tTset\r\n0\t1\r\n100\t2\r\n200\tx\r\n300\t4\r\n");
    WriteText(elsewhere / "notime.dat", "Tset\tTget\r\n0\t1\r\n");
    struct Case {
        const char* file;
        bool dropped;
        const char* said;
    };
    const Case cases[] = {
        {"badrow.dat", false, "Bad file format.\nLine 4: Tset \"x\" is not an integer."},
        {"badrow.dat", true, "Bad file format.\nLine 4: Tset \"x\" is not an integer."},
        {"notime.dat", true, "Bad file format.\nLine 1: the header has no \"Time\"."},
        {"missing.dat", false, "Bad file format.\nNo such file or directory."},
    };
    auto window = Window();
    ASSERT_FALSE(window->KeepJournal(state));
    Record(*window, 5);
    ASSERT_TRUE(window->SaveDataFile(QString::fromStdString((folder / "log.dat").string())));
    window->action("acPause")->trigger();
    Record(*window, 3);  // unsaved again, and journaled
    const std::string log = Saved(*window);
    const std::string journal = Journal(*window);
    ASSERT_EQ(journal, log);
    const auto visible = window->visibleTraces();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.dropped ? " dropped" : " opened"));
        QString said;
        OnModal<QMessageBox> box([&](QMessageBox& b) {
            said = b.text();
            b.accept();
        });
        if (c.dropped) {
            DropFile(*window, elsewhere / c.file);
        } else {
            window->OpenDataFile(QString::fromStdString((elsewhere / c.file).string()));
        }
        EXPECT_EQ(said.toStdString(), c.said);
        EXPECT_EQ(Saved(*window), log);
        EXPECT_TRUE(window->store().modified());
        EXPECT_EQ(window->visibleTraces(), visible);
        EXPECT_EQ(window->windowTitle(), "Tavolin - log.dat");
        EXPECT_EQ(window->config().dataDir, folder.path().string() + "/");
        EXPECT_EQ(Journal(*window), journal);
    }
}

TEST_F(JournalWindow, startNewOpenAndDropAskBeforeAnUnsavedRecordingGoes) {
    const fs::path other = folder / "other.dat";
    WriteText(other, "Time\tTset\r\n0\t1234\r\n20\t1235\r\n");
    enum class Act { Start, New, Open, Drop };
    enum class Answer { Saved, SaveCancelled, No, Cancel };
    const std::pair<Act, const char*> acts[] = {
        {Act::Start, "Start"}, {Act::New, "New"}, {Act::Open, "Open"}, {Act::Drop, "drop"}};
    const std::pair<Answer, const char*> answers[] = {{Answer::Saved, "Yes, then a file name"},
                                                      {Answer::SaveCancelled, "Yes, then Cancel"},
                                                      {Answer::No, "No"},
                                                      {Answer::Cancel, "Cancel"}};
    for (const auto& [act, acted] : acts) {
        for (const auto& [answer, answered] : answers) {
            SCOPED_TRACE(std::string(acted) + ", " + answered);
            auto window = Window();
            ASSERT_FALSE(window->KeepJournal(state));
            Record(*window, 3);
            const std::string log = Saved(*window);
            ASSERT_EQ(Journal(*window), log);
            const fs::path saved = folder / "saved.dat";
            fs::remove(saved);

            QString question;
            OnModal<QMessageBox> box([&](QMessageBox& b) {
                question = b.text();
                b.button(answer == Answer::No       ? QMessageBox::No
                         : answer == Answer::Cancel ? QMessageBox::Cancel
                                                    : QMessageBox::Yes)
                    ->click();
            });
            OnModal<QFileDialog> dialog([&](QFileDialog& d) {
                if (answer == Answer::SaveCancelled) return d.reject();
                d.selectFile(QString::fromStdString(saved.string()));
                static_cast<QDialog&>(d).accept();
            });
            switch (act) {
                case Act::Start:
                    window->action("acStart")->trigger();
                    break;
                case Act::New:
                    window->action("acNew")->trigger();
                    break;
                case Act::Open:
                    window->OpenDataFile(QString::fromStdString(other.string()));
                    break;
                case Act::Drop:
                    DropFile(*window, other);
                    break;
            }
            EXPECT_EQ(question, "Data modified. Save changes?");
            const bool wentOn = answer == Answer::Saved || answer == Answer::No;
            if (wentOn) {
                EXPECT_EQ(Journal(*window), "(none)") << "the old log is saved or thrown away";
                EXPECT_NE(Saved(*window), log);
            } else {
                EXPECT_EQ(Saved(*window), log) << "nothing was discarded";
                EXPECT_TRUE(window->store().modified());
                EXPECT_EQ(Journal(*window), log);
                EXPECT_FALSE(window->action("acStart")->isChecked());
            }
            EXPECT_EQ(window->acquisition().state(),
                      wentOn && act == Act::Start ? AcqState::Running : AcqState::Stopped);
            EXPECT_EQ(fs::exists(saved), answer == Answer::Saved);
            if (answer == Answer::Saved) {
                EXPECT_EQ(FileText(saved), log);
            }
            if (wentOn && (act == Act::Open || act == Act::Drop)) {
                EXPECT_EQ(window->store().value(Tset, 1), 1235);
            }
            window->store().setModified(false);  // nothing to ask at close
            window.reset();
            fs::remove_all(state);  // what a recording after Start left there
        }
    }
}
