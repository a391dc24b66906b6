#include "tune/Gridbest.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace {

constexpr double SettleS = 30.0;
constexpr double SettleWindows = 3.0;

const std::vector<int> KpGrid = {1, 2, 3, 4, 6, 8, 11, 16, 23, 32, 45, 64, 91, 128, 181, 255};
const std::vector<int> KiGrid = {0, 1, 2, 3, 4, 6, 8, 11, 16, 23, 32, 45, 64, 91, 128, 181, 255};
const std::vector<int> KdGrid = {0, 1, 2, 4, 8, 16, 32, 64, 128, 255};

std::chrono::microseconds Micros(double seconds) {
    return std::chrono::microseconds(static_cast<long>(std::lround(seconds * 1e6)));
}

}  // namespace

stepresponse::Figures SimulateStep(const HeaterPlant& plant, const Gains& gains,
                                   const StepProtocol& p) {
    HeaterPlant quiet = plant;
    quiet.tgetNoiseC = 0;
    StationModel model(1, quiet);
    StationModel::Inputs in;
    in.heaterPid = {.Kp = gains[0], .Ki = gains[1], .Kd = gains[2], .Enable = true};
    in.tset = static_cast<int>(std::lround(p.fromC * 10));
    model.Advance(in, Micros(std::max(SettleS, SettleWindows * p.windowS)));

    std::vector<double> setpoint{p.fromC}, response{model.ReadHeat(in).Tget / 10.0}, power{0};
    in.tset = static_cast<int>(std::lround(p.toC * 10));
    const int n = static_cast<int>(std::ceil(p.windowS / p.periodS));
    for (int i = 0; i < n; ++i) {
        model.Advance(in, Micros(p.periodS));
        const HeatStatus heat = model.ReadHeat(in);
        setpoint.push_back(p.toC);
        response.push_back(heat.Tget / 10.0);
        power.push_back(heat.Power / 10.0);
    }
    return stepresponse::Analyze({setpoint, response, power, 0.0, p.periodS});
}

GridBest SearchGrid(const HeaterPlant& plant, const StepProtocol& p) {
    GridBest best;
    double bestItae = HUGE_VAL;
    const auto consider = [&](const Gains& g) {
        ++best.simulations;
        const auto f = SimulateStep(plant, g, p);
        if (f.overshootPercent > p.maxOvershootPct || f.itae >= bestItae) return false;
        bestItae = f.itae;
        best.gains = g;
        best.figures = f;
        return true;
    };
    for (const int kp : KpGrid)
        for (const int ki : KiGrid)
            for (const int kd : KdGrid) consider({kp, ki, kd});
    // One unit at a time around the grid's best until no neighbour is better.
    for (bool improved = true; improved;) {
        improved = false;
        const Gains centre = best.gains;
        for (int index = 0; index < 3; ++index) {
            for (const int d : {-1, 1}) {
                Gains g = centre;
                g[index] = std::clamp(g[index] + d, 0, GainSearch::MaxGain);
                if (g != centre && consider(g)) improved = true;
            }
        }
    }
    return best;
}
