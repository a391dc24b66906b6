#include <gtest/gtest.h>

#include <functional>

#include "core/Controlpanel.h"
#include "link/Inouterror.h"
#include "tests/core/Fakepanelview.h"
#include "tests/core/Panelfixture.h"

namespace {

using namespace panelwire;
using Field = PanelView::Field;
using Box = PanelView::Box;
using Control = PanelView::Control;

class ControlPanelTest : public ::testing::Test, public LinkFixture {
  protected:
    ControlPanelTest() {
        view.Attach(panel);
        connectionView.panel = &panel;
    }

    void GoOnLine(DeviceKind kind) {
        Feed(InfoReply(IdentityOf(kind)));
        connection.SetSelectedPort("/dev/ttyFAKE");
        ASSERT_TRUE(connection.ConnectSelected());
        ASSERT_EQ(connection.kind(), kind);
        TakeSent();
    }
    /// Read Params against `records`, checked to consume exactly the replies of its reads.
    void ReadParams(const StationRecords& records) {
        FeedReadParams(records, connection.kind());
        panel.ReadParams();
        EXPECT_TRUE(script->input.empty());
    }
    /// Program writes, as the window's creation or the poll makes them.
    template <typename F>
    void Silently(F&& write) {
        Updating::Guard guard(updating);
        write();
    }
    void HeaterPid(bool on) {
        Silently([&] { view.SetChecked(Box::PidH, on); });
    }
    void Poll(int tset, int power) {
        panel.RefreshHeat(HeatStatus{.Tset = tset, .Tget = 2000, .Tcj = 250, .Power = power});
    }

