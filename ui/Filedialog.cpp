#include "ui/Filedialog.h"

#include <QHeaderView>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

namespace {

// Room for a long file name beside its size, type and date at the window's 8-point font.
constexpr int OpeningWidth = 900;
constexpr int OpeningHeight = 500;

}  // namespace

void ShapeFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    QSize size(OpeningWidth, OpeningHeight);
    if (const QScreen* screen = dialog.screen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
    // The name takes what the size, type and date leave; those show whole.
    if (auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = files->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

QString AskFileName(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title,
                    const std::string& folder, const std::string& name, const QString& filter,
                    const QString& suffix, bool allowNewName) {
    QFileDialog dialog(parent, title, QString::fromStdString(folder), filter);
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(suffix);
    dialog.setFileMode(mode == QFileDialog::AcceptSave || allowNewName ? QFileDialog::AnyFile
                                                                       : QFileDialog::ExistingFile);
    ShapeFileDialog(dialog);
    if (!name.empty()) dialog.selectFile(QString::fromStdString(name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}
