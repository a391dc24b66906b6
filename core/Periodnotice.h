#pragma once

#include <string>

#include "core/Acquisition.h"

/// What the status bar and the command line say about the log's period.
struct PeriodNotice {
    /// "20 ms not kept: 21.6 ms", and "next: 500 ms" for a period that waits for Stop; empty
    /// when the log keeps its period and nothing waits.
    std::string text;
    /// Short cause: "line time of KRF-51 at 19200 baud", "line faults" or "late ticks".
    std::string cause;
    /// The whole story, for a tool tip.
    std::string reason;
};

/// The notice for the log in `acquisition`'s store, polled from a station of `kind`.
PeriodNotice NoticeOf(const Acquisition& acquisition, DeviceKind kind);
