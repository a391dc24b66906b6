#include "files/Datafile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "support/Filesizelimit.h"
#include "tests/files/Tempdir.h"

namespace {

using datafile::TraceVisibility;

constexpr TraceVisibility AllVisible = {true, true, true, true, true, true, true, true, true};
constexpr TraceVisibility NoneVisible = {};
constexpr TraceVisibility ExampleVisible = {true,  true,  false, true, false,
                                            false, false, false, false};

constexpr std::string_view ExampleText =
    "Time\tTset\tTget\tPower\r\n"
    "0\t2500\t2487\t153\r\n"
    "100\t2500\t2491\t149\r\n"
    "200\t2500\t2496\t140\r\n";

std::unique_ptr<TraceStore> ExampleStore() {
    auto store = std::make_unique<TraceStore>();
    const int tget[] = {2487, 2491, 2496};
    const int power[] = {153, 149, 140};
    for (int i = 0; i < 3; ++i) {
        TraceSample sample{};
        sample[Tset] = 2500;
        sample[Tget] = tget[i];
        sample[Power] = power[i];
        sample[Vset] = 900;  // hidden: must not reach the file
        store->Append(sample);
    }
    return store;
}

std::unique_ptr<TraceStore> FullRandomStore(unsigned seed) {
    auto store = std::make_unique<TraceStore>();
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int32_t> any(std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max());
    for (int i = 0; i < TraceCapacity; ++i) {
        TraceSample sample{};
        for (auto& value : sample) value = any(random);
        store->Append(sample);
    }
    return store;
}

TraceSample Filled(std::int32_t value) {
    TraceSample sample;
    sample.fill(value);
    return sample;
}

bool AllZero(const TraceStore& store, int trace) {
    for (std::int32_t value : store.column(trace))
        if (value != 0) return false;
    return true;
}

/// Reads `text` as a file's contents into `store`.
datafile::LoadResult LoadText(std::string text, TraceStore& store,
                              TraceVisibility* visible = nullptr) {
    const datafile::DataFileText file = datafile::CheckHeader(std::move(text));
    if (visible) *visible = file.visible;
    if (!file.ok) return {false, file.message, file.detail, std::nullopt, 0};
    return datafile::LoadRows(file, store);
}

TEST(DataFileWriter, WritesTheExampleByteForByte) {
    TempDir dir;
    auto store = ExampleStore();
    store->setModified(true);
    EXPECT_EQ(datafile::FormatDataFile(*store, ExampleVisible, 100), ExampleText);

    const datafile::SaveResult saved =
        datafile::SaveDataFile(dir / "log.dat", *store, ExampleVisible, 100);
    ASSERT_TRUE(saved.ok) << saved.detail;
    EXPECT_EQ(ReadText(dir / "log.dat"), ExampleText);
    EXPECT_FALSE(store->modified());
}

TEST(DataFileWriter, WritesOnlyWhatIsThere) {
    auto example = ExampleStore();
    TraceStore empty;
    TraceStore negative;
    negative.Append({-1, 0, -2147483647 - 1, 2147483647, 0, 0, 0, -37, 10001});
    struct Case {
        const char* name;
        const TraceStore& store;
        TraceVisibility visible;
        int period;
        std::string_view text;
    };
    const Case cases[] = {
        {"no trace visible", *example, NoneVisible, 100, "Time\r\n0\r\n100\r\n200\r\n"},
        {"empty log", empty, AllVisible, 100,
         "Time\tTset\tTget\tTcj\tPower\tVset\tVget\tPwm\tPllErr\tPllPer\r\n"},
        {"signs and extremes", negative, AllVisible, 20,
         "Time\tTset\tTget\tTcj\tPower\tVset\tVget\tPwm\tPllErr\tPllPer\r\n"
         "0\t-1\t0\t-2147483648\t2147483647\t0\t0\t0\t-37\t10001\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(datafile::FormatDataFile(c.store, c.visible, c.period), c.text);
    }
}

TEST(DataFileWriter, TimeOfALongLogAtALongPeriodDoesNotWrap) {
    auto store = std::make_unique<TraceStore>();
    for (int i = 0; i < TraceCapacity; ++i) store->Append({});
    const std::string text = datafile::FormatDataFile(*store, NoneVisible, 500000);
    EXPECT_NE(text.find("\r\n9000000000\r\n"), std::string::npos);
}

TEST(DataFileRoundTrip, FullLogReadsBackTheSame) {
    const TraceVisibility some = {false, true, false, true, false, true, false, false, true};
    struct Case {
        const char* name;
        TraceVisibility visible;
        int period;
    };
    const Case cases[] = {{"all", AllVisible, 100}, {"some", some, 60}, {"none", NoneVisible, 20}};
    const auto original = FullRandomStore(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(datafile::SaveDataFile(dir / "full.dat", *original, c.visible, c.period).ok);

        const datafile::DataFileText file = datafile::ReadDataFile(dir / "full.dat");
        ASSERT_TRUE(file.ok) << file.detail;
        EXPECT_EQ(file.visible, c.visible);
        auto loaded = std::make_unique<TraceStore>();
        loaded->Append(Filled(77));  // a load replaces what was there
        const datafile::LoadResult result = datafile::LoadRows(file, *loaded);
        ASSERT_TRUE(result.ok) << result.detail;
        EXPECT_EQ(result.samplePeriodMs, c.period);
        EXPECT_EQ(result.droppedRows, 0);
        ASSERT_EQ(loaded->count(), TraceCapacity);
        EXPECT_FALSE(loaded->modified());
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (c.visible[trace])
                EXPECT_EQ(loaded->column(trace), original->column(trace)) << TraceKeys[trace];
            else
                EXPECT_TRUE(AllZero(*loaded, trace)) << TraceKeys[trace];
        }
    }
}

TEST(DataFileReader, HeaderDecidesTheTracesWhateverTheirOrder) {
    struct Case {
        const char* name;
        std::string text;
        TraceVisibility visible;
        std::int32_t tset, tget;
    };
    const TraceVisibility tgetOnly = {false, true};
    const TraceVisibility tsetTget = {true, true};
    const Case cases[] = {
        {"Timestamp passes the check", "Timestamp Tget\r\n0 7\r\n", tgetOnly, 0, 7},
        {"keys out of order fill in storage order", "Time\tTget\tTset\r\n0\t1\t2\r\n", tsetTget, 1,
         2},
        {"keys inside other words", "Time;xTsetx;Tget!\r\n0 1 2\r\n", tsetTget, 1, 2},
        {"spaces instead of TABs", "Time Tset  Tget\r\n  0   1 \t 2 \r\n", tsetTget, 1, 2},
        {"LF line ends, last line unended", "Time\tTset\tTget\n0\t1\t2", tsetTget, 1, 2},
        {"lone CR line ends", "Time\tTset\tTget\r0\t1\t2\r", tsetTget, 1, 2},
        {"an extra field at the end", "Time\tTset\tTget\r\n0\t1\t2\t3\r\n", tsetTget, 1, 2},
        {"a plus sign", "Time\tTset\tTget\r\n0\t+1\t-2\r\n", tsetTget, 1, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraceStore store;
        TraceVisibility visible{};
        const datafile::LoadResult result = LoadText(c.text, store, &visible);
        ASSERT_TRUE(result.ok) << result.detail;
        EXPECT_EQ(visible, c.visible);
        ASSERT_EQ(store.count(), 1);
        EXPECT_EQ(store.value(Tset, 0), c.tset);
        EXPECT_EQ(store.value(Tget, 0), c.tget);
    }
}

TEST(DataFileReader, HeaderOnlyLoadsAnEmptyLog) {
    TraceStore store;
    store.Append(Filled(5));
    TraceVisibility visible{};
    const datafile::LoadResult result = LoadText("Time\tPllErr\tPllPer\r\n", store, &visible);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(store.count(), 0);
    EXPECT_TRUE(AllZero(store, Tset));
    EXPECT_EQ(visible,
              (TraceVisibility{false, false, false, false, false, false, false, true, true}));
    EXPECT_EQ(result.samplePeriodMs, std::nullopt);
}

TEST(DataFileReader, RefusesABadHeaderWithoutTouchingTheStore) {
    TempDir dir;
    WriteText(dir / "empty.dat", "");
    WriteText(dir / "notime.dat", "time\tTset\r\n0\t1\r\n");
    WriteText(dir / "blank.dat", "\r\nTime\tTset\r\n");
    std::filesystem::create_directory(dir / "folder.dat");
    for (const char* name : {"missing.dat", "empty.dat", "notime.dat", "blank.dat", "folder.dat"}) {
        SCOPED_TRACE(name);
        const datafile::DataFileText file = datafile::ReadDataFile(dir / name);
        EXPECT_FALSE(file.ok);
        EXPECT_EQ(file.message, "Bad file format.");
        TraceStore store;
        store.Append(Filled(3));
        EXPECT_FALSE(datafile::LoadRows(file, store).ok);
        EXPECT_EQ(store.count(), 1);
        EXPECT_EQ(store.value(Tset, 0), 3);
    }
}

TEST(DataFileReader, BadRowKeepsTheCompleteRowsBeforeIt) {
    const std::string good = "Time\tTset\tTget\r\n0\t1\t2\r\n60\t3\t4\r\n";
    using namespace std::string_literals;
    const std::string badRows[] = {"120\t5",
                                   "120\t5\tx",
                                   "120\t5\t12.5",
                                   "120\t5\t1e3",
                                   "120\t5\t0x10",
                                   "120\t5\t2147483648",
                                   "120\t5\t--1",
                                   "",
                                   "120\t5\t\x00"
                                   "7"s};
    for (const std::string& bad : badRows) {
        SCOPED_TRACE(bad);
        TraceStore store;
        store.setModified(true);
        const datafile::LoadResult result = LoadText(good + bad + "\r\n180\t7\t8\r\n", store);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message, "Bad file format.");
        EXPECT_EQ(result.samplePeriodMs, 60);  // row 2 was reached
        ASSERT_EQ(store.count(), 2);
        EXPECT_EQ(store.value(Tget, 1), 4);
        EXPECT_EQ(store.value(Tset, 2), 0);  // nothing of the bad row stays behind
        EXPECT_TRUE(store.modified());
    }
}

TEST(DataFileReader, SamplePeriodComesFromTheSecondRow) {
    struct Case {
        const char* name;
        std::string rows;
        bool ok;
        std::optional<int> period;
    };
    const Case cases[] = {
        {"second row", "0 1\r\n60 1\r\n999 1\r\n", true, 60},
        {"first row ignored", "junk 1\r\n60 1\r\n", true, 60},
        {"one row keeps the period", "0 1\r\n", true, std::nullopt},
        {"time 0 gives the default period", "0 1\r\n0 1\r\n", true, 100},
        {"negative time gives the default period", "0 1\r\n-20 1\r\n", true, 100},
        // A recording that could not keep its period is saved with the spacing it achieved.
        {"below 20 ms is the log's own period", "0 1\r\n18 1\r\n", true, 18},
        {"above 500 ms is the log's own period", "0 1\r\n512 1\r\n", true, 512},
        {"20 ms is kept", "0 1\r\n20 1\r\n", true, 20},
        {"500 ms is kept", "0 1\r\n500 1\r\n", true, 500},
        {"time not an integer", "0 1\r\n6e1 1\r\n", false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraceStore store;
        const datafile::LoadResult result = LoadText("Time\tTset\r\n" + c.rows, store);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.samplePeriodMs, c.period);
    }
}

TEST(DataFileReader, RowsBeyondTheCapacityAreDroppedAndCounted) {
    constexpr int Extra = 4;
    std::string text = "Time\tPllPer\r\n";
    for (int i = 0; i < TraceCapacity + Extra; ++i)
        text += std::to_string(i * 100) + "\t" + std::to_string(i) + "\r\n";
    text += "not even a row\r\n";  // past the capacity nothing is read
    auto store = std::make_unique<TraceStore>();
    const datafile::LoadResult result = LoadText(text, *store);
    ASSERT_TRUE(result.ok) << result.detail;
    EXPECT_EQ(result.droppedRows, Extra + 1);
    ASSERT_EQ(store->count(), TraceCapacity);
    EXPECT_EQ(store->value(PllPer, TraceCapacity - 1), TraceCapacity - 1);
}

TEST(DataFileReader, ExactlyFullFileDropsNothing) {
    auto original = FullRandomStore(3);
    auto store = std::make_unique<TraceStore>();
    const datafile::LoadResult result =
        LoadText(datafile::FormatDataFile(*original, AllVisible, 100), *store);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.droppedRows, 0);
    EXPECT_EQ(store->count(), TraceCapacity);
}

