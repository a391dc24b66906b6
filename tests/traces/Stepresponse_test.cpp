#include "traces/Stepresponse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

using stepresponse::Analyze;
using stepresponse::Figures;
using stepresponse::Options;
using stepresponse::Response;

// A response sampled every `period` s: the set point steps from `s0` to `s1` at sample
// `stepIndex`, and the response is `shape(t)` with t from the step (s0 before it).
struct Recording {
    std::vector<double> setpoint, response, power;
    double period;

    Recording(int samples, int stepIndex, double s0, double s1, double period,
              const std::function<double(double)>& shape)
        : period(period) {
        for (int i = 0; i < samples; ++i) {
            const bool after = i >= stepIndex;
            setpoint.push_back(after ? s1 : s0);
            response.push_back(after ? shape((i - stepIndex) * period) : s0);
            power.push_back(after ? 50.0 : 10.0);
        }
    }
    Figures Analyzed(const Options& options = {}) const {
        return Analyze({setpoint, response, power, 0.0, period}, options);
    }
};

// Unit step of a second-order system with damping zeta < 1 and natural frequency wn.
double Underdamped(double t, double zeta, double wn) {
    const double wd = wn * std::sqrt(1 - zeta * zeta);
    return 1 - std::exp(-zeta * wn * t) *
                   (std::cos(wd * t) + zeta / std::sqrt(1 - zeta * zeta) * std::sin(wd * t));
}

TEST(StepResponse, firstOrderRiseAndSettleAsTheirClosedForms) {
    // 200 -> 300 °C through a lag of tau = 2 s, sampled every 10 ms.
    const double tau = 2.0;
    const Recording r(3000, 100, 200, 300, 0.01,
                      [&](double t) { return 200 + 100 * (1 - std::exp(-t / tau)); });
    const Figures f = r.Analyzed();
    ASSERT_TRUE(f.step);
    EXPECT_DOUBLE_EQ(f.stepAtS, 1.0);
    EXPECT_DOUBLE_EQ(f.stepSize, 100.0);
    ASSERT_TRUE(f.riseTimeS);
    EXPECT_NEAR(*f.riseTimeS, tau * std::log(9.0), 0.002);  // 10 % -> 90 %
    EXPECT_DOUBLE_EQ(f.overshootPercent, 0.0);
    ASSERT_TRUE(f.settlingTimeS);
    // Within 2 % from tau ln 50 on, counted at the first sample inside the band.
    EXPECT_NEAR(*f.settlingTimeS, tau * std::log(50.0), 0.011);
    EXPECT_LT(f.steadyStateError, 0.0);  // still creeping up, by less than 0.001 °C
    EXPECT_GT(f.steadyStateError, -1e-3);
    EXPECT_NEAR(f.meanPower, (100 * 10.0 + 2900 * 50.0) / 3000, 1e-9);
}

TEST(StepResponse, underdampedOvershootAndSettlingMatchTheSecondOrderFormulas) {
    const double zeta = 0.5, wn = 2.0;
    const Recording r(4000, 0, 0, 1, 0.005, [&](double t) { return Underdamped(t, zeta, wn); });
    // Sample 0 already holds the new set point: the step is at the first sample.
    const Figures f = Recording(4000, 1, 0, 1, 0.005, [&](double t) {
                          return Underdamped(t, zeta, wn);
                      }).Analyzed();
    ASSERT_TRUE(f.step);
    const double overshoot = 100 * std::exp(-std::numbers::pi * zeta / std::sqrt(1 - zeta * zeta));
    EXPECT_NEAR(f.overshootPercent, overshoot, 0.01);
    ASSERT_TRUE(f.settlingTimeS);
    // The closed form's last excursion beyond 2 % ends between 4.030 and 4.035 s.
    EXPECT_NEAR(*f.settlingTimeS, 4.035, 0.0051);
    ASSERT_TRUE(f.riseTimeS);
    EXPECT_GT(*f.riseTimeS, 0.0);
    // A set point that is already there at the span's start is no step at all.
    EXPECT_FALSE(r.Analyzed().step);
}

