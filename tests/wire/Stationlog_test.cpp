#include <gtest/gtest.h>

#include <stdexcept>

#include "support/Stationprocess.h"
#include "tools/station/Stationlog.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(StationLogParse, readsDirectionCommandTagsAndFrame) {
    const auto entries = ParseStationLog(
        "RX 07 N=3 SKIPPED=2 T=1520.347 | C0 07 00 D0\n"
        "TX 07 N=3 NOISE=12 | C0 07 0D 00 DB DC 0D AA 0D FA 00 7B 00 FE FF 10 27 A3\n"
        "TX 06 N=4 DROPPED\n"
        "RX -- NOISE=5\n"
        "RX 06 N=5 BADCRC | C0 06 04 AC 0D E8 03 64\n"
        "TX 06 N=6 | C0 06 01 00");  // still being written
    ASSERT_EQ(entries.size(), 5u);

    EXPECT_EQ(entries[0].direction, StationLogEntry::Direction::Rx);
    EXPECT_EQ(entries[0].command, 7);
    EXPECT_EQ(entries[0].request, 3);
    EXPECT_EQ(entries[0].Value("SKIPPED"), "2");
    EXPECT_EQ(entries[0].timeMs, 1520.347);
    EXPECT_EQ(entries[0].tags.size(), 1u) << "the time is no tag";
    EXPECT_EQ(entries[0].frame, (Bytes{0xC0, 0x07, 0x00, 0xD0}));
    EXPECT_EQ(entries[0].data, Bytes{});

    EXPECT_EQ(entries[1].direction, StationLogEntry::Direction::Tx);
    EXPECT_TRUE(entries[1].Has("NOISE"));
    EXPECT_EQ(entries[1].Value("NOISE"), "12");
    EXPECT_EQ(entries[1].data, (Bytes{0x00, 0xC0, 0x0D, 0xAA, 0x0D, 0xFA, 0x00, 0x7B, 0x00, 0xFE,
                                      0xFF, 0x10, 0x27}));

    EXPECT_TRUE(entries[2].Has("DROPPED"));
    EXPECT_FALSE(entries[2].Has("DROP"));
    EXPECT_TRUE(entries[2].frame.empty());
    EXPECT_EQ(entries[2].timeMs, std::nullopt);
    EXPECT_FALSE(entries[2].data);

    EXPECT_EQ(entries[3].command, -1);
    EXPECT_EQ(entries[3].request, 0);

    // A frame that fails its CRC check has no data.
    EXPECT_TRUE(entries[4].Has("BADCRC"));
    EXPECT_EQ(entries[4].frame.size(), 8u);
    EXPECT_FALSE(entries[4].data);
}

TEST(StationLogParse, refusesLinesItCannotRead) {
    for (const char* text : {"XX 07 N=1\n", "RX\n", "RX 7 N=1\n", "RX 07 | C0 0\n", "RX 07 | ZZ\n",
                             "RX 07 N=1 T=12ms\n"})
        EXPECT_THROW(ParseStationLog(text), std::runtime_error) << text;
}

TEST(StationLogParse, hexBytesAreTwoUpperCaseDigits) {
    EXPECT_EQ(Hex2(0x00), "00");
    EXPECT_EQ(Hex2(0xC0), "C0");
    EXPECT_EQ(Hex2(0x0D), "0D");
}

}  // namespace