    PanelConnectionView connectionView;
    Connection connection{*link, connectionView};
    Updating updating;
    FakePanelView view;
    ControlPanel panel{connection, view, updating};
};

TEST_F(ControlPanelTest, bigFieldSendsItsTemperatureWithTheCurrentPower) {
    GoOnLine(DeviceKind::Krf51);
    HeaterPid(true);
    Poll(3000, 123);

    Feed(Ack(SetT));
    view.Commit(Field::Set, 250);
    EXPECT_EQ(TakeSent(), (std::vector{SetTRequest(2500, 123)}));
    EXPECT_DOUBLE_EQ(view.Value(Field::Tset), 250.0);
    EXPECT_EQ(view.UpDownPosition(), 250);
    EXPECT_FALSE(updating.raised());
}

TEST_F(ControlPanelTest, arrowsStepFromTheSetTemperatureShown) {
    GoOnLine(DeviceKind::Krf51);
    HeaterPid(true);
    Poll(2341, 80);
    EXPECT_EQ(view.UpDownPosition(), 234);

    struct Case {
        bool up;
        int sent;
    };
    for (const Case c : {Case{true, 2390}, Case{true, 2440}, Case{false, 2390}}) {
        Feed(Ack(SetT));
        c.up ? view.ClickUp() : view.ClickDown();
        EXPECT_EQ(TakeSent(), (std::vector{SetTRequest(c.sent, 80)}));
        EXPECT_DOUBLE_EQ(view.Value(Field::Tset), c.sent / 10.0);
    }

    // A temperature typed into the big field is where the next click starts.
    Feed(Ack(SetT));
    view.Commit(Field::Set, 300);
    Feed(Ack(SetT));
    view.ClickUp();
    EXPECT_EQ(TakeSent(), (std::vector{SetTRequest(3000, 80), SetTRequest(3050, 80)}));
}

TEST_F(ControlPanelTest, manualPowerIsSentAndKeptFromThePoll) {
    GoOnLine(DeviceKind::Krf51);
    Poll(2000, 300);
    EXPECT_TRUE(view.Enabled(Field::Power));
    EXPECT_FALSE(view.Enabled(Field::Tset));
    EXPECT_FALSE(view.Enabled(Field::Set));
    EXPECT_FALSE(view.Enabled(Control::UpDown));

    Feed(Ack(SetT));
    view.Commit(Field::Power, 12.5);
    EXPECT_EQ(TakeSent(), (std::vector{SetTRequest(2000, 125)}));

    Poll(2000, 999);
    EXPECT_DOUBLE_EQ(view.Value(Field::Power), 12.5);
}

TEST_F(ControlPanelTest, manualPowerAndPwmStartFromTheStationAfterConnectAndReadParams) {
    const auto poll = [&](int power, int pwm) {
        Poll(2000, power);
        panel.RefreshFan(FanStatus{.Vset = 1200, .Vget = 1100, .Pwm = pwm});
    };
    // Tabbing through both manual fields sends what they show.
    const auto tabThrough = [&] {
        Feed(Ack(SetT));
        view.Commit(Field::Power, view.Value(Field::Power));
        Feed(Ack(SetV));
        view.Commit(Field::Pwm, view.Value(Field::Pwm));
        return TakeSent();
    };
    StationRecords manual;
    manual.pidH.Enable = false;
    manual.pidF.Enable = false;

    struct Case {
        const char* when;
        std::function<void()> renew;  // what makes the next poll fill the fields again
        int power;
        int pwm;
    };
    const Case cases[] = {
        {"connect", [&] { GoOnLine(DeviceKind::Krf51); }, 300, 77},
        {"Read Params", [&] { ReadParams(manual); }, 455, 90},
        {"reconnect",
         [&] {
             connection.GoOffLine();
             GoOnLine(DeviceKind::Krf51);
         },
         120, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        c.renew();
        TakeSent();
        ASSERT_TRUE(view.Enabled(Field::Power));
        ASSERT_TRUE(view.Enabled(Field::Pwm));
        poll(c.power, c.pwm);
        EXPECT_EQ(TakeSent(), std::vector<Request>{}) << "the fill itself sends nothing";
        EXPECT_EQ(tabThrough(),
                  (std::vector{SetTRequest(2000, c.power), SetVRequest(1200, c.pwm)}));

        // From now on the fields are the user's: the poll leaves them alone.
        poll(999, 255);
        EXPECT_EQ(tabThrough(),
                  (std::vector{SetTRequest(2000, c.power), SetVRequest(1200, c.pwm)}));
    }
}

TEST_F(ControlPanelTest, uncheckingHeaterPidSendsTheGainsThenTheSetPoint) {
    GoOnLine(DeviceKind::Krf51);
    Silently([&] {
        view.SetValue(Field::HKp, 10);
        view.SetValue(Field::HKi, 20);
        view.SetValue(Field::HKd, 30);
    });
    HeaterPid(true);
    Poll(3000, 55);

    Feed(Ack(SetPIDH));
    Feed(Ack(SetT));
    view.Click(Box::PidH);
    EXPECT_EQ(TakeSent(),
              (std::vector{PidRequest(SetPIDH, {10, 20, 30, false}), SetTRequest(3000, 55)}));
    EXPECT_TRUE(view.Enabled(Field::Power));
    EXPECT_FALSE(view.Enabled(Field::Set));
}

TEST_F(ControlPanelTest, gainsAreSentOnEveryCommitAndClampedOnes) {
    GoOnLine(DeviceKind::Krf51);
    // The field clamps 300 to 255 and reports both the clamp and the commit.
    Feed(Ack(SetPIDH));
    Feed(Ack(SetPIDH));
    view.Commit(Field::HKp, 300);
    const Request clamped = PidRequest(SetPIDH, {255, 0, 0, false});
    EXPECT_EQ(TakeSent(), (std::vector{clamped, clamped}));

    // Enter in an untouched gain field sends all three again.
    Feed(Ack(SetPIDH));
    view.Commit(Field::HKi, 0);
    EXPECT_EQ(TakeSent(), (std::vector{clamped}));

    Feed(Ack(SetPIDF));
    view.Commit(Field::FKd, 17.5);
    EXPECT_EQ(TakeSent(), (std::vector{PidRequest(SetPIDF, {0, 0, 18, false})}));
}

TEST_F(ControlPanelTest, valuesReadFromTheStationGoBackUnchanged) {
    GoOnLine(DeviceKind::Krt51);
    for (const int plim : {7, 41, 333}) {
        StationRecords station;
        station.parH.Plim = plim;
        ReadParams(station);
        TakeSent();

        // Enter in the untouched field: the station's hidden values are fetched again first.
        StationRecords now = station;
        now.parH.Delay = -7;
        now.parH.Gain = 990;
        now.parH.Tcjn = 245;
        Feed(ParHReply(now.parH));
        Feed(Ack(SetParH));
        view.Commit(Field::Plim, view.Value(Field::Plim));

        HeaterParams expected = now.parH;
        expected.Plim = plim;
        EXPECT_EQ(TakeSent(), (std::vector{Bare(GetParH), SetParHRequest(expected)}))
            << "P_lim " << plim;
        EXPECT_EQ(connection.cachedParams().Gain, 990);
    }

    Poll(2341, 0);
    Feed(Ack(SetT));
    view.Commit(Field::Set, view.Value(Field::Set));
    EXPECT_EQ(TakeSent(), (std::vector{SetTRequest(2341, 0)}));
}

TEST_F(ControlPanelTest, typedDecimalsBeyondTheFieldAreRoundedHalfAway) {
    GoOnLine(DeviceKind::Krt51);
    struct Case {
        double typed;
        int plim;
    };
    for (const Case c : {Case{4.17, 42}, Case{0.05, 1}, Case{33.35, 334}}) {
        Feed(ParHReply(StationRecords{}.parH));
        Feed(Ack(SetParH));
        view.Commit(Field::Plim, c.typed);
        const auto sent = TakeSent();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[1].data[7] | sent[1].data[8] << 8, c.plim) << c.typed;
    }
}

TEST_F(ControlPanelTest, modeChoiceSendsTheParametersWithTheNewMode) {
    GoOnLine(DeviceKind::Krf51);
    Silently([&] { view.SetValue(Field::Plim, 55.5); });
    StationRecords station;
    Feed(ParHReply(station.parH));
    Feed(Ack(SetParH));
    view.ChooseMode(1);

    HeaterParams expected = station.parH;
    expected.Mode = 1;
    expected.Plim = 555;
    expected.Comp = 0;
    EXPECT_EQ(TakeSent(), (std::vector{Bare(GetParH), SetParHRequest(expected)}));
}

TEST_F(ControlPanelTest, autoStandbyDecidesWhetherThActIsSent) {
    GoOnLine(DeviceKind::Krf51);
    ReadParams(StationRecords{});
    TakeSent();
    ASSERT_TRUE(view.Checked(Box::AutoStb));
    EXPECT_DOUBLE_EQ(view.Value(Field::ThAct), 25);

    view.Click(Box::AutoStb);
    EXPECT_TRUE(TakeSent().empty());
    Feed(Ack(SetTimers));
    view.Commit(Field::TmStb, 300);
    EXPECT_EQ(TakeSent(), (std::vector{SetTimersRequest({300, 1800, 0})}));

    view.Click(Box::AutoStb);
    EXPECT_TRUE(TakeSent().empty());
    Feed(Ack(SetTimers));
    view.Commit(Field::TmOff, 1200);
    EXPECT_EQ(TakeSent(), (std::vector{SetTimersRequest({300, 1200, 25})}));
}

TEST_F(ControlPanelTest, presetIsReadAndSavedForTheChosenEntry) {
    GoOnLine(DeviceKind::Krf51);
    Feed(PresetReply({2, 1505, 800, 4}));
    view.ChoosePreset(2);  // "STB"
    EXPECT_EQ(TakeSent(), (std::vector{GetPresetRequest(2)}));
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetT), 150.5);
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetV), 800);
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetC), 4);

    Feed(Ack(SetPreset));
    panel.PresetSave();
    EXPECT_EQ(TakeSent(), (std::vector{SetPresetRequest({2, 1505, 800, 4})}));

    // The preset handlers answer the user even while the program is writing fields.
    Silently([&] {
        Feed(PresetReply({5, 2000, 0, 0}));
        view.ChoosePreset(5);
        Feed(Ack(SetPreset));
        panel.PresetSave();
    });
    EXPECT_EQ(TakeSent(), (std::vector{GetPresetRequest(5), SetPresetRequest({5, 2000, 0, 0})}));
}

