#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <string>
#include <vector>

#include "core/Controlpanel.h"
#include "tests/core/Panelfixture.h"
#include "tests/ui/Turnwheel.h"
#include "ui/Floatedit.h"
#include "ui/Panelwidget.h"

namespace {

using namespace panelwire;
using Field = PanelView::Field;
using Box = PanelView::Box;

QStringList Items(const QComboBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items.append(list.itemText(i));
    return items;
}

/// The real strip on a scripted line, shown offscreen so that typing and focus work.
class PanelWidgetTest : public ::testing::Test, public LinkFixture {
  protected:
    PanelWidgetTest() {
        connectionView.panel = &panel;
        widget.Bind(panel, [this](const std::exception& e) { errors.push_back(e.what()); });
        widget.show();
    }

    void GoOnLine(DeviceKind kind) {
        Feed(InfoReply(IdentityOf(kind)));
        connection.SetSelectedPort("/dev/ttyFAKE");
        ASSERT_TRUE(connection.ConnectSelected());
        TakeSent();
    }
    template <typename C>
    C& Child(const char* name) {
        C* child = widget.findChild<C*>(QString::fromLatin1(name));
        if (child == nullptr) throw std::runtime_error(std::string("no control ") + name);
        return *child;
    }
    /// Types `text` over the field's content and presses Enter, as the user does.
    void Type(Field field, const char* text) {
        TFloatEdit& edit = widget.Edit(field);
        edit.setFocus();
        edit.selectAll();
        QTest::keyClicks(&edit, QString::fromLatin1(text));
        QTest::keyClick(&edit, Qt::Key_Return);
    }