TEST(StepResponse, aLinearRampGivesExactlyInterpolatedCrossings) {
    // Set point 100 from sample 2; the response climbs 7.5 a sample from 0: 10 % of 100 is
    // crossed at 1.333 samples after the step, 90 % at 12 samples.
    const Recording r(40, 2, 0, 100, 0.1, [](double t) { return std::min(100.0, 75.0 * t); });
    const Figures f = r.Analyzed();
    ASSERT_TRUE(f.riseTimeS);
    EXPECT_NEAR(*f.riseTimeS, (12.0 - 4.0 / 3.0) * 0.1, 1e-12);
    ASSERT_TRUE(f.settlingTimeS);
    EXPECT_NEAR(*f.settlingTimeS, 1.4, 1e-12);  // 97.5 at 1.3 s is still outside 98..102
    EXPECT_DOUBLE_EQ(f.overshootPercent, 0.0);
    EXPECT_DOUBLE_EQ(f.steadyStateError, 0.0);
}

TEST(StepResponse, aDownwardStepMirrorsAnUpwardOne) {
    const auto lag = [](double from, double to) {
        return Recording(2000, 50, from, to, 0.01,
                         [=](double t) { return from + (to - from) * (1 - std::exp(-t)); });
    };
    const Figures up = lag(200, 300).Analyzed();
    const Figures down = lag(300, 200).Analyzed();
    EXPECT_DOUBLE_EQ(down.stepSize, -up.stepSize);
    ASSERT_TRUE(up.riseTimeS && down.riseTimeS && up.settlingTimeS && down.settlingTimeS);
    EXPECT_NEAR(*down.riseTimeS, *up.riseTimeS, 1e-9);
    EXPECT_NEAR(*down.settlingTimeS, *up.settlingTimeS, 1e-9);
    EXPECT_NEAR(down.steadyStateError, -up.steadyStateError, 1e-9);
    EXPECT_DOUBLE_EQ(down.overshootPercent, 0.0);

    // Undershoot below a lower set point is overshoot in the step's direction.
    std::vector<double> sp = {300, 200, 200, 200, 200}, y = {300, 250, 190, 195, 200};
    std::vector<double> p(5, 0.0);
    const Figures dip = Analyze({sp, y, p, 0.0, 1.0});
    EXPECT_NEAR(dip.overshootPercent, 10.0 / 50.0 * 100, 1e-12);  // y0 = 250, step -50
}

TEST(StepResponse, withoutAStepItReportsTheErrorAroundTheSetPoint) {
    std::vector<double> sp(4, 250.0), y = {249.0, 252.0, 250.0, 247.0}, p(4, 20.0);
    const Figures f = Analyze({sp, y, p, 3.0, 0.5});
    EXPECT_FALSE(f.step);
    EXPECT_DOUBLE_EQ(f.meanError, -0.5);
    EXPECT_DOUBLE_EQ(f.maxAbsError, 3.0);
    EXPECT_DOUBLE_EQ(f.fromS, 3.0);
    EXPECT_DOUBLE_EQ(f.toS, 4.5);
    EXPECT_EQ(stepresponse::FormatFigures(f),
              "from=3.000\nto=4.500\nsetpoint_start=250.00\nsetpoint=250.00\n"
              "mean_error=-0.50\nmax_abs_error=3.00\nmean_power=20.00\n");
}

