// The real main window against the emulator: it connects by itself, shows the station, and
// writes its configuration file when it closes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "files/Inifile.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"
#include "ui/Main.h"

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

TEST_F(MainFormTest, theConnectionsToolTipSaysWhyItIsOffLine) {
    const std::string missing = (dir / "ttyUSB7").string();
    WriteIni("[General]\r\nPortName=" + missing + "\r\n[Settings]\r\nSample=20\r\n");
    TMainForm window(ini, dir.string() + "/");
    EXPECT_EQ(window.statusToolTip(0), QString::fromStdString(missing + ": not tried yet"));
    // The first tick tries the remembered port; no message box, only the tip.
    QTRY_COMPARE_WITH_TIMEOUT(window.statusToolTip(0),
                              QString::fromStdString(missing + ": the device is missing"), 5000);
    EXPECT_EQ(window.statusText(0), " OFF LINE ");
    window.action("acDisconnect")->trigger();
    EXPECT_EQ(window.statusToolTip(0), "no port chosen");
}

TEST(MainFormIcons, everyActionHasAnIconInTheMenusAndBesideItsCaptionOnTheToolBar) {
    TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    const auto actions = window.findChildren<QAction*>(QRegularExpression("^ac"));
    EXPECT_EQ(actions.size(), 25);
    for (const QAction* a : actions) {
        EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
        EXPECT_FALSE(a->icon().pixmap(16, 16).isNull()) << a->objectName().toStdString();
    }
    const auto* bar = window.findChild<QToolBar*>("ToolBar");
    ASSERT_NE(bar, nullptr);
    // Captions beside the icons where they all fit; at the minimum width only the icons, so
    // that no button hides behind the extension menu.
    window.show();
    struct Case {
        int width;
        Qt::ToolButtonStyle style;
    };
    for (const Case& c :
         {Case{1800, Qt::ToolButtonTextBesideIcon}, Case{886, Qt::ToolButtonIconOnly},
          Case{1800, Qt::ToolButtonTextBesideIcon}}) {
        window.resize(c.width, window.height());
        QTRY_COMPARE(bar->toolButtonStyle(), c.style);
        const auto buttons = bar->findChildren<QToolButton*>();
        for (const QToolButton* b : buttons) {
            // The bar lays its buttons out after the resize has been handled.
            if (b->defaultAction()) QTRY_VERIFY2(b->isVisible(), qPrintable(b->text()));
        }
    }
    EXPECT_FALSE(window.windowIcon().isNull());
}

}  // namespace

namespace {

class MainFormFiles : public ::testing::Test {
  protected:
    MainFormFiles() : window(folder / "tavolin.ini", folder.path().string() + "/") {}
    TempFolder folder;
    TMainForm window;
};

TEST_F(MainFormFiles, saveNewAndOpenRestoreSamplesVisibleTracesAndPeriod) {
    TraceStore& store = window.store();
    for (int i = 0; i < 300; ++i) {
        TraceSample s{};
        for (int t = 0; t < TraceCount; ++t) s[t] = 1000 * t + i;
        store.Append(s);
    }
    store.setModified(true);
    // Hide PLL Error and Vget; keep a period of 60 ms from an earlier file.
    const QString earlier = QString::fromStdString((folder / "earlier.dat").string());
    std::ofstream(earlier.toStdString(), std::ios::binary)
        << "Time\tTset\tTget\tTcj\tPower\tVset\tPwm\tPllPer\r\n0\t1\t1\t1\t1\t1\t1\t1\r\n"
           "60\t1\t1\t1\t1\t1\t1\t1\r\n";
    window.OpenDataFile(earlier);
    EXPECT_EQ(window.config().samplePeriodMs, 60);
    for (int i = 0; i < 300; ++i) {
        TraceSample s{};
        for (int t = 0; t < TraceCount; ++t) s[t] = 1000 * t + i;
        store.Append(s);
    }
    store.setModified(true);

    const QString path = QString::fromStdString((folder / "log.dat").string());
    ASSERT_TRUE(window.SaveDataFile(path));
    EXPECT_FALSE(store.modified());
    EXPECT_EQ(window.windowTitle(), "Tavolin - log.dat");

    window.action("acNew")->trigger();
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(window.windowTitle(), "Tavolin");

    window.OpenDataFile(path);
    EXPECT_EQ(window.windowTitle(), "Tavolin - log.dat");
    ASSERT_EQ(store.count(), 302);
    EXPECT_EQ(store.value(Tset, 2), 0 * 1000 + 0);
    EXPECT_EQ(store.value(PllPer, 301), 8000 + 299);
    EXPECT_EQ(store.value(Vget, 100), 0) << "a hidden trace is not saved";
    EXPECT_EQ(store.value(PllErr, 100), 0);
    EXPECT_EQ(window.config().samplePeriodMs, 60);
    EXPECT_EQ(window.config().dataDir, folder.path().string() + "/");
}

TEST_F(MainFormFiles, aFailedSaveLeavesTheOldFileAndModifiedAsTheyWere) {
    TraceStore& store = window.store();
    store.Append(TraceSample{1, 2, 3});
    store.setModified(true);
    const fs::path blocked = folder / "dir.dat";
    fs::create_directories(blocked);  // a folder where the file should go
    std::ofstream(folder / "dir.dat" / "inside", std::ios::binary) << "keep";

    // The error box is modal: answer it as soon as it shows.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                EXPECT_EQ(box->text(), "Unable to save file.");
                box->accept();
            }
        }
    });
    EXPECT_FALSE(window.SaveDataFile(QString::fromStdString(blocked.string())));
    EXPECT_TRUE(store.modified());
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_TRUE(fs::exists(blocked / "inside"));
}

}  // namespace

namespace {

TEST(MainFormKeys, altFAndAltDRunFreezeAndDisconnectDespiteTheMenuAccessKeys) {
    const TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(window.action("acFreeze")->isChecked());
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    EXPECT_FALSE(window.action("acFreeze")->isChecked());

    window.connection().SetSelectedPort("/dev/remembered");
    QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(window.connection().selectedPort(), "") << "Disconnect forgets the port";
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(window.action("acStart")->isChecked());
}

}  // namespace
