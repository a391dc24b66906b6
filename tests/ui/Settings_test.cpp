// The Settings dialog on the real core: off line, and against the station emulator running as
// its own process, whose log tells what the dialog and the action read and wrote.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/Appcore.h"
#include "files/Config.h"
#include "support/Fakeserialline.h"
#include "support/Stationprocess.h"
#include "tests/core/Fakepanelview.h"
#include "tests/ui/Eventually.h"
#include "tests/ui/Onmodal.h"
#include "tests/ui/Turnwheel.h"
#include "ui/Floatedit.h"
#include "ui/Settings.h"

namespace {

// Station command codes.
constexpr int GetInfo = 3;
constexpr int GetPIDH = 9;
constexpr int SetParH = 10;
constexpr int GetParH = 11;
constexpr int GetPIDF = 15;
constexpr int GetPreset = 17;
constexpr int GetTimers = 19;
constexpr int SetOptionsH = 20;
constexpr int GetOptionsH = 21;
constexpr int SetOptionsF = 22;
constexpr int GetOptionsF = 23;

/// The core as the window builds it, with a fake control panel.
struct Core {
    explicit Core(std::unique_ptr<SerialLine> line = nullptr)
        : app(panelView, view, std::move(line)) {
        panelView.Attach(app.panel());
        app.connection().Disconnect();
        app.autoRead = false;
    }
    /// On line with the station, without reading anything.
    void ConnectTo(const StationProcess& station) {
        app.connection().SetSelectedPort(station.Link());
        ASSERT_TRUE(app.connection().ConnectSelected());
    }
    FakePanelView panelView;
    NullMainView view;
    AppCore app;
};

std::vector<int> Commands(const std::vector<StationLogEntry>& entries) {
    std::vector<int> codes;
    for (const auto& e : entries) codes.push_back(e.command);
    return codes;
}

/// The commands the station received after the first `skip`.
std::vector<int> CommandsAfter(const StationProcess& station, std::size_t skip) {
    std::vector<int> codes = Commands(station.Received());
    codes.erase(codes.begin(), codes.begin() + static_cast<long>(std::min(skip, codes.size())));
    return codes;
}

bool Contains(const std::vector<int>& codes, int code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

template <typename T>
T& Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) throw std::runtime_error(std::string("no control ") + name);
    return *child;
}

TFloatEdit& Field(QWidget& form, const char* name) {
    return Child<TFloatEdit>(form, name);
}
QCheckBox& Box(QWidget& form, const char* name) {
    return Child<QCheckBox>(form, name);
}
QPushButton& Button(QWidget& form, const char* name) {
    return Child<QPushButton>(form, name);
}

/// Types `text` over the field's content and presses Enter, as the user commits a value.
void Type(TFloatEdit& field, const QString& text) {
    field.selectAll();
    QTest::keyClicks(&field, text);
    QTest::keyClick(&field, Qt::Key_Return);
}

/// Records the error box's text and closes it.
struct ErrorBoxWatch {
    QString text;
    OnModal<QMessageBox> watch{[this](QMessageBox& box) {
        text = box.text();
        box.accept();
    }};
};

HeaterOptions SomeHeaterOptions() {
    HeaterOptions o;
    o.InitialOn = true;
    o.EncoderVar = true;
    o.EncoderSpeed = 20;
    o.ReadyDelay = 1500;
    o.ReadydT = 3;
    o.UnreadydT = 41;
    o.StepTnorm = 5;
    o.StepTlarge = 100;
    o.EnableErH = true;
    o.EnableErS = true;
    o.ErHdelay = 2500;
    o.ErHdT = 350;
    o.ErHvT = 71;
    return o;
}

