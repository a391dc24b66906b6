#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/Records.h"
#include "traces/Stepresponse.h"

/// What the user asks of a tuning run. Temperatures in °C.
struct TuneOptions {
    double fromC = 0;
    double toC = 0;
    double maxOvershootPct = 10;
    double minutes = 10;   ///< time cap of the whole run, restoring excepted
    double periodS = 0.1;  ///< time between two readings, start to start
    bool apply = false;    ///< leave the proposal in the station instead of the original gains

    /// The hottest reading the run tolerates before it aborts.
    double AbortAboveC() const { return toC + 25.0; }
};

/// Throws std::invalid_argument, with the reason, for options a run cannot use.
void CheckTuneOptions(const TuneOptions& options);

/// One step test from `fromC` to `toC` under a set of gains, scored by its response.
struct Experiment {
    int number = 0;  ///< 1-based
    PidGains gains;
    stepresponse::Figures figures;
    bool withinOvershoot = false;
    bool confirming = false;  ///< the proposal's last, confirming step
};

/// Index of the best search test (confirming steps left out) by the tuner's own ranking:
/// within the overshoot limit before beyond it, then the smaller ITAE; -1 when there is none.
int BestExperiment(const std::vector<Experiment>& experiments, double maxOvershootPct);

/// How a run ended.
struct TuneResult {
    PidGains start;                    ///< the gains found in the station
    std::optional<PidGains> proposal;  ///< none after an abort
    std::vector<Experiment> experiments;
    std::string abortReason;  ///< empty when the run ended with a proposal
    bool restored = false;    ///< set point and gains are back (or the proposal applied)
    bool applied = false;     ///< the proposal was written to the station
    double minutes = 0;       ///< station time the run took, restoring included

    /// The confirming step of the proposal, when there is one.
    const Experiment* Confirming() const {
        for (const auto& e : experiments)
            if (e.confirming) return &e;
        return nullptr;
    }
};
