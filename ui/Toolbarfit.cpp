#include "ui/Toolbarfit.h"

#include <QEvent>
#include <QToolBar>

ToolBarFit::ToolBarFit(QToolBar& bar) : QObject(&bar), bar_(bar) {
    bar_.installEventFilter(this);
}

bool ToolBarFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &bar_ && event->type() == QEvent::Resize) Fit();
    return false;
}

void ToolBarFit::Fit() {
    if (captionsWidth_ == 0) {
        bar_.setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        captionsWidth_ = bar_.sizeHint().width();
    }
    const auto style =
        bar_.width() >= captionsWidth_ ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly;
    if (bar_.toolButtonStyle() != style) bar_.setToolButtonStyle(style);
}