TEST(SettingsFormLayout, controlsCarryTheirCaptionsBoundsDecimalsAndLayoutValues) {
    Core core;
    Config config;
    TSettingsForm form(core.app, config);
    EXPECT_EQ(form.windowTitle(), "Settings...");

    struct FieldCase {
        const char* name;
        double min, max;
        int digits;
        const char* text;  // the layout value as shown
    };
    const FieldCase fields[] = {
        {"feTcjn", 0, 100, 1, "0.0"},
        {"feShift", -99, 99, 1, "0.0"},
        {"feGain", 0.25, 4, 3, "1.000"},
        {"feKp", 0, 255, 0, "0"},
        {"feKi", 0, 255, 0, "0"},
        {"feError", 0, 9999, 0, "0"},
        {"feDelay", -9999, 9999, 0, "0"},
        {"feEncoderSpeed", 0, 255, 0, "0"},
        {"feReadyDelay", 0, 30000, 0, "0"},
        {"feReadydT", 0, 25.5, 1, "0.0"},
        {"feUnreadydT", 0, 25.5, 1, "0.0"},
        {"feStepTnorm", 0.1, 25.5, 1, "0.1"},
        {"feStepTlarge", 0.1, 25.5, 1, "0.1"},
        {"feErHdelay", 0, 30000, 0, "0"},
        {"feErHdT", 0, 500, 1, "0.0"},
        {"feErHvT", 0, 500, 1, "0.0"},
        {"feStepVnorm", 1, 255, 0, "1"},
        {"feStepVlarge", 1, 255, 0, "1"},
        {"feErFdelay", 0, 30000, 0, "0"},
        {"feErFdV", 0, 9999, 0, "0"},
    };
    for (const FieldCase& c : fields) {
        TFloatEdit& f = Field(form, c.name);
        EXPECT_DOUBLE_EQ(f.MinValue(), c.min) << c.name;
        EXPECT_DOUBLE_EQ(f.MaxValue(), c.max) << c.name;
        EXPECT_EQ(f.Digits(), c.digits) << c.name;
        EXPECT_EQ(f.Precision(), 5) << c.name;
        EXPECT_TRUE(f.MinMaxCheck()) << c.name;
        EXPECT_EQ(f.text(), c.text) << c.name;
    }

    const char* captions[] = {" Startup ",
                              " Graph ",
                              " Temperature Calibration ",
                              " PLL Parameters ",
                              " Encoder Parameters ",
                              " Options ",
                              " Heater Errors  ",
                              " Fan Errors  "};
    QStringList shown;
    for (const QGroupBox* g : form.findChildren<QGroupBox*>()) shown << g->title();
    for (const char* caption : captions) EXPECT_TRUE(shown.contains(caption)) << caption;
    EXPECT_EQ(Child<QGroupBox>(form, "gbFanErrors").title(), " Fan Errors  ");

    const QComboBox& sample = Child<QComboBox>(form, "cbSample");
    ASSERT_EQ(sample.count(), 25);
    for (int i = 0; i < sample.count(); ++i) {
        EXPECT_EQ(sample.itemText(i), QString::number(20 * (i + 1)) + " ms");
    }
    EXPECT_EQ(Box(form, "cbEnableErH").text(), "Enable Heater Error (ErH)");
    EXPECT_EQ(Button(form, "btDefault").text(), "Set Default");
    EXPECT_EQ(Button(form, "btOk").text(), "OK");
    EXPECT_EQ(Button(form, "btCancel").text(), "Cancel");
    EXPECT_EQ(form.focusWidget(), &Button(form, "btOk"));
    QStringList labels;
    for (const QLabel* l : Field(form, "feErHvT").parentWidget()->findChildren<QLabel*>()) {
        labels << l->text();
    }
    EXPECT_TRUE(labels.contains("Temp. slope:"));
    EXPECT_TRUE(labels.contains(QString::fromUtf8("°C/s")));
}

