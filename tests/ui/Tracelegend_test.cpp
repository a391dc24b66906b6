#include "ui/Tracelegend.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>

#include "ui/Graphpaint.h"

namespace {

TEST(TraceLegend, NamesCaptionsAndFirstRunStates) {
    TTraceLegend legend;
    EXPECT_EQ(legend.objectName(), "TrsPanel");
    const char* const boxes[] = {"cbTset", "cbTget", "cbTcj",  "cbPower", "cbVset",
                                 "cbVget", "cbPwm",  "cbPlle", "cbPllp"};
    const char* const captions[] = {"Tset", "Tget", "Tcj",       "Power",     "Vset",
                                    "Vget", "PWM",  "PLL Error", "PLL Period"};
    for (int trace = 0; trace < TraceCount; ++trace) {
        EXPECT_EQ(legend.checkBox(trace)->objectName(), boxes[trace]);
        EXPECT_EQ(legend.label(trace)->text(), QString::fromUtf8("\u2014 ") + captions[trace]);
    }
    const auto* caption = legend.findChild<QLabel*>("lbTraces");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), "Traces:");
    EXPECT_EQ(legend.visibility(), graph::DefaultVisibility);
}

TEST(TraceLegend, ReportsUserClicksButNotProgramSettings) {
    TTraceLegend legend;
    QSignalSpy clicked(&legend, &TTraceLegend::traceClicked);
    graph::Visibility visible{};
    visible[Tcj] = true;
    legend.SetVisibility(visible);
    EXPECT_EQ(legend.visibility(), visible);
    EXPECT_EQ(clicked.count(), 0);

    legend.checkBox(PllErr)->click();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.last().at(0).toInt(), PllErr);
    EXPECT_TRUE(clicked.last().at(1).toBool());
    EXPECT_TRUE(legend.visibility()[PllErr]);
}

TEST(TraceLegend, LabelsTakeTheirTraceColoursOnTheBackground) {
    TTraceLegend legend;
    const colours::ColourSet set = {4737096, 16777215, 13948116, 255,
                                    32768,   4227327,  16711680, 65535};
    legend.SetColours(set);
    EXPECT_EQ(legend.palette().color(QPalette::Window),
              graphpaint::ToQColor(set[colours::Background]));
    EXPECT_EQ(legend.findChild<QLabel*>("lbTraces")->palette().color(QPalette::WindowText),
              graphpaint::ToQColor(set[colours::Text]));
    for (int trace = 0; trace < TraceCount; ++trace) {
        EXPECT_EQ(legend.label(trace)->palette().color(QPalette::WindowText),
                  graphpaint::ToQColor(set[colours::TraceSlots[trace]]))
            << trace;
    }
}

}  // namespace
