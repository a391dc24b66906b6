#include "bench/soak/Soakcheck.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace soak {
namespace {

constexpr int GetHeatCode = 7;
constexpr int GetFanCode = 13;
// Reply data: the error code byte, then the record's fields, 16-bit words little-endian.
constexpr std::size_t HeatReplyBytes = 1 + 12;
constexpr std::size_t FanReplyBytes = 1 + 5;

/// Reply tags that mean the client must not have taken the reply, and the fault's name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> DamagingTags = {{
    {"SILENT", "silent"},
    {"LATE", "late"},
    {"DROPPED", "dropped"},
    {"NOFRAME", "long noise"},
    {"BADCRC", "bad CRC"},
    {"ERROR", "error code"},
    {"ADDRESS", "wrong address"},
    {"COMMAND", "wrong command"},
}};

bool IsReply(const StationLogEntry& e, int command) {
    return e.direction == StationLogEntry::Direction::Tx && e.command == command;
}

std::optional<std::string> DamageOf(const StationLogEntry& e, std::size_t replyBytes) {
    for (const auto& [tag, name] : DamagingTags)
        if (e.Has(tag)) return std::string(name);
    if (!e.data || e.data->size() != replyBytes) return "no frame of the record's size";
    if ((*e.data)[0] != 0) return "an error code";
    return std::nullopt;
}

class Fields {
  public:
    explicit Fields(const std::vector<std::uint8_t>& data) : data_(data) {}
    std::int32_t Byte() { return data_[next_++]; }
    std::int32_t Word() {
        const std::int32_t low = Byte();
        return low | (Byte() << 8);
    }
    std::int32_t SignedWord() { return static_cast<std::int16_t>(Word()); }

  private:
    const std::vector<std::uint8_t>& data_;
    std::size_t next_ = 1;  // past the error code
};

std::vector<std::pair<Trace, std::int32_t>> HeatFields(const std::vector<std::uint8_t>& data) {
    Fields f(data);
    return {{Tset, f.Word()},  {Tget, f.Word()},         {Tcj, f.Word()},
            {Power, f.Word()}, {PllErr, f.SignedWord()}, {PllPer, f.Word()}};
}

std::vector<std::pair<Trace, std::int32_t>> FanFields(const std::vector<std::uint8_t>& data) {
    Fields f(data);
    return {{Vset, f.Word()}, {Vget, f.Word()}, {Pwm, f.Byte()}};
}

std::string RequestName(const StationLogEntry& e) {
    return "request " + std::to_string(e.request);
}

/// Why `sample` does not hold the reply `line`, or nothing when it does.
std::optional<std::string> Compare(
    const TraceSample& sample, const LogLine& line, std::size_t replyBytes,
    std::vector<std::pair<Trace, std::int32_t>> (*fields)(const std::vector<std::uint8_t>&)) {
    if (const auto damage = DamageOf(line.entry, replyBytes))
        return "holds a reply that went out with " + *damage + " (" + RequestName(line.entry) + ")";
    for (const auto& [trace, sent] : fields(*line.entry.data)) {
        if (sample[trace] != sent)
            return std::string(TraceKeys[trace]) + " " + std::to_string(sample[trace]) +
                   " recorded, " + std::to_string(sent) + " sent (" + RequestName(line.entry) + ")";
    }
    return std::nullopt;
}

}  // namespace

std::vector<LogLine> ParseLog(std::string_view text) {
    std::vector<LogLine> lines;
    std::size_t begin = 0;
    for (auto end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', begin)) {
        std::vector<StationLogEntry> one = ParseStationLog(text.substr(begin, end - begin + 1));
        begin = end + 1;
        lines.push_back({begin, std::move(one.front())});
    }
    return lines;
}

std::map<std::string, int> CountFaults(const std::vector<LogLine>& log) {
    std::map<std::string, int> counts;
    for (const LogLine& line : log) {
        const StationLogEntry& e = line.entry;
        if (e.direction != StationLogEntry::Direction::Tx) continue;
        for (const auto& [tag, name] : DamagingTags)
            if (e.Has(tag)) ++counts[std::string(name)];
        // Noise before a frame that still goes out costs the client nothing.
        if (e.Has("NOISE") && !e.Has("NOFRAME")) ++counts["noise"];
        if (e.Has("FENDNOISE")) ++counts["noise with FEND"];
    }
    return counts;
}

std::map<std::string, int> AttributeOffLine(const std::vector<LogLine>& log,
                                            const std::vector<std::size_t>& offsets) {
    std::map<std::string, int> counts;
    std::size_t next = 0;
    const StationLogEntry* last = nullptr;
    for (const std::size_t offset : offsets) {
        for (; next < log.size() && log[next].end <= offset; ++next)
            if (log[next].entry.direction == StationLogEntry::Direction::Tx)
                last = &log[next].entry;
        std::string kind = "none";
        if (last) {
            for (const auto& [tag, name] : DamagingTags)
                if (last->Has(tag)) {
                    kind = name;
                    break;
                }
        }
        ++counts[kind];
    }
    return counts;
}

int CountRequests(const std::vector<LogLine>& log) {
    int last = 0;
    for (const LogLine& line : log) last = std::max(last, line.entry.request);
    return last;
}

std::vector<Mismatch> CheckSamples(const std::vector<LogLine>& log,
                                   const std::vector<RecordedSample>& samples) {
    std::vector<Mismatch> mismatches;
    std::size_t next = 0;
    const LogLine* heat = nullptr;
    const LogLine* fan = nullptr;
    std::size_t previous = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const RecordedSample& s = samples[i];
        for (; next < log.size() && log[next].end <= s.logBytes; ++next) {
            if (IsReply(log[next].entry, GetHeatCode)) heat = &log[next];
            if (IsReply(log[next].entry, GetFanCode)) fan = &log[next];
        }
        std::optional<std::string> why;
        if (!heat || heat->end <= previous) {
            why = "no GetHeat reply since the previous sample";
        } else {
            why = Compare(s.values, *heat, HeatReplyBytes, HeatFields);
            if (!why && s.withFan) {
                if (!fan || fan->end <= heat->end)
                    why = "no GetFan reply after its GetHeat";
                else
                    why = Compare(s.values, *fan, FanReplyBytes, FanFields);
            }
        }
        if (why) mismatches.push_back({static_cast<int>(i), *why});
        previous = s.logBytes;
    }
    return mismatches;
}

}  // namespace soak
