#include "core/Tuner.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "link/Inouterror.h"
#include "traces/Floatformat.h"

namespace {

constexpr double Tenth = 10.0;
constexpr double SecondsPerMinute = 60.0;

// Readings the slope is fitted over: half a second at the usual period.
constexpr std::size_t SlopeReadings = 5;
// A rise this far above the lowest reading since the power went on ends the dead time.
constexpr double DeadRiseC = 2.0;
// Two-point control switches on again this far below its target, against chatter on noise.
constexpr double RelayHysteresisC = 0.5;
// How long the tip must have been near `fromC` before the identifying step, at least.
constexpr double ApproachHoldS = 1.0;
// A step test lasts this many times the time the full-power step took to go half way.
constexpr double WindowPerHalfRise = 6.0;
constexpr double MinWindowS = 5.0;
constexpr double MaxWindowS = 120.0;
// At `fromC` before a step: within this band (°C, or this part of the step) for a quarter of
// the test window (a second at least), or one and a half test windows at most. Every test then
// starts from nearly the same state, so that two tests differ by their gains and not by their
// start.
constexpr double HoldBandC = 1.0;
constexpr double HoldBandOfStep = 0.01;
constexpr double HoldSettleOfWindow = 0.25;
constexpr double MinHoldSettleS = 1.0;
constexpr double HoldLimitWindows = 1.5;
// A step test ends early once the tip, past `toC`, is headed beyond the overshoot limit (at
// least this many °C): such gains have lost already, and on a heater with a long dead time the
// power already on its way would carry it much further.
// It stays 5 °C short of the run's own overheat limit whatever overshoot is allowed.
constexpr double GuardMinC = 2.0;
constexpr double GuardMaxC = 20.0;
// The search starts from the station's gains divided by this: on a heater with a long dead
// time gains that suit a quick one oscillate hard, while gentle gains are safe on any.
constexpr double StartDivisor = 16.0;
// Before the next search test: room for it and the confirming step, with this spare.
constexpr double TestSpareS = 2.0;
// Between two tries to restore a station that is off line.
constexpr double RestoreRetryS = 1.0;
// Gains to start from when the station's own do nothing.
constexpr Gains DefaultStart = {2, 1, 1};

std::string GainsText(const PidGains& g) {
    return "Kp=" + std::to_string(g.Kp) + " Ki=" + std::to_string(g.Ki) +
           " Kd=" + std::to_string(g.Kd);
}

PidGains WithGains(const Gains& g, bool enable) {
    return {.Kp = g[0], .Ki = g[1], .Kd = g[2], .Enable = enable};
}

}  // namespace

int Tuner::Tenths(double value) const {
    return static_cast<int>(std::lround(value * Tenth));
}

TuneResult Tuner::Run(const TuneOptions& options) {
    CheckTuneOptions(options);
    options_ = options;
    result_ = {};
    recent_.clear();
    deadTimeS_.reset();
    const double startS = clock_.Now();
    deadlineS_ = startS + options.minutes * SecondsPerMinute;
    nextS_ = startS;
    stopsAtStart_ = clock_.Stops();
    // Nothing is changed before the start has been read, so nothing needs restoring.
    try {
        ReadStart();
    } catch (const Abort& abort) {
        result_.abortReason = abort.reason;
    } catch (const EInOutError& e) {
        result_.abortReason = std::string("link error: ") + e.what();
    }
    if (!result_.abortReason.empty()) {
        observer_.Progress("aborted: " + result_.abortReason);
        result_.restored = true;
        return result_;
    }

    try {
        Identify();
        const Gains start =
            result_.start.Kp > 0
                ? GainSearch::Scale({result_.start.Kp, result_.start.Ki, result_.start.Kd},
                                    1.0 / StartDivisor)
                : DefaultStart;
        GainSearch search;
        const Gains best = search.Run(start, [this](const Gains& g) { return Evaluate(g); });
        const auto kept = std::find_if(result_.experiments.begin(), result_.experiments.end(),
                                       [&](const Experiment& e) {
                                           return Gains{e.gains.Kp, e.gains.Ki, e.gains.Kd} == best;
                                       });
        if (kept == result_.experiments.end())
            throw Abort{"the time cap left no room for a single step test"};
        if (!kept->withinOvershoot)
            throw Abort{"no gains kept the overshoot within " +
                        floatformat::FormatDecimals(options_.maxOvershootPct, 1) + " %"};
        Confirm(best);
        result_.proposal = WithGains(best, result_.start.Enable);
    } catch (const Abort& abort) {
        result_.abortReason = abort.reason;
    } catch (const EInOutError& e) {
        result_.abortReason = std::string("link error: ") + e.what();
    }
    if (!result_.abortReason.empty()) observer_.Progress("aborted: " + result_.abortReason);

    const bool apply = options_.apply && result_.proposal.has_value();
    result_.restored = Restore(apply);
    result_.applied = apply && result_.restored;
    result_.minutes = (clock_.Now() - startS) / SecondsPerMinute;
    return result_;
}

