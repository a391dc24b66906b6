#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/soak/Soakcheck.h"
#include "link/Wakeframe.h"

namespace {

using soak::RecordedSample;

constexpr int GetHeat = 0x07;
constexpr int GetFan = 0x0D;

std::string HexBytes(const std::uint8_t* bytes, std::size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

struct Heat {
    int Tset = 2500, Tget = 2487, Tcj = 251, Power = 153, PllErr = -3, PllPer = 10003;
};
struct Fan {
    int Vset = 1500, Vget = 1480, Pwm = 120;
};

std::vector<std::uint8_t> HeatData(const Heat& h) {
    std::vector<std::uint8_t> d{0};
    for (int v : {h.Tset, h.Tget, h.Tcj, h.Power, h.PllErr, h.PllPer}) {
        d.push_back(static_cast<std::uint8_t>(v));
        d.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return d;
}

std::vector<std::uint8_t> FanData(const Fan& f) {
    return {0,
            static_cast<std::uint8_t>(f.Vset),
            static_cast<std::uint8_t>(f.Vset >> 8),
            static_cast<std::uint8_t>(f.Vget),
            static_cast<std::uint8_t>(f.Vget >> 8),
            static_cast<std::uint8_t>(f.Pwm)};
}

TraceSample SampleOf(const Heat& h, const Fan& f) {
    TraceSample s{};
    s[Tset] = h.Tset;
    s[Tget] = h.Tget;
    s[Tcj] = h.Tcj;
    s[Power] = h.Power;
    s[PllErr] = h.PllErr;
    s[PllPer] = h.PllPer;
    s[Vset] = f.Vset;
    s[Vget] = f.Vget;
    s[Pwm] = f.Pwm;
    return s;
}

/// A station log written line by line as the emulator writes it.
class StationLog {
  public:
    void Request(int command) {
        ++request_;
        text_ += "RX " + Hex2(command) + " N=" + std::to_string(request_) + " |" +
                 Frame(0, command, {}) + "\n";
    }
    /// A reply: `tags` as the station writes them; no frame for silent, dropped and long
    /// noise replies.
    void Reply(int command, const std::vector<std::uint8_t>& data,
               const std::vector<std::string>& tags = {}, std::uint8_t address = 0,
               int replyCommand = -1) {
        std::string line = "TX " + Hex2(command) + " N=" + std::to_string(request_);
        bool frame = true;
        for (const std::string& tag : tags) {
            line += " " + tag;
            if (tag == "SILENT" || tag == "DROPPED" || tag == "NOFRAME") frame = false;
        }
        line += " |";
        if (frame) line += Frame(address, replyCommand < 0 ? command : replyCommand, data);
        text_ += line + "\n";
    }
    std::size_t Mark() const { return text_.size(); }
    const std::string& text() const { return text_; }

  private:
    static std::string Hex2(int value) {
        return HexBytes(std::vector<std::uint8_t>{static_cast<std::uint8_t>(value)}.data(), 1)
            .substr(1);
    }
    static std::string Frame(std::uint8_t address, int command,
                             const std::vector<std::uint8_t>& data) {
        std::uint8_t buffer[wake::FrameBufferSize];
        const std::size_t size =
            wake::EncodeFrame(address, static_cast<std::uint8_t>(command), data.data(),
                              static_cast<std::uint8_t>(data.size()), buffer);
        return HexBytes(buffer, size);
    }

    std::string text_;
    int request_ = 0;
};

std::vector<soak::Mismatch> Check(const StationLog& log,
                                  const std::vector<RecordedSample>& samples) {
    return soak::CheckSamples(soak::ParseLog(log.text()), samples);
}

TEST(SoakCheck, aSampleHoldsTheLastUndamagedRepliesOrIsReportedWithTheReason) {
    struct Case {
        const char* name;
        std::vector<std::string> heatTags;
        std::uint8_t address = 0;
        int replyCommand = -1;
        std::uint8_t errorCode = 0;
        Heat recordedHeat;     // what the sample holds; the station sent Heat{}
        Fan recordedFan;       // the station sent Fan{}
        std::string expected;  // a part of the reason, empty for a match
    };
    Heat otherTget;
    otherTget.Tget = 2491;
    Heat otherPllErr;
    otherPllErr.PllErr = 65533;  // the same 16 bits read unsigned
    Fan otherPwm;
    otherPwm.Pwm = 121;
    const Case cases[] = {
        {"clean", {}, 0, -1, 0, {}, {}, ""},
        {"noise before a good frame", {"NOISE=12"}, 0, -1, 0, {}, {}, ""},
        {"another Tget", {}, 0, -1, 0, otherTget, {}, "Tget 2491 recorded, 2487 sent"},
        {"PllErr read unsigned", {}, 0, -1, 0, otherPllErr, {}, "PllErr"},
        {"another Pwm", {}, 0, -1, 0, {}, otherPwm, "Pwm 121 recorded, 120 sent"},
        {"bad CRC", {"BADCRC"}, 0, -1, 0, {}, {}, "bad CRC"},
        {"busy", {"ERROR=02"}, 0, -1, 2, {}, {}, "error code"},
        {"wrong address", {"ADDRESS=01"}, 1, -1, 0, {}, {}, "wrong address"},
        {"wrong command", {"COMMAND=08"}, 0, 0x08, 0, {}, {}, "wrong command"},
        {"dropped", {"DROPPED"}, 0, -1, 0, {}, {}, "dropped"},
        {"long noise", {"NOISE=600", "NOFRAME"}, 0, -1, 0, {}, {}, "long noise"},
        {"a frame start in the noise", {"FENDNOISE=9"}, 0, -1, 0, {}, {}, ""},
        {"late", {"LATE=150"}, 0, -1, 0, {}, {}, "late"},
    };
    for (const Case& c : cases) {
        StationLog log;
        log.Request(GetHeat);
        std::vector<std::uint8_t> heat = HeatData(Heat{});
        if (c.errorCode != 0) heat = {c.errorCode};
        log.Reply(GetHeat, heat, c.heatTags, c.address, c.replyCommand);
        log.Request(GetFan);
        log.Reply(GetFan, FanData(Fan{}));
        const auto found =
            Check(log, {{SampleOf(c.recordedHeat, c.recordedFan), log.Mark(), true}});
        if (c.expected.empty()) {
            EXPECT_TRUE(found.empty()) << c.name << ": " << found.front().why;
        } else {
            ASSERT_EQ(found.size(), 1u) << c.name;
            EXPECT_NE(found.front().why.find(c.expected), std::string::npos)
                << c.name << ": " << found.front().why;
        }
    }
}

TEST(SoakCheck, everySampleNeedsFreshRepliesInTheirOrder) {
    const TraceSample sent = SampleOf({}, {});
    StationLog log;
    log.Request(GetHeat);
    log.Reply(GetHeat, HeatData({}));
    log.Request(GetFan);
    log.Reply(GetFan, FanData({}));
    const std::size_t first = log.Mark();
    // The next tick's GetFan reply comes before its GetHeat reply.
    log.Request(GetFan);
    log.Reply(GetFan, FanData({}));
    log.Request(GetHeat);
    log.Reply(GetHeat, HeatData({}));
    const std::size_t swapped = log.Mark();
    // A heater-only sample needs no GetFan reply.
    log.Request(GetHeat);
    log.Reply(GetHeat, HeatData({}));
    const std::size_t heaterOnly = log.Mark();

    const auto found = Check(log, {{sent, first, true},
                                   {sent, first, true},  // drawn again without a poll
                                   {sent, swapped, true},
                                   {sent, heaterOnly, false},
                                   {sent, 0, true}});  // before any reply went out
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].sample, 1);
    EXPECT_EQ(found[0].why, "no GetHeat reply since the previous sample");
    EXPECT_EQ(found[1].sample, 2);
    EXPECT_EQ(found[1].why, "no GetFan reply after its GetHeat");
    EXPECT_EQ(found[2].sample, 4);
    EXPECT_EQ(found[2].why, "no GetHeat reply since the previous sample");
}

TEST(SoakCheck, faultsAreCountedByKindFromTheReplyTagsAndRequestsByNumber) {
    StationLog log;
    const std::vector<std::vector<std::string>> replies = {
        {"NOISE=5"},
        {"NOISE=600", "NOFRAME"},
        {"BADCRC", "NOISE=3"},
        {"DROPPED"},
        {"ERROR=02"},
        {"ADDRESS=01"},
        {"COMMAND=08"},
        {"SILENT"},
        {"SILENT"},
        {},
        {"FENDNOISE=7", "NOISE=2"},
        {"LATE=150"},
    };
    for (const auto& tags : replies) {
        log.Request(GetHeat);
        log.Reply(GetHeat, HeatData({}), tags);
    }
    const auto parsed = soak::ParseLog(log.text());
    const std::map<std::string, int> expected = {
        {"noise", 3},           {"long noise", 1},    {"bad CRC", 1},       {"dropped", 1},
        {"error code", 1},      {"wrong address", 1}, {"wrong command", 1}, {"silent", 2},
        {"noise with FEND", 1}, {"late", 1},
    };
    EXPECT_EQ(soak::CountFaults(parsed), expected);
    EXPECT_EQ(soak::CountRequests(parsed), 12);
}

TEST(SoakCheck, eachTripOffLineIsPutDownToTheLastReplyBeforeIt) {
    StationLog log;
    std::vector<std::size_t> offLine;
    const std::vector<std::vector<std::string>> replies = {
        {}, {"LATE=150"}, {}, {"BADCRC"}, {"NOISE=4"}, {"FENDNOISE=3"}, {"ADDRESS=01"},
    };
    for (const auto& tags : replies) {
        log.Request(GetHeat);
        log.Reply(GetHeat, HeatData({}), tags);
        // The client goes off line after every reply, also after the clean ones.
        offLine.push_back(log.Mark());
    }
    log.Request(GetHeat);
    offLine.push_back(log.Mark());  // a request not yet answered: still the last reply's
    const auto parsed = soak::ParseLog(log.text());
    const std::map<std::string, int> expected = {
        {"none", 4}, {"late", 1}, {"bad CRC", 1}, {"wrong address", 2}};
    EXPECT_EQ(soak::AttributeOffLine(parsed, offLine), expected);
    EXPECT_EQ(soak::AttributeOffLine(parsed, {0}), (std::map<std::string, int>{{"none", 1}}));
}

TEST(SoakCheck, logLinesEndWhereTheirNewlineEndsAndAnUnfinishedLineIsLeftOut) {
    StationLog log;
    log.Request(GetHeat);
    const std::size_t afterRequest = log.Mark();
    log.Reply(GetHeat, HeatData({}));
    const std::string text = log.text() + "TX 07 N=2 | C0";
    const auto lines = soak::ParseLog(text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].end, afterRequest);
    EXPECT_EQ(lines[1].end, log.Mark());
    EXPECT_EQ(lines[1].entry.data, HeatData({}));
}

}  // namespace
