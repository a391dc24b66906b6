#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>

#include "ui/Statuspanels.h"

/// Checks the status panels that show, in their order: each starts after the one before it in
/// its row (a lower one opens a row below), ends inside `frame` and holds its text whole; the
/// connection panel keeps at least the model. Returns the number of rows.
inline int ExpectPanelsInRows(const TStatusPanels& panels, const QWidget& frame) {
    QApplication::processEvents();  // the row lays out the panels it just showed or hid
    int right = -1;
    int top = 0;
    int rows = 1;
    for (int i = 0; i < panels.count(); ++i) {
        const QLabel& panel = panels.panel(i);
        if (!panel.isVisible()) continue;
        SCOPED_TRACE(panel.objectName().toStdString() + " " + panel.text().toStdString());
        const QPoint topLeft = panel.mapTo(&frame, QPoint(0, 0));
        if (i == 0) {
            top = topLeft.y();
        } else if (topLeft.y() != top) {
            EXPECT_GT(topLeft.y(), top) << "a further row goes below";
            top = topLeft.y();
            right = -1;
            ++rows;
        }
        EXPECT_GT(topLeft.x(), right) << "it starts after the panel before it";
        right = topLeft.x() + panel.width() - 1;
        EXPECT_LT(right, frame.width());
        EXPECT_LE(topLeft.y() + panel.height(), frame.height());
        if (i > 0) {
            EXPECT_GE(panel.contentsRect().width(),
                      panel.fontMetrics().horizontalAdvance(panel.text()));
        }
    }
    const TConnectionPanel& connection = panels.connection();
    EXPECT_GE(connection.width(), TConnectionPanel::MinimumWidth(connection.fontMetrics()));
    return rows;
}
