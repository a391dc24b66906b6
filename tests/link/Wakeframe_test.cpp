#include <gtest/gtest.h>

#include "link/Wakeframe.h"
#include "support/Fakeserialline.h"
#include "tests/link/Bytes.h"

namespace {

struct EncodeCase {
    const char* what;
    std::uint8_t address;
    std::uint8_t command;
    Bytes data;
    Bytes line;
};

TEST(WakeFrameEncode, producesTheStationsByteStrings) {
    const EncodeCase cases[] = {
        {"GetInfo to address 0 has no address byte", 0, 3, {}, {0xC0, 0x03, 0x00, 0xEB}},
        {"GetHeat", 0, 7, {}, {0xC0, 0x07, 0x00, 0xD0}},
        {"address 1 sets bit 7, CRC over the plain address",
         1,
         3,
         {},
         {0xC0, 0x81, 0x03, 0x00, 0xD3}},
        {"SetT 350.0 C 100.0 %",
         0,
         6,
         {0xAC, 0x0D, 0xE8, 0x03},
         {0xC0, 0x06, 0x04, 0xAC, 0x0D, 0xE8, 0x03, 0x63}},
        {"setter success reply", 0, 6, {0x00}, {0xC0, 0x06, 0x01, 0x00, 0x38}},
        {"command bit 7 is cleared", 0, 0x83, {}, {0xC0, 0x03, 0x00, 0xEB}},
    };
    for (const auto& c : cases) {
        Bytes buffer(wake::FrameBufferSize);
        const auto size =
            wake::EncodeFrame(c.address, c.command, c.data.data(),
                              static_cast<std::uint8_t>(c.data.size()), buffer.data());
        buffer.resize(size);
        EXPECT_EQ(buffer, c.line) << c.what;
    }
}

TEST(WakeFrameEncode, stuffsEveryByteAfterTheOpeningFend) {
    // Address 0x40 goes out as 0xC0, data 0xC0 and 0xDB as escape pairs.
    const Bytes data = {0xC0, 0xDB, 0x01};
    Bytes buffer(wake::FrameBufferSize);
    buffer.resize(wake::EncodeFrame(0x40, 5, data.data(), 3, buffer.data()));
    const Bytes head = {0xC0, 0xDB, 0xDC, 0x05, 0x03, 0xDB, 0xDC, 0xDB, 0xDD, 0x01};
    ASSERT_GE(buffer.size(), head.size() + 1);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), buffer.begin()));
    // Only the opening byte is a raw FEND.
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xC0), 1);
}

TEST(WakeFrameEncode, largestFrameFitsTheBuffer) {
    // Stuffed address and 250 stuffed data bytes: 1 + 2 + 1 + 1 + 500 + a CRC of 1 or 2.
    const Bytes data(wake::MaxData, 0xC0);
    Bytes buffer(wake::FrameBufferSize);
    const auto size = wake::EncodeFrame(0x40, 0x40, data.data(), wake::MaxData, buffer.data());
    EXPECT_GE(size, 506u);
    EXPECT_LE(size, 508u);
}

TEST(WakeFrameCrc, residueOverAFrameWithItsCrcIsZeroAndAnyFlippedBitIsCaught) {
    const Bytes covered = {0xC0, 0x07, 0x0D, 0x00, 0xC0, 0x0D, 0xAA, 0x0D, 0xFA,
                           0x00, 0x7B, 0x00, 0xFE, 0xFF, 0x10, 0x27, 0xA3};
    std::uint8_t crc = wake::CrcInit;
    for (auto b : covered) wake::Crc8Update(b, crc);
    EXPECT_EQ(crc, 0);
    for (std::size_t i = 0; i < covered.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            Bytes flipped = covered;
            flipped[i] ^= static_cast<std::uint8_t>(1 << bit);
            std::uint8_t residue = wake::CrcInit;
            for (auto b : flipped) wake::Crc8Update(b, residue);
            EXPECT_NE(residue, 0) << "byte " << i << " bit " << bit;
        }
    }
}

class WakeFrameDecode : public ::testing::Test {
  protected:
    wake::Frame Receive(const Bytes& line) {
        script->Feed(line);
        return wake::ReceiveFrame(fake, data.data());
    }
    std::string ErrorOf(const Bytes& line) {
        try {
            Receive(line);
        } catch (const EInOutError& e) {
            return e.what();
        }
        return "no error";
    }

    FakeSerialLine fake;
    std::shared_ptr<FakeSerialLine::Script> script = fake.script();
    std::array<std::uint8_t, wake::MaxData> data{};
};

