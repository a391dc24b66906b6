#pragma once

#include <QFileDialog>
#include <QString>

#include <string>

/// The file dialog of the data and parameter files: the toolkit's own (the same on every
/// desktop), in detail view, opening large enough that every column reads whole.
void ShapeFileDialog(QFileDialog& dialog);

/// The file dialog, modal, starting in `folder` with `name` proposed. Empty when the user
/// cancels. Saving asks before overwriting a file; `allowNewName` lets an open dialog accept a
/// name that does not exist yet.
QString AskFileName(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title,
                    const std::string& folder, const std::string& name, const QString& filter,
                    const QString& suffix, bool allowNewName = false);
