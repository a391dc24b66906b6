#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/station/Stationmodel.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

StationModel::Inputs HeaterOnly(std::int32_t tset, bool pid, std::int32_t power = 0) {
    StationModel::Inputs in;
    in.tset = tset;
    in.manualPower = power;
    in.heaterPid = {.Kp = 40, .Ki = 10, .Kd = 5, .Enable = pid};
    return in;
}

TEST(StationModel, pidBringsTheTipToItsSetPoint) {
    StationModel model(1);
    const auto in = HeaterOnly(3000, true);
    model.Advance(in, seconds(1));
    EXPECT_LT(model.TipC(), 290.0) << "a thermal lag, not a jump";
    model.Advance(in, seconds(40));
    EXPECT_NEAR(model.TipC(), 300.0, 1.0);
    // Holding 300 °C takes (300 - 25) / 480 of full power.
    const HeatStatus s = model.ReadHeat(in);
    EXPECT_NEAR(s.Power, 573, 20);
    EXPECT_NEAR(s.Tget, 3000, 10);
    EXPECT_EQ(s.Tset, 3000);
}

TEST(StationModel, manualPowerFollowsAFirstOrderLag) {
    StationModel model(1);
    const auto in = HeaterOnly(3000, false, 1000);
    model.Advance(in, seconds(1));
    // 25 + 480 (1 - e^(-1/4)) °C after one second at full power.
    EXPECT_NEAR(model.TipC(), 25.0 + 480.0 * (1.0 - std::exp(-0.25)), 1.0);
    model.Advance(in, seconds(60));
    EXPECT_NEAR(model.TipC(), 505.0, 1.0);
    EXPECT_EQ(model.ReadHeat(in).Power, 1000);
}

TEST(StationModel, powerLimitCapsHeaterAndTip) {
    StationModel model(1);
    auto in = HeaterOnly(4500, true);
    in.plim = 200;  // 20 %
    for (int i = 0; i < 60; ++i) {
        model.Advance(in, seconds(1));
        ASSERT_LE(model.ReadHeat(in).Power, 200);
    }
    EXPECT_NEAR(model.TipC(), 25.0 + 0.2 * 480.0, 1.0);
    // The manual power is limited too.
    StationModel manual(1);
    auto off = HeaterOnly(0, false, 800);
    off.plim = 300;
    manual.Advance(off, seconds(1));
    EXPECT_EQ(manual.ReadHeat(off).Power, 300);
}

TEST(StationModel, gainAndShiftCalibrateTheMeasuredTemperature) {
    StationModel model(1);
    auto in = HeaterOnly(3000, true);
    in.gain = 1250;
    in.shift = -50;
    model.Advance(in, seconds(60));
    // The loop holds the measured value at 300 °C: tip x 1.25 - 5 = 300.
    EXPECT_NEAR(model.TipC(), 305.0 / 1.25, 1.0);
    EXPECT_NEAR(model.ReadHeat(in).Tget, 3000, 10);
}

TEST(StationModel, fanFollowsSetSpeedOrPwm) {
    StationModel pid(1);
    StationModel::Inputs in;
    in.vset = 2000;
    in.fanPid = {.Kp = 30, .Ki = 8, .Kd = 2, .Enable = true};
    pid.Advance(in, seconds(20));
    EXPECT_NEAR(pid.FanRpm(), 2000.0, 20.0);
    EXPECT_NEAR(pid.ReadFan(in).Vget, 2000, 30);

    StationModel open(1);
    in.fanPid.Enable = false;
    in.manualPwm = 128;
    open.Advance(in, seconds(10));
    EXPECT_NEAR(open.FanRpm(), 3000.0 * 128 / 255, 5.0);
    EXPECT_EQ(open.ReadFan(in).Pwm, 128);
    EXPECT_EQ(open.ReadFan(in).Vset, 2000);
}