TEST(SettingsFormOffLine, nothingIsReadOrWrittenAndOkStillTakesTheOptionsOver) {
    auto line = std::make_unique<FakeSerialLine>();
    const auto script = line->script();
    Core core(std::move(line));
    core.app.connection().cachedParams().Gain = 1234;
    core.app.connection().cachedParams().Shift = -15;
    Config config;
    config.autoConnect = false;
    config.autoRead = true;
    config.autoScroll = false;
    config.samplePeriodMs = 200;

    ErrorBoxWatch errors;
    TSettingsForm form(core.app, config);
    form.show();
    EXPECT_FALSE(Box(form, "cbAutoConnect").isChecked());
    EXPECT_TRUE(Box(form, "cbAutoRead").isChecked());
    EXPECT_FALSE(Box(form, "cbAutoScroll").isChecked());
    EXPECT_EQ(Child<QComboBox>(form, "cbSample").currentText(), "200 ms");
    EXPECT_EQ(Field(form, "feGain").text(), "1.234");
    EXPECT_EQ(Field(form, "feShift").text(), "-1.5");
    EXPECT_EQ(Field(form, "feReadyDelay").text(), "0") << "layout value";
    EXPECT_TRUE(Field(form, "feReadyDelay").isEnabled());

    Box(form, "cbAutoConnect").click();
    Box(form, "cbAutoScroll").click();
    Child<QComboBox>(form, "cbSample").setCurrentIndex(2);
    Type(Field(form, "feDelay"), "-700");
    Type(Field(form, "feTcjn"), "25.04");
    Type(Field(form, "feReadyDelay"), "1000");
    Button(form, "btOk").click();

    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(config.autoConnect);
    EXPECT_TRUE(config.autoScroll);
    EXPECT_EQ(config.samplePeriodMs, 60);
    EXPECT_TRUE(core.app.acquisition().options().autoConnect);
    EXPECT_TRUE(core.app.acquisition().options().autoScroll);
    EXPECT_TRUE(core.app.autoRead);
    const HeaterParams& cached = core.app.connection().cachedParams();
    EXPECT_EQ(cached.Delay, -700);
    EXPECT_EQ(cached.Tcjn, 250);
    EXPECT_EQ(cached.Gain, 1234);
    EXPECT_EQ(cached.Shift, -15);
    EXPECT_TRUE(script->written.empty()) << "no station: nothing goes out";
    EXPECT_EQ(errors.watch.seen(), 0);
}

TEST(SettingsFormStation, heaterStationReadsAndWritesOnlyTheHeaterOptions) {
    StationProcess station({.model = "KRT-51"});
    Core core;
    core.ConnectTo(station);
    core.app.link().SetOptionsH(SomeHeaterOptions());
    const std::size_t before = station.Received().size();
    Config config;

    TSettingsForm form(core.app, config);
    form.show();
    EXPECT_EQ(CommandsAfter(station, before), std::vector<int>{GetOptionsH});
    EXPECT_TRUE(Box(form, "cbInitialOn").isChecked());
    EXPECT_EQ(Field(form, "feReadyDelay").text(), "1500");
    EXPECT_EQ(Field(form, "feReadydT").text(), "0.3");
    EXPECT_EQ(Field(form, "feUnreadydT").text(), "4.1");
    EXPECT_EQ(Field(form, "feErHvT").text(), "7.1");

    // Whatever the boxes say, a heater station has no fan controls.
    Box(form, "cbEnableErF").setChecked(true);
    ASSERT_TRUE(Box(form, "cbEncoderVar").isChecked());
    for (const char* name : {"feStepVnorm", "feStepVlarge", "feErFdelay", "feErFdV"}) {
        EXPECT_FALSE(Field(form, name).isEnabled()) << name;
    }
    EXPECT_FALSE(Box(form, "cbEnableErF").isEnabled());
    EXPECT_TRUE(Field(form, "feStepTlarge").isEnabled());

    Type(Field(form, "feErHdelay"), "1200");
    Box(form, "cbInitialOn").click();
    Button(form, "btOk").click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(CommandsAfter(station, before), (std::vector<int>{GetOptionsH, SetOptionsH}));
    HeaterOptions expected = SomeHeaterOptions();
    expected.ErHdelay = 1200;
    expected.InitialOn = false;
    EXPECT_EQ(core.app.link().GetOptionsH(), expected) << "what the station now holds";
}

