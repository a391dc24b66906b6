#pragma once

#include <QDialog>

#include <memory>
#include <optional>

#include "core/Tuneresult.h"

class AppCore;
class QLabel;
class QPushButton;
class QTableWidget;
class TFloatEdit;
class EventLoopClock;

/// The modal "Tune PID..." dialog: from, to, maximum overshoot and time cap; Start runs the
/// tuner on the window's own link while the poll loop records and draws the experiments; a
/// table lists every step test with the best one marked. Apply writes the proposal with
/// SetPIDH (keeping Enable); Discard, Cancel, Escape and the close box leave the original
/// gains, which the run has already restored. Cancel during a run stops it; the tuner then
/// restores the set point and gains.
class TTuneForm : public QDialog {
    Q_OBJECT

  public:
    explicit TTuneForm(AppCore& core, QWidget* parent = nullptr);
    ~TTuneForm() override;

    const std::optional<TuneResult>& result() const { return result_; }
    bool running() const { return running_; }

  public slots:
    void reject() override;

  private:
    void Start();
    void Apply();
    void AddRow(const Experiment& e);
    void MarkBest();
    void ShowProgress(const QString& text);
    TuneOptions Options() const;

    AppCore& core_;
    TFloatEdit* from_ = nullptr;
    TFloatEdit* to_ = nullptr;
    TFloatEdit* overshoot_ = nullptr;
    TFloatEdit* minutes_ = nullptr;
    QLabel* progress_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* discard_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::unique_ptr<EventLoopClock> clock_;
    std::vector<Experiment> experiments_;
    std::optional<TuneResult> result_;
    bool running_ = false;
};

/// The main window's Tune PID action: the dialog, modally, when the station is on line.
void RunTuneAction(AppCore& core, QWidget* parent);
