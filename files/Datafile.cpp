#include "files/Datafile.h"

#include <charconv>
#include <cstdint>
#include <system_error>
#include <utility>

#include "files/Atomicfile.h"
#include "files/Sampleperiod.h"

namespace datafile {
namespace {

constexpr std::string_view TimeKey = "Time";
constexpr std::string_view LineEnd = "\r\n";
constexpr char Tab = '\t';
constexpr int PeriodRow = 2;            // the first row whose time is not 0
constexpr size_t MaxIntegerChars = 24;  // "-9223372036854775808" and then some
constexpr size_t MaxQuotedChars = 24;   // of a bad field in a message
constexpr int HeaderLines = 1;          // before the first row in the file's own line numbers

template <typename Int>
void AppendInteger(std::string& out, Int value) {
    char buffer[MaxIntegerChars];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

/// Lines end with CR LF, a lone CR or a lone LF; a last line without an end counts.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    std::optional<std::string_view> Next() {
        if (rest_.empty()) return std::nullopt;
        const size_t end = rest_.find_first_of("\r\n");
        const std::string_view line = rest_.substr(0, end);
        if (end == std::string_view::npos) {
            rest_ = {};
        } else {
            const bool crlf =
                rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
            rest_.remove_prefix(end + (crlf ? 2 : 1));
        }
        return line;
    }

  private:
    std::string_view rest_;
};

/// Fields are separated by runs of characters 1 to 32 (TAB, space, control characters).
class FieldReader {
  public:
    explicit FieldReader(std::string_view line) : rest_(line) {}

    std::optional<std::string_view> Next() {
        size_t start = 0;
        while (start < rest_.size() && IsSeparator(rest_[start])) ++start;
        if (start == rest_.size()) return std::nullopt;
        size_t end = start;
        while (end < rest_.size() && !IsSeparator(rest_[end])) ++end;
        const std::string_view field = rest_.substr(start, end - start);
        rest_.remove_prefix(end);
        return field;
    }

  private:
    static bool IsSeparator(char c) {
        const auto code = static_cast<unsigned char>(c);
        return code >= 1 && code <= ' ';
    }
    std::string_view rest_;
};

/// Plain decimal with an optional sign, the whole field, within 32 bits.
std::optional<std::int32_t> ParseInteger(std::string_view field) {
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
        if (!field.empty() && field.front() == '-') return std::nullopt;
    }
    std::int32_t value = 0;
    const char* end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, value);
    if (result.ec != std::errc{} || result.ptr != end) return std::nullopt;
    return value;
}

/// `row` counts the rows from 1; the message names the line as an editor numbers it.
LoadResult Failed(LoadResult result, int row, std::string_view why) {
    result.ok = false;
    result.message = BadFormatMessage;
    result.detail = "Line " + std::to_string(row + HeaderLines) + ": " + std::string(why) + ".";
    return result;
}

/// A field as a message shows it: quoted, and cut short when long.
std::string Quoted(std::string_view field) {
    if (field.size() <= MaxQuotedChars) return "\"" + std::string(field) + "\"";
    return "\"" + std::string(field.substr(0, MaxQuotedChars)) + "...\"";
}

DataFileText Unreadable(std::string detail) {
    DataFileText file;
    file.message = BadFormatMessage;
    file.detail = std::move(detail);
    return file;
}

}  // namespace

void AppendHeader(std::string& out, const TraceVisibility& visible) {
    out += TimeKey;
    for (int trace = 0; trace < TraceCount; ++trace) {
        if (!visible[trace]) continue;
        out += Tab;
        out += TraceKeys[trace];
    }
    out += LineEnd;
}

void AppendRow(std::string& out, std::int64_t timeMs, const TraceSample& sample,
               const TraceVisibility& visible) {
    AppendInteger(out, timeMs);
    for (int trace = 0; trace < TraceCount; ++trace) {
        if (!visible[trace]) continue;
        out += Tab;
        AppendInteger(out, sample[trace]);
    }
    out += LineEnd;
}