TEST(SettingsFormStation, setDefaultDependsOnTheKindAndSendsNothing) {
    struct Case {
        const char* model;  // nullptr: no station
        const char* delay;
        bool initialOn;
    };
    for (const Case& c : {Case{"KRF-51", "-1200", false}, Case{"KRT-51", "-500", true},
                          Case{nullptr, "-500", true}}) {
        const char* name = c.model ? c.model : "none";
        std::unique_ptr<StationProcess> station;
        Core core;
        if (c.model) {
            station = std::make_unique<StationProcess>(StationConfig{.model = c.model});
            core.ConnectTo(*station);
        }
        Config config;
        config.samplePeriodMs = 300;
        TSettingsForm form(core.app, config);
        const std::size_t before = station ? station->Received().size() : 0;
        Button(form, "btDefault").click();
        EXPECT_EQ(Field(form, "feDelay").text(), c.delay) << name;
        EXPECT_EQ(Box(form, "cbInitialOn").isChecked(), c.initialOn) << name;
        EXPECT_EQ(Child<QComboBox>(form, "cbSample").currentText(), "100 ms") << name;
        EXPECT_EQ(Field(form, "feTcjn").text(), "38.0") << name;
        EXPECT_EQ(Field(form, "feReadydT").text(), "0.4") << name;
        EXPECT_EQ(Field(form, "feErFdV").text(), "750") << name;
        EXPECT_TRUE(Box(form, "cbEnableErS").isChecked()) << name;
        EXPECT_FALSE(Box(form, "cbEncoderVar").isChecked()) << name;
        EXPECT_FALSE(Field(form, "feEncoderSpeed").isEnabled()) << name;
        EXPECT_TRUE(Field(form, "feErHdT").isEnabled()) << name;
        if (station) {
            EXPECT_EQ(station->Received().size(), before) << name;
        }
        EXPECT_EQ(config.samplePeriodMs, 300) << "nothing is taken over before OK";
    }
}

TEST(SettingsFormStation, typedValuesAreClampedAndRoundedOnTheirWayToTheStation) {
    StationProcess station({.model = "KRF-51"});
    Core core;
    core.ConnectTo(station);
    Config config;
    TSettingsForm form(core.app, config);
    form.show();

    Type(Field(form, "feGain"), "4.444");
    EXPECT_EQ(Field(form, "feGain").text(), "4.000");
    Type(Field(form, "feReadydT"), "0.0999");
    Type(Field(form, "feStepVlarge"), "77");
    EXPECT_TRUE(form.isVisible()) << "Enter in a field only commits it";
    Button(form, "btOk").click();

    EXPECT_EQ(core.app.connection().cachedParams().Gain, 4000);
    EXPECT_EQ(core.app.link().GetOptionsH().ReadydT, 1);
    EXPECT_EQ(core.app.link().GetOptionsF().StepVlarge, 77);
}

TEST(SettingsFormStation, samplePeriodShowsItsItemOrStaysWhenNoItemStandsForIt) {
    struct Case {
        int periodMs;
        int pick;  // item the user picks, -1 none
        const char* shown;
        int stored;
    };
    for (const Case& c :
         {Case{30, -1, "20 ms", 20}, Case{100, -1, "100 ms", 100}, Case{600, -1, "600 ms", 100},
          Case{10, -1, "10 ms", 100}, Case{600, 4, "600 ms", 100}, Case{10, 0, "10 ms", 20}}) {
        Core core;
        Config config;
        config.samplePeriodMs = c.periodMs;
        TSettingsForm form(core.app, config);
        QComboBox& sample = Child<QComboBox>(form, "cbSample");
        const QString shown =
            sample.currentIndex() < 0 ? sample.placeholderText() : sample.currentText();
        EXPECT_EQ(shown, c.shown) << c.periodMs;
        if (c.pick >= 0) sample.setCurrentIndex(c.pick);
        Button(form, "btOk").click();
        EXPECT_EQ(config.samplePeriodMs, c.stored) << c.periodMs << " pick " << c.pick;
    }
}

