#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "files/Datafile.h"
#include "link/Uniquefd.h"
#include "traces/Tracestore.h"

/// The window's journal folder, its names and locks, and what is done with a journal left by a
/// run that ended without saving.
namespace journal {

/// Journals a window keeps and set aside are named after this.
inline constexpr std::string_view BaseName = "recording";
/// Journals set aside that are kept; older ones are removed.
inline constexpr int KeptAside = 5;
/// Windows that may keep a journal at once on one account.
inline constexpr int MaxWindows = 9;

/// The folder, the lock or a move of a journal failed. The message names the file and reason.
class JournalError : public std::runtime_error {
  public:
    explicit JournalError(const std::string& message) : std::runtime_error(message) {}
};

/// $XDG_STATE_HOME/tavolin, else ~/.local/state/tavolin.
std::filesystem::path DefaultFolder();

/// One window's right to a journal name in a folder: "recording", else "recording-2" ... for
/// windows that run at the same time. Held by an exclusive lock on NAME.lock until the object
/// goes, so two windows never share a journal; a journal whose lock is free was left by a run
/// that ended.
class Claim {
  public:
    /// Creates the folder when missing and takes the first free name. Throws JournalError when
    /// the folder cannot be made or every name is taken.
    static Claim Take(const std::filesystem::path& folder);

    const std::string& name() const noexcept { return name_; }
    std::filesystem::path dataFile() const { return folder_ / (name_ + ".dat"); }
    std::filesystem::path eventsFile() const { return folder_ / (name_ + ".events"); }
    const std::filesystem::path& folder() const noexcept { return folder_; }

  private:
    Claim(std::filesystem::path folder, std::string name, UniqueFd lock)
        : folder_(std::move(folder)), name_(std::move(name)), lock_(std::move(lock)) {}

    std::filesystem::path folder_;
    std::string name_;
    UniqueFd lock_;
};

/// Moves `file` to STEM-YYYYMMDD-HHMMSS plus `file`'s extension in the same folder, the time
/// being `now` in local time; "-2", "-3" ... are added when the name is taken. Returns the new
/// path. Throws JournalError.
std::filesystem::path MoveAside(const std::filesystem::path& file, std::string_view stem,
                                std::time_t now);

/// Sets the claimed journal aside as recording-DATE-TIME.dat, its events file beside it with
/// the same name, then keeps only the newest KeptAside of those. Returns the new data file.
/// Throws JournalError.
std::filesystem::path SetAside(const Claim& claim, std::time_t now);

/// Removes the journal files set aside in `folder` beyond the newest `keep`, with their events.
void PruneAside(const std::filesystem::path& folder, int keep = KeptAside);

/// A journal read back after a crash.
struct Recovered {
    bool ok = false;
    std::string detail;                   ///< why it could not be read
    datafile::TraceVisibility visible{};  ///< the traces of its header
    std::optional<int> samplePeriodMs;    ///< from its second row
    int rows = 0;                         ///< samples loaded into the store
};

/// Loads the journal at `path` into `store` with the data file reader. A last row that a crash
/// cut short, and anything after a damaged row, is left out: the rows before it are the
/// recording. Not ok (and the store untouched) when the file is missing or has no header.
Recovered Recover(const std::filesystem::path& path, TraceStore& store);

}  // namespace journal
