// The recording journal on disk: rows appended and flushed by the writer's own thread, whole
// rewrites, removal, write faults, and the folder's names, locks and set-aside files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "files/Journalfiles.h"
#include "files/Journalwriter.h"
#include "support/Filesizelimit.h"
#include "tests/files/Tempdir.h"

namespace fs = std::filesystem;

namespace {

using datafile::TraceVisibility;

constexpr TraceVisibility AllVisible = {true, true, true, true, true, true, true, true, true};
constexpr TraceVisibility TwoVisible = {false, true,  false, false, false,
                                        false, false, false, true};

TraceSample SampleNo(int i) {
    TraceSample s{};
    for (int t = 0; t < TraceCount; ++t) s[t] = (t % 2 ? -1 : 1) * (1000 * t + i);
    return s;
}

std::vector<TraceSample> Samples(int from, int to) {
    std::vector<TraceSample> rows;
    for (int i = from; i < to; ++i) rows.push_back(SampleNo(i));
    return rows;
}

/// The data file a save of `rows` with `visible` and `periodMs` writes.
std::string Expected(const std::vector<TraceSample>& rows, const TraceVisibility& visible,
                     int periodMs) {
    auto store = std::make_unique<TraceStore>();
    for (const TraceSample& s : rows) store->Append(s);
    return datafile::FormatDataFile(*store, visible, periodMs);
}

/// Reads `path` back with the program's reader: every row, in storage order.
std::vector<TraceSample> ReadBack(const fs::path& path) {
    const datafile::DataFileText file = datafile::ReadDataFile(path);
    EXPECT_TRUE(file.ok) << file.detail;
    auto store = std::make_unique<TraceStore>();
    const datafile::LoadResult load = datafile::LoadRows(file, *store);
    EXPECT_TRUE(load.ok) << load.detail;
    std::vector<TraceSample> rows;
    for (int i = 0; i < store->count(); ++i) {
        TraceSample s{};
        for (int t = 0; t < TraceCount; ++t) s[t] = store->value(t, i);
        rows.push_back(s);
    }
    return rows;
}

TEST(JournalWriter, writesWhatASaveWouldWriteThroughRewritesAndAppends) {
    struct Case {
        const char* what;
        TraceVisibility visible;
        int periodMs;
        int before;  // rows of the rewrite
        int added;   // rows appended after it
    };
    const Case cases[] = {
        {"a recording from its first sample", AllVisible, 20, 1, 40},
        {"a log continued after a save", TwoVisible, 100, 300, 5},
        {"no trace visible", TraceVisibility{}, 500, 2, 2},
        {"header only", AllVisible, 100, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path path = dir / "recording.dat";
        JournalWriter writer(path);
        writer.Rewrite(Samples(0, c.before), c.visible, c.periodMs);
        for (const TraceSample& s : Samples(c.before, c.before + c.added)) writer.Append(s);
        writer.Flush();
        EXPECT_EQ(ReadText(path), Expected(Samples(0, c.before + c.added), c.visible, c.periodMs));
        EXPECT_EQ(writer.rowsOnDisk(), c.before + c.added);
        EXPECT_EQ(dir.EntryCount(), 1) << "no temporary file left";
        EXPECT_EQ(writer.TakeError(), std::nullopt);
    }
}

TEST(JournalWriter, aRewriteReplacesTheWholeFileAndDiscardRemovesIt) {
    TempDir dir;
    const fs::path path = dir / "recording.dat";
    JournalWriter writer(path);
    writer.Rewrite(Samples(0, 10), AllVisible, 100);
    writer.Append(SampleNo(10));
    writer.Flush();
    ASSERT_EQ(ReadBack(path).size(), 11u);

    // A cut on the left: the rows left are timed from 0 again; another layout as well.
    writer.Rewrite(Samples(6, 11), TwoVisible, 40);
    writer.Append(SampleNo(11));
    writer.Flush();
    EXPECT_EQ(ReadText(path), Expected(Samples(6, 12), TwoVisible, 40));

    writer.Discard();
    writer.Append(SampleNo(12));  // nothing is journaled until the next rewrite
    writer.Flush();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(writer.rowsOnDisk(), 0);

    writer.Rewrite(Samples(0, 2), AllVisible, 100);
    writer.Flush();
    EXPECT_EQ(ReadText(path), Expected(Samples(0, 2), AllVisible, 100));
}

TEST(JournalWriter, flushesByItselfAndWritesWhatIsQueuedWhenItGoes) {
    TempDir dir;
    const fs::path path = dir / "recording.dat";
    {
        JournalWriter writer(path);
        writer.Rewrite(Samples(0, 1), AllVisible, 20);
        writer.Append(SampleNo(1));
        // Nobody asks for a flush: the interval brings the row to the disk. The limit only
        // ends a test whose writer hangs.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (writer.rowsOnDisk() < 2 && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(ReadBack(path), Samples(0, 2));
        writer.Append(SampleNo(2));
    }
    EXPECT_EQ(ReadBack(path), Samples(0, 3)) << "the last row is written before the writer goes";
}

TEST(JournalWriter, aFullDiskIsReportedOnceLeavesWholeRowsAndIsCaughtUpAfterwards) {
    TempDir dir;
    const fs::path path = dir / "recording.dat";
    JournalWriter writer(path);
    writer.Rewrite(Samples(0, 3), AllVisible, 20);
    writer.Flush();
    const std::string before = ReadText(path);
    {
        FileSizeLimit full(before.size() + 100);  // room for about one more row
        for (const TraceSample& s : Samples(3, 50)) writer.Append(s);
        writer.Flush();
        const std::optional<std::string> error = writer.TakeError();
        ASSERT_TRUE(error.has_value());
        EXPECT_NE(error->find("recording.dat"), std::string::npos) << *error;
        EXPECT_NE(error->find("File too large"), std::string::npos) << *error;
        for (const TraceSample& s : Samples(50, 60)) writer.Append(s);
        writer.Flush();
        EXPECT_EQ(writer.TakeError(), std::nullopt) << "said once while it goes on failing";
        EXPECT_EQ(ReadText(path), before) << "the rows that did not fit were taken back";
        EXPECT_EQ(writer.rowsOnDisk(), 3);
    }
    writer.Append(SampleNo(60));
    writer.Flush();
    EXPECT_EQ(ReadBack(path), Samples(0, 61)) << "every row once there is room again";
    EXPECT_EQ(writer.TakeError(), std::nullopt);
    {
        FileSizeLimit full(before.size());
        writer.Rewrite(Samples(0, 30), AllVisible, 20);
        writer.Flush();
        EXPECT_TRUE(writer.TakeError().has_value()) << "a new fault after a success is said again";
        EXPECT_EQ(ReadBack(path), Samples(0, 61)) << "a failed rewrite keeps the old file";
    }
}

TEST(JournalWriter, anUnwritableFolderIsAFaultNotAnException) {
    TempDir dir;
    JournalWriter writer(dir / "missing" / "recording.dat");
    writer.Rewrite(Samples(0, 3), AllVisible, 20);
    writer.Flush();
    const std::optional<std::string> error = writer.TakeError();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("No such file or directory"), std::string::npos) << *error;
}

TEST(JournalClaim, eachWindowGetsItsOwnLockedName) {
    TempDir dir;
    const fs::path folder = dir / "state" / "tavolin";
    std::optional<journal::Claim> first(journal::Claim::Take(folder));
    const journal::Claim second = journal::Claim::Take(folder);
    EXPECT_EQ(first->dataFile(), folder / "recording.dat");
    EXPECT_EQ(first->eventsFile(), folder / "recording.events");
    EXPECT_EQ(second.dataFile(), folder / "recording-2.dat");
    first.reset();
    EXPECT_EQ(journal::Claim::Take(folder).name(), "recording") << "free again once released";

    std::vector<journal::Claim> all;
    while (static_cast<int>(all.size()) < journal::MaxWindows - 1)
        all.push_back(journal::Claim::Take(folder));
    EXPECT_THROW(journal::Claim::Take(folder), journal::JournalError);
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(JournalClaim, theFoldersItMakesAreTheUsersAlone) {
    TempDir dir;
    const mode_t oldMask = ::umask(0);  // whatever the umask lets through
    const journal::Claim claim = journal::Claim::Take(dir / "state" / "tavolin");
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(dir / "state"), 0700u);
    EXPECT_EQ(ModeOf(dir / "state" / "tavolin"), 0700u);
    EXPECT_EQ(ModeOf(dir / "state" / "tavolin" / "recording.lock"), 0600u);
}

TEST(JournalClaim, aSymbolicLinkAtTheLocksNameIsRefusedNotFollowed) {
    TempDir dir;
    const fs::path victim = dir / "victim";
    WriteText(victim, "someone's file");
    fs::create_symlink(victim, dir / "recording.lock");
    try {
        journal::Claim::Take(dir.path());
        FAIL() << "the link was followed";
    } catch (const journal::JournalError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to use " + (dir / "recording.lock").string() +
                                             ": it is a symbolic link, which is not followed");
    }
    EXPECT_EQ(ReadText(victim), "someone's file");
}

