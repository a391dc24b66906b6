#pragma once

/// The control panel's controls as the core sees them. The window implements this with real
/// numeric fields; tests implement it with a fake that fires the same change events.
///
/// Setting a field's value or a box's state from code behaves as the real control does: a
/// field whose value changes fires its change event (twice if clamped), a PID box whose
/// state changes fires its click handler. Selecting an entry of cbMode or cbPreset from code
/// fires nothing; only the user's choice runs their handlers. The core's handlers are what
/// those events run.
class PanelView {
  public:
    /// Numeric fields, heater group, fan group, timers, presets.
    enum class Field {
        Tset,
        Set,
        Tget,
        Tcj,
        HKp,
        HKi,
        HKd,
        Plim,
        Power,
        Comp,
        Vset,
        Vget,
        Pwm,
        FKp,
        FKi,
        FKd,
        TmStb,
        TmOff,
        ThAct,
        PresetT,
        PresetV,
        PresetC,
    };
    /// Controls whose enabled state the rules drive; fields are named by Field.
    enum class Control { PidF, UpDown };
    enum class Box { PidH, PidF, AutoStb };

    virtual ~PanelView() = default;

    virtual double Value(Field field) const = 0;
    virtual void SetValue(Field field, double value) = 0;
    virtual bool Checked(Box box) const = 0;
    virtual void SetChecked(Box box, bool checked) = 0;

    /// cbMode: 0 "Phase", 1 "Delta-Sigma".
    virtual int ModeIndex() const = 0;
    virtual void SetModeIndex(int index) = 0;

    /// cbPreset: "OFF", "COOL", "STB", then "0" .. lastPreset.
    virtual int PresetIndex() const = 0;
    virtual int PresetCount() const = 0;
    virtual void SetPresetList(int lastPreset) = 0;
    virtual void SetPresetIndex(int index) = 0;

    /// UpDown1 beside the big set field, 0..480 in steps of 5.
    virtual void SetUpDownPosition(int position) = 0;

    virtual void SetEnabled(Field field, bool enabled) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual bool Enabled(Field field) const = 0;
};
