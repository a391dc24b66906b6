#include "ui/Errorbox.h"

#include <QMessageBox>

void ShowError(QWidget* parent, const std::exception& error) {
    QMessageBox::critical(parent, QStringLiteral("Tavolin"), QString::fromStdString(error.what()));
}
