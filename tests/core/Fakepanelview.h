#pragma once

#include <map>

#include "core/Controlpanel.h"
#include "core/Panelview.h"

/// The panel's controls without a toolkit, firing the core's handlers the way the real
/// controls do: a field assigned a different value fires its change event (twice when it had
/// to be clamped), a commit fires it always, a PID box fires its click when its state changes,
/// and only the user's choice in a list runs the list's handler.
class FakePanelView final : public PanelView {
  public:
    /// Every control in its design state; events go nowhere until Attach.
    FakePanelView();
    void Attach(ControlPanel& panel) { panel_ = &panel; }

    double Value(Field field) const override { return fields_.at(field).value; }
    void SetValue(Field field, double value) override;
    bool Checked(Box box) const override { return boxes_.at(box); }
    void SetChecked(Box box, bool checked) override;
    int ModeIndex() const override { return mode_; }
    void SetModeIndex(int index) override { mode_ = index; }
    int PresetIndex() const override { return preset_; }
    int PresetCount() const override { return presetCount_; }
    void SetPresetList(int lastPreset) override;
    void SetPresetIndex(int index) override { preset_ = index; }
    void SetUpDownPosition(int position) override { upDown_ = position; }
    void SetEnabled(Field field, bool enabled) override { fields_.at(field).enabled = enabled; }
    void SetEnabled(Control control, bool enabled) override { controls_[control] = enabled; }
    bool Enabled(Field field) const override { return fields_.at(field).enabled; }

    // What the user does.
    /// Types `value` and presses Enter: the field's commit, which fires even when unchanged.
    void Commit(Field field, double value);
    /// Clicks the box.
    void Click(Box box) { SetChecked(box, !Checked(box)); }
    void ChooseMode(int index);
    void ChoosePreset(int index);
    /// One click on an arrow of UpDown1: the core hears the new position first, then the
    /// control moves; no move past the ends.
    void ClickUp() { StepUpDown(+UpDownStep); }
    void ClickDown() { StepUpDown(-UpDownStep); }

    bool Enabled(Control control) const { return controls_.at(control); }
    int UpDownPosition() const { return upDown_; }

    static constexpr int UpDownStep = 5;
    static constexpr int UpDownMax = 480;

  private:
    struct FieldState {
        double max = 0;
        double value = 0;
        bool enabled = true;
    };
    /// The field's assignment: check and clamp (one event), then the event of the assignment.
    void Assign(Field field, double value);
    void Fire(Field field);
    void StepUpDown(int step);

    ControlPanel* panel_ = nullptr;
    std::map<Field, FieldState> fields_;
    std::map<Box, bool> boxes_;
    std::map<Control, bool> controls_;
    int mode_ = 1;
    int preset_ = 0;
    int presetCount_ = 0;
    int upDown_ = 0;
};