/// Saving over something that cannot be replaced: the target stays as it was.
TEST(DataFileWriter, FailedSaveReportsAndKeepsTheOldFile) {
    TempDir dir;
    WriteText(dir / "plain", "a file, not a folder");
    std::filesystem::create_directory(dir / "folder.dat");
    WriteText(dir / "folder.dat" / "inside", "kept");
    auto store = ExampleStore();
    store->setModified(true);
    for (const char* target : {"plain/log.dat", "folder.dat", "no/such/folder/log.dat"}) {
        SCOPED_TRACE(target);
        const datafile::SaveResult result =
            datafile::SaveDataFile(dir / target, *store, AllVisible, 100);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message, "Unable to save file.");
        EXPECT_FALSE(result.detail.empty());
        EXPECT_TRUE(store->modified());
    }
    EXPECT_EQ(ReadText(dir / "plain"), "a file, not a folder");
    EXPECT_EQ(ReadText(dir / "folder.dat" / "inside"), "kept");
    EXPECT_EQ(dir.EntryCount(), 2);
}

TEST(DataFileWriter, WriteFailingHalfWayKeepsTheOldFile) {
    TempDir dir;
    const std::string old = "Time\tTset\r\n0\t1\r\n";
    WriteText(dir / "log.dat", old);
    auto store = FullRandomStore(1);
    store->setModified(true);
    datafile::SaveResult result;
    {
        FileSizeLimit limit(4096);
        result = datafile::SaveDataFile(dir / "log.dat", *store, AllVisible, 100);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Unable to save file.");
    EXPECT_TRUE(store->modified());
    EXPECT_EQ(ReadText(dir / "log.dat"), old);
    EXPECT_EQ(dir.EntryCount(), 1);  // the half-written temporary file is gone
}

}  // namespace

