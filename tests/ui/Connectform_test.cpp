#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "link/Wakeport.h"
#include "support/Stationprocess.h"
#include "support/Tempfolder.h"
#include "ui/Connect.h"

namespace {

QString Row(const TConnectForm& form, const QString& port) {
    const auto items = form.list()->findItems(port, Qt::MatchExactly, 0);
    return items.isEmpty() ? QStringLiteral("<missing>") : items.first()->text(1);
}

QString Tip(const TConnectForm& form, const QString& port) {
    const auto items = form.list()->findItems(port, Qt::MatchExactly, 0);
    return items.isEmpty() ? QStringLiteral("<missing>") : items.first()->toolTip(1);
}

class ConnectFormTest : public ::testing::Test {
  protected:
    StationProcess heater{{.model = "KRT-51", .identity = "KRT-51 bench"}};
    StationProcess fan{{.model = "KRF-51", .identity = "KRF-51 lab"}};
    std::vector<std::string> extra{heater.Link(), fan.Link(), "/nonexistent/ttyX"};
    TWakePort link;
    std::string chosen = "untouched";
};

TEST_F(ConnectFormTest, listsEveryPortWithItsIdentityAndSelectsTheFirstThatAnswered) {
    TConnectForm form(link, extra, chosen);
    EXPECT_EQ(Row(form, QString::fromStdString(heater.Link())), "KRT-51 bench");
    EXPECT_EQ(Row(form, QString::fromStdString(fan.Link())), "KRF-51 lab");
    EXPECT_EQ(Row(form, "/nonexistent/ttyX"), "None");
    EXPECT_FALSE(link.IsOpen()) << "the scan closes the link";
    // "None" says why in its tool tip; a station's identity needs no explanation.
    EXPECT_EQ(Tip(form, "/nonexistent/ttyX"), "the device is missing");
    EXPECT_EQ(Tip(form, QString::fromStdString(fan.Link())), "");

    // Rows are sorted ignoring case; the first answering one is selected.
    // The links lie in random temporary folders, whose names mix upper and lower case.
    const auto lower = [](std::string name) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    };
    const std::string first = lower(heater.Link()) < lower(fan.Link()) ? heater.Link() : fan.Link();
    ASSERT_NE(form.list()->currentItem(), nullptr);
    EXPECT_EQ(form.list()->currentItem()->text(0).toStdString(), first);
    form.findChild<QPushButton*>("btOk")->click();
    EXPECT_EQ(chosen, first);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(ConnectFormTest, cancelAndEscapeChooseNothing) {
    {
        TConnectForm form(link, extra, chosen);
        form.findChild<QPushButton*>("btCancel")->click();
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    {
        TConnectForm form(link, extra, chosen);
        form.show();
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_EQ(chosen, "untouched");
}

TEST_F(ConnectFormTest, aRowShowingNoneCanBeChosenByDoubleClick) {
    TConnectForm form(link, extra, chosen);
    QTreeWidgetItem* none =
        form.list()->findItems("/nonexistent/ttyX", Qt::MatchExactly, 0).first();
    form.list()->setCurrentItem(none);
    emit form.list()->itemDoubleClicked(none, 0);
    EXPECT_EQ(chosen, "/nonexistent/ttyX");
}

TEST_F(ConnectFormTest, longPathsAndIdentitiesShowWholeInAFormThatMayBeResized) {
    // Emulators as a bench set-up names them: deep folders, long names.
    const TempFolder folder;
    const std::filesystem::path bench = folder / "bench-with-a-long-folder-name/stations";
    std::filesystem::create_directories(bench);
    const std::vector<std::string> ports = {
        (bench / "heater-station-on-the-left").string(),
        (bench / "heater-and-fan-station-on-the-right").string()};
    std::filesystem::create_symlink(heater.Link(), ports[0]);
    std::filesystem::create_symlink(fan.Link(), ports[1]);

    TConnectForm form(link, ports, chosen);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.minimumSize(), QSize(217, 229));
    EXPECT_GE(form.height(), 229);
    EXPECT_GT(form.maximumWidth(), form.width()) << "the user may widen it";

    const QTreeWidget& list = *form.list();
    const int viewport = list.viewport()->width();
    for (const std::string& port : ports) {
        const QTreeWidgetItem* row =
            list.findItems(QString::fromStdString(port), Qt::MatchExactly, 0).value(0);
        ASSERT_NE(row, nullptr) << port;
        for (int column = 0; column < 2; ++column) {
            const int needed = list.fontMetrics().horizontalAdvance(row->text(column));
            EXPECT_GE(list.columnWidth(column), needed) << row->text(column).toStdString();
            EXPECT_LE(list.header()->sectionViewportPosition(column) + needed, viewport)
                << row->text(column).toStdString() << " shows within the list";
        }
    }
}

}  // namespace
