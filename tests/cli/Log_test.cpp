// `tavolin-cli log` against the emulator: what lands in the data file is what the station
// sent, the time axis is the period, and a stop signal still saves the samples taken.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "files/Datafile.h"
#include "link/Uniquefd.h"
#include "support/Childprocess.h"
#include "support/Tempfolder.h"
#include "tests/cli/Wirefields.h"

namespace {

/// The Key=value lines of the tool's output.
std::map<std::string, long> Fields(const std::string& out) {
    std::map<std::string, long> fields;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            ADD_FAILURE() << "not a Key=value line: " << line;
            continue;
        }
        const std::string value = line.substr(eq + 1);
        // The mean period is the one figure with decimals; the tests read it apart.
        fields[line.substr(0, eq)] = value == "none" ? -1 : std::stol(value);
    }
    return fields;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

/// The mean period the tool printed, in ms.
double MeanPeriodMs(const std::string& out) {
    const auto at = out.find("mean_period_ms=");
    return at == std::string::npos ? -1 : std::stod(out.substr(at + 15));
}

/// The station's values, column by column, as the log should hold them.
TraceSample SampleOf(const FrameData& heat, const FrameData* fan) {
    TraceSample s{};
    s[Tset] = Word(heat, 1);
    s[Tget] = Word(heat, 3);
    s[Tcj] = Word(heat, 5);
    s[Power] = Word(heat, 7);
    s[PllErr] = SignedWord(heat, 9);
    s[PllPer] = Word(heat, 11);
    if (fan) {
        s[Vset] = Word(*fan, 1);
        s[Vget] = Word(*fan, 3);
        s[Pwm] = Byte(*fan, 5);
    }
    return s;
}

/// Whether a file holds every sample the station sent or the first ones (a journal).
enum class Rows { All, First };

/// Loads the data file at `path` and checks it holds, row by row, the GetHeat (and GetFan)
/// replies the station sent, every trace, and times i x `periodMs`. Returns the row count.
int ExpectStationSamples(const std::filesystem::path& path, const StationProcess& station,
                         int periodMs, bool withFan, Rows rows = Rows::All) {
    const datafile::DataFileText file = datafile::ReadDataFile(path);
    EXPECT_TRUE(file.ok) << file.detail;
    if (!file.ok) return -1;
    for (int t = 0; t < TraceCount; ++t) EXPECT_TRUE(file.visible[t]) << TraceKeys[t];
    auto store = std::make_unique<TraceStore>();
    const datafile::LoadResult load = datafile::LoadRows(file, *store);
    EXPECT_TRUE(load.ok) << load.detail;

    const auto heat = Replies(station, CmdGetHeat);
    const auto fan = Replies(station, CmdGetFan);
    if (withFan && rows == Rows::First) {
        // A kill may fall between a tick's GetHeat and its GetFan: that sample is not whole.
        EXPECT_GE(heat.size(), fan.size());
        EXPECT_LE(heat.size(), fan.size() + 1);
    } else {
        EXPECT_EQ(fan.size(), withFan ? heat.size() : 0u);
    }
    if (rows == Rows::All) {
        EXPECT_EQ(store->count(), static_cast<int>(heat.size())) << "one sample per GetHeat";
        if (store->count() != static_cast<int>(heat.size())) return store->count();
    } else {
        const std::size_t whole = withFan ? fan.size() : heat.size();
        EXPECT_LE(store->count(), static_cast<int>(whole)) << "only whole samples";
        if (store->count() > static_cast<int>(whole)) return store->count();
    }
    if (store->count() > 1) {
        EXPECT_EQ(load.samplePeriodMs, periodMs);
    }
    for (int i = 0; i < store->count(); ++i) {
        const TraceSample expected = SampleOf(heat[i], withFan ? &fan.at(i) : nullptr);
        TraceSample stored{};
        for (int t = 0; t < TraceCount; ++t) stored[t] = store->value(t, i);
        if (stored != expected) {
            ADD_FAILURE() << "sample " << i << ": " << ::testing::PrintToString(stored)
                          << " stored, the station sent " << ::testing::PrintToString(expected);
            break;
        }
    }
    std::istringstream lines(file.text);
    std::string row;
    std::getline(lines, row);  // the header
    for (int i = 0; std::getline(lines, row); ++i) {
        if (row.substr(0, row.find('\t')) != std::to_string(i * periodMs)) {
            ADD_FAILURE() << "row " << i << " has the time of " << row;
            break;
        }
    }
    return store->count();
}

