#pragma once

#include "core/Connection.h"
#include "core/Panelview.h"
#include "core/Updating.h"
#include "link/Records.h"

/// The control panel's logic: what each edit sends, the enabling rules, Read Params and
/// Write Params, and the poll's refresh of the live fields. Every send handler does nothing
/// while `updating` is raised (the preset handlers excepted); a link error passes to the
/// caller, which shows it. No handler looks at the connection: off line the closed link drops
/// every command.
///
/// The arrows of UpDown1 step from the set temperature shown: the set point handlers and the
/// poll put the up/down position at feTset truncated, so a click never jumps back to an old
/// position.
///
/// A manual power or PWM is the user's once they own the field, but until the station has
/// been heard it would show 0 and a mere Tab through it would switch the drive off. So the
/// first poll after each connect, and the first after each Read Params, fills fePower and
/// fePwm from the station's live values even while they are enabled.
class ControlPanel {
  public:
    ControlPanel(Connection& connection, PanelView& view, Updating& updating)
        : connection_(connection), view_(view), updating_(updating) {}

    // Change handlers, one per event of the panel's controls.
    void HeaterGainsChanged();          // feHKp, feHKi, feHKd
    void HeaterSetPointChanged();       // feTset, fePower
    void BigSetChanged();               // feSet
    void UpDownChanging(int position);  // UpDown1 about to move to `position`
    void HeaterParamsChanged();         // fePlim, feComp, cbMode
    void FanGainsChanged();             // feFKp, feFKi, feFKd
    void FanSetPointChanged();          // feVset, fePwm
    void TimersChanged();               // feTmStb, feTmOff, feThAct
    /// GetPreset for the selected entry into fePresetT/V/C. Off line no reply comes, so the
    /// fields keep what they show.
    void PresetRead();   // "Read", cbPreset selection
    void PresetSave();   // "Save"
    void PidHClicked();  // cbPidH
    void PidFClicked();  // cbPidF

    /// Runs the handler of `field`'s change event; fields that only show values have none.
    void FieldChanged(PanelView::Field field);

    /// The fan group follows the station kind: disabled for a heater station. The kind is
    /// kept, so that a later click of cbPidF does not enable a fan field of a heater station.
    void ApplyKind(DeviceKind kind);

    /// Reads every parameter record into the panel without sending anything back; with
    /// `updating` already raised it only refreshes the cached heater parameters. Does
    /// nothing off line.
    void ReadParams();
    /// Writes the panel's parameter records to the station. Does nothing off line.
    void WriteParams();

    /// The poll's refresh of the live fields, with `updating` raised. A manual power or PWM
    /// is refreshed only once after a connect or Read Params (see the class comment).
    void RefreshHeat(const HeatStatus& status);
    void RefreshFan(const FanStatus& status);

    /// SetParH from cbMode, fePlim, feComp and the cached copy.
    HeaterParams PanelHeaterParams() const;
    /// SetTimers from the timer fields; ThAct 0 unless Auto Stb is checked.
    Timers PanelTimers() const;

  private:
    void SendSetT();
    void FillManualOutputsAtNextPoll();
    void ShowSetTemperatureOnUpDown();
    void ApplyFanEnabling();
    void FillPresetList(int lastPreset);
    PidGains Gains(PanelView::Field kp, PanelView::Field ki, PanelView::Field kd,
                   PanelView::Box enable) const;
    void ShowGains(const PidGains& gains, PanelView::Field kp, PanelView::Field ki,
                   PanelView::Field kd, PanelView::Box enable);
    int Wire(PanelView::Field field, int scale) const;

    Connection& connection_;
    PanelView& view_;
    Updating& updating_;
    DeviceKind appliedKind_ = DeviceKind::None;
    bool fillPower_ = false;  // the next poll fills fePower although it is enabled
    bool fillPwm_ = false;    // likewise fePwm
};
