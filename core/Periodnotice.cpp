#include "core/Periodnotice.h"

#include "core/Polltime.h"
#include "traces/Floatformat.h"

namespace {

std::string Ms(int value) {
    return std::to_string(value) + " ms";
}

void Join(std::string& text, const std::string& part, const char* separator) {
    if (!text.empty()) text += separator;
    text += part;
}

}  // namespace

PeriodNotice NoticeOf(const Acquisition& acquisition, DeviceKind kind) {
    PeriodNotice notice;
    const SampleSpacing& spacing = acquisition.spacing();
    const int setMs = spacing.setPeriodMs();
    if (spacing.gaps() > 0 && !spacing.kept()) {
        notice.text =
            Ms(setMs) + " not kept: " + floatformat::FormatDecimals(spacing.meanMs(), 1) + " ms";
        const std::string model(ModelName(kind));
        if (polltime::TooFast(setMs, kind)) {
            notice.cause = "line time of " + model + " at 19200 baud";
            notice.reason = "A poll of a " + model + " is " +
                            std::to_string(polltime::PollBytes(kind)) + " bytes, " +
                            floatformat::FormatDecimals(polltime::PollLineMs(kind), 1) +
                            " ms of line time at 19200 baud, plus the station's turnaround: "
                            "longer than " +
                            Ms(setMs) + ".";
        }
        if (spacing.missed() > 0) {
            Join(notice.cause, "line faults", ", ");
            Join(notice.reason,
                 "Line faults: " + std::to_string(spacing.missed()) +
                     " times a poll failed or the station was connected again, and the sample "
                     "of that tick is missing.",
                 " ");
        }
        if (notice.cause.empty()) {
            notice.cause = "late ticks";
            notice.reason = std::to_string(spacing.overruns()) + " of " +
                            std::to_string(spacing.gaps()) +
                            " ticks started late: the station answered slowly or the computer "
                            "was busy.";
        }
        notice.reason += " The log is saved and drawn with " + Ms(acquisition.recordPeriodMs()) +
                         " a sample, the mean spacing.";
    }
    if (const auto pending = acquisition.pendingPeriodMs()) {
        Join(notice.text, "next: " + Ms(*pending), "; ");
        Join(notice.reason,
             "This recording goes on at " + Ms(setMs) +
                 " so that its samples stay evenly spaced; " + Ms(*pending) + " applies from Stop.",
             " ");
    }
    return notice;
}
