#include <gtest/gtest.h>

#include "link/Posixserial.h"
#include "link/Wakeframe.h"
#include "tests/wire/Wirestation.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

/// Raw bytes to the station, read back with the link's own frame reader.
class RawLine : public ::testing::Test {
  protected:
    RawLine() { line.Open(station.Link(), 19200); }

    void Send(const Bytes& bytes) {
        ASSERT_EQ(line.Write(bytes.data(), bytes.size()), static_cast<long>(bytes.size()));
    }
    /// The reply's command and data.
    std::pair<int, Bytes> Reply() {
        std::uint8_t data[wake::MaxData];
        const wake::Frame f = wake::ReceiveFrame(line, data);
        return {f.command, Bytes(data, data + f.count)};
    }
    StationLogEntry LastReceived() const {
        const auto rx = station.Received();
        return rx.empty() ? StationLogEntry{} : rx.back();
    }

    StationProcess station;
    PosixSerialLine line;
};

struct MalformedCase {
    const char* name;
    Bytes request;
    const char* tag;
    int command;  // the request's command, -1 when it cannot be read
};

TEST_F(RawLine, malformedFramesAreAnsweredWithBadPacketWhenAttributable) {
    const MalformedCase cases[] = {
        {"bad CRC", {0xC0, 0x06, 0x04, 0xAC, 0x0D, 0xE8, 0x03, 0x64}, "BADCRC", 6},
        {"bad stuffing", {0xC0, 0x06, 0x04, 0xDB, 0x00, 0x0D, 0xE8, 0x03, 0x63}, "BADSTUFF", 6},
        {"count above 250", {0xC0, 0x09, 0xFB, 0x00}, "TOOLONG", 9},
        {"explicit address 0", {0xC0, 0x80, 0x07, 0x00, 0x00}, "BADCRC", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Send(c.request);
        const auto [command, data] = Reply();
        EXPECT_EQ(command, c.command);
        EXPECT_EQ(data, Bytes{1});
        const StationLogEntry rx = LastReceived();
        EXPECT_EQ(rx.command, c.command);
        EXPECT_TRUE(rx.Has(c.tag)) << ::testing::PrintToString(rx.tags);
        EXPECT_FALSE(rx.data);
    }
    line.Close();
    TWakePort port;
    port.Open(station.Link());
    // Both corrupted SetT frames carried 350.0 °C.
    EXPECT_NE(port.GetHeat().Tset, 3500) << "a corrupted SetT is not carried out";
}

TEST_F(RawLine, anExplicitAddressZeroIsTheStationsOwn) {
    // C0 80 07 00 with the CRC over C0 00 07 00.
    std::uint8_t crc = wake::CrcInit;
    for (const std::uint8_t b : {0xC0, 0x00, 0x07, 0x00}) wake::Crc8Update(b, crc);
    Send({0xC0, 0x80, 0x07, 0x00, crc});
    const auto [command, data] = Reply();
    EXPECT_EQ(command, 7);
    ASSERT_EQ(data.size(), 13u);
    EXPECT_EQ(data[0], 0);
}

TEST_F(RawLine, bytesBeforeTheFrameAreSkipped) {
    Send({0x12, 0x34, 0xDB, 0xC0, 0x03, 0x00, 0xEB});
    const auto [command, data] = Reply();
    EXPECT_EQ(command, 3);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string("KRF-51 Emulator v1\0", 19));
    EXPECT_EQ(LastReceived().Value("SKIPPED"), "3");
}

TEST_F(RawLine, anUnfinishedFrameIsDroppedAndTheNextServed) {
    Send({0xC0, 0x07});
    ASSERT_TRUE(station.WaitForEntry([](const auto& e) { return e.Has("UNFINISHED"); }));
    Send({0xC0, 0x07, 0x00, 0xD0});
    EXPECT_EQ(Reply().first, 7);
    const auto rx = station.Received();
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_TRUE(rx[0].Has("IGNORED"));
    EXPECT_EQ(rx[1].data, Bytes{});
    EXPECT_EQ(station.Sent().size(), 1u) << "no reply to the unfinished frame";
}

TEST(StationAddress, requestsToOtherStationsAreIgnored) {
    WireStation w({});
    EXPECT_EQ(LinkError([&] {
                  std::lock_guard guard(w.port.Lock());
                  w.port.BeginCommand(7, "GetHeat");
                  w.port.Transact(5);
              }),
              "No data to receive.");
    const auto rx = w.station.Received();
    ASSERT_EQ(rx.size(), 1u);
    EXPECT_EQ(rx[0].Value("ADDRESS"), "05");
    EXPECT_TRUE(rx[0].Has("IGNORED"));
    EXPECT_TRUE(w.station.Sent().empty());
    EXPECT_NO_THROW(w.port.GetHeat());
}

}  // namespace
