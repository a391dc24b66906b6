// The application core against the station emulator running as its own process: connecting
// and identifying, Read and Write Params, and the poll loop losing and finding the station.
#include <gtest/gtest.h>

#include <vector>

#include <fstream>
#include "core/Appcore.h"

#include "core/Paramsync.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"
#include "tests/core/Fakepanelview.h"

namespace {

class RecordingView final : public MainView {
  public:
    void ShowConnection(const std::string& text) override { status = text; }
    void ShowConnectionHint(const std::string& text) override { hint = text; }
    void DrawSample(int index) override { drawn.push_back(index); }
    void AutoScrollAfterAppend(int) override {}
    void LogCleared() override { ++cleared; }
    void StateChanged(AcqState s) override { state = s; }

    std::string status;
    std::string hint;
    std::vector<int> drawn;
    int cleared = 0;
    AcqState state = AcqState::Stopped;
};

/// The core as the window builds it, with a fake panel.
struct Core {
    Core() : app(panelView, view) {
        panelView.Attach(app.panel());
        app.connection().Disconnect();
    }
    bool ConnectTo(const std::string& port) {
        app.connection().SetSelectedPort(port);
        return app.connection().ConnectSelected();
    }
    FakePanelView panelView;
    RecordingView view;
    AppCore app;
};

std::vector<int> Commands(const std::vector<StationLogEntry>& entries) {
    std::vector<int> codes;
    for (const auto& e : entries) codes.push_back(e.command);
    return codes;
}

TEST(AppCoreConnect, identifiesEitherModelAndShowsItOnLine) {
    struct Case {
        const char* model;
        DeviceKind kind;
        bool fanEnabled;
    };
    for (const Case& c :
         {Case{"KRT-51", DeviceKind::Krt51, false}, Case{"KRF-51", DeviceKind::Krf51, true}}) {
        StationProcess station({.model = c.model});
        Core core;
        core.app.autoRead = false;
        ASSERT_TRUE(core.ConnectTo(station.Link())) << c.model;
        EXPECT_EQ(core.app.connection().kind(), c.kind);
        EXPECT_EQ(core.view.status,
                  " ON LINE: " + std::string(c.model) + " Emulator v1 (" + station.Link() + ") ");
        EXPECT_EQ(core.panelView.Enabled(PanelView::Field::FKp), c.fanEnabled) << c.model;
    }
}

TEST(AppCoreConnect, foreignIdentityOrSilentPortStaysOffLineWithoutAMessage) {
    for (const char* identity : {"krf-51 lower case", "KRF-5", "Soldering iron"}) {
        StationProcess station({.identity = identity});
        Core core;
        EXPECT_FALSE(core.ConnectTo(station.Link())) << identity;
        EXPECT_EQ(core.view.status, " OFF LINE ");
        EXPECT_FALSE(core.app.link().IsOpen());
        EXPECT_EQ(core.app.connection().selectedPort(), station.Link()) << "the port is kept";
        EXPECT_EQ(core.app.connection().reason(), PortReason::ForeignIdentity(identity));
    }
    StationProcess silent({.extra = {"--silent", "1-100"}});
    Core core;
    EXPECT_FALSE(core.ConnectTo(silent.Link()));
    EXPECT_EQ(core.view.status, " OFF LINE ");
    EXPECT_EQ(core.view.hint, silent.Link() + ": no answer at 19200 baud");
    Core nothing;
    EXPECT_FALSE(nothing.ConnectTo("/nonexistent/tty"));
    EXPECT_EQ(nothing.view.hint, "/nonexistent/tty: the device is missing");
}

TEST(AppCoreConnect, theHintSaysWhyTheConnectionIsOffLineUntilItIsOnLine) {
    StationProcess station;
    Core core;
    Connection& connection = core.app.connection();
    EXPECT_EQ(core.view.hint, "no port chosen");
    connection.SetSelectedPort(station.Link());
    EXPECT_EQ(core.view.hint, station.Link() + ": not tried yet");
    EXPECT_EQ(connection.reason(), std::nullopt);
    ASSERT_TRUE(connection.ConnectSelected());
    EXPECT_EQ(core.view.hint, Connection::OnLineText("KRF-51 Emulator v1", station.Link()));
    EXPECT_EQ(connection.reason(), std::nullopt);
    connection.Disconnect();
    EXPECT_EQ(core.view.hint, "no port chosen");
    EXPECT_EQ(connection.reason(), std::nullopt);
}

TEST(AppCoreParams, readParamsAsksForEachRecordInOrderAndNothingElse) {
    for (const char* model : {"KRF-51", "KRT-51"}) {
        StationProcess station({.model = model});
        Core core;  // AutoRead on: connecting reads everything
        ASSERT_TRUE(core.ConnectTo(station.Link()));
        std::vector<int> expected = {3, 11, 9, 17, 15, 19};  // GetInfo, GetParH, GetPIDH, ...
        if (std::string(model) == "KRT-51") expected.erase(expected.begin() + 4);  // no GetPIDF
        EXPECT_EQ(Commands(station.Received()), expected) << model;
    }
}

TEST(AppCoreParams, writeParamsSendsThePanelsRecords) {
    for (const char* model : {"KRF-51", "KRT-51"}) {
        StationProcess station({.model = model});
        Core core;
        core.app.autoRead = false;
        ASSERT_TRUE(core.ConnectTo(station.Link()));
        core.app.panel().WriteParams();
        std::vector<int> expected = {3, 8, 10, 14,
                                     18};  // GetInfo, SetPIDH, SetParH, SetPIDF, SetTimers
        if (std::string(model) == "KRT-51") expected.erase(expected.begin() + 3);
        EXPECT_EQ(Commands(station.Received()), expected) << model;
    }
}

TEST(AppCoreLoop, lostStationGoesOffLineAndIsReadAgainWhenItAnswers) {
    // Requests 4..8 go unanswered: the station is unplugged for a while.
    StationProcess station({.extra = {"--silent", "4-8"}});
    Core core;
    core.app.autoRead = false;
    core.app.connection().SetSelectedPort(station.Link());
    Acquisition& loop = core.app.acquisition();

    loop.Tick();  // off line, port remembered: connects (request 1)
    ASSERT_TRUE(core.app.connection().onLine());
    loop.Tick();  // GetHeat, GetFan (2, 3)
    EXPECT_TRUE(core.app.connection().onLine());
    loop.Tick();  // GetHeat unanswered (4)
    EXPECT_FALSE(core.app.connection().onLine());
    EXPECT_EQ(core.view.status, " OFF LINE ");
    EXPECT_EQ(core.view.hint, station.Link() + ": no answer at 19200 baud");
    int ticks = 0;
    while (!core.app.connection().onLine() && ++ticks < 20) loop.Tick();
    EXPECT_TRUE(core.app.connection().onLine()) << "reconnected when it answered again";
    EXPECT_EQ(core.app.connection().kind(), DeviceKind::Krf51);
    EXPECT_EQ(core.app.connection().reason(), std::nullopt);
}

TEST(AppCoreLoop, recordingContinuesInTheSameLogAfterTheStationReturns) {
    StationProcess station({.model = "KRT-51", .extra = {"--silent", "6-7"}});
    Core core;
    core.app.autoRead = false;
    core.app.connection().SetSelectedPort(station.Link());
    Acquisition& loop = core.app.acquisition();
    loop.Start();
    EXPECT_EQ(core.view.state, AcqState::Running);
    for (int i = 0; i < 12; ++i) loop.Tick();
    // Ticks: connect, then GetHeat each; two unanswered requests cost a sample and a
    // reconnect each, so fewer samples than ticks, all in one log.
    const TraceStore& store = core.app.store();
    EXPECT_EQ(loop.state(), AcqState::Running);
    EXPECT_GE(store.count(), 6);
    EXPECT_LT(store.count(), 11);
    for (int i = 0; i < store.count(); ++i) {
        EXPECT_EQ(store.value(Vset, i), 0) << "a heater station leaves the fan columns 0";
        EXPECT_GT(store.value(PllPer, i), 9000);
    }
}

}  // namespace

