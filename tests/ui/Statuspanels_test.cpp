#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QTest>

#include "tests/ui/Statusrows.h"
#include "ui/Statuspanels.h"

namespace {

TEST(ConnectionPanel, aLongDevicePathGivesWayInTheMiddleThenTheIdentityAndTheModelNever) {
    QFont font(QStringLiteral("Sans Serif"), 8);
    const QFontMetrics metrics(font);
    const QString identity = QStringLiteral("KRF-51 Emulator v1");
    const QString port = QStringLiteral("/tmp/tavolin-demo-folder/with/a/long/name/station-one");
    const QString whole = QStringLiteral(" ON LINE: ") + identity + " (" + port + ") ";
    const int wholeWidth = metrics.horizontalAdvance(whole);
    const int minimum = TConnectionPanel::MinimumWidth(metrics);
    ASSERT_LT(minimum, wholeWidth);

    struct Case {
        int width;
        bool whole;      // everything shows
        bool identity;   // the whole identity shows
        bool pathStart;  // the path's start shows
        bool pathEnd;    // the path's end shows
    };
    const QString modelOnly = QStringLiteral(" ON LINE: KRF-51… (");
    const Case cases[] = {
        {wholeWidth + 10, true, true, true, true},
        {wholeWidth - 40, false, true, true, true},
        // No room for the path beside the whole identity: what follows the model gives way,
        // and the path's ends still show.
        {metrics.horizontalAdvance(QStringLiteral(" ON LINE: ") + identity + " () ") + 4, false,
         false, true, true},
        // Narrower still: the path's end, which tells ports apart, outlasts its start.
        {metrics.horizontalAdvance(modelOnly + QStringLiteral("…-one) ")) + 2, false, false, false,
         true},
        {minimum, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const QString shown = TConnectionPanel::Fitted(metrics, c.width, identity, port);
        SCOPED_TRACE(shown.toStdString());
        EXPECT_LE(metrics.horizontalAdvance(shown), std::max(c.width, minimum));
        EXPECT_TRUE(shown.startsWith(QStringLiteral(" ON LINE: KRF-51")));
        EXPECT_EQ(shown == whole, c.whole);
        EXPECT_EQ(shown.contains(identity), c.identity);
        EXPECT_EQ(shown.contains(QStringLiteral("(/tmp")), c.pathStart);
        EXPECT_EQ(shown.endsWith(QStringLiteral("one) ")), c.pathEnd);
    }
}

TEST(StatusPanels, eachPanelIsAsWideAsItsWidestTextInTheRowsFont) {
    TStatusPanels row;
    row.setFont(QFont(QStringLiteral("Sans Serif"), 8));
    const QStringList texts[] = {{QStringLiteral(" t = 9000.0 s ")},
                                 {QStringLiteral(" P = 100.0% "), QStringLiteral(" P = 0.0% ")}};
    for (const QStringList& widest : texts) {
        const int index = row.AddPanel(widest);
        QLabel& panel = row.panel(index);
        int needed = 0;
        for (const QString& text : widest)
            needed = std::max(needed, panel.fontMetrics().horizontalAdvance(text));
        EXPECT_GE(panel.contentsRect().width(), needed);
        EXPECT_LE(panel.width(), needed + 6) << "and not much wider";
    }
    // A larger font widens them all.
    const int before = row.panel(1).width();
    row.setFont(QFont(QStringLiteral("Sans Serif"), 16));
    EXPECT_GT(row.panel(1).width(), before);
}

TEST(StatusPanels, aShortRowKeepsTheReadoutsWholeAndTheRestGivesWayInOrder) {
    TStatusPanels row;
    row.setFont(QFont(QStringLiteral("Sans Serif"), 8));
    const int time = row.AddPanel({QStringLiteral(" t = 8999.5 s ")});
    const int tset = row.AddPanel({QStringLiteral(" Tset = 999.9°C ")});
    const int notice = row.AddPanel({}, TStatusPanels::Claim::Notice);
    const int rate = row.AddPanel({QStringLiteral(" 99.9 Hz ")}, TStatusPanels::Claim::Extra);
    const QString noticeText = QStringLiteral(" 20 ms not kept: 21.6 ms ");
    const int gap = 2;  // the row's spacing
    const int smallest = TConnectionPanel::MinimumWidth(row.connection().fontMetrics());
    const int wTime = row.WidthFor(QStringLiteral(" t = 8999.5 s "));
    const int wTset = row.WidthFor(QStringLiteral(" Tset = 999.9°C "));
    const int wNotice = row.WidthFor(noticeText);
    const int wRate = row.WidthFor(QStringLiteral(" 99.9 Hz "));
    const int readouts = smallest + 2 * gap + wTime + wTset;

    struct Case {
        const char* what;
        int width;
        bool cursor;  // the readouts have texts
        bool notice;
        bool time, tset, noticeShown, rate;
    };
    const Case cases[] = {
        {"room for all", readouts + 2 * gap + wNotice + wRate + 20, true, true, true, true, true,
         true},
        {"the rate goes first", readouts + gap + wNotice, true, true, true, true, true, false},
        {"then the notice, while a smaller extra still fits", readouts + gap + wNotice - 1, true,
         true, true, true, false, true},
        {"readouts always show", readouts, true, true, true, true, false, false},
        {"without a notice the rate takes its room", readouts + gap + wRate, true, false, true,
         true, false, true},
        {"empty readouts make room for a notice", smallest + gap + wNotice + gap + wTime, false,
         true, true, false, true, false},
        {"and go from the right", smallest + 2 * gap + wTime + wTset, false, false, true, true,
         false, false},
        {"empty readouts before the rate", smallest + 2 * gap + wTime + wRate, false, false, true,
         false, false, true},
    };
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        row.SetText(time, c.cursor ? QStringLiteral(" t = 1.5 s ") : QString());
        row.SetText(tset, c.cursor ? QStringLiteral(" Tset = 320.0°C ") : QString());
        row.SetText(notice, c.notice ? noticeText : QString());
        row.panel(rate).setText(QStringLiteral(" 10.0 Hz "));
        row.resize(c.width, row.height());
        QApplication::processEvents();  // the row lays its panels out
        EXPECT_EQ(row.panel(time).isVisible(), c.time);
        EXPECT_EQ(row.panel(tset).isVisible(), c.tset);
        EXPECT_EQ(row.panel(notice).isVisible(), c.noticeShown);
        EXPECT_EQ(row.panel(rate).isVisible(), c.rate);
        EXPECT_EQ(ExpectPanelsInRows(row, row), 1);
    }
    // A hidden trace's readout is not wanted, whatever room there is.
    row.SetWanted(tset, false);
    row.resize(readouts + 400, row.height());
    QApplication::processEvents();
    EXPECT_FALSE(row.panel(tset).isVisible());
    EXPECT_TRUE(row.panel(rate).isVisible());
}

TEST(StatusPanels, readoutsThatDoNotFitBesideTheConnectionGoOnInARowBelow) {
    TStatusPanels row;
    row.setFont(QFont(QStringLiteral("Sans Serif"), 8));
    const QString texts[] = {QStringLiteral(" t = 1.5 s "), QStringLiteral(" Tset = 320.0°C "),
                             QStringLiteral(" Tget = 318.7°C "), QStringLiteral(" P = 61.2% ")};
    std::vector<int> readouts;
    for (const QString& text : texts) readouts.push_back(row.AddPanel({text}));
    const int rate = row.AddPanel({QStringLiteral(" 99.9 Hz ")}, TStatusPanels::Claim::Extra);
    row.panel(rate).setText(QStringLiteral(" 10.0 Hz "));
    const int gap = 2;
    int oneRow = TConnectionPanel::MinimumWidth(row.connection().fontMetrics());
    for (const QString& text : texts) oneRow += gap + row.WidthFor(text);
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));

    // Room for all in one row: one row high.
    row.resize(oneRow, 40);
    for (std::size_t i = 0; i < readouts.size(); ++i) row.SetText(readouts[i], texts[i]);
    QApplication::processEvents();
    const int rowHeight = row.height();
    for (const int i : readouts) EXPECT_EQ(row.panel(i).y(), 0);
    EXPECT_FALSE(row.panel(rate).isVisible()) << "no room left for the extra";
    EXPECT_EQ(ExpectPanelsInRows(row, row), 1);

    // One pixel short: the last readout goes on below, and the row below has room for the
    // extra too.
    row.resize(oneRow - 1, row.height());
    QApplication::processEvents();
    EXPECT_EQ(row.height(), 2 * rowHeight + gap);
    for (const int i : readouts) EXPECT_TRUE(row.panel(i).isVisible());
    EXPECT_EQ(row.panel(readouts[2]).y(), 0);
    EXPECT_EQ(row.panel(readouts[3]).y(), rowHeight + gap);
    EXPECT_EQ(row.panel(readouts[3]).x(), 0);
    EXPECT_TRUE(row.panel(rate).isVisible());
    EXPECT_EQ(ExpectPanelsInRows(row, row), 2);

    // Without texts the readouts need no second row: the empty ones give way.
    for (const int i : readouts) row.SetText(i, QString());
    QApplication::processEvents();
    EXPECT_EQ(row.height(), rowHeight);
    EXPECT_FALSE(row.panel(readouts[3]).isVisible());
    EXPECT_EQ(ExpectPanelsInRows(row, row), 1);
}