void Tuner::ReadStart() {
    result_.start = station_.GetPIDH();
    const HeatStatus heat = station_.GetHeat();
    startTset_ = heat.Tset;
    // With its PID on the station reports the PID's output, not the manual power it keeps;
    // 0 is what it gets back then, so that turning the PID off later heats nothing.
    startPower_ = result_.start.Enable ? 0 : heat.Power;
    plim_ = station_.PowerLimit();
    observer_.Progress("start: " + GainsText(result_.start) +
                       " Tset=" + floatformat::FormatDecimals(startTset_ / Tenth, 1) +
                       " power limit " + floatformat::FormatDecimals(plim_ / Tenth, 1) + " %");
    if (plim_ <= 0) throw Abort{"the station's power limit is 0 %"};
}

Tuner::Reading Tuner::Next() {
    clock_.WaitUntil(nextS_);
    if (clock_.Stops() > stopsAtStart_) throw Abort{"stopped by the user"};
    const double now = clock_.Now();
    // A late reading re-bases the schedule instead of hurrying to catch up.
    nextS_ = std::max(nextS_ + options_.periodS, now);
    const HeatStatus heat = station_.GetHeat();
    const Reading r{now, heat.Tget / Tenth, heat.Power / Tenth};
    if (r.tget > options_.AbortAboveC())
        throw Abort{"overheat: Tget " + floatformat::FormatDecimals(r.tget, 1) + " °C passed " +
                    floatformat::FormatDecimals(options_.AbortAboveC(), 1) + " °C"};
    if (now > deadlineS_)
        throw Abort{"time cap of " + floatformat::FormatDecimals(options_.minutes, 1) +
                    " minutes reached"};
    recent_.push_back(r);
    if (recent_.size() > SlopeReadings) recent_.pop_front();
    return r;
}

double Tuner::Slope() const {
    // Least squares over the recent readings, so that one noisy reading does not swing it.
    const auto n = static_cast<double>(recent_.size());
    if (recent_.size() < 2) return 0;
    double st = 0, sy = 0;
    for (const auto& r : recent_) {
        st += r.t;
        sy += r.tget;
    }
    const double mt = st / n, my = sy / n;
    double num = 0, den = 0;
    for (const auto& r : recent_) {
        num += (r.t - mt) * (r.tget - my);
        den += (r.t - mt) * (r.t - mt);
    }
    return den > 0 ? num / den : 0;
}

void Tuner::Relay(double targetC, const std::function<bool(const Reading&)>& done) {
    bool on = false;
    double onAtS = 0;
    double lowestSinceOn = 0;
    station_.SetT(Tenths(targetC), 0);
    for (;;) {
        const Reading r = Next();
        if (done(r)) return;
        if (on && !deadTimeS_) {
            lowestSinceOn = std::min(lowestSinceOn, r.tget);
            if (r.tget >= lowestSinceOn + DeadRiseC) deadTimeS_ = r.t - onAtS;
        }
        // Switch early by what the dead time and the next reading will still add.
        const double lead = deadTimeS_.value_or(0.0) + 2 * options_.periodS;
        const double predicted = r.tget + Slope() * lead;
        const bool want = on ? predicted < targetC : predicted < targetC - RelayHysteresisC;
        if (want == on) continue;
        on = want;
        if (on) {
            onAtS = r.t;
            lowestSinceOn = r.tget;
        }
        station_.SetT(Tenths(targetC), on ? plim_ : 0);
    }
}

void Tuner::Identify() {
    observer_.Progress("measuring the heater: two-point control at the power limit");
    station_.SetPIDH({result_.start.Kp, result_.start.Ki, result_.start.Kd, false});
    std::optional<double> reachedAtS;
    const double from = options_.fromC;
    Relay(from, [&](const Reading& r) {
        if (!reachedAtS && std::abs(r.tget - from) <= HoldBandC + RelayHysteresisC)
            reachedAtS = r.t;
        const double hold = std::max(ApproachHoldS, 2 * deadTimeS_.value_or(0.0));
        return reachedAtS && r.t - *reachedAtS >= hold;
    });

    const double stepAtS = clock_.Now();
    const double startC = recent_.empty() ? from : recent_.back().tget;
    const double halfWay = startC + 0.5 * (options_.toC - startC);
    double halfRiseS = 0;
    Relay(options_.toC, [&](const Reading& r) {
        if (r.tget < halfWay) return false;
        halfRiseS = r.t - stepAtS;
        return true;
    });
    windowS_ = std::clamp(WindowPerHalfRise * halfRiseS, MinWindowS, MaxWindowS);
    holdLimitS_ = HoldLimitWindows * windowS_;
    observer_.Progress("heater: half way in " + floatformat::FormatDecimals(halfRiseS, 2) +
                       " s, dead time " + floatformat::FormatDecimals(deadTimeS_.value_or(0.0), 2) +
                       " s; each step test " + floatformat::FormatDecimals(windowS_, 1) + " s");
}

