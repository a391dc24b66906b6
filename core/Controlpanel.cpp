#include "core/Controlpanel.h"

#include <cmath>

#include "link/Convert.h"

using Field = PanelView::Field;
using Box = PanelView::Box;
using Control = PanelView::Control;

int ControlPanel::Wire(Field field, int scale) const {
    return convert::ToWire(view_.Value(field), scale);
}

PidGains ControlPanel::Gains(Field kp, Field ki, Field kd, Box enable) const {
    PidGains gains;
    gains.Kp = Wire(kp, convert::Unscaled);
    gains.Ki = Wire(ki, convert::Unscaled);
    gains.Kd = Wire(kd, convert::Unscaled);
    gains.Enable = view_.Checked(enable);
    return gains;
}

void ControlPanel::ShowGains(const PidGains& gains, Field kp, Field ki, Field kd, Box enable) {
    view_.SetValue(kp, gains.Kp);
    view_.SetValue(ki, gains.Ki);
    view_.SetValue(kd, gains.Kd);
    view_.SetChecked(enable, gains.Enable);
}

HeaterParams ControlPanel::PanelHeaterParams() const {
    HeaterParams params = connection_.cachedParams();
    params.Mode = view_.ModeIndex();
    params.Plim = Wire(Field::Plim, convert::Tenths);
    params.Comp = Wire(Field::Comp, convert::Unscaled);
    return params;
}

Timers ControlPanel::PanelTimers() const {
    Timers timers;
    timers.TmStb = Wire(Field::TmStb, convert::Unscaled);
    timers.TmOff = Wire(Field::TmOff, convert::Unscaled);
    // Without Auto Stb the station gets 0, whatever feThAct still shows.
    timers.ThAct = view_.Checked(Box::AutoStb) ? Wire(Field::ThAct, convert::Unscaled) : 0;
    return timers;
}

void ControlPanel::SendSetT() {
    connection_.link().SetT(Wire(Field::Tset, convert::Tenths),
                            Wire(Field::Power, convert::Tenths));
}

void ControlPanel::ShowSetTemperatureOnUpDown() {
    view_.SetUpDownPosition(static_cast<int>(std::trunc(view_.Value(Field::Tset))));
}

void ControlPanel::HeaterGainsChanged() {
    if (updating_.raised()) return;
    connection_.link().SetPIDH(Gains(Field::HKp, Field::HKi, Field::HKd, Box::PidH));
}

void ControlPanel::HeaterSetPointChanged() {
    if (updating_.raised()) return;
    Updating::Guard guard(updating_);
    ShowSetTemperatureOnUpDown();
    SendSetT();
}

void ControlPanel::BigSetChanged() {
    if (updating_.raised()) return;
    Updating::Guard guard(updating_);
    view_.SetValue(Field::Tset, view_.Value(Field::Set));
    ShowSetTemperatureOnUpDown();
    SendSetT();
}

void ControlPanel::UpDownChanging(int position) {
    if (updating_.raised()) return;
    Updating::Guard guard(updating_);
    view_.SetValue(Field::Tset, position);
    SendSetT();
}

void ControlPanel::HeaterParamsChanged() {
    if (updating_.raised()) return;
    Updating::Guard guard(updating_);
    ReadParams();  // with the guard raised: only the hidden parameters, fresh from the station
    connection_.link().SetParH(PanelHeaterParams());
}

void ControlPanel::FanGainsChanged() {
    if (updating_.raised()) return;
    connection_.link().SetPIDF(Gains(Field::FKp, Field::FKi, Field::FKd, Box::PidF));
}

void ControlPanel::FanSetPointChanged() {
    if (updating_.raised()) return;
    connection_.link().SetV(Wire(Field::Vset, convert::Unscaled),
                            Wire(Field::Pwm, convert::Unscaled));
}

void ControlPanel::TimersChanged() {
    if (updating_.raised()) return;
    connection_.link().SetTimers(PanelTimers());
}

void ControlPanel::PresetRead() {
    TWakePort& link = connection_.link();
    // A closed link sends nothing and its reply fields still hold some earlier answer.
    if (!link.IsOpen()) return;
    const Preset preset = link.GetPreset(view_.PresetIndex());
    view_.SetValue(Field::PresetT, convert::FromWire(preset.T, convert::Tenths));
    view_.SetValue(Field::PresetV, preset.V);
    view_.SetValue(Field::PresetC, preset.C);
}

void ControlPanel::PresetSave() {
    Preset preset;
    preset.Index = view_.PresetIndex();
    preset.T = Wire(Field::PresetT, convert::Tenths);
    preset.V = Wire(Field::PresetV, convert::Unscaled);
    preset.C = Wire(Field::PresetC, convert::Unscaled);
    connection_.link().SetPreset(preset);
}

void ControlPanel::PidHClicked() {
    const bool pid = view_.Checked(Box::PidH);
    view_.SetEnabled(Field::Power, !pid);
    view_.SetEnabled(Field::Tset, pid);
    view_.SetEnabled(Field::Set, pid);
    view_.SetEnabled(Control::UpDown, pid);
    HeaterGainsChanged();
    HeaterSetPointChanged();
}

