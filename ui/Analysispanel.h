#pragma once

#include <QDockWidget>
#include <functional>
#include <string>

#include "traces/Stepresponse.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

/// The analysis panel: the figures of the span between the two cursors as Key=value text, the
/// trace they judge and a Copy button that puts that text on the clipboard. It only shows;
/// the window hands it the text (cursorspan::PanelText) whenever a cursor or the data moved.
class TAnalysisPanel final : public QDockWidget {
    Q_OBJECT

  public:
    explicit TAnalysisPanel(QWidget* parent = nullptr);

    void ShowText(const std::string& text);
    QString text() const;
    /// The response the figures judge: Tget by default, Vget when chosen.
    stepresponse::Options options() const;

  signals:
    /// The user chose another response trace.
    void optionsChanged();

  private:
    QComboBox* trace_;
    QPlainTextEdit* text_;
    QPushButton* copy_;
};
