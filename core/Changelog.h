#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

/// One change sent to the station while recording: at which sample, and what it changed.
struct ChangeEvent {
    int sample = 0;  ///< index of the first sample recorded after the change
    std::string text;
    bool operator==(const ChangeEvent&) const = default;
};

/// The marks of every change sent during a recording, in the order they were made, kept in
/// step with the trace store: New empties it, the cuts drop and shift it like the samples.
/// Saved beside a data file NAME.dat as NAME.events: TAB-separated text with CR LF, the header
/// "Time<TAB>Event", then one line per event with its time in ms on the data file's time base.
class Changelog {
  public:
    /// Marks `text` at `sample` (0 .. 18000); anything else the program or a tool changed
    /// records itself through here too.
    void Record(int sample, std::string text);
    const std::vector<ChangeEvent>& events() const noexcept { return events_; }
    void Clear() noexcept { events_.clear(); }
    /// The store kept samples k.. and re-timed them from 0: events before k go, the rest move.
    void CutLeft(int k);
    /// The store kept samples ..k: events after k go. Events at k + 1, made after the last
    /// kept sample, go as well, since no sample of theirs remains.
    void CutRight(int k);

    /// The events file's text for samples `periodMs` apart.
    std::string Format(int periodMs) const;
    /// Reads an events file's text; a time lands on the nearest sample. Throws
    /// std::runtime_error naming the line when a line is not "ms<TAB>text".
    static Changelog Parse(const std::string& text, int periodMs);

    /// NAME.events for the data file NAME.dat (any extension is replaced).
    static std::filesystem::path PathBeside(const std::filesystem::path& dataFile);
    /// Writes the events file atomically; with no events, removes a stale one instead. Throws
    /// std::runtime_error when it cannot.
    void SaveBeside(const std::filesystem::path& dataFile, int periodMs) const;
    /// The events of the file beside `dataFile`; empty when there is none. Throws
    /// std::runtime_error when one is there but unreadable.
    static Changelog LoadBeside(const std::filesystem::path& dataFile, int periodMs);

  private:
    std::vector<ChangeEvent> events_;
};
