#pragma once

#include <QWidget>

#include <array>
#include <exception>
#include <functional>

#include "core/Panelview.h"

class ControlPanel;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QPushButton;
class QToolButton;
class TFloatEdit;

/// The strip of four group boxes across the top of the main window: " Heater ", "  Fan      ",
/// " Timers     " and " Presets ". It is the control panel's view: each control's event runs
/// the matching ControlPanel handler. Controls carry their system names as object names
/// (feTset, cbPidH, UpDown1, btSvPre, ...).
class TPanelWidget : public QWidget, public PanelView {
  public:
    /// Reports what a handler started by the user threw; the window shows it.
    using ErrorHandler = std::function<void(const std::exception&)>;

    /// Every control in its design state; no event reaches a handler before Bind.
    explicit TPanelWidget(QWidget* parent = nullptr);

    /// From now on the controls' events run `panel`'s handlers. An error of a handler started
    /// by the user goes to `onError`; one started by the core's own write into a control
    /// passes back to the core's caller.
    void Bind(ControlPanel& panel, ErrorHandler onError);

    double Value(Field field) const override;
    void SetValue(Field field, double value) override;
    bool Checked(Box box) const override;
    void SetChecked(Box box, bool checked) override;
    int ModeIndex() const override;
    void SetModeIndex(int index) override;
    int PresetIndex() const override;
    int PresetCount() const override;
    void SetPresetList(int lastPreset) override;
    void SetPresetIndex(int index) override;
    void SetUpDownPosition(int position) override;
    void SetEnabled(Field field, bool enabled) override;
    void SetEnabled(Control control, bool enabled) override;
    bool Enabled(Field field) const override;

    TFloatEdit& Edit(Field field) const { return *fields_[static_cast<int>(field)]; }
    /// UpDown1's position: where its next click steps from.
    int UpDownPosition() const;

    static constexpr int FieldCount = static_cast<int>(Field::PresetC) + 1;

  private:
    class UpDown;

    QGroupBox* BuildHeater();
    QGroupBox* BuildFan();
    QGroupBox* BuildTimers();
    QGroupBox* BuildPresets();
    using FieldColumn = std::array<Field, 3>;
    /// The three rows of label, field and unit of `fields` into `grid` from `column`; `apart`
    /// keeps the labels off the field column before them. Returns the next free column.
    int AddFieldColumn(QGridLayout& grid, const FieldColumn& fields, int column, bool apart);
    QCheckBox* TitleCheckBox(QGroupBox& group, const char* name, const char* text);

  public:
    /// Where the style draws `group`'s caption, in the group's coordinates.
    static QRect CaptionRect(const QGroupBox& group);

  private:
    QCheckBox* BoxOf(Box box) const;

    /// Runs a handler for an event the user caused: what it throws goes to the error handler.
    /// Inside a core write into a control it runs plainly, so errors reach the core's caller.
    void Forward(const std::function<void()>& handler);
    void Clicked(Box box);

    std::array<TFloatEdit*, FieldCount> fields_{};
    QCheckBox* pidH_ = nullptr;
    QCheckBox* pidF_ = nullptr;
    QCheckBox* autoStb_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* preset_ = nullptr;
    UpDown* upDown_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* save_ = nullptr;

    ControlPanel* panel_ = nullptr;
    ErrorHandler onError_;
    int coreWrites_ = 0;  // depth of the core's calls into this view
};