TEST(StatusPanels, emptyReadoutsLeaveTheConnectionRoomForTheModelAndThePortsEnd) {
    TStatusPanels row;
    row.setFont(QFont(QStringLiteral("Sans Serif"), 8));
    const QString texts[] = {QStringLiteral(" t = 1.5 s "), QStringLiteral(" Tset = 320.0°C "),
                             QStringLiteral(" Tget = 318.7°C ")};
    std::vector<int> readouts;
    for (const QString& text : texts) readouts.push_back(row.AddPanel({text}));
    const QString port = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    row.connection().ShowOnLine(QStringLiteral("KRF-51 Station v2"), port);
    const int gap = 2;
    int readoutsWidth = 0;
    for (const QString& text : texts) readoutsWidth += gap + row.WidthFor(text);
    const int smallest = TConnectionPanel::MinimumWidth(row.connection().fontMetrics());
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
    // Room for the empty readouts beside the smallest connection panel, not beside the model
    // and the port.
    row.resize(smallest + readoutsWidth + 10, 40);
    QApplication::processEvents();
    EXPECT_FALSE(row.panel(readouts[2]).isVisible()) << "the last empty readout gives way";
    const QString shown = row.connection().text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral(" ON LINE: KRF-51"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("port0) "))) << shown.toStdString();
    EXPECT_EQ(ExpectPanelsInRows(row, row), 1);

    // Readouts with text take the room back, down to the model alone.
    for (std::size_t i = 0; i < readouts.size(); ++i) row.SetText(readouts[i], texts[i]);
    QApplication::processEvents();
    for (const int i : readouts) EXPECT_TRUE(row.panel(i).isVisible());
    EXPECT_EQ(ExpectPanelsInRows(row, row), 1);
    EXPECT_TRUE(row.connection().text().startsWith(QStringLiteral(" ON LINE: KRF-51")));
}

}  // namespace
