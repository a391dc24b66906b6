// Reconnecting through a probe on its own thread: the poll loop never waits for an absent
// station, and the window's own link opens only once a station has answered the probe.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "core/Appcore.h"
#include "link/Commands.h"
#include "support/Fakeserialline.h"
#include "tests/core/Fakepanelview.h"
#include "tests/link/Bytes.h"

namespace {

/// A serial line for the probe's thread whose reads wait until the test opens the gate, and
/// then read the bytes it was given (none: a silent station).
class GatedLine final : public SerialLine {
  public:
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        std::deque<std::uint8_t> reply;
        std::vector<std::string> ports;  // every port a probe opened

        void Release(const Bytes& bytes) {
            std::lock_guard lock(mutex);
            reply.assign(bytes.begin(), bytes.end());
            open = true;
            opened.notify_all();
        }
    };

    explicit GatedLine(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
    void Open(const std::string& name, int) override {
        std::lock_guard lock(gate_->mutex);
        gate_->ports.push_back(name);
        isOpen_ = true;
    }
    void Close() noexcept override { isOpen_ = false; }
    bool IsOpen() const noexcept override { return isOpen_; }
    void SetBaud(int) override {}
    void Purge() override {}
    bool ReadByte(std::uint8_t& value) override {
        std::unique_lock lock(gate_->mutex);
        gate_->opened.wait(lock, [&] { return gate_->open; });
        if (gate_->reply.empty()) return false;
        value = gate_->reply.front();
        gate_->reply.pop_front();
        return true;
    }
    long Write(const std::uint8_t*, std::size_t size) override { return static_cast<long>(size); }

  private:
    std::shared_ptr<Gate> gate_;
    bool isOpen_ = false;
};

class SilentView final : public MainView {
  public:
    void ShowConnection(const std::string& text) override { status = text; }
    void DrawSample(int) override {}
    void AutoScrollAfterAppend(int) override {}
    void LogCleared() override {}
    void StateChanged(AcqState) override {}
    void ShowConnectionHint(const std::string& text) override { hint = text; }
    std::string status;
    std::string hint;
};

Bytes InfoReply(const std::string& identity) {
    Bytes data(identity.begin(), identity.end());
    data.push_back(0);
    return Frame(0, cmd::GetInfo, data);
}

struct ProbingCore : ::testing::Test {
    ProbingCore() {
        auto line = std::make_unique<FakeSerialLine>();
        script = line->script();
        app = std::make_unique<AppCore>(panelView, view, std::move(line));
        panelView.Attach(app->panel());
        app->autoRead = false;
        app->connection().Disconnect();
        app->connection().SetSelectedPort("/dev/ttyUSB0");
        app->acquisition().SetProbe(&probe);
    }
    ~ProbingCore() override {
        gate->Release({});  // a probe still waiting must be able to finish
        probe.Cancel();
    }
    Acquisition& loop() { return app->acquisition(); }

    std::shared_ptr<GatedLine::Gate> gate = std::make_shared<GatedLine::Gate>();
    StationProbe probe{[g = gate] { return std::make_unique<GatedLine>(g); }};
    FakePanelView panelView;
    SilentView view;
    std::shared_ptr<FakeSerialLine::Script> script;
    std::unique_ptr<AppCore> app;
};

TEST_F(ProbingCore, ticksGoOnWhileTheProbeWaitsAndTheWindowsLinkStaysShut) {
    // The probe's read does not return until the gate opens: a tick that waited for it would
    // never come back.
    for (int i = 0; i < 3; ++i) loop().Tick();
    EXPECT_TRUE(probe.busy());
    EXPECT_TRUE(script->opened.empty()) << "nothing is opened on the window's link";

    gate->Release({});  // the station stays silent
    probe.Wait();
    loop().Tick();  // takes the silent result and starts the next probe
    probe.Wait();
    EXPECT_EQ(gate->ports, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB0"}))
        << "one probe at a time, a new one after each silent one";
    EXPECT_TRUE(script->opened.empty());
    EXPECT_FALSE(app->connection().onLine());
}

TEST_F(ProbingCore, theWindowConnectsOnItsOwnLinkOnlyAfterTheProbeHeardAKnownStation) {
    struct Case {
        const char* what;
        Bytes probeHears;
        bool connects;
        // Off line, the status panel's tool tip says why the probe found no station.
        std::optional<PortReason::Kind> reason;
    };
    Bytes damaged = InfoReply("KRF-51");
    damaged.back() ^= 0x01;
    using Kind = PortReason::Kind;
    const Case cases[] = {
        {"a KRF-51", InfoReply("KRF-51 v3"), true, std::nullopt},
        {"a KRT-51", InfoReply("KRT-51"), true, std::nullopt},
        {"a foreign identity", InfoReply("krf-51"), false, Kind::ForeignIdentity},
        {"silence", {}, false, Kind::NoAnswer},
        {"a damaged reply", damaged, false, Kind::LinkError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app->connection().Disconnect();
        app->connection().SetSelectedPort("/dev/ttyUSB0");
        script->opened.clear();
        gate->open = false;
        loop().Tick();
        gate->Release(c.probeHears);
        probe.Wait();
        script->Feed(InfoReply("KRF-51 v3"));
        loop().Tick();
        EXPECT_EQ(app->connection().onLine(), c.connects);
        EXPECT_EQ(script->opened.size(), c.connects ? 1u : 0u);
        EXPECT_EQ(view.status, c.connects ? " ON LINE: KRF-51 v3 (/dev/ttyUSB0) " : " OFF LINE ");
        const std::optional<PortReason>& reason = app->connection().reason();
        EXPECT_EQ(reason ? std::optional(reason->kind()) : std::nullopt, c.reason);
        EXPECT_EQ(view.hint, reason ? "/dev/ttyUSB0: " + reason->text() : view.status);
        if (reason && c.reason == Kind::NoAnswer) {
            EXPECT_EQ(*reason, PortReason::NoAnswer(19200));
        }
        if (reason && c.reason == Kind::ForeignIdentity) {
            EXPECT_EQ(*reason, PortReason::ForeignIdentity("krf-51"));
        }
        script->input.clear();
        gate->Release({});
        probe.Cancel();
    }
}

TEST_F(ProbingCore, anAnswerFromAPortNoLongerRememberedIsNotTakenForTheNewOne) {
    loop().Tick();
    gate->Release(InfoReply("KRF-51"));
    probe.Wait();
    app->connection().SetSelectedPort("/dev/ttyUSB1");
    loop().Tick();
    EXPECT_FALSE(app->connection().onLine());
    EXPECT_TRUE(script->opened.empty());
    probe.Wait();
    EXPECT_EQ(gate->ports.back(), "/dev/ttyUSB1") << "the new port is probed instead";
}

}  // namespace
