#pragma once

#include "core/Gainsearch.h"
#include "tools/station/Stationmodel.h"
#include "traces/Stepresponse.h"

/// One step test as the tuner runs it, repeated offline on the emulator's heater model with
/// its noise off: the tip settled at `fromC` under the gains, then the set point at `toC` for
/// `windowS`, read every `periodS`.
struct StepProtocol {
    double fromC = 200;
    double toC = 300;
    double windowS = 10;
    double periodS = 0.1;
    double maxOvershootPct = 10;
};

stepresponse::Figures SimulateStep(const HeaterPlant& plant, const Gains& gains,
                                   const StepProtocol& protocol);

struct GridBest {
    Gains gains{};
    stepresponse::Figures figures;
    int simulations = 0;
};

/// The smallest ITAE with the overshoot within the limit, over a grid of every gain (about
/// a factor of sqrt 2 apart, 0 included for Ki and Kd), then refined one unit at a time.
GridBest SearchGrid(const HeaterPlant& plant, const StepProtocol& protocol);
