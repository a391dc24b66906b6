#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "ui/Floatedit.h"

// Readable failure output for the field's text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Log = std::vector<std::string>;
using Values = std::vector<double>;

/// Binds every event of a field and notes them in order, with the value each OnChanged saw.
struct Recorder {
    Recorder() = default;
    explicit Recorder(TFloatEdit& edit) { Bind(edit); }

    void Bind(TFloatEdit& edit) {
        field = &edit;
        edit.OnChanged = [this](TFloatEdit& sender) {
            Note(sender, "Changed");
            changes.push_back(sender.Value());
        };
        edit.OnEnterPress = [this](TFloatEdit& sender) { Note(sender, "EnterPress"); };
        edit.OnExit = [this](TFloatEdit& sender) { Note(sender, "Exit"); };
        edit.OnEnter = [this](TFloatEdit& sender) { Note(sender, "Enter"); };
        edit.OnOutOfBounds = nullptr;
        edit.OnError = [this](TFloatEdit& sender, const QString& msg, bool& handled) {
            Note(sender, "Error");
            errors.push_back(msg.toStdString());
            EXPECT_FALSE(handled);
        };
    }

    void Note(const TFloatEdit& sender, const char* what) {
        EXPECT_EQ(&sender, field);
        log.emplace_back(what);
    }

    void Clear() {
        log.clear();
        changes.clear();
        errors.clear();
    }

    const TFloatEdit* field = nullptr;
    Log log;
    Values changes;
    std::vector<std::string> errors;
};

/// A window with the field and a plain edit after it in the tab order.
class FloatEditWindow : public ::testing::Test {
  protected:
    FloatEditWindow() {
        events.Bind(*field);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(next);
    }

    /// Shows the window and puts the focus in the field, as the user finds it.
    void Focus() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        field->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(field->hasFocus());
        events.Clear();
    }

    /// Replaces the field's text by key presses.
    void Type(const char* text) {
        field->clear();
        QTest::keyClicks(field, QString::fromUtf8(text));
    }

    // The recorder outlives the window, whose closing may still move the focus.
    Recorder events;
    QWidget window;
    TFloatEdit* field = new TFloatEdit(&window);
    QLineEdit* next = new QLineEdit(&window);
};

TEST(FloatEdit, newFieldHoldsZeroWithinZeroToTenShownWithFiveDecimals) {
    TFloatEdit field;
    EXPECT_EQ(field.text(), "0.00000");
    EXPECT_EQ(field.Value(), 0);
    EXPECT_EQ(field.MinValue(), 0);
    EXPECT_EQ(field.MaxValue(), 10);
    EXPECT_EQ(field.Digits(), 5);
    EXPECT_EQ(field.Precision(), 5);
    EXPECT_EQ(field.Format(), TFloatEdit::TFloatFormat::ffFixed);
    EXPECT_TRUE(field.MinMaxCheck());
    EXPECT_TRUE(field.ValueVisible());
}

struct TypedCase {
    const char* typed;
    Log log;
    Values changes;
    double value;
    const char* text;
    const char* error;
};

