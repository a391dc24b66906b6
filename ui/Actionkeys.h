#pragma once

#include <QKeySequence>
#include <QObject>
#include <vector>

class QAction;
class QWidget;

/// Gives a few actions' shortcuts precedence over the menu bar's access keys they share
/// (Alt+F is Freeze although the menu is "&File"; Alt+D is Disconnect beside "&Device").
/// Qt runs neither of two equal shortcuts, so the key is claimed before the shortcut map sees
/// it and the action is run directly. Installed on the application for `window`.
class ActionKeys final : public QObject {
  public:
    ActionKeys(QWidget& window, std::vector<QAction*> actions);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* ActionFor(const QKeySequence& key) const;

    QWidget& window_;
    std::vector<QAction*> actions_;
};
