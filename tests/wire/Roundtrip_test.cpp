#include <gtest/gtest.h>

#include "tests/wire/Wirestation.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class RoundTrip : public ::testing::TestWithParam<std::string> {
  protected:
    // Each request advances the station's physics by 100 ms, whatever the wall clock does.
    RoundTrip() : w({.model = GetParam(), .extra = {"--sim-step", "100"}}) {}
    bool HasFan() const { return GetParam() == "KRF-51"; }

    WireStation w;
    TWakePort& port = w.port;
};

TEST_P(RoundTrip, identityNamesTheModel) {
    const std::string identity = port.GetInfo(0);
    EXPECT_EQ(identity, GetParam() + " Emulator v1");
    EXPECT_EQ(TWakePort::Identify(identity), HasFan() ? DeviceKind::Krf51 : DeviceKind::Krt51);
}

TEST_P(RoundTrip, heaterRecordsComeBackAsSet) {
    // Every field distinct, so that a swapped or misplaced field shows.
    for (const PidGains& g : {PidGains{1, 2, 3, true}, PidGains{255, 0, 128, false}}) {
        port.SetPIDH(g);
        EXPECT_EQ(port.GetPIDH(), g);
    }
    const HeaterParams params[] = {
        {.Mode = 1,
         .Delay = -1200,
         .Kp = 3,
         .Ki = 4,
         .Error = 9999,
         .Plim = 41,
         .Comp = 9,
         .Shift = -15,
         .Gain = 4000,
         .Tcjn = 1000,
         .LastPreset = 9},
        {.Mode = 0,
         .Delay = 9999,
         .Kp = 255,
         .Ki = 0,
         .Error = 0,
         .Plim = 1000,
         .Comp = 0,
         .Shift = 990,
         .Gain = 250,
         .Tcjn = 0,
         .LastPreset = 9},
    };
    for (const auto& p : params) {
        port.SetParH(p);
        EXPECT_EQ(port.GetParH(), p);
    }
    for (const Timers& t : {Timers{65535, 1, 255}, Timers{300, 1800, 0}}) {
        port.SetTimers(t);
        EXPECT_EQ(port.GetTimers(), t);
    }
    const HeaterOptions options[] = {
        {true, false, 255, 30000, 1, 255, 2, 254, true, false, true, 65535, 5000, 1},
        {false, true, 0, 1, 250, 0, 255, 1, false, true, false, 0, 1, 5000},
    };
    for (const auto& o : options) {
        port.SetOptionsH(o);
        EXPECT_EQ(port.GetOptionsH(), o);
    }
}

TEST_P(RoundTrip, everyPresetIsKeptApart) {
    const int count = 3 + port.GetParH().LastPreset + 1;
    for (int i = 0; i < count; ++i) port.SetPreset({i, 1000 + i, 65535 - i, i % 10});
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(port.GetPreset(i), (Preset{i, 1000 + i, 65535 - i, i % 10}));
    EXPECT_EQ(LinkError([&] { port.GetPreset(count); }),
              "Error of command GetPreset:\rinvalid parameters.");
    EXPECT_EQ(LinkError([&] {
                  port.SetPreset({count, 1, 2, 3});
              }),
              "Error of command SetPreset:\rinvalid parameters.");
}

TEST_P(RoundTrip, setTShowsInGetHeat) {
    port.SetPIDH({40, 10, 5, false});
    port.SetT(3525, 123);
    const HeatStatus s = port.GetHeat();
    EXPECT_EQ(s.Tset, 3525);
    // With the PID off the heater runs at the manual power.
    EXPECT_EQ(s.Power, 123);
    EXPECT_NEAR(s.Tcj, 250, 3);
    EXPECT_NEAR(s.PllPer, 10000, 3);
}

