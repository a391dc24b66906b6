#pragma once

#include <chrono>
#include <functional>

#include "core/Appcore.h"
#include "tools/cli/Stopsignals.h"
#include "traces/Tracestore.h"

/// How long to record and how often to poll.
struct RecordPlan {
    int samples = TraceCapacity;            ///< stop once the store holds this many, 1..18001
    std::chrono::milliseconds period{100};  ///< the sample period, start to start
    std::function<void()> afterTick;        ///< called after every tick, when set
};

enum class RecordEnd {
    Complete,   ///< the store holds the samples asked for
    StoreFull,  ///< the loop stopped the recording: no room for another sample
    Signalled,  ///< SIGINT or SIGTERM
};

/// Records like Start in the window: a fresh log, then one tick per period, scheduled start to
/// start, until the plan is met, the store is full or a stop signal comes. Off line ticks
/// reconnect by themselves when the core's AutoConnect is on. Ends Stopped, the samples kept in
/// `core.store()`. Errors other than the link's (which the ticks handle) pass to the caller.
RecordEnd RecordLog(AppCore& core, const RecordPlan& plan, StopSignals& stop);
