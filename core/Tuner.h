#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Gainsearch.h"
#include "core/Tuneport.h"
#include "core/Tuneresult.h"

/// What a run tells as it goes.
class TuneObserver {
  public:
    virtual ~TuneObserver() = default;
    /// A line about the phase the run is in.
    virtual void Progress(const std::string& /*text*/) {}
    /// A step test has been scored.
    virtual void ExperimentDone(const Experiment& /*experiment*/) {}
};

/// Finds heater PID gains by experiment. It measures the heater's speed with the PID off
/// (two-point control at the station's power limit), then runs step tests from `fromC` to
/// `toC` under candidate gains chosen by a GainSearch, and confirms the best with one more
/// step. Candidates are judged only by their measured responses: the ITAE of the step, subject
/// to the overshoot limit. It never commands a set point outside `fromC`..`toC`, aborts when
/// Tget passes `toC` + 25 °C, on a link error, at the time cap or on a stop request, and
/// always restores the set point and, unless the proposal is applied, the original gains.
class Tuner {
  public:
    Tuner(TuneStation& station, TuneClock& clock, TuneObserver& observer)
        : station_(station), clock_(clock), observer_(observer) {}

    /// One whole run. Throws std::invalid_argument for options CheckTuneOptions refuses;
    /// every other failure ends in the result's abortReason.
    TuneResult Run(const TuneOptions& options);

  private:
    struct Reading {
        double t = 0;
        double tget = 0;   // °C
        double power = 0;  // %
    };
    struct Abort {
        std::string reason;
    };

    void ReadStart();
    void Identify();
    void Relay(double targetC, const std::function<bool(const Reading&)>& done);
    Experiment RunStep(const Gains& gains);
    std::optional<StepScore> Evaluate(const Gains& gains);
    void Confirm(const Gains& gains);
    bool Restore(bool applyProposal);

    Reading Next();
    double Slope() const;
    double TestCostS() const { return holdLimitS_ + windowS_; }
    int Tenths(double value) const;

    TuneStation& station_;
    TuneClock& clock_;
    TuneObserver& observer_;
    TuneOptions options_;
    TuneResult result_;

    int startTset_ = 0;   // tenths
    int startPower_ = 0;  // tenths
    int plim_ = 0;        // tenths
    int stopsAtStart_ = 0;
    double deadlineS_ = 0;
    double nextS_ = 0;
    std::deque<Reading> recent_;
    std::optional<double> deadTimeS_;
    double windowS_ = 0;     // length of a step test
    double holdLimitS_ = 0;  // longest wait at `fromC` before a step
};
