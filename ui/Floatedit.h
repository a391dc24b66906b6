#pragma once

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>

#include "traces/Floatformat.h"

class QFocusEvent;
class QKeyEvent;

/// The entry field of every number the user types. Its content is `Value`, a double; the text
/// is always rendered from it. Typed text becomes the value only when committed: by Return or
/// keypad Enter, or by the focus moving to another control of the same window (not by a pop-up
/// menu or by another window taking over).
///
/// Events are plain callbacks bound by the owner, called synchronously from inside the
/// operation that raises them, with the field itself as `sender`; an empty one is skipped.
/// A handler must not delete the field it is called for (deleteLater is fine). An event filter
/// that swallows a key press keeps it from the field, so also from the commit on Enter.
///
/// `OnChanged` fires once at the end of every assignment and once more when the value had to be
/// clamped; owners count on exactly that:
///   Enter, or leaving the field (also untouched): 1 (2 if clamped), then OnEnterPress / OnExit;
///   unparsable text: 1 after OnError, the value unchanged;
///   SetValue with the current value: 0; with another: 1 (2 if clamped);
///   SetValueStr, SetValueAnyway: 1 (2 if clamped);
///   SetMinValue, SetMaxValue: 0, or 1 when the value had to be clamped;
///   SetDigits, SetPrec, SetFormat, SetValueVisible: 0.
class TFloatEdit : public QLineEdit {
    Q_OBJECT

  public:
    using TFloatFormat = floatformat::TFloatFormat;
    using TNotifyEvent = std::function<void(TFloatEdit& sender)>;
    /// `valid` comes in true; what it holds after the call is the verdict.
    using TValidateValueEvent = std::function<void(TFloatEdit& sender, double value, bool& valid)>;
    /// `handled` comes in false; true keeps the value the commit started from.
    using TErrorEvent = std::function<void(TFloatEdit& sender, const QString& msg, bool& handled)>;

    /// A field holding 0 within 0..10, fixed notation, 5 digits and 5 decimals, showing 0.00000.
    explicit TFloatEdit(QWidget* parent = nullptr);

    TFloatFormat Format() const { return format_; }
    std::uint8_t Digits() const { return digits_; }
    std::uint8_t Precision() const { return precision_; }
    bool MinMaxCheck() const { return minMaxCheck_; }
    double MinValue() const { return minValue_; }
    double MaxValue() const { return maxValue_; }
    double Value() const { return value_; }
    bool ValueVisible() const { return valueVisible_; }

    /// Store the setting and render the text again; no event.
    void SetFormat(TFloatFormat format);
    void SetDigits(std::uint8_t digits);
    void SetPrec(std::uint8_t precision);
    void SetValueVisible(bool visible);
    /// Whether the bounds are enforced; takes effect at the next check, fires nothing.
    void SetMinMaxCheck(bool check);
    /// Store the bound (inclusive), check the current value against it, render the text.
    void SetMinValue(double bound);
    void SetMaxValue(double bound);

    /// The value setter for code and form loading: nothing (no event, no repaint) when `value`
    /// equals Value or is NaN; otherwise SetValueAnyway. A field that somehow holds NaN takes
    /// any number.
    void SetValue(double value);
    /// Assigns `value` unconditionally: check it (clamp or OnOutOfBounds), fire OnChanged,
    /// render, repaint, and select the whole text when the field has the focus.
    void SetValueAnyway(double value);
    /// Commits `text`: parsed only when it differs from the current value's rendering, so an
    /// untouched field keeps its unrounded value. Text that is not a number goes to OnError
    /// with "'<text>' is not a valid floating point value" and the value stays. Always ends in
    /// SetValueAnyway.
    void SetValueStr(const QString& text);
    /// Commits what the control holds now, as Enter and leaving the field do.
    void CommitText();

    /// With MinMaxCheck: MinValue <= value <= MaxValue (NaN fails). Without: OnValidateValue's
    /// verdict, true when it is unassigned.
    bool IsValidValue(double value);
    /// An invalid Value goes to OnOutOfBounds when assigned; else, with MinMaxCheck, it is
    /// clamped (above MaxValue to MaxValue, otherwise to MinValue) and OnChanged fires. The
    /// text is left alone.
    void CheckValue();
    /// Shows Value in the field's notation, or nothing while ValueVisible is false.
    void UpdateText();

    TNotifyEvent OnChanged;
    TErrorEvent OnError;
    TValidateValueEvent OnValidateValue;
    TNotifyEvent OnOutOfBounds;
    /// After the commit made by leaving the field.
    TNotifyEvent OnExit;
    /// After the field has selected its text on gaining the focus.
    TNotifyEvent OnEnter;
    /// After the commit made by Enter.
    TNotifyEvent OnEnterPress;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void MyOnEnter();
    void MyOnExit();
    void Fire(const TNotifyEvent& event);
    QString FormattedValue() const;

    static constexpr std::uint8_t DefaultPrecision = 5;
    static constexpr std::uint8_t DefaultDigits = 5;
    static constexpr double DefaultMaxValue = 10;

    bool minMaxCheck_ = true;
    std::uint8_t precision_ = DefaultPrecision;
    std::uint8_t digits_ = DefaultDigits;
    double minValue_ = 0;
    double value_ = 0;
    double maxValue_ = DefaultMaxValue;
    TFloatFormat format_ = TFloatFormat::ffFixed;
    bool valueVisible_ = true;
};
