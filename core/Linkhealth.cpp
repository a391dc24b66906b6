#include "core/Linkhealth.h"

#include <charconv>

namespace {

std::string Decimals2(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

}  // namespace

void LinkHealth::TakenOffLine() noexcept {
    ++total_.offline;
    lost_ = true;
}

void LinkHealth::PollConnected() noexcept {
    if (!lost_) return;
    ++total_.reconnections;
    lost_ = false;
}

void LinkHealth::ConnectionStarted(const LinkCounts& link) noexcept {
    atConnect_ = total_;
    linkAtConnect_ = link;
}

void LinkHealth::TickDone(Clock::time_point start, Clock::time_point end,
                          std::chrono::milliseconds period) noexcept {
    ++total_.ticks;
    if (end - start > period) ++total_.overruns;
    if (lastStart_) {
        ++total_.spacings;
        total_.spacingSum += start - *lastStart_;
    }
    lastStart_ = start;
}

HealthFigures LinkHealth::FiguresOf(const LinkCounts& link, const Tally& tally) {
    HealthFigures f;
    f.link = link;
    f.offline = tally.offline;
    f.reconnections = tally.reconnections;
    f.ticks = tally.ticks;
    f.overruns = tally.overruns;
    if (tally.spacings > 0) {
        const std::chrono::duration<double, std::milli> sum = tally.spacingSum;
        f.meanPeriodMs = sum.count() / static_cast<double>(tally.spacings);
    }
    return f;
}

HealthFigures LinkHealth::Total(const LinkCounts& link) const {
    return FiguresOf(link, total_);
}

HealthFigures LinkHealth::ThisConnection(const LinkCounts& link) const {
    Tally since;
    since.offline = total_.offline - atConnect_.offline;
    since.reconnections = total_.reconnections - atConnect_.reconnections;
    since.ticks = total_.ticks - atConnect_.ticks;
    since.overruns = total_.overruns - atConnect_.overruns;
    since.spacings = total_.spacings - atConnect_.spacings;
    since.spacingSum = total_.spacingSum - atConnect_.spacingSum;
    return FiguresOf(link - linkAtConnect_, since);
}

std::vector<std::pair<std::string, std::string>> HealthFields(const HealthFigures& f) {
    const auto count = [](long n) { return std::to_string(n); };
    return {
        {"requests", count(f.link.requests)},
        {"replies", count(f.link.replies)},
        {"timeouts", count(f.link.timeouts)},
        {"crc_errors", count(f.link.crcErrors)},
        {"frame_errors", count(f.link.frameErrors)},
        {"station_errors", count(f.link.stationErrors)},
        {"wrong_replies", count(f.link.wrongReplies)},
        {"offline", count(f.offline)},
        {"reconnections", count(f.reconnections)},
        {"overruns", count(f.overruns)},
        {"mean_period_ms", f.meanPeriodMs ? Decimals2(*f.meanPeriodMs) : std::string("none")},
    };
}

std::string HealthErrorSummary(const HealthFigures& f) {
    struct Part {
        long n;
        const char* one;
        const char* many;
    };
    const Part parts[] = {
        {f.link.timeouts, "timeout", "timeouts"},
        {f.link.crcErrors, "CRC error", "CRC errors"},
        {f.link.frameErrors, "frame error", "frame errors"},
        {f.link.stationErrors, "station error", "station errors"},
        {f.link.wrongReplies, "wrong reply", "wrong replies"},
        {f.offline, "time off line", "times off line"},
        {f.overruns, "overrun", "overruns"},
    };
    std::string text;
    for (const Part& p : parts) {
        if (p.n == 0) continue;
        if (!text.empty()) text += ", ";
        text += std::to_string(p.n) + " " + (p.n == 1 ? p.one : p.many);
    }
    return text.empty() ? "no errors" : text;
}
