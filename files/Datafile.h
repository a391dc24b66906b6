#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "traces/Tracestore.h"

/// The data file (*.dat): tab-separated text, CR LF line ends, header "Time" plus the keys of
/// the visible traces, then one row per sample: the time in ms and the stored integers.
namespace datafile {

inline constexpr std::string_view BadFormatMessage = "Bad file format.";
inline constexpr std::string_view SaveFailedMessage = "Unable to save file.";

/// One flag per trace in storage order: the trace check boxes.
using TraceVisibility = std::array<bool, TraceCount>;

/// Appends the header line: "Time" and the keys of the visible traces.
void AppendHeader(std::string& out, const TraceVisibility& visible);
/// Appends the row of one sample: its time in ms, then the visible traces' values.
void AppendRow(std::string& out, std::int64_t timeMs, const TraceSample& sample,
               const TraceVisibility& visible);

/// The whole text of a data file: the header, then rows 0 .. count-1 of the visible traces with
/// the time i x `samplePeriodMs`.
std::string FormatDataFile(const TraceStore& store, const TraceVisibility& visible,
                           int samplePeriodMs);

struct SaveResult {
    bool ok = false;
    std::string message;  ///< SaveFailedMessage on failure, else empty
    std::string detail;   ///< on failure the file, the step and the system's reason
};

/// Writes the data file to `path`, replacing it only once the new file is complete on disk.
/// On success clears `store.modified`; on failure the old file and `modified` are untouched.
/// Never throws for I/O.
SaveResult SaveDataFile(const std::filesystem::path& path, TraceStore& store,
                        const TraceVisibility& visible, int samplePeriodMs);

/// A data file read whole, with its header checked. Nothing has been loaded yet.
struct DataFileText {
    bool ok = false;            ///< readable, at least one line, "Time" in the header
    std::string message;        ///< BadFormatMessage when not ok
    std::string detail;         ///< why it failed, a sentence for the user
    TraceVisibility visible{};  ///< traces whose key occurs in the header (valid when ok)
    std::string text;           ///< the whole file
};

/// Reads `path` and checks its header. Touches no state; never throws for I/O.
DataFileText ReadDataFile(const std::filesystem::path& path);
/// The same check over a file's text already in memory.
DataFileText CheckHeader(std::string text);

struct LoadResult {
    bool ok = false;
    std::string message;  ///< BadFormatMessage on failure, else empty
    std::string detail;   ///< which line of the file (the header is line 1) failed and why
    /// Time field of the second data row, when that row was reached: the period the log was
    /// saved with, which may lie outside the periods the poll offers (a recording that could
    /// not keep its period is saved with the spacing it achieved). A time of 0 or less has no
    /// time axis and gives the default 100. Whoever hands it to the poll timer passes it
    /// through sampleperiod::OrDefault.
    std::optional<int> samplePeriodMs;
    /// Rows after the first TraceCapacity rows: the store has no room for them, they were
    /// neither read nor stored, and the load still counts as a success.
    int droppedRows = 0;
};

/// Clears `store` and fills it from the rows of `file`, which must have passed the header
/// check (the caller stops acquisition first). Fields of each row go to the visible traces in
/// storage order, whatever the order of the header's keys. On a bad row the store keeps the
/// complete rows before it. Never stores beyond index TraceCapacity - 1; `modified` is left
/// alone.
LoadResult LoadRows(const DataFileText& file, TraceStore& store);

/// A data file read whole into a store of its own, so that a failure leaves every other log
/// as it was.
struct LoadedFile {
    LoadResult result;          ///< the header check's failure too
    TraceVisibility visible{};  ///< traces whose key occurs in the header
    std::unique_ptr<TraceStore> store;
};
LoadedFile LoadDataFile(const std::filesystem::path& path);

/// What a failed read or save says to the user: the message, and below it the detail.
std::string FailureText(const LoadResult& result);
std::string FailureText(const SaveResult& result);

}  // namespace datafile
