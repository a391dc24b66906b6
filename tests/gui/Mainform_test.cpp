// The real main window against the emulator: it connects by itself, shows the station, and
// writes its configuration file when it closes.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/Main.h"
#include "dialogs/Inifile.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"

namespace fs = std::filesystem;

namespace {

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = folder.path();
        ini = dir / "tavolin.ini";
    }
    void WriteIni(const std::string& text) { std::ofstream(ini, std::ios::binary) << text; }

    TempFolder folder;
    fs::path dir;
    fs::path ini;
};

TEST_F(MainFormTest, connectsByItselfAndSavesEveryKeyOnExit) {
    StationProcess station({.model = "KRF-51"});
    WriteIni("[General]\r\nPortName=" + station.Link() + "\r\nWidth=300\r\nHeight=200\r\n" +
             "[Settings]\r\nSample=40\r\n[Mine]\r\nKeep=1\r\n");
    TMainForm window(ini, dir.string() + "/");
    window.show();
    EXPECT_GE(window.width(), 886);
    EXPECT_GE(window.height(), 679);
    EXPECT_EQ(window.statusText(0), " OFF LINE ") << "nothing happens before the first tick";

    const QString online =
        QString::fromStdString(" ON LINE: KRF-51 Emulator v1 (" + station.Link() + ") ");
    QTRY_COMPARE_WITH_TIMEOUT(window.statusText(0), online, 5000);
    // AutoRead: the panel was read right after identification.
    ASSERT_TRUE(station.WaitForEntry([](const StationLogEntry& e) { return e.command == 0x13; }));

    window.action("acExit")->trigger();
    const IniFile saved = IniFile::Load(ini);
    EXPECT_EQ(saved.ReadString("General", "PortName", ""), station.Link());
    EXPECT_EQ(saved.ReadInteger("Settings", "Sample", 0), 40);
    EXPECT_EQ(saved.ReadInteger("General", "Width", 0), window.width());
    EXPECT_EQ(saved.ReadInteger("Mine", "Keep", 0), 1) << "unknown sections survive";
    EXPECT_TRUE(saved.ReadValue("Colours", "Graph4").has_value());
    // Nothing is sent at close.
    const auto sent = station.Received();
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(sent.back().command == 0x07 || sent.back().command == 0x0D ||
                sent.back().command == 0x13);
}

TEST_F(MainFormTest, disconnectForgetsThePortSoItIsSavedAsNone) {
    StationProcess station({.model = "KRT-51"});
    WriteIni("[General]\r\nPortName=" + station.Link() + "\r\n[Settings]\r\nSample=20\r\n");
    TMainForm window(ini, dir.string() + "/");
    QTRY_VERIFY_WITH_TIMEOUT(window.connection().onLine(), 5000);
    window.action("acDisconnect")->trigger();
    EXPECT_EQ(window.statusText(0), " OFF LINE ");
    window.close();
    const IniFile saved = IniFile::Load(ini);
    EXPECT_EQ(saved.ReadString("General", "PortName", "?"), "");
    EXPECT_EQ(saved.ReadInteger("General", "Port", -1), 0);
}

}  // namespace
