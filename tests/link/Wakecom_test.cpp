#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>

#include "link/Uniquefd.h"
#include "link/Wakecom.h"
#include "link/Wakeport.h"
#include "support/Fakeserialline.h"
#include "support/Tempfolder.h"
#include "tests/link/Bytes.h"

namespace {

class WakeComTest : public ::testing::Test {
  protected:
    WakeComTest() {
        auto line = std::make_unique<FakeSerialLine>();
        script = line->script();
        com = std::make_unique<TWakeCom>(std::move(line));
    }

    /// Runs a command with `reply` waiting on the line; returns the error text or "".
    std::string Run(int code, const char* label, const Bytes& reply) {
        script->Feed(reply);
        try {
            std::lock_guard guard(com->Lock());
            com->BeginCommand(code, label);
            com->Transact(0);
        } catch (const EInOutError& e) {
            return e.what();
        }
        return "";
    }

    std::shared_ptr<FakeSerialLine::Script> script;
    std::unique_ptr<TWakeCom> com;
};

TEST_F(WakeComTest, stationErrorsAndMismatchedRepliesBecomeCommandErrors) {
    struct Case {
        const char* what;
        Bytes reply;
        std::string message;
    };
    const std::string prefix = std::string("Error of command SetT:") + '\r';
    const Case cases[] = {
        {"success", Frame(0, 6, {0}), ""},
        {"code 1", Frame(0, 6, {1}), prefix + "invalid packet."},
        {"code 2", Frame(0, 6, {2}), prefix + "devise busy."},
        {"code 3", Frame(0, 6, {3}), prefix + "device not ready."},
        {"code 4", Frame(0, 6, {4}), prefix + "invalid parameters."},
        {"code 5", Frame(0, 6, {5}), prefix + "timeout reached."},
        {"code 6", Frame(0, 6, {6}), prefix + "invalid address."},
        {"code 7 and above", Frame(0, 6, {7}), prefix + "invalid packet."},
        {"code 255", Frame(0, 6, {255}), prefix + "invalid packet."},
        {"reply from another address, error byte 0", Frame(5, 6, {0}), prefix + "invalid address."},
        {"reply to another command", Frame(0, 7, {0}), prefix + "invalid parameters."},
        {"reply without its error byte", Frame(0, 6, {}), prefix + "invalid packet."},
    };
    com->Open("/dev/fake");
    for (const auto& c : cases) EXPECT_EQ(Run(6, "SetT", c.reply), c.message) << c.what;
}

TEST_F(WakeComTest, aStaleReplyNeverAnswersALaterRequest) {
    struct Case {
        const char* what;
        Bytes waiting;  // in the input before the request goes out
        Bytes after;    // arrives after it
    };
    const Bytes info = Frame(0, 3, {'K', 'R', 'F', '-', '5', '1', 0});
    const Bytes lateHeat = Frame(0, 7, {0, 0x34, 0x12});
    const Case cases[] = {
        {"a late reply waiting in the input", lateHeat, info},
        {"a late reply still arriving", {}, lateHeat + info},
        {"half a late reply waiting, the rest arriving", {0xC0, 0x07}, Bytes{0x03, 0x00} + info},
        {"another station's reply first", {}, Frame(5, 3, {'X', 0}) + info},
        {"several late replies first", lateHeat, Frame(0, 6, {0}) + lateHeat + info},
    };
    com->Open("/dev/fake");
    for (const auto& c : cases) {
        script->waiting.assign(c.waiting.begin(), c.waiting.end());
        script->Feed(c.after);
        EXPECT_EQ(com->GetInfo(0), "KRF-51") << c.what;
        EXPECT_TRUE(script->input.empty() && script->waiting.empty()) << c.what;
    }
}

TEST_F(WakeComTest, aMismatchedReplyWithNothingGoodAfterItKeepsItsMessage) {
    struct Case {
        const char* what;
        Bytes reply;
        std::string message;
    };
    const std::string prefix = std::string("Error of command GetHeat:") + '\r';
    Bytes damaged = Frame(0, 7, {0});
    damaged.back() ^= 0x01;
    const Case cases[] = {
        {"another command, then silence", Frame(0, 6, {0}), prefix + "invalid parameters."},
        {"another address, then silence", Frame(1, 7, {0}), prefix + "invalid address."},
        {"another command, then a damaged reply", Frame(0, 6, {0}) + damaged,
         prefix + "invalid parameters."},
    };
    com->Open("/dev/fake");
    for (const auto& c : cases) EXPECT_EQ(Run(7, "GetHeat", c.reply), c.message) << c.what;
}

TEST_F(WakeComTest, repliesToCommands2And3CarryNoErrorByte) {
    com->Open("/dev/fake");
    EXPECT_EQ(Run(3, "GetInfo", Frame(0, 3, {'K', 'R', 'F', 0})), "");
    EXPECT_EQ(Run(2, "Echo", Frame(0, 2, {9})), "");
}

TEST_F(WakeComTest, getInfoReadsUpToTheFirstZeroByte) {
    com->Open("/dev/fake");
    script->Feed(Frame(0, 3, {'K', 'R', 'F', '-', '5', '1', ' ', 'v', '2', 0, 'x'}));
    EXPECT_EQ(com->GetInfo(0), "KRF-51 v2");
    script->Feed(Frame(0, 3, {'K', 'R', 'T'}));
    EXPECT_EQ(com->GetInfo(0), "KRT") << "a text without a zero byte is taken whole";
    EXPECT_EQ(script->written, (Bytes{0xC0, 0x03, 0x00, 0xEB, 0xC0, 0x03, 0x00, 0xEB}));
}

TEST_F(WakeComTest, linkRecoversOnTheNextCommandAfterAnAbandonedFrame) {
    com->Open("/dev/fake");
    EXPECT_EQ(Run(7, "GetHeat", {0xC0, 0x07, 0x05, 0x00}), "No data to receive.");
    // Leftovers of a late reply come before the next one; the start search skips them.
    EXPECT_EQ(Run(6, "SetT", Bytes{0x11, 0x22} + Frame(0, 6, {0})), "");
}

TEST_F(WakeComTest, withNoPortOpenCommandsDoNothingAndGettersGiveTheLastReply) {
    EXPECT_EQ(Run(7, "GetHeat", {}), "");
    EXPECT_TRUE(script->written.empty());
    EXPECT_EQ(com->GetByte(), 0) << "zeros before the first reply";

    com->Open("/dev/fake");
    EXPECT_EQ(Run(7, "GetHeat", Frame(0, 7, {0, 0x34, 0x12})), "");
    com->Close();
    EXPECT_EQ(Run(7, "GetHeat", {}), "");
    EXPECT_EQ(com->GetWord(), 0x1234);
    EXPECT_NO_THROW(com->ExpectReplyFields(12)) << "a closed link reports nothing";
}

TEST_F(WakeComTest, shortReplyFailsAsInvalidPacket) {
    com->Open("/dev/fake");
    EXPECT_EQ(Run(7, "GetHeat", Frame(0, 7, {0, 1, 2})), "");
    try {
        com->ExpectReplyFields(12);
        FAIL() << "a 3-byte reply cannot hold 12 field bytes";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), std::string("Error of command GetHeat:\rinvalid packet."));
    }
    EXPECT_NO_THROW(com->ExpectReplyFields(2));
}

