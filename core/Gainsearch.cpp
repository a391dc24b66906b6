#include "core/Gainsearch.h"

#include <algorithm>
#include <cmath>

namespace {

// The magnitude goes up gently (an overshoot grows fast with it) and down in bigger strides.
constexpr double ScanUp = 2.0;
constexpr double ScanDown = 0.25;
// Octaves of the moves of one gain, coarse to fine.
constexpr std::array<double, 3> Deltas = {1.0, 0.5, 0.25};
// Each gain alone, then trading proportional and derivative action for integral action:
// the loops one gain alone cannot reach.
constexpr std::array<GainSearch::Direction, 5> Directions = {
    {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 1, 0}, {-1, 1, -1}}};
// Where an integral or derivative gain that is off starts, relative to Kp; an absent Kp
// starts at a middling value.
constexpr int FromZeroDivisor = 4;
constexpr int KpFromZero = 8;

}  // namespace

int GainSearch::Step(int value, int direction, double delta, int fromZero) {
    if (value == 0) return direction > 0 ? std::clamp(fromZero, 1, MaxGain) : 0;
    auto next = static_cast<int>(std::lround(value * std::pow(2.0, direction * delta)));
    if (next == value) next = value + direction;
    if (next < 1) return 0;
    return std::min(next, MaxGain);
}

Gains GainSearch::Scale(const Gains& gains, double factor) {
    Gains scaled = gains;
    for (int& g : scaled)
        if (g != 0) g = std::clamp(static_cast<int>(std::lround(g * factor)), 1, MaxGain);
    return scaled;
}

StepScore GainSearch::Try(const Gains& gains) {
    if (const auto it = tried_.find(gains); it != tried_.end()) return it->second;
    const auto score = (*evaluate_)(gains);
    if (!score) throw Exhausted{};
    tried_.emplace(gains, *score);
    if (*score < bestScore_) {
        best_ = gains;
        bestScore_ = *score;
    }
    return *score;
}

void GainSearch::ScanMagnitude() {
    for (const double factor : {ScanUp, ScanDown}) {
        bool moved = false;
        for (;;) {
            const Gains from = best_;
            const Gains next = Scale(from, factor);
            if (next == from) break;
            Try(next);
            if (best_ != next) break;
            moved = true;
        }
        if (moved) return;
    }
}

Gains GainSearch::Moved(const Gains& from, const Direction& direction, int sign, double delta) {
    Gains next = from;
    for (int i = 0; i < 3; ++i) {
        if (direction[i] == 0) continue;
        const int fromZero = i == 0 ? KpFromZero : std::max(1, from[0] / FromZeroDivisor);
        next[i] = Step(from[i], sign * direction[i], delta, fromZero);
    }
    return next;
}

bool GainSearch::MoveAlong(const Direction& direction, double delta) {
    // The side that lowers Kp first: the gentler side is the safer one to try.
    const int first = direction[0] > 0 ? -1 : 1;
    for (const int sign : {first, -first}) {
        bool moved = false;
        for (;;) {
            const Gains next = Moved(best_, direction, sign, delta);
            if (next == best_) break;
            const Gains from = best_;
            Try(next);
            if (best_ == from) break;
            moved = true;
        }
        if (moved) return true;
    }
    return false;
}

Gains GainSearch::Run(const Gains& start, const Evaluate& evaluate) {
    evaluate_ = &evaluate;
    tried_.clear();
    best_ = start;
    bestScore_ = {HUGE_VAL, HUGE_VAL};
    try {
        Try(start);
        ScanMagnitude();
        for (const double delta : Deltas) {
            bool improved = true;
            while (improved) {
                improved = false;
                for (const Direction& d : Directions) improved |= MoveAlong(d, delta);
            }
        }
    } catch (const Exhausted&) {
        // Out of time: the best so far is the answer.
    }
    return best_;
}