TEST_F(ControlPanelTest, readParamsAsksInOrderAndEchoesNothing) {
    struct Case {
        DeviceKind kind;
        std::vector<int> commands;
    };
    const Case cases[] = {
        {DeviceKind::Krt51, {GetParH, GetPIDH, GetPreset, GetTimers}},
        {DeviceKind::Krf51, {GetParH, GetPIDH, GetPreset, GetPIDF, GetTimers}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        connection.GoOffLine();
        GoOnLine(c.kind);
        Silently([&] {
            view.SetValue(Field::HKp, 1);
            view.SetValue(Field::FKp, 2);
            view.SetValue(Field::TmOff, 3);
            view.SetModeIndex(1);
        });
        StationRecords station;
        station.pidF.Enable = true;
        ReadParams(station);

        EXPECT_EQ(Commands(TakeSent()), c.commands);
        EXPECT_FALSE(updating.raised());
        EXPECT_EQ(view.ModeIndex(), 0);
        EXPECT_DOUBLE_EQ(view.Value(Field::Plim), 4.1);
        EXPECT_DOUBLE_EQ(view.Value(Field::Comp), 3);
        EXPECT_DOUBLE_EQ(view.Value(Field::HKp), 40);
        EXPECT_DOUBLE_EQ(view.Value(Field::HKd), 60);
        EXPECT_TRUE(view.Checked(Box::PidH));
        EXPECT_FALSE(view.Enabled(Field::Power)) << "the box's click applies the rule";
        EXPECT_DOUBLE_EQ(view.Value(Field::PresetT), 300);
        EXPECT_DOUBLE_EQ(view.Value(Field::TmOff), 1800);
        EXPECT_EQ(view.Value(Field::FKp), c.kind == DeviceKind::Krf51 ? 7 : 2);
        EXPECT_EQ(view.Checked(Box::PidF), c.kind == DeviceKind::Krf51);
        EXPECT_EQ(connection.cachedParams().Delay, -120);
        EXPECT_EQ(connection.cachedParams().Tcjn, 230);
    }
}

TEST_F(ControlPanelTest, readParamsUnderTheGuardOnlyRefreshesTheHiddenParameters) {
    GoOnLine(DeviceKind::Krf51);
    StationRecords station;
    Feed(ParHReply(station.parH));
    Silently([&] { panel.ReadParams(); });
    EXPECT_EQ(TakeSent(), (std::vector{Bare(GetParH)}));
    EXPECT_EQ(connection.cachedParams().Shift, -15);
    EXPECT_EQ(connection.cachedParams().Gain, 1250);
    EXPECT_DOUBLE_EQ(view.Value(Field::Plim), 0);
    EXPECT_EQ(view.ModeIndex(), 1);
}

TEST_F(ControlPanelTest, presetListFollowsLastPreset) {
    GoOnLine(DeviceKind::Krf51);
    struct Case {
        int lastPreset;
        int selected;
        int count;
        int readIndex;
    };
    const Case cases[] = {
        {20, 23, 24, 23},  // the highest entry of a full list stays
        {5, 23, 9, 0},     // gone: back to "OFF"
        {5, 8, 9, 8},      // still there: kept
        {0, 8, 4, 0},      // gone
        {0, 3, 4, 3},      // preset "0" of a one-preset list
        {5, -1, 9, 0},     // no selection at all: "OFF", never index 255 on the wire
    };
    for (const Case& c : cases) {
        view.SetPresetList(20);
        view.SetPresetIndex(c.selected);
        StationRecords station;
        station.parH.LastPreset = c.lastPreset;
        ReadParams(station);
        const auto sent = TakeSent();
        ASSERT_EQ(sent.size(), 5u);
        EXPECT_EQ(sent[2], GetPresetRequest(c.readIndex)) << c.lastPreset << " " << c.selected;
        EXPECT_EQ(view.PresetCount(), c.count);
        EXPECT_EQ(view.PresetIndex(), c.readIndex);
    }
}

TEST_F(ControlPanelTest, writeParamsSendsEveryRecordOfTheKind) {
    struct Case {
        DeviceKind kind;
        bool fan;
    };
    for (const Case c : {Case{DeviceKind::Krt51, false}, Case{DeviceKind::Krf51, true}}) {
        connection.GoOffLine();
        GoOnLine(c.kind);
        HeaterParams hidden = Connection::DefaultCachedParams();
        hidden.Delay = 300;
        hidden.Error = 12;
        hidden.Shift = -40;
        connection.cachedParams() = hidden;
        Silently([&] {
            view.SetValue(Field::HKp, 11);
            view.SetValue(Field::HKi, 22);
            view.SetValue(Field::HKd, 33);
            view.SetChecked(Box::PidH, true);
            view.SetModeIndex(0);
            view.SetValue(Field::Plim, 33.3);
            view.SetValue(Field::Comp, 4);
            view.SetValue(Field::FKp, 44);
            view.SetChecked(Box::PidF, true);
            view.SetValue(Field::TmStb, 60);
            view.SetValue(Field::TmOff, 120);
            view.SetValue(Field::ThAct, 9);
            view.SetChecked(Box::AutoStb, true);
        });
        Feed(Ack(SetPIDH));
        Feed(Ack(SetParH));
        if (c.fan) Feed(Ack(SetPIDF));
        Feed(Ack(SetTimers));
        panel.WriteParams();

        HeaterParams params = hidden;
        params.Mode = 0;
        params.Plim = 333;
        params.Comp = 4;
        std::vector expected{PidRequest(SetPIDH, {11, 22, 33, true}), SetParHRequest(params)};
        if (c.fan) expected.push_back(PidRequest(SetPIDF, {44, 0, 0, true}));
        expected.push_back(SetTimersRequest({60, 120, 9}));
        EXPECT_EQ(TakeSent(), expected);
    }
}

TEST_F(ControlPanelTest, pollRefreshSendsNothingAndSparesManualValues) {
    GoOnLine(DeviceKind::Krf51);
    // The first poll after connecting fills the manual fields; the ones after it spare them.
    panel.RefreshHeat({});
    panel.RefreshFan({});
    struct Case {
        bool pid;
        double power;
        double pwm;
    };
    for (const Case c : {Case{false, 1.5, 10}, Case{true, 45.6, 200}}) {
        Silently([&] {
            view.SetChecked(Box::PidH, c.pid);
            view.SetChecked(Box::PidF, c.pid);
            view.SetValue(Field::Power, 1.5);
            view.SetValue(Field::Pwm, 10);
        });
        panel.RefreshHeat({.Tset = 3456, .Tget = 3401, .Tcj = 251, .Power = 456});
        panel.RefreshFan({.Vset = 1200, .Vget = 1190, .Pwm = 200});
        EXPECT_TRUE(script->written.empty());
        EXPECT_DOUBLE_EQ(view.Value(Field::Tset), 345.6);
        EXPECT_DOUBLE_EQ(view.Value(Field::Set), 345.6);
        EXPECT_DOUBLE_EQ(view.Value(Field::Tget), 340.1);
        EXPECT_DOUBLE_EQ(view.Value(Field::Tcj), 25.1);
        EXPECT_DOUBLE_EQ(view.Value(Field::Power), c.power);
        EXPECT_DOUBLE_EQ(view.Value(Field::Vset), 1200);
        EXPECT_DOUBLE_EQ(view.Value(Field::Vget), 1190);
        EXPECT_DOUBLE_EQ(view.Value(Field::Pwm), c.pwm);
        EXPECT_FALSE(updating.raised());
    }
}

TEST_F(ControlPanelTest, offLineEveryEditIsDroppedSilently) {
    GoOnLine(DeviceKind::Krf51);
    Feed(PresetReply({3, 1500, 200, 3}));
    view.ChoosePreset(3);
    view.Commit(Field::PresetT, 100);
    connection.GoOffLine();
    TakeSent();

    const std::vector<std::function<void()>> edits = {
        [&] { view.Commit(Field::Set, 250); }, [&] { view.Commit(Field::Power, 20); },
        [&] { view.Commit(Field::HKp, 300); }, [&] { view.Commit(Field::Plim, 50); },
        [&] { view.ChooseMode(0); },           [&] { view.Commit(Field::FKi, 3); },
        [&] { view.Commit(Field::Pwm, 100); }, [&] { view.Commit(Field::TmStb, 60); },
        [&] { view.Click(Box::PidH); },        [&] { view.Click(Box::PidF); },
        [&] { view.ChoosePreset(4); },         [&] { panel.PresetSave(); },
        [&] { panel.ReadParams(); },           [&] { panel.WriteParams(); },
    };
    for (const auto& edit : edits) EXPECT_NO_THROW(edit());
    EXPECT_TRUE(script->written.empty());
    EXPECT_FALSE(updating.raised());
    // No reply came: the preset fields keep what they showed.
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetT), 100);
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetV), 200);
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetC), 3);
}