/// Mean start-to-start spacing, in the station's own clock, of the GetHeat requests whose
/// replies went out whole: the polls that gave a sample.
double StationSpacingMs(const StationProcess& station) {
    std::vector<double> times;
    const StationLogEntry* request = nullptr;  // the last GetHeat request, until its reply
    const std::vector<StationLogEntry> log = station.Log();
    for (const StationLogEntry& e : log) {
        if (e.command != CmdGetHeat) continue;
        if (e.direction == StationLogEntry::Direction::Rx) {
            request = &e;
        } else if (request && e.data) {
            times.push_back(request->timeMs.value_or(0));
            request = nullptr;
        }
    }
    if (times.size() < 2) return 0;
    return (times.back() - times.front()) / static_cast<double>(times.size() - 1);
}

/// How far the file's step may lie from the spacing the station saw: 2 %, but never less than
/// the half millisecond that rounding the step to whole milliseconds may cost (a mean of
/// 21.5 ms is saved as 22 ms, 2.3 % off).
double StepTolerance(double spacingMs) {
    return std::max(spacingMs * 0.02, 0.5 + 1e-3);
}

/// The time of the data file's second row: the step of its time column; 0 without one.
int FileStep(const std::filesystem::path& path) {
    auto store = std::make_unique<TraceStore>();
    const datafile::LoadResult load = datafile::LoadRows(datafile::ReadDataFile(path), *store);
    EXPECT_TRUE(load.ok) << load.detail;
    return load.samplePeriodMs.value_or(0);
}

/// The file's step is the period unless `log` said it was not kept; then it is the period
/// `log` said it saved with.
void ExpectStepAsSaid(int stepMs, const std::string& said, int periodMs) {
    const std::string notKept = std::to_string(periodMs) + " ms not kept: ";
    if (said.find(notKept) == std::string::npos) {
        EXPECT_EQ(stepMs, periodMs) << said;
    } else {
        EXPECT_NE(said.find("\nperiod_ms=" + std::to_string(stepMs) + " (" + notKept),
                  std::string::npos)
            << said;
    }
}

/// The file's step and what `log` said.
struct Recorded {
    int stepMs = 0;
    std::string said;
};

Recorded RecordAt(const StationProcess& station, int periodMs, int samples,
                  const std::filesystem::path& out) {
    const ProcessResult r =
        Cli({"--port", station.Link(), "log", "--out", out.string(), "--samples",
             std::to_string(samples), "--period", std::to_string(periodMs)});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const Recorded rec{FileStep(out), r.out};
    ExpectStepAsSaid(rec.stepMs, rec.said, periodMs);
    return rec;
}

