#include "core/Paramsync.h"

#include <algorithm>

#include "core/Appcore.h"
#include "core/Settingsmodel.h"
#include "link/Convert.h"

namespace {

using Field = PanelView::Field;

/// `wire` within the bounds of the Settings dialog's field for it.
std::int32_t Clamped(std::int32_t wire, settings::Field field) {
    const settings::FieldInfo& info = settings::Info(field);
    return std::clamp(wire, convert::ToWire(info.min, info.scale),
                      convert::ToWire(info.max, info.scale));
}

}  // namespace

HeaterParams ClampHiddenParams(HeaterParams p) {
    using settings::Field;
    p.Delay = Clamped(p.Delay, Field::Delay);
    p.Kp = Clamped(p.Kp, Field::Kp);
    p.Ki = Clamped(p.Ki, Field::Ki);
    p.Error = Clamped(p.Error, Field::Error);
    p.Shift = Clamped(p.Shift, Field::Shift);
    p.Gain = Clamped(p.Gain, Field::Gain);
    p.Tcjn = Clamped(p.Tcjn, Field::Tcjn);
    return p;
}

PanelParams CollectPanelParams(const AppCore& core) {
    const PanelView& view = core.panelView();
    PanelParams p;
    p.HKp = view.Value(Field::HKp);
    p.HKi = view.Value(Field::HKi);
    p.HKd = view.Value(Field::HKd);
    p.Mode = view.ModeIndex();
    p.Plim = view.Value(Field::Plim);
    p.Comp = view.Value(Field::Comp);
    p.FKp = view.Value(Field::FKp);
    p.FKi = view.Value(Field::FKi);
    p.FKd = view.Value(Field::FKd);
    return p;
}

void OpenParamFile(AppCore& core, const std::filesystem::path& path) {
    const ParamSet set = LoadParamFile(path, core.connection().cachedParams());
    Updating::Guard guard(core.updating());
    PanelView& view = core.panelView();
    view.SetValue(Field::HKp, set.panel.HKp);
    view.SetValue(Field::HKi, set.panel.HKi);
    view.SetValue(Field::HKd, set.panel.HKd);
    view.SetModeIndex(set.panel.Mode);
    core.connection().cachedParams() = ClampHiddenParams(set.cached);
    view.SetValue(Field::Plim, set.panel.Plim);
    view.SetValue(Field::Comp, set.panel.Comp);
    view.SetValue(Field::FKp, set.panel.FKp);
    view.SetValue(Field::FKi, set.panel.FKi);
    view.SetValue(Field::FKd, set.panel.FKd);
}

void SaveParamFile(const AppCore& core, const std::filesystem::path& path) {
    ::SaveParamFile(path, CollectPanelParams(core), core.connection().cachedParams());
}
