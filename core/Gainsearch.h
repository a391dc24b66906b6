#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>

/// Kp, Ki and Kd of the heater PID, each 0..255.
using Gains = std::array<int, 3>;

/// How good the response to one step was. Any response within the overshoot limit beats any
/// beyond it; within it the smaller ITAE wins, beyond it the smaller excess of overshoot.
struct StepScore {
    double itae = 0;
    double overshootExcess = 0;  ///< percentage points beyond the limit, 0 within it

    bool Feasible() const { return overshootExcess <= 0; }
    bool operator<(const StepScore& other) const {
        if (Feasible() != other.Feasible()) return Feasible();
        if (!Feasible() && overshootExcess != other.overshootExcess)
            return overshootExcess < other.overshootExcess;
        return itae < other.itae;
    }
};

/// A search over the integer gains that knows nothing of how the station turns them into a
/// control law: it only compares measured scores. First the three gains move together, up by
/// factors of 2 or else down by factors of 4, to find the loop's magnitude; then each gain
/// alone and two trades of proportional for integral action, gentler side first, by factors
/// of 2, sqrt 2 and 2^(1/4), keeping every move that scores better.
class GainSearch {
  public:
    static constexpr int MaxGain = 255;
    /// A move in octaves per gain: 1 up, -1 down, 0 stays.
    using Direction = std::array<int, 3>;

    /// Runs a test under the gains and scores it; nothing when no further test fits.
    using Evaluate = std::function<std::optional<StepScore>(const Gains&)>;

    /// The best gains found from `start`; `start` itself when not even it could be tested.
    Gains Run(const Gains& start, const Evaluate& evaluate);

    /// The gain one step of `delta` octaves up (`direction` 1) or down (-1) from `value`:
    /// at least one unit away, 0 below 1, and from 0 up to `fromZero`.
    static int Step(int value, int direction, double delta, int fromZero);
    /// Every non-zero gain times `factor`, at least 1, at most 255.
    static Gains Scale(const Gains& gains, double factor);

  private:
    struct Exhausted {};
    StepScore Try(const Gains& gains);
    void ScanMagnitude();
    static Gains Moved(const Gains& from, const Direction& direction, int sign, double delta);
    bool MoveAlong(const Direction& direction, double delta);

    const Evaluate* evaluate_ = nullptr;
    std::map<Gains, StepScore> tried_;
    Gains best_{};
    StepScore bestScore_;
};
