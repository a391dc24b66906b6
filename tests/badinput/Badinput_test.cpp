// Malformed input of every kind the program reads: each ends with its documented message or
// its defaults, and nothing that was there before is lost or overwritten.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "files/Config.h"
#include "files/Inifile.h"
#include "files/Paramfile.h"
#include "link/Wakeframe.h"
#include "support/Fakeserialline.h"
#include "support/Tempfolder.h"
#include "files/Datafile.h"

namespace fs = std::filesystem;

namespace {

std::string Garbage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string Rows(int count) {
    std::string text = "Time\tTset\r\n";
    for (int i = 0; i < count; ++i)
        text += std::to_string(i * 100) + "\t" + std::to_string(i) + "\r\n";
    return text;
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(BadDataFiles, failWithBadFileFormatAndKeepWhatTheyMust) {
    struct Case {
        const char* what;
        std::string text;
        bool ok;
        int count;  // samples in the store afterwards; -1: the earlier log untouched
    };
    const Case cases[] = {
        {"empty file", "", false, -1},
        {"binary garbage", Garbage(4096, 1), false, -1},
        {"a huge line without a header", std::string(8 << 20, 'x'), false, -1},
        {"a huge header line", "Time\tTset" + std::string(1 << 20, ' ') + "\r\n0\t5\r\n", true, 1},
        {"a number beyond 32 bits", "Time\tTset\r\n0\t1\r\n100\t99999999999\r\n", false, 1},
        {"a number that is text", "Time\tTset\r\n0\t1\r\n100\tabc\r\n", false, 1},
        {"a row cut short", "Time\tTset\tTget\r\n0\t1\t2\r\n100\t3\r\n", false, 1},
        {"garbage after a good row", "Time\tTset\r\n0\t1\r\n" + Garbage(512, 2), false, 1},
        {"more rows than the log holds", Rows(TraceCapacity + 50), true, TraceCapacity},
    };
    for (const Case& c : cases) {
        const TempFolder folder;
        const fs::path path = folder / "bad.dat";
        std::ofstream(path, std::ios::binary) << c.text;
        TraceStore store;
        store.Append(TraceSample{7, 7, 7});
        store.setModified(true);

        const datafile::DataFileText file = datafile::ReadDataFile(path);
        datafile::LoadResult loaded;
        if (file.ok) {
            loaded = datafile::LoadRows(file, store);
        } else {
            loaded.message = file.message;
        }
        EXPECT_EQ(loaded.ok, c.ok) << c.what;
        if (!c.ok) {
            EXPECT_EQ(loaded.message, "Bad file format.") << c.what;
        }
        if (c.count < 0) {
            EXPECT_EQ(store.count(), 1) << c.what;
            EXPECT_EQ(store.value(Tset, 0), 7) << c.what;
        } else {
            EXPECT_EQ(store.count(), c.count) << c.what;
        }
        if (c.count == TraceCapacity) {
            EXPECT_EQ(store.value(Tset, TraceCapacity - 1), TraceCapacity - 1)
                << "the last row kept";
            EXPECT_EQ(loaded.droppedRows, 50);
        }
        EXPECT_TRUE(store.modified()) << "loading never changes modified: " << c.what;
        EXPECT_EQ(Contents(path), c.text) << "reading never writes: " << c.what;
    }
}

TEST(BadParameterFiles, fallBackToTheDefaultsAndNeverChangeTheFile) {
    struct Case {
        const char* what;
        std::string text;
        std::int32_t gain;  // TC/Gain as read
    };
    const Case cases[] = {
        {"empty file", "", 1000},
        {"binary garbage", Garbage(4096, 3), 1000},
        {"a huge line", std::string(4 << 20, '['), 1000},
        {"a huge number", "[TC]\r\nGain=99999999999999\r\n", 1000},
        {"a fraction", "[TC]\r\nGain=12.5\r\n", 1000},
        {"hex", "[TC]\r\nGain=0x4E2\r\n", 1250},
        {"only the gain", "[TC]\r\nGain=1250\r\n", 1250},
    };
    for (const Case& c : cases) {
        const TempFolder folder;
        const fs::path path = folder / "bad.par";
        std::ofstream(path, std::ios::binary) << c.text;
        const ParamSet set = LoadParamFile(path, HeaterParams{});
        EXPECT_EQ(set.cached.Gain, c.gain) << c.what;
        EXPECT_EQ(set.cached.Kp, 130) << c.what;
        EXPECT_EQ(set.cached.Tcjn, 380) << c.what;
        EXPECT_EQ(set.panel, PanelParams{}) << c.what;
        EXPECT_EQ(Contents(path), c.text) << c.what;
    }
}

TEST(BadParameterFiles, anUnreadableFileIsReportedAndAFailedSaveKeepsTheOldOne) {
    const TempFolder folder;
    fs::create_directories(folder / "a-folder.par");
    EXPECT_THROW(LoadParamFile(folder / "a-folder.par", HeaterParams{}), IniError);
    const fs::path kept = folder / "kept.par";
    std::ofstream(kept, std::ios::binary) << "[Heater]\r\nKp=9\r\n";
    EXPECT_THROW(SaveParamFile(kept / "inside.par", PanelParams{}, HeaterParams{}), IniError);
    EXPECT_EQ(Contents(kept), "[Heater]\r\nKp=9\r\n");
}

TEST(BadConfigurationFiles, fallBackToTheDefaultsAndSurviveTheWriteBack) {
    const std::string cases[] = {
        "",
        Garbage(4096, 4),
        std::string(4 << 20, '='),
        "[General]\r\nLeft=99999999999\r\nSample=-\r\nShowTset=yes\r\n",
    };
    for (const std::string& text : cases) {
        const TempFolder folder;
        const fs::path path = folder / "tavolin.ini";
        std::ofstream(path, std::ios::binary) << text;
        const Config c = LoadConfig(path, "/data/");
        EXPECT_EQ(c.window, WindowPlacement{});
        EXPECT_EQ(c.samplePeriodMs, 100);
        EXPECT_TRUE(c.show[Tset]);
        EXPECT_EQ(Contents(path), text) << "reading never writes";
        EXPECT_NO_THROW(SaveConfig(path, c, false));
        EXPECT_EQ(LoadConfig(path, "/data/").samplePeriodMs, 100);
    }
}

TEST(BadFrames, endWithTheLinksMessages) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> line;
        const char* message;
    };
    std::vector<std::uint8_t> garbage;
    for (char c : Garbage(2048, 5)) {
        if (static_cast<std::uint8_t>(c) != wake::Fend)
            garbage.push_back(static_cast<std::uint8_t>(c));
    }
    const Case cases[] = {
        {"empty line", {}, "No data to receive."},
        {"garbage without a frame start", garbage, "WAKE frame marker not found."},
        {"stuffing cut after FESC", {0xC0, 0x07, 0x02, 0x00, 0xDB}, "No data to receive."},
        {"FESC before a plain byte", {0xC0, 0x07, 0xDB, 0x41}, "WAKE destuffing error."},
        {"count above 250", {0xC0, 0x07, 0xFF}, "WAKE frame too long."},
        {"a frame cut in its data", {0xC0, 0x07, 0x0D, 0x00, 0x01}, "No data to receive."},
    };
    for (const Case& c : cases) {
        FakeSerialLine line;
        line.script()->Feed(c.line);
        std::array<std::uint8_t, wake::MaxData> data{};
        try {
            wake::ReceiveFrame(line, data.data());
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.what;
        }
    }
}

}  // namespace
