#include "core/Journalkeeper.h"

#include <vector>

namespace {

std::vector<TraceSample> RowsOf(const TraceStore& store) {
    std::vector<TraceSample> rows(static_cast<size_t>(store.count()));
    for (int trace = 0; trace < TraceCount; ++trace) {
        const auto& column = store.column(trace);
        for (int i = 0; i < store.count(); ++i) rows[static_cast<size_t>(i)][trace] = column[i];
    }
    return rows;
}

TraceSample SampleAt(const TraceStore& store, int index) {
    TraceSample sample{};
    for (int trace = 0; trace < TraceCount; ++trace) sample[trace] = store.value(trace, index);
    return sample;
}

}  // namespace

void JournalKeeper::Keep(std::unique_ptr<JournalWriter> writer) {
    writer_ = std::move(writer);
    active_ = false;
    journaledEvents_.clear();
}

void JournalKeeper::SetLayout(const TraceStore& store, const datafile::TraceVisibility& visible,
                              int periodMs) {
    if (visible == visible_ && periodMs == periodMs_) return;
    visible_ = visible;
    periodMs_ = periodMs;
    if (active_) RewriteFrom(store);
}

void JournalKeeper::EventsChanged() {
    if (!writer_ || !active_ || events_ == nullptr) return;
    const auto& events = events_->events();
    if (events == journaledEvents_ && periodMs_ == journaledEventsPeriodMs_) return;
    writer_->SetEvents(events.empty() ? std::string() : events_->Format(periodMs_));
    journaledEvents_ = events;
    journaledEventsPeriodMs_ = periodMs_;
}

void JournalKeeper::Appended(const TraceStore& store, int index) {
    if (!writer_) return;
    if (active_ && index == journaledRows_) {
        writer_->Append(SampleAt(store, index));
        ++journaledRows_;
        EventsChanged();  // a mark is made just before the sample it precedes
        return;
    }
    RewriteFrom(store);
}

void JournalKeeper::Rewritten(const TraceStore& store) {
    if (active_) RewriteFrom(store);
}

void JournalKeeper::Adopt(const TraceStore& store) {
    if (writer_) RewriteFrom(store);
}

void JournalKeeper::Discard() {
    if (!writer_) return;
    // Also when not active: a journal adopted or left over goes with the log it held.
    writer_->Discard();
    active_ = false;
    journaledRows_ = 0;
    journaledEvents_.clear();
}

std::optional<std::string> JournalKeeper::TakeError() {
    return writer_ ? writer_->TakeError() : std::nullopt;
}

void JournalKeeper::RewriteFrom(const TraceStore& store) {
    if (!writer_) return;
    writer_->Rewrite(RowsOf(store), visible_, periodMs_);
    journaledRows_ = store.count();
    active_ = true;
    EventsChanged();
}