TEST_F(ControlPanelTest, linkErrorReachesTheCallerAndLowersTheGuard) {
    GoOnLine(DeviceKind::Krf51);
    HeaterPid(true);
    struct Case {
        int command;
        std::function<void()> edit;
        const char* message;
    };
    const Case cases[] = {
        {SetT, [&] { view.Commit(Field::Set, 250); },
         "Error of command SetT:\rinvalid parameters."},
        {GetParH, [&] { view.Commit(Field::Plim, 50); },
         "Error of command GetParH:\rinvalid parameters."},
        {SetPIDF, [&] { view.Commit(Field::FKp, 5); },
         "Error of command SetPIDF:\rinvalid parameters."},
    };
    for (const Case& c : cases) {
        Feed(ErrorReply(c.command, 4));
        try {
            c.edit();
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_FALSE(updating.raised());
    }
    EXPECT_DOUBLE_EQ(view.Value(Field::Tset), 250) << "the typed value stays";
}

TEST_F(ControlPanelTest, enablingFollowsTheHeaterBox) {
    struct Case {
        bool pid;
        bool power;
        bool setPoint;
    };
    for (const Case c : {Case{true, false, true}, Case{false, true, false}}) {
        HeaterPid(c.pid);
        EXPECT_EQ(view.Enabled(Field::Power), c.power);
        EXPECT_EQ(view.Enabled(Field::Tset), c.setPoint);
        EXPECT_EQ(view.Enabled(Field::Set), c.setPoint);
        EXPECT_EQ(view.Enabled(Control::UpDown), c.setPoint);
    }
}

TEST_F(ControlPanelTest, enablingFollowsTheFanBoxAndTheStationKind) {
    struct Case {
        DeviceKind kind;
        bool pid;
        bool group;
        bool vset;
        bool pwm;
    };
    const Case cases[] = {
        {DeviceKind::None, false, true, false, true},
        {DeviceKind::None, true, true, true, false},
        {DeviceKind::Krt51, false, false, false, false},
        {DeviceKind::Krt51, true, false, false, false},
        {DeviceKind::Krf51, false, true, false, true},
        {DeviceKind::Krf51, true, true, true, false},
    };
    for (const Case& c : cases) {
        // Either order of the two inputs ends in the same state.
        for (const bool kindFirst : {true, false}) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(c.kind) << " pid " << c.pid
                                              << " kind first " << kindFirst);
            Silently([&] { view.SetChecked(Box::PidF, !c.pid); });
            if (kindFirst) panel.ApplyKind(c.kind);
            Silently([&] { view.SetChecked(Box::PidF, c.pid); });
            if (!kindFirst) panel.ApplyKind(c.kind);
            EXPECT_EQ(view.Enabled(Control::PidF), c.group);
            for (const Field gain : {Field::FKp, Field::FKi, Field::FKd}) {
                EXPECT_EQ(view.Enabled(gain), c.group);
            }
            EXPECT_EQ(view.Enabled(Field::Vset), c.vset);
            EXPECT_EQ(view.Enabled(Field::Pwm), c.pwm);
            EXPECT_FALSE(view.Enabled(Field::Vget));
        }
    }
}

}  // namespace
