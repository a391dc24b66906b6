// The panel core against the station emulator running as its own process: what each edit puts
// on the line, read back from the station's log of requests.
#include <gtest/gtest.h>

#include <vector>

#include "core/Controlpanel.h"
#include "support/Stationprocess.h"
#include "tests/core/Fakepanelview.h"
#include "tests/core/Panelfixture.h"

namespace {

using namespace panelwire;
using Field = PanelView::Field;
using Box = PanelView::Box;

class ControlPanelStationTest : public ::testing::Test {
  protected:
    ControlPanelStationTest() {
        view.Attach(panel);
        connectionView.panel = &panel;
        connection.SetSelectedPort(station.Link());
    }
    void SetUp() override {
        ASSERT_TRUE(connection.ConnectSelected()) << station.Stderr();
        panel.ReadParams();
        seen = station.Received().size();
    }
    /// The requests received since the last call, as the panel's own wire records.
    std::vector<Request> NewRequests() {
        const auto all = station.Received();
        std::vector<Request> requests;
        for (std::size_t i = seen; i < all.size(); ++i) {
            requests.push_back({all[i].command, all[i].data.value_or(Bytes{})});
        }
        seen = all.size();
        return requests;
    }

    StationProcess station;
    TWakePort link;
    PanelConnectionView connectionView;
    Connection connection{link, connectionView};
    Updating updating;
    FakePanelView view;
    ControlPanel panel{connection, view, updating};
    std::size_t seen = 0;
};

TEST_F(ControlPanelStationTest, powerLimitEditSendsTheStationsHiddenValuesBack) {
    view.Commit(Field::Plim, 33.3);
    const std::vector<Request> sent = NewRequests();
    ASSERT_EQ(Commands(sent), (std::vector<int>{GetParH, SetParH}));

    // The station's answer to that GetParH: error code, the sixteen bytes SetParH carries,
    // LastPreset. SetParH must carry the same bytes but for the power limit.
    std::optional<Bytes> reply;
    for (const StationLogEntry& e : station.Sent()) {
        if (e.command == GetParH) reply = e.data;
    }
    ASSERT_TRUE(reply.has_value());
    ASSERT_EQ(reply->size(), 18u);
    Bytes expected(reply->begin() + 1, reply->end() - 1);
    const int plimAt = 7;  // Mode, Delay (2), Kp, Ki, Error (2), then Plim
    expected[plimAt] = 333 & 0xFF;
    expected[plimAt + 1] = 333 >> 8;
    EXPECT_EQ(sent[1].data, expected);

    EXPECT_EQ(link.GetParH().Plim, 333) << "the station took it";
}

TEST_F(ControlPanelStationTest, bigFieldAndPollKeepTheLineQuiet) {
    {
        Updating::Guard guard(updating);
        view.SetChecked(Box::PidH, true);
        view.SetValue(Field::Power, 12.3);
    }
    view.Commit(Field::Set, 250);
    EXPECT_EQ(NewRequests(), (std::vector{SetTRequest(2500, 123)}));

    panel.RefreshHeat(link.GetHeat());
    EXPECT_EQ(Commands(NewRequests()), (std::vector<int>{GetHeat}));
    EXPECT_DOUBLE_EQ(view.Value(Field::Tset), 250);
    EXPECT_DOUBLE_EQ(view.Value(Field::Set), 250);
}

TEST_F(ControlPanelStationTest, standbyPresetIsSavedAndReadBack) {
    view.ChoosePreset(2);  // "STB"
    view.Commit(Field::PresetT, 123.4);
    view.Commit(Field::PresetV, 900);
    const double c = view.Value(Field::PresetC);
    panel.PresetSave();
    view.Commit(Field::PresetT, 0);
    view.ChoosePreset(2);

    const auto sent = NewRequests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], GetPresetRequest(2));
    EXPECT_EQ(sent[1], SetPresetRequest({2, 1234, 900, static_cast<int>(c)}));
    EXPECT_EQ(sent[2], GetPresetRequest(2));
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetT), 123.4);
    EXPECT_DOUBLE_EQ(view.Value(Field::PresetV), 900);
}

}  // namespace
