#include "core/Tuneresult.h"

#include <algorithm>
#include <stdexcept>

#include "core/Gainsearch.h"

namespace {

constexpr double HottestSetPointC = 480.0;

StepScore Score(const Experiment& e, double maxOvershootPct) {
    return {e.figures.itae, std::max(0.0, e.figures.overshootPercent - maxOvershootPct)};
}

}  // namespace

void CheckTuneOptions(const TuneOptions& o) {
    if (!(o.fromC >= 0 && o.toC <= HottestSetPointC))
        throw std::invalid_argument("the temperatures must lie within 0..480 °C");
    if (!(o.toC - o.fromC >= 5.0))
        throw std::invalid_argument("to must lie at least 5 °C above from");
    if (!(o.maxOvershootPct >= 0 && o.maxOvershootPct <= 100))
        throw std::invalid_argument("the maximum overshoot must lie within 0..100 %");
    if (!(o.minutes > 0 && o.minutes <= 24 * 60))
        throw std::invalid_argument("the time cap must lie within 0..1440 minutes");
    if (!(o.periodS >= 0.02 && o.periodS <= 0.5))
        throw std::invalid_argument("the sample period must lie within 20..500 ms");
}

int BestExperiment(const std::vector<Experiment>& experiments, double maxOvershootPct) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(experiments.size()); ++i) {
        if (experiments[i].confirming) continue;
        if (best < 0 ||
            Score(experiments[i], maxOvershootPct) < Score(experiments[best], maxOvershootPct))
            best = i;
    }
    return best;
}
