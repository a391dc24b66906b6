#include "traces/Cursorspan.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Five samples 100 ms apart: Tset steps 200 -> 250 °C at sample 1, Tget follows in three
// samples, the fan's set point and the PWM hold.
std::unique_ptr<TraceStore> StepStore() {
    auto store = std::make_unique<TraceStore>();
    const int tget[] = {2000, 2000, 2300, 2500, 2500};
    for (int i = 0; i < 5; ++i) {
        TraceSample s{};
        s[Tset] = i == 0 ? 2000 : 2500;
        s[Tget] = tget[i];
        s[Power] = i == 0 ? 0 : 1000;
        s[Vset] = 1500;
        s[Pwm] = 42 + i;
        store->Append(s);
    }
    return store;
}

TEST(CursorSpan, differencesOfTheVisibleTracesThenTheFiguresOfTheSpan) {
    const auto store = StepStore();
    graph::Visibility visible{};
    visible[Tset] = visible[Tget] = visible[Power] = visible[Pwm] = true;
    struct Case {
        const char* what;
        int a, b;
        std::string expected;
    };
    const std::string figures =
        "from=0.000\nto=0.400\nsetpoint_start=200.00\nsetpoint=250.00\nstep_at=0.100\n"
        "step=50.00\nrise_time=0.158\novershoot=0.00\nsettling_time=0.200\n"
        "steady_state_error=0.00\nmean_power=80.00\n";
    const Case cases[] = {
        {"A before B", 0, 4,
         "dt=0.400\nd_Tset=50.0\nd_Tget=50.0\nd_Power=100.0\nd_Pwm=4\n" + figures},
        {"B before A: the differences turn, the span is the same", 4, 0,
         "dt=-0.400\nd_Tset=-50.0\nd_Tget=-50.0\nd_Power=-100.0\nd_Pwm=-4\n" + figures},
        {"both on one sample", 2, 2,
         "dt=0.000\nd_Tset=0.0\nd_Tget=0.0\nd_Power=0.0\nd_Pwm=0\nfrom=0.200\nto=0.200\n"
         "setpoint_start=250.00\nsetpoint=250.00\nmean_error=-20.00\nmax_abs_error=20.00\n"
         "mean_power=100.00\n"},
        {"B past the recording: the span ends at its last sample", 3, 50,
         "dt=4.700\nd_Tset=-250.0\nd_Tget=-250.0\nd_Power=-100.0\nd_Pwm=-45\nfrom=0.300\n"
         "to=0.400\nsetpoint_start=250.00\nsetpoint=250.00\nmean_error=0.00\n"
         "max_abs_error=0.00\nmean_power=100.00\n"},
        {"nothing recorded between them", 10, 20,
         "dt=1.000\nd_Tset=0.0\nd_Tget=0.0\nd_Power=0.0\nd_Pwm=0\nfigures=none\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cursorspan::SpanText(*store, c.a, c.b, 100, visible), c.expected);
    }
}

TEST(CursorSpan, thePanelAsksForTheMissingCursorFirst) {
    const auto store = StepStore();
    const graph::Visibility visible = graph::DefaultVisibility;
    EXPECT_EQ(cursorspan::PanelText(*store, std::nullopt, 3, 100, visible), cursorspan::NoCursorA);
    EXPECT_EQ(cursorspan::PanelText(*store, std::nullopt, std::nullopt, 100, visible),
              cursorspan::NoCursorA);
    EXPECT_EQ(cursorspan::PanelText(*store, 1, std::nullopt, 100, visible), cursorspan::NoCursorB);
    EXPECT_EQ(cursorspan::PanelText(*store, 1, 3, 100, visible),
              cursorspan::SpanText(*store, 1, 3, 100, visible));
}

TEST(CursorSpan, theReferenceRunGivesItsFiguresOfTheSameSpanUnderItsOwnKeys) {
    const auto reference = StepStore();
    EXPECT_EQ(cursorspan::ReferenceText(*reference, 4, 2, 200),
              "ref_from=0.400\nref_to=0.800\nref_setpoint_start=250.00\nref_setpoint=250.00\n"
              "ref_mean_error=-6.67\nref_max_abs_error=20.00\nref_mean_power=100.00\n");
    EXPECT_EQ(cursorspan::ReferenceText(*reference, 5, 9, 100), "ref_figures=none\n")
        << "the reference ended before the span";
}

TEST(CursorSpan, theFanTraceAndItsBandGoToTheFigures) {
    auto store = std::make_unique<TraceStore>();
    const int vget[] = {1000, 1000, 1600, 2000, 2000};
    for (int i = 0; i < 5; ++i) {
        TraceSample s{};
        s[Vset] = i == 0 ? 1000 : 2000;
        s[Vget] = vget[i];
        store->Append(s);
    }
    graph::Visibility visible{};
    visible[Vget] = true;
    const std::string text = cursorspan::SpanText(
        *store, 0, 4, 50, visible, {.response = stepresponse::Response::Vget, .band = 500.0});
    EXPECT_EQ(text,
              "dt=0.200\nd_Vget=1000\nfrom=0.000\nto=0.200\nsetpoint_start=1000.00\n"
              "setpoint=2000.00\nstep_at=0.050\nstep=1000.00\nrise_time=0.079\n"
              "overshoot=0.00\nsettling_time=0.050\nsteady_state_error=0.00\n"
              "mean_power=0.00\n");
}

}  // namespace
