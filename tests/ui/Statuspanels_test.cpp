#include <gtest/gtest.h>

#include <QFontMetrics>

#include "ui/Statuspanels.h"

namespace {

TEST(ConnectionPanel, aLongDevicePathGivesWayInTheMiddleAndTheModelNever) {
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
        bool whole;     // everything shows
        bool identity;  // the whole identity shows
        bool portEnds;  // the path's start and end show
    };
    const Case cases[] = {
        {wholeWidth + 10, true, true, true},
        {wholeWidth - 40, false, true, true},
        // No room for the path: what follows the model is cut from the right.
        {metrics.horizontalAdvance(QStringLiteral(" ON LINE: ") + identity + " () ") + 4, false,
         true, false},
        {minimum, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const QString shown = TConnectionPanel::Fitted(metrics, c.width, identity, port);
        EXPECT_LE(metrics.horizontalAdvance(shown), std::max(c.width, minimum))
            << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(QStringLiteral(" ON LINE: KRF-51"))) << shown.toStdString();
        EXPECT_EQ(shown == whole, c.whole) << shown.toStdString();
        EXPECT_EQ(shown.contains(identity), c.identity) << shown.toStdString();
        if (c.portEnds) {
            EXPECT_TRUE(shown.contains(QStringLiteral("(/tmp"))) << shown.toStdString();
            EXPECT_TRUE(shown.endsWith(QStringLiteral("one) "))) << shown.toStdString();
        }
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

}  // namespace
