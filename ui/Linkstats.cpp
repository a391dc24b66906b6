#include "ui/Linkstats.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

TLinkStatsForm::TLinkStatsForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LinkStatsForm"));
    setWindowTitle(QStringLiteral("Link Statistics"));
    auto* layout = new QVBoxLayout(this);
    const auto names = HealthFields(HealthFigures{});
    table_ = new QTableWidget(static_cast<int>(names.size()), 2, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("This connection"), QStringLiteral("Total")});
    for (int row = 0; row < table_->rowCount(); ++row) {
        table_->setVerticalHeaderItem(
            row, new QTableWidgetItem(QString::fromStdString(names[row].first)));
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, column, item);
        }
    }
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(table_);
    resize(360, 380);
}

void TLinkStatsForm::ShowFigures(const HealthFigures& connection, const HealthFigures& total) {
    const auto columns = {HealthFields(connection), HealthFields(total)};
    int column = 0;
    for (const auto& fields : columns) {
        for (int row = 0; row < table_->rowCount(); ++row)
            table_->item(row, column)->setText(QString::fromStdString(fields[row].second));
        ++column;
    }
}

QString TLinkStatsForm::cell(int row, int column) const {
    return table_->item(row, column)->text();
}

int TLinkStatsForm::rows() const {
    return table_->rowCount();
}
