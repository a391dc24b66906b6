#include "ui/Actionkeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

ActionKeys::ActionKeys(QWidget& window, std::vector<QAction*> actions)
    : QObject(&window), window_(window), actions_(std::move(actions)) {
    qApp->installEventFilter(this);
}

QAction* ActionKeys::ActionFor(const QKeySequence& key) const {
    for (QAction* action : actions_) {
        if (action->shortcut() == key) return action;
    }
    return nullptr;
}

bool ActionKeys::eventFilter(QObject* watched, QEvent* event) {
    const bool override = event->type() == QEvent::ShortcutOverride;
    if ((!override && event->type() != QEvent::KeyPress) || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != &window_)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QAction* action = ActionFor(QKeySequence(key->keyCombination()));
    if (!action) return false;
    if (override) {
        event->accept();  // the key comes back as a key press instead of a shortcut
        return true;
    }
    if (!key->isAutoRepeat()) action->trigger();
    return true;
}