TEST(CliLog, recordsExactlyTheSamplesAskedForAsTheStationSentThem) {
    for (const char* model : {"KRF-51", "KRT-51"}) {
        SCOPED_TRACE(model);
        StationProcess station({.model = model});
        TempFolder folder;
        const auto out = folder / "log.dat";
        const ProcessResult r = Cli({"--port", station.Link(), "log", "--out", out.string(),
                                     "--samples", "50", "--period", "20"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FirstLine(r.out), "samples=50");
        EXPECT_EQ(r.err, "");
        const bool fan = std::string(model) == "KRF-51";
        auto fields = Fields(r.out);
        const long requests = 1 + 50 * (fan ? 2 : 1);  // GetInfo, then each tick's getters
        EXPECT_EQ(fields["requests"], requests);
        EXPECT_EQ(fields["replies"], requests);
        for (const char* key : {"timeouts", "crc_errors", "frame_errors", "station_errors",
                                "wrong_replies", "offline", "reconnections"})
            EXPECT_EQ(fields[key], 0) << key;
        EXPECT_EQ(static_cast<long>(station.Received().size()), requests);
        EXPECT_GT(MeanPeriodMs(r.out), 0.0);
        // A busy machine may make even this unpaced line miss 20 ms; the file then says so.
        const int step = FileStep(out);
        ExpectStepAsSaid(step, r.out, 20);
        EXPECT_EQ(ExpectStationSamples(out, station, step, fan), 50);
        EXPECT_FALSE(std::filesystem::exists(out.string() + ".part")) << "the journal is gone";
    }
}

TEST(CliLog, reconnectsByItselfWhenTheStationFallsSilent) {
    // Requests 5 to 9 go unanswered: the poll goes off line and the next ticks connect again.
    StationProcess station({.model = "KRT-51", .extra = {"--silent", "5-9"}});
    TempFolder folder;
    const auto out = folder / "log.dat";
    const ProcessResult r = Cli({"--port", station.Link(), "log", "--out", out.string(),
                                 "--samples", "12", "--period", "20"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FirstLine(r.out), "samples=12");
    auto fields = Fields(r.out);
    EXPECT_EQ(fields["timeouts"], 5) << r.out;
    EXPECT_EQ(fields["offline"], 1) << "the first silent request; the others fail off line";
    EXPECT_EQ(fields["reconnections"], 1);
    EXPECT_GT(Requests(station, CmdGetInfo).size(), 1u) << "connected again";
    // Five lost requests cost at least five read time-outs: 20 ms cannot be what was kept.
    const int step = FileStep(out);
    EXPECT_GT(step, 20);
    ExpectStepAsSaid(step, r.out, 20);
    EXPECT_NE(r.out.find("line faults"), std::string::npos) << r.out;
    EXPECT_EQ(ExpectStationSamples(out, station, step, false), 12);
}

// Paced at 19200 baud, as a real line. The machine may be busy with other work, so what must
// hold is that the file's step is the spacing the station saw; the exact period is asked for
// only when the station saw it kept.
TEST(CliLogPaced, theFilesStepIsTheSpacingTheStationSaw) {
    struct Case {
        const char* model;
        int periodMs;
        int samples;
        bool fits;  // the model's poll fits in the period
    };
    const Case cases[] = {
        {"KRF-51", 20, 150, false},
        {"KRT-51", 20, 150, true},
        {"KRF-51", 40, 100, true},
        {"KRF-51", 100, 40, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " at " + std::to_string(c.periodMs) + " ms");
        StationProcess station(
            {.model = c.model, .extra = {"--wire-baud", "19200", "--turnaround", "1000"}});
        TempFolder folder;
        const auto out = folder / "log.dat";
        const Recorded rec = RecordAt(station, c.periodMs, c.samples, out);
        const double spacing = StationSpacingMs(station);
        EXPECT_NEAR(rec.stepMs, spacing, StepTolerance(spacing)) << rec.said;
        const bool withFan = std::string(c.model) == "KRF-51";
        EXPECT_EQ(ExpectStationSamples(out, station, rec.stepMs, withFan), c.samples);
        const std::string notKept = std::to_string(c.periodMs) + " ms not kept: ";
        if (!c.fits) {
            EXPECT_GT(rec.stepMs, c.periodMs);
            EXPECT_NE(rec.said.find(notKept), std::string::npos) << rec.said;
            EXPECT_NE(rec.said.find(", line time of KRF-51 at 19200 baud"), std::string::npos)
                << rec.said;
        } else if (std::abs(spacing - c.periodMs) <= c.periodMs * 0.005) {
            EXPECT_EQ(rec.stepMs, c.periodMs) << "spacing " << spacing;
            EXPECT_EQ(FirstLine(rec.said), "samples=" + std::to_string(c.samples));
            EXPECT_EQ(rec.said.find("\nperiod_ms="), std::string::npos) << rec.said;
        }
    }
}

TEST(CliLogPaced, aFaultyLineSavesTheSpacingItReallyKept) {
    // One GetHeat reply in ten lost: the poll goes off line, the next tick connects again.
    StationProcess station({.model = "KRT-51",
                            .extra = {"--wire-baud", "19200", "--turnaround", "1000", "--drop",
                                      "0.1", "--seed", "18", "--fault-commands", "7"}});
    TempFolder folder;
    const auto out = folder / "log.dat";
    const Recorded rec = RecordAt(station, 40, 100, out);
    const double spacing = StationSpacingMs(station);
    EXPECT_NEAR(rec.stepMs, spacing, StepTolerance(spacing)) << rec.said;
    EXPECT_GT(rec.stepMs, 40);
    EXPECT_NE(rec.said.find("40 ms not kept: "), std::string::npos) << rec.said;
    EXPECT_NE(rec.said.find("line faults"), std::string::npos) << rec.said;
    EXPECT_EQ(ExpectStationSamples(out, station, rec.stepMs, false), 100);
}

TEST(CliLog, linkHealthCountsWhatTheStationInjected) {
    // Every kind of fault, spared on request 1 so that the first connect succeeds.
    StationProcess station(
        {.model = "KRF-51", .extra = {"--seed",          "11",   "--drop",           "0.03",
                                      "--bad-crc",       "0.03", "--noise-long",     "0.02",
                                      "--error-code",    "2",    "--error-rate",     "0.03",
                                      "--wrong-address", "0.02", "--wrong-command",  "0.02",
                                      "--noise",         "0.2",  "--fault-requests", "2-1000000"}});
    TempFolder folder;
    const ProcessResult r =
        Cli({"--port", station.Link(), "log", "--out", (folder / "log.dat").string(), "--samples",
             "150", "--period", "20"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::map<std::string, long> injected;
    long goodInfoReplies = 0;
    for (const StationLogEntry& e : station.Sent()) {
        const bool polled = e.command == CmdGetHeat || e.command == CmdGetFan;
        std::string key = "replies";
        if (e.Has("SILENT") || e.Has("DROPPED")) {
            key = "timeouts";
        } else if (e.Has("NOFRAME")) {
            key = "frame_errors";
        } else if (e.Has("BADCRC")) {
            key = "crc_errors";
        } else if (e.Has("ADDRESS") || e.Has("COMMAND")) {
            key = "wrong_replies";
        } else if (e.Has("ERROR")) {
            key = "station_errors";
        }
        ++injected[key];
        if (key != "replies" && polled) ++injected["offline"];
        if (key == "replies" && e.command == CmdGetInfo) ++goodInfoReplies;
    }
    injected["requests"] = static_cast<long>(station.Received().size());
    injected["reconnections"] = goodInfoReplies - 1;  // all but the first connect
    auto fields = Fields(r.out);
    for (const char* key : {"requests", "replies", "timeouts", "crc_errors", "frame_errors",
                            "station_errors", "wrong_replies", "offline", "reconnections"}) {
        EXPECT_EQ(fields[key], injected[key]) << key << "\n" << r.out;
    }
    for (const char* key : {"timeouts", "crc_errors", "frame_errors", "station_errors",
                            "wrong_replies", "reconnections"})
        EXPECT_GT(injected[key], 0) << "the seed injects no " << key;
}

TEST(CliLog, failedSaveSaysSoAndExits1) {
    StationProcess station({.model = "KRT-51"});
    TempFolder folder;
    const ProcessResult r = Cli({"--port", station.Link(), "log", "--out",
                                 (folder / "missing" / "log.dat").string(), "--samples", "1"});
    EXPECT_EQ(r.exitCode, 1);
    // The journal beside it could not be written either: said once, before the save's message.
    EXPECT_TRUE(r.err.starts_with("Recording journal: ")) << r.err;
    EXPECT_TRUE(
        r.err.ends_with(".part: cannot create a file in the folder (No such file or "
                        "directory)\nUnable to save file.\n"))
        << r.err;
    EXPECT_EQ(r.out, "");
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CliLog, stopSignalSavesWhatWasRecorded) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        StationProcess station({.model = "KRT-51"});
        TempFolder folder;
        const auto out = folder / "log.dat";
        const auto said = folder / "said.txt";
        const UniqueFd saidFd(::open(said.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        ASSERT_TRUE(saidFd);
        // No sample limit: it would record for six minutes.
        Child cli({"--port", station.Link(), "log", "--out", out.string(), "--period", "20"},
                  saidFd.get());
        // GetInfo is request 1; request 5 is at least the fourth GetHeat.
        ASSERT_TRUE(station.WaitForEntry([](const StationLogEntry& e) {
            return e.direction == StationLogEntry::Direction::Tx && e.command == CmdGetHeat &&
                   e.request >= 5;
        }));
        cli.Signal(signal);
        const auto code = cli.Wait(std::chrono::seconds(10));
        ASSERT_TRUE(code) << "still running after the signal";
        EXPECT_EQ(*code, 0) << FileText(said);
        const int step = FileStep(out);
        ExpectStepAsSaid(step, FileText(said), 20);
        const int saved = ExpectStationSamples(out, station, step, false);
        EXPECT_GE(saved, 4);
        EXPECT_EQ(FirstLine(FileText(said)), "samples=" + std::to_string(saved));
    }
}

}  // namespace

namespace {

int RowsIn(const std::filesystem::path& path) {
    const std::string text = FileText(path);
    int lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++lines;
    return lines > 0 ? lines - 1 : 0;
}

TEST(CliLog, sigkillLeavesAJournalOfTheSamplesTheStationSent) {
    for (const char* model : {"KRT-51", "KRF-51"}) {
        SCOPED_TRACE(model);
        StationProcess station({.model = model});
        TempFolder folder;
        const auto out = folder / "log.dat";
        const std::filesystem::path part = out.string() + ".part";
        Child cli({"--port", station.Link(), "log", "--out", out.string(), "--period", "20"}, -1);
        ASSERT_TRUE(station.WaitForEntry([](const StationLogEntry& e) {
            return e.direction == StationLogEntry::Direction::Tx && e.command == CmdGetHeat &&
                   e.request >= 40;
        }));
        // Every reply sent so far must reach the journal while the tool goes on recording; the
        // limit only ends a test whose journal never catches up.
        const int sent = static_cast<int>(Replies(station, CmdGetHeat).size());
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (RowsIn(part) < sent && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cli.Signal(SIGKILL);
        EXPECT_EQ(cli.Wait(std::chrono::seconds(10)), 128 + SIGKILL);

        EXPECT_FALSE(std::filesystem::exists(out));
        // 20 ms, unless this machine was too busy to keep it: the journal then has the
        // spacing achieved, as the saved file would.
        const int kept = ExpectStationSamples(part, station, FileStep(part),
                                              std::string(model) == "KRF-51", Rows::First);
        EXPECT_GE(kept, sent);
    }
}

TEST(CliLog, aJournalLeftByAKilledRunIsKeptAside) {
    StationProcess station({.model = "KRT-51"});
    TempFolder folder;
    const auto out = folder / "log.dat";
    const std::string left = "Time\tTset\r\n0\t2500\r\n";
    std::ofstream(out.string() + ".part", std::ios::binary) << left;
    const ProcessResult r = Cli({"--port", station.Link(), "log", "--out", out.string(),
                                 "--samples", "3", "--period", "20"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ExpectStationSamples(out, station, FileStep(out), false), 3);
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        if (entry.path() != out) kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u) << "the old journal, and no new one";
    const std::string name = kept[0].filename().string();
    EXPECT_TRUE(name.starts_with("log.dat-") && name.ends_with(".part")) << name;
    EXPECT_EQ(FileText(kept[0]), left);
    EXPECT_EQ(r.err, out.string() + ".part was left by a recording that did not end; kept as " +
                         kept[0].string() + "\n");
}

}  // namespace
