// The real main window against the emulator: it connects by itself, shows the station, and
// writes its configuration file when it closes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <optional>

#include "files/Inifile.h"
#include "support/Filesizelimit.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"
#include "tests/ui/Eventually.h"
#include "tests/ui/Onmodal.h"
#include "tests/ui/Statusrows.h"
#include "traces/Graphgeometry.h"
#include "ui/Connect.h"
#include "ui/Floatedit.h"
#include "ui/Graphview.h"
#include "ui/Main.h"
#include "ui/Statuspanels.h"

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
    ASSERT_TRUE(Eventually([&] { return window.statusText(0) == online; }))
        << window.statusText(0).toStdString();
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
    ASSERT_TRUE(Eventually([&] { return window.connection().onLine(); }));
    const auto rate = [&] { return window.pollRate().text(); };
    ASSERT_TRUE(Eventually([&] { return rate().endsWith(" Hz ") && rate() != " - Hz "; }))
        << rate().toStdString();
    window.action("acDisconnect")->trigger();
    EXPECT_EQ(window.statusText(0), " OFF LINE ");
    EXPECT_TRUE(Eventually([&] { return rate() == " - Hz "; })) << "no reconnect tick counts";
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
    const QString tip = QString::fromStdString(missing + ": the device is missing");
    ASSERT_TRUE(Eventually([&] { return window.statusToolTip(0) == tip; }))
        << window.statusToolTip(0).toStdString();
    EXPECT_EQ(window.statusText(0), " OFF LINE ");
    window.action("acDisconnect")->trigger();
    EXPECT_EQ(window.statusToolTip(0), "no port chosen");
}

TEST(MainFormIcons, everyActionHasAnIconInTheMenusAndBesideItsCaptionOnTheToolBar) {
    TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    const auto actions = window.findChildren<QAction*>(QRegularExpression("^ac"));
    EXPECT_EQ(actions.size(), 29);
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
        ASSERT_TRUE(Eventually([&] { return bar->toolButtonStyle() == c.style; })) << c.width;
        const auto buttons = bar->findChildren<QToolButton*>();
        for (const QToolButton* b : buttons) {
            // The bar lays its buttons out after the resize has been handled.
            if (b->defaultAction()) {
                EXPECT_TRUE(Eventually([&] { return b->isVisible(); })) << b->text().toStdString();
            }
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
    {
        OnModal<QMessageBox> no([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
        window.OpenDataFile(earlier);
    }
    EXPECT_EQ(window.acquisition().recordPeriodMs(), 60);
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
    EXPECT_EQ(window.acquisition().recordPeriodMs(), 60) << "saved with the log's own period";
    EXPECT_EQ(window.pollPeriod(), std::chrono::milliseconds(100)) << "the poll keeps its own";
    EXPECT_EQ(window.config().samplePeriodMs, 100);
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
                EXPECT_TRUE(box->text().startsWith("Unable to save file.\n"))
                    << box->text().toStdString();
                box->accept();
            }
        }
    });
    EXPECT_FALSE(window.SaveDataFile(QString::fromStdString(blocked.string())));
    EXPECT_TRUE(store.modified());
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_TRUE(fs::exists(blocked / "inside"));
}