TEST(JournalClaim, theDefaultFolderFollowsXdgStateHome) {
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string old = saved ? saved : "";
    ::setenv("XDG_STATE_HOME", "/somewhere/state", 1);
    EXPECT_EQ(journal::DefaultFolder(), fs::path("/somewhere/state/tavolin"));
    ::unsetenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    EXPECT_EQ(journal::DefaultFolder(),
              fs::path(home ? home : ".") / ".local" / "state" / "tavolin");
    if (saved) ::setenv("XDG_STATE_HOME", old.c_str(), 1);
}

std::time_t At(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

TEST(JournalSetAside, movesTheJournalAndItsEventsAndKeepsTheNewestFive) {
    TempDir dir;
    const journal::Claim claim = journal::Claim::Take(dir.path());
    // Five older ones, a name that is not a set-aside journal, and another window's journal.
    const char* older[] = {"recording-20261201-090000.dat", "recording-20261202-090000.dat",
                           "recording-20261203-090000.dat", "recording-20261204-090000.dat",
                           "recording-20261204-090000-2.dat"};
    for (const char* name : older) WriteText(dir / name, name);
    WriteText(dir / "recording-20261201-090000.events", "old events");
    WriteText(dir / "recording-2.dat", "another window's");
    WriteText(dir / "recording-notes.dat", "mine");
    WriteText(claim.dataFile(), "Time\r\n");
    WriteText(claim.eventsFile(), "events");

    const fs::path moved = journal::SetAside(claim, At(2026, 12, 10, 7, 5, 9));
    EXPECT_EQ(moved, dir / "recording-20261210-070509.dat");
    EXPECT_EQ(ReadText(moved), "Time\r\n");
    EXPECT_EQ(ReadText(dir / "recording-20261210-070509.events"), "events");
    EXPECT_FALSE(fs::exists(claim.dataFile()));
    EXPECT_FALSE(fs::exists(claim.eventsFile()));
    EXPECT_FALSE(fs::exists(dir / older[0])) << "the oldest of six goes";
    EXPECT_FALSE(fs::exists(dir / "recording-20261201-090000.events"));
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(fs::exists(dir / older[i])) << older[i];
    EXPECT_EQ(ReadText(dir / "recording-2.dat"), "another window's");
    EXPECT_EQ(ReadText(dir / "recording-notes.dat"), "mine");

    // Twice in one second: the second one gets a number, and is the newer.
    WriteText(claim.dataFile(), "again");
    const fs::path again = journal::SetAside(claim, At(2026, 12, 10, 7, 5, 9));
    EXPECT_EQ(again, dir / "recording-20261210-070509-2.dat");
    EXPECT_FALSE(fs::exists(dir / older[1]));
    EXPECT_TRUE(fs::exists(moved));
}

TEST(JournalRecover, readsTheRowsACrashLeftWhole) {
    struct Case {
        const char* what;
        std::string text;
        bool ok;
        int rows;
        std::optional<int> period;
    };
    const std::string header = "Time\tTset\tTget\r\n";
    const Case cases[] = {
        {"complete", header + "0\t1\t2\r\n40\t3\t4\r\n80\t5\t6\r\n", true, 3, 40},
        {"last row cut short", header + "0\t1\t2\r\n40\t3\t4\r\n80\t5", true, 2, 40},
        {"cut between CR and LF", header + "0\t1\t2\r", true, 1, std::nullopt},
        {"header only", header, true, 0, std::nullopt},
        {"a damaged row ends it", header + "0\t1\t2\r\n40\tx\t4\r\n80\t5\t6\r\n", true, 1, 40},
        {"no header", "", false, 0, std::nullopt},
        {"header cut short", "Tim", false, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteText(dir / "recording.dat", c.text);
        auto store = std::make_unique<TraceStore>();
        store->Append(TraceSample{9});
        const journal::Recovered r = journal::Recover(dir / "recording.dat", *store);
        EXPECT_EQ(r.ok, c.ok) << r.detail;
        if (!c.ok) {
            EXPECT_EQ(store->count(), 1) << "the store is untouched";
            continue;
        }
        EXPECT_EQ(r.rows, c.rows);
        EXPECT_EQ(store->count(), c.rows);
        EXPECT_EQ(r.samplePeriodMs, c.period);
        EXPECT_TRUE(r.visible[Tset] && r.visible[Tget] && !r.visible[Tcj]);
        if (c.rows > 0) {
            EXPECT_EQ(store->value(Tget, 0), 2);
        }
    }
    auto store = std::make_unique<TraceStore>();
    EXPECT_FALSE(journal::Recover("/nonexistent/recording.dat", *store).ok);
}

}  // namespace
