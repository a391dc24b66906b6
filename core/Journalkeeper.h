#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Changelog.h"
#include "files/Datafile.h"
#include "files/Journalwriter.h"
#include "traces/Tracestore.h"

/// Decides what the recording journal holds: from the first sample appended to a log that is
/// not on disk until that log is saved or thrown away, the journal mirrors the store with the
/// traces and the period a save would use, and the change marks of `events` (when given) in
/// the events file beside it. Without a writer it does nothing.
class JournalKeeper {
  public:
    explicit JournalKeeper(const Changelog* events = nullptr) : events_(events) {}

    /// From now on the log is journaled through `writer` (nothing is written until a sample is
    /// appended or a log adopted).
    void Keep(std::unique_ptr<JournalWriter> writer);
    bool keeping() const noexcept { return writer_ != nullptr; }
    /// Whether the journal currently mirrors the log.
    bool active() const noexcept { return active_; }
    JournalWriter* writer() noexcept { return writer_.get(); }

    /// The traces and the period a save would write. When they change, an active journal is
    /// rewritten.
    void SetLayout(const TraceStore& store, const datafile::TraceVisibility& visible, int periodMs);
    /// Sample `index` was appended to `store` while recording: the first one starts the
    /// journal with the whole log, the next ones are added as rows.
    void Appended(const TraceStore& store, int index);
    /// The change marks may have changed: an active journal's events file follows them.
    void EventsChanged();
    /// The log changed as a whole (a cut): an active journal is rewritten.
    void Rewritten(const TraceStore& store);
    /// The log was read back from the journal after a crash; the journal goes on from it.
    void Adopt(const TraceStore& store);
    /// The log was saved, replaced by a file or thrown away: nothing of it is unsaved.
    void Discard();

    /// A write fault, once per run of faults.
    std::optional<std::string> TakeError();

  private:
    void RewriteFrom(const TraceStore& store);

    const Changelog* events_;
    std::vector<ChangeEvent> journaledEvents_;  // what the events file was last given
    int journaledEventsPeriodMs_ = 0;

    std::unique_ptr<JournalWriter> writer_;
    datafile::TraceVisibility visible_{};
    int periodMs_ = 100;
    bool active_ = false;
    int journaledRows_ = 0;  // rows the journal holds, the next one's index
};