Experiment Tuner::RunStep(const Gains& gains) {
    station_.SetPIDH(WithGains(gains, true));
    station_.SetT(Tenths(options_.fromC), 0);
    const double step = options_.toC - options_.fromC;
    const double band = std::max(HoldBandC, HoldBandOfStep * step);
    const double settleS = std::max(MinHoldSettleS, HoldSettleOfWindow * windowS_);
    const double holdStartS = clock_.Now();
    std::optional<double> inBandSinceS;
    Reading last;
    for (;;) {
        last = Next();
        if (std::abs(last.tget - options_.fromC) > band)
            inBandSinceS.reset();
        else if (!inBandSinceS)
            inBandSinceS = last.t;
        if (inBandSinceS && last.t - *inBandSinceS >= settleS) break;
        if (last.t - holdStartS >= holdLimitS_) break;
    }

    std::vector<double> setpoint{options_.fromC}, response{last.tget}, power{last.power};
    station_.SetT(Tenths(options_.toC), 0);
    const double stepAtS = clock_.Now();
    const double guardC =
        options_.toC + std::clamp(options_.maxOvershootPct / 100.0 * step, GuardMinC, GuardMaxC);
    while (clock_.Now() - stepAtS < windowS_) {
        const Reading r = Next();
        setpoint.push_back(options_.toC);
        response.push_back(r.tget);
        power.push_back(r.power);
        // Once past `toC`, judged ahead by what the dead time and the next reading will add.
        const double lead = deadTimeS_.value_or(0.0) + 2 * options_.periodS;
        if (r.tget > options_.toC && r.tget + std::max(0.0, Slope()) * lead > guardC) {
            station_.SetT(Tenths(options_.fromC), 0);
            break;
        }
    }

    Experiment e;
    e.number = static_cast<int>(result_.experiments.size()) + 1;
    e.gains = WithGains(gains, true);
    e.figures = stepresponse::Analyze({setpoint, response, power, 0.0, options_.periodS});
    e.withinOvershoot = e.figures.overshootPercent <= options_.maxOvershootPct;
    return e;
}

std::optional<StepScore> Tuner::Evaluate(const Gains& gains) {
    // Keep room for this test and the confirming one.
    if (clock_.Now() + 2 * TestCostS() + TestSpareS > deadlineS_) return std::nullopt;
    Experiment e = RunStep(gains);
    result_.experiments.push_back(e);
    observer_.ExperimentDone(e);
    return StepScore{e.figures.itae,
                     std::max(0.0, e.figures.overshootPercent - options_.maxOvershootPct)};
}

void Tuner::Confirm(const Gains& gains) {
    observer_.Progress("confirming " + GainsText(WithGains(gains, true)));
    Experiment e = RunStep(gains);
    e.confirming = true;
    result_.experiments.push_back(e);
    observer_.ExperimentDone(e);
}

bool Tuner::Restore(bool applyProposal) {
    const PidGains gains = applyProposal ? *result_.proposal : result_.start;
    const int stopsBefore = clock_.Stops();
    for (;;) {
        try {
            station_.SetPIDH(gains);
            station_.SetT(startTset_, startPower_);
            observer_.Progress(std::string(applyProposal ? "applied " : "restored ") +
                               GainsText(gains) +
                               " and Tset=" + floatformat::FormatDecimals(startTset_ / Tenth, 1));
            return true;
        } catch (const EInOutError& e) {
            observer_.Progress(std::string("restoring: ") + e.what() + "; trying again");
        }
        // Keep trying until the station is back, unless the user stops that too.
        clock_.WaitUntil(clock_.Now() + RestoreRetryS);
        if (clock_.Stops() > stopsBefore) {
            observer_.Progress("stopped: the station keeps the tuner's gains and set point");
            return false;
        }
        try {
            station_.Reconnect();
        } catch (const EInOutError&) {
            // Still off line; the next round tries again.
        }
    }
}
