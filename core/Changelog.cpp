#include "core/Changelog.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

#include "files/Atomicfile.h"
#include "traces/Tracestore.h"

namespace {

constexpr std::string_view Header = "Time\tEvent";
constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view Extension = ".events";

std::runtime_error BadLine(int line, const std::string& why) {
    return std::runtime_error("Bad events file: line " + std::to_string(line) + ": " + why);
}

}  // namespace

void Changelog::Record(int sample, std::string text) {
    sample = std::clamp(sample, 0, TraceCapacity - 1);
    // Text travels in a TAB-separated line: tabs and line breaks become spaces.
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    events_.push_back({sample, std::move(text)});
}

void Changelog::CutLeft(int k) {
    std::erase_if(events_, [k](const ChangeEvent& e) { return e.sample < k; });
    for (ChangeEvent& e : events_) e.sample -= k;
}

void Changelog::CutRight(int k) {
    std::erase_if(events_, [k](const ChangeEvent& e) { return e.sample > k; });
}

std::string Changelog::Format(int periodMs) const {
    std::string text(Header);
    text += LineEnd;
    for (const ChangeEvent& e : events_) {
        text += std::to_string(static_cast<long long>(e.sample) * periodMs);
        text += '\t';
        text += e.text;
        text += LineEnd;
    }
    return text;
}

Changelog Changelog::Parse(const std::string& text, int periodMs) {
    Changelog log;
    std::size_t at = 0;
    int line = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view row(text.data() + at, end - at);
        at = end + 1;
        ++line;
        if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
        if (line == 1) {
            if (row != Header) throw BadLine(line, "the header is not Time<TAB>Event");
            continue;
        }
        if (row.empty()) continue;
        const std::size_t tab = row.find('\t');
        if (tab == std::string_view::npos) throw BadLine(line, "no TAB");
        long long ms = 0;
        const auto [ptr, ec] = std::from_chars(row.data(), row.data() + tab, ms);
        if (ec != std::errc() || ptr != row.data() + tab || ms < 0)
            throw BadLine(line, "the time is not a whole number of ms");
        const auto sample = static_cast<int>(std::min<long long>(
            std::llround(static_cast<double>(ms) / periodMs), TraceCapacity - 1));
        log.Record(sample, std::string(row.substr(tab + 1)));
    }
    if (line == 0) throw BadLine(1, "the file is empty");
    return log;
}

std::filesystem::path Changelog::PathBeside(const std::filesystem::path& dataFile) {
    std::filesystem::path path = dataFile;
    return path.replace_extension(Extension);
}

void Changelog::SaveBeside(const std::filesystem::path& dataFile, int periodMs) const {
    const std::filesystem::path path = PathBeside(dataFile);
    if (events_.empty()) {
        // A file of earlier events would be read back as this recording's.
        std::error_code error;
        std::filesystem::remove(path, error);
        if (error)
            throw std::runtime_error("Unable to remove " + path.string() + ": " + error.message());
        return;
    }
    WriteFileAtomic(path, Format(periodMs));
}

Changelog Changelog::LoadBeside(const std::filesystem::path& dataFile, int periodMs) {
    const std::filesystem::path path = PathBeside(dataFile);
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) return {};
    int error = 0;
    const std::optional<std::string> text = ReadWholeFile(path, error);
    if (!text) {
        throw std::runtime_error("Unable to read " + path.string() + ": " +
                                 std::system_category().message(error));
    }
    return Parse(*text, periodMs);
}