TEST(DataFileReader, aFailureSaysBelowBadFileFormatWhichLineAndWhatWasWrong) {
    struct Case {
        std::optional<std::string> text;  // of the file; none for one that does not exist
        std::string said;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {std::nullopt, "Bad file format.\nNo such file or directory."},
        {"", "Bad file format.\nThe file is empty."},
        {"\r\n", "Bad file format.\nLine 1: the header has no \"Time\"."},
        {"time\tTset\r\n0\t1\r\n", "Bad file format.\nLine 1: the header has no \"Time\"."},
        {"Time\tTset\tTget\r\n0\t1\t2\r\n100\t3\t4\r\n200\t5\r\n300\t7\t8\r\n",
         "Bad file format.\nLine 4: no value for Tget."},
        {"Time\tTset\tTget\r\n0\t1\t2\r\n100\t3\t4.5\r\n",
         "Bad file format.\nLine 3: Tget \"4.5\" is not an integer."},
        {"Time\tTget\tPower\r\n0\t1\t2\r\n0.1\t3\t4\r\n",
         "Bad file format.\nLine 3: the time \"0.1\" is not an integer."},
        {"Time\tTset\r\n0\t1\r\n\r\n", "Bad file format.\nLine 3: no time."},
        {"Time\tTset\r\n0\t"s + std::string(40, '9') + "\r\n",
         "Bad file format.\nLine 2: Tset \"" + std::string(24, '9') + "...\" is not an integer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.value_or("(none)"));
        TempDir dir;
        const std::filesystem::path path = dir / "bad.dat";
        if (c.text) WriteText(path, *c.text);
        const datafile::LoadedFile loaded = datafile::LoadDataFile(path);
        EXPECT_FALSE(loaded.result.ok);
        EXPECT_EQ(datafile::FailureText(loaded.result), c.said);
    }
}

TEST(DataFileReader, aFileReadWholeComesInAStoreOfItsOwn) {
    TempDir dir;
    WriteText(dir / "good.dat", std::string(ExampleText));
    const datafile::LoadedFile loaded = datafile::LoadDataFile(dir / "good.dat");
    ASSERT_TRUE(loaded.result.ok) << datafile::FailureText(loaded.result);
    EXPECT_EQ(loaded.visible, ExampleVisible);
    EXPECT_EQ(loaded.result.samplePeriodMs, 100);
    ASSERT_NE(loaded.store, nullptr);
    ASSERT_EQ(loaded.store->count(), 3);
    EXPECT_EQ(loaded.store->value(Power, 2), 140);
    EXPECT_FALSE(loaded.store->modified());
}