namespace {

TEST(AppCoreLoop, theStoreFillsAt18001SamplesAndTheNextTickStops) {
    StationProcess station({.model = "KRT-51", .extra = {"--sim-step", "20"}});
    Core core;
    core.app.autoRead = false;
    core.app.connection().SetSelectedPort(station.Link());
    Acquisition& loop = core.app.acquisition();
    loop.Tick();  // connects
    ASSERT_TRUE(core.app.connection().onLine());
    loop.Start();
    for (int i = 0; i < TraceCapacity; ++i) loop.Tick();
    EXPECT_EQ(core.app.store().count(), TraceCapacity);
    EXPECT_EQ(loop.state(), AcqState::Running);
    loop.Tick();
    EXPECT_EQ(loop.state(), AcqState::Stopped);
    EXPECT_EQ(core.view.state, AcqState::Stopped) << "Start and Pause lose their check marks";
    EXPECT_EQ(core.app.store().count(), TraceCapacity);
    EXPECT_TRUE(core.app.connection().onLine()) << "the panel goes on being refreshed";
}

}  // namespace

namespace {

TEST(AppCoreParams, openParamsSendsNothingAndWriteParamsThenSendsTheLoadedSet) {
    StationProcess station({.model = "KRF-51"});
    Core core;
    ASSERT_TRUE(core.ConnectTo(station.Link()));  // AutoRead fills the panel first
    const std::size_t before = station.Received().size();

    const TempFolder folder;
    const auto path = folder / "tuned.par";
    std::ofstream(path, std::ios::binary)
        << "[Heater]\r\nKp=21\r\nKi=22\r\nKd=23\r\nMode=0\r\nDelay=-40\r\nPllKp=31\r\n"
           "PllKi=32\r\nPllError=333\r\nPlim=555\r\nComp=4\r\n[TC]\r\nShift=-15\r\nGain=1250\r\n"
           "Tcjn=240\r\n[Fan]\r\nKp=41\r\nKi=42\r\nKd=43\r\n";
    OpenParamFile(core.app, path);
    EXPECT_EQ(station.Received().size(), before) << "loading sends nothing";
    EXPECT_DOUBLE_EQ(core.panelView.Value(PanelView::Field::Plim), 55.5);

    core.app.panel().WriteParams();
    const auto received = station.Received();
    ASSERT_EQ(received.size(), before + 4);
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(received[before].command, 8);
    EXPECT_EQ(received[before].data, Bytes({21, 22, 23, 1}));
    EXPECT_EQ(received[before + 1].command, 10);
    // Mode 0, Delay -40, PllKp 31, PllKi 32, Error 333, Plim 555, Comp 4, Shift -15, Gain 1250,
    // Tcjn 240.
    EXPECT_EQ(received[before + 1].data, Bytes({0, 0xD8, 0xFF, 31, 32, 0x4D, 0x01, 0x2B, 0x02, 4,
                                                0xF1, 0xFF, 0xE2, 0x04, 0xF0, 0x00}));
    EXPECT_EQ(received[before + 2].command, 14);
    EXPECT_EQ(received[before + 2].data->at(0), 41);
    EXPECT_EQ(received[before + 3].command, 18);
}

}  // namespace