TEST_F(FloatEditWindow, enterCommitsTheTypedTextThenFiresOnEnterPress) {
    ASSERT_NO_FATAL_FAILURE(Focus());
    const TypedCase cases[] = {
        {"5", {"Changed", "EnterPress"}, {5}, 5, "5.00000", nullptr},
        {" 2.5 ", {"Changed", "EnterPress"}, {2.5}, 2.5, "2.50000", nullptr},
        {"1.00000", {"Changed", "EnterPress"}, {1}, 1, "1.00000", nullptr},
        {"12", {"Changed", "Changed", "EnterPress"}, {10, 10}, 10, "10.00000", nullptr},
        {"-3", {"Changed", "Changed", "EnterPress"}, {0, 0}, 0, "0.00000", nullptr},
        {"abc",
         {"Error", "Changed", "EnterPress"},
         {1},
         1,
         "1.00000",
         "'abc' is not a valid floating point value"},
        {"1,5",
         {"Error", "Changed", "EnterPress"},
         {1},
         1,
         "1.00000",
         "'1,5' is not a valid floating point value"},
        {"",
         {"Error", "Changed", "EnterPress"},
         {1},
         1,
         "1.00000",
         "'' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        field->SetValue(1);
        events.Clear();
        Type(c.typed);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(events.log, c.log) << '"' << c.typed << '"';
        EXPECT_EQ(events.changes, c.changes) << '"' << c.typed << '"';
        EXPECT_EQ(field->Value(), c.value) << '"' << c.typed << '"';
        EXPECT_EQ(field->text(), c.text) << '"' << c.typed << '"';
        EXPECT_EQ(events.errors,
                  c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{})
            << '"' << c.typed << '"';
    }
}

TEST_F(FloatEditWindow, keypadEnterCommitsLikeReturnAndOtherKeysDoNot) {
    ASSERT_NO_FATAL_FAILURE(Focus());
    Type("7");
    for (const auto key : {Qt::Key_Escape, Qt::Key_Up, Qt::Key_Down, Qt::Key_Space}) {
        QTest::keyClick(field, key);
    }
    EXPECT_TRUE(events.log.empty());
    EXPECT_EQ(field->Value(), 0);

    Type("7");
    QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(events.log, (Log{"Changed", "EnterPress"}));
    EXPECT_EQ(field->Value(), 7);
    EXPECT_EQ(field->selectedText(), "7.00000");
}

TEST_F(FloatEditWindow, enterInAnUntouchedFieldKeepsTheUnroundedValue) {
    field->SetDigits(1);
    field->SetValue(0.123456);
    ASSERT_NO_FATAL_FAILURE(Focus());
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(events.changes, (Values{0.123456}));
    EXPECT_EQ(field->Value(), 0.123456);
    EXPECT_EQ(field->text(), "0.1");
}

struct LeaveCase {
    int digits;
    double start;
    const char* typed;  // nullptr: the user only passes through
    Log log;
    Values changes;
    double value;
    const char* text;
};

TEST_F(FloatEditWindow, tabbingAwayCommitsThenFiresOnExit) {
    const LeaveCase cases[] = {
        {5, 1, "7", {"Changed", "Exit"}, {7}, 7, "7.00000"},
        {5, 1, "15", {"Changed", "Changed", "Exit"}, {10, 10}, 10, "10.00000"},
        {5, 1, "-0.5", {"Changed", "Changed", "Exit"}, {0, 0}, 0, "0.00000"},
        {5, 1, "x", {"Error", "Changed", "Exit"}, {1}, 1, "1.00000"},
        {1, 0.123456, nullptr, {"Changed", "Exit"}, {0.123456}, 0.123456, "0.1"},
        {0, 2.5, nullptr, {"Changed", "Exit"}, {2.5}, 2.5, "3"},
    };
    for (const auto& c : cases) {
        field->SetDigits(static_cast<std::uint8_t>(c.digits));
        field->SetValue(c.start);
        ASSERT_NO_FATAL_FAILURE(Focus());
        if (c.typed) Type(c.typed);
        QTest::keyClick(field, Qt::Key_Tab);
        const auto what = c.typed ? c.typed : "(untouched)";
        EXPECT_TRUE(next->hasFocus()) << what;
        EXPECT_EQ(events.log, c.log) << what;
        EXPECT_EQ(events.changes, c.changes) << what;
        EXPECT_EQ(field->Value(), c.value) << what;
        EXPECT_EQ(field->text(), c.text) << what;
    }
}

TEST_F(FloatEditWindow, gainingTheFocusSelectsTheTextBeforeOnEnter) {
    // Backtab from the next control, and focus given by the program, which a plain edit would
    // not select.
    const std::function<void(TFloatEdit*, QLineEdit*)> entries[] = {
        [](TFloatEdit*, QLineEdit* from) {
            QTest::keyClick(from, Qt::Key_Backtab, Qt::ShiftModifier);
        },
        [](TFloatEdit* to, QLineEdit*) { to->setFocus(Qt::OtherFocusReason); },
    };
    field->SetValue(2);
    ASSERT_NO_FATAL_FAILURE(Focus());
    for (const auto& enter : entries) {
        next->setFocus(Qt::TabFocusReason);
        field->deselect();
        events.Clear();
        QString selectedAtEnter;
        field->OnEnter = [&](TFloatEdit& sender) { selectedAtEnter = sender.selectedText(); };
        enter(field, next);
        ASSERT_TRUE(field->hasFocus());
        EXPECT_EQ(selectedAtEnter, "2.00000");
        EXPECT_TRUE(events.log.empty()) << "entering commits nothing";
    }
}

TEST_F(FloatEditWindow, focusTakenByAPopUpOrAnotherWindowLeavesTheTypingAlone) {
    struct Case {
        Qt::FocusReason reason;
        bool commits;
    };
    const Case cases[] = {
        {Qt::PopupFocusReason, false},
        {Qt::ActiveWindowFocusReason, false},
        {Qt::MouseFocusReason, true},
        {Qt::OtherFocusReason, true},
    };
    ASSERT_NO_FATAL_FAILURE(Focus());
    for (const auto& c : cases) {
        field->SetValue(1);
        events.Clear();
        Type("7");
        QFocusEvent out(QEvent::FocusOut, c.reason);
        QApplication::sendEvent(field, &out);
        EXPECT_EQ(events.log, (c.commits ? Log{"Changed", "Exit"} : Log{})) << c.reason;
        EXPECT_EQ(field->Value(), c.commits ? 7 : 1) << c.reason;
        EXPECT_EQ(field->text(), c.commits ? "7.00000" : "7") << c.reason;
    }
}

TEST_F(FloatEditWindow, errorHandlerDecidesWhichValueTheFieldGoesBackTo) {
    // The handler moves the value to 3. Unhandled, the field keeps what the handler left;
    // handled, it goes back to the value the commit started from.
    struct Case {
        bool handled;
        Values changes;
        double value;
    };
    const Case cases[] = {{false, {3, 3}, 3}, {true, {3, 1}, 1}};
    ASSERT_NO_FATAL_FAILURE(Focus());
    for (const auto& c : cases) {
        field->SetValue(1);
        field->OnError = [&](TFloatEdit& sender, const QString& msg, bool& handled) {
            EXPECT_EQ(msg, "'abc' is not a valid floating point value");
            EXPECT_FALSE(handled);
            sender.SetValue(3);
            handled = c.handled;
        };
        events.Clear();
        Type("abc");
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(events.changes, c.changes) << "handled " << c.handled;
        EXPECT_EQ(field->Value(), c.value) << "handled " << c.handled;
    }
}

TEST_F(FloatEditWindow, hiddenValueStaysHiddenAndLeavingReportsTheEmptyText) {
    ASSERT_NO_FATAL_FAILURE(Focus());
    field->SetValueVisible(false);
    field->SetValue(3);
    EXPECT_EQ(field->text(), "");
    events.Clear();
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_EQ(events.log, (Log{"Error", "Changed", "Exit"}));
    EXPECT_EQ(events.errors, std::vector<std::string>{"'' is not a valid floating point value"});
    EXPECT_EQ(events.changes, (Values{3}));
    EXPECT_EQ(field->Value(), 3);
    EXPECT_EQ(field->text(), "");
}

TEST_F(FloatEditWindow, assignmentSelectsTheTextOnlyWhenTheValueChanges) {
    ASSERT_NO_FATAL_FAILURE(Focus());
    field->SetValue(4);
    field->deselect();
    field->SetValue(4);
    EXPECT_FALSE(field->hasSelectedText());
    field->SetValue(5);
    EXPECT_EQ(field->selectedText(), "5.00000");
    // A field the user is not in shows no highlight, whatever the program writes into it.
    next->setFocus(Qt::TabFocusReason);
    field->SetValue(6);
    EXPECT_FALSE(field->hasSelectedText());
}

struct CodeCase {
    const char* what;
    std::function<void(TFloatEdit&)> act;
    Values changes;
    double value;
    const char* text;
};

TEST(FloatEditFromCode, firesOnChangedOncePerAssignmentAndOnceMorePerClamp) {
    const CodeCase cases[] = {
        {"SetValue, same value", [](TFloatEdit& f) { f.SetValue(5.25); }, {}, 5.25, "5.25000"},
        {"SetValue, new value", [](TFloatEdit& f) { f.SetValue(7); }, {7}, 7, "7.00000"},
        {"SetValue, above MaxValue",
         [](TFloatEdit& f) { f.SetValue(12); },
         {10, 10},
         10,
         "10.00000"},
        {"SetValue, below MinValue", [](TFloatEdit& f) { f.SetValue(-1); }, {0, 0}, 0, "0.00000"},
        {"SetValue, NaN",
         [](TFloatEdit& f) { f.SetValue(std::numeric_limits<double>::quiet_NaN()); },
         {},
         5.25,
         "5.25000"},
        {"SetValueAnyway, same value",
         [](TFloatEdit& f) { f.SetValueAnyway(5.25); },
         {5.25},
         5.25,
         "5.25000"},
        {"SetValueAnyway, above",
         [](TFloatEdit& f) { f.SetValueAnyway(11); },
         {10, 10},
         10,
         "10.00000"},
        {"SetValueAnyway, NaN",
         [](TFloatEdit& f) { f.SetValueAnyway(std::numeric_limits<double>::quiet_NaN()); },
         {0, 0},
         0,
         "0.00000"},
        {"SetValueStr, number", [](TFloatEdit& f) { f.SetValueStr("3"); }, {3}, 3, "3.00000"},
        {"SetValueStr, the shown text",
         [](TFloatEdit& f) { f.SetValueStr("5.25000"); },
         {5.25},
         5.25,
         "5.25000"},
        {"SetValueStr, above",
         [](TFloatEdit& f) { f.SetValueStr("30"); },
         {10, 10},
         10,
         "10.00000"},
        {"SetMinValue under the value",
         [](TFloatEdit& f) { f.SetMinValue(-1); },
         {},
         5.25,
         "5.25000"},
        {"SetMinValue over the value", [](TFloatEdit& f) { f.SetMinValue(6); }, {6}, 6, "6.00000"},
        {"SetMaxValue under the value", [](TFloatEdit& f) { f.SetMaxValue(4); }, {4}, 4, "4.00000"},
        {"SetMaxValue over the value",
         [](TFloatEdit& f) { f.SetMaxValue(100); },
         {},
         5.25,
         "5.25000"},
        {"SetDigits", [](TFloatEdit& f) { f.SetDigits(1); }, {}, 5.25, "5.3"},
        {"SetPrec", [](TFloatEdit& f) { f.SetPrec(2); }, {}, 5.25, "5.30000"},
        {"SetFormat",
         [](TFloatEdit& f) { f.SetFormat(TFloatEdit::TFloatFormat::ffExponent); },
         {},
         5.25,
         "5.2500E+0000"},
        {"SetValueVisible", [](TFloatEdit& f) { f.SetValueVisible(false); }, {}, 5.25, ""},
        {"SetMinMaxCheck", [](TFloatEdit& f) { f.SetMinMaxCheck(false); }, {}, 5.25, "5.25000"},
    };
    for (const auto& c : cases) {
        TFloatEdit field;
        field.SetValue(5.25);
        Recorder events(field);
        c.act(field);
        EXPECT_EQ(events.changes, c.changes) << c.what;
        EXPECT_EQ(events.log, Log(c.changes.size(), "Changed")) << c.what;
        EXPECT_EQ(field.Value(), c.value) << c.what;
        EXPECT_EQ(field.text(), c.text) << c.what;
    }
}

TEST(FloatEditFromCode, fieldHoldingNaNTakesTheNextNumber) {
    TFloatEdit field;
    field.SetMinMaxCheck(false);
    field.SetValueAnyway(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(field.text(), "NAN");
    Recorder events(field);
    field.SetValue(5);
    EXPECT_EQ(events.changes, (Values{5}));
    EXPECT_EQ(field.text(), "5.00000");
}

TEST(FloatEditFromCode, boundsAreEnforcedAsAFormLayoutAssignsThem) {
    // The Settings dialog's temperature gain: 0.25 to 4, three decimals, value 1.
    TFloatEdit field;
    field.SetFormat(TFloatEdit::TFloatFormat::ffFixed);
    field.SetDigits(3);
    field.SetPrec(5);
    field.SetMinMaxCheck(true);
    field.SetMinValue(0.25);
    EXPECT_EQ(field.Value(), 0.25);
    field.SetMaxValue(4);
    field.SetValue(1);
    EXPECT_EQ(field.Value(), 1);
    EXPECT_EQ(field.text(), "1.000");
}

struct JudgeCase {
    const char* what;
    bool minMaxCheck;
    bool validator;  // rejects negative values
    bool outOfBounds;
    double assigned;
    Log log;
    double value;
};

TEST(FloatEditFromCode, invalidValuesGoToOnOutOfBoundsOrAreClampedOrKept) {
    const JudgeCase cases[] = {
        {"bounds with an out-of-bounds handler",
         true,
         false,
         true,
         20,
         {"OutOfBounds", "Changed"},
         20},
        {"bounds ignore the validator", true, true, false, 20, {"Changed", "Changed"}, 10},
        {"no bounds, no validator", false, false, false, -100, {"Changed"}, -100},
        {"validator accepts", false, true, false, 50, {"Validate", "Changed"}, 50},
        {"validator rejects, kept", false, true, false, -1, {"Validate", "Changed"}, -1},
        {"validator rejects, handler told",
         false,
         true,
         true,
         -1,
         {"Validate", "OutOfBounds", "Changed"},
         -1},
    };
    for (const auto& c : cases) {
        TFloatEdit field;
        Recorder events(field);
        field.SetMinMaxCheck(c.minMaxCheck);
        if (c.validator) {
            field.OnValidateValue = [&](TFloatEdit& sender, double value, bool& valid) {
                events.Note(sender, "Validate");
                EXPECT_TRUE(valid);
                EXPECT_EQ(value, c.assigned);
                valid = value >= 0;
            };
        }
        if (c.outOfBounds) {
            field.OnOutOfBounds = [&](TFloatEdit& sender) { events.Note(sender, "OutOfBounds"); };
        }
        field.SetValue(c.assigned);
        EXPECT_EQ(events.log, c.log) << c.what;
        EXPECT_EQ(field.Value(), c.value) << c.what;
    }
}

}  // namespace
