#include "ui/Wheelguard.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace {

class WheelGuard final : public QObject {
  public:
    explicit WheelGuard(QWidget& control) : QObject(&control), control_(control) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &control_ || event->type() != QEvent::Wheel || control_.hasFocus())
            return false;
        // Refused but not accepted: the application hands the event to the parent.
        event->ignore();
        return true;
    }

  private:
    QWidget& control_;
};

}  // namespace

void GuardWheel(QWidget& control) {
    if (control.focusPolicy() == Qt::WheelFocus) control.setFocusPolicy(Qt::StrongFocus);
    control.installEventFilter(new WheelGuard(control));
}
