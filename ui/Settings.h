#pragma once

#include <QDialog>

#include <array>

#include "core/Settingsmodel.h"

class AppCore;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QPushButton;
class TFloatEdit;
struct Config;

/// The modal "Settings..." dialog: the program's options, the PLL and calibration values of
/// the cached heater parameters, and the station's two option records. Controls carry their
/// system names as object names (feGain, cbInitialOn, cbSample, btOk, ...).
///
/// It fills itself while being constructed, reading the station's options: HeaterOptions for
/// any station, FanOptions for a KRF-51. A failed read is shown in the error box and the
/// dialog still opens; the record that was not read is neither editable nor written.
///
/// OK takes over: AutoConnect, AutoRead, AutoScroll and the sample period into `config` and
/// into the core's live options; the PLL and calibration values into the cached copy; then
/// SetOptionsH / SetOptionsF for the records that were read. A failed write, or a station
/// that went off line while the dialog was open, is shown and the dialog stays open (what was
/// taken over stays). Cancel, Escape and the close box take
/// nothing over and send nothing.
class TSettingsForm : public QDialog {
    Q_OBJECT

  public:
    TSettingsForm(AppCore& core, Config& config, QWidget* parent = nullptr);

    const settings::SettingsModel& model() const { return model_; }

  private:
    QGroupBox* BuildGroup(settings::Group group);
    void OrderTabs(const std::array<QGroupBox*, settings::GroupCount>& groups);
    void AddFieldRow(QGridLayout* grid, int row, settings::Field field);
    QWidget* BuildButtons();
    void Fill();
    void ShowValues();
    void ReadControls();
    void ApplyEnabling();
    void SetDefault();
    void TakeOver();

    AppCore& core_;
    Config& config_;
    settings::SettingsModel model_;
    std::array<TFloatEdit*, settings::FieldCount> fields_{};
    std::array<QCheckBox*, settings::BoxCount> boxes_{};
    QComboBox* sample_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool showing_ = false;  // the program is writing the controls; box reactions wait
};

/// The main window's Settings action: Read Params; the dialog, modally; then, whatever the
/// dialog's outcome, SetParH built from the panel and the cached copy (dropped by a closed
/// link) and, with AutoRead, Read Params again. A link error ends the action at its step with
/// the error box: before the dialog, the dialog does not open. The caller then applies the
/// sample period and the scroll option and repaints the graph.
void RunSettingsAction(AppCore& core, Config& config, QWidget* parent);