TEST(SettingsFormStation, theSampleListMarksPeriodsTooFastForTheModelAndKeepsThemSelectable) {
    struct Case {
        const char* model;
        const char* first;
    };
    for (const Case& c : {Case{"KRF-51", "20 ms (too fast for KRF-51)"}, Case{"KRT-51", "20 ms"}}) {
        StationProcess station({.model = c.model});
        Core core;
        core.ConnectTo(station);
        Config config;
        config.samplePeriodMs = 100;
        TSettingsForm form(core.app, config);
        QComboBox& sample = Child<QComboBox>(form, "cbSample");
        EXPECT_EQ(sample.itemText(0), c.first) << c.model;
        EXPECT_EQ(sample.itemText(1), "40 ms") << c.model;
        EXPECT_EQ(sample.itemData(0, Qt::ToolTipRole).toString().isEmpty(),
                  std::string(c.model) == "KRT-51");
        sample.setCurrentIndex(0);
        Button(form, "btOk").click();
        EXPECT_EQ(config.samplePeriodMs, 20) << c.model;
    }
}

TEST(SettingsFormStation, aFailedReadIsShownAndThatRecordIsNeitherEditableNorWritten) {
    struct Case {
        int failing;  // the command the station refuses
        const char* message;
        bool heaterRead;
    };
    for (const Case& c : {Case{GetOptionsF, "Error of command GetOptionsF", true},
                          Case{GetOptionsH, "Error of command GetOptionsH", false}}) {
        StationProcess station(
            {.model = "KRF-51",
             .extra = {"--error-code", "2", "--fault-commands", std::to_string(c.failing)}});
        Core core;
        core.ConnectTo(station);
        core.app.link().SetOptionsH(SomeHeaterOptions());
        const std::size_t before = station.Received().size();
        Config config;

        ErrorBoxWatch errors;
        TSettingsForm form(core.app, config);
        form.show();
        EXPECT_TRUE(errors.text.startsWith(c.message)) << errors.text.toStdString();
        EXPECT_EQ(Box(form, "cbInitialOn").isChecked(), c.heaterRead) << c.message;
        EXPECT_EQ(Field(form, "feReadyDelay").isEnabled(), c.heaterRead) << c.message;
        for (const char* name : {"feStepVnorm", "feErFdV"}) {
            EXPECT_FALSE(Field(form, name).isEnabled()) << name << " " << c.message;
        }
        EXPECT_TRUE(Field(form, "feGain").isEnabled());

        Box(form, "cbAutoConnect").click();
        Button(form, "btOk").click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(config.autoConnect, false) << "the program options are still taken over";
        const std::vector<int> sent = CommandsAfter(station, before);
        EXPECT_EQ(Contains(sent, SetOptionsH), c.heaterRead) << c.message;
        EXPECT_FALSE(Contains(sent, SetOptionsF)) << c.message;
    }
}

