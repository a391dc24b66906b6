#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Connection.h"
#include "core/Controlpanel.h"
#include "core/Updating.h"
#include "link/Wakeport.h"
#include "support/Fakeserialline.h"
#include "tests/core/Panelwire.h"

/// The connection's reports as the window handles them: the fan group follows the kind.
class PanelConnectionView final : public ConnectionView {
  public:
    void ShowConnection(const std::string& text) override { status = text; }
    void Connected() override {}
    void KindChanged(DeviceKind kind) override {
        if (panel != nullptr) panel->ApplyKind(kind);
    }

    ControlPanel* panel = nullptr;
    std::string status;
};

/// What a station answers to Read Params.
struct StationRecords {
    HeaterParams parH{.Mode = 0,
                      .Delay = -120,
                      .Kp = 12,
                      .Ki = 34,
                      .Error = 50,
                      .Plim = 41,
                      .Comp = 3,
                      .Shift = -15,
                      .Gain = 1250,
                      .Tcjn = 230,
                      .LastPreset = 20};
    PidGains pidH{40, 5, 60, true};
    Preset preset{0, 3000, 1500, 2};
    PidGains pidF{7, 8, 9, false};
    Timers timers{600, 1800, 25};
};

/// A link over a scripted serial line: replies are fed before each action, and the requests
/// the action wrote are decoded afterwards.
class LinkFixture {
  public:
    LinkFixture() {
        auto line = std::make_unique<FakeSerialLine>();
        script = line->script();
        link = std::make_unique<TWakePort>(std::move(line));
    }

    void Feed(const panelwire::Bytes& reply) { script->Feed(reply); }
    /// The requests written since the last call.
    std::vector<panelwire::Request> TakeSent() {
        auto requests = panelwire::Decode(script->written);
        script->written.clear();
        return requests;
    }
    /// Replies of a whole Read Params in the order the station is asked.
    void FeedReadParams(const StationRecords& r, DeviceKind kind) {
        Feed(panelwire::ParHReply(r.parH));
        Feed(panelwire::PidReply(panelwire::GetPIDH, r.pidH));
        Feed(panelwire::PresetReply(r.preset));
        if (kind == DeviceKind::Krf51) Feed(panelwire::PidReply(panelwire::GetPIDF, r.pidF));
        Feed(panelwire::TimersReply(r.timers));
    }

    std::shared_ptr<FakeSerialLine::Script> script;
    std::unique_ptr<TWakePort> link;
};

inline const char* IdentityOf(DeviceKind kind) {
    return kind == DeviceKind::Krt51 ? "KRT-51 v2.3" : "KRF-51 v2.3";
}
