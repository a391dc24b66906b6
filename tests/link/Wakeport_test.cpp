#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "link/Convert.h"
#include "link/Linetime.h"
#include "link/Wakeport.h"
#include "support/Fakeserialline.h"
#include "tests/link/Bytes.h"

namespace {

class WakePortTest : public ::testing::Test {
  protected:
    WakePortTest() {
        auto line = std::make_unique<FakeSerialLine>();
        script = line->script();
        port = std::make_unique<TWakePort>(std::move(line));
        port->Open("/dev/fake");
    }
    /// The data bytes of the one request frame written so far (address 0: FEND, cmd, count).
    Bytes SentData() const {
        const auto& w = script->written;
        return Bytes(w.begin() + 3, w.end() - 1);
    }

    std::shared_ptr<FakeSerialLine::Script> script;
    std::unique_ptr<TWakePort> port;
};

TEST_F(WakePortTest, setTSendsTenthsLittleEndian) {
    script->Feed({0xC0, 0x06, 0x01, 0x00, 0x38});
    port->SetT(convert::ToWire(350.0, convert::Tenths), convert::ToWire(100.0, convert::Tenths));
    EXPECT_EQ(script->written, (Bytes{0xC0, 0x06, 0x04, 0xAC, 0x0D, 0xE8, 0x03, 0x63}));
}

TEST_F(WakePortTest, getHeatDecodesTheStationsReply) {
    script->Feed({0xC0, 0x07, 0x0D, 0x00, 0xDB, 0xDC, 0x0D, 0xAA, 0x0D, 0xFA, 0x00, 0x7B, 0x00,
                  0xFE, 0xFF, 0x10, 0x27, 0xA3});
    const HeatStatus s = port->GetHeat();
    EXPECT_EQ(s, (HeatStatus{3520, 3498, 250, 123, -2, 10000}));
    EXPECT_DOUBLE_EQ(convert::FromWire(s.Tset, convert::Tenths), 352.0);
    EXPECT_DOUBLE_EQ(convert::FromWire(s.Power, convert::Tenths), 12.3);
}

TEST_F(WakePortTest, signednessFollowsEachField) {
    // PllErr FF FF is -1, Tcj FF FF is 65535.
    script->Feed(Frame(0, 7, {0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}));
    const HeatStatus s = port->GetHeat();
    EXPECT_EQ(s.Tcj, 65535);
    EXPECT_EQ(s.PllErr, -1);

    // Shift -1.5 C goes out as F1 FF and comes back as -15; Delay is signed too.
    HeaterParams p{.Mode = 1,
                   .Delay = -1200,
                   .Kp = 3,
                   .Ki = 4,
                   .Error = 500,
                   .Plim = 41,
                   .Comp = 2,
                   .Shift = convert::ToWire(-1.5, convert::Tenths),
                   .Gain = 1250,
                   .Tcjn = 250};
    script->written.clear();
    script->Feed(Frame(0, 10, {0}));
    port->SetParH(p);
    const Bytes sent = SentData();
    ASSERT_EQ(sent.size(), 16u);
    EXPECT_EQ(sent[10], 0xF1);
    EXPECT_EQ(sent[11], 0xFF);

    Bytes reply = {0};
    reply.insert(reply.end(), sent.begin(), sent.end());
    reply.push_back(9);  // LastPreset
    script->Feed(Frame(0, 11, reply));
    p.LastPreset = 9;
    EXPECT_EQ(port->GetParH(), p);
}

TEST_F(WakePortTest, everySetterRoundTripsThroughItsGetterLayout) {
    // The station echoes a setter's data as the getter's reply: layouts must agree.
    struct Case {
        const char* what;
        std::function<void()> set;
        int setCode;
        int getCode;
        std::size_t bytes;
        std::function<void()> getAndCheck;
    };
    const PidGains pid{200, 17, 3, true};
    const Timers timers{600, 1800, 30};
    const HeaterOptions ho{true, false, 12, 30000, 5, 7, 1, 255, true, false, true, 1500, 200, 1};
    const FanOptions fo{10, 100, true, 2000, 9999};
    const Case cases[] = {
        {"PIDH", [&] { port->SetPIDH(pid); }, 8, 9, 4, [&] { EXPECT_EQ(port->GetPIDH(), pid); }},
        {"PIDF", [&] { port->SetPIDF(pid); }, 14, 15, 4, [&] { EXPECT_EQ(port->GetPIDF(), pid); }},
        {"Timers", [&] { port->SetTimers(timers); }, 18, 19, 5,
         [&] { EXPECT_EQ(port->GetTimers(), timers); }},
        {"OptionsH", [&] { port->SetOptionsH(ho); }, 20, 21, 18,
         [&] { EXPECT_EQ(port->GetOptionsH(), ho); }},
        {"OptionsF", [&] { port->SetOptionsF(fo); }, 22, 23, 7,
         [&] { EXPECT_EQ(port->GetOptionsF(), fo); }},
    };
    for (const auto& c : cases) {
        script->written.clear();
        script->Feed(Frame(0, static_cast<std::uint8_t>(c.setCode), {0}));
        c.set();
        const Bytes sent = SentData();
        EXPECT_EQ(sent.size(), c.bytes) << c.what;
        script->Feed(Frame(0, static_cast<std::uint8_t>(c.getCode), Bytes{0} + sent));
        c.getAndCheck();
    }
}

TEST_F(WakePortTest, presetsAndFanUseTheirLayouts) {
    script->Feed(Frame(0, 16, {0}));
    port->SetPreset({2, 1500, 3000, 7});
    EXPECT_EQ(SentData(), (Bytes{2, 0xDC, 0x05, 0xB8, 0x0B, 7}));

    script->written.clear();
    script->Feed(Frame(0, 17, {0, 0xDC, 0x05, 0xB8, 0x0B, 7}));
    EXPECT_EQ(port->GetPreset(2), (Preset{2, 1500, 3000, 7}));
    EXPECT_EQ(SentData(), (Bytes{2}));

    script->written.clear();
    script->Feed(Frame(0, 12, {0}));
    port->SetV(2500, 300);  // only the low 8 bits of the PWM go out
    EXPECT_EQ(SentData(), (Bytes{0xC4, 0x09, 300 & 0xFF}));

    script->Feed(Frame(0, 13, {0, 0xC4, 0x09, 0xC0, 0x09, 128}));
    EXPECT_EQ(port->GetFan(), (FanStatus{2500, 2496, 128}));
}

TEST_F(WakePortTest, aFailedGetterThrowsWithItsLabel) {
    script->Feed(Frame(0, 19, {2}));
    try {
        port->GetTimers();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), std::string("Error of command GetTimers:\rdevise busy."));
    }
    script->Feed(Frame(0, 13, {0, 1, 2}));
    EXPECT_THROW(port->GetFan(), EInOutError) << "short reply";
}

