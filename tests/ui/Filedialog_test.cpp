#include <gtest/gtest.h>

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "tests/ui/Eventually.h"
#include "ui/Filedialog.h"

namespace {

TEST(FileDialog, everyColumnReadsWholeAtTheOpeningSize) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString name = QStringLiteral("bench-step-250-to-350-deg-2026-12-10.dat");
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Time\tTset\r\n");
    file.close();

    QFileDialog dialog(nullptr, QStringLiteral("Open Data File"), folder.path(),
                       QStringLiteral("Data file (*.dat);;All files (*)"));
    dialog.setFont(QFont(QStringLiteral("Sans Serif"), 8));
    ShapeFileDialog(dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(Eventually([&] { return files->model()->rowCount(files->rootIndex()) == 1; }));
    ASSERT_TRUE(Eventually([&] { return files->isVisible(); }));

    const QHeaderView& header = *files->header();
    const QFontMetrics metrics = files->fontMetrics();
    int used = 0;
    for (int section = 0; section < header.count(); ++section) {
        if (header.isSectionHidden(section)) continue;
        const QString caption = files->model()->headerData(section, Qt::Horizontal).toString();
        const QString cell =
            files->model()->index(0, section, files->rootIndex()).data().toString();
        SCOPED_TRACE(caption.toStdString());
        EXPECT_GE(header.sectionSize(section), metrics.horizontalAdvance(caption));
        EXPECT_GE(header.sectionSize(section), metrics.horizontalAdvance(cell))
            << cell.toStdString();
        used += header.sectionSize(section);
    }
    EXPECT_LE(used, files->viewport()->width()) << "no column hides beyond the right edge";
}

}  // namespace
