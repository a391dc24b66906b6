// The Settings dialog's logic without a toolkit: the sample list, the layout values, filling
// from the records and taking back with the rounding rule, Set Default and the enabling rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "core/Settingsmodel.h"

namespace {

using namespace settings;

/// What OK takes over from a model, all at once.
struct Taken {
    HeaterParams cached;
    HeaterOptions heater;
    FanOptions fan;
};

Taken Take(const SettingsModel& model) {
    Taken t;
    model.TakeCachedParams(t.cached);
    t.heater = model.TakeHeaterOptions();
    t.fan = model.TakeFanOptions();
    return t;
}

/// A model of `kind` whose option records were read from the station.
SettingsModel Opened(DeviceKind kind) {
    SettingsModel model(kind);
    if (model.ReadsHeaterOptions()) model.ShowHeaterOptions(HeaterOptions{});
    if (model.ReadsFanOptions()) model.ShowFanOptions(FanOptions{});
    return model;
}

HeaterOptions StationHeaterOptions() {
    HeaterOptions o;
    o.InitialOn = true;
    o.EncoderVar = true;
    o.EncoderSpeed = 20;
    o.ReadyDelay = 1500;
    o.ReadydT = 3;
    o.UnreadydT = 41;
    o.StepTnorm = 5;
    o.StepTlarge = 100;
    o.EnableErH = true;
    o.EnableErO = false;
    o.EnableErS = true;
    o.ErHdelay = 2500;
    o.ErHdT = 350;
    o.ErHvT = 71;
    return o;
}

FanOptions StationFanOptions() {
    FanOptions o;
    o.StepVnorm = 40;
    o.StepVlarge = 120;
    o.EnableErF = true;
    o.ErFdelay = 4000;
    o.ErFdV = 800;
    return o;
}

TEST(SettingsSampleList, periodsMapToItemsAndBack) {
    struct Case {
        int periodMs;
        int index;
    };
    const Case cases[] = {
        {20, 0},
        {30, 0},
        {39, 0},
        {40, 1},
        {100, 4},
        {480, 23},
        {500, 24},
        {19, NoSampleItem},
        {10, NoSampleItem},
        {0, NoSampleItem},
        {-20, NoSampleItem},
        {501, NoSampleItem},
        {510, NoSampleItem},
        {1000, NoSampleItem},
    };
    for (const Case& c : cases) EXPECT_EQ(SampleIndexFor(c.periodMs), c.index) << c.periodMs;

    EXPECT_EQ(SampleItemText(0), "20 ms");
    EXPECT_EQ(SampleItemText(4), "100 ms");
    EXPECT_EQ(SampleItemText(SampleItems - 1), "500 ms");
    for (int i = 0; i < SampleItems; ++i) {
        EXPECT_EQ(PeriodFor(i, 777), 20 * (i + 1));
        EXPECT_EQ(SampleIndexFor(PeriodFor(i, 777)), i);
    }
    for (int off : {NoSampleItem, SampleItems, -5}) {
        EXPECT_EQ(PeriodFor(off, 260), 260) << off;
        EXPECT_EQ(PeriodFor(off, 777), 100) << off << ": outside 20..500 the default";
    }
}

TEST(SettingsSampleList, marksThePeriodsTooFastForTheConnectedModel) {
    struct Case {
        DeviceKind kind;
        int index;
        const char* text;
        bool hint;
    };
    const Case cases[] = {
        {DeviceKind::Krf51, 0, "20 ms (too fast for KRF-51)", true},
        {DeviceKind::Krf51, 1, "40 ms", false},
        {DeviceKind::Krf51, SampleItems - 1, "500 ms", false},
        {DeviceKind::Krt51, 0, "20 ms", false},
        {DeviceKind::None, 0, "20 ms", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SampleItemText(c.index, c.kind), c.text);
        EXPECT_EQ(SampleItemHint(c.index, c.kind).empty(), !c.hint);
    }
    EXPECT_EQ(SampleItemHint(0, DeviceKind::Krf51),
              "A poll of a KRF-51 is 35 bytes, 18.2 ms of line time at 19200 baud plus the "
              "station's turnaround. A recording at 20 ms is saved with the spacing it achieves.");
}

TEST(SettingsSampleList, okStoresTheItemShownAndTheDefaultForAPeriodOutsideTheList) {
    struct Case {
        int periodMs;
        int stored;
    };
    for (const Case& c :
         {Case{30, 20}, Case{100, 100}, Case{500, 500}, Case{600, 100}, Case{10, 100}}) {
        SettingsModel model(DeviceKind::None);
        model.ShowProgramOptions({true, true, c.periodMs, true});
        EXPECT_EQ(model.TakeProgramOptions(c.periodMs).samplePeriodMs, c.stored) << c.periodMs;
    }
    // Picking an item stores it, also for a period the list had no item for.
    SettingsModel model(DeviceKind::None);
    model.ShowProgramOptions({true, true, 600, true});
    Values v = model.values();
    v.sampleIndex = 2;
    model.SetValues(v);
    EXPECT_EQ(model.TakeProgramOptions(600).samplePeriodMs, 60);
}

TEST(SettingsModelFill, layoutValuesShowWhereNothingWasRead) {
    const SettingsModel model(DeviceKind::None);
    for (int f = 0; f < FieldCount; ++f) {
        const Field field = static_cast<Field>(f);
        double expected = 0;
        if (field == Field::Gain || field == Field::StepVnorm || field == Field::StepVlarge) {
            expected = 1;
        }
        if (field == Field::StepTnorm || field == Field::StepTlarge) expected = 0.1;
        EXPECT_DOUBLE_EQ(model.values()[field], expected) << Info(field).name;
    }
    for (bool checked : model.values().boxes) EXPECT_FALSE(checked);
    EXPECT_EQ(model.values().sampleIndex, 0);
    EXPECT_FALSE(model.WritesHeaterOptions());
    EXPECT_FALSE(model.WritesFanOptions());
}

TEST(SettingsModelFill, recordsShowScaledAndComeBackUnchanged) {
    SettingsModel model(DeviceKind::Krf51);
    HeaterParams cached;
    cached.Delay = -1200;
    cached.Kp = 60;
    cached.Ki = 5;
    cached.Error = 200;
    cached.Shift = -15;
    cached.Gain = 1234;
    cached.Tcjn = 380;
    model.ShowCachedParams(cached);
    model.ShowHeaterOptions(StationHeaterOptions());
    model.ShowFanOptions(StationFanOptions());

    const Values& v = model.values();
    EXPECT_DOUBLE_EQ(v[Field::Shift], -1.5);
    EXPECT_DOUBLE_EQ(v[Field::Gain], 1.234);
    EXPECT_DOUBLE_EQ(v[Field::Tcjn], 38);
    EXPECT_DOUBLE_EQ(v[Field::Delay], -1200);
    EXPECT_DOUBLE_EQ(v[Field::ReadydT], 0.3);
    EXPECT_DOUBLE_EQ(v[Field::ErHvT], 7.1);
    EXPECT_DOUBLE_EQ(v[Field::ErFdV], 800);
    EXPECT_TRUE(v[Box::InitialOn]);
    EXPECT_FALSE(v[Box::EnableErO]);
    EXPECT_TRUE(v[Box::EnableErF]);

    HeaterParams target;
    target.Mode = 1;
    target.Plim = 555;
    target.Comp = 3;
    target.LastPreset = 9;
    model.TakeCachedParams(target);
    HeaterParams expected = cached;
    expected.Mode = 1;
    expected.Plim = 555;
    expected.Comp = 3;
    expected.LastPreset = 9;
    EXPECT_EQ(target, expected) << "only the seven hidden values are taken over";
    EXPECT_EQ(model.TakeHeaterOptions(), StationHeaterOptions());
    EXPECT_EQ(model.TakeFanOptions(), StationFanOptions());
}

TEST(SettingsModelFill, aStationValueBeyondAFieldsBoundsIsClampedAsTheFieldDoes) {
    SettingsModel model(DeviceKind::Krt51);
    HeaterOptions o = StationHeaterOptions();
    o.ReadydT = 300;       // 30.0 °C, the field stops at 25.5
    o.ReadyDelay = 40000;  // ms, the field stops at 30000
    o.StepTnorm = 0;       // below the field's 0.1
    model.ShowHeaterOptions(o);
    const HeaterOptions back = model.TakeHeaterOptions();
    EXPECT_EQ(back.ReadydT, 255);
    EXPECT_EQ(back.ReadyDelay, 30000);
    EXPECT_EQ(back.StepTnorm, 1);
}

TEST(SettingsModelTakeOver, typedValuesGoToTheStationTimesTheirScaleRounded) {
    struct Case {
        Field field;
        double typed;
        std::int32_t wire;
        std::function<std::int32_t(const Taken&)> read;
    };
    const Case cases[] = {
        {Field::ReadydT, 0.3, 3, [](const Taken& t) { return t.heater.ReadydT; }},
        {Field::ReadydT, 0.39, 4, [](const Taken& t) { return t.heater.ReadydT; }},
        {Field::ReadydT, 0.0999, 1, [](const Taken& t) { return t.heater.ReadydT; }},
        {Field::ReadydT, 0.05, 1, [](const Taken& t) { return t.heater.ReadydT; }},
        {Field::Gain, 1.234, 1234, [](const Taken& t) { return t.cached.Gain; }},
        {Field::Gain, 4.444, 4000, [](const Taken& t) { return t.cached.Gain; }},
        {Field::Gain, 0.1, 250, [](const Taken& t) { return t.cached.Gain; }},
        {Field::Shift, -0.05, -1, [](const Taken& t) { return t.cached.Shift; }},
        {Field::Shift, -0.04, 0, [](const Taken& t) { return t.cached.Shift; }},
        {Field::Tcjn, 38, 380, [](const Taken& t) { return t.cached.Tcjn; }},
        {Field::Delay, -10000, -9999, [](const Taken& t) { return t.cached.Delay; }},
        {Field::Kp, 12.5, 13, [](const Taken& t) { return t.cached.Kp; }},
        {Field::ReadyDelay, 30001, 30000, [](const Taken& t) { return t.heater.ReadyDelay; }},
        {Field::ErHvT, 499.96, 5000, [](const Taken& t) { return t.heater.ErHvT; }},
        {Field::StepVlarge, 0, 1, [](const Taken& t) { return t.fan.StepVlarge; }},
        {Field::ErFdV, 9999, 9999, [](const Taken& t) { return t.fan.ErFdV; }},
    };
    for (const Case& c : cases) {
        SettingsModel model = Opened(DeviceKind::Krf51);
        model.Set(c.field, c.typed);
        EXPECT_EQ(c.read(Take(model)), c.wire) << Info(c.field).name << " " << c.typed;
    }
}

TEST(SettingsModelTakeOver, optionRecordsAreWrittenOnlyWhenTheyWereRead) {
    struct Case {
        DeviceKind kind;
        bool readHeater;  // the opening's GetOptionsH answered
        bool readFan;     // the opening's GetOptionsF answered
        bool writesHeater;
        bool writesFan;
    };
    const Case cases[] = {
        {DeviceKind::None, false, false, false, false},
        {DeviceKind::Krt51, true, false, true, false},
        {DeviceKind::Krt51, false, false, false, false},
        {DeviceKind::Krf51, true, true, true, true},
        {DeviceKind::Krf51, true, false, true, false},
        {DeviceKind::Krf51, false, false, false, false},
    };
    for (const Case& c : cases) {
        SettingsModel model(c.kind);
        EXPECT_EQ(model.ReadsHeaterOptions(), c.kind != DeviceKind::None);
        EXPECT_EQ(model.ReadsFanOptions(), c.kind == DeviceKind::Krf51);
        if (c.readHeater) model.ShowHeaterOptions(StationHeaterOptions());
        if (c.readFan) model.ShowFanOptions(StationFanOptions());
        model.SetDefaults();
        EXPECT_EQ(model.WritesHeaterOptions(), c.writesHeater) << static_cast<int>(c.kind);
        EXPECT_EQ(model.WritesFanOptions(), c.writesFan) << static_cast<int>(c.kind);
        // A record that should have been read but was not cannot be edited.
        const bool heaterLocked = model.ReadsHeaterOptions() && !c.readHeater;
        EXPECT_EQ(model.Enabled(Field::ReadyDelay), !heaterLocked);
        EXPECT_EQ(model.Enabled(Box::InitialOn), !heaterLocked);
        const bool fanLocked = model.ReadsFanOptions() && !c.readFan;
        if (c.kind == DeviceKind::Krf51) {
            EXPECT_EQ(model.Enabled(Field::StepVnorm), !fanLocked);
            EXPECT_EQ(model.Enabled(Box::EnableErF), !fanLocked);
        }
        EXPECT_TRUE(model.Enabled(Field::Gain)) << "the cached copy is always editable";
    }
}

TEST(SettingsModelDefaults, setDefaultFillsTheTableWithTheKindsDelayAndInitialState) {
    struct Case {
        DeviceKind kind;
        double delay;
        bool initialOn;
    };
    for (const Case& c : {Case{DeviceKind::None, -500, true}, Case{DeviceKind::Krt51, -500, true},
                          Case{DeviceKind::Krf51, -1200, false}}) {
        SettingsModel model = Opened(c.kind);
        model.SetDefaults();
        const Values& v = model.values();
        EXPECT_DOUBLE_EQ(v[Field::Delay], c.delay);
        EXPECT_EQ(v[Box::InitialOn], c.initialOn);
        EXPECT_EQ(v.sampleIndex, 4);
        for (Box b : {Box::AutoConnect, Box::AutoRead, Box::AutoScroll, Box::EnableErH,
                      Box::EnableErO, Box::EnableErS, Box::EnableErF}) {
            EXPECT_TRUE(v[b]) << Info(b).name;
        }
        EXPECT_FALSE(v[Box::EncoderVar]);

        const Taken t = Take(model);
        HeaterParams cached;
        cached.Delay = static_cast<std::int32_t>(c.delay);
        cached.Kp = 60;
        cached.Ki = 5;
        cached.Error = 200;
        cached.Shift = 0;
        cached.Gain = 1000;
        cached.Tcjn = 380;
        EXPECT_EQ(t.cached, cached);
        HeaterOptions heater;
        heater.InitialOn = c.initialOn;
        heater.EncoderVar = false;
        heater.EncoderSpeed = 18;
        heater.ReadyDelay = 2000;
        heater.ReadydT = 4;
        heater.UnreadydT = 40;
        heater.StepTnorm = 50;
        heater.StepTlarge = 100;
        heater.EnableErH = heater.EnableErO = heater.EnableErS = true;
        heater.ErHdelay = 3000;
        heater.ErHdT = 350;
        heater.ErHvT = 70;
        EXPECT_EQ(t.heater, heater);
        FanOptions fan;
        fan.StepVnorm = 50;
        fan.StepVlarge = 100;
        fan.EnableErF = true;
        fan.ErFdelay = 5000;
        fan.ErFdV = 750;
        EXPECT_EQ(t.fan, fan);
        EXPECT_EQ(model.TakeProgramOptions(30).samplePeriodMs, 100);
    }
}

TEST(SettingsModelEnabling, followsTheBoxesAndTheKind) {
    // Expected states of the controls the rule governs; every other control stays enabled.
    struct Case {
        DeviceKind kind;
        bool encoderVar, erH, erO, erF;
        bool encoder;  // feEncoderSpeed, feStepTlarge
        bool stepVlarge, stepVnorm, fanErrorBox, fanErrorFields, heaterErrorFields;
    };
    using K = DeviceKind;
    const Case cases[] = {
        {K::None, false, false, false, false, false, false, true, true, false, false},
        {K::None, true, true, false, true, true, true, true, true, true, true},
        {K::Krf51, true, false, true, true, true, true, true, true, true, true},
        {K::Krf51, false, false, false, true, false, false, true, true, true, false},
        {K::Krt51, true, true, true, true, true, false, false, false, false, true},
        {K::Krt51, false, false, false, false, false, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SettingsModel model = Opened(c.kind);
        model.Set(Box::EncoderVar, c.encoderVar);
        model.Set(Box::EnableErH, c.erH);
        model.Set(Box::EnableErO, c.erO);
        model.Set(Box::EnableErF, c.erF);
        for (bool erS : {false, true}) {
            model.Set(Box::EnableErS, erS);  // no effect on anything
            const auto where = ::testing::Message()
                               << "kind " << static_cast<int>(c.kind) << " var " << c.encoderVar
                               << " ErH " << c.erH << " ErO " << c.erO << " ErF " << c.erF;
            EXPECT_EQ(model.Enabled(Field::EncoderSpeed), c.encoder) << where;
            EXPECT_EQ(model.Enabled(Field::StepTlarge), c.encoder) << where;
            EXPECT_EQ(model.Enabled(Field::StepVlarge), c.stepVlarge) << where;
            EXPECT_EQ(model.Enabled(Field::StepVnorm), c.stepVnorm) << where;
            EXPECT_EQ(model.Enabled(Box::EnableErF), c.fanErrorBox) << where;
            EXPECT_EQ(model.Enabled(Field::ErFdelay), c.fanErrorFields) << where;
            EXPECT_EQ(model.Enabled(Field::ErFdV), c.fanErrorFields) << where;
            for (Field f : {Field::ErHdelay, Field::ErHdT, Field::ErHvT}) {
                EXPECT_EQ(model.Enabled(f), c.heaterErrorFields) << Info(f).name << where;
            }
            for (Field f : {Field::Tcjn, Field::Shift, Field::Gain, Field::Kp, Field::Ki,
                            Field::Error, Field::Delay, Field::ReadyDelay, Field::ReadydT,
                            Field::UnreadydT, Field::StepTnorm}) {
                EXPECT_TRUE(model.Enabled(f)) << Info(f).name << where;
            }
            for (Box b : {Box::AutoConnect, Box::AutoRead, Box::AutoScroll, Box::InitialOn,
                          Box::EncoderVar, Box::EnableErH, Box::EnableErO, Box::EnableErS}) {
                EXPECT_TRUE(model.Enabled(b)) << Info(b).name << where;
            }
        }
    }
}

}  // namespace