TEST_F(WakeComTest, countsEachRequestUnderWhatBecameOfIt) {
    const auto badCrc = [] {
        Bytes b = Frame(0, 6, {0});
        b.back() ^= 0x01;
        return b;
    }();
    struct Case {
        const char* what;
        Bytes reply;
        LinkOutcome outcome;
    };
    const Case cases[] = {
        {"good reply", Frame(0, 6, {0}), LinkOutcome::Reply},
        {"good reply after noise", Bytes{0x11, 0x22} + Frame(0, 6, {0}), LinkOutcome::Reply},
        {"silence", {}, LinkOutcome::Timeout},
        {"a frame cut short", {0xC0, 0x06}, LinkOutcome::Timeout},
        {"bad CRC", badCrc, LinkOutcome::CrcError},
        {"no marker in 512 bytes", Bytes(wake::StartSearchLimit, 0x55), LinkOutcome::FrameError},
        {"bad stuffing", {0xC0, 0xDB, 0x01}, LinkOutcome::FrameError},
        {"count above 250", {0xC0, 0x06, 0xFB}, LinkOutcome::FrameError},
        {"no error byte", Frame(0, 6, {}), LinkOutcome::FrameError},
        {"station busy", Frame(0, 6, {2}), LinkOutcome::StationError},
        {"unknown error code", Frame(0, 6, {9}), LinkOutcome::StationError},
        {"another address", Frame(1, 6, {0}), LinkOutcome::WrongReply},
        {"another command", Frame(0, 7, {0}), LinkOutcome::WrongReply},
        {"another address with an error code", Frame(1, 6, {2}), LinkOutcome::WrongReply},
    };
    com->Open("/dev/fake");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        script->input.clear();
        const LinkCounts before = com->counts();
        Run(6, "SetT", c.reply);
        LinkCounts expected = before;
        ++expected.requests;
        expected.Count(c.outcome);
        EXPECT_EQ(com->counts(), expected);
    }
}

TEST_F(WakeComTest, aReplyTooShortForItsFieldsCountsAsAFrameErrorAndAClosedLinkCountsNothing) {
    com->Open("/dev/fake");
    Run(7, "GetHeat", Frame(0, 7, {0, 1, 2}));
    EXPECT_THROW(com->ExpectReplyFields(12), EInOutError);
    EXPECT_EQ(com->counts(), (LinkCounts{.requests = 1, .frameErrors = 1}));
    com->Close();
    Run(7, "GetHeat", {});
    EXPECT_EQ(com->counts(), (LinkCounts{.requests = 1, .frameErrors = 1}));
}