std::string FormatDataFile(const TraceStore& store, const TraceVisibility& visible,
                           int samplePeriodMs) {
    int shown = 0;
    for (bool v : visible) shown += v ? 1 : 0;
    std::string out;
    // Room for the widest numbers, so the text is built without growing.
    out.reserve((static_cast<size_t>(store.count()) + 1) * (shown + 1) * (MaxIntegerChars / 2));

    AppendHeader(out, visible);
    for (int i = 0; i < store.count(); ++i) {
        // 18000 x a large period does not fit 32 bits.
        AppendInteger(out, static_cast<std::int64_t>(i) * samplePeriodMs);
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (!visible[trace]) continue;
            out += Tab;
            AppendInteger(out, store.value(trace, i));
        }
        out += LineEnd;
    }
    return out;
}

SaveResult SaveDataFile(const std::filesystem::path& path, TraceStore& store,
                        const TraceVisibility& visible, int samplePeriodMs) {
    SaveResult result;
    try {
        WriteFileAtomic(path, FormatDataFile(store, visible, samplePeriodMs));
    } catch (const AtomicFileError& e) {
        result.message = SaveFailedMessage;
        result.detail = e.reason();
        return result;
    }
    store.setModified(false);
    result.ok = true;
    return result;
}

DataFileText CheckHeader(std::string text) {
    const std::optional<std::string_view> header = LineReader(text).Next();
    if (!header) return Unreadable("The file is empty.");
    if (header->find(TimeKey) == std::string_view::npos)
        return Unreadable("Line 1: the header has no \"Time\".");

    DataFileText file;
    file.ok = true;
    for (int trace = 0; trace < TraceCount; ++trace)
        file.visible[trace] = header->find(TraceKeys[trace]) != std::string_view::npos;
    file.text = std::move(text);
    return file;
}

DataFileText ReadDataFile(const std::filesystem::path& path) {
    int error = 0;
    std::optional<std::string> text = ReadWholeFile(path, error);
    if (!text) return Unreadable(std::system_category().message(error) + ".");
    return CheckHeader(std::move(*text));
}

LoadResult LoadRows(const DataFileText& file, TraceStore& store) {
    if (!file.ok) return Failed({}, 0, "the header was not accepted");
    store.Clear();
    LoadResult result;
    LineReader lines(file.text);
    lines.Next();  // the header
    int line = 0;
    while (const std::optional<std::string_view> text = lines.Next()) {
        ++line;
        if (store.count() == TraceCapacity) {
            result.droppedRows = 1;
            while (lines.Next()) ++result.droppedRows;
            break;
        }
        FieldReader fields(*text);
        const std::optional<std::string_view> time = fields.Next();
        if (line == PeriodRow) {
            if (!time) return Failed(std::move(result), line, "no time");
            const std::optional<std::int32_t> period = ParseInteger(*time);
            if (!period)
                return Failed(std::move(result), line,
                              "the time " + Quoted(*time) + " is not an integer");
            // 0 or less has no time axis at all.
            result.samplePeriodMs = *period > 0 ? *period : sampleperiod::DefaultMs;
        }
        TraceSample sample{};
        for (int trace = 0; trace < TraceCount; ++trace) {
            if (!file.visible[trace]) continue;
            const std::optional<std::string_view> field = fields.Next();
            if (!field)
                return Failed(std::move(result), line,
                              "no value for " + std::string(TraceKeys[trace]));
            const std::optional<std::int32_t> value = ParseInteger(*field);
            if (!value)
                return Failed(
                    std::move(result), line,
                    std::string(TraceKeys[trace]) + " " + Quoted(*field) + " is not an integer");
            sample[trace] = *value;
        }
        store.Append(sample);
    }
    result.ok = true;
    return result;
}

LoadedFile LoadDataFile(const std::filesystem::path& path) {
    LoadedFile loaded;
    const DataFileText file = ReadDataFile(path);
    if (!file.ok) {
        loaded.result.message = file.message;
        loaded.result.detail = file.detail;
        return loaded;
    }
    loaded.visible = file.visible;
    loaded.store = std::make_unique<TraceStore>();
    loaded.result = LoadRows(file, *loaded.store);
    return loaded;
}

namespace {

std::string MessageAndDetail(const std::string& message, const std::string& detail) {
    if (detail.empty()) return message;
    return message + "\n" + detail;
}

}  // namespace

std::string FailureText(const LoadResult& result) {
    return MessageAndDetail(result.message, result.detail);
}

std::string FailureText(const SaveResult& result) {
    return MessageAndDetail(result.message, result.detail);
}

}  // namespace datafile
