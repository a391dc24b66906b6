#include "files/Journalwriter.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "files/Atomicfile.h"

namespace {

constexpr size_t WidestRow = 12 * (TraceCount + 1) + 2;  // ten digits, a sign and a TAB each

std::string Reason(int error) {
    return std::system_category().message(error);
}

/// Every signal blocked while it lives, so that a thread started meanwhile never takes one: a
/// stop signal must reach the thread that waits for it, not end the process from this one.
class SignalsBlocked {
  public:
    SignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

  private:
    sigset_t previous_{};
};

}  // namespace

JournalWriter::JournalWriter(std::filesystem::path path, std::chrono::milliseconds flushInterval)
    : path_(std::move(path)),
      eventsPath_(std::filesystem::path(path_).replace_extension(".events")),
      flushInterval_(flushInterval) {
    rows_.reserve(TraceCapacity);
    const SignalsBlocked blocked;
    thread_ = std::thread([this] { Run(); });
}

JournalWriter::~JournalWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        urgent_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void JournalWriter::Rewrite(std::vector<TraceSample> rows, const datafile::TraceVisibility& visible,
                            int periodMs) {
    {
        const std::lock_guard lock(mutex_);
        rows_ = std::move(rows);
        if (rows_.size() > static_cast<size_t>(TraceCapacity)) rows_.resize(TraceCapacity);
        rows_.reserve(TraceCapacity);  // so that no Append has to grow it
        visible_ = visible;
        periodMs_ = periodMs;
        discarded_ = false;
        ++generation_;
        ++queued_;
        urgent_ = true;
    }
    wake_.notify_one();
}

void JournalWriter::Append(const TraceSample& sample) {
    const std::lock_guard lock(mutex_);
    if (discarded_ || rows_.size() >= static_cast<size_t>(TraceCapacity)) return;
    rows_.push_back(sample);
    ++queued_;
}

void JournalWriter::SetEvents(std::string text) {
    {
        const std::lock_guard lock(mutex_);
        if (text == events_) return;
        events_ = std::move(text);
        ++queued_;
        urgent_ = true;
    }
    wake_.notify_one();
}

void JournalWriter::Discard() {
    {
        const std::lock_guard lock(mutex_);
        rows_.clear();
        events_.clear();
        discarded_ = true;
        ++generation_;
        ++queued_;
        urgent_ = true;
    }
    wake_.notify_one();
}

void JournalWriter::Flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = queued_;
    urgent_ = true;
    wake_.notify_one();
    written_.wait(lock, [&] { return done_ >= target; });
}

std::optional<std::string> JournalWriter::TakeError() {
    const std::lock_guard lock(mutex_);
    return std::exchange(error_, std::nullopt);
}

int JournalWriter::rowsOnDisk() const {
    const std::lock_guard lock(mutex_);
    return fileValid_ && !discarded_ ? rowsOnDisk_ : 0;
}

// Writer thread

const std::string& JournalWriter::EventsWanted() const {
    static const std::string none;
    return discarded_ ? none : events_;
}

bool JournalWriter::HasWork() const {
    if (diskGeneration_ != generation_) return true;
    if (discarded_) return false;
    return !fileValid_ || static_cast<size_t>(rowsOnDisk_) < rows_.size();
}

JournalWriter::Snapshot JournalWriter::TakeSnapshot() {
    Snapshot s;
    s.generation = generation_;
    s.discard = discarded_;
    if (s.discard) return s;
    s.visible = visible_;
    s.periodMs = periodMs_;
    s.whole = diskGeneration_ != generation_ || !fileValid_;
    s.firstRow = s.whole ? 0 : rowsOnDisk_;
    s.rows.assign(rows_.begin() + s.firstRow, rows_.end());
    return s;
}

void JournalWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait_for(lock, flushInterval_, [this] { return urgent_ || stopping_; });
        urgent_ = false;
        const bool last = stopping_;
        const std::uint64_t sequence = queued_;
        bool ok = true;
        if (HasWork()) {
            const Snapshot s = TakeSnapshot();
            lock.unlock();
            const Outcome outcome = Write(s);
            lock.lock();
            Apply(s, outcome);
            ok = outcome.ok;
        }
        // The marks after the rows they point into.
        if (EventsWanted() != eventsOnDisk_) {
            const std::string text = EventsWanted();
            lock.unlock();
            const Outcome outcome = WriteEvents(text);
            lock.lock();
            if (outcome.ok)
                eventsOnDisk_ = text;
            else
                Failed(outcome.message);
            ok = ok && outcome.ok;
        }
        if (ok) failing_ = false;
        done_ = sequence;
        written_.notify_all();
        if (last) return;
    }
}

JournalWriter::Outcome JournalWriter::Write(const Snapshot& s) {
    if (s.discard) return RemoveFile();
    std::string text;
    text.reserve((s.rows.size() + 1) * WidestRow);
    if (s.whole) datafile::AppendHeader(text, s.visible);
    for (size_t i = 0; i < s.rows.size(); ++i) {
        const auto index = static_cast<std::int64_t>(s.firstRow) + static_cast<std::int64_t>(i);
        datafile::AppendRow(text, index * s.periodMs, s.rows[i], s.visible);
    }
    return s.whole ? ReplaceFile(text) : AppendToFile(text);
}

JournalWriter::Outcome JournalWriter::WriteEvents(const std::string& text) {
    if (text.empty()) {
        if (::unlink(eventsPath_.c_str()) != 0 && errno != ENOENT)
            return {false, false,
                    "cannot remove " + eventsPath_.string() + " (" + Reason(errno) + ")"};
        return {true, false, {}};
    }
    try {
        WriteFileAtomic(eventsPath_, text);
    } catch (const AtomicFileError& e) {
        return {false, false, e.what()};
    }
    return {true, true, {}};
}

JournalWriter::Outcome JournalWriter::RemoveFile() {
    appendFd_.reset();
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
        return {false, false, "cannot remove " + path_.string() + " (" + Reason(errno) + ")"};
    return {true, false, {}};
}

JournalWriter::Outcome JournalWriter::ReplaceFile(const std::string& text) {
    appendFd_.reset();
    try {
        WriteFileAtomic(path_, text);
    } catch (const AtomicFileError& e) {
        return {false, false, e.what()};
    }
    appendFd_.reset(::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!appendFd_)
        return {false, false, "cannot reopen " + path_.string() + " (" + Reason(errno) + ")"};
    appendSize_ = static_cast<off_t>(text.size());
    return {true, true, {}};
}

JournalWriter::Outcome JournalWriter::AppendToFile(const std::string& text) {
    std::string_view rest = text;
    while (!rest.empty()) {
        const ssize_t written = ::write(appendFd_.get(), rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) {
            const int error = errno;
            // Rows cut in half would spoil the file for every reader: take them back. Shrinking
            // needs no room on the disk.
            const bool intact = ::ftruncate(appendFd_.get(), appendSize_) == 0;
            return {false, intact, "cannot write " + path_.string() + " (" + Reason(error) + ")"};
        }
        rest.remove_prefix(static_cast<size_t>(written));
    }
    if (::fdatasync(appendFd_.get()) != 0) {
        // What reached the disk is unknown: the next flush replaces the file as a whole.
        return {false, false, "cannot flush " + path_.string() + " (" + Reason(errno) + ")"};
    }
    appendSize_ += static_cast<off_t>(text.size());
    return {true, true, {}};
}

void JournalWriter::Apply(const Snapshot& s, const Outcome& outcome) {
    if (outcome.ok) {
        diskGeneration_ = s.generation;
        fileValid_ = outcome.fileValid;
        rowsOnDisk_ = s.discard ? 0 : s.firstRow + static_cast<int>(s.rows.size());
        return;
    }
    // An append that was taken back leaves the file as it was; anything else is rewritten.
    if (!outcome.fileValid) fileValid_ = false;
    Failed(outcome.message);
}

void JournalWriter::Failed(const std::string& message) {
    if (!failing_) error_ = "Recording journal: " + message;
    failing_ = true;
}
