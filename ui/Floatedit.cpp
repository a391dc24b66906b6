#include "ui/Floatedit.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <cmath>
#include <string>

namespace {

// A pop-up menu or another window taking the focus leaves the field mid-edit: no commit, and
// no select-all when the focus comes back.
bool MovesWithinWindow(Qt::FocusReason reason) {
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

}  // namespace

TFloatEdit::TFloatEdit(QWidget* parent) : QLineEdit(parent) {
    UpdateText();
}

void TFloatEdit::SetFormat(TFloatFormat format) {
    format_ = format;
    UpdateText();
}

void TFloatEdit::SetDigits(std::uint8_t digits) {
    digits_ = digits;
    UpdateText();
}

void TFloatEdit::SetPrec(std::uint8_t precision) {
    precision_ = precision;
    UpdateText();
}

void TFloatEdit::SetValueVisible(bool visible) {
    valueVisible_ = visible;
    UpdateText();
}

void TFloatEdit::SetMinMaxCheck(bool check) {
    minMaxCheck_ = check;
}

void TFloatEdit::SetMinValue(double bound) {
    minValue_ = bound;
    CheckValue();
    UpdateText();
}

void TFloatEdit::SetMaxValue(double bound) {
    maxValue_ = bound;
    CheckValue();
    UpdateText();
}

void TFloatEdit::SetValue(double value) {
    // NaN never replaces a value; but a field holding NaN must still take a number.
    if (value == value_ || std::isnan(value)) return;
    SetValueAnyway(value);
}

void TFloatEdit::SetValueAnyway(double value) {
    value_ = value;
    CheckValue();
    Fire(OnChanged);
    UpdateText();
    repaint();
    // An unfocused QLineEdit paints its selection; the field shows it only while edited.
    if (hasFocus()) selectAll();
}

void TFloatEdit::SetValueStr(const QString& text) {
    double value = value_;
    if (text != FormattedValue()) {
        const std::string typed = text.toStdString();
        if (const auto number = floatformat::ParseFloat(typed)) {
            value = *number;
        } else {
            bool handled = false;
            if (OnError) {
                const TErrorEvent handler = OnError;
                handler(*this, QString::fromStdString(floatformat::NotAFloatMessage(typed)),
                        handled);
            }
            // Unhandled: whatever the handler left in Value is what the field goes back to.
            if (!handled) value = value_;
        }
    }
    SetValueAnyway(value);
}

void TFloatEdit::CommitText() {
    SetValueStr(text());
}

bool TFloatEdit::IsValidValue(double value) {
    if (minMaxCheck_) return value >= minValue_ && value <= maxValue_;
    bool valid = true;
    if (OnValidateValue) {
        const TValidateValueEvent handler = OnValidateValue;
        handler(*this, value, valid);
    }
    return valid;
}

void TFloatEdit::CheckValue() {
    if (IsValidValue(value_)) return;
    if (OnOutOfBounds) {
        Fire(OnOutOfBounds);
        return;
    }
    if (!minMaxCheck_) return;
    value_ = value_ > maxValue_ ? maxValue_ : minValue_;
    Fire(OnChanged);
}

void TFloatEdit::UpdateText() {
    setText(valueVisible_ ? FormattedValue() : QString());
    update();
}

void TFloatEdit::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    // The keypad's Enter commits like Return.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        CommitText();
        Fire(OnEnterPress);
    }
}

void TFloatEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (MovesWithinWindow(event->reason())) MyOnEnter();
}

void TFloatEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (MovesWithinWindow(event->reason())) MyOnExit();
}

void TFloatEdit::MyOnEnter() {
    selectAll();
    Fire(OnEnter);
}

void TFloatEdit::MyOnExit() {
    CommitText();
    UpdateText();
    Fire(OnExit);
}

void TFloatEdit::Fire(const TNotifyEvent& event) {
    if (!event) return;
    // A copy, so that a handler may rebind its own slot while it runs.
    const TNotifyEvent handler = event;
    handler(*this);
}

QString TFloatEdit::FormattedValue() const {
    return QString::fromStdString(floatformat::FormatFloat(value_, format_, precision_, digits_));
}