TEST_F(WakeFrameDecode, readsTheGetHeatReplyWithItsStuffedByte) {
    const Bytes line = {0xC0, 0x07, 0x0D, 0x00, 0xDB, 0xDC, 0x0D, 0xAA, 0x0D,
                        0xFA, 0x00, 0x7B, 0x00, 0xFE, 0xFF, 0x10, 0x27, 0xA3};
    const auto frame = Receive(line);
    EXPECT_EQ(frame.address, 0);
    EXPECT_EQ(frame.command, 7);
    ASSERT_EQ(frame.count, 13);
    const Bytes expected = {0x00, 0xC0, 0x0D, 0xAA, 0x0D, 0xFA, 0x00,
                            0x7B, 0x00, 0xFE, 0xFF, 0x10, 0x27};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data.begin()));
    EXPECT_TRUE(script->input.empty()) << "no byte is read ahead";
}

TEST_F(WakeFrameDecode, addressByteOfAddressZeroIsAccepted) {
    Bytes line = Frame(0, 6, {0x00});     // C0 06 01 00 38
    line.insert(line.begin() + 1, 0x80);  // the CRC covers address 0 only when present: redo
    std::uint8_t crc = wake::CrcInit;
    for (std::uint8_t b : {0xC0, 0x00, 0x06, 0x01, 0x00}) wake::Crc8Update(b, crc);
    line.back() = crc;
    const auto frame = Receive(line);
    EXPECT_EQ(frame.address, 0);
    EXPECT_EQ(frame.command, 6);
}

TEST_F(WakeFrameDecode, noiseBeforeTheFrameIsSkippedWithin512Bytes) {
    Bytes line(511, 0x55);
    const Bytes reply = Frame(0, 6, {0x00});
    line.insert(line.end(), reply.begin(), reply.end());
    EXPECT_EQ(Receive(line).command, 6);
}

TEST_F(WakeFrameDecode, failuresCarryTheirExactMessages) {
    struct Case {
        const char* what;
        Bytes line;
        const char* message;
    };
    Bytes reply = Frame(0, 7, {0x00, 0x01, 0x02});
    Bytes flipped = reply;
    flipped[4] ^= 0x10;
    Bytes tooLong = {0xC0, 0x07, 0xFB};
    const Case cases[] = {
        {"512 bytes of noise without FEND", Bytes(512, 0x55), "WAKE frame marker not found."},
        {"FESC followed by 0x00", {0xC0, 0x07, 0xDB, 0x00}, "WAKE destuffing error."},
        {"one flipped data bit", flipped, "WAKE CRC error."},
        {"a silent port", {}, "No data to receive."},
        {"a frame cut short", {0xC0, 0x07, 0x03, 0x00}, "No data to receive."},
        {"count above the reply buffer", tooLong, "WAKE frame too long."},
    };
    for (const auto& c : cases) {
        script->input.clear();
        EXPECT_EQ(ErrorOf(c.line), c.message) << c.what;
    }
}

TEST_F(WakeFrameDecode, rawFendInsideAFrameDropsThePartialFrameAndStartsAgainThere) {
    struct Case {
        const char* what;
        Bytes before;  // line bytes ahead of the good reply
    };
    const Bytes reply = Frame(0, 7, {0x00, 0x11, 0xC0, 0x22});
    Bytes repeated;
    for (int i = 0; i < 255; ++i) repeated = repeated + Bytes{0xC0, 0x07};
    const Case cases[] = {
        {"noise holding FEND before the reply", {0x12, 0xC0, 0x34}},
        {"FEND in place of the command", {0xC0}},
        {"FEND in place of the count", {0xC0, 0x07}},
        {"FEND among the data", {0xC0, 0x07, 0x04, 0x00, 0x11}},
        {"FEND in place of the CRC", Bytes{0xC0, 0x07, 0x01, 0x00}},
        {"FEND after FESC", {0xC0, 0x07, 0xDB}},
        {"two frame starts cut short", {0xC0, 0x07, 0x09, 0xC0, 0x06, 0x05, 0x01}},
        {"511 bytes of noise and cut frames", Bytes{0x55} + repeated},
    };
    for (const auto& c : cases) {
        script->input.clear();
        const auto frame = Receive(c.before + reply);
        EXPECT_EQ(frame.command, 7) << c.what;
        ASSERT_EQ(frame.count, 4) << c.what;
        EXPECT_EQ(Bytes(data.begin(), data.begin() + 4), (Bytes{0x00, 0x11, 0xC0, 0x22})) << c.what;
        EXPECT_TRUE(script->input.empty()) << c.what;
    }
}

TEST_F(WakeFrameDecode, cutFramesCountAgainstTheStartSearchLimit) {
    Bytes repeated;
    for (int i = 0; i < 255; ++i) repeated = repeated + Bytes{0xC0, 0x07};
    // 512 bytes that belong to no frame before the reply's FEND, as with plain noise.
    EXPECT_EQ(ErrorOf(Bytes{0x55, 0x55} + repeated + Frame(0, 7, {0})),
              "WAKE frame marker not found.");
    script->input.clear();
    EXPECT_EQ(ErrorOf(Bytes(512, 0xC0) + Frame(0, 7, {0})), "WAKE frame marker not found.");
}

}  // namespace