TEST_F(MainFormFiles, aFailedSaveSaysWhyAndKeepsTheCaptionOfTheLastSave) {
    TraceStore& store = window.store();
    for (int i = 0; i < 2000; ++i) store.Append(TraceSample{i, 2, 3});
    store.setModified(true);
    ASSERT_TRUE(window.SaveDataFile(QString::fromStdString((folder / "log.dat").string())));
    fs::create_directories(folder / "dir.dat");

    struct Case {
        const char* what;
        const char* name;
        bool diskFull;
        const char* reason;
    };
    const Case cases[] = {
        {"the disk is full", "full.dat", true, ": cannot write (File too large)"},
        {"a folder holds the name", "dir.dat", false, ": cannot replace (Is a directory)"},
        {"the folder is missing", "missing/log.dat", false,
         ": cannot create a file in the folder (No such file or directory)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.Append(TraceSample{1, 2, 3});
        store.setModified(true);
        const fs::path target = folder / c.name;
        QString said;
        OnModal<QMessageBox> box([&](QMessageBox& b) {
            said = b.text();
            b.accept();
        });
        {
            std::optional<FileSizeLimit> full;
            if (c.diskFull) full.emplace(4096);
            EXPECT_FALSE(window.SaveDataFile(QString::fromStdString(target.string())));
        }
        EXPECT_EQ(said.toStdString(), "Unable to save file.\n" + target.string() + c.reason);
        EXPECT_EQ(window.windowTitle(), "Tavolin - log.dat");
        EXPECT_TRUE(store.modified());
    }
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

namespace {

TEST(MainFormZoom, keysStepTheZoomTheWholeLogIsCheckedAndTheZoomIsSaved) {
    const TempFolder folder;
    const fs::path ini = folder / "tavolin.ini";
    std::ofstream(ini, std::ios::binary) << "[Settings]\r\nZoom=4\r\n";
    {
        TMainForm window(ini, folder.path().string() + "/");
        auto* graph = window.findChild<TGraphView*>(QStringLiteral("LogPaintBox"));
        ASSERT_NE(graph, nullptr);
        EXPECT_EQ(graph->zoom(), 4) << "read from the configuration file";
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        struct Step {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int zoom;
            bool wholeLogChecked;
        };
        const Step steps[] = {
            {Qt::Key_Minus, Qt::ControlModifier, 8, false},
            {Qt::Key_Plus, Qt::ControlModifier, 4, false},
            {Qt::Key_Equal, Qt::ControlModifier, 2, false},  // "+" without Shift
            {Qt::Key_0, Qt::ControlModifier, graph::WholeLog, true},
            {Qt::Key_0, Qt::ControlModifier, 1, false},
            {Qt::Key_Plus, Qt::ControlModifier, 1, false},  // nothing finer than 1:1
            {Qt::Key_0, Qt::ControlModifier, graph::WholeLog, true},
        };
        for (const Step& s : steps) {
            QTest::keyClick(&window, s.key, s.modifiers);
            EXPECT_EQ(graph->zoom(), s.zoom) << QKeySequence(s.key).toString().toStdString();
            EXPECT_EQ(window.action("acWholeLog")->isChecked(), s.wholeLogChecked);
        }
        window.close();
    }
    EXPECT_EQ(IniFile::Load(ini).ReadInteger("Settings", "Zoom", -1), graph::WholeLog);
}

TEST(MainFormZoom, cutsKeepTheSampleUnderTheCursorAtAnyZoom) {
    struct Case {
        bool left;
        int zoom, x, count;
    };
    // At 4 samples a column a press at x = 154 is column 100, sample 400.
    const Case cases[] = {
        {false, 4, 154, 401}, {true, 4, 154, 1600}, {false, 1, 154, 101}, {false, 16, 56, 33}};
    for (const Case& c : cases) {
        const TempFolder folder;
        TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto* graph = window.findChild<TGraphView*>(QStringLiteral("LogPaintBox"));
        ASSERT_NE(graph, nullptr);
        for (int i = 0; i < 2000; ++i) window.store().Append({i, i, i});
        graph->SetZoom(c.zoom);
        QTest::mouseClick(graph, Qt::LeftButton, Qt::NoModifier, QPoint(c.x, 100));
        const int sample = graph->cursorSample();
        window.action(c.left ? "acCutL" : "acCutR")->trigger();
        EXPECT_EQ(window.store().count(), c.count) << c.zoom << " " << c.x;
        // Cut Left keeps the cursor's sample as sample 0, Cut Right as the last one.
        EXPECT_EQ(window.store().value(Tset, c.left ? 0 : c.count - 1), sample);
        window.store().setModified(false);
    }
}

TEST(MainFormClose, theUnsavedDataQuestionAndTheSaveDialogDecideWhetherTheWindowCloses) {
    struct Case {
        const char* what;
        QMessageBox::StandardButton answer;
        bool saveDialogAccepted;  // when Yes opens it
        bool closes;
        bool saved;
    };
    const Case cases[] = {
        {"Yes, then a file name", QMessageBox::Yes, true, true, true},
        {"Yes, then Cancel in the save dialog", QMessageBox::Yes, false, false, false},
        {"No", QMessageBox::No, false, true, false},
        {"Cancel", QMessageBox::Cancel, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder;
        const fs::path ini = folder / "tavolin.ini";
        const fs::path saved = folder / "recording.dat";
        TMainForm window(ini, folder.path().string() + "/");
        window.store().Append(TraceSample{2500, 2480, 250});
        window.store().setModified(true);

        QString question;
        OnModal<QMessageBox> box([&](QMessageBox& b) {
            question = b.text();
            b.button(c.answer)->click();
        });
        OnModal<QFileDialog> dialog([&](QFileDialog& d) {
            if (!c.saveDialogAccepted) return d.reject();
            d.selectFile(QString::fromStdString(saved.string()));
            static_cast<QDialog&>(d).accept();  // what the dialog's Save button runs
        });
        EXPECT_EQ(window.close(), c.closes);
        EXPECT_EQ(question, "Data modified. Save changes?");
        EXPECT_EQ(dialog.seen(), c.answer == QMessageBox::Yes ? 1 : 0);
        EXPECT_EQ(fs::exists(saved), c.saved);
        EXPECT_EQ(window.store().modified(), !c.saved) << "unsaved data stays marked unsaved";
        EXPECT_EQ(window.store().count(), 1);
        EXPECT_EQ(fs::exists(ini), c.closes) << "settings are written only when it closes";
    }
}

TEST(MainFormKeys, stopShowsAltTAndAltPStillRunsIt) {
    const TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QAction* stop = window.action("acStop");
    EXPECT_EQ(stop->shortcut(), QKeySequence(QStringLiteral("Alt+T"))) << "what the menu shows";
    for (const Qt::Key key : {Qt::Key_T, Qt::Key_P}) {
        window.action("acStart")->trigger();
        ASSERT_EQ(window.acquisition().state(), AcqState::Running);
        QTest::keyClick(&window, key, Qt::AltModifier);
        EXPECT_EQ(window.acquisition().state(), AcqState::Stopped)
            << QKeySequence(key).toString().toStdString();
    }
}

TEST_F(MainFormTest, aSamplePeriodOutsideTheListPollsAtTheDefault) {
    struct Case {
        const char* sample;  // the configuration file's, then a data file's second time
        int polled;
        int logged;  // the loaded log's own time base: the file's step, when it has one
    };
    const Case cases[] = {
        {"0", 100, 100}, {"5", 100, 5}, {"20", 20, 20}, {"500", 500, 500}, {"100000", 100, 100000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        WriteIni(std::string("[Settings]\r\nSample=") + c.sample + "\r\n");
        {
            TMainForm window(ini, dir.string() + "/");
            EXPECT_EQ(window.pollPeriod(), std::chrono::milliseconds(c.polled));
        }
        WriteIni("[Settings]\r\nSample=260\r\n");
        TMainForm window(ini, dir.string() + "/");
        ASSERT_EQ(window.pollPeriod(), std::chrono::milliseconds(260));
        const fs::path data = dir / "period.dat";
        std::ofstream(data, std::ios::binary) << "Time\tTset\r\n0\t1\r\n" << c.sample << "\t1\r\n";
        window.OpenDataFile(QString::fromStdString(data.string()));
        EXPECT_EQ(window.pollPeriod(), std::chrono::milliseconds(260))
            << "a file's period is no reason to poll faster or slower";
        EXPECT_EQ(window.config().samplePeriodMs, 260);
        EXPECT_EQ(window.acquisition().recordPeriodMs(), c.logged);
    }
}

TEST_F(MainFormTest, newWhileRecordingStillAsksBeforeClosing) {
    TMainForm window(ini, dir.string() + "/");
    window.action("acSimulate")->trigger();
    window.action("acStart")->trigger();
    window.acquisition().Tick();
    {
        OnModal<QMessageBox> no([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
        window.action("acNew")->trigger();
        EXPECT_EQ(no.seen(), 1) << "New asks too";
    }
    EXPECT_FALSE(window.store().modified());
    window.acquisition().Tick();
    ASSERT_EQ(window.store().count(), 1);

    QString question;
    OnModal<QMessageBox> ask([&](QMessageBox& box) {
        question = box.text();
        box.button(QMessageBox::Cancel)->click();
    });
    EXPECT_FALSE(window.close());
    EXPECT_EQ(question, "Data modified. Save changes?");
}

TEST_F(MainFormTest, connectForgetsThePortBeforeTheDialogSoNoTickReconnects) {
    StationProcess station({.model = "KRF-51"});
    WriteIni("[General]\r\nPortName=" + station.Link() + "\r\n[Settings]\r\nSample=20\r\n");
    TMainForm window(ini, dir.string() + "/");
    ASSERT_TRUE(Eventually([&] { return window.connection().onLine(); }));

    bool seen = false;
    OnModal<TConnectForm> dialog([&](TConnectForm& form) {
        seen = true;
        EXPECT_EQ(window.connection().selectedPort(), "");
        window.acquisition().Tick();  // what the poll timer does while the dialog is open
        EXPECT_FALSE(window.connection().onLine());
        EXPECT_EQ(window.statusText(0), " OFF LINE ");
        form.reject();
    });
    window.action("acConnect")->trigger();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(window.connection().onLine()) << "Cancel leaves no port";
    EXPECT_EQ(window.connection().selectedPort(), "");
}

}  // namespace

namespace {

TEST(MainFormStatusBar, atTheSmallestWindowEveryReadoutShowsWholeAndHintsLeaveThemAlone) {
    const TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.size(), QSize(886, 679)) << "a first run";
    TStatusPanels& panels = window.statusPanels();
    EXPECT_EQ(panels.font().pointSize(), 8);

    const graph::Readout widest = graph::WidestReadout();
    const graph::Visibility shown = graph::DefaultVisibility;
    int visible = 0;
    for (int i = 1; i <= graph::ReadoutPanels; ++i) {
        QLabel& panel = panels.panel(i);
        const bool traceShown = i == 1 || shown[i - 2];
        EXPECT_EQ(panel.isVisible(), traceShown) << i << ": a hidden trace's panel gives way";
        if (!traceShown) continue;
        ++visible;
        const QString text = QString::fromStdString(widest[i - 1]);
        SCOPED_TRACE(text.toStdString());
        EXPECT_GE(panel.contentsRect().width(), panel.fontMetrics().horizontalAdvance(text));
        EXPECT_LE(panel.mapTo(&window, QPoint(panel.width(), 0)).x(), window.width());
    }
    EXPECT_EQ(visible, 8);
    QLabel& connection = panels.connection();
    EXPECT_GE(connection.width(), TConnectionPanel::MinimumWidth(connection.fontMetrics()));

    // Tool-bar and menu hints are tool tips only.
    for (QAction* action : window.findChildren<QAction*>()) {
        EXPECT_TRUE(action->statusTip().isEmpty()) << action->objectName().toStdString();
    }
    // A message of the program's shows in the connection panel for its time; the readouts
    // stay, and the connection state comes back.
    window.statusBar()->showMessage(QStringLiteral("Recording journal: disk full"));
    EXPECT_TRUE(panels.panel(1).isVisible());
    EXPECT_TRUE(connection.text().startsWith("Recording journal"))
        << connection.text().toStdString() << ": elided to the panel's width";
    EXPECT_TRUE(connection.toolTip().startsWith("Recording journal: disk full"));
    window.statusBar()->clearMessage();
    EXPECT_EQ(connection.text(), " OFF LINE ");
}

TEST(MainFormStatusBar, atTheSmallestWindowANoticeAndTheReadoutsShareTheRowWithoutOverlap) {
    // A KRF-51 at 20 ms on a real line's timing cannot keep the period: the notice shows.
    StationProcess station(
        {.model = "KRF-51", .extra = {"--wire-baud", "19200", "--turnaround", "1000"}});
    const TempFolder folder;
    std::ofstream(folder / "tavolin.ini", std::ios::binary)
        << "[General]\r\nPortName=" << station.Link() << "\r\n[Settings]\r\nSample=20\r\n";
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.size(), QSize(886, 679));
    ASSERT_TRUE(Eventually([&] { return window.connection().onLine(); }));
    EXPECT_EQ(ExpectPanelsInRows(window.statusPanels(), window), 1);
    // The empty readouts leave room for the model and the end of the port.
    const QString port = QString::fromStdString(station.Link());
    const QString shown = window.statusPanels().connection().text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral(" ON LINE: KRF-51"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(port.right(4) + QStringLiteral(") "))) << shown.toStdString();

    const auto* notice = window.findChild<QLabel*>(QStringLiteral("lbPeriod"));
    ASSERT_NE(notice, nullptr);
    window.action("acStart")->trigger();
    ASSERT_TRUE(
        Eventually([&] { return notice->text().contains(QStringLiteral("20 ms not kept")); },
                   std::chrono::seconds(10)))
        << notice->text().toStdString();
    EXPECT_TRUE(notice->isVisible()) << "the empty readouts make room for it";
    EXPECT_EQ(ExpectPanelsInRows(window.statusPanels(), window), 1);

    // With the cursor on, the readouts of the visible traces take the room they need.
    window.action("acCursor")->trigger();
    ASSERT_TRUE(window.graph().cursorOn());
    TStatusPanels& panels = window.statusPanels();
    for (int i = 1; i <= graph::ReadoutPanels; ++i) {
        const bool traceShown = i == 1 || graph::DefaultVisibility[i - 2];
        EXPECT_EQ(panels.panel(i).isVisible(), traceShown) << i;
        if (traceShown) {
            EXPECT_FALSE(panels.panel(i).text().isEmpty()) << i;
        }
    }
    EXPECT_EQ(ExpectPanelsInRows(window.statusPanels(), window), 1);
    window.action("acStop")->trigger();
    window.store().setModified(false);  // nothing to ask at close
}

TEST(MainFormStatusBar, withEveryTraceShownTheReadoutsGoOnInARowBelowAtTheSmallestWindow) {
    const TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.size(), QSize(886, 679));
    for (const char* name : {"cbPlle", "cbPllp"}) {
        auto* box = window.findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        if (!box->isChecked()) box->click();
    }
    const int oneRow = window.statusBar()->height();
    const int graphHeight = window.graph().height();

    // Off line with Simulate Data, Start records; the cursor gives every readout a text.
    window.action("acSimulate")->trigger();
    ASSERT_TRUE(window.action("acSimulate")->isChecked());
    window.action("acStart")->trigger();
    ASSERT_TRUE(Eventually([&] { return window.store().count() > 5; }));
    window.action("acCursor")->trigger();
    ASSERT_TRUE(window.graph().cursorOn());
    TStatusPanels& panels = window.statusPanels();
    for (int i = 1; i <= graph::ReadoutPanels; ++i) {
        EXPECT_TRUE(panels.panel(i).isVisible()) << i;
        EXPECT_FALSE(panels.panel(i).text().isEmpty()) << i;
    }
    // The bar grows once the window has laid itself out again.
    ASSERT_TRUE(Eventually([&] { return window.statusBar()->height() > oneRow; }));
    EXPECT_EQ(ExpectPanelsInRows(window.statusPanels(), window), 2);
    EXPECT_GE(window.graph().height(), graphHeight - oneRow) << "the chart gives up one row";

    // Without the cursor the empty readouts give way and the bar is one row again.
    window.action("acCursor")->trigger();
    ASSERT_TRUE(Eventually([&] { return window.statusBar()->height() == oneRow; }));
    EXPECT_EQ(ExpectPanelsInRows(window.statusPanels(), window), 1);
    EXPECT_EQ(window.graph().height(), graphHeight);
    window.action("acStop")->trigger();
    window.store().setModified(false);  // nothing to ask at close
}

// The control strip at the first-run size: no group is squeezed, and every list, label, field
// and caption box shows whole, "Delta-Sigma" included.
TEST(MainFormPanel, atTheSmallestWindowEveryGroupShowsWhole) {
    const TempFolder folder;
    TMainForm window(folder / "tavolin.ini", folder.path().string() + "/");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.size(), QSize(886, 679)) << "a first run";
    const auto* strip = window.findChild<QWidget*>(QStringLiteral("TlPanel"));
    ASSERT_NE(strip, nullptr);
    const auto groups = strip->findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 4);

    int right = -1;
    for (const QGroupBox* group : groups) {
        SCOPED_TRACE(group->title().toStdString());
        EXPECT_GE(group->width(), group->sizeHint().width()) << "not squeezed";
        EXPECT_GT(group->x(), right) << "after the group before it";
        right = group->geometry().right();
        EXPECT_LT(right, strip->width());
        for (const QCheckBox* box : group->findChildren<QCheckBox*>()) {
            EXPECT_LT(box->geometry().right(), group->width() - 1)
                << box->text().toStdString() << ": off the frame line";
        }
    }
    for (const QLabel* label : strip->findChildren<QLabel*>()) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_GE(label->contentsRect().width(),
                  label->fontMetrics().horizontalAdvance(label->text()));
    }
    for (const TFloatEdit* field : strip->findChildren<TFloatEdit*>()) {
        EXPECT_EQ(field->width(), field->maximumWidth()) << field->objectName().toStdString();
    }
    for (QComboBox* list : strip->findChildren<QComboBox*>()) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect text = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i) {
            EXPECT_GE(text.width(), list->fontMetrics().horizontalAdvance(list->itemText(i)))
                << list->objectName().toStdString() << ": " << list->itemText(i).toStdString();
        }
    }
}

}  // namespace