TEST_F(WakeComTest, putByteAndPutWordDropWhatPassesTheRequestBuffer) {
    com->Open("/dev/fake");
    com->BeginCommand(6, "SetT");
    for (int i = 0; i < 249; ++i) com->PutByte(1);
    com->PutWord(0x0202);  // 249 + 2 > 250: dropped whole
    com->PutByte(3);       // the 250th byte fits
    com->PutByte(4);       // dropped
    script->Feed(Frame(0, 6, {0}));
    com->Transact(0);
    // Count byte 250 (0xFA), then the data as sent.
    ASSERT_GE(script->written.size(), 3u);
    EXPECT_EQ(script->written[2], 250);
    EXPECT_EQ(std::count(script->written.begin(), script->written.end(), 2), 0);
    EXPECT_EQ(std::count(script->written.begin(), script->written.end(), 3), 1);
    EXPECT_EQ(std::count(script->written.begin(), script->written.end(), 4), 0);
}

TEST_F(WakeComTest, failedOrShortWriteIsAFramingError) {
    com->Open("/dev/fake");
    script->shortWriteBy = 1;
    EXPECT_EQ(Run(7, "GetHeat", Frame(0, 7, {0})), "WAKE framing error.");
}

TEST_F(WakeComTest, openFailureLeavesTheLinkClosed) {
    script->failNextOpen = true;
    EXPECT_THROW(com->Open("/dev/ttyUSB7"), EInOutError);
    EXPECT_FALSE(com->IsOpen());
}

TEST_F(WakeComTest, closeResetsTheNameAndOpenPurges) {
    com->Open("/dev/fake");
    EXPECT_EQ(com->PortName(), "/dev/fake");
    EXPECT_EQ(script->purges, 1);
    com->Close();
    EXPECT_EQ(com->PortName(), "COM0");
    EXPECT_EQ(com->PortNumber(), 0);
    com->Close();  // safe in every state
    EXPECT_FALSE(com->IsOpen());
}

TEST(WakeComPortNames, numbersAndNames) {
    struct Case {
        std::string name;
        int number;
    };
    const Case cases[] = {{"COM3", 3}, {"COM12", 12},       {"COM123", 12},    {"COM", 0},
                          {"COMx", 0}, {"/dev/ttyUSB0", 0}, {"/dev/ttyS3", 0}, {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(TWakeCom::PortNumberOf(c.name), c.number) << c.name;
    EXPECT_EQ(TWakeCom::PortNameOf(12), "COM12");
}

TEST(PosixSerialLine, refusesNamesThatAreNotDevicePathsAndMissingDevices) {
    TWakeCom com;
    for (const std::string name : {"COM3", "ttyUSB0", "", "/nonexistent/tty"}) {
        try {
            com.Open(name);
            FAIL() << name;
        } catch (const EInOutError& e) {
            EXPECT_EQ(std::string(e.what()), "Port " + name + " open error.");
        }
        EXPECT_FALSE(com.IsOpen());
    }
}

TEST(PosixSerialLine, aFileThatIsNotATerminalFailsReadingItsSettings) {
    TWakeCom com;
    const TempFolder folder;
    const std::string name = (folder / "not-a-tty").string();
    FILE* f = std::fopen(name.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    try {
        com.Open(name);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Port " + name + " DCB read error.");
    }
    EXPECT_FALSE(com.IsOpen());
}

}  // namespace

namespace {

/// A pseudo-terminal whose slave side stands in for a serial device.
struct PseudoTerminal {
    PseudoTerminal() : master(::posix_openpt(O_RDWR | O_NOCTTY)) {
        EXPECT_TRUE(master);
        EXPECT_EQ(::grantpt(master.get()), 0);
        EXPECT_EQ(::unlockpt(master.get()), 0);
        slave = ::ptsname(master.get());
    }
    UniqueFd master;
    std::string slave;
};

TEST(PosixSerialLine, portIsExclusiveAndASilentStationTimesOut) {
    PseudoTerminal pty;
    TWakePort first;
    first.Open(pty.slave);
    ASSERT_TRUE(first.IsOpen());

    TWakePort second;
    try {
        second.Open(pty.slave);
        FAIL() << "a port in use must not open twice";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Port " + pty.slave + " open error.");
    }

    try {
        first.GetHeat();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "No data to receive.");
    }
    // The request went out whole: C0 07 00 D0.
    std::uint8_t request[8] = {};
    EXPECT_EQ(::read(pty.master.get(), request, sizeof request), 4);
    EXPECT_EQ(request[3], 0xD0);

    first.Close();
    second.Open(pty.slave);
    EXPECT_TRUE(second.IsOpen()) << "closing releases the port";
}

}  // namespace