TEST(StepResponse, aResponseThatNeverSettlesOrNeverRisesSaysNone) {
    // A sustained oscillation around the set point, wider than the band.
    const Recording ringing(500, 10, 0, 100, 0.01,
                            [](double t) { return t == 0 ? 0.0 : 100 + 20 * std::sin(10 * t); });
    const Figures f = ringing.Analyzed();
    EXPECT_FALSE(f.settlingTimeS);
    EXPECT_NEAR(f.overshootPercent, 20.0, 0.1);
    // A heater that never gets past half way.
    const Recording stuck(100, 10, 0, 100, 0.1, [](double t) { return std::min(50.0, 10 * t); });
    const Figures g = stuck.Analyzed();
    EXPECT_FALSE(g.riseTimeS);
    EXPECT_FALSE(g.settlingTimeS);
    EXPECT_NEAR(g.steadyStateError, -50.0, 1e-12);
    const std::string text = stepresponse::FormatFigures(g);
    EXPECT_NE(text.find("rise_time=none\n"), std::string::npos) << text;
    EXPECT_NE(text.find("settling_time=none\n"), std::string::npos) << text;
}

TEST(StepResponse, aWiderBandSettlesEarlier) {
    const Recording r(2000, 1, 0, 100, 0.01, [](double t) { return 100 * (1 - std::exp(-t)); });
    const Figures tight = r.Analyzed();
    const Figures wide = r.Analyzed({.response = Response::Tget, .band = 10.0});
    ASSERT_TRUE(tight.settlingTimeS && wide.settlingTimeS);
    EXPECT_NEAR(*wide.settlingTimeS, std::log(10.0), 0.011);
    EXPECT_LT(*wide.settlingTimeS, *tight.settlingTimeS);
}

TEST(StepResponse, itaeWeighsLateErrorsMore) {
    // The same error area early or late: the late one scores higher.
    std::vector<double> sp = {0, 10, 10, 10, 10}, p(5, 0.0);
    std::vector<double> early = {0, 8, 10, 10, 10}, late = {0, 10, 10, 10, 8};
    const Figures e = Analyze({sp, early, p, 0.0, 1.0});
    const Figures l = Analyze({sp, late, p, 0.0, 1.0});
    EXPECT_DOUBLE_EQ(e.itae, 0.0);  // the error sits at t = 0 after the step
    EXPECT_DOUBLE_EQ(l.itae, 3.0 * 2.0 * 1.0);
}

TEST(StepResponse, readsTheStoreInDisplayUnitsOverTheSpanGiven) {
    TraceStore store;
    // Tset 200.0 -> 250.0 °C at sample 5 (stored in tenths), Tget follows in 5 samples,
    // the fan set point jumps 1000 -> 2000 rpm at sample 3 and Vget follows at once.
    for (int i = 0; i < 20; ++i) {
        TraceSample s{};
        s[Tset] = i < 5 ? 2000 : 2500;
        s[Tget] = i < 5 ? 2000 : std::min(2500, 2000 + (i - 4) * 100);
        s[Power] = 455;
        s[Vset] = i < 3 ? 1000 : 2000;
        s[Vget] = i < 3 ? 1000 : 2000;
        store.Append(s);
    }
    const Figures heat = Analyze(store, 2, 19, 100);
    EXPECT_DOUBLE_EQ(heat.fromS, 0.2);
    EXPECT_DOUBLE_EQ(heat.toS, 1.9);
    EXPECT_DOUBLE_EQ(heat.setpointStart, 200.0);
    EXPECT_DOUBLE_EQ(heat.setpoint, 250.0);
    EXPECT_DOUBLE_EQ(heat.stepAtS, 0.5);
    EXPECT_NEAR(heat.stepSize, 40.0, 1e-9);  // the response is 210.0 at the step
    EXPECT_NEAR(heat.meanPower, 45.5, 1e-9);

    const Figures fan = Analyze(store, 0, 10, 100, {.response = Response::Vget, .band = {}});
    EXPECT_DOUBLE_EQ(fan.stepAtS, 0.3);
    EXPECT_DOUBLE_EQ(fan.stepSize, 0.0);  // already there: nothing to rise
    // A span past the recorded samples is cut to them; an empty store is an error.
    EXPECT_DOUBLE_EQ(Analyze(store, 0, 500, 100).toS, 1.9);
    EXPECT_THROW(Analyze(TraceStore{}, 0, 10, 100), std::invalid_argument);
}

}  // namespace