TEST(SettingsFormStation, aFailedWriteKeepsTheDialogOpenAndOkMayBePressedAgain) {
    // Request 1 is GetInfo, 2 and 3 the option reads, 4 the first SetOptionsH.
    StationProcess station(
        {.model = "KRF-51",
         .extra = {"--error-code", "2", "--fault-commands", "20", "--fault-requests", "4-4"}});
    Core core;
    core.ConnectTo(station);
    Config config;
    config.autoRead = true;
    TSettingsForm form(core.app, config);
    form.show();

    Box(form, "cbAutoRead").click();
    Type(Field(form, "feKp"), "77");
    {
        ErrorBoxWatch errors;
        Button(form, "btOk").click();
        EXPECT_TRUE(errors.text.startsWith("Error of command SetOptionsH"))
            << errors.text.toStdString();
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_FALSE(config.autoRead) << "what was taken over before the failure stays";
    EXPECT_EQ(core.app.connection().cachedParams().Kp, 77);
    EXPECT_FALSE(Contains(CommandsAfter(station, 3), SetOptionsF));

    Button(form, "btOk").click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(CommandsAfter(station, 3), (std::vector<int>{SetOptionsH, SetOptionsH, SetOptionsF}));
}

TEST(SettingsFormStation, aStationGoneOffLineKeepsTheDialogOpenUntilItIsBack) {
    StationProcess station({.model = "KRF-51"});
    Core core;
    core.ConnectTo(station);
    Config config;
    TSettingsForm form(core.app, config);
    form.show();
    Type(Field(form, "feReadyDelay"), "1234");

    // The poll lost the station while the dialog was open.
    core.app.connection().GoOffLine();
    const std::size_t before = station.Received().size();
    {
        ErrorBoxWatch errors;
        Button(form, "btOk").click();
        EXPECT_EQ(errors.text, "The station is off line: the options were not sent.");
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_EQ(Field(form, "feReadyDelay").Value(), 1234) << "the edits are still there";
    EXPECT_EQ(station.Received().size(), before);

    // Back on line: OK sends the options and closes.
    core.ConnectTo(station);
    const std::size_t back = station.Received().size();
    Button(form, "btOk").click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(CommandsAfter(station, back), (std::vector<int>{SetOptionsH, SetOptionsF}));
    const auto sent = station.Received();
    ASSERT_GE(sent.size(), 2u);
    const auto& data = sent[sent.size() - 2].data;
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ((*data)[3] | (*data)[4] << 8, 1234) << "ReadyDelay as typed";
}

TEST(SettingsFormKeys, tabFollowsTheGroupsColumnByColumnAndEachGroupDownwards) {
    Core core;
    Config config;
    TSettingsForm form(core.app, config);
    form.show();  // laid out, so that the rows have their places
    QWidget& first = Box(form, "cbAutoConnect");
    std::vector<std::string> groups;  // each group once, as Tab enters it
    QWidget* previous = nullptr;
    QWidget* w = &first;
    do {
        if (w->focusPolicy() & Qt::TabFocus) {
            auto* group = qobject_cast<QGroupBox*>(w->parentWidget());
            const std::string place =
                group ? group->objectName().toStdString() : w->objectName().toStdString();
            if (groups.empty() || groups.back() != place) {
                groups.push_back(place);
            } else {
                EXPECT_GT(w->y(), previous->y()) << place << ": top to bottom";
            }
            previous = w;
        }
        w = w->nextInFocusChain();
    } while (w != &first);
    EXPECT_EQ(groups, (std::vector<std::string>{"gbStartup", "gbOptions", "gbGraph", "gbPll",
                                                "gbEncoder", "gbCalibration", "gbHeaterErrors",
                                                "gbFanErrors", "btDefault", "btOk", "btCancel"}));
}

TEST(SettingsFormKeys, aWheelTurnOverAnUnfocusedControlChangesNothing) {
    Core core;
    Config config;
    config.samplePeriodMs = 200;
    TSettingsForm form(core.app, config);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Button(form, "btOk").setFocus();

    const auto lists = form.findChildren<QComboBox*>();
    const auto fields = form.findChildren<TFloatEdit*>();
    ASSERT_FALSE(lists.isEmpty());
    ASSERT_FALSE(fields.isEmpty());
    for (QComboBox* list : lists) {
        SCOPED_TRACE(list->objectName().toStdString());
        const int before = list->currentIndex();
        EXPECT_FALSE(TurnWheel(*list)) << "left to the dialog";
        EXPECT_EQ(list->currentIndex(), before);
        EXPECT_NE(list->focusPolicy(), Qt::WheelFocus) << "the wheel does not take the focus";
    }
    for (TFloatEdit* field : fields) {
        SCOPED_TRACE(field->objectName().toStdString());
        const QString before = field->text();
        EXPECT_FALSE(TurnWheel(*field));
        EXPECT_EQ(field->text(), before);
        EXPECT_NE(field->focusPolicy(), Qt::WheelFocus);
    }
    Button(form, "btOk").click();
    EXPECT_EQ(config.samplePeriodMs, 200) << "a scroll past the list chose nothing";

    // With the focus the list takes the wheel as usual.
    TSettingsForm again(core.app, config);
    again.show();
    again.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
    auto& list = Child<QComboBox>(again, "cbSample");
    list.setFocus();
    ASSERT_TRUE(Eventually([&] { return list.hasFocus(); }));
    const int before = list.currentIndex();
    EXPECT_TRUE(TurnWheel(list));
    EXPECT_NE(list.currentIndex(), before);
}

TEST(SettingsFormKeys, escapeCancelsFromAnyControlAndEnterClosesNothing) {
    for (const char* control : {"feGain", "cbSample", "btOk"}) {
        StationProcess station({.model = "KRF-51"});
        Core core;
        core.ConnectTo(station);
        Config config;
        const Config before = config;
        const HeaterParams cached = core.app.connection().cachedParams();
        TSettingsForm form(core.app, config);
        form.show();
        Box(form, "cbAutoConnect").click();
        Type(Field(form, "feKp"), "12");
        QWidget& target = Child<QWidget>(form, control);
        QTest::keyClick(&target, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible()) << control << ": no button is the default";
        QTest::keyClick(&target, Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible()) << control;
        EXPECT_EQ(form.result(), QDialog::Rejected) << control;
        EXPECT_EQ(config.autoConnect, before.autoConnect);
        EXPECT_EQ(core.app.connection().cachedParams(), cached);
        EXPECT_EQ(CommandsAfter(station, 1), (std::vector<int>{GetOptionsH, GetOptionsF}))
            << control << ": Cancel writes nothing";
    }
}

TEST(SettingsFormKeys, theUsersClicksApplyTheEnablingRule) {
    Core core;
    Config config;
    TSettingsForm form(core.app, config);
    form.show();
    TFloatEdit& speed = Field(form, "feEncoderSpeed");
    TFloatEdit& errorDelay = Field(form, "feErHdelay");
    EXPECT_FALSE(speed.isEnabled());
    QTest::mouseClick(&Box(form, "cbEncoderVar"), Qt::LeftButton);
    EXPECT_TRUE(speed.isEnabled());
    EXPECT_TRUE(Field(form, "feStepVlarge").isEnabled());
    EXPECT_FALSE(errorDelay.isEnabled());
    QTest::mouseClick(&Box(form, "cbEnableErO"), Qt::LeftButton);
    EXPECT_TRUE(errorDelay.isEnabled());
    QTest::mouseClick(&Box(form, "cbEnableErO"), Qt::LeftButton);
    EXPECT_FALSE(errorDelay.isEnabled());
    QTest::mouseClick(&Box(form, "cbEnableErF"), Qt::LeftButton);
    EXPECT_TRUE(Field(form, "feErFdV").isEnabled());
}

// The whole action: read, the dialog, SetParH whatever the outcome, and a read with AutoRead.
TEST(SettingsAction, cancelStillSendsSetParHWithTheValuesJustRead) {
    for (bool autoRead : {false, true}) {
        StationProcess station({.model = "KRF-51"});
        Core core;
        core.ConnectTo(station);
        HeaterParams stationParams;
        stationParams.Mode = 1;
        stationParams.Delay = -800;
        stationParams.Kp = 70;
        stationParams.Ki = 6;
        stationParams.Error = 150;
        stationParams.Plim = 500;
        stationParams.Shift = 12;
        stationParams.Gain = 1100;
        stationParams.Tcjn = 300;
        core.app.link().SetParH(stationParams);
        core.app.autoRead = autoRead;
        Config config;
        config.autoRead = autoRead;
        const std::size_t before = station.Received().size();

        OnModal<TSettingsForm> user([](TSettingsForm& form) {
            Type(Field(form, "feKp"), "99");
            Box(form, "cbAutoConnect").click();
            Button(form, "btCancel").click();
        });
        RunSettingsAction(core.app, config, nullptr);
        ASSERT_EQ(user.seen(), 1);

        const std::vector<int> read = {GetParH, GetPIDH, GetPreset, GetPIDF, GetTimers};
        std::vector<int> expected = read;
        expected.insert(expected.end(), {GetOptionsH, GetOptionsF, SetParH});
        if (autoRead) expected.insert(expected.end(), read.begin(), read.end());
        EXPECT_EQ(CommandsAfter(station, before), expected) << "AutoRead " << autoRead;
        EXPECT_EQ(core.app.connection().cachedParams().Kp, 70) << "Cancel took nothing over";
        EXPECT_TRUE(config.autoConnect);
        HeaterParams held = core.app.link().GetParH();
        held.LastPreset = 0;
        stationParams.LastPreset = 0;
        EXPECT_EQ(held, stationParams) << "SetParH carried what the opening read fetched";
    }
}

TEST(SettingsAction, okSendsTheEditedCachedCopyWithSetParH) {
    StationProcess station({.model = "KRT-51"});
    Core core;
    core.ConnectTo(station);
    Config config;
    OnModal<TSettingsForm> user([](TSettingsForm& form) {
        Type(Field(form, "feDelay"), "-321");
        Type(Field(form, "feGain"), "0.9876");
        Button(form, "btOk").click();
    });
    RunSettingsAction(core.app, config, nullptr);
    ASSERT_EQ(user.seen(), 1);
    const HeaterParams held = core.app.link().GetParH();
    EXPECT_EQ(held.Delay, -321);
    EXPECT_EQ(held.Gain, 988);
    const std::vector<int> sent = CommandsAfter(station, 1);
    EXPECT_FALSE(Contains(sent, GetOptionsF));
    EXPECT_FALSE(Contains(sent, SetOptionsF));
    EXPECT_TRUE(Contains(sent, SetOptionsH));
}

TEST(SettingsAction, aFailedReadBeforeTheDialogIsShownAndTheDialogDoesNotOpen) {
    StationProcess station(
        {.model = "KRF-51", .extra = {"--error-code", "2", "--fault-commands", "11"}});
    Core core;
    core.ConnectTo(station);
    Config config;
    OnModal<TSettingsForm> user([](TSettingsForm& form) { form.reject(); });
    ErrorBoxWatch errors;
    RunSettingsAction(core.app, config, nullptr);
    EXPECT_TRUE(errors.text.startsWith("Error of command GetParH")) << errors.text.toStdString();
    EXPECT_EQ(user.seen(), 0);
    EXPECT_EQ(CommandsAfter(station, 1), std::vector<int>{GetParH});
}

TEST(SettingsAction, offLineTheDialogStillOpensAndNothingGoesOut) {
    auto line = std::make_unique<FakeSerialLine>();
    const auto script = line->script();
    Core core(std::move(line));
    core.app.autoRead = true;
    Config config;
    OnModal<TSettingsForm> user([](TSettingsForm& form) {
        Type(Field(form, "feKi"), "9");
        Button(form, "btOk").click();
    });
    ErrorBoxWatch errors;
    RunSettingsAction(core.app, config, nullptr);
    EXPECT_EQ(user.seen(), 1);
    EXPECT_EQ(errors.watch.seen(), 0);
    EXPECT_EQ(core.app.connection().cachedParams().Ki, 9);
    EXPECT_TRUE(script->written.empty()) << "the closed link drops SetParH";
}

}  // namespace
