// The tuning aids in the window: cursor B and the analysis panel, change marks through Save,
// Open, New and the cuts, the reference run, and the link's statistics.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "support/Stationprocess.h"
#include "support/Tempfolder.h"
#include "tests/ui/Eventually.h"
#include "traces/Cursorspan.h"
#include "ui/Analysispanel.h"
#include "ui/Changemarksview.h"
#include "ui/Graphpaint.h"
#include "ui/Graphview.h"
#include "ui/Linkstats.h"
#include "ui/Main.h"
#include "ui/Referenceview.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TuningWindow : public ::testing::Test {
  protected:
    TuningWindow() : window(folder / "tavolin.ini", folder.path().string() + "/") {
        // Wide enough for 300 columns of plot.
        window.resize(1000, 700);
        window.show();
        // 300 samples: Tset steps 200 -> 300 °C at sample 50, Tget follows a first-order lag.
        for (int i = 0; i < 300; ++i) {
            TraceSample s{};
            s[Tset] = i < 50 ? 2000 : 3000;
            s[Tget] = i < 50 ? 2000 : 3000 - static_cast<int>(1000 * std::exp(-(i - 50) / 20.0));
            s[Power] = i < 50 ? 100 : 600;
            window.store().Append(s);
        }
    }
    /// A left press at plot column `column`, with Shift held or not, then a drag to `to`.
    void Press(int column, bool shift, std::optional<int> to = std::nullopt) {
        const auto modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
        const QPointF at(graph::ColumnX(column), 100);
        QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(&window.graph(), &press);
        if (!to) return;
        const QPointF there(graph::ColumnX(*to), 100);
        QMouseEvent move(QEvent::MouseMove, there, there, Qt::NoButton, Qt::LeftButton, modifiers);
        QApplication::sendEvent(&window.graph(), &move);
    }
    std::string ExpectedPanel(int a, int b) {
        return cursorspan::PanelText(window.store(), a, b, window.acquisition().recordPeriodMs(),
                                     window.graph().visibility());
    }

    TempFolder folder;
    TMainForm window;
};