TEST_P(RoundTrip, theStationReceivesTheLinksBytes) {
    port.SetT(3500, 1000);
    const auto rx = w.station.Received();
    ASSERT_FALSE(rx.empty());
    EXPECT_EQ(rx.back().command, 6);
    EXPECT_EQ(rx.back().frame, (Bytes{0xC0, 0x06, 0x04, 0xAC, 0x0D, 0xE8, 0x03, 0x63}));
    EXPECT_EQ(rx.back().data, (Bytes{0xAC, 0x0D, 0xE8, 0x03}));
    EXPECT_EQ(w.station.Sent().back().frame, (Bytes{0xC0, 0x06, 0x01, 0x00, 0x38}));
}

TEST_P(RoundTrip, fanCommandsNeedAFan) {
    const struct {
        const char* label;
        std::function<void()> call;
    } cases[] = {
        {"SetV", [&] { port.SetV(2100, 77); }},
        {"GetFan", [&] { port.GetFan(); }},
        {"SetPIDF",
         [&] {
             port.SetPIDF({9, 8, 7, true});
         }},
        {"GetPIDF", [&] { port.GetPIDF(); }},
        {"SetOptionsF",
         [&] {
             port.SetOptionsF({5, 50, true, 2000, 300});
         }},
        {"GetOptionsF", [&] { port.GetOptionsF(); }},
    };
    for (const auto& c : cases) {
        if (HasFan()) {
            EXPECT_NO_THROW(c.call()) << c.label;
        } else {
            EXPECT_EQ(LinkError(c.call),
                      std::string("Error of command ") + c.label + ":\rinvalid packet.");
        }
    }
}

TEST_P(RoundTrip, malformedRequestsGetTheStationsErrorCodes) {
    const struct {
        int code;
        const char* label;
        Bytes data;
        const char* text;
    } cases[] = {
        {7, "GetHeat", {1}, "invalid packet."},          {6, "SetT", {1, 2, 3}, "invalid packet."},
        {30, "Unknown", {}, "invalid packet."},          {1, "Err", {}, "invalid packet."},
        {17, "GetPreset", {200}, "invalid parameters."},
    };
    const HeatStatus before = port.GetHeat();
    for (const auto& c : cases) {
        const std::string message = LinkError([&] {
            std::lock_guard guard(port.Lock());
            port.BeginCommand(c.code, c.label);
            for (const auto b : c.data) port.PutByte(b);
            port.Transact(0);
        });
        EXPECT_EQ(message, std::string("Error of command ") + c.label + ":\r" + c.text);
    }
    EXPECT_EQ(port.GetHeat().Tset, before.Tset) << "a refused SetT changes nothing";
}

TEST_P(RoundTrip, echoReturnsItsData) {
    std::lock_guard guard(port.Lock());
    port.BeginCommand(2, "Echo");
    for (const int b : {0x11, 0xC0, 0xDB}) port.PutByte(b);
    port.Transact(0);
    // The reply has no error byte: the fields start at the second byte.
    EXPECT_EQ(port.GetByte(), 0xC0);
    EXPECT_EQ(port.GetByte(), 0xDB);
}

TEST(RoundTripFan, fanRecordsComeBackAsSet) {
    WireStation w({.model = "KRF-51", .extra = {"--sim-step", "100"}});
    TWakePort& port = w.port;
    for (const PidGains& g : {PidGains{9, 8, 7, false}, PidGains{0, 255, 1, true}}) {
        port.SetPIDF(g);
        EXPECT_EQ(port.GetPIDF(), g);
    }
    for (const FanOptions& o :
         {FanOptions{5, 50, true, 2000, 300}, FanOptions{255, 1, false, 0, 9999}}) {
        port.SetOptionsF(o);
        EXPECT_EQ(port.GetOptionsF(), o);
    }
    port.SetPIDF({30, 8, 2, false});
    port.SetV(2100, 77);
    const FanStatus s = port.GetFan();
    EXPECT_EQ(s.Vset, 2100);
    EXPECT_EQ(s.Pwm, 77);
}

INSTANTIATE_TEST_SUITE_P(Models, RoundTrip, ::testing::Values("KRF-51", "KRT-51"),
                         [](const auto& info) {
                             return info.param == "KRF-51" ? "Krf51" : "Krt51";
                         });

}  // namespace
