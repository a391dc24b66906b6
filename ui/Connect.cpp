#include "ui/Connect.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>

#include "link/Portlist.h"
#include "link/Portscan.h"
#include "ui/Waitcursor.h"

namespace {

// The form's own geometry, in pixels.
constexpr int FormWidth = 217;
constexpr int FormHeight = 229;
constexpr int FormMargin = 8;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;

}  // namespace

TConnectForm::TConnectForm(TWakeCom& link, const std::vector<std::string>& extraPorts,
                           std::string& result, QWidget* parent)
    : QDialog(parent), result_(result) {
    setWindowTitle(QStringLiteral("Connect..."));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // The form's size is the smallest; device paths make the list wider (see below).
    setMinimumSize(FormWidth, FormHeight);

    // The list fills the top, the two buttons sit under it at the right.
    devList_ = new QTreeWidget(this);
    devList_->setObjectName(QStringLiteral("DevListView"));
    devList_->setColumnCount(2);
    devList_->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device name")});
    devList_->setRootIsDecorated(false);
    devList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    devList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    devList_->header()->setSectionsClickable(false);
    devList_->header()->setStretchLastSection(true);
    devList_->setTextElideMode(Qt::ElideMiddle);  // a path's start and end tell ports apart

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("btOk"));
    ok->setFixedSize(ButtonWidth, ButtonHeight);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("btCancel"));
    cancel->setFixedSize(ButtonWidth, ButtonHeight);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(FormMargin, FormMargin, FormMargin, FormMargin);
    form->addWidget(devList_, 1);
    form->addLayout(buttons);
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
    FitColumns();
}

void TConnectForm::FitColumns() {
    int columns = 0;
    for (int c = 0; c < devList_->columnCount(); ++c) {
        devList_->resizeColumnToContents(c);
        columns += devList_->columnWidth(c);
    }
    // Wide enough for every path and identity, within the screen; the user may resize.
    const int frame =
        2 * devList_->frameWidth() + devList_->verticalScrollBar()->sizeHint().width();
    int width = std::max(FormWidth, columns + frame + 2 * FormMargin);
    if (const QScreen* screen = this->screen()) {
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    }
    resize(std::max(width, FormWidth), FormHeight);
}

void TConnectForm::Accept() {
    const QTreeWidgetItem* item = devList_->currentItem();
    result_ = item && item->isSelected() ? item->text(0).toStdString() : std::string();
    accept();
}
