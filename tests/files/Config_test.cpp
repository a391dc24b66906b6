#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/Config.h"
#include "files/Inifile.h"
#include "support/Tempfolder.h"

namespace fs = std::filesystem;

namespace {

class ConfigTest : public ::testing::Test {
  protected:
    void SetUp() override { path = folder / "tavolin.ini"; }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempFolder folder;
    fs::path path;
};

TEST_F(ConfigTest, firstRunGivesEveryDefaultAndClosingWritesEveryKey) {
    const Config c = LoadConfig(path, "/opt/tavolin/");
    EXPECT_EQ(c.window, (WindowPlacement{326, 184, 886, 679, 0}));
    EXPECT_EQ(c.dataDir, "/opt/tavolin/");
    EXPECT_EQ(c.SelectedPort(), "") << "no port: no automatic connection";
    EXPECT_FALSE(c.simulate);
    EXPECT_EQ(c.show, (std::array<bool, TraceCount>{true, true, true, true, true, true, true, false,
                                                    false}));
    EXPECT_TRUE(c.pidH && c.pidF && c.autoConnect && c.autoRead && c.autoScroll);
    EXPECT_EQ(c.samplePeriodMs, 100);
    EXPECT_EQ(c.zoom, 1);
    EXPECT_EQ(c.colours, colours::Defaults);

    SaveConfig(path, c, false);
    const IniFile ini = IniFile::Load(path);
    const std::pair<const char*, const char*> keys[] = {
        {"General", "Left"},         {"General", "Top"},           {"General", "Width"},
        {"General", "Height"},       {"General", "WindowState"},   {"General", "DataDir"},
        {"General", "Port"},         {"General", "Simulate"},      {"General", "ShowTset"},
        {"General", "ShowTget"},     {"General", "ShowTcj"},       {"General", "ShowPower"},
        {"General", "ShowVset"},     {"General", "ShowVget"},      {"General", "ShowPWM"},
        {"General", "ShowPllError"}, {"General", "ShowPllPeriod"}, {"General", "PidH"},
        {"General", "PidF"},         {"Settings", "AutoConnect"},  {"Settings", "AutoRead"},
        {"Settings", "Sample"},      {"Settings", "AutoScroll"},   {"Settings", "Zoom"},
        {"Colours", "Background"},   {"Colours", "Axis"},          {"Colours", "Text"},
        {"Colours", "Cursor"},       {"Colours", "Graph1"},        {"Colours", "Graph2"},
        {"Colours", "Graph3"},       {"Colours", "Graph4"}};
    for (const auto& [section, key] : keys)
        EXPECT_TRUE(ini.ReadValue(section, key).has_value()) << section << "/" << key;
    EXPECT_EQ(ini.ReadInteger("Colours", "Axis", 0), 13948116);
    EXPECT_EQ(ini.ReadInteger("General", "ShowPllError", 7), 0);
    EXPECT_EQ(LoadConfig(path, "/elsewhere/").dataDir, "/opt/tavolin/");
}

TEST_F(ConfigTest, badValuesFallBackAndUnknownKeysSurviveTheWriteBack) {
    Write(
        "; my station setup\r\n[general]\r\nleft=12\r\nWidth=wide\r\nShowTset=0\r\n"
        "Port=$0A\r\nMyKey=keep me\r\n[Extra]\r\nA=1\r\n[Settings]\r\nSample=40\r\n"
        "AutoRead=7\r\n");
    Config c = LoadConfig(path, "/d/");
    EXPECT_EQ(c.window.left, 12) << "section and key names ignore case";
    EXPECT_EQ(c.window.width, 886) << "not an integer: default";
    EXPECT_FALSE(c.show[Tset]);
    EXPECT_EQ(c.port, 10);
    EXPECT_EQ(c.samplePeriodMs, 40);
    EXPECT_TRUE(c.autoRead) << "any non-zero integer is true";

    c.samplePeriodMs = 200;
    SaveConfig(path, c, false);
    const std::string text = Read();
    EXPECT_NE(text.find("; my station setup"), std::string::npos);
    EXPECT_NE(text.find("MyKey=keep me"), std::string::npos);
    EXPECT_NE(text.find("[Extra]\r\nA=1"), std::string::npos);
    EXPECT_EQ(LoadConfig(path, "/d/").samplePeriodMs, 200);
}

TEST_F(ConfigTest, closingMaximizedKeepsTheNormalPlacement) {
    Write("[General]\r\nLeft=10\r\nTop=20\r\nWidth=1000\r\nHeight=800\r\nWindowState=0\r\n");
    Config c = LoadConfig(path, "/d/");
    c.window = {0, 0, 1920, 1080, 2};
    SaveConfig(path, c, true);
    const Config again = LoadConfig(path, "/d/");
    EXPECT_EQ(again.window, (WindowPlacement{10, 20, 1000, 800, 2}));
}

TEST_F(ConfigTest, portNameWinsOverThePortNumber) {
    Write("[General]\r\nPort=3\r\nPortName=/dev/ttyUSB1\r\n");
    EXPECT_EQ(LoadConfig(path, "/d/").SelectedPort(), "/dev/ttyUSB1");
    Write("[General]\r\nPort=3\r\n");
    EXPECT_EQ(LoadConfig(path, "/d/").SelectedPort(), "COM3");

    Config c;
    c.SetSelectedPort("/tmp/station");
    SaveConfig(path, c, false);
    const IniFile ini = IniFile::Load(path);
    EXPECT_EQ(ini.ReadString("General", "PortName", "?"), "/tmp/station");
    EXPECT_EQ(ini.ReadInteger("General", "Port", -1), 0);
    c.SetSelectedPort("");  // Disconnect
    SaveConfig(path, c, false);
    EXPECT_EQ(LoadConfig(path, "/d/").SelectedPort(), "");
}

TEST_F(ConfigTest, chartZoomIsKeptAndAnUnknownOneIsOneToOne) {
    struct Case {
        std::string text;
        int zoom;
    };
    const Case cases[] = {{"0", 0},   {"1", 1}, {"2", 2},  {"4", 4},  {"8", 8},
                          {"16", 16}, {"3", 1}, {"32", 1}, {"-1", 1}, {"whole", 1}};
    for (const Case& c : cases) {
        Write("[Settings]\r\nZoom=" + c.text + "\r\n");
        EXPECT_EQ(LoadConfig(path, "/d/").zoom, c.zoom) << c.text;
    }
    Config c;
    c.zoom = 0;  // the whole log
    SaveConfig(path, c, false);
    EXPECT_EQ(IniFile::Load(path).ReadInteger("Settings", "Zoom", -1), 0);
    EXPECT_EQ(LoadConfig(path, "/d/").zoom, 0);
}

TEST_F(ConfigTest, extraPortsAreReadFromTheSettings) {
    Write("[Settings]\r\nExtraPorts= /tmp/a ;/tmp/b;;\r\n");
    EXPECT_EQ(LoadConfig(path, "/d/").extraPorts, (std::vector<std::string>{"/tmp/a", "/tmp/b"}));
}

TEST_F(ConfigTest, aSamplePeriodTheWindowDoesNotOfferIsTheDefault) {
    struct Case {
        const char* value;
        int period;
    };
    const Case cases[] = {{"0", 100},   {"-40", 100}, {"19", 100},  {"20", 20},
                          {"260", 260}, {"500", 500}, {"501", 100}, {"100000", 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        Write(std::string("[Settings]\r\nSample=") + c.value + "\r\n");
        EXPECT_EQ(LoadConfig(path, "/d/").samplePeriodMs, c.period);
    }
}

TEST_F(ConfigTest, aByteOrderMarkKeepsTheFirstSection) {
    const std::string bom = "\xEF\xBB\xBF";
    Write(bom + "[General]\r\nLeft=12\r\nPortName=/dev/ttyUSB3\r\n[Settings]\r\nSample=40\r\n");
    Config c = LoadConfig(path, "/d/");
    EXPECT_EQ(c.window.left, 12);
    EXPECT_EQ(c.portName, "/dev/ttyUSB3");

    SaveConfig(path, c, false);
    const std::string text = Read();
    EXPECT_EQ(text.rfind(bom + "[General]\r\n", 0), 0u) << "the mark stays where it was";
    EXPECT_EQ(text.find("[General]"), text.rfind("[General]")) << "no second section";
    EXPECT_EQ(LoadConfig(path, "/d/").window.left, 12);
}

TEST_F(ConfigTest, aFailedWriteLeavesTheOldFileAndSaysWhy) {
    Write("[General]\r\nLeft=5\r\n");
    const fs::path blocked = path / "inside-a-file.ini";  // a file cannot hold a folder
    EXPECT_THROW(SaveConfig(blocked, Config{}, false), IniError);
    EXPECT_EQ(Read(), "[General]\r\nLeft=5\r\n");
}

TEST(ConfigPathTest, environmentWinsThenBesideTheExecutable) {
    ::setenv("TAVOLIN_CONFIG", "/tmp/demo.ini", 1);
    EXPECT_EQ(ConfigPath("/opt/tavolin/tavolin"), fs::path("/tmp/demo.ini"));
    ::unsetenv("TAVOLIN_CONFIG");
    const TempFolder folder;
    EXPECT_EQ(ConfigPath(folder / "tavolin"), folder / "tavolin.ini");
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(ConfigPath("/nonexistent-folder/tavolin"), fs::path("/tmp/xdg/tavolin/tavolin.ini"))
        << "a folder that cannot be written to";
    EXPECT_EQ(ConfigPath("/usr/bin/tavolin"), fs::path("/tmp/xdg/tavolin/tavolin.ini"))
        << "an installed program, even for root, who may write to /usr/bin";
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(ConfigPathTest, dataDirIsBesideTheExecutableElseTheHomeFolder) {
    const TempFolder folder;
    EXPECT_EQ(DefaultDataDir(folder / "tavolin"), (folder / "").string());
    const char* home = std::getenv("HOME");
    const std::string saved = home ? home : "";
    struct Case {
        const char* home;
        std::string dir;
    };
    const Case cases[] = {{"/home/ada", "/home/ada/"}, {"/home/ada/", "/home/ada/"}, {"", "/"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.home);
        ::setenv("HOME", c.home, 1);
        EXPECT_EQ(DefaultDataDir("/nonexistent-folder/tavolin"), c.dir)
            << "an installed program's folder cannot be written to";
    }
    ::setenv("HOME", saved.c_str(), 1);
}

}  // namespace
