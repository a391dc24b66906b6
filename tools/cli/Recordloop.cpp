#include "tools/cli/Recordloop.h"

#include "core/Tickschedule.h"

namespace {

RecordEnd TickUntilDone(AppCore& core, const RecordPlan& plan, StopSignals& stop) {
    Acquisition& acquisition = core.acquisition();
    TickSchedule schedule(plan.period);
    schedule.Start(TickSchedule::Clock::now());
    for (;;) {
        if (stop.WaitUntil(schedule.next())) return RecordEnd::Signalled;
        const auto start = TickSchedule::Clock::now();
        acquisition.Tick();
        if (plan.afterTick) plan.afterTick();
        const auto end = TickSchedule::Clock::now();
        core.health().TickDone(start, end, plan.period);
        schedule.TickDone(end);
        if (core.store().count() >= plan.samples) return RecordEnd::Complete;
        if (acquisition.state() == AcqState::Stopped) return RecordEnd::StoreFull;
    }
}

}  // namespace

RecordEnd RecordLog(AppCore& core, const RecordPlan& plan, StopSignals& stop) {
    Acquisition& acquisition = core.acquisition();
    if (acquisition.state() != AcqState::Stopped) acquisition.Stop();
    acquisition.SetSamplePeriod(static_cast<int>(plan.period.count()));
    acquisition.Start();
    const RecordEnd end = TickUntilDone(core, plan, stop);
    acquisition.Stop();
    return end;
}