void ControlPanel::PidFClicked() {
    ApplyFanEnabling();
    FanGainsChanged();
    FanSetPointChanged();
}

void ControlPanel::ApplyFanEnabling() {
    const bool fan = appliedKind_ != DeviceKind::Krt51;
    const bool pid = view_.Checked(Box::PidF);
    view_.SetEnabled(Field::Vset, pid && fan);
    view_.SetEnabled(Field::Pwm, !pid && fan);
}

void ControlPanel::ApplyKind(DeviceKind kind) {
    appliedKind_ = kind;
    if (kind != DeviceKind::None) FillManualOutputsAtNextPoll();
    const bool fan = kind != DeviceKind::Krt51;
    view_.SetEnabled(Control::PidF, fan);
    for (const Field gain : {Field::FKp, Field::FKi, Field::FKd}) view_.SetEnabled(gain, fan);
    ApplyFanEnabling();
}

void ControlPanel::FieldChanged(Field field) {
    switch (field) {
        case Field::HKp:
        case Field::HKi:
        case Field::HKd:
            return HeaterGainsChanged();
        case Field::Tset:
        case Field::Power:
            return HeaterSetPointChanged();
        case Field::Set:
            return BigSetChanged();
        case Field::Plim:
        case Field::Comp:
            return HeaterParamsChanged();
        case Field::FKp:
        case Field::FKi:
        case Field::FKd:
            return FanGainsChanged();
        case Field::Vset:
        case Field::Pwm:
            return FanSetPointChanged();
        case Field::TmStb:
        case Field::TmOff:
        case Field::ThAct:
            return TimersChanged();
        case Field::Tget:
        case Field::Tcj:
        case Field::Vget:
        case Field::PresetT:
        case Field::PresetV:
        case Field::PresetC:
            return;
    }
}

void ControlPanel::FillPresetList(int lastPreset) {
    const int selected = view_.PresetIndex();
    view_.SetPresetList(lastPreset);
    // A list without a selection also starts again from "OFF".
    const bool kept = selected >= 0 && selected < view_.PresetCount();
    view_.SetPresetIndex(kept ? selected : 0);
    PresetRead();
}

void ControlPanel::ReadParams() {
    if (!connection_.onLine()) return;
    TWakePort& link = connection_.link();
    const HeaterParams params = link.GetParH();
    connection_.CacheHiddenParams(params);
    if (updating_.raised()) return;

    Updating::Guard guard(updating_);
    FillManualOutputsAtNextPoll();
    view_.SetModeIndex(params.Mode);
    view_.SetValue(Field::Plim, convert::FromWire(params.Plim, convert::Tenths));
    view_.SetValue(Field::Comp, params.Comp);
    ShowGains(link.GetPIDH(), Field::HKp, Field::HKi, Field::HKd, Box::PidH);
    FillPresetList(params.LastPreset);
    if (connection_.kind() == DeviceKind::Krf51) {
        ShowGains(link.GetPIDF(), Field::FKp, Field::FKi, Field::FKd, Box::PidF);
    }
    const Timers timers = link.GetTimers();
    view_.SetValue(Field::TmStb, timers.TmStb);
    view_.SetValue(Field::TmOff, timers.TmOff);
    view_.SetValue(Field::ThAct, timers.ThAct);
    view_.SetChecked(Box::AutoStb, timers.ThAct != 0);
}

void ControlPanel::WriteParams() {
    if (!connection_.onLine()) return;
    TWakePort& link = connection_.link();
    link.SetPIDH(Gains(Field::HKp, Field::HKi, Field::HKd, Box::PidH));
    link.SetParH(PanelHeaterParams());
    if (connection_.kind() == DeviceKind::Krf51) {
        link.SetPIDF(Gains(Field::FKp, Field::FKi, Field::FKd, Box::PidF));
    }
    link.SetTimers(PanelTimers());
}

void ControlPanel::RefreshHeat(const HeatStatus& status) {
    Updating::Guard guard(updating_);
    view_.SetValue(Field::Tset, convert::FromWire(status.Tset, convert::Tenths));
    view_.SetValue(Field::Set, view_.Value(Field::Tset));
    view_.SetValue(Field::Tget, convert::FromWire(status.Tget, convert::Tenths));
    view_.SetValue(Field::Tcj, convert::FromWire(status.Tcj, convert::Tenths));
    // A manual power the user is setting is not overwritten.
    if (!view_.Enabled(Field::Power) || fillPower_) {
        view_.SetValue(Field::Power, convert::FromWire(status.Power, convert::Tenths));
    }
    fillPower_ = false;
    ShowSetTemperatureOnUpDown();
}

void ControlPanel::RefreshFan(const FanStatus& status) {
    Updating::Guard guard(updating_);
    view_.SetValue(Field::Vset, status.Vset);
    view_.SetValue(Field::Vget, status.Vget);
    if (!view_.Enabled(Field::Pwm) || fillPwm_) view_.SetValue(Field::Pwm, status.Pwm);
    fillPwm_ = false;
}

void ControlPanel::FillManualOutputsAtNextPoll() {
    fillPower_ = true;
    fillPwm_ = true;
}