TEST(StationModel, readingsStayNearTheirRestingValues) {
    StationModel model(3);
    const auto in = HeaterOnly(0, false);
    bool negative = false, positive = false;
    for (int i = 0; i < 1000; ++i) {
        const HeatStatus s = model.ReadHeat(in);
        ASSERT_GE(s.Tcj, 248);
        ASSERT_LE(s.Tcj, 252);
        ASSERT_GE(s.PllErr, -3);
        ASSERT_LE(s.PllErr, 3);
        ASSERT_GE(s.PllPer, 9998);
        ASSERT_LE(s.PllPer, 10002);
        ASSERT_NEAR(s.Tget, 250, 3);
        negative |= s.PllErr < 0;
        positive |= s.PllErr > 0;
    }
    EXPECT_TRUE(negative && positive) << "PllErr jitters around 0";
}

TEST(StationModel, aSeedAndTheElapsedTimesFixTheReadings) {
    StationModel a(42), b(42), other(43);
    const auto in = HeaterOnly(3500, true);
    bool differs = false;
    for (int i = 0; i < 50; ++i) {
        a.Advance(in, milliseconds(100));
        // The same time in uneven pieces: the remainder below one step carries over.
        b.Advance(in, milliseconds(33));
        b.Advance(in, milliseconds(67));
        other.Advance(in, milliseconds(100));
        const HeatStatus ra = a.ReadHeat(in);
        ASSERT_EQ(ra, b.ReadHeat(in));
        differs |= !(ra == other.ReadHeat(in));
    }
    EXPECT_TRUE(differs) << "another seed gives other noise";
}

TEST(StationModel, plantOptionsShapeTheOpenLoopResponse) {
    struct Case {
        const char* name;
        HeaterPlant plant;
        double afterS;
        double tipC;  // at 50 % power, `afterS` after switching it on
    };
    const std::vector<Case> cases = {
        {"defaults", {}, 4.0, 25.0 + 240.0 * (1.0 - std::exp(-1.0))},
        {"faster lag", {.lagS = 1.0}, 1.0, 25.0 + 240.0 * (1.0 - std::exp(-1.0))},
        {"half the gain", {.gainCPerPct = 2.4}, 60.0, 25.0 + 120.0},
        {"warmer room", {.ambientC = 40.0}, 60.0, 40.0 + 240.0},
        // Nothing for the dead time, then the same lag shifted by it.
        {"dead time, before", {.deadTimeS = 2.0}, 1.9, 25.0},
        {"dead time, after", {.deadTimeS = 2.0}, 6.0, 25.0 + 240.0 * (1.0 - std::exp(-1.0))},
    };
    for (const auto& c : cases) {
        StationModel model(1, c.plant);
        const auto in = HeaterOnly(0, false, 500);
        model.Advance(in, milliseconds(static_cast<int>(c.afterS * 1000)));
        EXPECT_NEAR(model.TipC(), c.tipC, 1.0) << c.name;
    }
}

TEST(StationModel, noiseOnTgetHasTheGivenWidth) {
    for (const double width : {0.0, 0.3, 5.0}) {
        StationModel model(7, {.tgetNoiseC = width});
        const auto in = HeaterOnly(0, false);
        double low = 1e9, high = -1e9;
        for (int i = 0; i < 2000; ++i) {
            const double tget = model.ReadHeat(in).Tget / 10.0;
            low = std::min(low, tget);
            high = std::max(high, tget);
        }
        EXPECT_LE(high - low, 2 * width + 0.2) << width;
        EXPECT_GE(high - low, 2 * width * 0.8 - 0.1) << width;
    }
}

TEST(StationModel, pidScaleMultipliesWhatEachGainUnitIsWorth) {
    // A proportional gain alone holds the tip below its set point by the error that gives the
    // power it needs; ten times the worth per unit is ten times the loop gain.
    const auto holdError = [](double scale, std::int32_t kp) {
        StationModel model(1, {.tgetNoiseC = 0.0, .pidScale = scale});
        auto in = HeaterOnly(3000, true);
        in.heaterPid = {.Kp = kp, .Ki = 0, .Kd = 0, .Enable = true};
        model.Advance(in, seconds(60));
        return 300.0 - model.TipC();
    };
    EXPECT_NEAR(holdError(0.1, 40), holdError(1.0, 4), 0.05);
    EXPECT_GT(holdError(0.1, 4), 5 * holdError(1.0, 4));
}

}  // namespace
