#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/Datafile.h"
#include "link/Uniquefd.h"
#include "traces/Tracestore.h"

/// Keeps a recording on disk while it is made: a data file (header, then one row per sample with
/// the time i x period and the visible traces) that a crash, a kill or a power cut leaves behind
/// with every sample up to about one flush interval before the end.
///
/// The calls only queue work and return at once; a thread of the writer's own formats the rows,
/// appends them and flushes them with fdatasync at least once per flush interval, so the poll
/// never waits on the disk. A whole new text (a cut, another layout) replaces the file
/// atomically. A write fault never throws: it is reported once through TakeError, what was
/// half-written is cut off again, and the next interval tries anew.
class JournalWriter {
  public:
    static constexpr std::chrono::milliseconds DefaultFlushInterval{500};

    /// Starts the writer thread, which takes no signals (they stay with the caller's threads).
    /// Nothing is written before the first Rewrite.
    explicit JournalWriter(std::filesystem::path path,
                           std::chrono::milliseconds flushInterval = DefaultFlushInterval);
    /// Writes what is still queued, then stops the thread. The file stays unless discarded.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }
    const std::filesystem::path& eventsPath() const noexcept { return eventsPath_; }

    /// The journal becomes `rows` (sample i at time i x `periodMs`) with the traces `visible`;
    /// the file is replaced as a whole, soon.
    void Rewrite(std::vector<TraceSample> rows, const datafile::TraceVisibility& visible,
                 int periodMs);
    /// One more row, written at the next flush.
    void Append(const TraceSample& sample);
    /// The text of the events file kept beside the journal (its name with ".events") while the
    /// journal is there; empty for none. Written atomically, soon.
    void SetEvents(std::string text);
    /// Forgets the rows and the events and removes both files, soon. A later Rewrite starts a
    /// new journal.
    void Discard();
    /// Returns once everything queued before the call has been written and flushed, or has
    /// failed.
    void Flush();

    /// The first fault of a run of failed writes, once; nothing while writes succeed.
    std::optional<std::string> TakeError();
    /// Rows the file holds on disk, flushed.
    int rowsOnDisk() const;

  private:
    struct Snapshot {
        std::uint64_t generation = 0;
        bool discard = false;
        bool whole = false;  // replace the file; else append
        int firstRow = 0;
        std::vector<TraceSample> rows;
        datafile::TraceVisibility visible{};
        int periodMs = 0;
    };

    struct Outcome {
        bool ok = false;
        bool fileValid = false;  // the file holds exactly the rows counted as on disk
        std::string message;     // why it failed
    };

    void Run();
    bool HasWork() const;
    Snapshot TakeSnapshot();
    void Apply(const Snapshot& s, const Outcome& outcome);
    void Failed(const std::string& message);
    /// What the events file should hold now: nothing while there is no journal.
    const std::string& EventsWanted() const;
    Outcome WriteEvents(const std::string& text);
    Outcome Write(const Snapshot& s);
    Outcome RemoveFile();
    Outcome ReplaceFile(const std::string& text);
    Outcome AppendToFile(const std::string& text);

    const std::filesystem::path path_;
    const std::filesystem::path eventsPath_;
    const std::chrono::milliseconds flushInterval_;

    // Shared with the writer thread, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable written_;
    std::vector<TraceSample> rows_;
    datafile::TraceVisibility visible_{};
    int periodMs_ = 0;
    std::uint64_t generation_ = 0;  // counts Rewrite and Discard
    std::uint64_t queued_ = 0;      // counts every call that changes what the file should be
    std::uint64_t done_ = 0;        // the last of those the thread has dealt with
    bool discarded_ = true;         // no file wanted
    bool urgent_ = false;           // a Rewrite, Discard or Flush: do not wait for the interval
    bool stopping_ = false;
    int rowsOnDisk_ = 0;
    std::uint64_t diskGeneration_ = 0;         // the generation the file on disk belongs to
    bool fileValid_ = false;                   // the file holds exactly rows 0 .. rowsOnDisk_ - 1
    std::string events_;                       // the events file's text while the journal is there
    std::optional<std::string> eventsOnDisk_;  // what it holds, "" for none; unknown at first
    bool failing_ = false;
    std::optional<std::string> error_;

    // The writer thread's alone.
    UniqueFd appendFd_;
    off_t appendSize_ = 0;

    std::thread thread_;
};
