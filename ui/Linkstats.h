#pragma once

#include <QDialog>

#include "core/Linkhealth.h"

class QTableWidget;

/// View → Link Statistics: the link-health figures of the current connection and of the whole
/// run, side by side, one row per figure under the names the command-line tool prints.
class TLinkStatsForm final : public QDialog {
    Q_OBJECT

  public:
    explicit TLinkStatsForm(QWidget* parent = nullptr);

    void ShowFigures(const HealthFigures& connection, const HealthFigures& total);
    /// The text of row `row`, column 0 (this connection) or 1 (total).
    QString cell(int row, int column) const;
    int rows() const;

  private:
    QTableWidget* table_;
};