TEST_F(TuningWindow, shiftClickSetsCursorBAndThePanelShowsTheSpanBetweenTheCursors) {
    window.action("acAnalysis")->trigger();
    ASSERT_TRUE(window.analysis().isVisible());
    EXPECT_EQ(window.analysis().text().toStdString(), cursorspan::NoCursorA);

    Press(20, false);  // cursor A
    EXPECT_EQ(window.analysis().text().toStdString(), cursorspan::NoCursorB);
    Press(40, true, 250);  // cursor B, dragged on
    EXPECT_EQ(window.graph().cursorBSample(), 250);
    EXPECT_EQ(window.graph().cursorSample(), 20) << "A stays where it was";
    EXPECT_EQ(window.analysis().text().toStdString(), ExpectedPanel(20, 250));
    EXPECT_NE(window.analysis().text().indexOf("step_at=5.000"), -1);

    Press(60, false);  // A moves; B stays
    EXPECT_EQ(window.graph().cursorBSample(), 250);
    EXPECT_EQ(window.analysis().text().toStdString(), ExpectedPanel(60, 250));
    EXPECT_EQ(window.statusText(1), " t = 6.0 s ") << "the readouts keep showing A";

    window.analysis().findChild<QAbstractButton*>("btCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), window.analysis().text());

    // B is drawn on screen in its own style, over the picture.
    const QImage shown = window.graph().grab().toImage();
    const QImage picture = window.graph().image();
    int differing = 0;
    for (int y = graph::PlotTop; y < picture.height() - graph::BottomMargin; ++y)
        differing += shown.pixel(graph::ColumnX(250), y) != picture.pixel(graph::ColumnX(250), y);
    EXPECT_GT(differing, 20);

    window.action("acNew")->trigger();
    EXPECT_EQ(window.graph().cursorBSample(), std::nullopt) << "New forgets B";
}

TEST(AnalysisPanel, noFigureOfTheSpanBreaksOverTwoLinesAtThePanelsLeastWidth) {
    TAnalysisPanel panel;
    panel.resize(1, 700);  // as narrow as it goes, tall as a docked panel
    panel.show();
    auto* edit = panel.findChild<QPlainTextEdit*>(QStringLiteral("AnalysisText"));
    ASSERT_NE(edit, nullptr);
    // The text's own least width leaves room for its longest line inside the frame and the
    // document's margins, whatever else makes the panel wider.
    const qreal room =
        edit->minimumWidth() - 2 * (edit->frameWidth() + edit->document()->documentMargin());
    EXPECT_GE(room, QFontMetricsF(edit->font())
                        .horizontalAdvance(QStringLiteral("steady_state_error=-123.45")));
    // The longest of the span's figures, with the widest values they take.
    const QStringList lines = {
        QStringLiteral("steady_state_error=-123.45"),
        QStringLiteral("setpoint_start=500.00"),
        QStringLiteral("settling_time=1800.000"),
        QStringLiteral("d_PllPer=-10000"),
    };
    panel.ShowText(lines.join(QLatin1Char('\n')).toStdString());
    QApplication::processEvents();  // lays the text out
    ASSERT_FALSE(edit->verticalScrollBar()->isVisible());
    for (QTextBlock block = edit->document()->firstBlock(); block.isValid(); block = block.next())
        EXPECT_EQ(block.lineCount(), 1) << block.text().toStdString();
}

TEST_F(TuningWindow, eventsGoBesideTheDataFileAndFollowNewOpenAndTheCuts) {
    Changelog& log = window.core().changelog();
    log.Record(50, "Tset 200.0 \u2192 300.0 \u00b0C");
    log.Record(120, "Heater PID: Kp 40 \u2192 45");
    const fs::path data = folder / "run.dat";
    ASSERT_TRUE(window.SaveDataFile(QString::fromStdString(data.string())));
    EXPECT_EQ(ReadText(folder / "run.events"),
              "Time\tEvent\r\n5000\tTset 200.0 \u2192 300.0 \u00b0C\r\n"
              "12000\tHeater PID: Kp 40 \u2192 45\r\n");
    const std::string dat = ReadText(data);
    EXPECT_EQ(dat.find("Event"), std::string::npos) << "the data file stays as it was";

    window.action("acNew")->trigger();
    EXPECT_TRUE(log.events().empty());
    window.OpenDataFile(QString::fromStdString(data.string()));
    ASSERT_EQ(log.events().size(), 2u);
    EXPECT_EQ(log.events()[1], (ChangeEvent{120, "Heater PID: Kp 40 \u2192 45"}));

    Press(100, false);  // cursor A on sample 100
    window.action("acCutL")->trigger();
    EXPECT_EQ(log.events(), (std::vector<ChangeEvent>{{20, "Heater PID: Kp 40 \u2192 45"}}));
    Press(10, false);
    window.action("acCutR")->trigger();
    EXPECT_TRUE(log.events().empty());
    ASSERT_TRUE(window.SaveDataFile(QString::fromStdString(data.string())));
    EXPECT_FALSE(fs::exists(folder / "run.events")) << "no stale marks beside the new file";
}

TEST(TuningWindowFiles, marksAndFiguresOfALogSavedAtItsAchievedSpacingKeepItsTimeBase) {
    // A recording that could not keep 20 ms was saved 18 ms apart; the poll falls back to
    // 100 ms, the log and its marks keep 18.
    const TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    std::ofstream(folder / "fast.dat", std::ios::binary)
        << "Time\tTset\tTget\r\n0\t2000\t2000\r\n18\t3000\t2000\r\n36\t3000\t2500\r\n"
           "54\t3000\t3000\r\n";
    const std::string marks = "Time\tEvent\r\n18\tTset 200.0 \u2192 300.0 \u00b0C\r\n";
    std::ofstream(folder / "fast.events", std::ios::binary) << marks;
    window.OpenDataFile(QString::fromStdString((folder / "fast.dat").string()));
    ASSERT_EQ(window.acquisition().recordPeriodMs(), 18);
    ASSERT_EQ(window.core().changelog().events().size(), 1u);
    EXPECT_EQ(window.core().changelog().events()[0].sample, 1);
    window.resize(1000, 700);
    window.show();
    window.action("acAnalysis")->trigger();
    const auto press = [&](int column, Qt::KeyboardModifiers modifiers) {
        const QPointF at(graph::ColumnX(column), 100);
        QMouseEvent e(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, modifiers);
        QApplication::sendEvent(&window.graph(), &e);
    };
    press(0, Qt::NoModifier);     // cursor A on sample 0
    press(3, Qt::ShiftModifier);  // cursor B on sample 3: 54 ms later
    const std::string figures = window.analysis().text().toStdString();
    EXPECT_TRUE(figures.starts_with("dt=0.054\n")) << figures;
    EXPECT_NE(figures.find("step_at=0.018\n"), std::string::npos) << figures;
    ASSERT_TRUE(window.SaveDataFile(QString::fromStdString((folder / "copy.dat").string())));
    EXPECT_EQ(ReadText(folder / "copy.events"), marks);
}

TEST(ChangeMarksView, aMarkShowsTheEventsOfItsColumnInATooltip) {
    Changelog log;
    log.Record(40, "Write Params");
    log.Record(40, "P_lim 100.0 \u2192 80.0 %");
    log.Record(45, "Heater PID: Kp 40 \u2192 45");
    log.Record(90, "Settings: options");
    const TChangeMarksView view(log, colours::Defaults);
    const graph::Plot plot{800, 400};
    const int y = graph::PlotTop + 2;
    struct Case {
        ChartMapping chart;
        QPoint at;
        const char* tip;
    };
    const Case cases[] = {
        // One sample a column, the view at 10: marks over columns 30, 35 and 80.
        {{plot, 10, 1}, {graph::ColumnX(30), y}, "Write Params\nP_lim 100.0 \u2192 80.0 %"},
        {{plot, 10, 1}, {graph::ColumnX(35) + 2, y}, "Heater PID: Kp 40 \u2192 45"},
        {{plot, 10, 1}, {graph::ColumnX(80) + 3, y}, "Settings: options"},
        {{plot, 10, 1}, {graph::ColumnX(55), y}, ""},
        {{plot, 10, 1}, {graph::ColumnX(30), 200}, ""},  // below the marks
        {{plot, 90, 1}, {graph::ColumnX(0), y}, "Settings: options"},
        {{plot, 50, 1}, {graph::ColumnX(-10), y}, ""},  // sample 40 is left of the view
        // Eight samples a column from 0: 40 and 45 share column 5, 90 is in column 11.
        {{plot, 0, 8},
         {graph::ColumnX(5), y},
         "Write Params\nP_lim 100.0 \u2192 80.0 %\nHeater PID: Kp 40 \u2192 45"},
        {{plot, 0, 8}, {graph::ColumnX(11) + 4, y}, "Settings: options"},
        {{plot, 0, 8}, {graph::ColumnX(30), y}, ""},
        {{plot, 0, 8}, {graph::ColumnX(90), y}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(view.ToolTipAt(c.at, c.chart), QString::fromUtf8(c.tip))
            << "x " << c.at.x() << " y " << c.at.y() << ", view at " << c.chart.pos << " x "
            << c.chart.factor;
    }
}

TEST(ReferenceView, aReferenceTraceIsTintedAndStaysUnderWhatThePictureShows) {
    const graph::Plot plot{200, 100};
    const colours::ColourSet colours = colours::Defaults;
    graph::Visibility visible{};
    visible[Tset] = true;
    TReferenceView view(visible, colours);
    auto store = std::make_unique<TraceStore>();
    TraceSample s{};
    s[Tset] = 2500;  // half of the 500 °C scale
    for (int i = 0; i < 50; ++i) store->Append(s);
    view.Set(std::move(store), visible);

    const QColor background = graphpaint::ToQColor(colours[colours::Background]);
    const QColor graph = graphpaint::ToQColor(colours[colours::Graph1]);
    QImage picture(graph::PlotLeft + 250, graph::PlotTop + 150, QImage::Format_RGB32);
    picture.fill(background);
    const int y = graph::BaselineY(plot) - graph::ValueHeight(Tset, 2500, plot.height);
    picture.setPixel(graph::ColumnX(10), y, qRgb(1, 2, 3));  // a live pixel on the line
    QImage screen = picture.copy();
    {
        QPainter painter(&screen);
        view.Paint(painter, picture, {plot, 0, 1});
    }
    const QColor tint((graph.red() + background.red()) / 2,
                      (graph.green() + background.green()) / 2,
                      (graph.blue() + background.blue()) / 2);
    EXPECT_EQ(screen.pixelColor(graph::ColumnX(5), y), tint);
    EXPECT_EQ(screen.pixel(graph::ColumnX(10), y), qRgb(1, 2, 3)) << "the live pixel stays";
    EXPECT_EQ(screen.pixelColor(graph::ColumnX(60), y), background) << "past the reference";
    EXPECT_EQ(screen.pixelColor(graph::ColumnX(5), y - 5), background);
}

TEST_F(TuningWindow, aReferenceRunAddsItsFiguresAndClearReferenceRemovesIt) {
    const fs::path data = folder / "yesterday.dat";
    ASSERT_TRUE(window.SaveDataFile(QString::fromStdString(data.string())));
    window.OpenReference(QString::fromStdString(data.string()));
    ASSERT_NE(window.reference(), nullptr);
    EXPECT_EQ(window.reference()->count(), 300);

    window.action("acAnalysis")->trigger();
    Press(20, false);
    Press(250, true);
    const QString text = window.analysis().text();
    EXPECT_NE(text.indexOf("\nref_step_at=5.000\n"), -1) << text.toStdString();
    EXPECT_EQ(text.toStdString(),
              ExpectedPanel(20, 250) + cursorspan::ReferenceText(*window.reference(), 20, 250,
                                                                 window.config().samplePeriodMs));
    window.action("acRefClear")->trigger();
    EXPECT_EQ(window.reference(), nullptr);
    EXPECT_EQ(window.analysis().text().indexOf("ref_"), -1);
}

TEST(TuningStation, changesSentWhileRecordingAreMarkedAndLinkStatisticsCountThePoll) {
    StationProcess station({.model = "KRT-51"});
    TempFolder folder;
    std::ofstream(folder / "tavolin.ini", std::ios::binary)
        << "[General]\r\nPortName=" << station.Link() << "\r\n[Settings]\r\nSample=20\r\n";
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    ASSERT_TRUE(Eventually([&] { return window.connection().onLine(); }));
    window.action("acStart")->trigger();
    ASSERT_TRUE(Eventually([&] { return window.store().count() >= 5; }));

    PanelView& panel = window.core().panelView();
    panel.SetValue(PanelView::Field::HKp, panel.Value(PanelView::Field::HKp) + 1);
    const auto& events = window.core().changelog().events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text.rfind("Heater PID: Kp ", 0), 0u) << events[0].text;
    EXPECT_GE(events[0].sample, 5);
    window.action("acWrite")->trigger();
    EXPECT_EQ(events.size(), 1u) << "Write Params sent what the station already holds";

    window.action("acLinkStats")->trigger();
    TLinkStatsForm* stats = window.linkStats();
    ASSERT_NE(stats, nullptr);
    ASSERT_EQ(stats->rows(), 11);
    const HealthFigures total = window.core().TotalHealth();
    EXPECT_EQ(stats->cell(0, 1).toLong(), total.link.requests);
    EXPECT_EQ(stats->cell(1, 1).toLong(), total.link.replies);
    EXPECT_GT(total.link.requests, 5);
    EXPECT_EQ(total.link.timeouts, 0);
    ASSERT_TRUE(Eventually([&] {
        return window.pollRate().text().contains(QStringLiteral("Hz")) &&
               !window.pollRate().text().contains(QStringLiteral("-"));
    })) << window.pollRate().text().toStdString();
    // A clean line: the tool tip names no link error (a loaded machine may add overruns).
    const QString tip = window.pollRate().toolTip();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("This connection: "))) << tip.toStdString();
    for (const char* error : {"timeout", "CRC", "frame", "station", "wrong", "off line"})
        EXPECT_FALSE(tip.contains(QLatin1String(error))) << tip.toStdString();
    window.action("acStop")->trigger();
    window.store().setModified(false);
}

}  // namespace
