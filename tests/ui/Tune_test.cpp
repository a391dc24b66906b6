// The Tune PID dialog on the real core against the station emulator running as its own
// process, whose log tells what the run sent and what it left in the station.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <optional>
#include <string>
#include <vector>

#include "core/Appcore.h"
#include "link/Inouterror.h"
#include "support/Stationprocess.h"
#include "tests/core/Fakepanelview.h"
#include "ui/Floatedit.h"
#include "ui/Tune.h"

namespace {

constexpr int SetT = 6;
constexpr int SetPIDH = 8;

struct Core {
    Core() : app(panelView, view) {
        panelView.Attach(app.panel());
        app.connection().Disconnect();
        app.autoRead = false;
    }
    void ConnectTo(const StationProcess& station) {
        app.connection().SetSelectedPort(station.Link());
        ASSERT_TRUE(app.connection().ConnectSelected());
    }
    FakePanelView panelView;
    NullMainView view;
    AppCore app;
};

/// The data of the last request with `command` the station received.
std::optional<std::vector<std::uint8_t>> LastData(const StationProcess& station, int command) {
    std::optional<std::vector<std::uint8_t>> data;
    for (const auto& e : station.Received())
        if (e.command == command && e.data) data = e.data;
    return data;
}

template <typename T>
T* Child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

const StationConfig FastHeater{.model = "KRT-51", .extra = {"--tip-lag", "1.5"}};
// The station's own gains and set point: Kp 40, Ki 10, Kd 5, enabled; 250.0 °C.
const std::vector<std::uint8_t> StationGains{40, 10, 5, 1};
const std::vector<std::uint8_t> StationSetT{0xC4, 0x09, 0x00, 0x00};

TEST(TuneForm, opensWithItsDefaultsAndNothingToApply) {
    Core core;
    TTuneForm form(core.app);
    const std::pair<const char*, double> fields[] = {
        {"feFrom", 200}, {"feTo", 300}, {"feMaxOvershoot", 10}, {"feMinutes", 10}};
    for (const auto& [name, value] : fields) {
        auto* field = Child<TFloatEdit>(form, name);
        ASSERT_NE(field, nullptr) << name;
        EXPECT_DOUBLE_EQ(field->Value(), value) << name;
    }
    EXPECT_FALSE(Child<QPushButton>(form, "btApply")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(form, "btDiscard")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(form, "btStart")->isEnabled());
    auto* table = Child<QTableWidget>(form, "lvExperiments");
    EXPECT_EQ(table->rowCount(), 0);
    // Every column's caption shows whole ("Overshoot %" among them).
    form.show();
    const QHeaderView& header = *table->horizontalHeader();
    for (int c = 0; c < table->columnCount(); ++c) {
        const QString caption = table->horizontalHeaderItem(c)->text();
        EXPECT_GE(header.sectionSize(c), header.fontMetrics().horizontalAdvance(caption) + 4)
            << caption.toStdString();
    }
}

TEST(TuneForm, theActionRefusesAStationThatIsOffLine) {
    Core core;
    EXPECT_THROW(RunTuneAction(core.app, nullptr), EInOutError);
}

TEST(TuneForm, aRunThatEndsWithoutAProposalRestoresAndOffersNothing) {
    StationProcess station(FastHeater);
    Core core;
    core.ConnectTo(station);
    TTuneForm form(core.app);
    // Six seconds leave no room for a step test after measuring the heater.
    Child<TFloatEdit>(form, "feMinutes")->SetValue(0.1);
    Child<QPushButton>(form, "btStart")->click();

    ASSERT_TRUE(form.result());
    EXPECT_FALSE(form.result()->proposal);
    EXPECT_TRUE(form.result()->restored);
    EXPECT_TRUE(Child<QLabel>(form, "lbProgress")->text().startsWith("Aborted: "));
    EXPECT_FALSE(Child<QPushButton>(form, "btApply")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(form, "btStart")->isEnabled());
    EXPECT_EQ(LastData(station, SetPIDH), StationGains);
    EXPECT_EQ(LastData(station, SetT), StationSetT);
    EXPECT_NE(form.result()->abortReason.find("time cap"), std::string::npos)
        << form.result()->abortReason;
}

TEST(TuneForm, cancelDuringARunStopsItAndRestoresButKeepsTheDialog) {
    StationProcess station(FastHeater);
    Core core;
    core.ConnectTo(station);
    TTuneForm form(core.app);
    form.show();
    std::optional<AcqState> during;
    QTimer::singleShot(1500, &form, [&] {
        during = core.app.acquisition().state();
        Child<QPushButton>(form, "btCancel")->click();
    });
    Child<QPushButton>(form, "btStart")->click();

    EXPECT_EQ(during, AcqState::Running) << "the run is recorded like any recording";
    // What the tuner sent while recording is marked like a change from the panel.
    bool pidMarked = false;
    for (const ChangeEvent& e : core.app.changelog().events())
        pidMarked = pidMarked || e.text.starts_with("Heater PID:");
    EXPECT_TRUE(pidMarked);
    EXPECT_EQ(core.app.acquisition().state(), AcqState::Stopped);
    ASSERT_TRUE(form.result());
    EXPECT_EQ(form.result()->abortReason, "stopped by the user");
    EXPECT_TRUE(form.result()->restored);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(LastData(station, SetPIDH), StationGains);
    EXPECT_EQ(LastData(station, SetT), StationSetT);
}

}  // namespace
