#include "ui/Connect.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/Waitcursor.h"
#include "link/Portlist.h"
#include "link/Portscan.h"

TConnectForm::TConnectForm(TWakeCom& link, const std::vector<std::string>& extraPorts,
                           std::string& result, QWidget* parent)
    : QDialog(parent), result_(result) {
    setWindowTitle(QStringLiteral("Connect..."));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(217, 229);

    // Form geometry: the list fills the top, the two buttons sit under it.
    devList_ = new QTreeWidget(this);
    devList_->setObjectName(QStringLiteral("DevListView"));
    devList_->setGeometry(8, 8, 201, 177);
    devList_->setColumnCount(2);
    devList_->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device name")});
    devList_->setColumnWidth(0, 60);
    devList_->setColumnWidth(1, 120);
    devList_->setRootIsDecorated(false);
    devList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    devList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    devList_->header()->setSectionsClickable(false);
    devList_->setTextElideMode(Qt::ElideLeft);  // device paths are long; their end tells them apart

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("btOk"));
    ok->setGeometry(55, 196, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("btCancel"));
    cancel->setGeometry(135, 196, 75, 25);
    setTabOrder(ok, cancel);
    connect(ok, &QPushButton::clicked, this, [this] { Accept(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(devList_, &QTreeWidget::itemDoubleClicked, this, [this] { Accept(); });

    std::vector<PortProbe> rows;
    {
        WaitCursor wait;
        rows = ScanPorts(link, ListPorts(extraPorts));
    }
    for (const PortProbe& row : rows) {
        auto* item = new QTreeWidgetItem(
            devList_, {QString::fromStdString(row.port), QString::fromStdString(row.identity)});
        item->setToolTip(0, QString::fromStdString(row.port));
        // Why the port holds no station, where the user looks: on "None" or the foreign text.
        if (row.reason) item->setToolTip(1, QString::fromStdString(row.reason->text()));
        if (row.answered && !devList_->currentItem()) {
            devList_->setCurrentItem(item);
            devList_->setFocus();
        }
    }
}

void TConnectForm::Accept() {
    const QTreeWidgetItem* item = devList_->currentItem();
    result_ = item && item->isSelected() ? item->text(0).toStdString() : std::string();
    accept();
}
