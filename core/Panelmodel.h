#pragma once

#include <map>

#include "core/Panelview.h"

/// The control panel without a window: it holds what the core writes into it and fires no
/// change events. The command-line tool reads and writes parameter sets through it.
class PanelModel final : public PanelView {
  public:
    /// The panel's design state: "Delta-Sigma", both PID boxes checked, the design preset
    /// list with "OFF" selected.
    PanelModel();

    double Value(Field field) const override;
    /// Kept within the field's range, as the window's field keeps it.
    void SetValue(Field field, double value) override;
    bool Checked(Box box) const override;
    void SetChecked(Box box, bool checked) override { boxes_[box] = checked; }
    int ModeIndex() const override { return mode_; }
    void SetModeIndex(int index) override { mode_ = index; }
    int PresetIndex() const override { return preset_; }
    int PresetCount() const override { return presetCount_; }
    void SetPresetList(int lastPreset) override;
    void SetPresetIndex(int index) override { preset_ = index; }
    void SetUpDownPosition(int) override {}
    void SetEnabled(Field field, bool enabled) override { enabled_[field] = enabled; }
    void SetEnabled(Control, bool) override {}
    bool Enabled(Field field) const override;

  private:
    std::map<Field, double> values_;
    std::map<Field, bool> enabled_;
    std::map<Box, bool> boxes_;
    int mode_ = 1;
    int preset_ = 0;
    int presetCount_ = 0;
};