    PanelConnectionView connectionView;
    Connection connection{*link, connectionView};
    Updating updating;
    TPanelWidget widget;
    ControlPanel panel{connection, widget, updating};
    std::vector<std::string> errors;
};

TEST_F(PanelWidgetTest, everyControlStartsInItsDesignState) {
    struct Case {
        const char* name;
        Field field;
        double max;
        int digits;
        bool enabled;
        const char* text;
    };
    const Case cases[] = {
        {"feTset", Field::Tset, 480, 1, false, "0.0"},
        {"feSet", Field::Set, 480, 0, false, "350"},
        {"feTget", Field::Tget, 480, 1, false, "0.0"},
        {"feTcj", Field::Tcj, 480, 1, false, "0.0"},
        {"feHKp", Field::HKp, 255, 0, true, "0"},
        {"feHKi", Field::HKi, 255, 0, true, "0"},
        {"feHKd", Field::HKd, 255, 0, true, "0"},
        {"fePlim", Field::Plim, 100, 1, true, "0.0"},
        {"fePower", Field::Power, 100, 1, true, "0.0"},
        {"feComp", Field::Comp, 9, 0, false, "0"},
        {"feVset", Field::Vset, 9999, 0, false, "0"},
        {"feVget", Field::Vget, 9999, 0, false, "0"},
        {"fePwm", Field::Pwm, 255, 0, true, "0"},
        {"feFKp", Field::FKp, 255, 0, true, "0"},
        {"feFKi", Field::FKi, 255, 0, true, "0"},
        {"feFKd", Field::FKd, 255, 0, true, "0"},
        {"feTmStb", Field::TmStb, 9999, 0, true, "0"},
        {"feTmOff", Field::TmOff, 9999, 0, true, "0"},
        {"feThAct", Field::ThAct, 255, 0, false, "0"},
        {"fePresetT", Field::PresetT, 480, 1, true, "0.0"},
        {"fePresetV", Field::PresetV, 9999, 0, true, "0"},
        {"fePresetC", Field::PresetC, 9, 0, false, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TFloatEdit& edit = Child<TFloatEdit>(c.name);
        EXPECT_EQ(&edit, &widget.Edit(c.field));
        EXPECT_EQ(edit.MinValue(), 0);
        EXPECT_EQ(edit.MaxValue(), c.max);
        EXPECT_EQ(edit.Digits(), c.digits);
        EXPECT_EQ(edit.isEnabled(), c.enabled);
        EXPECT_EQ(edit.text().toStdString(), c.text);
    }
    for (const char* shownOnly : {"feTget", "feTcj", "feVget"}) {
        EXPECT_TRUE(Child<TFloatEdit>(shownOnly).isReadOnly()) << shownOnly;
    }

    const TFloatEdit& big = widget.Edit(Field::Set);
    EXPECT_EQ(big.font().pixelSize(), 27);
    EXPECT_TRUE(big.font().bold());
    EXPECT_EQ(big.font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(big.palette().color(QPalette::Active, QPalette::Text), QColor(Qt::red));
    EXPECT_FALSE(Child<QWidget>("UpDown1").isEnabled());
    EXPECT_EQ(widget.height(), 100);

    EXPECT_EQ(Items(Child<QComboBox>("cbMode")), (QStringList{"Phase", "Delta-Sigma"}));
    EXPECT_EQ(Child<QComboBox>("cbMode").currentIndex(), 1);
    QStringList presets{"OFF", "COOL", "STB"};
    for (int n = 0; n <= 20; ++n) presets.append(QString::number(n));
    EXPECT_EQ(Items(Child<QComboBox>("cbPreset")), presets);
    EXPECT_EQ(Child<QComboBox>("cbPreset").currentIndex(), 0);
    EXPECT_EQ(Child<QPushButton>("brRdPre").text(), QStringLiteral("Read"));
    EXPECT_EQ(Child<QPushButton>("btSvPre").text(), QStringLiteral("Save"));
    for (const char* box : {"cbPidH", "cbPidF", "cbAutoStb"}) {
        EXPECT_FALSE(Child<QCheckBox>(box).isChecked()) << box;
    }
}

TEST_F(PanelWidgetTest, groupsStandLeftToRightWithTheirLabels) {
    struct Case {
        const char* title;
        const char* box;
        QStringList labels;
    };
    const Case cases[] = {
        {" Heater ",
         "PID Enable",
         {"Tset =", "Tget =", "Tcj   =", "Kp =", "Ki  =", "Kd =", "P_lim =", "Power =", "Comp. =",
          "°C", "%"}},
        {"  Fan      ", "PID Enable", {"Vset =", "Vget =", "PWM =", "Kp =", "Ki  =", "rpm"}},
        {" Timers     ", "Auto Stb", {"TmStb =", "TmOff =", "ThAct =", "s"}},
        {" Presets ", nullptr, {"T =", "V =", "C =", "°C", "rpm"}},
    };
    int left = -1;
    const auto groups = widget.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const QGroupBox* group = nullptr;
        for (const QGroupBox* g : groups) {
            if (g->title() == QString::fromUtf8(c.title)) group = g;
        }
        ASSERT_NE(group, nullptr);
        EXPECT_GT(group->x(), left);
        left = group->x();
        QStringList labels;
        for (const QLabel* label : group->findChildren<QLabel*>()) labels.append(label->text());
        for (const QString& label : c.labels)
            EXPECT_TRUE(labels.contains(label)) << label.toStdString();
        const auto boxes = group->findChildren<QCheckBox*>();
        ASSERT_EQ(boxes.size(), c.box ? 1 : 0);
        if (c.box) {
            EXPECT_EQ(boxes[0]->text(), QString::fromLatin1(c.box));
            EXPECT_EQ(boxes[0]->y(), 0) << "in the frame line";
        }
    }
}

TEST_F(PanelWidgetTest, typingIntoTheBigFieldSendsTheSetTemperature) {
    GoOnLine(DeviceKind::Krf51);
    {
        Updating::Guard guard(updating);
        widget.SetChecked(Box::PidH, true);
    }
    panel.RefreshHeat({.Tset = 3000, .Tget = 2990, .Tcj = 240, .Power = 123});
    ASSERT_TRUE(widget.Edit(Field::Set).isEnabled());
    EXPECT_TRUE(script->written.empty());

    Feed(Ack(SetT));
    Type(Field::Set, "250");
    EXPECT_EQ(TakeSent(), (std::vector{SetTRequest(2500, 123)}));
    EXPECT_EQ(widget.Edit(Field::Tset).text(), QStringLiteral("250.0"));
    EXPECT_TRUE(errors.empty());

    // The up arrow steps from there and writes its position into the big field.
    Feed(Ack(SetT));
    Child<QToolButton>("UpDown1Up").click();
    EXPECT_EQ(TakeSent(), (std::vector{SetTRequest(2550, 123)}));
    EXPECT_EQ(widget.Edit(Field::Set).text(), QStringLiteral("255"));
    EXPECT_EQ(widget.Edit(Field::Tset).text(), QStringLiteral("255.0"));
}

TEST_F(PanelWidgetTest, theFieldsClampReachesTheStationTwice) {
    GoOnLine(DeviceKind::Krf51);
    Feed(Ack(SetPIDH));
    Feed(Ack(SetPIDH));
    Type(Field::HKp, "300");
    const Request clamped = PidRequest(SetPIDH, {255, 0, 0, false});
    EXPECT_EQ(TakeSent(), (std::vector{clamped, clamped}));
    EXPECT_EQ(widget.Edit(Field::HKp).text(), QStringLiteral("255"));
}

TEST_F(PanelWidgetTest, clickingHeaterPidSendsAndSwitchesTheFields) {
    GoOnLine(DeviceKind::Krf51);
    Feed(Ack(SetPIDH));
    Feed(Ack(SetT));
    Child<QCheckBox>("cbPidH").click();
    EXPECT_EQ(TakeSent(), (std::vector{PidRequest(SetPIDH, {0, 0, 0, true}), SetTRequest(0, 0)}));
    EXPECT_FALSE(widget.Edit(Field::Power).isEnabled());
    EXPECT_TRUE(widget.Edit(Field::Set).isEnabled());
    EXPECT_TRUE(Child<QWidget>("UpDown1").isEnabled());
}

TEST_F(PanelWidgetTest, presetChosenByTheUserIsReadAndSaved) {
    GoOnLine(DeviceKind::Krf51);
    Feed(PresetReply({2, 1505, 800, 4}));
    Child<QComboBox>("cbPreset").setCurrentIndex(2);
    EXPECT_EQ(TakeSent(), (std::vector{GetPresetRequest(2)}));
    EXPECT_EQ(widget.Edit(Field::PresetT).text(), QStringLiteral("150.5"));

    Feed(Ack(SetPreset));
    Child<QPushButton>("btSvPre").click();
    EXPECT_EQ(TakeSent(), (std::vector{SetPresetRequest({2, 1505, 800, 4})}));
}

TEST_F(PanelWidgetTest, readParamsFillsTheRealControlsWithoutAnEcho) {
    GoOnLine(DeviceKind::Krf51);
    widget.SetPresetIndex(23);
    StationRecords station;
    station.parH.LastPreset = 5;
    station.pidF.Enable = true;
    FeedReadParams(station, DeviceKind::Krf51);
    panel.ReadParams();

    EXPECT_EQ(Commands(TakeSent()),
              (std::vector<int>{GetParH, GetPIDH, GetPreset, GetPIDF, GetTimers}));
    EXPECT_EQ(Child<QComboBox>("cbPreset").count(), 9);
    EXPECT_EQ(Child<QComboBox>("cbPreset").currentText(), QStringLiteral("OFF"));
    EXPECT_EQ(Child<QComboBox>("cbMode").currentIndex(), 0);
    EXPECT_EQ(widget.Edit(Field::Plim).text(), QStringLiteral("4.1"));
    EXPECT_TRUE(Child<QCheckBox>("cbPidH").isChecked());
    EXPECT_FALSE(widget.Edit(Field::Power).isEnabled());
    EXPECT_TRUE(widget.Edit(Field::Vset).isEnabled());
    EXPECT_TRUE(Child<QCheckBox>("cbAutoStb").isChecked());
    EXPECT_FALSE(updating.raised());
}

TEST_F(PanelWidgetTest, aWheelTurnOverAnUnfocusedControlSendsNothingAndGoesToTheWindow) {
    GoOnLine(DeviceKind::Krf51);
    widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    // The focus on a button: leaving a numeric field would commit it and send.
    Child<QPushButton>("brRdPre").setFocus();
    TakeSent();  // the field the window gave the focus to has committed
    for (const char* name : {"cbMode", "cbPreset", "fePlim", "feHKp"}) {
        SCOPED_TRACE(name);
        QWidget& control = Child<QWidget>(name);
        EXPECT_NE(control.focusPolicy(), Qt::WheelFocus) << "the wheel does not take the focus";
        auto* list = qobject_cast<QComboBox*>(&control);
        const int before = list ? list->currentIndex() : -1;
        EXPECT_FALSE(TurnWheel(control)) << "left to the window";
        EXPECT_EQ(TakeSent(), std::vector<Request>{});
        if (list) {
            EXPECT_EQ(list->currentIndex(), before);
        }
    }

    // With the focus the list takes the wheel, and its handler sends as for any choice.
    auto& mode = Child<QComboBox>("cbMode");
    widget.SetModeIndex(0);
    mode.setFocus();
    ASSERT_TRUE(mode.hasFocus());
    StationRecords station;
    Feed(ParHReply(station.parH));
    Feed(Ack(SetParH));
    EXPECT_TRUE(TurnWheel(mode));
    EXPECT_EQ(mode.currentIndex(), 1);
    EXPECT_EQ(Commands(TakeSent()), (std::vector<int>{GetParH, SetParH}));
}

TEST_F(PanelWidgetTest, whatThePanelShowsIsReadable) {
    // The mode list shows its longest entry whole.
    auto& mode = Child<QComboBox>("cbMode");
    QStyleOptionComboBox option;
    option.initFrom(&mode);
    const QRect text = mode.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, &mode);
    EXPECT_GE(text.width(), mode.fontMetrics().horizontalAdvance(QStringLiteral("Delta-Sigma")));

    // The big field's digits are red while it may be edited, the style's grey when not.
    const QPalette big = widget.Edit(Field::Set).palette();
    EXPECT_EQ(big.color(QPalette::Active, QPalette::Text), QColor(Qt::red));
    EXPECT_NE(big.color(QPalette::Disabled, QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(big.color(QPalette::Disabled, QPalette::Text),
              widget.Edit(Field::Tget).palette().color(QPalette::Disabled, QPalette::Text));

    // The boxes in the frame lines sit on their captions' middle, one blank after the words.
    for (const char* name : {"cbPidH", "cbPidF", "cbAutoStb"}) {
        SCOPED_TRACE(name);
        auto& box = Child<QCheckBox>(name);
        auto* group = qobject_cast<QGroupBox*>(box.parentWidget());
        ASSERT_NE(group, nullptr);
        const QRect caption = TPanelWidget::CaptionRect(*group);
        EXPECT_NEAR(box.geometry().center().y(), caption.center().y(), 1);
        QString words = group->title();
        while (words.endsWith(QLatin1Char(' '))) words.chop(1);
        words += QLatin1Char(' ');
        EXPECT_NEAR(box.x(), caption.left() + group->fontMetrics().horizontalAdvance(words), 1);
    }
}

TEST_F(PanelWidgetTest, aLinkErrorOfAUserEditGoesToTheWindow) {
    GoOnLine(DeviceKind::Krt51);
    EXPECT_FALSE(Child<QCheckBox>("cbPidF").isEnabled());
    EXPECT_FALSE(widget.Edit(Field::FKp).isEnabled());

    Feed(ErrorReply(SetTimers, 4));
    Type(Field::TmStb, "60");
    EXPECT_EQ(errors,
              (std::vector<std::string>{"Error of command SetTimers:\rinvalid parameters."}));
    EXPECT_EQ(widget.Edit(Field::TmStb).Value(), 60) << "the typed value stays";
    EXPECT_FALSE(updating.raised());

    // The same error set off by the core's own write into a control passes to the core's caller.
    const std::vector<std::function<void()>> coreWrites = {
        [&] { widget.SetValue(Field::HKp, 5); },
        [&] { widget.SetChecked(Box::PidH, true); },
    };
    for (const auto& write : coreWrites) {
        errors.clear();
        Feed(ErrorReply(SetPIDH, 4));
        EXPECT_THROW(write(), EInOutError);
        EXPECT_TRUE(errors.empty());
    }
}

}  // namespace
