#include "files/Inifile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <iterator>
#include <system_error>

#include "files/Atomicfile.h"

namespace {

constexpr std::string_view LineEnd = "\r\n";
// What a Windows editor puts before the first line of a file it saves as UTF-8.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr char CommentStart = ';';
constexpr int Decimal = 10;
constexpr int Hexadecimal = 16;
constexpr std::uint64_t MaxPositive = 2147483647u;
constexpr std::uint64_t MaxNegative = 2147483648u;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

bool IsHeader(std::string_view trimmed) {
    return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

std::string HeaderLine(std::string_view name) {
    std::string line;
    line.reserve(name.size() + 2);
    line += '[';
    line += name;
    line += ']';
    return line;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = Decimal;
    if (!text.empty() && text.front() == '$') {
        base = Hexadecimal;
        text.remove_prefix(1);
    } else if (StartsWithNoCase(text, "0x")) {
        base = Hexadecimal;
        text.remove_prefix(2);
    }
    // from_chars would skip nothing, but it must not see a second sign either.
    if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
    std::uint64_t magnitude = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, magnitude, base);
    if (result.ec != std::errc{} || result.ptr != end) return std::nullopt;
    if (magnitude > (negative ? MaxNegative : MaxPositive)) return std::nullopt;
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

IniFile IniFile::Load(const std::filesystem::path& path, IniOptions options) {
    int error = 0;
    const std::optional<std::string> text = ReadWholeFile(path, error);
    if (text) return Parse(*text, options);
    // A name that cannot exist reads as a file that does not exist yet.
    if (error == ENOENT || error == ENOTDIR) return IniFile(options);
    throw IniError("Unable to read " + path.string() + " (" +
                   std::system_category().message(error) + ")");
}

IniFile IniFile::Parse(std::string_view text, IniOptions options) {
    IniFile file(options);
    // The mark is no part of the first line: left there, it would hide the first section.
    if (text.starts_with(ByteOrderMark)) {
        file.byteOrderMark_ = true;
        text.remove_prefix(ByteOrderMark.size());
    }
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        file.AddLine(text.substr(0, end));
        if (end == std::string_view::npos) break;
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return file;
}

void IniFile::AddLine(std::string_view raw) {
    const std::string_view trimmed = Trim(raw);
    const bool keep = options_.keepComments;
    if (IsHeader(trimmed)) {
        const std::string_view name = Trim(trimmed.substr(1, trimmed.size() - 2));
        sections_.push_back({keep ? std::string(raw) : HeaderLine(name), std::string(name), {}});
        return;
    }
    const bool comment = trimmed.empty() || trimmed.front() == CommentStart;
    if (sections_.empty()) {
        if (keep) preamble_.emplace_back(raw);
        return;
    }
    if (comment) {
        if (keep) sections_.back().lines.push_back({std::string(raw), {}, {}, false});
        return;
    }
    Line line{keep ? std::string(raw) : std::string(trimmed), {}, {}, false};
    const size_t equals = trimmed.find('=');
    if (equals != std::string_view::npos) {
        line.key = Trim(trimmed.substr(0, equals));
        line.value = Trim(trimmed.substr(equals + 1));
        line.isEntry = !line.key.empty();
        if (!keep) line.text = line.key + "=" + line.value;
    }
    sections_.back().lines.push_back(std::move(line));
}

const IniFile::Line* IniFile::Find(std::string_view section, std::string_view key) const {
    const auto s = std::find_if(sections_.begin(), sections_.end(),
                                [&](const Section& x) { return SameName(x.name, section); });
    if (s == sections_.end()) return nullptr;
    const auto l = std::find_if(s->lines.begin(), s->lines.end(),
                                [&](const Line& x) { return x.isEntry && SameName(x.key, key); });
    return l == s->lines.end() ? nullptr : &*l;
}

std::optional<std::string> IniFile::ReadValue(std::string_view section,
                                              std::string_view key) const {
    const Line* line = Find(section, key);
    if (!line) return std::nullopt;
    return line->value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    const Line* line = Find(section, key);
    return line ? line->value : std::string(fallback);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
    const Line* line = Find(section, key);
    if (!line) return fallback;
    return ParseIniInteger(line->value).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    const Line* line = Find(section, key);
    if (!line) return fallback;
    const std::optional<std::int32_t> value = ParseIniInteger(line->value);
    return value ? *value != 0 : fallback;
}

IniFile::Section& IniFile::SectionFor(std::string_view name) {
    const auto s = std::find_if(sections_.begin(), sections_.end(),
                                [&](const Section& x) { return SameName(x.name, name); });
    if (s != sections_.end()) return *s;
    // Kept files carry their own empty lines; a new section still starts after one.
    if (options_.keepComments) SeparateNewSection();
    sections_.push_back({HeaderLine(name), std::string(name), {}});
    return sections_.back();
}

void IniFile::SeparateNewSection() {
    if (sections_.empty()) {
        if (!preamble_.empty() && !Trim(preamble_.back()).empty()) preamble_.emplace_back();
        return;
    }
    Section& last = sections_.back();
    const std::string_view tail = last.lines.empty() ? last.header : last.lines.back().text;
    if (!Trim(tail).empty()) last.lines.push_back({});
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view name = Trim(section);
    const std::string_view k = Trim(key);
    if (name.empty() || k.empty() || HasLineBreak(name) || HasLineBreak(k) || HasLineBreak(value) ||
        name.find(']') != std::string_view::npos || k.find('=') != std::string_view::npos ||
        k.front() == CommentStart || k.front() == '[')
        throw IniError("Cannot write the key \"" + std::string(key) + "\" of section \"" +
                       std::string(section) + "\"");

    Section& s = SectionFor(name);
    Line line{std::string(k) + "=" + std::string(value), std::string(k), std::string(Trim(value)),
              true};
    const auto existing = std::find_if(s.lines.begin(), s.lines.end(), [&](const Line& x) {
        return x.isEntry && SameName(x.key, k);
    });
    if (existing != s.lines.end()) {
        *existing = std::move(line);
        return;
    }
    // With kept comments the new key goes after the section's last key (or last text), so
    // that the empty lines separating it from the next section stay at its end.
    auto at = s.lines.end();
    if (options_.keepComments) {
        while (at != s.lines.begin() && !std::prev(at)->isEntry) --at;
        if (at == s.lines.begin()) {
            at = s.lines.end();
            while (at != s.lines.begin() && Trim(std::prev(at)->text).empty()) --at;
        }
    }
    s.lines.insert(at, std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
    std::string out(byteOrderMark_ ? ByteOrderMark : std::string_view());
    auto put = [&out](std::string_view line) {
        out += line;
        out += LineEnd;
    };
    for (const std::string& line : preamble_) put(line);
    for (const Section& section : sections_) {
        put(section.header);
        for (const Line& line : section.lines) put(line.text);
        if (!options_.keepComments) put({});
    }
    return out;
}

void IniFile::Save(const std::filesystem::path& path) const {
    try {
        WriteFileAtomic(path, Text());
    } catch (const AtomicFileError& e) {
        throw IniError(e.what());
    }
}
