#pragma once

#include "app/Connection.h"
#include "app/Panelview.h"
#include "app/Updating.h"
#include "link/Records.h"

/// The control panel's logic: what each edit sends, the enabling rules, Read Params and
/// Write Params, and the poll's refresh of the live fields. Every send handler does nothing
/// while `updating` is raised (the preset handlers excepted); a link error passes to the
/// caller, which shows it.
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
    void PresetRead();                  // "Read", cbPreset selection
    void PresetSave();                  // "Save"
    void PidHClicked();                 // cbPidH
    void PidFClicked();                 // cbPidF

    /// The fan group follows the station kind: disabled for a heater station.
    void ApplyKind(DeviceKind kind);

    /// Reads every parameter record into the panel without sending anything back; with
    /// `updating` already raised it only refreshes the cached heater parameters. Does
    /// nothing off line.
    void ReadParams();
    /// Writes the panel's parameter records to the station. Does nothing off line.
    void WriteParams();

    /// The poll's refresh of the live fields, with `updating` raised.
    void RefreshHeat(const HeatStatus& status);
    void RefreshFan(const FanStatus& status);

    /// SetParH from cbMode, fePlim, feComp and the cached copy.
    HeaterParams PanelHeaterParams() const;

private:
    void SendSetT();

    Connection& connection_;
    PanelView& view_;
    Updating& updating_;
};