TEST(WakePortIdentify, firstSixCharactersExactly) {
    struct Case {
        const char* identity;
        DeviceKind kind;
    };
    const Case cases[] = {
        {"KRF-51", DeviceKind::Krf51}, {"KRF-51 v1.2 (c) 2019", DeviceKind::Krf51},
        {"KRT-51", DeviceKind::Krt51}, {"KRT-51x", DeviceKind::Krt51},
        {"KRT-5", DeviceKind::None},   {"krt-51", DeviceKind::None},
        {"", DeviceKind::None},        {" KRT-51", DeviceKind::None},
        {"KRX-51", DeviceKind::None},
    };
    for (const auto& c : cases) EXPECT_EQ(TWakePort::Identify(c.identity), c.kind) << c.identity;
}

TEST(Convert, shownValuesGoToTheNearestIntegerHalvesAwayFromZero) {
    struct Case {
        double shown;
        int scale;
        std::int32_t wire;
    };
    const Case cases[] = {
        {4.1, 10, 41},   {0.3, 10, 3},         {4.17, 10, 42},    {0.39, 10, 4},
        {0.35, 10, 4},   {0.25, 10, 3},        {-0.25, 10, -3},   {-1.5, 10, -15},
        {12.5, 10, 125}, {33.3, 10, 333},      {0.7, 10, 7},      {4.444, 1000, 4444},
        {0.0999, 10, 1}, {1.2505, 1000, 1251}, {250.0, 10, 2500}, {2.5, 1, 3},
        {-2.5, 1, -3},   {0.0, 1000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert::ToWire(c.shown, c.scale), c.wire) << c.shown << " x " << c.scale;
}

// The command table's sizes are what the commands really put on the line: the line time of a
// poll is computed from them.
TEST_F(WakePortTest, commandTableSizesEveryTransactionOnTheLine) {
    struct Case {
        cmd::Code code;
        std::function<void(TWakePort&)> run;
    };
    const Case cases[] = {
        {cmd::GetHeat, [](TWakePort& p) { p.GetHeat(); }},
        {cmd::GetFan, [](TWakePort& p) { p.GetFan(); }},
        {cmd::SetT, [](TWakePort& p) { p.SetT(2500, 100); }},
        {cmd::SetV, [](TWakePort& p) { p.SetV(1500, 20); }},
        {cmd::SetParH, [](TWakePort& p) { p.SetParH({}); }},
        {cmd::GetParH, [](TWakePort& p) { p.GetParH(); }},
        {cmd::GetPreset, [](TWakePort& p) { p.GetPreset(3); }},
        {cmd::SetOptionsH, [](TWakePort& p) { p.SetOptionsH({}); }},
        {cmd::GetOptionsF, [](TWakePort& p) { p.GetOptionsF(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        script->written.clear();
        // Error code 0, then fields of 1: nothing to stuff.
        Bytes reply(1 + cmd::SizesOf(c.code).reply, 1);
        reply[0] = 0;
        const Bytes frame = Frame(0, c.code, reply);
        script->Feed(frame);
        c.run(*port);
        EXPECT_EQ(static_cast<int>(script->written.size() + frame.size()),
                  linetime::TransactionBytes(c.code));
        EXPECT_TRUE(script->input.empty()) << "the reply was read whole";
    }
}

// Found by fuzzing the parameter file: a nudge relative to the value grew past half a unit
// above 5e8, and values beyond 32 bits were cast without a check.
TEST(Convert, everyWireValueGoesBackToItselfAndBeyond32BitsSaturates) {
    using Limits = std::numeric_limits<std::int32_t>;
    const std::int32_t wires[] = {Limits::min(), -600000000, -1,           0, 1, 499999999,
                                  500000001,     600000000,  Limits::max()};
    for (const int scale : {convert::Unscaled, convert::Tenths, convert::Thousandths})
        for (const std::int32_t wire : wires)
            EXPECT_EQ(convert::ToWire(convert::FromWire(wire, scale), scale), wire)
                << wire << " / " << scale;

    struct Case {
        double shown;
        std::int32_t wire;
    };
    const Case beyond[] = {
        {1e12, Limits::max()},
        {-1e12, Limits::min()},
        {2147483647.6, Limits::max()},
        {std::numeric_limits<double>::infinity(), Limits::max()},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& c : beyond)
        EXPECT_EQ(convert::ToWire(c.shown, convert::Unscaled), c.wire) << c.shown;
}

}  // namespace
