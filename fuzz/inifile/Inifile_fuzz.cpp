// Feeds arbitrary text to the INI file class and the parameter file reader. Whatever the text,
// the file's own write-back must parse again to the same values, in both write-back styles;
// storing a parameter set must read back to that set and leave every other key alone; a key
// written by hand either reads back trimmed or was refused for a reason its contract names.
//
// Input: the file's text, optionally followed by NUL and "section" US "key" US "value" (US is
// the byte 0x1F) naming one key to write.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/Inifile.h"
#include "files/Paramfile.h"
#include "link/Records.h"

namespace {

constexpr char WriteMark = '\0';
constexpr char FieldMark = '\x1f';
// Bounds the pairs compared, so a file of thousands of short lines stays fast.
constexpr std::size_t MaxNames = 256;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

struct Name {
    std::string section;
    std::string key;
};

/// Every (section, key) the text spells, found with a reading of its own.
std::vector<Name> NamesIn(std::string_view text) {
    std::vector<Name> names;
    std::optional<std::string> section;
    while (!text.empty() && names.size() < MaxNames) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = std::string(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!section || equals == std::string_view::npos) continue;
        names.push_back({*section, std::string(Trim(line.substr(0, equals)))});
    }
    return names;
}

bool SameValues(const IniFile& a, const IniFile& b, const std::vector<Name>& names) {
    return std::all_of(names.begin(), names.end(), [&](const Name& n) {
        return a.ReadValue(n.section, n.key) == b.ReadValue(n.section, n.key);
    });
}

void CheckWriteBack(std::string_view text, IniOptions options, const std::vector<Name>& names) {
    const IniFile file = IniFile::Parse(text, options);
    const std::string written = file.Text();
    const IniFile again = IniFile::Parse(written, options);
    Check(SameValues(file, again, names));
    // Writing back is a fixed point after the first time.
    Check(again.Text() == written);
}

bool IsParamKey(const Name& n) {
    static const std::pair<std::string_view, std::vector<std::string_view>> keys[] = {
        {"Heater",
         {"Kp", "Ki", "Kd", "Mode", "Delay", "PllKp", "PllKi", "PllError", "Plim", "Comp"}},
        {"TC", {"Shift", "Gain", "Tcjn"}},
        {"Fan", {"Kp", "Ki", "Kd"}},
    };
    auto same = [](std::string_view a, std::string_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
            return lower(x) == lower(y);
        });
    };
    for (const auto& [section, list] : keys) {
        if (!same(section, n.section)) continue;
        for (std::string_view key : list)
            if (same(key, n.key)) return true;
    }
    return false;
}

void CheckParams(std::string_view text, const std::vector<Name>& names) {
    IniFile file = IniFile::Parse(text);
    const IniFile original = IniFile::Parse(text);
    HeaterParams start;
    start.Mode = 1;
    start.Plim = 555;
    start.LastPreset = 9;
    const ParamSet set = ReadParams(file, start);
    Check(set.panel.Mode == 0 || set.panel.Mode == 1);
    // What the file does not carry comes from the copy the load started from.
    Check(set.cached.Mode == start.Mode && set.cached.Plim == start.Plim &&
          set.cached.LastPreset == start.LastPreset);

    StoreParams(file, set.panel, set.cached);
    const IniFile saved = IniFile::Parse(file.Text());
    Check(ReadParams(saved, start) == set);
    std::vector<Name> others;
    std::copy_if(names.begin(), names.end(), std::back_inserter(others),
                 [](const Name& n) { return !IsParamKey(n); });
    Check(SameValues(original, saved, others));
}

/// The refusals WriteString's contract names.
bool Refusable(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view s = Trim(section);
    const std::string_view k = Trim(key);
    auto breaks = [](std::string_view t) { return t.find_first_of("\r\n") != t.npos; };
    return s.empty() || k.empty() || breaks(s) || breaks(k) || breaks(value) ||
           s.find(']') != s.npos || k.find('=') != k.npos || k.front() == ';' || k.front() == '[';
}

void CheckWrite(std::string_view text, std::string_view spec, IniOptions options) {
    const std::size_t first = spec.find(FieldMark);
    const std::size_t second = first == spec.npos ? spec.npos : spec.find(FieldMark, first + 1);
    if (second == spec.npos) return;
    const std::string_view section = spec.substr(0, first);
    const std::string_view key = spec.substr(first + 1, second - first - 1);
    const std::string_view value = spec.substr(second + 1);

    IniFile file = IniFile::Parse(text, options);
    try {
        file.WriteString(section, key, value);
    } catch (const IniError&) {
        Check(Refusable(section, key, value));
        return;
    }
    Check(!Refusable(section, key, value));
    const std::optional<std::string> expected{std::string(Trim(value))};
    Check(file.ReadValue(Trim(section), Trim(key)) == expected);
    const IniFile again = IniFile::Parse(file.Text(), options);
    Check(again.ReadValue(Trim(section), Trim(key)) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t mark = input.rfind(WriteMark);
    const std::string_view text = mark == input.npos ? input : input.substr(0, mark);
    const std::string_view spec = mark == input.npos ? std::string_view{} : input.substr(mark + 1);

    const std::vector<Name> names = NamesIn(text);
    for (const bool keep : {false, true}) {
        const IniOptions options{keep};
        CheckWriteBack(text, options, names);
        CheckWrite(text, spec, options);
    }
    CheckParams(text, names);
    return 0;
}
