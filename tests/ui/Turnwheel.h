#pragma once

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

/// One notch of the mouse wheel towards the user over the middle of `control`. Returns
/// whether the control took it; one it leaves goes on to its parents, up to the window.
inline bool TurnWheel(QWidget& control) {
    const QPointF middle = QRectF(control.rect()).center();
    QWheelEvent wheel(middle, control.mapToGlobal(middle), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&control, &wheel);
    return wheel.isAccepted();
}
